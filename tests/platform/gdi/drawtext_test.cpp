#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

struct TextCanvas : Canvas {
  HFONT font;
  TextCanvas(int width, int height) : Canvas(width, height) {
    font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                       "MS Sans Serif");
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  int Width(const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    return size.cx;
  }
  RECT InkBox() const {
    RECT box{1000, 1000, -1, -1};
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (At(x, y) != 0) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    return box;
  }
};

TEST(DrawText, CalcRectMeasuresOneLineWithoutDrawing) {
  TextCanvas canvas(120, 60);
  RECT r{5, 7, 6, 8};
  int height = DrawTextA(canvas.dc, "Repeat", -1, &r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(height, 13);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right, 5 + canvas.Width("Repeat"));
  EXPECT_EQ(r.bottom, 7 + 13);
  EXPECT_EQ(canvas.InkBox().right, -1);  // nothing drawn
}

TEST(DrawText, WordBreakWrapsAtSpacesAndCalcRectCountsTheLines) {
  TextCanvas canvas(120, 60);
  int word = canvas.Width("alpha");
  RECT r{0, 0, word + canvas.Width(" b"), 0};
  int height = DrawTextA(canvas.dc, "alpha beta gamma", -1, &r, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(height, 3 * 13);
  EXPECT_EQ(r.bottom, 3 * 13);
  EXPECT_EQ(r.right, std::max({word, canvas.Width("beta"), canvas.Width("gamma")}));
  // A word wider than the line stays whole on its own line.
  RECT narrow{0, 0, 3, 0};
  EXPECT_EQ(DrawTextA(canvas.dc, "alpha beta", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), 26);
  // Explicit line ends break without DT_WORDBREAK, and not with DT_SINGLELINE.
  RECT lines{0, 0, 100, 0};
  EXPECT_EQ(DrawTextA(canvas.dc, "a\r\nb\nc", -1, &lines, DT_CALCRECT), 39);
  EXPECT_EQ(DrawTextA(canvas.dc, "a\r\nb\nc", -1, &lines, DT_CALCRECT | DT_SINGLELINE), 13);
}

TEST(DrawText, PrefixUnderlinesTheNextCharacterAndDoubleAmpersandShowsOne) {
  TextCanvas canvas(120, 60);
  RECT r{0, 0, 100, 20};
  RECT measured = r;
  DrawTextA(canvas.dc, "a&&b", -1, &measured, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(measured.right, canvas.Width("a&b"));
  measured = r;
  DrawTextA(canvas.dc, "a&&b", -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(measured.right, canvas.Width("a&&b"));
  DrawTextA(canvas.dc, "&File", -1, &r, DT_SINGLELINE);
  // The underline sits below the baseline (row 10), under "F" only.
  int f = canvas.Width("F");
  int underlineRow = -1;
  for (int y = 10; y < 13; ++y) {
    if (canvas.Row(y, 0, f) == std::string(static_cast<std::size_t>(f), '#')) underlineRow = y;
  }
  ASSERT_GE(underlineRow, 10);
  EXPECT_EQ(canvas.At(f + 1, underlineRow), RGB(255, 255, 255));
}

TEST(DrawText, CentresHorizontallyAndVerticallyOnOneLine) {
  TextCanvas canvas(120, 60);
  RECT r{0, 0, 120, 60};
  int result = DrawTextA(canvas.dc, "Seqen.", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  int width = canvas.Width("Seqen.");
  EXPECT_EQ(result, (60 - 13) / 2 + 13);
  RECT ink = canvas.InkBox();
  EXPECT_GE(ink.left, (120 - width) / 2);
  EXPECT_LE(ink.right, (120 - width) / 2 + width);
  EXPECT_GE(ink.top, (60 - 13) / 2);
  EXPECT_LE(ink.bottom, (60 - 13) / 2 + 13);
}

TEST(DrawText, RightAlignmentAndClippingToTheRectangle) {
  TextCanvas canvas(120, 60);
  RECT r{10, 0, 60, 13};
  DrawTextA(canvas.dc, "x", -1, &r, DT_SINGLELINE | DT_RIGHT);
  RECT ink = canvas.InkBox();
  EXPECT_LE(ink.right, 60);
  EXPECT_GT(ink.left, 50);
  RECT small{0, 20, 12, 30};
  DrawTextA(canvas.dc, "WWWWWWW", -1, &small, DT_SINGLELINE);
  for (int y = 20; y < 40; ++y) EXPECT_EQ(canvas.At(13, y), RGB(255, 255, 255));
  for (int x = 0; x < 12; ++x) EXPECT_EQ(canvas.At(x, 30), RGB(255, 255, 255));
}

TEST(DrawText, TabsExpandToStopsOfEightAverageCharacters) {
  TextCanvas canvas(120, 60);
  TEXTMETRICA m{};
  GetTextMetricsA(canvas.dc, &m);
  RECT r{0, 0, 200, 0};
  DrawTextA(canvas.dc, "a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.right, 8 * m.tmAveCharWidth + canvas.Width("b"));
}

}  // namespace
