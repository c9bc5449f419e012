// The drive selector over a table of drives of every kind, and the filter selector: their
// entries, what picking one passes on, and the failures that leave the lists in place.
#include <gtest/gtest.h>

#include "filectrl/dirlist.h"
#include "filectrl/drivecombo.h"
#include "filectrl/filelist.h"
#include "filectrl/filtercombo.h"
#include "forms/bridges.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"
#include "tests/filectrl/browsing_fixture.h"

namespace {

const char* const kMainFilter =
    "SQUENCE(*.MID;*.RMI)|*.mid;*.rmi|SOUND(*.WAV;*.AU)|*.wav;*.au|VIDEO(*.AVI)|*.avi|"
    "ALL MEDIA(*.mid;*.rmi;*.wav;*.au;*.avi)|*.mid;*.rmi;*.wav;*.au;*.avi|All Files(*.*)|*.*";

class DriveComboTest : public BrowsingTest {
 protected:
  void SetUp() override {
    BrowsingTest::SetUp();
    for (const char* folder : {"floppy", "system", "cd", "share"})
      fs::create_directories(root / folder);
    MakeFolder("system/Songs");
    InstallDrives("A=" + (root / "floppy").string() + ":removable;C=" + (root / "system").string() +
                  ":fixed:label=SYSTEM;D=" + (root / "cd").string() +
                  ":cdrom;F=" + (root / "share").string() +
                  ":remote:\\\\Server\\Music;G=" + (root / "gone").string() +
                  ":cdrom:OLDDISC;Z=" + root.string() + ":removable:notready");
    SetCurrentDirectoryA("C:\\Songs");
  }
  TDriveComboBox* NewSelector() {
    auto* drives = Add<TDriveComboBox>(form, RECT{0, 144, 121, 163});
    drives->Handle();
    return drives;
  }
  TDirectoryListBox* NewDirList() {
    auto* dirs = Add<TDirectoryListBox>(form, RECT{0, 0, 121, 145});
    dirs->Handle();
    return dirs;
  }
  TCounter counter;
};

TEST_F(DriveComboTest, EachDriveShowsItsKindAndNameInTheChosenCase) {
  auto* drives = NewSelector();
  EXPECT_EQ(Entries(drives->Items()),
            (std::vector<std::string>{"a:", "c: [system]", "d: []", "f: \\\\server\\music", "g: []",
                                      "z:"}));
  EXPECT_EQ(drives->Items()->GetObject(0), drives->Glyph(TDriveComboBox::kFloppy));
  EXPECT_EQ(drives->Items()->GetObject(1), drives->Glyph(TDriveComboBox::kHard));
  EXPECT_EQ(drives->Items()->GetObject(2), drives->Glyph(TDriveComboBox::kCdRom));
  EXPECT_EQ(drives->Items()->GetObject(3), drives->Glyph(TDriveComboBox::kNetwork));
  EXPECT_EQ(drives->Glyph(TDriveComboBox::kFloppy)->Width(), 16);
  EXPECT_EQ(drives->Glyph(TDriveComboBox::kFloppy)->Height(), 11);
  EXPECT_EQ(drives->Drive(), 'c');
  EXPECT_EQ(drives->ItemIndex(), 1);
  EXPECT_EQ(SetErrorMode(0), 0u) << "the error mode is put back after the volume queries";

  drives->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  drives->SetTextCase(tcUpperCase);
  EXPECT_EQ(Entries(drives->Items()),
            (std::vector<std::string>{"A:", "C: [SYSTEM]", "D: []", "F: \\\\SERVER\\MUSIC", "G: []",
                                      "Z:"}));
  EXPECT_EQ(drives->Drive(), 'C');
  EXPECT_EQ(counter.changes, 1);
  drives->SetTextCase(tcUpperCase);
  EXPECT_EQ(counter.changes, 2) << "the same case rebuilds and notifies too";
}

TEST_F(DriveComboTest, PickingADriveMovesTheDirectoryListAndItsFileList) {
  fs::create_directories(root / "cd/Tracks");
  auto* drives = NewSelector();
  auto* dirs = NewDirList();
  auto* files = Add<TFileListBox>(form, RECT{120, 0, 265, 209});
  files->Handle();
  dirs->SetFileList(files);
  drives->SetDirList(dirs);
  EXPECT_EQ(dirs->DriveComboLink(), drives);
  drives->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  drives->OnClick = TNotifyEvent(&counter, &TCounter::Clicked);

  SetCurrentDirectoryA("D:\\Tracks");
  SetCurrentDirectoryA("C:\\Songs");
  drives->SetItemIndex(2);
  drives->FireClick();
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(drives->Drive(), 'd');
  EXPECT_EQ(dirs->Directory(), "D:\\Tracks") << "the drive's own current directory";
  EXPECT_EQ(files->Directory(), "D:\\Tracks");

  // A click on the drive already shown changes nothing.
  drives->FireClick();
  EXPECT_EQ(counter.clicks, 2);
  EXPECT_EQ(counter.changes, 1);

  // The directory list asks the selector when a typed path names another drive.
  dirs->NavigateTo("C:\\Songs");
  EXPECT_EQ(drives->Drive(), 'c');
  EXPECT_EQ(drives->ItemIndex(), 1);
  EXPECT_EQ(dirs->Directory(), "C:\\Songs");

  // No drive: no selection, the directory list only rebuilds.
  dirs->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  const int before = counter.changes;
  drives->SetDrive('\0');
  EXPECT_EQ(drives->ItemIndex(), -1);
  EXPECT_EQ(dirs->Directory(), "C:\\Songs");
  EXPECT_EQ(counter.changes, before + 2) << "the directory list's notice and the selector's";
}

TEST_F(DriveComboTest, ADriveThatIsNotReadyIsShownButTheListsStayWhereTheyWere) {
  auto* drives = NewSelector();
  auto* dirs = NewDirList();
  auto* files = Add<TFileListBox>(form, RECT{120, 0, 265, 209});
  files->Handle();
  dirs->SetFileList(files);
  drives->SetDirList(dirs);
  drives->OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  const auto entries = Entries(dirs->Items());

  try {
    drives->SetDrive('z');
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_NOT_READY);
    EXPECT_EQ(e.Message(), "I/O error 21");
  }
  EXPECT_EQ(drives->Drive(), 'z');
  EXPECT_EQ(drives->Items()->Get(drives->ItemIndex()), "z:");
  EXPECT_EQ(counter.changes, 0);
  EXPECT_EQ(dirs->Directory(), "C:\\Songs");
  EXPECT_EQ(Entries(dirs->Items()), entries);
  EXPECT_EQ(files->Directory(), "C:\\Songs");

  // A drive letter without an entry is still stored and passed on.
  EXPECT_THROW(drives->SetDrive('q'), EInOutError);
  EXPECT_EQ(drives->Drive(), 'q');
}

TEST_F(DriveComboTest, TheUserPickingADriveThatIsNotReadySeesTheErrorAndNothingMoves) {
  TExceptionLog display;
  SetApplicationBridge(&display);
  auto* drives = NewSelector();
  auto* dirs = NewDirList();
  drives->SetDirList(dirs);
  drives->SetFocus();
  drives->SetItemIndex(4);  // g: stands before z:, the last entry
  pt::PressKey(VK_DOWN);
  PumpLikeApplication();
  SetApplicationBridge(nullptr);
  EXPECT_EQ(display.messages, (std::vector<std::string>{"I/O error 21"}));
  EXPECT_EQ(drives->Items()->Get(drives->ItemIndex()), "z:");
  EXPECT_EQ(drives->Drive(), 'z');
  EXPECT_EQ(dirs->Directory(), "C:\\Songs");
}

TEST_F(DriveComboTest, ARebuiltSelectorWhoseDriveIsNotReadyStaysShown) {
  auto* drives = NewSelector();
  auto* dirs = NewDirList();
  drives->SetDirList(dirs);
  EXPECT_THROW(drives->SetDrive('z'), EInOutError);
  // Building the window anew passes the selector's drive on again, and that fails again.
  EXPECT_THROW(drives->SetSorted(true), EInOutError);
  ASSERT_TRUE(drives->HasWindow());
  EXPECT_TRUE(IsWindowVisible(drives->Handle()));
  EXPECT_EQ(FindControl(drives->Handle()), drives);
  drives->SetDrive('a');
  EXPECT_EQ(dirs->Directory(), "A:\\");
}

class FilterComboTest : public BrowsingTest {
 protected:
  TFilterComboBox* NewSelector() {
    auto* filters = Add<TFilterComboBox>(form, RECT{120, 216, 265, 237});
    filters->Handle();
    return filters;
  }
  TCounter counter;
};

TEST_F(FilterComboTest, TheDefaultFilterListsAllFiles) {
  auto* filters = NewSelector();
  EXPECT_EQ(filters->Filter(), "All files (*.*)|*.*");
  EXPECT_EQ(Entries(filters->Items()), (std::vector<std::string>{"All files (*.*)"}));
  EXPECT_EQ(filters->Mask(), "*.*");
}

TEST_F(FilterComboTest, PickingAFilterSetsTheFileListsMask) {
  Touch("a.mid");
  Touch("b.wav");
  Touch("c.au");
  auto* files = Add<TFileListBox>(form, RECT{120, 0, 265, 209});
  files->Handle();
  auto* filters = NewSelector();
  filters->SetFileList(files);
  EXPECT_EQ(files->FilterLink(), filters);
  EXPECT_EQ(files->Mask(), "*.*") << "linking passes nothing on";
  filters->OnChange = TNotifyEvent(&counter, &TCounter::Changed);

  filters->SetFilter(kMainFilter);
  EXPECT_EQ(filters->Items()->Count(), 5);
  EXPECT_EQ(filters->Items()->Get(0), "SQUENCE(*.MID;*.RMI)");
  EXPECT_EQ(filters->ItemIndex(), 0);
  EXPECT_EQ(files->Mask(), "*.mid;*.rmi");
  EXPECT_EQ(counter.changes, 1);

  filters->SetItemIndex(1);
  filters->FireClick();
  EXPECT_EQ(files->Mask(), "*.wav;*.au");
  EXPECT_EQ(Entries(files->Items()), (std::vector<std::string>{"b.wav", "c.au"}));
  EXPECT_EQ(counter.changes, 2);

  // The same filter in other letters is no change.
  filters->SetFilter(AnsiLowerCase(kMainFilter));
  EXPECT_EQ(filters->Filter(), kMainFilter);
  EXPECT_EQ(counter.changes, 2);
  EXPECT_EQ(files->Mask(), "*.wav;*.au");
}

TEST_F(FilterComboTest, IncompletePairsAndReadingTheMaskWithoutSelection) {
  auto* files = Add<TFileListBox>(form, RECT{120, 0, 265, 209});
  files->Handle();
  Touch("a.mid");
  auto* filters = NewSelector();
  filters->SetFileList(files);

  filters->SetFilter("Songs|*.mid|Dangling");
  EXPECT_EQ(Entries(filters->Items()), (std::vector<std::string>{"Songs"}));
  filters->SetFilter("Songs|*.mid|Nothing|");
  EXPECT_EQ(filters->Masks().Get(1), "");
  filters->SetItemIndex(1);
  filters->FireClick();
  EXPECT_EQ(files->Mask(), "");
  EXPECT_EQ(files->Items()->Count(), 0);
  filters->SetFilter("no bars at all");
  EXPECT_EQ(filters->Items()->Count(), 0);
  EXPECT_EQ(filters->Mask(), "*.*");

  filters->SetFilter("A|*.a|B|*.b|C|*.c");
  filters->SetItemIndex(-1);
  EXPECT_EQ(filters->Mask(), "*.c");
  EXPECT_EQ(filters->ItemIndex(), 2) << "reading the mask selected the last entry";
}

}  // namespace
