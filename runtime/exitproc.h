// Exit processing: routines registered here run once each, the last registered
// first, when the main routine ends normally (RunExitProcs) or when Halt ends the
// process early.
#pragma once

void AddExitProc(void (*proc)());

// Runs every registered routine that has not run yet; returns exitCode so that a
// main routine can end with `return RunExitProcs(0);`.
int RunExitProcs(int exitCode);

// Runs the exit processing and ends the process with exitCode.
[[noreturn]] void Halt(int exitCode);
