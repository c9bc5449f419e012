// The automation script (the TD_SCRIPT setting): lines played into the program on the
// headless backend and the virtual clock, one whenever the program would wait for input
// with nothing left to do. The reader turns a script's text into lines, or refuses it with
// the number of its first malformed line; the dump writes the program's state as JSON.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"
#include "private.h"

namespace platform::script {

enum class Command { Wait, Move, Press, Release, Click, DoubleClick, Key, Type, Close, Shot, Dump };

// `screen`, or the client area of the index-th (from 1) visible window of a class.
struct Target {
  bool screen = true;
  std::string className;
  int index = 1;
};

struct Line {
  int number = 0;  // in the file, from 1
  Command command = Command::Wait;
  Target target;
  int x = 0;
  int y = 0;
  bool rightButton = false;
  std::uint64_t milliseconds = 0;
  std::vector<UINT> keys;  // pressed in this order, released in the reverse order
  std::string text;        // what `type` types; the path of `shot` and `dump`
};

struct Script {
  std::vector<Line> lines;
  int errorLine = 0;  // 0 when the script was read
  std::string error;
};

Script Read(std::string_view text);

// A key by the name a `key` line uses ("F2", "Esc", "Ctrl", "a"), case ignored; 0 for none.
UINT KeyByName(std::string_view name);

// The program's state as one JSON document: the clock, the current directory, every window
// in creation order and every open MCI device.
std::string Dump();

}  // namespace platform::script
