#include <chrono>
#include <stdexcept>
#include <thread>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

TEST_F(UserTest, PostFromAnotherThreadWakesGetMessage) {
  HWND w = TopLevel();
  std::thread poster([w] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    PostMessageA(w, WM_USER + 5, 11, 22);
  });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  poster.join();
  EXPECT_EQ(msg.hwnd, w);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_EQ(msg.lParam, 22);
}

TEST_F(UserTest, ManyThreadsPostingLoseNothing) {
  HWND w = TopLevel();
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([w, t] {
      for (int i = 0; i < kEach; ++i) PostMessageA(w, WM_USER, static_cast<WPARAM>(t), i);
    });
  std::vector<int> last(kThreads, -1);
  int received = 0;
  MSG msg;
  while (received < kThreads * kEach && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != WM_USER) continue;
    // Each thread's messages arrive in the order it posted them.
    EXPECT_EQ(msg.lParam, last[msg.wParam] + 1);
    last[msg.wParam] = static_cast<int>(msg.lParam);
    ++received;
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(received, kThreads * kEach);
}

TEST_F(UserTest, QuitComesAfterPostedMessagesAndCarriesItsCode) {
  HWND w = TopLevel();
  PostQuitMessage(42);
  PostMessageA(w, WM_USER, 1, 0);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // taken once
}

TEST_F(UserTest, PeekFiltersAndNoRemove) {
  HWND a = TopLevel();
  HWND b = TopLevel();
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  ASSERT_TRUE(
      PeekMessageA(&msg, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, b);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  // A window filter naming a dead window fails GetMessageA outright.
  DestroyWindow(a);
  EXPECT_EQ(GetMessageA(&msg, a, 0, 0), -1);
}

TEST_F(UserTest, MessagesForADestroyedWindowAreDropped) {
  HWND w = TopLevel();
  PostMessageA(w, WM_USER, 0, 0);
  DestroyWindow(w);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, PriorityPostedThenInputThenPaintThenTimer) {
  HWND w = TopLevel(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  SetTimer(w, 1, 10, nullptr);
  platform::AdvanceVirtualClock(20);
  InvalidateRect(w, nullptr, TRUE);
  pt::MouseMove(50, 50);
  PostMessageA(w, WM_USER, 0, 0);
  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    DispatchMessageA(&msg);
    if (msg.message == WM_TIMER) break;
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_MOUSEMOVE, WM_PAINT, WM_TIMER}));
}

TEST_F(UserTest, SendIsADirectCallAndDispatchReachesTheProcedure) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_USER) return static_cast<LRESULT>(wp + lp);
    return DefWindowProcA(w, m, wp, lp);
  };
  wc.lpszClassName = "Adder";
  RegisterClassA(&wc);
  HWND w =
      CreateWindowExA(0, "Adder", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageA(w, WM_USER, 2, 3), 5);
  MSG msg{w, WM_USER, 4, 5, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&msg), 9);
  EXPECT_EQ(
      CallWindowProcA(reinterpret_cast<WNDPROC>(GetWindowLongA(w, GWLP_WNDPROC)), w, WM_USER, 1, 1),
      2);
  EXPECT_FALSE(InSendMessage());
}

TEST_F(UserTest, AnExceptionLeavingAProcedureIsToldOnStandardErrorAndTheLoopGoesOn) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_USER) throw std::runtime_error("shown while showing another");
    if (m == WM_USER + 1) throw 42;
    if (m == WM_USER + 2) return 7;
    return DefWindowProcA(w, m, wp, lp);
  };
  wc.lpszClassName = "Thrower";
  RegisterClassA(&wc);
  HWND w =
      CreateWindowExA(0, "Thrower", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  PostMessageA(w, WM_USER, 0, 0);
  PostMessageA(w, WM_USER + 1, 0, 0);
  PostMessageA(w, WM_USER + 2, 0, 0);
  ::testing::internal::CaptureStderr();
  std::vector<LRESULT> results;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 2, PM_REMOVE))
    results.push_back(DispatchMessageA(&msg));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(results, (std::vector<LRESULT>{0, 0, 7}));
  EXPECT_NE(err.find("0x0400: shown while showing another\n"), std::string::npos) << err;
  EXPECT_NE(err.find("0x0401\n"), std::string::npos) << err;
  // A direct send has a caller: the exception goes to it.
  EXPECT_THROW(SendMessageA(w, WM_USER, 0, 0), std::runtime_error);
}

TEST_F(UserTest, ThreadMessagesAndRegisteredMessages) {
  MSG msg;
  EXPECT_FALSE(PostThreadMessageA(12345, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
  DWORD self = GetWindowThreadProcessId(TopLevel(), nullptr);
  EXPECT_TRUE(PostThreadMessageA(self, WM_USER + 9, 0, 0));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  UINT a = RegisterWindowMessageA("TunedeckPing");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("tunedeckping"), a);
  EXPECT_NE(RegisterWindowMessageA("Other"), a);
}

TEST_F(UserTest, WaitingForMessagesWithATimeout) {
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_TIMEOUT));
  PostMessageA(nullptr, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)) & QS_POSTMESSAGE, QS_POSTMESSAGE);
  EXPECT_TRUE(WaitMessage());  // returns at once: a message is waiting
}

TEST_F(UserTest, MessageTimeAndPositionFollowTheMessage) {
  HWND w = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  platform::AdvanceVirtualClock(1234);
  pt::MouseMove(30, 40);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, w, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(GetMessageTime(), 1234);
  EXPECT_EQ(GetMessagePos(), static_cast<DWORD>(MAKELONG(30, 40)));
}

TEST_F(UserTest, HarnessInstallsADriveTable) {
  std::string error;
  ASSERT_TRUE(pt::InstallDrives("T=" + ::testing::TempDir(), &error)) << error;
  EXPECT_EQ(GetDriveTypeA("T:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_FALSE(pt::InstallDrives("this is not a table", &error));
  platform::InstallDefaultDriveTable();
}
