// The classic 96-dpi system metrics and colours, and the settings the program reads.
#include <cstring>
#include <vector>

#include "gdi/objects.h"

#include "platform/kernel.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

constexpr COLORREF kClassicColours[] = {
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(192, 192, 192),  // 25: no name
    RGB(0, 0, 255),      // COLOR_HOTLIGHT
    RGB(16, 132, 208),   // COLOR_GRADIENTACTIVECAPTION
    RGB(181, 181, 181),  // COLOR_GRADIENTINACTIVECAPTION
};

struct Metric {
  int index;
  int value;
};

constexpr Metric kMetrics[] = {
    {SM_CXVSCROLL, 16},
    {SM_CYHSCROLL, 16},
    {SM_CYCAPTION, 19},
    {SM_CXBORDER, 1},
    {SM_CYBORDER, 1},
    {SM_CXDLGFRAME, 3},
    {SM_CYDLGFRAME, 3},
    {SM_CYVTHUMB, 16},
    {SM_CXHTHUMB, 16},
    {SM_CXICON, 32},
    {SM_CYICON, 32},
    {SM_CXCURSOR, 32},
    {SM_CYCURSOR, 32},
    {SM_CYMENU, 19},
    {SM_CYKANJIWINDOW, 0},
    {SM_MOUSEPRESENT, 1},
    {SM_CYVSCROLL, 16},
    {SM_CXHSCROLL, 16},
    {SM_DEBUG, 0},
    {SM_SWAPBUTTON, 0},
    {SM_CXMIN, 112},
    {SM_CYMIN, 27},
    {SM_CXSIZE, 18},
    {SM_CYSIZE, 18},
    {SM_CXFRAME, 4},
    {SM_CYFRAME, 4},
    {SM_CXMINTRACK, 112},
    {SM_CYMINTRACK, 27},
    {SM_CXDOUBLECLK, 4},
    {SM_CYDOUBLECLK, 4},
    {SM_CXICONSPACING, 75},
    {SM_CYICONSPACING, 75},
    {SM_MENUDROPALIGNMENT, 0},
    {SM_PENWINDOWS, 0},
    {SM_DBCSENABLED, 0},
    {SM_CMOUSEBUTTONS, 3},
    {SM_SECURE, 0},
    {SM_CXEDGE, 2},
    {SM_CYEDGE, 2},
    {SM_CXMINSPACING, 160},
    {SM_CYMINSPACING, 24},
    {SM_CXSMICON, 16},
    {SM_CYSMICON, 16},
    {SM_CYSMCAPTION, 16},
    {SM_CXSMSIZE, 12},
    {SM_CYSMSIZE, 15},
    {SM_CXMENUSIZE, 18},
    {SM_CYMENUSIZE, 18},
    {SM_ARRANGE, 0},  // minimised windows in a row from the bottom left, not hidden
    {SM_CXMINIMIZED, 160},
    {SM_CYMINIMIZED, 24},
    {SM_NETWORK, 1},
    {SM_CLEANBOOT, 0},
    {SM_CXDRAG, 4},
    {SM_CYDRAG, 4},
    {SM_SHOWSOUNDS, 0},
    {SM_CXMENUCHECK, 13},
    {SM_CYMENUCHECK, 13},
    {SM_SLOWMACHINE, 0},
    {SM_MIDEASTENABLED, 0},
    {SM_MOUSEWHEELPRESENT, 1},
    {SM_XVIRTUALSCREEN, 0},
    {SM_YVIRTUALSCREEN, 0},
    {SM_CMONITORS, 1},
    {SM_SAMEDISPLAYFORMAT, 1},
    {SM_IMMENABLED, 0},
    {SM_CXFOCUSBORDER, 1},
    {SM_CYFOCUSBORDER, 1},
    {SM_REMOTESESSION, 0},
};

int animation = 0;

// The classic 8-point sans serif of captions, menus and messages.
LOGFONTA ClassicFont(LONG weight) {
  LOGFONTA font{};
  font.lfHeight = -11;
  font.lfWeight = weight;
  font.lfCharSet = ANSI_CHARSET;
  std::strcpy(font.lfFaceName, "MS Sans Serif");
  return font;
}  // window animation: off on this desktop unless the program turns it on

}  // namespace
}  // namespace platform::user

using namespace platform::user;

int GetSystemMetrics(int index) {
  POINT screen = Global().screenSize;
  if (!Global().desktop) {
    // Before start-up the setting decides the size; EnsureStarted reads it the same way.
    EnsureStarted();
    screen = Global().screenSize;
  }
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXFULLSCREEN:
      return screen.x;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return screen.y;
    case SM_CYFULLSCREEN:
      return screen.y - 19;
    case SM_CXMAXTRACK:
      return screen.x + 12;
    case SM_CYMAXTRACK:
      return screen.y + 12;
    case SM_CXMAXIMIZED:
      return screen.x + 8;
    case SM_CYMAXIMIZED:
      return screen.y + 8;
    default:
      break;
  }
  for (const Metric& m : kMetrics)
    if (m.index == index) return m.value;
  return 0;
}

namespace platform::user {
namespace {

constexpr int kColourCount = static_cast<int>(sizeof(kClassicColours) / sizeof(kClassicColours[0]));

COLORREF* Colours() {
  static COLORREF colours[kColourCount];
  static bool made = [] {
    std::memcpy(colours, kClassicColours, sizeof colours);
    return true;
  }();
  (void)made;
  return colours;
}

}  // namespace

void ResetSystemColours() {
  std::memcpy(Colours(), kClassicColours, sizeof kClassicColours);
  for (int i = 0; i < kColourCount; ++i)
    if (auto* brush = gdi::FindBrush(GetSysColorBrush(i))) brush->colour = kClassicColours[i];
}

}  // namespace platform::user

DWORD GetSysColor(int index) {
  if (index < 0 || index >= kColourCount) return 0;
  return Colours()[index];
}

BOOL SetSysColors(int count, const INT* elements, const COLORREF* values) {
  if (count < 0 || (count > 0 && (!elements || !values))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (int i = 0; i < count; ++i)
    if (elements[i] < 0 || elements[i] >= kColourCount) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  EnsureStarted();
  for (int i = 0; i < count; ++i) {
    COLORREF colour = values[i] & 0x00FFFFFF;
    Colours()[elements[i]] = colour;
    // The shared brush of the colour follows it, wherever it is selected.
    if (auto* brush = platform::gdi::FindBrush(GetSysColorBrush(elements[i])))
      brush->colour = colour;
  }
  std::vector<HWND> tops;
  for (Window* w : Global().desktop->children) tops.push_back(w->handle);
  for (HWND h : tops)
    if (IsWindow(h)) SendMessageA(h, WM_SYSCOLORCHANGE, 0, 0);
  RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  for (HWND h : tops)
    if (IsWindow(h))
      RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  ScreenChanged();
  return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
  (void)winIni;
  auto setInt = [pvParam](int value) {
    if (!pvParam) return FALSE;
    std::memcpy(pvParam, &value, sizeof(value));
    return TRUE;
  };
  auto setBool = [pvParam](BOOL value) {
    if (!pvParam) return FALSE;
    std::memcpy(pvParam, &value, sizeof(value));
    return TRUE;
  };
  switch (action) {
    case SPI_GETWORKAREA: {
      if (!pvParam) return FALSE;
      POINT screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      RECT area{0, 0, screen.x, screen.y};
      std::memcpy(pvParam, &area, sizeof(area));
      return TRUE;
    }
    case SPI_GETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(pvParam);
      if (!info || info->cbSize != sizeof(ANIMATIONINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      info->iMinAnimate = animation;
      return TRUE;
    }
    case SPI_SETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(pvParam);
      if (!info || info->cbSize != sizeof(ANIMATIONINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      animation = info->iMinAnimate;
      return TRUE;
    }
    case SPI_GETNONCLIENTMETRICS: {
      auto* metrics = static_cast<NONCLIENTMETRICSA*>(pvParam);
      // The newer layout adds one int at the end; both sizes are accepted.
      if (!metrics || (metrics->cbSize != sizeof(NONCLIENTMETRICSA) &&
                       metrics->cbSize != sizeof(NONCLIENTMETRICSA) + sizeof(int))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      UINT size = metrics->cbSize;
      std::memset(metrics, 0, size);
      metrics->cbSize = size;
      metrics->iBorderWidth = 1;
      metrics->iScrollWidth = 16;
      metrics->iScrollHeight = 16;
      metrics->iCaptionWidth = 18;
      metrics->iCaptionHeight = 18;
      metrics->lfCaptionFont = ClassicFont(FW_BOLD);
      metrics->iSmCaptionWidth = 12;
      metrics->iSmCaptionHeight = 15;
      metrics->lfSmCaptionFont = ClassicFont(FW_BOLD);
      metrics->iMenuWidth = 18;
      metrics->iMenuHeight = 18;
      metrics->lfMenuFont = ClassicFont(FW_NORMAL);
      metrics->lfStatusFont = ClassicFont(FW_NORMAL);
      metrics->lfMessageFont = ClassicFont(FW_NORMAL);
      return TRUE;
    }
    case SPI_GETICONTITLELOGFONT: {
      if (!pvParam) return FALSE;
      LOGFONTA font = ClassicFont(FW_NORMAL);
      std::memcpy(pvParam, &font, sizeof(font));
      return TRUE;
    }
    case SPI_GETBEEP:
      return setBool(TRUE);
    case SPI_GETKEYBOARDSPEED:
      return setInt(31);
    case SPI_GETKEYBOARDDELAY:
      return setInt(1);
    case SPI_GETSCREENSAVEACTIVE:
      return setBool(FALSE);
    case SPI_GETMENUDROPALIGNMENT:
      return setBool(FALSE);
    case SPI_GETDRAGFULLWINDOWS:
      return setBool(FALSE);
    case SPI_GETWHEELSCROLLLINES:
      return setInt(3);
    case SPI_GETMENUANIMATION:
      return setBool(FALSE);
    case SPI_GETKEYBOARDCUES:
      return setBool(TRUE);
    default:
      (void)uiParam;
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}
