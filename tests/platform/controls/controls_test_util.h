// Shared pieces of the built-in control tests: a session per test, a parent window that
// records what its controls tell it, and pixel comparison against a reference drawing.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"

namespace controltest {

namespace pt = platform::testing;

struct Note {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<Note>& Notes() {
  static std::vector<Note> notes;
  return notes;
}

// Hooks a test may set to answer the owner-draw and colour requests itself.
inline std::function<LRESULT(UINT, WPARAM, LPARAM)>& ParentHook() {
  static std::function<LRESULT(UINT, WPARAM, LPARAM)> hook;
  return hook;
}

inline bool Interesting(UINT m) {
  return m == WM_COMMAND || m == WM_DRAWITEM || m == WM_MEASUREITEM || m == WM_DELETEITEM ||
         m == WM_COMPAREITEM || m == WM_VSCROLL || m == WM_HSCROLL || m == WM_VKEYTOITEM ||
         m == WM_CHARTOITEM || m == WM_NOTIFY || m == WM_LBUTTONDOWN ||
         (m >= WM_CTLCOLORMSGBOX && m <= WM_CTLCOLORSTATIC);
}

inline LRESULT ParentProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (Interesting(m)) Notes().push_back(Note{m, wp, lp});
  if (ParentHook()) {
    LRESULT answer = ParentHook()(m, wp, lp);
    if (answer != -12345) return answer;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// The notification codes of the WM_COMMAND messages the parent received.
inline std::vector<int> Commands() {
  std::vector<int> out;
  for (const Note& n : Notes())
    if (n.message == WM_COMMAND) out.push_back(HIWORD(n.wParam));
  return out;
}

inline int CountOf(UINT message) {
  int n = 0;
  for (const Note& note : Notes())
    if (note.message == message) ++n;
  return n;
}

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::StartSession();
    Notes().clear();
    ParentHook() = nullptr;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProcedure;
    wc.lpszClassName = "TestParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    ASSERT_NE(RegisterClassA(&wc), 0);
    parent_ = CreateWindowExA(0, "TestParent", "parent", WS_POPUP | WS_VISIBLE, 20, 20, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    font_ =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  }
  void TearDown() override {
    ParentHook() = nullptr;
    pt::EndSession();
    DeleteObject(font_);
  }

  // A child control of the parent at (x, y) in the parent's client area.
  HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int cx, int cy,
            int id = 100, DWORD exStyle = 0) {
    HWND w =
        CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent_,
                        reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
    if (w) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return w;
  }
  // The screen point of a client point of `w`.
  static POINT At(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    return p;
  }
  static void ClickAt(HWND w, int x, int y) {
    POINT p = At(w, x, y);
    pt::Click(p.x, p.y);
  }

  HWND parent_ = nullptr;
  HFONT font_ = nullptr;
};

// Compares the client pixels of `window` in `area` with a reference drawn by `draw` on a
// memory bitmap of the same size; reports the first difference.
inline ::testing::AssertionResult LooksLike(HWND window, const RECT& area,
                                            const std::function<void(HDC)>& draw) {
  int width = area.right - area.left, height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetWindowOrgEx(dc, area.left, area.top, nullptr);
  draw(dc);
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  for (int y = area.top; y < area.bottom && result; ++y)
    for (int x = area.left; x < area.right; ++x) {
      COLORREF want = GetPixel(dc, x, y), got = pt::WindowPixel(window, x, y);
      if (want != got) {
        char text[160];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06lX, the reference has %06lX", x, y,
                      static_cast<unsigned long>(got), static_cast<unsigned long>(want));
        result = ::testing::AssertionFailure() << text;
        break;
      }
    }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return result;
}

inline void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

inline void Frame(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  Fill(dc, left, top, right, top + 1, colour);
  Fill(dc, left, bottom - 1, right, bottom, colour);
  Fill(dc, left, top, left + 1, bottom, colour);
  Fill(dc, right - 1, top, right, bottom, colour);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);

// Counts the pixels of one colour in a client rectangle.
inline int PixelsOf(HWND window, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (pt::WindowPixel(window, x, y) == colour) ++n;
  return n;
}

}  // namespace controltest
