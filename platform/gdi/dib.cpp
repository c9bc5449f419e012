#include "gdi/dib.h"

#include <cstring>
#include <limits>

namespace platform::gdi {
namespace {

constexpr int kMaxDimension = 32768;

std::uint32_t Read32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

int MaskShift(std::uint32_t mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}
// A masked channel scaled to 8 bits.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
  if (!mask) return 0;
  int shift = MaskShift(mask);
  std::uint32_t max = mask >> shift;
  std::uint32_t v = (value & mask) >> shift;
  return max ? (v * 255 + max / 2) / max : 0;
}

}  // namespace

const std::vector<std::uint32_t>& StandardColours(int bitCount) {
  static const std::vector<std::uint32_t> k16 = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  static const std::vector<std::uint32_t> k256 = [] {
    std::vector<std::uint32_t> table = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                        0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
    for (int r = 0; r < 6; ++r) {
      for (int g = 0; g < 6; ++g) {
        for (int b = 0; b < 6; ++b) {
          table.push_back(static_cast<std::uint32_t>((r * 51) << 16 | (g * 51) << 8 | b * 51));
        }
      }
    }
    for (int i = 1; table.size() < 246; ++i) {
      std::uint32_t v = static_cast<std::uint32_t>(i * 255 / 21);
      table.push_back(v << 16 | v << 8 | v);
    }
    for (std::uint32_t c : {0xFFFBF0u, 0xA0A0A4u, 0x808080u, 0xFF0000u, 0x00FF00u, 0xFFFF00u,
                            0x0000FFu, 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu}) {
      table.push_back(c);
    }
    return table;
  }();
  static const std::vector<std::uint32_t> k2 = {0x000000, 0xFFFFFF};
  return bitCount == 1 ? k2 : bitCount == 4 ? k16 : k256;
}

bool ParseDibInfo(const void* info, std::size_t available, UINT usage, DcObject* dc,
                  DibFormat* format) {
  if (!info || available < 12) return false;
  const auto* p = static_cast<const std::uint8_t*>(info);
  std::uint32_t headerSize = Read32(p);
  DibFormat f;
  std::size_t entrySize = 4;
  std::size_t colourCount = 0;
  if (headerSize == 12) {
    f.width = Read16(p + 4);
    int height = Read16(p + 6);
    f.height = height;
    if (Read16(p + 8) != 1) return false;
    f.bitCount = Read16(p + 10);
    entrySize = 3;
    if (f.bitCount <= 8) colourCount = std::size_t{1} << f.bitCount;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    if (available < headerSize) return false;
    auto width = static_cast<std::int32_t>(Read32(p + 4));
    auto height = static_cast<std::int32_t>(Read32(p + 8));
    if (Read16(p + 12) != 1) return false;
    f.bitCount = Read16(p + 14);
    f.compression = Read32(p + 16);
    std::uint32_t used = Read32(p + 32);
    if (width < 0 || height == std::numeric_limits<std::int32_t>::min()) return false;
    f.width = width;
    f.topDown = height < 0;
    f.height = height < 0 ? -height : height;
    if (f.bitCount <= 8) {
      std::size_t maximum = std::size_t{1} << f.bitCount;
      colourCount = used == 0 || used > maximum ? maximum : used;
    }
  } else {
    return false;
  }
  if (f.bitCount != 1 && f.bitCount != 4 && f.bitCount != 8 && f.bitCount != 16 &&
      f.bitCount != 24 && f.bitCount != 32) {
    return false;
  }
  if (f.width > kMaxDimension || f.height > kMaxDimension) return false;
  std::size_t offset = headerSize;
  if (f.compression == BI_BITFIELDS) {
    if (f.bitCount != 16 && f.bitCount != 32) return false;
    if (headerSize == 40) {
      if (available < offset + 12) return false;
      for (int i = 0; i < 3; ++i) f.masks[i] = Read32(p + offset + 4 * i);
      offset += 12;
    } else {
      for (int i = 0; i < 3; ++i) f.masks[i] = Read32(p + 40 + 4 * i);
    }
  } else if (f.compression != BI_RGB) {
    return false;  // run-length and embedded formats are not read
  } else if (f.bitCount == 16) {
    f.masks[0] = 0x7C00;
    f.masks[1] = 0x03E0;
    f.masks[2] = 0x001F;
  }
  if (usage == DIB_PAL_COLORS && headerSize != 12) entrySize = 2;
  if (available < offset || (available - offset) / entrySize < colourCount) return false;
  auto* palette = dc ? Find<PaletteObject>(dc->state.palette, Kind::Palette) : nullptr;
  for (std::size_t i = 0; i < colourCount; ++i) {
    const std::uint8_t* e = p + offset + i * entrySize;
    if (entrySize == 2) {
      std::uint16_t index = Read16(e);
      std::uint32_t pixel = 0;
      if (palette && index < palette->entries.size()) {
        const PALETTEENTRY& pe = palette->entries[index];
        pixel = static_cast<std::uint32_t>(pe.peRed << 16 | pe.peGreen << 8 | pe.peBlue);
      }
      f.colours.push_back(pixel);
    } else {
      f.colours.push_back(static_cast<std::uint32_t>(e[2] << 16 | e[1] << 8 | e[0]));
    }
  }
  f.infoSize = offset + colourCount * entrySize;
  f.stride = ((static_cast<std::size_t>(f.width) * f.bitCount + 31) / 32) * 4;
  *format = std::move(f);
  return true;
}

std::uint32_t DibPixel(const DibFormat& f, const std::uint8_t* row, int x) {
  switch (f.bitCount) {
    case 1:
    case 4:
    case 8: {
      std::size_t bit = static_cast<std::size_t>(x) * f.bitCount;
      unsigned index = (row[bit / 8] >> (8 - f.bitCount - bit % 8)) & ((1u << f.bitCount) - 1);
      return index < f.colours.size() ? f.colours[index] : 0;
    }
    case 16: {
      std::uint32_t v = Read16(row + 2 * x);
      return Channel(v, f.masks[0]) << 16 | Channel(v, f.masks[1]) << 8 | Channel(v, f.masks[2]);
    }
    case 24: {
      const std::uint8_t* p = row + 3 * x;
      return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
    }
    default: {
      std::uint32_t v = Read32(row + 4 * x);
      if (f.compression == BI_BITFIELDS) {
        return Channel(v, f.masks[0]) << 16 | Channel(v, f.masks[1]) << 8 | Channel(v, f.masks[2]);
      }
      return v & 0xFFFFFF;
    }
  }
}

void DecodeDibRows(const DibFormat& f, const std::uint8_t* bits, int first, int rows,
                   Surface* target, bool monochrome) {
  for (int i = 0; i < rows; ++i) {
    int stored = first + i;
    if (stored < 0 || stored >= f.height) continue;
    int y = f.topDown ? stored : f.height - 1 - stored;
    if (y >= target->height) continue;
    const std::uint8_t* row = bits + static_cast<std::size_t>(i) * f.stride;
    std::uint32_t* out = target->Row(y);
    int width = f.width < target->width ? f.width : target->width;
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel = DibPixel(f, row, x);
      out[x] = monochrome ? ToMono(pixel) : pixel;
    }
  }
}

bool ReadPackedDib(const std::uint8_t* data, std::size_t size, Surface* surface, bool* monochrome) {
  DibFormat f;
  if (!ParseDibInfo(data, size, DIB_RGB_COLORS, nullptr, &f)) return false;
  std::size_t need = f.stride * static_cast<std::size_t>(f.height);
  if (size - f.infoSize < need) return false;
  bool mono = f.bitCount == 1 && f.colours.size() == 2 &&
              ((f.colours[0] == 0 && f.colours[1] == 0xFFFFFF) ||
               (f.colours[0] == 0xFFFFFF && f.colours[1] == 0));
  surface->Resize(0, 0);
  surface->Resize(f.width, f.height, 0);
  DecodeDibRows(f, data + f.infoSize, 0, f.height, surface, mono);
  if (monochrome) *monochrome = mono;
  return true;
}

}  // namespace platform::gdi
