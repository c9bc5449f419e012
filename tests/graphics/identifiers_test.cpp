#include "classes/reader.h"
#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

TEST(ColorIdentifiers, FortyTwoRowsFromBlackToNone) {
  auto colors = ColorIdentifiers();
  ASSERT_EQ(colors.size(), 42u);
  EXPECT_STREQ(colors[0].Name, "clBlack");
  EXPECT_STREQ(colors[15].Name, "clWhite");
  EXPECT_EQ(colors[15].Value, 0xFFFFFF);
  // The system colours follow in the platform's order.
  for (int i = 0; i <= 24; ++i) {
    EXPECT_EQ(static_cast<std::uint32_t>(colors[16 + i].Value), 0x80000000u + i) << i;
  }
  EXPECT_STREQ(colors[41].Name, "clNone");
  EXPECT_EQ(colors[41].Value, 0x1FFFFFFF);
}

TEST(ColorIdentifiers, NamesReadInAnyCaseAndValuesWriteTheirFirstName) {
  std::int32_t value = 0;
  ASSERT_TRUE(IdentToColor("clwindowtext", value));
  EXPECT_EQ(static_cast<std::uint32_t>(value), 0x80000008u);
  ASSERT_TRUE(IdentToColor("CLOLIVE", value));
  EXPECT_EQ(value, 0x008080);
  EXPECT_FALSE(IdentToColor("clMauve", value));
  EXPECT_FALSE(IdentToColor("", value));

  std::string name;
  ASSERT_TRUE(ColorToIdent(static_cast<std::int32_t>(0x80000008u), name));
  EXPECT_EQ(name, "clWindowText");
  ASSERT_TRUE(ColorToIdent(0x808080, name));
  EXPECT_EQ(name, "clGray");
  EXPECT_FALSE(ColorToIdent(0x123456, name));
}

TEST(CharsetIdentifiers, EighteenRowsComparedAsciiCaseInsensitivelyAndByByte) {
  ASSERT_EQ(CharsetIdentifiers().size(), 18u);
  std::int32_t value = -1;
  ASSERT_TRUE(IdentToCharset("default_charset", value));
  EXPECT_EQ(value, 1);
  ASSERT_TRUE(IdentToCharset("EastEurope_Charset", value));
  EXPECT_EQ(value, 238);
  EXPECT_FALSE(IdentToCharset("KOI8_CHARSET", value));
  std::string name;
  ASSERT_TRUE(CharsetToIdent(0x1FF, name));  // only the byte counts
  EXPECT_EQ(name, "OEM_CHARSET");
  ASSERT_TRUE(CharsetToIdent(77, name));
  EXPECT_EQ(name, "MAC_CHARSET");
  EXPECT_FALSE(CharsetToIdent(3, name));
}

TEST(ColorToRGB, SystemColoursBecomeTheCurrentOnesAndOthersStay) {
  platform::testing::StartSession();
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(clOlive), 0x008080u);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
}

// A component with a published font, as controls publish theirs.
class TFontHolder : public TComponent {
  TD_CLASS(TFontHolder, TComponent)

 public:
  explicit TFontHolder(TComponent* owner) : TComponent(owner) {}
  TFont* Font() { return &font_; }
  void SetFont(TFont* font) { font_.CopyFrom(font); }

 private:
  TFont font_;
};

TD_IMPLEMENT_CLASS(TFontHolder)
void TFontHolder::Describe(Describer& d) {
  d.Property("Font", &TFontHolder::Font, &TFontHolder::SetFont);
}

void ShortString(std::vector<std::uint8_t>& bytes, const std::string& text) {
  bytes.push_back(static_cast<std::uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

void IdentifierValue(std::vector<std::uint8_t>& bytes, const std::string& property,
                     const std::string& identifier) {
  ShortString(bytes, property);
  bytes.push_back(static_cast<std::uint8_t>(TValueTag::Identifier));
  ShortString(bytes, identifier);
}

TEST(ColorIdentifiers, TheFormReaderTurnsIdentifiersIntoNumbers) {
  platform::testing::StartSession();
  std::vector<std::uint8_t> bytes = {'T', 'P', 'F', '0'};
  ShortString(bytes, "TFontHolder");
  ShortString(bytes, "Holder");
  IdentifierValue(bytes, "Font.Charset", "russian_charset");
  IdentifierValue(bytes, "Font.Color", "clwindowtext");
  IdentifierValue(bytes, "Font.Pitch", "fpVariable");
  ShortString(bytes, "Font.Name");
  bytes.push_back(static_cast<std::uint8_t>(TValueTag::String));
  ShortString(bytes, "Courier New");
  bytes.push_back(0);  // end of properties
  bytes.push_back(0);  // end of children
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<Longint>(bytes.size()));
  stream.SetPosition(0);
  TFontHolder holder(nullptr);
  ReadStreamDescription(stream, &holder);
  EXPECT_EQ(holder.Font()->Charset(), 204);
  EXPECT_EQ(holder.Font()->Color(), clWindowText);
  EXPECT_EQ(holder.Font()->Pitch(), fpVariable);
  EXPECT_EQ(holder.Font()->Name(), "Courier New");
}

}  // namespace
}  // namespace graphics_test
