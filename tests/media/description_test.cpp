// The player as a form description stores it: its published properties and events, and
// the open after loading.
#include "classes/reader.h"
#include "classes/rtti.h"
#include "classes/streams.h"
#include "controls/menus.h"
#include "tests/media/media_fixture.h"

// The form compiler is a build tool, not a library: its sources are compiled in here.
#include "tools/rescomp/bytes.cpp"
#include "tools/rescomp/form.cpp"
#include "tools/rescomp/pixmap.cpp"

namespace media_test {

class TPlayerForm : public TForm {
  TD_CLASS(TPlayerForm, TForm)

 public:
  explicit TPlayerForm(TComponent* owner) : TForm(owner) {}
  void MCNotify(TObject*) { ++notifications; }
  void MCClick(TObject*, TMPBtnType, bool&) {}

  TMediaPlayer* MC = nullptr;
  TPopupMenu* PlayerMenu = nullptr;
  int notifications = 0;
};

TD_IMPLEMENT_CLASS(TPlayerForm)
void TPlayerForm::Describe(Describer& d) {
  d.Field("MC", &TPlayerForm::MC);
  d.Field("PlayerMenu", &TPlayerForm::PlayerMenu);
  d.Method("MCNotify", &TPlayerForm::MCNotify);
  d.Method("MCClick", &TPlayerForm::MCClick);
}

namespace {

class MediaPlayerDescription : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TD_AUDIO", "null", 1);
    pt::StartSession();
  }
  void TearDown() override {
    delete form;
    pt::EndSession();
  }
  void Read(const std::string& playerProperties, const std::string& others = "") {
    std::string text = "TPlayerForm PlayerForm {\n  TMediaPlayer MC {\n" + playerProperties +
                       "\n  }\n" + others + "}\n";
    rescomp::Bytes bytes = rescomp::CompileFormText(text, ".", "player.txt");
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<Longint>(bytes.size()));
    stream.SetPosition(0);
    form = new TPlayerForm(nullptr);
    ReadStreamDescription(stream, form);
  }

  TPlayerForm* form = nullptr;
  testmedia::ScratchFolder folder;
};

TEST_F(MediaPlayerDescription, ThePlayersEntryOfTheMainWindowReadsAsStored) {
  Read(R"(    Left = 0
    Top = 128
    Width = 262
    Height = 33
    Visible = false
    TabOrder = 4)");
  ASSERT_NE(form->MC, nullptr);
  TMediaPlayer* mc = form->MC;
  EXPECT_EQ(mc->Parent(), form);
  EXPECT_EQ(mc->BoundsRect().top, 128);
  EXPECT_EQ(mc->Width(), 262);  // nine buttons of 30 fit it exactly
  EXPECT_EQ(mc->ButtonWidth(), 30);
  EXPECT_EQ(mc->Height(), 33);
  EXPECT_FALSE(mc->Visible());
  EXPECT_EQ(mc->TabOrder(), 0);  // the only windowed control of its form
  EXPECT_TRUE(mc->TabStop());
  EXPECT_TRUE(mc->AutoRewind());
  EXPECT_TRUE(mc->AutoEnable());
  EXPECT_EQ(mc->DeviceID(), 0);
  EXPECT_NE(mc->Handle(), nullptr);  // an invisible player still has its window
  EXPECT_FALSE(IsWindowVisible(mc->Handle()));
}

TEST_F(MediaPlayerDescription, PropertiesAndEventsAreSetAndAutoOpenOpensAfterLoading) {
  std::string song = folder.Write("song.mid", testmedia::OneSecondSong());
  Read(
      "    AutoOpen = true\n    AutoRewind = false\n    DeviceType = dtSequencer\n"
      "    FileName = \"" +
      song +
      "\"\n    Shareable = true\n"
      "    VisibleButtons = [btPlay, btPause, btStop]\n    EnabledButtons = [btPlay]\n"
      "    ColoredButtons = []\n    AutoEnable = false\n    TabStop = false\n"
      "    OnNotify = MCNotify\n    OnClick = MCClick");
  TMediaPlayer* mc = form->MC;
  EXPECT_EQ(mc->FileName(), song);
  EXPECT_EQ(mc->DeviceType(), dtSequencer);
  EXPECT_FALSE(mc->AutoRewind());
  EXPECT_TRUE(mc->Shareable());
  EXPECT_EQ(mc->VisibleButtons(), (TButtonSet{btPlay, btPause, btStop}));
  EXPECT_EQ(mc->EnabledButtons(), TButtonSet{btPlay});
  EXPECT_TRUE(mc->ColoredButtons().Empty());
  EXPECT_FALSE(mc->AutoEnable());
  EXPECT_FALSE(mc->TabStop());
  EXPECT_EQ(mc->Width(), 238);  // the default width fitted to the three stored buttons
  EXPECT_TRUE(static_cast<bool>(mc->OnClick));
  ASSERT_NE(mc->DeviceID(), 0);  // opened once the description was read
  EXPECT_EQ(mc->Length(), 1000);
  mc->SetTimeFormat(MCI_FORMAT_MILLISECONDS);
  pt::PumpUntilIdle();
  EXPECT_EQ(form->notifications, 1);
}

TEST_F(MediaPlayerDescription, ThePopUpMenuIsATypedReference) {
  const TPropInfo* property = TMediaPlayer::StaticClass().FindProperty("PopupMenu");
  ASSERT_NE(property, nullptr);
  EXPECT_EQ(property->Type().ClassType, &TPopupMenu::StaticClass());

  Read("    PopupMenu = PlayerMenu", "  TPopupMenu PlayerMenu {\n  }\n");
  ASSERT_NE(form->PlayerMenu, nullptr);
  EXPECT_EQ(form->MC->PopupMenu(), form->PlayerMenu);
  delete form;
  form = nullptr;

  // A reference to a component that is no pop-up menu is not taken.
  Read("    PopupMenu = Other", "  TMediaPlayer Other {\n    Visible = false\n  }\n");
  EXPECT_EQ(form->MC->PopupMenuComponent(), nullptr);
}

}  // namespace
}  // namespace media_test
