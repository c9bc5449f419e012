#include "tests/graphics/bitmap_files.h"
#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

using Icons = GraphicsTest;

void Load(TIcon& icon, const std::vector<std::uint8_t>& bytes) {
  ByteStream stream(bytes);
  icon.LoadFrom(stream);
}

std::vector<std::uint8_t> Saved(TIcon& icon) {
  ByteStream stream({});
  icon.SaveTo(stream);
  return stream.Bytes();
}

void ExpectMessage(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "expected \"" << message << "\"";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

TEST_F(Icons, AFileOfOneImageBecomesAnIconOfTheSystemSize) {
  const std::vector<std::uint8_t> file = IconFileBytes(32);
  ASSERT_EQ(file.size(), 766u);
  TIcon icon;
  EventLog log;
  log.Watch(icon);
  Load(icon, file);
  EXPECT_EQ(log.Take(), "change;");
  EXPECT_FALSE(icon.HandleAllocated());
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(icon.Height(), GetSystemMetrics(SM_CYICON));
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(icon.Handle(), &parts));
  BITMAP colour{};
  GetObjectA(parts.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(colour.bmHeight, GetSystemMetrics(SM_CYICON));
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);
  EXPECT_EQ(Saved(icon), file);

  // Drawn at the rectangle's corner: the red half shows, the masked half lets through.
  MemoryContext context(40, 40);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Draw(4, 4, &icon);
  EXPECT_EQ(context.At(5, 10), RGB(255, 0, 0));
  EXPECT_EQ(context.At(30, 10), RGB(255, 255, 255));
  EXPECT_EQ(context.At(3, 3), RGB(255, 255, 255));
  canvas.SetHandle(nullptr);
}

TEST_F(Icons, SmallerImagesAreStretchedToTheSystemSize) {
  TIcon icon;
  Load(icon, IconFileBytes(16));
  MemoryContext context(40, 40);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Draw(0, 0, &icon);
  EXPECT_EQ(context.At(14, 20), RGB(255, 0, 0));
  EXPECT_EQ(context.At(17, 20), RGB(255, 255, 255));
  canvas.SetHandle(nullptr);
}

TEST_F(Icons, EveryTruncationAndASecondImageAreRefusedKeepingTheIcon) {
  const std::vector<std::uint8_t> file = IconFileBytes(32);
  TIcon icon;
  Load(icon, file);
  const TIconImage* good = icon.Image();
  EventLog log;
  log.Watch(icon);
  for (std::size_t length = 0; length < file.size(); ++length) {
    try {
      Load(icon, std::vector<std::uint8_t>(file.begin(), file.begin() + length));
      ADD_FAILURE() << "an icon cut to " << length << " bytes was taken";
    } catch (const EInvalidGraphic& e) {
      ASSERT_EQ(e.Message(), "Icon image is not valid") << length;
    }
    ASSERT_EQ(icon.Image(), good);
  }
  ExpectMessage([&] { Load(icon, IconFileBytes(32, 2)); }, "Icon image is not valid");
  std::vector<std::uint8_t> noImage = file;
  noImage[4] = 0;
  ExpectMessage([&] { Load(icon, noImage); }, "Icon image is not valid");
  std::vector<std::uint8_t> farImage = file;
  farImage[6 + 12] = 0xFF;  // the image offset points past the end
  ExpectMessage([&] { Load(icon, farImage); }, "Icon image is not valid");
  EXPECT_EQ(icon.Image(), good);
  EXPECT_EQ(log.Take(), "");

  // A type other than 0 and 1 is found when the platform icon is made.
  std::vector<std::uint8_t> cursor = file;
  cursor[2] = 2;
  Load(icon, cursor);
  ExpectMessage([&] { icon.Handle(); }, "Icon image is not valid");
}

TEST_F(Icons, TypeZeroStandsForTheDefaultApplicationIcon) {
  TIcon icon;
  Load(icon, {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(icon.Handle(), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(Saved(icon), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0}));
  TIcon byHandle;
  byHandle.SetHandle(LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(Saved(byHandle), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0}));
}

TEST_F(Icons, AnIconMadeByTheProgramIsWrittenAsA16ColourFile) {
  std::vector<BYTE> andBits(32 * 4, 0x00), xorBits(32 * 32 * 4, 0);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      BYTE* pixel = &xorBits[(y * 32 + x) * 4];
      if (y < 16)
        pixel[1] = 0xFF;  // green top half, blue bottom half
      else
        pixel[0] = 0xFF;
    }
  }
  TIcon icon;
  icon.SetHandle(CreateIcon(nullptr, 32, 32, 1, 32, andBits.data(), xorBits.data()));
  const std::vector<std::uint8_t> file = Saved(icon);
  ASSERT_EQ(file.size(), 766u);
  EXPECT_EQ(file[6 + 12], 22);  // the image right after the directory
  TIcon reread;
  Load(reread, file);
  MemoryContext context(32, 32);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Draw(0, 0, &reread);
  EXPECT_EQ(context.At(5, 5), RGB(0, 255, 0));
  EXPECT_EQ(context.At(5, 25), RGB(0, 0, 255));
  canvas.SetHandle(nullptr);
}

TEST_F(Icons, SizesAndClipboardAreNotForIcons) {
  TIcon icon;
  ExpectMessage([&] { icon.SetWidth(16); }, "Cannot change the size of an icon");
  ExpectMessage([&] { icon.SetHeight(16); }, "Cannot change the size of an icon");
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  ExpectMessage([&] { icon.SaveToClipboardFormat(format, data, palette); },
                "Clipboard does not support Icons");
  ExpectMessage([&] { icon.LoadFromClipboardFormat(2, nullptr, nullptr); },
                "Clipboard does not support Icons");
  EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
}

TEST_F(Icons, AnEmptyIconHasNothingToWrite) {
  TIcon icon, other;
  EXPECT_TRUE(icon.IsBlank());
  EXPECT_EQ(icon.Handle(), nullptr);
  EXPECT_TRUE(icon.SameImageAs(&other));
  ExpectMessage([&] { Saved(icon); }, "Icon image is not valid");
  Load(other, IconFileBytes(32));
  EXPECT_FALSE(icon.SameImageAs(&other));
  icon.CopyFrom(&other);
  EXPECT_EQ(icon.Image(), other.Image());
  EXPECT_TRUE(icon.SameImageAs(&other));
  icon.CopyFrom(nullptr);
  EXPECT_TRUE(icon.IsBlank());
}

}  // namespace
}  // namespace graphics_test
