// Input: raw events from the backend or the harness wait in one queue in arrival order and
// become messages when the queue hands them out, each hit-tested against the windows as the
// messages before it left them. A filtered peek or get takes the first event whose message
// falls in its range and leaves the others waiting; only taking a message out has side
// effects (WM_SETCURSOR, mouse activation, key state, double-click timing).
#include "user/input.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "backend/backend.h"
#include "platform/clock.h"
#include "platform/kernel.h"
#include "user/native.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

enum class Kind { Move, Button, Wheel, Key, Char };

struct InputEvent {
  std::uint64_t serial = 0;
  Kind kind = Kind::Move;
  POINT point{0, 0};
  MouseButton button = MouseButton::Left;
  bool down = false;
  UINT key = 0;
  int delta = 0;
  DWORD time = 0;
  // The keyboard as the event left it, so that the message says what the user held
  // whenever it is taken: MK_ flags for mouse messages, and for keys whether Alt and Ctrl
  // were held and whether the key was down before.
  WPARAM keyFlags = 0;
  bool alt = false;
  bool control = false;
  bool wasDown = false;
  // A key of the host keyboard, and the text its layout made.
  bool hostLayout = false;
  std::string text;
};

// The key-down message taken last, for TranslateMessage.
struct TakenKey {
  MSG msg{};
  bool hostLayout = false;
  std::string text;
};

struct Click {
  HWND window = nullptr;
  UINT message = 0;
  DWORD time = 0;
  POINT point{0, 0};
  bool wasDouble = false;
};

struct Input {
  std::mutex lock;             // guards `raw` and `nextSerial`: the backends push from Wait
  std::deque<InputEvent> raw;  // arrival order
  std::uint64_t nextSerial = 1;
  BYTE keys[256] = {};       // as of the messages taken so far (GetKeyState)
  BYTE asyncKeys[256] = {};  // as of the input injected so far (GetAsyncKeyState)
  POINT cursor{0, 0};
  UINT doubleClickTime = 500;
  Click lastClick;
  DWORD messageTime = 0;
  POINT messagePos{0, 0};
  unsigned presses = 0;  // key and button presses taken, auto-repeats excluded
  TakenKey lastKey;
};

Input& TheInput() {
  static auto* input = new Input();
  return *input;
}

void Push(InputEvent event) {
  Input& input = TheInput();
  {
    std::lock_guard<std::mutex> guard(input.lock);
    event.serial = input.nextSerial++;
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

bool Admitted(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  if (first > last) return message >= first || message <= last;
  return message >= first && message <= last;
}

bool AdmitsRange(UINT low, UINT high, UINT first, UINT last) {
  for (UINT m = low; m <= high; ++m)
    if (Admitted(m, first, last)) return true;
  return false;
}

// Whether any message the event could become passes the range, before anything is
// hit-tested: a key-range filter never looks at the mouse.
bool MayPass(const InputEvent& e, UINT first, UINT last) {
  switch (e.kind) {
    case Kind::Move:
    case Kind::Button:
      return AdmitsRange(WM_MOUSEMOVE, WM_MBUTTONDBLCLK, first, last) ||
             AdmitsRange(WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, first, last);
    case Kind::Wheel:
      return Admitted(WM_MOUSEWHEEL, first, last);
    case Kind::Key:
      return AdmitsRange(WM_KEYDOWN, WM_SYSKEYUP, first, last);
    case Kind::Char:
      return Admitted(WM_CHAR, first, last);
  }
  return false;
}

// What an event becomes, worked out without changing anything but the answers to
// WM_NCHITTEST.
struct Resolved {
  Window* target = nullptr;  // null: the event makes no message
  MSG msg{};
  UINT plainMessage = 0;  // the mouse message before double-click promotion
  LRESULT hit = HTCLIENT;
  bool hitTested = false;  // neither captured nor a wheel: WM_SETCURSOR and activation apply
  bool disabled = false;   // a disabled window under the mouse: only WM_SETCURSOR(HTERROR)
};

bool IsDoubleClick(const Input& input, HWND target, UINT message, const InputEvent& e) {
  const Click& last = input.lastClick;
  int boxX = GetSystemMetrics(SM_CXDOUBLECLK) / 2, boxY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  return !last.wasDouble && last.window == target && last.message == message &&
         e.time - last.time <= input.doubleClickTime &&
         std::abs(e.point.x - last.point.x) <= boxX && std::abs(e.point.y - last.point.y) <= boxY;
}

Resolved ResolveMouse(const Input& input, const InputEvent& e) {
  State& state = Global();
  Resolved r;
  r.msg.time = e.time;
  r.msg.pt = e.point;
  if (e.kind == Kind::Wheel) {
    Window* target = state.focus ? state.focus : state.active;
    if (!target || !target->Enabled()) return r;
    r.target = target;
    r.msg.hwnd = target->handle;
    r.msg.message = r.plainMessage = WM_MOUSEWHEEL;
    r.msg.wParam =
        MAKEWPARAM(static_cast<WORD>(e.keyFlags), static_cast<WORD>(static_cast<SHORT>(e.delta)));
    r.msg.lParam = PackPoint(e.point);
    return r;
  }
  UINT message = e.kind == Kind::Button ? ButtonMessage(e.button, e.down) : WM_MOUSEMOVE;
  r.plainMessage = message;
  Window* target = state.capture;
  if (!target) {
    std::vector<Window*> skip;
    for (;;) {
      target = WindowAt(e.point, skip, true);
      if (!target) return r;
      HWND h = target->handle;
      r.hit = Send(target, WM_NCHITTEST, 0, PackPoint(e.point));
      if (!(target = LookupQuiet(h))) return r;
      if (r.hit != HTTRANSPARENT) break;
      skip.push_back(target);
    }
    r.hitTested = true;
    if (!target->Enabled() || !TopLevelOf(target)->Enabled()) {
      r.disabled = true;
      r.hit = HTERROR;
      r.target = target;
      return r;
    }
  }
  bool client = r.hit == HTCLIENT || state.capture == target;
  if (e.kind == Kind::Button && e.down) {
    bool wantsDouble = !client || (target->windowClass->style & CS_DBLCLKS);
    if (wantsDouble && IsDoubleClick(input, target->handle, message, e))
      message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  }
  r.target = target;
  r.msg.hwnd = target->handle;
  if (client) {
    POINT origin = ClientOriginOnScreen(target);
    r.msg.message = message;
    r.msg.wParam = e.keyFlags;
    r.msg.lParam = PackPoint(POINT{e.point.x - origin.x, e.point.y - origin.y});
  } else {
    r.msg.message = NonClient(message);
    r.msg.wParam = static_cast<WPARAM>(r.hit);
    r.msg.lParam = PackPoint(e.point);
  }
  return r;
}

Resolved ResolveKey(const Input& input, const InputEvent& e) {
  State& state = Global();
  Resolved r;
  Window* target = state.focus;
  bool system = (e.alt && !e.control) || e.key == VK_F10 || e.key == VK_MENU || !target;
  if (!target) target = state.active;
  if (!target || !target->Enabled()) return r;
  r.target = target;
  if (e.kind == Kind::Char) {
    r.msg = MSG{target->handle, WM_CHAR, e.key, 1, e.time, input.cursor};
    return r;
  }
  UINT message = e.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1 | (static_cast<LPARAM>(ScanCodeOf(e.key)) << 16);
  if (IsExtendedKey(e.key)) lParam |= 1L << 24;
  if (e.alt && !e.control) lParam |= 1L << 29;
  if (e.wasDown || !e.down) lParam |= 1L << 30;
  if (!e.down) lParam |= 1L << 31;
  r.msg = MSG{target->handle, message, e.key, lParam, e.time, input.cursor};
  r.plainMessage = message;
  return r;
}

Resolved Resolve(const Input& input, const InputEvent& e) {
  if (e.kind == Kind::Key || e.kind == Kind::Char) return ResolveKey(input, e);
  return ResolveMouse(input, e);
}

// Taking the message out: the side effects of a mouse event (WM_SETCURSOR, then for a press
// in an inactive window WM_MOUSEACTIVATE) and the key state. False when the message is not
// to be delivered after all (a disabled window, an eaten click, a target that went away).
bool Commit(Input& input, const InputEvent& e, Resolved& r) {
  if (e.kind == Kind::Button) SetKey(input.keys, ButtonKey(e.button), e.down);
  if (e.kind == Kind::Key) SetKey(input.keys, e.key, e.down);
  if ((e.kind == Kind::Button || e.kind == Kind::Key) && e.down && !e.wasDown) input.presses++;
  if (!r.target) return false;
  if (e.kind == Kind::Key && e.down) input.lastKey = TakenKey{r.msg, e.hostLayout, e.text};
  if (!r.hitTested) return true;
  State& state = Global();
  HWND h = r.target->handle;
  Send(r.target, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
       MAKELPARAM(static_cast<WORD>(r.hit), static_cast<WORD>(r.plainMessage)));
  Window* target = LookupQuiet(h);
  if (!target || r.disabled) return false;
  if (e.kind == Kind::Button && e.down) {
    Window* top = TopLevelOf(target);
    if (top != state.active) {
      LRESULT how = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                         MAKELPARAM(static_cast<WORD>(r.hit), static_cast<WORD>(r.plainMessage)));
      if (!(target = LookupQuiet(h))) return false;
      if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT) {
        ActivateWindow(TopLevelOf(target), WA_CLICKACTIVE);
        if (!(target = LookupQuiet(h))) return false;
      }
      if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return false;
    }
    bool isDouble = r.msg.message != r.plainMessage && r.msg.message != NonClient(r.plainMessage);
    input.lastClick = Click{h, r.plainMessage, e.time, e.point, isDouble};
  }
  return true;
}

bool TakeEvent(Input& input, std::uint64_t serial) {
  std::lock_guard<std::mutex> guard(input.lock);
  for (auto it = input.raw.begin(); it != input.raw.end(); ++it) {
    if (it->serial != serial) continue;
    input.raw.erase(it);
    return true;
  }
  return false;
}

// Host input from the backend, fed in like the harness's.
class HostInput final : public backend::InputSink {
 public:
  void MouseMove(POINT screen) override { InjectMouseMove(screen); }
  void MouseButton(backend::MouseButton button, bool down, POINT screen) override {
    InjectMouseButton(button, down, screen);
  }
  void MouseWheel(int delta) override { InjectMouseWheel(delta, TheInput().cursor); }
  void Key(UINT virtualKey, bool down, std::string_view text) override {
    InjectHostKey(virtualKey, down, text);
  }
  void Text(std::string_view utf8) override {
    for (char c : utf8) InjectChar(static_cast<unsigned char>(c));
  }
  void Exposed() override { ScreenChanged(); }
  void CloseRequested() override {
    // The host asks the program to close (its one window's close button, a terminating
    // signal): the active window closes, or, while another program is in front, the topmost
    // window the user could close.
    Window* target = Global().active;
    for (Window* w : Global().desktop->children) {
      if (target) break;
      if (w->Visible() && w->Enabled() && (w->style & WS_CAPTION) == WS_CAPTION) target = w;
    }
    if (target) PostMessageA(target->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  void HostRestored() override {
    // The program minimised with its host window opens again, through its own handling of
    // SC_RESTORE.
    State& state = Global();
    HWND program = state.minimizedProgram;
    state.minimizedProgram = nullptr;
    if (Window* w = LookupQuiet(program); w && (w->style & WS_MINIMIZE))
      PostMessageA(program, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
  backend::HostHit HitTest(std::uintptr_t window, POINT screen) override {
    return HostHitTest(window, screen);
  }
  void HostMoved(std::uintptr_t window, RECT rect) override {
    QueueHostChange(HostChange::Moved, window, rect);
    WakeQueue();
  }
  void HostFocus(std::uintptr_t window) override {
    QueueHostChange(HostChange::Focus, window);
    WakeQueue();
  }
  void HostMinimized(std::uintptr_t window, bool minimized) override {
    QueueHostChange(minimized ? HostChange::Minimized : HostChange::Restored, window);
    WakeQueue();
  }
  void HostClose(std::uintptr_t window) override {
    QueueHostChange(HostChange::Close, window);
    WakeQueue();
  }
};

InputEvent Event(Kind kind) {
  InputEvent e{};
  e.kind = kind;
  e.time = GetTickCount();
  e.point = TheInput().cursor;
  return e;
}

}  // namespace

void InstallHostInput() {
  static HostInput sink;
  backend::SetInputSink(&sink);
}

bool InputPending() {
  Input& input = TheInput();
  std::lock_guard<std::mutex> guard(input.lock);
  return !input.raw.empty();
}

DWORD PendingInputKinds() {
  Input& input = TheInput();
  std::lock_guard<std::mutex> guard(input.lock);
  DWORD kinds = 0;
  for (const InputEvent& e : input.raw) {
    switch (e.kind) {
      case Kind::Move:
        kinds |= QS_MOUSEMOVE;
        break;
      case Kind::Button:
      case Kind::Wheel:
        kinds |= QS_MOUSEBUTTON;
        break;
      case Kind::Key:
      case Kind::Char:
        kinds |= QS_KEY;
        break;
    }
  }
  return kinds;
}

bool TakeInputMessage(HWND filter, UINT first, UINT last, bool remove, MSG* out) {
  Input& input = TheInput();
  if (filter == kThreadMessagesOnly) return false;
  std::uint64_t after = 0;  // events up to this serial have been looked at
  for (;;) {
    InputEvent e;
    {
      std::lock_guard<std::mutex> guard(input.lock);
      auto it = input.raw.begin();
      while (it != input.raw.end() && (it->serial <= after || !MayPass(*it, first, last))) ++it;
      if (it == input.raw.end()) return false;
      e = *it;
    }
    after = e.serial;
    Resolved r = Resolve(input, e);
    bool wanted = r.target && !r.disabled && Admitted(r.msg.message, first, last) &&
                  (!filter || r.msg.hwnd == filter);
    if (!remove) {
      if (!wanted) continue;
      *out = r.msg;
      return true;
    }
    // Taking out: an event whose message is not wanted stays, unless it makes no message
    // at all, which the first taker in range consumes (with its WM_SETCURSOR).
    bool makesNothing = !r.target || r.disabled;
    if (!wanted && !makesNothing) continue;
    if (!TakeEvent(input, e.serial)) continue;
    if (!Commit(input, e, r) || !wanted) continue;
    *out = r.msg;
    return true;
  }
}

bool HostText(const MSG& msg, std::string* text) {
  const TakenKey& last = TheInput().lastKey;
  if (!last.hostLayout || last.msg.hwnd != msg.hwnd || last.msg.message != msg.message ||
      last.msg.wParam != msg.wParam || last.msg.lParam != msg.lParam || last.msg.time != msg.time)
    return false;
  *text = last.text;
  return true;
}

void NoteHostPress(HWND window, POINT screen) {
  TheInput().lastClick = Click{window, WM_LBUTTONDOWN, GetTickCount(), screen, false};
}

bool WouldDoubleClick(HWND window, POINT screen) {
  InputEvent press = Event(Kind::Button);
  press.point = screen;
  return IsDoubleClick(TheInput(), window, WM_LBUTTONDOWN, press);
}

void ResetInput() {
  Input& input = TheInput();
  std::lock_guard<std::mutex> guard(input.lock);
  input.raw.clear();
  std::memset(input.keys, 0, sizeof(input.keys));
  std::memset(input.asyncKeys, 0, sizeof(input.asyncKeys));
  input.lastClick = Click{};
  input.lastKey = TakenKey{};
  input.doubleClickTime = 500;
  input.cursor = POINT{0, 0};
}

unsigned PressSerial() { return TheInput().presses; }

void SetMessageInfo(const MSG& msg) {
  Input& input = TheInput();
  input.messageTime = msg.time;
  input.messagePos = msg.pt;
}

void InjectMouseMove(POINT screen) {
  Input& input = TheInput();
  input.cursor = screen;
  InputEvent e = Event(Kind::Move);
  e.keyFlags = KeyFlags(input.asyncKeys);
  Push(e);
}

void InjectMouseButton(MouseButton button, bool down, POINT screen) {
  Input& input = TheInput();
  input.cursor = screen;
  SetKey(input.asyncKeys, ButtonKey(button), down);
  InputEvent e = Event(Kind::Button);
  e.button = button;
  e.down = down;
  e.keyFlags = KeyFlags(input.asyncKeys);
  Push(e);
}

void InjectMouseWheel(int delta, POINT screen) {
  Input& input = TheInput();
  input.cursor = screen;
  InputEvent e = Event(Kind::Wheel);
  e.delta = delta;
  e.keyFlags = KeyFlags(input.asyncKeys);
  Push(e);
}

namespace {

void PushKey(UINT virtualKey, bool down, std::string_view text, bool hostLayout) {
  Input& input = TheInput();
  InputEvent e = Event(Kind::Key);
  e.hostLayout = hostLayout;
  e.text = text;
  e.key = virtualKey & 0xFF;
  e.down = down;
  e.wasDown = (input.asyncKeys[e.key] & 0x80) != 0;
  bool altBefore = (input.asyncKeys[VK_MENU] & 0x80) != 0;
  SetKey(input.asyncKeys, virtualKey, down);
  // A key released with Alt is still a system key even when it is Alt itself.
  e.alt = down ? (input.asyncKeys[VK_MENU] & 0x80) != 0 : altBefore;
  e.control = (input.asyncKeys[VK_CONTROL] & 0x80) != 0;
  Push(e);
}

}  // namespace

void InjectKey(UINT virtualKey, bool down) { PushKey(virtualKey, down, {}, false); }

void InjectHostKey(UINT virtualKey, bool down, std::string_view text) {
  PushKey(virtualKey, down, text, true);
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
