// The system's version: 4.0 of the NT family, build 1381, the release whose behaviour the
// platform follows wherever behaviour depends on the version.
#include <cstring>

#include "platform/win32.h"

namespace {
constexpr DWORD kMajor = 4;
constexpr DWORD kMinor = 0;
constexpr DWORD kBuild = 1381;
}  // namespace

DWORD GetVersion() {
  // Major version in the low byte, minor in the next; the NT family keeps bit 31 clear and
  // the build number in the high word.
  return kMajor | (kMinor << 8) | (kBuild << 16);
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  // The extended record (156 bytes) starts with the same fields.
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) + 8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = kMajor;
  info->dwMinorVersion = kMinor;
  info->dwBuildNumber = kBuild;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (info->dwOSVersionInfoSize > sizeof(OSVERSIONINFOA))
    std::memset(reinterpret_cast<BYTE*>(info) + sizeof(OSVERSIONINFOA), 0, 8);
  return TRUE;
}
