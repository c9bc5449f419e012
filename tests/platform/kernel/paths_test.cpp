#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "kernel_fixture.h"

namespace {

using CurrentDirectory = KernelFolder;
using FullPathName = KernelFolder;

std::string HostCwd() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

std::string Full(const char* name) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : "<failed>";
}

TEST_F(CurrentDirectory, RelativeChangesGoFromTheCurrentOneAndTheHostFollows) {
  MakeFolder("Songs/Old");
  ASSERT_TRUE(SetCurrentDirectoryA("songs"));
  EXPECT_EQ(CurrentFolder(), "T:\\Songs");  // the stored case of the folder
  ASSERT_TRUE(SetCurrentDirectoryA("OLD"));
  EXPECT_EQ(CurrentFolder(), "T:\\Songs\\Old");
  EXPECT_EQ(HostCwd(), Host("Songs/Old").string());
  ASSERT_TRUE(SetCurrentDirectoryA(".."));
  EXPECT_EQ(CurrentFolder(), "T:\\Songs");
  ASSERT_TRUE(SetCurrentDirectoryA("..\\..\\.."));  // never above the root
  EXPECT_EQ(CurrentFolder(), "T:\\");
  ASSERT_TRUE(SetCurrentDirectoryA("\\Songs\\Old\\"));
  EXPECT_EQ(CurrentFolder(), "T:\\Songs\\Old");
  EXPECT_TRUE(SetCurrentDirectoryA(""));  // an empty name keeps the current directory
  EXPECT_EQ(CurrentFolder(), "T:\\Songs\\Old");
}

TEST_F(CurrentDirectory, DriveAloneSelectsThatDrivesCurrentDirectory) {
  MakeFolder("t1/deep");
  MakeFolder("u1");
  // Drive U: is a second folder of the scratch area.
  ASSERT_TRUE(
      platform::InstallDriveTable("C=/;T=" + Host("t1").string() + ";U=" + Host("u1").string()));
  ASSERT_TRUE(SetCurrentDirectoryA("T:\\deep"));
  ASSERT_TRUE(SetCurrentDirectoryA("U:"));
  EXPECT_EQ(CurrentFolder(), "U:\\");
  ASSERT_TRUE(SetCurrentDirectoryA("t:"));
  EXPECT_EQ(CurrentFolder(), "T:\\deep");
  EXPECT_EQ(HostCwd(), Host("t1/deep").string());
  // A drive-relative name goes from that drive's current directory.
  EXPECT_EQ(Full("U:x.mid"), "U:\\x.mid");
  EXPECT_EQ(Full("T:x.mid"), "T:\\deep\\x.mid");
  EXPECT_FALSE(SetCurrentDirectoryA("Q:"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DRIVE));
  EXPECT_EQ(CurrentFolder(), "T:\\deep");
}

TEST_F(CurrentDirectory, RefusedChangesKeepTheCurrentDirectory) {
  MakeFile("file.txt");
  EXPECT_FALSE(SetCurrentDirectoryA("missing"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(SetCurrentDirectoryA("missing\\deeper"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(SetCurrentDirectoryA("file.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_FALSE(SetCurrentDirectoryA(std::string(300, 'a').c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(CurrentFolder(), "T:\\");
}

TEST_F(CurrentDirectory, LongPathsFailWithoutOverflowingBuffers) {
  // Build a real folder chain whose Windows name passes MAX_PATH only at the end.
  std::string relative;
  for (int i = 0; i < 24; ++i)
    relative += (i ? "/" : "") + std::string(9, static_cast<char>('a' + i));
  MakeFolder(relative);
  std::string windows = relative;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  // 3 + 24 * 10 - 1 = 242 characters fit.
  ASSERT_TRUE(SetCurrentDirectoryA(("T:\\" + windows).c_str()));
  MakeFolder(relative + "/" + std::string(20, 'z'));
  EXPECT_FALSE(SetCurrentDirectoryA(std::string(20, 'z').c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));

  char small[10];
  std::memset(small, '#', sizeof small);
  DWORD needed = GetCurrentDirectoryA(sizeof small, small);
  EXPECT_EQ(needed, 3u + windows.size() + 1);  // the size with its terminating zero
  EXPECT_EQ(small[0], '#');                    // nothing written
  EXPECT_EQ(GetFullPathNameA(std::string(300, 'b').c_str(), MAX_PATH, small, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(FullPathName, ResolvesDotsRootsAndTheFilePart) {
  MakeFolder("a");
  ASSERT_TRUE(SetCurrentDirectoryA("a"));
  EXPECT_EQ(Full("x.mid"), "T:\\a\\x.mid");
  EXPECT_EQ(Full(".\\b\\..\\c/d.mid"), "T:\\a\\c\\d.mid");
  EXPECT_EQ(Full("\\top.mid"), "T:\\top.mid");
  EXPECT_EQ(Full("T:\\"), "T:\\");
  EXPECT_EQ(Full("dir\\"), "T:\\a\\dir\\");
  EXPECT_EQ(Full("\\\\server\\share\\x\\..\\y"), "\\\\server\\share\\y");
  char buffer[MAX_PATH];
  LPSTR part = nullptr;
  ASSERT_GT(GetFullPathNameA("song.mid", sizeof buffer, buffer, &part), 0u);
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "song.mid");
  EXPECT_EQ(GetFullPathNameA("song.mid", 4, buffer, nullptr), std::strlen("T:\\a\\song.mid") + 1);
}

TEST_F(FullPathName, HostPathsMapThroughTheDriveTable) {
  EXPECT_EQ(platform::HostToWindowsPath(Host("x/y.mid").string()), "T:\\x\\y.mid");
  EXPECT_EQ(platform::HostToWindowsPath(root_.string()), "T:\\");
  EXPECT_EQ(platform::HostToWindowsPath("/usr/lib"), "C:\\usr\\lib");
  // "." and ".." count as written: none leads out of the drive that holds the path.
  EXPECT_EQ(platform::HostToWindowsPath(root_.string() + "//x/./y/../z.mid/"), "T:\\x\\z.mid");
  std::string outside = (root_.parent_path() / "elsewhere").string();
  std::replace(outside.begin(), outside.end(), '/', '\\');
  EXPECT_EQ(platform::HostToWindowsPath(root_.string() + "/x/../../elsewhere"), "C:" + outside);
  MakeFile("Dir/File.MID");
  std::string host;
  EXPECT_EQ(platform::WindowsToHostPath("t:\\dir\\file.mid", host), 0u);
  EXPECT_EQ(host, Host("Dir/File.MID").string());
  // The program file is named through the table: the deepest drive that holds it.
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
  ASSERT_TRUE(platform::InstallDriveTable("C=/;P=" + program.parent_path().string()));
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  EXPECT_EQ(std::string(module), "P:\\" + program.filename().string());
  ASSERT_TRUE(platform::InstallDriveTable("T=" + root_.string()));
  EXPECT_EQ(platform::HostToWindowsPath("/usr/lib"), "");
  char name[MAX_PATH];
  // The test program lies outside every drive now.
  EXPECT_EQ(GetModuleFileNameA(nullptr, name, sizeof name), 0u);
}

}  // namespace
