// Helpers for the drawing tests: memory DCs over fresh bitmaps, read back by pixel.
#pragma once
#include <string>
#include <vector>

#include "platform/win32.h"

namespace gdi_test {

// A memory DC with a width x height bitmap selected (colour, or monochrome).
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  Canvas(int width, int height, bool monochrome = false, COLORREF fill = RGB(255, 255, 255)) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = monochrome ? CreateBitmap(width, height, 1, 1, nullptr)
                        : CreateBitmap(width, height, 1, 32, nullptr);
    previous = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  // One character per pixel of a row: '#' for `ink`, '.' for anything else.
  std::string Row(int y, int x0, int x1, COLORREF ink = 0) const {
    std::string s;
    for (int x = x0; x < x1; ++x) s += At(x, y) == ink ? '#' : '.';
    return s;
  }
};

}  // namespace gdi_test
