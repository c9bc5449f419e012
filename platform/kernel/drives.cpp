// The drive table (TD_DRIVES) and the drive and volume queries that answer from it.
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kernel/internal.h"
#include "platform/win32.h"
#include "settings/settings.h"

namespace platform::kernel {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    pieces.push_back(
        text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return pieces;
    start = end + 1;
  }
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

bool ParseType(const std::string& word, UINT& type) {
  static const struct {
    const char* name;
    UINT type;
  } kTypes[] = {{"removable", DRIVE_REMOVABLE},
                {"fixed", DRIVE_FIXED},
                {"remote", DRIVE_REMOTE},
                {"cdrom", DRIVE_CDROM},
                {"ramdisk", DRIVE_RAMDISK}};
  for (const auto& entry : kTypes) {
    if (Lower(word) == entry.name) {
      type = entry.type;
      return true;
    }
  }
  return false;
}

// A share name is "\\server\share": both parts present, nothing after them.
bool ValidShare(const std::string& share) {
  if (share.size() < 5 || share[0] != '\\' || share[1] != '\\') return false;
  std::size_t separator = share.find('\\', 2);
  return separator != std::string::npos && separator > 2 && separator + 1 < share.size() &&
         share.find('\\', separator + 1) == std::string::npos;
}

// Stable serial numbers: a hash of the letter and the host folder.
DWORD SerialFor(char letter, const std::string& root) {
  std::uint32_t hash = 2166136261u;
  hash = (hash ^ static_cast<unsigned char>(letter)) * 16777619u;
  for (char c : root) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string NormalizedRoot(std::string root) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

bool ParseEntry(const std::string& entry, std::array<Drive, 26>& drives, std::string& error) {
  std::size_t equals = entry.find('=');
  if (equals != 1 || !std::isalpha(static_cast<unsigned char>(entry[0]))) {
    error = "entry \"" + entry + "\" does not start with a drive letter and \"=\"";
    return false;
  }
  int index = (entry[0] | 0x20) - 'a';
  Drive& drive = drives[index];
  if (drive.present) {
    error = std::string("drive ") + static_cast<char>('A' + index) + " is given twice";
    return false;
  }
  std::vector<std::string> fields = Split(entry.substr(2), ':');
  if (fields[0].empty() || fields[0][0] != '/') {
    error = "the folder of drive " + std::string(1, static_cast<char>('A' + index)) +
            " must be an absolute host path";
    return false;
  }
  drive.present = true;
  drive.root = NormalizedRoot(fields[0]);
  drive.type = DRIVE_FIXED;
  bool typeSeen = false;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::string& field = fields[i];
    UINT type = 0;
    if (field.empty()) continue;
    if (!typeSeen && ParseType(field, type)) {
      drive.type = type;
      typeSeen = true;
    } else if (Lower(field) == "notready") {
      drive.ready = false;
    } else if (Lower(field.substr(0, 6)) == "label=") {
      drive.label = field.substr(6);
    } else if (Lower(field.substr(0, 6)) == "share=") {
      drive.share = field.substr(6);
    } else if (Lower(field.substr(0, 7)) == "serial=") {
      char* end = nullptr;
      unsigned long serial = std::strtoul(field.c_str() + 7, &end, 16);
      if (end == field.c_str() + 7 || *end != '\0' || serial > 0xFFFFFFFFul) {
        error = "bad serial number \"" + field + "\"";
        return false;
      }
      drive.serial = static_cast<DWORD>(serial);
    } else if (drive.type == DRIVE_REMOTE && drive.share.empty()) {
      drive.share = field;
    } else if (drive.label.empty()) {
      drive.label = field;
    } else {
      error = "unknown field \"" + field + "\"";
      return false;
    }
  }
  if (drive.label.size() > 32) {
    error = "volume label \"" + drive.label + "\" is longer than 32 characters";
    return false;
  }
  if (!drive.share.empty() && !ValidShare(drive.share)) {
    error = "share name \"" + drive.share + "\" is not of the form \\\\server\\share";
    return false;
  }
  if (drive.serial == 0) drive.serial = SerialFor(static_cast<char>('A' + index), drive.root);
  return true;
}

const char* FileSystemName(const Drive& drive) {
  if (drive.type == DRIVE_CDROM) return "CDFS";
  struct statfs info;
  if (statfs(drive.root.c_str(), &info) != 0) return "HOSTFS";
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
      return "EXT4";
    case 0x01021994:
      return "TMPFS";
    case 0x9123683E:
      return "BTRFS";
    case 0x58465342:
      return "XFS";
    case 0x6969:
      return "NFS";
    case 0x794C7630:
      return "OVERLAY";
    default:
      return "HOSTFS";
  }
}

// The drive a root name ("C:\", "C:", "\\server\share\", or nullptr for the current
// drive) stands for; -1 when it names none. Lock held.
int DriveOfRoot(KernelState& state, LPCSTR rootPathName) {
  std::string root = rootPathName != nullptr ? rootPathName : state.current;
  for (char& c : root) {
    if (c == '/') c = '\\';
  }
  if (rootPathName == nullptr) {
    if (root.size() >= 2 && root[1] == ':') return (root[0] | 0x20) - 'a';
  }
  if (root.size() >= 2 && root[1] == ':' && std::isalpha(static_cast<unsigned char>(root[0])) &&
      (root.size() == 2 || (root.size() == 3 && root[2] == '\\'))) {
    return (root[0] | 0x20) - 'a';
  }
  if (root.size() > 2 && root[0] == '\\' && root[1] == '\\') {
    while (!root.empty() && root.back() == '\\') root.pop_back();
    for (int i = 0; i < 26; ++i) {
      if (state.drives[i].present && !state.drives[i].share.empty() &&
          SameNoCase(state.drives[i].share, root)) {
        return i;
      }
    }
  }
  return -1;
}

bool DriveReady(const Drive& drive) {
  struct stat info;
  return drive.ready && stat(drive.root.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr) return true;
  if (text.size() + 1 > size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool ParseDriveTable(const std::string& text, std::array<Drive, 26>& drives, std::string& error) {
  drives = {};
  bool any = false;
  for (const std::string& entry : Split(text, ';')) {
    if (entry.empty()) continue;
    if (!ParseEntry(entry, drives, error)) return false;
    any = true;
  }
  if (!any) {
    error = "the table names no drive";
    return false;
  }
  return true;
}

std::string FormatDriveTable() {
  static const char* const kTypeNames[] = {"",       "",      "removable", "fixed",
                                           "remote", "cdrom", "ramdisk"};
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  std::string table;
  for (int i = 0; i < 26; ++i) {
    const Drive& drive = state.drives[i];
    if (!drive.present) continue;
    if (!table.empty()) table += ';';
    table += static_cast<char>('A' + i);
    table += '=' + drive.root + ':' + kTypeNames[drive.type];
    if (!drive.label.empty()) table += ":label=" + drive.label;
    if (!drive.share.empty()) table += ":share=" + drive.share;
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08X", drive.serial);
    table += std::string(":serial=") + serial;
    if (!drive.ready) table += ":notready";
  }
  return table;
}

void DefaultDrives(std::array<Drive, 26>& drives) {
  std::string reason;
  std::optional<std::string> setting = settings::Read(settings::Setting::kDrives);
  if (!setting || !ParseDriveTable(*setting, drives, reason)) {
    if (setting) std::fprintf(stderr, "TD_DRIVES ignored: %s\n", reason.c_str());
    ParseDriveTable("C=/", drives, reason);
  }
}

}  // namespace platform::kernel

using namespace platform::kernel;

DWORD GetLogicalDrives() {
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  DWORD mask = 0;
  for (int i = 0; i < 26; ++i) {
    if (state.drives[i].present) mask |= 1u << i;
  }
  return mask;
}

UINT GetDriveTypeA(LPCSTR rootPathName) {
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  int index = DriveOfRoot(state, rootPathName);
  if (index < 0 || !state.drives[index].present) return DRIVE_NO_ROOT_DIR;
  return state.drives[index].type;
}

BOOL GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeNameBuffer, DWORD volumeNameSize,
                           LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                           LPDWORD fileSystemFlags, LPSTR fileSystemNameBuffer,
                           DWORD fileSystemNameSize) {
  KernelState& state = TheKernel();
  Drive drive;
  {
    std::lock_guard lock(state.mutex);
    int index = DriveOfRoot(state, rootPathName);
    if (index < 0 || !state.drives[index].present) {
      SetLastError(rootPathName != nullptr && std::strlen(rootPathName) > 3 ? ERROR_INVALID_NAME
                                                                            : ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    drive = state.drives[index];
  }
  // The buffers get a defined content even when the call fails.
  if (volumeNameBuffer != nullptr && volumeNameSize > 0) volumeNameBuffer[0] = '\0';
  if (fileSystemNameBuffer != nullptr && fileSystemNameSize > 0) fileSystemNameBuffer[0] = '\0';
  if (!DriveReady(drive)) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  if (!CopyOut(drive.label, volumeNameBuffer, volumeNameSize) ||
      !CopyOut(FileSystemName(drive), fileSystemNameBuffer, fileSystemNameSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (volumeSerialNumber != nullptr) *volumeSerialNumber = drive.serial;
  if (maximumComponentLength != nullptr) *maximumComponentLength = 255;
  if (fileSystemFlags != nullptr) *fileSystemFlags = FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED;
  return TRUE;
}

UINT SetErrorMode(UINT mode) {
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  UINT previous = state.errorMode;
  state.errorMode = mode;
  return previous;
}

DWORD WNetGetConnectionA(LPCSTR localName, LPSTR remoteName, LPDWORD length) {
  if (localName == nullptr || length == nullptr) return ERROR_INVALID_PARAMETER;
  if (std::strlen(localName) != 2 || localName[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(localName[0]))) {
    return ERROR_BAD_DEVICE;
  }
  KernelState& state = TheKernel();
  std::string share;
  {
    std::lock_guard lock(state.mutex);
    const Drive& drive = state.drives[(localName[0] | 0x20) - 'a'];
    if (!drive.present) return ERROR_BAD_DEVICE;
    if (drive.type != DRIVE_REMOTE || drive.share.empty()) return ERROR_NOT_CONNECTED;
    share = drive.share;
  }
  if (remoteName == nullptr || *length < share.size() + 1) {
    *length = static_cast<DWORD>(share.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(remoteName, share.c_str(), share.size() + 1);
  return NO_ERROR;
}

namespace platform {

bool InstallDriveTable(const std::string& table, std::string* error) {
  std::array<kernel::Drive, 26> drives;
  std::string reason;
  if (!kernel::ParseDriveTable(table, drives, reason)) {
    if (error != nullptr) *error = reason;
    return false;
  }
  kernel::KernelState& state = kernel::TheKernel();
  std::lock_guard lock(state.mutex);
  kernel::ApplyDriveTable(state, drives);
  return true;
}

void InstallDefaultDriveTable() {
  std::array<kernel::Drive, 26> drives;
  kernel::DefaultDrives(drives);
  kernel::KernelState& state = kernel::TheKernel();
  std::lock_guard lock(state.mutex);
  kernel::ApplyDriveTable(state, drives);
}

}  // namespace platform
