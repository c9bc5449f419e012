// Bitmap files and stored forms: reading and checking a file, making the platform
// bitmap and palette from a stored form, and building a stored form from a platform
// bitmap. Internal to graphics/.
#pragma once
#include <cstdint>
#include <memory>

#include "graphics/bitmap.h"

namespace graphics_detail {

// A checked bitmap file: its stored form (the file without its 14-byte file header)
// and what the image keeps about it.
struct BitmapFile {
  std::unique_ptr<TMemoryStream> stored;
  TBitmapHeaderKind kind = TBitmapHeaderKind::None;
  std::int32_t bitsOffset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool monochrome = false;
};

// Reads length bytes of stream as a bitmap file. EInvalidGraphic "Bitmap image is not
// valid" when they are not a whole one: too short, another signature, another header,
// a colour table or pixel rows that do not fit.
BitmapFile ReadBitmapFile(TStream& stream, std::int64_t length);

// Gives the image its platform bitmap and palette, made from its stored form.
void MakeBitmapHandle(TBitmapImage& image);

// Gives the image a stored form with a 40-byte header built from its platform bitmap:
// 1 bit per pixel for monochrome images, else 24.
void BuildStoredForm(TBitmapImage& image);

// A copy of a logical palette; nullptr for none.
HPALETTE CopyPalette(HPALETTE palette);

// Bytes per stored pixel row: rows are padded to 32 bits.
constexpr std::int64_t RowSize(std::int64_t width, std::int64_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Little-endian fields of stored data.
inline std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void Write16(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void Write32(std::uint8_t* p, std::uint32_t value) {
  Write16(p, value);
  Write16(p + 2, value >> 16);
}

[[noreturn]] void InvalidBitmap();

}  // namespace graphics_detail
