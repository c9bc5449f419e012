// TDriveComboBox: class information, the entries of the drives, selecting a drive and
// passing it on, drawing an entry.
#include "filectrl/drivecombo.h"

#include "controls/menus.h"
#include "filectrl/browsing_internal.h"
#include "filectrl/dirlist.h"
#include "runtime/directory.h"
#include "runtime/format.h"
#include "runtime/text.h"

namespace {

constexpr DWORD kNameBufferSize = 261;
constexpr const char* kGlyphNames[] = {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"};

char UpperLetter(char letter) { return letter >= 'a' && letter <= 'z' ? letter - 32 : letter; }

// Names read for a lower-case letter are shown in lower case, else in upper case.
std::string InLetterCase(char letter, const std::string& name) {
  return letter >= 'a' ? AnsiLowerCaseFileName(name) : AnsiUpperCase(name);
}

// Puts the error mode back however the volume query ends.
class CriticalErrorsOff {
 public:
  CriticalErrorsOff() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsOff() { SetErrorMode(previous_); }
  CriticalErrorsOff(const CriticalErrorsOff&) = delete;
  CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

 private:
  UINT previous_;
};

}  // namespace

TD_IMPLEMENT_CLASS(TDriveComboBox)
void TDriveComboBox::Describe(Describer& d) {
  d.Property("Color", &TDriveComboBox::Color, &TDriveComboBox::SetColor).Type(ColorType());
  d.Property("Ctl3D", &TDriveComboBox::Ctl3D, &TDriveComboBox::SetCtl3D);
  d.Property("DirList", &TDriveComboBox::DirList, &TDriveComboBox::SetDirList);
  d.Property("DragCursor", &TDriveComboBox::DragCursor, &TDriveComboBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TDriveComboBox::DragMode, &TDriveComboBox::SetDragMode).Default(dmManual);
  d.Property("Enabled", &TDriveComboBox::Enabled, &TDriveComboBox::SetEnabled).Default(true);
  d.Property("Font", &TDriveComboBox::Font, &TDriveComboBox::SetFont);
  d.Property("ImeMode", &TDriveComboBox::ImeMode, &TDriveComboBox::SetImeMode).Default(imDontCare);
  d.Property("ImeName", &TDriveComboBox::ImeName, &TDriveComboBox::SetImeName);
  d.Property("ParentColor", &TDriveComboBox::ParentColor, &TDriveComboBox::SetParentColor)
      .Default(false);
  d.Property("ParentCtl3D", &TDriveComboBox::ParentCtl3D, &TDriveComboBox::SetParentCtl3D)
      .Default(true);
  d.Property("ParentFont", &TDriveComboBox::ParentFont, &TDriveComboBox::SetParentFont)
      .Default(true);
  d.Property("ParentShowHint", &TDriveComboBox::ParentShowHint, &TDriveComboBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TDriveComboBox::PopupMenu<TPopupMenu>,
             &TDriveComboBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TDriveComboBox::ShowHint, &TDriveComboBox::SetShowHint);
  d.Property("TabOrder", &TDriveComboBox::TabOrder, &TDriveComboBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TDriveComboBox::TabStop, &TDriveComboBox::SetTabStop).Default(true);
  d.Property("TextCase", &TDriveComboBox::TextCase, &TDriveComboBox::SetTextCase)
      .Default(tcLowerCase);
  d.Property("Visible", &TDriveComboBox::Visible, &TDriveComboBox::SetVisible).Default(true);
  d.Property("OnChange", &TDriveComboBox::OnChange);
  d.Property("OnClick", &TDriveComboBox::OnClick);
  d.Property("OnDblClick", &TDriveComboBox::OnDblClick);
  d.Property("OnDragDrop", &TDriveComboBox::OnDragDrop);
  d.Property("OnDragOver", &TDriveComboBox::OnDragOver);
  d.Property("OnDropDown", &TDriveComboBox::OnDropDown);
  d.Property("OnEndDrag", &TDriveComboBox::OnEndDrag);
  d.Property("OnEnter", &TDriveComboBox::OnEnter);
  d.Property("OnExit", &TDriveComboBox::OnExit);
  d.Property("OnKeyDown", &TDriveComboBox::OnKeyDown);
  d.Property("OnKeyPress", &TDriveComboBox::OnKeyPress);
  d.Property("OnKeyUp", &TDriveComboBox::OnKeyUp);
  d.Property("OnStartDrag", &TDriveComboBox::OnStartDrag);
  d.Message(FM_FONT_CHANGED, &TDriveComboBox::FMFontChanged);
}

TDriveComboBox::TDriveComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetStyle(cbsOwnerDrawFixed);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (int kind = kFloppy; kind <= kRam; ++kind)
    glyphs_[kind].LoadFromResourceName(instance, kGlyphNames[kind]);
  const std::string current = CurrentDirectory();
  drive_ = current.empty() || current[0] == '\\' ? '\0' : current[0];
  ResetItemHeight();
}

// The window goes with the windowed control's destruction; by then its messages reach
// only that control's handlers, which draw no glyphs.
TDriveComboBox::~TDriveComboBox() = default;

void TDriveComboBox::ResetItemHeight() {
  int height = filectrl_detail::ScreenFontHeight(Font());
  if (height < glyphs_[kFloppy].Height()) height = glyphs_[kFloppy].Height();
  SetItemHeight(height);
}

void TDriveComboBox::FMFontChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ResetItemHeight();
  RebuildWindow();
}

std::string TDriveComboBox::VolumeLabelText(char letter) {
  char name[kNameBufferSize] = {};
  {
    CriticalErrorsOff quiet;
    const char root[] = {letter, ':', '\\', '\0'};
    if (!GetVolumeInformationA(root, name, kNameBufferSize, nullptr, nullptr, nullptr, nullptr, 0))
      name[0] = '\0';  // a volume that cannot be asked (no medium) shows no label
  }
  name[kNameBufferSize - 1] = '\0';
  return Format("[%s]", InLetterCase(letter, name));
}

std::string TDriveComboBox::NetworkNameText(char letter) {
  char name[kNameBufferSize] = {};
  DWORD length = kNameBufferSize;
  const char local[] = {UpperLetter(letter), ':', '\0'};
  if (WNetGetConnectionA(local, name, &length) != NO_ERROR) return VolumeLabelText(letter);
  name[kNameBufferSize - 1] = '\0';
  return InLetterCase(letter, name);
}

void TDriveComboBox::BuildEntries() {
  Clear();
  const DWORD present = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((present & (DWORD{1} << i)) == 0) continue;
    char letter = static_cast<char>('a' + i);
    const char root[] = {letter, ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    if (textCase_ == tcUpperCase) letter = UpperLetter(letter);
    const std::string name(1, letter);
    switch (type) {
      case DRIVE_REMOVABLE:
        Items()->AddObject(name + ":", &glyphs_[kFloppy]);
        break;
      case DRIVE_FIXED:
        Items()->AddObject(Format("%s: %s", name, VolumeLabelText(letter)), &glyphs_[kHard]);
        break;
      case DRIVE_REMOTE:
        Items()->AddObject(Format("%s: %s", name, NetworkNameText(letter)), &glyphs_[kNetwork]);
        break;
      case DRIVE_CDROM:
        Items()->AddObject(Format("%s: %s", name, VolumeLabelText(letter)), &glyphs_[kCdRom]);
        break;
      case DRIVE_RAMDISK:
        Items()->AddObject(Format("%s: %s", name, VolumeLabelText(letter)), &glyphs_[kRam]);
        break;
      default:
        break;
    }
  }
}

void TDriveComboBox::BuildWindow() {
  TCustomComboBox::BuildWindow();
  BuildEntries();
  // The fresh list has no selection, so this always selects, passes on and notifies.
  SetDrive(drive_);
}

void TDriveComboBox::SetDrive(char value) {
  if (ItemIndex() >= 0 && UpperLetter(value) == UpperLetter(drive_)) return;
  if (value == '\0') {
    drive_ = '\0';
    SetItemIndex(-1);
  } else {
    drive_ =
        textCase_ == tcUpperCase ? UpperLetter(value) : static_cast<char>(UpperLetter(value) + 32);
    for (std::int32_t i = 0; i < Items()->Count(); ++i) {
      const std::string text = Items()->Get(i);
      if (text.size() >= 2 && UpperLetter(text[0]) == UpperLetter(drive_) && text[1] == ':') {
        SetItemIndex(i);
        break;
      }
    }
  }
  TAliveGuard guard(this);
  if (dirList_ != nullptr) dirList_->SetDrive(drive_);
  if (guard.Alive()) NotifyDriveChange();
}

void TDriveComboBox::SetTextCase(TTextCase value) {
  textCase_ = value;
  const char remembered = drive_;
  // Before the window exists its creation builds the entries.
  if (HasWindow()) BuildEntries();
  SetDrive(remembered);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* value) {
  if (dirList_ != nullptr) dirList_->SetDriveComboLink(nullptr);
  dirList_ = value;
  if (value == nullptr) return;
  value->SetDriveComboLink(this);
  WatchRemoval(value);
}

void TDriveComboBox::ComponentNotice(TComponent* component, TOperation operation) {
  TCustomComboBox::ComponentNotice(component, operation);
  if (operation == Removed && component == dirList_) dirList_ = nullptr;
}

void TDriveComboBox::NotifyDriveChange() { OnChange(this); }

void TDriveComboBox::FireClick() {
  TAliveGuard guard(this);
  TCustomComboBox::FireClick();
  if (!guard.Alive()) return;
  const std::int32_t index = ItemIndex();
  if (index < 0) return;
  const std::string text = Items()->Get(index);
  if (!text.empty()) SetDrive(text[0]);
}

void TDriveComboBox::PaintEntry(int index, const RECT& rect, TOwnerDrawState) {
  TCanvas* canvas = Canvas();
  canvas->FillRect(rect);
  int glyphWidth = 16;
  TBitmap* glyph = filectrl_detail::EntryGlyph(Items()->GetObject(index));
  if (glyph != nullptr && !glyph->IsBlank()) {
    glyphWidth = glyph->Width();
    filectrl_detail::DrawGlyph(canvas, glyph, rect.left + 2, rect);
  }
  RECT text = rect;
  text.left += glyphWidth + 6;
  const std::string caption = Items()->Get(index);
  DrawTextA(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
