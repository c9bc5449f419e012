// FindFirstFileA/FindNextFileA/FindClose over host folders: Windows wildcards, "." and
// ".." first below a root, attributes from the host entries, and host names that
// cannot be Windows names left out.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kernel/internal.h"
#include "kernel/objects.h"
#include "kernel/wildcard.h"
#include "platform/win32.h"

namespace platform::kernel {
namespace {

// 100-nanosecond ticks from 1601 to 1970.
constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;

FILETIME ToFileTime(const struct timespec& time) {
  std::uint64_t ticks = kUnixEpochTicks;
  if (time.tv_sec >= 0) {
    ticks += static_cast<std::uint64_t>(time.tv_sec) * 10000000ull +
             static_cast<std::uint64_t>(time.tv_nsec) / 100;
  }
  return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

bool WindowsName(const char* name, std::size_t length) {
  return length < static_cast<std::size_t>(MAX_PATH) && std::strpbrk(name, "\\:") == nullptr;
}

class SearchObject : public KernelObject {
 public:
  SearchObject(DIR* directory, std::string pattern, bool atRoot)
      : KernelObject(ObjectKind::Search),
        directory_(directory),
        pattern_(std::move(pattern)),
        matcher_(pattern_),
        dotsLeft_(atRoot ? 0 : 2) {}
  ~SearchObject() override { closedir(directory_); }

  // Fills data with the next matching entry; false at the end.
  bool Next(WIN32_FIND_DATAA& data) {
    std::lock_guard lock(mutex_);
    while (dotsLeft_ > 0) {
      const char* dots = dotsLeft_-- == 2 ? "." : "..";
      if (matcher_.Matches(dots) && Fill(dots, data)) return true;
    }
    while (dirent* entry = readdir(directory_)) {
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      std::size_t length = std::strlen(name);
      if (!WindowsName(name, length) || !matcher_.Matches(std::string_view(name, length))) continue;
      if (Fill(name, data)) return true;
    }
    return false;
  }

 private:
  // False when the entry vanished between the listing and the look at it.
  bool Fill(const char* name, WIN32_FIND_DATAA& data) {
    struct stat info;
    int fd = dirfd(directory_);
    if (fstatat(fd, name, &info, 0) != 0 && fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      return false;
    }
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = AttributesOf(name, info.st_mode);
    data.ftCreationTime = ToFileTime(info.st_ctim);
    data.ftLastAccessTime = ToFileTime(info.st_atim);
    data.ftLastWriteTime = ToFileTime(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
      auto size = static_cast<std::uint64_t>(info.st_size);
      data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    }
    std::strcpy(data.cFileName, name);  // length checked by WindowsName
    return true;
  }

  std::mutex mutex_;
  DIR* directory_;
  std::string pattern_;
  WildcardPattern matcher_;
  int dotsLeft_;
};

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData) {
  auto fail = [](DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  };
  if (fileName == nullptr || findFileData == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string name = fileName;
  if (name.size() >= static_cast<std::size_t>(MAX_PATH)) return fail(ERROR_FILENAME_EXCED_RANGE);
  std::size_t split = name.find_last_of("\\/");
  if (split == std::string::npos && name.size() >= 2 && name[1] == ':') split = 1;
  std::string folder = split == std::string::npos ? "." : name.substr(0, split + 1);
  std::string pattern = split == std::string::npos ? name : name.substr(split + 1);
  if (pattern.empty()) return fail(ERROR_FILE_NOT_FOUND);
  if (pattern.find_first_of("<>\"|:") != std::string::npos) return fail(ERROR_INVALID_NAME);
  for (unsigned char c : pattern) {
    if (c < 0x20) return fail(ERROR_INVALID_NAME);
  }
  ResolvedPath path;
  DWORD error = Resolve(folder, path);
  if (error != 0) return fail(error);
  if (path.full.size() + 1 + pattern.size() >= static_cast<std::size_t>(MAX_PATH)) {
    return fail(ERROR_FILENAME_EXCED_RANGE);
  }
  DIR* directory = opendir(path.host.c_str());
  if (directory == nullptr) {
    return fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
  }
  auto search = std::make_shared<SearchObject>(directory, pattern, path.isRoot());
  if (!search->Next(*findFileData)) return fail(ERROR_FILE_NOT_FOUND);
  HANDLE handle = AddObject(std::move(search));
  if (handle == nullptr) return INVALID_HANDLE_VALUE;
  SetLastError(NO_ERROR);
  return handle;
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData) {
  auto search = Find<SearchObject>(findFile, ObjectKind::Search);
  if (search == nullptr) return FALSE;
  if (findFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!search->Next(*findFileData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  return RemoveObject(findFile, ObjectKind::Search) ? TRUE : FALSE;
}
