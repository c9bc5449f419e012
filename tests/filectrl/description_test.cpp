// The four browsing controls read from a description as the main window stores them:
// published properties, events bound by name, links resolved after reading.
#include <gtest/gtest.h>

#include "filectrl/dirlist.h"
#include "filectrl/drivecombo.h"
#include "filectrl/filelist.h"
#include "filectrl/filtercombo.h"
#include "tests/controls/form_text.h"
#include "tests/filectrl/browsing_fixture.h"

namespace {

class TBrowsingForm : public TForm {
  TD_CLASS(TBrowsingForm, TForm)

 public:
  explicit TBrowsingForm(TComponent* owner) : TForm(owner) {}
  TFileListBox* FileList = nullptr;
  TDirectoryListBox* DirList = nullptr;
  TDriveComboBox* DirCombo = nullptr;
  TFilterComboBox* FileCombo = nullptr;
  void FileListDblClick(TObject*) { ++doubleClicks; }
  void FileListKeyPress(TObject*, char& key) { keys += key; }
  int doubleClicks = 0;
  std::string keys;
};

const char* const kDescription = R"(
TBrowsingForm Form1 {
  Left = 231
  Top = 128
  Width = 274
  Height = 288
  Font.Height = -11
  Font.Name = "MS Sans Serif"
  TFileListBox FileList {
    Left = 120
    Top = 0
    Width = 145
    Height = 209
    ItemHeight = 16
    Mask = "*.mid;*.rmi"
    TabOrder = 1
    OnDblClick = FileListDblClick
    OnKeyPress = FileListKeyPress
  }
  TDirectoryListBox DirList {
    Left = 0
    Top = 0
    Width = 121
    Height = 145
    FileList = FileList
    ItemHeight = 16
    TabOrder = 0
  }
  TDriveComboBox DirCombo {
    Left = 0
    Top = 144
    Width = 121
    Height = 19
    DirList = DirList
    TabOrder = 2
  }
  TFilterComboBox FileCombo {
    Left = 120
    Top = 216
    Width = 145
    Height = 21
    FileList = FileList
    Filter = "SQUENCE(*.MID;*.RMI)|*.mid;*.rmi|SOUND(*.WAV;*.AU)|*.wav;*.au|VIDEO(*.AVI)|*.avi|"
           + "ALL MEDIA(*.mid;*.rmi;*.wav;*.au;*.avi)|*.mid;*.rmi;*.wav;*.au;*.avi|All Files(*.*)|*.*"
    TabOrder = 3
  }
}
)";

using Described = BrowsingTest;

TEST_F(Described, TheMainWindowsBrowsingControlsReadAndLinkUp) {
  Touch("Songs/a.mid");
  Touch("Songs/b.RMI");
  Touch("Songs/c.wav");
  SetCurrentDirectoryA("T:\\Songs");
  auto* described = new TBrowsingForm(nullptr);
  ReadFormText(kDescription, described);
  described->Show();
  pt::PumpUntilIdle();

  TFileListBox* files = described->FileList;
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->Mask(), "*.mid;*.rmi");
  EXPECT_EQ(files->ItemHeight(), 16);
  EXPECT_EQ(files->Width(), 145);
  EXPECT_EQ(files->Directory(), "T:\\Songs");
  EXPECT_EQ(Entries(files->Items()), (std::vector<std::string>{"a.mid", "b.RMI"}));
  files->OnDblClick(files);
  char key = 'x';
  files->OnKeyPress(files, key);
  EXPECT_EQ(described->doubleClicks, 1);
  EXPECT_EQ(described->keys, "x");

  TDirectoryListBox* dirs = described->DirList;
  ASSERT_NE(dirs, nullptr);
  EXPECT_EQ(dirs->FileList(), files);
  EXPECT_EQ(files->DirListLink(), dirs);
  EXPECT_EQ(dirs->ItemHeight(), 16);

  TDriveComboBox* drives = described->DirCombo;
  ASSERT_NE(drives, nullptr);
  EXPECT_EQ(drives->DirList(), dirs);
  EXPECT_EQ(dirs->DriveComboLink(), drives);
  EXPECT_EQ(drives->Items()->Count(), 1);
  EXPECT_EQ(drives->Drive(), 't');

  TFilterComboBox* filters = described->FileCombo;
  ASSERT_NE(filters, nullptr);
  EXPECT_EQ(filters->FileList(), files);
  EXPECT_EQ(files->FilterLink(), filters);
  EXPECT_EQ(filters->Items()->Count(), 5);
  EXPECT_EQ(filters->ItemIndex(), 0);
  EXPECT_EQ(filters->Items()->Get(0), "SQUENCE(*.MID;*.RMI)");
  EXPECT_EQ(files->Mask(), "*.mid;*.rmi");

  // Walking up in the directory list moves the file list.
  dirs->SetItemIndex(0);
  dirs->OpenCurrentEntry();
  EXPECT_EQ(files->Directory(), "T:\\");
  delete described;
}

}  // namespace

TD_IMPLEMENT_CLASS(TBrowsingForm)
void TBrowsingForm::Describe(Describer& d) {
  d.Field("FileList", &TBrowsingForm::FileList);
  d.Field("DirList", &TBrowsingForm::DirList);
  d.Field("DirCombo", &TBrowsingForm::DirCombo);
  d.Field("FileCombo", &TBrowsingForm::FileCombo);
  d.Method("FileListDblClick", &TBrowsingForm::FileListDblClick);
  d.Method("FileListKeyPress", &TBrowsingForm::FileListKeyPress);
}
