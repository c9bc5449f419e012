#include <cstring>

#include "kernel_fixture.h"

namespace {

using FileOpen = KernelFolder;
using FileTransfer = KernelFolder;
using FileSharing = KernelFolder;
using FileHandles = KernelFolder;
using FileAttributes = KernelFolder;

HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return CreateFileA(name, access, share, nullptr, disposition, flags, nullptr);
}

DWORD Write(HANDLE file, const std::string& text) {
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
  return written;
}

std::string ReadAll(HANDLE file, DWORD count) {
  std::string buffer(count, '\0');
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, buffer.data(), count, &read, nullptr));
  buffer.resize(read);
  return buffer;
}

TEST_F(FileOpen, DispositionsCreateTruncateAndRefuseAsDocumented) {
  HANDLE created = Open("T:\\new.txt", GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u);
  Write(created, "hello");
  CloseHandle(created);

  EXPECT_EQ(Open("T:\\new.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(Read("new.txt"), "hello");

  HANDLE again = Open("T:\\new.txt", GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(again, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadAll(again, 10), "hello");
  CloseHandle(again);

  HANDLE replaced = Open("T:\\new.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(replaced, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(replaced, nullptr), 0u);
  CloseHandle(replaced);

  EXPECT_EQ(Open("T:\\new.txt", GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Open("T:\\new.txt", GENERIC_READ, 0, 9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileOpen, MissingFileAndMissingFolderHaveTheirOwnCodes) {
  EXPECT_EQ(Open("T:\\absent.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open("T:\\nowhere\\absent.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Open("T:\\nowhere\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Open("T:\\bad|name.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
  MakeFolder("dir");
  EXPECT_EQ(Open("T:\\dir", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileOpen, NamesMatchHostEntriesWithoutRegardToCase) {
  MakeFile("Songs/Intro.MID", "MThd");
  HANDLE file = Open("t:\\SONGS\\intro.mid", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(file, 4), "MThd");
  CloseHandle(file);
  // A new file in an existing folder of another case lands in that folder.
  HANDLE created = Open("songs\\Second.mid", GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  EXPECT_TRUE(std::filesystem::exists(Host("Songs/Second.mid")));
}

TEST_F(FileTransfer, PointerMovesFromEachOriginAndRefusesNegativePositions) {
  HANDLE file = Open("data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, "0123456789"), 10u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
  EXPECT_EQ(ReadAll(file, 100), "6789");
  EXPECT_EQ(ReadAll(file, 100), "");  // at the end: success, nothing read
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_CURRENT), 1u);
  EXPECT_EQ(ReadAll(file, 2), "12");

  EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 3u);  // unchanged
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);

  // Past the end, a write extends the file.
  EXPECT_EQ(SetFilePointer(file, 12, nullptr, FILE_BEGIN), 12u);
  Write(file, "!");
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(file, &high), 13u);
  EXPECT_EQ(high, 0u);

  LONG highMove = 0;
  EXPECT_EQ(SetFilePointer(file, 5, &highMove, FILE_BEGIN), 5u);
  EXPECT_EQ(highMove, 0);

  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 5u);
  CloseHandle(file);
}

TEST_F(FileTransfer, OverlappedOffsetReadsAndWritesAtThatPlace) {
  MakeFile("data.bin", "abcdefgh");
  HANDLE file = Open("data.bin", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  OVERLAPPED at{};
  at.Offset = 5;
  char buffer[3];
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 3, &read, &at));
  EXPECT_EQ(std::string(buffer, read), "fgh");
  at.Offset = 1;
  ASSERT_TRUE(WriteFile(file, "XY", 2, nullptr, &at));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 3u);
  CloseHandle(file);
  EXPECT_EQ(Read("data.bin"), "aXYdefgh");
}

TEST_F(FileTransfer, AccessDecidesWhichTransfersAreAllowed) {
  MakeFile("data.bin", "abc");
  HANDLE readOnly = Open("data.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE writeOnly = Open("data.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
  DWORD count = 7;
  EXPECT_FALSE(WriteFile(readOnly, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  char c;
  EXPECT_FALSE(ReadFile(writeOnly, &c, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(readOnly);
  CloseHandle(writeOnly);
}

TEST_F(FileSharing, OpenersMustAllowEachOther) {
  MakeFile("song.mid", "x");
  HANDLE reader = Open("song.mid", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE secondReader = Open("song.mid", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(secondReader, INVALID_HANDLE_VALUE);
  // A writer is refused: the reader did not share writing.
  EXPECT_EQ(Open("song.mid", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // A reader that shares nothing is refused: readers are open already.
  EXPECT_EQ(Open("SONG.MID", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // Replacing the file while it is open is refused and leaves it whole.
  EXPECT_EQ(Open("song.mid", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read("song.mid"), "x");
  EXPECT_FALSE(DeleteFileA("song.mid"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);
  CloseHandle(secondReader);
  HANDLE exclusive = Open("song.mid", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
  CloseHandle(exclusive);
  EXPECT_TRUE(DeleteFileA("song.mid"));
}

TEST_F(FileHandles, ClosedAndForgedHandlesAreRefused) {
  HANDLE file = Open("a.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(file));
  char c;
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(file, &c, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // The slot is reused by the next opening, but the old handle stays dead.
  HANDLE next = Open("a.txt", GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_NE(next, INVALID_HANDLE_VALUE);
  EXPECT_NE(next, file);
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(next);
  int local = 0;
  EXPECT_FALSE(CloseHandle(&local));
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileHandles, DeleteOnCloseRemovesTheFile) {
  HANDLE file = Open("scratch.tmp", GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW,
                     FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(std::filesystem::exists(Host("scratch.tmp")));
  CloseHandle(file);
  EXPECT_FALSE(std::filesystem::exists(Host("scratch.tmp")));
}

TEST_F(FileAttributes, FollowTheHostEntry) {
  MakeFile("plain.txt");
  MakeFile(".hidden");
  MakeFolder("folder");
  MakeFile("locked.txt", "keep");
  std::filesystem::permissions(Host("locked.txt"), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read);
  EXPECT_EQ(GetFileAttributesA("plain.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesA(".hidden"),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA("FOLDER"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA("T:\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA("locked.txt"),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA("missing.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // Read-only refuses writing and deleting, whoever runs the tests.
  EXPECT_EQ(Open("locked.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileA("locked.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Read("locked.txt"), "keep");
  EXPECT_FALSE(DeleteFileA("folder"));
  EXPECT_FALSE(DeleteFileA("missing.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileAttributes, FoldersAreMadeAndRemoved) {
  EXPECT_TRUE(CreateDirectoryA("Music", nullptr));
  EXPECT_FALSE(CreateDirectoryA("music", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("a\\b", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  MakeFile("Music/x.mid");
  EXPECT_FALSE(RemoveDirectoryA("MUSIC"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_TRUE(DeleteFileA("music\\X.MID"));
  EXPECT_TRUE(RemoveDirectoryA("MUSIC"));
  EXPECT_FALSE(std::filesystem::exists(Host("Music")));
}

}  // namespace
