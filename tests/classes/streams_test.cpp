#include "classes/streams.h"

#include <gtest/gtest.h>

#include "tests/support/messages.h"

#include <cstring>
#include <limits>
#include <vector>

#include "platform/win32.h"

namespace {

TEST(MemoryStream, CapacityGrowsInSteps) {
  TMemoryStream s;
  char byte = 'x';
  EXPECT_EQ(s.Write(&byte, 1), 1);
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(s.Size(), 1);
  std::vector<char> block(8192, 'y');
  EXPECT_EQ(s.Write(block.data(), 8192), 8192);
  EXPECT_EQ(s.Size(), 8193);
  EXPECT_EQ(s.Capacity(), 16384);
  s.Clear();
  EXPECT_EQ(s.Capacity(), 0);
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, SizeLeavesPositionAndSeekDoesNotClamp) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.SetPosition(2);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.Seek(-10, soFromCurrent), -8);
  char c = 0;
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_EQ(s.Write(&c, 1), 0);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Seek(-1, soFromEnd), 5);
  EXPECT_EQ(s.Read(&c, 1), 1);
  EXPECT_EQ(c, 'f');
}

TEST(MemoryStream, WritePastTheEndLeavesAGap) {
  TMemoryStream s;
  s.WriteBuffer("ab", 2);
  s.Seek(10, soFromEnd);
  s.WriteBuffer("z", 1);
  EXPECT_EQ(s.Size(), 13);
  EXPECT_EQ(static_cast<const char*>(s.Memory())[12], 'z');
}

TEST(MemoryStream, ReadsStopAtTheEnd) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  s.SetPosition(3);
  char buffer[8] = {};
  EXPECT_EQ(s.Read(buffer, 8), 2);
  EXPECT_STREQ(buffer, "lo");
  EXPECT_EQ(s.Read(buffer, 8), 0);
  EXPECT_EQ(s.Read(buffer, -1), 0);
  s.ReadBuffer(buffer, 0);  // nothing asked, nothing fails, even at the end
  s.SetPosition(4);
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buffer, 2); }), "Stream read error");
}

TEST(MemoryStream, SetSizeDiscardsContents) {
  TMemoryStream s;
  s.WriteBuffer("data", 4);
  s.SetSize(100);
  EXPECT_EQ(s.Size(), 100);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.Capacity(), 8192);
  s.SetSize(0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, CapacityBelowTheSizeCutsTheSize) {
  TMemoryStream s;
  std::vector<char> block(20000, 'q');
  s.WriteBuffer(block.data(), 20000);
  s.SetCapacity(100);
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(s.Size(), 8192);
  s.SetPosition(8190);
  char buffer[10];
  EXPECT_EQ(s.Read(buffer, 10), 2);
}

TEST(MemoryStream, WriteWhoseEndPassesTheLimitChangesNothing) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  s.Seek(std::numeric_limits<Longint>::max() - 1, soFromBeginning);
  char two[2] = {'x', 'y'};
  EXPECT_EQ(s.Write(two, 2), 0);
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(MessageOf<EWriteError>([&] { s.WriteBuffer(two, 2); }), "Stream write error");
  s.SetPosition(0);
  EXPECT_EQ(s.Write(two, -1), 0);
  EXPECT_EQ(s.Write(two, 0), 0);  // nothing to write at position 0
}

// A block that cannot grow leaves block, size and capacity as they were.
class TTightMemoryStream : public TMemoryStream {
 protected:
  void* Reallocate(Longint& newCapacity) override {
    if (newCapacity > 8192) throw EStreamError("Out of memory while expanding memory stream");
    return TMemoryStream::Reallocate(newCapacity);
  }
};

TEST(MemoryStream, FailedGrowthKeepsTheStream) {
  TTightMemoryStream s;
  std::vector<char> block(8000, 'a');
  s.WriteBuffer(block.data(), 8000);
  const void* memory = s.Memory();
  EXPECT_THROW(s.WriteBuffer(block.data(), 8000), EStreamError);
  EXPECT_EQ(s.Size(), 8000);
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(s.Memory(), memory);
  EXPECT_EQ(s.Position(), 8000);
}

TEST(ResourceStream, ExposesTheResourceReadOnly) {
  HRSRC info = FindResourceA(nullptr, "MAINICON", RT_GROUP_ICON);
  ASSERT_NE(info, nullptr);
  TResourceStream s(GetModuleHandleA(nullptr), std::string("mainicon"), RT_GROUP_ICON);
  EXPECT_EQ(s.Size(), static_cast<Longint>(SizeofResource(nullptr, info)));
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(std::memcmp(s.Memory(), LockResource(LoadResource(nullptr, info)), s.Size()), 0);
  EXPECT_EQ(MessageOf<EStreamError>([&] { s.WriteBuffer("x", 1); }),
            "Can't write to a read-only resource stream");
}

TEST(ResourceStream, MissingResourceNamesIt) {
  EXPECT_EQ(MessageOf<EResNotFound>(
                [] { TResourceStream s(nullptr, std::string("TNOFORM"), RT_RCDATA); }),
            "Resource TNOFORM not found");
  EXPECT_EQ(MessageOf<EResNotFound>(
                [] { TResourceStream s(nullptr, MAKEINTRESOURCEA(4321), RT_RCDATA); }),
            "Resource #4321 not found");
}

}  // namespace
