// Message boxes: a modal dialog with an icon, the text and the buttons its flags name.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

inline constexpr int MB_ICONERROR = MB_ICONHAND;
inline constexpr int MB_ICONSTOP = MB_ICONHAND;
inline constexpr int MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr int MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr int MB_TYPEMASK = 0x0F;
inline constexpr int MB_ICONMASK = 0xF0;
inline constexpr int MB_DEFMASK = 0x0F00;
inline constexpr int MB_MODEMASK = 0x3000;

BOOL MessageBeep(UINT type);
