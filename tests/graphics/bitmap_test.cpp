#include <algorithm>

#include "tests/graphics/bitmap_files.h"
#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

using BitmapFiles = GraphicsTest;
using Bitmaps = GraphicsTest;

std::vector<std::uint8_t> Saved(TGraphic& graphic) {
  ByteStream stream({});
  graphic.SaveTo(stream);
  return stream.Bytes();
}

std::vector<std::uint8_t> StoredData(TGraphic& graphic) {
  ByteStream stream({});
  graphic.WriteStoredData(stream);
  return stream.Bytes();
}

void Load(TGraphic& graphic, const std::vector<std::uint8_t>& bytes) {
  ByteStream stream(bytes);
  graphic.LoadFrom(stream);
}

COLORREF Rgb(std::uint32_t rrggbb) {
  return RGB(static_cast<BYTE>(rrggbb >> 16), static_cast<BYTE>(rrggbb >> 8),
             static_cast<BYTE>(rrggbb));
}

// Every depth and both header kinds: read, drawn with the right colours, written back
// byte for byte even after the platform bitmap was made.
TEST_F(BitmapFiles, EveryDepthReadsAndWritesBackUnchanged) {
  struct Case {
    int bits;
    bool core;
    std::function<std::uint32_t(int, int)> value;
    std::function<std::uint32_t(int, int)> colour;  // expected 0x00RRGGBB
  };
  const std::vector<std::uint32_t> table16 = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  auto index = [](int x, int y) { return static_cast<std::uint32_t>((x + 2 * y) % 2); };
  auto index16 = [](int x, int y) { return static_cast<std::uint32_t>((x + 5 * y) % 16); };
  auto rgb = [](int x, int y) { return static_cast<std::uint32_t>(0x102030 * (x + 1) + 0x40 * y); };
  auto word555 = [](int x, int y) { return static_cast<std::uint32_t>((x << 10) | (y << 5) | 31); };
  auto from555 = [](int x, int y) {
    auto scale = [](std::uint32_t v) { return (v * 255 + 15) / 31; };
    return scale(x) << 16 | scale(y) << 8 | scale(31);
  };
  const std::vector<Case> cases = {
      {1, false, index, [](int x, int y) { return ((x + 2 * y) % 2) ? 0xFFFFFFu : 0u; }},
      {1, true, index, [](int x, int y) { return ((x + 2 * y) % 2) ? 0xFFFFFFu : 0u; }},
      {4, false, index16, [&](int x, int y) { return table16[(x + 5 * y) % 16]; }},
      {4, true, index16, [&](int x, int y) { return table16[(x + 5 * y) % 16]; }},
      {8, false, index16, [&](int x, int y) { return table16[(x + 5 * y) % 16]; }},
      {16, false, word555, from555},
      {24, false, rgb, rgb},
      {24, true, rgb, rgb},
      {32, false, rgb, rgb},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.bits << " bits, " << (c.core ? "12" : "40") << "-byte header");
    DibLayout layout;
    layout.width = 7;
    layout.height = 5;
    layout.bits = c.bits;
    layout.core = c.core;
    if (c.bits == 4 || c.bits == 8) layout.table = table16;
    if (c.bits == 1) layout.table = {0x000000, 0xFFFFFF};
    if (c.bits == 8 && c.core) continue;
    layout.value = c.value;
    const std::vector<std::uint8_t> file = BitmapFileBytes(layout);
    TBitmap bitmap;
    Load(bitmap, file);
    EXPECT_EQ(bitmap.Width(), 7);
    EXPECT_EQ(bitmap.Height(), 5);
    EXPECT_EQ(bitmap.Monochrome(), c.bits == 1);
    EXPECT_FALSE(bitmap.HandleAllocated());
    EXPECT_EQ(Saved(bitmap), file);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        ASSERT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(x, y)), Rgb(c.colour(x, y)))
            << x << "," << y;
      }
    }
    EXPECT_TRUE(bitmap.HandleAllocated());
    EXPECT_EQ(Saved(bitmap), file);
  }
}

TEST_F(BitmapFiles, TopDownRowsAndBitFieldsReadTheirPixelsWhereTheyAre) {
  DibLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.bits = 32;
  layout.topDown = true;
  layout.value = [](int x, int y) { return y == 0 ? 0xFF0000u : static_cast<std::uint32_t>(x); };
  TBitmap bitmap;
  Load(bitmap, BitmapFileBytes(layout));
  EXPECT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(1, 0)), RGB(255, 0, 0));

  // The channel masks come between the header and the pixels.
  layout.topDown = false;
  layout.compression = 3;
  layout.masks[0] = 0x0000FF00;  // red
  layout.masks[1] = 0x00FF0000;  // green
  layout.masks[2] = 0xFF000000;  // blue
  layout.value = [](int x, int) {
    return x == 0 ? 0x00FF0000u : x == 1 ? 0x0000FF00u : 0xFF000000u;
  };
  Load(bitmap, BitmapFileBytes(layout));
  EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(0, 1)), RGB(0, 255, 0));
  EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(1, 1)), RGB(255, 0, 0));
  EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(2, 1)), RGB(0, 0, 255));
}

TEST_F(BitmapFiles, EveryTruncationIsRefusedAndTheImageBeforeItStays) {
  for (bool core : {false, true}) {
    DibLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.core = core;
    const std::vector<std::uint8_t> file = BitmapFileBytes(layout);
    TBitmap bitmap;
    Load(bitmap, BitmapFileBytes(DibLayout{}));
    const TBitmapImage* good = bitmap.Image();
    EventLog log;
    log.Watch(bitmap);
    for (std::size_t length = 1; length < file.size(); ++length) {
      try {
        Load(bitmap, std::vector<std::uint8_t>(file.begin(), file.begin() + length));
        ADD_FAILURE() << "a file cut to " << length << " bytes was taken";
      } catch (const EInvalidGraphic& e) {
        ASSERT_EQ(e.Message(), "Bitmap image is not valid") << length;
      }
      ASSERT_EQ(bitmap.Image(), good) << length;
    }
    EXPECT_EQ(log.Take(), "");
    EXPECT_EQ(bitmap.Width(), 4);
    // A stored-data entry whose length is more than it holds is cut short too.
    std::vector<std::uint8_t> entry;
    Put32(entry, static_cast<std::uint32_t>(file.size() + 1));
    entry.insert(entry.end(), file.begin(), file.end());
    ByteStream stream(entry);
    EXPECT_THROW(bitmap.ReadStoredData(stream), EInvalidGraphic);
    EXPECT_EQ(bitmap.Image(), good);
  }
}

TEST_F(BitmapFiles, WrongSignaturesAndHeadersAreRefused) {
  std::vector<std::uint8_t> file = BitmapFileBytes(DibLayout{});
  TBitmap bitmap;
  Load(bitmap, file);
  const TBitmapImage* good = bitmap.Image();
  for (const char* signature : {"MB", "BA", "\0\0"}) {
    std::vector<std::uint8_t> other = file;
    other[0] = static_cast<std::uint8_t>(signature[0]);
    other[1] = static_cast<std::uint8_t>(signature[1]);
    EXPECT_THROW(Load(bitmap, other), EInvalidGraphic);
  }
  std::vector<std::uint8_t> header = file;
  header[14] = 56;  // a header size the program does not read
  EXPECT_THROW(Load(bitmap, header), EInvalidGraphic);
  std::vector<std::uint8_t> colours = file;
  colours[14 + 32] = 0xFF;  // more colours than the file holds
  colours[14 + 35] = 0x7F;
  EXPECT_THROW(Load(bitmap, colours), EInvalidGraphic);
  EXPECT_EQ(bitmap.Image(), good);

  // Planes other than 1 are found when the platform bitmap is made.
  DibLayout planes;
  planes.planes = 2;
  Load(bitmap, BitmapFileBytes(planes));
  try {
    bitmap.Handle();
    FAIL() << "two planes must be refused";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Bitmap image is not valid");
  }
}

TEST_F(BitmapFiles, AnEmptyDataEntryIsAnEmptyBitmapThatWritesOnlyItsLength) {
  TBitmap bitmap;
  Load(bitmap, BitmapFileBytes(DibLayout{}));
  ByteStream stream({0, 0, 0, 0});
  bitmap.ReadStoredData(stream);
  EXPECT_TRUE(bitmap.IsBlank());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Handle(), nullptr);
  EXPECT_EQ(StoredData(bitmap), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Saved(bitmap), std::vector<std::uint8_t>{});
}

TEST_F(Bitmaps, CopiesShareAnImageUntilOneChangesItsSize) {
  DibLayout layout;
  layout.width = 6;
  layout.height = 4;
  layout.bits = 24;
  layout.value = [](int, int) { return 0x0000FFu; };
  TBitmap first, second;
  Load(first, BitmapFileBytes(layout));
  EventLog log;
  log.Watch(second);
  second.CopyFrom(&first);
  EXPECT_EQ(log.Take(), "change;");
  ASSERT_EQ(second.Image(), first.Image());
  EXPECT_EQ(first.Image()->RefCount, 2);
  EXPECT_TRUE(first.SameImageAs(&second));

  second.SetWidth(10);
  EXPECT_EQ(log.Take(), "change;");
  EXPECT_NE(second.Image(), first.Image());
  EXPECT_EQ(first.Width(), 6);
  EXPECT_EQ(second.Width(), 10);
  EXPECT_EQ(second.Height(), 4);
  // The old picture stays in the top-left corner; the new part is white.
  EXPECT_EQ(static_cast<COLORREF>(second.Canvas()->Pixels(5, 3)), RGB(0, 0, 255));
  EXPECT_EQ(static_cast<COLORREF>(second.Canvas()->Pixels(8, 3)), RGB(255, 255, 255));
  EXPECT_FALSE(first.SameImageAs(&second));
  second.SetWidth(10);
  EXPECT_EQ(log.Take(), "");

  second.SetMonochrome(true);
  BITMAP made{};
  GetObjectA(second.Handle(), sizeof made, &made);
  EXPECT_EQ(made.bmBitsPixel, 1);
  EXPECT_EQ(second.TransparentColor(), 0x02FFFFFF);
}

TEST_F(Bitmaps, DrawingOnOneOfTwoCopiesChangesOnlyThatOne) {
  DibLayout layout;
  layout.bits = 24;
  layout.value = [](int, int) { return 0x00FF00u; };
  const std::vector<std::uint8_t> file = BitmapFileBytes(layout);
  TBitmap first, second;
  Load(first, file);
  second.CopyFrom(&first);
  EventLog log;
  log.Watch(second);
  second.Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(log.Take(), "change;");
  EXPECT_NE(second.Image(), first.Image());
  EXPECT_EQ(static_cast<COLORREF>(first.Canvas()->Pixels(0, 0)), RGB(0, 255, 0));
  EXPECT_EQ(static_cast<COLORREF>(second.Canvas()->Pixels(0, 0)), RGB(255, 0, 0));
  // The first keeps its stored form; the second writes what it now shows.
  EXPECT_EQ(Saved(first), file);
  TBitmap reread;
  Load(reread, Saved(second));
  EXPECT_EQ(static_cast<COLORREF>(reread.Canvas()->Pixels(0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(static_cast<COLORREF>(reread.Canvas()->Pixels(1, 0)), RGB(0, 255, 0));
}

TEST_F(Bitmaps, OneContextHoldsABitmapAtATime) {
  TBitmap first, second;
  first.SetWidth(4);
  first.SetHeight(4);
  second.CopyFrom(&first);
  const auto before = LiveBitmapCanvases().size();
  first.Canvas()->Pixels(0, 0);
  EXPECT_EQ(LiveBitmapCanvases().size(), before + 1);
  // Reading through the second copy's canvas takes the shared bitmap away from the first.
  second.Canvas()->Pixels(0, 0);
  EXPECT_EQ(LiveBitmapCanvases().size(), before + 1);
  EXPECT_FALSE(first.Canvas()->HandleAllocated());
  EXPECT_TRUE(second.Canvas()->HandleAllocated());

  HBITMAP handle = second.Handle();
  first.SetHandle(nullptr);
  second.SetHandle(nullptr);
  // The last user deleted the bitmap after its canvas gave it back.
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_EQ(LiveBitmapCanvases().size(), before);
}

TEST_F(Bitmaps, TakesAPlatformBitmapAsItsWholeImage) {
  TBitmap bitmap;
  EventLog log;
  log.Watch(bitmap);
  HBITMAP handle = CreateBitmap(9, 7, 1, 1, nullptr);
  bitmap.SetHandle(handle);
  EXPECT_EQ(log.Take(), "change;");
  EXPECT_EQ(bitmap.Width(), 9);
  EXPECT_EQ(bitmap.Height(), 7);
  EXPECT_TRUE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.Handle(), handle);
  bitmap.SetHandle(handle);
  EXPECT_EQ(log.Take(), "");
  // Written out, it is a 1-bit file with a 40-byte header.
  const std::vector<std::uint8_t> file = Saved(bitmap);
  ASSERT_GE(file.size(), 62u);
  EXPECT_EQ(file[14], 40);
  EXPECT_EQ(file[28], 1);
  EXPECT_EQ(file[10], 62);  // 14 + 40 + 2 colours

  EXPECT_THROW(bitmap.SetHandle(reinterpret_cast<HBITMAP>(std::uintptr_t{0x7777})),
               EInvalidGraphic);
  EXPECT_EQ(bitmap.Handle(), handle);
}

TEST_F(Bitmaps, GoingDormantKeepsThePictureAndGivesThePlatformObjectsBack) {
  DibLayout layout;
  layout.table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> file = BitmapFileBytes(layout);
  TBitmap bitmap;
  Load(bitmap, file);
  HBITMAP handle = bitmap.Handle();
  ASSERT_NE(bitmap.Palette(), nullptr);
  HPALETTE palette = bitmap.Palette();
  bitmap.Canvas()->Pixels(0, 0);
  bitmap.Dormant();
  EXPECT_FALSE(bitmap.HandleAllocated());
  EXPECT_FALSE(bitmap.Canvas()->HandleAllocated());
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_EQ(GetObjectType(palette), 0u);
  EXPECT_EQ(Saved(bitmap), file);
  EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas()->Pixels(1, 0)), RGB(255, 0, 0));
}

TEST_F(Bitmaps, TheTransparentColourIsTheBottomLeftPixel) {
  DibLayout layout;
  layout.width = 4;
  layout.height = 3;
  layout.bits = 24;
  layout.value = [](int x, int y) { return x == 0 && y == 2 ? 0x800080u : 0x000000u; };
  TBitmap bitmap;
  Load(bitmap, BitmapFileBytes(layout));
  EXPECT_EQ(static_cast<std::uint32_t>(bitmap.TransparentColor()), 0x02800080u);
}

TEST_F(Bitmaps, ResourceBitmapsReadAsFiles) {
  TBitmap folder;
  folder.LoadFromResourceName(GetModuleHandleA(nullptr), "CLOSEDFOLDER");
  EXPECT_EQ(folder.Width(), 16);
  EXPECT_EQ(folder.Height(), 15);
  const std::vector<std::uint8_t> file = Saved(folder);
  EXPECT_EQ(file[28], 4);
  HBITMAP loaded = LoadBitmapA(GetModuleHandleA(nullptr), "CLOSEDFOLDER");
  TBitmap fromHandle;
  fromHandle.SetHandle(loaded);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(folder.Canvas()->Pixels(x, y), fromHandle.Canvas()->Pixels(x, y)) << x << "," << y;
    }
  }
  EXPECT_THROW(folder.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCHBITMAP"),
               EResNotFound);
}

TEST_F(Bitmaps, DrawnOnACanvasStretchedIntoTheRectangle) {
  DibLayout layout;
  layout.width = 2;
  layout.height = 1;
  layout.bits = 24;
  layout.value = [](int x, int) { return x == 0 ? 0xFF0000u : 0x0000FFu; };
  TBitmap bitmap;
  Load(bitmap, BitmapFileBytes(layout));
  MemoryContext context(8, 4);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Draw(1, 1, &bitmap);
  EXPECT_EQ(context.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(context.At(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(context.At(3, 1), RGB(255, 255, 255));
  canvas.StretchDraw(RECT{0, 2, 8, 4}, &bitmap);
  EXPECT_EQ(context.At(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(context.At(4, 3), RGB(0, 0, 255));
  canvas.SetHandle(nullptr);
}

TEST_F(Bitmaps, ClipboardFormatsCarryACopyOfTheBitmap) {
  TBitmap bitmap;
  bitmap.SetWidth(3);
  bitmap.SetHeight(2);
  bitmap.Canvas()->SetPixels(2, 1, clLime);
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  bitmap.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, 2u);
  ASSERT_NE(data, nullptr);
  EXPECT_NE(data, bitmap.Handle());
  TBitmap pasted;
  pasted.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(pasted.Width(), 3);
  EXPECT_EQ(static_cast<COLORREF>(pasted.Canvas()->Pixels(2, 1)), RGB(0, 255, 0));
  DeleteObject(data);
  EXPECT_THROW(pasted.LoadFromClipboardFormat(8, data, nullptr), EInvalidGraphic);
}

}  // namespace
}  // namespace graphics_test
