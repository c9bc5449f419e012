// The classic track bar: a sunken channel, the selection range in the highlight colour, a
// pointed (or, with TBS_BOTH, square) raised thumb, and tick marks every TBM_SETTICFREQ
// positions. Only what lies in the area being painted is drawn, so a range of a million
// with a tick every 50 paints as fast as a short one.
#include <algorithm>
#include <cstdint>

#include "controls/trackbar.h"

namespace platform::controls {
namespace {

constexpr int kTick = 3;  // length of a tick mark
constexpr int kGap = 2;   // between the thumb's band and the ticks
constexpr int kMargin = 8;

DWORD Style(const TrackBar& t) { return StyleOf(t.window); }

// A rectangle of the control from two coordinates along and two across.
RECT Band(const TrackLayout& l, int along0, int along1, int across0, int across1) {
  return l.vertical ? RECT{across0, along0, across1, along1}
                    : RECT{along0, across0, along1, across1};
}

void Pixel(HDC dc, const TrackLayout& l, int along, int across, COLORREF colour) {
  RECT r = Band(l, along, along + 1, across, across + 1);
  FillSolid(dc, r, colour);
}

void DrawTick(HDC dc, const TrackLayout& l, int along, int length) {
  COLORREF black = GetSysColor(COLOR_BTNTEXT);
  if (l.ticksBefore >= 0)
    FillSolid(dc, Band(l, along, along + 1, l.ticksBefore - length + 1, l.ticksBefore + 1), black);
  if (l.ticksAfter >= 0)
    FillSolid(dc, Band(l, along, along + 1, l.ticksAfter, l.ticksAfter + length), black);
}

// Every tick whose pixel lies in [from, to): the automatic ticks are walked by pixel column
// when they are denser than the columns, else by tick.
void DrawTicks(TrackBar& t, HDC dc, const TrackLayout& l, int from, int to) {
  DWORD style = Style(t);
  if (style & TBS_NOTICKS) return;
  int first = PixelOf(t, l, t.min), last = PixelOf(t, l, t.max);
  from = std::max(from, first);
  to = std::min(to, last + 1);
  if (from >= to) return;
  // The two ends are a little longer.
  if (first >= from && first < to) DrawTick(dc, l, first, kTick + 1);
  if (last >= from && last < to) DrawTick(dc, l, last, kTick + 1);
  for (int tick : t.ticks) {
    int x = PixelOf(t, l, tick);
    if (x >= from && x < to && tick > t.min && tick < t.max) DrawTick(dc, l, x, kTick);
  }
  if (!(style & TBS_AUTOTICKS) || t.frequency <= 0 || t.max <= t.min) return;
  std::int64_t span = static_cast<std::int64_t>(t.max) - t.min;
  std::int64_t count = span / t.frequency;
  if (count <= to - from) {
    std::int64_t start = std::max<std::int64_t>(
        1, (static_cast<std::int64_t>(PositionAt(t, l, from)) - t.min) / t.frequency - 1);
    for (std::int64_t k = start; k <= count; ++k) {
      int x = PixelOf(t, l, static_cast<int>(t.min + k * t.frequency));
      if (x >= to) break;
      if (x >= from && x != first && x != last) DrawTick(dc, l, x, kTick);
    }
    return;
  }
  // Denser than the pixels: a column has a tick when a multiple of the frequency falls in it.
  for (int x = from; x < to; ++x) {
    if (x == first || x == last) continue;
    std::int64_t low = PositionAt(t, l, x) - t.min;
    std::int64_t high = PositionAt(t, l, x + 1) - t.min;
    if (high / t.frequency != low / t.frequency || low % t.frequency == 0)
      DrawTick(dc, l, x, kTick);
  }
}

void DrawChannel(TrackBar& t, HDC dc, const TrackLayout& l) {
  RECT channel = l.channel;
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillSysColour(dc, channel, COLOR_BTNHIGHLIGHT);
  if ((Style(t) & TBS_ENABLESELRANGE) && t.hasSelection && t.selEnd >= t.selStart) {
    int a = PixelOf(t, l, std::clamp(t.selStart, t.min, t.max));
    int b = PixelOf(t, l, std::clamp(t.selEnd, t.min, t.max));
    RECT selection = l.vertical ? RECT{channel.left, a, channel.right, b + 1}
                                : RECT{a, channel.top, b + 1, channel.bottom};
    IntersectRect(&selection, &selection, &channel);
    FillSysColour(dc, selection, COLOR_HIGHLIGHT);
  }
}

void DrawThumb(TrackBar& t, HDC dc, const TrackLayout& l) {
  DWORD style = Style(t);
  if (style & TBS_NOTHUMB) return;
  RECT r = ThumbRect(t, l, t.pos);
  bool enabled = IsWindowEnabled(t.window) != FALSE;
  COLORREF white = GetSysColor(COLOR_BTNHIGHLIGHT), black = GetSysColor(COLOR_3DDKSHADOW);
  COLORREF grey = GetSysColor(COLOR_BTNSHADOW);
  int point = (style & TBS_BOTH) ? 0 : l.thumbAlong / 2;
  bool pointBefore = (style & TBS_TOP) && !(style & TBS_BOTH);
  // The body is a raised square; the point, when there is one, runs to a tip at the middle.
  int along0 = l.vertical ? r.top : r.left, along1 = l.vertical ? r.bottom : r.right;
  int across0 = l.vertical ? r.left : r.top, across1 = l.vertical ? r.right : r.bottom;
  int body0 = pointBefore ? across0 + point : across0;
  int body1 = pointBefore ? across1 : across1 - point;
  RECT body = Band(l, along0, along1, body0, body1);
  UINT sides = BF_RECT;
  if (point)
    sides = pointBefore
                ? (l.vertical ? BF_RIGHT | BF_TOP | BF_BOTTOM : BF_LEFT | BF_RIGHT | BF_BOTTOM)
                : (l.vertical ? BF_LEFT | BF_TOP | BF_BOTTOM : BF_LEFT | BF_RIGHT | BF_TOP);
  if (l.vertical && point) {
    // The light sides of a vertical thumb are its top and the side away from the point.
    sides = pointBefore ? BF_RIGHT | BF_TOP | BF_BOTTOM : BF_LEFT | BF_TOP | BF_BOTTOM;
  }
  RECT edge = body;
  DrawEdge(dc, &edge, EDGE_RAISED, sides | BF_SOFT | BF_MIDDLE);
  if (!enabled) {
    RECT inside = body;
    InflateRect(&inside, -2, -2);
    FillChecker(dc, inside, white, GetSysColor(COLOR_BTNFACE));
  }
  for (int i = 0; i < point; ++i) {
    int across = pointBefore ? body0 - 1 - i : body1 + i;
    int a = along0 + i, b = along1 - 1 - i;
    if (a > b) break;
    RECT row = Band(l, a, b + 1, across, across + 1);
    FillSysColour(dc, row, COLOR_BTNFACE);
    Pixel(dc, l, a, across, pointBefore ? white : white);
    Pixel(dc, l, b, across, black);
    if (b - 1 > a) Pixel(dc, l, b - 1, across, grey);
  }
}

}  // namespace

TrackLayout LayOutTrackBar(const TrackBar& t) {
  TrackLayout l;
  DWORD style = Style(t);
  l.vertical = style & TBS_VERT;
  RECT client = ClientRectOf(t.window);
  int length = l.vertical ? client.bottom : client.right;
  int breadth = l.vertical ? client.right : client.bottom;
  bool before = !(style & TBS_NOTICKS) && (style & (TBS_TOP | TBS_BOTH));
  bool after = !(style & TBS_NOTICKS) && (!(style & TBS_TOP) || (style & TBS_BOTH));
  int ticksRoom = kTick + 1 + kGap;
  if (t.thumbLength > 0 && (style & TBS_FIXEDLENGTH)) {
    l.thumbAcross = t.thumbLength;
  } else {
    int room = breadth - (before ? ticksRoom : 0) - (after ? ticksRoom : 0) - 2 * kGap;
    l.thumbAcross = std::clamp(room, 8, 21);
  }
  l.thumbAlong = std::max(5, (l.thumbAcross / 2) | 1);
  if (l.thumbAcross >= 21) l.thumbAlong = 11;
  int block = l.thumbAcross + (before ? ticksRoom : 0) + (after ? ticksRoom : 0);
  int start = std::max(0, (breadth - block) / 2);
  l.thumbFar = start + (before ? ticksRoom : 0);
  if (before) l.ticksBefore = l.thumbFar - kGap - 1;
  if (after) l.ticksAfter = l.thumbFar + l.thumbAcross + kGap;
  // The channel runs through the square part of the thumb.
  int point = (style & TBS_BOTH) ? 0 : l.thumbAlong / 2;
  bool pointBefore = (style & TBS_TOP) && !(style & TBS_BOTH);
  int body0 = l.thumbFar + (pointBefore ? point : 0);
  int body1 = l.thumbFar + l.thumbAcross - (pointBefore ? 0 : point);
  int middle = (body0 + body1) / 2;
  // The thumb's middle travels from kMargin to kMargin before the far end.
  int along0 = std::max(0, kMargin - l.thumbAlong / 2);
  int along1 = std::max(along0 + l.thumbAlong + 1, length - kMargin + l.thumbAlong / 2 + 1);
  // A channel that shows a selection range is wide enough to show it.
  int half = (style & TBS_ENABLESELRANGE) ? 4 : 2;
  l.channel = Band(l, along0, along1, middle - half, middle + half);
  return l;
}

int PixelOf(const TrackBar& t, const TrackLayout& l, int position) {
  int along0 = (l.vertical ? l.channel.top : l.channel.left) + l.thumbAlong / 2;
  int along1 = (l.vertical ? l.channel.bottom : l.channel.right) - l.thumbAlong / 2 - 1;
  if (t.max <= t.min) return along0;
  std::int64_t offset = static_cast<std::int64_t>(std::clamp(position, t.min, t.max)) - t.min;
  std::int64_t span = static_cast<std::int64_t>(t.max) - t.min;
  return along0 + static_cast<int>((offset * (along1 - along0) + span / 2) / span);
}

int PositionAt(const TrackBar& t, const TrackLayout& l, int pixel) {
  int along0 = (l.vertical ? l.channel.top : l.channel.left) + l.thumbAlong / 2;
  int along1 = (l.vertical ? l.channel.bottom : l.channel.right) - l.thumbAlong / 2 - 1;
  if (along1 <= along0 || t.max <= t.min) return t.min;
  std::int64_t span = static_cast<std::int64_t>(t.max) - t.min;
  std::int64_t offset = std::clamp(pixel, along0, along1) - along0;
  return t.min + static_cast<int>((offset * span + (along1 - along0) / 2) / (along1 - along0));
}

RECT ThumbRect(const TrackBar& t, const TrackLayout& l, int position) {
  int middle = PixelOf(t, l, position);
  int along0 = middle - l.thumbAlong / 2;
  return Band(l, along0, along0 + l.thumbAlong, l.thumbFar, l.thumbFar + l.thumbAcross);
}

void PaintTrackBar(TrackBar& t, HDC dc, const RECT& area) {
  HBRUSH brush = ControlColours(t.window, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &area, brush);
  TrackLayout l = LayOutTrackBar(t);
  DrawChannel(t, dc, l);
  int from = l.vertical ? area.top : area.left, to = l.vertical ? area.bottom : area.right;
  DrawTicks(t, dc, l, from, to);
  DrawThumb(t, dc, l);
  if (t.focused) {
    RECT focus = ClientRectOf(t.window);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace platform::controls
