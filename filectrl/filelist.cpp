// TFileListBox: class information, reading the names of a directory, the selection and
// its change notice, the typed file name, drawing an entry.
#include "filectrl/filelist.h"

#include <algorithm>
#include <vector>

#include "controls/menus.h"
#include "filectrl/browsing_internal.h"
#include "filectrl/dirlist.h"
#include "filectrl/filtercombo.h"
#include "forms/form.h"
#include "runtime/directory.h"
#include "runtime/exceptions.h"
#include "runtime/filesearch.h"
#include "runtime/text.h"

namespace {

constexpr int kInvalidFileName = 61602;
// Once an entry lands at this position the read is long enough to show the busy cursor.
constexpr int kBusyPosition = 100;

using filectrl_detail::EntryGlyph;

bool IsProgramExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = AnsiLowerCase(std::string_view(name).substr(dot));
  return extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".pif";
}

bool FileExists(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsDirectory(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// The collation of the platform's sorted list box.
bool SortsBefore(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// Restores the screen cursor however the read ends.
class ScreenCursorKeeper {
 public:
  ScreenCursorKeeper() : saved_(Screen != nullptr ? Screen->Cursor() : crDefault) {}
  ~ScreenCursorKeeper() {
    if (Screen != nullptr) Screen->SetCursor(saved_);
  }
  ScreenCursorKeeper(const ScreenCursorKeeper&) = delete;
  ScreenCursorKeeper& operator=(const ScreenCursorKeeper&) = delete;
  void Busy() {
    if (Screen != nullptr) Screen->SetCursor(crHourGlass);
  }

 private:
  TCursor saved_;
};

}  // namespace

void SplitTypedPath(const std::string& text, char& drive, std::string& directoryPart,
                    std::string& filePart) {
  // Everything is resolved from full paths: the current directory may be a folder that
  // is gone, and a typed path must still lead out of it.
  const std::string current = CurrentDirectory();
  drive = current.empty() ? '\0' : current[0];
  directoryPart = text;
  std::string drivePart;
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    directoryPart = text.substr(1, text.size() - 2);
  } else {
    drivePart = ExtractFileDrive(text);
    if (!drivePart.empty())
      directoryPart.erase(0, drivePart.size());
    else
      drivePart = ExtractFileDrive(current);
    drive = drivePart.size() >= 2 && drivePart[1] == ':' ? drivePart[0] : '\0';
  }

  const std::size_t delimiter = filectrl_detail::LastDelimiter(directoryPart);
  filePart = delimiter == std::string::npos ? directoryPart : directoryPart.substr(delimiter + 1);
  if (directoryPart.size() == filePart.size() + 1) {
    directoryPart.assign(1, '\\');
  } else if (directoryPart.size() > filePart.size()) {
    directoryPart.resize(directoryPart.size() - filePart.size() - 1);
  } else {
    // No directory typed: the current directory of the typed drive (its root for a share).
    const bool letter = drivePart.size() == 2 && drivePart[1] == ':';
    const std::string here = FullPathName(drivePart + (letter || drivePart.empty() ? "." : "\\"));
    directoryPart = here.substr(ExtractFileDrive(here).size());
    if (directoryPart.size() > 1 && directoryPart.back() == '\\') directoryPart.pop_back();
    if (directoryPart.empty()) directoryPart.assign(1, '\\');
  }
  std::string base = ExistingDirectory(drivePart + directoryPart);
  if (base.back() != '\\') base += '\\';
  // A last component that is a directory belongs to the directory part. One that exists
  // neither as a file nor as a directory stays the file part, so that the caller can
  // report the name that was typed.
  if (!filePart.empty() && !HasWildcards(filePart) && !FileExists(base + filePart) &&
      IsDirectory(base + filePart)) {
    directoryPart = directoryPart == "\\" ? "\\" + filePart : directoryPart + "\\" + filePart;
    filePart.clear();
  }
  if (drive == '\0') directoryPart = drivePart + directoryPart;
}

TD_IMPLEMENT_CLASS(TFileListBox)
void TFileListBox::Describe(Describer& d) {
  d.Property("Align", &TFileListBox::Align, &TFileListBox::SetAlign).Default(alNone);
  d.Property("Color", &TFileListBox::Color, &TFileListBox::SetColor).Type(ColorType());
  d.Property("Ctl3D", &TFileListBox::Ctl3D, &TFileListBox::SetCtl3D);
  d.Property("DragCursor", &TFileListBox::DragCursor, &TFileListBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TFileListBox::DragMode, &TFileListBox::SetDragMode).Default(dmManual);
  d.Property("Enabled", &TFileListBox::Enabled, &TFileListBox::SetEnabled).Default(true);
  d.Property("ExtendedSelect", &TFileListBox::ExtendedSelect, &TFileListBox::SetExtendedSelect)
      .Default(true);
  d.Property("FileEdit", &TFileListBox::FileEdit, &TFileListBox::SetFileEdit);
  d.Property("FileType", &TFileListBox::FileType, &TFileListBox::SetFileType)
      .Default(TFileType{ftNormal});
  d.Property("Font", &TFileListBox::Font, &TFileListBox::SetFont);
  d.Property("ImeMode", &TFileListBox::ImeMode, &TFileListBox::SetImeMode).Default(imDontCare);
  d.Property("ImeName", &TFileListBox::ImeName, &TFileListBox::SetImeName);
  d.Property("IntegralHeight", &TFileListBox::IntegralHeight, &TFileListBox::SetIntegralHeight)
      .Default(false);
  d.Property("ItemHeight", &TFileListBox::ItemHeight, &TFileListBox::SetItemHeight);
  d.Property("Mask", &TFileListBox::Mask, &TFileListBox::SetMask)
      .Stored(&TFileListBox::IsMaskStored);
  d.Property("MultiSelect", &TFileListBox::MultiSelect, &TFileListBox::SetMultiSelect)
      .Default(false);
  d.Property("ParentColor", &TFileListBox::ParentColor, &TFileListBox::SetParentColor)
      .Default(false);
  d.Property("ParentCtl3D", &TFileListBox::ParentCtl3D, &TFileListBox::SetParentCtl3D)
      .Default(true);
  d.Property("ParentFont", &TFileListBox::ParentFont, &TFileListBox::SetParentFont).Default(true);
  d.Property("ParentShowHint", &TFileListBox::ParentShowHint, &TFileListBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TFileListBox::PopupMenu<TPopupMenu>,
             &TFileListBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowGlyphs", &TFileListBox::ShowGlyphs, &TFileListBox::SetShowGlyphs).Default(false);
  d.Property("ShowHint", &TFileListBox::ShowHint, &TFileListBox::SetShowHint);
  d.Property("TabOrder", &TFileListBox::TabOrder, &TFileListBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TFileListBox::TabStop, &TFileListBox::SetTabStop).Default(true);
  d.Property("Visible", &TFileListBox::Visible, &TFileListBox::SetVisible).Default(true);
  d.Property("OnChange", &TFileListBox::OnChange);
  d.Property("OnClick", &TFileListBox::OnClick);
  d.Property("OnDblClick", &TFileListBox::OnDblClick);
  d.Property("OnDragDrop", &TFileListBox::OnDragDrop);
  d.Property("OnDragOver", &TFileListBox::OnDragOver);
  d.Property("OnEndDrag", &TFileListBox::OnEndDrag);
  d.Property("OnEnter", &TFileListBox::OnEnter);
  d.Property("OnExit", &TFileListBox::OnExit);
  d.Property("OnKeyDown", &TFileListBox::OnKeyDown);
  d.Property("OnKeyPress", &TFileListBox::OnKeyPress);
  d.Property("OnKeyUp", &TFileListBox::OnKeyUp);
  d.Property("OnMouseDown", &TFileListBox::OnMouseDown);
  d.Property("OnMouseMove", &TFileListBox::OnMouseMove);
  d.Property("OnMouseUp", &TFileListBox::OnMouseUp);
  d.Property("OnStartDrag", &TFileListBox::OnStartDrag);
  d.Message(FM_FONT_CHANGED, &TFileListBox::FMFontChanged);
}

TFileListBox::TFileListBox(TComponent* owner) : TCustomListBox(owner) {
  SetWidth(145);
  directory_ = CurrentDirectory();
  SetMultiSelect(false);
  LoadGlyphs();
  SetSorted(true);
  SetStyle(lsOwnerDrawFixed);
  ResetItemHeight();
}

// The window goes with the windowed control's destruction; by then its messages reach
// only that control's handlers, which draw no glyphs.
TFileListBox::~TFileListBox() = default;

void TFileListBox::LoadGlyphs() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  executableGlyph_.LoadFromResourceName(instance, "EXECUTABLE");
  directoryGlyph_.LoadFromResourceName(instance, "CLOSEDFOLDER");
  otherFileGlyph_.LoadFromResourceName(instance, "UNKNOWNFILE");
}

void TFileListBox::ResetItemHeight() {
  int height = filectrl_detail::ScreenFontHeight(Font());
  if (showGlyphs_ && height < executableGlyph_.Height() + 1) height = executableGlyph_.Height() + 1;
  SetItemHeight(height);
}

void TFileListBox::FMFontChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ResetItemHeight();
}

void TFileListBox::SetDirectory(const std::string& value) {
  if (SameFileName(value, directory_)) return;
  directory_ = filectrl_detail::ChangeDirectoryFrom(directory_, value);
  ReadEntries();
}

void TFileListBox::SetMask(const std::string& value) {
  if (value == mask_) return;
  mask_ = value;
  ReadEntries();
}

void TFileListBox::SetFileType(TFileType value) {
  if (value == fileType_) return;
  fileType_ = value;
  ReadEntries();
}

void TFileListBox::SetShowGlyphs(bool value) {
  if (value == showGlyphs_) return;
  showGlyphs_ = value;
  if (value && ItemHeight() < executableGlyph_.Height() + 1) ResetItemHeight();
  ScheduleRepaint();
}

void TFileListBox::SetFileEdit(TEdit* value) {
  fileEdit_ = value;
  if (value == nullptr) return;
  WatchRemoval(value);
  const std::string text = SelectedEntryText();
  value->SetText(text.empty() ? mask_ : text);
}

void TFileListBox::ComponentNotice(TComponent* component, TOperation operation) {
  TCustomListBox::ComponentNotice(component, operation);
  if (operation != Removed) return;
  if (component == fileEdit_) fileEdit_ = nullptr;
  if (component == dirListLink_) dirListLink_ = nullptr;
  if (component == filterLink_) filterLink_ = nullptr;
}

void TFileListBox::BuildWindow() {
  TCustomListBox::BuildWindow();
  ReadEntries();
}

void TFileListBox::ReadEntries() {
  if (!HasWindow()) return;
  int attributes = 0;
  for (int member = ftReadOnly; member <= ftArchive; ++member)
    if (fileType_.Contains(static_cast<TFileAttr>(member))) attributes |= 1 << member;
  const bool listEverything = fileType_.Contains(ftNormal);

  // A folder that is gone lists nothing; the list leaves it by its next directory.
  bool present = true;
  try {
    ChangeDirectory(directory_);
  } catch (const EInOutError&) {
    present = false;
  }
  Items()->Clear();
  if (present) {
    ScreenCursorKeeper cursor;
    // The entries are put in the order the sorted list box gives them (its collation;
    // equal names in the order the searches found them) and appended in that order, so
    // that no entry moves the ones behind it and none is searched for a second time.
    struct Entry {
      std::string text;
      TBitmap* glyph;
    };
    std::vector<Entry> entries;
    std::size_t start = 0;
    for (;;) {
      const std::size_t separator = mask_.find(';', start);
      const std::string piece = mask_.substr(start, separator - start);
      TSearchRec search;
      if (FindFirst(piece, attributes, search) == 0) {
        do {
          if (listEverything || (search.Attr & attributes) != 0) {
            if ((search.Attr & kAttrDirectory) != 0)
              entries.push_back(
                  {"[" + search.Name + "]", showGlyphs_ ? &directoryGlyph_ : nullptr});
            else
              entries.push_back({search.Name, IsProgramExtension(search.Name) ? &executableGlyph_
                                                                              : &otherFileGlyph_});
            if (entries.size() == kBusyPosition + 1) cursor.Busy();
          }
        } while (FindNext(search) == 0);
        FindClose(search);
      }
      if (separator == std::string::npos) break;
      start = separator + 1;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return SortsBefore(a.text, b.text); });
    TStrings* items = Items();
    std::int32_t position = 0;
    for (const Entry& entry : entries) {
      items->Insert(-1, entry.text);
      items->PutObject(position++, entry.glyph);
    }
  }
  NotifyChange();
}

std::string TFileListBox::SelectedEntryText() {
  if (!HasWindow()) return {};
  const std::int32_t index = ItemIndex();
  if (index < 0 || Items()->Count() == 0 || !IsSelected(index)) return {};
  return Items()->Get(index);
}

void TFileListBox::NotifyChange() {
  lastIndex_ = ItemIndex();
  if (fileEdit_ != nullptr) {
    const std::string text = SelectedEntryText();
    fileEdit_->SetText(text.empty() ? mask_ : text);
    fileEdit_->SelectAll();
  }
  OnChange(this);
}

void TFileListBox::FireClick() {
  TAliveGuard guard(this);
  TCustomListBox::FireClick();
  if (guard.Alive() && ItemIndex() != lastIndex_) NotifyChange();
}

std::string TFileListBox::FileName() {
  const std::string text = SelectedEntryText();
  if (text.empty()) return {};
  if (!directory_.empty() && directory_.back() == '\\') return directory_ + text;
  return directory_ + "\\" + text;
}

void TFileListBox::SelectByName(const std::string& name) {
  if (SameFileName(name, SelectedEntryText())) return;
  SetItemIndex(
      static_cast<std::int32_t>(SendMessageA(Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(name.c_str()))));
  NotifyChange();
}

void TFileListBox::SetFileName(const std::string& value) {
  if (value.empty() || SameFileName(value, FileName())) return;
  char drive = '\0';
  std::string directoryPart;
  std::string filePart;
  SplitTypedPath(value, drive, directoryPart, filePart);
  if (dirListLink_ != nullptr) {
    dirListLink_->NavigateTo(value);
  } else if (drive == '\0') {
    // A path on a network share: the directory part already starts with the share.
    SetDirectory(directoryPart);
  } else {
    SetDirectory(std::string(1, drive) + ":" + directoryPart);
  }
  if (HasWildcards(filePart)) {
    SetMask(filePart);
    return;
  }
  if (filePart.empty()) return;
  SelectByName(filePart);
  if (!FileExists(filePart)) throw EInvalidOperation(FmtLoadStr(kInvalidFileName, value));
  if (ItemIndex() < 0) {
    SetMask(filePart);
    SelectByName(filePart);
  }
}

void TFileListBox::PaintEntry(int index, const RECT& rect, TOwnerDrawState) {
  TCanvas* canvas = Canvas();
  canvas->FillRect(rect);
  int inset = 2;
  if (showGlyphs_) {
    TBitmap* glyph = EntryGlyph(Items()->GetObject(index));
    if (glyph != nullptr && !glyph->IsBlank()) {
      filectrl_detail::DrawGlyph(canvas, glyph, rect.left + 2, rect);
      inset = glyph->Width() + 6;
    }
  }
  canvas->TextOut(rect.left + inset, rect.top, Items()->Get(index));
}
