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

inline constexpr DWORD ICC_LISTVIEW_CLASSES = 0x00000001;
inline constexpr DWORD ICC_TREEVIEW_CLASSES = 0x00000002;
inline constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
inline constexpr DWORD ICC_TAB_CLASSES = 0x00000008;
inline constexpr DWORD ICC_UPDOWN_CLASS = 0x00000010;
inline constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
inline constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
inline constexpr DWORD ICC_ANIMATE_CLASS = 0x00000080;
inline constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;

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
