// Pictures in form descriptions: the main window's own glyphs and icon read through the
// form reader, and when a picture declares its "Data" entry worth writing.
#include "classes/reader.h"
#include "tests/classes/value_filer.h"
#include "tests/graphics/bitmap_files.h"
#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

// Stand-ins for the main window and its speed buttons: just the pictures and the font.
class TSpeedButton : public TComponent {
  TD_CLASS(TSpeedButton, TComponent)

 public:
  explicit TSpeedButton(TComponent* owner) : TComponent(owner) {}
  TBitmap* Glyph() { return &glyph_; }
  void SetGlyph(TBitmap* glyph) { glyph_.CopyFrom(glyph); }

 private:
  TBitmap glyph_;
};

class TForm1 : public TComponent {
  TD_CLASS(TForm1, TComponent)

 public:
  explicit TForm1(TComponent* owner) : TComponent(owner) {}
  ~TForm1() override { BeginDestruction(); }
  TFont* Font() { return &font_; }
  void SetFont(TFont* font) { font_.CopyFrom(font); }
  TIcon* Icon() { return &icon_; }
  void SetIcon(TIcon* icon) { icon_.CopyFrom(icon); }
  TSpeedButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr;

 private:
  TFont font_;
  TIcon icon_;
};

TD_IMPLEMENT_CLASS(TSpeedButton)
void TSpeedButton::Describe(Describer& d) {
  d.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
}

TD_IMPLEMENT_CLASS(TForm1)
void TForm1::Describe(Describer& d) {
  d.Property("Font", &TForm1::Font, &TForm1::SetFont);
  d.Property("Icon", &TForm1::Icon, &TForm1::SetIcon);
  d.Field("SpeedButton1", &TForm1::SpeedButton1);
  d.Field("SpeedButton2", &TForm1::SpeedButton2);
  d.Field("SpeedButton3", &TForm1::SpeedButton3);
}

using MainWindowDescription = GraphicsTest;

TEST_F(MainWindowDescription, GlyphsIconAndFontReadThroughTheFormReader) {
  TForm1 form(nullptr);
  {
    TResourceStream stream(GetModuleHandleA(nullptr), "TFORM1", MAKEINTRESOURCEA(10));
    TReader reader(stream, 4096);
    // Everything this stand-in does not know is passed over.
    reader.OnError = [](TReader&, const std::string&, bool& handled) { handled = true; };
    reader.ReadDescription(&form);
  }
  EXPECT_EQ(form.Font()->Height(), -11);
  EXPECT_EQ(form.Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(form.Font()->Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(form.Font()->Color(), clWindowText);

  struct Expected {
    TSpeedButton* button;
    TColor transparent;
    std::uint32_t length;
  };
  for (const Expected& e :
       {Expected{form.SpeedButton2, clOlive, 376}, Expected{form.SpeedButton3, clPurple, 376},
        Expected{form.SpeedButton1, clOlive, 374}}) {
    ASSERT_NE(e.button, nullptr);
    SCOPED_TRACE(e.button->Name());
    TBitmap* glyph = e.button->Glyph();
    EXPECT_EQ(glyph->Width(), 32);
    EXPECT_EQ(glyph->Height(), 16);
    EXPECT_FALSE(glyph->Monochrome());
    EXPECT_FALSE(glyph->HandleAllocated());
    ByteStream written({});
    glyph->WriteStoredData(written);
    const std::vector<std::uint8_t> bytes = written.Bytes();
    ASSERT_EQ(bytes.size(), e.length + 4);
    EXPECT_EQ(bytes[4 + 28], 4);  // bits per pixel
    EXPECT_EQ(glyph->TransparentColor() & 0xFFFFFF, e.transparent);
  }

  ByteStream icon({});
  form.Icon()->WriteStoredData(icon);
  EXPECT_EQ(icon.Size(), 766);
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(form.Icon()->Handle(), &parts));
  BITMAP colour{};
  GetObjectA(parts.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXICON));
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);
}

TEST_F(MainWindowDescription, PicturesDeclareDataWhenItDiffersFromTheAncestor) {
  auto declared = [](TGraphic& graphic, TPersistent* ancestor) {
    ValueFiler filer("", {});
    filer.SetAncestor(ancestor);
    graphic.DeclareStoredData(filer);
    EXPECT_EQ(filer.declared.size(), 1u);
    EXPECT_EQ(filer.declared[0].first, "Data");
    return filer.declared[0].second;
  };
  TBitmap empty, picture, same, other;
  ByteStream file(BitmapFileBytes(DibLayout{}));
  picture.LoadFrom(file);
  same.CopyFrom(&picture);
  DibLayout otherSpec;
  otherSpec.value = [](int, int) { return 7u; };
  ByteStream otherFile(BitmapFileBytes(otherSpec));
  other.LoadFrom(otherFile);
  TFont notAPicture;
  TIcon emptyIcon;

  EXPECT_FALSE(declared(empty, nullptr));
  EXPECT_TRUE(declared(picture, nullptr));
  EXPECT_FALSE(declared(picture, &same));
  EXPECT_TRUE(declared(picture, &other));
  EXPECT_TRUE(declared(picture, &empty));
  EXPECT_FALSE(declared(empty, &emptyIcon));  // both empty
  EXPECT_TRUE(declared(picture, &notAPicture));
}

}  // namespace
}  // namespace graphics_test
