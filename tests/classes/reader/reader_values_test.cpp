// Property values of every kind, paths, events and stored-data entries.
#include <gtest/gtest.h>

#include "runtime/exceptions.h"
#include "tests/classes/reader/test_components.h"

namespace reader_test {
namespace {

// Reads "TForm1 Form1 { <body> }" into a new form.
class ReaderValues : public ::testing::Test {
 protected:
  void Read(const std::string& body, const std::function<void(TReader&)>& configure = {}) {
    ReadBytes(FormBytes("TForm1 Form1 {\n" + body + "\n}\n"), &form, configure);
  }
  std::string ErrorOf(const std::string& body) {
    try {
      Read(body);
    } catch (const EReadError& e) {
      return e.Message();
    }
    return "no error";
  }
  LookupScope lookup;
  TForm1 form{nullptr};
};

TEST_F(ReaderValues, IntegersOfEveryTagAndIdentifiersThroughTheTypesMapper) {
  Read("Left = -5\nTop = 300\nWidth = 100000\nFont.Color = clWindowText\nFont.Charset = DEFAULT_CHARSET\n"
       "Tiny = -128\nShortCut = 0xFFFF\nInterval = 0xFFFFFFFF");
  EXPECT_EQ(form.Left, -5);
  EXPECT_EQ(form.Top, 300);
  EXPECT_EQ(form.Width, 100000);
  EXPECT_EQ(form.Font()->Color, static_cast<std::int32_t>(0x80000008u));
  EXPECT_EQ(form.Font()->Charset, 1);
  EXPECT_EQ(form.Tiny, -128);
  EXPECT_EQ(form.ShortCut, 0xFFFF);  // stored as 16-bit -1, kept at the property's width
  EXPECT_EQ(form.Interval, 0xFFFFFFFFu);

  // A mapper is used only for its own type, and only when it knows the name.
  EXPECT_EQ(ErrorOf("Font.Color = DEFAULT_CHARSET"), "Error reading Form1.Font.Color: Invalid property value");
  EXPECT_EQ(ErrorOf("Left = clWindowText"), "Error reading Form1.Left: Invalid property value");
  EXPECT_EQ(ErrorOf("Left = \"5\""), "Error reading Form1.Left: Invalid property value");
}

TEST_F(ReaderValues, EnumerationsBooleansAndCharacters) {
  Read("DragMode = DMAUTOMATIC\nOrientation = trHorizontal\nVisible = false\nChecked = true\nLetter = \"x\"");
  EXPECT_EQ(form.DragMode, dmAutomatic);
  EXPECT_EQ(form.Orientation, trHorizontal);
  EXPECT_FALSE(form.Visible);
  EXPECT_TRUE(form.Checked);
  EXPECT_EQ(form.Letter, 'x');
  EXPECT_EQ(ErrorOf("DragMode = dmSideways"), "Error reading Form1.DragMode: Invalid property value");
  EXPECT_EQ(ErrorOf("Visible = 1"), "Error reading Form1.Visible: Invalid property value");
  EXPECT_EQ(ErrorOf("Letter = \"xy\""), "Error reading Form1.Letter: Invalid property value");
}

TEST_F(ReaderValues, FloatsKeepTheExtendedPayloadExactly) {
  Read("Precise = 0.1\nRatio = -2.5\nSmall = 3");
  EXPECT_EQ(form.Precise, 0.1L);
  EXPECT_EQ(form.Ratio, -2.5);
  EXPECT_EQ(form.Small, 3.0f);
  EXPECT_EQ(ErrorOf("Ratio = \"1\""), "Error reading Form1.Ratio: Invalid property value");
}

TEST_F(ReaderValues, ShortAndLongStringsAndTheShortStringsLimit) {
  std::string text(300, 'a');
  Read("Caption = \"" + text.substr(0, 200) + "\" + \"" + text.substr(200) + "\"\nLabel = \"abcdefghijk\"\nMask = \"\"");
  EXPECT_EQ(form.Caption, text);
  EXPECT_EQ(form.Label, "abcdefgh");
  EXPECT_EQ(form.Mask, "");
}

TEST_F(ReaderValues, SetsSetTheirBitsAndRefuseUnknownElements) {
  Read("Options = [fsBold, FSUNDERLINE]\nFont.Style = []");
  EXPECT_EQ(form.Options.Bits(), 0b101u);
  EXPECT_TRUE(form.Font()->Style.Empty());
  EXPECT_EQ(ErrorOf("Options = [fsBold, fsHuge, fsItalic]"), "Error reading Form1.Options: Invalid property value");
}

TEST_F(ReaderValues, PathsGoThroughPersistentSubObjectsOnly) {
  Read("Font.Name = \"MS Sans Serif\"\nFont.Height = -11");
  EXPECT_EQ(form.Font()->Name, "MS Sans Serif");
  EXPECT_EQ(form.Font()->Height, -11);
  EXPECT_EQ(ErrorOf("Bogus.Name = \"x\""), "Error reading Form1.Bogus.Name: Property does not exist");
  EXPECT_EQ(ErrorOf("Font.Bogus = 1"), "Error reading Form1.Font.Bogus: Property does not exist");
  EXPECT_EQ(ErrorOf("Caption.Length = 1"), "Error reading Form1.Caption.Length: Invalid property path");
  EXPECT_EQ(ErrorOf("Fixed = 1"), "Error reading Form1.Fixed: Property is read-only");
}

TEST_F(ReaderValues, EventsBindToTheRootsMethodsOfTheSameSignature) {
  Read("OnClick = speedbutton1click\nOnKeyPress = FileListKeyPress\nOnDragOver = Bar1DragOver");
  form.OnClick(&form);
  char key = 'k';
  form.OnKeyPress(&form, key);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"SpeedButton1Click", "FileListKeyPress k"}));
  EXPECT_EQ(form.OnDragOver.Object(), &form);

  Read("OnClick = nil");
  EXPECT_FALSE(form.OnClick);
  EXPECT_EQ(ErrorOf("OnClick = NoSuchHandler"), "Error reading Form1.OnClick: Invalid property value");
  EXPECT_EQ(ErrorOf("OnClick = FileListKeyPress"), "Error reading Form1.OnClick: Invalid property value");
  EXPECT_EQ(ErrorOf("OnClick = \"SpeedButton1Click\""), "Error reading Form1.OnClick: Invalid property value");
}

TEST_F(ReaderValues, FindHandlerHookMaySupplyOrWaiveAHandler) {
  std::vector<std::string> asked;
  Read("OnClick = Elsewhere\nOnDblClick = Ignored", [&](TReader& reader) {
    reader.OnFindMethod = [&](TReader&, const std::string& name, TMethod& handler, bool& notFound) {
      asked.push_back(name);
      if (name == "Elsewhere") handler = TNotifyEvent(&form, &TForm1::Exit1Click).ToMethod();
      notFound = false;  // "Ignored": found nothing, but no error either
    };
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"Elsewhere", "Ignored"}));
  form.OnClick(&form);
  EXPECT_EQ(form.calls, std::vector<std::string>{"Exit1Click"});
  EXPECT_FALSE(form.OnDblClick);
}

TEST_F(ReaderValues, StoredDataEntriesAndBinaryDataAtPositionZero) {
  Read("Extra = 42\nGlyph.Data = hex(\"04000000 424D0102\")\nLeft = 3");
  EXPECT_EQ(form.Stored, 42);
  EXPECT_EQ(form.Glyph()->Data, (std::vector<std::uint8_t>{4, 0, 0, 0, 'B', 'M', 1, 2}));
  EXPECT_EQ(form.Glyph()->streamPositionAtRead, 0);
  EXPECT_EQ(form.Left, 3);
  EXPECT_EQ(ErrorOf("Glyph.Data = \"BM\""), "Error reading Form1.Glyph.Data: Invalid property value");
  EXPECT_EQ(ErrorOf("Extra = \"x\""), "Error reading Form1.Extra: Invalid property value");
}

TEST_F(ReaderValues, CollectionsAddItemsUpToTheStoredIndexAndAnnounceOnce) {
  Read("Columns = <\n item {\n Title = \"a\"\n }\n item 3 {\n Width = 30\n }\n item {\n Width = 40\n }\n>");
  TTestCollection& columns = *form.Columns();
  ASSERT_EQ(columns.Count(), 5);
  EXPECT_EQ(static_cast<TTestItem*>(columns.Items(0))->Title, "a");
  EXPECT_EQ(static_cast<TTestItem*>(columns.Items(3))->Width, 30);
  EXPECT_EQ(static_cast<TTestItem*>(columns.Items(4))->Width, 40);
  EXPECT_EQ(columns.changes, 1);
  EXPECT_EQ(columns.UpdateCount(), 0);

  EXPECT_EQ(ErrorOf("Columns = <\n item {\n Nope = 1\n }\n>"),
            "Error reading Form1.Columns: Error reading TTestItem.Nope: Property does not exist");
  EXPECT_EQ(columns.UpdateCount(), 0);  // lowered again on the error
  EXPECT_EQ(ErrorOf("Menu = <\n>"), "Error reading Form1.Menu: Invalid property value");
}

TEST_F(ReaderValues, ErrorHookSwallowsPropertyErrorsAndReadingGoesOn) {
  std::vector<std::string> reported;
  auto swallow = [&](TReader& reader) {
    reader.OnError = [&](TReader&, const std::string& message, bool& handled) {
      reported.push_back(message);
      handled = true;
    };
  };
  // Every refused value is consumed whole, so the next property is found where it belongs.
  Read("Bogus = [a, b]\nLeft = \"x\"\nFixed = (1 2)\nLetter = \"long\"\nBad.Path = <\n item {\n W = 1\n }\n>\n"
       "Options = [fsBold, nope, fsItalic]\nOnClick = Missing\nTop = 9",
       swallow);
  EXPECT_EQ(form.Top, 9);
  EXPECT_EQ(reported.size(), 7u);
  EXPECT_EQ(reported[0], "Error reading Form1.Bogus: Property does not exist");

  // Errors inside a stored-data entry cannot be passed over: its reader consumed an
  // unknown part of the value.
  reported.clear();
  EXPECT_THROW(Read("Glyph.Data = 12\nTop = 1", swallow), EReadError);
  EXPECT_TRUE(reported.empty());
}

}  // namespace
}  // namespace reader_test
