#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/rescomp/form.h"

namespace {

using rescomp::Bytes;

Bytes Compile(const std::string& text) { return rescomp::CompileFormText(text, ".", "test.txt"); }

Bytes Str(const std::string& text) {
  Bytes out;
  out.push_back(static_cast<std::uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The bytes of a root "TX X" with one property P set to the given text value.
Bytes ValueOf(const std::string& value) {
  Bytes all = Compile("TX X {\n P = " + value + "\n}\n");
  Bytes head = Cat({{'T', 'P', 'F', '0'}, Str("TX"), Str("X"), Str("P")});
  EXPECT_EQ(Bytes(all.begin(), all.begin() + static_cast<long>(head.size())), head);
  EXPECT_EQ(Bytes(all.end() - 2, all.end()), Bytes({0, 0}));  // end of the properties, end of the children
  return Bytes(all.begin() + static_cast<long>(head.size()), all.end() - 1);
}

TEST(FormCompilerIntegers, UseTheSmallestTagThatHoldsTheValue) {
  EXPECT_EQ(ValueOf("0"), Bytes({2, 0, 0}));
  EXPECT_EQ(ValueOf("127"), Bytes({2, 0x7F, 0}));
  EXPECT_EQ(ValueOf("-128"), Bytes({2, 0x80, 0}));
  EXPECT_EQ(ValueOf("128"), Bytes({3, 0x80, 0, 0}));
  EXPECT_EQ(ValueOf("-129"), Bytes({3, 0x7F, 0xFF, 0}));
  EXPECT_EQ(ValueOf("32767"), Bytes({3, 0xFF, 0x7F, 0}));
  EXPECT_EQ(ValueOf("-32768"), Bytes({3, 0x00, 0x80, 0}));
  EXPECT_EQ(ValueOf("32768"), Bytes({4, 0x00, 0x80, 0, 0, 0}));
  EXPECT_EQ(ValueOf("-32769"), Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF, 0}));
  EXPECT_EQ(ValueOf("0xFFFFFFFF"), Bytes({2, 0xFF, 0}));  // the 32-bit pattern of -1
  EXPECT_EQ(ValueOf("0x80000000"), Bytes({4, 0, 0, 0, 0x80, 0}));
  EXPECT_EQ(ValueOf("010"), Bytes({2, 10, 0}));  // decimal, never octal
  EXPECT_THROW(Compile("TX X {\n P = 4294967296\n}"), rescomp::Error);
}

TEST(FormCompilerStrings, ShortUpTo255ThenLongWithFourByteLength) {
  std::string s255(255, 'a');
  Bytes shortValue = ValueOf("\"" + s255 + "\"");
  ASSERT_EQ(shortValue.size(), 2u + 255u + 1u);
  EXPECT_EQ(shortValue[0], 6);
  EXPECT_EQ(shortValue[1], 255);

  Bytes longValue = ValueOf("\"" + std::string(200, 'b') + "\"\n   + \"" + std::string(56, 'c') + "\"");
  ASSERT_EQ(longValue.size(), 1u + 4u + 256u + 1u);
  EXPECT_EQ(Bytes(longValue.begin(), longValue.begin() + 5), Bytes({12, 0, 1, 0, 0}));
  EXPECT_EQ(longValue[5 + 199], 'b');
  EXPECT_EQ(longValue[5 + 200], 'c');

  EXPECT_EQ(ValueOf(R"("a\"b\\c\x01\n")"), Bytes({6, 7, 'a', '"', 'b', '\\', 'c', 1, '\n', 0}));
  EXPECT_EQ(ValueOf("\"\""), Bytes({6, 0, 0}));
}

TEST(FormCompilerValues, IdentifiersBooleansNilSetsListsAndCollections) {
  EXPECT_EQ(ValueOf("clWindowText"), Cat({{7}, Str("clWindowText"), {0}}));
  EXPECT_EQ(ValueOf("Form2.Button1"), Cat({{7}, Str("Form2.Button1"), {0}}));
  EXPECT_EQ(ValueOf("true"), Bytes({9, 0}));
  EXPECT_EQ(ValueOf("false"), Bytes({8, 0}));
  EXPECT_EQ(ValueOf("nil"), Bytes({13, 0}));
  EXPECT_EQ(ValueOf("[]"), Bytes({11, 0, 0}));
  EXPECT_EQ(ValueOf("[fsBold, fsItalic]"), Cat({{11}, Str("fsBold"), Str("fsItalic"), {0, 0}}));
  EXPECT_EQ(ValueOf("(\"one\"\n 2\n)"), Cat({{1, 6}, Str("one"), {2, 2, 0, 0}}));
  EXPECT_EQ(ValueOf("<\n item {\n  W = 1\n }\n item 5 {\n }\n>"),
            Cat({{14, 1}, Str("W"), {2, 1, 0, 2, 5, 1, 0, 0, 0}}));
  EXPECT_EQ(ValueOf("hex(\"01 ff\")"), Bytes({10, 2, 0, 0, 0, 1, 0xFF, 0}));
}

TEST(FormCompilerValues, FloatsAreStoredAsExtendedPrecision) {
  // 64-bit mantissa with its integer bit, then sign and biased exponent.
  EXPECT_EQ(ValueOf("1.0"), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F, 0}));
  EXPECT_EQ(ValueOf("-2.5"), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0, 0}));
  EXPECT_EQ(ValueOf("0.0"), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // 0.1 keeps all 64 bits: 0xCCCCCCCCCCCCCCCD x 2^-67.
  EXPECT_EQ(ValueOf("0.1"), Bytes({5, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F, 0}));
}

TEST(FormCompilerObjects, PrefixOnlyWhenAFlagIsSet) {
  Bytes plain = Compile("TA A {\n TB B {\n }\n TC {\n }\n}");
  EXPECT_EQ(plain, Cat({{'T', 'P', 'F', '0'}, Str("TA"), Str("A"), {0}, Str("TB"), Str("B"), {0, 0}, Str("TC"),
                        Str(""), {0, 0, 0}}));
  Bytes flagged = Compile("TA A {\n inherited TB B {\n }\n TC C at 3 {\n }\n inherited TD D at 300 {\n }\n}");
  EXPECT_EQ(flagged, Cat({{'T', 'P', 'F', '0'}, Str("TA"), Str("A"), {0, 0xF1}, Str("TB"), Str("B"), {0, 0},
                          {0xF2, 2, 3}, Str("TC"), Str("C"), {0, 0}, {0xF3, 3, 0x2C, 0x01}, Str("TD"), Str("D"),
                          {0, 0, 0}}));
}

TEST(FormCompilerErrors, NameTheLineAndRefuseWhatCannotBeStored) {
  auto message = [](const std::string& text) {
    try {
      Compile(text);
    } catch (const rescomp::Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message("TA A {\n TB B {\n }\n P = 1\n}"), "test.txt:4: properties come before the children");
  EXPECT_EQ(message("TA A {\n P = 1\n"), "test.txt:3: object A not closed");
  EXPECT_NE(message("TA A {\n " + std::string(256, 'x') + " = 1\n}").find("longer than 255"), std::string::npos);
  EXPECT_EQ(message("TA A {\n P = picture(\"x\")\n}"), "test.txt:2: unknown function picture");
  EXPECT_EQ(message("TA A {\n P = \"open\n}"), "test.txt:2: string not closed on its line");
  EXPECT_EQ(message("TA A {\n}\nTB B {\n}"), "test.txt:3: text after the root object");
  EXPECT_EQ(message("TA A {\n P = ;\n}"), "test.txt:2: unexpected character ';'");
}

TEST(FormCompilerPictures, BitmapCarriesItsLengthAndIconIsAWholeFile) {
  auto dir = std::filesystem::temp_directory_path() / ("td_form_pictures_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "p.pix") << "# two pixels\nsize 2 1\nbits 4\npalette\n  k 000000\n  w FFFFFF\npixels\nkw\n";
  std::ofstream(dir / "i.pix") << "# icon\nsize 32 32\nbits 4\npalette\n  . transparent\n  k 000000\npixels\n"
                               << [] {
                                    std::string rows;
                                    for (int i = 0; i < 32; ++i) rows += std::string(16, 'k') + std::string(16, '.') + "\n";
                                    return rows;
                                  }();
  Bytes bitmap = rescomp::CompileFormText("TX X {\n P = bitmap(\"p.pix\", 130)\n}", dir, "t");
  // tag, entry length 134, bitmap length 130, then "BM" with file size 130 and bits at 14 + 40 + 64.
  std::size_t at = 4 + 3 + 2 + 2;
  ASSERT_GT(bitmap.size(), at + 30);
  EXPECT_EQ(Bytes(bitmap.begin() + at, bitmap.begin() + at + 21),
            Bytes({10, 134, 0, 0, 0, 130, 0, 0, 0, 'B', 'M', 130, 0, 0, 0, 0, 0, 0, 0, 118, 0}));
  EXPECT_EQ(bitmap[at + 9 + 14 + 14], 4);  // bits per pixel
  EXPECT_EQ(bitmap[at + 9 + 118], 0x01);    // black, white
  EXPECT_THROW(rescomp::CompileFormText("TX X {\n P = bitmap(\"p.pix\", 100)\n}", dir, "t"), rescomp::Error);

  Bytes icon = rescomp::CompileFormText("TX X {\n P = icon(\"i.pix\")\n}", dir, "t");
  EXPECT_EQ(Bytes(icon.begin() + at, icon.begin() + at + 11), Bytes({10, 0xFE, 2, 0, 0, 0, 0, 1, 0, 1, 0}));
  EXPECT_EQ(icon.size(), at + 5 + 766 + 2);
  std::filesystem::remove_all(dir);
}

TEST(FormCompilerMainWindow, StartsAndStoresTheMenuAsTheFormatShows) {
  auto file = std::filesystem::path(__FILE__).parent_path() / "../../../resources/forms/tform1.txt";
  Bytes form = rescomp::CompileForm(file);
  Bytes head = Cat({{'T', 'P', 'F', '0'}, Str("TForm1"), Str("Form1"), Str("Left"), {3, 0xE7, 0}, Str("Top"),
                    {3, 0x80, 0}, Str("Width"), {3, 0x12, 1}, Str("Height"), {3, 0x20, 1}});
  EXPECT_EQ(Bytes(form.begin(), form.begin() + static_cast<long>(head.size())), head);
  Bytes menu = Cat({Str("TMainMenu"), Str("MainMenu1"), Str("Left"), {3, 0x90, 0}, Str("Top"), {3, 0xA0, 0, 0},
                    Str("TMenuItem"), Str("File1"), Str("Caption"), {6}, Str("File"), Str("ShortCut"), {2, 0, 0},
                    Str("TMenuItem"), Str("Exit1"), Str("Caption"), {6}, Str("E&xit"), Str("ShortCut"), {2, 0}});
  EXPECT_NE(std::search(form.begin(), form.end(), menu.begin(), menu.end()), form.end());
  Bytes refresh = Cat({Str("ShortCut"), {2, 116}});
  EXPECT_NE(std::search(form.begin(), form.end(), refresh.begin(), refresh.end()), form.end());
  EXPECT_EQ(Bytes(form.end() - 2, form.end()), Bytes({0, 0}));
}

}  // namespace
