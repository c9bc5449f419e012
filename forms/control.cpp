// TControl: messages, caption text, settings pushed down from the parent, geometry,
// alignment requests and the painting of windowless controls. Mouse input lives in
// control_mouse.cpp, canvases in control_canvas.cpp.
#include "forms/control.h"

#include <cstring>

#include "classes/reader.h"
#include "forms/bridges.h"
#include "forms/drag.h"
#include "forms/form.h"
#include "forms/wincontrol.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

TAliveGuard* aliveGuards = nullptr;

}  // namespace

TAliveGuard::TAliveGuard(TControl* control) : control_(control), next_(aliveGuards) {
  aliveGuards = this;
}

TAliveGuard::~TAliveGuard() {
  // Guards are stack objects of one thread, so they end in the reverse order of their start.
  aliveGuards = next_;
}

TD_IMPLEMENT_CLASS(TControl)
void TControl::Describe(Describer& d) {
  d.Property("Left", &TControl::Left, &TControl::SetLeft);
  d.Property("Top", &TControl::Top, &TControl::SetTop);
  d.Property("Width", &TControl::Width, &TControl::SetWidth);
  d.Property("Height", &TControl::Height, &TControl::SetHeight);
  d.Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
      .Type(CursorType())
      .Default(crDefault);
  d.Property("Hint", &TControl::Hint, &TControl::SetHint);
  d.Message(WM_LBUTTONDOWN, &TControl::WMLButtonDown);
  d.Message(WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk);
  d.Message(WM_RBUTTONDOWN, &TControl::WMRButtonDown);
  d.Message(WM_RBUTTONDBLCLK, &TControl::WMRButtonDblClk);
  d.Message(WM_MBUTTONDOWN, &TControl::WMMButtonDown);
  d.Message(WM_MBUTTONDBLCLK, &TControl::WMMButtonDblClk);
  d.Message(WM_MOUSEMOVE, &TControl::WMMouseMove);
  d.Message(WM_LBUTTONUP, &TControl::WMLButtonUp);
  d.Message(WM_RBUTTONUP, &TControl::WMRButtonUp);
  d.Message(WM_MBUTTONUP, &TControl::WMMButtonUp);
  d.Message(WM_NCLBUTTONDOWN, &TControl::WMNCLButtonDown);
  d.Message(WM_CANCELMODE, &TControl::WMCancelMode);
  d.Message(FM_PARENT_COLOR_CHANGED, &TControl::FMParentColorChanged);
  d.Message(FM_PARENT_FONT_CHANGED, &TControl::FMParentFontChanged);
  d.Message(FM_PARENT_SHOW_HINT_CHANGED, &TControl::FMParentShowHintChanged);
  d.Message(FM_ENABLED_CHANGED, &TControl::FMRepaintOnChange);
  d.Message(FM_FONT_CHANGED, &TControl::FMRepaintOnChange);
  d.Message(FM_COLOR_CHANGED, &TControl::FMRepaintOnChange);
  d.Message(FM_VISIBLE_CHANGED, &TControl::FMVisibleChanged);
  d.Message(FM_HIT_TEST, &TControl::FMHitTest);
  d.Message(FM_MOUSE_ENTER, &TControl::FMMouseEnterLeave);
  d.Message(FM_MOUSE_LEAVE, &TControl::FMMouseEnterLeave);
  d.Message(FM_DESIGN_HIT_TEST, &TControl::FMDesignHitTest);
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  MessageEntry = TEvent<TMessage&>(this, &TControl::MessageProc);
  font_ = std::make_unique<TFont>();
  fontHeight_ = font_->Height();
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
}

TControl::~TControl() {
  BeginDestruction();
  ForgetControl(this);
  ApplicationBridge().ControlDestroyed(this);
  for (TAliveGuard* guard = aliveGuards; guard != nullptr; guard = guard->next_)
    if (guard->control_ == this) guard->control_ = nullptr;
  font_->OnChange = nullptr;
  if (parent_ != nullptr) SetParent(nullptr);
}

LRESULT TControl::Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  MessageEntry(message);
  return message.Result;
}

LRESULT Deliver(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam) {
  return control == nullptr ? 0 : control->Deliver(msg, wParam, lParam);
}

void TControl::MessageProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MBUTTONDBLCLK) {
    if ((styleFlags_ & csDoubleClicks) == 0) {
      if (message.Msg == WM_LBUTTONDBLCLK) message.Msg = WM_LBUTTONDOWN;
      if (message.Msg == WM_RBUTTONDBLCLK) message.Msg = WM_RBUTTONDOWN;
      if (message.Msg == WM_MBUTTONDBLCLK) message.Msg = WM_MBUTTONDOWN;
    }
    switch (message.Msg) {
      case WM_MOUSEMOVE:
        ApplicationBridge().HintMouseMessage(this, message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (dragMode_ == dmAutomatic && !InDesignMode()) {
          StartDragging(true);
          return;
        }
        stateFlags_ |= stLButtonDown;
        break;
      case WM_LBUTTONUP:
        stateFlags_ &= static_cast<BYTE>(~stLButtonDown);
        break;
      default:
        break;
    }
  }
  RouteMessage(message);
}

void TControl::DefaultMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(message.LParam);
      if (text == nullptr || *text == '\0')
        text_.reset();
      else
        text_ = std::make_unique<std::string>(text);
      message.Result = TRUE;
      break;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(message.LParam);
      if (buffer == nullptr || message.WParam == 0) {
        message.Result = 0;
        break;
      }
      std::size_t length = text_ ? text_->size() : 0;
      if (length > message.WParam - 1) length = message.WParam - 1;
      if (length > 0) std::memcpy(buffer, text_->data(), length);
      buffer[length] = '\0';
      message.Result = static_cast<LRESULT>(length);
      break;
    }
    case WM_GETTEXTLENGTH:
      message.Result = text_ ? static_cast<LRESULT>(text_->size()) : 0;
      break;
    default:
      break;
  }
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation(LoadStr(61507));
  if (parent_ != nullptr) parent_->RemoveControl(this);
  if (parent != nullptr) parent->InsertControl(this);
}

TComponent* TControl::StoredParent() { return parent_; }
bool TControl::IsStoredInParent() { return parent_ != nullptr; }
void TControl::AttachToParent(TComponent* parent) { SetParent(dynamic_cast<TWinControl*>(parent)); }

void TControl::ReadContents(TFiler& filer) {
  stateFlags_ |= stReadingState;
  try {
    auto* reader = dynamic_cast<TReader*>(&filer);
    if (reader != nullptr) {
      if (auto* parent = dynamic_cast<TWinControl*>(reader->CurrentParent()); parent != nullptr)
        SetParent(parent);
    }
    TComponent::ReadContents(filer);
  } catch (...) {
    stateFlags_ &= static_cast<BYTE>(~stReadingState);
    throw;
  }
  stateFlags_ &= static_cast<BYTE>(~stReadingState);
  if (parent_ != nullptr) {
    Deliver(FM_PARENT_COLOR_CHANGED);
    Deliver(FM_PARENT_FONT_CHANGED);
    Deliver(FM_PARENT_SHOW_HINT_CHANGED);
  }
}

void TControl::SetName(const std::string& newName) {
  bool follow = false;
  if ((styleFlags_ & csSetCaption) != 0) {
    auto* ownerControl = dynamic_cast<TControl*>(Owner());
    bool ownerLoading = ownerControl != nullptr && ownerControl->IsLoading();
    follow = !ownerLoading && Caption() == Name();
  }
  TComponent::SetName(newName);
  if (follow) SetCaption(newName);
}

void TControl::ComponentNotice(TComponent* component, TOperation operation) {
  TComponent::ComponentNotice(component, operation);
  if (operation == Removed && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::DeclareStoredData(TFiler& filer) {
  TComponent::DeclareStoredData(filer);
  filer.DeclareEntry(
      "IsControl", [this](TFiler& reader) { isControl_ = reader.ReadBool(); }, nullptr, isControl_);
}

// Geometry.

void TControl::SetLeft(int value) {
  ChangeBounds(ClampCoordinate(value), top_, width_, height_);
  scalingFlags_ |= 0x01;
}
void TControl::SetTop(int value) {
  ChangeBounds(left_, ClampCoordinate(value), width_, height_);
  scalingFlags_ |= 0x02;
}
void TControl::SetWidth(int value) {
  ChangeBounds(left_, top_, ClampCoordinate(value), height_);
  scalingFlags_ |= 0x04;
}
void TControl::SetHeight(int value) {
  ChangeBounds(left_, top_, width_, ClampCoordinate(value));
  scalingFlags_ |= 0x08;
}

void TControl::SetBoundsRect(const RECT& rect) {
  ChangeBounds(ClampCoordinate(rect.left), ClampCoordinate(rect.top),
               ClampCoordinate(std::int64_t{rect.right} - rect.left),
               ClampCoordinate(std::int64_t{rect.bottom} - rect.top));
}

void TControl::ChangeBounds(int left, int top, int width, int height) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  width = ClampCoordinate(width);
  height = ClampCoordinate(height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  InvalidateInParent(visible_, false);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  ScheduleRepaint();
  Deliver(WM_WINDOWPOSCHANGED);
  RequestAlign();
}

RECT TControl::ClientRect() { return RECT{0, 0, width_, height_}; }

void TControl::SetClientWidth(int value) {
  ChangeBounds(left_, top_,
               ClampCoordinate(std::int64_t{width_} - ClientRect().right + ClampCoordinate(value)),
               height_);
}
void TControl::SetClientHeight(int value) {
  ChangeBounds(
      left_, top_, width_,
      ClampCoordinate(std::int64_t{height_} - ClientRect().bottom + ClampCoordinate(value)));
}

POINT TControl::ClientOrigin() {
  if (parent_ == nullptr) throw EInvalidOperation(FmtLoadStr(61487, Name()));
  POINT origin = parent_->ClientOrigin();
  origin.x += left_;
  origin.y += top_;
  return origin;
}

POINT TControl::ClientToScreen(POINT point) {
  POINT origin = ClientOrigin();
  return POINT{point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) {
  POINT origin = ClientOrigin();
  return POINT{point.x - origin.x, point.y - origin.y};
}

namespace {

// Exact product divided with rounding to nearest, as the platform's multiply-divide.
int ScaleBy(int value, int numerator, int denominator) {
  std::int64_t product = static_cast<std::int64_t>(value) * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  std::int64_t result =
      product >= 0 ? (product + divisor / 2) / divisor : -((-product + divisor / 2) / divisor);
  return static_cast<int>(result);
}

}  // namespace

void TControl::Rescale(int numerator, int denominator) {
  if (numerator == denominator || denominator == 0) return;
  BYTE flags = 0x1F;
  if (auto* owner = Owner(); owner != nullptr && owner->ComponentState().Contains(Loading))
    flags = scalingFlags_;
  int left = left_, top = top_, width = width_, height = height_;
  if ((flags & 0x01) != 0) left = ScaleBy(left_, numerator, denominator);
  if ((flags & 0x02) != 0) top = ScaleBy(top_, numerator, denominator);
  if ((styleFlags_ & csFixedWidth) == 0 && (flags & 0x04) != 0)
    width = ScaleBy(left_ + width_, numerator, denominator) - left;
  if ((styleFlags_ & csFixedHeight) == 0 && (flags & 0x08) != 0)
    height = ScaleBy(top_ + height_, numerator, denominator) - top;
  ChangeBounds(left, top, width, height);
  if (!parentFont_ && (flags & 0x10) != 0)
    font_->SetSize(ScaleBy(font_->Size(), numerator, denominator));
  scalingFlags_ = 0;
}

void TControl::SetAlign(TAlign value) {
  TAlign old = align_;
  align_ = value;
  if (!IsLoading()) {
    auto horizontal = [](TAlign a) { return a == alTop || a == alBottom; };
    auto vertical = [](TAlign a) { return a == alLeft || a == alRight; };
    if ((horizontal(old) && vertical(value)) || (vertical(old) && horizontal(value)))
      ChangeBounds(left_, top_, height_, width_);
  }
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ != nullptr) parent_->AlignControlsAround(this);
}

// Settings.

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  VisibleChanging();
  visible_ = value;
  Deliver(FM_VISIBLE_CHANGED, value ? 1 : 0);
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Deliver(FM_ENABLED_CHANGED);
}

std::string TControl::Caption() {
  auto length = static_cast<std::size_t>(Deliver(WM_GETTEXTLENGTH));
  if (length == 0) return {};
  std::string text(length + 1, '\0');
  auto copied = static_cast<std::size_t>(
      Deliver(WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied < length ? copied : length);
  return text;
}

void TControl::SetCaption(const std::string& value) {
  if (Caption() == value) return;
  Deliver(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Deliver(FM_TEXT_CHANGED);
}

void TControl::SetFont(TFont* value) { font_->CopyFrom(value); }

void TControl::FontChanged(TObject*) {
  parentFont_ = false;
  if (font_->Height() != fontHeight_) {
    scalingFlags_ |= 0x10;
    fontHeight_ = font_->Height();
  }
  Deliver(FM_FONT_CHANGED);
}

void TControl::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  parentColor_ = false;
  Deliver(FM_COLOR_CHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (parent_ != nullptr) Deliver(FM_PARENT_FONT_CHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (parent_ != nullptr) Deliver(FM_PARENT_COLOR_CHANGED);
}

void TControl::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  parentShowHint_ = false;
  Deliver(FM_SHOW_HINT_CHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == parentShowHint_) return;
  parentShowHint_ = value;
  if (parent_ != nullptr) Deliver(FM_PARENT_SHOW_HINT_CHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Deliver(FM_CURSOR_CHANGED);
}

void TControl::SetDragMode(TDragMode value) { dragMode_ = value; }

void TControl::SetPopupMenuComponent(TComponent* menu) {
  popupMenu_ = menu;
  if (menu != nullptr) WatchRemoval(menu);
}

void TControl::FMParentColorChanged(TMessage&) {
  if (parentColor_ && parent_ != nullptr) {
    SetColor(parent_->Color());
    parentColor_ = true;
  }
}

void TControl::FMParentFontChanged(TMessage&) {
  if (parentFont_ && parent_ != nullptr) {
    SetFont(parent_->Font());
    parentFont_ = true;
  }
}

void TControl::FMParentShowHintChanged(TMessage&) {
  if (parentShowHint_ && parent_ != nullptr) {
    SetShowHint(parent_->ShowHint());
    parentShowHint_ = true;
  }
}

void TControl::FMRepaintOnChange(TMessage&) { ScheduleRepaint(); }

void TControl::FMVisibleChanged(TMessage&) {
  if (!InDesignMode() || (styleFlags_ & csNoDesignVisible) != 0)
    InvalidateInParent(true, visible_ && (styleFlags_ & csOpaque) != 0);
}

void TControl::FMHitTest(TMessage& message) { message.Result = 1; }

void TControl::FMMouseEnterLeave(TMessage& message) {
  if (parent_ != nullptr) parent_->Deliver(message.Msg, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::FMDesignHitTest(TMessage& message) { message.Result = 0; }

// Painting of windowless controls (TWinControl overrides these).

void TControl::InvalidateInParent(bool visible, bool opaque) {
  bool shown = visible || (InDesignMode() && (styleFlags_ & csNoDesignVisible) == 0);
  if (!shown || parent_ == nullptr || !parent_->HasWindow()) return;
  RECT rect = BoundsRect();
  bool erase = !(opaque || (parent_->StyleFlags() & csOpaque) != 0 ||
                 parent_->CoveredByEarlierSibling(this));
  InvalidateRect(parent_->Handle(), &rect, erase ? TRUE : FALSE);
}

void TControl::ScheduleRepaint() { InvalidateInParent(visible_, (styleFlags_ & csOpaque) != 0); }

void TControl::RepaintNow() {
  bool shown = visible_ || (InDesignMode() && (styleFlags_ & csNoDesignVisible) == 0);
  if (!shown || parent_ == nullptr || !parent_->HasWindow()) return;
  if ((styleFlags_ & csOpaque) != 0) {
    HDC dc = GetDC(parent_->Handle());
    int saved = SaveDC(dc);
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    try {
      parent_->PaintControls(dc, this);
    } catch (...) {
      RestoreDC(dc, saved);
      ReleaseDC(parent_->Handle(), dc);
      throw;
    }
    RestoreDC(dc, saved);
    ReleaseDC(parent_->Handle(), dc);
  } else {
    ScheduleRepaint();
    FlushRepaint();
  }
}

void TControl::FlushRepaint() {
  if (parent_ != nullptr) parent_->FlushRepaint();
}

HDC TControl::AcquireDrawingContext(HWND& window) {
  if (parent_ == nullptr) throw EInvalidOperation(FmtLoadStr(61487, Name()));
  HDC dc = parent_->AcquireDrawingContext(window);
  SetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  return dc;
}

bool TControl::PaletteNotice(bool foreground) {
  HPALETTE palette = PaletteQuery();
  if (palette == nullptr || !visible_ || parent_ == nullptr || !parent_->HasWindow()) return false;
  HWND window = parent_->Handle();
  HDC dc = GetDC(window);
  HPALETTE old = SelectPalette(dc, palette, foreground ? FALSE : TRUE);
  if (RealizePalette(dc) != 0) ScheduleRepaint();
  SelectPalette(dc, old, TRUE);
  ReleaseDC(window, dc);
  return true;
}

void TControl::MoveInZOrder(bool topmost) {
  if (parent_ != nullptr) parent_->MoveWindowlessChild(this, topmost);
}
