#include "runtime/directory.h"

#include "platform/win32.h"
#include "runtime/exceptions.h"

void ChangeDirectory(const std::string& path) {
  if (!SetCurrentDirectoryA(path.c_str())) RaiseLastOSError();
}

std::string CurrentDirectory(char drive) {
  char buffer[MAX_PATH];
  DWORD length;
  if (drive == 0) {
    length = GetCurrentDirectoryA(sizeof buffer, buffer);
  } else {
    // "D:." names the current directory of drive D.
    const char name[] = {drive, ':', '.', '\0'};
    length = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
  }
  if (length == 0) RaiseLastOSError();
  if (length >= sizeof buffer) throw EInOutError(ERROR_FILENAME_EXCED_RANGE);
  return std::string(buffer, length);
}

std::string FullPathName(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0) RaiseLastOSError();
  if (length >= sizeof buffer) throw EInOutError(ERROR_FILENAME_EXCED_RANGE);
  return std::string(buffer, length);
}

std::string ExistingDirectory(const std::string& path) {
  std::string full = FullPathName(path);
  const DWORD attributes = GetFileAttributesA(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) RaiseLastOSError();
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw EInOutError(ERROR_DIRECTORY);
  return full;
}

std::string ExtractFileDrive(const std::string& fileName) {
  if (fileName.size() >= 2 && fileName[1] == ':') return fileName.substr(0, 2);
  if (fileName.size() >= 2 && fileName[0] == '\\' && fileName[1] == '\\') {
    // Up to the backslash that ends the share name, or the end of the name.
    std::size_t serverEnd = fileName.find('\\', 2);
    if (serverEnd == std::string::npos) return fileName;
    std::size_t shareEnd = fileName.find('\\', serverEnd + 1);
    return fileName.substr(0, shareEnd);
  }
  return {};
}
