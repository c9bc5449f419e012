// TCustomComboBox: window parameters, the edit and list children routed through the
// control, the notifications, the drop-down sizing, owner drawing and the entries kept
// across a rebuild.
#include "controls/listbox.h"
#include "controls/listbox_internal.h"
#include "controls/menus.h"
#include "forms/bridges.h"
#include "forms/drag.h"
#include "forms/wndproc.h"

TD_IMPLEMENT_CLASS(TCustomComboBox)
void TCustomComboBox::Describe(Describer& d) {
  d.Message(FN_COMMAND, &TCustomComboBox::FNCommand);
  d.Message(FN_DRAWITEM, &TCustomComboBox::FNDrawItem);
  d.Message(FN_MEASUREITEM, &TCustomComboBox::FNMeasureItem);
  d.Message(WM_CREATE, &TCustomComboBox::WMCreate);
  d.Message(WM_LBUTTONDOWN, &TCustomComboBox::WMLButtonDown);
  d.Message(WM_ERASEBKGND, &TCustomComboBox::WMEraseBkgnd);
  d.Message(WM_GETDLGCODE, &TCustomComboBox::WMGetDlgCode);
  d.Message(WM_DRAWITEM, &TCustomComboBox::WMOwnItemMessage);
  d.Message(WM_MEASUREITEM, &TCustomComboBox::WMOwnItemMessage);
  d.Message(WM_DELETEITEM, &TCustomComboBox::WMOwnItemMessage);
  for (UINT msg = WM_CTLCOLORMSGBOX; msg <= WM_CTLCOLORSTATIC; ++msg)
    d.Message(msg, &TCustomComboBox::WMCtlColor);
  d.Message(FM_CANCEL_MODE, &TCustomComboBox::FMCancelMode);
  d.Message(FM_CTL3D_CHANGED, &TCustomComboBox::FMCtl3DChanged);
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  SetStyleFlags(csCaptureMouse | csSetCaption | csDoubleClicks | csFixedHeight);
  SetWidth(145);
  SetHeight(25);
  SetTabStop(true);
  SetParentColor(false);
  items_ = std::make_unique<TComboBoxStrings>(this);
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
  editRouting_ = MakeObjectWndProc(&TCustomComboBox::EditRoutingEntry, this);
  listRouting_ = MakeObjectWndProc(&TCustomComboBox::ListRoutingEntry, this);
}

TCustomComboBox::~TCustomComboBox() {
  // The window itself goes with the window control's destruction; its children must not
  // reach the routing stubs freed here.
  if (editWindow_ != nullptr && editProc_ != nullptr)
    SetWindowLongA(editWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc_));
  if (listWindow_ != nullptr && listProc_ != nullptr)
    SetWindowLongA(listWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
  ForgetChildren();
  FreeObjectWndProc(editRouting_);
  FreeObjectWndProc(listRouting_);
  editRouting_ = listRouting_ = nullptr;
  canvas_.reset();
  items_.reset();
  savedItems_.reset();
}

void TCustomComboBox::FillWindowParams(TWindowParams& params) {
  TWinControl::FillWindowParams(params);
  BaseOnSystemClass(params, "COMBOBOX");
  static constexpr DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                      CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                      CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | kStyles[style_];
  if (sorted_) params.Style |= CBS_SORT;
  if (Ctl3D()) params.ExStyle |= WS_EX_CLIENTEDGE;
  creationText_ = params.Caption != nullptr ? params.Caption : "";
}

void TCustomComboBox::BuildWindow() {
  TWinControl::BuildWindow();
  SendMessageA(handle_, CB_LIMITTEXT, maxLength_ >= 1 && maxLength_ <= 255 ? maxLength_ : 255, 0);
  if (savedItems_ != nullptr) {
    std::unique_ptr<TStringList> saved = std::move(savedItems_);
    items_->CopyFrom(saved.get());
  }
  ForgetChildren();
  if (style_ == cbsDropDown) {
    editWindow_ = GetWindow(handle_, GW_CHILD);
  } else if (style_ == cbsSimple) {
    listWindow_ = GetWindow(handle_, GW_CHILD);
    if (listWindow_ != nullptr) editWindow_ = GetWindow(listWindow_, GW_HWNDNEXT);
  }
  if (editWindow_ != nullptr) {
    editProc_ = reinterpret_cast<WNDPROC>(GetWindowLongA(editWindow_, GWLP_WNDPROC));
    SetWindowLongA(editWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editRouting_));
    SetEditMargins();
  }
  if (listWindow_ != nullptr) {
    listProc_ = reinterpret_cast<WNDPROC>(GetWindowLongA(listWindow_, GWLP_WNDPROC));
    SetWindowLongA(listWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listRouting_));
  }
}

void TCustomComboBox::TearDownWindow() {
  if (HasWindow() && items_->Count() > 0) {
    auto saved = std::make_unique<TStringList>();
    saved->AddStrings(*items_);
    savedItems_ = std::move(saved);
  }
  TWinControl::TearDownWindow();
  ForgetChildren();
}

void TCustomComboBox::ForgetChildren() {
  editWindow_ = listWindow_ = nullptr;
  editProc_ = listProc_ = nullptr;
}

// With new-style controls the edit child fills its place in the combo box edge to edge:
// both of its margins are 0, after creation and after every font change.
void TCustomComboBox::SetEditMargins() {
  if (editWindow_ != nullptr)
    SendMessageA(editWindow_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

void TCustomComboBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  RebuildWindow();
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  if (value == cbsSimple)
    SetStyleFlags(static_cast<WORD>(StyleFlags() & ~csFixedHeight));
  else
    SetStyleFlags(StyleFlags() | csFixedHeight);
  RebuildWindow();
}

void TCustomComboBox::SetItemHeight(std::int32_t value) {
  if (value > 0) itemHeight_ = value;
}

void TCustomComboBox::SetMaxLength(std::int32_t value) {
  if (value < 0) value = 0;
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HasWindow()) SendMessageA(handle_, CB_LIMITTEXT, value >= 1 && value <= 255 ? value : 255, 0);
}

std::int32_t TCustomComboBox::ItemIndex() {
  return static_cast<std::int32_t>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(std::int32_t value) {
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomComboBox::DroppedDown() {
  return SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, value ? 1 : 0, 0);
}

void TCustomComboBox::Clear() {
  SetText("");
  items_->Clear();
}

void TCustomComboBox::PaintEntry(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnPaintEntry) {
    OnPaintEntry(this, index, rect, state);
    return;
  }
  listbox_detail::PaintEntryText(canvas_.get(), rect, items_->Get(index));
}

void TCustomComboBox::MeasureEntry(int index, int& height) { OnMeasureEntry(this, index, height); }
void TCustomComboBox::NotifyChange() { OnChange(this); }
void TCustomComboBox::NotifyDropDown() { OnDropDown(this); }

// Messages of the combo box itself.

void TCustomComboBox::MessageProc(TMessage& message) {
  if (!listbox_detail::TakeAutoDragPress(this, message)) TWinControl::MessageProc(message);
}

void TCustomComboBox::WMCtlColor(TMessage& message) {
  // The edit and list children are coloured like the combo box itself.
  auto dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(Brush()->Color()));
  message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

void TCustomComboBox::WMCreate(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  // The platform combo box does not take its text from the creation parameters.
  if (!creationText_.empty()) SetWindowTextA(handle_, creationText_.c_str());
  creationText_.clear();
}

void TCustomComboBox::FNCommand(TMessage& message) {
  TAliveGuard guard(this);
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE: {
      const std::int32_t index = ItemIndex();
      SetText(index >= 0 ? items_->Get(index) : std::string());
      FireClick();
      if (guard.Alive()) NotifyChange();
      break;
    }
    case CBN_DBLCLK:
      FireDblClick();
      break;
    case CBN_SETFOCUS:
      focused_ = true;
      focusChanged_ = true;
      break;
    case CBN_KILLFOCUS:
      focused_ = false;
      focusChanged_ = true;
      break;
    case CBN_EDITCHANGE:
      NotifyChange();
      break;
    case CBN_DROPDOWN:
      DropDown();
      break;
    default:
      break;
  }
}

void TCustomComboBox::DropDown() {
  TAliveGuard guard(this);
  focusChanged_ = false;
  NotifyDropDown();
  if (!guard.Alive() || !HasWindow()) return;
  std::int32_t count = std::min(items_->Count(), dropDownCount_);
  if (count < 1) count = 1;
  int entryHeight = style_ == cbsOwnerDrawFixed || style_ == cbsOwnerDrawVariable
                        ? itemHeight_
                        : static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0));
  // The height asked for is the field and the list together. Not hidden meanwhile: hiding
  // the window that holds the focus would take the focus away and close the list.
  SetWindowPos(handle_, nullptr, 0, 0, Width(), count * entryHeight + Height() + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (focusChanged_) {
    // The drop-down handler moved the focus: the list must stay closed.
    PostMessageA(handle_, WM_CANCELMODE, 0, 0);
    if (!focused_) PostMessageA(handle_, CB_SHOWDROPDOWN, 0, 0);
  }
}

void TCustomComboBox::FNDrawItem(TMessage& message) {
  listbox_detail::DrawItemMessage(this, canvas_.get(), message);
}

void TCustomComboBox::FNMeasureItem(TMessage& message) {
  listbox_detail::MeasureItemMessage(this, itemHeight_, style_ == cbsOwnerDrawVariable, message);
}

void TCustomComboBox::WMLButtonDown(TMessage& message) {
  if (DragMode() == dmAutomatic && style_ == cbsDropDownList &&
      GET_X_LPARAM(message.LParam) < Width() - GetSystemMetrics(SM_CXHSCROLL)) {
    TAliveGuard guard(this);
    SetFocus();
    if (guard.Alive()) StartDragging(false);
    return;
  }
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive() || !HasCapture()) return;
  TForm* form = ParentForm(this);
  if (form != nullptr && form->ActiveControl() != this) CaptureMouse(false);
}

void TCustomComboBox::WMEraseBkgnd(TMessage& message) {
  if (style_ != cbsDropDown && style_ != cbsSimple) return;
  TBrush* brush = Parent() != nullptr ? Parent()->Brush() : Brush();
  RECT rect = ClientRect();
  FillRect(reinterpret_cast<HDC>(message.WParam), &rect, brush->Handle());
  message.Result = 1;
}

void TCustomComboBox::WMGetDlgCode(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  if (DroppedDown()) message.Result |= DLGC_WANTALLKEYS;
}

void TCustomComboBox::WMOwnItemMessage(TMessage& message) { DefaultMessage(message); }

void TCustomComboBox::FMCancelMode(TMessage& message) {
  if (reinterpret_cast<TControl*>(message.LParam) != this && HasWindow()) SetDroppedDown(false);
}

void TCustomComboBox::FMCtl3DChanged(TMessage& message) {
  RebuildWindow();
  InheritedMessage(StaticClass(), message);
}

// The edit and list children.

void TCustomComboBox::EditRoutingEntry(TObject* object, TMessage& message) {
  auto* combo = static_cast<TCustomComboBox*>(object);
  if (message.Msg == WM_SYSCOMMAND) {
    combo->MessageEntry(message);
    return;
  }
  combo->FromChild(message, combo->editWindow_, combo->editProc_);
}

void TCustomComboBox::ListRoutingEntry(TObject* object, TMessage& message) {
  auto* combo = static_cast<TCustomComboBox*>(object);
  combo->FromChild(message, combo->listWindow_, combo->listProc_);
}

void TCustomComboBox::FromChild(TMessage& message, HWND child, WNDPROC childProc) {
  TAliveGuard guard(this);
  try {
    ChildMessageProc(message, child, childProc);
  } catch (...) {
    if (guard.Alive()) ReleaseControlCanvasContexts();
    ApplicationBridge().HandleException(guard.Alive() ? this : nullptr);
    return;
  }
  ReleaseControlCanvasContexts();
}

void TCustomComboBox::ChildMessageProc(TMessage& message, HWND child, WNDPROC childProc) {
  TAliveGuard guard(this);
  switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!FocusMessageGoesOn(message)) return;
      break;
    case WM_NCHITTEST:
      if (InDesignMode()) {
        message.Result = HTTRANSPARENT;
        return;
      }
      break;
    case WM_GETDLGCODE:
      if (DroppedDown()) {
        message.Result = DLGC_WANTALLKEYS;
        return;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (child != listWindow_ && DoKeyDown(message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(message)) return;
      if ((message.WParam == VK_RETURN || message.WParam == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    case WM_MOUSEMOVE:
      ApplicationBridge().HintMouseMessage(this, message);
      break;
    case WM_RBUTTONUP:
      if (PopupMenuComponent() != nullptr) {
        POINT point = PointFromLParam(message.LParam);
        MapWindowPoints(child, handle_, &point, 1);
        message.LParam = LParamFromPoint(point.x, point.y);
        MessageEntry(message);
        return;
      }
      break;
    case FN_KEYDOWN:
    case FN_CHAR:
    case FN_SYSKEYDOWN:
    case FN_SYSCHAR:
      MessageEntry(message);
      return;
    default:
      break;
  }
  if (!guard.Alive() || childProc == nullptr) return;
  message.Result = CallWindowProcA(childProc, child, message.Msg, message.WParam, message.LParam);
  if (!guard.Alive()) return;
  if (message.Msg == WM_LBUTTONDBLCLK && (StyleFlags() & csDoubleClicks) != 0) FireDblClick();
  if (child != editWindow_ || child == nullptr) return;
  if (message.Msg == WM_SETFONT) SetEditMargins();
  if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) &&
      DragMode() == dmAutomatic && guard.Alive()) {
    POINT point{};
    GetCursorPos(&point);
    ::ScreenToClient(child, &point);
    SendMessageA(child, WM_LBUTTONUP, 0, LParamFromPoint(point.x, point.y));
    StartDragging(false);
  }
}

// TComboBox publishes the combo box.

TD_IMPLEMENT_CLASS(TComboBox)
void TComboBox::Describe(Describer& d) {
  d.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(cbsDropDown);
  d.Property("Color", &TComboBox::Color, &TComboBox::SetColor).Type(ColorType());
  d.Property("Ctl3D", &TComboBox::Ctl3D, &TComboBox::SetCtl3D);
  d.Property("DragCursor", &TComboBox::DragCursor, &TComboBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TComboBox::DragMode, &TComboBox::SetDragMode).Default(dmManual);
  d.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
  d.Property("Enabled", &TComboBox::Enabled, &TComboBox::SetEnabled).Default(true);
  d.Property("Font", &TComboBox::Font, &TComboBox::SetFont);
  d.Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight);
  d.Property("Items", &TComboBox::Items, &TComboBox::SetItems);
  d.Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength).Default(0);
  d.Property("ParentColor", &TComboBox::ParentColor, &TComboBox::SetParentColor).Default(false);
  d.Property("ParentCtl3D", &TComboBox::ParentCtl3D, &TComboBox::SetParentCtl3D).Default(true);
  d.Property("ParentFont", &TComboBox::ParentFont, &TComboBox::SetParentFont).Default(true);
  d.Property("ParentShowHint", &TComboBox::ParentShowHint, &TComboBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TComboBox::PopupMenu<TPopupMenu>, &TComboBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TComboBox::ShowHint, &TComboBox::SetShowHint);
  d.Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).Default(false);
  d.Property("TabOrder", &TComboBox::TabOrder, &TComboBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop).Default(true);
  d.Property("Text", &TComboBox::Text, &TComboBox::SetText);
  d.Property("Visible", &TComboBox::Visible, &TComboBox::SetVisible).Default(true);
  d.Property("OnChange", &TComboBox::OnChange);
  d.Property("OnClick", &TComboBox::OnClick);
  d.Property("OnDblClick", &TComboBox::OnDblClick);
  d.Property("OnDragDrop", &TComboBox::OnDragDrop);
  d.Property("OnDragOver", &TComboBox::OnDragOver);
  d.Property("OnPaintEntry", &TComboBox::OnPaintEntry);
  d.Property("OnDropDown", &TComboBox::OnDropDown);
  d.Property("OnEndDrag", &TComboBox::OnEndDrag);
  d.Property("OnEnter", &TComboBox::OnEnter);
  d.Property("OnExit", &TComboBox::OnExit);
  d.Property("OnKeyDown", &TComboBox::OnKeyDown);
  d.Property("OnKeyPress", &TComboBox::OnKeyPress);
  d.Property("OnKeyUp", &TComboBox::OnKeyUp);
  d.Property("OnMeasureEntry", &TComboBox::OnMeasureEntry);
  d.Property("OnStartDrag", &TComboBox::OnStartDrag);
}
