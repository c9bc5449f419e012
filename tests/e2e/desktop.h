// A user's view of an X server for the tests that run the player on the sdl backend: find
// the program's windows (its framed windows by title, its pop-ups by their class), read their
// pixels, press the window manager's close button, and use the mouse and keyboard through
// xdotool as a user would.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing.h"

namespace e2e {

// A child process with the caller's environment plus `settings`, started in `folder`, its
// standard input from /dev/null, its standard output and error to the file `output` when one
// is named ("/dev/null" for none), and `outputFd` (when given) as its descriptor 3; -1 when it
// cannot start.
pid_t StartProcess(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& settings, const std::string& folder,
                   int outputFd = -1, const std::string& output = "");
// The exit status, or -1 when the process has not ended within the time.
int WaitForExit(pid_t pid, std::chrono::milliseconds limit);
// Kills it and collects it.
void StopProcess(pid_t pid);

struct XWindow {
  unsigned long id = 0;
  std::string title;
  int x = 0, y = 0, width = 0, height = 0;  // on the screen
  bool popup = false;                       // placed by the program, past the window manager
};

class Desktop {
 public:
  // Null when the display cannot be opened.
  static std::unique_ptr<Desktop> Open(const std::string& display);
  virtual ~Desktop() = default;
  // Waits for a window manager to announce itself on the root window; false when none does.
  virtual bool WaitForWindowManager(std::chrono::milliseconds limit) = 0;
  // Waits for a mapped window with this title, at any depth below the root (a window manager
  // puts a frame around it); false when none appears in time. It becomes the current window.
  virtual bool WaitForWindow(const std::string& title, std::chrono::milliseconds limit) = 0;
  // The current window's pixels as they are on the screen (the part on the screen), and
  // where it is.
  virtual platform::testing::Image Grab() = 0;
  // The whole screen (a picture of what went wrong).
  virtual platform::testing::Image GrabScreen() = 0;
  virtual XWindow Current() = 0;
  // Every mapped window of the program whose X class is `windowClass`, in no set order.
  virtual std::vector<XWindow> WindowsOf(const std::string& windowClass) = 0;
  // What the window manager's close button sends the current window.
  virtual void RequestClose() = 0;
  // Another program's window, framed by the window manager, where a click brings that
  // program to the front.
  virtual XWindow OpenOtherProgram(const std::string& title, int x, int y) = 0;
  // Runs xdotool with these arguments on this display (mouse moves, clicks, keys); false
  // when it fails.
  virtual bool Xdotool(const std::vector<std::string>& arguments) = 0;
};

}  // namespace e2e
