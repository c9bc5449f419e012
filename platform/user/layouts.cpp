// Keyboard layouts (one: US English), input methods (none) and OEM text (the OEM code page
// is the ANSI one here).
#include <cstring>

#include "platform/win32.h"

namespace {
HKL const kUnitedStates = reinterpret_cast<HKL>(static_cast<ULONG_PTR>(0x04090409u));

BOOL Copy(LPCSTR source, LPSTR destination, DWORD length) {
  if (!source || !destination) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (source != destination) std::memmove(destination, source, length);
  return TRUE;
}
}  // namespace

int GetKeyboardLayoutList(int count, HKL* layouts) {
  if (count == 0) return 1;
  if (!layouts || count < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  layouts[0] = kUnitedStates;
  return 1;
}

HKL GetKeyboardLayout(DWORD) { return kUnitedStates; }

HKL ActivateKeyboardLayout(HKL layout, UINT) {
  auto value = reinterpret_cast<ULONG_PTR>(layout);
  if (layout != kUnitedStates && value != HKL_PREV && value != HKL_NEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return kUnitedStates;  // the layout that was active: there is only one
}

BOOL GetKeyboardLayoutNameA(LPSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(name, "00000409", KL_NAMELENGTH);
  return TRUE;
}

BOOL ImmIsIME(HKL) { return FALSE; }
HIMC ImmGetContext(HWND) { return nullptr; }
BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }
BOOL ImmSetOpenStatus(HIMC, BOOL) { return FALSE; }
BOOL ImmGetOpenStatus(HIMC) { return FALSE; }

BOOL OemToCharA(LPCSTR source, LPSTR destination) {
  return Copy(source, destination, source ? static_cast<DWORD>(std::strlen(source) + 1) : 0);
}
BOOL OemToCharBuffA(LPCSTR source, LPSTR destination, DWORD length) {
  return Copy(source, destination, length);
}
BOOL CharToOemA(LPCSTR source, LPSTR destination) {
  return Copy(source, destination, source ? static_cast<DWORD>(std::strlen(source) + 1) : 0);
}
BOOL CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length) {
  return Copy(source, destination, length);
}
