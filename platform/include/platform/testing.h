// The test harness: a headless session on the virtual clock where tests inject input at
// screen points, pump the queue until it is idle, advance time so that timers fire in
// order, and read the screen or a window as pixels (and save them as PNG files).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform::testing {

// Pixels read back from the screen or a window: 0x00RRGGBB, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  // The pixel at (x, y) as a COLORREF; CLR_INVALID outside the image.
  COLORREF Pixel(int x, int y) const;
};

enum class Button { Left, Right, Middle };

// Starts (or restarts) a clean session: headless backend, virtual clock at 0, no windows or
// window DCs, no application classes, object counts at zero, the desktop repainted, empty
// queue, no keys down, cursor at (0,0).
void StartSession();
// Destroys every window (with their messages) and clears what StartSession clears.
void EndSession();

// Input at screen points. Each call only queues; PumpUntilIdle delivers.
void MouseMove(int x, int y);
void MouseDown(int x, int y, Button button = Button::Left);
void MouseUp(int x, int y, Button button = Button::Left);
void Click(int x, int y, Button button = Button::Left);
// Two clicks at the same point with no time between them.
void DoubleClick(int x, int y, Button button = Button::Left);
void Wheel(int x, int y, int delta);
void KeyDown(UINT virtualKey);
void KeyUp(UINT virtualKey);
void PressKey(UINT virtualKey);
// Types text on the US layout (Shift as needed); bytes no key makes arrive as WM_CHAR.
void TypeText(const std::string& text);

// Takes, translates and dispatches messages until none is left (or `limit` were
// dispatched, which means something repaints or reposts for ever). Returns the count.
int PumpUntilIdle(int limit = 100000);
// Queues `step` to run the next time the GUI thread would wait for input with nothing left
// to do, which is how a test acts inside a modal loop (a menu, a message box, a drag):
// inject the press that starts the loop, queue the steps, then pump. Steps run one per
// wait, in order; a wait with no step left waits for input as usual.
void AtIdle(std::function<void()> step);

// Moves the virtual clock forward by `milliseconds`, stopping at each timer's due time
// so that due timers fire in order, each at its own time, pumping after every step.
void AdvanceTime(std::uint64_t milliseconds);

// Pixels as COLORREF values. The screen is composed first.
COLORREF ScreenPixel(int x, int y);
// A pixel of a window's client area (client coordinates), from its top-level backing store.
COLORREF WindowPixel(HWND window, int x, int y);
Image CaptureScreen();
// The window's whole rectangle as it shows on the screen.
Image CaptureWindow(HWND window);
// An 8-bit RGB PNG file; false (and no half-written file) on failure.
bool SavePng(const Image& image, const std::string& path);
// False for a missing or damaged file.
bool LoadPng(const std::string& path, Image* image);

// What the session made and has not destroyed: windows, device contexts and the other
// drawing objects (bitmaps, pens, brushes, fonts, regions, palettes, icons and cursors).
// Stock objects and the shared ones the platform keeps for the process (system colour
// brushes, loaded icons and cursors) are not counted, nor are objects an earlier session
// made: each session starts at zero. StartSession destroys the windows an earlier test
// left and frees their DCs.
struct Counts {
  int windows = 0;
  int dcs = 0;
  int gdiObjects = 0;
  bool operator==(const Counts&) const = default;
};
Counts LiveObjects();

// Installs a drive table in TD_DRIVES syntax for the session (the kernel's table); false
// with the reason in `error` when the text is not a valid table.
bool InstallDrives(const std::string& table, std::string* error = nullptr);

// A fake MCI device for the tests of the layers above the platform (a CD drive with tracks,
// a video device). It carries out every command but MCI_OPEN and MCI_CLOSE, which the MCI
// layer does, with the caller's flags and parameter block (which may be null). A notifying
// command that succeeds is announced at once.
class FakeMciDevice {
 public:
  virtual ~FakeMciDevice() = default;
  virtual MCIERROR Command(UINT message, DWORD_PTR flags, void* parms) = 0;
  // MCI_CLOSE: an MCIERR_ code keeps the device open.
  virtual MCIERROR Close() { return 0; }
};
// Opens a fake device for the element named in MCI_OPEN (empty when none): 0 and a device,
// or an MCIERR_ code.
using FakeMciOpener =
    std::function<MCIERROR(const std::string& element, std::unique_ptr<FakeMciDevice>& device)>;
// Serves the device type name (any case: "CDAudio") with the MCI_DEVTYPE_ number through
// `open`, in place of any driver of that name, until UnregisterFakeMciDriver.
void RegisterFakeMciDriver(const std::string& typeName, UINT deviceType, FakeMciOpener open);
// Removes the fake and restores the built-in driver of that name, if there is one.
void UnregisterFakeMciDriver(const std::string& typeName);
// How many MCI devices are open.
int OpenMciDevices();
// The voices sounding in the latest render of every open device together: 0 when nothing
// is left sounding.
int SoundingVoices();

}  // namespace platform::testing
