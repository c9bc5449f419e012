// TCustomListBox and TCustomComboBox: windowed controls over the platform's "LISTBOX" and
// "COMBOBOX". Their entries live only in the platform control; Items presents them as a
// string list through the adapters TListBoxStrings and TComboBoxStrings, which turn
// every string-list operation into a message. Owner-drawn styles measure and paint each
// entry on Canvas. Entries, their objects and the list box's selection and first visible
// entry survive a rebuild of the window. TListBox and TComboBox publish them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classes/lists.h"
#include "forms/form.h"
#include "forms/wincontrol.h"

class TCustomListBox;
class TCustomComboBox;

enum TListBoxStyle { lsStandard, lsOwnerDrawFixed, lsOwnerDrawVariable };
TD_ENUM_TYPE(TListBoxStyle, "lsStandard", "lsOwnerDrawFixed", "lsOwnerDrawVariable");
enum TComboBoxStyle {
  cbsDropDown,
  cbsSimple,
  cbsDropDownList,
  cbsOwnerDrawFixed,
  cbsOwnerDrawVariable
};
TD_ENUM_TYPE(TComboBoxStyle, "cbsDropDown", "cbsSimple", "cbsDropDownList", "cbsOwnerDrawFixed",
             "cbsOwnerDrawVariable");
// The state bits of an entry being drawn, in the order of the platform's ODS_ flags.
enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused };
TD_ENUM_TYPE(TOwnerDrawStateFlag, "odSelected", "odGrayed", "odDisabled", "odChecked", "odFocused");
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

// (control, entry index, rectangle, state): paints one entry in place of the default.
using TPaintEntryEvent = TEvent<TWinControl*, int, RECT, TOwnerDrawState>;
// (control, entry index, height): sets the height of one entry (variable styles).
using TMeasureEntryEvent = TEvent<TWinControl*, int, int&>;

// The messages an item adapter sends for each string-list operation.
struct TItemMessages {
  UINT Count, TextLength, Text, GetData, SetData, Add, Insert, Delete, Reset;
};

// What the two item adapters share: they keep nothing themselves; every operation is a
// message to the control, whose window is made when needed. Adding gives the position the
// control chose (the sorted one when sorted) and raises EOutOfResources "Unable to insert
// a line" when it refuses the entry. Redrawing is off inside an update bracket; the control
// repaints when it ends. Entries of any length are read whole (the length is asked first).
class TItemStrings : public TStrings {
  TD_CLASS(TItemStrings, TStrings)

 public:
  TWinControl* Control() const { return control_; }

  std::string Get(std::int32_t index) const override;
  std::int32_t Count() const override;
  TObject* GetObject(std::int32_t index) const override;
  void PutObject(std::int32_t index, TObject* object) override;
  std::int32_t Add(const std::string& s) override;
  void Insert(std::int32_t index, const std::string& s) override;
  void Delete(std::int32_t index) override;
  void Clear() override;

 protected:
  TItemStrings(TWinControl* control, const TItemMessages& messages)
      : control_(control), messages_(messages) {}
  void UpdatingChanged(bool updating) override;
  // What an entry or object the control refuses to give reads as.
  virtual std::string RefusedText() const = 0;
  virtual TObject* RefusedObject(LRESULT answer) const = 0;

 private:
  TWinControl* control_;
  const TItemMessages& messages_;
};

// Items of a list box: an entry or object the control refuses raises EStringListError
// "List index out of bounds".
class TListBoxStrings : public TItemStrings {
  TD_CLASS(TListBoxStrings, TItemStrings)

 public:
  explicit TListBoxStrings(TCustomListBox* listBox);
  TCustomListBox* ListBox() const;

 protected:
  std::string RefusedText() const override;
  TObject* RefusedObject(LRESULT answer) const override;
};

// Items of a combo box: an entry that cannot be read is the empty text; removing every
// entry keeps the control's text.
class TComboBoxStrings : public TItemStrings {
  TD_CLASS(TComboBoxStrings, TItemStrings)

 public:
  explicit TComboBoxStrings(TCustomComboBox* comboBox);
  TCustomComboBox* ComboBox() const;
  void Clear() override;

 protected:
  std::string RefusedText() const override { return std::string(); }
  TObject* RefusedObject(LRESULT answer) const override {
    return reinterpret_cast<TObject*>(answer);
  }
};

class TCustomListBox : public TWinControl {
  TD_CLASS(TCustomListBox, TWinControl)

 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  TStrings* Items() const { return items_.get(); }
  // Copies the strings and objects of value into the entries.
  void SetItems(TStrings* value) { items_->CopyFrom(value); }
  TControlCanvas* Canvas() const { return canvas_.get(); }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  std::int32_t Columns() const { return columns_; }
  void SetColumns(std::int32_t value);
  // The stored height, or, for the standard style while the window exists, the height
  // the platform gives entry 0.
  std::int32_t ItemHeight();
  void SetItemHeight(std::int32_t value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  std::int32_t TabWidth() const { return tabWidth_; }
  void SetTabWidth(std::int32_t value);

  // The selected entry, -1 for none. Setting raises no event.
  std::int32_t ItemIndex();
  void SetItemIndex(std::int32_t value);
  // EListError "List index out of bounds" for an entry the control refuses.
  bool IsSelected(std::int32_t index);
  bool Selected(std::int32_t index) { return IsSelected(index); }
  void SetSelected(std::int32_t index, bool value);
  std::int32_t SelCount();
  std::int32_t TopIndex();
  void SetTopIndex(std::int32_t value);
  // The entry at a client point: -1 outside the client area; below the last entry -1
  // when existingOnly, else Count.
  std::int32_t EntryAt(POINT point, bool existingOnly);
  RECT EntryRect(std::int32_t index);
  void Clear() { items_->Clear(); }

  virtual void PaintEntry(int index, const RECT& rect, TOwnerDrawState state);
  virtual void MeasureEntry(int index, int& height);

  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;
  void TearDownWindow() override;
  void MessageProc(TMessage& message) override;
  void DragCancelled() override;

  TPaintEntryEvent OnPaintEntry;
  TMeasureEntryEvent OnMeasureEntry;

 private:
  void SetColumnWidth();
  void SaveSelection();
  void RestoreSelection();
  void RebuildIfChanged(bool& field, bool value);

  void FNCommand(TMessage& message);
  void FNDrawItem(TMessage& message);
  void FNMeasureItem(TMessage& message);
  void WMLButtonDown(TMessage& message);
  void WMPaint(TMessage& message);
  void WMSize(TMessage& message);
  void FMCtl3DChanged(TMessage& message);

  std::unique_ptr<TListBoxStrings> items_;
  TFormBorderStyle borderStyle_ = bsSingle;
  std::unique_ptr<TControlCanvas> canvas_;
  std::int32_t columns_ = 0;
  std::int32_t itemHeight_ = 16;
  TListBoxStyle style_ = lsStandard;
  bool integralHeight_ = false;
  bool multiSelect_ = false;
  bool sorted_ = false;
  bool extendedSelect_ = true;
  std::int32_t tabWidth_ = 0;
  std::unique_ptr<TStringList> savedItems_;
  std::int32_t savedTopIndex_ = 0;
  std::int32_t savedItemIndex_ = -1;
  // The selected entries of a multi-selection list (ItemIndex alone is its caret).
  std::vector<int> savedSelection_;
};

class TCustomComboBox : public TWinControl {
  TD_CLASS(TCustomComboBox, TWinControl)

 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* value) { items_->CopyFrom(value); }
  TControlCanvas* Canvas() const { return canvas_.get(); }

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TComboBoxStyle Style() const { return style_; }
  virtual void SetStyle(TComboBoxStyle value);
  // Takes effect at the next window creation.
  std::int32_t ItemHeight() const { return itemHeight_; }
  void SetItemHeight(std::int32_t value);
  // 0 and values above 255 mean 255.
  std::int32_t MaxLength() const { return maxLength_; }
  void SetMaxLength(std::int32_t value);
  std::int32_t DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(std::int32_t value) { dropDownCount_ = value; }

  // The selected entry, -1 for none. Setting raises no event.
  std::int32_t ItemIndex();
  void SetItemIndex(std::int32_t value);
  bool DroppedDown();
  void SetDroppedDown(bool value);
  // Clears the text, then the entries.
  void Clear();
  HWND EditWindow() const { return editWindow_; }
  HWND ListWindow() const { return listWindow_; }

  // What the edit and list children do with the messages their routing hands over.
  virtual void ChildMessageProc(TMessage& message, HWND child, WNDPROC childProc);
  virtual void PaintEntry(int index, const RECT& rect, TOwnerDrawState state);
  virtual void MeasureEntry(int index, int& height);
  virtual void NotifyChange();
  virtual void NotifyDropDown();

  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;
  void TearDownWindow() override;
  void MessageProc(TMessage& message) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TPaintEntryEvent OnPaintEntry;
  TMeasureEntryEvent OnMeasureEntry;

 private:
  static void EditRoutingEntry(TObject* object, TMessage& message);
  static void ListRoutingEntry(TObject* object, TMessage& message);
  void FromChild(TMessage& message, HWND child, WNDPROC childProc);
  void SetEditMargins();
  void DropDown();
  void ForgetChildren();

  void FNCommand(TMessage& message);
  void FNDrawItem(TMessage& message);
  void FNMeasureItem(TMessage& message);
  void WMCreate(TMessage& message);
  void WMCtlColor(TMessage& message);
  void WMLButtonDown(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMGetDlgCode(TMessage& message);
  void WMOwnItemMessage(TMessage& message);
  void FMCancelMode(TMessage& message);
  void FMCtl3DChanged(TMessage& message);

  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TControlCanvas> canvas_;
  bool sorted_ = false;
  TComboBoxStyle style_ = cbsDropDown;
  std::int32_t itemHeight_ = 16;
  std::int32_t maxLength_ = 0;
  std::int32_t dropDownCount_ = 8;
  HWND editWindow_ = nullptr;
  HWND listWindow_ = nullptr;
  WNDPROC editRouting_ = nullptr;
  WNDPROC listRouting_ = nullptr;
  WNDPROC editProc_ = nullptr;
  WNDPROC listProc_ = nullptr;
  bool focused_ = false;
  bool focusChanged_ = false;
  std::unique_ptr<TStringList> savedItems_;
  std::string creationText_;
};

class TListBox : public TCustomListBox {
  TD_CLASS(TListBox, TCustomListBox)

 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

class TComboBox : public TCustomComboBox {
  TD_CLASS(TComboBox, TCustomComboBox)

 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};
