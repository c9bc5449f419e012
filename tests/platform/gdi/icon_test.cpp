#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gdi/icons.h"
#include "gdi/screen.h"
#include "tests/platform/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kWhite = RGB(255, 255, 255);

// A 3 x 1 icon: opaque red, transparent, inverted.
HICON ThreePixelIcon() {
  const BYTE andBits[2] = {0x60, 0};                                      // 0 1 1
  const BYTE xorBits[12] = {0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0};  // red, black, white
  return CreateIcon(nullptr, 3, 1, 1, 32, andBits, xorBits);
}

TEST(Icons, MaskAndImageGiveOpaqueTransparentAndInvertedPixels) {
  Canvas canvas(3, 1, false, kGreen);
  HICON icon = ThreePixelIcon();
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(canvas.At(0, 0), kRed);
  EXPECT_EQ(canvas.At(1, 0), kGreen);
  EXPECT_EQ(canvas.At(2, 0), RGB(255, 0, 255));
  // Only the mask: opaque pixels go black, the others stay.
  Canvas maskOnly(3, 1, false, kGreen);
  DrawIconEx(maskOnly.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
  EXPECT_EQ(maskOnly.At(0, 0), 0u);
  EXPECT_EQ(maskOnly.At(1, 0), kGreen);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_FALSE(DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST(Icons, IconInfoRoundTripsThroughCreateIconIndirect) {
  HICON icon = ThreePixelIcon();
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  BITMAP mask{}, colour{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  GetObjectA(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(mask.bmBitsPixel, 1);
  EXPECT_EQ(colour.bmBitsPixel, 32);
  EXPECT_EQ(colour.bmWidth, 3);
  HICON copy = CreateIconIndirect(&info);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  Canvas canvas(3, 1, false, kGreen);
  DrawIconEx(canvas.dc, 0, 0, copy, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(0, 0), kRed);
  EXPECT_EQ(canvas.At(1, 0), kGreen);
  DestroyIcon(icon);
  DestroyIcon(copy);
}

TEST(Icons, MonochromeIconsStackTheMaskAboveTheImage) {
  const BYTE stacked[4] = {0x40, 0, 0x80, 0};  // AND row 0 1, XOR row 1 0
  HBITMAP mask = CreateBitmap(2, 2, 1, 1, stacked);
  ICONINFO info{TRUE, 0, 0, mask, nullptr};
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);
  Canvas canvas(2, 1, false, kGreen);
  DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(1, 0), kGreen);
  ICONINFO back{};
  GetIconInfo(icon, &back);
  EXPECT_EQ(back.hbmColor, nullptr);
  BITMAP b{};
  GetObjectA(back.hbmMask, sizeof b, &b);
  EXPECT_EQ(b.bmHeight, 2);
  DeleteObject(back.hbmMask);
  DeleteObject(mask);
  DestroyIcon(icon);
}

TEST(Icons, ModuleIconLoadsAtThirtyTwoPixelsAndIsShared) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HICON icon = LoadIconA(module, "mainicon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(module, "MAINICON"), icon);
  Canvas canvas(32, 32);
  ASSERT_TRUE(DrawIcon(canvas.dc, 0, 0, icon));
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 128, 0));     // green corner
  EXPECT_EQ(canvas.At(31, 0), RGB(0, 255, 255));  // the cyan band
  EXPECT_EQ(canvas.At(13, 6), 0u);                // the beam of the notes
  EXPECT_TRUE(DestroyIcon(icon));                 // shared: stays usable
  EXPECT_TRUE(DrawIcon(canvas.dc, 0, 0, icon));
  EXPECT_EQ(LoadIconA(module, "NOSUCHICON"), nullptr);
  EXPECT_EQ(LoadBitmapA(module, "NOSUCHBITMAP"), nullptr);
}

TEST(Icons, SystemIconsAndCursorsAreOurOwnDrawings) {
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
    HICON icon = LoadIconA(nullptr, id);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, id), icon);
    Canvas canvas(32, 32, false, kGreen);
    DrawIcon(canvas.dc, 0, 0, icon);
    int painted = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) painted += canvas.At(x, y) != kGreen;
    EXPECT_GT(painted, 200);
    EXPECT_LT(painted, 32 * 32);  // something of the background shows through
  }
  Canvas error(32, 32, false, kGreen);
  DrawIcon(error.dc, 0, 0, LoadIconA(nullptr, IDI_HAND));
  EXPECT_EQ(error.At(16, 5), kRed);
  for (LPCSTR id : {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZEALL, IDC_SIZENWSE,
                    IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, IDC_NO, IDC_UPARROW, IDC_HELP}) {
    HCURSOR cursor = LoadCursorA(nullptr, id);
    ASSERT_NE(cursor, nullptr);
    platform::Surface picture;
    POINT hotspot{};
    ASSERT_TRUE(platform::gdi::CursorPicture(cursor, &picture, &hotspot));
    int opaque = 0;
    for (auto p : picture.pixels) opaque += (p >> 24) != 0;
    EXPECT_GT(opaque, 20);
  }
  platform::Surface arrow;
  POINT hotspot{1, 1};
  platform::gdi::CursorPicture(LoadCursorA(nullptr, IDC_ARROW), &arrow, &hotspot);
  EXPECT_EQ(hotspot.x, 0);
  EXPECT_EQ(hotspot.y, 0);
  EXPECT_EQ(arrow.pixels[0], 0xFF000000u);  // the black tip
}

TEST(Cursors, SetCursorReturnsThePreviousAndRefusesStaleHandles) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(GetCursor(), wait);
  HICON temporary = ThreePixelIcon();
  DestroyIcon(temporary);
  EXPECT_EQ(SetCursor(temporary), wait);
  EXPECT_EQ(GetCursor(), wait);
  SetCursor(nullptr);
  EXPECT_EQ(GetCursor(), nullptr);
}

TEST(Screen, LayersComposeOverTheDesktopAndPngFilesRoundTrip) {
  platform::Surface window;
  window.Resize(4, 3, 0x112233);
  window.pixels[5] = 0xABCDEF;
  platform::Surface& screen = platform::gdi::Screen();
  screen.pixels[static_cast<std::size_t>(40) * screen.width + 40] = 0x445566;
  platform::gdi::ComposeScreen({{&window, {10, 20}}}, {RECT{0, 0, 30, 30}});
  EXPECT_EQ(screen.pixels[static_cast<std::size_t>(21) * screen.width + 11], 0xABCDEFu);
  EXPECT_EQ(screen.pixels[static_cast<std::size_t>(20) * screen.width + 9], 0x008080u);
  // Outside the damage the screen keeps what it shows.
  EXPECT_EQ(screen.pixels[static_cast<std::size_t>(40) * screen.width + 40], 0x445566u);
  std::string path = ::testing::TempDir() + "gdi_screen_test.png";
  ASSERT_TRUE(platform::gdi::WritePng(window, path));
  platform::Surface back;
  ASSERT_TRUE(platform::gdi::ReadPng(path, &back));
  EXPECT_EQ(back.width, 4);
  EXPECT_EQ(back.pixels, window.pixels);
  std::remove(path.c_str());
  EXPECT_FALSE(platform::gdi::WritePng(window, "/nonexistent-folder/x.png"));
  std::string damaged = ::testing::TempDir() + "gdi_damaged.png";
  FILE* f = std::fopen(damaged.c_str(), "wb");
  std::fputs("\x89PNG\r\n\x1a\nnot really", f);
  std::fclose(f);
  EXPECT_FALSE(platform::gdi::ReadPng(damaged, &back));
  std::remove(damaged.c_str());
}

}  // namespace
