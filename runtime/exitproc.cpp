#include "runtime/exitproc.h"

#include <cstdlib>
#include <vector>

namespace {

std::vector<void (*)()>& ExitProcs() {
  static auto* procs = new std::vector<void (*)()>();  // never destroyed: used at exit
  return *procs;
}

void RunAtProcessExit() { RunExitProcs(0); }

}  // namespace

void AddExitProc(void (*proc)()) {
  static const bool registered = (std::atexit(RunAtProcessExit), true);
  (void)registered;
  ExitProcs().push_back(proc);
}

int RunExitProcs(int exitCode) {
  auto& procs = ExitProcs();
  // A routine may register another or call Halt; each one is taken off before it runs.
  while (!procs.empty()) {
    auto proc = procs.back();
    procs.pop_back();
    proc();
  }
  return exitCode;
}

void Halt(int exitCode) {
  RunExitProcs(exitCode);
  std::exit(exitCode);
}
