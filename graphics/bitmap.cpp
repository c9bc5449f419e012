// TBitmap, its images and its canvas.
#include "graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/bitmap_file.h"
#include "graphics/module.h"

using namespace graphics_detail;

namespace {

constexpr UINT kBitmapClipboardFormat = 2;

// A bitmap lives in one memory context at a time: every other bitmap canvas that has it
// selected gives its context up.
void ReleaseCanvasesOf(HBITMAP handle, TBitmapCanvas* except = nullptr) {
  if (handle == nullptr) return;
  auto live = LiveBitmapCanvases();
  std::vector<TBitmapCanvas*> canvases(live.begin(), live.end());
  for (TBitmapCanvas* canvas : canvases) {
    if (canvas != except && canvas->SelectedBitmap() == handle) canvas->FreeContext();
  }
}

// A new platform bitmap of the given size and kind, white, with the top-left corner of
// source copied in unscaled (canvases holding source give it up for the copy).
HBITMAP CopyBitmap(HBITMAP source, std::int32_t width, std::int32_t height, bool monochrome) {
  HBITMAP copy = nullptr;
  if (monochrome) {
    copy = CreateBitmap(width, height, 1, 1, nullptr);
  } else {
    ScreenDC screen;
    if (screen.Get() != nullptr) copy = CreateCompatibleBitmap(screen.Get(), width, height);
  }
  if (copy == nullptr) OutOfResources();
  HDC target = CreateCompatibleDC(nullptr);
  HDC from = CreateCompatibleDC(nullptr);
  if (target == nullptr || from == nullptr) {
    if (target != nullptr) DeleteDC(target);
    if (from != nullptr) DeleteDC(from);
    DeleteObject(copy);
    OutOfResources();
  }
  HGDIOBJ oldTarget = SelectObject(target, copy);
  PatBlt(target, 0, 0, width, height, WHITENESS);
  if (source != nullptr) {
    ReleaseCanvasesOf(source);
    BITMAP info{};
    GetObjectA(source, sizeof info, &info);
    HGDIOBJ oldFrom = SelectObject(from, source);
    if (oldFrom != nullptr) {
      BitBlt(target, 0, 0, std::min(width, static_cast<std::int32_t>(info.bmWidth)),
             std::min(height, static_cast<std::int32_t>(info.bmHeight)), from, 0, 0, SRCCOPY);
      SelectObject(from, oldFrom);
    }
  }
  SelectObject(target, oldTarget);
  DeleteDC(from);
  DeleteDC(target);
  return copy;
}

}  // namespace

void TInternalImage::Release() {
  if (--RefCount <= 0) delete this;
}

TBitmapImage::~TBitmapImage() {
  if (Handle != nullptr) {
    ReleaseCanvasesOf(Handle);
    DeleteObject(Handle);
  }
  if (Palette != nullptr) DeleteObject(Palette);
}

std::span<TBitmapCanvas* const> LiveBitmapCanvases() { return Graphics().bitmapCanvases; }

// The bitmap canvas.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TBitmapCanvas)

TBitmapCanvas::TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  HBITMAP handle = bitmap_->Handle();
  ReleaseCanvasesOf(handle, this);
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) OutOfResources();
  if (handle != nullptr) {
    oldBitmap_ = SelectObject(dc, handle);
    selected_ = handle;
  }
  HPALETTE palette = bitmap_->image_->Palette;
  if (palette != nullptr && !bitmap_->IgnorePalette()) {
    oldPalette_ = SelectPalette(dc, palette, TRUE);
    RealizePalette(dc);
  }
  SetHandle(dc);
  Graphics().bitmapCanvases.push_back(this);
}

void TBitmapCanvas::FreeContext() {
  HDC dc = CurrentHandle();
  if (dc == nullptr) return;
  if (oldBitmap_ != nullptr) SelectObject(dc, oldBitmap_);
  if (oldPalette_ != nullptr) SelectPalette(dc, oldPalette_, TRUE);
  oldBitmap_ = nullptr;
  oldPalette_ = nullptr;
  selected_ = nullptr;
  SetHandle(nullptr);
  DeleteDC(dc);
  auto& canvases = Graphics().bitmapCanvases;
  canvases.erase(std::remove(canvases.begin(), canvases.end(), this), canvases.end());
}

void TBitmapCanvas::Changing() {
  bitmap_->CanvasChanging();
  TCanvas::Changing();
}

void TBitmapCanvas::Changed() {
  TCanvas::Changed();
  bitmap_->CanvasChanged();
}

// The bitmap.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TBitmap)

TBitmap::TBitmap() : image_(new TBitmapImage) { image_->Reference(); }

TBitmap::~TBitmap() {
  canvas_.reset();
  image_->Release();
}

void TBitmap::CopyFrom(TPersistent* source) {
  if (source == nullptr) {
    ReplaceImage(new TBitmapImage);
    Changed();
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(source);
  if (bitmap == nullptr) {
    TGraphic::CopyFrom(source);
    return;
  }
  if (bitmap->image_ != image_) ReplaceImage(bitmap->image_);
  Changed();
}

void TBitmap::ReplaceImage(TBitmapImage* image) {
  FreeContext();
  image->Reference();
  TBitmapImage* old = image_;
  image_ = image;
  old->Release();
}

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
  return canvas_.get();
}

HBITMAP TBitmap::Handle() {
  MakeBitmapHandle(*image_);
  return image_->Handle;
}

bool TBitmap::HandleAllocated() const { return image_->Handle != nullptr; }

void TBitmap::SetHandle(HBITMAP handle) {
  if (handle == image_->Handle) return;
  auto* image = new TBitmapImage;
  if (handle != nullptr) {
    BITMAP info{};
    if (GetObjectA(handle, sizeof info, &info) == 0) {
      delete image;
      InvalidBitmap();
    }
    image->Handle = handle;
    image->Width = info.bmWidth;
    image->Height = info.bmHeight;
    image->Monochrome = info.bmPlanes == 1 && info.bmBitsPixel == 1;
  }
  if (image_->RefCount == 1) {
    image->Palette = image_->Palette;
    image_->Palette = nullptr;
  } else {
    image->Palette = CopyPalette(image_->Palette);
  }
  ReplaceImage(image);
  Changed();
}

HPALETTE TBitmap::Palette() {
  MakeBitmapHandle(*image_);
  return image_->Palette;
}

bool TBitmap::Monochrome() const { return image_->Monochrome; }

void TBitmap::SetMonochrome(bool monochrome) {
  if (monochrome != image_->Monochrome) Resize(image_->Width, image_->Height, monochrome);
}

void TBitmap::SetIgnorePalette(bool ignore) {
  if (ignore == ignorePalette_) return;
  ignorePalette_ = ignore;
  FreeContext();
  Changed();
}

std::int32_t TBitmap::Width() const { return image_->Width; }
std::int32_t TBitmap::Height() const { return image_->Height; }

void TBitmap::SetWidth(std::int32_t width) {
  if (width != image_->Width) Resize(width, image_->Height, image_->Monochrome);
}

void TBitmap::SetHeight(std::int32_t height) {
  if (height != image_->Height) Resize(image_->Width, height, image_->Monochrome);
}

TBitmapImage* TBitmap::CopiedImage(std::int32_t width, std::int32_t height, bool monochrome) {
  MakeBitmapHandle(*image_);
  auto image = std::make_unique<TBitmapImage>();
  image->Width = width;
  image->Height = height;
  image->Monochrome = monochrome;
  if (width != 0 && height != 0) {
    image->Handle = CopyBitmap(image_->Handle, width, height, monochrome);
  }
  image->Palette = CopyPalette(image_->Palette);
  return image.release();
}

void TBitmap::Resize(std::int32_t width, std::int32_t height, bool monochrome) {
  ReplaceImage(CopiedImage(width, height, monochrome));
  Changed();
}

void TBitmap::CanvasChanging() {
  // Drawing changes the pixels: the bitmap needs an image of its own, and a stored form
  // would no longer match them.
  if (image_->RefCount > 1) {
    ReplaceImage(CopiedImage(image_->Width, image_->Height, image_->Monochrome));
  } else {
    MakeBitmapHandle(*image_);
  }
  if (image_->Handle != nullptr && image_->Stored) {
    image_->Stored.reset();
    image_->HeaderKind = TBitmapHeaderKind::None;
    image_->HeaderOffset = 0;
    image_->BitsOffset = 0;
  }
}

void TBitmap::CanvasChanged() { Changed(); }

TColor TBitmap::TransparentColor() {
  if (Monochrome()) return 0x02FFFFFF;
  return static_cast<TColor>(static_cast<std::uint32_t>(Canvas()->Pixels(0, Height() - 1)) |
                             0x02000000u);
}

void TBitmap::Dormant() {
  if (image_->Handle == nullptr) return;
  EnsureStoredForm();
  ReleaseCanvasesOf(image_->Handle);
  DeleteObject(image_->Handle);
  image_->Handle = nullptr;
  if (image_->Palette != nullptr) {
    DeleteObject(image_->Palette);
    image_->Palette = nullptr;
  }
}

void TBitmap::EnsureStoredForm() { BuildStoredForm(*image_); }

bool TBitmap::IsBlank() const { return image_->Handle == nullptr && !image_->Stored; }

bool TBitmap::SameImageAs(TGraphic* other) {
  auto* bitmap = dynamic_cast<TBitmap*>(other);
  if (bitmap != nullptr && bitmap->image_ == image_) return true;
  return TGraphic::SameImageAs(other);
}

void TBitmap::PaintOn(TCanvas* canvas, const RECT& rect) {
  if (IsBlank()) return;
  TCanvas* own = Canvas();
  own->RequiredState(TCanvasState{csHandleValid});
  canvas->RequiredState(TCanvasState{csHandleValid});
  HDC target = canvas->CurrentHandle();
  HPALETTE oldPalette = nullptr;
  if (image_->Palette != nullptr && !ignorePalette_) {
    oldPalette = SelectPalette(target, image_->Palette, TRUE);
    RealizePalette(target);
  }
  StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             own->CurrentHandle(), 0, 0, image_->Width, image_->Height, canvas->CopyMode());
  if (oldPalette != nullptr) SelectPalette(target, oldPalette, TRUE);
}

void TBitmap::ReadStoredData(TStream& stream) {
  std::uint8_t length[4];
  if (stream.Read(length, 4) != 4) InvalidBitmap();
  ReadFile(stream, Read32(length));
}

void TBitmap::WriteStoredData(TStream& stream) { WriteFile(stream, true); }

void TBitmap::LoadFrom(TStream& stream) {
  ReadFile(stream, static_cast<std::int64_t>(stream.Size()) - stream.Position());
}

void TBitmap::SaveTo(TStream& stream) { WriteFile(stream, false); }

void TBitmap::ReadFile(TStream& stream, std::int64_t length) {
  FreeContext();
  if (length == 0) {
    ReplaceImage(new TBitmapImage);
    Changed();
    return;
  }
  BitmapFile file = ReadBitmapFile(stream, length);
  auto* image = new TBitmapImage;
  image->Stored = std::move(file.stored);
  image->HeaderKind = file.kind;
  image->BitsOffset = file.bitsOffset;
  image->Width = file.width;
  image->Height = file.height;
  image->Monochrome = file.monochrome;
  ReplaceImage(image);
  Changed();
}

void TBitmap::WriteFile(TStream& stream, bool withLength) {
  EnsureStoredForm();
  TMemoryStream* stored = image_->Stored.get();
  const std::int64_t formSize = stored != nullptr ? stored->Size() - image_->HeaderOffset : 0;
  const std::uint32_t length = stored != nullptr ? static_cast<std::uint32_t>(formSize + 14) : 0;
  std::uint8_t bytes[4];
  if (withLength) {
    Write32(bytes, length);
    stream.WriteBuffer(bytes, 4);
  }
  if (length == 0) return;
  std::uint8_t header[14] = {'B', 'M'};
  Write32(header + 2, length);
  Write32(header + 10, static_cast<std::uint32_t>(image_->BitsOffset - image_->HeaderOffset + 14));
  stream.WriteBuffer(header, sizeof header);
  stream.WriteBuffer(static_cast<const std::uint8_t*>(stored->Memory()) + image_->HeaderOffset,
                     static_cast<Longint>(formSize));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  TResourceStream resource(instance, name, RT_BITMAP);
  const Longint size = resource.Size();
  TMemoryStream file;
  std::uint8_t header[14] = {'B', 'M'};
  Write32(header + 2, static_cast<std::uint32_t>(size + 14));
  std::uint32_t bitsOffset = 14;
  if (size >= 4) {
    const auto* p = static_cast<const std::uint8_t*>(resource.Memory());
    const std::uint32_t headerSize = Read32(p);
    bitsOffset += headerSize;
    if (headerSize == 40 && size >= 40) {
      const std::uint32_t used = Read32(p + 32);
      const int bits = Read16(p + 14);
      bitsOffset += 4 * (used != 0 ? used : bits <= 8 ? (1u << bits) : 0);
    } else if (headerSize == 12 && size >= 12) {
      const int bits = Read16(p + 10);
      bitsOffset += 3 * (bits <= 8 ? (1u << bits) : 0);
    }
  }
  Write32(header + 10, bitsOffset);
  file.WriteBuffer(header, sizeof header);
  file.WriteBuffer(resource.Memory(), size);
  file.SetPosition(0);
  ReadFile(file, file.Size());
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  BITMAP info{};
  if (format != kBitmapClipboardFormat || data == nullptr ||
      GetObjectA(data, sizeof info, &info) == 0) {
    InvalidBitmap();
  }
  const bool monochrome = info.bmPlanes == 1 && info.bmBitsPixel == 1;
  auto* image = new TBitmapImage;
  image->Width = info.bmWidth;
  image->Height = info.bmHeight;
  image->Monochrome = monochrome;
  try {
    image->Handle = CopyBitmap(static_cast<HBITMAP>(data), info.bmWidth, info.bmHeight, monochrome);
  } catch (...) {
    delete image;
    throw;
  }
  image->Palette = CopyPalette(palette);
  ReplaceImage(image);
  Changed();
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = kBitmapClipboardFormat;
  HBITMAP handle = Handle();
  data = handle != nullptr ? CopyBitmap(handle, image_->Width, image_->Height, image_->Monochrome)
                           : nullptr;
  palette = CopyPalette(image_->Palette);
}

namespace graphics_detail {

TBitmap& BrushCopyMask(int width, int height) {
  static TBitmap* mask = [] {
    auto* bitmap = new TBitmap;
    bitmap->SetMonochrome(true);
    return bitmap;
  }();
  if (mask->Width() < width) mask->SetWidth(width);
  if (mask->Height() < height) mask->SetHeight(height);
  return *mask;
}

}  // namespace graphics_detail
