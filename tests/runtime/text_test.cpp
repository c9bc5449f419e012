#include "runtime/text.h"

#include <gtest/gtest.h>

#include "runtime/exceptions.h"

TEST(StringTable, LoadsTextsById) {
  EXPECT_EQ(LoadStr(61452), "List index out of bounds");
  EXPECT_EQ(LoadStr(61603), "All files (*.*)|*.*");
  EXPECT_EQ(LoadStr(61648), "No MCI device open");
  EXPECT_EQ(LoadStr(65438), "Exception %s in module %s at %p.\n%s%s");
  EXPECT_EQ(LoadStr(61457), "''%s'' is not a valid component name");
  EXPECT_EQ(LoadStr(1), "");
  EXPECT_EQ(LoadStr(61447), "");  // a hole inside a stored block
}

TEST(StringTable, KeyCaptionsAndDeviceTypesAreContiguous) {
  EXPECT_EQ(LoadStr(61575), "BkSp");
  EXPECT_EQ(LoadStr(61579), "Space");
  EXPECT_FALSE(LoadStr(61592).empty());
  for (int id = 61651; id <= 61662; ++id) EXPECT_FALSE(LoadStr(id).empty()) << id;
}

TEST(StringTable, FmtLoadStrFormatsTheText) {
  EXPECT_EQ(FmtLoadStr(61448, "TWidget"), "Class TWidget not found");
  EXPECT_THROW(FmtLoadStr(61448), EConvertError);
}

TEST(InOutError, CarriesTheSystemCodeAndItsText) {
  EInOutError known(2);
  EXPECT_EQ(known.ErrorCode(), 2);
  EXPECT_EQ(known.Message(), "File not found");
  EInOutError other(21);
  EXPECT_EQ(other.Message(), "I/O error 21");
  EXPECT_STREQ(other.ClassName(), "EInOutError");
}

TEST(ExceptionClasses, FollowTheirFamilies) {
  try {
    throw EReadError("bad");
  } catch (const EFilerError& e) {
    EXPECT_STREQ(e.ClassName(), "EReadError");
  }
  EXPECT_TRUE((std::is_base_of_v<EStreamError, EFOpenError>));
  EXPECT_TRUE((std::is_base_of_v<EFilerError, EClassNotFound>));
  EXPECT_TRUE((std::is_base_of_v<Exception, EMCIDeviceError>));
  EXPECT_FALSE((std::is_base_of_v<EStreamError, EResNotFound>));
}

TEST(Comparisons, AsciiNoCaseIgnoresAsciiCaseOnly) {
  EXPECT_EQ(CompareAsciiNoCase("FileList", "FILELIST"), 0);
  EXPECT_LT(CompareAsciiNoCase("abc", "abd"), 0);
  EXPECT_LT(CompareAsciiNoCase("ab", "abc"), 0);
  EXPECT_NE(CompareAsciiNoCase("\xC3\x84", "\xC3\xA4"), 0);  // Ä and ä are different bytes
}

TEST(Comparisons, LocaleOrderPutsPunctuationBeforeDigitsBeforeLetters) {
  EXPECT_LT(CompareLocaleNoCase("_x", "1x"), 0);
  EXPECT_LT(CompareLocaleNoCase("1x", "ax"), 0);
  EXPECT_EQ(CompareLocaleNoCase("Song.MID", "song.mid"), 0);
  EXPECT_LT(CompareLocaleNoCase("apple", "Banana"), 0);
  EXPECT_NE(CompareLocale("Song", "song"), 0);
}

TEST(Comparisons, FileNamesCompareLowered) {
  EXPECT_EQ(CompareFileNames("C:\\Music\\A.MID", "c:\\music\\a.mid"), 0);
  EXPECT_NE(CompareFileNames("a.mid", "b.mid"), 0);
  EXPECT_TRUE(SameFileName("DIR", "dir"));
}

TEST(CaseMapping, ChangesAsciiLettersAndKeepsMultiByteCharacters) {
  EXPECT_EQ(AnsiUpperCase("abc\xC3\xA4z"), "ABC\xC3\xA4Z");
  EXPECT_EQ(AnsiLowerCase("ABC\xC3\x84Z"), "abc\xC3\x84z");
  // Bytes from 0x80 up stay; an ASCII letter is a letter wherever it stands, also after a
  // byte of a name that is not UTF-8 (a Latin-1 "CAF\xC9").
  EXPECT_EQ(AnsiLowerCaseFileName("\xC3\x84"
                                  "A"),
            "\xC3\x84"
            "a");
  EXPECT_EQ(AnsiLowerCaseFileName("CAF\xC9\\SONGS"), "caf\xC9\\songs");
}
