#include <gtest/gtest.h>

#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

HFONT SansFont(int height = -11, int weight = FW_NORMAL, const char* face = "MS Sans Serif") {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

int InkPixels(const Canvas& canvas, int width, int height, COLORREF ink) {
  int count = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) count += canvas.At(x, y) == ink;
  }
  return count;
}

TEST(TextMetrics, ClassicEightPointSansGivesThirteenPixelLines) {
  Canvas canvas(4, 4);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  TEXTMETRICA m{};
  ASSERT_TRUE(GetTextMetricsA(canvas.dc, &m));
  EXPECT_EQ(m.tmAscent, 10);
  EXPECT_EQ(m.tmDescent, 3);
  EXPECT_EQ(m.tmHeight, 13);
  EXPECT_EQ(m.tmInternalLeading, 2);
  EXPECT_EQ(m.tmPitchAndFamily & TMPF_FIXED_PITCH, TMPF_FIXED_PITCH);  // variable pitch
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "0", 1, &size));
  EXPECT_EQ(size.cx, 6);
  EXPECT_EQ(size.cy, 13);
  ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "", 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 13);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextMetrics, APositiveHeightIsTheCellHeight) {
  Canvas canvas(4, 4);
  for (int height : {11, 13, 16, 20, 37}) {
    for (const char* face : {"MS Sans Serif", "Courier New"}) {
      HFONT font = SansFont(height, FW_NORMAL, face);
      SelectObject(canvas.dc, font);
      TEXTMETRICA m{};
      ASSERT_TRUE(GetTextMetricsA(canvas.dc, &m));
      EXPECT_EQ(m.tmHeight, height) << face;
      EXPECT_EQ(m.tmAscent + m.tmDescent, height) << face;
      EXPECT_GT(m.tmAscent, m.tmDescent) << face;
      SIZE size{};
      GetTextExtentPoint32A(canvas.dc, "Ag", 2, &size);
      EXPECT_EQ(size.cy, height) << face;
      SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
      DeleteObject(font);
    }
  }
  // The stock fonts are made with positive heights, and get exactly those cells.
  for (int stock : {SYSTEM_FONT, ANSI_VAR_FONT, SYSTEM_FIXED_FONT}) {
    LOGFONTA logical{};
    GetObjectA(GetStockObject(stock), sizeof logical, &logical);
    EXPECT_GT(logical.lfHeight, 0);
    SelectObject(canvas.dc, GetStockObject(stock));
    TEXTMETRICA m{};
    GetTextMetricsA(canvas.dc, &m);
    EXPECT_EQ(m.tmHeight, logical.lfHeight);
  }
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
}

TEST(TextMetrics, FaceNamesMapToSansMonoAndBold) {
  Canvas canvas(4, 4);
  SIZE i{}, w{};
  HFONT mono = SansFont(-11, FW_NORMAL, "Courier New");
  SelectObject(canvas.dc, mono);
  GetTextExtentPoint32A(canvas.dc, "i", 1, &i);
  GetTextExtentPoint32A(canvas.dc, "W", 1, &w);
  EXPECT_EQ(i.cx, w.cx);  // fixed pitch
  char face[32];
  GetTextFaceA(canvas.dc, sizeof face, face);
  EXPECT_STREQ(face, "Courier New");
  HFONT sans = SansFont(-11, FW_NORMAL, "Arial");
  SelectObject(canvas.dc, sans);
  GetTextExtentPoint32A(canvas.dc, "i", 1, &i);
  GetTextExtentPoint32A(canvas.dc, "W", 1, &w);
  EXPECT_LT(i.cx, w.cx);
  HFONT bold = SansFont(-11, FW_BOLD, "Arial");
  // Bold strokes are thicker: the same word leaves more ink.
  Canvas plainInk(60, 16), boldInk(60, 16);
  SelectObject(plainInk.dc, sans);
  SelectObject(boldInk.dc, bold);
  TextOutA(plainInk.dc, 0, 0, "Wall", 4);
  TextOutA(boldInk.dc, 0, 0, "Wall", 4);
  EXPECT_GT(InkPixels(boldInk, 60, 16, 0), InkPixels(plainInk, 60, 16, 0));
  SelectObject(plainInk.dc, GetStockObject(SYSTEM_FONT));
  SelectObject(boldInk.dc, GetStockObject(SYSTEM_FONT));
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  for (HFONT f : {mono, sans, bold}) DeleteObject(f);
}

TEST(TextOut, DrawsOneBitGlyphsInTheTextColourInsideTheCell) {
  Canvas canvas(40, 20);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  SetTextColor(canvas.dc, RGB(255, 0, 0));
  SetBkMode(canvas.dc, TRANSPARENT);
  ASSERT_TRUE(TextOutA(canvas.dc, 2, 3, "Hi", 2));
  int red = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      COLORREF c = canvas.At(x, y);
      // No anti-aliasing: every pixel is the text colour or the untouched white.
      ASSERT_TRUE(c == RGB(255, 0, 0) || c == RGB(255, 255, 255)) << x << "," << y;
      if (c == RGB(255, 0, 0)) {
        ++red;
        EXPECT_GE(y, 3);
        EXPECT_LT(y, 3 + 13);
        EXPECT_GE(x, 2);
      }
    }
  }
  EXPECT_GT(red, 10);
  // "H" has a full-height left stem from the cap height down to the baseline (row 3 + 10).
  EXPECT_EQ(canvas.At(3, 12), RGB(255, 0, 0));
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextOut, OpaqueModeFillsTheCellWithTheBackgroundColour) {
  Canvas canvas(30, 20);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  SetBkColor(canvas.dc, RGB(0, 0, 255));
  SetBkMode(canvas.dc, OPAQUE);
  TextOutA(canvas.dc, 1, 1, "0", 1);
  // The cell is 6 x 13 from (1, 1); blue where the glyph has no ink.
  EXPECT_EQ(canvas.At(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(6, 13), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(7, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(1, 14), RGB(255, 255, 255));
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextOut, AlignmentAndCurrentPosition) {
  Canvas canvas(60, 30);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  SetBkColor(canvas.dc, RGB(0, 0, 255));
  SIZE size;
  GetTextExtentPoint32A(canvas.dc, "ab", 2, &size);
  SetTextAlign(canvas.dc, TA_RIGHT | TA_BOTTOM);
  TextOutA(canvas.dc, 50, 25, "ab", 2);
  EXPECT_EQ(canvas.At(50 - size.cx, 25 - 13), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(49, 24), RGB(0, 0, 255));
  EXPECT_NE(canvas.At(50, 24), RGB(0, 0, 255));
  EXPECT_NE(canvas.At(49, 25), RGB(0, 0, 255));
  SetTextAlign(canvas.dc, TA_UPDATECP);
  MoveToEx(canvas.dc, 3, 0, nullptr);
  TextOutA(canvas.dc, 0, 0, "ab", 2);
  POINT p;
  GetCurrentPositionEx(canvas.dc, &p);
  EXPECT_EQ(p.x, 3 + size.cx);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextOut, ExtTextOutClipsToItsRectangleAndFillsItWhenOpaque) {
  Canvas canvas(40, 20);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  SetBkMode(canvas.dc, TRANSPARENT);
  SetBkColor(canvas.dc, RGB(0, 255, 0));
  RECT r{5, 2, 9, 18};
  ExtTextOutA(canvas.dc, 0, 2, ETO_CLIPPED | ETO_OPAQUE, &r, "WWWW", 4, nullptr);
  for (int y = 0; y < 20; ++y) {
    EXPECT_EQ(canvas.At(4, y), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(9, y), RGB(255, 255, 255));
  }
  EXPECT_EQ(canvas.At(5, 17), RGB(0, 255, 0));
  EXPECT_GT(InkPixels(canvas, 40, 20, RGB(0, 0, 0)), 0);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextOut, InvalidUtf8ShowsTheReplacementCharacterPerByte) {
  Canvas canvas(4, 4);
  HFONT font = SansFont();
  SelectObject(canvas.dc, font);
  SIZE replacement{}, bad{}, good{};
  GetTextExtentPoint32A(canvas.dc, "\xEF\xBF\xBD", 3, &replacement);
  GetTextExtentPoint32A(canvas.dc, "\xC3\x28", 2, &bad);  // broken pair: U+FFFD then "("
  SIZE paren{};
  GetTextExtentPoint32A(canvas.dc, "(", 1, &paren);
  EXPECT_EQ(bad.cx, replacement.cx + paren.cx);
  GetTextExtentPoint32A(canvas.dc, "\xC3\xA9", 2, &good);  // é: one glyph
  SIZE e{};
  GetTextExtentPoint32A(canvas.dc, "e", 1, &e);
  EXPECT_EQ(good.cx, e.cx);
  // A character Liberation lacks comes from the fallback face rather than a box.
  SIZE arrow{};
  EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc, "\xE2\x87\xA8", 3, &arrow));
  EXPECT_GT(arrow.cx, 0);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(Fonts, EnumerationListsTheFacesWeHave) {
  Canvas canvas(1, 1);
  std::vector<std::string> names;
  EnumFontFamiliesExA(
      canvas.dc, nullptr,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) {
        EXPECT_EQ(type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
        reinterpret_cast<std::vector<std::string>*>(data)->push_back(font->lfFaceName);
        return 1;
      },
      reinterpret_cast<LPARAM>(&names), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"Liberation Sans", "Liberation Mono", "DejaVu Sans"}));
}

}  // namespace
