// The host side of the platform: where the virtual screen is shown and where mouse and
// keyboard input comes from. One backend is chosen at start-up (TD_BACKEND=sdl|headless,
// else sdl when a display is reachable); nothing outside this folder knows which. A backend
// knows nothing of windows: it hands host input to the InputSink the window manager
// installs, and shows the screen it is given.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gdi/surface.h"
#include "private.h"

namespace platform::backend {

enum class MouseButton { Left, Right, Middle };

// What the host sends in. Called on the GUI thread, from Wait and Poll.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void MouseMove(POINT screen) = 0;
  virtual void MouseButton(MouseButton button, bool down, POINT screen) = 0;
  // A wheel turn at the cursor, in WHEEL_DELTA units.
  virtual void MouseWheel(int delta) = 0;
  // A key of the host keyboard; `text` is what the host's layout made of the press (UTF-8,
  // empty for none: a dead key, an arrow, Ctrl with a letter).
  virtual void Key(UINT virtualKey, bool down, std::string_view text) = 0;
  // Text that came without a key (an input method's composition).
  virtual void Text(std::string_view utf8) = 0;
  // The host window was uncovered: everything must be shown again.
  virtual void Exposed() = 0;
  // The user asked the host window to close.
  virtual void CloseRequested() = 0;
  // The host window was restored from its minimised state.
  virtual void HostRestored() = 0;
};

// The sink the backends deliver to; until one is installed, host input is dropped.
void SetInputSink(InputSink* sink);
InputSink& Sink();

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // Whether Present shows anything (the screen is composed only for a backend that does).
  virtual bool ShowsScreen() const = 0;
  // Sleeps until Wake is called, host input arrives or `timeoutMs` passes (negative: no
  // limit). Host input is handed to the sink before returning.
  virtual void Wait(int timeoutMs) = 0;
  // Hands pending host input to the sink without sleeping.
  virtual void Poll() = 0;
  // Ends a Wait; callable from any thread.
  virtual void Wake() = 0;
  // Shows the composed screen (a no-op without a display). `damage` lists the screen
  // rectangles that changed since the last call; `cursor` is the shape to show.
  virtual void Present(const Surface& screen, const std::vector<RECT>& damage, HCURSOR cursor) = 0;
  // Minimises the host window (the program was minimised); false when there is none.
  virtual bool MinimizeHost() { return false; }
  // What the host window shows, as 0x00RRGGBB pixels (tests); false without one.
  virtual bool ReadShown(Surface* out) {
    (void)out;
    return false;
  }
};

// The backend in use, chosen and started on first use.
Backend& Current();
// Replaces the backend (the test harness forces the headless one).
void Use(std::unique_ptr<Backend> backend);

// `idle`, when given, runs whenever the GUI thread would wait for input with nothing left to
// do (in the program's loop or any modal loop); when it returns true the wait ends at once,
// so whatever it queued is taken next. The test harness and the automation script use it.
std::unique_ptr<Backend> CreateHeadless(std::function<bool()> idle = nullptr);
// Null when no display can be opened.
std::unique_ptr<Backend> CreateSdl(int width, int height);
// The automation script at `path` (script/): the headless backend on the virtual clock,
// with the script's lines as its input. A script that cannot be read, or has a malformed
// line, ends the process with status 3 before anything runs.
std::unique_ptr<Backend> CreateScripted(const std::string& path);

}  // namespace platform::backend
