// Child processes: host programs named by Windows names, started with posix_spawn,
// waited for and asked for their exit codes through process handles.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "kernel/internal.h"
#include "kernel/objects.h"
#include "kernel/threads.h"
#include "platform/win32.h"

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  std::string program;
  if (i < line.size() && line[i] == '"') {
    std::size_t end = line.find('"', i + 1);
    if (end == std::string::npos) end = line.size();
    program = line.substr(i + 1, end - i - 1);
    i = end + 1;
  } else {
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') program += line[i++];
  }
  arguments.push_back(program);
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        std::size_t count = 0;
        while (i < line.size() && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(count, '\\');
        }
      } else if (line[i] == '"') {
        quoted = !quoted;
        ++i;
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace platform

namespace platform::kernel {
namespace {

class ProcessObject : public KernelObject {
 public:
  explicit ProcessObject(pid_t pid) : KernelObject(ObjectKind::Process), pid_(pid) {}
  ~ProcessObject() override {
    // A child nobody waits for any more must not stay a zombie: reap it now if it
    // ended, else leave it to the next look at abandoned children.
    if (!reaped_ && waitpid(pid_, nullptr, WNOHANG) == 0) Abandon(pid_);
  }
  DWORD Id() const { return static_cast<DWORD>(pid_); }

  // Reaps the child if it ended; with block, waits for that.
  bool Ended(bool block) {
    std::lock_guard lock(mutex_);
    if (reaped_) return true;
    int status = 0;
    pid_t result;
    do {
      result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    reaped_ = true;
    if (result < 0) {
      exitCode_ = ERROR_GEN_FAILURE;
    } else if (WIFEXITED(status)) {
      exitCode_ = static_cast<DWORD>(WEXITSTATUS(status));
    } else {
      exitCode_ = 128u + static_cast<DWORD>(WTERMSIG(status));  // ended by a signal
    }
    return true;
  }
  DWORD ExitCode() {
    std::lock_guard lock(mutex_);
    return exitCode_;
  }

  static void ReapAbandoned() {
    std::lock_guard lock(AbandonedMutex());
    auto& list = Abandoned();
    for (std::size_t i = 0; i < list.size();) {
      if (waitpid(list[i], nullptr, WNOHANG) != 0) {
        list[i] = list.back();
        list.pop_back();
      } else {
        ++i;
      }
    }
  }

 private:
  static std::mutex& AbandonedMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
  }
  static std::vector<pid_t>& Abandoned() {
    static auto* list = new std::vector<pid_t>;
    return *list;
  }
  static void Abandon(pid_t pid) {
    std::lock_guard lock(AbandonedMutex());
    Abandoned().push_back(pid);
  }

  std::mutex mutex_;
  pid_t pid_;
  bool reaped_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && SameNoCase(text.substr(text.size() - end.size()), end);
}

// The host file of a program name: the name as given, with ".exe" added when it has no
// extension, or without its ".exe" (host programs have none).
DWORD LocateIn(const std::string& name, std::string& host) {
  std::vector<std::string> candidates{name};
  std::string last = name.substr(
      name.find_last_of("\\/:") == std::string::npos ? 0 : name.find_last_of("\\/:") + 1);
  if (EndsWithNoCase(name, ".exe")) {
    candidates.push_back(name.substr(0, name.size() - 4));
  } else if (last.find('.') == std::string::npos) {
    candidates.push_back(name + ".exe");
  }
  DWORD error = ERROR_FILE_NOT_FOUND;
  for (const std::string& candidate : candidates) {
    ResolvedPath path;
    DWORD resolved = Resolve(candidate, path);
    if (resolved != 0) {
      error = resolved;
      continue;
    }
    struct stat info;
    if (stat(path.host.c_str(), &info) != 0) {
      std::string parent = path.host.substr(0, path.host.rfind('/'));
      if (error == ERROR_FILE_NOT_FOUND && !parent.empty() && stat(parent.c_str(), &info) != 0) {
        error = ERROR_PATH_NOT_FOUND;
      }
      continue;
    }
    if (S_ISDIR(info.st_mode)) continue;
    if (access(path.host.c_str(), X_OK) != 0) {
      error = ERROR_ACCESS_DENIED;
      continue;
    }
    host = path.host;
    return 0;
  }
  return error;
}

// A name with a folder is taken as it stands; a bare name is looked for in the current
// folder, then along PATH.
DWORD LocateProgram(const std::string& name, std::string& host) {
  if (name.empty()) return ERROR_FILE_NOT_FOUND;
  if (name.find_first_of("\\/:") != std::string::npos) return LocateIn(name, host);
  DWORD error = LocateIn(name, host);
  if (error == 0) return 0;
  std::string folders(GetEnvironmentVariableA("PATH", nullptr, 0), '\0');
  folders.resize(
      GetEnvironmentVariableA("PATH", folders.data(), static_cast<DWORD>(folders.size())));
  std::size_t start = 0;
  while (start < folders.size()) {
    std::size_t end = folders.find(';', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (!folder.empty()) {
      if (folder.back() != '\\') folder += '\\';
      if (LocateIn(folder + name, host) == 0) return 0;
    }
    start = end + 1;
  }
  return error;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  auto fail = [](DWORD error) {
    SetLastError(error);
    return FALSE;
  };
  if ((applicationName == nullptr && commandLine == nullptr) || startupInfo == nullptr ||
      processInformation == nullptr) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  ProcessObject::ReapAbandoned();
  std::vector<std::string> arguments =
      platform::SplitCommandLine(commandLine != nullptr ? commandLine : applicationName);
  std::string program = applicationName != nullptr ? applicationName : arguments[0];
  std::string host;
  DWORD error = LocateProgram(program, host);
  if (error != 0) return fail(error);
  std::string folder;
  if (currentDirectory != nullptr) {
    ResolvedPath path;
    error = Resolve(currentDirectory, path);
    struct stat info;
    if (error == 0 && (stat(path.host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
      error = ERROR_DIRECTORY;
    }
    if (error != 0) return fail(error);
    folder = path.host;
  }
  arguments[0] = host;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = ChildEnvironment(static_cast<const char*>(environment));
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, host.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return fail(ErrorFromErrno(spawned));

  auto object = std::make_shared<ProcessObject>(pid);
  HANDLE process = AddObject(object);
  HANDLE thread = process != nullptr ? AddObject(object) : nullptr;
  if (thread == nullptr) {
    if (process != nullptr) CloseHandle(process);
    return FALSE;
  }
  processInformation->hProcess = process;
  processInformation->hThread = thread;
  processInformation->dwProcessId = object->Id();
  processInformation->dwThreadId = object->Id();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  ObjectKind kind;
  if (!KindOf(handle, kind) || (kind != ObjectKind::Process && kind != ObjectKind::Thread)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (kind == ObjectKind::Thread) {
    auto thread = Find<ThreadObject>(handle, ObjectKind::Thread);
    if (thread == nullptr) return WAIT_FAILED;
    return thread->state->WaitFinished(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
  auto process = Find<ProcessObject>(handle, ObjectKind::Process);
  if (process == nullptr) return WAIT_FAILED;
  if (milliseconds == INFINITE && !platform::ThreadStopRequested()) {
    process->Ended(true);
    return WAIT_OBJECT_0;
  }
  // Timed waits look every few milliseconds; a thread asked to stop gives up.
  DWORD waited = 0;
  for (;;) {
    if (process->Ended(false)) return WAIT_OBJECT_0;
    if (milliseconds != INFINITE && waited >= milliseconds) return WAIT_TIMEOUT;
    DWORD step = milliseconds == INFINITE ? 5 : std::min<DWORD>(5, milliseconds - waited);
    if (!InterruptibleSleep(step)) return WAIT_TIMEOUT;
    waited += step;
  }
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  auto object = Find<ProcessObject>(process, ObjectKind::Process);
  if (object == nullptr) return FALSE;
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *exitCode = object->Ended(false) ? object->ExitCode() : STILL_ACTIVE;
  return TRUE;
}

// Children are console programs, which are idle from the start. For the program
// itself, a short pause stands for "until input is idle", so that a watcher thread
// polling with it neither spins nor reacts late; a stop request ends it.
DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds) {
  if (process == GetCurrentProcess()) {
    InterruptibleSleep(std::min<DWORD>(milliseconds, 100));
    return 0;
  }
  if (Find<ProcessObject>(process, ObjectKind::Process) == nullptr) return WAIT_FAILED;
  return 0;
}

// Made once from the host's arguments, and kept for the life of the process as the system
// keeps it: the program's Windows name (its host path when no drive holds it), then each
// argument as the host gave it.
LPSTR GetCommandLineA() {
  static std::string* line = [] {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < raw.size();) {
      std::size_t end = std::min(raw.find('\0', start), raw.size());
      arguments.push_back(raw.substr(start, end - start));
      start = end + 1;
    }
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    std::string name = length > 0 && length < sizeof program ? std::string(program, length)
                       : arguments.empty()                   ? std::string()
                                                             : arguments[0];
    auto* text = new std::string(platform::QuoteArgument(name));
    for (std::size_t i = 1; i < arguments.size(); ++i)
      *text += " " + platform::QuoteArgument(arguments[i]);
    return text;
  }();
  return line->data();
}
