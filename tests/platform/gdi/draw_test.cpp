#include <gtest/gtest.h>

#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = 0;

TEST(Pens, DashesShowTheBackgroundColourUnlessTransparent) {
  Canvas canvas(40, 2);
  HPEN dash = CreatePen(PS_DASH, 1, kBlack);
  SelectObject(canvas.dc, dash);
  SetBkColor(canvas.dc, kBlue);
  MoveToEx(canvas.dc, 0, 0, nullptr);
  LineTo(canvas.dc, 30, 0);
  EXPECT_EQ(canvas.Row(0, 0, 31, kBlack), "##################......######.");
  EXPECT_EQ(canvas.Row(0, 0, 31, kBlue), "..................######.......");
  SetBkMode(canvas.dc, TRANSPARENT);
  MoveToEx(canvas.dc, 0, 1, nullptr);
  LineTo(canvas.dc, 30, 1);
  EXPECT_EQ(canvas.Row(1, 0, 31, kWhite), "..................######......#");
  SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
  DeleteObject(dash);
}

TEST(Pens, LinesLeaveOutTheirLastPointAndXorTwiceRestores) {
  Canvas canvas(6, 6);
  MoveToEx(canvas.dc, 0, 0, nullptr);
  LineTo(canvas.dc, 5, 5);
  EXPECT_EQ(canvas.At(4, 4), kBlack);
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  HPEN red = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(canvas.dc, red);
  SetROP2(canvas.dc, R2_XORPEN);
  const POINT points[3] = {{0, 2}, {5, 2}, {5, 0}};
  Polyline(canvas.dc, points, 3);
  EXPECT_EQ(canvas.At(1, 2), RGB(0, 255, 255));
  Polyline(canvas.dc, points, 3);
  EXPECT_EQ(canvas.At(1, 2), kWhite);
  EXPECT_EQ(canvas.At(2, 2), kBlack);  // the diagonal's pixel is back too
  SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
  DeleteObject(red);
}

TEST(Shapes, RectangleFramesWithThePenAndFillsWithTheBrush) {
  Canvas canvas(7, 7);
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(canvas.dc, red);
  Rectangle(canvas.dc, 1, 1, 5, 5);
  EXPECT_EQ(canvas.Row(1, 0, 7, kBlack), ".####..");
  EXPECT_EQ(canvas.Row(2, 0, 7, kBlack), ".#..#..");
  EXPECT_EQ(canvas.Row(2, 0, 7, kRed), "..##...");
  EXPECT_EQ(canvas.Row(5, 0, 7, kBlack), ".......");
  // Without a pen the fill is one pixel smaller on the right and bottom.
  SelectObject(canvas.dc, GetStockObject(NULL_PEN));
  Rectangle(canvas.dc, 0, 0, 3, 3);
  EXPECT_EQ(canvas.At(1, 1), kRed);
  EXPECT_EQ(canvas.At(2, 0), kWhite);
  SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
  SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(Shapes, EllipseOutlineTouchesTheBoxMiddlesAndFillsInside) {
  Canvas canvas(11, 11);
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(canvas.dc, red);
  Ellipse(canvas.dc, 0, 0, 9, 9);
  EXPECT_EQ(canvas.At(4, 0), kBlack);
  EXPECT_EQ(canvas.At(0, 4), kBlack);
  EXPECT_EQ(canvas.At(8, 4), kBlack);
  EXPECT_EQ(canvas.At(4, 8), kBlack);
  EXPECT_EQ(canvas.At(4, 4), kRed);
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(9, 4), kWhite);
  // Symmetric left to right.
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(canvas.At(x, y), canvas.At(8 - x, y)) << x << "," << y;
  }
  SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(Shapes, PolygonFillsByTheFillMode) {
  Canvas canvas(10, 10);
  SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
  SelectObject(canvas.dc, GetStockObject(NULL_PEN));
  const POINT square[4] = {{1, 1}, {9, 1}, {9, 9}, {1, 9}};
  Polygon(canvas.dc, square, 4);
  EXPECT_EQ(canvas.At(1, 1), kBlack);
  EXPECT_EQ(canvas.At(8, 8), kBlack);
  EXPECT_EQ(canvas.At(9, 9), kWhite);
  SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
  SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
}

TEST(Brushes, HatchesPatternsAndTheBrushOrigin) {
  Canvas canvas(8, 8, false, kBlue);
  HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, kBlack);
  RECT all{0, 0, 8, 8};
  SetBkMode(canvas.dc, TRANSPARENT);
  FillRect(canvas.dc, &all, hatch);
  int blackRows = 0;
  for (int y = 0; y < 8; ++y) {
    std::string row = canvas.Row(y, 0, 8, kBlack);
    if (row == "########")
      ++blackRows;
    else
      EXPECT_EQ(canvas.Row(y, 0, 8, kBlue), "########");  // transparent background
  }
  EXPECT_EQ(blackRows, 1);
  SetBkMode(canvas.dc, OPAQUE);
  FillRect(canvas.dc, &all, hatch);
  EXPECT_EQ(canvas.At(0, 0) == kWhite || canvas.At(0, 0) == kBlack, true);
  DeleteObject(hatch);

  const BYTE pixels[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
  HBITMAP tile = CreateBitmap(2, 1, 1, 32, pixels);
  HBRUSH pattern = CreatePatternBrush(tile);
  DeleteObject(tile);  // the brush keeps its own copy
  FillRect(canvas.dc, &all, pattern);
  EXPECT_EQ(canvas.Row(3, 0, 4, kRed), "#.#.");
  SetBrushOrgEx(canvas.dc, 1, 0, nullptr);
  FillRect(canvas.dc, &all, pattern);
  EXPECT_EQ(canvas.Row(3, 0, 4, kRed), ".#.#");
  DeleteObject(pattern);
}

TEST(Brushes, SystemColourIndexPlusOneIsAcceptedAsABrush) {
  Canvas canvas(2, 2);
  RECT all{0, 0, 2, 2};
  FillRect(canvas.dc, &all, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(canvas.At(1, 1), RGB(192, 192, 192));
}

TEST(Fills, FrameRectAndInvertRect) {
  Canvas canvas(5, 5);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{0, 0, 4, 4};
  FrameRect(canvas.dc, &r, red);
  EXPECT_EQ(canvas.Row(0, 0, 5, kRed), "####.");
  EXPECT_EQ(canvas.Row(1, 0, 5, kRed), "#..#.");
  InvertRect(canvas.dc, &r);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 255, 255));
  EXPECT_EQ(canvas.At(1, 1), kBlack);
  EXPECT_EQ(canvas.At(4, 4), kWhite);
  DeleteObject(red);
}

TEST(Fills, RegionsOfSeveralRectanglesFillInvertAndFrame) {
  Canvas canvas(6, 6);
  HRGN two = CreateRectRgn(0, 0, 2, 2);
  HRGN right = CreateRectRgn(3, 0, 5, 2);
  CombineRgn(two, two, right, RGN_OR);
  HBRUSH red = CreateSolidBrush(kRed);
  EXPECT_TRUE(FillRgn(canvas.dc, two, red));
  EXPECT_EQ(canvas.Row(1, 0, 6, kRed), "##.##.");
  EXPECT_TRUE(InvertRgn(canvas.dc, two));
  EXPECT_EQ(canvas.Row(0, 0, 6, RGB(0, 255, 255)), "##.##.");
  HRGN square = CreateRectRgn(0, 2, 4, 6);
  EXPECT_TRUE(FrameRgn(canvas.dc, square, red, 1, 1));
  EXPECT_EQ(canvas.Row(2, 0, 6, kRed), "####..");
  EXPECT_EQ(canvas.Row(3, 0, 6, kRed), "#..#..");
  for (HGDIOBJ object : {HGDIOBJ(two), HGDIOBJ(right), HGDIOBJ(square), HGDIOBJ(red)})
    DeleteObject(object);
}

TEST(Edges, RaisedEdgeUsesTheClassicColoursAndMiddleFill) {
  Canvas canvas(6, 6, false, kRed);
  RECT r{0, 0, 6, 6};
  ASSERT_TRUE(DrawEdge(canvas.dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  const COLORREF light = RGB(192, 192, 192), dark = kBlack, highlight = kWhite,
                 shadow = RGB(128, 128, 128);
  EXPECT_EQ(canvas.At(0, 0), light);
  EXPECT_EQ(canvas.At(5, 0), dark);  // top-right corner belongs to the right side
  EXPECT_EQ(canvas.At(0, 5), dark);
  EXPECT_EQ(canvas.At(1, 1), highlight);
  EXPECT_EQ(canvas.At(4, 1), shadow);
  EXPECT_EQ(canvas.At(1, 4), shadow);
  EXPECT_EQ(canvas.At(2, 2), light);  // the middle, button face
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.bottom, 4);
  RECT sunken{0, 0, 6, 6};
  DrawEdge(canvas.dc, &sunken, EDGE_SUNKEN, BF_TOP | BF_LEFT);
  EXPECT_EQ(canvas.At(0, 0), shadow);
  EXPECT_EQ(canvas.At(1, 1), kBlack);
  EXPECT_EQ(canvas.At(5, 5), dark);  // the right and bottom were not asked for
  EXPECT_EQ(canvas.At(5, 0), shadow);  // a side drawn alone runs the full length
  EXPECT_EQ(canvas.At(0, 5), shadow);
}

TEST(Edges, FocusRectangleIsDottedAndDrawingItTwiceRestoresEveryPixel) {
  Canvas canvas(9, 7, false, RGB(10, 200, 30));
  for (int x = 0; x < 9; ++x) SetPixel(canvas.dc, x, 3, RGB(x * 20, 0, 0));
  std::vector<COLORREF> before;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) before.push_back(canvas.At(x, y));
  RECT r{1, 1, 8, 6};
  DrawFocusRect(canvas.dc, &r);
  int changed = 0;
  for (int x = 1; x < 8; ++x) changed += canvas.At(x, 1) != before[9 + x];
  EXPECT_EQ(changed, 4);                          // every other pixel of the top edge
  EXPECT_EQ(canvas.At(4, 3), before[3 * 9 + 4]);  // the inside is untouched
  DrawFocusRect(canvas.dc, &r);
  std::vector<COLORREF> after;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) after.push_back(canvas.At(x, y));
  EXPECT_EQ(after, before);
}

}  // namespace
