// Shared pieces of the window manager tests: a session per test and a window procedure
// that records the messages it receives.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"

namespace usertest {

struct Entry {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<Entry>& Log() {
  static std::vector<Entry> log;
  return log;
}

// Messages too frequent to be worth recording in order tests.
inline bool Noisy(UINT m) {
  return m == WM_NCHITTEST || m == WM_SETCURSOR || m == WM_GETMINMAXINFO || m == WM_NCCALCSIZE ||
         m == WM_NCPAINT || m == WM_ERASEBKGND || m == WM_PAINT || m == WM_GETTEXT ||
         m == WM_GETTEXTLENGTH || m == WM_GETICON;
}

inline LRESULT Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Noisy(message)) Log().push_back(Entry{window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

// The recorded messages of one window, or of all windows when `window` is null.
inline std::vector<UINT> MessagesOf(HWND window = nullptr) {
  std::vector<UINT> out;
  for (const Entry& e : Log())
    if (!window || e.window == window) out.push_back(e.message);
  return out;
}

inline std::vector<std::pair<HWND, UINT>> Pairs() {
  std::vector<std::pair<HWND, UINT>> out;
  for (const Entry& e : Log()) out.emplace_back(e.window, e.message);
  return out;
}

// Whether `wanted` occurs in `all` in this order (other messages may come between).
template <class T>
bool InOrder(const std::vector<T>& all, const std::vector<T>& wanted) {
  auto at = all.begin();
  for (const T& w : wanted) {
    at = std::find(at, all.end(), w);
    if (at == all.end()) return false;
    ++at;
  }
  return true;
}

inline int Count(UINT message, HWND window = nullptr) {
  int n = 0;
  for (const Entry& e : Log())
    if (e.message == message && (!window || e.window == window)) ++n;
  return n;
}

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::StartSession();
    Log().clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Recorder;
    wc.lpszClassName = "Recorder";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_WINDOW + 1));
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = "DoubleClicker";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override { platform::testing::EndSession(); }

  HWND TopLevel(int x = 100, int y = 100, int cx = 200, int cy = 150, DWORD style = WS_OVERLAPPEDWINDOW,
                const char* cls = "Recorder") {
    return CreateWindowExA(0, cls, "top", style, x, y, cx, cy, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int x, int y, int cx, int cy, int id = 1, DWORD style = WS_VISIBLE,
             const char* cls = "Recorder") {
    return CreateWindowExA(0, cls, "child", WS_CHILD | style, x, y, cx, cy, parent,
                           reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
  }
};

}  // namespace usertest
