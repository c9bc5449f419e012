// The scroll bar shared by the window scroll bars and the "ScrollBar" control.
#include "controls/scrollbar.h"

#include <algorithm>
#include <cstdint>

namespace platform::controls {
namespace {

constexpr int kMinimumThumb = 8;

void Clamp(ScrollValues& v) {
  if (v.max < v.min) v.max = v.min;
  std::int64_t size = static_cast<std::int64_t>(v.max) - v.min + 1;
  if (static_cast<std::int64_t>(v.page) > size) v.page = static_cast<UINT>(size);
  v.pos = std::clamp(v.pos, v.min, v.MaxPosition());
  v.trackPos = std::clamp(v.trackPos, v.min, v.MaxPosition());
}

int Length(const RECT& r, bool vertical) { return vertical ? r.bottom - r.top : r.right - r.left; }

// A rectangle of the bar from `from` to `to` along it.
RECT Slice(const ScrollLayout& l, int from, int to) {
  return l.vertical ? RECT{l.bar.left, l.bar.top + from, l.bar.right, l.bar.top + to}
                    : RECT{l.bar.left + from, l.bar.top, l.bar.left + to, l.bar.bottom};
}

}  // namespace

int ScrollValues::MaxPosition() const {
  int last = max - std::max(static_cast<int>(page) - 1, 0);
  return std::max(last, min);
}

bool ScrollValues::Scrollable() const {
  std::int64_t size = static_cast<std::int64_t>(max) - min + 1;
  return page == 0 ? max > min : size > static_cast<std::int64_t>(page);
}

void ScrollValues::Apply(const SCROLLINFO& info) {
  if (info.fMask & SIF_RANGE) {
    min = info.nMin;
    max = info.nMax;
  }
  if (info.fMask & SIF_PAGE) page = info.nPage;
  if (info.fMask & SIF_POS) pos = info.nPos;
  Clamp(*this);
}

void ScrollValues::Fill(SCROLLINFO* info) const {
  if (info->fMask & SIF_RANGE) {
    info->nMin = min;
    info->nMax = max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = page;
  if (info->fMask & SIF_POS) info->nPos = pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = trackPos;
}

ScrollPart ScrollLayout::PartAt(POINT p) const {
  if (!Inside(bar, p)) return ScrollPart::None;
  if (Inside(lineUp, p)) return ScrollPart::LineUp;
  if (Inside(lineDown, p)) return ScrollPart::LineDown;
  if (!hasThumb) return ScrollPart::None;
  if (Inside(thumb, p)) return ScrollPart::Thumb;
  int at = Along(p), start = vertical ? thumb.top : thumb.left;
  return at < start ? ScrollPart::PageUp : ScrollPart::PageDown;
}

ScrollLayout LayOut(const ScrollValues& v, RECT bar, bool vertical, bool enabled, int position) {
  ScrollLayout l;
  l.bar = bar;
  l.vertical = vertical;
  int length = Length(bar, vertical);
  int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  int arrow = std::min(thickness, length / 2);
  l.lineUp = Slice(l, 0, arrow);
  l.lineDown = Slice(l, length - arrow, length);
  l.track = Slice(l, arrow, length - arrow);
  int trackLength = length - 2 * arrow;
  if (!enabled || !v.Scrollable() || v.disabledArrows == ESB_DISABLE_BOTH) return l;
  std::int64_t size = static_cast<std::int64_t>(v.max) - v.min + 1;
  int thumb = v.page ? static_cast<int>(trackLength * static_cast<std::int64_t>(v.page) / size)
                     : GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
  thumb = std::max(thumb, kMinimumThumb);
  if (thumb > trackLength) return l;
  int movable = trackLength - thumb;
  std::int64_t span = static_cast<std::int64_t>(v.MaxPosition()) - v.min;
  int offset = 0;
  if (span > 0)
    offset = static_cast<int>(
        (static_cast<std::int64_t>(std::clamp(position, v.min, v.MaxPosition())) - v.min) *
        movable / span);
  l.thumb = Slice(l, arrow + offset, arrow + offset + thumb);
  l.hasThumb = true;
  return l;
}

ScrollLayout LayOut(const ScrollValues& v, RECT bar, bool vertical, bool enabled) {
  return LayOut(v, bar, vertical, enabled, v.pos);
}

int PositionForThumb(const ScrollValues& v, const ScrollLayout& l, int thumbStart) {
  int trackStart = l.vertical ? l.track.top : l.track.left;
  int movable = Length(l.track, l.vertical) - Length(l.thumb, l.vertical);
  std::int64_t span = static_cast<std::int64_t>(v.MaxPosition()) - v.min;
  if (movable <= 0 || span <= 0) return v.min;
  int offset = std::clamp(thumbStart - trackStart, 0, movable);
  // Rounded to the nearest position, so the thumb lands where it was let go.
  return v.min + static_cast<int>((offset * span + movable / 2) / movable);
}

void PaintScrollBar(HDC dc, const ScrollValues& v, const ScrollLayout& l, bool enabled,
                    ScrollPart pressed, HBRUSH trackBrush) {
  bool active = enabled && v.Scrollable();
  UINT up = l.vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT;
  UINT down = l.vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT;
  auto arrowState = [&](ScrollPart part, UINT disabledBit) {
    UINT state = 0;
    if (!active || (v.disabledArrows & disabledBit)) state |= DFCS_INACTIVE;
    if (pressed == part) state |= DFCS_PUSHED | DFCS_FLAT;
    return state;
  };
  RECT r = l.lineUp;
  DrawFrameControl(dc, &r, DFC_SCROLL, up | arrowState(ScrollPart::LineUp, ESB_DISABLE_LTUP));
  r = l.lineDown;
  DrawFrameControl(dc, &r, DFC_SCROLL, down | arrowState(ScrollPart::LineDown, ESB_DISABLE_RTDN));
  if (trackBrush)
    FillRect(dc, &l.track, trackBrush);
  else
    FillChecker(dc, l.track, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE));
  if (!l.hasThumb) return;
  if (pressed == ScrollPart::PageUp || pressed == ScrollPart::PageDown) {
    RECT page = l.track;
    if (pressed == ScrollPart::PageUp)
      (l.vertical ? page.bottom : page.right) = l.vertical ? l.thumb.top : l.thumb.left;
    else
      (l.vertical ? page.top : page.left) = l.vertical ? l.thumb.bottom : l.thumb.right;
    InvertRect(dc, &page);
  }
  RECT thumb = l.thumb;
  DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

bool ScrollTracker::Begin(POINT p, const Layouter& layout, const ValuesOf& values,
                          const Sender& send) {
  layout_ = layout;
  values_ = values;
  send_ = send;
  ScrollLayout l = layout_();
  ScrollValues* v = values_();
  if (!v) return false;
  ScrollPart part = l.PartAt(p);
  if (part == ScrollPart::None) return false;
  if ((part == ScrollPart::LineUp && (v->disabledArrows & ESB_DISABLE_LTUP)) ||
      (part == ScrollPart::LineDown && (v->disabledArrows & ESB_DISABLE_RTDN)) || !v->Scrollable())
    return false;
  part_ = part;
  inside_ = true;
  last_ = p;
  if (part == ScrollPart::Thumb) {
    grab_ = l.Along(p) - (l.vertical ? l.thumb.top : l.thumb.left);
    startPos_ = v->pos;
    v->trackPos = v->pos;
  } else {
    Step();
  }
  return true;
}

void ScrollTracker::Step() {
  static const int codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
  send_(codes[static_cast<int>(part_)], 0);
}

void ScrollTracker::Move(POINT p) {
  if (!Active()) return;
  last_ = p;
  ScrollLayout l = layout_();
  if (part_ == ScrollPart::Thumb) {
    ScrollValues* v = values_();
    if (!v) return;
    int position = PositionForThumb(*v, l, l.Along(p) - grab_);
    if (position != v->trackPos) {
      v->trackPos = position;
      send_(SB_THUMBTRACK, position);
    }
    return;
  }
  inside_ = l.PartAt(p) == part_;
}

void ScrollTracker::Repeat() {
  if (!Active() || part_ == ScrollPart::Thumb) return;
  // A page area repeats until the thumb reaches the pointer.
  inside_ = layout_().PartAt(last_) == part_;
  if (inside_) Step();
}

void ScrollTracker::End(POINT p) {
  if (!Active()) return;
  ScrollPart part = part_;
  if (part == ScrollPart::Thumb) Move(p);
  part_ = ScrollPart::None;
  inside_ = false;
  if (part == ScrollPart::Thumb) {
    ScrollValues* v = values_();
    send_(SB_THUMBPOSITION, v ? v->trackPos : startPos_);
  }
  send_(SB_ENDSCROLL, 0);
}

void ScrollTracker::Cancel() {
  part_ = ScrollPart::None;
  inside_ = false;
}

}  // namespace platform::controls
