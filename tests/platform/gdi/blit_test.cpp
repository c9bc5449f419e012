#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = 0;

// A 4 x 1 monochrome bitmap with the bits 1, 0, 1, 0.
HBITMAP StripedMask() {
  const BYTE bits[2] = {0xA0, 0};
  return CreateBitmap(4, 1, 1, 1, bits);
}

TEST(RasterOps, BrushThroughAMonochromeMaskKeepsTheDestinationWhereTheMaskIsZero) {
  Canvas dest(4, 1, false, kGreen);
  HDC maskDc = CreateCompatibleDC(dest.dc);
  HBITMAP mask = StripedMask();
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(dest.dc, red);
  // Monochrome source into colour: text colour for 0 bits, background colour for 1 bits.
  SetTextColor(dest.dc, kBlack);
  SetBkColor(dest.dc, kWhite);
  ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 4, 1, maskDc, 0, 0, 0x00E20746));
  EXPECT_EQ(dest.At(0, 0), kRed);
  EXPECT_EQ(dest.At(1, 0), kGreen);
  EXPECT_EQ(dest.At(2, 0), kRed);
  EXPECT_EQ(dest.At(3, 0), kGreen);
  SelectObject(dest.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(maskDc, oldMask);
  DeleteObject(red);
  DeleteObject(mask);
  DeleteDC(maskDc);
}

TEST(RasterOps, MonochromeToColourUsesTextForZeroAndBackgroundForOne) {
  Canvas dest(4, 1);
  HDC maskDc = CreateCompatibleDC(nullptr);
  HBITMAP mask = StripedMask();
  HGDIOBJ old = SelectObject(maskDc, mask);
  SetTextColor(dest.dc, kBlue);
  SetBkColor(dest.dc, kRed);
  BitBlt(dest.dc, 0, 0, 4, 1, maskDc, 0, 0, SRCCOPY);
  EXPECT_EQ(dest.At(0, 0), kRed);
  EXPECT_EQ(dest.At(1, 0), kBlue);
  SelectObject(maskDc, old);
  DeleteObject(mask);
  DeleteDC(maskDc);
}

TEST(RasterOps, ColourToMonochromeMakesBackgroundColouredPixelsOne) {
  Canvas source(3, 1, false, kRed);
  SetPixel(source.dc, 1, 0, kBlue);
  SetPixel(source.dc, 2, 0, kWhite);
  Canvas mono(3, 1, true, kBlack);
  SetBkColor(source.dc, kBlue);
  BitBlt(mono.dc, 0, 0, 3, 1, source.dc, 0, 0, SRCCOPY);
  // Only the blue pixel matches the source background colour; white is not special.
  EXPECT_EQ(mono.At(0, 0), kBlack);
  EXPECT_EQ(mono.At(1, 0), kWhite);
  EXPECT_EQ(mono.At(2, 0), kBlack);
  BYTE bits[2] = {};
  ASSERT_EQ(GetBitmapBits(mono.bitmap, sizeof bits, bits), 2);
  EXPECT_EQ(bits[0], 0x40);
}

TEST(RasterOps, EveryIndexIsComputedFromItsTruthTable) {
  // Pattern, source and destination each one colour; each of the 256 operations must give
  // the bitwise function its index describes.
  const COLORREF p = RGB(0xF0, 0x0F, 0x33), s = RGB(0xCC, 0x55, 0x0F), d = RGB(0xAA, 0x99, 0x3C);
  Canvas source(1, 1, false, s);
  HBRUSH brush = CreateSolidBrush(p);
  for (unsigned index = 0; index < 256; ++index) {
    Canvas dest(1, 1, false, d);
    SelectObject(dest.dc, brush);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, index << 16));
    COLORREF expected = 0;
    for (unsigned bit = 0; bit < 24; ++bit) {
      unsigned pb = (p >> bit) & 1, sb = (s >> bit) & 1, db = (d >> bit) & 1;
      expected |= static_cast<COLORREF>((index >> (4 * pb + 2 * sb + db)) & 1) << bit;
    }
    EXPECT_EQ(dest.At(0, 0), expected) << "index " << index;
    SelectObject(dest.dc, GetStockObject(WHITE_BRUSH));
  }
  DeleteObject(brush);
}

TEST(RasterOps, MaskBltPicksForegroundAndBackgroundOperationsByMaskBit) {
  Canvas source(4, 1, false, kBlue);
  Canvas dest(4, 1, false, kGreen);
  HBITMAP mask = StripedMask();
  ASSERT_TRUE(MaskBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, mask, 0, 0,
                      MAKEROP4(SRCCOPY, 0x00AA0029)));  // background: keep the destination
  EXPECT_EQ(dest.At(0, 0), kBlue);
  EXPECT_EQ(dest.At(1, 0), kGreen);
  EXPECT_EQ(dest.At(2, 0), kBlue);
  HBITMAP colour = CreateBitmap(4, 1, 1, 32, nullptr);
  EXPECT_FALSE(MaskBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, colour, 0, 0, SRCCOPY));
  DeleteObject(mask);
  DeleteObject(colour);
}

TEST(Blits, StretchMirrorsAndScalesByNearestPixel) {
  Canvas source(2, 1);
  SetPixel(source.dc, 0, 0, kRed);
  SetPixel(source.dc, 1, 0, kBlue);
  Canvas dest(4, 2);
  StretchBlt(dest.dc, 0, 0, 4, 2, source.dc, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dest.Row(1, 0, 4, kRed), "##..");
  StretchBlt(dest.dc, 3, 0, -4, 1, source.dc, 0, 0, 2, 1, SRCCOPY);  // mirrored
  EXPECT_EQ(dest.Row(0, 0, 4, kBlue), "##..");
}

TEST(Blits, OverlappingCopyWithinOneBitmapReadsTheOriginalPixels) {
  Canvas canvas(5, 1);
  for (int x = 0; x < 5; ++x) SetPixel(canvas.dc, x, 0, RGB(x, 0, 0));
  BitBlt(canvas.dc, 1, 0, 4, 1, canvas.dc, 0, 0, SRCCOPY);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(canvas.At(x, 0), RGB(x - 1, 0, 0));
}

TEST(Blits, DestinationClipAndOriginApply) {
  Canvas source(4, 4, false, kRed);
  Canvas dest(6, 6);
  SetViewportOrgEx(dest.dc, 1, 1, nullptr);
  IntersectClipRect(dest.dc, 0, 0, 2, 2);
  BitBlt(dest.dc, 0, 0, 4, 4, source.dc, 0, 0, SRCCOPY);
  SetViewportOrgEx(dest.dc, 0, 0, nullptr);
  SelectClipRgn(dest.dc, nullptr);
  EXPECT_EQ(dest.Row(0, 0, 6, kRed), "......");
  EXPECT_EQ(dest.Row(1, 0, 6, kRed), ".##...");
  EXPECT_EQ(dest.Row(3, 0, 6, kRed), "......");
}

TEST(Blits, PatBltRefusesOperationsThatNeedASource) {
  Canvas canvas(2, 2);
  EXPECT_FALSE(PatBlt(canvas.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_TRUE(PatBlt(canvas.dc, 0, 0, 2, 2, BLACKNESS));
  EXPECT_EQ(canvas.At(1, 1), kBlack);
  EXPECT_TRUE(PatBlt(canvas.dc, 0, 0, 1, 2, DSTINVERT));
  EXPECT_EQ(canvas.At(0, 1), kWhite);
  EXPECT_EQ(canvas.At(1, 1), kBlack);
}

}  // namespace
