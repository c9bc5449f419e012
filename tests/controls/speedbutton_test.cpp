// Speed buttons: pressing and clicking, groups, accelerators, and what they paint (the
// frame, the glyph of each look, the main window's own glyphs when disabled).
#include "controls/speedbutton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classes/reader.h"
#include "tests/forms/forms_fixture.h"

namespace {

class TButtonLog : public TObject {
 public:
  void Clicked(TObject*) { ++clicks; }
  void DoubleClicked(TObject*) { ++doubleClicks; }
  int clicks = 0;
  int doubleClicks = 0;
};

// A glyph of width x height whose pixels come from colorAt(x, y).
template <class F>
void Draw(TBitmap& bitmap, int width, int height, F colorAt) {
  bitmap.SetWidth(width);
  bitmap.SetHeight(height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.Canvas()->SetPixels(x, y, colorAt(x, y));
}

class SpeedButtonTest : public FormsTest {
 protected:
  TSpeedButton* Button(int left, int top, std::int32_t group = 0) {
    auto* button = Add<TSpeedButton>(form, RECT{left, top, left + 25, top + 25});
    button->SetGroupIndex(group);
    button->OnClick = TNotifyEvent(&log, &TButtonLog::Clicked);
    button->OnDblClick = TNotifyEvent(&log, &TButtonLog::DoubleClicked);
    return button;
  }
  // The button's pixels as the form's window shows them.
  std::vector<COLORREF> Pixels(TControl* button) {
    pt::PumpUntilIdle();
    std::vector<COLORREF> out;
    for (int y = 0; y < button->Height(); ++y)
      for (int x = 0; x < button->Width(); ++x)
        out.push_back(pt::WindowPixel(form->Handle(), button->Left() + x, button->Top() + y));
    return out;
  }
  COLORREF Pixel(TControl* button, int x, int y) {
    return pt::WindowPixel(form->Handle(), button->Left() + x, button->Top() + y);
  }

  TButtonLog log;
};

TEST_F(SpeedButtonTest, ReleasingOutsideDoesNotClick) {
  TSpeedButton* button = Button(10, 10);
  POINT inside = ScreenOf(button, 12, 12);
  POINT outside = ScreenOf(button, 40, 12);
  pt::MouseDown(inside.x, inside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(button->State(), bsDown);
  pt::MouseMove(outside.x, outside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(button->State(), bsUp);  // the look comes back up while the pointer is away
  pt::MouseMove(inside.x, inside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(button->State(), bsDown);
  pt::MouseMove(outside.x, outside.y);
  pt::MouseUp(outside.x, outside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(log.clicks, 0);
  EXPECT_EQ(button->State(), bsUp);
  EXPECT_FALSE(button->Pressing());

  pt::Click(inside.x, inside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(log.clicks, 1);
}

TEST_F(SpeedButtonTest, PressedContentMovesOnePixel) {
  TBitmap glyph;
  Draw(glyph, 16, 16, [](int x, int y) { return x == 0 && y == 0 ? clRed : clOlive; });
  TSpeedButton* button = Button(10, 10);
  button->SetGlyph(&glyph);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pixel(button, 4, 4), ColorToRGB(clRed));  // inner (1, 1, 23, 23), centred
  POINT inside = ScreenOf(button, 12, 12);
  pt::MouseDown(inside.x, inside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pixel(button, 5, 5), ColorToRGB(clRed));
  EXPECT_EQ(Pixel(button, 4, 4), ColorToRGB(clBtnFace));
  pt::MouseUp(inside.x, inside.y);
  pt::PumpUntilIdle();
}

TEST_F(SpeedButtonTest, DoubleClickOfAPlainButtonIsTwoClicks) {
  TSpeedButton* button = Button(10, 10);
  POINT inside = ScreenOf(button, 12, 12);
  pt::DoubleClick(inside.x, inside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(log.clicks, 2);
  EXPECT_EQ(log.doubleClicks, 0);

  TSpeedButton* grouped = Button(40, 10, 3);
  grouped->SetDown(true);
  POINT other = ScreenOf(grouped, 12, 12);
  pt::DoubleClick(other.x, other.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(log.doubleClicks, 1);  // only a button that is down
  EXPECT_TRUE(grouped->Down());
}

TEST_F(SpeedButtonTest, GroupedButtonsStayExclusive) {
  TSpeedButton* first = Button(10, 10, 1);
  TSpeedButton* second = Button(40, 10, 1);
  TSpeedButton* elsewhere = Button(70, 10, 2);
  elsewhere->SetDown(true);
  POINT a = ScreenOf(first, 12, 12);
  POINT b = ScreenOf(second, 12, 12);
  pt::Click(a.x, a.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(first->Down());
  EXPECT_FALSE(second->Down());
  pt::Click(b.x, b.y);
  pt::PumpUntilIdle();
  EXPECT_FALSE(first->Down());
  EXPECT_TRUE(second->Down());
  EXPECT_TRUE(elsewhere->Down());  // another group
  EXPECT_EQ(log.clicks, 2);

  // Clicking the down one again leaves it down, and it keeps looking down.
  std::vector<COLORREF> before = Pixels(second);
  pt::Click(b.x, b.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(second->Down());
  EXPECT_EQ(second->State(), bsExclusive);
  InvalidateRect(form->Handle(), nullptr, TRUE);
  EXPECT_EQ(Pixels(second), before);

  // With AllowAllUp (which the group shares) it comes up.
  first->SetAllowAllUp(true);
  EXPECT_TRUE(second->AllowAllUp());
  pt::Click(b.x, b.y);
  pt::PumpUntilIdle();
  EXPECT_FALSE(second->Down());
  EXPECT_FALSE(first->Down());
}

TEST_F(SpeedButtonTest, DownNeedsAGroup) {
  TSpeedButton* button = Button(10, 10);
  button->SetDown(true);
  EXPECT_FALSE(button->Down());
  button->SetGroupIndex(4);
  button->SetDown(true);
  EXPECT_TRUE(button->Down());
  button->SetDown(false);  // a group that does not allow all up keeps it down
  EXPECT_TRUE(button->Down());

  // Joining a group whose member is down releases that member.
  TSpeedButton* other = Button(40, 10, 5);
  other->SetDown(true);
  button->SetGroupIndex(5);
  EXPECT_FALSE(other->Down());
  EXPECT_TRUE(button->Down());
}

TEST_F(SpeedButtonTest, ExclusiveLookIsDitheredAroundTheGlyph) {
  TBitmap glyph;
  Draw(glyph, 16, 16, [](int, int) { return clOlive; });
  TSpeedButton* button = Button(10, 10, 1);
  button->SetGlyph(&glyph);
  button->SetDown(true);
  pt::PumpUntilIdle();
  // Inside the sunken frame the pattern alternates white and face, and shows through
  // the glyph's transparent pixels.
  for (int x : {3, 10}) {
    COLORREF here = Pixel(button, x, 10);
    COLORREF next = Pixel(button, x + 1, 10);
    EXPECT_NE(here, next) << x;
    for (COLORREF c : {here, next})
      EXPECT_TRUE(c == ColorToRGB(clWhite) || c == ColorToRGB(clBtnFace)) << std::hex << c;
  }
  EXPECT_TRUE(TSpeedButton::HasDitherPattern());
}

TEST_F(SpeedButtonTest, AcceleratorClicksTheEnabledButton) {
  TSpeedButton* button = Button(10, 10);
  button->SetCaption("&Volume");
  EXPECT_EQ(button->Deliver(FM_DIALOG_CHAR, 'v'), 1);
  EXPECT_EQ(button->Deliver(FM_DIALOG_CHAR, 'V'), 1);
  EXPECT_EQ(button->Deliver(FM_DIALOG_CHAR, 'o'), 0);
  EXPECT_EQ(log.clicks, 2);
  button->SetEnabled(false);
  EXPECT_EQ(button->Deliver(FM_DIALOG_CHAR, 'v'), 0);
  button->SetEnabled(true);
  button->SetCaption("Volume&");
  EXPECT_EQ(button->Deliver(FM_DIALOG_CHAR, 'v'), 0);
  EXPECT_EQ(log.clicks, 2);

  // Typed on the form, the character reaches the button through the dialog keys.
  button->SetCaption("&Pause");
  auto* focus = Add<TTestWinControl>(form, RECT{100, 100, 150, 130});
  focus->SetFocus();
  pt::PumpUntilIdle();
  pt::TypeText("p");
  PumpLikeApplication();
  EXPECT_EQ(log.clicks, 3);
  EXPECT_EQ(focus->chars, "");
}

// A stand-in for the main window: just its three speed buttons, read from the program's
// own description.
class TGlyphForm : public TComponent {
  TD_CLASS(TGlyphForm, TComponent)

 public:
  using TComponent::TComponent;
  ~TGlyphForm() override { BeginDestruction(); }
  TSpeedButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr;
};
TD_IMPLEMENT_CLASS(TGlyphForm)
void TGlyphForm::Describe(Describer& d) {
  d.Field("SpeedButton1", &TGlyphForm::SpeedButton1);
  d.Field("SpeedButton2", &TGlyphForm::SpeedButton2);
  d.Field("SpeedButton3", &TGlyphForm::SpeedButton3);
}

TEST_F(SpeedButtonTest, DisabledButtonsShowTheMainWindowsDisabledGlyphs) {
  TGlyphForm holder(nullptr);
  {
    TResourceStream stream(GetModuleHandleA(nullptr), "TFORM1", MAKEINTRESOURCEA(10));
    TReader reader(stream, 4096);
    reader.OnError = [](TReader&, const std::string&, bool& handled) { handled = true; };
    reader.ReadDescription(&holder);
  }
  for (TSpeedButton* button : {holder.SpeedButton1, holder.SpeedButton2, holder.SpeedButton3}) {
    ASSERT_NE(button, nullptr);
    SCOPED_TRACE(button->Name());
    EXPECT_EQ(button->NumGlyphs(), 2);
    EXPECT_NE(button->GlyphHolder()->ImageIndex(bsUp), -1);  // built once loaded
    button->SetParent(form);
    button->SetEnabled(false);
    pt::PumpUntilIdle();
    TBitmap* glyph = button->Glyph();
    const COLORREF transparent = ColorToRGB(glyph->TransparentColor()) & 0xFFFFFF;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        COLORREF source = ColorToRGB(glyph->Canvas()->Pixels(16 + x, y));
        COLORREF expected = source;
        if (source == transparent)
          expected = ColorToRGB(clBtnFace);
        else if (source == 0x808080)
          expected = ColorToRGB(clBtnShadow);
        else if (source == 0xFFFFFF)
          expected = ColorToRGB(clBtnHighlight);
        ASSERT_EQ(Pixel(button, 4 + x, 4 + y), expected) << x << "," << y;
      }
    }
    button->SetEnabled(true);
    pt::PumpUntilIdle();
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        COLORREF source = ColorToRGB(glyph->Canvas()->Pixels(x, y));
        ASSERT_EQ(Pixel(button, 4 + x, 4 + y),
                  source == transparent ? ColorToRGB(clBtnFace) : source)
            << x << "," << y;
      }
    }
    button->SetParent(nullptr);
  }
}

TEST_F(SpeedButtonTest, AGlyphWithoutDisabledImageIsEmbossedFromItsBlackPixels) {
  TBitmap glyph;
  // A black upright bar on olive, with one red pixel.
  Draw(glyph, 16, 16, [](int x, int y) {
    if (x == 8 && y >= 4 && y < 12) return clBlack;
    return x == 2 && y == 2 ? clRed : clOlive;
  });
  TSpeedButton* button = Button(10, 10);
  button->SetGlyph(&glyph);
  EXPECT_EQ(button->NumGlyphs(), 1);
  button->SetEnabled(false);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pixel(button, 4 + 8, 4 + 6), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Pixel(button, 4 + 9, 4 + 7), ColorToRGB(clBtnHighlight));  // edge below right
  EXPECT_EQ(Pixel(button, 4 + 9, 4 + 12), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Pixel(button, 4 + 8, 4 + 12), ColorToRGB(clBtnFace));
  EXPECT_EQ(Pixel(button, 4 + 2, 4 + 2), ColorToRGB(clBtnFace));  // colour is lost
  EXPECT_EQ(Pixel(button, 4 + 7, 4 + 6), ColorToRGB(clBtnFace));
}

TEST_F(SpeedButtonTest, NumGlyphsFollowsTheBitmapsShape) {
  TSpeedButton* button = Button(10, 10);
  TBitmap glyph;
  Draw(glyph, 64, 16, [](int, int) { return clOlive; });
  button->SetGlyph(&glyph);
  EXPECT_EQ(button->NumGlyphs(), 4);
  Draw(glyph, 40, 16, [](int, int) { return clOlive; });
  button->SetGlyph(&glyph);
  EXPECT_EQ(button->NumGlyphs(), 4);  // no multiple: unchanged
  Draw(glyph, 80, 16, [](int, int) { return clOlive; });
  button->SetGlyph(&glyph);
  EXPECT_EQ(button->NumGlyphs(), 1);  // five images are too many
  button->SetNumGlyphs(9);
  EXPECT_EQ(button->NumGlyphs(), 4);
  button->SetNumGlyphs(0);
  EXPECT_EQ(button->NumGlyphs(), 4);
  button->SetMargin(-2);
  EXPECT_EQ(button->Margin(), -1);
  // Changing the glyph in place reaches the button: its images are made again.
  pt::PumpUntilIdle();
  ASSERT_NE(button->GlyphHolder()->List(), nullptr);
  EXPECT_EQ(button->GlyphHolder()->List()->Width(), 20);
  button->Glyph()->SetWidth(32);
  EXPECT_EQ(button->GlyphHolder()->List(), nullptr);
  button->SetNumGlyphs(2);
  pt::PumpUntilIdle();
  ASSERT_NE(button->GlyphHolder()->List(), nullptr);
  EXPECT_EQ(button->GlyphHolder()->List()->Width(), 16);
}

TEST_F(SpeedButtonTest, GlyphListsAreSharedBySizeAndFreedWhenUnused) {
  TBitmap small, large;
  Draw(small, 32, 16, [](int, int) { return clOlive; });
  Draw(large, 20, 20, [](int, int) { return clOlive; });
  TSpeedButton* a = Button(10, 10);
  TSpeedButton* b = Button(40, 10);
  TSpeedButton* c = Button(70, 10);
  a->SetGlyph(&small);
  b->SetGlyph(&small);
  c->SetGlyph(&large);
  pt::PumpUntilIdle();
  ASSERT_NE(GlyphCache(), nullptr);
  EXPECT_EQ(a->GlyphHolder()->List(), b->GlyphHolder()->List());
  EXPECT_NE(a->GlyphHolder()->List(), c->GlyphHolder()->List());
  EXPECT_EQ(GlyphCache()->ListCount(), 2);
  const int slotOfB = b->GlyphHolder()->ImageIndex(bsUp);

  // A freed slot is handed out again.
  delete b;
  TSpeedButton* d = Button(100, 10);
  d->SetGlyph(&small);
  pt::PumpUntilIdle();
  EXPECT_EQ(d->GlyphHolder()->ImageIndex(bsUp), slotOfB);

  delete c;
  EXPECT_EQ(GlyphCache()->ListCount(), 1);
  delete a;
  delete d;
  EXPECT_EQ(TSpeedButton::LiveCount(), 0);
  EXPECT_EQ(GlyphCache(), nullptr);
  EXPECT_FALSE(TSpeedButton::HasDitherPattern());
}

}  // namespace
