// Malformed input for the packed-image readers that resources and icon files go through.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi/dib.h"
#include "gdi/icons.h"

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A 4 x 2, 4-bit packed image with a 2-colour table; `heightFactor` 2 makes an icon image.
std::vector<std::uint8_t> PackedImage(int heightFactor) {
  std::vector<std::uint8_t> data;
  Put32(data, 40);
  Put32(data, 4);
  Put32(data, static_cast<std::uint32_t>(2 * heightFactor));
  Put16(data, 1);
  Put16(data, 4);
  Put32(data, 0);
  Put32(data, 0);
  Put32(data, 0);
  Put32(data, 0);
  Put32(data, 2);
  Put32(data, 0);
  Put32(data, 0x000000FF);  // blue
  Put32(data, 0x00FF0000);  // red
  for (std::uint8_t b : {0x01, 0x10, 0, 0, 0x11, 0x00, 0, 0}) data.push_back(b);
  if (heightFactor == 2) {
    for (std::uint8_t b : {0x90, 0, 0, 0, 0x00, 0, 0, 0}) data.push_back(b);
  }
  return data;
}

TEST(PackedImageReader, ReadsAWellFormedImageAndRefusesEveryTruncation) {
  std::vector<std::uint8_t> data = PackedImage(1);
  platform::Surface surface;
  bool monochrome = true;
  ASSERT_TRUE(platform::gdi::ReadPackedDib(data.data(), data.size(), &surface, &monochrome));
  EXPECT_FALSE(monochrome);
  ASSERT_EQ(surface.width, 4);
  // Bottom row first in storage: the top row is 1 1 0 0 (red red blue blue).
  EXPECT_EQ(surface.pixels, (std::vector<std::uint32_t>{0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF,
                                                        0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF}));
  for (std::size_t n = 0; n < data.size(); ++n) {
    std::vector<std::uint8_t> cut(data.begin(), data.begin() + static_cast<long>(n));
    EXPECT_FALSE(platform::gdi::ReadPackedDib(cut.data(), cut.size(), &surface, nullptr)) << n;
  }
}

TEST(PackedImageReader, RefusesHeadersThatLie) {
  platform::Surface surface;
  auto patched = [](std::size_t offset, std::uint32_t value) {
    std::vector<std::uint8_t> data = PackedImage(1);
    std::memcpy(data.data() + offset, &value, 4);
    return data;
  };
  for (auto data : {patched(0, 41 + 100), patched(0, 7), patched(4, 0x7FFFFFFF),
                    patched(8, 0x80000000u), patched(32, 0xFFFFFFFFu), patched(16, 1)}) {
    EXPECT_FALSE(platform::gdi::ReadPackedDib(data.data(), data.size(), &surface, nullptr));
  }
  // Header sizes between the known kinds are refused, also where bit-field masks would
  // be read past a short header.
  auto odd = patched(0, 42);
  odd[16] = BI_BITFIELDS;
  odd[14] = 32;
  EXPECT_FALSE(platform::gdi::ReadPackedDib(odd.data(), 44, &surface, nullptr));
  // A colour count the file does not hold (cut to the 16 a 4-bit image can use) is refused.
  auto many = patched(32, 300);
  EXPECT_FALSE(platform::gdi::ReadPackedDib(many.data(), many.size(), &surface, nullptr));
  EXPECT_FALSE(platform::gdi::ReadPackedDib(nullptr, 0, &surface, nullptr));
}

TEST(IconImageReader, SplitsColourAndMaskAndRefusesDamage) {
  std::vector<std::uint8_t> data = PackedImage(2);
  platform::Surface colour, mask;
  ASSERT_TRUE(platform::gdi::ReadIconImage(data.data(), data.size(), &colour, &mask));
  EXPECT_EQ(colour.height, 2);
  // Mask bits 1 0 0 1 on the bottom row: those pixels show the screen through.
  EXPECT_EQ(mask.pixels[4], 0xFFFFFFu);
  EXPECT_EQ(mask.pixels[5], 0u);
  EXPECT_EQ(mask.pixels[7], 0xFFFFFFu);
  EXPECT_EQ(mask.pixels[0], 0u);
  std::size_t withoutMask = data.size() - 8;
  for (std::size_t n = 0; n < withoutMask; ++n) {
    EXPECT_FALSE(platform::gdi::ReadIconImage(data.data(), n, &colour, &mask)) << n;
  }
  // An odd doubled height cannot be split into image and mask.
  data[8] = 3;
  EXPECT_FALSE(platform::gdi::ReadIconImage(data.data(), data.size(), &colour, &mask));
}

}  // namespace
