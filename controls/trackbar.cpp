// TTrackBar: settings kept in fields and pushed to the window, the range rule, the
// window class and the user's thumb moves.
#include "controls/trackbar.h"

#include "controls/menus.h"
#include "platform/commctrl.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

TD_IMPLEMENT_CLASS(TTrackBar)
void TTrackBar::Describe(Describer& d) {
  d.Property("Ctl3D", &TTrackBar::Ctl3D, &TTrackBar::SetCtl3D);
  d.Property("DragCursor", &TTrackBar::DragCursor, &TTrackBar::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TTrackBar::DragMode, &TTrackBar::SetDragMode).Default(dmManual);
  d.Property("Enabled", &TTrackBar::Enabled, &TTrackBar::SetEnabled).Default(true);
  d.Property("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize).Default(1);
  d.Property("Max", &TTrackBar::Max, &TTrackBar::SetMax).Default(10);
  d.Property("Min", &TTrackBar::Min, &TTrackBar::SetMin).Default(0);
  d.Property("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation);
  d.Property("ParentCtl3D", &TTrackBar::ParentCtl3D, &TTrackBar::SetParentCtl3D).Default(true);
  d.Property("ParentShowHint", &TTrackBar::ParentShowHint, &TTrackBar::SetParentShowHint)
      .Default(true);
  d.Property("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize).Default(2);
  d.Property("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
  d.Property("Position", &TTrackBar::Position, &TTrackBar::SetPosition);
  d.Property("SelEnd", &TTrackBar::SelEnd, &TTrackBar::SetSelEnd);
  d.Property("SelStart", &TTrackBar::SelStart, &TTrackBar::SetSelStart);
  d.Property("PopupMenu", &TTrackBar::PopupMenu<TPopupMenu>, &TTrackBar::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TTrackBar::ShowHint, &TTrackBar::SetShowHint);
  d.Property("TabOrder", &TTrackBar::TabOrder, &TTrackBar::SetTabOrder).Default(-1);
  d.Property("TabStop", &TTrackBar::TabStop, &TTrackBar::SetTabStop).Default(true);
  d.Property("TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks);
  d.Property("TickStyle", &TTrackBar::TickStyle, &TTrackBar::SetTickStyle);
  d.Property("Visible", &TTrackBar::Visible, &TTrackBar::SetVisible).Default(true);
  d.Property("HelpContext", &TTrackBar::HelpContext, &TTrackBar::SetHelpContext).Default(0);
  d.Property("OnChange", &TTrackBar::OnChange);
  d.Property("OnDragDrop", &TTrackBar::OnDragDrop);
  d.Property("OnDragOver", &TTrackBar::OnDragOver);
  d.Property("OnEndDrag", &TTrackBar::OnEndDrag);
  d.Property("OnEnter", &TTrackBar::OnEnter);
  d.Property("OnExit", &TTrackBar::OnExit);
  d.Property("OnKeyDown", &TTrackBar::OnKeyDown);
  d.Property("OnKeyPress", &TTrackBar::OnKeyPress);
  d.Property("OnKeyUp", &TTrackBar::OnKeyUp);
  d.Property("OnStartDrag", &TTrackBar::OnStartDrag);
  d.Message(FN_HSCROLL, &TTrackBar::FNScroll);
  d.Message(FN_VSCROLL, &TTrackBar::FNScroll);
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  SetWidth(150);
  SetHeight(45);
  SetTabStop(true);
  // A double click is a second single press for the thumb.
  SetStyleFlags(static_cast<WORD>(StyleFlags() & ~csDoubleClicks));
}

void TTrackBar::FillWindowParams(TWindowParams& params) {
  InitCommonControls();
  TWinControl::FillWindowParams(params);
  BaseOnSystemClass(params, TRACKBAR_CLASSA);
  static constexpr DWORD kOrientations[] = {TBS_HORZ, TBS_VERT};
  static constexpr DWORD kTickStyles[] = {TBS_NOTICKS, TBS_AUTOTICKS, 0};
  static constexpr DWORD kTickMarks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH};
  params.Style |= kOrientations[orientation_] | kTickStyles[tickStyle_] | kTickMarks[tickMarks_] |
                  TBS_ENABLESELRANGE;
  params.WindowClass.style |= CS_DBLCLKS;
}

void TTrackBar::BuildWindow() {
  TWinControl::BuildWindow();
  if (!HasWindow()) return;
  SendMessageA(handle_, TBM_SETLINESIZE, 0, lineSize_);
  SendMessageA(handle_, TBM_SETPAGESIZE, 0, pageSize_);
  SendMessageA(handle_, TBM_SETRANGEMIN, 0, min_);
  SendMessageA(handle_, TBM_SETRANGEMAX, 0, max_);
  UpdateSelection();
  SendMessageA(handle_, TBM_SETPOS, 1, position_);
  SendMessageA(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 1);
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (value == orientation_) return;
  orientation_ = value;
  if (!ComponentState().Contains(Loading) && !ComponentState().Contains(Updating))
    ChangeBounds(Left(), Top(), Height(), Width());
  RebuildWindow();
}

void TTrackBar::SetTickMarks(TTickMark value) {
  if (value == tickMarks_) return;
  tickMarks_ = value;
  RebuildWindow();
}

void TTrackBar::SetTickStyle(TTickStyle value) {
  if (value == tickStyle_) return;
  tickStyle_ = value;
  RebuildWindow();
}

void TTrackBar::SetLineSize(std::int32_t value) {
  if (value == lineSize_) return;
  lineSize_ = value;
  if (HasWindow()) SendMessageA(handle_, TBM_SETLINESIZE, 0, lineSize_);
}

void TTrackBar::SetPageSize(std::int32_t value) {
  if (value == pageSize_) return;
  pageSize_ = value;
  if (HasWindow()) SendMessageA(handle_, TBM_SETPAGESIZE, 0, pageSize_);
}

void TTrackBar::SetFrequency(std::int32_t value) {
  if (value == frequency_) return;
  frequency_ = value;
  if (HasWindow()) SendMessageA(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 1);
}

void TTrackBar::SetMin(std::int32_t value) {
  if (value != min_) SetRange(position_, value, max_);
}

void TTrackBar::SetMax(std::int32_t value) {
  if (value != max_) SetRange(position_, min_, value);
}

void TTrackBar::SetPosition(std::int32_t value) {
  if (value != position_) SetRange(value, min_, max_);
}

void TTrackBar::SetRange(std::int32_t position, std::int32_t min, std::int32_t max) {
  if (min > max) throw EInvalidOperation(FmtLoadStr(61492, ClassName()));
  if (position < min) position = min;
  if (position > max) position = max;
  if (min != min_) {
    min_ = min;
    if (HasWindow()) SendMessageA(handle_, TBM_SETRANGEMIN, 1, min_);
  }
  if (max != max_) {
    max_ = max;
    if (HasWindow()) SendMessageA(handle_, TBM_SETRANGEMAX, 1, max_);
  }
  if (position != position_) {
    position_ = position;
    if (HasWindow()) SendMessageA(handle_, TBM_SETPOS, 1, position_);
  }
}

void TTrackBar::SetSelStart(std::int32_t value) {
  if (value == selStart_) return;
  selStart_ = value;
  UpdateSelection();
}

void TTrackBar::SetSelEnd(std::int32_t value) {
  if (value == selEnd_) return;
  selEnd_ = value;
  UpdateSelection();
}

void TTrackBar::UpdateSelection() {
  if (!HasWindow()) return;
  if (selStart_ == 0 && selEnd_ == 0) {
    SendMessageA(handle_, TBM_CLEARSEL, 1, 0);
  } else {
    // One message each: the combined one carries 16 bits a value, and a song's length in
    // milliseconds is more than that.
    SendMessageA(handle_, TBM_SETSELSTART, 0, static_cast<LPARAM>(selStart_));
    SendMessageA(handle_, TBM_SETSELEND, 1, static_cast<LPARAM>(selEnd_));
  }
}

void TTrackBar::FNScroll(TMessage& message) {
  DefaultMessage(message);
  position_ = static_cast<std::int32_t>(SendMessageA(handle_, TBM_GETPOS, 0, 0));
  OnChange(this);
  message.Result = 0;
}
