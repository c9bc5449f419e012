// Files: opening with Windows access, sharing and creation rules, transfers, the file
// pointer, attributes and deletion.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <utility>

#include "kernel/internal.h"
#include "kernel/objects.h"
#include "platform/win32.h"

namespace platform::kernel {
namespace {

constexpr DWORD kReadRights = GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL;

class FileObject;

// Open files by host identity, for the sharing rules. Sharing is kept between the
// handles of this process; other processes are not asked.
struct ShareRegistry {
  std::mutex mutex;
  std::multimap<std::pair<dev_t, ino_t>, FileObject*> open;
};

ShareRegistry& Registry() {
  static auto* registry = new ShareRegistry;
  return *registry;
}

class FileObject : public KernelObject {
 public:
  FileObject(int fd, DWORD access, DWORD share, const struct stat& info, std::string host,
             bool deleteOnClose)
      : KernelObject(ObjectKind::File),
        fd_(fd),
        access_(access),
        share_(share),
        key_(info.st_dev, info.st_ino),
        host_(std::move(host)),
        deleteOnClose_(deleteOnClose) {}
  ~FileObject() override {
    {
      ShareRegistry& registry = Registry();
      std::lock_guard lock(registry.mutex);
      auto range = registry.open.equal_range(key_);
      for (auto it = range.first; it != range.second; ++it) {
        if (it->second == this) {
          registry.open.erase(it);
          break;
        }
      }
    }
    close(fd_);
    if (deleteOnClose_) unlink(host_.c_str());
  }
  int Fd() const { return fd_; }
  bool CanRead() const { return (access_ & kReadRights) != 0; }
  bool CanWrite() const { return (access_ & kWriteRights) != 0; }
  DWORD Share() const { return share_; }
  std::pair<dev_t, ino_t> Key() const { return key_; }

 private:
  int fd_;
  DWORD access_;
  DWORD share_;
  std::pair<dev_t, ino_t> key_;
  std::string host_;
  bool deleteOnClose_;
};

// Whether a new opening with this access and sharing can live beside the open ones.
// Registry lock held.
bool SharingAllows(ShareRegistry& registry, std::pair<dev_t, ino_t> key, DWORD access,
                   DWORD share) {
  bool read = (access & kReadRights) != 0;
  bool write = (access & kWriteRights) != 0;
  auto range = registry.open.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    const FileObject& other = *it->second;
    if (read && (other.Share() & FILE_SHARE_READ) == 0) return false;
    if (write && (other.Share() & FILE_SHARE_WRITE) == 0) return false;
    if (other.CanRead() && (share & FILE_SHARE_READ) == 0) return false;
    if (other.CanWrite() && (share & FILE_SHARE_WRITE) == 0) return false;
  }
  return true;
}

// The error for a host entry that is missing: the file, or a folder on the way to it.
DWORD MissingError(const std::string& host) {
  std::size_t slash = host.rfind('/');
  std::string parent =
      slash == 0 || slash == std::string::npos ? std::string(1, '/') : host.substr(0, slash);
  struct stat info;
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                   : ERROR_PATH_NOT_FOUND;
}

bool ReadOnlyMode(unsigned mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
  return Find<FileObject>(handle, ObjectKind::File);
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  if (fileName == nullptr || creationDisposition < CREATE_NEW ||
      creationDisposition > TRUNCATE_EXISTING) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  bool read = (desiredAccess & kReadRights) != 0;
  bool write = (desiredAccess & kWriteRights) != 0;
  if (creationDisposition == TRUNCATE_EXISTING && !write) return Fail(ERROR_INVALID_PARAMETER);
  ResolvedPath path;
  DWORD error = Resolve(fileName, path);
  if (error != 0) return Fail(error);
  if (path.isRoot()) return Fail(ERROR_ACCESS_DENIED);
  struct stat info;
  bool existed = stat(path.host.c_str(), &info) == 0;
  if (existed) {
    // Folders, and devices, pipes and sockets (an open of a pipe could wait forever),
    // are not files.
    if (!S_ISREG(info.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (creationDisposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
    // The read-only attribute refuses writing whoever runs the program.
    if (ReadOnlyMode(info.st_mode) && (write || creationDisposition == CREATE_ALWAYS)) {
      return Fail(ERROR_ACCESS_DENIED);
    }
  } else if (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING) {
    return Fail(MissingError(path.host));
  }
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  if (!existed) flags |= O_CREAT | O_EXCL;
  mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  int fd = open(path.host.c_str(), flags, mode);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
    return Fail(ErrorFromErrno(errno));
  }
  if (fstat(fd, &info) != 0) {
    int saved = errno;
    close(fd);
    return Fail(ErrorFromErrno(saved));
  }
  auto object = std::make_shared<FileObject>(fd, desiredAccess, shareMode, info, path.host,
                                             (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0);
  bool allowed;
  {
    ShareRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    allowed = SharingAllows(registry, object->Key(), desiredAccess, shareMode);
    if (allowed) registry.open.emplace(object->Key(), object.get());
  }
  // Refused: the unregistered object only closes its descriptor as it goes.
  if (!allowed) return Fail(ERROR_SHARING_VIOLATION);
  bool truncate =
      existed && (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING);
  if (truncate && ::truncate(path.host.c_str(), 0) != 0) return Fail(ErrorFromErrno(errno));
  HANDLE handle = AddObject(std::move(object));
  if (handle == nullptr) return INVALID_HANDLE_VALUE;
  bool reported =
      existed && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS);
  SetLastError(reported ? ERROR_ALREADY_EXISTS : NO_ERROR);
  return handle;
}

namespace {

enum class Direction { Read, Write };

// ReadFile and WriteFile: the same checks and the same loop over short transfers. A read
// ends at the end of the file and succeeds; a write that the system takes nothing of is a
// full disk and reports what it did write.
BOOL Transfer(Direction direction, HANDLE file, void* buffer, DWORD size, LPDWORD transferred,
              LPOVERLAPPED overlapped) {
  const bool reading = direction == Direction::Read;
  auto object = FileOf(file);
  if (object == nullptr) return FALSE;
  if ((buffer == nullptr && size > 0) || (transferred == nullptr && overlapped == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (transferred != nullptr) *transferred = 0;
  if (reading ? !object->CanRead() : !object->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t offset =
      overlapped != nullptr
          ? static_cast<off_t>((static_cast<std::uint64_t>(overlapped->OffsetHigh) << 32) |
                               overlapped->Offset)
          : -1;
  auto* bytes = static_cast<char*>(buffer);
  const int fd = object->Fd();
  DWORD done = 0;
  while (done < size) {
    ssize_t count;
    if (reading) {
      count = offset >= 0 ? pread(fd, bytes + done, size - done, offset + done)
                          : read(fd, bytes + done, size - done);
    } else {
      count = offset >= 0 ? pwrite(fd, bytes + done, size - done, offset + done)
                          : write(fd, bytes + done, size - done);
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && reading) {
      SetLastErrorFromErrno();
      return FALSE;
    }
    if (count == 0 && reading) break;
    if (count <= 0) {
      if (transferred != nullptr) *transferred = done;
      SetLastError(count == 0 ? ERROR_DISK_FULL : ErrorFromErrno(errno));
      return FALSE;
    }
    done += static_cast<DWORD>(count);
  }
  if (offset >= 0) {
    lseek(fd, offset + done, SEEK_SET);
    overlapped->InternalHigh = done;
  }
  if (transferred != nullptr) *transferred = done;
  return TRUE;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
              LPOVERLAPPED overlapped) {
  return Transfer(Direction::Read, file, buffer, numberOfBytesToRead, numberOfBytesRead,
                  overlapped);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
               LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped) {
  // Transfer only reads from the buffer when writing.
  return Transfer(Direction::Write, file, const_cast<void*>(buffer), numberOfBytesToWrite,
                  numberOfBytesWritten, overlapped);
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
  auto object = FileOf(file);
  if (object == nullptr) return INVALID_SET_FILE_POINTER;
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (moveMethod > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  std::int64_t distance = distanceToMove;
  if (distanceToMoveHigh != nullptr) {
    distance = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceToMoveHigh)) << 32) |
        static_cast<std::uint32_t>(distanceToMove));
  }
  std::int64_t base = 0;
  if (moveMethod != FILE_BEGIN) {
    base = lseek(object->Fd(), 0, kWhence[moveMethod]);
    if (base < 0) {
      SetLastErrorFromErrno();
      return INVALID_SET_FILE_POINTER;
    }
  }
  std::int64_t target = base + distance;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceToMoveHigh == nullptr && target > 0xFFFFFFFELL) {
    // Without the high part the position must fit the 32-bit result.
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(object->Fd(), target, SEEK_SET) < 0) {
    SetLastErrorFromErrno();
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceToMoveHigh != nullptr) *distanceToMoveHigh = static_cast<LONG>(target >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(target & 0xFFFFFFFF);
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  auto object = FileOf(file);
  if (object == nullptr) return INVALID_FILE_SIZE;
  struct stat info;
  if (fstat(object->Fd(), &info) != 0) {
    SetLastErrorFromErrno();
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(size & 0xFFFFFFFF);
}

BOOL SetEndOfFile(HANDLE file) {
  auto object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (!object->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t position = lseek(object->Fd(), 0, SEEK_CUR);
  if (position < 0 || ftruncate(object->Fd(), position) != 0) {
    SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (fsync(object->Fd()) != 0) {
    SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  ObjectKind kind;
  // Searches are closed with FindClose only.
  if (!KindOf(object, kind) || kind == ObjectKind::Search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return RemoveObject(object, kind) ? TRUE : FALSE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  ResolvedPath path;
  DWORD error = Resolve(fileName, path);
  if (error != 0) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat info;
  if (stat(path.host.c_str(), &info) != 0 && lstat(path.host.c_str(), &info) != 0) {
    SetLastError(errno == ENOENT ? MissingError(path.host) : ErrorFromErrno(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(path.isRoot() ? std::string() : path.parts.back(), info.st_mode);
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ResolvedPath path;
  DWORD error = Resolve(fileName, path);
  struct stat info;
  if (error == 0 && path.isRoot()) error = ERROR_ACCESS_DENIED;
  if (error == 0 && lstat(path.host.c_str(), &info) != 0) {
    error = errno == ENOENT ? MissingError(path.host) : ErrorFromErrno(errno);
  }
  if (error == 0 && (S_ISDIR(info.st_mode) || ReadOnlyMode(info.st_mode))) {
    error = ERROR_ACCESS_DENIED;
  }
  if (error == 0) {
    ShareRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto range = registry.open.equal_range({info.st_dev, info.st_ino});
    for (auto it = range.first; it != range.second; ++it) {
      if ((it->second->Share() & FILE_SHARE_DELETE) == 0) error = ERROR_SHARING_VIOLATION;
    }
    if (error == 0 && unlink(path.host.c_str()) != 0) error = ErrorFromErrno(errno);
  }
  if (error != 0) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (pathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ResolvedPath path;
  DWORD error = Resolve(pathName, path);
  if (error == 0 && path.isRoot()) error = ERROR_ALREADY_EXISTS;
  if (error == 0 && mkdir(path.host.c_str(), 0777) != 0) {
    error = errno == EEXIST                       ? ERROR_ALREADY_EXISTS
            : errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                  : ErrorFromErrno(errno);
  }
  if (error != 0) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  if (pathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ResolvedPath path;
  DWORD error = Resolve(pathName, path);
  if (error == 0 && path.isRoot()) error = ERROR_ACCESS_DENIED;
  if (error == 0 && rmdir(path.host.c_str()) != 0) {
    error = errno == ENOENT    ? MissingError(path.host)
            : errno == ENOTDIR ? ERROR_DIRECTORY
                               : ErrorFromErrno(errno);
  }
  if (error != 0) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
