// Packed bitmaps and icon images as resources and stored pictures deliver them.
#include <cstddef>
#include <cstdint>

#include "gdi/dib.h"
#include "gdi/icons.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::Surface surface, mask;
  bool monochrome = false;
  platform::gdi::ReadPackedDib(data, size, &surface, &monochrome);
  platform::gdi::ReadIconImage(data, size, &surface, &mask);
  return 0;
}
