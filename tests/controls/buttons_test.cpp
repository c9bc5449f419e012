// The button family: push buttons with default, cancel and modal results, check boxes,
// radio buttons and group boxes, by mouse, keys and form description.
#include "controls/buttons.h"

#include <gtest/gtest.h>

#include "tests/controls/form_text.h"
#include "tests/forms/forms_fixture.h"

namespace {

class TClickLog : public TObject {
 public:
  void Clicked(TObject* sender) { senders.push_back(sender); }
  std::vector<TObject*> senders;
};

class ButtonsTest : public FormsTest {
 protected:
  template <class T>
  T* Make(TWinControl* parent, RECT bounds, const char* caption) {
    auto* control = Add<T>(parent, bounds);
    control->SetCaption(caption);
    control->OnClick = TNotifyEvent(&log, &TClickLog::Clicked);
    return control;
  }
  void ClickOn(TControl* control, int x = 5, int y = 8) {
    POINT p = ScreenOf(control, x, y);
    pt::Click(p.x, p.y);
    PumpLikeApplication();
  }
  void Press(UINT key) {
    pt::PressKey(key);
    PumpLikeApplication();
  }
  static DWORD StyleOf(TWinControl* control) {
    return static_cast<DWORD>(GetWindowLongA(control->Handle(), GWL_STYLE));
  }
  static LRESULT WindowCheck(TWinControl* control) {
    return SendMessageA(control->Handle(), BM_GETCHECK, 0, 0);
  }
  TClickLog log;
};

}  // namespace

TEST_F(ButtonsTest, EachKindIsItsButtonStyleAndKeepsItsSettingsAcrossARebuild) {
  auto* box = Make<TCheckBox>(form, RECT{10, 10, 107, 27}, "Mute");
  box->SetState(cbGrayed);  // before the window exists
  box->SetAlignment(taLeftJustify);
  EXPECT_EQ(StyleOf(box) & (BS_TYPEMASK | BS_LEFTTEXT),
            static_cast<DWORD>(BS_3STATE | BS_LEFTTEXT));
  EXPECT_EQ(WindowCheck(box), BST_INDETERMINATE);
  box->SetAlignment(taRightJustify);  // rebuilds the window
  EXPECT_EQ(StyleOf(box) & BS_LEFTTEXT, 0u);
  EXPECT_EQ(WindowCheck(box), BST_INDETERMINATE);
  EXPECT_EQ(box->Caption(), "Mute");

  auto* radio = Make<TRadioButton>(form, RECT{10, 30, 123, 47}, "One");
  EXPECT_EQ(StyleOf(radio) & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));
  auto* group = Make<TGroupBox>(form, RECT{150, 10, 335, 115}, "Group");
  EXPECT_EQ(StyleOf(group) & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
  EXPECT_TRUE(group->StyleFlags() & csAcceptsControls);
  auto* button = Make<TButton>(form, RECT{10, 60, 85, 85}, "OK");
  EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));

  TCheckBox fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 97);
  EXPECT_TRUE(fresh.TabStop());
  EXPECT_EQ(fresh.Alignment(), taRightJustify);
  TRadioButton freshRadio(nullptr);
  EXPECT_FALSE(freshRadio.TabStop()) << "only the checked radio button is a tab stop";
}

TEST_F(ButtonsTest, CheckBoxTogglesOnClickAndSpaceButNotForTheProgram) {
  auto* box = Make<TCheckBox>(form, RECT{10, 10, 107, 27}, "Mute");
  box->SetChecked(true);
  box->SetChecked(false);
  EXPECT_TRUE(log.senders.empty()) << "the program's changes raise no OnClick";

  ClickOn(box);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(WindowCheck(box), BST_CHECKED);
  EXPECT_EQ(log.senders, std::vector<TObject*>{box});
  EXPECT_TRUE(box->Focused());
  Press(VK_SPACE);
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(log.senders.size(), 2u);

  // With AllowGrayed a click goes through the third state.
  box->SetAllowGrayed(true);
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    ClickOn(box);
    states.push_back(box->State());
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));

  // Disabled, it ignores the mouse.
  box->SetEnabled(false);
  ClickOn(box);
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(log.senders.size(), 5u);
}

TEST_F(ButtonsTest, RadioButtonsOfOneParentKeepOneCheckedAndTheArrowsSelect) {
  auto* a = Make<TRadioButton>(form, RECT{10, 10, 120, 27}, "A");
  auto* b = Make<TRadioButton>(form, RECT{10, 30, 120, 47}, "B");
  auto* c = Make<TRadioButton>(form, RECT{10, 50, 120, 67}, "C");
  auto* group = Make<TGroupBox>(form, RECT{150, 10, 335, 115}, "Other");
  auto* other = Make<TRadioButton>(group, RECT{10, 20, 120, 37}, "Other");
  other->SetChecked(true);
  a->SetChecked(true);
  EXPECT_TRUE(a->TabStop());
  EXPECT_TRUE(log.senders.empty());

  ClickOn(c);
  EXPECT_TRUE(c->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(WindowCheck(a), BST_UNCHECKED);
  EXPECT_FALSE(a->TabStop());
  EXPECT_TRUE(c->TabStop());
  EXPECT_TRUE(other->Checked()) << "another parent is another group";
  EXPECT_EQ(log.senders, std::vector<TObject*>{c});
  ClickOn(c);
  EXPECT_EQ(log.senders.size(), 1u) << "clicking the checked one changes nothing";

  // The form's arrow keys move to the next sibling, which the move checks.
  Press(VK_UP);
  EXPECT_TRUE(b->Focused());
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(c->Checked());
  Press(VK_UP);
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(log.senders, (std::vector<TObject*>{c, b, a}));
}

TEST_F(ButtonsTest, EnterClicksTheDefaultButtonEscTheCancelButtonAndTheFocusedButtonActsAsDefault) {
  auto* box = Make<TCheckBox>(form, RECT{10, 10, 107, 27}, "Mute");
  auto* ok = Make<TButton>(form, RECT{10, 40, 85, 65}, "OK");
  auto* cancel = Make<TButton>(form, RECT{100, 40, 175, 65}, "Cancel");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  box->SetFocus();
  PumpLikeApplication();
  EXPECT_EQ(StyleOf(ok) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));

  Press(VK_RETURN);
  ASSERT_EQ(log.senders, std::vector<TObject*>{ok});
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_FALSE(box->Checked()) << "Enter is not a click of the check box";
  Press(VK_ESCAPE);
  EXPECT_EQ(log.senders.back(), cancel);
  EXPECT_EQ(form->ModalResult(), mrCancel);

  // A focused push button takes the default look and Enter.
  cancel->SetFocus();
  PumpLikeApplication();
  EXPECT_EQ(StyleOf(cancel) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(StyleOf(ok) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
  Press(VK_RETURN);
  EXPECT_EQ(log.senders.size(), 3u);
  EXPECT_EQ(log.senders.back(), cancel);
  box->SetFocus();
  PumpLikeApplication();
  EXPECT_EQ(StyleOf(ok) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));

  // Held Ctrl, Enter is not the default button's.
  pt::KeyDown(VK_CONTROL);
  Press(VK_RETURN);
  pt::KeyUp(VK_CONTROL);
  PumpLikeApplication();
  EXPECT_EQ(log.senders.size(), 3u);
}

TEST_F(ButtonsTest, AcceleratorsClickToggleSelectOrEnterTheGroup) {
  auto* focus = Add<TTestWinControl>(form, RECT{300, 200, 350, 230});
  auto* button = Make<TButton>(form, RECT{10, 40, 85, 65}, "&Go");
  auto* box = Make<TCheckBox>(form, RECT{10, 10, 107, 27}, "&Mute");
  auto* group = Make<TGroupBox>(form, RECT{150, 10, 335, 115}, "&Wave");
  auto* inside = Make<TCheckBox>(group, RECT{10, 20, 107, 37}, "Inside");
  auto* radio = Make<TRadioButton>(form, RECT{10, 80, 120, 97}, "&Radio");
  focus->SetFocus();
  PumpLikeApplication();
  pt::TypeText("g");
  PumpLikeApplication();
  EXPECT_EQ(log.senders, std::vector<TObject*>{button});
  pt::TypeText("m");
  PumpLikeApplication();
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(box->Focused());
  pt::TypeText("r");
  PumpLikeApplication();
  EXPECT_TRUE(radio->Checked());
  EXPECT_EQ(log.senders, (std::vector<TObject*>{button, box, radio}));
  pt::TypeText("w");
  PumpLikeApplication();
  EXPECT_TRUE(inside->Focused());
  EXPECT_FALSE(inside->Checked());
  EXPECT_EQ(focus->chars, "");
}

TEST_F(ButtonsTest, GroupBoxTakesItsOwnClicksAndShowsItsCaptionOnItsColour) {
  auto* group = Make<TGroupBox>(form, RECT{10, 10, 195, 115}, "Wave");
  auto* inside = Make<TCheckBox>(group, RECT{10, 20, 107, 37}, "Mute");
  group->SetColor(clWhite);
  pt::PumpUntilIdle();
  ClickOn(group, 150, 80);
  EXPECT_EQ(log.senders, std::vector<TObject*>{group});
  ClickOn(inside);
  EXPECT_EQ(log.senders.back(), inside);
  EXPECT_EQ(inside->Color(), clWhite) << "a check box shows its parent's colour";
  pt::PumpUntilIdle();
  HWND window = group->Handle();
  EXPECT_EQ(pt::WindowPixel(window, 150, 80), RGB(255, 255, 255));
  EXPECT_EQ(pt::WindowPixel(window, 150, 6), RGB(128, 128, 128));  // the etched top line
  EXPECT_EQ(pt::WindowPixel(inside->Handle(), 80, 8), RGB(255, 255, 255));
}

TEST_F(ButtonsTest, ClickHandlerThatFreesItsButtonIsSurvived) {
  struct TFreeing : TObject {
    void Clicked(TObject* sender) { delete static_cast<TButton*>(sender); }
  } freeing;
  auto* button = Add<TButton>(form, RECT{10, 40, 85, 65});
  button->SetModalResult(mrYes);
  button->OnClick = TNotifyEvent(&freeing, &TFreeing::Clicked);
  ClickOn(button);
  EXPECT_EQ(form->ModalResult(), mrYes);
  EXPECT_EQ(form->ControlCount(), 0);
}

namespace {

class TDialogForm : public TForm {
  TD_CLASS(TDialogForm, TForm)

 public:
  explicit TDialogForm(TComponent* owner) : TForm(owner) {}
  TCheckBox* Mute = nullptr;
  TRadioButton* Left1 = nullptr;
  TRadioButton* Right1 = nullptr;
  TButton* OkButton = nullptr;
  int clicks = 0;
  void MuteClick(TObject*) { ++clicks; }
};

// The group box has no field: the reader finds its class by name.
const char* const kDialog = R"(
TDialogForm Dialog {
  Left = 100
  Top = 100
  Width = 300
  Height = 200
  Font.Height = -11
  Font.Name = "MS Sans Serif"
  TCheckBox Mute {
    Left = 8
    Top = 8
    Width = 97
    Height = 17
    Alignment = taLeftJustify
    AllowGrayed = true
    Caption = "&Mute"
    State = cbGrayed
    TabOrder = 0
    OnClick = MuteClick
  }
  TGroupBox Side {
    Left = 8
    Top = 32
    Width = 185
    Height = 65
    Caption = "Side"
    TabOrder = 1
    TRadioButton Left1 {
      Left = 8
      Top = 16
      Width = 100
      Height = 17
      Caption = "Left"
      TabOrder = 0
    }
    TRadioButton Right1 {
      Left = 8
      Top = 36
      Width = 100
      Height = 17
      Caption = "Right"
      Checked = true
      TabOrder = 1
    }
  }
  TButton OkButton {
    Left = 200
    Top = 8
    Width = 75
    Height = 25
    Caption = "OK"
    Default = true
    ModalResult = 1
    TabOrder = 2
  }
}
)";

}  // namespace

TEST_F(ButtonsTest, ReadFromADescription) {
  auto* dialog = new TDialogForm(nullptr);
  ReadFormText(kDialog, dialog);
  ASSERT_NE(dialog->Mute, nullptr);
  EXPECT_EQ(dialog->Mute->State(), cbGrayed);
  EXPECT_TRUE(dialog->Mute->AllowGrayed());
  EXPECT_EQ(dialog->Mute->Alignment(), taLeftJustify);
  EXPECT_EQ(dialog->clicks, 0);
  ASSERT_NE(dialog->Right1, nullptr);
  EXPECT_TRUE(dialog->Right1->Checked());
  EXPECT_TRUE(dialog->Right1->TabStop());
  EXPECT_FALSE(dialog->Left1->Checked());
  auto* side = dynamic_cast<TGroupBox*>(dialog->Right1->Parent());
  ASSERT_NE(side, nullptr);
  EXPECT_EQ(side->Caption(), "Side");
  EXPECT_EQ(dialog->Left1->Parent(), side);
  ASSERT_NE(dialog->OkButton, nullptr);
  EXPECT_TRUE(dialog->OkButton->Default());
  EXPECT_EQ(dialog->OkButton->ModalResult(), mrOk);

  dialog->Show();
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(dialog->Mute->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_EQ(SendMessageA(dialog->Right1->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  POINT p = dialog->Mute->ClientToScreen(POINT{90, 8});
  pt::Click(p.x, p.y);
  PumpLikeApplication();
  EXPECT_EQ(dialog->Mute->State(), cbChecked);
  EXPECT_EQ(dialog->clicks, 1);
  delete dialog;
}

TD_IMPLEMENT_CLASS(TDialogForm)
void TDialogForm::Describe(Describer& d) {
  d.Field("Mute", &TDialogForm::Mute);
  d.Field("Left1", &TDialogForm::Left1);
  d.Field("Right1", &TDialogForm::Right1);
  d.Field("OkButton", &TDialogForm::OkButton);
  d.Method("MuteClick", &TDialogForm::MuteClick);
}
