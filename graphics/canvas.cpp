// The canvas: lazy selection of font, pen and brush, and the drawing operations.
#include <algorithm>

#include "graphics/bitmap.h"
#include "graphics/module.h"
#include "runtime/text.h"

using graphics_detail::Graphics;

namespace {

constexpr int kCanvasCannotDraw = 61475;

constexpr TCanvasState kHandle{csHandleValid};
constexpr TCanvasState kObjects{csFontValid, csPenValid, csBrushValid};

constexpr int kPenModes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                             R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                             R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                             R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};

// Puts the brush where the mask is 1 and keeps the destination where it is 0.
constexpr DWORD kBrushWhereMaskSet = 0x00E20746;

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TCanvas)

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()) {
  font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  Graphics().canvases.push_back(this);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  auto& canvases = Graphics().canvases;
  canvases.erase(std::remove(canvases.begin(), canvases.end(), this), canvases.end());
}

void TCanvas::Changing() { OnChanging(this); }

void TCanvas::Changed() { OnChange(this); }

void TCanvas::RequiredState(TCanvasState required) {
  TCanvasState needed = required - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (handle_ == nullptr) throw EInvalidOperation(LoadStr(kCanvasCannotDraw));
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) {
    SelectPen();
    // Dashes show the background colour in their gaps, which the brush sets.
    if (pen_->Style() >= psDash && pen_->Style() <= psDashDotDot) needed.Include(csBrushValid);
  }
  if (needed.Contains(csBrushValid) && !state_.Contains(csBrushValid)) SelectBrush();
  state_ = state_ + needed;
}

void TCanvas::SelectFont() {
  SelectObject(handle_, font_->Handle());
  SetTextColor(handle_, ColorToRGB(font_->Color()));
}

void TCanvas::SelectPen() {
  SelectObject(handle_, pen_->Handle());
  SetROP2(handle_, kPenModes[std::min<int>(pen_->Mode(), pmNotXor)]);
}

void TCanvas::SelectBrush() {
  HBRUSH brush = brush_->Handle();
  UnrealizeObject(brush);
  SelectObject(handle_, brush);
  COLORREF color = ColorToRGB(brush_->Color());
  if (brush_->Style() != bsSolid) {
    SetBkColor(handle_, ~color & 0xFFFFFF);
    SetBkMode(handle_, TRANSPARENT);
  } else {
    SetBkColor(handle_, color);
    SetBkMode(handle_, OPAQUE);
  }
}

void TCanvas::DeselectAll() {
  if (handle_ == nullptr || (state_ * kObjects).Empty()) return;
  const auto& graphics = Graphics();
  SelectObject(handle_, graphics.stockPen);
  SelectObject(handle_, graphics.stockBrush);
  SelectObject(handle_, graphics.stockFont);
  state_ = state_ - kObjects;
}

void TCanvas::FontChanged(TObject*) {
  if (state_.Contains(csFontValid)) {
    state_.Exclude(csFontValid);
    SelectObject(handle_, Graphics().stockFont);
  }
}

void TCanvas::PenChanged(TObject*) {
  if (state_.Contains(csPenValid)) {
    state_.Exclude(csPenValid);
    SelectObject(handle_, Graphics().stockPen);
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (state_.Contains(csBrushValid)) {
    state_.Exclude(csBrushValid);
    SelectObject(handle_, Graphics().stockBrush);
  }
}

HDC TCanvas::Handle() {
  Changing();
  RequiredState(kHandle + kObjects);
  return handle_;
}

void TCanvas::SetHandle(HDC handle) {
  if (handle == handle_) return;
  if (handle_ != nullptr) {
    DeselectAll();
    GetCurrentPositionEx(handle_, &penPos_);
    handle_ = nullptr;
    state_.Exclude(csHandleValid);
  }
  if (handle != nullptr) {
    state_.Include(csHandleValid);
    handle_ = handle;
    MoveToEx(handle_, penPos_.x, penPos_.y, nullptr);
  }
}

void TCanvas::SetFont(TFont* font) { font_->CopyFrom(font); }
void TCanvas::SetPen(TPen* pen) { pen_->CopyFrom(pen); }
void TCanvas::SetBrush(TBrush* brush) { brush_->CopyFrom(brush); }

POINT TCanvas::PenPos() {
  RequiredState(kHandle);
  POINT position{0, 0};
  GetCurrentPositionEx(handle_, &position);
  return position;
}

void TCanvas::FillRect(const RECT& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(handle_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(handle_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(kHandle);
  MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::LineTo(handle_, x, y);
  Changed();
}

void TCanvas::Polyline(const POINT* points, int lastIndex) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(handle_, points, lastIndex + 1);
  Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(handle_, left, top, right, bottom);
  Changed();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(handle_, left, top, right, bottom);
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
  TextOutA(handle_, x, y, text.data(), length);
  MoveToEx(handle_, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(handle_, x, y, options, &rect, text.data(),
              static_cast<UINT>(std::min<std::size_t>(text.size(), 0x7FFFFFFF)), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size{0, 0};
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
  if (!GetTextExtentPointA(handle_, text.data(), length, &size)) size = SIZE{0, 0};
  return size;
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState(kHandle);
  return static_cast<TColor>(GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(handle_, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
             canvas->handle_, source.left, source.top, source.right - source.left,
             source.bottom - source.top, copyMode_);
  Changed();
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color) {
  Changing();
  RequiredState(kHandle);
  const int width = source.right - source.left;
  const int height = source.bottom - source.top;
  TBitmap& mask = graphics_detail::BrushCopyMask(width, height);
  TCanvas* maskCanvas = mask.Canvas();
  TCanvas* bitmapCanvas = bitmap->Canvas();
  maskCanvas->RequiredState(kHandle);
  bitmapCanvas->RequiredState(kHandle);
  HDC bitmapDc = bitmapCanvas->handle_;
  const COLORREF background = SetBkColor(bitmapDc, ColorToRGB(color));
  BitBlt(maskCanvas->handle_, 0, 0, width, height, bitmapDc, source.left, source.top, SRCCOPY);
  SetBkColor(bitmapDc, background);
  RequiredState({csHandleValid, csBrushValid});
  const int destWidth = dest.right - dest.left;
  const int destHeight = dest.bottom - dest.top;
  StretchBlt(handle_, dest.left, dest.top, destWidth, destHeight, bitmapDc, source.left, source.top,
             width, height, SRCCOPY);
  const COLORREF text = SetTextColor(handle_, 0x000000);
  const COLORREF back = SetBkColor(handle_, 0xFFFFFF);
  StretchBlt(handle_, dest.left, dest.top, destWidth, destHeight, maskCanvas->handle_, 0, 0, width,
             height, kBrushWhereMaskSet);
  SetTextColor(handle_, text);
  SetBkColor(handle_, back);
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (graphic == nullptr || graphic->IsBlank()) return;
  StretchDraw(RECT{x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
  if (graphic == nullptr || graphic->IsBlank()) return;
  Changing();
  RequiredState(kHandle);
  graphic->PaintOn(this, rect);
  Changed();
}

void RefreshSystemColors() {
  auto& graphics = Graphics();
  for (TCanvas* canvas : graphics.canvases) canvas->DeselectAll();
  for (TResourceManager* manager : {&graphics.pens, &graphics.brushes}) {
    for (TResource* resource = manager->First(); resource != nullptr; resource = resource->Next) {
      const TColor color = manager == &graphics.pens ? resource->Pen.Color : resource->Brush.Color;
      if (color < 0 && resource->Handle != nullptr) {
        DeleteObject(resource->Handle);
        resource->Handle = nullptr;
      }
    }
  }
}

std::span<TCanvas* const> LiveCanvases() { return Graphics().canvases; }
