// Windows wildcard matching of names: "*" any run, "?" one character (a whole UTF-8
// sequence), ASCII letters without regard to case; "*" and "*.*" match every name, a
// pattern ending in "." matches names without an extension and "X.*" matches "X" too.
#pragma once
#include "private.h"
#include <string_view>

namespace platform::kernel {

class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);
  bool Matches(std::string_view name) const;

 private:
  enum class Shape { Everything, Suffix, General };
  bool Glob(std::string_view pattern, std::string_view name) const;

  std::string_view pattern_;
  Shape shape_;
  std::string_view suffix_;  // "*.mid" kept as ".mid" for the common fast case
};

}  // namespace platform::kernel
