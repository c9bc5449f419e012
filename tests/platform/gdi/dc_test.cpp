#include <gtest/gtest.h>

#include "gdi/surface.h"
#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(SurfaceDc, DrawsAtItsOriginAndOnlyInsideTheVisibleRects) {
  platform::Surface surface;
  surface.Resize(20, 10, 0x123456);
  // Logical (0,0) sits at surface (5,2); only the left half of the window is visible.
  HDC dc = platform::gdi::CreateSurfaceDC(&surface, {5, 2}, {RECT{5, 2, 10, 10}},
                                          reinterpret_cast<HWND>(0x77));
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), reinterpret_cast<HWND>(0x77));
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{0, 0, 10, 3};
  FillRect(dc, &r, red);
  EXPECT_EQ(surface.pixels[2 * 20 + 5], 0xFF0000u);
  EXPECT_EQ(surface.pixels[4 * 20 + 9], 0xFF0000u);
  EXPECT_EQ(surface.pixels[4 * 20 + 10], 0x123456u);  // outside the visible rect
  EXPECT_EQ(surface.pixels[5 * 20 + 5], 0x123456u);   // below the filled rect
  EXPECT_EQ(surface.pixels[1 * 20 + 5], 0x123456u);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 5);
  EXPECT_EQ(box.bottom, 8);
  platform::gdi::ReleaseSurfaceDC(dc);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);  // the handle is dead
  DeleteObject(red);
}

TEST(SurfaceDc, PaintingStaysInsideAnUpdateRegionWithASiblingCutOut) {
  // A window at (2,2) of 8 x 6 whose update region is its top half, with a sibling covering
  // the right part of that: the visible rects form an L the window manager hands over.
  platform::Surface surface;
  surface.Resize(12, 10, 0);
  std::vector<RECT> visible = {RECT{2, 2, 10, 4}, RECT{2, 4, 6, 5}};
  HDC dc = platform::gdi::CreateSurfaceDC(&surface, {2, 2}, visible, nullptr);
  // Even a clip region selected by the painter cannot widen what is visible.
  HRGN everything = CreateRectRgn(-100, -100, 100, 100);
  SelectClipRgn(dc, everything);
  DeleteObject(everything);
  RECT all{-5, -5, 20, 20};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutA(dc, 0, 0, "MMMMMMMMMM", 10);
  MoveToEx(dc, -3, 6, nullptr);
  LineTo(dc, 20, -3);
  int outside = 0;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inside = (y >= 2 && y < 4 && x >= 2 && x < 10) || (y == 4 && x >= 2 && x < 6);
      if (!inside) outside += surface.pixels[static_cast<std::size_t>(y) * 12 + x] != 0;
    }
  }
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(surface.pixels[4 * 12 + 5], 0xFFFFFFu);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST(SurfaceDc, ASurfaceShrunkUnderALiveDcIsNeverDrawnPast) {
  platform::Surface surface;
  surface.Resize(10, 10, 0);
  HDC dc = platform::gdi::CreateSurfaceDC(&surface, {0, 0}, {RECT{0, 0, 10, 10}}, nullptr);
  RECT all{0, 0, 10, 10};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  surface.Resize(4, 3, 0);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(surface.pixels.size(), 12u);
  EXPECT_EQ(surface.pixels[11], 0x808080u);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST(SurfaceDc, ResizeKeepsTheOverlapAndFillsTheRest) {
  platform::Surface surface;
  surface.Resize(2, 2, 7);
  surface.pixels[3] = 9;
  surface.Resize(3, 1, 1);
  EXPECT_EQ(surface.pixels, (std::vector<std::uint32_t>{7, 7, 1}));
  surface.Resize(2, 3, 4);
  EXPECT_EQ(surface.pixels, (std::vector<std::uint32_t>{7, 7, 4, 4, 4, 4}));
}

TEST(Handles, StaleAndForgedHandlesFailWithoutTouchingAnything) {
  HBRUSH brush = CreateSolidBrush(kRed);
  ASSERT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // The slot is reused by the next object, and the old handle still does not reach it.
  HBRUSH other = CreateSolidBrush(kWhite);
  EXPECT_NE(other, brush);
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetObjectType(other), static_cast<DWORD>(OBJ_BRUSH));
  Canvas canvas(4, 4);
  RECT r{0, 0, 4, 4};
  EXPECT_FALSE(FillRect(canvas.dc, &r, brush));
  EXPECT_EQ(canvas.At(1, 1), kWhite);
  EXPECT_EQ(SelectObject(canvas.dc, reinterpret_cast<HGDIOBJ>(0x12345678)), nullptr);
  EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(0x999), 0, 0), CLR_INVALID);
  DeleteObject(other);
}

TEST(Handles, AnObjectDeletedWhileSelectedLivesUntilDeselected) {
  Canvas canvas(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ old = SelectObject(canvas.dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  MoveToEx(canvas.dc, 0, 1, nullptr);
  LineTo(canvas.dc, 3, 1);
  EXPECT_EQ(canvas.At(2, 1), kRed);
  SelectObject(canvas.dc, old);
  EXPECT_EQ(GetObjectType(pen), 0u);
  // A bitmap selected into a DC refuses deletion.
  EXPECT_FALSE(DeleteObject(canvas.bitmap));
  // And it can be in only one DC at a time.
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, canvas.bitmap), nullptr);
  DeleteDC(other);
}

TEST(DcState, SaveAndRestoreBringBackObjectsColoursOriginsAndClip) {
  Canvas canvas(10, 10);
  HBRUSH red = CreateSolidBrush(kRed);
  int level = SaveDC(canvas.dc);
  EXPECT_EQ(level, 1);
  SelectObject(canvas.dc, red);
  SetTextColor(canvas.dc, kRed);
  SetWindowOrgEx(canvas.dc, 3, 3, nullptr);
  IntersectClipRect(canvas.dc, 3, 3, 5, 5);
  EXPECT_EQ(SaveDC(canvas.dc), 2);
  SetBkColor(canvas.dc, kRed);
  EXPECT_TRUE(RestoreDC(canvas.dc, -1));
  EXPECT_EQ(GetBkColor(canvas.dc), kWhite);
  EXPECT_EQ(GetTextColor(canvas.dc), kRed);
  EXPECT_TRUE(RestoreDC(canvas.dc, level));
  EXPECT_EQ(GetTextColor(canvas.dc), 0u);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  POINT origin;
  GetWindowOrgEx(canvas.dc, &origin);
  EXPECT_EQ(origin.x, 0);
  RECT box;
  EXPECT_EQ(GetClipBox(canvas.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 10);
  EXPECT_FALSE(RestoreDC(canvas.dc, 1));  // nothing saved any more
  DeleteObject(red);
}

TEST(DcClip, FillRectHonoursClipRegionsAndBothOrigins) {
  Canvas canvas(12, 12);
  HBRUSH red = CreateSolidBrush(kRed);
  SetViewportOrgEx(canvas.dc, 2, 0, nullptr);  // logical x 0 is device x 2
  SetWindowOrgEx(canvas.dc, 0, -1, nullptr);   // logical y -1 is device y 0
  // The clip rect is given in logical units and kept in device units.
  IntersectClipRect(canvas.dc, 0, 0, 6, 6);  // device 2..8 x 1..7
  ExcludeClipRect(canvas.dc, 2, 2, 4, 4);    // device 4..6 x 3..5
  RECT all{-10, -10, 20, 20};
  FillRect(canvas.dc, &all, red);
  SetViewportOrgEx(canvas.dc, 0, 0, nullptr);
  SetWindowOrgEx(canvas.dc, 0, 0, nullptr);
  SelectClipRgn(canvas.dc, nullptr);
  EXPECT_EQ(canvas.Row(0, 0, 12, kRed), "............");
  EXPECT_EQ(canvas.Row(1, 0, 12, kRed), "..######....");
  EXPECT_EQ(canvas.Row(3, 0, 12, kRed), "..##..##....");
  EXPECT_EQ(canvas.Row(5, 0, 12, kRed), "..######....");
  EXPECT_EQ(canvas.Row(7, 0, 12, kRed), "............");
  DeleteObject(red);
}

TEST(DcClip, SelectClipRgnCopiesTheRegionAndVisibilityQueriesFollowIt) {
  Canvas canvas(10, 10);
  HRGN region = CreateRectRgn(1, 1, 4, 4);
  EXPECT_EQ(SelectClipRgn(canvas.dc, region), SIMPLEREGION);
  DeleteObject(region);  // the DC keeps its own copy
  EXPECT_TRUE(PtVisible(canvas.dc, 2, 2));
  EXPECT_FALSE(PtVisible(canvas.dc, 5, 5));
  RECT inside{3, 3, 8, 8}, outside{5, 5, 8, 8};
  EXPECT_TRUE(RectVisible(canvas.dc, &inside));
  EXPECT_FALSE(RectVisible(canvas.dc, &outside));
  EXPECT_EQ(SetPixel(canvas.dc, 6, 6, kRed), CLR_INVALID);
  EXPECT_EQ(canvas.At(6, 6), CLR_INVALID);  // GetPixel is clipped as well
}

TEST(Regions, CombineCoversTheSetAlgebra) {
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  RECT box;
  EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
  GetRgnBox(out, &box);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 14, 14));
  EXPECT_FALSE(PtInRegion(out, 14, 2));
  EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(out, 7, 7));
  EXPECT_TRUE(PtInRegion(out, 2, 7));
  EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 9, 4));
  EXPECT_FALSE(PtInRegion(out, 9, 5));
  EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
  // (A - B) | (A & B) is A again, in the same canonical form.
  HRGN diff = CreateRectRgn(0, 0, 0, 0), both = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(diff, a, b, RGN_DIFF);
  CombineRgn(both, a, b, RGN_AND);
  CombineRgn(out, diff, both, RGN_OR);
  EXPECT_TRUE(EqualRgn(out, a));
  EXPECT_EQ(OffsetRgn(out, 3, 0), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(out, 12, 0));
  for (HRGN r : {a, b, out, diff, both}) DeleteObject(r);
}

TEST(DeviceCaps, TheDisplayIsTrueColourAt96DotsPerInchWithoutPalette) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
  EXPECT_GT(GetDeviceCaps(screen, HORZRES), 0);
  PALETTEENTRY entries[16];
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 16, entries), 0u);
  DeleteDC(screen);
}

}  // namespace

namespace {

TEST(Palettes, AcceptedAndUsedForPaletteIndexColours) {
  Canvas canvas(2, 1);
  struct {
    WORD version, count;
    PALETTEENTRY entries[2];
  } logical{0x300, 2, {{10, 20, 30, 0}, {200, 100, 50, 0}}};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
  ASSERT_NE(palette, nullptr);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 2);
  HPALETTE previous = SelectPalette(canvas.dc, palette, FALSE);
  EXPECT_EQ(previous, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(canvas.dc), 0u);
  SetPixel(canvas.dc, 0, 0, PALETTEINDEX(1));
  EXPECT_EQ(canvas.At(0, 0), RGB(200, 100, 50));
  SetPixel(canvas.dc, 1, 0, PALETTERGB(1, 2, 3));  // the flag byte is ignored on true colour
  EXPECT_EQ(canvas.At(1, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(190, 110, 40)), 1u);
  PALETTEENTRY out[2] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 1, 5, out), 1u);
  EXPECT_EQ(out[0].peRed, 200);
  SelectPalette(canvas.dc, previous, FALSE);
  EXPECT_TRUE(DeleteObject(palette));
  logical.version = 0x200;
  EXPECT_EQ(CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical)), nullptr);
}

}  // namespace
