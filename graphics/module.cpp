// Start-up of the graphics classes.
#include "graphics/module.h"

#include <algorithm>
#include <cstring>

#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace graphics_detail {
namespace {

constexpr int kOutOfResources = 61474;

// On a double-byte system whose system font is of the Japanese character set, the
// default font is its usual 9-point face.
constexpr char kJapaneseDefaultFace[] =
    "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

}  // namespace

Module::Module() {
  {
    ScreenDC screen;
    if (screen.Get() != nullptr) screenPixelsPerInch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }
  defaultFont.Height = -MulDiv(8, screenPixelsPerInch, 72);
  defaultFont.Pitch = fpDefault;
  defaultFont.Charset = DEFAULT_CHARSET;
  StoreName(defaultFont.Name, "MS Sans Serif");
  stockFont = GetStockObject(SYSTEM_FONT);
  stockPen = GetStockObject(BLACK_PEN);
  stockBrush = GetStockObject(HOLLOW_BRUSH);
  LOGFONTA systemFont{};
  if (GetSystemMetrics(SM_DBCSENABLED) != 0 &&
      GetObjectA(stockFont, sizeof systemFont, &systemFont) != 0 &&
      systemFont.lfCharSet == SHIFTJIS_CHARSET) {
    defaultFont.Height = -MulDiv(9, screenPixelsPerInch, 72);
    defaultFont.Charset = SHIFTJIS_CHARSET;
    StoreName(defaultFont.Name, kJapaneseDefaultFace);
  }
  defaultIcon = LoadIconA(nullptr, IDI_APPLICATION);
}

Module& Graphics() {
  static Module* module = new Module;
  return *module;
}

void OutOfResources() { throw EOutOfResources(LoadStr(kOutOfResources)); }

void StoreName(char (&field)[32], const std::string& name) {
  std::memset(field, 0, sizeof field);
  std::size_t length = std::min<std::size_t>(name.size(), 31);
  field[0] = static_cast<char>(length);
  std::memcpy(field + 1, name.data(), length);
}

}  // namespace graphics_detail
