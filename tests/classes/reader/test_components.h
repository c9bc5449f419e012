// Components for the reader's tests: they publish properties of every kind, nested
// persistent objects, a collection, events and references, under the class names the
// main window's description uses. They live in a namespace of their own so that they
// never meet the real controls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classes/component.h"
#include "classes/events.h"
#include "classes/reader.h"

namespace reader_test {

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TDragMode { dmManual, dmAutomatic };
enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

// Integer types with identifier mappers, as colours and character sets have.
const TTypeInfo& ColorType();
const TTypeInfo& CharsetType();
const TTypeInfo& ShortStringType();  // at most 8 characters
void RegisterTestMappers();

// What AfterLoad saw, in order, across all test components.
std::vector<std::string>& AfterLoadLog();

class TTestFont : public TPersistent {
  TD_CLASS(TTestFont, TPersistent)

 public:
  std::uint8_t Charset = 0;
  std::int32_t Color = 0;
  std::int32_t Height = 0;
  std::string Name;
  TSet<TFontStyle> Style{fsBold};
};

// A picture's stored form: the binary "Data" entry, kept as bytes.
class TTestPicture : public TPersistent {
  TD_CLASS(TTestPicture, TPersistent)

 public:
  void DeclareStoredData(TFiler& filer) override;
  std::vector<std::uint8_t> Data;
  int streamPositionAtRead = -1;
};

class TTestItem : public TPersistent {
  TD_CLASS(TTestItem, TPersistent)

 public:
  std::string Title;
  std::int32_t Width = 0;
};

class TTestCollection : public TCollection {
  TD_CLASS(TTestCollection, TCollection)

 public:
  int Count() const override { return static_cast<int>(items_.size()); }
  TPersistent* Add() override;
  TPersistent* Items(int index) const override { return items_.at(static_cast<std::size_t>(index)).get(); }
  void EndUpdate() override;
  int changes = 0;

 private:
  std::vector<std::unique_ptr<TTestItem>> items_;
};

// A visual component: every property kind the reader sets.
class TTestControl : public TComponent {
  TD_CLASS(TTestControl, TComponent)

 public:
  explicit TTestControl(TComponent* owner) : TComponent(owner) {}
  void AttachToParent(TComponent* parent) override { Parent = parent; }
  void SetChildPosition(TComponent* child, int order) override;
  void AfterLoad() override;
  void DeclareStoredData(TFiler& filer) override;
  TTestFont* Font() { return &font_; }
  TTestPicture* Icon() { return &icon_; }
  TTestPicture* Glyph() { return &glyph_; }
  TTestCollection* Columns() { return &columns_; }
  void SetColumns(TTestCollection* columns) { copiedColumns = columns; }
  TTestCollection* copiedColumns = nullptr;
  std::int32_t Fixed() const { return 7; }

  // Defaults no description stores, so that every stored value shows.
  std::int32_t Left = -1, Top = -1, Width = -1, Height = -1;
  std::string Caption;
  bool Visible = true, Enabled = true, AutoSize = true, Checked = false;
  std::int16_t TabOrder = -1;
  std::int32_t ItemHeight = -1, NumGlyphs = -1, PixelsPerInch = -1, TextHeight = -1;
  std::int32_t Frequency = -1, Position = -1, SelEnd = -1, SelStart = -1;
  std::uint16_t ShortCut = 0xFFFF;
  std::uint32_t Interval = 1000;
  std::int8_t Tiny = 0;
  std::string Mask, Filter, Label;
  char Letter = ' ';
  float Small = 0;
  double Ratio = 0;
  long double Precise = 0;
  TDragMode DragMode = dmManual;
  TTrackBarOrientation Orientation = trVertical;
  TTickMark TickMarks = tmBottomRight;
  TTickStyle TickStyle = tsNone;
  TSet<TFontStyle> Options;
  std::int32_t Stored = 0;  // only as the stored-data entry "Extra"
  TComponent* FileList = nullptr;
  TComponent* DirList = nullptr;
  TComponent* Menu = nullptr;
  TNotifyEvent OnClick, OnDblClick, OnTimer;
  TEvent<TObject*, char&> OnKeyPress;
  TEvent<TObject*, TObject*, int, int> OnDragDrop;
  TEvent<TObject*, TObject*, int, int, int, bool&> OnDragOver;
  TEvent<TObject*, TObject*&> OnStartDrag;

  TComponent* Parent = nullptr;
  std::vector<std::pair<std::string, int>> positions;
  bool loadingWhenRead = false;

 private:
  TTestFont font_;
  TTestPicture icon_;
  TTestPicture glyph_;
  TTestCollection columns_;
};

// Non-visual components keep their design position in the "Left" and "Top" entries.
class TTestNonVisual : public TComponent {
  TD_CLASS(TTestNonVisual, TComponent)

 public:
  explicit TTestNonVisual(TComponent* owner) : TComponent(owner) {}
  void AfterLoad() override;
  bool Enabled = true;
  std::uint32_t Interval = 1000;
  TNotifyEvent OnTimer;
};

class TMenuItem : public TComponent {
  TD_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
  void AttachToParent(TComponent* parent) override { ParentItem = parent; }
  void AfterLoad() override;
  std::string Caption;
  bool Checked = false;
  std::uint16_t ShortCut = 0xFFFF;
  TNotifyEvent OnClick;
  TComponent* ParentItem = nullptr;
};

#define TD_TEST_CONTROL(Name, Base)                              \
  class Name : public Base {                                     \
    TD_CLASS(Name, Base)                                         \
                                                                 \
   public:                                                       \
    explicit Name(TComponent* owner) : Base(owner) {}            \
  };
TD_TEST_CONTROL(TSpeedButton, TTestControl)
TD_TEST_CONTROL(TLabel, TTestControl)
TD_TEST_CONTROL(TMediaPlayer, TTestControl)
TD_TEST_CONTROL(TFileListBox, TTestControl)
TD_TEST_CONTROL(TDirectoryListBox, TTestControl)
TD_TEST_CONTROL(TDriveComboBox, TTestControl)
TD_TEST_CONTROL(TFilterComboBox, TTestControl)
TD_TEST_CONTROL(TTrackBar, TTestControl)
TD_TEST_CONTROL(TMainMenu, TTestNonVisual)
TD_TEST_CONTROL(TTimer, TTestNonVisual)
#undef TD_TEST_CONTROL

// The main window's class: a published field per component and the handlers by name.
class TForm1 : public TTestControl {
  TD_CLASS(TForm1, TTestControl)

 public:
  explicit TForm1(TComponent* owner) : TTestControl(owner) {}

  TSpeedButton *SpeedButton2 = nullptr, *SpeedButton3 = nullptr, *SpeedButton1 = nullptr;
  TLabel* Label1 = nullptr;
  TMediaPlayer* MC = nullptr;
  TFileListBox* FileList = nullptr;
  TDirectoryListBox* DirList = nullptr;
  TDriveComboBox* DirCombo = nullptr;
  TFilterComboBox* FileCombo = nullptr;
  TTrackBar* Bar1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem *File1 = nullptr, *Exit1 = nullptr, *Option1 = nullptr, *RefreshList1 = nullptr, *Repeat1 = nullptr,
            *Repeat2 = nullptr, *Sequence1 = nullptr;
  TTimer* Timer2 = nullptr;

  std::vector<std::string> calls;
  void SpeedButton1Click(TObject*) { calls.push_back("SpeedButton1Click"); }
  void SpeedButton2Click(TObject*) { calls.push_back("SpeedButton2Click"); }
  void SpeedButton3Click(TObject*) { calls.push_back("SpeedButton3Click"); }
  void FileListDblClick(TObject*) { calls.push_back("FileListDblClick"); }
  void FileListKeyPress(TObject*, char& key) { calls.push_back(std::string("FileListKeyPress ") + key); }
  void Bar1DragDrop(TObject*, TObject*, int, int) { calls.push_back("Bar1DragDrop"); }
  void Bar1DragOver(TObject*, TObject*, int, int, int, bool&) { calls.push_back("Bar1DragOver"); }
  void Bar1StartDrag(TObject*, TObject*&) { calls.push_back("Bar1StartDrag"); }
  void Exit1Click(TObject*) { calls.push_back("Exit1Click"); }
  void RefreshList1Click(TObject*) { calls.push_back("RefreshList1Click"); }
  void Repeat2Click(TObject*) { calls.push_back("Repeat2Click"); }
  void Sequence1Click(TObject*) { calls.push_back("Sequence1Click"); }
  void Timer2Timer(TObject*) { calls.push_back("Timer2Timer"); }
};

// Installs a global component lookup for its lifetime (roots keep their stored names
// only while one is installed).
class LookupScope {
 public:
  explicit LookupScope(TFindGlobalComponent lookup = [](const std::string&) -> TComponent* { return nullptr; }) {
    SetFindGlobalComponent(std::move(lookup));
  }
  ~LookupScope() { SetFindGlobalComponent(nullptr); }
};

// One line per object: name, class, parent, then every property whose value differs
// from a new instance's, as "path=value".
std::string Dump(TForm1& form);

// Reads a description from bytes; root nil creates the stored class. configure may
// install the reader's hooks first.
TComponent* ReadBytes(const std::vector<std::uint8_t>& bytes, TComponent* root,
                      const std::function<void(TReader&)>& configure = {});
// The bytes of a form text (the resource compiler's syntax).
std::vector<std::uint8_t> FormBytes(const std::string& text);

}  // namespace reader_test
