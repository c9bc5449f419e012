#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "kernel_fixture.h"

namespace {

using FileSearch = KernelFolder;

struct Found {
  std::string name;
  DWORD attributes;
};

std::vector<Found> Search(const char* pattern, DWORD* error = nullptr) {
  std::vector<Found> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) {
    if (error != nullptr) *error = GetLastError();
    return found;
  }
  do {
    found.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(search));
  if (error != nullptr) *error = 0;
  return found;
}

std::vector<std::string> Names(const std::vector<Found>& found) {
  std::vector<std::string> names;
  for (const Found& f : found) names.push_back(f.name);
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

using Strings = std::vector<std::string>;

TEST_F(FileSearch, WildcardsIgnoreCaseAndStarDotStarMatchesEveryName) {
  MakeFolder("songs");
  for (const char* name : {"a.MID", "b.mid", "c.midi", "readme", "x.mid.bak", "Tune.Rmi"}) {
    MakeFile(std::string("songs/") + name);
  }
  ASSERT_TRUE(SetCurrentDirectoryA("songs"));
  EXPECT_EQ(Sorted(Names(Search("*.mid"))), (Strings{"a.MID", "b.mid"}));
  EXPECT_EQ(Sorted(Names(Search("T:\\SONGS\\*.RMI"))), (Strings{"Tune.Rmi"}));
  EXPECT_EQ(Sorted(Names(Search("*.*"))),
            (Strings{".", "..", "Tune.Rmi", "a.MID", "b.mid", "c.midi", "readme", "x.mid.bak"}));
  EXPECT_EQ(Sorted(Names(Search("?.mid*"))), (Strings{"a.MID", "b.mid", "c.midi", "x.mid.bak"}));
  EXPECT_EQ(Sorted(Names(Search("*."))), (Strings{".", "..", "readme"}));
  EXPECT_EQ(Sorted(Names(Search("readme.*"))), (Strings{"readme"}));
  EXPECT_EQ(Sorted(Names(Search("B.MID"))), (Strings{"b.mid"}));
  DWORD error = 0;
  EXPECT_TRUE(Search("*.wav", &error).empty());
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileSearch, QuestionMarkTakesOneWholeCharacter) {
  MakeFile("\xC3\xA9t\xC3\xA9.mid");  // "été" in UTF-8
  MakeFile("ab.mid");
  EXPECT_EQ(Sorted(Names(Search("???.mid"))), (Strings{"\xC3\xA9t\xC3\xA9.mid"}));
  EXPECT_EQ(Sorted(Names(Search("??.mid"))), (Strings{"ab.mid"}));
}

TEST_F(FileSearch, DotEntriesComeFirstBelowARootAndNeverAtOne) {
  MakeFolder("sub/inner");
  MakeFile("sub/z.txt");
  std::vector<Found> below = Search("T:\\sub\\*");
  ASSERT_EQ(below.size(), 4u);
  EXPECT_EQ(below[0].name, ".");
  EXPECT_EQ(below[1].name, "..");
  EXPECT_EQ(below[0].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(Sorted(Names(Search("T:\\*"))), (Strings{"sub"}));
  EXPECT_EQ(Sorted(Names(Search("T:*"))), (Strings{"sub"}));  // the current folder is the root
}

TEST_F(FileSearch, AttributesAndSizesDescribeTheEntries) {
  MakeFile("song.mid", std::string(1234, 'x'));
  MakeFile(".secret");
  MakeFolder("folder");
  MakeFile("fixed.txt");
  std::filesystem::permissions(Host("fixed.txt"), std::filesystem::perms::owner_read);
  ASSERT_EQ(mkfifo(Host("pipe").c_str(), 0644), 0);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("song.mid", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  // FILETIME counts 100 ns from 1601: any file written now lies past 2020.
  std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  EXPECT_GT(ticks, 132223104000000000ull);
  FindClose(search);

  std::vector<Found> all = Search("*");
  auto attributes = [&](const std::string& name) {
    for (const Found& f : all) {
      if (f.name == name) return f.attributes;
    }
    return INVALID_FILE_ATTRIBUTES;
  };
  EXPECT_EQ(attributes(".secret"),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(attributes("folder"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(attributes("fixed.txt"),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(attributes("pipe") & FILE_ATTRIBUTE_SYSTEM, static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM));
}

TEST_F(FileSearch, HostNamesThatCannotBeWindowsNamesAreLeftOut) {
  MakeFile("good.mid");
  MakeFile("back\\slash.mid");
  MakeFile("co:lon.mid");
  EXPECT_EQ(Names(Search("*.mid")), (Strings{"good.mid"}));
}

TEST_F(FileSearch, BadFoldersAndHandlesFailWithTheirCodes) {
  DWORD error = 0;
  Search("T:\\missing\\*.mid", &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  Search("T:\\", &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  Search("T:\\a*\\*.mid", &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_NAME));
  Search(("T:\\" + std::string(300, 'a') + "\\*").c_str(), &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));

  MakeFile("one.mid");
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("*.mid", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CloseHandle(search));  // searches end with FindClose only
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindClose(search));
}

}  // namespace
