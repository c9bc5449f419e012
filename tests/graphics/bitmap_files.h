// Bitmap and icon files made byte by byte for the picture tests.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "classes/streams.h"

namespace graphics_test {

// A device-independent bitmap: its header kind, depth and a value per pixel (a colour
// index up to 8 bits per pixel, a 5-5-5 word at 16, 0x00RRGGBB above).
struct DibLayout {
  int width = 4;
  int height = 3;
  int bits = 4;
  bool core = false;     // the 12-byte header
  bool topDown = false;  // rows stored top row first (negative height)
  std::uint32_t compression = 0;
  std::uint32_t masks[3] = {0, 0, 0};  // bit fields, with compression 3
  std::vector<std::uint32_t> table;    // 0x00RRGGBB; empty: the default count of greys
  std::uint16_t planes = 1;
  std::function<std::uint32_t(int x, int y)> value = [](int x, int y) {
    return static_cast<std::uint32_t>(x + y);
  };
};

std::vector<std::uint8_t> PackedDib(const DibLayout& layout);
// "BM", the file size, the offset of the bits, then the packed DIB.
std::vector<std::uint8_t> BitmapFileBytes(const DibLayout& layout);
// A 16-colour icon file of one size x size image whose left half is opaque red and
// whose right half is transparent; `images` directory entries (all pointing at it).
std::vector<std::uint8_t> IconFileBytes(int size = 32, int images = 1);

void Put16(std::vector<std::uint8_t>& bytes, std::uint32_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value);

// A memory stream holding bytes, at position 0.
class ByteStream : public TMemoryStream {
 public:
  explicit ByteStream(const std::vector<std::uint8_t>& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Longint>(bytes.size()));
    SetPosition(0);
  }
  std::vector<std::uint8_t> Bytes() {
    const auto* p = static_cast<const std::uint8_t*>(Memory());
    return std::vector<std::uint8_t>(p, p + Size());
  }
};

}  // namespace graphics_test
