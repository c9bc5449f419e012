// TTrackBar: a windowed control over the system track bar class. Every setting lives in
// fields, so it can be made before the window exists and survives a rebuild; while the
// window exists each change is pushed to it with a TBM_ message. The position is read
// back from the window only when the user moves the thumb, and only that raises OnChange.
#pragma once
#include <cstdint>

#include "forms/wincontrol.h"

enum TTrackBarOrientation { trHorizontal, trVertical };
TD_ENUM_TYPE(TTrackBarOrientation, "trHorizontal", "trVertical");
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
TD_ENUM_TYPE(TTickMark, "tmBottomRight", "tmTopLeft", "tmBoth");
enum TTickStyle { tsNone, tsAuto, tsManual };
TD_ENUM_TYPE(TTickStyle, "tsNone", "tsAuto", "tsManual");

class TTrackBar : public TWinControl {
  TD_CLASS(TTrackBar, TWinControl)

 public:
  explicit TTrackBar(TComponent* owner);

  TTrackBarOrientation Orientation() const { return orientation_; }
  // Outside loading, swaps width and height; rebuilds the window.
  void SetOrientation(TTrackBarOrientation value);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark value);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle value);
  std::int32_t LineSize() const { return lineSize_; }
  void SetLineSize(std::int32_t value);
  std::int32_t PageSize() const { return pageSize_; }
  void SetPageSize(std::int32_t value);
  std::int32_t Frequency() const { return frequency_; }
  void SetFrequency(std::int32_t value);
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t value);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t value);
  std::int32_t Position() const { return position_; }
  void SetPosition(std::int32_t value);
  std::int32_t SelStart() const { return selStart_; }
  void SetSelStart(std::int32_t value);
  std::int32_t SelEnd() const { return selEnd_; }
  void SetSelEnd(std::int32_t value);
  // The one range setter behind Position, Min and Max: EInvalidOperation "TTrackBar
  // property out of range" with nothing changed when min > max; otherwise the position
  // is clamped into the range and min, max and position go to the window in that order.
  void SetRange(std::int32_t position, std::int32_t min, std::int32_t max);

  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;

  // Raised when the user moves the thumb (never for a change made by the program).
  TNotifyEvent OnChange;

 private:
  void UpdateSelection();
  void FNScroll(TMessage& message);

  TTrackBarOrientation orientation_ = trHorizontal;
  TTickMark tickMarks_ = tmBottomRight;
  TTickStyle tickStyle_ = tsAuto;
  std::int32_t lineSize_ = 1;
  std::int32_t pageSize_ = 2;
  std::int32_t min_ = 0;
  std::int32_t max_ = 10;
  std::int32_t frequency_ = 1;
  std::int32_t position_ = 0;
  std::int32_t selStart_ = 0;
  std::int32_t selEnd_ = 0;
};
