// TCustomListBox: window parameters, the entries kept across a rebuild, selection and
// scrolling, owner drawing, painting into a given context, and the mouse press that
// starts a drag in automatic drag mode.
#include "controls/listbox.h"

#include <algorithm>

#include "controls/listbox_internal.h"
#include "controls/menus.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kListIndexError = 61452;

}  // namespace

TD_IMPLEMENT_CLASS(TCustomListBox)
void TCustomListBox::Describe(Describer& d) {
  d.Message(FN_COMMAND, &TCustomListBox::FNCommand);
  d.Message(FN_DRAWITEM, &TCustomListBox::FNDrawItem);
  d.Message(FN_MEASUREITEM, &TCustomListBox::FNMeasureItem);
  d.Message(WM_LBUTTONDOWN, &TCustomListBox::WMLButtonDown);
  d.Message(WM_PAINT, &TCustomListBox::WMPaint);
  d.Message(WM_SIZE, &TCustomListBox::WMSize);
  d.Message(FM_CTL3D_CHANGED, &TCustomListBox::FMCtl3DChanged);
}

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
  SetStyleFlags(csSetCaption | csDoubleClicks);
  SetWidth(121);
  SetHeight(97);
  SetTabStop(true);
  SetParentColor(false);
  items_ = std::make_unique<TListBoxStrings>(this);
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

// The window outlives the adapter and the canvas by a little: the window controls' own
// destruction frees it, and by then its messages reach only the window control's handlers.
TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::FillWindowParams(TWindowParams& params) {
  TWinControl::FillWindowParams(params);
  BaseOnSystemClass(params, "LISTBOX");
  static constexpr DWORD kStyles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE};
  params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | kStyles[style_];
  if (sorted_) params.Style |= LBS_SORT;
  if (multiSelect_) params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!integralHeight_) params.Style |= LBS_NOINTEGRALHEIGHT;
  if (columns_ != 0) params.Style |= LBS_MULTICOLUMN;
  if (borderStyle_ == bsSingle) params.Style |= WS_BORDER;
  if (tabWidth_ != 0) params.Style |= LBS_USETABSTOPS;
  // New-style controls: a sunken client edge instead of the flat border.
  if (Ctl3D() && borderStyle_ == bsSingle) {
    params.Style &= ~static_cast<DWORD>(WS_BORDER);
    params.ExStyle |= WS_EX_CLIENTEDGE;
  }
}

void TCustomListBox::BuildWindow() {
  const int width = Width();
  const int height = Height();
  TWinControl::BuildWindow();
  SetWindowPos(handle_, nullptr, Left(), Top(), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (tabWidth_ != 0) {
    int stops = tabWidth_;
    SendMessageA(handle_, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stops));
  }
  SetColumnWidth();
  if (savedItems_ != nullptr) {
    std::unique_ptr<TStringList> saved = std::move(savedItems_);
    items_->CopyFrom(saved.get());
    SetTopIndex(savedTopIndex_);
    RestoreSelection();
  }
}

void TCustomListBox::TearDownWindow() {
  if (HasWindow() && items_->Count() > 0) {
    auto saved = std::make_unique<TStringList>();
    saved->AddStrings(*items_);
    savedTopIndex_ = TopIndex();
    SaveSelection();
    savedItems_ = std::move(saved);
  }
  TWinControl::TearDownWindow();
}

// A multi-selection list answers LB_GETCURSEL with its caret and refuses LB_SETCURSEL, so
// its selection is kept entry by entry; a rebuild that switches MultiSelect keeps what
// the other kind can show.
void TCustomListBox::SaveSelection() {
  savedItemIndex_ = ItemIndex();
  savedSelection_.clear();
  LRESULT count = SendMessageA(handle_, LB_GETSELCOUNT, 0, 0);
  if (count > 0) {
    savedSelection_.resize(static_cast<std::size_t>(count));
    LRESULT got = SendMessageA(handle_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                               reinterpret_cast<LPARAM>(savedSelection_.data()));
    savedSelection_.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  } else if (count == LB_ERR && savedItemIndex_ >= 0) {
    savedSelection_.push_back(savedItemIndex_);
  }
}

void TCustomListBox::RestoreSelection() {
  const bool itemSelected = std::find(savedSelection_.begin(), savedSelection_.end(),
                                      savedItemIndex_) != savedSelection_.end();
  if (!multiSelect_) {
    SetItemIndex(itemSelected ? savedItemIndex_ : -1);
  } else {
    for (int index : savedSelection_) SendMessageA(handle_, LB_SETSEL, 1, index);
    if (savedItemIndex_ >= 0)
      SendMessageA(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(savedItemIndex_), 0);
  }
  savedSelection_.clear();
}

void TCustomListBox::SetColumnWidth() {
  if (columns_ > 0 && HasWindow())
    SendMessageA(handle_, LB_SETCOLUMNWIDTH,
                 static_cast<WPARAM>((Width() + columns_ - 3) / columns_), 0);
}

void TCustomListBox::RebuildIfChanged(bool& field, bool value) {
  if (field == value) return;
  field = value;
  RebuildWindow();
}

void TCustomListBox::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RebuildWindow();
}

void TCustomListBox::SetColumns(std::int32_t value) {
  if (value == columns_) return;
  const bool widthOnly = columns_ != 0 && value != 0;
  columns_ = value;
  if (widthOnly)
    SetColumnWidth();
  else
    RebuildWindow();
}

std::int32_t TCustomListBox::ItemHeight() {
  if (!HasWindow() || style_ != lsStandard) return itemHeight_;
  RECT rect{};
  if (SendMessageA(handle_, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return itemHeight_;
  return rect.bottom - rect.top;
}

void TCustomListBox::SetItemHeight(std::int32_t value) {
  if (value <= 0 || value == itemHeight_) return;
  itemHeight_ = value;
  RebuildWindow();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RebuildWindow();
}

void TCustomListBox::SetIntegralHeight(bool value) { RebuildIfChanged(integralHeight_, value); }
void TCustomListBox::SetMultiSelect(bool value) { RebuildIfChanged(multiSelect_, value); }
void TCustomListBox::SetExtendedSelect(bool value) { RebuildIfChanged(extendedSelect_, value); }
void TCustomListBox::SetSorted(bool value) { RebuildIfChanged(sorted_, value); }

void TCustomListBox::SetTabWidth(std::int32_t value) {
  if (value < 0) value = 0;
  if (value == tabWidth_) return;
  tabWidth_ = value;
  RebuildWindow();
}

std::int32_t TCustomListBox::ItemIndex() {
  return static_cast<std::int32_t>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(std::int32_t value) {
  if (ItemIndex() != value) SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomListBox::IsSelected(std::int32_t index) {
  LRESULT result = SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0);
  if (result == LB_ERR) throw EListError(LoadStr(kListIndexError));
  return result != 0;
}

void TCustomListBox::SetSelected(std::int32_t index, bool value) {
  if (multiSelect_) {
    if (SendMessageA(Handle(), LB_SETSEL, value ? 1 : 0, index) == LB_ERR)
      throw EListError(LoadStr(kListIndexError));
  } else if (value) {
    SetItemIndex(index);
  } else if (ItemIndex() == index) {
    SetItemIndex(-1);
  }
}

std::int32_t TCustomListBox::SelCount() {
  return static_cast<std::int32_t>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
}

std::int32_t TCustomListBox::TopIndex() {
  return static_cast<std::int32_t>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(std::int32_t value) {
  if (TopIndex() != value) SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(value), 0);
}

RECT TCustomListBox::EntryRect(std::int32_t index) {
  RECT rect{};
  SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&rect));
  return rect;
}

std::int32_t TCustomListBox::EntryAt(POINT point, bool existingOnly) {
  RECT client = ClientRect();
  if (!PtInRect(&client, point)) return -1;
  const std::int32_t count = items_->Count();
  for (std::int32_t index = TopIndex(); index < count; ++index) {
    RECT rect{};
    if (SendMessageA(handle_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
      continue;
    if (PtInRect(&rect, point)) return index;
  }
  return existingOnly ? -1 : count;
}

void TCustomListBox::PaintEntry(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnPaintEntry) {
    OnPaintEntry(this, index, rect, state);
    return;
  }
  listbox_detail::PaintEntryText(canvas_.get(), rect,
                                 index < items_->Count() ? items_->Get(index) : std::string());
}

void TCustomListBox::MeasureEntry(int index, int& height) { OnMeasureEntry(this, index, height); }

void TCustomListBox::FNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case LBN_SELCHANGE:
      FireClick();
      break;
    case LBN_DBLCLK:
      FireDblClick();
      break;
    default:
      break;
  }
}

void TCustomListBox::FNDrawItem(TMessage& message) {
  listbox_detail::DrawItemMessage(this, canvas_.get(), message);
}

void TCustomListBox::FNMeasureItem(TMessage& message) {
  listbox_detail::MeasureItemMessage(this, itemHeight_, style_ == lsOwnerDrawVariable, message);
}

void TCustomListBox::MessageProc(TMessage& message) {
  if (!listbox_detail::TakeAutoDragPress(this, message)) TWinControl::MessageProc(message);
}

void TCustomListBox::WMLButtonDown(TMessage& message) {
  const TShiftState shift = MouseShiftState(message.WParam);
  const bool shiftOnly = shift.Contains(ssShift) && !shift.Contains(ssCtrl);
  bool plain = DragMode() != dmAutomatic || !multiSelect_ || shiftOnly;
  if (!plain) {
    const std::int32_t index = EntryAt(PointFromLParam(message.LParam), true);
    plain = index < 0 || !IsSelected(index);
  }
  if (plain) {
    TAliveGuard guard(this);
    InheritedMessage(StaticClass(), message);
    if (!guard.Alive()) return;
    if (DragMode() != dmAutomatic ||
        (multiSelect_ && (shift.Contains(ssCtrl) || shift.Contains(ssShift))))
      return;
  }
  StartDragging(false);
}

void TCustomListBox::DragCancelled() {
  // The platform list still tracks the press that began the drag: end it.
  POINT point{};
  GetCursorPos(&point);
  point = ScreenToClient(point);
  TMessage press = MakeMessage(WM_LBUTTONDOWN, 0, LParamFromPoint(point.x, point.y));
  DefaultMessage(press);
  TMessage release = MakeMessage(WM_LBUTTONUP, 0, press.LParam);
  DefaultMessage(release);
}

void TCustomListBox::WMPaint(TMessage& message) {
  if (message.WParam == 0) {
    InheritedMessage(StaticClass(), message);
    return;
  }
  auto dc = reinterpret_cast<HDC>(message.WParam);
  const std::int32_t count = items_->Count();
  int y = 0;
  for (std::int32_t index = TopIndex(); y < Height() && index < count; ++index) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.itemID = static_cast<UINT>(index);
    measure.itemWidth = static_cast<UINT>(Width());
    measure.itemHeight = static_cast<UINT>(itemHeight_);
    measure.itemData = reinterpret_cast<ULONG_PTR>(items_->GetObject(index));
    Deliver(FN_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_LISTBOX;
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = 0;
    draw.hwndItem = handle_;
    draw.hDC = dc;
    draw.rcItem = RECT{0, y, Width(), y + static_cast<int>(measure.itemHeight)};
    draw.itemData = measure.itemData;
    Deliver(FN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    y += static_cast<int>(measure.itemHeight);
  }
}

void TCustomListBox::WMSize(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  SetColumnWidth();
}

void TCustomListBox::FMCtl3DChanged(TMessage& message) {
  if (borderStyle_ == bsSingle) RebuildWindow();
  InheritedMessage(StaticClass(), message);
}

// TListBox publishes the list box.

TD_IMPLEMENT_CLASS(TListBox)
void TListBox::Describe(Describer& d) {
  d.Property("Align", &TListBox::Align, &TListBox::SetAlign).Default(alNone);
  d.Property("BorderStyle", &TListBox::BorderStyle, &TListBox::SetBorderStyle).Default(bsSingle);
  d.Property("Color", &TListBox::Color, &TListBox::SetColor).Type(ColorType());
  d.Property("Columns", &TListBox::Columns, &TListBox::SetColumns).Default(0);
  d.Property("Ctl3D", &TListBox::Ctl3D, &TListBox::SetCtl3D);
  d.Property("DragCursor", &TListBox::DragCursor, &TListBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TListBox::DragMode, &TListBox::SetDragMode).Default(dmManual);
  d.Property("Enabled", &TListBox::Enabled, &TListBox::SetEnabled).Default(true);
  d.Property("ExtendedSelect", &TListBox::ExtendedSelect, &TListBox::SetExtendedSelect)
      .Default(true);
  d.Property("Font", &TListBox::Font, &TListBox::SetFont);
  d.Property("IntegralHeight", &TListBox::IntegralHeight, &TListBox::SetIntegralHeight)
      .Default(false);
  d.Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight);
  d.Property("Items", &TListBox::Items, &TListBox::SetItems);
  d.Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect).Default(false);
  d.Property("ParentColor", &TListBox::ParentColor, &TListBox::SetParentColor).Default(false);
  d.Property("ParentCtl3D", &TListBox::ParentCtl3D, &TListBox::SetParentCtl3D).Default(true);
  d.Property("ParentFont", &TListBox::ParentFont, &TListBox::SetParentFont).Default(true);
  d.Property("ParentShowHint", &TListBox::ParentShowHint, &TListBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TListBox::PopupMenu<TPopupMenu>, &TListBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TListBox::ShowHint, &TListBox::SetShowHint);
  d.Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted).Default(false);
  d.Property("Style", &TListBox::Style, &TListBox::SetStyle).Default(lsStandard);
  d.Property("TabOrder", &TListBox::TabOrder, &TListBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TListBox::TabStop, &TListBox::SetTabStop).Default(true);
  d.Property("TabWidth", &TListBox::TabWidth, &TListBox::SetTabWidth).Default(0);
  d.Property("Visible", &TListBox::Visible, &TListBox::SetVisible).Default(true);
  d.Property("OnClick", &TListBox::OnClick);
  d.Property("OnDblClick", &TListBox::OnDblClick);
  d.Property("OnDragDrop", &TListBox::OnDragDrop);
  d.Property("OnDragOver", &TListBox::OnDragOver);
  d.Property("OnPaintEntry", &TListBox::OnPaintEntry);
  d.Property("OnEndDrag", &TListBox::OnEndDrag);
  d.Property("OnEnter", &TListBox::OnEnter);
  d.Property("OnExit", &TListBox::OnExit);
  d.Property("OnKeyDown", &TListBox::OnKeyDown);
  d.Property("OnKeyPress", &TListBox::OnKeyPress);
  d.Property("OnKeyUp", &TListBox::OnKeyUp);
  d.Property("OnMeasureEntry", &TListBox::OnMeasureEntry);
  d.Property("OnMouseDown", &TListBox::OnMouseDown);
  d.Property("OnMouseMove", &TListBox::OnMouseMove);
  d.Property("OnMouseUp", &TListBox::OnMouseUp);
  d.Property("OnStartDrag", &TListBox::OnStartDrag);
}
