// TFilterComboBox: a drop-down list of file types. Its Filter holds pairs of a
// description and a mask separated by "|"; the descriptions are the entries, and picking
// one sets the mask of a linked file list.
#pragma once
#include <memory>
#include <string>

#include "classes/lists.h"
#include "controls/listbox.h"
#include "filectrl/forward.h"

class TFilterComboBox : public TCustomComboBox {
  TD_CLASS(TFilterComboBox, TCustomComboBox)

 public:
  explicit TFilterComboBox(TComponent* owner);
  ~TFilterComboBox() override;

  // "description|mask|description|mask...". Setting a text that differs as a file name
  // (not only in case) rebuilds the entries and passes the first mask on.
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& value);
  // The mask of the selected entry; with none selected the last entry is selected first,
  // and "*.*" is the answer when there are no entries.
  std::string Mask();
  TFileListBox* FileList() const { return fileList_; }
  void SetFileList(TFileListBox* value);
  // The mask of each entry, at the entry's index.
  const TStringList& Masks() const { return *masks_; }

  // Rebuilds the entries and masks from Filter and selects the first.
  void BuildEntries();
  // Passes Mask to the file list, then raises OnChange.
  virtual void NotifyFilterChange();

  void FireClick() override;
  void BuildWindow() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;

  // The selector's own change event; the combo box's is left unassigned.
  TNotifyEvent OnChange;

 private:
  bool IsFilterStored() const;

  std::string filter_;
  TFileListBox* fileList_ = nullptr;
  std::unique_ptr<TStringList> masks_;
};
