// TIcon: one image in the icon file form, its platform icon made on need.
#include <cstring>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/bitmap_file.h"
#include "graphics/module.h"
#include "runtime/text.h"

using namespace graphics_detail;

namespace {

constexpr int kInvalidIcon = 61468;
constexpr int kIconSizeFixed = 61471;
constexpr int kIconClipboard = 61617;
constexpr std::int64_t kHeaderSize = 6;
constexpr std::int64_t kEntrySize = 16;
constexpr std::int64_t kInfoHeaderSize = 40;

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(LoadStr(kInvalidIcon)); }

std::int64_t DefaultColorCount(std::int64_t bitsPerPixel) {
  return bitsPerPixel == 1 ? 2 : bitsPerPixel == 4 ? 16 : bitsPerPixel == 8 ? 256 : 0;
}

// Where the parts of the one image of an icon file lie.
struct IconLayout {
  std::int64_t imageOffset = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // of the icon: half the header's
  std::int64_t bitsPerPixel = 0;
  std::int64_t colors = 0;
  std::int64_t colorBitsSize = 0;
  std::int64_t maskBitsSize = 0;
};

// The layout of a type-1 file of one image, each part checked against the data.
IconLayout LayOut(const std::uint8_t* p, std::int64_t size) {
  IconLayout layout;
  if (size < kHeaderSize + kEntrySize || Read16(p + 4) != 1) InvalidIcon();
  const std::uint8_t* entry = p + kHeaderSize;
  const std::int64_t imageSize = Read32(entry + 8);
  layout.imageOffset = Read32(entry + 12);
  if (layout.imageOffset > size || size - layout.imageOffset < imageSize) InvalidIcon();
  if (imageSize < kInfoHeaderSize) InvalidIcon();
  const std::uint8_t* header = p + layout.imageOffset;
  if (Read32(header) != kInfoHeaderSize) InvalidIcon();
  layout.width = static_cast<std::int32_t>(Read32(header + 4));
  layout.height = static_cast<std::int32_t>(Read32(header + 8)) / 2;
  layout.bitsPerPixel = Read16(header + 14);
  if (layout.width <= 0 || layout.height <= 0) InvalidIcon();
  const std::uint32_t used = Read32(header + 32);
  layout.colors = used != 0 ? used : DefaultColorCount(layout.bitsPerPixel);
  layout.colorBitsSize = RowSize(layout.width, layout.bitsPerPixel) * layout.height;
  layout.maskBitsSize = RowSize(layout.width, 1) * layout.height;
  if (imageSize - kInfoHeaderSize <
      4 * layout.colors + layout.colorBitsSize + layout.maskBitsSize) {
    InvalidIcon();
  }
  return layout;
}

// Refuses what is not an icon file of at most one image.
void CheckIconFile(const std::uint8_t* p, std::int64_t size) {
  if (size < kHeaderSize) InvalidIcon();
  if (Read16(p + 4) > 1) InvalidIcon();
  if (Read16(p + 2) == 1) LayOut(p, size);
}

class MemoryDC {
 public:
  MemoryDC() : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ == nullptr) OutOfResources();
  }
  ~MemoryDC() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  void Select(HBITMAP bitmap) {
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (old_ == nullptr) old_ = previous;
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// Platform bitmaps deleted at the end of a scope.
class Bitmaps {
 public:
  ~Bitmaps() {
    for (HBITMAP bitmap : bitmaps_) DeleteObject(bitmap);
  }
  HBITMAP Keep(HBITMAP bitmap) {
    if (bitmap == nullptr) OutOfResources();
    bitmaps_.push_back(bitmap);
    return bitmap;
  }

 private:
  std::vector<HBITMAP> bitmaps_;
};

// Stretches a bitmap of width x height into target (system icon size).
void StretchInto(HBITMAP target, HBITMAP source, int width, int height, int cx, int cy) {
  MemoryDC to, from;
  to.Select(target);
  from.Select(source);
  StretchBlt(to.Get(), 0, 0, cx, cy, from.Get(), 0, 0, width, height, SRCCOPY);
}

std::vector<std::uint8_t> BitmapBits(HBITMAP bitmap) {
  const LONG size = GetBitmapBits(bitmap, 0, nullptr);
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(std::max<LONG>(size, 0)));
  if (size > 0) GetBitmapBits(bitmap, size, bits.data());
  return bits;
}

HICON MakeIconHandle(TMemoryStream& stored) {
  const auto* p = static_cast<const std::uint8_t*>(stored.Memory());
  const std::int64_t size = stored.Size();
  if (size < kHeaderSize) InvalidIcon();
  const std::uint16_t type = Read16(p + 2);
  if (type == 0) return Graphics().defaultIcon;
  if (type != 1) InvalidIcon();
  const IconLayout layout = LayOut(p, size);
  const std::uint8_t* image = p + layout.imageOffset;
  if (Read16(image + 12) != 1 || Read32(image + 16) != BI_RGB ||
      (layout.bitsPerPixel != 1 && layout.bitsPerPixel != 4 && layout.bitsPerPixel != 8 &&
       layout.bitsPerPixel != 16 && layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32)) {
    InvalidIcon();
  }
  const std::int64_t tableSize = 4 * std::min<std::int64_t>(layout.colors, 256);
  const std::uint8_t* colorBits = image + kInfoHeaderSize + 4 * layout.colors;
  const std::uint8_t* maskBits = colorBits + layout.colorBitsSize;
  const int width = static_cast<int>(layout.width);
  const int height = static_cast<int>(layout.height);
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);

  ScreenDC screen;
  if (screen.Get() == nullptr) OutOfResources();
  Bitmaps bitmaps;
  // The colour part: the header with the icon's own height.
  std::vector<std::uint8_t> info(
      static_cast<std::size_t>(kInfoHeaderSize + std::max<std::int64_t>(tableSize, 8)));
  std::memcpy(info.data(), image, static_cast<std::size_t>(kInfoHeaderSize + tableSize));
  Write32(info.data() + 8, static_cast<std::uint32_t>(height));
  Write32(info.data() + 20, static_cast<std::uint32_t>(layout.colorBitsSize));
  if (layout.colors > 256) Write32(info.data() + 32, 256);
  auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
  HBITMAP colorPart = bitmaps.Keep(CreateDIBitmap(screen.Get(), &header->bmiHeader, CBM_INIT,
                                                  colorBits, header, DIB_RGB_COLORS));
  HBITMAP color = bitmaps.Keep(CreateCompatibleBitmap(screen.Get(), cx, cy));
  StretchInto(color, colorPart, width, height, cx, cy);
  // The mask part: 1 bit per pixel, black and white.
  Write16(info.data() + 14, 1);
  Write32(info.data() + 20, static_cast<std::uint32_t>(layout.maskBitsSize));
  Write32(info.data() + 32, 2);
  Write32(info.data() + 36, 2);
  Write32(info.data() + kInfoHeaderSize, 0x000000);
  Write32(info.data() + kInfoHeaderSize + 4, 0xFFFFFF);
  HBITMAP maskPart = bitmaps.Keep(
      CreateDIBitmap(screen.Get(), &header->bmiHeader, CBM_INIT, maskBits, header, DIB_RGB_COLORS));
  HBITMAP mask = bitmaps.Keep(CreateBitmap(cx, cy, 1, 1, nullptr));
  StretchInto(mask, maskPart, width, height, cx, cy);

  BITMAP colorInfo{};
  GetObjectA(color, sizeof colorInfo, &colorInfo);
  std::vector<std::uint8_t> colorBytes = BitmapBits(color);
  std::vector<std::uint8_t> maskBytes = BitmapBits(mask);
  HICON icon =
      CreateIcon(GetModuleHandleA(nullptr), cx, cy, static_cast<BYTE>(colorInfo.bmPlanes),
                 static_cast<BYTE>(colorInfo.bmBitsPixel), maskBytes.data(), colorBytes.data());
  if (icon == nullptr) OutOfResources();
  return icon;
}

// A single-image icon file of 16 colours built from a platform icon.
std::unique_ptr<TMemoryStream> IconFileFrom(HICON handle) {
  ICONINFO parts{};
  if (!GetIconInfo(handle, &parts)) InvalidIcon();
  Bitmaps bitmaps;
  bitmaps.Keep(parts.hbmMask);
  BITMAP maskInfo{};
  GetObjectA(parts.hbmMask, sizeof maskInfo, &maskInfo);
  const int width = maskInfo.bmWidth;
  int height = maskInfo.bmHeight;
  HBITMAP color = parts.hbmColor;
  UINT maskFirstRow = 0;
  ScreenDC screen;
  if (screen.Get() == nullptr) OutOfResources();
  if (color != nullptr) {
    bitmaps.Keep(color);
  } else {
    // A monochrome icon keeps its mask above its image in one bitmap of twice the height.
    height /= 2;
    color = bitmaps.Keep(CreateCompatibleBitmap(screen.Get(), width, height));
    MemoryDC to, from;
    to.Select(color);
    from.Select(parts.hbmMask);
    BitBlt(to.Get(), 0, 0, width, height, from.Get(), 0, height, SRCCOPY);
    maskFirstRow = static_cast<UINT>(height);  // stored rows count from the bottom
  }
  const std::int64_t colorSize = RowSize(width, 4) * height;
  const std::int64_t maskSize = RowSize(width, 1) * height;
  const std::int64_t imageSize = kInfoHeaderSize + 16 * 4 + colorSize + maskSize;
  constexpr std::int64_t kImageOffset = kHeaderSize + kEntrySize;
  auto stored = std::make_unique<TMemoryStream>();
  stored->SetSize(static_cast<Longint>(kImageOffset + imageSize));
  auto* p = static_cast<std::uint8_t*>(stored->Memory());
  std::memset(p, 0, static_cast<std::size_t>(kImageOffset + imageSize));
  Write16(p + 2, 1);
  Write16(p + 4, 1);
  std::uint8_t* entry = p + kHeaderSize;
  entry[0] = static_cast<std::uint8_t>(width);
  entry[1] = static_cast<std::uint8_t>(height);
  entry[2] = 16;
  Write16(entry + 4, 1);
  Write16(entry + 6, 4);
  Write32(entry + 8, static_cast<std::uint32_t>(imageSize));
  Write32(entry + 12, static_cast<std::uint32_t>(kImageOffset));
  std::uint8_t* image = p + kImageOffset;
  std::uint8_t* colorBits = image + kInfoHeaderSize + 16 * 4;
  std::uint8_t* maskBits = colorBits + colorSize;
  // Mask rows first, with a 2-colour header that GetDIBits fills in.
  std::vector<std::uint8_t> maskHeader(kInfoHeaderSize + 2 * 4);
  Write32(maskHeader.data(), kInfoHeaderSize);
  Write32(maskHeader.data() + 4, static_cast<std::uint32_t>(width));
  Write32(maskHeader.data() + 8, static_cast<std::uint32_t>(maskInfo.bmHeight));
  Write16(maskHeader.data() + 12, 1);
  Write16(maskHeader.data() + 14, 1);
  if (GetDIBits(screen.Get(), parts.hbmMask, maskFirstRow, static_cast<UINT>(height), maskBits,
                reinterpret_cast<BITMAPINFO*>(maskHeader.data()), DIB_RGB_COLORS) == 0) {
    InvalidIcon();
  }
  // The image lies at an offset no structure may be read at: its header is made apart.
  std::vector<std::uint8_t> colorHeader(kInfoHeaderSize + 16 * 4);
  Write32(colorHeader.data(), kInfoHeaderSize);
  Write32(colorHeader.data() + 4, static_cast<std::uint32_t>(width));
  Write32(colorHeader.data() + 8, static_cast<std::uint32_t>(height));
  Write16(colorHeader.data() + 12, 1);
  Write16(colorHeader.data() + 14, 4);
  if (GetDIBits(screen.Get(), color, 0, static_cast<UINT>(height), colorBits,
                reinterpret_cast<BITMAPINFO*>(colorHeader.data()), DIB_RGB_COLORS) == 0) {
    InvalidIcon();
  }
  std::memcpy(image, colorHeader.data(), colorHeader.size());
  // The stored header describes colour and mask rows together.
  Write32(image + 8, static_cast<std::uint32_t>(2 * height));
  Write32(image + 20, static_cast<std::uint32_t>(colorSize + maskSize));
  Write32(image + 32, 0);
  return stored;
}

}  // namespace

TIconImage::~TIconImage() {
  if (Handle != nullptr && Handle != Graphics().defaultIcon) DestroyIcon(Handle);
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TIcon)

TIcon::TIcon() : image_(new TIconImage) { image_->Reference(); }

TIcon::~TIcon() { image_->Release(); }

void TIcon::ReplaceImage(TIconImage* image) {
  image->Reference();
  TIconImage* old = image_;
  image_ = image;
  old->Release();
}

void TIcon::CopyFrom(TPersistent* source) {
  if (source == nullptr) {
    ReplaceImage(new TIconImage);
    Changed();
    return;
  }
  auto* icon = dynamic_cast<TIcon*>(source);
  if (icon == nullptr) {
    TGraphic::CopyFrom(source);
    return;
  }
  if (icon->image_ != image_) ReplaceImage(icon->image_);
  Changed();
}

HICON TIcon::Handle() {
  if (image_->Handle == nullptr && image_->Stored) image_->Handle = MakeIconHandle(*image_->Stored);
  return image_->Handle;
}

void TIcon::SetHandle(HICON handle) {
  if (handle == image_->Handle) return;
  auto* image = new TIconImage;
  image->Handle = handle;
  ReplaceImage(image);
  Changed();
}

bool TIcon::HandleAllocated() const { return image_->Handle != nullptr; }

void TIcon::PaintOn(TCanvas* canvas, const RECT& rect) {
  HICON icon = Handle();
  if (icon == nullptr) return;
  canvas->RequiredState(TCanvasState{csHandleValid});
  DrawIcon(canvas->CurrentHandle(), rect.left, rect.top, icon);
}

bool TIcon::IsBlank() const { return image_->Handle == nullptr && !image_->Stored; }

std::int32_t TIcon::Height() const { return GetSystemMetrics(SM_CYICON); }
std::int32_t TIcon::Width() const { return GetSystemMetrics(SM_CXICON); }

void TIcon::SetHeight(std::int32_t) { throw EInvalidGraphicOperation(LoadStr(kIconSizeFixed)); }
void TIcon::SetWidth(std::int32_t) { throw EInvalidGraphicOperation(LoadStr(kIconSizeFixed)); }

void TIcon::LoadFrom(TStream& stream) {
  const std::int64_t size = static_cast<std::int64_t>(stream.Size()) - stream.Position();
  if (size < kHeaderSize) InvalidIcon();
  auto stored = std::make_unique<TMemoryStream>();
  stored->SetSize(static_cast<Longint>(size));
  stream.ReadBuffer(stored->Memory(), static_cast<Longint>(size));
  CheckIconFile(static_cast<const std::uint8_t*>(stored->Memory()), size);
  auto* image = new TIconImage;
  image->Stored = std::move(stored);
  ReplaceImage(image);
  Changed();
}

void TIcon::EnsureStoredForm() {
  if (image_->Stored) return;
  if (image_->Handle == nullptr) InvalidIcon();
  if (image_->Handle == Graphics().defaultIcon) {
    auto stored = std::make_unique<TMemoryStream>();
    const std::uint8_t none[6] = {};
    stored->WriteBuffer(none, sizeof none);
    image_->Stored = std::move(stored);
    return;
  }
  image_->Stored = IconFileFrom(image_->Handle);
}

void TIcon::SaveTo(TStream& stream) {
  EnsureStoredForm();
  stream.WriteBuffer(image_->Stored->Memory(), image_->Stored->Size());
}

void TIcon::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) {
  throw EInvalidGraphicOperation(LoadStr(kIconClipboard));
}

void TIcon::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphicOperation(LoadStr(kIconClipboard));
}
