// TDriveComboBox: an owner-drawn drop-down list of the drives present, each with a glyph
// for its kind and its volume label (a network drive: the share it is connected to).
// Picking a drive makes it current in a linked directory list, which passes the change
// on to its file list.
#pragma once
#include <array>

#include "controls/listbox.h"
#include "filectrl/forward.h"
#include "graphics/bitmap.h"

enum TTextCase { tcLowerCase, tcUpperCase };
TD_ENUM_TYPE(TTextCase, "tcLowerCase", "tcUpperCase");

class TDriveComboBox : public TCustomComboBox {
  TD_CLASS(TDriveComboBox, TCustomComboBox)

 public:
  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;

  // The selected drive letter in the case TextCase gives, 0 for none. Setting selects its
  // entry (a letter without one is still stored), passes it to the directory list and
  // raises OnChange; the directory list's EInOutError for a drive that is not ready
  // comes out after the new drive is shown.
  char Drive() const { return drive_; }
  void SetDrive(char value);
  // Setting rebuilds the entries and selects the drive again, also for the same value.
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase value);
  TDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TDirectoryListBox* value);

  // The glyph of each kind of drive: floppy, hard, network, CD-ROM, RAM.
  enum GlyphKind { kFloppy, kHard, kNetwork, kCdRom, kRam };
  TBitmap* Glyph(GlyphKind kind) { return &glyphs_[kind]; }

  // One entry per present drive whose kind is known, in letter order.
  virtual void BuildEntries();
  virtual void NotifyDriveChange();

  void PaintEntry(int index, const RECT& rect, TOwnerDrawState state) override;
  void FireClick() override;
  void BuildWindow() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;

  // The selector's own change event; the combo box's is left unassigned.
  TNotifyEvent OnChange;

 private:
  std::string VolumeLabelText(char letter);
  std::string NetworkNameText(char letter);
  void ResetItemHeight();
  void FMFontChanged(TMessage& message);

  TDirectoryListBox* dirList_ = nullptr;
  char drive_ = '\0';
  TTextCase textCase_ = tcLowerCase;
  std::array<TBitmap, 5> glyphs_;
};
