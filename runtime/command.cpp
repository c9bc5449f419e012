#include "runtime/command.h"

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

std::string Variable(const char* name) {
  char small[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(name, small, sizeof small);
  if (length == 0) return {};
  if (length < sizeof small) return std::string(small, length);
  std::string value(length, '\0');
  length = GetEnvironmentVariableA(name, value.data(), length);
  value.resize(length);
  return value;
}

// CMD.EXE in the first folder of PATH that has it; empty when none does.
std::string InterpreterAlongPath() {
  std::string folders = Variable("PATH");
  std::size_t start = 0;
  while (start < folders.size()) {
    std::size_t end = folders.find(';', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;
    std::string candidate = folder + (folder.back() == '\\' ? "" : "\\") + "CMD.EXE";
    DWORD attributes = GetFileAttributesA(candidate.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return candidate;
    }
  }
  return {};
}

}  // namespace

CommandOutcome RunCommandInterpreter(std::string_view command) {
  CommandOutcome outcome;
  std::string interpreter = Variable("COMSPEC");
  if (interpreter.empty()) interpreter = InterpreterAlongPath();
  if (interpreter.empty()) {
    outcome.error = ERROR_FILE_NOT_FOUND;
    return outcome;
  }
  std::string line = "\"" + interpreter + "\" /c " + std::string(command);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(interpreter.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    outcome.error = GetLastError();
    return outcome;
  }
  outcome.started = true;
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &outcome.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return outcome;
}

int ParamCount() {
  return static_cast<int>(platform::SplitCommandLine(GetCommandLineA()).size()) - 1;
}

std::string ParamStr(int index) {
  if (index == 0) {
    char name[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
    return length > 0 && length < sizeof name ? std::string(name, length) : std::string();
  }
  std::vector<std::string> arguments = platform::SplitCommandLine(GetCommandLineA());
  return index > 0 && index < static_cast<int>(arguments.size()) ? arguments[index] : std::string();
}
