// Window classes: the application's and the platform's own.
#include <cstring>

#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {
namespace {

ATOM nextAtom = 0xC000;

// Class names compare without regard to ASCII case.
bool SameName(const std::string& a, LPCSTR b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

LRESULT DesktopProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

WindowClass* Find(LPCSTR name, HINSTANCE instance, bool systemToo) {
  State& state = Global();
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    for (auto& c : state.classes)
      if (c->atom == atom && (systemToo || !c->system)) return c.get();
    return nullptr;
  }
  WindowClass* global = nullptr;
  for (auto& c : state.classes) {
    if (c->system || !SameName(c->name, name)) continue;
    if (c->instance == instance || instance == nullptr) return c.get();
    if (c->style & CS_GLOBALCLASS) global = c.get();
  }
  if (global) return global;
  // A class registered under another module handle is still found: the program has one module.
  for (auto& c : state.classes)
    if (!c->system && SameName(c->name, name)) return c.get();
  if (!systemToo) return nullptr;
  for (auto& c : state.classes)
    if (c->system && SameName(c->name, name)) return c.get();
  return nullptr;
}

ATOM Register(const WNDCLASSEXA& wc, bool system) {
  // A class without a procedure would make every window of it call address 0.
  if (!wc.lpfnWndProc || !wc.lpszClassName ||
      (!IS_INTRESOURCE(wc.lpszClassName) && !*wc.lpszClassName) || wc.cbClsExtra < 0 ||
      wc.cbWndExtra < 0 || wc.cbClsExtra > 40000 || wc.cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  State& state = Global();
  if (IS_INTRESOURCE(wc.lpszClassName) && !system) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!IS_INTRESOURCE(wc.lpszClassName)) {
    for (auto& c : state.classes) {
      if (c->system == system && SameName(c->name, wc.lpszClassName) &&
          (system || c->instance == wc.hInstance)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
      }
    }
  }
  auto c = std::make_unique<WindowClass>();
  if (IS_INTRESOURCE(wc.lpszClassName)) {
    c->atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(wc.lpszClassName));
    c->name = "#" + std::to_string(c->atom);
  } else {
    c->name = wc.lpszClassName;
    c->atom = nextAtom < 0xFFFF ? nextAtom++ : 0xFFFF;
  }
  c->style = wc.style;
  c->procedure = wc.lpfnWndProc;
  c->classExtra = wc.cbClsExtra;
  c->windowExtra = wc.cbWndExtra;
  c->instance = wc.hInstance;
  c->icon = wc.hIcon;
  c->iconSmall = wc.hIconSm;
  c->cursor = wc.hCursor;
  c->background = wc.hbrBackground;
  c->menuName = wc.lpszMenuName;
  if (wc.lpszMenuName && !IS_INTRESOURCE(wc.lpszMenuName)) {
    c->menuNameText = wc.lpszMenuName;
    c->menuName = nullptr;
  }
  c->system = system;
  c->extra.assign(static_cast<std::size_t>(wc.cbClsExtra), 0);
  ATOM atom = c->atom;
  state.classes.push_back(std::move(c));
  return atom;
}

WNDCLASSEXA Widen(const WNDCLASSA& wc) {
  return WNDCLASSEXA{sizeof(WNDCLASSEXA), wc.style,        wc.lpfnWndProc,   wc.cbClsExtra,
                     wc.cbWndExtra,       wc.hInstance,    wc.hIcon,         wc.hCursor,
                     wc.hbrBackground,    wc.lpszMenuName, wc.lpszClassName, nullptr};
}

LPCSTR MenuNameOf(const WindowClass& c) {
  return c.menuNameText.empty() ? c.menuName : c.menuNameText.c_str();
}

}  // namespace

WindowClass* FindClass(LPCSTR name, HINSTANCE instance) { return Find(name, instance, true); }

void RegisterDesktopClass() {
  if (Find(MAKEINTATOM(32769), nullptr, true)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DesktopProcedure;
  wc.lpszClassName = MAKEINTATOM(32769);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BACKGROUND + 1));
  Register(wc, true);
}

void ResetClasses() {
  auto& classes = Global().classes;
  std::erase_if(
      classes, [](const std::unique_ptr<WindowClass>& c) { return !c->system && c->windows == 0; });
}

ATOM RegisterSystemClass(const WNDCLASSA& windowClass) {
  EnsureStarted();
  WNDCLASSEXA wc = Widen(windowClass);
  wc.style |= CS_GLOBALCLASS;
  return Register(wc, true);
}

}  // namespace platform::user

namespace platform::controls {

ATOM RegisterSystemClass(const WNDCLASSA& windowClass) {
  return user::RegisterSystemClass(windowClass);
}

std::shared_ptr<Extension>* ControlSlot(HWND window) {
  user::Window* w = user::LookupQuiet(window);
  return w ? &w->control : nullptr;
}

std::shared_ptr<Extension>* ScrollBarSlot(HWND window) {
  user::Window* w = user::LookupQuiet(window);
  return w ? &w->scrollBars : nullptr;
}

}  // namespace platform::controls

using namespace platform::user;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureStarted();
  return Register(Widen(*windowClass), false);
}

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureStarted();
  return Register(*windowClass, false);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  EnsureStarted();
  WindowClass* c = Find(className, instance, false);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (c->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  std::erase_if(Global().classes,
                [c](const std::unique_ptr<WindowClass>& p) { return p.get() == c; });
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* out) {
  EnsureStarted();
  WindowClass* c = FindClass(className, instance);
  if (!c || !out) {
    SetLastError(out ? ERROR_CLASS_DOES_NOT_EXIST : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  out->style = c->style;
  out->lpfnWndProc = c->procedure;
  out->cbClsExtra = c->classExtra;
  out->cbWndExtra = c->windowExtra;
  out->hInstance = c->instance;
  out->hIcon = c->icon;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszMenuName = MenuNameOf(*c);
  out->lpszClassName = className;
  out->hIconSm = c->iconSmall;
  return c->atom;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* out) {
  if (!out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WNDCLASSEXA wide{};
  wide.cbSize = sizeof(wide);
  if (!GetClassInfoExA(instance, className, &wide)) return FALSE;
  *out = WNDCLASSA{wide.style,        wide.lpfnWndProc,  wide.cbClsExtra, wide.cbWndExtra,
                   wide.hInstance,    wide.hIcon,        wide.hCursor,    wide.hbrBackground,
                   wide.lpszMenuName, wide.lpszClassName};
  return TRUE;
}

int GetClassNameA(HWND window, LPSTR buffer, int size) {
  Window* w = Lookup(window);
  if (!w) return 0;
  if (!buffer || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string& name = w->windowClass->name;
  int count = static_cast<int>(name.size()) < size - 1 ? static_cast<int>(name.size()) : size - 1;
  std::memcpy(buffer, name.data(), static_cast<std::size_t>(count));
  buffer[count] = '\0';
  return count;
}

ULONG_PTR GetClassLongA(HWND window, int index) {
  Window* w = Lookup(window);
  if (!w) return 0;
  WindowClass* c = w->windowClass;
  switch (index) {
    case GCLP_MENUNAME:
      return reinterpret_cast<ULONG_PTR>(MenuNameOf(*c));
    case GCLP_HBRBACKGROUND:
      return reinterpret_cast<ULONG_PTR>(c->background);
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(c->cursor);
    case GCLP_HICON:
      return reinterpret_cast<ULONG_PTR>(c->icon);
    case GCLP_HICONSM:
      return reinterpret_cast<ULONG_PTR>(c->iconSmall);
    case GCLP_HMODULE:
      return reinterpret_cast<ULONG_PTR>(c->instance);
    case GCL_CBWNDEXTRA:
      return static_cast<ULONG_PTR>(c->windowExtra);
    case GCL_CBCLSEXTRA:
      return static_cast<ULONG_PTR>(c->classExtra);
    case GCLP_WNDPROC:
      return reinterpret_cast<ULONG_PTR>(c->procedure);
    case GCL_STYLE:
      return c->style;
    case GCW_ATOM:
      return c->atom;
    default:
      break;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(ULONG_PTR) <= c->extra.size()) {
    ULONG_PTR value;
    std::memcpy(&value, c->extra.data() + index, sizeof(value));
    return value;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

ULONG_PTR SetClassLongA(HWND window, int index, LONG_PTR value) {
  Window* w = Lookup(window);
  if (!w) return 0;
  WindowClass* c = w->windowClass;
  ULONG_PTR old = GetClassLongA(window, index);
  switch (index) {
    case GCLP_HBRBACKGROUND:
      c->background = reinterpret_cast<HBRUSH>(value);
      return old;
    case GCLP_HCURSOR:
      c->cursor = reinterpret_cast<HCURSOR>(value);
      return old;
    case GCLP_HICON:
      c->icon = reinterpret_cast<HICON>(value);
      return old;
    case GCLP_HICONSM:
      c->iconSmall = reinterpret_cast<HICON>(value);
      return old;
    case GCLP_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      c->procedure = reinterpret_cast<WNDPROC>(value);
      return old;
    case GCL_STYLE:
      c->style = static_cast<UINT>(value);
      return old;
    default:
      break;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(ULONG_PTR) <= c->extra.size()) {
    std::memcpy(c->extra.data() + index, &value, sizeof(value));
    return old;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}
