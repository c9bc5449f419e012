// Searches of a folder searched before must see every change made since.
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "kernel_fixture.h"

namespace {

using RepeatedSearch = KernelFolder;

struct Entry {
  std::string name;
  DWORD attributes;
  DWORD size;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> List(const char* pattern) {
  std::vector<Entry> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back({data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
  } while (FindNextFileA(search, &data));
  FindClose(search);
  std::sort(found.begin(), found.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return found;
}

constexpr DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;

TEST_F(RepeatedSearch, SeesNewRemovedAndRenamedEntries) {
  MakeFile("a.mid", "1");
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"a.mid", kArchive, 1}}));
  MakeFile("b.mid", "22");
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"a.mid", kArchive, 1}, {"b.mid", kArchive, 2}}));
  std::filesystem::rename(Host("a.mid"), Host("c.mid"));
  std::filesystem::remove(Host("b.mid"));
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"c.mid", kArchive, 1}}));
}

TEST_F(RepeatedSearch, SeesWritesAndPermissionChangesOfEntries) {
  MakeFile("a.mid", "1");
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"a.mid", kArchive, 1}}));
  std::ofstream(Host("a.mid"), std::ios::app) << "more";
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"a.mid", kArchive, 5}}));
  std::filesystem::permissions(Host("a.mid"), std::filesystem::perms::owner_read);
  EXPECT_EQ(List("*.mid"), (std::vector<Entry>{{"a.mid", kArchive | FILE_ATTRIBUTE_READONLY, 5}}));
}

TEST_F(RepeatedSearch, SeesChangesMadeThroughOtherNamesOfAnEntry) {
  MakeFolder("songs");
  MakeFolder("elsewhere");
  MakeFile("elsewhere/target.mid", "1");
  std::filesystem::create_hard_link(Host("elsewhere/target.mid"), Host("songs/hard.mid"));
  std::filesystem::create_symlink(Host("elsewhere/target.mid"), Host("songs/soft.mid"));
  EXPECT_EQ(List("T:\\songs\\*.mid"),
            (std::vector<Entry>{{"hard.mid", kArchive, 1}, {"soft.mid", kArchive, 1}}));
  std::ofstream(Host("elsewhere/target.mid"), std::ios::app) << "23";
  EXPECT_EQ(List("T:\\songs\\*.mid"),
            (std::vector<Entry>{{"hard.mid", kArchive, 3}, {"soft.mid", kArchive, 3}}));
}

TEST_F(RepeatedSearch, SeesAnotherFolderUnderTheSameName) {
  MakeFile("box/music/old.mid");
  EXPECT_EQ(List("T:\\box\\music\\*.mid").size(), 1u);
  // The parent is renamed (nothing happens inside the folder itself) and a new folder
  // takes the old name.
  std::filesystem::rename(Host("box"), Host("archive"));
  MakeFile("box/music/new.mid");
  std::vector<Entry> found = List("T:\\box\\music\\*.mid");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "new.mid");
}

TEST_F(RepeatedSearch, ASearchInProgressKeepsItsListing) {
  for (const char* name : {"a.mid", "b.mid", "c.mid"}) MakeFile(name);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("*.mid", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  MakeFile("d.mid");
  EXPECT_EQ(List("*.mid").size(), 4u);  // a new search sees the new file
  int rest = 0;
  while (FindNextFileA(search, &data)) ++rest;
  EXPECT_EQ(rest, 2);  // the first one goes on with what it started with
  FindClose(search);
}

}  // namespace
