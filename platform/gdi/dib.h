// Device-independent bitmaps: reading the header kinds and pixel formats into
// surfaces and writing surfaces out as DIB rows. Every reader checks sizes first.
#pragma once
#include "private.h"
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gdi/objects.h"

namespace platform::gdi {

struct DibFormat {
  int width = 0;
  int height = 0;  // always positive
  bool topDown = false;
  int bitCount = 0;
  DWORD compression = BI_RGB;
  std::vector<std::uint32_t> colours;  // colour table as surface pixels
  std::uint32_t masks[3] = {0, 0, 0};  // BI_BITFIELDS red, green, blue
  std::size_t infoSize = 0;            // header + masks + colour table, in bytes
  std::size_t stride = 0;              // bytes per row, DWORD aligned
};

// Parses a BITMAPINFO or BITMAPCOREINFO of at most `available` bytes. With
// DIB_PAL_COLORS the colour table holds indices into `dc`'s palette.
bool ParseDibInfo(const void* info, std::size_t available, UINT usage, DcObject* dc,
                  DibFormat* format);
// The surface pixel at column x of one stored row.
std::uint32_t DibPixel(const DibFormat& format, const std::uint8_t* row, int x);
// Decodes `rows` stored rows starting at stored row `first` (row 0 is the bottom row of a
// bottom-up DIB) into `target` (same width, full height, top row first).
void DecodeDibRows(const DibFormat& format, const std::uint8_t* bits, int first, int rows,
                   Surface* target, bool monochrome);
// A packed DIB (info, then bits) as stored in resources and bitmap files, fully checked.
bool ReadPackedDib(const std::uint8_t* data, std::size_t size, Surface* surface, bool* monochrome);

// The 16 colours of a 4-bit table and the 256 of an 8-bit one, as surface pixels.
const std::vector<std::uint32_t>& StandardColours(int bitCount);

}  // namespace platform::gdi
