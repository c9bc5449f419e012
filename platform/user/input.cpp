// Input routing: mouse messages to the capture window or the window under the point, keys
// to the focus window; key state, cursor position and double clicks.
#include "user/input.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "backend/backend.h"
#include "platform/clock.h"
#include "platform/kernel.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

enum class Kind { Move, Button, Wheel, Key, Char };

struct InputEvent {
  Kind kind;
  POINT point;
  MouseButton button;
  bool down;
  UINT key;
  int delta;
  DWORD time;
};

struct Click {
  HWND window = nullptr;
  UINT message = 0;
  DWORD time = 0;
  POINT point{0, 0};
  bool wasDouble = false;
};

struct Input {
  std::mutex lock;
  std::deque<InputEvent> raw;  // as injected, not yet routed
  std::deque<MSG> routed;      // routed, waiting to be taken
  BYTE keys[256] = {};         // as of the messages routed so far (GetKeyState)
  BYTE asyncKeys[256] = {};    // as of the input injected so far (GetAsyncKeyState)
  POINT cursor{0, 0};
  UINT doubleClickTime = 500;
  Click lastClick;
  DWORD messageTime = 0;
  POINT messagePos{0, 0};
};

Input& TheInput() {
  static auto* input = new Input();
  return *input;
}

void Push(const InputEvent& event) {
  Input& input = TheInput();
  {
    std::lock_guard<std::mutex> guard(input.lock);
    // Consecutive moves fold into the latest, as a real queue keeps only one.
    if (event.kind == Kind::Move && !input.raw.empty() && input.raw.back().kind == Kind::Move)
      input.raw.back() = event;
    else
      input.raw.push_back(event);
  }
  WakeQueue();
}

void SetKey(BYTE* keys, UINT key, bool down) {
  key &= 0xFF;
  if (down) {
    if (!(keys[key] & 0x80)) keys[key] ^= 0x01;
    keys[key] |= 0x80;
  } else {
    keys[key] &= static_cast<BYTE>(~0x80);
  }
  // The side-specific modifier keys also move the generic one.
  UINT generic = 0;
  if (key == VK_LSHIFT || key == VK_RSHIFT) generic = VK_SHIFT;
  if (key == VK_LCONTROL || key == VK_RCONTROL) generic = VK_CONTROL;
  if (key == VK_LMENU || key == VK_RMENU) generic = VK_MENU;
  if (generic) SetKey(keys, generic, down);
}

UINT ButtonKey(MouseButton b) {
  switch (b) {
    case MouseButton::Left:
      return VK_LBUTTON;
    case MouseButton::Right:
      return VK_RBUTTON;
    default:
      return VK_MBUTTON;
  }
}

WPARAM KeyFlags(const BYTE* keys) {
  WPARAM flags = 0;
  if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

LPARAM PackPoint(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

UINT ButtonMessage(MouseButton b, bool down) {
  switch (b) {
    case MouseButton::Left:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case MouseButton::Right:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
}

// Client message number to its non-client twin (WM_MOUSEMOVE..WM_MBUTTONDBLCLK).
UINT NonClient(UINT message) { return message - WM_MOUSEMOVE + WM_NCMOUSEMOVE; }

bool IsDoubleClick(Input& input, HWND target, UINT message, const InputEvent& e) {
  Click& last = input.lastClick;
  int boxX = GetSystemMetrics(SM_CXDOUBLECLK) / 2, boxY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  bool isDouble = !last.wasDouble && last.window == target && last.message == message &&
                  e.time - last.time <= input.doubleClickTime &&
                  std::abs(e.point.x - last.point.x) <= boxX &&
                  std::abs(e.point.y - last.point.y) <= boxY;
  last = Click{target, message, e.time, e.point, isDouble};
  return isDouble;
}

void RouteMouse(Input& input, const InputEvent& e) {
  State& state = Global();
  UINT message = WM_MOUSEMOVE;
  if (e.kind == Kind::Button) {
    message = ButtonMessage(e.button, e.down);
    SetKey(input.keys, ButtonKey(e.button), e.down);
  }
  MSG out{nullptr, 0, 0, 0, e.time, e.point};
  if (e.kind == Kind::Wheel) {
    Window* target = state.focus ? state.focus : state.active;
    if (!target || !target->Enabled()) return;
    out.hwnd = target->handle;
    out.message = WM_MOUSEWHEEL;
    out.wParam = MAKEWPARAM(static_cast<WORD>(KeyFlags(input.keys)),
                            static_cast<WORD>(static_cast<SHORT>(e.delta)));
    out.lParam = PackPoint(e.point);
    input.routed.push_back(out);
    return;
  }
  Window* target = state.capture;
  LRESULT hit = HTCLIENT;
  if (!target) {
    std::vector<Window*> skip;
    for (;;) {
      target = WindowAt(e.point, skip, true);
      if (!target) return;
      HWND h = target->handle;
      hit = Send(target, WM_NCHITTEST, 0, PackPoint(e.point));
      if (!(target = LookupQuiet(h))) return;
      if (hit != HTTRANSPARENT) break;
      skip.push_back(target);
    }
    HWND h = target->handle;
    bool disabled = !target->Enabled() || !TopLevelOf(target)->Enabled();
    if (disabled) hit = HTERROR;
    Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
         MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
    if (!(target = LookupQuiet(h)) || disabled) return;
    if (e.kind == Kind::Button && e.down) {
      Window* top = TopLevelOf(target);
      if (top != state.active) {
        LRESULT how = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                           MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
        if (!(target = LookupQuiet(h))) return;
        if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT) {
          ActivateWindow(TopLevelOf(target), WA_CLICKACTIVE);
          if (!(target = LookupQuiet(h))) return;
        }
        if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return;
      }
    }
  }
  bool client = hit == HTCLIENT || state.capture == target;
  if (e.kind == Kind::Button && e.down) {
    bool wantsDouble = !client || (target->windowClass->style & CS_DBLCLKS);
    if (IsDoubleClick(input, target->handle, message, e) && wantsDouble)
      message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  }
  out.hwnd = target->handle;
  if (client) {
    POINT origin = ClientOriginOnScreen(target);
    out.message = message;
    out.wParam = KeyFlags(input.keys);
    out.lParam = PackPoint(POINT{e.point.x - origin.x, e.point.y - origin.y});
  } else {
    out.message = NonClient(message);
    out.wParam = static_cast<WPARAM>(hit);
    out.lParam = PackPoint(e.point);
  }
  input.routed.push_back(out);
}

void RouteKey(Input& input, const InputEvent& e) {
  State& state = Global();
  bool wasDown = (input.keys[e.key & 0xFF] & 0x80) != 0;
  bool altBefore = (input.keys[VK_MENU] & 0x80) != 0;
  SetKey(input.keys, e.key, e.down);
  bool alt = e.down ? (input.keys[VK_MENU] & 0x80) != 0 : altBefore;
  bool control = (input.keys[VK_CONTROL] & 0x80) != 0;
  Window* target = state.focus;
  bool system = (alt && !control) || e.key == VK_F10 || e.key == VK_MENU || !target;
  if (!target) target = state.active;
  if (!target || !target->Enabled()) return;
  UINT message = e.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1 | (static_cast<LPARAM>(ScanCodeOf(e.key)) << 16);
  if (IsExtendedKey(e.key)) lParam |= 1L << 24;
  if (alt && !control) lParam |= 1L << 29;
  if (wasDown || !e.down) lParam |= 1L << 30;
  if (!e.down) lParam |= 1L << 31;
  input.routed.push_back(MSG{target->handle, message, e.key, lParam, e.time, input.cursor});
}

void Route(Input& input, const InputEvent& e) {
  switch (e.kind) {
    case Kind::Move:
    case Kind::Button:
    case Kind::Wheel:
      RouteMouse(input, e);
      break;
    case Kind::Key:
      RouteKey(input, e);
      break;
    case Kind::Char: {
      State& state = Global();
      if (Window* target = state.focus ? state.focus : state.active)
        input.routed.push_back(MSG{target->handle, WM_CHAR, e.key, 1, e.time, input.cursor});
      break;
    }
  }
}

InputEvent Event(Kind kind) {
  InputEvent e{};
  e.kind = kind;
  e.time = GetTickCount();
  e.point = TheInput().cursor;
  return e;
}

// Host input from the backend, fed in like the harness's.
class HostInput final : public backend::InputSink {
 public:
  void MouseMove(POINT screen) override { InjectMouseMove(screen); }
  void MouseButton(backend::MouseButton button, bool down, POINT screen) override {
    InjectMouseButton(button, down, screen);
  }
  void MouseWheel(int delta) override { InjectMouseWheel(delta, TheInput().cursor); }
  void Key(UINT virtualKey, bool down) override { InjectKey(virtualKey, down); }
  void Text(std::string_view utf8) override {
    // Keys of the US layout make their characters through TranslateMessage; what they
    // cannot make (accented letters and the like) arrives here.
    for (char c : utf8)
      if (static_cast<unsigned char>(c) >= 0x80) InjectChar(static_cast<unsigned char>(c));
  }
  void Exposed() override { ScreenChanged(); }
  void CloseRequested() override {
    if (Window* active = Global().active) PostMessageA(active->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
};

}  // namespace

void InstallHostInput() {
  static HostInput sink;
  backend::SetInputSink(&sink);
}

bool InputPending() {
  Input& input = TheInput();
  std::lock_guard<std::mutex> guard(input.lock);
  return !input.raw.empty() || !input.routed.empty();
}

bool TakeInputMessage(HWND filter, UINT first, UINT last, bool remove, MSG* out) {
  Input& input = TheInput();
  if (filter == kThreadMessagesOnly) return false;
  // Route one event at a time, only when nothing routed is waiting, so that each event
  // is hit-tested against the windows as the earlier events left them.
  while (input.routed.empty()) {
    InputEvent e;
    {
      std::lock_guard<std::mutex> guard(input.lock);
      if (input.raw.empty()) return false;
      e = input.raw.front();
      input.raw.pop_front();
    }
    Route(input, e);
  }
  // Input for a window destroyed since it was routed is dropped.
  std::erase_if(input.routed, [](const MSG& m) { return !LookupQuiet(m.hwnd); });
  for (auto it = input.routed.begin(); it != input.routed.end(); ++it) {
    bool admitted = (first == 0 && last == 0) || (it->message >= first && it->message <= last);
    if (!admitted || (filter && it->hwnd != filter)) continue;
    *out = *it;
    if (remove) input.routed.erase(it);
    return true;
  }
  return false;
}

void ResetInput() {
  Input& input = TheInput();
  std::lock_guard<std::mutex> guard(input.lock);
  input.raw.clear();
  input.routed.clear();
  std::memset(input.keys, 0, sizeof(input.keys));
  std::memset(input.asyncKeys, 0, sizeof(input.asyncKeys));
  input.lastClick = Click{};
  input.doubleClickTime = 500;
  input.cursor = POINT{0, 0};
}

void SetMessageInfo(const MSG& msg) {
  Input& input = TheInput();
  input.messageTime = msg.time;
  input.messagePos = msg.pt;
}

void InjectMouseMove(POINT screen) {
  TheInput().cursor = screen;
  InputEvent e = Event(Kind::Move);
  Push(e);
}

void InjectMouseButton(MouseButton button, bool down, POINT screen) {
  Input& input = TheInput();
  input.cursor = screen;
  SetKey(input.asyncKeys, ButtonKey(button), down);
  InputEvent e = Event(Kind::Button);
  e.button = button;
  e.down = down;
  Push(e);
}

void InjectMouseWheel(int delta, POINT screen) {
  TheInput().cursor = screen;
  InputEvent e = Event(Kind::Wheel);
  e.delta = delta;
  Push(e);
}

void InjectKey(UINT virtualKey, bool down) {
  SetKey(TheInput().asyncKeys, virtualKey, down);
  InputEvent e = Event(Kind::Key);
  e.key = virtualKey & 0xFF;
  e.down = down;
  Push(e);
}

void InjectChar(unsigned char character) {
  InputEvent e = Event(Kind::Char);
  e.key = character;
  Push(e);
}

}  // namespace platform::user

using namespace platform::user;

SHORT GetKeyState(int virtualKey) {
  BYTE k = TheInput().keys[virtualKey & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) {
  BYTE k = TheInput().asyncKeys[virtualKey & 0xFF];
  return static_cast<SHORT>((k & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* keyState) {
  if (!keyState) return FALSE;
  std::memcpy(keyState, TheInput().keys, 256);
  return TRUE;
}

BOOL SetKeyboardState(BYTE* keyState) {
  if (!keyState) return FALSE;
  std::memcpy(TheInput().keys, keyState, 256);
  return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = TheInput().cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  POINT size = Global().screenSize;
  x = x < 0 ? 0 : (x >= size.x ? size.x - 1 : x);
  y = y < 0 ? 0 : (y >= size.y ? size.y - 1 : y);
  InjectMouseMove(POINT{x, y});
  return TRUE;
}

UINT GetDoubleClickTime() { return TheInput().doubleClickTime; }

BOOL SetDoubleClickTime(UINT milliseconds) {
  TheInput().doubleClickTime = milliseconds ? milliseconds : 500;
  return TRUE;
}

DWORD GetMessagePos() {
  POINT p = TheInput().messagePos;
  return static_cast<DWORD>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

LONG GetMessageTime() { return static_cast<LONG>(TheInput().messageTime); }
