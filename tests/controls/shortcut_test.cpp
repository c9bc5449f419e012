// Shortcut values and their texts.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

#include "controls/menus.h"
#include "platform/testing.h"

namespace pt = platform::testing;

namespace {

class ShortCutText : public ::testing::Test {
 protected:
  void SetUp() override { pt::StartSession(); }
  void TearDown() override { pt::EndSession(); }
};

TEST_F(ShortCutText, NamesKeysWithTheirModifiersInOrder) {
  EXPECT_EQ(FormatShortCut(0), "");
  EXPECT_EQ(FormatShortCut(113), "F2");
  EXPECT_EQ(FormatShortCut(114), "F3");
  EXPECT_EQ(FormatShortCut(116), "F5");
  EXPECT_EQ(FormatShortCut(VK_F24), "F24");
  EXPECT_EQ(FormatShortCut(scCtrl | 'S'), "Ctrl+S");
  EXPECT_EQ(FormatShortCut(scShift | 'A'), "Shift+A");
  EXPECT_EQ(FormatShortCut(scShift | scAlt | VK_DELETE), "Shift+Alt+Del");
  EXPECT_EQ(FormatShortCut(0xE070), "Shift+Ctrl+Alt+F1");
  EXPECT_EQ(FormatShortCut(VK_BACK), "BkSp");
  EXPECT_EQ(FormatShortCut(VK_RETURN), "Enter");
  EXPECT_EQ(FormatShortCut(VK_ESCAPE), "Esc");
  EXPECT_EQ(FormatShortCut(VK_SPACE), "Space");
  EXPECT_EQ(FormatShortCut(VK_NEXT), "PgDn");
  EXPECT_EQ(FormatShortCut(VK_DOWN), "Down");
  EXPECT_EQ(FormatShortCut(VK_INSERT), "Ins");
  // Keypad digits read as the digits; the bits between the key and the modifiers are
  // not part of the text.
  EXPECT_EQ(FormatShortCut(0x60), "0");
  EXPECT_EQ(FormatShortCut(0x30), "0");
  EXPECT_EQ(FormatShortCut(VK_NUMPAD9), "9");
  EXPECT_EQ(FormatShortCut(0x0100 | 'Q'), "Q");
}

TEST_F(ShortCutText, OtherKeysTakeThePlatformNameOnlyWhenItIsOneCharacter) {
  // The US layout names the semicolon key ";" and the caps lock key "Caps Lock".
  EXPECT_EQ(FormatShortCut(VK_OEM_1), ";");
  EXPECT_EQ(FormatShortCut(scCtrl | VK_OEM_COMMA), "Ctrl+,");
  EXPECT_EQ(FormatShortCut(VK_CAPITAL), "");
  EXPECT_EQ(FormatShortCut(scCtrl | VK_CAPITAL), "");
  EXPECT_EQ(FormatShortCut(0xFF), "");
}

TEST_F(ShortCutText, ParsesPrefixesInAnyOrderAndCase) {
  EXPECT_EQ(ParseShortCut("ctrl+shift+f5"), 0x6074);
  EXPECT_EQ(ParseShortCut("^A"), 0x4041);
  EXPECT_EQ(ParseShortCut("Alt+Shift+Alt+del"), scAlt | scShift | VK_DELETE);
  EXPECT_EQ(ParseShortCut("F2"), 113);
  EXPECT_EQ(ParseShortCut("Shift+"), 0);
  EXPECT_EQ(ParseShortCut(""), 0);
  EXPECT_EQ(ParseShortCut("Nothing"), 0);
  EXPECT_EQ(ParseShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(ParseShortCut("F25"), 0);
}

TEST_F(ShortCutText, ParsingGivesBackEveryValueWhoseTextNoLowerCodeMakes) {
  // The first code of each text is the one the parser must find.
  std::map<std::string, int> firstCode;
  for (int key = 0; key <= 0xFF; ++key) {
    std::string text = FormatShortCut(static_cast<TShortCut>(key));
    if (!text.empty()) firstCode.emplace(text, key);
  }
  int checked = 0;
  for (TShortCut modifiers : {0, 0x2000, 0x4000, 0x8000, 0x6000, 0xA000, 0xC000, 0xE000}) {
    for (int key = 0; key <= 0xFF; ++key) {
      auto value = static_cast<TShortCut>(modifiers | key);
      std::string text = FormatShortCut(value);
      if (text.empty() || firstCode.at(FormatShortCut(static_cast<TShortCut>(key))) != key)
        continue;
      EXPECT_EQ(ParseShortCut(text), value) << text;
      std::string lowered = text;
      for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(ParseShortCut(lowered), value) << lowered;
      ++checked;
    }
  }
  EXPECT_GT(checked, 8 * 70);
  EXPECT_EQ(ParseShortCut(FormatShortCut(VK_NUMPAD4)), '4');
}

TEST_F(ShortCutText, ShortCutOfAKeyAndShiftState) {
  EXPECT_EQ(ShortCut('S', TShiftState{ssCtrl}), scCtrl | 'S');
  EXPECT_EQ(ShortCut(VK_F2, TShiftState{ssShift, ssAlt, ssLeft}), scShift | scAlt | VK_F2);
}

}  // namespace
