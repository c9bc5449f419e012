#include "gdi/screen.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "gdi/objects.h"

namespace platform::gdi {

namespace {

void ComposeArea(Surface& screen, const std::vector<ScreenLayer>& layers, RECT area) {
  area = Intersection(area, RECT{0, 0, screen.width, screen.height});
  if (IsEmpty(area)) return;
  std::uint32_t desktop = ToPixel(SystemColour(COLOR_BACKGROUND));
  for (int y = area.top; y < area.bottom; ++y) {
    std::fill(screen.Row(y) + area.left, screen.Row(y) + area.right, desktop);
  }
  for (const ScreenLayer& layer : layers) {
    if (!layer.surface) continue;
    RECT placed{layer.position.x, layer.position.y, layer.position.x + layer.surface->width,
                layer.position.y + layer.surface->height};
    RECT r = Intersection(placed, area);
    if (IsEmpty(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const std::uint32_t* source =
          layer.surface->pixels.data() +
          static_cast<std::size_t>(y - placed.top) * layer.surface->width + (r.left - placed.left);
      std::memcpy(screen.Row(y) + r.left, source,
                  static_cast<std::size_t>(r.right - r.left) * sizeof(std::uint32_t));
    }
  }
}

}  // namespace

void ComposeScreen(const std::vector<ScreenLayer>& layers, const std::vector<RECT>& damage) {
  Surface& screen = Screen();
  for (const RECT& area : damage) ComposeArea(screen, layers, area);
}

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

bool WritePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0) return false;
  std::string temporary = path + ".part";
  std::unique_ptr<FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::remove(temporary.c_str());
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(surface.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    file.reset();
    std::remove(temporary.c_str());
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(surface.width),
               static_cast<png_uint_32>(surface.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < surface.height; ++y) {
    const std::uint32_t* in = surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
    for (int x = 0; x < surface.width; ++x) {
      row[3 * x] = static_cast<png_byte>(in[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(in[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(in[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) {
    file.reset();
    std::remove(temporary.c_str());
    return false;
  }
  file.reset();
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool ReadPng(const std::string& path, Surface* surface) {
  if (!surface) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;
  if (image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return false;
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  for (auto& p : pixels) p &= 0x00FFFFFF;
  surface->width = static_cast<int>(image.width);
  surface->height = static_cast<int>(image.height);
  surface->pixels = std::move(pixels);
  return true;
}

}  // namespace platform::gdi
