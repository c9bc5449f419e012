// Bitmap files: the stored form, the platform bitmap made from it and back.
#include "graphics/bitmap_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/module.h"
#include "runtime/text.h"

namespace graphics_detail {
namespace {

constexpr int kInvalidBitmap = 61467;
constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int64_t kCoreHeaderSize = 12;

std::int64_t DefaultColorCount(std::int64_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

bool SupportedDepth(int bitsPerPixel) {
  return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
         bitsPerPixel == 24 || bitsPerPixel == 32;
}

// The 16 colours of a 4-bit table are the display's own when it has a palette of at
// least 16 entries: its first 8 and its last 8.
bool DisplayPalette(std::vector<PALETTEENTRY>& entries) {
  ScreenDC screen;
  if (screen.Get() == nullptr) return false;
  const int size = GetDeviceCaps(screen.Get(), SIZEPALETTE);
  if (size < 16) return false;
  entries.assign(16, PALETTEENTRY{});
  GetSystemPaletteEntries(screen.Get(), 0, 8, entries.data());
  GetSystemPaletteEntries(screen.Get(), static_cast<UINT>(size - 8), 8, entries.data() + 8);
  return true;
}

HPALETTE PaletteOf(const std::vector<PALETTEENTRY>& entries) {
  if (entries.empty()) return nullptr;
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(entries.size());
  std::memcpy(palette->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
  return CreatePalette(palette);
}

// Colour table entries in blue, green, red order, 4 or 3 bytes each.
std::vector<PALETTEENTRY> TableEntries(const std::uint8_t* table, std::int64_t count,
                                       int entrySize) {
  // Indices never reach past 256 entries; a longer table adds nothing to the palette.
  count = std::min<std::int64_t>(count, 256);
  std::vector<PALETTEENTRY> entries(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = table + i * entrySize;
    entries[static_cast<std::size_t>(i)] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};
  }
  return entries;
}

}  // namespace

void InvalidBitmap() { throw EInvalidGraphic(LoadStr(kInvalidBitmap)); }

BitmapFile ReadBitmapFile(TStream& stream, std::int64_t length) {
  BitmapFile file;
  if (length < kFileHeaderSize) InvalidBitmap();
  if (static_cast<std::int64_t>(stream.Size()) - stream.Position() < length) InvalidBitmap();
  std::uint8_t fileHeader[kFileHeaderSize];
  stream.ReadBuffer(fileHeader, kFileHeaderSize);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') InvalidBitmap();
  const std::int64_t size = length - kFileHeaderSize;
  file.stored = std::make_unique<TMemoryStream>();
  file.stored->SetSize(static_cast<Longint>(size));
  stream.ReadBuffer(file.stored->Memory(), static_cast<Longint>(size));

  const auto* p = static_cast<const std::uint8_t*>(file.stored->Memory());
  if (size < 4) InvalidBitmap();
  const std::uint32_t headerSize = Read32(p);
  std::int64_t width, height, bitsPerPixel, planes, bitsOffset, bitsSize;
  if (headerSize == kInfoHeaderSize) {
    if (size < kInfoHeaderSize) InvalidBitmap();
    width = static_cast<std::int32_t>(Read32(p + 4));
    height = static_cast<std::int32_t>(Read32(p + 8));
    planes = Read16(p + 12);
    bitsPerPixel = Read16(p + 14);
    const std::uint32_t compression = Read32(p + 16);
    const std::uint32_t used = Read32(p + 32);
    if (width < 0 || height == INT32_MIN) InvalidBitmap();
    const std::int64_t colors = used != 0 ? used : DefaultColorCount(bitsPerPixel);
    bitsOffset = kInfoHeaderSize + 4 * colors;
    // The three channel masks of a bit-field bitmap come before its pixels.
    if (compression == BI_BITFIELDS) bitsOffset += 12;
    const bool packedRows = compression == BI_RGB || compression == BI_BITFIELDS;
    bitsSize = packedRows ? RowSize(width, bitsPerPixel) * std::abs(height) : Read32(p + 20);
    file.kind = TBitmapHeaderKind::Info;
  } else if (headerSize == kCoreHeaderSize) {
    if (size < kCoreHeaderSize) InvalidBitmap();
    width = Read16(p + 4);
    height = Read16(p + 6);
    planes = Read16(p + 8);
    bitsPerPixel = Read16(p + 10);
    bitsOffset = kCoreHeaderSize + 3 * DefaultColorCount(bitsPerPixel);
    bitsSize = RowSize(width, bitsPerPixel) * height;
    file.kind = TBitmapHeaderKind::Core;
  } else {
    InvalidBitmap();
  }
  if (bitsOffset > size || size - bitsOffset < bitsSize) InvalidBitmap();
  file.bitsOffset = static_cast<std::int32_t>(bitsOffset);
  file.width = static_cast<std::int32_t>(width);
  // Rows stored top row first have a negative height; the picture is as high either way.
  file.height = static_cast<std::int32_t>(std::abs(height));
  file.monochrome = planes == 1 && bitsPerPixel == 1;
  return file;
}

void MakeBitmapHandle(TBitmapImage& image) {
  if (image.Handle != nullptr || !image.Stored) return;
  const auto* p = static_cast<const std::uint8_t*>(image.Stored->Memory()) + image.HeaderOffset;
  const std::int64_t size = image.Stored->Size() - image.HeaderOffset;
  const std::uint32_t headerSize = Read32(p);
  std::int64_t bitsPerPixel, planes, rows, width;
  std::vector<PALETTEENTRY> entries;
  const std::uint8_t* bits = p + (image.BitsOffset - image.HeaderOffset);
  std::int64_t bitsSize = size - (image.BitsOffset - image.HeaderOffset);
  if (headerSize == kInfoHeaderSize) {
    width = static_cast<std::int32_t>(Read32(p + 4));
    rows = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(Read32(p + 8))));
    planes = Read16(p + 12);
    bitsPerPixel = Read16(p + 14);
    const std::uint32_t compression = Read32(p + 16);
    const std::uint32_t imageSize = Read32(p + 20);
    const std::uint32_t used = Read32(p + 32);
    if (planes != 1 || !SupportedDepth(static_cast<int>(bitsPerPixel))) InvalidBitmap();
    // Run-length rows are not something the platform draws.
    if (compression != BI_RGB && compression != BI_BITFIELDS) InvalidBitmap();
    if (compression == BI_BITFIELDS && bitsPerPixel != 16 && bitsPerPixel != 32) InvalidBitmap();
    const std::int64_t colors = used != 0 ? used : DefaultColorCount(bitsPerPixel);
    if (colors >= 3) {
      if (colors != 16 || !DisplayPalette(entries)) {
        entries = TableEntries(p + kInfoHeaderSize, colors, 4);
      }
    }
    if (imageSize != 0 && imageSize < bitsSize) bitsSize = imageSize;
  } else if (headerSize == kCoreHeaderSize) {
    width = Read16(p + 4);
    rows = Read16(p + 6);
    planes = Read16(p + 8);
    bitsPerPixel = Read16(p + 10);
    if (planes != 1 || !SupportedDepth(static_cast<int>(bitsPerPixel))) InvalidBitmap();
    const std::int64_t colors = DefaultColorCount(bitsPerPixel);
    if (colors != 0) entries = TableEntries(p + kCoreHeaderSize, colors, 3);
    bitsSize = RowSize(width, bitsPerPixel) * rows;
  } else {
    InvalidBitmap();
  }
  // Pixels cut short by the header's image size read as 0 rather than past the end.
  std::vector<std::uint8_t> padded;
  const std::int64_t needed = RowSize(width, bitsPerPixel) * rows;
  if (bitsSize < needed) {
    padded.assign(static_cast<std::size_t>(needed), 0);
    std::memcpy(padded.data(), bits, static_cast<std::size_t>(std::max<std::int64_t>(bitsSize, 0)));
    bits = padded.data();
  }
  HPALETTE palette = PaletteOf(entries);
  HWND focus = GetFocus();
  HDC dc = GetDC(focus);
  if (dc == nullptr) {
    if (palette != nullptr) DeleteObject(palette);
    OutOfResources();
  }
  HPALETTE oldPalette = nullptr;
  if (palette != nullptr) {
    oldPalette = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  const auto* info = reinterpret_cast<const BITMAPINFO*>(p);
  HBITMAP handle = CreateDIBitmap(dc, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS);
  if (oldPalette != nullptr) SelectPalette(dc, oldPalette, FALSE);
  ReleaseDC(focus, dc);
  if (handle == nullptr) {
    if (palette != nullptr) DeleteObject(palette);
    OutOfResources();
  }
  image.Handle = handle;
  image.Palette = palette;
}

void BuildStoredForm(TBitmapImage& image) {
  if (image.Stored || image.Handle == nullptr) return;
  BITMAP bitmap{};
  if (GetObjectA(image.Handle, sizeof bitmap, &bitmap) == 0) OutOfResources();
  const bool monochrome = image.Monochrome || (bitmap.bmPlanes == 1 && bitmap.bmBitsPixel == 1);
  const int bitsPerPixel = monochrome ? 1 : 24;
  const std::int64_t colors = DefaultColorCount(bitsPerPixel);
  const std::int64_t bitsOffset = kInfoHeaderSize + 4 * colors;
  const std::int64_t imageSize = RowSize(bitmap.bmWidth, bitsPerPixel) * bitmap.bmHeight;
  auto stored = std::make_unique<TMemoryStream>();
  stored->SetSize(static_cast<Longint>(bitsOffset + imageSize));
  auto* p = static_cast<std::uint8_t*>(stored->Memory());
  std::memset(p, 0, static_cast<std::size_t>(bitsOffset + imageSize));
  Write32(p, kInfoHeaderSize);
  Write32(p + 4, static_cast<std::uint32_t>(bitmap.bmWidth));
  Write32(p + 8, static_cast<std::uint32_t>(bitmap.bmHeight));
  Write16(p + 12, 1);
  Write16(p + 14, static_cast<std::uint32_t>(bitsPerPixel));
  Write32(p + 16, BI_RGB);
  Write32(p + 20, static_cast<std::uint32_t>(imageSize));
  ScreenDC screen;
  if (screen.Get() == nullptr) OutOfResources();
  if (bitmap.bmHeight > 0 &&
      GetDIBits(screen.Get(), image.Handle, 0, static_cast<UINT>(bitmap.bmHeight), p + bitsOffset,
                reinterpret_cast<BITMAPINFO*>(p), DIB_RGB_COLORS) == 0) {
    OutOfResources();
  }
  image.Stored = std::move(stored);
  image.HeaderKind = TBitmapHeaderKind::Info;
  image.HeaderOffset = 0;
  image.BitsOffset = static_cast<std::int32_t>(bitsOffset);
}

HPALETTE CopyPalette(HPALETTE palette) {
  if (palette == nullptr) return nullptr;
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<PALETTEENTRY> entries(count);
  if (count != 0) GetPaletteEntries(palette, 0, count, entries.data());
  return PaletteOf(entries);
}

}  // namespace graphics_detail
