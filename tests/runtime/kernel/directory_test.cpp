#include "runtime/directory.h"

#include "runtime/exceptions.h"
#include "tests/platform/kernel/kernel_fixture.h"

namespace {

using DirectoryHelpers = KernelFolder;

TEST_F(DirectoryHelpers, ChangesAndQueriesFollowTheCurrentDirectory) {
  MakeFolder("Songs/Old");
  ChangeDirectory("songs");
  EXPECT_EQ(CurrentDirectory(), "T:\\Songs");
  ChangeDirectory("C:");
  EXPECT_EQ(CurrentDirectory('T'), "T:\\Songs");  // the other drive remembers its own
  ChangeDirectory("T:");
  ChangeDirectory("Old");
  EXPECT_EQ(CurrentDirectory(), "T:\\Songs\\Old");
}

TEST_F(DirectoryHelpers, RefusedChangeRaisesInOutErrorWithTheSystemCode) {
  try {
    ChangeDirectory("missing");
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(error.Message().empty());
  }
  ASSERT_TRUE(platform::InstallDriveTable("T=" + root_.string() + ";A=" + root_.string() +
                                          ":removable:notready"));
  try {
    ChangeDirectory("A:");
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ERROR_NOT_READY);
    EXPECT_EQ(error.Message(), "I/O error 21");
  }
  EXPECT_EQ(CurrentDirectory(), "T:\\");
}

TEST(DriveExtraction, LetterAndColonOrServerAndShare) {
  EXPECT_EQ(ExtractFileDrive("C:\\SONGS\\a.mid"), "C:");
  EXPECT_EQ(ExtractFileDrive("d:"), "d:");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\songs\\a.mid"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("\\\\server"), "\\\\server");
  EXPECT_EQ(ExtractFileDrive("\\SONGS"), "");
  EXPECT_EQ(ExtractFileDrive("a.mid"), "");
  EXPECT_EQ(ExtractFileDrive(""), "");
}

}  // namespace
