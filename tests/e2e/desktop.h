// A user's view of an X server for the test that runs the player on the sdl backend: find a
// top-level window by its title, read its pixels, and press the desktop's close button.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "platform/testing.h"

namespace e2e {

class Desktop {
 public:
  // Null when the display cannot be opened.
  static std::unique_ptr<Desktop> Open(const std::string& display);
  virtual ~Desktop() = default;
  // Waits for a mapped top-level window with this title; false when none appears in time.
  virtual bool WaitForWindow(const std::string& title, std::chrono::milliseconds limit) = 0;
  // The window's pixels as they are on the screen.
  virtual platform::testing::Image Grab() = 0;
  // What the window manager's close button sends the window.
  virtual void RequestClose() = 0;
};

}  // namespace e2e
