// The combo box: its entries and text, the user's choice and typing, the drop-down, the
// children routed through the control and a rebuild.
#include <gtest/gtest.h>

#include "controls/listbox.h"
#include "tests/forms/forms_fixture.h"
#include "tests/support/messages.h"

namespace {

class TTag : public TObject {};

class TComboEvents : public TObject {
 public:
  void Click(TObject*) { ++clicks; }
  void Change(TObject*) { ++changes; }
  void DropDown(TObject*) { ++dropDowns; }
  void KeyPress(TObject*, char& key) {
    pressed += key;
    if (key == 'x') key = 0;
  }
  int clicks = 0;
  int changes = 0;
  int dropDowns = 0;
  std::string pressed;
};

class ComboBoxTest : public FormsTest {
 protected:
  TComboBox* NewCombo(TComboBoxStyle style = cbsDropDown) {
    auto* combo = Add<TComboBox>(form, RECT{10, 10, 155, 35});
    combo->SetStyle(style);
    combo->OnClick = TNotifyEvent(&events, &TComboEvents::Click);
    combo->OnChange = TNotifyEvent(&events, &TComboEvents::Change);
    combo->OnDropDown = TNotifyEvent(&events, &TComboEvents::DropDown);
    return combo;
  }
  void Fill(TComboBox* combo) {
    for (const char* s : {"one", "two", "three"}) combo->Items()->Add(s);
  }
  TComboEvents events;
};

TEST_F(ComboBoxTest, ClearEmptiesTheTextButRemovingTheEntriesKeepsIt) {
  TComboBox* combo = NewCombo();
  Fill(combo);
  combo->SetText("typed");
  combo->Items()->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), "typed");
  Fill(combo);
  combo->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), "");
}

TEST_F(ComboBoxTest, EntriesAndObjectsSurviveARebuild) {
  TComboBox* combo = NewCombo();
  TTag tag;
  Fill(combo);
  combo->Items()->SetObjects(2, &tag);
  HWND before = combo->Handle();
  combo->SetSorted(true);
  EXPECT_NE(combo->Handle(), before);
  EXPECT_EQ(combo->Items()->Text(), "one\r\nthree\r\ntwo\r\n");
  EXPECT_EQ(combo->Items()->Objects(1), &tag);
  EXPECT_NE(GetWindowLongA(combo->Handle(), GWL_STYLE) & CBS_SORT, 0);
}

TEST_F(ComboBoxTest, ProgramSelectionRaisesNothingAndUnreadableEntriesAreEmpty) {
  TComboBox* combo = NewCombo(cbsDropDownList);
  Fill(combo);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "two");
  EXPECT_EQ(events.clicks + events.changes, 0);
  EXPECT_EQ(combo->Items()->Strings(7), "") << "no error for a combo box entry";
  std::string longText(6000, 'z');
  combo->Items()->Add(longText);
  EXPECT_EQ(combo->Items()->Strings(3), longText);
}

TEST_F(ComboBoxTest, PickingAnEntryFromTheDropDownSetsTheTextAndRaisesClickAndChange) {
  TComboBox* combo = NewCombo();
  Fill(combo);
  combo->SetFocus();
  pt::PumpUntilIdle();
  combo->SetDroppedDown(true);
  pt::PumpUntilIdle();
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(events.dropDowns, 1);
  pt::KeyDown(VK_DOWN);
  pt::KeyUp(VK_DOWN);
  pt::KeyDown(VK_RETURN);
  pt::KeyUp(VK_RETURN);
  PumpLikeApplication();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->Text(), "one");
  EXPECT_GE(events.clicks, 1);
  EXPECT_GE(events.changes, 1);
}

TEST_F(ComboBoxTest, TheDropDownShowsDropDownCountEntriesAtMost) {
  TComboBox* combo = NewCombo(cbsDropDownList);
  for (const char* s : {"a", "b", "c", "d", "e"}) combo->Items()->Add(s);
  auto droppedHeight = [&] {
    combo->SetDroppedDown(true);
    pt::PumpUntilIdle();
    RECT rect{};
    SendMessageA(combo->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rect));
    combo->SetDroppedDown(false);
    pt::PumpUntilIdle();
    return static_cast<int>(rect.bottom - rect.top) - combo->Height();
  };
  const int entry = static_cast<int>(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
  combo->SetDropDownCount(2);
  EXPECT_EQ(droppedHeight(), 2 * entry + 2);
  combo->SetDropDownCount(8);
  EXPECT_EQ(droppedHeight(), 5 * entry + 2) << "no more than the entries";
  combo->Items()->Clear();
  EXPECT_EQ(droppedHeight(), entry + 2) << "room for one entry at least";
  EXPECT_EQ(events.dropDowns, 3);
}

TEST_F(ComboBoxTest, AFocusMovedByOnDropDownKeepsTheListClosed) {
  TComboBox* combo = NewCombo(cbsDropDownList);
  Fill(combo);
  auto* other = Add<TTestWinControl>(form, RECT{200, 10, 250, 30});
  combo->SetFocus();
  pt::PumpUntilIdle();
  struct TMover : TObject {
    TWinControl* target;
    void Move(TObject*) { target->SetFocus(); }
  } mover;
  mover.target = other;
  combo->OnDropDown = TNotifyEvent(&mover, &TMover::Move);
  combo->SetDroppedDown(true);
  pt::PumpUntilIdle();
  EXPECT_TRUE(other->Focused());
  EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, TypingInTheEditReachesTheKeyEventsAndOnChange) {
  TComboBox* combo = NewCombo();
  combo->OnKeyPress = TKeyPressEvent(&events, &TComboEvents::KeyPress);
  ASSERT_NE(combo->EditWindow(), nullptr);
  combo->SetFocus();
  pt::PumpUntilIdle();
  EXPECT_EQ(GetFocus(), combo->EditWindow());
  EXPECT_EQ(form->ActiveControl(), combo);
  pt::TypeText("axb");
  PumpLikeApplication();
  EXPECT_EQ(events.pressed, "axb");
  EXPECT_EQ(combo->Text(), "ab") << "a key press set to 0 is swallowed";
  EXPECT_EQ(events.changes, 2);
}

TEST_F(ComboBoxTest, SimpleStyleFindsItsListAndEditChildrenAndClearsTheEditMargins) {
  auto* combo = Add<TComboBox>(form, RECT{10, 10, 155, 120});
  combo->SetStyle(cbsSimple);
  EXPECT_EQ(combo->StyleFlags() & csFixedHeight, 0);
  combo->Handle();
  ASSERT_NE(combo->ListWindow(), nullptr);
  ASSERT_NE(combo->EditWindow(), nullptr);
  EXPECT_EQ(GetParent(combo->EditWindow()), combo->Handle());
  // The edit's text starts at its edges, also after a font change.
  EXPECT_EQ(SendMessageA(combo->EditWindow(), EM_GETMARGINS, 0, 0), 0);
  SendMessageA(combo->EditWindow(), EM_SETMARGINS, EC_LEFTMARGIN, 5);
  combo->Font()->SetHeight(-13);
  EXPECT_EQ(SendMessageA(combo->EditWindow(), EM_GETMARGINS, 0, 0), 0);
  combo->SetStyle(cbsDropDownList);
  EXPECT_NE(combo->StyleFlags() & csFixedHeight, 0);
  EXPECT_EQ(combo->EditWindow(), nullptr);
  EXPECT_EQ(combo->ListWindow(), nullptr);
}

TEST_F(ComboBoxTest, MaxLengthLimitsTheEdit) {
  TComboBox* combo = NewCombo();
  combo->SetMaxLength(3);
  combo->SetFocus();
  pt::PumpUntilIdle();
  pt::TypeText("abcdef");
  PumpLikeApplication();
  EXPECT_EQ(combo->Text(), "abc");
}

}  // namespace
