#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255);

struct InfoWithTable {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

InfoWithTable Header(int width, int height, int bits, int used = 0) {
  InfoWithTable info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biClrUsed = static_cast<DWORD>(used);
  return info;
}

// Blits a bitmap into a fresh canvas so that the result is read as a caller would.
std::vector<COLORREF> Pixels(HBITMAP bitmap, int width, int height) {
  Canvas canvas(width, height);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(canvas.dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  std::vector<COLORREF> out;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.push_back(canvas.At(x, y));
  }
  return out;
}

TEST(DeviceIndependentBitmaps, FourBitRowsMapThroughTheirColourTableBottomUp) {
  InfoWithTable info = Header(3, 2, 4, 3);
  info.colours[0] = {0, 0, 255, 0};      // red
  info.colours[1] = {255, 0, 0, 0};      // blue
  info.colours[2] = {0, 128, 128, 0};    // olive
  // Stored bottom row first, 4 bytes per row: indices 2 1 0 then 0 1 2.
  const BYTE bits[8] = {0x21, 0x00, 0, 0, 0x01, 0x20, 0, 0};
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ASSERT_NE(bitmap, nullptr);
  auto p = Pixels(bitmap, 3, 2);
  EXPECT_EQ(p, (std::vector<COLORREF>{kRed, RGB(0, 0, 255), RGB(128, 128, 0),
                                      RGB(128, 128, 0), RGB(0, 0, 255), kRed}));
  BITMAP object{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof object, &object), static_cast<int>(sizeof object));
  EXPECT_EQ(object.bmWidth, 3);
  EXPECT_EQ(object.bmBitsPixel, 32);
  DeleteObject(bitmap);
  DeleteDC(screen);
}

TEST(DeviceIndependentBitmaps, OneBitImagesUseTheirOwnTwoColours) {
  InfoWithTable info = Header(8, 1, 1);
  info.colours[0] = {0, 255, 0, 0};   // green for 0
  info.colours[1] = {0, 0, 255, 0};   // red for 1
  const BYTE bits[4] = {0xF0, 0, 0, 0};
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  auto p = Pixels(bitmap, 8, 1);
  EXPECT_EQ(p[0], kRed);
  EXPECT_EQ(p[3], kRed);
  EXPECT_EQ(p[4], RGB(0, 255, 0));
  DeleteObject(bitmap);
  DeleteDC(screen);
}

TEST(DeviceIndependentBitmaps, CoreHeadersCarryThreeByteColourEntries) {
  struct {
    BITMAPCOREHEADER header;
    RGBTRIPLE colours[2];
  } info{};
  info.header = {sizeof(BITMAPCOREHEADER), 2, 1, 1, 1};
  info.colours[0] = {255, 255, 255};
  info.colours[1] = {0, 0, 255};
  const BYTE bits[4] = {0x40, 0, 0, 0};
  HBITMAP bitmap = CreateDIBitmap(nullptr, reinterpret_cast<BITMAPINFOHEADER*>(&info.header),
                                  CBM_INIT, bits, reinterpret_cast<BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS);
  ASSERT_NE(bitmap, nullptr);
  auto p = Pixels(bitmap, 2, 1);
  EXPECT_EQ(p[0], kWhite);
  EXPECT_EQ(p[1], kRed);
  DeleteObject(bitmap);
}

TEST(DeviceIndependentBitmaps, DirectColourDepthsAndTopDownRows) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  {
    InfoWithTable info = Header(2, -2, 24);  // top-down
    const BYTE bits[16] = {0, 0, 255, 0, 255, 0, 0, 0,  255, 0, 0, 1, 2, 3, 0, 0};
    HBITMAP b = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    auto p = Pixels(b, 2, 2);
    EXPECT_EQ(p, (std::vector<COLORREF>{kRed, RGB(0, 255, 0), RGB(0, 0, 255), RGB(3, 2, 1)}));
    DeleteObject(b);
  }
  {
    InfoWithTable info = Header(1, 1, 16);
    const BYTE bits[4] = {0x00, 0x7C, 0, 0};  // 5-5-5: full red
    HBITMAP b = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    EXPECT_EQ(Pixels(b, 1, 1)[0], kRed);
    DeleteObject(b);
  }
  {
    InfoWithTable info = Header(1, 1, 32);
    const BYTE bits[4] = {0x10, 0x20, 0x30, 0xFF};
    HBITMAP b = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    EXPECT_EQ(Pixels(b, 1, 1)[0], RGB(0x30, 0x20, 0x10));
    DeleteObject(b);
  }
  {
    InfoWithTable info = Header(1, 1, 8, 2);
    info.colours[1] = {1, 2, 3, 0};
    const BYTE bits[4] = {1, 0, 0, 0};
    HBITMAP b = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    EXPECT_EQ(Pixels(b, 1, 1)[0], RGB(3, 2, 1));
    DeleteObject(b);
  }
  DeleteDC(screen);
}

TEST(DeviceIndependentBitmaps, UnreadableHeadersAreRefused) {
  InfoWithTable info = Header(2, 2, 7);
  BYTE bits[16] = {};
  EXPECT_EQ(CreateDIBitmap(nullptr, &info.header, CBM_INIT, bits,
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
            nullptr);
  info = Header(2, 2, 8);
  info.header.biCompression = BI_RLE8;
  EXPECT_EQ(CreateDIBitmap(nullptr, &info.header, CBM_INIT, bits,
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
            nullptr);
}

TEST(DeviceIndependentBitmaps, GetDIBitsReportsTheFormatThenConvertsRows) {
  Canvas canvas(3, 2);
  SetPixel(canvas.dc, 0, 0, kRed);        // top-left
  SetPixel(canvas.dc, 2, 1, RGB(0, 0, 128));  // bottom-right: navy
  InfoWithTable info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(canvas.dc, canvas.bitmap, 0, 2, nullptr,
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
            0);
  EXPECT_EQ(info.header.biWidth, 3);
  EXPECT_EQ(info.header.biHeight, 2);
  EXPECT_EQ(info.header.biBitCount, 32);
  // 32 bits, bottom-up.
  BYTE bits32[24] = {};
  ASSERT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 2, bits32,
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
            2);
  EXPECT_EQ(bits32[8], 128);     // bottom row, third pixel: blue byte
  EXPECT_EQ(bits32[12 + 2], 255);  // top row, first pixel: red byte
  // 4 bits through the standard 16-colour table.
  info.header.biBitCount = 4;
  BYTE bits4[8] = {};
  GetDIBits(canvas.dc, canvas.bitmap, 0, 2, bits4, reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  auto colourOf = [&](int index) {
    const RGBQUAD& q = info.colours[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  };
  EXPECT_EQ(colourOf(bits4[4] >> 4), kRed);
  EXPECT_EQ(colourOf(bits4[1] >> 4), RGB(0, 0, 128));
  EXPECT_EQ(colourOf(bits4[0] >> 4), kWhite);
  // And back: SetDIBits of the 4-bit rows rebuilds the picture.
  HBITMAP copy = CreateCompatibleBitmap(canvas.dc, 3, 2);
  EXPECT_EQ(SetDIBits(canvas.dc, copy, 0, 2, bits4, reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS),
            2);
  auto p = Pixels(copy, 3, 2);
  EXPECT_EQ(p[0], kRed);
  EXPECT_EQ(p[5], RGB(0, 0, 128));
  EXPECT_EQ(p[1], kWhite);
  DeleteObject(copy);
}

TEST(DeviceDependentBitmaps, MonochromeBitmapsKeepOneBitAndRoundTripTheirBits) {
  const BYTE bits[4] = {0xC3, 0x00, 0x81, 0x00};  // two rows of 8, WORD aligned
  HBITMAP mono = CreateBitmap(8, 2, 1, 1, bits);
  BITMAP info{};
  GetObjectA(mono, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  EXPECT_EQ(info.bmWidthBytes, 2);
  BYTE out[4] = {};
  EXPECT_EQ(GetBitmapBits(mono, sizeof out, out), 4);
  EXPECT_EQ(std::memcmp(out, bits, 4), 0);
  // Colours drawn on a monochrome bitmap become black or white.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
  EXPECT_EQ(SetPixel(dc, 2, 0, RGB(200, 200, 200)), kWhite);
  EXPECT_EQ(SetPixel(dc, 3, 0, RGB(100, 0, 0)), 0u);
  // A bitmap compatible with a DC holding a monochrome bitmap is monochrome too.
  HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 4);
  GetObjectA(compatible, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(mono);
  DeleteObject(compatible);
}

TEST(DeviceDependentBitmaps, ColourBitsAreFourBytesPerPixelBlueFirst) {
  const BYTE bits[8] = {0x10, 0x20, 0x30, 0, 0xFF, 0, 0, 0};
  HBITMAP colour = CreateBitmap(2, 1, 1, 32, bits);
  auto p = Pixels(colour, 2, 1);
  EXPECT_EQ(p[0], RGB(0x30, 0x20, 0x10));
  EXPECT_EQ(p[1], RGB(0, 0, 0xFF));
  EXPECT_EQ(GetBitmapBits(colour, 0, nullptr), 8);
  DeleteObject(colour);
  // Zero sizes give the shared 1 x 1 monochrome bitmap, which nothing can delete.
  HBITMAP empty = CreateBitmap(0, 5, 1, 32, nullptr);
  BITMAP info{};
  GetObjectA(empty, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(empty));
  EXPECT_EQ(GetObjectType(empty), static_cast<DWORD>(OBJ_BITMAP));
}

}  // namespace
