// "msctls_trackbar32": a position on a range, shown as a thumb over a channel with tick
// marks and an optional selection range.
#pragma once
#include <vector>

#include "controls/common.h"
#include "private.h"

namespace platform::controls {

struct TrackBar : Control {
  static constexpr Kind kKind = Kind::TrackBar;
  explicit TrackBar(HWND window) : Control(kKind, window) {}
  int min = 0;
  int max = 100;
  int pos = 0;
  int lineSize = 1;
  int pageSize = 20;
  bool pageSizeSet = false;  // else a fifth of the range
  int frequency = 1;
  int selStart = 0;
  int selEnd = 0;
  bool hasSelection = false;
  int thumbLength = 0;     // across the channel; 0: from the control's size
  std::vector<int> ticks;  // manual ticks, sorted, without the two ends
  bool focused = false;
  enum class Drag { None, Thumb, PageUp, PageDown } drag = Drag::None;
  int grab = 0;  // pointer offset inside the thumb along the channel
  POINT lastPoint{0, 0};
  bool keyScrolling = false;
};

struct TrackLayout {
  bool vertical = false;
  RECT channel{};
  int thumbAlong = 11;   // the thumb's size along the channel
  int thumbAcross = 21;  // and across it
  int thumbFar = 0;      // where the thumb's band starts across the control
  int ticksBefore = -1;  // the line of the top/left ticks across the control, -1 none
  int ticksAfter = -1;   // of the bottom/right ticks
};

TrackLayout LayOutTrackBar(const TrackBar& t);
// The thumb's rectangle when the position is `position`.
RECT ThumbRect(const TrackBar& t, const TrackLayout& l, int position);
// The pixel along the channel where `position` puts the thumb's middle.
int PixelOf(const TrackBar& t, const TrackLayout& l, int position);
int PositionAt(const TrackBar& t, const TrackLayout& l, int pixel);
void PaintTrackBar(TrackBar& t, HDC dc, const RECT& area);

}  // namespace platform::controls
