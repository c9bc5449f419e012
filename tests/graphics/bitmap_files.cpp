#include "tests/graphics/bitmap_files.h"

namespace graphics_test {

void Put16(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  Put16(bytes, value);
  Put16(bytes, value >> 16);
}

std::vector<std::uint8_t> PackedDib(const DibLayout& layout) {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> table = layout.table;
  const int defaultCount = layout.bits <= 8 ? 1 << layout.bits : 0;
  if (table.empty()) {
    for (int i = 0; i < defaultCount; ++i) {
      const std::uint32_t level =
          static_cast<std::uint32_t>(i * 255 / std::max(defaultCount - 1, 1));
      table.push_back(level << 16 | level << 8 | level);
    }
  }
  if (layout.core) {
    Put32(bytes, 12);
    Put16(bytes, static_cast<std::uint32_t>(layout.width));
    Put16(bytes, static_cast<std::uint32_t>(layout.height));
    Put16(bytes, layout.planes);
    Put16(bytes, static_cast<std::uint32_t>(layout.bits));
    for (std::uint32_t color : table) {
      bytes.push_back(static_cast<std::uint8_t>(color));
      bytes.push_back(static_cast<std::uint8_t>(color >> 8));
      bytes.push_back(static_cast<std::uint8_t>(color >> 16));
    }
  } else {
    const std::uint32_t stride = ((layout.width * layout.bits + 31) / 32) * 4;
    Put32(bytes, 40);
    Put32(bytes, static_cast<std::uint32_t>(layout.width));
    Put32(bytes, static_cast<std::uint32_t>(layout.topDown ? -layout.height : layout.height));
    Put16(bytes, layout.planes);
    Put16(bytes, static_cast<std::uint32_t>(layout.bits));
    Put32(bytes, layout.compression);
    Put32(bytes, stride * static_cast<std::uint32_t>(layout.height));
    Put32(bytes, 2835);
    Put32(bytes, 2835);
    Put32(bytes, static_cast<std::uint32_t>(
                     table.size() == static_cast<std::size_t>(defaultCount) ? 0 : table.size()));
    Put32(bytes, 0);
    if (layout.compression == 3) {
      for (std::uint32_t mask : layout.masks) Put32(bytes, mask);
    }
    for (std::uint32_t color : table) Put32(bytes, color);
  }
  const std::size_t stride = ((static_cast<std::size_t>(layout.width) * layout.bits + 31) / 32) * 4;
  for (int stored = 0; stored < layout.height; ++stored) {
    const int y = layout.topDown ? stored : layout.height - 1 - stored;
    std::vector<std::uint8_t> row(stride, 0);
    for (int x = 0; x < layout.width; ++x) {
      const std::uint32_t v = layout.value(x, y);
      switch (layout.bits) {
        case 1:
        case 4:
        case 8: {
          const std::size_t bit = static_cast<std::size_t>(x) * layout.bits;
          row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - layout.bits - bit % 8));
          break;
        }
        case 16:
          row[2 * x] = static_cast<std::uint8_t>(v);
          row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        case 24:
          row[3 * x] = static_cast<std::uint8_t>(v);
          row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
          break;
        default:
          row[4 * x] = static_cast<std::uint8_t>(v);
          row[4 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          row[4 * x + 2] = static_cast<std::uint8_t>(v >> 16);
          row[4 * x + 3] = static_cast<std::uint8_t>(v >> 24);
          break;
      }
    }
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

std::vector<std::uint8_t> BitmapFileBytes(const DibLayout& layout) {
  const std::vector<std::uint8_t> dib = PackedDib(layout);
  const int defaultCount = layout.bits <= 8 ? 1 << layout.bits : 0;
  const std::size_t tableCount = layout.table.empty() ? defaultCount : layout.table.size();
  const std::size_t infoSize =
      layout.core ? 12 + 3 * tableCount : 40 + 4 * tableCount + (layout.compression == 3 ? 12 : 0);
  std::vector<std::uint8_t> bytes = {'B', 'M'};
  Put32(bytes, static_cast<std::uint32_t>(dib.size() + 14));
  Put32(bytes, 0);
  Put32(bytes, static_cast<std::uint32_t>(14 + infoSize));
  bytes.insert(bytes.end(), dib.begin(), dib.end());
  return bytes;
}

std::vector<std::uint8_t> IconFileBytes(int size, int images) {
  DibLayout colour;
  colour.width = size;
  colour.height = size;
  colour.bits = 4;
  colour.table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0x800000, 0x008000,
                  0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  colour.value = [size](int x, int) { return x < size / 2 ? 1u : 0u; };
  std::vector<std::uint8_t> image = PackedDib(colour);
  // The stored header's height covers the colour rows and the mask rows.
  image[8] = static_cast<std::uint8_t>(2 * size);
  const std::size_t maskStride = ((static_cast<std::size_t>(size) + 31) / 32) * 4;
  for (int stored = 0; stored < size; ++stored) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = size / 2; x < size; ++x) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    image.insert(image.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> bytes;
  Put16(bytes, 0);
  Put16(bytes, 1);
  Put16(bytes, static_cast<std::uint32_t>(images));
  const std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images);
  for (int i = 0; i < images; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(size));
    bytes.push_back(static_cast<std::uint8_t>(size));
    bytes.push_back(16);
    bytes.push_back(0);
    Put16(bytes, 1);
    Put16(bytes, 4);
    Put32(bytes, static_cast<std::uint32_t>(image.size()));
    Put32(bytes, offset);
  }
  bytes.insert(bytes.end(), image.begin(), image.end());
  return bytes;
}

}  // namespace graphics_test
