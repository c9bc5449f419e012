// Message boxes: the buttons and keys, modality, the modal loop and the layout.
#include <string>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

// The message box on the screen, if one shows.
HWND ShownBox() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND w, LPARAM out) {
        char name[16];
        GetClassNameA(w, name, sizeof(name));
        if (std::string(name) == "#32770" && IsWindowVisible(w)) *reinterpret_cast<HWND*>(out) = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TextOf(HWND w) {
  char text[256] = {};
  GetWindowTextA(w, text, sizeof(text));
  return text;
}

class MessageBoxTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    owner = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    pt::PumpUntilIdle();
  }
  // Shows a box whose idle steps are `keys`, pressed one per idle.
  int ShowWith(UINT type, std::initializer_list<UINT> keys, HWND boxOwner = nullptr) {
    for (UINT key : keys) pt::AtIdle([key] { pt::PressKey(key); });
    return MessageBoxA(boxOwner ? boxOwner : owner, "Question?", "Tunedeck", type);
  }
  HWND owner;
};

}  // namespace

TEST_F(MessageBoxTest, EnterAnswersOkWhileTheOwnerIsDisabledAndActiveAgainAfterwards) {
  bool ownerEnabled = true, boxActive = false;
  std::string caption, text;
  pt::AtIdle([&] {
    HWND box = ShownBox();
    ownerEnabled = IsWindowEnabled(owner);
    boxActive = GetActiveWindow() == box;
    caption = TextOf(box);
    text = TextOf(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    pt::PressKey(VK_RETURN);
  });
  EXPECT_EQ(MessageBoxA(owner, "No MCI device open.", "Tunedeck", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(boxActive);
  EXPECT_EQ(caption, "Tunedeck");
  EXPECT_EQ(text, "No MCI device open.");
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(ShownBox(), nullptr);
}

TEST_F(MessageBoxTest, ButtonSetsDefaultsAndKeys) {
  EXPECT_EQ(ShowWith(MB_YESNOCANCEL | MB_DEFBUTTON2, {VK_RETURN}), IDNO);
  EXPECT_EQ(ShowWith(MB_YESNOCANCEL, {VK_ESCAPE}), IDCANCEL);
  EXPECT_EQ(ShowWith(MB_OKCANCEL | MB_DEFBUTTON2, {VK_RETURN}), IDCANCEL);
  EXPECT_EQ(ShowWith(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {VK_RETURN}), IDIGNORE);
  EXPECT_EQ(ShowWith(MB_RETRYCANCEL, {VK_RETURN}), IDRETRY);
  EXPECT_EQ(ShowWith(MB_OK, {VK_ESCAPE}), IDOK);  // OK alone is also the way out
  // Without Cancel, Esc does nothing; Tab moves to the next button and Space presses it.
  EXPECT_EQ(ShowWith(MB_YESNO | MB_DEFBUTTON2, {VK_ESCAPE, VK_TAB, VK_SPACE}), IDYES);
  // A default button past the last one falls back to the first.
  EXPECT_EQ(ShowWith(MB_OKCANCEL | MB_DEFBUTTON3, {VK_RETURN}), IDOK);
  // Alt+F4 is the close box: Cancel where there is one, nothing where there is not.
  pt::AtIdle([] {
    pt::KeyDown(VK_MENU);
    pt::PressKey(VK_F4);
    pt::KeyUp(VK_MENU);
  });
  EXPECT_EQ(ShowWith(MB_OKCANCEL, {}), IDCANCEL);
  pt::AtIdle([] {
    pt::KeyDown(VK_MENU);
    pt::PressKey(VK_F4);
    pt::KeyUp(VK_MENU);
  });
  EXPECT_EQ(ShowWith(MB_YESNO, {VK_RETURN}), IDYES);
}

TEST_F(MessageBoxTest, TaskModalDisablesEveryWindowOfTheThreadApplicationModalTheOwner) {
  HWND other = TopLevel(450, 100, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  bool otherEnabled = true, ownerEnabled = true;
  pt::AtIdle([&] {
    otherEnabled = IsWindowEnabled(other);
    ownerEnabled = IsWindowEnabled(owner);
    pt::PressKey(VK_RETURN);
  });
  MessageBoxA(owner, "x", "y", MB_OK | MB_TASKMODAL);
  EXPECT_FALSE(otherEnabled);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(other));
  pt::AtIdle([&] {
    otherEnabled = IsWindowEnabled(other);
    pt::PressKey(VK_RETURN);
  });
  MessageBoxA(owner, "x", "y", MB_OK);
  EXPECT_TRUE(otherEnabled);
  // A window disabled before stays disabled after.
  EnableWindow(other, FALSE);
  ShowWith(MB_OK | MB_TASKMODAL, {VK_RETURN});
  EXPECT_FALSE(IsWindowEnabled(other));
  // No owner: the box is application-modal on the active window.
  SetActiveWindow(owner);
  pt::AtIdle([&] {
    ownerEnabled = IsWindowEnabled(owner);
    pt::PressKey(VK_RETURN);
  });
  EXPECT_EQ(MessageBoxA(nullptr, "x", nullptr, MB_OK), IDOK);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxTest, OtherWindowsKeepWorkingButTheOwnerTakesNoInput) {
  SetTimer(owner, 5, 100, nullptr);
  RECT r;
  GetClientRect(owner, &r);
  POINT inside{10, 10};
  ClientToScreen(owner, &inside);
  pt::AtIdle([&] {
    Log().clear();
    pt::Click(inside.x, inside.y);  // refused: the owner is disabled
  });
  pt::AtIdle([] { pt::AdvanceTime(250); });
  pt::AtIdle([] { pt::PressKey(VK_RETURN); });
  EXPECT_EQ(MessageBoxA(owner, "x", "y", MB_OK), IDOK);
  EXPECT_EQ(Count(WM_LBUTTONDOWN, owner), 0);
  EXPECT_EQ(Count(WM_TIMER, owner), 2);
  KillTimer(owner, 5);
  // A stale owner is refused.
  HWND gone = TopLevel();
  DestroyWindow(gone);
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(gone, "x", "y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageBoxTest, TheBoxIsSizedToItsWrappedTextAndCentredOnItsOwner) {
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "word ";
  MoveWindow(owner, 250, 150, 300, 200, TRUE);
  RECT box{}, text{}, owned{};
  int buttons = 0;
  pt::AtIdle([&] {
    HWND b = ShownBox();
    GetWindowRect(b, &box);
    GetWindowRect(GetDlgItem(b, 0xFFFF), &text);
    buttons = (GetDlgItem(b, IDYES) ? 1 : 0) + (GetDlgItem(b, IDNO) ? 1 : 0);
    EXPECT_NE(GetDlgItem(b, 0x14), nullptr);  // the icon
    pt::SavePng(pt::CaptureScreen(), ::testing::TempDir() + "message_box.png");
    pt::PressKey(VK_RETURN);
  });
  MessageBoxA(owner, longText.c_str(), "Tunedeck", MB_YESNO | MB_ICONQUESTION);
  GetWindowRect(owner, &owned);
  EXPECT_EQ(buttons, 2);
  EXPECT_LE(box.right - box.left, 800 * 5 / 8 + 20);
  EXPECT_GT(text.bottom - text.top, 13);  // wrapped onto more than one line
  EXPECT_LE(std::abs((box.left + box.right) - (owned.left + owned.right)), 1);
  EXPECT_LE(std::abs((box.top + box.bottom) - (owned.top + owned.bottom)), 1);
}
