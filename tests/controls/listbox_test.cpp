// The list box: its entries kept by the platform control and across a rebuild, sorting,
// the list errors, selection and scrolling, owner drawing, events and automatic drag.
#include "controls/listbox.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/forms/forms_fixture.h"
#include "tests/support/messages.h"

namespace {

class TTag : public TObject {};

class TEventLog : public TObject {
 public:
  void Click(TObject*) { ++clicks; }
  void DblClick(TObject*) { ++dblClicks; }
  void Paint(TWinControl*, int index, RECT rect, TOwnerDrawState state) {
    ++painted[index];
    lastRect = rect;
    lastState = state;
  }
  void Measure(TWinControl*, int index, int& height) { height = 10 + index; }
  int clicks = 0;
  int dblClicks = 0;
  std::map<int, int> painted;
  RECT lastRect{};
  TOwnerDrawState lastState;
};

using TRecordingListBox = TRecording<TListBox>;

class ListBoxTest : public FormsTest {
 protected:
  TRecordingListBox* NewList(RECT bounds = RECT{10, 10, 131, 107}) {
    auto* list = Add<TRecordingListBox>(form, bounds);
    list->Font()->SetName("MS Sans Serif");
    list->Font()->SetHeight(-11);
    return list;
  }
  void Fill(TListBox* list, int count) {
    for (int i = 0; i < count; ++i) list->Items()->Add("Entry " + std::to_string(100 + i));
  }
  POINT EntryPoint(TListBox* list, int index) {
    RECT rect = list->EntryRect(index);
    return list->ClientToScreen(POINT{rect.left + 5, (rect.top + rect.bottom) / 2});
  }
  TEventLog events;
};

TEST_F(ListBoxTest, EntriesObjectsSelectionAndTopIndexSurviveARebuild) {
  auto* list = NewList();
  TTag first, last;
  Fill(list, 30);
  list->Items()->SetObjects(0, &first);
  list->Items()->SetObjects(29, &last);
  list->SetTopIndex(12);
  list->SetItemIndex(15);
  HWND before = list->Handle();

  list->SetMultiSelect(true);  // a window style: the window is rebuilt
  EXPECT_NE(list->Handle(), before);
  ASSERT_EQ(list->Items()->Count(), 30);
  EXPECT_EQ(list->Items()->Strings(29), "Entry 129");
  EXPECT_EQ(list->Items()->Objects(0), &first);
  EXPECT_EQ(list->Items()->Objects(29), &last);
  EXPECT_EQ(list->TopIndex(), 12);
  EXPECT_EQ(list->ItemIndex(), 15);
  EXPECT_TRUE(list->IsSelected(15));
  EXPECT_EQ(list->SelCount(), 1);

  // A multi-selection keeps every selected entry.
  list->SetSelected(13, true);
  list->SetSelected(17, true);
  list->SetExtendedSelect(false);
  EXPECT_EQ(list->SelCount(), 3);
  EXPECT_TRUE(list->IsSelected(13) && list->IsSelected(15) && list->IsSelected(17));
  EXPECT_EQ(list->TopIndex(), 12);

  // Also when the parent's window is rebuilt, which takes its children's windows along.
  form->RebuildWindow();
  EXPECT_EQ(list->Items()->Count(), 30);
  EXPECT_EQ(list->Items()->Objects(29), &last);
}

TEST_F(ListBoxTest, SortedAddLandsInOrderAndIndexOfIgnoresCase) {
  auto* list = NewList();
  list->SetSorted(true);
  EXPECT_EQ(list->Items()->Add("b"), 0);
  EXPECT_EQ(list->Items()->Add("a"), 0);
  EXPECT_EQ(list->Items()->Add("c"), 2);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->Items()->Text(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(list->Items()->IndexOf("B"), 1);
  EXPECT_EQ(list->Items()->IndexOf("d"), -1);
  TTag tag;
  EXPECT_EQ(list->Items()->AddObject("aa", &tag), 1);
  EXPECT_EQ(list->Items()->Objects(1), &tag) << "the object goes where the entry went";
}

TEST_F(ListBoxTest, OutOfRangeEntriesRaiseTheListErrors) {
  auto* list = NewList();
  Fill(list, 3);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list->Items()->Strings(3); }),
            "List index out of bounds");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list->Items()->Strings(-1); }),
            "List index out of bounds");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list->Items()->Objects(7); }),
            "List index out of bounds");
  EXPECT_EQ(MessageOf<EListError>([&] { list->IsSelected(3); }), "List index out of bounds");
  EXPECT_EQ(list->Items()->Count(), 3) << "nothing changed";
}

TEST_F(ListBoxTest, EntriesLongerThanFourKilobytesAreReadWhole) {
  auto* list = NewList();
  std::string longText(10000, 'x');
  longText.back() = 'y';
  list->Items()->Add(longText);
  EXPECT_EQ(list->Items()->Strings(0), longText);
  EXPECT_EQ(list->Items()->Text(), longText + "\r\n");
}

TEST_F(ListBoxTest, ItemIndexIsSentOnlyWhenItChangesAndRaisesNoEvent) {
  auto* list = NewList();
  list->OnClick = TNotifyEvent(&events, &TEventLog::Click);
  Fill(list, 5);
  list->SetItemIndex(2);
  list->log.clear();
  list->SetItemIndex(2);
  EXPECT_EQ(list->Count(LB_SETCURSEL), 0);
  list->SetItemIndex(-1);
  EXPECT_EQ(list->Count(LB_SETCURSEL), 1);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(events.clicks, 0);
}

TEST_F(ListBoxTest, UserSelectionRaisesClickAndDoubleClick) {
  auto* list = NewList();
  list->OnClick = TNotifyEvent(&events, &TEventLog::Click);
  list->OnDblClick = TNotifyEvent(&events, &TEventLog::DblClick);
  Fill(list, 5);
  pt::PumpUntilIdle();
  POINT p = EntryPoint(list, 1);
  pt::Click(p.x, p.y);
  PumpLikeApplication();
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(events.clicks, 1);

  pt::KeyDown(VK_DOWN);
  pt::KeyUp(VK_DOWN);
  PumpLikeApplication();
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(events.clicks, 2) << "a keyboard move is a click too";

  p = EntryPoint(list, 3);
  pt::DoubleClick(p.x, p.y);
  PumpLikeApplication();
  EXPECT_EQ(events.dblClicks, 1);
}

TEST_F(ListBoxTest, ItemHeightOfOwnerDrawnListsIsTheStoredValue) {
  auto* list = NewList();
  Fill(list, 2);
  int platformHeight = list->ItemHeight();
  EXPECT_GT(platformHeight, 0);
  EXPECT_NE(platformHeight, 16) << "the standard style asks the platform";
  list->SetStyle(lsOwnerDrawFixed);
  list->SetItemHeight(21);
  EXPECT_EQ(list->ItemHeight(), 21);
  RECT rect = list->EntryRect(1);
  EXPECT_EQ(rect.bottom - rect.top, 21);
  EXPECT_EQ(list->Items()->Count(), 2);
  list->SetItemHeight(0);
  EXPECT_EQ(list->ItemHeight(), 21) << "0 is refused";
}

TEST_F(ListBoxTest, ColumnsRebuildOnlyWhenMultiColumnChanges) {
  auto* list = NewList(RECT{0, 0, 121, 97});
  Fill(list, 40);
  HWND before = list->Handle();
  list->SetColumns(2);
  EXPECT_NE(list->Handle(), before);
  EXPECT_NE(GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_MULTICOLUMN, 0);
  EXPECT_EQ(list->EntryRect(0).right - list->EntryRect(0).left, (121 + 2 - 3) / 2);

  before = list->Handle();
  list->log.clear();
  list->SetColumns(3);
  EXPECT_EQ(list->Handle(), before);
  EXPECT_EQ(list->Count(LB_SETCOLUMNWIDTH), 1);
  EXPECT_EQ(list->EntryRect(0).right - list->EntryRect(0).left, 121 / 3);
}

TEST_F(ListBoxTest, OwnerDrawnListPaintsEachVisibleEntryOncePerPaint) {
  auto* list = NewList(RECT{10, 10, 131, 110});
  list->SetStyle(lsOwnerDrawFixed);
  list->SetItemHeight(20);
  list->OnPaintEntry = TPaintEntryEvent(&events, &TEventLog::Paint);
  Fill(list, 20);
  pt::PumpUntilIdle();
  events.painted.clear();
  InvalidateRect(list->Handle(), nullptr, TRUE);
  UpdateWindow(list->Handle());
  RECT client = list->ClientRect();
  int visible = (client.bottom + 19) / 20;
  ASSERT_EQ(static_cast<int>(events.painted.size()), visible);
  for (auto [index, times] : events.painted) {
    EXPECT_LT(index, visible) << "entry " << index << " is not visible";
    EXPECT_EQ(times, 1) << "entry " << index;
  }

  list->SetTopIndex(10);
  pt::PumpUntilIdle();
  events.painted.clear();
  InvalidateRect(list->Handle(), nullptr, TRUE);
  UpdateWindow(list->Handle());
  EXPECT_EQ(events.painted.begin()->first, 10);
}

TEST_F(ListBoxTest, VariableEntriesAreMeasuredByTheHandler) {
  auto* list = NewList();
  list->SetStyle(lsOwnerDrawVariable);
  list->OnMeasureEntry = TMeasureEntryEvent(&events, &TEventLog::Measure);
  Fill(list, 4);
  EXPECT_EQ(list->EntryRect(0).bottom - list->EntryRect(0).top, 10);
  EXPECT_EQ(list->EntryRect(3).bottom - list->EntryRect(3).top, 13);
}

TEST_F(ListBoxTest, DefaultOwnerDrawingShowsSelectionAndFocus) {
  auto* list = NewList(RECT{10, 10, 131, 107});
  list->SetStyle(lsOwnerDrawFixed);
  list->SetItemHeight(18);
  Fill(list, 3);
  list->SetItemIndex(1);
  list->SetFocus();
  pt::PumpUntilIdle();
  RECT selected = list->EntryRect(1);
  // Inside the entry, away from its text and from the focus rectangle on its border.
  EXPECT_EQ(pt::WindowPixel(list->Handle(), selected.right - 4, selected.top + 4),
            ColorToRGB(clHighlight));
  RECT other = list->EntryRect(2);
  EXPECT_EQ(pt::WindowPixel(list->Handle(), other.right - 4, other.top + 4), ColorToRGB(clWindow));
  // The focus rectangle is a dotted frame: its corner row alternates with the highlight.
  int dotted = 0;
  for (int x = selected.left; x < selected.left + 10; ++x)
    dotted += pt::WindowPixel(list->Handle(), x, selected.top) != ColorToRGB(clHighlight);
  EXPECT_GE(dotted, 4);
}

TEST_F(ListBoxTest, PaintingIntoAGivenContextDrawsFromTheTopEntryDownToTheHeight) {
  auto* list = NewList(RECT{10, 10, 131, 107});  // 97 high: entries at 0, 16, ... 96
  list->OnPaintEntry = TPaintEntryEvent(&events, &TEventLog::Paint);
  Fill(list, 20);
  list->SetTopIndex(3);
  pt::PumpUntilIdle();
  events.painted.clear();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 121, 97);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(list->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(events.painted.size(), 7u);
  EXPECT_EQ(events.painted.begin()->first, 3);
  EXPECT_EQ(events.painted.rbegin()->first, 9);
  EXPECT_EQ(events.lastRect.top, 96);
  EXPECT_EQ(events.lastRect.right, 121);
  EXPECT_TRUE(events.lastState.Empty()) << "drawn as neither selected nor focused";
}

TEST_F(ListBoxTest, UpdateBracketsSwitchRedrawingOffAndOn) {
  auto* list = NewList();
  list->Handle();
  list->log.clear();
  list->Items()->BeginUpdate();
  list->Items()->BeginUpdate();
  Fill(list, 3);
  list->Items()->EndUpdate();
  EXPECT_EQ(list->Count(WM_SETREDRAW), 1);
  list->Items()->EndUpdate();
  EXPECT_EQ(list->Count(WM_SETREDRAW), 2);
}

TEST_F(ListBoxTest, EntryAtFindsVisibleEntries) {
  auto* list = NewList();
  Fill(list, 3);
  RECT second = list->EntryRect(1);
  EXPECT_EQ(list->EntryAt(POINT{5, second.top + 1}, true), 1);
  EXPECT_EQ(list->EntryAt(POINT{5, 90}, true), -1);
  EXPECT_EQ(list->EntryAt(POINT{5, 90}, false), 3);
  EXPECT_EQ(list->EntryAt(POINT{-5, 5}, false), -1);
}

TEST_F(ListBoxTest, AutomaticDragOnASelectedEntryKeepsTheSelection) {
  auto* list = NewList();
  list->SetMultiSelect(true);
  Fill(list, 5);
  list->SetSelected(1, true);
  list->SetSelected(3, true);
  list->SetDragMode(dmAutomatic);
  pt::PumpUntilIdle();
  POINT p = EntryPoint(list, 3);
  pt::MouseDown(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(list->IsSelected(1));
  EXPECT_TRUE(list->IsSelected(3));
  pt::MouseMove(p.x + 20, p.y + 20);
  pt::PumpUntilIdle();
  EXPECT_TRUE(list->IsBeingDragged());
  pt::MouseUp(p.x + 20, p.y + 20);
  pt::PumpUntilIdle();
  EXPECT_FALSE(list->IsBeingDragged());
  EXPECT_EQ(list->SelCount(), 2);
}

}  // namespace
