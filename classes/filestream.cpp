#include "classes/streams.h"
#include "platform/win32.h"
#include "runtime/text.h"

namespace {

constexpr int kCreateError = 61441;
constexpr int kOpenError = 61442;

// Access and sharing of an open mode; false for a mode outside the defined values.
bool OpenModeFlags(WORD mode, DWORD& access, DWORD& share) {
  if ((mode & ~0x00F3u) != 0) return false;
  switch (mode & 0x3) {
    case fmOpenRead:
      access = GENERIC_READ;
      break;
    case fmOpenWrite:
      access = GENERIC_WRITE;
      break;
    case fmOpenReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    default:
      return false;
  }
  switch ((mode & 0xF0) >> 4) {
    case 0:
    case 1:
      share = 0;
      break;
    case 2:
      share = FILE_SHARE_READ;
      break;
    case 3:
      share = FILE_SHARE_WRITE;
      break;
    case 4:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(THandleStream)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TFileStream)

Longint THandleStream::Read(void* buffer, Longint count) {
  if (count <= 0) return 0;
  DWORD transferred = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &transferred, nullptr)) return 0;
  return static_cast<Longint>(transferred);
}

Longint THandleStream::Write(const void* buffer, Longint count) {
  if (count <= 0) return 0;
  DWORD transferred = 0;
  if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &transferred, nullptr)) return 0;
  return static_cast<Longint>(transferred);
}

Longint THandleStream::Seek(Longint offset, int origin) {
  return static_cast<Longint>(SetFilePointer(handle_, offset, nullptr, static_cast<DWORD>(origin)));
}

TFileStream::TFileStream(const std::string& fileName, WORD mode)
    : THandleStream(INVALID_HANDLE_VALUE) {
  if (mode == fmCreate) {
    handle_ = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw EFCreateError(FmtLoadStr(kCreateError, fileName));
    return;
  }
  DWORD access = 0;
  DWORD share = 0;
  if (OpenModeFlags(mode, access, share)) {
    handle_ = CreateFileA(fileName.c_str(), access, share, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle_ == INVALID_HANDLE_VALUE) throw EFOpenError(FmtLoadStr(kOpenError, fileName));
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) CloseHandle(handle_);
}
