#include "platform/win32.h"

namespace platform {

std::string HostToWindowsPath(const std::string& hostPath) {
  std::string out = "C:";
  for (char c : hostPath) out += c == '/' ? '\\' : c;
  if (out == "C:") out += '\\';
  return out;
}

}  // namespace platform
