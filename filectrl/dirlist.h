// TDirectoryListBox: an owner-drawn list of where the user stands in the directory tree:
// the drive root, each directory on the way down, the current directory and its
// subdirectories, each with a folder glyph and indented by its depth. Double-clicking an
// entry, or pressing Enter on it, makes that directory current; every change is passed on
// to a linked file list and shown, shortened to fit, by an optional label.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "controls/label.h"
#include "controls/listbox.h"
#include "filectrl/forward.h"
#include "graphics/bitmap.h"

// A folder glyph: an empty 16 x 16 bitmap until a folder image replaces it.
class TFolderBitmap : public TBitmap {
  TD_CLASS(TFolderBitmap, TBitmap)

 public:
  TFolderBitmap();
};

class TDirectoryListBox : public TCustomListBox {
  TD_CLASS(TDirectoryListBox, TCustomListBox)

 public:
  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;

  // The current directory as the platform reports it. Setting changes to it (relative to
  // the old one), rebuilds and notifies; EInOutError leaves everything as it was.
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& value);
  // The first character of Directory. Setting makes that drive's current directory
  // current (EInOutError for a drive that is not ready).
  char Drive() const { return directory_.empty() ? '\0' : directory_[0]; }
  void SetDrive(char value);
  TFileListBox* FileList() const { return fileList_; }
  void SetFileList(TFileListBox* value);
  TLabel* DirLabel() const { return dirLabel_; }
  void SetDirLabel(TLabel* value);
  // The drive selector that drives this list (set by it).
  TDriveComboBox* DriveComboLink() const { return driveComboLink_; }
  void SetDriveComboLink(TDriveComboBox* value) { driveComboLink_ = value; }

  // Rebuilds the entries and notifies, even when nothing changed.
  void Update();
  // The full path an entry stands for (an ancestor's path has no drive part); empty past
  // the last entry.
  std::string EntryPath(std::int32_t index);
  // Goes to the path of the selected entry.
  void OpenCurrentEntry();
  // The volume of Directory as the last rebuild found it.
  bool PreservesCase() const { return preservesCase_; }
  bool CaseSensitive() const { return caseSensitive_; }
  // The entry's text as shown: lowered on a volume that neither keeps nor compares case.
  std::string DisplayText(std::int32_t index);

  // Changes drive and directory to a typed path.
  virtual void NavigateTo(const std::string& path);
  virtual void NotifyChange();
  virtual void LoadGlyphs();
  virtual void BuildEntries();

  void PaintEntry(int index, const RECT& rect, TOwnerDrawState state) override;
  void FireDblClick() override;
  void HandleKeyPress(char& key) override;
  void BuildWindow() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;

  TNotifyEvent OnChange;

 private:
  bool SamePath(const std::string& a, const std::string& b) const;
  void UpdateLabel();
  void ResetItemHeight();
  void FMFontChanged(TMessage& message);

  TFileListBox* fileList_ = nullptr;
  TDriveComboBox* driveComboLink_ = nullptr;
  TLabel* dirLabel_ = nullptr;
  bool changingDrive_ = false;
  bool preservesCase_ = true;
  bool caseSensitive_ = false;
  TFolderBitmap closedFolder_;
  TFolderBitmap openFolder_;
  TFolderBitmap currentFolder_;
  std::string directory_;
  // The entry of the current directory, as the last rebuild placed it.
  std::int32_t currentIndex_ = -1;
};

// Shortens a path to fit width, as measured by measure(text), by replacing leading
// directories with "...": C:\A\B\NAME becomes C:\...\B\NAME, then C:\...\NAME, then
// ...\NAME and finally NAME.
std::string ShortenPath(const std::string& path, int width,
                        const std::function<int(const std::string&)>& measure);
