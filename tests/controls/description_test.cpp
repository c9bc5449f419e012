// The published properties and events of the standard controls, read from a form
// description as the main window's are.
#include <gtest/gtest.h>

#include "controls/label.h"
#include "controls/listbox.h"
#include "controls/menus.h"
#include "controls/timer.h"
#include "controls/trackbar.h"
#include "tests/controls/form_text.h"
#include "tests/forms/forms_fixture.h"

namespace {

class TDescribedForm : public TForm {
  TD_CLASS(TDescribedForm, TForm)

 public:
  explicit TDescribedForm(TComponent* owner) : TForm(owner) {}
  TLabel* Label1 = nullptr;
  TTimer* Timer2 = nullptr;
  TTrackBar* Bar1 = nullptr;
  TListBox* List1 = nullptr;
  TComboBox* Combo1 = nullptr;
  TPopupMenu* Popup1 = nullptr;
  int ticks = 0;
  int clicks = 0;
  void Timer2Timer(TObject*) { ++ticks; }
  void List1Click(TObject*) { ++clicks; }
};

const char* const kDescription = R"(
TDescribedForm Form1 {
  Left = 100
  Top = 100
  Width = 400
  Height = 300
  Font.Height = -11
  Font.Name = "MS Sans Serif"
  TLabel Label1 {
    Left = 73
    Top = 168
    Width = 45
    Height = 13
    AutoSize = false
    Caption = "Repeat"
    PopupMenu = Popup1
  }
  TListBox List1 {
    Left = 120
    Top = 0
    Width = 145
    Height = 100
    ItemHeight = 16
    Items.Strings = ("pear" "apple" "fig")
    Sorted = true
    TabOrder = 1
    OnClick = List1Click
  }
  TComboBox Combo1 {
    Left = 120
    Top = 110
    Width = 145
    Height = 21
    Style = cbsDropDownList
    Items.Strings = ("one" "two")
    TabOrder = 2
  }
  TTrackBar Bar1 {
    Left = 0
    Top = 200
    Width = 121
    Height = 41
    DragMode = dmAutomatic
    Orientation = trHorizontal
    Frequency = 50
    Position = 0
    SelEnd = 0
    SelStart = 0
    TabOrder = 5
    TickMarks = tmBoth
    TickStyle = tsAuto
  }
  TPopupMenu Popup1 {
  }
  TTimer Timer2 {
    Left = 112
    Top = 32
    Enabled = false
    Interval = 50
    OnTimer = Timer2Timer
  }
}
)";

using Described = FormsTest;

TEST_F(Described, TheStandardControlsReadTheirStoredProperties) {
  auto* described = new TDescribedForm(nullptr);
  ReadFormText(kDescription, described);

  ASSERT_NE(described->Label1, nullptr);
  EXPECT_EQ(described->Label1->Caption(), "Repeat");
  EXPECT_FALSE(described->Label1->AutoSize());
  EXPECT_EQ(described->Label1->Width(), 45) << "the stored size stays";
  EXPECT_EQ(described->Label1->PopupMenu(), described->Popup1);

  ASSERT_NE(described->List1, nullptr);
  EXPECT_TRUE(described->List1->Sorted());
  EXPECT_EQ(described->List1->Items()->Text(), "apple\r\nfig\r\npear\r\n");
  described->List1->OnClick(described->List1);
  EXPECT_EQ(described->clicks, 1);

  ASSERT_NE(described->Combo1, nullptr);
  EXPECT_EQ(described->Combo1->Style(), cbsDropDownList);
  EXPECT_EQ(described->Combo1->Items()->Count(), 2);

  ASSERT_NE(described->Bar1, nullptr);
  EXPECT_EQ(described->Bar1->Frequency(), 50);
  EXPECT_EQ(described->Bar1->TickMarks(), tmBoth);
  EXPECT_EQ(described->Bar1->DragMode(), dmAutomatic);
  EXPECT_EQ(described->Bar1->Width(), 121);

  ASSERT_NE(described->Timer2, nullptr);
  EXPECT_FALSE(described->Timer2->Enabled());
  EXPECT_EQ(described->Timer2->Interval(), 50u);
  pt::AdvanceTime(200);
  EXPECT_EQ(described->ticks, 0) << "stored disabled: no timer until Enabled";
  described->Timer2->SetEnabled(true);
  pt::AdvanceTime(200);
  EXPECT_EQ(described->ticks, 4);
  delete described;
}

}  // namespace

TD_IMPLEMENT_CLASS(TDescribedForm)
void TDescribedForm::Describe(Describer& d) {
  d.Field("Label1", &TDescribedForm::Label1);
  d.Field("Timer2", &TDescribedForm::Timer2);
  d.Field("Bar1", &TDescribedForm::Bar1);
  d.Field("List1", &TDescribedForm::List1);
  d.Field("Combo1", &TDescribedForm::Combo1);
  d.Field("Popup1", &TDescribedForm::Popup1);
  d.Method("Timer2Timer", &TDescribedForm::Timer2Timer);
  d.Method("List1Click", &TDescribedForm::List1Click);
}
