#include "runtime/filesearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "tests/platform/kernel/kernel_fixture.h"

namespace {

using RuntimeFileSearch = KernelFolder;
using Strings = std::vector<std::string>;

Strings Found(const std::string& pattern, int attr) {
  Strings names;
  TSearchRec search;
  int result = FindFirst(pattern, attr, search);
  while (result == 0) {
    names.push_back(search.Name);
    result = FindNext(search);
  }
  EXPECT_TRUE(result == ERROR_NO_MORE_FILES || result == ERROR_FILE_NOT_FOUND) << result;
  FindClose(search);
  FindClose(search);  // a second close does nothing
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(RuntimeFileSearch, MaskLeavesOutHiddenSystemAndDirectoryEntriesItLacks) {
  MakeFile("song.mid");
  MakeFile(".hidden.mid");
  MakeFile("locked.mid");
  std::filesystem::permissions(Host("locked.mid"), std::filesystem::perms::owner_read);
  MakeFolder("folder.mid");
  ASSERT_EQ(mkfifo(Host("pipe.mid").c_str(), 0644), 0);

  // Read-only and archive entries are always returned.
  EXPECT_EQ(Found("*.mid", 0), (Strings{"locked.mid", "song.mid"}));
  EXPECT_EQ(Found("*.mid", kAttrHidden), (Strings{".hidden.mid", "locked.mid", "song.mid"}));
  EXPECT_EQ(Found("*.mid", kAttrDirectory), (Strings{"folder.mid", "locked.mid", "song.mid"}));
  EXPECT_EQ(Found("*.mid", kAttrSystem), (Strings{"locked.mid", "pipe.mid", "song.mid"}));
  EXPECT_EQ(Found("*.mid", kAttrAnyFile),
            (Strings{".hidden.mid", "folder.mid", "locked.mid", "pipe.mid", "song.mid"}));
}

TEST_F(RuntimeFileSearch, ASearchLeftOpenEndsWithItsRecord) {
  MakeFile("a.mid");
  MakeFile("b.mid");
  HANDLE handle = INVALID_HANDLE_VALUE;
  try {
    TSearchRec search;
    ASSERT_EQ(FindFirst("T:\\*.mid", 0, search), 0);
    handle = search.FindHandle;
    throw std::runtime_error("the loop over the entries failed");
  } catch (const std::runtime_error&) {
  }
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  WIN32_FIND_DATAA data{};
  EXPECT_FALSE(FindNextFileA(handle, &data)) << "the platform search is closed";
}

TEST_F(RuntimeFileSearch, RecordDescribesTheEntryAndFailuresGiveTheCode) {
  MakeFile("a.mid", "12345");
  TSearchRec search;
  ASSERT_EQ(FindFirst("T:\\A.MID", 0, search), 0);
  EXPECT_EQ(search.Name, "a.mid");
  EXPECT_EQ(search.Size, 5);
  EXPECT_EQ(search.Attr, kAttrArchive);
  EXPECT_EQ(FindNext(search), ERROR_NO_MORE_FILES);
  FindClose(search);
  // Only hidden entries match: nothing passes, and the search is closed already.
  MakeFile(".only");
  EXPECT_EQ(FindFirst(".only", 0, search), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(search.FindHandle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirst("T:\\missing\\*.*", 0, search), ERROR_PATH_NOT_FOUND);
}

}  // namespace
