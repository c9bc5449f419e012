// TScrollingWinControl: scroll bars whose ranges follow the extent of the children.
#include <algorithm>

#include "forms/form.h"

TD_IMPLEMENT_CLASS(TControlScrollBar)
void TControlScrollBar::Describe(Describer& d) {
  d.Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin).Default(0);
  d.Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
  d.Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange).Default(0);
  d.Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
}

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : control_(control), kind_(kind) {}

void TControlScrollBar::SetPosition(int value) {
  int client = kind_ == sbHorizontal ? control_->ClientWidth() : control_->ClientHeight();
  int limit = std::max(0, range_ - client);
  value = std::clamp(value, 0, limit);
  if (value == position_) return;
  MoveTo(value);
  Update();
}

void TControlScrollBar::MoveTo(int value) {
  int delta = position_ - value;
  position_ = value;
  if (kind_ == sbHorizontal)
    control_->ScrollBy(delta, 0);
  else
    control_->ScrollBy(0, delta);
}

void TControlScrollBar::SetRange(int value) {
  range_ = std::clamp(value, 0, kMaxCoordinate);
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
  visible_ = value;
  control_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const { return shown_; }

void TControlScrollBar::Update() { control_->UpdateScrollBars(); }

void TControlScrollBar::Apply(bool show, int page) {
  // A position beyond what the page leaves (the window grew, the bar went away) scrolls
  // the children back.
  int limit = std::max(0, range_ - page);
  if (position_ > limit) MoveTo(limit);
  shown_ = show;
  HWND handle = control_->Handle();
  int bar = kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
  LONG style = kind_ == sbHorizontal ? WS_HSCROLL : WS_VSCROLL;
  bool showing = (GetWindowLongA(handle, GWL_STYLE) & style) != 0;
  if (show) {
    // The bar runs over the whole extent, one unit a pixel; the page is the client area.
    SCROLLINFO info{sizeof(SCROLLINFO),
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    range_ - 1,
                    static_cast<UINT>(page),
                    position_,
                    0};
    SetScrollInfo(handle, bar, &info, TRUE);
    if ((GetWindowLongA(handle, GWL_STYLE) & style) == 0) ShowScrollBar(handle, bar, TRUE);
  } else if (showing) {
    ShowScrollBar(handle, bar, FALSE);
  }
}

TD_IMPLEMENT_CLASS(TScrollingWinControl)
void TScrollingWinControl::Describe(Describer& d) {
  d.Property("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll)
      .Default(true);
  d.Message(WM_HSCROLL, &TScrollingWinControl::WMScrollBar);
  d.Message(WM_VSCROLL, &TScrollingWinControl::WMScrollBar);
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {
  horzScrollBar_ = std::make_unique<TControlScrollBar>(this, sbHorizontal);
  vertScrollBar_ = std::make_unique<TControlScrollBar>(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == autoScroll_) return;
  autoScroll_ = value;
  UpdateScrollBars();
}

void TScrollingWinControl::CreateWindowNow() {
  TWinControl::CreateWindowNow();
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* control, RECT& rect) {
  TWinControl::AlignControls(control, rect);
  UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updatingScrollBars_ || !HasWindow()) return;
  updatingScrollBars_ = true;
  try {
    if (autoScroll_) {
      int right = 0, bottom = 0;
      for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->Visible() || child->Align() != alNone) continue;
        right = std::max(right, child->Left() + child->Width() + horzScrollBar_->position_);
        bottom = std::max(bottom, child->Top() + child->Height() + vertScrollBar_->position_);
      }
      horzScrollBar_->range_ = std::min(right, kMaxCoordinate);
      vertScrollBar_->range_ = std::min(bottom, kMaxCoordinate);
    }
    // The client area as it would be without bars; each bar that shows takes its room
    // from the other's page, so one bar can bring the other.
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    int width = ClientWidth() + ((style & WS_VSCROLL) != 0 ? barWidth : 0);
    int height = ClientHeight() + ((style & WS_HSCROLL) != 0 ? barHeight : 0);
    TControlScrollBar& vert = *vertScrollBar_;
    TControlScrollBar& horz = *horzScrollBar_;
    bool showVert = vert.visible_ && vert.range_ > height;
    bool showHorz = horz.visible_ && horz.range_ > width - (showVert ? barWidth : 0);
    if (showHorz && !showVert) showVert = vert.visible_ && vert.range_ > height - barHeight;
    vert.Apply(showVert, std::max(0, height - (showHorz ? barHeight : 0)));
    horz.Apply(showHorz, std::max(0, width - (showVert ? barWidth : 0)));
  } catch (...) {
    updatingScrollBars_ = false;
    throw;
  }
  updatingScrollBars_ = false;
}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    child->ChangeBounds(child->Left() + dx, child->Top() + dy, child->Width(), child->Height());
  }
  EnableAlign();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (control == nullptr || !HasWindow()) return;
  RECT client = ClientRect();
  int margin = horzScrollBar_->Margin();
  if (control->Left() - margin < client.left)
    horzScrollBar_->SetPosition(horzScrollBar_->Position() + control->Left() - margin);
  else if (control->Left() + control->Width() + margin > client.right)
    horzScrollBar_->SetPosition(horzScrollBar_->Position() + control->Left() + control->Width() +
                                margin - client.right);
  margin = vertScrollBar_->Margin();
  if (control->Top() - margin < client.top)
    vertScrollBar_->SetPosition(vertScrollBar_->Position() + control->Top() - margin);
  else if (control->Top() + control->Height() + margin > client.bottom)
    vertScrollBar_->SetPosition(vertScrollBar_->Position() + control->Top() + control->Height() +
                                margin - client.bottom);
}

void TScrollingWinControl::WMScrollBar(TMessage& message) {
  if (message.LParam != 0) {
    InheritedMessage(StaticClass(), message);
    return;
  }
  TControlScrollBar* bar = message.Msg == WM_HSCROLL ? horzScrollBar_.get() : vertScrollBar_.get();
  int client = bar->Kind() == sbHorizontal ? ClientWidth() : ClientHeight();
  int position = bar->Position();
  switch (LOWORD(message.WParam)) {
    case SB_LINEUP:
      position -= 8;
      break;
    case SB_LINEDOWN:
      position += 8;
      break;
    case SB_PAGEUP:
      position -= client;
      break;
    case SB_PAGEDOWN:
      position += client;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The message carries 16 bits of the position; the bar keeps all of it.
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      int which = bar->Kind() == sbHorizontal ? SB_HORZ : SB_VERT;
      position = GetScrollInfo(Handle(), which, &info) ? info.nTrackPos : HIWORD(message.WParam);
      break;
    }
    case SB_TOP:
      position = 0;
      break;
    case SB_BOTTOM:
      position = bar->Range();
      break;
    default:
      return;
  }
  bar->SetPosition(position);
}
