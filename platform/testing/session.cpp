// The headless test session: reset, input injection, pumping and virtual time.
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

#include "backend/backend.h"
#include "gdi/objects.h"
#include "gdi/screen.h"
#include "mixer/calls.h"
#include "mixer/state.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "user/hooks.h"
#include "user/input.h"
#include "user/native.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::testing {
namespace {

user::MouseButton Map(Button b) {
  switch (b) {
    case Button::Right:
      return user::MouseButton::Right;
    case Button::Middle:
      return user::MouseButton::Middle;
    default:
      return user::MouseButton::Left;
  }
}

// With `quietly`, the windows' own procedures are not called: they may belong to objects of
// an earlier test that are gone.
void DestroyEverything(bool quietly) {
  user::State& state = user::Global();
  if (!state.desktop) return;
  if (quietly) {
    std::vector<user::Window*> all(state.desktop->children);
    for (std::size_t i = 0; i < all.size(); ++i) {
      all[i]->procedure = DefWindowProcA;
      all.insert(all.end(), all[i]->children.begin(), all[i]->children.end());
    }
  }
  // Owned windows go with their owners; a window procedure may create windows while it
  // is destroyed, so go round until none is left.
  for (int round = 0; round < 16 && !state.desktop->children.empty(); ++round) {
    std::vector<HWND> windows;
    for (user::Window* w : state.desktop->children) windows.push_back(w->handle);
    for (HWND h : windows) DestroyWindow(h);
  }
}

std::deque<std::function<void()>>& IdleSteps() {
  static auto* steps = new std::deque<std::function<void()>>();
  return *steps;
}

bool RunIdleStep() {
  auto& steps = IdleSteps();
  if (steps.empty()) return false;
  std::function<void()> step = std::move(steps.front());
  steps.pop_front();
  step();
  return true;
}

void Reset(bool quietly) {
  IdleSteps().clear();
  backend::Use(backend::CreateHeadless(RunIdleStep));
  UseVirtualClock(0);
  user::EnsureStarted();
  user::AdoptDesktopSize();
  DestroyEverything(quietly);
  user::State& state = user::Global();
  state.active = state.focus = state.capture = nullptr;
  user::ResetQueue();
  user::ResetTimers();
  user::ResetInput();
  user::ResetHostChanges();
  user::ResetClasses();
  user::ResetSystemColours();
  user::ResetHooks();
  user::ForgetIssuedDcs();
  gdi::FreeWindowDcs();
  gdi::BeginSession();
  user::ScreenChanged();
  // Full volume, and never the user's own mixer: without TD_MIXER the session's is private.
  mixer::CloseAllHandles();
  mixer::UsePrivateState(true);
  mixer::Attach();
  mixer::Reset();
}

int CountWindows(const user::Window* w) {
  int n = 1;
  for (const user::Window* c : w->children) n += CountWindows(c);
  return n;
}

}  // namespace

void StartSession() { Reset(true); }

void EndSession() { Reset(false); }

void AtIdle(std::function<void()> step) { IdleSteps().push_back(std::move(step)); }

void MouseMove(int x, int y) { user::InjectMouseMove(POINT{x, y}); }

void MouseDown(int x, int y, Button button) {
  user::InjectMouseButton(Map(button), true, POINT{x, y});
}

void MouseUp(int x, int y, Button button) {
  user::InjectMouseButton(Map(button), false, POINT{x, y});
}

void Click(int x, int y, Button button) {
  MouseDown(x, y, button);
  MouseUp(x, y, button);
}

void DoubleClick(int x, int y, Button button) {
  Click(x, y, button);
  Click(x, y, button);
}

void Wheel(int x, int y, int delta) { user::InjectMouseWheel(delta, POINT{x, y}); }

void KeyDown(UINT virtualKey) { user::InjectKey(virtualKey, true); }

void KeyUp(UINT virtualKey) { user::InjectKey(virtualKey, false); }

void PressKey(UINT virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    SHORT scan = VkKeyScanA(c);
    if (scan == -1 || static_cast<unsigned char>(c) >= 0x80) {
      user::InjectChar(static_cast<unsigned char>(c));
      continue;
    }
    UINT key = static_cast<UINT>(scan & 0xFF);
    bool shift = (scan & 0x100) != 0, control = (scan & 0x200) != 0;
    if (shift) KeyDown(VK_SHIFT);
    if (control) KeyDown(VK_CONTROL);
    PressKey(key);
    if (control) KeyUp(VK_CONTROL);
    if (shift) KeyUp(VK_SHIFT);
  }
}

int PumpUntilIdle(int limit) {
  int count = 0;
  MSG msg;
  while (count < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The quit message belongs to the program's own loop: leave it for that loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ++count;
  }
  return count;
}

void AdvanceTime(std::uint64_t milliseconds) {
  PumpUntilIdle();
  std::uint64_t target = ClockMilliseconds() + milliseconds;
  for (;;) {
    std::uint64_t now = ClockMilliseconds();
    std::uint64_t due = 0;
    bool timer = user::NextTimerDue(&due);
    std::uint64_t step = target;
    if (timer && due > now && due < target) step = due;
    if (step > now) AdvanceVirtualClock(step - now);
    PumpUntilIdle();
    if (step >= target) break;
  }
}

COLORREF ScreenPixel(int x, int y) {
  user::ComposeScreen();
  Surface& screen = user::ScreenSurface();
  if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) return CLR_INVALID;
  return gdi::ToColour(screen.Row(y)[x]);
}

COLORREF WindowPixel(HWND window, int x, int y) {
  user::DrawTarget target;
  if (!user::GetDrawTarget(window, user::DrawArea::Client, 0, &target) || !target.surface)
    return CLR_INVALID;
  int sx = target.origin.x + x, sy = target.origin.y + y;
  Surface& s = *target.surface;
  if (sx < 0 || sy < 0 || sx >= s.width || sy >= s.height) return CLR_INVALID;
  return gdi::ToColour(s.Row(sy)[sx]);
}

namespace {

Image ToImage(const Surface& surface) {
  return Image{surface.width, surface.height, surface.pixels};
}

}  // namespace

COLORREF Image::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  return gdi::ToColour(pixels[static_cast<std::size_t>(y) * width + x]);
}

Image CaptureScreen() {
  user::ComposeScreen();
  return ToImage(user::ScreenSurface());
}

Image CaptureWindow(HWND window) {
  Image out;
  RECT r;
  if (!GetWindowRect(window, &r)) return out;
  user::ComposeScreen();
  const Surface& screen = user::ScreenSurface();
  out.width = std::max<int>(0, r.right - r.left);
  out.height = std::max<int>(0, r.bottom - r.top);
  out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      int sx = r.left + x, sy = r.top + y;
      if (sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height)
        out.pixels[static_cast<std::size_t>(y) * out.width + x] =
            screen.pixels[static_cast<std::size_t>(sy) * screen.width + sx];
    }
  return out;
}

bool SavePng(const Image& image, const std::string& path) {
  Surface surface;
  surface.width = image.width;
  surface.height = image.height;
  surface.pixels = image.pixels;
  if (surface.pixels.size() != static_cast<std::size_t>(image.width) * image.height) return false;
  return gdi::WritePng(surface, path);
}

bool LoadPng(const std::string& path, Image* image) {
  Surface surface;
  if (!image || !gdi::ReadPng(path, &surface)) return false;
  *image = ToImage(surface);
  return true;
}

Counts LiveObjects() {
  user::EnsureStarted();
  gdi::ObjectCounts objects = gdi::CountObjects();
  return Counts{CountWindows(user::Global().desktop) - 1, objects.dcs, objects.others};
}

bool InstallDrives(const std::string& table, std::string* error) {
  return InstallDriveTable(table, error);
}

}  // namespace platform::testing
