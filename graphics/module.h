// The process-wide state of the graphics classes, made on first use: the screen's
// density, the default font, the stock objects a canvas selects when it lets go of its
// own, the default application icon, the three resource managers and the lists of
// live canvases. Internal to graphics/.
#pragma once
#include <vector>

#include "graphics/graphics.h"

namespace graphics_detail {

struct Module {
  Module();
  int screenPixelsPerInch = 96;
  TFontData defaultFont{};
  HGDIOBJ stockFont = nullptr;
  HGDIOBJ stockPen = nullptr;
  HGDIOBJ stockBrush = nullptr;
  HICON defaultIcon = nullptr;
  TResourceManager fonts{sizeof(TFontData)};
  TResourceManager pens{sizeof(TPenData)};
  TResourceManager brushes{sizeof(TBrushData)};
  std::vector<TCanvas*> canvases;
  std::vector<TBitmapCanvas*> bitmapCanvases;
};

// Never destroyed: fonts and canvases held by objects with static lifetime may outlive
// any order of destruction at exit.
Module& Graphics();

// The screen's device context for the length of a scope.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Raises EOutOfResources "Out of system resources".
[[noreturn]] void OutOfResources();

// A short-string record field from a text: length byte, then at most 31 characters.
void StoreName(char (&field)[32], const std::string& name);

}  // namespace graphics_detail
