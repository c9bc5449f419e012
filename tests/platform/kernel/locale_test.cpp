#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32.h"

namespace {

int Compare(const char* a, const char* b, DWORD flags = NORM_IGNORECASE) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a, -1, b, -1);
}

TEST(CompareString, PunctuationBeforeDigitsBeforeLettersWithoutRegardToCase) {
  EXPECT_EQ(Compare("_x", "1x"), CSTR_LESS_THAN);
  EXPECT_EQ(Compare("9", "a"), CSTR_LESS_THAN);
  EXPECT_EQ(Compare("Zebra", "apple"), CSTR_GREATER_THAN);
  EXPECT_EQ(Compare("MIDI", "midi"), CSTR_EQUAL);
  EXPECT_EQ(Compare("abc", "abcd"), CSTR_LESS_THAN);
  EXPECT_EQ(Compare("z", "\xC3\xA9"), CSTR_LESS_THAN);  // multi-byte letters after ASCII
  // With case, lower case goes first only between otherwise equal texts.
  EXPECT_EQ(Compare("a", "A", 0), CSTR_LESS_THAN);
  EXPECT_EQ(Compare("B", "a", 0), CSTR_GREATER_THAN);
  // Counted lengths take only that many bytes.
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "abcX", 3, "abcY", 3), CSTR_EQUAL);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, nullptr, -1, "a", -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CaseMapping, ChangesAsciiLettersOnlyAndKeepsMultiByteSequences) {
  char text[] = "Song \xC3\x89t\xC3\xA9 #1";
  EXPECT_EQ(CharUpperBuffA(text, static_cast<DWORD>(std::strlen(text))), std::strlen(text));
  EXPECT_STREQ(text, "SONG \xC3\x89T\xC3\xA9 #1");
  CharLowerBuffA(text, 4);
  EXPECT_STREQ(text, "song \xC3\x89T\xC3\xA9 #1");
  EXPECT_TRUE(IsDBCSLeadByte(0xC3));
  EXPECT_FALSE(IsDBCSLeadByte(0xA9));
  EXPECT_FALSE(IsDBCSLeadByte('A'));
}

}  // namespace

namespace {

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);    // 10.67
  EXPECT_EQ(MulDiv(-11, 72, 96), -8);  // -8.25
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(3, -1, 2), -2);
  EXPECT_EQ(MulDiv(3, 1, -2), -2);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);          // 2^31 does not fit
  EXPECT_EQ(MulDiv(0x40000000, 4, 4), 0x40000000);  // the product may pass 32 bits
  EXPECT_EQ(MulDiv(5, 7, 0), -1);
}

}  // namespace
