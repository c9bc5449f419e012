// Damaged descriptions: every one fails with the reader's error and leaves nothing behind.
#include <gtest/gtest.h>

#include "platform/resources.h"
#include "runtime/exceptions.h"
#include "tests/classes/reader/test_components.h"

namespace reader_test {
namespace {

std::vector<std::uint8_t> MainWindowBytes() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, "TFORM1", MAKEINTRESOURCEA(10));
  EXPECT_NE(info, nullptr);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, info)));
  return std::vector<std::uint8_t>(data, data + SizeofResource(module, info));
}

// The message of the EReadError a read fails with, or what went wrong instead.
std::string ReadError(const std::vector<std::uint8_t>& bytes, bool createRoot = false) {  // NOLINT
  try {
    if (createRoot) {
      delete ReadBytes(bytes, nullptr);
    } else {
      TForm1 form(nullptr);
      ReadBytes(bytes, &form);
    }
  } catch (const EReadError& e) {
    return e.Message();
  } catch (const Exception& e) {
    return std::string("unexpected ") + e.ClassName() + ": " + e.Message();
  }
  return "no error";
}

class ReaderMalformed : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestMappers(); }
  LookupScope lookup;
};

TEST_F(ReaderMalformed, EmptyStreamAndWrongSignature) {
  EXPECT_EQ(ReadError({}), "Stream read error");
  EXPECT_EQ(ReadError({'T', 'P', 'F'}), "Stream read error");
  EXPECT_EQ(ReadError({'T', 'P', 'F', '1', 6, 'T'}), "Invalid stream format");
  EXPECT_EQ(ReadError({'t', 'p', 'f', '0'}), "Invalid stream format");
}

TEST_F(ReaderMalformed, EveryTruncationOfTheMainWindowFailsWithStreamReadError) {
  const std::vector<std::uint8_t> whole = MainWindowBytes();
  ASSERT_GT(whole.size(), 3000u);
  EXPECT_EQ(ReadError(whole), "no error");
  const std::string readError = "Stream read error";
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    std::string message = ReadError(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
    // Inside a property the message is wrapped: "Error reading <name>.<path>: Stream read error".
    bool plain = message == readError;
    bool wrapped = message.rfind("Error reading ", 0) == 0 && message.size() > readError.size() &&
                   message.compare(message.size() - readError.size(), readError.size(), readError) == 0;
    ASSERT_TRUE(plain || wrapped) << "cut at " << cut << ": " << message;
  }
}

TEST_F(ReaderMalformed, LengthsThatLieFailWithoutClaimingTheirSize) {
  auto withValue = [](std::vector<std::uint8_t> value) {
    std::vector<std::uint8_t> bytes = FormBytes("TForm1 Form1 {\n}");
    std::vector<std::uint8_t> property = {4, 'M', 'a', 's', 'k'};
    if (value[0] == 10) property = {10, 'G', 'l', 'y', 'p', 'h', '.', 'D', 'a', 't', 'a'};
    property.insert(property.end(), value.begin(), value.end());
    bytes.insert(bytes.end() - 2, property.begin(), property.end());
    return bytes;
  };
  EXPECT_EQ(ReadError(withValue({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'})), "Error reading Form1.Mask: Stream read error");
  EXPECT_EQ(ReadError(withValue({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})), "Error reading Form1.Mask: Stream read error");
  EXPECT_EQ(ReadError(withValue({10, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2})), "Error reading Form1.Glyph.Data: Stream read error");
  EXPECT_EQ(ReadError(withValue({6, 200, 'a'})), "Error reading Form1.Mask: Stream read error");
  // A tag the format does not know.
  EXPECT_EQ(ReadError(withValue({15, 0, 0})), "Error reading Form1.Mask: Invalid property value");
}

TEST_F(ReaderMalformed, DeepNestingIsRefusedInsteadOfExhaustingTheStack) {
  std::vector<std::uint8_t> bytes = FormBytes("TForm1 Form1 {\n}");
  bytes.resize(bytes.size() - 2);
  std::vector<std::uint8_t> bogus = {5, 'B', 'o', 'g', 'u', 's'};
  bytes.insert(bytes.end(), bogus.begin(), bogus.end());
  bytes.insert(bytes.end(), 100000, 1);  // lists in lists
  bytes.insert(bytes.end(), 100000, 0);
  EXPECT_EQ(ReadError(bytes), "Error reading Form1.Bogus: Invalid stream format");

  std::vector<std::uint8_t> objects = FormBytes("TForm1 Form1 {\n}");
  objects.resize(objects.size() - 1);  // the root's children follow
  const std::vector<std::uint8_t> label = {6, 'T', 'L', 'a', 'b', 'e', 'l', 0, 0};
  for (int i = 0; i < 50000; ++i) objects.insert(objects.end(), label.begin(), label.end());
  objects.insert(objects.end(), 100001, 0);
  EXPECT_EQ(ReadError(objects), "Invalid stream format");
}

TEST_F(ReaderMalformed, SkippingPassesOverEveryKindOfValueWhole) {
  // Unknown properties of every tag are skipped through the error hook; the last
  // property must still be read.
  const char* values[] = {"1", "300", "100000", "1.5", "\"s\"", "ident", "false", "true", "hex(\"0102\")",
                          "[a, b]", "nil", "(1 \"x\" (2 [c]) <\n item 2 {\n W = 1\n }\n>)",
                          "<\n item {\n A = (1 2)\n B = \"x\"\n }\n item 7 {\n }\n>"};
  std::string body;
  for (const char* value : values) body += "Unknown = " + std::string(value) + "\n";
  body += "Mask = \"" + std::string(300, 'm') + "\"\nUnknown = \"" + std::string(300, 'l') + "\"\nTop = 5\n";
  TForm1 form(nullptr);
  int reported = 0;
  ReadBytes(FormBytes("TForm1 Form1 {\n" + body + "}"), &form, [&](TReader& reader) {
    reader.OnError = [&](TReader&, const std::string&, bool& handled) {
      ++reported;
      handled = true;
    };
  });
  EXPECT_EQ(reported, 14);
  EXPECT_EQ(form.Top, 5);
  EXPECT_EQ(form.Mask.size(), 300u);
}

TEST_F(ReaderMalformed, ReaderReturnsWhatItBufferedButDidNotUse) {
  std::vector<std::uint8_t> bytes = FormBytes("TForm1 Form1 {\n Left = 1\n}");
  const std::int32_t end = static_cast<std::int32_t>(bytes.size());
  bytes.insert(bytes.end(), {'t', 'a', 'i', 'l'});
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  TForm1 form(nullptr);
  ReadStreamDescription(stream, &form);
  EXPECT_EQ(stream.Position(), end);
  EXPECT_EQ(form.Left, 1);
}

}  // namespace
}  // namespace reader_test
