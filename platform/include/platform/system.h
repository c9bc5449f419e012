// System services programs ask about: the system's version, window placement, system
// colours, OEM text, keyboard layouts and input methods, and a small read-only registry.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

// Version: this system presents itself as version 4.0 of the NT family, build 1381.
struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
DWORD GetVersion();
BOOL GetVersionExA(LPOSVERSIONINFOA info);

// Window placement.
struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);

// System colours: the change reaches every drawing of them and WM_SYSCOLORCHANGE is sent to
// every top-level window.
BOOL SetSysColors(int count, const INT* elements, const COLORREF* values);

// OEM text: the OEM code page is the ANSI one here, so these copy.
BOOL OemToCharA(LPCSTR source, LPSTR destination);
BOOL OemToCharBuffA(LPCSTR source, LPSTR destination, DWORD length);
BOOL CharToOemA(LPCSTR source, LPSTR destination);
BOOL CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length);

// Keyboard layouts: one, US English (0x04090409), which is no input method.
int GetKeyboardLayoutList(int count, HKL* layouts);
HKL GetKeyboardLayout(DWORD threadId);
HKL ActivateKeyboardLayout(HKL layout, UINT flags);
BOOL GetKeyboardLayoutNameA(LPSTR name);

// Input methods: none is installed.
using HIMC = struct HIMC__*;
BOOL ImmIsIME(HKL layout);
HIMC ImmGetContext(HWND window);
BOOL ImmReleaseContext(HWND window, HIMC context);
BOOL ImmSetOpenStatus(HIMC context, BOOL open);
BOOL ImmGetOpenStatus(HIMC context);

// The registry: read-only, holding the keys programs of this system read.
using HKEY = struct HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u));
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size);
LSTATUS RegCloseKey(HKEY key);
