// One scroll bar, wherever it lives (a window's non-client area or a "ScrollBar" control):
// its values, its layout in the classic look, its painting, and the tracking of a press on
// it (arrows and page areas repeating on a timer, the thumb dragged).
#pragma once
#include <functional>

#include "controls/common.h"
#include "private.h"

namespace platform::controls {

struct ScrollValues {
  int min = 0;
  int max = 0;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  UINT disabledArrows = ESB_ENABLE_BOTH;

  // The highest position the thumb can reach: max - (page - 1).
  int MaxPosition() const;
  // Whether the range lets anything scroll at all.
  bool Scrollable() const;
  // Applies the fields of `info` that its mask names; keeps the values consistent.
  void Apply(const SCROLLINFO& info);
  void Fill(SCROLLINFO* info) const;
};

enum class ScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct ScrollLayout {
  RECT bar{};
  bool vertical = true;
  RECT lineUp{}, lineDown{}, track{}, thumb{};
  bool hasThumb = false;
  ScrollPart PartAt(POINT p) const;
  int Along(POINT p) const { return vertical ? p.y : p.x; }
};

// `enabled` false draws the bar disabled (no thumb, grey arrows). The thumb stands at
// `position` (the tracking position while the thumb is dragged), else at the position.
ScrollLayout LayOut(const ScrollValues& v, RECT bar, bool vertical, bool enabled, int position);
ScrollLayout LayOut(const ScrollValues& v, RECT bar, bool vertical, bool enabled);
// The position whose thumb starts at `thumbStart` along the bar.
int PositionForThumb(const ScrollValues& v, const ScrollLayout& layout, int thumbStart);

void PaintScrollBar(HDC dc, const ScrollValues& v, const ScrollLayout& layout, bool enabled,
                    ScrollPart pressed, HBRUSH trackBrush);

// A press on a scroll bar followed until the button goes up. The owner feeds it the mouse
// and its repeat timer; it reports scroll codes through `send` (code, 16-bit position).
class ScrollTracker {
 public:
  using Sender = std::function<void(int code, int position)>;
  using Layouter = std::function<ScrollLayout()>;
  using ValuesOf = std::function<ScrollValues*()>;

  static constexpr UINT kFirstDelay = 400;
  static constexpr UINT kRepeat = 50;

  bool Active() const { return part_ != ScrollPart::None; }
  bool DraggingThumb() const { return part_ == ScrollPart::Thumb; }
  ScrollPart Pressed() const { return inside_ ? part_ : ScrollPart::None; }
  // Starts tracking at `p`; false when the point hits nothing that tracks.
  bool Begin(POINT p, const Layouter& layout, const ValuesOf& values, const Sender& send);
  void Move(POINT p);
  void Repeat();
  // The button went up (or the capture went away): ends tracking.
  void End(POINT p);
  void Cancel();

 private:
  void Step();
  ScrollPart part_ = ScrollPart::None;
  bool inside_ = false;
  int grab_ = 0;  // pointer offset inside the thumb along the bar
  int startPos_ = 0;
  POINT last_{0, 0};
  Layouter layout_;
  ValuesOf values_;
  Sender send_;
};

// The 16-bit position the scroll messages carry.
inline WPARAM ScrollCode(int code, int position) {
  return MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(position));
}

}  // namespace platform::controls
