#include "backend/backend.h"
#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

LRESULT answerHit = HTCLIENT;
LRESULT answerActivate = 0;

LRESULT Configurable(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  Log().push_back(Entry{w, m, wp, lp});
  if (m == WM_NCHITTEST && answerHit != HTCLIENT) return answerHit;
  if (m == WM_MOUSEACTIVATE && answerActivate) return answerActivate;
  return DefWindowProcA(w, m, wp, lp);
}

class InputTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    answerHit = HTCLIENT;
    answerActivate = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = Configurable;
    wc.lpszClassName = "Configurable";
    RegisterClassA(&wc);
  }
  // The client messages of one kind a window received, with their wParam and lParam.
  std::vector<Entry> Received(UINT message) {
    std::vector<Entry> out;
    for (const Entry& e : Log())
      if (e.message == message) out.push_back(e);
    return out;
  }
};

}  // namespace

TEST_F(InputTest, ClickGoesToTheChildUnderThePointInClientCoordinates) {
  HWND top = TopLevel(100, 100, 300, 200, WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 50, 40, 100, 50, 1);
  pt::PumpUntilIdle();
  Log().clear();
  pt::MouseDown(160, 150);
  pt::PumpUntilIdle();
  auto downs = Received(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].window, child);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(10, 10));
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
  pt::MouseUp(160, 150);
  pt::PumpUntilIdle();
  EXPECT_EQ(Received(WM_LBUTTONUP).at(0).wParam, 0u);
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(InputTest, ClickInAnInactiveWindowAsksMouseActivateThenActivates) {
  HWND first = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND second = CreateWindowExA(0, "Configurable", "", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(first);
  pt::PumpUntilIdle();
  Log().clear();
  pt::Click(250, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), second);
  auto messages = MessagesOf(second);
  EXPECT_TRUE(
      InOrder(messages, {static_cast<UINT>(WM_NCHITTEST), static_cast<UINT>(WM_SETCURSOR),
                         static_cast<UINT>(WM_MOUSEACTIVATE), static_cast<UINT>(WM_ACTIVATE),
                         static_cast<UINT>(WM_LBUTTONDOWN)}));
  for (const Entry& e : Received(WM_ACTIVATE))
    if (e.window == second) {
      EXPECT_EQ(LOWORD(e.wParam), WA_CLICKACTIVE);
    }
}

TEST_F(InputTest, MouseActivateCanEatTheClick) {
  HWND first = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND second = CreateWindowExA(0, "Configurable", "", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(first);
  answerActivate = MA_NOACTIVATEANDEAT;
  Log().clear();
  pt::Click(250, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(Count(WM_LBUTTONDOWN, second), 0);
  EXPECT_EQ(Count(WM_LBUTTONUP, second), 1);
}

TEST_F(InputTest, TransparentHitPassesToTheWindowBelow) {
  HWND top = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND below = Child(top, 10, 10, 100, 100, 1);
  HWND above = CreateWindowExA(0, "Configurable", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, top,
                               nullptr, nullptr, nullptr);
  answerHit = HTTRANSPARENT;
  pt::PumpUntilIdle();
  Log().clear();
  pt::Click(20, 20);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, above), 0);
  EXPECT_EQ(Count(WM_LBUTTONDOWN, below), 1);
  EXPECT_EQ(WindowFromPoint(POINT{20, 20}), below);
}

TEST_F(InputTest, NonClientAreaGetsNonClientMessages) {
  HWND w = TopLevel(100, 100, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  Log().clear();
  pt::MouseMove(150, 110);  // in the caption
  pt::PumpUntilIdle();
  auto moves = Received(WM_NCMOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].window, w);
  EXPECT_EQ(moves[0].wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(moves[0].lParam, MAKELPARAM(150, 110));
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(101, 200)), HTLEFT);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(298, 248)), HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(150, 200)), HTCLIENT);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(290, 112)), HTCLOSE);
}

TEST_F(InputTest, CaptureRoutesMovesOutsideTheWindow) {
  HWND w = TopLevel(100, 100, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND other = TopLevel(300, 100, 100, 100, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  SetCapture(w);
  Log().clear();
  pt::MouseMove(350, 90);
  pt::PumpUntilIdle();
  auto moves = Received(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].window, w);
  EXPECT_EQ(moves[0].lParam, MAKELPARAM(250, static_cast<WORD>(-10)));
  EXPECT_EQ(Count(WM_SETCURSOR), 0);
  EXPECT_EQ(Count(WM_MOUSEMOVE, other), 0);
  Log().clear();
  SetCapture(other);
  ASSERT_EQ(Received(WM_CAPTURECHANGED).size(), 1u);
  EXPECT_EQ(Received(WM_CAPTURECHANGED)[0].window, w);
  EXPECT_EQ(reinterpret_cast<HWND>(Received(WM_CAPTURECHANGED)[0].lParam), other);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Count(WM_CAPTURECHANGED, other), 1);
}

TEST_F(InputTest, DoubleClicksOnlyForDoubleClickClassesWithinTimeAndBox) {
  HWND top = TopLevel(0, 0, 400, 200, WS_POPUP | WS_VISIBLE);
  HWND plain = Child(top, 0, 0, 100, 100, 1);
  HWND fancy = Child(top, 200, 0, 100, 100, 2, WS_VISIBLE, "DoubleClicker");
  pt::PumpUntilIdle();
  Log().clear();
  pt::DoubleClick(50, 50);
  pt::DoubleClick(250, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, plain), 2);
  EXPECT_EQ(Count(WM_LBUTTONDBLCLK, plain), 0);
  EXPECT_EQ(Count(WM_LBUTTONDOWN, fancy), 1);
  EXPECT_EQ(Count(WM_LBUTTONDBLCLK, fancy), 1);

  // A third click is a new first click; a slow or distant second click is not a double.
  Log().clear();
  pt::Click(250, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, fancy), 1);
  pt::AdvanceTime(GetDoubleClickTime() + 1);
  pt::Click(250, 50);
  pt::Click(254, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, fancy), 3);
  EXPECT_EQ(Count(WM_LBUTTONDBLCLK, fancy), 0);
  pt::Click(255, 51);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDBLCLK, fancy), 1);
}

TEST_F(InputTest, DisabledWindowsGetNoInput) {
  HWND top = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 10, 10, 100, 100, 1);
  EnableWindow(child, FALSE);
  pt::PumpUntilIdle();
  Log().clear();
  pt::Click(20, 20);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, child), 0);
  EXPECT_EQ(Count(WM_LBUTTONDOWN, top), 1);  // the point falls through to the parent
  EnableWindow(top, FALSE);
  Log().clear();
  pt::Click(200, 200);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN), 0);
  for (const Entry& e : Log())
    if (e.message == WM_SETCURSOR) {
      EXPECT_EQ(static_cast<SHORT>(LOWORD(e.lParam)), HTERROR);
    }
}

TEST_F(InputTest, DisablingSendsCancelModeThenEnableAndDropsCapture) {
  HWND w = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  SetCapture(w);
  Log().clear();
  EXPECT_FALSE(EnableWindow(w, FALSE));
  EXPECT_TRUE(
      InOrder(MessagesOf(w), {static_cast<UINT>(WM_CANCELMODE),
                              static_cast<UINT>(WM_CAPTURECHANGED), static_cast<UINT>(WM_ENABLE)}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_TRUE(EnableWindow(w, TRUE));
}

TEST_F(InputTest, KeysGoToTheFocusWindowAndTranslateToCharacters) {
  HWND top = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND edit = Child(top, 0, 0, 50, 20, 1);
  SetFocus(edit);
  pt::PumpUntilIdle();
  Log().clear();
  pt::TypeText("aB!");
  pt::PumpUntilIdle();
  std::string chars;
  for (const Entry& e : Received(WM_CHAR)) {
    EXPECT_EQ(e.window, edit);
    chars += static_cast<char>(e.wParam);
  }
  EXPECT_EQ(chars, "aB!");
  auto downs = Received(WM_KEYDOWN);
  ASSERT_FALSE(downs.empty());
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ((downs[0].lParam >> 16) & 0xFF, 30);  // scan code of A
  EXPECT_EQ(Count(WM_KEYUP, edit), Count(WM_KEYDOWN, edit));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(InputTest, AltMakesSystemKeysAndAltF4Closes) {
  HWND w = TopLevel(0, 0, 300, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  Log().clear();
  pt::KeyDown(VK_MENU);
  pt::PressKey('X');
  pt::KeyUp(VK_MENU);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_KEYDOWN), 0);
  auto sys = Received(WM_SYSKEYDOWN);
  ASSERT_EQ(sys.size(), 2u);
  EXPECT_NE(sys[1].lParam & (1L << 29), 0);  // context bit: Alt held
  EXPECT_EQ(Count(WM_SYSCHAR, w), 1);
  pt::KeyDown(VK_MENU);
  pt::PressKey(VK_F4);
  pt::KeyUp(VK_MENU);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(InputTest, KeysWithoutAFocusWindowAreSystemKeysOfTheActiveWindow) {
  HWND w = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  SetFocus(nullptr);
  Log().clear();
  pt::PressKey('Q');
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_SYSKEYDOWN, w), 1);
  EXPECT_EQ(Count(WM_KEYDOWN), 0);
}

TEST_F(InputTest, RepeatedKeyDownsCarryThePreviousStateBit) {
  HWND w = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  Log().clear();
  pt::KeyDown(VK_DOWN);
  pt::KeyDown(VK_DOWN);
  pt::KeyUp(VK_DOWN);
  pt::PumpUntilIdle();
  auto downs = Received(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].lParam & (1L << 30), 0);
  EXPECT_NE(downs[1].lParam & (1L << 30), 0);
  EXPECT_NE(downs[0].lParam & (1L << 24), 0);  // an extended key
  EXPECT_NE(Received(WM_KEYUP).at(0).lParam & (1L << 31), 0);
  (void)w;
}

TEST_F(InputTest, CapsLockToggles) {
  TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  pt::PressKey(VK_CAPITAL);
  pt::TypeText("a");
  pt::PumpUntilIdle();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  auto chars = Received(WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('A'));
}

TEST_F(InputTest, DraggingTheCaptionMovesAndTheCloseBoxCloses) {
  HWND w = TopLevel(100, 100, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  Log().clear();
  pt::MouseDown(150, 110);
  pt::MouseMove(170, 135);
  pt::MouseUp(170, 135);
  pt::PumpUntilIdle();
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 125);
  EXPECT_TRUE(
      InOrder(MessagesOf(w), {static_cast<UINT>(WM_ENTERSIZEMOVE), static_cast<UINT>(WM_MOVE),
                              static_cast<UINT>(WM_EXITSIZEMOVE)}));
  EXPECT_EQ(GetCapture(), nullptr);
  // Pressing the close box and leaving it before the release does nothing.
  pt::MouseDown(310, 137);
  pt::MouseUp(250, 137);
  pt::PumpUntilIdle();
  ASSERT_TRUE(IsWindow(w));
  pt::Click(310, 137);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(InputTest, DraggingASizingBorderResizesWithinTheMinimum) {
  HWND w = TopLevel(100, 100, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  pt::MouseDown(298, 180);  // right border
  pt::MouseMove(338, 180);
  pt::MouseUp(338, 180);
  pt::PumpUntilIdle();
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 240);
  pt::MouseDown(r.right - 2, 180);
  pt::MouseMove(r.left - 100, 180);
  pt::MouseUp(r.left - 100, 180);
  pt::PumpUntilIdle();
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));
  EXPECT_EQ(r.left, 100);
}

TEST_F(InputTest, FilteredTakesFindTheirRangeInQueueOrderBehindOtherInput) {
  HWND w = TopLevel(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  // A drag loop looks for Esc while the mouse keeps moving.
  pt::MouseMove(10, 10);
  pt::KeyDown('A');
  pt::MouseDown(20, 20);
  pt::KeyDown(VK_ESCAPE);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
  ASSERT_TRUE(GetMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_LT(GetKeyState(VK_ESCAPE), 0);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  // The mouse input waited, in its order, each message hit-tested when taken.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(msg.hwnd, w);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(msg.lParam, MAKELPARAM(20, 20));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(InputTest, PeekingWithoutRemovingChangesNothing) {
  HWND first = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND second = CreateWindowExA(0, "Configurable", "", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(first);
  pt::PumpUntilIdle();
  HCURSOR cursor = SetCursor(nullptr);
  Log().clear();
  pt::MouseDown(250, 50);
  pt::KeyDown(VK_SHIFT);
  MSG msg;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(msg.hwnd, second);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SHIFT));
  }
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(Count(WM_SETCURSOR), 0);
  EXPECT_EQ(Count(WM_MOUSEACTIVATE), 0);
  EXPECT_EQ(GetCursor(), nullptr);
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  // Taking the press out does what peeking did not.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(GetActiveWindow(), second);
  EXPECT_EQ(Count(WM_SETCURSOR, second), 1);
  EXPECT_EQ(Count(WM_MOUSEACTIVATE, second), 1);
  EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
  SetCursor(cursor);
}

TEST_F(InputTest, HostKeyboardLayoutsTypeWhatTheirKeysMake) {
  HWND w = TopLevel(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  SetFocus(w);
  pt::PumpUntilIdle();
  Log().clear();
  platform::backend::InputSink& host = platform::backend::Sink();
  auto press = [&host](UINT key, std::string_view text = {}) {
    host.Key(key, true, text);
    host.Key(key, false, {});
  };
  // AltGr+Q of a German keyboard: Ctrl and Alt held, the '@' the layout makes.
  host.Key(VK_CONTROL, true, {});
  host.Key(VK_MENU, true, {});
  press('Q', "@");
  host.Key(VK_MENU, false, {});
  host.Key(VK_CONTROL, false, {});
  // A dead accent types nothing; the letter after it types the accented letter's two bytes.
  press(VK_OEM_6);
  press('E', "\xC3\xA9");
  // Enter and Ctrl+A make their control characters, which layouts send as no text.
  press(VK_RETURN);
  host.Key(VK_CONTROL, true, {});
  press('A');
  host.Key(VK_CONTROL, false, {});
  // Alt with a letter makes a system character; an input method's text comes alone.
  host.Key(VK_MENU, true, {});
  press('F', "f");
  host.Key(VK_MENU, false, {});
  host.Text("\xE6\x97\xA5");
  pt::PumpUntilIdle();

  std::vector<WPARAM> chars, system;
  for (const Entry& e : Received(WM_CHAR)) chars.push_back(e.wParam);
  for (const Entry& e : Received(WM_SYSCHAR)) system.push_back(e.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'@', 0xC3, 0xA9, '\r', 0x01, 0xE6, 0x97, 0xA5}));
  EXPECT_EQ(system, (std::vector<WPARAM>{'f'}));
  bool altGrKeyIsNotSystem = false;
  for (const Entry& e : Received(WM_KEYDOWN)) altGrKeyIsNotSystem |= e.wParam == 'Q';
  EXPECT_TRUE(altGrKeyIsNotSystem);
}
