// TFilterComboBox: class information, the entries and masks of Filter, passing the
// selected mask on.
#include "filectrl/filtercombo.h"

#include "controls/menus.h"
#include "filectrl/browsing_internal.h"
#include "filectrl/filelist.h"
#include "runtime/text.h"

namespace {

constexpr int kAllFilesFilter = 61603;

}  // namespace

TD_IMPLEMENT_CLASS(TFilterComboBox)
void TFilterComboBox::Describe(Describer& d) {
  d.Property("Color", &TFilterComboBox::Color, &TFilterComboBox::SetColor).Type(ColorType());
  d.Property("Ctl3D", &TFilterComboBox::Ctl3D, &TFilterComboBox::SetCtl3D);
  d.Property("DragCursor", &TFilterComboBox::DragCursor, &TFilterComboBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TFilterComboBox::DragMode, &TFilterComboBox::SetDragMode)
      .Default(dmManual);
  d.Property("Enabled", &TFilterComboBox::Enabled, &TFilterComboBox::SetEnabled).Default(true);
  d.Property("FileList", &TFilterComboBox::FileList, &TFilterComboBox::SetFileList);
  d.Property("Filter", &TFilterComboBox::Filter, &TFilterComboBox::SetFilter)
      .Stored(&TFilterComboBox::IsFilterStored);
  d.Property("Font", &TFilterComboBox::Font, &TFilterComboBox::SetFont);
  d.Property("ImeMode", &TFilterComboBox::ImeMode, &TFilterComboBox::SetImeMode)
      .Default(imDontCare);
  d.Property("ImeName", &TFilterComboBox::ImeName, &TFilterComboBox::SetImeName);
  d.Property("ParentColor", &TFilterComboBox::ParentColor, &TFilterComboBox::SetParentColor)
      .Default(false);
  d.Property("ParentCtl3D", &TFilterComboBox::ParentCtl3D, &TFilterComboBox::SetParentCtl3D)
      .Default(true);
  d.Property("ParentFont", &TFilterComboBox::ParentFont, &TFilterComboBox::SetParentFont)
      .Default(true);
  d.Property("ParentShowHint", &TFilterComboBox::ParentShowHint,
             &TFilterComboBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TFilterComboBox::PopupMenu<TPopupMenu>,
             &TFilterComboBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TFilterComboBox::ShowHint, &TFilterComboBox::SetShowHint);
  d.Property("TabOrder", &TFilterComboBox::TabOrder, &TFilterComboBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TFilterComboBox::TabStop, &TFilterComboBox::SetTabStop).Default(true);
  d.Property("Visible", &TFilterComboBox::Visible, &TFilterComboBox::SetVisible).Default(true);
  d.Property("OnChange", &TFilterComboBox::OnChange);
  d.Property("OnClick", &TFilterComboBox::OnClick);
  d.Property("OnDblClick", &TFilterComboBox::OnDblClick);
  d.Property("OnDragDrop", &TFilterComboBox::OnDragDrop);
  d.Property("OnDragOver", &TFilterComboBox::OnDragOver);
  d.Property("OnDropDown", &TFilterComboBox::OnDropDown);
  d.Property("OnEndDrag", &TFilterComboBox::OnEndDrag);
  d.Property("OnEnter", &TFilterComboBox::OnEnter);
  d.Property("OnExit", &TFilterComboBox::OnExit);
  d.Property("OnKeyDown", &TFilterComboBox::OnKeyDown);
  d.Property("OnKeyPress", &TFilterComboBox::OnKeyPress);
  d.Property("OnKeyUp", &TFilterComboBox::OnKeyUp);
  d.Property("OnStartDrag", &TFilterComboBox::OnStartDrag);
}

TFilterComboBox::TFilterComboBox(TComponent* owner)
    : TCustomComboBox(owner),
      filter_(LoadStr(kAllFilesFilter)),
      masks_(std::make_unique<TStringList>()) {
  SetStyle(cbsDropDownList);
}

TFilterComboBox::~TFilterComboBox() = default;

bool TFilterComboBox::IsFilterStored() const { return filter_ != LoadStr(kAllFilesFilter); }

void TFilterComboBox::SetFilter(const std::string& value) {
  if (SameFileName(value, filter_)) return;
  filter_ = value;
  BuildEntries();
  NotifyFilterChange();
}

void TFilterComboBox::BuildEntries() {
  masks_->Clear();
  // Before the window exists its creation builds the entries.
  if (!HasWindow()) return;
  Clear();
  using filectrl_detail::FindByte;
  std::string rest = filter_;
  for (std::size_t bar = FindByte(rest, '|'); bar != std::string::npos; bar = FindByte(rest, '|')) {
    const std::string description = rest.substr(0, bar);
    rest.erase(0, bar + 1);
    std::string mask;
    const std::size_t next = FindByte(rest, '|');
    if (next == std::string::npos) {
      mask = rest;
      rest.clear();
    } else {
      mask = rest.substr(0, next);
      rest.erase(0, next + 1);
    }
    Items()->Add(description);
    masks_->Add(mask);
  }
  if (Items()->Count() > 0) SetItemIndex(0);
}

std::string TFilterComboBox::Mask() {
  if (ItemIndex() < 0) SetItemIndex(Items()->Count() - 1);
  const std::int32_t index = ItemIndex();
  if (index < 0 || index >= masks_->Count()) return "*.*";
  return masks_->Get(index);
}

void TFilterComboBox::NotifyFilterChange() {
  TAliveGuard guard(this);
  if (fileList_ != nullptr) fileList_->SetMask(Mask());
  if (guard.Alive()) OnChange(this);
}

void TFilterComboBox::SetFileList(TFileListBox* value) {
  if (fileList_ != nullptr) fileList_->SetFilterLink(nullptr);
  fileList_ = value;
  if (value == nullptr) return;
  WatchRemoval(value);
  value->SetFilterLink(this);
}

void TFilterComboBox::ComponentNotice(TComponent* component, TOperation operation) {
  TCustomComboBox::ComponentNotice(component, operation);
  if (operation == Removed && component == fileList_) fileList_ = nullptr;
}

void TFilterComboBox::FireClick() {
  TAliveGuard guard(this);
  TCustomComboBox::FireClick();
  if (guard.Alive()) NotifyFilterChange();
}

void TFilterComboBox::BuildWindow() {
  TCustomComboBox::BuildWindow();
  BuildEntries();
}
