// The player controller inside the test process: the real main window read from its
// description, on a drive C: over a scratch folder, the virtual clock and the null sink.
// What a user sees from outside is tested on the executable (tests/e2e).
#include "app/form1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "controls/label.h"
#include "controls/menus.h"
#include "controls/speedbutton.h"
#include "controls/timer.h"
#include "controls/trackbar.h"
#include "filectrl/dirlist.h"
#include "filectrl/filelist.h"
#include "forms/bridges.h"
#include "media/mediaplayer.h"
#include "platform/testing.h"
#include "tests/forms/forms_fixture.h"
#include "tests/platform/mci/midi_builder.h"

namespace pt = platform::testing;

namespace {

// A song of `milliseconds` at 120 beats a minute.
testmedia::Bytes Song(int milliseconds) {
  testmedia::Track track;
  track.NoteOn(0, 0, 60).NoteOff(static_cast<std::uint32_t>(milliseconds * 960 / 1000), 0, 60);
  track.End(0);
  return testmedia::Smf(0, 480, {track});
}

class PlayerController : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TD_AUDIO", "null", 1);
    setenv("TD_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2", 1);
    pt::StartSession();
    ASSERT_TRUE(pt::InstallDrives("C=" + folder.Path("")));
    CreateDirectoryA("C:\\songs", nullptr);
    CreateDirectoryA("C:\\other", nullptr);
    SetApplicationBridge(&exceptions);
  }
  void TearDown() override {
    delete form;
    pt::EndSession();
    SetApplicationBridge(nullptr);
    EXPECT_EQ(pt::OpenMciDevices(), 0);
    SetCurrentDirectoryA("C:\\");
  }
  void WriteSong(const std::string& name, int milliseconds) {
    folder.Write("songs/" + name, Song(milliseconds));
  }
  // The main window, started in C:\songs.
  void Open() {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\songs"));
    form = new TForm1(nullptr);
    form->Show();
    pt::PumpUntilIdle();
  }
  std::string Playing() {
    return form->MC->DeviceID() != 0 && form->MC->Mode() == mdPlaying ? form->MC->FileName()
                                                                      : std::string();
  }

  testmedia::ScratchFolder folder;
  TExceptionLog exceptions;
  TForm1* form = nullptr;
};

TEST_F(PlayerController, StartsInRepeatModeWithTheFirstFileSelectedAndNothingOpen) {
  WriteSong("b.mid", 1000);
  WriteSong("a.mid", 1000);
  Open();
  EXPECT_EQ(form->Caption(), "Tunedeck");
  EXPECT_EQ(form->Label1->Caption(), "Repeat");
  EXPECT_TRUE(form->Repeat2->Checked());
  EXPECT_FALSE(form->Sequence1->Checked());
  EXPECT_EQ(form->FileList->ItemIndex(), 0);
  EXPECT_EQ(form->FileList->FileName(), "C:\\songs\\a.mid");
  EXPECT_EQ(form->MC->DeviceID(), 0);
  EXPECT_FALSE(form->Timer2->Enabled());
  EXPECT_EQ(form->Timer2->Interval(), 50u);
  EXPECT_EQ(form->ProgramDirectory(), "C:\\songs");
}

TEST_F(PlayerController, EitherMenuItemFlipsTheModeAndTheLabelFollows) {
  Open();
  form->Repeat2->Click();  // the checked item turns off, the other on
  EXPECT_TRUE(form->Sequence1->Checked());
  EXPECT_FALSE(form->Repeat2->Checked());
  EXPECT_EQ(form->Label1->Caption(), "Seqen.");
  form->Repeat2->Click();
  EXPECT_TRUE(form->Repeat2->Checked());
  EXPECT_EQ(form->Label1->Caption(), "Repeat");
  form->Sequence1->Click();
  EXPECT_TRUE(form->Sequence1->Checked());
  EXPECT_EQ(form->Label1->Caption(), "Seqen.");
  form->Sequence1->Click();
  EXPECT_FALSE(form->Sequence1->Checked());
  EXPECT_TRUE(form->Repeat2->Checked());
  EXPECT_EQ(form->Label1->Caption(), "Repeat");
}

TEST_F(PlayerController, RepeatPlaysTheSameSongAgainAndTheBarFollows) {
  WriteSong("a.mid", 1000);
  WriteSong("b.mid", 1000);
  Open();
  form->PlaySelected();
  EXPECT_EQ(form->Caption(), "Tunedeck->C:\\songs\\a.mid");
  EXPECT_EQ(form->Bar1->Max(), 1000);
  EXPECT_TRUE(form->Timer2->Enabled());
  pt::AdvanceTime(400);
  EXPECT_NEAR(form->Bar1->Position(), form->MC->Position(), 50);
  pt::AdvanceTime(1000);
  EXPECT_EQ(Playing(), "C:\\songs\\a.mid");
  EXPECT_LT(form->MC->Position(), 500);
}

TEST_F(PlayerController, SequenceFollowsTheSelectionAndWrapsToTheFirst) {
  WriteSong("a.mid", 1000);
  WriteSong("b.mid", 1000);
  WriteSong("c.mid", 1000);
  Open();
  form->Sequence1->Click();
  form->FileList->SetItemIndex(2);
  form->PlaySelected();
  pt::AdvanceTime(1100);
  EXPECT_EQ(Playing(), "C:\\songs\\a.mid");
  EXPECT_EQ(form->Caption(), "Tunedeck->C:\\songs\\a.mid");
  // A file picked while a song plays decides what follows: the one after it.
  form->FileList->SetItemIndex(1);
  pt::AdvanceTime(1000);
  EXPECT_EQ(Playing(), "C:\\songs\\c.mid");
  // No selection: the first file comes next.
  form->FileList->SetItemIndex(-1);
  pt::AdvanceTime(1000);
  EXPECT_EQ(Playing(), "C:\\songs\\a.mid");
}

TEST_F(PlayerController, SequenceOfOneSongPlaysItAgain) {
  WriteSong("only.mid", 1000);
  Open();
  form->Sequence1->Click();
  form->PlaySelected();
  pt::AdvanceTime(1100);
  EXPECT_EQ(Playing(), "C:\\songs\\only.mid");
  EXPECT_EQ(form->FileList->ItemIndex(), 0);
}

TEST_F(PlayerController, AFileThatDoesNotOpenEndsTheSequenceSilently) {
  WriteSong("a.mid", 1000);
  folder.Write("songs/b.mid", {'M', 'T', 'h', 'd', 0, 0});
  Open();
  form->Sequence1->Click();
  form->PlaySelected();
  pt::AdvanceTime(1100);
  EXPECT_EQ(form->Caption(), "Tunedeck->C:\\songs\\b.mid");
  EXPECT_EQ(form->MC->DeviceID(), 0);
  EXPECT_FALSE(form->Timer2->Enabled());
  EXPECT_EQ(form->Bar1->Max(), 1000);  // the old range stays
  pt::AdvanceTime(2000);
  EXPECT_EQ(form->FileList->ItemIndex(), 1);
  EXPECT_TRUE(exceptions.messages.empty());
}

TEST_F(PlayerController, AnEmptyListPlaysNothing) {
  Open();
  form->Sequence1->Click();
  form->FileListDblClick(form->FileList);
  EXPECT_EQ(form->Caption(), "Tunedeck->");
  EXPECT_EQ(form->MC->DeviceID(), 0);
  EXPECT_FALSE(form->Timer2->Enabled());
  EXPECT_TRUE(exceptions.messages.empty());
}

TEST_F(PlayerController, EscClosesThePauseButtonToggles) {
  WriteSong("a.mid", 5000);
  Open();
  char esc = 27, enter = 13, other = 'x';
  // Nothing open: Esc only resets the caption, pause does nothing and says nothing.
  form->SetCaption("Tunedeck->x");
  form->FileListKeyPress(form->FileList, esc);
  EXPECT_EQ(form->Caption(), "Tunedeck->");
  form->SpeedButton1Click(form->SpeedButton1);
  EXPECT_TRUE(exceptions.messages.empty());

  form->FileListKeyPress(form->FileList, enter);
  EXPECT_EQ(Playing(), "C:\\songs\\a.mid");
  form->SpeedButton1Click(form->SpeedButton1);
  EXPECT_EQ(form->MC->Mode(), mdPaused);
  pt::AdvanceTime(1000);
  EXPECT_EQ(form->MC->Mode(), mdPaused);  // a paused song is not at its end
  form->SpeedButton1Click(form->SpeedButton1);
  EXPECT_EQ(form->MC->Mode(), mdPlaying);
  form->FileListKeyPress(form->FileList, other);
  EXPECT_EQ(form->MC->Mode(), mdPlaying);
  form->FileListKeyPress(form->FileList, esc);
  EXPECT_EQ(form->MC->DeviceID(), 0);
  EXPECT_FALSE(form->Timer2->Enabled());
}

TEST_F(PlayerController, TheProgramDirectoryStaysWhereThePlayerStarted) {
  WriteSong("a.mid", 1000);
  Open();
  form->FileList->SetDirectory("C:\\other");
  EXPECT_EQ(form->FileList->Directory(), "C:\\other");
  EXPECT_EQ(form->ProgramDirectory(), "C:\\songs");
}

TEST_F(PlayerController, RefreshRereadsTheListKeepsThePlayingFileSelectedAndPlaybackGoesOn) {
  WriteSong("a.mid", 1000);
  WriteSong("b.mid", 1000);
  Open();
  form->Sequence1->Click();
  form->PlaySelected();
  WriteSong("0new.mid", 1000);
  form->RefreshList1->Click();
  EXPECT_EQ(form->FileList->Items()->Count(), 3);
  EXPECT_EQ(form->FileList->FileName(), "C:\\songs\\a.mid");
  EXPECT_EQ(Playing(), "C:\\songs\\a.mid");
  // The song after the playing one follows, not the first of the list.
  pt::AdvanceTime(1100);
  EXPECT_EQ(Playing(), "C:\\songs\\b.mid");

  // A selected file that is gone leaves no selection; the first file comes next.
  std::remove(folder.Path("songs/b.mid").c_str());
  form->RefreshList1->Click();
  EXPECT_EQ(form->FileList->ItemIndex(), -1);
  pt::AdvanceTime(1000);
  EXPECT_EQ(Playing(), "C:\\songs\\0new.mid");
  EXPECT_TRUE(exceptions.messages.empty());
}

TEST_F(PlayerController, RefreshOverAFolderThatIsGoneReadsBothListsAndBrowsingGoesOn) {
  WriteSong("a.mid", 1000);
  Open();
  std::filesystem::remove_all(folder.Path("songs"));  // by another program
  CreateDirectoryA("C:\\new", nullptr);
  form->RefreshList1->Click();
  EXPECT_EQ(form->FileList->Items()->Count(), 0);
  EXPECT_EQ(form->DirList->Items()->Get(0), "C:\\");
  form->DirList->SetItemIndex(0);
  form->DirList->OpenCurrentEntry();
  EXPECT_EQ(form->DirList->Directory(), "C:\\");
  EXPECT_EQ(form->DirList->Items()->Count(), 3) << "C:\\, new and other";
  EXPECT_EQ(form->FileList->Directory(), "C:\\");
  EXPECT_TRUE(exceptions.messages.empty());
}

TEST(CompanionCommand, QuotesTheProgramAndTheFileWhole) {
  std::string command;
  ASSERT_TRUE(CompanionCommand("C:\\songs", "Faders.exe", "", command));
  EXPECT_EQ(command, "\"C:\\songs\\Faders.exe\"");
  ASSERT_TRUE(CompanionCommand("C:\\", "Scorepad.exe", "C:\\my songs\\a b.mid", command));
  EXPECT_EQ(command, "\"C:\\Scorepad.exe\" \"C:\\my songs\\a b.mid\"");
  // Far longer than the 80 bytes a fixed buffer would hold, and kept whole.
  std::string directory = "C:\\" + std::string(200, 'd');
  std::string file = directory + "\\" + std::string(50, 'f') + ";rm -rf x&echo.mid";
  ASSERT_TRUE(CompanionCommand(directory, "Scorepad.exe", file, command));
  EXPECT_EQ(command, "\"" + directory + "\\Scorepad.exe\" \"" + file + "\"");
}

TEST(CompanionCommand, RefusesANameWithADoubleQuote) {
  std::string command = "unchanged";
  EXPECT_FALSE(CompanionCommand("C:\\songs", "Scorepad.exe", "C:\\songs\\a\" b.mid", command));
  EXPECT_FALSE(CompanionCommand("C:\\so\"ngs", "Faders.exe", "", command));
  EXPECT_EQ(command, "unchanged");
}

}  // namespace
