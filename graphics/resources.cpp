// The shared resources of fonts, pens and brushes, and the three graphic objects.
#include <cstring>

#include "graphics/bitmap.h"
#include "graphics/module.h"

using graphics_detail::Graphics;

TResourceManager::TResourceManager(int dataSize) : dataSize_(dataSize) {}

std::uint16_t TResourceManager::Hash(const void* record, int size) {
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::uint16_t hash = 0;
  for (int i = 0; i < size; ++i) {
    hash = static_cast<std::uint16_t>((hash << 5) | (hash >> 11));
    hash ^= bytes[i];
  }
  return hash;
}

TResource* TResourceManager::Acquire(const void* record) {
  const std::uint16_t hash = Hash(record, dataSize_);
  const auto size = static_cast<std::size_t>(dataSize_);
  for (TResource* resource = first_; resource != nullptr; resource = resource->Next) {
    if (resource->HashCode == hash && std::memcmp(&resource->Font, record, size) == 0) {
      ++resource->RefCount;
      return resource;
    }
  }
  auto* resource = new TResource;
  std::memcpy(&resource->Font, record, size);
  // Every record starts with its handle field.
  std::memcpy(&resource->Handle, record, sizeof resource->Handle);
  resource->HashCode = hash;
  resource->Next = first_;
  resource->RefCount = 1;
  first_ = resource;
  return resource;
}

void TResourceManager::Release(TResource* resource) {
  if (resource == nullptr || --resource->RefCount > 0) return;
  if (resource->Handle != nullptr) DeleteObject(resource->Handle);
  TResource** link = &first_;
  while (*link != nullptr && *link != resource) link = &(*link)->Next;
  if (*link != nullptr) *link = resource->Next;
  delete resource;
}

int TResourceManager::Count() const {
  int count = 0;
  for (TResource* resource = first_; resource != nullptr; resource = resource->Next) ++count;
  return count;
}

TResourceManager& FontManager() { return Graphics().fonts; }
TResourceManager& PenManager() { return Graphics().pens; }
TResourceManager& BrushManager() { return Graphics().brushes; }

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TGraphicsObject)

TGraphicsObject::TGraphicsObject(TResourceManager& manager, const void* record)
    : manager_(manager), resource_(manager.Acquire(record)) {}

TGraphicsObject::~TGraphicsObject() { manager_.Release(resource_); }

void TGraphicsObject::Changed() {
  if (changeDepth_ > 0) {
    changePending_ = true;
    return;
  }
  OnChange(this);
}

void TGraphicsObject::EndChanges() {
  if (--changeDepth_ > 0 || !changePending_) return;
  changePending_ = false;
  Changed();
}

void TGraphicsObject::ChangeRecord(const void* record) { TakeResource(manager_.Acquire(record)); }

void TGraphicsObject::ShareResource(TResource* resource) {
  ++resource->RefCount;
  TakeResource(resource);
}

void TGraphicsObject::TakeResource(TResource* acquired) {
  TResource* old = resource_;
  resource_ = acquired;
  try {
    if (resource_ != old) Changed();
  } catch (...) {
    manager_.Release(old);
    throw;
  }
  manager_.Release(old);
}

// Fonts.

TD_IMPLEMENT_CLASS(TFont)
void TFont::Describe(Describer& d) {
  static const TTypeInfo nameType = MakeShortStringType("TFontName", 31);
  d.Property("Charset", &TFont::Charset, &TFont::SetCharset).Type(CharsetType());
  d.Property("Color", &TFont::Color, &TFont::SetColor).Type(ColorType());
  d.Property("Height", &TFont::Height, &TFont::SetHeight);
  d.Property("Name", &TFont::Name, &TFont::SetName).Type(nameType);
  d.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  d.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  d.Property("Style", &TFont::Style, &TFont::SetStyle);
}

TFont::TFont()
    : TGraphicsObject(Graphics().fonts, &Graphics().defaultFont),
      pixelsPerInch_(Graphics().screenPixelsPerInch) {}

TFontData TFont::Record() const {
  TFontData record = resource_->Font;
  record.Handle = nullptr;
  return record;
}

HFONT TFont::Handle() {
  if (resource_->Handle == nullptr) {
    const TFontData& data = resource_->Font;
    LOGFONTA font{};
    font.lfHeight = data.Height;
    const TFontStyles style = Style();
    font.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.Contains(fsItalic) ? 1 : 0;
    font.lfUnderline = style.Contains(fsUnderline) ? 1 : 0;
    font.lfStrikeOut = style.Contains(fsStrikeOut) ? 1 : 0;
    font.lfCharSet = data.Charset;
    font.lfPitchAndFamily = data.Pitch == fpVariable ? VARIABLE_PITCH
                            : data.Pitch == fpFixed  ? FIXED_PITCH
                                                     : DEFAULT_PITCH;
    std::string name = Name();
    std::memcpy(font.lfFaceName, name.data(), name.size());
    resource_->Handle = CreateFontIndirectA(&font);
  }
  return static_cast<HFONT>(resource_->Handle);
}

void TFont::CopyFrom(TPersistent* source) {
  auto* font = dynamic_cast<TFont*>(source);
  if (font == nullptr) {
    TGraphicsObject::CopyFrom(source);
    return;
  }
  BeginChanges();
  ShareResource(font->resource_);
  SetColor(font->color_);
  // At another density the font keeps its size in points, not in pixels.
  if (pixelsPerInch_ != font->pixelsPerInch_) SetSize(font->Size());
  EndChanges();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetHeight(std::int32_t height) {
  TFontData record = Record();
  record.Height = height;
  ChangeRecord(&record);
}

std::string TFont::Name() const {
  const char* field = resource_->Font.Name;
  std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(field[0]), 31);
  return std::string(field + 1, length);
}

void TFont::SetName(const std::string& name) {
  TFontData record = Record();
  graphics_detail::StoreName(record.Name, name);
  ChangeRecord(&record);
}

void TFont::SetPitch(TFontPitch pitch) {
  TFontData record = Record();
  record.Pitch = pitch;
  ChangeRecord(&record);
}

std::int32_t TFont::Size() const { return -MulDiv(Height(), 72, pixelsPerInch_); }

void TFont::SetSize(std::int32_t size) { SetHeight(-MulDiv(size, pixelsPerInch_, 72)); }

void TFont::SetStyle(TFontStyles style) {
  TFontData record = Record();
  record.Style = static_cast<std::uint8_t>(style.Bits() & 0x0F);
  ChangeRecord(&record);
}

void TFont::SetCharset(TFontCharset charset) {
  TFontData record = Record();
  record.Charset = charset;
  ChangeRecord(&record);
}

// Pens.

namespace {
constexpr TPenData kDefaultPen{nullptr, clBlack, 1, psSolid};
constexpr TBrushData kDefaultBrush{nullptr, clWhite, nullptr, bsSolid};
}  // namespace

TD_IMPLEMENT_CLASS(TPen)
void TPen::Describe(Describer& d) {
  d.Property("Color", &TPen::Color, &TPen::SetColor).Type(ColorType()).Default(clBlack);
  d.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  d.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  d.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

TPen::TPen() : TGraphicsObject(Graphics().pens, &kDefaultPen) {}

TPenData TPen::Record() const {
  TPenData record = resource_->Pen;
  record.Handle = nullptr;
  return record;
}

HPEN TPen::Handle() {
  if (resource_->Handle == nullptr) {
    const TPenData& data = resource_->Pen;
    LOGPEN pen{data.Style, POINT{data.Width, 0}, ColorToRGB(data.Color)};
    resource_->Handle = CreatePenIndirect(&pen);
  }
  return static_cast<HPEN>(resource_->Handle);
}

void TPen::CopyFrom(TPersistent* source) {
  auto* pen = dynamic_cast<TPen*>(source);
  if (pen == nullptr) {
    TGraphicsObject::CopyFrom(source);
    return;
  }
  BeginChanges();
  ShareResource(pen->resource_);
  SetMode(pen->mode_);
  EndChanges();
}

void TPen::SetColor(TColor color) {
  TPenData record = Record();
  record.Color = color;
  ChangeRecord(&record);
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  TPenData record = Record();
  record.Style = style;
  ChangeRecord(&record);
}

void TPen::SetWidth(std::int32_t width) {
  if (width < 0) return;
  TPenData record = Record();
  record.Width = width;
  ChangeRecord(&record);
}

// Brushes.

TD_IMPLEMENT_CLASS(TBrush)
void TBrush::Describe(Describer& d) {
  d.Property("Color", &TBrush::Color, &TBrush::SetColor).Type(ColorType()).Default(clWhite);
  d.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

TBrush::TBrush() : TGraphicsObject(Graphics().brushes, &kDefaultBrush) {}

TBrushData TBrush::Record() const {
  TBrushData record = resource_->Brush;
  record.Handle = nullptr;
  return record;
}

HBRUSH TBrush::Handle() {
  if (resource_->Handle == nullptr) {
    const TBrushData& data = resource_->Brush;
    if (data.Bitmap != nullptr) {
      resource_->Handle = CreatePatternBrush(data.Bitmap->Handle());
    } else {
      LOGBRUSH brush{BS_SOLID, ColorToRGB(data.Color), 0};
      if (data.Style == bsClear) {
        brush.lbStyle = BS_NULL;
      } else if (data.Style != bsSolid) {
        brush.lbStyle = BS_HATCHED;
        brush.lbHatch = static_cast<ULONG_PTR>(data.Style - 2);
      }
      resource_->Handle = CreateBrushIndirect(&brush);
    }
  }
  return static_cast<HBRUSH>(resource_->Handle);
}

void TBrush::CopyFrom(TPersistent* source) {
  auto* brush = dynamic_cast<TBrush*>(source);
  if (brush == nullptr) {
    TGraphicsObject::CopyFrom(source);
    return;
  }
  ShareResource(brush->resource_);
}

void TBrush::SetBitmap(TBitmap* bitmap) {
  TBrushData record = Record();
  record.Bitmap = bitmap;
  ChangeRecord(&record);
}

void TBrush::SetColor(TColor color) {
  TBrushData record = Record();
  record.Color = color;
  if (record.Style == bsClear) record.Style = bsSolid;
  ChangeRecord(&record);
}

void TBrush::SetStyle(TBrushStyle style) {
  TBrushData record = Record();
  record.Style = style;
  if (style == bsClear) record.Color = clWhite;
  ChangeRecord(&record);
}
