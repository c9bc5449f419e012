// Common controls: the class names of the built-in controls, the track bar class, image
// lists and the notification header.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

inline constexpr const char WC_BUTTONA[] = "Button";
inline constexpr const char WC_STATICA[] = "Static";
inline constexpr const char WC_EDITA[] = "Edit";
inline constexpr const char WC_LISTBOXA[] = "ListBox";
inline constexpr const char WC_COMBOBOXA[] = "ComboBox";
inline constexpr const char WC_SCROLLBARA[] = "ScrollBar";
inline constexpr const char TRACKBAR_CLASSA[] = "msctls_trackbar32";

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;

struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using LPNMHDR = NMHDR*;

struct IMAGEINFO {
  HBITMAP hbmImage;
  HBITMAP hbmMask;
  int Unused1;
  int Unused2;
  RECT rcImage;
};

// Registers the common control classes (the track bar). Safe to call any number of times.
void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
