// TDirectoryListBox: class information, building the entries of a directory, navigation
// by typed path, drive and directory, the change notice with its label, drawing.
#include "filectrl/dirlist.h"

#include "controls/menus.h"
#include "filectrl/browsing_internal.h"
#include "filectrl/drivecombo.h"
#include "filectrl/filelist.h"
#include "runtime/directory.h"
#include "runtime/exceptions.h"
#include "runtime/filesearch.h"
#include "runtime/text.h"

namespace {

using filectrl_detail::EntryGlyph;
using filectrl_detail::FindByte;

// Cuts the first directory from a directory part: \A\B\C\ becomes \...\B\C\, then
// \...\C\ and \...\.
void CutFirstDirectory(std::string& part) {
  if (part == "\\") {
    part.clear();
    return;
  }
  const bool rooted = !part.empty() && part[0] == '\\';
  if (rooted) part.erase(0, 1);
  if (!part.empty() && part[0] == '.') part.erase(0, 4);
  const std::size_t backslash = FindByte(part, '\\');
  if (backslash != std::string::npos)
    part = "...\\" + part.substr(backslash + 1);
  else
    part.clear();
  if (rooted) part.insert(0, "\\");
}

std::string WithBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

std::string ShortenPath(const std::string& path, int width,
                        const std::function<int(const std::string&)>& measure) {
  std::string result = path;
  const std::size_t delimiter = filectrl_detail::LastDelimiter(path);
  std::string directoryPart = delimiter == std::string::npos ? "" : path.substr(0, delimiter + 1);
  const std::string name = delimiter == std::string::npos ? path : path.substr(delimiter + 1);
  std::string drive;
  if (directoryPart.size() >= 2 && directoryPart[1] == ':') {
    drive = directoryPart.substr(0, 2);
    directoryPart.erase(0, 2);
  }
  while ((!directoryPart.empty() || !drive.empty()) && measure(result) > width) {
    if (directoryPart == "\\...\\") {
      drive.clear();
      directoryPart = "...\\";
    } else if (directoryPart.empty()) {
      drive.clear();
    } else {
      CutFirstDirectory(directoryPart);
    }
    result = drive + directoryPart + name;
  }
  return result;
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TFolderBitmap)

TFolderBitmap::TFolderBitmap() {
  SetWidth(16);
  SetHeight(16);
}

TD_IMPLEMENT_CLASS(TDirectoryListBox)
void TDirectoryListBox::Describe(Describer& d) {
  d.Property("Align", &TDirectoryListBox::Align, &TDirectoryListBox::SetAlign).Default(alNone);
  d.Property("Color", &TDirectoryListBox::Color, &TDirectoryListBox::SetColor).Type(ColorType());
  d.Property("Columns", &TDirectoryListBox::Columns, &TDirectoryListBox::SetColumns).Default(0);
  d.Property("Ctl3D", &TDirectoryListBox::Ctl3D, &TDirectoryListBox::SetCtl3D);
  d.Property("DirLabel", &TDirectoryListBox::DirLabel, &TDirectoryListBox::SetDirLabel);
  d.Property("DragCursor", &TDirectoryListBox::DragCursor, &TDirectoryListBox::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TDirectoryListBox::DragMode, &TDirectoryListBox::SetDragMode)
      .Default(dmManual);
  d.Property("Enabled", &TDirectoryListBox::Enabled, &TDirectoryListBox::SetEnabled).Default(true);
  d.Property("FileList", &TDirectoryListBox::FileList, &TDirectoryListBox::SetFileList);
  d.Property("Font", &TDirectoryListBox::Font, &TDirectoryListBox::SetFont);
  d.Property("ImeMode", &TDirectoryListBox::ImeMode, &TDirectoryListBox::SetImeMode)
      .Default(imDontCare);
  d.Property("ImeName", &TDirectoryListBox::ImeName, &TDirectoryListBox::SetImeName);
  d.Property("IntegralHeight", &TDirectoryListBox::IntegralHeight,
             &TDirectoryListBox::SetIntegralHeight)
      .Default(false);
  d.Property("ItemHeight", &TDirectoryListBox::ItemHeight, &TDirectoryListBox::SetItemHeight);
  d.Property("ParentColor", &TDirectoryListBox::ParentColor, &TDirectoryListBox::SetParentColor)
      .Default(false);
  d.Property("ParentCtl3D", &TDirectoryListBox::ParentCtl3D, &TDirectoryListBox::SetParentCtl3D)
      .Default(true);
  d.Property("ParentFont", &TDirectoryListBox::ParentFont, &TDirectoryListBox::SetParentFont)
      .Default(true);
  d.Property("ParentShowHint", &TDirectoryListBox::ParentShowHint,
             &TDirectoryListBox::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TDirectoryListBox::PopupMenu<TPopupMenu>,
             &TDirectoryListBox::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TDirectoryListBox::ShowHint, &TDirectoryListBox::SetShowHint);
  d.Property("TabOrder", &TDirectoryListBox::TabOrder, &TDirectoryListBox::SetTabOrder).Default(-1);
  d.Property("TabStop", &TDirectoryListBox::TabStop, &TDirectoryListBox::SetTabStop).Default(true);
  d.Property("Visible", &TDirectoryListBox::Visible, &TDirectoryListBox::SetVisible).Default(true);
  d.Property("OnChange", &TDirectoryListBox::OnChange);
  d.Property("OnClick", &TDirectoryListBox::OnClick);
  d.Property("OnDblClick", &TDirectoryListBox::OnDblClick);
  d.Property("OnDragDrop", &TDirectoryListBox::OnDragDrop);
  d.Property("OnDragOver", &TDirectoryListBox::OnDragOver);
  d.Property("OnEndDrag", &TDirectoryListBox::OnEndDrag);
  d.Property("OnEnter", &TDirectoryListBox::OnEnter);
  d.Property("OnExit", &TDirectoryListBox::OnExit);
  d.Property("OnKeyDown", &TDirectoryListBox::OnKeyDown);
  d.Property("OnKeyPress", &TDirectoryListBox::OnKeyPress);
  d.Property("OnKeyUp", &TDirectoryListBox::OnKeyUp);
  d.Property("OnMouseDown", &TDirectoryListBox::OnMouseDown);
  d.Property("OnMouseMove", &TDirectoryListBox::OnMouseMove);
  d.Property("OnMouseUp", &TDirectoryListBox::OnMouseUp);
  d.Property("OnStartDrag", &TDirectoryListBox::OnStartDrag);
  d.Message(FM_FONT_CHANGED, &TDirectoryListBox::FMFontChanged);
}

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TCustomListBox(owner) {
  SetWidth(145);
  SetStyle(lsOwnerDrawFixed);
  SetSorted(false);
  LoadGlyphs();
  directory_ = CurrentDirectory();
  ResetItemHeight();
}

// The window goes with the windowed control's destruction; by then its messages reach
// only that control's handlers, which draw no glyphs.
TDirectoryListBox::~TDirectoryListBox() = default;

void TDirectoryListBox::LoadGlyphs() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  closedFolder_.LoadFromResourceName(instance, "CLOSEDFOLDER");
  openFolder_.LoadFromResourceName(instance, "OPENFOLDER");
  currentFolder_.LoadFromResourceName(instance, "CURRENTFOLDER");
}

void TDirectoryListBox::ResetItemHeight() {
  int height = filectrl_detail::ScreenFontHeight(Font());
  if (height < openFolder_.Height() + 1) height = openFolder_.Height() + 1;
  SetItemHeight(height);
}

void TDirectoryListBox::FMFontChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ResetItemHeight();
}

bool TDirectoryListBox::SamePath(const std::string& a, const std::string& b) const {
  return caseSensitive_ ? CompareLocale(a, b) == 0 : SameFileName(a, b);
}

std::string TDirectoryListBox::DisplayText(std::int32_t index) {
  std::string text = Items()->Get(index);
  if (preservesCase_ || caseSensitive_) return text;
  return AnsiLowerCase(text);
}

void TDirectoryListBox::BuildEntries() {
  const std::string root = ExtractFileDrive(directory_) + "\\";
  DWORD flags = 0;
  if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    preservesCase_ = (flags & (FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED)) != 0;
    caseSensitive_ = (flags & FS_CASE_SENSITIVE) != 0;
  } else {
    // A volume that cannot tell: names as they are stored, compared as file names.
    preservesCase_ = true;
    caseSensitive_ = false;
  }
  // The window's creation builds the entries; nothing to show before.
  if (!HasWindow()) return;

  TStrings* items = Items();
  items->BeginUpdate();
  try {
    items->Clear();
    std::string rest = directory_;
    const bool serverRoot = root.size() >= 2 && root[1] == '\\';
    if (serverRoot) {
      items->AddObject(root, &openFolder_);
      rest = directory_.size() > root.size() ? directory_.substr(root.size()) : std::string();
    }
    if (!rest.empty()) {
      if (rest.back() != '\\') {
        bool first = true;
        for (std::size_t backslash; (backslash = FindByte(rest, '\\')) != std::string::npos;) {
          std::string component = rest.substr(0, backslash);
          if (first && !serverRoot) component += "\\";  // the drive: C: is shown as C:\.
          first = false;
          rest.erase(0, backslash + 1);
          items->AddObject(component, &openFolder_);
        }
      }
      items->AddObject(rest, &currentFolder_);
    }
    currentIndex_ = items->Count() - 1;

    TStringList subdirectories;
    subdirectories.SetSorted(true);
    // Two folders whose names differ only in case may stand side by side here.
    subdirectories.SetDuplicates(AcceptDuplicates);
    TSearchRec search;
    if (FindFirst(WithBackslash(directory_) + "*.*", kAttrDirectory, search) == 0) {
      do {
        if ((search.Attr & kAttrDirectory) != 0 && search.Name != "." && search.Name != "..")
          subdirectories.Add(search.Name);
      } while (FindNext(search) == 0);
      FindClose(search);
    }
    for (std::int32_t i = 0; i < subdirectories.Count(); ++i)
      items->AddObject(subdirectories.Get(i), &closedFolder_);
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
  SetItemIndex(currentIndex_);
}

void TDirectoryListBox::BuildWindow() {
  TCustomListBox::BuildWindow();
  BuildEntries();
}

void TDirectoryListBox::Update() {
  BuildEntries();
  NotifyChange();
}

void TDirectoryListBox::SetDirectory(const std::string& value) {
  directory_ = filectrl_detail::ChangeDirectoryFrom(directory_, value);
  BuildEntries();
  NotifyChange();
}

void TDirectoryListBox::SetDrive(char value) {
  if (AnsiUpperCase(std::string(1, value)) == AnsiUpperCase(std::string(1, Drive()))) return;
  if (value != '\0') {
    const std::string drive(1, value);
    try {
      ChangeDirectory(drive + ":");
    } catch (const EInOutError&) {
      // The drive's own directory is gone: its root, unless the drive itself fails.
      ChangeDirectory(drive + ":\\");
    }
    directory_ = CurrentDirectory();
  }
  if (changingDrive_) return;
  BuildEntries();
  NotifyChange();
}

void TDirectoryListBox::NavigateTo(const std::string& path) {
  if (path.empty() || SamePath(path, directory_)) return;
  char drive = '\0';
  std::string directoryPart;
  std::string filePart;
  SplitTypedPath(path, drive, directoryPart, filePart);
  if (drive != Drive()) {
    changingDrive_ = true;
    try {
      if (driveComboLink_ != nullptr)
        driveComboLink_->SetDrive(drive);
      else
        SetDrive(drive);
    } catch (...) {
      changingDrive_ = false;
      throw;
    }
    changingDrive_ = false;
  }
  SetDirectory(directoryPart);
}

std::string TDirectoryListBox::EntryPath(std::int32_t index) {
  if (index < 0 || index >= Items()->Count()) return {};
  if (index == 0) return ExtractFileDrive(directory_) + "\\";
  TObject* glyph = Items()->GetObject(index);
  if (glyph == &closedFolder_) return WithBackslash(directory_) + Items()->Get(index);
  if (glyph == &currentFolder_) return directory_;
  // An ancestor: the path up to its own backslash, on the current drive.
  const std::string path = directory_.substr(ExtractFileDrive(directory_).size());
  std::int32_t backslashes = 0;
  std::size_t end = 0;
  while (end < path.size()) {
    if (path[end] == '\\' && ++backslashes == index + 1) break;
    ++end;
  }
  return path.substr(0, end);
}

void TDirectoryListBox::OpenCurrentEntry() { NavigateTo(EntryPath(ItemIndex())); }

void TDirectoryListBox::NotifyChange() {
  TAliveGuard guard(this);
  if (fileList_ != nullptr) fileList_->SetDirectory(directory_);
  if (!guard.Alive()) return;
  UpdateLabel();
  OnChange(this);
}

void TDirectoryListBox::UpdateLabel() {
  if (dirLabel_ == nullptr) return;
  const int width = dirLabel_->AutoSize() ? Width() : dirLabel_->Width();
  TFont* font = dirLabel_->Font();
  dirLabel_->SetCaption(ShortenPath(directory_, width, [font](const std::string& text) {
    return filectrl_detail::ScreenTextWidth(font, text);
  }));
}

void TDirectoryListBox::SetFileList(TFileListBox* value) {
  if (fileList_ != nullptr) fileList_->SetDirListLink(nullptr);
  fileList_ = value;
  if (value == nullptr) return;
  value->SetDirListLink(this);
  WatchRemoval(value);
}

void TDirectoryListBox::SetDirLabel(TLabel* value) {
  dirLabel_ = value;
  if (value != nullptr) WatchRemoval(value);
  UpdateLabel();
}

void TDirectoryListBox::ComponentNotice(TComponent* component, TOperation operation) {
  TCustomListBox::ComponentNotice(component, operation);
  if (operation != Removed) return;
  if (component == fileList_) fileList_ = nullptr;
  if (component == driveComboLink_) driveComboLink_ = nullptr;
  if (component == dirLabel_) dirLabel_ = nullptr;
}

void TDirectoryListBox::FireDblClick() {
  TAliveGuard guard(this);
  TCustomListBox::FireDblClick();
  if (guard.Alive()) OpenCurrentEntry();
}

void TDirectoryListBox::HandleKeyPress(char& key) {
  TAliveGuard guard(this);
  TCustomListBox::HandleKeyPress(key);
  if (guard.Alive() && key == '\r') OpenCurrentEntry();
}

void TDirectoryListBox::PaintEntry(int index, const RECT& rect, TOwnerDrawState) {
  TCanvas* canvas = Canvas();
  canvas->FillRect(rect);
  int glyphWidth = 16;
  int indent = index * 4 + 2;
  TBitmap* glyph = EntryGlyph(Items()->GetObject(index));
  if (glyph != nullptr) {
    // Subdirectories all stand one level below the current directory.
    if (glyph == &closedFolder_) indent = (currentIndex_ + 1) * 4 + 2;
    glyphWidth = glyph->Width();
    filectrl_detail::DrawGlyph(canvas, glyph, rect.left + indent, rect);
  }
  canvas->TextOut(rect.left + glyphWidth + indent + 4, rect.top, DisplayText(index));
}
