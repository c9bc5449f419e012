// The process environment as the program sees it: the host environment with PATH in
// Windows form, COMSPEC naming the platform's command interpreter, and the drive
// table handed on to child processes.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "kernel/internal.h"
#include "platform/win32.h"

extern char** environ;

namespace platform::kernel {
namespace {

struct Environment {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::string>> variables;
  std::string hostPath;     // PATH as the host gave it
  std::string windowsPath;  // the same in Windows form
};

std::string PathToWindows(const std::string& hostPath) {
  std::string windows;
  std::size_t start = 0;
  while (start <= hostPath.size()) {
    std::size_t end = hostPath.find(':', start);
    if (end == std::string::npos) end = hostPath.size();
    std::string entry = hostPath.substr(start, end - start);
    std::string name = entry.empty() ? std::string() : HostToWindowsPath(entry);
    if (!name.empty()) windows += (windows.empty() ? "" : ";") + name;
    start = end + 1;
  }
  return windows;
}

std::string PathToHost(const std::string& windowsPath) {
  std::string host;
  std::size_t start = 0;
  while (start <= windowsPath.size()) {
    std::size_t end = windowsPath.find(';', start);
    if (end == std::string::npos) end = windowsPath.size();
    std::string entry = windowsPath.substr(start, end - start);
    std::string mapped;
    if (!entry.empty() && WindowsToHostPath(entry, mapped) == 0) {
      host += (host.empty() ? "" : ":") + mapped;
    }
    start = end + 1;
  }
  return host;
}

std::string FindInterpreter() {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return FindInterpreterFor(std::string());
  self[length] = '\0';
  std::string folder(self);
  return FindInterpreterFor(folder.substr(0, folder.rfind('/')));
}

auto FindVariable(Environment& environment, const std::string& name) {
  for (auto it = environment.variables.begin(); it != environment.variables.end(); ++it) {
    if (SameNoCase(it->first, name)) return it;
  }
  return environment.variables.end();
}

Environment& TheEnvironment() {
  static Environment* environment = [] {
    auto* created = new Environment;
    bool hasInterpreter = false;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
      const char* equals = std::strchr(*entry, '=');
      if (equals == nullptr || equals == *entry) continue;
      std::string name(*entry, static_cast<std::size_t>(equals - *entry));
      std::string value(equals + 1);
      if (name == "PATH") {
        created->hostPath = value;
        value = created->windowsPath = PathToWindows(value);
      }
      if (name == "COMSPEC") hasInterpreter = true;
      created->variables.emplace_back(std::move(name), std::move(value));
    }
    if (!hasInterpreter) {
      std::string interpreter = FindInterpreter();
      std::string name = interpreter.empty() ? std::string() : HostToWindowsPath(interpreter);
      if (!name.empty()) created->variables.emplace_back("COMSPEC", name);
    }
    return created;
  }();
  return *environment;
}

}  // namespace

std::string FindInterpreterFor(const std::string& programFolder) {
  std::vector<std::string> candidates;
  if (!programFolder.empty())
    for (const char* relative : {"/cmd", "/bin/cmd", "/../bin/cmd", "/../../bin/cmd"})
      candidates.push_back(programFolder + relative);
  // A program elsewhere (a test tree of its own, a copy) still finds the interpreter the
  // build made, and an installed program the installed one.
#ifdef TD_CMD_BUILD_PATH
  candidates.emplace_back(TD_CMD_BUILD_PATH);
#endif
#ifdef TD_CMD_INSTALLED_PATH
  candidates.emplace_back(TD_CMD_INSTALLED_PATH);
#endif
  for (const std::string& candidate : candidates) {
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      char resolved[PATH_MAX];
      if (realpath(candidate.c_str(), resolved) != nullptr) return resolved;
    }
  }
  return {};
}

std::vector<std::string> ChildEnvironment(const char* block) {
  std::vector<std::string> result;
  if (block != nullptr) {
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
      result.emplace_back(entry);
    }
  } else {
    Environment& environment = TheEnvironment();
    std::lock_guard lock(environment.mutex);
    for (const auto& [name, value] : environment.variables) {
      if (SameNoCase(name, "PATH")) {
        result.push_back(
            name + "=" +
            (value == environment.windowsPath ? environment.hostPath : PathToHost(value)));
      } else if (name != "TD_DRIVES") {
        result.push_back(name + "=" + value);
      }
    }
  }
  // Children of the platform see the same drives as their parent.
  std::string table = FormatDriveTable();
  bool replaced = false;
  for (std::string& entry : result) {
    if (entry.compare(0, 10, "TD_DRIVES=") == 0) {
      entry = "TD_DRIVES=" + table;
      replaced = true;
    }
  }
  if (!replaced) result.push_back("TD_DRIVES=" + table);
  return result;
}

}  // namespace platform::kernel

using namespace platform::kernel;

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Environment& environment = TheEnvironment();
  std::lock_guard lock(environment.mutex);
  auto it = FindVariable(environment, name);
  if (it == environment.variables.end()) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const std::string& value = it->second;
  if (buffer == nullptr || size < value.size() + 1) return static_cast<DWORD>(value.size() + 1);
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
  if (name == nullptr || name[0] == '\0' || std::strchr(name, '=') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Environment& environment = TheEnvironment();
  std::lock_guard lock(environment.mutex);
  auto it = FindVariable(environment, name);
  if (value == nullptr) {
    if (it == environment.variables.end()) {
      SetLastError(ERROR_ENVVAR_NOT_FOUND);
      return FALSE;
    }
    environment.variables.erase(it);
  } else if (it == environment.variables.end()) {
    environment.variables.emplace_back(name, value);
  } else {
    it->second = value;
  }
  return TRUE;
}
