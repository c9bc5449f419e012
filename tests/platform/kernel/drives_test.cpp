#include <cstring>

#include "kernel_fixture.h"

namespace {

class DriveTable : public KernelFolder {
 protected:
  void SetUp() override {
    KernelFolder::SetUp();
    MakeFolder("floppy");
    MakeFolder("cd");
    MakeFolder("share/songs");
    ASSERT_TRUE(platform::InstallDriveTable(
        "A=" + Host("floppy").string() + ":removable:notready;C=/;D=" + Host("cd").string() +
        ":cdrom:MUSIC;N=" + Host("share").string() + ":remote:\\\\server\\songs;T=" +
        root_.string() + ":fixed:label=Scratch:serial=1234ABCD"));
  }
};

TEST_F(DriveTable, DrivesAndTypesComeFromTheTable) {
  EXPECT_EQ(GetLogicalDrives(), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 13) | (1u << 19));
  EXPECT_EQ(GetDriveTypeA("a:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
  EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeA("d:\\"), static_cast<UINT>(DRIVE_CDROM));
  EXPECT_EQ(GetDriveTypeA("N:\\"), static_cast<UINT>(DRIVE_REMOTE));
  EXPECT_EQ(GetDriveTypeA("\\\\SERVER\\songs\\"), static_cast<UINT>(DRIVE_REMOTE));
  EXPECT_EQ(GetDriveTypeA("q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(GetDriveTypeA(nullptr), static_cast<UINT>(DRIVE_FIXED));  // the current drive, T:
}

TEST_F(DriveTable, VolumeInformationGivesLabelSerialAndFlags) {
  char label[261];
  char system[32];
  DWORD serial = 0, component = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationA("D:\\", label, sizeof label, &serial, &component, &flags,
                                    system, sizeof system));
  EXPECT_STREQ(label, "MUSIC");
  EXPECT_STREQ(system, "CDFS");
  EXPECT_EQ(component, 255u);
  EXPECT_EQ(flags, static_cast<DWORD>(FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED));
  ASSERT_TRUE(GetVolumeInformationA("t:\\", label, sizeof label, &serial, nullptr, nullptr,
                                    nullptr, 0));
  EXPECT_STREQ(label, "Scratch");
  EXPECT_EQ(serial, 0x1234ABCDu);
  ASSERT_TRUE(GetVolumeInformationA("N:\\", label, sizeof label, nullptr, nullptr, nullptr,
                                    nullptr, 0));
  EXPECT_STREQ(label, "");
  char tiny[3];
  EXPECT_FALSE(GetVolumeInformationA("D:\\", tiny, sizeof tiny, nullptr, nullptr, nullptr,
                                     nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(DriveTable, ADriveThatIsNotReadyFailsEveryAccess) {
  char label[261] = "stale";
  EXPECT_FALSE(GetVolumeInformationA("A:\\", label, sizeof label, nullptr, nullptr, nullptr,
                                     nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_STREQ(label, "");  // defined content after a failed query
  EXPECT_FALSE(SetCurrentDirectoryA("A:"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_EQ(CurrentFolder(), "T:\\");
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA("A:\\*.*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_EQ(CreateFileA("A:\\x.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_FALSE(std::filesystem::exists(Host("floppy/x.txt")));
}

TEST_F(DriveTable, RemoteDriveNamesItsShareAndAnswersToIt) {
  char remote[64];
  DWORD length = sizeof remote;
  EXPECT_EQ(WNetGetConnectionA("n:", remote, &length), static_cast<DWORD>(NO_ERROR));
  EXPECT_STREQ(remote, "\\\\server\\songs");
  length = 5;
  EXPECT_EQ(WNetGetConnectionA("N:", remote, &length), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(length, 15u);
  EXPECT_EQ(WNetGetConnectionA("D:", remote, &length), ERROR_NOT_CONNECTED);
  EXPECT_EQ(WNetGetConnectionA("Q:", remote, &length), ERROR_BAD_DEVICE);
  // The share name reaches the same folder as the letter.
  MakeFile("share/songs/a.mid", "x");
  EXPECT_EQ(GetFileAttributesA("\\\\Server\\Songs\\songs\\A.MID"),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(SetCurrentDirectoryA("\\\\server\\songs\\songs"));
  EXPECT_EQ(CurrentFolder(), "\\\\server\\songs\\songs");
  EXPECT_EQ(GetFileAttributesA("a.mid"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesA("\\\\other\\share\\a.mid"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
}

TEST_F(DriveTable, ErrorModeIsKept) {
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(old), static_cast<UINT>(SEM_FAILCRITICALERRORS));
}

TEST(DriveTableSyntax, BadTablesAreRefusedAndChangeNothing) {
  std::string error;
  DWORD before = GetLogicalDrives();
  for (const char* bad : {"", "C", "CC=/", "C=relative", "C=/;C=/tmp", "C=/:fixed:a:b:c",
                          "N=/:remote:server", "C=/:serial=xyz"}) {
    EXPECT_FALSE(platform::InstallDriveTable(bad, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_EQ(GetLogicalDrives(), before);
}

}  // namespace
