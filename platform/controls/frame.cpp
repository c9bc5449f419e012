// DrawFrameControl: the classic push button, check box, radio button and scroll bar arrow
// pictures the controls use.
#include "controls/common.h"

using namespace platform::controls;

namespace {

void DrawScrollArrow(HDC dc, RECT r, UINT state) {
  bool pushed = state & DFCS_PUSHED;
  if (pushed && (state & DFCS_FLAT)) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inside{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    FillSysColour(dc, inside, COLOR_BTNFACE);
  } else {
    RECT edge = r;
    DrawEdge(dc, &edge, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  Arrow direction = Arrow::Up;
  switch (state & 0xFF) {
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX:
      direction = Arrow::Down;
      break;
    case DFCS_SCROLLLEFT:
      direction = Arrow::Left;
      break;
    case DFCS_SCROLLRIGHT:
      direction = Arrow::Right;
      break;
    default:
      break;
  }
  // The glyph keeps to the face inside the two-pixel edge and moves with the press.
  RECT glyph{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  if (pushed) OffsetRect(&glyph, 1, 1);
  if (state & DFCS_INACTIVE) {
    RECT shadow = glyph;
    OffsetRect(&shadow, 1, 1);
    DrawArrowGlyph(dc, shadow, direction, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawArrowGlyph(dc, glyph, direction, GetSysColor(COLOR_BTNSHADOW));
  } else {
    DrawArrowGlyph(dc, glyph, direction, GetSysColor(COLOR_BTNTEXT));
  }
}

void DrawPushButton(HDC dc, LPRECT r, UINT state) {
  RECT edge = *r;
  if (state & DFCS_FLAT) {
    FrameRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&edge, -1, -1);
    FillSysColour(dc, edge, COLOR_BTNFACE);
  } else {
    UINT kind = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
    DrawEdge(dc, &edge, kind, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
  }
  if (state & DFCS_ADJUSTRECT) *r = edge;
}

// The interior of a check box or radio button: white, the face while pressed or disabled,
// a checker of face and white for the third state.
void FillBoxInterior(HDC dc, const RECT& r, UINT state) {
  if ((state & 0xFF) == DFCS_BUTTON3STATE && (state & DFCS_CHECKED) && !(state & DFCS_PUSHED))
    FillChecker(dc, r, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT));
  else
    FillSysColour(dc, r, (state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW);
}

// The mark: black, grey when disabled or in the third state.
COLORREF MarkColour(UINT state) {
  bool grey = (state & DFCS_INACTIVE) || (state & 0xFF) == DFCS_BUTTON3STATE;
  return GetSysColor(grey ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
}

// Draws the rows of a small picture: each character names a colour, '.' leaves the pixel.
template <class Colour>
void DrawPicture(HDC dc, int left, int top, const char* const* rows, int count, Colour colour) {
  for (int y = 0; y < count; ++y)
    for (int x = 0; rows[y][x]; ++x)
      if (rows[y][x] != '.') {
        RECT pixel{left + x, top + y, left + x + 1, top + y + 1};
        FillSolid(dc, pixel, colour(rows[y][x]));
      }
}

void DrawCheckBox(HDC dc, RECT r, UINT state) {
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillBoxInterior(dc, r, state);
  if (!(state & DFCS_CHECKED)) return;
  static const char* const kMark[] = {
      "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
  };
  COLORREF colour = MarkColour(state);
  int left = r.left + (r.right - r.left - 7) / 2, top = r.top + (r.bottom - r.top - 7) / 2;
  DrawPicture(dc, left, top, kMark, 7, [colour](char) { return colour; });
}

// A round box of 12 pixels: the outer ring grey above and white below the diagonal, the
// inner ring black and light grey, the dot in the middle.
void DrawRadioButton(HDC dc, const RECT& r, UINT state) {
  static const char* const kRings[] = {
      "....oooo....", "..ooiiiioo..", ".oii....iio.", ".oi......io.",
      "oi........io", "oi........io", "oi........io", "oi........io",
      ".oi......io.", ".oii....iio.", "..ooiiiioo..", "....oooo....",
  };
  static const char* const kInside[] = {
      "",           "",           "....####",   "...######", "..########",
      "..########", "..########", "..########", "...######", "....####",
  };
  static const char* const kDot[] = {".##.", "####", "####", ".##."};
  int left = r.left + (r.right - r.left - 12) / 2, top = r.top + (r.bottom - r.top - 12) / 2;
  COLORREF inside =
      GetSysColor((state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW);
  DrawPicture(dc, left, top, kInside, 10, [inside](char) { return inside; });
  int row = 0;
  for (const char* line : kRings) {
    // Above the diagonal from the bottom-left to the top-right corner is the lit side.
    for (int x = 0; line[x]; ++x) {
      if (line[x] == '.') continue;
      bool lit = x + row <= 10;
      int index = line[x] == 'o' ? (lit ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT)
                                 : (lit ? COLOR_3DDKSHADOW : COLOR_3DLIGHT);
      RECT pixel{left + x, top + row, left + x + 1, top + row + 1};
      FillSysColour(dc, pixel, index);
    }
    ++row;
  }
  if (!(state & DFCS_CHECKED)) return;
  COLORREF dot = MarkColour(state);
  DrawPicture(dc, left + 4, top + 4, kDot, 4, [dot](char) { return dot; });
}

}  // namespace

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state) {
  if (!dc || !rect) return FALSE;
  switch (type) {
    case DFC_SCROLL:
      DrawScrollArrow(dc, *rect, state);
      if (state & DFCS_ADJUSTRECT) InflateRect(rect, -2, -2);
      return TRUE;
    case DFC_BUTTON:
      switch (state & 0xFF) {
        case DFCS_BUTTONPUSH:
          DrawPushButton(dc, rect, state);
          return TRUE;
        case DFCS_BUTTONCHECK:
        case DFCS_BUTTON3STATE:
          DrawCheckBox(dc, *rect, state);
          return TRUE;
        case DFCS_BUTTONRADIO:
          DrawRadioButton(dc, *rect, state);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
