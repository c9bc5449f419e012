#include <gtest/gtest.h>

#include "tests/support/messages.h"
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "classes/lists.h"
#include "classes/streams.h"
#include "platform/win32.h"

namespace {

// A scratch folder reached by its Windows name through the default drive table.
class FileStreams : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "td-classes-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    windowsRoot_ = platform::HostToWindowsPath(root_.string());
    ASSERT_FALSE(windowsRoot_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::string Name(const std::string& file) const { return windowsRoot_ + "\\" + file; }
  std::string HostContent(const std::string& file) const {
    std::ifstream in(root_ / file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path root_;
  std::string windowsRoot_;
};

TEST_F(FileStreams, CreateWriteReopenRead) {
  {
    TFileStream out(Name("a.bin"), fmCreate);
    out.WriteBuffer("hello world", 11);
    EXPECT_EQ(out.Size(), 11);
    EXPECT_EQ(out.Position(), 11);
  }
  EXPECT_EQ(HostContent("a.bin"), "hello world");
  {
    TFileStream in(Name("A.BIN"), fmOpenRead | fmShareDenyNone);
    in.SetPosition(6);
    char buffer[16] = {};
    EXPECT_EQ(in.Read(buffer, 16), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(in.Read(buffer, 16), 0);
    EXPECT_EQ(in.Write("x", 1), 0);  // opened for reading only
    EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);
    EXPECT_EQ(in.Read(buffer, -5), 0);
    // Replacing needs the file to itself.
    EXPECT_THROW(TFileStream(Name("a.bin"), fmCreate), EFCreateError);
  }
  {
    TFileStream again(Name("a.bin"), fmCreate);  // replaces
  }
  EXPECT_EQ(HostContent("a.bin"), "");
}

TEST_F(FileStreams, FailuresNameTheFile) {
  const std::string missing = Name("missing.txt");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream s(missing, fmOpenRead); }),
            "Cannot open file " + missing);
  const std::string nowhere = Name("no\\such\\dir.txt");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream s(nowhere, fmCreate); }),
            "Cannot create file " + nowhere);
  { TFileStream make(Name("f.txt"), fmCreate); }
  // Modes outside the defined values open nothing.
  EXPECT_THROW(TFileStream(Name("f.txt"), 0x0003), EFOpenError);
  EXPECT_THROW(TFileStream(Name("f.txt"), 0x0050), EFOpenError);
  EXPECT_THROW(TFileStream(Name("f.txt"), 0x0100), EFOpenError);
}

TEST_F(FileStreams, SharingModesAreEnforced) {
  { TFileStream make(Name("s.txt"), fmCreate); }
  TFileStream first(Name("s.txt"), fmOpenRead | fmShareDenyWrite);
  EXPECT_NO_THROW(TFileStream(Name("s.txt"), fmOpenRead | fmShareDenyNone));
  EXPECT_THROW(TFileStream(Name("s.txt"), fmOpenWrite | fmShareDenyNone), EFOpenError);
  TFileStream exclusive(Name("x.txt"), fmCreate);
  EXPECT_THROW(TFileStream(Name("x.txt"), fmOpenRead | fmShareDenyNone), EFOpenError);
}

TEST_F(FileStreams, StringListsSaveAndLoadFiles) {
  TStringList list;
  list.SetText("first\nsecond");
  list.SaveToFile(Name("list.txt"));
  EXPECT_EQ(HostContent("list.txt"), "first\r\nsecond\r\n");
  TStringList loaded;
  loaded.LoadFromFile(Name("list.txt"));
  EXPECT_TRUE(loaded.Equals(list));
  EXPECT_THROW(loaded.LoadFromFile(Name("none.txt")), EFOpenError);
  EXPECT_EQ(loaded.Count(), 2);  // a failed load keeps the list
}

}  // namespace
