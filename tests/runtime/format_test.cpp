#include <gtest/gtest.h>

#include "runtime/format.h"
#include "runtime/text.h"

TEST(Format, FillsDirectivesInOrder) {
  EXPECT_EQ(Format("%s_%d", std::string("Form1"), 1), "Form1_1");
  EXPECT_EQ(Format("%d%%", 50), "50%");
  EXPECT_EQ(Format("%u", 4000000000u), "4000000000");
  EXPECT_EQ(Format("%d", -7), "-7");
  EXPECT_EQ(Format("%s", "literal"), "literal");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "");
}

TEST(Format, WidthsPrecisionsAndAlignment) {
  EXPECT_EQ(Format("Korvel%.8X", 0xBEEFu), "Korvel0000BEEF");
  EXPECT_EQ(Format("ControlOfs%.8X%.8X", 0x400000u, 1234u), "ControlOfs00400000000004D2");
  EXPECT_EQ(Format("%.8x", 0x409), "00000409");
  EXPECT_EQ(Format("[%5d]", 42), "[   42]");
  EXPECT_EQ(Format("[%-5d]", 42), "[42   ]");
  EXPECT_EQ(Format("[%*d]", 4, 7), "[   7]");
  EXPECT_EQ(Format("[%.3s]", "abcdef"), "[abc]");
  EXPECT_EQ(Format("[%.4d]", -5), "[-0005]");
  EXPECT_EQ(Format("%1:s %0:s", "a", "b"), "b a");
}

TEST(Format, NegativeNumbersShowTheir32BitPatternInHexAndUnsigned) {
  EXPECT_EQ(Format("%x", -1), "ffffffff");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  EXPECT_EQ(Format("%d", INT64_MIN), "-9223372036854775808");
}

TEST(Format, PointersArePaddedHex) {
  int value = 0;
  std::string text = Format("%p", static_cast<const void*>(&value));
  EXPECT_EQ(text.size(), sizeof(void*) * 2);
  EXPECT_EQ(std::stoull(text, nullptr, 16), reinterpret_cast<std::uintptr_t>(&value));
  EXPECT_EQ(Format("%p", nullptr), std::string(sizeof(void*) * 2, '0'));
}

TEST(Format, MissingOrMistypedArgumentsRaiseConvertError) {
  EXPECT_THROW(Format("%s %s", "one"), EConvertError);
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s", 12), EConvertError);
  EXPECT_THROW(Format("%p", 12), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
  EXPECT_THROW(Format("trailing %"), EConvertError);
  EXPECT_THROW(Format("%5:s", "only"), EConvertError);
  try {
    Format("%d");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.ClassName(), "EConvertError");
    EXPECT_NE(e.Message().find("%d"), std::string::npos);
  }
}

TEST(Format, ExtraArgumentsAreIgnored) { EXPECT_EQ(Format("%d", 1, 2, "three"), "1"); }
