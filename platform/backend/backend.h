// The host side of the platform: where the screen or the windows are shown and where mouse
// and keyboard input comes from. One backend is chosen at start-up (TD_BACKEND=sdl|headless,
// else sdl when a display is reachable); nothing outside this folder knows which. A backend
// knows nothing of the window manager's windows: it hands host input to the InputSink the
// window manager installs, and shows what it is given: the composed screen (the virtual
// desktop) or, on the native desktop, a list of host windows, each a surface with a place,
// a kind, a title and an icon, known to it by an opaque key.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gdi/surface.h"
#include "private.h"

namespace platform::backend {

enum class MouseButton { Left, Right, Middle };

// The native desktop: a window of the host's desktop showing one of our top-level windows.
// Framed windows draw their own frame in a borderless host window and take the focus;
// pop-ups (menus, dropped lists, hints) never take the focus and have no taskbar entry.
enum class HostKind { Framed, Popup };

struct HostWindow {
  std::uintptr_t id = 0;             // the window manager's key, handed back with host events
  std::uintptr_t owner = 0;          // the host window this one stays above, 0 for none
  const Surface* surface = nullptr;  // what it shows, at our own size
  RECT rect{};                       // where, in screen coordinates
  RECT damage{};                     // what changed on the surface since the last Present
  HostKind kind = HostKind::Framed;
  bool sizable = false;  // the host may size it (a thick frame)
  bool topmost = false;
  bool minimized = false;
  std::string title;
  HICON icon = nullptr;
};

// What a press at a point of a host window starts: our own handling (Client), or the host's
// moving or sizing of the window, which follows the window's own hit test.
enum class HostHit {
  Client,
  Move,
  SizeLeft,
  SizeRight,
  SizeTop,
  SizeTopLeft,
  SizeTopRight,
  SizeBottom,
  SizeBottomLeft,
  SizeBottomRight,
};

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

  // The native desktop. Points are screen coordinates (the host's divided by the scale);
  // `window` is a HostWindow's id. All but HitTest may be kept and acted on later; HitTest
  // answers at once, from inside the host's event handling, for a left press the host would
  // take over (the button still held).
  virtual HostHit HitTest(std::uintptr_t window, POINT screen) = 0;
  // The host moved or sized the window; `rect` is where it is now.
  virtual void HostMoved(std::uintptr_t window, RECT rect) = 0;
  // The keyboard focus went to one of our host windows, or (0) to none of them: another
  // program is in front.
  virtual void HostFocus(std::uintptr_t window) = 0;
  virtual void HostMinimized(std::uintptr_t window, bool minimized) = 0;
  // The host's close request (the window manager's close button, its keyboard shortcut).
  virtual void HostClose(std::uintptr_t window) = 0;
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
  // Whether each top-level window is a host window of its own (PresentWindows) instead of
  // a part of one composed screen.
  virtual bool NativeWindows() const { return false; }
  // The native desktop's size in our pixels: the host display's work area over the scale.
  virtual POINT DesktopSize() const { return POINT{0, 0}; }
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
  // The native desktop: makes the host windows match `windows` (bottom first), creating,
  // placing, retitling and removing them, and copies what changed; `active` is the window the
  // program made active (0: none), which the host is asked to bring forward.
  virtual void PresentWindows(const std::vector<HostWindow>& windows, std::uintptr_t active,
                              HCURSOR cursor) {
    (void)windows;
    (void)active;
    (void)cursor;
  }
  // Minimises the host window (the program was minimised); false when there is none.
  virtual bool MinimizeHost() { return false; }
  // What the host window shows, as 0x00RRGGBB pixels (tests); false without one.
  virtual bool ReadShown(Surface* out) {
    (void)out;
    return false;
  }
  // What a host window of the native desktop shows and where (host pixels); false without it.
  virtual bool ReadShownWindow(std::uintptr_t window, Surface* out, RECT* where) {
    (void)window;
    (void)out;
    (void)where;
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
// Null when no display can be opened. The virtual desktop shows a screen of `width` x
// `height` in one host window; the native desktop shows each window in its own. Either way
// every pixel shows as `scale` x `scale` host pixels (0: TD_SCALE, else the display's
// density over 96 dpi, rounded down, 1 to 4).
enum class Desktop { Virtual, Native };
std::unique_ptr<Backend> CreateSdl(int width, int height, Desktop desktop = Desktop::Virtual,
                                   int scale = 0);
// The automation script at `path` (script/): the headless backend on the virtual clock,
// with the script's lines as its input. A script that cannot be read, or has a malformed
// line, ends the process with status 3 before anything runs.
std::unique_ptr<Backend> CreateScripted(const std::string& path);

}  // namespace platform::backend
