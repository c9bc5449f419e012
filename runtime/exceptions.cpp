#include "runtime/exceptions.h"

#include "platform/win32.h"
#include "runtime/text.h"

namespace {

// The runtime's own texts for the system error codes that have one.
constexpr int kSInOutError = 65408;  // "I/O error %d"
constexpr int kSFileNotFound = 65409;
constexpr int kSInvalidFileName = 65410;
constexpr int kSTooManyOpenFiles = 65411;
constexpr int kSAccessDenied = 65412;
constexpr int kSEndOfFile = 65413;
constexpr int kSDiskFull = 65414;

std::string InOutErrorText(int code) {
  int id = 0;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      id = kSFileNotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      id = kSInvalidFileName;
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      id = kSTooManyOpenFiles;
      break;
    case ERROR_ACCESS_DENIED:
      id = kSAccessDenied;
      break;
    case ERROR_HANDLE_EOF:
      id = kSEndOfFile;
      break;
    case ERROR_DISK_FULL:
      id = kSDiskFull;
      break;
    default:
      break;
  }
  if (id != 0) {
    std::string text = LoadStr(id);
    if (!text.empty()) return text;
  }
  return FmtLoadStr(kSInOutError, code);
}

}  // namespace

EInOutError::EInOutError(int errorCode) : Exception(InOutErrorText(errorCode)), errorCode_(errorCode) {}

void RaiseLastOSError() { throw EInOutError(static_cast<int>(GetLastError())); }
