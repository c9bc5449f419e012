// The host side of the platform: where the virtual screen is shown and where mouse and
// keyboard input comes from. One backend is chosen at start-up (TD_BACKEND=sdl|headless,
// else sdl when a display is reachable); nothing outside this folder knows which.
#pragma once
#include "private.h"
#include <memory>
#include <string>

#include "gdi/surface.h"

namespace platform::backend {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // Whether Present shows anything (the screen is composed only for a backend that does).
  virtual bool ShowsScreen() const = 0;
  // Sleeps until Wake is called, host input arrives or `timeoutMs` passes (negative: no
  // limit). Host input is handed to the window manager's input queue before returning.
  virtual void Wait(int timeoutMs) = 0;
  // Hands pending host input to the window manager without sleeping.
  virtual void Poll() = 0;
  // Ends a Wait; callable from any thread.
  virtual void Wake() = 0;
  // Shows the composed screen (a no-op without a display).
  virtual void Present(const Surface& screen) = 0;
};

// The backend in use, chosen and started on first use.
Backend& Current();
// Replaces the backend (the test harness forces the headless one).
void Use(std::unique_ptr<Backend> backend);

std::unique_ptr<Backend> CreateHeadless();
// Null when no display can be opened.
std::unique_ptr<Backend> CreateSdl(int width, int height);

}  // namespace platform::backend
