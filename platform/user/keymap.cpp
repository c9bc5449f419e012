// The US keyboard layout: characters for TranslateMessage and ToAscii, scan codes for key
// messages, key names for GetKeyNameTextA.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/kernel.h"
#include "user/input.h"
#include "user/state.h"

namespace platform::user {
namespace {

struct OemKey {
  UINT key;
  char plain;
  char shifted;
};

constexpr OemKey kOemKeys[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
};

constexpr const char* kShiftedDigits = ")!@#$%^&*(";

// Scan codes of the keys in the order of the keyboard rows.
constexpr const char* kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr UINT kRowStart[] = {16, 30, 44};

// Key names by scan code (index), and for the keys whose key data has the extended bit.
constexpr const char* kKeyNames[] = {
    nullptr, "Esc",   "1",         "2",       "3",     "4",        "5",           "6",
    "7",     "8",     "9",         "0",       "-",     "=",        "Backspace",   "Tab",
    "Q",     "W",     "E",         "R",       "T",     "Y",        "U",           "I",
    "O",     "P",     "[",         "]",       "Enter", "Ctrl",     "A",           "S",
    "D",     "F",     "G",         "H",       "J",     "K",        "L",           ";",
    "'",     "`",     "Shift",     "\\",      "Z",     "X",        "C",           "V",
    "B",     "N",     "M",         ",",       ".",     "/",        "Right Shift", "Num *",
    "Alt",   "Space", "Caps Lock", "F1",      "F2",    "F3",       "F4",          "F5",
    "F6",    "F7",    "F8",        "F9",      "F10",   "Num Lock", "Scroll Lock", "Num 7",
    "Num 8", "Num 9", "Num -",     "Num 4",   "Num 5", "Num 6",    "Num +",       "Num 1",
    "Num 2", "Num 3", "Num 0",     "Num Del", nullptr, nullptr,    nullptr,       "F11",
    "F12",
};

struct ExtendedName {
  UINT scan;
  const char* name;
};

constexpr ExtendedName kExtendedNames[] = {
    {28, "Num Enter"}, {29, "Right Ctrl"}, {53, "Num /"},     {56, "Right Alt"}, {69, "Num Lock"},
    {71, "Home"},      {72, "Up"},         {73, "Page Up"},   {75, "Left"},      {77, "Right"},
    {79, "End"},       {80, "Down"},       {81, "Page Down"}, {82, "Insert"},    {83, "Delete"},
};

const char* KeyName(UINT scan, bool extended, bool eitherSide) {
  if (extended) {
    if (eitherSide && scan == 29) return "Ctrl";
    if (eitherSide && scan == 56) return "Alt";
    for (const ExtendedName& e : kExtendedNames)
      if (e.scan == scan) return e.name;
    return nullptr;
  }
  if (eitherSide && scan == 54) return "Shift";
  return scan < std::size(kKeyNames) ? kKeyNames[scan] : nullptr;
}

// The side-specific modifier keys as the generic ones.
UINT Generic(UINT key) {
  switch (key) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return key;
  }
}

}  // namespace

char KeyToChar(UINT key, bool shift, bool control, bool capsLock) {
  if (key >= 'A' && key <= 'Z') {
    if (control) return static_cast<char>(key - 'A' + 1);
    bool upper = shift != capsLock;
    return static_cast<char>(upper ? key : key - 'A' + 'a');
  }
  if (control) {
    switch (key) {
      case VK_OEM_4:
        return 27;
      case VK_OEM_5:
        return 28;
      case VK_OEM_6:
        return 29;
      case VK_RETURN:
        return '\n';
      case VK_BACK:
        return 0x7F;
      case VK_SPACE:
        return ' ';
      case VK_ESCAPE:
        return 27;
      default:
        return 0;
    }
  }
  if (key >= '0' && key <= '9') return shift ? kShiftedDigits[key - '0'] : static_cast<char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + key - VK_NUMPAD0);
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return 8;
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return 27;
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    default:
      break;
  }
  for (const OemKey& k : kOemKeys)
    if (k.key == key) return shift ? k.shifted : k.plain;
  return 0;
}

UINT ScanCodeOf(UINT key) {
  if (key >= '1' && key <= '9') return 2 + key - '1';
  if (key == '0') return 11;
  if (key >= 'A' && key <= 'Z') {
    for (int row = 0; row < 3; ++row)
      if (const char* at = std::strchr(kRows[row], static_cast<int>(key)))
        return kRowStart[row] + static_cast<UINT>(at - kRows[row]);
  }
  if (key >= VK_F1 && key <= VK_F10) return 59 + key - VK_F1;
  switch (key) {
    case VK_ESCAPE:
      return 1;
    case VK_OEM_MINUS:
      return 12;
    case VK_OEM_PLUS:
      return 13;
    case VK_BACK:
      return 14;
    case VK_TAB:
      return 15;
    case VK_OEM_4:
      return 26;
    case VK_OEM_6:
      return 27;
    case VK_RETURN:
      return 28;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return 29;
    case VK_OEM_1:
      return 39;
    case VK_OEM_7:
      return 40;
    case VK_OEM_3:
      return 41;
    case VK_SHIFT:
    case VK_LSHIFT:
      return 42;
    case VK_OEM_5:
      return 43;
    case VK_OEM_COMMA:
      return 51;
    case VK_OEM_PERIOD:
      return 52;
    case VK_OEM_2:
      return 53;
    case VK_RSHIFT:
      return 54;
    case VK_MULTIPLY:
      return 55;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return 56;
    case VK_SPACE:
      return 57;
    case VK_CAPITAL:
      return 58;
    case VK_NUMLOCK:
      return 69;
    case VK_SCROLL:
      return 70;
    case VK_HOME:
    case VK_NUMPAD7:
      return 71;
    case VK_UP:
    case VK_NUMPAD8:
      return 72;
    case VK_PRIOR:
    case VK_NUMPAD9:
      return 73;
    case VK_SUBTRACT:
      return 74;
    case VK_LEFT:
    case VK_NUMPAD4:
      return 75;
    case VK_NUMPAD5:
      return 76;
    case VK_RIGHT:
    case VK_NUMPAD6:
      return 77;
    case VK_ADD:
      return 78;
    case VK_END:
    case VK_NUMPAD1:
      return 79;
    case VK_DOWN:
    case VK_NUMPAD2:
      return 80;
    case VK_NEXT:
    case VK_NUMPAD3:
      return 81;
    case VK_INSERT:
    case VK_NUMPAD0:
      return 82;
    case VK_DELETE:
    case VK_DECIMAL:
      return 83;
    case VK_F11:
      return 87;
    case VK_F12:
      return 88;
    case VK_DIVIDE:
      return 53;
    default:
      return 0;
  }
}

bool IsExtendedKey(UINT key) {
  switch (key) {
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_DIVIDE:
    case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

}  // namespace platform::user

using namespace platform::user;

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_KEYUP && m != WM_SYSKEYUP) return FALSE;
  if (m == WM_KEYUP || m == WM_SYSKEYUP) return TRUE;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  bool control = GetKeyState(VK_CONTROL) < 0 && !alt;
  bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  char c = KeyToChar(static_cast<UINT>(msg->wParam), shift, control, caps);
  UINT charMessage = m == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  std::string text;
  if (HostText(*msg, &text)) {
    // The host's layout decides what a key types (AltGr symbols, accented letters, a dead
    // key that types nothing yet); the US layout still makes the control characters of
    // Enter, Tab, Esc, Backspace and Ctrl with a letter, which layouts do not send as text.
    // A character of several bytes arrives as several messages, as double-byte ones do.
    if (text.empty()) {
      auto code = static_cast<unsigned char>(c);
      if (c && (code < 0x20 || code == 0x7F))
        PostMessageA(msg->hwnd, charMessage, code, msg->lParam);
      return TRUE;
    }
    for (char byte : text)
      PostMessageA(msg->hwnd, charMessage, static_cast<BYTE>(byte), msg->lParam);
    return TRUE;
  }
  if (!c) return TRUE;
  PostMessageA(msg->hwnd, charMessage, static_cast<BYTE>(c), msg->lParam);
  return TRUE;
}

SHORT VkKeyScanA(CHAR character) {
  auto c = static_cast<unsigned char>(character);
  for (UINT key = 1; key < 256; ++key) {
    if (key == VK_NUMPAD0) key = VK_F1;  // the main block's keys come first
    if (KeyToChar(key, false, false, false) == static_cast<char>(c)) return static_cast<SHORT>(key);
    if (KeyToChar(key, true, false, false) == static_cast<char>(c))
      return static_cast<SHORT>(0x100 | key);
  }
  for (UINT key = 'A'; key <= 'Z'; ++key)
    if (KeyToChar(key, false, true, false) == static_cast<char>(c))
      return static_cast<SHORT>(0x200 | key);
  return -1;
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
  switch (mapType) {
    case 0:  // virtual key to scan code
      return ScanCodeOf(code);
    case 1:  // scan code to virtual key, either side's modifier as the generic key
      for (UINT key = 1; key < 256; ++key)
        if (ScanCodeOf(key) == code && code != 0) return Generic(key);
      return 0;
    case 3:  // scan code to virtual key, telling the left and right modifiers apart
      switch (code) {
        case 42:
          return VK_LSHIFT;
        case 54:
          return VK_RSHIFT;
        case 29:
          return VK_LCONTROL;
        case 56:
          return VK_LMENU;
        default:
          return MapVirtualKeyA(code, 1);
      }
    case 2:  // virtual key to unshifted character; letters in upper case
      if (code >= 'A' && code <= 'Z') return code;
      return static_cast<unsigned char>(KeyToChar(code, false, false, false));
    default:
      return 0;
  }
}

int GetKeyNameTextA(LONG keyData, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  UINT scan = (static_cast<DWORD>(keyData) >> 16) & 0xFF;
  const char* name = KeyName(scan, (keyData & (1L << 24)) != 0, (keyData & (1L << 25)) != 0);
  std::size_t length =
      name ? std::min<std::size_t>(std::strlen(name), static_cast<std::size_t>(size) - 1) : 0;
  if (name) std::memcpy(buffer, name, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

int ToAscii(UINT virtualKey, UINT scanCode, const BYTE* keyState, LPWORD character, UINT flags) {
  (void)scanCode;
  (void)flags;
  if (!keyState || !character) return 0;
  bool shift = (keyState[VK_SHIFT] & 0x80) != 0;
  bool control = (keyState[VK_CONTROL] & 0x80) != 0;
  bool alt = (keyState[VK_MENU] & 0x80) != 0;
  bool caps = (keyState[VK_CAPITAL] & 0x01) != 0;
  // The US layout has no characters for Ctrl+Alt.
  if (control && alt) return 0;
  char c = KeyToChar(virtualKey & 0xFF, shift, control, caps);
  if (!c) return 0;
  *character = static_cast<BYTE>(c);
  return 1;
}
