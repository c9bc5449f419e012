// Command lines: the program's own (ParamCount, ParamStr), and the commands it runs
// through the command interpreter, as the player starts its companion programs: COMSPEC,
// else CMD.EXE along PATH, given "/c " and the command, waited for without limit.
#pragma once
#include <string>
#include <string_view>

#include "platform/types.h"

struct CommandOutcome {
  bool started = false;  // false: no interpreter, or it could not be started
  DWORD exitCode = 0;    // the interpreter's exit code when started
  DWORD error = 0;       // the platform's error code when not started
};

// A failure to start is a result, never an exception.
CommandOutcome RunCommandInterpreter(std::string_view command);

// The program's command line (GetCommandLineA) taken apart as CreateProcessA takes it:
// ParamStr(0) is the program file's full name, ParamStr(1) to ParamStr(ParamCount()) its
// arguments; any other index gives the empty text.
int ParamCount();
std::string ParamStr(int index);
