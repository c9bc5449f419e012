// DrawFrameControl: the classic push button and scroll bar arrow pictures the controls use.
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

}  // namespace

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state) {
  if (!dc || !rect) return FALSE;
  switch (type) {
    case DFC_SCROLL:
      DrawScrollArrow(dc, *rect, state);
      if (state & DFCS_ADJUSTRECT) InflateRect(rect, -2, -2);
      return TRUE;
    case DFC_BUTTON:
      if ((state & 0xFF) != DFCS_BUTTONPUSH) return FALSE;
      DrawPushButton(dc, rect, state);
      return TRUE;
    default:
      return FALSE;
  }
}
