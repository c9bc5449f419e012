// The file list over real files of a temporary drive: masks and attribute filters, glyphs,
// the directory and its failures, the typed file name, the selection notice and the edit
// that mirrors it, the item height, a long folder.
#include "filectrl/filelist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "forms/form.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"
#include "tests/filectrl/browsing_fixture.h"
#include "tests/support/messages.h"

namespace {

class FileListTest : public BrowsingTest {
 protected:
  TFileListBox* NewList(const std::string& directory = "T:\\") {
    auto* list = Add<TFileListBox>(form, RECT{10, 10, 155, 219});
    list->SetDirectory(directory);
    list->Handle();
    return list;
  }
  TCounter counter;
};

// An OnChange handler that fails, as one reading a folder that is gone may.
class TFailingHandler : public TObject {
 public:
  void Fail(TObject*) {
    if (failing) throw EInOutError("File not found", ERROR_FILE_NOT_FOUND);
  }
  bool failing = true;
};

TEST_F(FileListTest, TheSongMaskListsExactlyTheSongsSortedAndAPieceTwiceListsTwice) {
  Touch("zeta.mid");
  Touch("Alpha.RMI");
  Touch("song.wav");
  Touch(".hidden.mid");
  MakeFolder("folder.mid");
  auto* list = NewList();
  list->SetMask("*.mid;*.rmi");
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"Alpha.RMI", "zeta.mid"}));
  EXPECT_EQ(list->Directory(), "T:\\");

  // Pieces are not merged: a song matching two of them is there twice.
  list->SetMask("*.*;*.mid");
  EXPECT_EQ(Entries(list->Items()),
            (std::vector<std::string>{"Alpha.RMI", "song.wav", "zeta.mid", "zeta.mid"}));
  // A piece is searched as it stands: with a leading space it finds nothing.
  list->SetMask("*.wav; *.mid");
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"song.wav"}));
  list->SetMask("");
  EXPECT_EQ(list->Items()->Count(), 0);
}

TEST_F(FileListTest, FileTypeChoosesWhichKindsOfEntriesAreListed) {
  Touch("sub/plain.mid");
  Touch("sub/locked.mid");
  chmod((root / "sub/locked.mid").c_str(), 0444);
  Touch("sub/.secret.mid");
  MakeFolder("sub/Inner");
  MakeFolder("sub/.git");
  auto* list = NewList("T:\\sub");
  EXPECT_EQ(list->FileType(), TFileType{ftNormal});
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"locked.mid", "plain.mid"}));

  list->SetFileType(TFileType{ftNormal, ftDirectory});
  EXPECT_EQ(Entries(list->Items()),
            (std::vector<std::string>{"[..]", "[.]", "[Inner]", "locked.mid", "plain.mid"}));
  list->SetFileType(TFileType{ftReadOnly});
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"locked.mid"}));
  list->SetFileType(TFileType{ftHidden});
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{".secret.mid"}))
      << "a hidden folder needs ftDirectory too";
}

TEST_F(FileListTest, EachFileCarriesTheGlyphOfItsKindAndFoldersOnlyWhileGlyphsShow) {
  Touch("RUN.EXE");
  Touch("old.pif");
  Touch("tune.mid");
  MakeFolder("Songs");
  auto* list = NewList();
  list->Font()->SetHeight(-20);  // tall enough for the glyphs: showing them rebuilds nothing
  list->SetFileType(TFileType{ftNormal, ftDirectory});
  TStrings* items = list->Items();
  auto objectOf = [&](const std::string& name) { return items->GetObject(items->IndexOf(name)); };
  EXPECT_EQ(objectOf("RUN.EXE"), list->ExecutableGlyph());
  EXPECT_EQ(objectOf("old.pif"), list->ExecutableGlyph());
  EXPECT_EQ(objectOf("tune.mid"), list->OtherFileGlyph());
  EXPECT_EQ(objectOf("[Songs]"), nullptr);

  list->SetShowGlyphs(true);
  EXPECT_EQ(objectOf("[Songs]"), nullptr) << "glyphs come with the next reading";
  list->Update();
  EXPECT_EQ(objectOf("[Songs]"), list->DirectoryGlyph());
  EXPECT_EQ(list->ExecutableGlyph()->Width(), 16);
  EXPECT_EQ(list->ExecutableGlyph()->Height(), 15);
}

TEST_F(FileListTest, DirectoryGoesThroughTheProcessDirectoryAndFailuresKeepEverything) {
  Touch("a.mid");
  Touch("Songs/b.mid");
  auto* list = NewList();
  list->SetDirectory("songs");  // relative to the list's directory
  EXPECT_EQ(list->Directory(), "T:\\Songs") << "the platform's spelling is kept";
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"b.mid"}));
  list->SetItemIndex(0);

  // Another control moved the process elsewhere: relative paths still start here.
  SetCurrentDirectoryA("T:\\");
  list->SetDirectory("..");
  EXPECT_EQ(list->Directory(), "T:\\");
  list->SetDirectory("T:\\Songs");
  list->SetItemIndex(0);

  try {
    list->SetDirectory("T:\\Missing");
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(e.Message(), "File not found");
  }
  EXPECT_EQ(list->Directory(), "T:\\Songs");
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"b.mid"}));
  EXPECT_EQ(list->ItemIndex(), 0);

  // A name longer than the platform takes is refused the same way.
  EXPECT_EQ(MessageOf<EInOutError>([&] { list->SetDirectory("T:\\" + std::string(300, 'x')); }),
            "I/O error 206");
  EXPECT_EQ(list->Directory(), "T:\\Songs");
  EXPECT_EQ(list->ItemIndex(), 0);
}

TEST_F(FileListTest, FileNameIsTheSelectedEntryInItsDirectory) {
  Touch("a.mid");
  MakeFolder("Old");
  Touch("Songs/b.mid");
  auto* list = NewList();
  EXPECT_EQ(list->FileName(), "");
  list->SetItemIndex(0);
  EXPECT_EQ(list->FileName(), "T:\\a.mid") << "no doubled backslash at a root";
  list->SetFileType(TFileType{ftNormal, ftDirectory});
  list->SetItemIndex(list->Items()->IndexOf("[Old]"));
  EXPECT_EQ(list->FileName(), "T:\\[Old]");
  list->SetDirectory("T:\\Songs");
  list->SetMask("*.wav");
  EXPECT_EQ(list->FileName(), "") << "an empty list has no file name";
}

TEST_F(FileListTest, TypedFileNamesNavigateSelectOrBecomeTheMask) {
  Touch("Songs/b.mid");
  Touch("Songs/notes.txt");
  Touch("Songs/Deep/c.mid");
  auto* list = NewList();
  list->SetMask("*.mid");

  list->SetFileName("T:\\Songs\\b.mid");
  EXPECT_EQ(list->Directory(), "T:\\Songs");
  EXPECT_EQ(list->FileName(), "T:\\Songs\\b.mid");

  // A pattern only changes the mask.
  list->SetFileName("*.txt");
  EXPECT_EQ(list->Mask(), "*.txt");
  EXPECT_EQ(list->Directory(), "T:\\Songs");

  // An existing file the mask leaves out becomes the mask, and is selected.
  list->SetMask("*.mid");
  list->SetFileName("notes.txt");
  EXPECT_EQ(list->Mask(), "notes.txt");
  EXPECT_EQ(list->FileName(), "T:\\Songs\\notes.txt");

  // A typed folder is entered.
  list->SetFileName("T:\\Songs\\Deep");
  EXPECT_EQ(list->Directory(), "T:\\Songs\\Deep");

  // A missing file: the directory has changed, then the name is refused.
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { list->SetFileName("T:\\Songs\\gone.mid"); }),
            "Invalid file name - T:\\Songs\\gone.mid");
  EXPECT_EQ(list->Directory(), "T:\\Songs");
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(CurrentDirectoryNow(), "T:\\Songs");
}

TEST_F(FileListTest, TypedPathsSplitAndLeaveTheProcessDirectoryAlone) {
  Touch("Songs/b.mid");
  MakeFolder("Songs/Deep");
  SetCurrentDirectoryA("T:\\Songs");
  char drive = 0;
  std::string directory, file;
  SplitTypedPath("T:\\Songs\\b.mid", drive, directory, file);
  EXPECT_EQ(drive, 'T');
  EXPECT_EQ(directory, "\\Songs");
  EXPECT_EQ(file, "b.mid");
  SplitTypedPath("Deep", drive, directory, file);
  EXPECT_EQ(directory, "\\Songs\\Deep");
  EXPECT_EQ(file, "");
  SplitTypedPath("[Deep]", drive, directory, file);
  EXPECT_EQ(directory, "\\Songs\\Deep");
  SplitTypedPath("\\b.mid", drive, directory, file);
  EXPECT_EQ(directory, "\\");
  EXPECT_EQ(file, "b.mid");
  EXPECT_THROW(SplitTypedPath("T:\\Nowhere\\b.mid", drive, directory, file), EInOutError);
  EXPECT_EQ(CurrentDirectoryNow(), "T:\\Songs");
}

TEST_F(FileListTest, ANetworkPathIsReachedThroughItsShare) {
  fs::create_directories(root / "share/Songs");
  Touch("share/Songs/net.mid");
  InstallDrives("T=" + root.string() + ";N=" + (root / "share").string() +
                ":remote:\\\\srv\\music");
  auto* list = NewList();
  list->SetFileName("\\\\srv\\music\\Songs\\net.mid");
  EXPECT_TRUE(SameFileName(list->Directory(), "\\\\srv\\music\\Songs") ||
              SameFileName(list->Directory(), "N:\\Songs"))
      << list->Directory();
  EXPECT_EQ(list->Items()->Get(list->ItemIndex()), "net.mid");
}

TEST_F(FileListTest, ChangeNoticesFollowTheUserNotTheProgram) {
  Touch("a.mid");
  Touch("b.mid");
  auto* list = NewList();
  auto* edit = Add<TEdit>(form, RECT{200, 230, 321, 251});
  list->SetFileEdit(edit);
  EXPECT_EQ(edit->Text(), "*.*") << "no selection: the edit shows the mask";
  list->OnChange = TNotifyEvent(&counter, &TCounter::Changed);

  list->SetItemIndex(1);
  EXPECT_EQ(counter.changes, 0);
  EXPECT_EQ(edit->Text(), "*.*");

  pt::Click(EntryPoint(list, 0).x, EntryPoint(list, 0).y);
  pt::PumpUntilIdle();
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(edit->Text(), "a.mid");
  DWORD start = 9, end = 9;
  SendMessageA(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u) << "the whole name is selected";

  // The program selects, then the user clicks that entry, already selected: the last
  // notice was for another one, so the click tells it; a second click has nothing new.
  list->SetItemIndex(1);
  EXPECT_EQ(edit->Text(), "a.mid");
  list->OnClick = TNotifyEvent(&counter, &TCounter::Clicked);
  pt::Click(EntryPoint(list, 1).x, EntryPoint(list, 1).y);
  pt::PumpUntilIdle();
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(counter.changes, 2);
  EXPECT_EQ(edit->Text(), "b.mid");
  pt::AdvanceTime(1000);  // not a double click
  pt::Click(EntryPoint(list, 1).x, EntryPoint(list, 1).y);
  pt::PumpUntilIdle();
  EXPECT_EQ(counter.clicks, 2);
  EXPECT_EQ(counter.changes, 2) << "nothing new to tell";

  list->Update();
  EXPECT_EQ(counter.changes, 3);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(edit->Text(), "*.*");

  // The same mask reads nothing; another case of it reads again.
  list->SetMask("*.*");
  EXPECT_EQ(counter.changes, 3);
  list->SetMask("*.MID");
  EXPECT_EQ(counter.changes, 4);

  delete edit;
  EXPECT_EQ(list->FileEdit(), nullptr);
  list->Update();
  EXPECT_EQ(counter.changes, 5);
}

TEST_F(FileListTest, ItemHeightFollowsTheFontAndTheGlyphs) {
  auto* list = NewList();
  list->Font()->SetHeight(-8);
  const int fontHeight = list->ItemHeight();
  EXPECT_LT(fontHeight, 16);
  list->SetShowGlyphs(true);
  EXPECT_EQ(list->ItemHeight(), 16);
  list->Font()->SetHeight(-24);
  EXPECT_GT(list->ItemHeight(), 16);
  list->SetShowGlyphs(false);
  list->Font()->SetHeight(-8);
  EXPECT_EQ(list->ItemHeight(), fontHeight);
}

TEST_F(FileListTest, AFailureWhileTheWindowIsBuiltLeavesTheListAndItsSiblingsShown) {
  Touch("a.mid");
  auto* list = NewList();
  TFailingHandler handler;
  list->OnChange = TNotifyEvent(&handler, &TFailingHandler::Fail);
  // A new item height builds the window anew, and building it reads the names.
  EXPECT_THROW(list->SetItemHeight(30), EInOutError);
  ASSERT_TRUE(list->HasWindow());
  EXPECT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(FindControl(list->Handle()), list);
  handler.failing = false;
  list->Update();
  EXPECT_EQ(Entries(list->Items()), (std::vector<std::string>{"a.mid"}));

  // A form shown for the first time: the failing list and the control after it are shown.
  TForm* other = TForm::CreateNew(nullptr);
  other->SetBoundsRect(RECT{50, 50, 300, 300});
  auto* failing = new TFileListBox(other);
  failing->SetParent(other);
  failing->OnChange = TNotifyEvent(&handler, &TFailingHandler::Fail);
  auto* after = new TFileListBox(other);
  after->SetParent(other);
  handler.failing = true;
  EXPECT_THROW(other->Show(), EInOutError);
  EXPECT_TRUE(other->Showing());
  EXPECT_TRUE(IsWindowVisible(failing->Handle()));
  EXPECT_TRUE(IsWindowVisible(after->Handle()));
  EXPECT_EQ(FindControl(failing->Handle()), failing);
  delete other;
}

TEST_F(FileListTest, TenThousandFilesListSortedAndTheCursorComesBack) {
  for (int i = 0; i < 10000; ++i) Touch("many/" + std::to_string(i * 7919 % 10000) + ".mid");
  Touch("many/readme.txt");
  Screen->SetCursor(crCross);
  auto* list = NewList("T:\\many");
  list->SetMask("*.mid");
  ASSERT_EQ(list->Items()->Count(), 10000);
  EXPECT_EQ(Screen->Cursor(), crCross);
  for (int i = 1; i < 10000; ++i)
    ASSERT_LE(CompareLocaleNoCase(list->Items()->Get(i - 1), list->Items()->Get(i)), 0) << i;
  EXPECT_EQ(list->Items()->Get(0), "0.mid");
  EXPECT_EQ(list->Items()->Get(9999), "9999.mid");
}

}  // namespace
