// Hooks on the queue (message, keyboard and mouse hooks) and the US layout's key names and
// character helpers.
#include <string>
#include <vector>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

struct HookLog {
  std::vector<std::string> calls;
  HHOOK older = nullptr, newer = nullptr;
  bool discardKeys = false;
  bool unhookSelf = false;
};
HookLog hookLog;

LRESULT OlderHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  hookLog.calls.push_back("older " + std::to_string(msg->message));
  if (msg->message == WM_USER + 1) msg->wParam = 42;  // a hook may change the message
  return CallNextHookEx(hookLog.older, code, wParam, lParam);
}

LRESULT NewerHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  hookLog.calls.push_back("newer " + std::to_string(msg->message));
  if (hookLog.unhookSelf) UnhookWindowsHookEx(hookLog.newer);
  return CallNextHookEx(hookLog.newer, code, wParam, lParam);
}

LRESULT KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  hookLog.calls.push_back("key " + std::to_string(wParam));
  if (hookLog.discardKeys && wParam == 'X') return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT MouseHook(int, WPARAM wParam, LPARAM lParam) {
  auto* info = reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam);
  hookLog.calls.push_back("mouse " + std::to_string(wParam) + " " + std::to_string(info->pt.x) +
                          "," + std::to_string(info->pt.y) + " " +
                          std::to_string(info->wHitTestCode));
  return 0;
}

class HookTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    hookLog = HookLog{};
  }
};

std::string Name(UINT scan, bool extended = false, bool eitherSide = false) {
  char buffer[32];
  LONG data =
      static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0) | (eitherSide ? 1u << 25 : 0));
  int n = GetKeyNameTextA(data, buffer, sizeof(buffer));
  return std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

TEST_F(HookTest, MessageHooksSeeEveryRemovedMessageNewestFirst) {
  HWND w = TopLevel();
  pt::PumpUntilIdle();
  hookLog.older = SetWindowsHookExA(WH_GETMESSAGE, OlderHook, nullptr, GetCurrentThreadId());
  hookLog.newer = SetWindowsHookExA(WH_GETMESSAGE, NewerHook, nullptr, 0);
  ASSERT_TRUE(hookLog.older && hookLog.newer);
  PostMessageA(w, WM_USER + 1, 1, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(hookLog.calls.empty());  // looking is not removing
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 42u);
  std::vector<std::string> expected = {"newer 1025", "older 1025"};
  EXPECT_EQ(hookLog.calls, expected);

  // Unhooked, a hook is not called again and its handle is refused.
  hookLog.calls.clear();
  ASSERT_TRUE(UnhookWindowsHookEx(hookLog.older));
  SetLastError(0);
  EXPECT_FALSE(UnhookWindowsHookEx(hookLog.older));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_HANDLE));
  PostMessageA(w, WM_USER + 2, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(hookLog.calls, std::vector<std::string>{"newer 1026"});

  // A hook may unhook itself while it runs.
  hookLog.calls.clear();
  hookLog.unhookSelf = true;
  PostMessageA(w, WM_USER + 3, 0, 0);
  PostMessageA(w, WM_USER + 4, 0, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(hookLog.calls, std::vector<std::string>{"newer 1027"});
  EXPECT_FALSE(SetWindowsHookExA(WH_GETMESSAGE, nullptr, nullptr, 0));
  EXPECT_FALSE(SetWindowsHookExA(99, OlderHook, nullptr, 0));
}

TEST_F(HookTest, KeyboardAndMouseHooksSeeInputAndMayDiscardIt) {
  HWND w = TopLevel(100, 100, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  HHOOK keys = SetWindowsHookExA(WH_KEYBOARD, KeyboardHook, nullptr, 0);
  HHOOK mouse = SetWindowsHookExA(WH_MOUSE, MouseHook, nullptr, 0);
  hookLog.discardKeys = true;
  Log().clear();
  pt::PressKey('X');
  pt::PressKey('Y');
  pt::Click(150, 150);
  pt::PumpUntilIdle();
  int xDowns = 0, yDowns = 0;
  for (const Entry& e : Log())
    if (e.message == WM_KEYDOWN) (e.wParam == 'X' ? xDowns : yDowns)++;
  EXPECT_EQ(xDowns, 0);
  EXPECT_EQ(yDowns, 1);
  std::vector<std::string> expected = {
      "key 88", "key 88", "key 89", "key 89", "mouse 513 150,150 1", "mouse 514 150,150 1"};
  EXPECT_EQ(hookLog.calls, expected);
  EXPECT_EQ(GetFocus(), w);
  UnhookWindowsHookEx(keys);
  UnhookWindowsHookEx(mouse);
}

TEST(KeyNames, NamesFollowTheUsLayoutAndServeOneCharacterShortcuts) {
  EXPECT_EQ(Name(MapVirtualKeyA(VK_F5, 0)), "F5");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_OEM_1, 0)), ";");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_OEM_2, 0)), "/");
  EXPECT_EQ(Name(MapVirtualKeyA('Q', 0)), "Q");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_ESCAPE, 0)), "Esc");
  // The extended bit tells the grey keys from the keypad's.
  EXPECT_EQ(Name(MapVirtualKeyA(VK_HOME, 0), true), "Home");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_HOME, 0)), "Num 7");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_RSHIFT, 0)), "Right Shift");
  EXPECT_EQ(Name(MapVirtualKeyA(VK_RSHIFT, 0), false, true), "Shift");
  EXPECT_EQ(Name(0), "");
  EXPECT_EQ(Name(200), "");
  char small[4];
  EXPECT_EQ(GetKeyNameTextA(MapVirtualKeyA(VK_BACK, 0) << 16, small, sizeof(small)), 3);
  EXPECT_STREQ(small, "Bac");

  EXPECT_EQ(MapVirtualKeyA(MapVirtualKeyA(VK_RSHIFT, 0), 1), static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyA(MapVirtualKeyA(VK_RSHIFT, 0), 3), static_cast<UINT>(VK_RSHIFT));
  EXPECT_EQ(MapVirtualKeyA(VK_OEM_2, 2), static_cast<UINT>('/'));
  EXPECT_EQ(MapVirtualKeyA('a' - 'a' + 'A', 2), static_cast<UINT>('A'));
}

TEST(KeyNames, ToAsciiTranslatesWithTheGivenKeyboardState) {
  BYTE state[256] = {};
  WORD c = 0;
  EXPECT_EQ(ToAscii('1', 0, state, &c, 0), 1);
  EXPECT_EQ(c, '1');
  state[VK_SHIFT] = 0x80;
  EXPECT_EQ(ToAscii('1', 0, state, &c, 0), 1);
  EXPECT_EQ(c, '!');
  state[VK_SHIFT] = 0;
  state[VK_CAPITAL] = 0x01;
  EXPECT_EQ(ToAscii('Q', 0, state, &c, 0), 1);
  EXPECT_EQ(c, 'Q');
  state[VK_CAPITAL] = 0;
  state[VK_CONTROL] = 0x80;
  EXPECT_EQ(ToAscii('A', 0, state, &c, 0), 1);
  EXPECT_EQ(c, 1);
  state[VK_MENU] = 0x80;
  EXPECT_EQ(ToAscii('A', 0, state, &c, 0), 0);
  EXPECT_EQ(ToAscii(VK_F1, 0, state, &c, 0), 0);
  EXPECT_EQ(ToAscii('A', 0, nullptr, &c, 0), 0);
  EXPECT_EQ(VkKeyScanA('?'), static_cast<SHORT>(0x100 | VK_OEM_2));
}
