// Pixel maps and string tables as the resource compiler stores them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/rescomp/rescomp.h"

namespace {

class ResourceCompiler : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("td_rescomp_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Write(const std::string& name, const std::string& text) {
    auto path = dir_ / name;
    std::ofstream(path) << text;
    return path;
  }

  // The one resource of `type` the directory holds.
  const rescomp::Resource& Only(unsigned type) {
    const rescomp::Resource* found = nullptr;
    for (const auto& r : directory_.Resources()) {
      if (r.typeId == type) {
        EXPECT_EQ(found, nullptr);
        found = &r;
      }
    }
    EXPECT_NE(found, nullptr);
    return *found;
  }

  static unsigned Dword(const rescomp::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned>(b[at + 3]) << 24;
  }

  std::filesystem::path dir_;
  rescomp::Directory directory_;
};

TEST_F(ResourceCompiler, OneBitBitmapIsBottomUpWithDwordRows) {
  auto file = Write("mono.pix", "# test\nsize 3 2\nbits 1\npalette\n  k 000000\n  w FFFFFF\npixels\nkwk\nwww\n");
  rescomp::CompilePixmap(file, rescomp::PixmapKind::Bitmap, "MONO", 0, directory_);
  const auto& data = Only(2).data;
  ASSERT_EQ(data.size(), 40u + 2 * 4 + 2 * 4);
  EXPECT_EQ(Dword(data, 4), 3u);
  EXPECT_EQ(Dword(data, 8), 2u);
  EXPECT_EQ(data[14], 1);           // bits per pixel
  EXPECT_EQ(Dword(data, 32), 2u);   // colours used
  EXPECT_EQ(data[44], 0xFF);        // second colour is white (B, G, R)
  EXPECT_EQ(data[48], 0xE0);        // bottom row first: www
  EXPECT_EQ(data[52], 0x40);        // then kwk
}

TEST_F(ResourceCompiler, EightBitBitmapStoresOneIndexPerByte) {
  auto file = Write("grey.pix", "size 5 1\nbits 8\npalette\n  a 101010\n  b 202020\n  c 303030\npixels\nabcba\n");
  rescomp::CompilePixmap(file, rescomp::PixmapKind::Bitmap, "GREY", 0, directory_);
  const auto& data = Only(2).data;
  std::size_t pixels = 40 + 3 * 4;
  ASSERT_EQ(data.size(), pixels + 8);
  EXPECT_EQ(std::vector<int>(data.begin() + pixels, data.begin() + pixels + 5),
            (std::vector<int>{0, 1, 2, 1, 0}));
}

TEST_F(ResourceCompiler, MonochromeCursorKeepsBlackWhiteTransparentAndInverted) {
  auto file = Write("cursor.pix",
                    "size 4 1\nbits 1\nhotspot 1 0\npalette\n  . transparent\n  i inverted\n"
                    "  k 000000\n  w FFFFFF\npixels\n.ikw\n");
  rescomp::CompilePixmap(file, rescomp::PixmapKind::Cursor, "", 7, directory_);
  const auto& image = Only(1).data;  // hotspot, header, 2 colours, 1 colour row, 1 mask row
  ASSERT_EQ(image.size(), 4u + 40u + 8u + 4u + 4u);
  EXPECT_EQ(image[0], 1);                 // hotspot x
  EXPECT_EQ(image[4 + 8], 2);             // height doubled for the mask
  EXPECT_EQ(image[4 + 40 + 4], 0xFF);     // colour 1 is white
  EXPECT_EQ(image[4 + 48] >> 4, 0b0101);  // colour bits: inverted and white are 1
  EXPECT_EQ(image[4 + 52] >> 4, 0b1100);  // mask bits: transparent and inverted are 1
  EXPECT_EQ(Only(12).id, 7u);             // the group keeps the integer id
}

TEST_F(ResourceCompiler, MalformedPixelMapsAreRefusedWithTheirFile) {
  struct Case {
    const char* text;
    const char* says;
  } cases[] = {
      {"size 2 1\nbits 4\npalette\n  k 000000\npixels\nkx\n", "not in the palette"},
      {"size 2 1\nbits 4\npalette\n  k 000000\npixels\nk\n", "not 2 wide"},
      {"size 2 2\nbits 4\npalette\n  k 000000\npixels\nkk\n", "pixel rows"},
      {"size 1 1\nbits 1\npalette\n  a 000000\n  b 111111\n  c 222222\npixels\na\n", "do not fit"},
      {"size 1 1\nbits 4\npalette\n  . transparent\npixels\n.\n", "no transparent"},
      {"size 1 1\nbits 3\n", "bits is 1, 4 or 8"},
      {"size 1 1\nbits 4\npalette\n  k 00000G\npixels\nk\n", "RRGGBB"},
  };
  for (const Case& c : cases) {
    auto file = Write("bad.pix", c.text);
    rescomp::Directory directory;
    try {
      rescomp::CompilePixmap(file, rescomp::PixmapKind::Bitmap, "BAD", 0, directory);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const rescomp::Error& e) {
      std::string message = e.what();
      EXPECT_NE(message.find("bad.pix"), std::string::npos) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
  }
  auto colour = Write("colour.pix", "size 1 1\nbits 1\npalette\n  r FF0000\npixels\nr\n");
  EXPECT_THROW(rescomp::CompilePixmap(colour, rescomp::PixmapKind::Icon, "X", 0, directory_),
               rescomp::Error);
}

TEST_F(ResourceCompiler, StringTableBlocksHoldSixteenLengthPrefixedStrings) {
  auto file = Write("strings.txt", "# comment\n17 Tab\\there\\s\n18 \xC3\xA4\\\\\n");
  rescomp::CompileStringTable(file, directory_);
  const auto& block = Only(6);
  EXPECT_EQ(block.id, 2u);  // ids 16 to 31
  // slot 0 empty, slot 1 "Tab\there " (9 units), slot 2 "ä\" (2 units), 13 empty slots
  ASSERT_EQ(block.data.size(), 2u + (2 + 18) + (2 + 4) + 13 * 2);
  EXPECT_EQ(block.data[2], 9);
  EXPECT_EQ(block.data[2 + 2 + 3 * 2], '\t');
  EXPECT_EQ(block.data[2 + 2 + 8 * 2], ' ');
  EXPECT_EQ(block.data[22], 2);
  EXPECT_EQ(block.data[24], 0xE4);  // U+00E4 in UTF-16
  EXPECT_EQ(block.data[26], '\\');
}

TEST_F(ResourceCompiler, StringTableRefusesDuplicatesBadIdsAndEscapes) {
  for (const char* text : {"5 a\n5 b\n", "x5 a\n", "70000 a\n", "5 a\\q\n", "5 \xFF\n"}) {
    rescomp::Directory directory;
    EXPECT_THROW(rescomp::CompileStringTable(Write("bad.txt", text), directory), rescomp::Error)
        << text;
  }
}

}  // namespace
