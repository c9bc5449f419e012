// td_iconpng PIXMAP SIZE OUTPUT.png
//
// Draws a pixel map of resources/ (the program's icon) as a PNG picture of SIZE x SIZE for
// the desktop's icon theme. Each pixel of the picture takes the colour of the pixel map's
// pixel under its centre: the classic pixels grow or shrink whole, nothing is smoothed.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/rescomp/rescomp.h"

namespace {

// Nearest-neighbour scaling to size x size.
rescomp::Picture Scale(const rescomp::Picture& source, int size) {
  rescomp::Picture scaled;
  scaled.width = scaled.height = size;
  scaled.rgba.reserve(static_cast<std::size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    int sourceY = (2 * y + 1) * source.height / (2 * size);
    for (int x = 0; x < size; ++x) {
      int sourceX = (2 * x + 1) * source.width / (2 * size);
      auto pixel = source.rgba.begin() + (sourceY * source.width + sourceX) * 4;
      scaled.rgba.insert(scaled.rgba.end(), pixel, pixel + 4);
    }
  }
  return scaled;
}

bool WritePng(const rescomp::Picture& picture, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
      png_write_row(png, picture.rgba.data() + static_cast<std::size_t>(y) * picture.width * 4);
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: td_iconpng PIXMAP SIZE OUTPUT.png\n";
    return 1;
  }
  int size = std::atoi(argv[2]);
  if (size < 1 || size > 1024) {
    std::cerr << "td_iconpng: SIZE is 1 to 1024, not " << argv[2] << "\n";
    return 1;
  }
  try {
    rescomp::Picture picture = rescomp::PixmapPicture(argv[1], rescomp::PixmapKind::Icon);
    if (!WritePng(Scale(picture, size), argv[3])) {
      std::cerr << "td_iconpng: cannot write " << argv[3] << "\n";
      return 1;
    }
  } catch (const rescomp::Error& error) {
    std::cerr << "td_iconpng: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
