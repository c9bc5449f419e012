// TMediaPlayer: the bar of nine buttons: glyphs, layout, painting, mouse and keys, the
// click with its events and the buttons the device state enables.
#include <algorithm>

#include "forms/bridges.h"
#include "media/mediaplayer.h"
#include "runtime/format.h"

namespace {

constexpr const char* kGlyphNames[] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                       "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};

// The glyphs stand on this colour, which the button face replaces.
constexpr TColor kGlyphBackground = clOlive;

TMPBtnType ButtonOf(int ordinal) { return static_cast<TMPBtnType>(ordinal); }

bool InsideRect(const RECT& rect, int x, int y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

void TMediaPlayer::LoadGlyphs() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  int widest = 0;
  int tallest = 0;
  for (int i = 0; i < kButtons; ++i) {
    enabledGlyphs_[i].LoadFromResourceName(instance, Format("%s_%s", "EN", kGlyphNames[i]));
    disabledGlyphs_[i].LoadFromResourceName(instance, Format("%s_%s", "DI", kGlyphNames[i]));
    coloredGlyphs_[i].LoadFromResourceName(instance, Format("%s_%s", "CL", kGlyphNames[i]));
    for (const TBitmap* glyph : {&enabledGlyphs_[i], &disabledGlyphs_[i], &coloredGlyphs_[i]}) {
      widest = std::max(widest, static_cast<int>(glyph->Width()));
      tallest = std::max(tallest, static_cast<int>(glyph->Height()));
    }
  }
  minButtonWidth_ = widest + 8;
  minHeight_ = tallest + 4;
}

// Layout.

int TMediaPlayer::VisibleCount() const {
  int count = 0;
  for (int i = 0; i < kButtons; ++i) count += visibleButtons_.Contains(ButtonOf(i)) ? 1 : 0;
  return count;
}

// Neighbouring buttons share their border pixel, so n buttons of width w take n * (w - 1) + 1.
void TMediaPlayer::FitBounds(int& width, int& height) {
  int count = std::max(1, VisibleCount());
  int buttonWidth = (width - 1) / count + 1;
  width = std::max(count * (buttonWidth - 1) + 1, count * (minButtonWidth_ - 1) + 1);
  height = std::max(height, minHeight_);
  buttonWidth_ = (width - 1) / count + 1;
}

void TMediaPlayer::ChangeBounds(int left, int top, int width, int height) {
  width = ClampCoordinate(width);
  height = ClampCoordinate(height);
  FitBounds(width, height);
  TCustomControl::ChangeBounds(left, top, width, height);
}

// A size the platform gives the window is fitted too, and so is the size a new window
// takes from the fields.
void TMediaPlayer::WMSize(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ChangeBounds(Left(), Top(), Width(), Height());
}

void TMediaPlayer::BuildWindow() {
  TCustomControl::BuildWindow();
  ChangeBounds(Left(), Top(), Width(), Height());
}

RECT TMediaPlayer::ButtonRect(TMPBtnType button) const {
  if (!visibleButtons_.Contains(button)) return RECT{};
  int x = 0;
  for (int i = 0; i < button; ++i)
    if (visibleButtons_.Contains(ButtonOf(i))) x += buttonWidth_ - 1;
  return RECT{x, 0, x + buttonWidth_, Height()};
}

int TMediaPlayer::ButtonAtX(int x) const {
  int start = 0;
  for (int i = 0; i < kButtons; ++i) {
    if (!visibleButtons_.Contains(ButtonOf(i))) continue;
    if (x >= start && x <= start + buttonWidth_) return i;
    start += buttonWidth_ - 1;
  }
  return -1;
}

// Properties.

void TMediaPlayer::SetVisibleButtons(TButtonSet value) {
  visibleButtons_ = value * kAllMPButtons;
  if (IsLoading()) {
    // A stored size already fits the stored buttons: only the button width follows.
    ChangeBounds(Left(), Top(), Width(), Height());
  } else {
    int count = std::max(1, VisibleCount());
    ChangeBounds(Left(), Top(), count * (buttonWidth_ - 1) + 1, Height());
  }
  ScheduleRepaint();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet value) {
  enabledButtons_ = value * kAllMPButtons;
  ScheduleRepaint();
}

void TMediaPlayer::SetColoredButtons(TButtonSet value) {
  coloredButtons_ = value * kAllMPButtons;
  ScheduleRepaint();
}

void TMediaPlayer::SetAutoEnable(bool value) {
  if (value == autoEnable_) return;
  autoEnable_ = value;
  if (value)
    ApplyAutoButtons();
  else
    SetEnabledButtons(enabledButtons_);
}

bool TMediaPlayer::ButtonEnabled(TMPBtnType button) const {
  if (autoEnable_ && !InDesignMode()) return appliedAutoButtons_.Contains(button);
  return enabledButtons_.Contains(button);
}

void TMediaPlayer::ApplyAutoButtons() {
  appliedAutoButtons_ = autoButtons_;
  ScheduleRepaint();
}

void TMediaPlayer::AdjustAutoButtons(TMPBtnType button) {
  switch (button) {
    case btPlay:
    case btRecord:
      autoButtons_.Exclude(btPlay).Exclude(btRecord).Include(btPause).Include(btStop);
      break;
    case btPause:
      if (canPlay_) autoButtons_.Include(btPlay);
      if (canRecord_) autoButtons_.Include(btRecord);
      break;
    default:
      if (canPlay_) autoButtons_.Include(btPlay);
      if (canRecord_) autoButtons_.Include(btRecord);
      autoButtons_.Exclude(btPause).Exclude(btStop);
      break;
  }
}

// Painting.

TBitmap& TMediaPlayer::GlyphFor(TMPBtnType button) {
  if (!Enabled() && !InDesignMode()) return disabledGlyphs_[button];
  if (!ButtonEnabled(button)) return disabledGlyphs_[button];
  return coloredButtons_.Contains(button) ? coloredGlyphs_[button] : enabledGlyphs_[button];
}

void TMediaPlayer::PaintButton(TMPBtnType button, int x, bool pressed) {
  TCanvas* canvas = Canvas();
  const int w = buttonWidth_;
  const int h = Height();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->Pen()->SetColor(clWindowFrame);
  canvas->Rectangle(x, 0, x + w, h);
  if (pressed) {
    canvas->Pen()->SetColor(clBtnShadow);
    const POINT shadow[] = {{x + 1, h - 2}, {x + 1, 1}, {x + w - 1, 1}};
    canvas->Polyline(shadow, 2);
  } else {
    canvas->Pen()->SetColor(clBtnHighlight);
    const POINT highlight[] = {{x + 1, h - 2}, {x + 1, 1}, {x + w - 1, 1}};
    canvas->Polyline(highlight, 2);
    canvas->Pen()->SetColor(clBtnShadow);
    const POINT shadow[] = {{x + 2, h - 2}, {x + w - 2, h - 2}, {x + w - 2, 1}};
    canvas->Polyline(shadow, 2);
  }
  const int shift = pressed ? 1 : 0;
  TBitmap& glyph = GlyphFor(button);
  const int gw = glyph.Width();
  const int gh = glyph.Height();
  const int gx = x + (w - gw) / 2 + shift;
  const int gy = (h - gh) / 2 + shift;
  canvas->Brush()->SetColor(clBtnFace);
  canvas->BrushCopy(RECT{gx, gy, gx + gw, gy + gh}, &glyph, RECT{0, 0, gw, gh}, kGlyphBackground);
  if (button == focusedButton_ && HasFocus()) {
    RECT focus{x + 3 + shift, 3 + shift, x + w - 3 + shift, h - 3 + shift};
    DrawFocusRect(canvas->Handle(), &focus);
  }
}

void TMediaPlayer::PaintSelf() {
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetColor(clWindowFrame);
  canvas->Pen()->SetWidth(1);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(0, 0, Width(), Height());
  int x = 0;
  for (int i = 0; i < kButtons; ++i) {
    TMPBtnType button = ButtonOf(i);
    if (!visibleButtons_.Contains(button)) continue;
    PaintButton(button, x, captured_ && pressedInside_ && button == currentButton_);
    x += buttonWidth_ - 1;
  }
}

void TMediaPlayer::WMFocusChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ScheduleRepaint();
}

void TMediaPlayer::FMEnabledChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  ScheduleRepaint();
}

// Mouse.

void TMediaPlayer::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && !captured_) {
    int index = ButtonAtX(x);
    if (index >= 0 && ButtonEnabled(ButtonOf(index))) {
      currentButton_ = ButtonOf(index);
      focusedButton_ = currentButton_;
      pressedRect_ = ButtonRect(currentButton_);
      captured_ = true;
      pressedInside_ = true;
      CaptureMouse(true);
      TAliveGuard guard(this);
      if (TabStop() && !HasFocus() && CanTakeFocus()) SetFocus();  // OnEnter may free us
      if (!guard.Alive()) return;
      RepaintNow();
    }
  }
  TCustomControl::HandleMouseDown(button, shift, x, y);
}

void TMediaPlayer::HandleMouseMove(TShiftState shift, int x, int y) {
  if (captured_) {
    bool inside = InsideRect(pressedRect_, x, y);
    if (inside != pressedInside_) {
      pressedInside_ = inside;
      RepaintNow();
    }
  }
  TCustomControl::HandleMouseMove(shift, x, y);
}

void TMediaPlayer::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TAliveGuard guard(this);
  if (button == mbLeft && captured_) {
    bool inside = InsideRect(pressedRect_, x, y);
    ReleaseCapturedButton();
    if (inside) {
      bool ran = ClickButton(currentButton_);
      if (!guard.Alive()) return;
      if (ran && autoEnable_ && error_ == 0 && open_) {
        AdjustAutoButtons(currentButton_);
        ApplyAutoButtons();
      }
    }
  }
  TCustomControl::HandleMouseUp(button, shift, x, y);
}

void TMediaPlayer::ReleaseCapturedButton() {
  captured_ = false;
  pressedInside_ = false;
  if (HasCapture()) CaptureMouse(false);
  RepaintNow();
}

// Keys.

void TMediaPlayer::WMGetDlgCode(TMessage& message) { message.Result = DLGC_WANTARROWS; }

int TMediaPlayer::NextVisible(int from, int step) const {
  for (int i = from + step; i >= 0 && i < kButtons; i += step)
    if (visibleButtons_.Contains(ButtonOf(i))) return i;
  return -1;
}

// The next visible button that way; with none beyond, the end button of that side (Eject
// or Play), visible or not. On that end button nothing moves. Space on a hidden button
// runs nothing, so a focus that lands there is harmless.
void TMediaPlayer::MoveFocusedButton(int step) {
  const TMPBtnType end = step > 0 ? btEject : btPlay;
  if (focusedButton_ == end) return;
  const int next = NextVisible(focusedButton_, step);
  focusedButton_ = next >= 0 ? ButtonOf(next) : end;
  ScheduleRepaint();
}

void TMediaPlayer::HandleKeyDown(WORD& key, TShiftState shift) {
  TAliveGuard guard(this);
  TCustomControl::HandleKeyDown(key, shift);
  if (!guard.Alive()) return;
  switch (key) {
    case VK_RIGHT:
      MoveFocusedButton(1);
      break;
    case VK_LEFT:
      MoveFocusedButton(-1);
      break;
    case VK_SPACE:
      if (visibleButtons_.Contains(focusedButton_) && enabledButtons_.Contains(focusedButton_)) {
        currentButton_ = focusedButton_;
        bool ran = ClickButton(currentButton_);
        if (!guard.Alive()) return;
        if (ran && autoEnable_) {
          AdjustAutoButtons(currentButton_);
          ApplyAutoButtons();
        }
      }
      break;
    default:
      break;
  }
}

// Clicks.

bool TMediaPlayer::ClickButton(TMPBtnType button) {
  TAliveGuard guard(this);
  bool doDefault = true;
  OnClick(this, button, doDefault);
  if (!guard.Alive() || !doDefault) return true;
  try {
    RunOperation(button);
  } catch (...) {
    ApplicationBridge().HandleException(this);
    return false;
  }
  OnPostClick(this, button);
  return true;
}

void TMediaPlayer::RunOperation(TMPBtnType button) {
  switch (button) {
    case btPlay:
      Play();
      break;
    case btPause:
      Pause();
      break;
    case btStop:
      Stop();
      break;
    case btNext:
      Next();
      break;
    case btPrev:
      Previous();
      break;
    case btStep:
      Step();
      break;
    case btBack:
      Back();
      break;
    case btRecord:
      Record();
      break;
    case btEject:
      Eject();
      break;
  }
}
