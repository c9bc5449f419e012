// TFileListBox: an owner-drawn, always sorted list of the names in one directory that
// match a set of wildcard masks, optionally each with a small glyph. It works through the
// process's current directory: changing its directory, and every reading of the names,
// makes its own directory current first. A directory list (filectrl/dirlist.h) and a
// filter selector (filectrl/filtercombo.h) may drive it.
#pragma once
#include <cstdint>
#include <string>

#include "classes/sets.h"
#include "controls/edit.h"
#include "controls/listbox.h"
#include "filectrl/forward.h"
#include "graphics/bitmap.h"

// The kinds of entries a file list shows; the first six are the platform's attribute bits
// 0x01 to 0x20, ftNormal lists every entry the search returns.
enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };
TD_ENUM_TYPE(TFileAttr, "ftReadOnly", "ftHidden", "ftSystem", "ftVolumeID", "ftDirectory",
             "ftArchive", "ftNormal");
using TFileType = TSet<TFileAttr>;

// Splits a typed path into a drive letter (0 for none), a directory part and a file part,
// resolved from the current directories without changing them (so also from a current
// folder that is gone). A last component that is an existing directory moves into the
// directory part; one that does not exist at all stays the file part. EInOutError when
// the directory part is not an existing directory (the drive not ready, the folder gone).
void SplitTypedPath(const std::string& text, char& drive, std::string& directoryPart,
                    std::string& filePart);

class TFileListBox : public TCustomListBox {
  TD_CLASS(TFileListBox, TCustomListBox)

 public:
  explicit TFileListBox(TComponent* owner);
  ~TFileListBox() override;

  // The listed directory as the platform reports it. Setting changes to it (relative
  // to the old one) and reads the names; EInOutError keeps the old directory and entries.
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& value);
  // Wildcard masks separated by ";", each searched as it stands.
  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& value);
  TFileType FileType() const { return fileType_; }
  void SetFileType(TFileType value);
  bool ShowGlyphs() const { return showGlyphs_; }
  void SetShowGlyphs(bool value);
  TEdit* FileEdit() const { return fileEdit_; }
  void SetFileEdit(TEdit* value);
  // The full path of the selected entry, empty without one. Setting navigates to a typed
  // path and selects the file (EInvalidOperation "Invalid file name - %s" when there is
  // no such file).
  virtual std::string FileName();
  virtual void SetFileName(const std::string& value);
  // The directory list and filter selector that drive this list (set by them).
  TDirectoryListBox* DirListLink() const { return dirListLink_; }
  void SetDirListLink(TDirectoryListBox* value) { dirListLink_ = value; }
  TFilterComboBox* FilterLink() const { return filterLink_; }
  void SetFilterLink(TFilterComboBox* value) { filterLink_ = value; }

  // Reads the names again.
  void Update() { ReadEntries(); }

  // The three glyphs, as loaded from the resources.
  TBitmap* ExecutableGlyph() { return &executableGlyph_; }
  TBitmap* DirectoryGlyph() { return &directoryGlyph_; }
  TBitmap* OtherFileGlyph() { return &otherFileGlyph_; }

  virtual void LoadGlyphs();
  virtual void NotifyChange();
  // Lists the names of Directory under Mask and FileType (only while the window exists).
  virtual void ReadEntries();

  void PaintEntry(int index, const RECT& rect, TOwnerDrawState state) override;
  void FireClick() override;
  void BuildWindow() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;

  TNotifyEvent OnChange;

 private:
  std::string SelectedEntryText();
  void SelectByName(const std::string& name);
  void ResetItemHeight();
  bool IsMaskStored() const { return mask_ != "*.*"; }
  void FMFontChanged(TMessage& message);

  std::string directory_;
  std::string mask_ = "*.*";
  TFileType fileType_{ftNormal};
  TEdit* fileEdit_ = nullptr;
  TDirectoryListBox* dirListLink_ = nullptr;
  TFilterComboBox* filterLink_ = nullptr;
  TBitmap executableGlyph_;
  TBitmap directoryGlyph_;
  TBitmap otherFileGlyph_;
  std::int32_t lastIndex_ = -1;
  bool showGlyphs_ = false;
};
