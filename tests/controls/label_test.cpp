// The label: automatic size, alignment, the accelerator underline and the accelerator
// itself, transparency and the disabled look.
#include "controls/label.h"

#include <gtest/gtest.h>

#include "tests/forms/forms_fixture.h"

namespace {

class LabelTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    form->Font()->SetName("MS Sans Serif");
    form->Font()->SetHeight(-11);
    form->SetColor(clBtnFace);
  }
  TLabel* NewLabel(const std::string& caption, RECT bounds = RECT{10, 10, 75, 27}) {
    auto* label = Add<TLabel>(form, bounds);
    label->SetCaption(caption);
    return label;
  }
  // Columns of the label's rectangle (the first `width` ones when given) that hold a
  // pixel of the colour between the two rows.
  std::vector<int> ColumnsWith(TControl* control, COLORREF colour, int fromY, int toY,
                               int width = 0) {
    std::vector<int> columns;
    int end = control->Left() + (width > 0 ? width : control->Width());
    for (int x = control->Left(); x < end; ++x)
      for (int y = fromY; y < toY; ++y)
        if (pt::WindowPixel(form->Handle(), x, y) == colour) {
          columns.push_back(x);
          break;
        }
    return columns;
  }
};

TEST_F(LabelTest, AutoSizeFitsTheCaptionInTheFormFont) {
  TLabel* label = NewLabel("Repeat");
  EXPECT_EQ(label->Width(), 34);
  EXPECT_EQ(label->Height(), 13);

  label->SetCaption("");
  EXPECT_EQ(label->Height(), 13) << "an empty caption keeps one line";
  EXPECT_GT(label->Width(), 0);
  EXPECT_LT(label->Width(), 6) << "the width of a space";

  label->SetCaption("Repeat");
  label->Font()->SetHeight(-22);
  EXPECT_GT(label->Height(), 20) << "a font change refits";
}

TEST_F(LabelTest, WithoutAutoSizeTheBoundsStay) {
  TLabel* label = NewLabel("Repeat");
  label->SetAutoSize(false);
  label->SetBoundsRect(RECT{73, 168, 118, 181});
  label->SetCaption("Sequence mode with a long caption");
  EXPECT_EQ(label->BoundsRect().left, 73);
  EXPECT_EQ(label->Width(), 45);
  EXPECT_EQ(label->Height(), 13);
}

TEST_F(LabelTest, RightJustifiedAutoSizeKeepsTheRightEdge) {
  TLabel* label = NewLabel("Sequence");
  label->SetAlignment(taRightJustify);
  int right = label->Left() + label->Width();
  label->SetCaption("Go");
  EXPECT_LT(label->Width(), 20);
  EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(LabelTest, WordWrapBreaksAtTheCurrentWidth) {
  auto* label = Add<TLabel>(form, RECT{10, 10, 60, 27});
  label->SetAutoSize(false);
  label->SetCaption("one two three four five six");
  label->SetWordWrap(true);
  label->SetAutoSize(true);
  EXPECT_LE(label->Width(), 50);
  EXPECT_GE(label->Height(), 3 * 13) << "several lines";
}

TEST_F(LabelTest, TheAcceleratorIsUnderlinedOnlyWithShowAccelChar) {
  TLabel* label = NewLabel("&Play");
  int withAccel = label->Width();
  pt::PumpUntilIdle();
  // The underline runs in the row below the baseline (ascent 10): look under the text.
  const int underlineRow = label->Top() + 11;
  auto underlined = ColumnsWith(label, RGB(0, 0, 0), underlineRow, underlineRow + 1, 6);
  EXPECT_GE(underlined.size(), 4u) << "the P is underlined";

  label->SetShowAccelChar(false);
  label->SetCaption("&Play ");  // refit with the ampersand now shown
  label->SetCaption("&Play");
  EXPECT_GT(label->Width(), withAccel) << "the ampersand is drawn and measured";
  pt::PumpUntilIdle();
  EXPECT_TRUE(ColumnsWith(label, RGB(0, 0, 0), underlineRow, underlineRow + 1, 6).empty());
}

TEST_F(LabelTest, TypingTheAcceleratorFocusesTheFocusControl) {
  auto* edit = Add<TTestWinControl>(form, RECT{100, 10, 200, 30});
  auto* other = Add<TTestWinControl>(form, RECT{100, 40, 200, 60});
  TLabel* label = NewLabel("&Name");
  label->SetFocusControl(edit);
  other->SetFocus();
  pt::PumpUntilIdle();

  EXPECT_EQ(form->Deliver(FM_DIALOG_CHAR, 'x'), 0);
  EXPECT_EQ(form->Deliver(FM_DIALOG_CHAR, 'N'), 1) << "case is ignored";
  EXPECT_TRUE(edit->Focused());

  other->SetFocus();
  edit->SetEnabled(false);
  EXPECT_EQ(form->Deliver(FM_DIALOG_CHAR, 'n'), 0) << "a disabled target leaves it unhandled";
  edit->SetEnabled(true);
  edit->SetVisible(false);
  EXPECT_EQ(form->Deliver(FM_DIALOG_CHAR, 'n'), 0) << "so does a hidden one";
  edit->SetVisible(true);
  label->SetShowAccelChar(false);
  EXPECT_EQ(form->Deliver(FM_DIALOG_CHAR, 'n'), 0);
  EXPECT_TRUE(other->Focused());

  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr) << "a destroyed focus control is forgotten";
}

TEST_F(LabelTest, AcceleratorRule) {
  EXPECT_FALSE(IsAccelerator('p', "Play"));
  EXPECT_FALSE(IsAccelerator('p', "Play&"));
  EXPECT_TRUE(IsAccelerator('&', "Fish && &Chips")) << "the first ampersand decides";
  EXPECT_FALSE(IsAccelerator('c', "Fish && &Chips"));
  EXPECT_TRUE(IsAccelerator('X', "E&xit"));
}

TEST_F(LabelTest, OpaqueLabelsFillTheirColourTransparentOnesDoNot) {
  TLabel* label = NewLabel("i");
  label->SetAutoSize(false);
  label->SetBoundsRect(RECT{10, 10, 60, 30});
  label->SetColor(clYellow);
  EXPECT_FALSE(label->Transparent());
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(form->Handle(), 50, 25), RGB(255, 255, 0));

  label->SetTransparent(true);
  EXPECT_EQ(label->StyleFlags() & csOpaque, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(form->Handle(), 50, 25), ColorToRGB(clBtnFace));
}

TEST_F(LabelTest, ADisabledLabelDrawsInTheGreyTextColour) {
  TLabel* label = NewLabel("MMMM");
  pt::PumpUntilIdle();
  const int middle = label->Top() + 5;
  EXPECT_FALSE(ColumnsWith(label, ColorToRGB(clWindowText), middle, middle + 3).empty());
  label->SetEnabled(false);
  pt::PumpUntilIdle();
  EXPECT_TRUE(ColumnsWith(label, ColorToRGB(clWindowText), middle, middle + 3).empty());
  EXPECT_FALSE(ColumnsWith(label, ColorToRGB(clGrayText), middle, middle + 3).empty());
}

}  // namespace
