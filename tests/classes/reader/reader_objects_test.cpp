// Objects, names, classes, references and the main window's description.
#include <gtest/gtest.h>

#include <memory>

#include "platform/resources.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"
#include "tests/classes/reader/test_components.h"

namespace reader_test {
namespace duplicate {
// Another class under a name the test components use.
class TTrackBar : public TTestControl {
  TD_CLASS(TTrackBar, TTestControl)

 public:
  explicit TTrackBar(TComponent* owner) : TTestControl(owner) {}
};
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTrackBar)
}  // namespace duplicate

namespace {

const char* const kMainWindow =
    "Form1 TForm1 Left=231 Top=128 Width=274 Height=288 Caption=\"Tunedeck\" Font.Charset=1 "
    "Font.Color=-2147483640 Font.Height=-11 Font.Name=\"MS Sans Serif\" Font.Style=0 Icon.Data=766 "
    "PixelsPerInch=96 "
    "TextHeight=13 Menu=MainMenu1\n"
    "SpeedButton2 TSpeedButton Parent=Form1 Left=0 Top=168 Width=25 Height=25 Glyph.Data=380 "
    "NumGlyphs=2 "
    "OnClick=SpeedButton2Click\n"
    "SpeedButton3 TSpeedButton Parent=Form1 Left=24 Top=168 Width=25 Height=25 Glyph.Data=380 "
    "NumGlyphs=2 "
    "OnClick=SpeedButton3Click\n"
    "SpeedButton1 TSpeedButton Parent=Form1 Left=48 Top=168 Width=25 Height=25 Glyph.Data=378 "
    "NumGlyphs=2 "
    "OnClick=SpeedButton1Click\n"
    "Label1 TLabel Parent=Form1 Left=73 Top=168 Width=45 Height=13 Caption=\"Repeat\" "
    "AutoSize=False\n"
    "MC TMediaPlayer Parent=Form1 Left=0 Top=128 Width=262 Height=33 Visible=False TabOrder=4\n"
    "FileList TFileListBox Parent=Form1 Left=120 Top=0 Width=145 Height=209 TabOrder=1 "
    "ItemHeight=16 "
    "Mask=\"*.mid;*.rmi\" OnDblClick=FileListDblClick OnKeyPress=FileListKeyPress\n"
    "DirList TDirectoryListBox Parent=Form1 Left=0 Top=0 Width=121 Height=145 TabOrder=0 "
    "ItemHeight=16 "
    "FileList=FileList\n"
    "DirCombo TDriveComboBox Parent=Form1 Left=0 Top=144 Width=121 Height=19 TabOrder=2 "
    "DirList=DirList\n"
    "FileCombo TFilterComboBox Parent=Form1 Left=120 Top=216 Width=145 Height=21 TabOrder=3 "
    "Filter=\"SQUENCE(*.MID;*.RMI)|*.mid;*.rmi|SOUND(*.WAV;*.AU)|*.wav;*.au|VIDEO(*.AVI)|*.avi|ALL "
    "MEDIA(*.mid;"
    "*.rmi;*.wav;*.au;*.avi)|*.mid;*.rmi;*.wav;*.au;*.avi|All Files(*.*)|*.*\" FileList=FileList\n"
    "Bar1 TTrackBar Parent=Form1 Left=0 Top=200 Width=121 Height=41 TabOrder=5 Frequency=50 "
    "Position=0 SelEnd=0 "
    "SelStart=0 DragMode=dmAutomatic Orientation=trHorizontal TickMarks=tmBoth TickStyle=tsAuto "
    "OnDragDrop=Bar1DragDrop OnDragOver=Bar1DragOver OnStartDrag=Bar1StartDrag\n"
    "MainMenu1 TMainMenu Left=144 Top=160\n"
    "File1 TMenuItem Parent=MainMenu1 Caption=\"File\" ShortCut=0\n"
    "Exit1 TMenuItem Parent=File1 Caption=\"E&xit\" ShortCut=0 OnClick=Exit1Click\n"
    "Option1 TMenuItem Parent=MainMenu1 Caption=\"Option\" ShortCut=0\n"
    "RefreshList1 TMenuItem Parent=Option1 Caption=\"Refresh List\" ShortCut=116 "
    "OnClick=RefreshList1Click\n"
    "Repeat1 TMenuItem Parent=Option1 Caption=\"Playing\" ShortCut=0\n"
    "Repeat2 TMenuItem Parent=Repeat1 Caption=\"Repeat\" Checked=True ShortCut=113 "
    "OnClick=Repeat2Click\n"
    "Sequence1 TMenuItem Parent=Repeat1 Caption=\"Sequence\" ShortCut=114 OnClick=Sequence1Click\n"
    "Timer2 TTimer Enabled=False Interval=50 OnTimer=Timer2Timer Left=112 Top=32\n";

class ReaderMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestMappers();
    AfterLoadLog().clear();
  }
  LookupScope lookup;
  TForm1 form{nullptr};
};

TEST_F(ReaderMainWindow, ReadsEveryComponentPropertyAndBindingOfTheWindow) {
  ASSERT_TRUE(ReadDescriptionResources(&form, &TTestControl::StaticClass()));
  EXPECT_EQ(Dump(form), kMainWindow);
  ASSERT_EQ(form.OwnedCount(), 19);

  // Each component is bound to the form's field of its name.
  const std::vector<std::pair<TComponent*, const char*>> fields = {
      {form.SpeedButton2, "SpeedButton2"},
      {form.SpeedButton3, "SpeedButton3"},
      {form.SpeedButton1, "SpeedButton1"},
      {form.Label1, "Label1"},
      {form.MC, "MC"},
      {form.FileList, "FileList"},
      {form.DirList, "DirList"},
      {form.DirCombo, "DirCombo"},
      {form.FileCombo, "FileCombo"},
      {form.Bar1, "Bar1"},
      {form.MainMenu1, "MainMenu1"},
      {form.File1, "File1"},
      {form.Exit1, "Exit1"},
      {form.Option1, "Option1"},
      {form.RefreshList1, "RefreshList1"},
      {form.Repeat1, "Repeat1"},
      {form.Repeat2, "Repeat2"},
      {form.Sequence1, "Sequence1"},
      {form.Timer2, "Timer2"}};
  for (const auto& [field, name] : fields) {
    ASSERT_NE(field, nullptr) << name;
    EXPECT_EQ(field, form.FindOwned(name));
    EXPECT_FALSE(field->ComponentState().Contains(Loading)) << name;
    EXPECT_FALSE(field->ComponentState().Contains(Reading)) << name;
  }

  // AfterLoad: the form first, then each component in the order its reading finished.
  EXPECT_EQ(AfterLoadLog(),
            (std::vector<std::string>{"Form1",    "SpeedButton2", "SpeedButton3", "SpeedButton1",
                                      "Label1",   "MC",           "FileList",     "DirList",
                                      "DirCombo", "FileCombo",    "Bar1",         "Exit1",
                                      "File1",    "RefreshList1", "Repeat2",      "Sequence1",
                                      "Repeat1",  "Option1",      "MainMenu1",    "Timer2"}));

  TObject* dragObject = nullptr;
  form.Bar1->OnStartDrag(form.Bar1, dragObject);
  char key = '\r';
  form.FileList->OnKeyPress(form.FileList, key);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"Bar1StartDrag", "FileListKeyPress \r"}));
}

TEST_F(ReaderMainWindow, PicturesArriveWithTheirOwnLengthsAndFileHeaders) {
  ASSERT_TRUE(ReadDescriptionResources(&form, &TTestControl::StaticClass()));
  const auto& glyph = form.SpeedButton1->Glyph()->Data;
  ASSERT_EQ(glyph.size(), 378u);
  EXPECT_EQ(std::vector<std::uint8_t>(glyph.begin(), glyph.begin() + 6),
            (std::vector<std::uint8_t>{118, 1, 0, 0, 'B', 'M'}));
  EXPECT_EQ(glyph[4 + 14 + 4], 32);  // width
  EXPECT_EQ(glyph[4 + 14 + 8], 16);  // height
  EXPECT_EQ(glyph[4 + 14 + 14], 4);  // bits per pixel
  const auto& icon = form.Icon()->Data;
  EXPECT_EQ(std::vector<std::uint8_t>(icon.begin(), icon.begin() + 10),
            (std::vector<std::uint8_t>{0, 0, 1, 0, 1, 0, 32, 32, 16, 0}));
}

TEST_F(ReaderMainWindow, NoResourceForAClassMeansFalseAndAnotherRootGetsAUniqueName) {
  TTestControl plain(nullptr);
  EXPECT_FALSE(ReadDescriptionResources(&plain, &TComponent::StaticClass()));

  TForm1 second(nullptr);
  {
    LookupScope taken([&](const std::string& name) -> TComponent* {
      if (SameAsciiNoCase(name, "Form1")) return &form;
      if (SameAsciiNoCase(name, "Form1_1")) return &form;
      return nullptr;
    });
    ASSERT_TRUE(ReadDescriptionResources(&second, &TTestControl::StaticClass()));
  }
  EXPECT_EQ(second.Name(), "Form1_2");

  // Reading again into a root the lookup already finds under that name keeps the name.
  LookupScope itself([&](const std::string& name) -> TComponent* {
    return SameAsciiNoCase(name, second.Name()) ? &second : nullptr;
  });
  ReadBytes(FormBytes("TForm1 Form1_2 {\n}"), &second);
  EXPECT_EQ(second.Name(), "Form1_2");
}

class ReaderObjects : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestMappers(); }
  std::string ErrorOf(const std::string& text, TComponent* root) {
    try {
      ReadBytes(FormBytes(text), root);
    } catch (const Exception& e) {
      return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "no error";
  }
  LookupScope lookup;
  TForm1 form{nullptr};
};

TEST_F(ReaderObjects, UnknownClassesAreReportedUnwrappedAndTheHookMaySkipThem) {
  EXPECT_EQ(ErrorOf("TForm1 Form1 {\n TNoSuchThing X {\n }\n}", &form),
            "EClassNotFound: Class TNoSuchThing not found");
  EXPECT_EQ(form.OwnedCount(), 0);

  TForm1 other(nullptr);
  std::vector<std::string> reported;
  ReadBytes(FormBytes("TForm1 Form1 {\n TNoSuchThing X {\n Left = 1\n TLabel Inner {\n }\n }\n "
                      "TLabel Label1 {\n "
                      "Caption = \"after\"\n }\n}"),
            &other, [&](TReader& reader) {
              reader.OnError = [&](TReader&, const std::string& message, bool& handled) {
                reported.push_back(message);
                handled = true;
              };
            });
  EXPECT_EQ(reported, std::vector<std::string>{"Class TNoSuchThing not found"});
  ASSERT_NE(other.Label1, nullptr);
  EXPECT_EQ(other.Label1->Caption, "after");
  EXPECT_EQ(other.OwnedCount(), 1);
}

TEST_F(ReaderObjects, BadOrDuplicateNamesFreeTheComponentAndFail) {
  EXPECT_EQ(ErrorOf("TForm1 Form1 {\n TLabel Label1 {\n }\n TLabel LABEL1 {\n }\n}", &form),
            "EComponentError: A component named LABEL1 already exists");
  TForm1 other(nullptr);
  EXPECT_EQ(ErrorOf("TForm1 Form1 {\n TLabel \"1abc\" {\n }\n}", &other),
            "EComponentError: ''1abc'' is not a valid component name");
  EXPECT_EQ(other.OwnedCount(), 0);
}

TEST_F(ReaderObjects, InheritedObjectsAreFoundByNameAndChildPositionsPassedOn) {
  ReadBytes(FormBytes("TForm1 Form1 {\n TLabel Label1 {\n }\n TLabel Second at 0 {\n }\n}"), &form);
  ReadBytes(FormBytes("TForm1 Form1 {\n inherited TLabel label1 {\n Caption = \"again\"\n }\n}"),
            &form);
  EXPECT_EQ(form.OwnedCount(), 2);
  EXPECT_EQ(form.Label1->Caption, "again");
  EXPECT_EQ(form.positions, (std::vector<std::pair<std::string, int>>{{"Second", 0}}));
  EXPECT_EQ(ErrorOf("TForm1 Form1 {\n inherited TLabel Nobody {\n }\n}", &form),
            "EReadError: Ancestor for 'Nobody' not found");
}

TEST_F(ReaderObjects, ReferencesResolveAfterTheWholeDescriptionOrToNil) {
  ReadBytes(
      FormBytes(
          "TForm1 Form1 {\n Menu = Later\n TLabel A {\n FileList = Missing\n DirList = nil\n }\n"
          " TLabel Later {\n }\n}"),
      &form);
  EXPECT_EQ(form.Menu, form.FindOwned("Later"));
  auto* a = static_cast<TTestControl*>(form.FindOwned("A"));
  EXPECT_EQ(a->FileList, nullptr);
}

TEST_F(ReaderObjects, ReferencesToOtherRootsWaitUntilThatRootExists) {
  TForm1 other(nullptr);
  TLabel* target = new TLabel(&other);
  target->SetName("Target");
  bool otherExists = false;
  LookupScope roots([&](const std::string& name) -> TComponent* {
    return otherExists && SameAsciiNoCase(name, "Other") ? &other : nullptr;
  });
  ReadBytes(FormBytes("TForm1 Form1 {\n Menu = Other.Target\n}"), &form);
  EXPECT_EQ(form.Menu, nullptr);
  EXPECT_EQ(PendingGlobalFixups(), 1u);
  EXPECT_TRUE(form.ComponentState().Contains(FixingUp));

  otherExists = true;
  TForm1 third(nullptr);
  ReadBytes(FormBytes("TForm1 Third {\n}"), &third);  // any later read resolves what it can
  EXPECT_EQ(form.Menu, target);
  EXPECT_EQ(PendingGlobalFixups(), 0u);
  EXPECT_FALSE(form.ComponentState().Contains(FixingUp));

  ReadBytes(FormBytes("TForm1 Form1 {\n Menu = Nowhere.Target\n}"), &third);
  EXPECT_EQ(PendingGlobalFixups(), 1u);
  RemoveGlobalFixups(&third);  // a root going away takes its pending references along
  EXPECT_EQ(PendingGlobalFixups(), 0u);
}

TEST_F(ReaderObjects, AWaitingReferenceGoesWithItsHolderOrItsRoot) {
  TForm1 other(nullptr);
  TLabel* target = new TLabel(&other);
  target->SetName("Target");
  bool otherExists = false;
  LookupScope roots([&](const std::string& name) -> TComponent* {
    return otherExists && SameAsciiNoCase(name, "Other") ? &other : nullptr;
  });
  // The holder is freed while its root lives on.
  ReadBytes(FormBytes("TForm1 Form1 {\n TLabel A {\n FileList = Other.Target\n }\n}"), &form);
  ASSERT_EQ(PendingGlobalFixups(), 1u);
  delete form.FindOwned("A");
  EXPECT_EQ(PendingGlobalFixups(), 0u);

  // A root (of the test classes: no form) is freed with a reference of its own and one of
  // a child.
  auto root = std::make_unique<TForm1>(nullptr);
  ReadBytes(FormBytes("TForm1 Root {\n FileList = Other.Target\n"
                      " TLabel B {\n DirList = Other.Target\n }\n}"),
            root.get());
  ASSERT_EQ(PendingGlobalFixups(), 2u);
  root.reset();
  EXPECT_EQ(PendingGlobalFixups(), 0u);

  // The next read resolves nothing into freed memory.
  otherExists = true;
  TForm1 third(nullptr);
  ReadBytes(FormBytes("TForm1 Third {\n}"), &third);
  EXPECT_EQ(PendingGlobalFixups(), 0u);
  EXPECT_EQ(target->Owner(), &other);
}

TEST_F(ReaderObjects, RegistryRegistersAncestorsRefusesAnotherClassOfTheSameNameAndKnowsAliases) {
  EXPECT_EQ(LookupClass("TTrackBar"), nullptr);
  EXPECT_EQ(ErrorOf("TTrackBar Bar {\n}", nullptr), "EClassNotFound: Class TTrackBar not found");

  RegisterStreamClass(&TTrackBar::StaticClass());
  EXPECT_EQ(LookupClass("ttrackbar"), &TTrackBar::StaticClass());
  EXPECT_EQ(LookupClass("TTestControl"), &TTestControl::StaticClass());
  EXPECT_EQ(LookupClass("TPersistent"), &TPersistent::StaticClass());
  EXPECT_EQ(LookupClass("TObject"), nullptr);
  RegisterStreamClass(&TTrackBar::StaticClass());  // again: nothing happens
  try {
    RegisterStreamClass(&duplicate::TTrackBar::StaticClass());
    ADD_FAILURE() << "a second TTrackBar was registered";
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), "A class named TTrackBar already exists");
  }
  try {
    RegisterStreamClass(&TTimer::StaticClass());  // its ancestor TComponent is known; TTimer is new
    RegisterClassAlias(&TLabel::StaticClass(), "TOldBar");
    EXPECT_EQ(LookupClass("toldbar"), &TLabel::StaticClass());
  } catch (...) {
    ADD_FAILURE();
  }

  // A root created from the registry, named from the description.
  std::unique_ptr<TComponent> created(
      ReadBytes(FormBytes("TTrackBar Bar {\n Frequency = 5\n}"), nullptr));
  ASSERT_NE(dynamic_cast<TTrackBar*>(created.get()), nullptr);
  EXPECT_EQ(created->Name(), "Bar");
  EXPECT_EQ(static_cast<TTrackBar*>(created.get())->Frequency, 5);

  // A failing read frees the root it created (the sanitizer sees a leak otherwise).
  EXPECT_EQ(ErrorOf("TTrackBar Bar {\n Frequency = \"x\"\n}", nullptr),
            "EReadError: Error reading Bar.Frequency: Invalid property value");

  UnregisterStreamClass(&TTrackBar::StaticClass());
  UnregisterStreamClass(&TTimer::StaticClass());
  UnregisterStreamClass(&TLabel::StaticClass());
  UnregisterStreamClass(&TTestControl::StaticClass());
  UnregisterStreamClass(&TComponent::StaticClass());
  UnregisterStreamClass(&TPersistent::StaticClass());
}

}  // namespace
}  // namespace reader_test
