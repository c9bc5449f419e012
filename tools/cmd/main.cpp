// The platform's command interpreter: "cmd /c PROGRAM ARGS" runs the program (a host
// file named by its Windows name, with or without ".exe", found in the current folder
// or along PATH when the name has no folder) and ends with its exit code.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

const char* Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return "no such program";
    case ERROR_PATH_NOT_FOUND:
      return "no such folder";
    case ERROR_ACCESS_DENIED:
      return "not allowed to run it";
    case ERROR_NOT_READY:
      return "the drive is not ready";
    case ERROR_BAD_EXE_FORMAT:
      return "not a program";
    default:
      return "it cannot be started";
  }
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  while (first < argc && std::strcmp(argv[first], "/c") != 0 &&
         std::strcmp(argv[first], "/C") != 0) {
    ++first;
  }
  if (first >= argc - 1) {
    std::fprintf(stderr, "usage: cmd /c PROGRAM [ARGUMENTS]\n");
    return 1;
  }
  std::string line;
  for (int i = first + 1; i < argc; ++i) {
    if (i > first + 1) line += ' ';
    line += platform::QuoteArgument(argv[i]);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    DWORD error = GetLastError();
    std::fprintf(stderr, "'%s' cannot be run: %s (error %u).\n", argv[first + 1], Reason(error),
                 static_cast<unsigned>(error));
    return 127;  // as a shell reports a command it cannot run
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
