// libFuzzer target for the automation script's reader: any text is read or refused with
// the number of a line it has, and what is read keeps its invariants.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::script::Script script = platform::script::Read(text);
  int lines = 1;
  for (char c : text) lines += c == '\n';
  if (script.errorLine) {
    if (script.errorLine > lines || script.error.empty() || !script.lines.empty()) std::abort();
    return 0;
  }
  int previous = 0;
  for (const platform::script::Line& line : script.lines) {
    if (line.number <= previous || line.number > lines) std::abort();
    if (!line.target.screen && (line.target.className.empty() || line.target.index < 1)) std::abort();
    if (line.command == platform::script::Command::Key && line.keys.empty()) std::abort();
    previous = line.number;
  }
  return 0;
}
