#include "controls_test_util.h"

using namespace controltest;

namespace {

constexpr COLORREF kOlive = RGB(128, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A memory surface to draw on and read back.
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int width, int height, COLORREF fill) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    Fill(dc, 0, 0, width, height, fill);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

// A 16 x 16 glyph: olive all round (its bottom-left pixel), a red cross in the middle.
HBITMAP Glyph(int images = 1) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16 * images, 16);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Fill(dc, 0, 0, 16 * images, 16, kOlive);
  for (int i = 0; i < images; ++i) {
    Fill(dc, 16 * i + 7, 2, 16 * i + 9, 14, kRed);
    Fill(dc, 16 * i + 2, 7, 16 * i + 14, 9, kRed);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

class ImageListTest : public ControlTest {};

}  // namespace

TEST_F(ImageListTest, MaskedGlyphLeavesItsTransparentColourAsTheBackground) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLORDDB | ILC_MASK, 4, 4);
  ASSERT_NE(list, nullptr);
  HBITMAP glyph = Glyph();
  ASSERT_EQ(ImageList_AddMasked(list, glyph, PALETTERGB(128, 128, 0)), 0);
  DeleteObject(glyph);
  Canvas c(20, 20, kWhite);
  ASSERT_TRUE(ImageList_DrawEx(list, 0, c.dc, 2, 2, 0, 0, 0x1FFFFFFF, 0x1FFFFFFF, ILD_TRANSPARENT));
  EXPECT_EQ(GetPixel(c.dc, 2, 2), kWhite);  // olive became the background
  EXPECT_EQ(GetPixel(c.dc, 10, 10), kRed);  // the cross
  EXPECT_EQ(GetPixel(c.dc, 2 + 15, 2 + 15), kWhite);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), kWhite);  // nothing outside the image
  // Drawn normally over a background colour, the transparent part takes that colour.
  ImageList_SetBkColor(list, kBlue);
  EXPECT_EQ(ImageList_GetBkColor(list), kBlue);
  ImageList_Draw(list, 0, c.dc, 2, 2, ILD_NORMAL);
  EXPECT_EQ(GetPixel(c.dc, 3, 3), kBlue);
  EXPECT_EQ(GetPixel(c.dc, 10, 10), kRed);
  ImageList_DrawEx(list, 0, c.dc, 2, 2, 0, 0, RGB(0, 255, 0), CLR_NONE, ILD_NORMAL);
  EXPECT_EQ(GetPixel(c.dc, 3, 3), RGB(0, 255, 0));
  // The mask alone: white where transparent, black where drawn.
  ImageList_Draw(list, 0, c.dc, 2, 2, ILD_MASK);
  EXPECT_EQ(GetPixel(c.dc, 3, 3), kWhite);
  EXPECT_EQ(GetPixel(c.dc, 10, 10), kBlack);
  // Blended with the highlight: half the drawn pixels.
  Fill(c.dc, 0, 0, 20, 20, kWhite);
  ImageList_DrawEx(list, 0, c.dc, 2, 2, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT | ILD_BLEND50);
  int navy = 0, red = 0;
  for (int y = 2; y < 18; ++y)
    for (int x = 2; x < 18; ++x) {
      navy += GetPixel(c.dc, x, y) == kNavy;
      red += GetPixel(c.dc, x, y) == kRed;
    }
  EXPECT_EQ(navy + red, 2 * 12 * 2 - 4);
  EXPECT_NEAR(navy, red, 2);
  EXPECT_TRUE(ImageList_Destroy(list));
}

TEST_F(ImageListTest, StripsEmptySlotsReplacementAndRemoval) {
  pt::Counts start = pt::LiveObjects();
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR | ILC_MASK, 4, 4);
  HBITMAP strip = Glyph(3);
  EXPECT_EQ(ImageList_Add(list, strip, nullptr), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), 3);  // an empty slot
  EXPECT_EQ(ImageList_GetImageCount(list), 4);
  {
    Canvas c(16, 16, kWhite);
    ImageList_Draw(list, 3, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(c.dc, 8, 8), kWhite);  // empty slots draw nothing
    ImageList_Draw(list, 1, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kOlive);  // added without a mask: all of it drawn
  }
  HBITMAP glyph = Glyph();
  EXPECT_TRUE(ImageList_Replace(list, 3, glyph, nullptr));
  EXPECT_FALSE(ImageList_Replace(list, 4, glyph, nullptr));
  IMAGEINFO info;
  ASSERT_TRUE(ImageList_GetImageInfo(list, 3, &info));
  EXPECT_EQ(info.rcImage.right, 16);
  EXPECT_TRUE(ImageList_SetImageCount(list, 6));
  EXPECT_EQ(ImageList_GetImageCount(list), 6);
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 5);
  EXPECT_FALSE(ImageList_Remove(list, 9));
  EXPECT_TRUE(ImageList_RemoveAll(list));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  int width, height;
  EXPECT_TRUE(ImageList_GetIconSize(list, &width, &height));
  EXPECT_TRUE(ImageList_Destroy(list));
  DeleteObject(glyph);
  DeleteObject(strip);
  // A destroyed or made-up list is refused.
  EXPECT_FALSE(ImageList_Destroy(list));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_Add(reinterpret_cast<HIMAGELIST>(0x1234), nullptr, nullptr), -1);
  EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 1, 1), nullptr);
  EXPECT_EQ(pt::LiveObjects(), start);
}
