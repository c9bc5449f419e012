// The window manager's own records: classes, windows, the handle table and the global
// state (active window, focus, capture). Everything here belongs to the GUI thread except
// the handle table's generations, which PostMessageA reads from other threads.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/host.h"
#include "gdi/region.h"
#include "gdi/surface.h"
#include "platform/user.h"
#include "private.h"

namespace platform::user {

using gdi::Region;
using platform::Contains;
using platform::Intersection;
using platform::IsEmpty;
using platform::Offset;

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCSTR menuName = nullptr;  // as given: an integer resource or a pointer the caller keeps
  std::string menuNameText;
  bool system = false;  // registered by the platform; survives a reset
  int windows = 0;
  std::vector<BYTE> extra;
};

enum WindowFlag : std::uint32_t {
  kDestroying = 1u << 0,
  kDestroyed = 1u << 1,  // WM_NCDESTROY sent; the handle is about to go
  kEraseNeeded = 1u << 2,
  kFrameNeeded = 1u << 3,
  kInternalPaint = 1u << 4,
  kPaintCounted = 1u << 5,  // counted in State::windowsNeedingPaint
  kSentSizeMove = 1u << 6,
  kMaximized = 1u << 7,
  kMinimized = 1u << 8,
  kHiddenWithOwner = 1u << 9,  // hidden because its owner was minimised
};

struct Property {
  std::string name;  // "#<atom>" for integer atoms
  HANDLE data;
};

struct Window {
  HWND handle = nullptr;
  WindowClass* windowClass = nullptr;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR id = 0;  // child id, or the menu handle of a top-level window
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  Window* parent = nullptr;  // the desktop for top-level windows; null for the desktop
  Window* owner = nullptr;
  std::vector<Window*> children;  // z-order, topmost first
  RECT rect{};                    // window rectangle in the parent's client coordinates
  RECT client{};                  // client rectangle relative to the window rectangle
  RECT restore{};                 // rectangle before minimising or maximising
  std::string text;
  std::vector<Property> properties;
  std::vector<BYTE> extra;
  std::uint32_t flags = 0;
  DWORD threadId = 0;
  Region update;                     // client coordinates
  std::shared_ptr<Surface> surface;  // top-level windows only: the backing store, shared
                                     // with the DCs that draw on it
  HWND lastActivePopup = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  std::shared_ptr<controls::Extension> control;     // made by a built-in control's procedure
  std::shared_ptr<controls::Extension> scrollBars;  // made by the first scroll bar call
  HMENU systemMenu = nullptr;  // made by GetSystemMenu, destroyed with the window
  std::uint64_t creationOrder = 0;

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  // Whether the client area leaves room for a frame, caption, menu bar or scroll bars.
  bool HasNonClientArea() const {
    return client.left != 0 || client.top != 0 || client.right != rect.right - rect.left ||
           client.bottom != rect.bottom - rect.top;
  }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  bool Has(WindowFlag f) const { return (flags & f) != 0; }
};

struct State {
  Window* desktop = nullptr;
  Window* active = nullptr;
  Window* focus = nullptr;
  Window* capture = nullptr;
  std::vector<std::unique_ptr<WindowClass>> classes;
  int windowsNeedingPaint = 0;
  Region screenDamage;   // screen areas to compose again from the windows
  Region presentDamage;  // composed areas the backend has not shown yet
  HCURSOR presentedCursor = nullptr;
  HWND minimizedProgram = nullptr;  // minimised with the host window
  DWORD guiThread = 0;
  POINT screenSize{800, 600};
};

State& Global();

// The handle table: index and generation in the handle value, so a stale or forged
// handle is refused without touching freed memory.
HWND AllocateHandle(Window* window);
void FreeHandle(HWND handle);
// The window of a live handle, else null (and ERROR_INVALID_WINDOW_HANDLE unless quiet).
Window* Lookup(HWND handle);
Window* LookupQuiet(HWND handle);
// Safe from any thread: whether `handle` names a live window.
bool HandleIsLive(HWND handle);

inline HWND HandleOf(const Window* w) { return w ? w->handle : nullptr; }
// The window filter of PeekMessageA/GetMessageA that takes only thread messages (no window).
inline const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
DWORD CurrentThreadId();
void EnsureStarted();  // creates the desktop and picks the backend on first use
bool Started();        // safe from any thread

// Classes.
WindowClass* FindClass(LPCSTR name, HINSTANCE instance);
void RegisterDesktopClass();
void ResetClasses();
void ResetSystemColours();  // the classic colours again (a new test session)

// Tree helpers.
Window* TopLevelOf(Window* w);  // the ancestor whose parent is the desktop (or w itself)
bool IsDescendant(const Window* ancestor, const Window* w);
POINT ClientOriginOnScreen(const Window* w);
POINT WindowOriginOnScreen(const Window* w);
RECT WindowRectOnScreen(const Window* w);
bool ReallyVisible(const Window* w);  // it and every ancestor visible
void LinkChild(Window* parent, Window* child, Window* before);
void UnlinkChild(Window* child);

// Messages sent by the window manager itself.
LRESULT Send(Window* w, UINT message, WPARAM wParam, LPARAM lParam);

// Geometry and visibility (geometry.cpp).
void ComputeClientRect(Window* w, bool sendCalc);
// WM_SIZE then WM_MOVE with the window's client size and place (and kSentSizeMove set).
void SendSizeAndMove(Window* w);
bool SetPosition(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
void GetMinMaxInfo(Window* w, MINMAXINFO* info);

// Activation, focus, capture (focus.cpp).
void ActivateWindow(Window* w, int how);
void ActivateAnother(Window* leaving);
void ForgetWindow(Window* w);  // drops every global reference to a window being destroyed
void ChangeFocus(Window* w);

// Painting (paint.cpp).
void InvalidateWindow(Window* w, const RECT* rect, UINT flags);
void InvalidateUncovered(Window* parent, const RECT& rectInParent);
void SetPaintCounted(Window* w);
Window* FindWindowToPaint(Window* root);
void EnsureSurface(Window* w);

// Queue (queue.cpp).
void RemoveMessagesFor(HWND window);
void WakeQueue();
void ResetQueue();

// Timers (timers.cpp).
void KillTimersOf(HWND window);
void ResetTimers();
bool TakeDueTimer(HWND filter, bool remove, MSG* out);
bool NextTimerDue(std::uint64_t* due);
bool TimerProcedureIsLive(HWND window, UINT_PTR id, LPARAM procedure);

// Input (input.cpp).
bool TakeInputMessage(HWND filter, UINT first, UINT last, bool remove, MSG* out);
bool InputPending();
DWORD PendingInputKinds();  // QS_KEY, QS_MOUSEMOVE, QS_MOUSEBUTTON of the waiting input
void ResetInput();
void SetMessageInfo(const MSG& msg);
void ReleaseCaptureOf(Window* w);

}  // namespace platform::user

namespace platform::user {
// Non-client thickness on each side for these styles (caption and menu bar in `top`).
RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu, bool scrollBars);
// The deepest visible window under a screen point, skipping `skip` (windows that answered
// HTTRANSPARENT); disabled child windows are passed over when `skipDisabled`.
Window* WindowAt(POINT screen, const std::vector<Window*>& skip, bool skipDisabled);
// Registers a class that every module sees and that survives a reset (the built-in controls).
ATOM RegisterSystemClass(const WNDCLASSA& windowClass);
}  // namespace platform::user

namespace platform::user {
void DropUpdates(Window* w);  // a hidden window has nothing to paint
}  // namespace platform::user
