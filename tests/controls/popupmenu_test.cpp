// Pop-up menus: showing and tracking, the right click of a control, commands through the
// pop-up list's window, and the list's window following the live menus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/menus.h"
#include "tests/forms/forms_fixture.h"

namespace {

class TPopupLog : public TObject {
 public:
  void Popped(TObject* sender) { popups.push_back(sender); }
  void Clicked(TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)->Caption()); }
  std::vector<TObject*> popups;
  std::vector<std::string> clicked;
};

class PopupMenuTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    popup = new TPopupMenu(form);
    popup->OnPopup = TNotifyEvent(&log, &TPopupLog::Popped);
    for (const char* caption : {"Open", "Close"}) {
      auto* item = new TMenuItem(form);
      item->SetCaption(caption);
      item->OnClick = TNotifyEvent(&log, &TPopupLog::Clicked);
      popup->Items()->Add(item);
    }
    control = Add<TTestWinControl>(form, RECT{20, 20, 120, 80});
    pt::PumpUntilIdle();
  }

  TPopupLog log;
  TPopupMenu* popup = nullptr;
  TTestWinControl* control = nullptr;
};

TEST_F(PopupMenuTest, ShowAtRaisesOnPopupAndTracksTheMenu) {
  // The menu loop runs inside ShowAt: choose the second entry with the keyboard.
  pt::AtIdle([] { pt::PressKey(VK_DOWN); });
  pt::AtIdle([] { pt::PressKey(VK_DOWN); });
  pt::AtIdle([] { pt::PressKey(VK_RETURN); });
  popup->ShowAt(200, 200);
  pt::PumpUntilIdle();
  ASSERT_EQ(log.popups.size(), 1u);
  EXPECT_EQ(log.popups[0], popup);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Close"}));
}

TEST_F(PopupMenuTest, ARightClickShowsTheControlsMenu) {
  control->SetPopupMenu(popup);
  pt::AtIdle([] { pt::PressKey(VK_ESCAPE); });
  POINT at = ScreenOf(control, 10, 10);
  pt::Click(at.x, at.y, pt::Button::Right);
  PumpLikeApplication();
  EXPECT_EQ(log.popups.size(), 1u);
  EXPECT_EQ(popup->PopupComponent(), control);
  EXPECT_TRUE(log.clicked.empty());

  popup->SetAutoPopup(false);
  pt::Click(at.x, at.y, pt::Button::Right);
  PumpLikeApplication();
  EXPECT_EQ(log.popups.size(), 1u);

  delete control;  // the menu forgets the component it was shown for
  control = nullptr;
  EXPECT_EQ(popup->PopupComponent(), nullptr);
}

TEST_F(PopupMenuTest, TheListWindowRunsCommandsAndPreparesSubMenus) {
  HWND list = PopupListWindow();
  ASSERT_NE(list, nullptr);
  TMenuItem* close = popup->Items()->ItemAt(1);
  SendMessageA(list, WM_COMMAND, MAKEWPARAM(close->CommandId(), 0), 0);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Close"}));

  // The root item's click is the menu's OnPopup, with the root as sender.
  SendMessageA(list, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->MenuHandle()), 0);
  EXPECT_TRUE(log.popups.empty());  // the root is not one of the items
  auto* more = new TMenuItem(form);
  more->SetCaption("More");
  more->OnClick = TNotifyEvent(&log, &TPopupLog::Clicked);
  more->Add(new TMenuItem(form));
  popup->Items()->Add(more);
  SendMessageA(list, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(more->MenuHandle()), 0);
  EXPECT_EQ(log.clicked.back(), "More");
}

TEST_F(PopupMenuTest, ShortcutsOfAControlsMenuComeFirst) {
  TMenuItem* close = popup->Items()->ItemAt(1);
  close->SetShortCut(scCtrl | 'W');
  control->SetPopupMenu(popup);
  control->SetFocus();
  pt::PumpUntilIdle();
  pt::KeyDown(VK_CONTROL);
  pt::PressKey('W');
  pt::KeyUp(VK_CONTROL);
  PumpLikeApplication();
  // The root (the menu's OnPopup) is clicked first, then the item.
  ASSERT_EQ(log.popups.size(), 1u);
  EXPECT_EQ(log.popups[0], popup->Items());
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Close"}));
  EXPECT_EQ(control->chars, "");
}

TEST(PopupList, ItsWindowLivesWhileAPopupMenuDoes) {
  pt::StartSession();
  EXPECT_EQ(PopupListWindow(), nullptr);
  auto* first = new TPopupMenu(nullptr);
  HWND window = PopupListWindow();
  ASSERT_NE(window, nullptr);
  auto* second = new TPopupMenu(nullptr);
  delete first;
  EXPECT_EQ(PopupListWindow(), window);
  delete second;
  EXPECT_EQ(PopupListWindow(), nullptr);
  EXPECT_FALSE(IsWindow(window));
  pt::EndSession();
}

}  // namespace
