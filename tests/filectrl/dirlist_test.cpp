// The directory list over a temporary drive: the entries of the way down with their
// glyphs and indents, opening an entry by double click and Enter, the linked file list
// and label, drives that are not ready, network shares, shortened paths.
#include "filectrl/dirlist.h"

#include <gtest/gtest.h>

#include "filectrl/filelist.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"
#include "tests/filectrl/browsing_fixture.h"
#include "tests/support/messages.h"

namespace {

class DirListTest : public BrowsingTest {
 protected:
  TDirectoryListBox* NewList(const std::string& directory) {
    SetCurrentDirectoryA(directory.c_str());
    auto* list = Add<TDirectoryListBox>(form, RECT{10, 10, 131, 155});
    list->Handle();
    pt::PumpUntilIdle();
    return list;
  }
  TFileListBox* NewFileList(TDirectoryListBox* dirList) {
    auto* files = Add<TFileListBox>(form, RECT{140, 10, 285, 219});
    files->Handle();
    dirList->SetFileList(files);
    return files;
  }
  // The leftmost column of the entry's row that differs from the list's background.
  int FirstInkColumn(TDirectoryListBox* list, int index) {
    RECT rect = list->EntryRect(index);
    const COLORREF background = pt::WindowPixel(list->Handle(), rect.right - 2, rect.top);
    for (int x = rect.left; x < rect.right; ++x)
      for (int y = rect.top; y < rect.bottom; ++y)
        if (pt::WindowPixel(list->Handle(), x, y) != background) return x - rect.left;
    return -1;
  }
  void DoubleClickEntry(TDirectoryListBox* list, int index) {
    POINT point = EntryPoint(list, index);
    pt::DoubleClick(point.x, point.y);
    pt::PumpUntilIdle();
  }
  TCounter counter;
};

TEST_F(DirListTest, EntriesRunFromTheRootDownToTheSubdirectories) {
  MakeFolder("SONGS/OLD/B");
  MakeFolder("SONGS/OLD/A");
  MakeFolder("SONGS/OLD/b");
  MakeFolder("SONGS/OLD/.hidden");
  auto* list = NewList("T:\\SONGS\\OLD");
  EXPECT_EQ(list->Directory(), "T:\\SONGS\\OLD");
  EXPECT_EQ(list->Drive(), 'T');
  // This volume keeps the case of names: they are shown as stored. Folders whose names
  // differ only in case are both there.
  EXPECT_TRUE(list->PreservesCase());
  EXPECT_EQ(Entries(list->Items()),
            (std::vector<std::string>{"T:\\", "SONGS", "OLD", "A", "B", "b"}));
  EXPECT_EQ(list->ItemIndex(), 2) << "the current directory is selected";
  EXPECT_EQ(list->EntryPath(0), "T:\\");
  EXPECT_EQ(list->EntryPath(1), "\\SONGS");
  EXPECT_EQ(list->EntryPath(2), "T:\\SONGS\\OLD");
  EXPECT_EQ(list->EntryPath(3), "T:\\SONGS\\OLD\\A");
  EXPECT_EQ(list->EntryPath(6), "");

  // Each level four pixels deeper; the subdirectories one level below the current one.
  std::vector<int> columns;
  for (int i = 0; i < 5; ++i) columns.push_back(FirstInkColumn(list, i));
  EXPECT_EQ(columns[1] - columns[0], 4);
  EXPECT_EQ(columns[2] - columns[1], 4);
  EXPECT_EQ(columns[3], columns[4]);
  EXPECT_GE(columns[0], 2);
}

TEST_F(DirListTest, AtARootTheRootIsTheCurrentEntry) {
  MakeFolder("Songs");
  auto* list = NewList("T:\\");
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"T:\\", "Songs"}));
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->EntryPath(0), "T:\\");
  EXPECT_EQ(list->EntryPath(1), "T:\\Songs");
}

TEST_F(DirListTest, DoubleClickOpensAnEntryAndTheFileListFollows) {
  MakeFolder("SONGS/OLD/A");
  Touch("SONGS/top.mid");
  auto* list = NewList("T:\\SONGS\\OLD");
  auto* files = NewFileList(list);
  list->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  list->OnDblClick = TNotifyEvent(&counter, &TCounter::DoubleClicked);

  DoubleClickEntry(list, 1);
  EXPECT_EQ(counter.doubleClicks, 1);
  EXPECT_EQ(list->Directory(), "T:\\SONGS");
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"T:\\", "SONGS", "OLD"}));
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(files->Directory(), "T:\\SONGS");
  EXPECT_EQ(Entries(files->Items()), (std::vector<std::string>{"top.mid"}));
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(CurrentDirectoryNow(), "T:\\SONGS");

  DoubleClickEntry(list, 2);
  EXPECT_EQ(files->Directory(), "T:\\SONGS\\OLD");
  DoubleClickEntry(list, 0);
  EXPECT_EQ(list->Directory(), "T:\\");
  EXPECT_EQ(files->Directory(), "T:\\");
}

TEST_F(DirListTest, EnterOpensTheSelectedEntryUnlessAHandlerTakesIt) {
  MakeFolder("SONGS/OLD");
  auto* list = NewList("T:\\SONGS\\OLD");
  list->SetFocus();
  list->SetItemIndex(1);
  list->OnKeyPress = TKeyPressEvent(&counter, &TCounter::SwallowEnter);
  pt::PressKey(VK_RETURN);
  PumpLikeApplication();
  EXPECT_EQ(list->Directory(), "T:\\SONGS\\OLD");

  list->OnKeyPress = TKeyPressEvent();
  pt::PressKey(VK_RETURN);
  PumpLikeApplication();
  EXPECT_EQ(list->Directory(), "T:\\SONGS");
}

TEST_F(DirListTest, UpdateRebuildsAndNotifiesEvenWithoutAChange) {
  MakeFolder("Songs");
  auto* list = NewList("T:\\");
  list->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  list->Update();
  EXPECT_EQ(counter.changes, 1);
  MakeFolder("Added");
  list->Update();
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"T:\\", "Added", "Songs"}));
  EXPECT_EQ(counter.changes, 2);
}

TEST_F(DirListTest, AFailedChangeLeavesTheListsWhereTheyWere) {
  fs::create_directories(root / "floppy");
  MakeFolder("Songs/Sub");
  InstallDrives("T=" + root.string() + ";A=" + (root / "floppy").string() + ":removable:notready");
  auto* list = NewList("T:\\Songs");
  auto* files = NewFileList(list);
  list->Update();
  list->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  const auto before = Entries(list->Items());

  try {
    list->SetDrive('a');
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_NOT_READY);
    EXPECT_EQ(e.Message(), "I/O error 21");
  }
  EXPECT_THROW(list->SetDirectory("T:\\Gone"), EInOutError);
  EXPECT_THROW(list->NavigateTo("A:\\"), EInOutError);
  EXPECT_EQ(list->Directory(), "T:\\Songs");
  EXPECT_EQ(Entries(list->Items()), before);
  EXPECT_EQ(files->Directory(), "T:\\Songs");
  EXPECT_EQ(counter.changes, 0);

  // The same drive in another case is no change at all.
  list->SetDrive('t');
  EXPECT_EQ(counter.changes, 0);
}

TEST_F(DirListTest, AFolderDeletedUnderTheListsIsLeftByTheWayUp) {
  MakeFolder("SONGS/OLD/A");
  Touch("SONGS/top.mid");
  Touch("SONGS/OLD/old.mid");
  TExceptionLog display;
  SetApplicationBridge(&display);
  auto* list = NewList("T:\\SONGS\\OLD");
  auto* files = NewFileList(list);
  list->Update();
  ASSERT_EQ(Entries(files->Items()), (std::vector<std::string>{"old.mid"}));

  // Another program deletes the folder on show (and the process's current directory).
  fs::remove_all(root / "SONGS/OLD");
  files->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  EXPECT_NO_THROW(files->Update());
  EXPECT_EQ(files->Items()->Count(), 0) << "a folder that is gone lists nothing";
  EXPECT_EQ(counter.changes, 1);
  EXPECT_NO_THROW(list->Update());
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"T:\\", "SONGS", "OLD"}));

  // Opening the folder above works, by double click and by Enter.
  DoubleClickEntry(list, 1);
  EXPECT_EQ(list->Directory(), "T:\\SONGS");
  EXPECT_EQ(files->Directory(), "T:\\SONGS");
  EXPECT_EQ(Entries(files->Items()), (std::vector<std::string>{"top.mid"}));
  fs::remove_all(root / "SONGS");
  list->SetFocus();
  list->SetItemIndex(0);
  pt::PressKey(VK_RETURN);
  PumpLikeApplication();
  EXPECT_EQ(list->Directory(), "T:\\");
  EXPECT_EQ(files->Directory(), "T:\\");
  SetApplicationBridge(nullptr);
  EXPECT_EQ(display.messages, std::vector<std::string>{});

  // A file list of its own leaves a folder that is gone too, also by a relative path.
  MakeFolder("X/Y");
  auto* lone = Add<TFileListBox>(form, RECT{290, 10, 390, 100});
  lone->Handle();
  lone->SetDirectory("T:\\X\\Y");
  fs::remove_all(root / "X/Y");
  EXPECT_NO_THROW(lone->SetDirectory("T:\\X"));
  EXPECT_EQ(lone->Directory(), "T:\\X");

  // The drive's own directory gone: picking the drive again goes to its root.
  MakeFolder("Z");
  list->SetDirectory("T:\\Z");
  fs::remove_all(root / "Z");
  fs::create_directories(root / "floppy");
  InstallDrives("T=" + root.string() + ";A=" + (root / "floppy").string() + ":removable");
  list->SetDrive('A');
  list->SetDrive('T');
  EXPECT_EQ(list->Directory(), "T:\\");
}

TEST_F(DirListTest, FolderNamesThatAreNotUtf8KeepTheBackslashAfterThem) {
  // A Latin-1 "Caf\xE9": \xE9 would lead a three-byte character, were the name UTF-8.
  MakeFolder("Caf\xE9/Songs/Old");
  Touch("Caf\xE9/Songs/a.mid");
  auto* list = NewList("T:\\Caf\xE9\\Songs");
  auto* files = NewFileList(list);
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"T:\\", "Caf\xE9", "Songs", "Old"}));
  EXPECT_EQ(list->EntryPath(1), "\\Caf\xE9");
  DoubleClickEntry(list, 1);
  EXPECT_EQ(list->Directory(), "T:\\Caf\xE9");

  // A file name under such a folder is a file, not a mask.
  files->SetFileName("T:\\Caf\xE9\\Songs\\a.mid");
  EXPECT_EQ(files->Mask(), "*.*");
  EXPECT_EQ(files->FileName(), "T:\\Caf\xE9\\Songs\\a.mid");
  auto chars = [](const std::string& text) { return static_cast<int>(text.size()); };
  EXPECT_EQ(ShortenPath("C:\\Caf\xE9\\B\\NAME", 13, chars), "C:\\...\\B\\NAME");
}

TEST_F(DirListTest, ANetworkShareStartsWithItsRoot) {
  fs::create_directories(root / "share/Songs/Old");
  InstallDrives("T=" + root.string() + ";N=" + (root / "share").string() +
                ":remote:\\\\srv\\music");
  auto* list = NewList("T:\\");
  list->SetDirectory("\\\\srv\\music\\Songs");
  const std::string directory = list->Directory();
  if (directory.rfind("\\\\", 0) != 0) GTEST_SKIP() << "the share is reported as " << directory;
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"\\\\srv\\music\\", "Songs", "Old"}));
  EXPECT_EQ(list->EntryPath(0), "\\\\srv\\music\\");
  EXPECT_EQ(list->EntryPath(2), directory + "\\Old");
  list->OpenCurrentEntry();
  EXPECT_EQ(list->Directory(), directory);
  list->SetItemIndex(0);
  list->OpenCurrentEntry();
  EXPECT_TRUE(SameFileName(list->Directory(), "\\\\srv\\music\\")) << list->Directory();
}

TEST_F(DirListTest, TheLabelShowsTheDirectoryShortenedToItsWidth) {
  MakeFolder("Music/Classical/Baroque/Organ");
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetWidth(100);
  auto* list = NewList("T:\\Music\\Classical\\Baroque\\Organ");
  list->SetDirLabel(label);
  EXPECT_EQ(label->Caption(), "T:\\...\\Baroque\\Organ");
  label->SetWidth(400);
  list->Update();
  EXPECT_EQ(label->Caption(), "T:\\Music\\Classical\\Baroque\\Organ");
  delete label;
  EXPECT_EQ(list->DirLabel(), nullptr);
  list->Update();
}

TEST(ShortenPath, LeadingDirectoriesGiveWayOneByOne) {
  auto chars = [](const std::string& text) { return static_cast<int>(text.size()); };
  const std::string path = "C:\\Alpha\\B\\C\\NAME";
  EXPECT_EQ(ShortenPath(path, 17, chars), path);
  EXPECT_EQ(ShortenPath(path, 16, chars), "C:\\...\\B\\C\\NAME");
  EXPECT_EQ(ShortenPath(path, 14, chars), "C:\\...\\C\\NAME");
  EXPECT_EQ(ShortenPath(path, 12, chars), "C:\\...\\NAME");
  EXPECT_EQ(ShortenPath(path, 10, chars), "...\\NAME");
  EXPECT_EQ(ShortenPath(path, 2, chars), "NAME") << "the name alone is never cut";
  EXPECT_EQ(ShortenPath("\\\\srv\\share\\x\\NAME", 10, chars), "\\...\\NAME");
}

}  // namespace
