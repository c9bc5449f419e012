// PNG files of surfaces, for screenshots.
#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/testing.h"

namespace platform::testing {

bool SavePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(surface.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(surface.width), static_cast<png_uint_32>(surface.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < surface.height; ++y) {
    const std::uint32_t* pixels = surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
    for (int x = 0; x < surface.width; ++x) {
      row[x * 3] = static_cast<png_byte>(pixels[x] >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(pixels[x] >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(pixels[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace platform::testing
