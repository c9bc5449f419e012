// Base types of the Win32-shaped API: integer widths, handles and the geometry
// records every service shares. 64-bit: WPARAM, LPARAM and LRESULT are pointer-sized.
#pragma once
#include <cstddef>
#include <cstdint>

// Calling-convention words of the published declarations; this machine has one convention.
#define CALLBACK
#define WINAPI
#define APIENTRY
#define PASCAL

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using CHAR = char;
using UCHAR = unsigned char;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = ULONG_PTR;
using SIZE_T = std::size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using COLORREF = DWORD;
using LCID = DWORD;
using MCIDEVICEID = UINT;
using MCIERROR = DWORD;

using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using LPBOOL = BOOL*;
using LPINT = int*;
using LPWORD = WORD*;

using HANDLE = void*;
#define TD_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  using name = name##__*
TD_DECLARE_HANDLE(HWND);
TD_DECLARE_HANDLE(HINSTANCE);
TD_DECLARE_HANDLE(HMENU);
TD_DECLARE_HANDLE(HDC);
TD_DECLARE_HANDLE(HBITMAP);
TD_DECLARE_HANDLE(HBRUSH);
TD_DECLARE_HANDLE(HPEN);
TD_DECLARE_HANDLE(HFONT);
TD_DECLARE_HANDLE(HPALETTE);
TD_DECLARE_HANDLE(HRGN);
TD_DECLARE_HANDLE(HICON);
TD_DECLARE_HANDLE(HRSRC);
TD_DECLARE_HANDLE(HHOOK);
TD_DECLARE_HANDLE(HKL);
TD_DECLARE_HANDLE(HMONITOR);
#undef TD_DECLARE_HANDLE
using HGDIOBJ = void*;
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
using HGLOBAL = HANDLE;
using HIMAGELIST = struct _IMAGELIST*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;
struct POINTS {
  SHORT x;
  SHORT y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
using LPSIZE = SIZE*;
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

constexpr WORD LOWORD(ULONG_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(ULONG_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(ULONG_PTR v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(ULONG_PTR v) { return static_cast<BYTE>((v >> 8) & 0xFF); }
constexpr LONG MAKELONG(WORD low, WORD high) {
  return static_cast<LONG>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WORD MAKEWORD(BYTE low, BYTE high) { return static_cast<WORD>(low | (high << 8)); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(low, high)));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(low, high)));
}
constexpr LRESULT MAKELRESULT(WORD low, WORD high) {
  return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(low, high)));
}
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(static_cast<ULONG_PTR>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(static_cast<ULONG_PTR>(lp))); }

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r | (g << 8) | (static_cast<DWORD>(b) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }
constexpr COLORREF PALETTEINDEX(WORD i) { return 0x01000000u | i; }

inline LPSTR MAKEINTRESOURCEA(ULONG_PTR id) {
  return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}
#define MAKEINTRESOURCE MAKEINTRESOURCEA
inline LPSTR MAKEINTATOM(ULONG_PTR atom) { return MAKEINTRESOURCEA(atom); }
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }
