// Forms read from descriptions: properties, children placed in their parents, the stored
// tab order, and the scaling to the font measured on this screen.
#include "classes/reader.h"
#include "classes/streams.h"
#include "forms_fixture.h"

// The resource compiler is a build tool; its sources are compiled in to make the bytes.
#include "tools/rescomp/bytes.cpp"
#include "tools/rescomp/form.cpp"
#include "tools/rescomp/pixmap.cpp"
#include "tools/rescomp/strings.cpp"

namespace {

class TTestBox : public TGraphicControl {
  TD_CLASS(TTestBox, TGraphicControl)

 public:
  explicit TTestBox(TComponent* owner) : TGraphicControl(owner) {}
};
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTestBox)

class TTestEdit : public TWinControl {
  TD_CLASS(TTestEdit, TWinControl)

 public:
  explicit TTestEdit(TComponent* owner) : TWinControl(owner) {}
};
TD_IMPLEMENT_CLASS(TTestEdit)
void TTestEdit::Describe(Describer& d) {
  d.Property("TabOrder", &TTestEdit::TabOrder, &TTestEdit::SetTabOrder);
}

class TDescribedForm : public TForm {
  TD_CLASS(TDescribedForm, TForm)

 public:
  explicit TDescribedForm(TComponent* owner) : TForm(owner) {}
  TTestBox* Box1 = nullptr;
};
TD_IMPLEMENT_CLASS(TDescribedForm)
void TDescribedForm::Describe(Describer& d) { d.Field("Box1", &TDescribedForm::Box1); }

class FormDescriptions : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterStreamClass(&TTestEdit::StaticClass());
  }
  void TearDown() override {
    UnregisterStreamClass(&TTestEdit::StaticClass());
    FormsTest::TearDown();
  }
  void Read(TForm* target, const std::string& text) {
    std::vector<std::uint8_t> bytes = rescomp::CompileFormText(text, ".", "test");
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    ReadStreamDescription(stream, target);
  }
  int MeasuredTextHeight(TFont* font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    SIZE size{};
    GetTextExtentPoint32A(dc, "0", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cy;
  }
};

}  // namespace

TEST_F(FormDescriptions, ChildrenArePlacedAndTabOrdersAppliedAfterReading) {
  TDescribedForm described(nullptr);
  Read(&described,
       "TDescribedForm DescribedForm {\n"
       "  Caption = \"Described\"\n"
       "  Font.Height = -11\n"
       "  PixelsPerInch = 96\n"
       "  TextHeight = 13\n"
       "  TTestBox Box1 {\n    Left = 8\n    Top = 16\n    Width = 40\n    Height = 20\n  }\n"
       "  TTestEdit Edit1 {\n    TabOrder = 2\n  }\n"
       "  TTestEdit Edit2 {\n    TabOrder = 0\n  }\n"
       "  TTestEdit Edit3 {\n    TabOrder = 1\n  }\n"
       "}\n");
  EXPECT_EQ(described.Caption(), "Described");
  ASSERT_NE(described.Box1, nullptr);
  EXPECT_EQ(described.Box1->Parent(), &described);
  EXPECT_EQ(described.Box1->BoundsRect().left, 8);
  EXPECT_EQ(described.Box1->Font()->Height(), -11) << "the parent's font, applied after reading";
  auto* edit1 = static_cast<TWinControl*>(described.FindOwned("Edit1"));
  auto* edit2 = static_cast<TWinControl*>(described.FindOwned("Edit2"));
  auto* edit3 = static_cast<TWinControl*>(described.FindOwned("Edit3"));
  EXPECT_EQ(edit2->TabOrder(), 0);
  EXPECT_EQ(edit3->TabOrder(), 1);
  EXPECT_EQ(edit1->TabOrder(), 2);
}

TEST_F(FormDescriptions, ChildrenScaleByTheTextHeightMeasuredHere) {
  TDescribedForm described(nullptr);
  Read(&described,
       "TDescribedForm DescribedForm {\n"
       "  Font.Height = -14\n"
       "  PixelsPerInch = 96\n"
       "  TextHeight = 13\n"
       "  TTestBox Box1 {\n    Left = 13\n    Top = 26\n    Width = 39\n    Height = 13\n  }\n"
       "}\n");
  int measured = MeasuredTextHeight(described.Font());
  ASSERT_NE(measured, 13) << "the test needs a font that measures differently";
  auto scaled = [&](int v) { return (v * measured + 6) / 13; };
  EXPECT_EQ(described.Box1->Left(), scaled(13));
  EXPECT_EQ(described.Box1->Top(), scaled(26));
  EXPECT_EQ(described.Box1->Width(), scaled(13 + 39) - scaled(13));
  EXPECT_EQ(described.Box1->Height(), scaled(26 + 13) - scaled(26));
  EXPECT_EQ(described.TextHeight(), measured);
}

TEST_F(FormDescriptions, StoredClientSizeAndScrollBarsScaleWithTheRestAndWaitForTheWindow) {
  TDescribedForm described(nullptr);
  described.SetAutoScroll(false);
  described.VertScrollBar()->SetRange(100);  // as an ancestor's description left it
  Read(&described,
       "TDescribedForm DescribedForm {\n"
       "  Font.Height = -14\n"
       "  PixelsPerInch = 96\n"
       "  TextHeight = 13\n"
       "  ClientWidth = 260\n"
       "  ClientHeight = 130\n"
       "}\n");
  EXPECT_FALSE(described.HasWindow()) << "reading made no window";
  int measured = MeasuredTextHeight(described.Font());
  ASSERT_NE(measured, 13);
  auto scaled = [&](int v) { return (v * measured + 6) / 13; };
  EXPECT_EQ(described.VertScrollBar()->Range(), scaled(100));
  described.Show();
  pt::PumpUntilIdle();
  EXPECT_EQ(described.ClientWidth(), scaled(260));
  EXPECT_EQ(described.ClientHeight(), scaled(130));
}

TEST_F(FormDescriptions, IsControlIsReadFromTheDescription) {
  TDescribedForm described(nullptr);
  Read(&described,
       "TDescribedForm DescribedForm {\n"
       "  TextHeight = 13\n"
       "  IsControl = true\n"
       "  TTestBox Box1 {\n    IsControl = true\n  }\n"
       "  TTestEdit Edit1 {\n    IsControl = false\n  }\n"
       "}\n");
  EXPECT_TRUE(described.IsControl());
  EXPECT_TRUE(described.Box1->IsControl());
  EXPECT_FALSE(static_cast<TControl*>(described.FindOwned("Edit1"))->IsControl());
}
