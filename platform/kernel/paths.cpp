// Windows names over host paths: full names, the current directory of each drive and
// the case-insensitive mapping of name parts to host entries.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

#include "kernel/internal.h"
#include "platform/win32.h"

namespace platform::kernel {
namespace {

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::vector<std::string> SplitParts(const std::string& text, char separator = '\\') {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Appends relative parts to an absolute list: "." stays, ".." goes up but never above
// the root.
void AppendParts(std::vector<std::string>& parts, const std::string& relative,
                 char separator = '\\') {
  for (std::string& part : SplitParts(relative, separator)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
}

std::string Join(const std::string& root, const std::vector<std::string>& parts) {
  std::string full = root;
  full += '\\';
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) full += '\\';
    full += parts[i];
  }
  return full;
}

// Splits a name into its root ("C:" or "\\server\share") and its parts, made absolute
// with the current directories. Returns 0 or a Windows error.
DWORD MakeFull(const KernelState& state, std::string name, std::string& root,
               std::vector<std::string>& parts) {
  std::replace(name.begin(), name.end(), '/', '\\');
  parts.clear();
  if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') {
    std::size_t serverEnd = name.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return ERROR_BAD_PATHNAME;
    std::size_t shareEnd = name.find('\\', serverEnd + 1);
    if (shareEnd == std::string::npos) shareEnd = name.size();
    if (shareEnd == serverEnd + 1) return ERROR_BAD_PATHNAME;
    root = name.substr(0, shareEnd);
    AppendParts(parts, name.substr(shareEnd));
    return 0;
  }
  std::string base;
  std::string rest;
  if (name.size() >= 2 && name[1] == ':' && IsLetter(name[0])) {
    int index = Fold(name[0]) - 'a';
    rest = name.substr(2);
    if (!rest.empty() && rest[0] == '\\') {
      base = std::string(1, static_cast<char>('A' + index)) + ":\\";
    } else {
      base = state.driveCurrent[index].empty()
                 ? std::string(1, static_cast<char>('A' + index)) + ":\\"
                 : state.driveCurrent[index];
    }
  } else {
    base = state.current;
    rest = name;
    if (!rest.empty() && rest[0] == '\\') {
      // From the root of the current drive or share.
      std::string currentRoot;
      std::vector<std::string> ignored;
      MakeFull(state, state.current, currentRoot, ignored);
      base = currentRoot + "\\";
    }
  }
  if (base.size() >= 2 && base[0] == '\\' && base[1] == '\\') {
    DWORD error = MakeFull(state, base, root, parts);
    if (error != 0) return error;
  } else {
    root = base.substr(0, 2);
    root[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    AppendParts(parts, base.substr(2));
  }
  AppendParts(parts, rest);
  return 0;
}

bool ValidPart(const std::string& part, bool wildcards) {
  for (unsigned char c : part) {
    if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == ':') return false;
    if (!wildcards && (c == '*' || c == '?')) return false;
  }
  return true;
}

std::string ChildPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The stored name of a folder entry that equals part without regard to case; the
// first in byte order when several do, so that the choice does not depend on the
// order of the folder.
bool FindNoCase(const std::string& folder, const std::string& part, std::string& found) {
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return false;
  bool any = false;
  while (dirent* entry = readdir(directory)) {
    std::string name = entry->d_name;
    if (name.size() != part.size() || !SameNoCase(name, part)) continue;
    if (!any || name < found) found = name;
    any = true;
  }
  closedir(directory);
  return any;
}

// The drive of a root, -1 when none.
int DriveOf(const KernelState& state, const std::string& root) {
  if (root.size() == 2 && root[1] == ':') return Fold(root[0]) - 'a';
  for (int i = 0; i < 26; ++i) {
    const Drive& drive = state.drives[i];
    if (drive.present && !drive.share.empty() && SameNoCase(drive.share, root)) return i;
  }
  return -1;
}

}  // namespace

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

DWORD AttributesOf(const std::string& name, unsigned mode) {
  DWORD attributes = 0;
  if (S_ISDIR(mode)) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else if (S_ISREG(mode)) {
    attributes |= FILE_ATTRIBUTE_ARCHIVE;
  } else {
    attributes |= FILE_ATTRIBUTE_SYSTEM;  // devices, sockets and pipes
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

DWORD ResolveLocked(KernelState& state, const std::string& name, ResolvedPath& out,
                    NameCheck check) {
  if (name.empty()) return ERROR_PATH_NOT_FOUND;
  if (name.size() >= static_cast<std::size_t>(MAX_PATH)) return ERROR_FILENAME_EXCED_RANGE;
  DWORD error = MakeFull(state, name, out.root, out.parts);
  if (error != 0) return error;
  for (std::size_t i = 0; i < out.parts.size(); ++i) {
    bool last = i + 1 == out.parts.size();
    if (!ValidPart(out.parts[i], last && check == NameCheck::WildcardsInLastPart)) {
      return ERROR_INVALID_NAME;
    }
  }
  out.drive = DriveOf(state, out.root);
  if (out.drive < 0) return out.root[1] == ':' ? ERROR_PATH_NOT_FOUND : ERROR_BAD_NETPATH;
  const Drive& drive = state.drives[out.drive];
  if (!drive.present) return ERROR_PATH_NOT_FOUND;
  if (Join(out.root, out.parts).size() >= static_cast<std::size_t>(MAX_PATH)) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  struct stat info;
  if (!drive.ready || stat(drive.root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return ERROR_NOT_READY;
  }
  // Each part takes the stored case of the entry it names; once one is missing the
  // rest are kept as given.
  out.host = drive.root;
  bool exists = true;
  for (std::size_t i = 0; i < out.parts.size(); ++i) {
    std::string& part = out.parts[i];
    bool wildcard = part.find_first_of("*?") != std::string::npos;
    if (exists && !wildcard) {
      std::string exact = ChildPath(out.host, part);
      if (lstat(exact.c_str(), &info) != 0) {
        std::string found;
        if (FindNoCase(out.host, part, found)) {
          part = found;
        } else {
          exists = false;
        }
      }
    }
    out.host = ChildPath(out.host, part);
  }
  out.full = Join(out.root, out.parts);
  return 0;
}

DWORD Resolve(const std::string& name, ResolvedPath& out, NameCheck check) {
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  return ResolveLocked(state, name, out, check);
}

std::string HostToWindowsLocked(const KernelState& state, const std::string& hostPath) {
  std::string host = hostPath;
  if (host.empty() || host[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return {};
    host = std::string(cwd) + (host.empty() ? "" : "/" + host);
  }
  // "." and ".." are taken as written, as in a Windows name, so that no ".." leads out of
  // the drive that holds the path.
  std::vector<std::string> parts;
  AppendParts(parts, host, '/');
  host.clear();
  for (const std::string& part : parts) host += "/" + part;
  if (host.empty()) host = "/";
  int best = -1;
  for (int i = 0; i < 26; ++i) {
    const Drive& drive = state.drives[i];
    if (!drive.present) continue;
    const std::string& root = drive.root;
    bool inside = root == "/" || host == root ||
                  (host.compare(0, root.size(), root) == 0 && host[root.size()] == '/');
    if (!inside) continue;
    // The deepest root wins; between equal roots a ready drive, then the first letter.
    if (best < 0 || root.size() > state.drives[best].root.size() ||
        (root.size() == state.drives[best].root.size() && drive.ready &&
         !state.drives[best].ready)) {
      best = i;
    }
  }
  if (best < 0) return {};
  const std::string& root = state.drives[best].root;
  std::string rest =
      root == "/" ? host.substr(1) : host.substr(std::min(host.size(), root.size() + 1));
  std::string windows = std::string(1, static_cast<char>('A' + best)) + ":\\";
  for (char c : rest) windows += c == '/' ? '\\' : c;
  return windows;
}

void ApplyDriveTable(KernelState& state, const std::array<Drive, 26>& drives) {
  state.drives = drives;
  for (int i = 0; i < 26; ++i) {
    state.driveCurrent[i] =
        drives[i].present ? std::string(1, static_cast<char>('A' + i)) + ":\\" : std::string();
  }
  std::string current = HostToWindowsLocked(state, "");
  if (current.empty()) {
    // C: when it can be used, else the first drive that is ready, else the first drive.
    int first = -1;
    for (int i : {2,  0,  1,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                  13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}) {
      if (state.drives[i].present &&
          (first < 0 || (state.drives[i].ready && !state.drives[first].ready))) {
        first = i;
      }
    }
    current = state.driveCurrent[first];
    if (chdir(state.drives[first].root.c_str()) != 0) {
      // A drive that is not ready keeps the host folder where it was.
    }
  }
  state.current = current;
  state.driveCurrent[current[0] - 'A'] = current;
}

KernelState& TheKernel() {
  static KernelState* state = [] {
    auto* created = new KernelState;  // used by static destructors elsewhere too
    std::array<Drive, 26> drives;
    DefaultDrives(drives);
    ApplyDriveTable(*created, drives);
    return created;
  }();
  return *state;
}

}  // namespace platform::kernel

using namespace platform::kernel;

namespace {

DWORD CopyName(const std::string& text, DWORD bufferLength, LPSTR buffer) {
  if (buffer == nullptr || bufferLength < text.size() + 1) {
    return static_cast<DWORD>(text.size() + 1);
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
  if (pathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  std::string name = pathName;
  // An empty name keeps the current directory: for a typed "[folder]" entry the
  // browsing controls change to an empty drive part before changing to the folder.
  if (name.empty()) return TRUE;
  // "D:" alone selects the current directory of drive D.
  if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
    int index = (name[0] | 0x20) - 'a';
    if (!state.drives[index].present) {
      SetLastError(ERROR_INVALID_DRIVE);
      return FALSE;
    }
    name = state.driveCurrent[index];
  }
  ResolvedPath path;
  DWORD error = ResolveLocked(state, name, path);
  if (error == 0 &&
      path.full.size() + (path.isRoot() ? 0 : 1) >= static_cast<std::size_t>(MAX_PATH)) {
    error = ERROR_FILENAME_EXCED_RANGE;
  }
  if (error == 0) {
    struct stat info;
    if (stat(path.host.c_str(), &info) != 0) {
      error = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
      if (errno == ENOENT || errno == ENOTDIR) {
        std::string parent = path.host.substr(0, path.host.rfind('/'));
        if (!parent.empty() && stat(parent.c_str(), &info) != 0) error = ERROR_PATH_NOT_FOUND;
      }
    } else if (!S_ISDIR(info.st_mode)) {
      error = ERROR_DIRECTORY;
    } else if (chdir(path.host.c_str()) != 0) {
      error = ErrorFromErrno(errno);
    }
  }
  if (error != 0) {
    SetLastError(error);
    return FALSE;
  }
  state.current = path.full;
  if (path.root.size() == 2) state.driveCurrent[path.drive] = path.full;
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  KernelState& state = TheKernel();
  std::lock_guard lock(state.mutex);
  return CopyName(state.current, bufferLength, buffer);
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
  if (fileName == nullptr || fileName[0] == '\0') {
    SetLastError(fileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_NAME);
    return 0;
  }
  if (std::strlen(fileName) >= static_cast<std::size_t>(MAX_PATH)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  std::string root;
  std::vector<std::string> parts;
  std::string full;
  {
    KernelState& state = TheKernel();
    std::lock_guard lock(state.mutex);
    DWORD error = MakeFull(state, fileName, root, parts);
    if (error != 0) {
      SetLastError(error);
      return 0;
    }
  }
  full = root + "\\";
  for (std::size_t i = 0; i < parts.size(); ++i) full += (i > 0 ? "\\" : "") + parts[i];
  char lastChar = fileName[std::strlen(fileName) - 1];
  bool trailing = (lastChar == '\\' || lastChar == '/') && !parts.empty();
  if (trailing) full += '\\';
  DWORD result = CopyName(full, bufferLength, buffer);
  if (filePart != nullptr) {
    *filePart = nullptr;
    if (result < bufferLength && !trailing && !parts.empty()) {
      *filePart = buffer + full.size() - parts.back().size();
    }
  }
  return result;
}

namespace platform {

std::string HostToWindowsPath(const std::string& hostPath) {
  kernel::KernelState& state = kernel::TheKernel();
  std::lock_guard lock(state.mutex);
  return kernel::HostToWindowsLocked(state, hostPath);
}

DWORD WindowsToHostPath(const std::string& windowsPath, std::string& hostPath) {
  kernel::ResolvedPath path;
  DWORD error = kernel::Resolve(windowsPath, path);
  if (error == 0) hostPath = path.host;
  return error;
}

}  // namespace platform
