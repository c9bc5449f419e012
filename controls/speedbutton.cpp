// TSpeedButton: states, groups, mouse handling and painting. The glyph machinery is in
// speedbutton_glyphs.cpp.
#include "controls/speedbutton.h"

#include "forms/wincontrol.h"
#include "runtime/text.h"

namespace {

int liveButtons = 0;
// The 8 x 8 dither that fills a grouped button while it is down, shared by all buttons.
TBitmap* ditherPattern = nullptr;

TBitmap* DitherPattern() {
  if (ditherPattern == nullptr) {
    auto pattern = std::make_unique<TBitmap>();
    pattern->SetWidth(8);
    pattern->SetHeight(8);
    TCanvas* canvas = pattern->Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(RECT{0, 0, 8, 8});
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if (x % 2 == y % 2) canvas->SetPixels(x, y, clWhite);
    ditherPattern = pattern.release();
  }
  return ditherPattern;
}

// The letter after the caption's first "&" equals the character, ignoring case.
bool IsAccelerator(char character, const std::string& caption) {
  std::size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return false;
  return CompareLocaleNoCase(std::string(1, caption[amp + 1]), std::string(1, character)) == 0;
}

}  // namespace

TD_IMPLEMENT_CLASS(TSpeedButton)
void TSpeedButton::Describe(Describer& d) {
  d.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  d.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  d.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
  d.Property("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption);
  d.Property("Enabled", &TSpeedButton::Enabled, &TSpeedButton::SetEnabled).Default(true);
  d.Property("Font", &TSpeedButton::Font, &TSpeedButton::SetFont);
  d.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
  d.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  d.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
  d.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  d.Property("ParentFont", &TSpeedButton::ParentFont, &TSpeedButton::SetParentFont).Default(true);
  d.Property("ParentShowHint", &TSpeedButton::ParentShowHint, &TSpeedButton::SetParentShowHint)
      .Default(true);
  d.Property("ShowHint", &TSpeedButton::ShowHint, &TSpeedButton::SetShowHint);
  d.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
  d.Property("Visible", &TSpeedButton::Visible, &TSpeedButton::SetVisible).Default(true);
  d.Property("OnClick", &TSpeedButton::OnClick);
  d.Property("OnDblClick", &TSpeedButton::OnDblClick);
  d.Property("OnMouseDown", &TSpeedButton::OnMouseDown);
  d.Property("OnMouseMove", &TSpeedButton::OnMouseMove);
  d.Property("OnMouseUp", &TSpeedButton::OnMouseUp);
  d.Message(WM_LBUTTONDBLCLK, &TSpeedButton::WMLButtonDblClk);
  d.Message(FM_ENABLED_CHANGED, &TSpeedButton::FMEnabledChanged);
  d.Message(FM_BUTTON_PRESSED, &TSpeedButton::FMButtonPressed);
  d.Message(FM_DIALOG_CHAR, &TSpeedButton::FMDialogChar);
  d.Message(FM_FONT_CHANGED, &TSpeedButton::FMRepaintLater);
  d.Message(FM_TEXT_CHANGED, &TSpeedButton::FMRepaintLater);
  d.Message(FM_SYS_COLOR_CHANGE, &TSpeedButton::FMSysColorChange);
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  SetBoundsRect(RECT{0, 0, 25, 25});
  // No csClickEvents: the button decides itself when a release is a click.
  SetStyleFlags(csCaptureMouse | csOpaque | csDoubleClicks);
  glyph_ = std::make_unique<TButtonGlyph>();
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetParentFont(true);
  ++liveButtons;
}

TSpeedButton::~TSpeedButton() {
  // The canvas outlives this destructor; it must not keep the shared pattern as its brush.
  Canvas()->Brush()->SetBitmap(nullptr);
  glyph_.reset();
  if (--liveButtons == 0) {
    delete ditherPattern;
    ditherPattern = nullptr;
  }
}

int TSpeedButton::LiveCount() { return liveButtons; }
bool TSpeedButton::HasDitherPattern() { return ditherPattern != nullptr; }

// Properties.

void TSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_ || (down_ && !allowAllUp_)) return;
  down_ = value;
  state_ = value ? bsExclusive : bsUp;
  ScheduleRepaint();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(std::int32_t value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == allowAllUp_) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  ScheduleRepaint();
}

void TSpeedButton::SetSpacing(std::int32_t value) {
  if (value == spacing_) return;
  spacing_ = value;
  ScheduleRepaint();
}

void TSpeedButton::SetMargin(std::int32_t value) {
  if (value == margin_ || value < -1) return;
  margin_ = value;
  ScheduleRepaint();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
  if (value > 4) value = 4;
  if (value == glyph_->NumGlyphs()) return;
  glyph_->SetNumGlyphs(value);
  ScheduleRepaint();
}

void TSpeedButton::SetGlyph(TBitmap* value) {
  glyph_->SetGlyph(value);
  ScheduleRepaint();
}

void TSpeedButton::GlyphChanged(TObject*) { ScheduleRepaint(); }

// Tells the other buttons of the group that this one changed: they release when this
// one is down, and take its AllowAllUp.
void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || Parent() == nullptr) return;
  TMessage message{FM_BUTTON_PRESSED, static_cast<WPARAM>(groupIndex_),
                   reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(message);
}

void TSpeedButton::FMButtonPressed(TMessage& message) {
  if (message.WParam != static_cast<WPARAM>(groupIndex_)) return;
  auto* sender = reinterpret_cast<TSpeedButton*>(message.LParam);
  if (sender == nullptr || sender == this) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = bsUp;
    ScheduleRepaint();
  }
  allowAllUp_ = sender->AllowAllUp();
}

void TSpeedButton::AfterLoad() {
  TGraphicControl::AfterLoad();
  PrepareLook();
}

void TSpeedButton::PrepareLook() { glyph_->PrepareStateImage(Enabled() ? bsUp : bsDisabled); }

// Messages.

void TSpeedButton::WMLButtonDblClk(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive() && down_) FireDblClick();
}

void TSpeedButton::FMEnabledChanged(TMessage&) {
  PrepareLook();
  ScheduleRepaint();
}

void TSpeedButton::FMDialogChar(TMessage& message) {
  if (IsAccelerator(static_cast<char>(message.WParam), Caption()) && Enabled()) {
    FireClick();
    message.Result = 1;
    return;
  }
  InheritedMessage(StaticClass(), message);
}

void TSpeedButton::FMRepaintLater(TMessage&) { ScheduleRepaint(); }

void TSpeedButton::FMSysColorChange(TMessage&) {
  glyph_->ReleaseImages();
  glyph_->PrepareStateImage(state_);
}

// Mouse.

void TSpeedButton::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TAliveGuard guard(this);
  TGraphicControl::HandleMouseDown(button, shift, x, y);
  if (!guard.Alive() || button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    RepaintNow();
  }
  pressing_ = true;
}

void TSpeedButton::HandleMouseMove(TShiftState shift, int x, int y) {
  TAliveGuard guard(this);
  TGraphicControl::HandleMouseMove(shift, x, y);
  if (!guard.Alive() || !pressing_) return;
  TButtonState state = bsUp;
  if (down_)
    state = bsExclusive;
  else if (x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight())
    state = bsDown;
  if (state != state_) {
    state_ = state;
    RepaintNow();
  }
}

void TSpeedButton::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TAliveGuard guard(this);
  TGraphicControl::HandleMouseUp(button, shift, x, y);
  if (!guard.Alive() || !pressing_) return;
  pressing_ = false;
  const bool click = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
  state_ = bsUp;
  if (groupIndex_ == 0) {
    RepaintNow();
  } else if (click) {
    SetDown(!down_);
    // A down button of a group that does not allow all up stays down: it keeps its look.
    if (down_ && state_ != bsExclusive) {
      state_ = bsExclusive;
      RepaintNow();
    }
  } else {
    if (down_) state_ = bsExclusive;
    RepaintNow();
  }
  if (click) FireClick();
}

// Painting.

RECT TSpeedButton::PaintButtonFrame(RECT rect, bool sunken) {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetBitmap(nullptr);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->Brush()->SetStyle(bsSolid);
  const RECT given = rect;
  HDC dc = canvas->Handle();
  if (sunken) {
    DrawEdge(dc, &rect, BDR_SUNKENINNER, BF_TOPLEFT);
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_BOTTOMRIGHT);
    --rect.right;
    --rect.bottom;
    ++rect.left;
    ++rect.top;
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_TOPLEFT | BF_MIDDLE);
  } else {
    DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
    --rect.right;
    --rect.bottom;
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_TOPLEFT);
    ++rect.left;
    ++rect.top;
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_MIDDLE);
  }
  // Pressed, the content moves one pixel right and down.
  const int shift = sunken ? 1 : 0;
  return RECT{given.left + 1 + shift, given.top + 1 + shift, given.right - 2 + shift,
              given.bottom - 2 + shift};
}

void TSpeedButton::PaintSelf() {
  if (!Enabled() && !InDesignMode()) {
    state_ = bsDisabled;
    pressing_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
  }
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  RECT inner =
      PaintButtonFrame(RECT{0, 0, Width(), Height()}, state_ == bsDown || state_ == bsExclusive);
  if (state_ == bsExclusive) {
    canvas->Brush()->SetBitmap(DitherPattern());
    --inner.right;
    --inner.bottom;
    canvas->FillRect(inner);
  }
  glyph_->PaintContent(canvas, inner, Caption(), layout_, margin_, spacing_, state_);
}
