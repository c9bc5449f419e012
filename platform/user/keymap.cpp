// The US keyboard layout: characters for TranslateMessage, scan codes for key messages.
#include <cstring>

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
    {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'},  {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},      {VK_OEM_4, '[', '{'},    {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},      {VK_OEM_7, '\'', '"'},
};

constexpr const char* kShiftedDigits = ")!@#$%^&*(";

// Scan codes of the keys in the order of the keyboard rows.
constexpr const char* kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr UINT kRowStart[] = {16, 30, 44};

}  // namespace

char KeyToChar(UINT key, bool shift, bool control, bool capsLock) {
  if (key >= 'A' && key <= 'Z') {
    if (control) return static_cast<char>(key - 'A' + 1);
    bool upper = shift != capsLock;
    return static_cast<char>(upper ? key : key - 'A' + 'a');
  }
  if (control) {
    switch (key) {
      case VK_OEM_4: return 27;
      case VK_OEM_5: return 28;
      case VK_OEM_6: return 29;
      case VK_RETURN: return '\n';
      case VK_BACK: return 0x7F;
      case VK_SPACE: return ' ';
      case VK_ESCAPE: return 27;
      default: return 0;
    }
  }
  if (key >= '0' && key <= '9') return shift ? kShiftedDigits[key - '0'] : static_cast<char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + key - VK_NUMPAD0);
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: break;
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
    case VK_ESCAPE: return 1;
    case VK_OEM_MINUS: return 12;
    case VK_OEM_PLUS: return 13;
    case VK_BACK: return 14;
    case VK_TAB: return 15;
    case VK_OEM_4: return 26;
    case VK_OEM_6: return 27;
    case VK_RETURN: return 28;
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: return 29;
    case VK_OEM_1: return 39;
    case VK_OEM_7: return 40;
    case VK_OEM_3: return 41;
    case VK_SHIFT: case VK_LSHIFT: return 42;
    case VK_OEM_5: return 43;
    case VK_OEM_COMMA: return 51;
    case VK_OEM_PERIOD: return 52;
    case VK_OEM_2: return 53;
    case VK_RSHIFT: return 54;
    case VK_MULTIPLY: return 55;
    case VK_MENU: case VK_LMENU: case VK_RMENU: return 56;
    case VK_SPACE: return 57;
    case VK_CAPITAL: return 58;
    case VK_NUMLOCK: return 69;
    case VK_SCROLL: return 70;
    case VK_HOME: case VK_NUMPAD7: return 71;
    case VK_UP: case VK_NUMPAD8: return 72;
    case VK_PRIOR: case VK_NUMPAD9: return 73;
    case VK_SUBTRACT: return 74;
    case VK_LEFT: case VK_NUMPAD4: return 75;
    case VK_NUMPAD5: return 76;
    case VK_RIGHT: case VK_NUMPAD6: return 77;
    case VK_ADD: return 78;
    case VK_END: case VK_NUMPAD1: return 79;
    case VK_DOWN: case VK_NUMPAD2: return 80;
    case VK_NEXT: case VK_NUMPAD3: return 81;
    case VK_INSERT: case VK_NUMPAD0: return 82;
    case VK_DELETE: case VK_DECIMAL: return 83;
    case VK_F11: return 87;
    case VK_F12: return 88;
    case VK_DIVIDE: return 53;
    default: return 0;
  }
}

bool IsExtendedKey(UINT key) {
  switch (key) {
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_RCONTROL: case VK_RMENU:
    case VK_DIVIDE: case VK_NUMLOCK:
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
  if (!c) return TRUE;
  UINT charMessage = m == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  PostMessageA(msg->hwnd, charMessage, static_cast<BYTE>(c), msg->lParam);
  return TRUE;
}

SHORT VkKeyScanA(CHAR character) {
  auto c = static_cast<unsigned char>(character);
  for (UINT key = 1; key < 256; ++key) {
    if (key == VK_NUMPAD0) key = VK_F1;  // the main block's keys come first
    if (KeyToChar(key, false, false, false) == static_cast<char>(c)) return static_cast<SHORT>(key);
    if (KeyToChar(key, true, false, false) == static_cast<char>(c)) return static_cast<SHORT>(0x100 | key);
  }
  for (UINT key = 'A'; key <= 'Z'; ++key)
    if (KeyToChar(key, false, true, false) == static_cast<char>(c)) return static_cast<SHORT>(0x200 | key);
  return -1;
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
  switch (mapType) {
    case 0:  // virtual key to scan code
      return ScanCodeOf(code);
    case 1:  // scan code to virtual key
      for (UINT key = 1; key < 256; ++key)
        if (ScanCodeOf(key) == code && code != 0) return key;
      return 0;
    case 2:  // virtual key to unshifted character; letters in upper case
      if (code >= 'A' && code <= 'Z') return code;
      return static_cast<unsigned char>(KeyToChar(code, false, false, false));
    default:
      return 0;
  }
}
