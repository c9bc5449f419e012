#include "kernel/wildcard.h"

namespace platform::kernel {
namespace {

inline char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Bytes of the UTF-8 character that starts at text[0] (1 for stray bytes).
std::size_t CharacterLength(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  std::size_t i = 1;
  while (i < length && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  return i;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) : pattern_(pattern) {
  if (pattern == "*" || pattern == "*.*") {
    shape_ = Shape::Everything;
  } else if (pattern.size() > 2 && pattern[0] == '*' && pattern[1] == '.' &&
             pattern.find_first_of("*?", 1) == std::string_view::npos &&
             pattern.find('.', 2) == std::string_view::npos) {
    shape_ = Shape::Suffix;
    suffix_ = pattern.substr(1);
  } else {
    shape_ = Shape::General;
  }
}

bool WildcardPattern::Matches(std::string_view name) const {
  switch (shape_) {
    case Shape::Everything:
      return true;
    case Shape::Suffix:
      return name.size() >= suffix_.size() &&
             EqualsNoCase(name.substr(name.size() - suffix_.size()), suffix_);
    case Shape::General:
      break;
  }
  if (Glob(pattern_, name)) return true;
  bool nameHasDot = name.find('.') != std::string_view::npos;
  // "X.*" also matches "X"; "X." matches "X" when X has no extension.
  if (!nameHasDot && pattern_.size() >= 2 && pattern_.substr(pattern_.size() - 2) == ".*") {
    return Glob(pattern_.substr(0, pattern_.size() - 2), name);
  }
  if (!nameHasDot && pattern_.size() >= 2 && pattern_.back() == '.') {
    return Glob(pattern_.substr(0, pattern_.size() - 1), name);
  }
  return false;
}

bool WildcardPattern::Glob(std::string_view pattern, std::string_view name) const {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starPattern = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = ++p;
      starName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharacterLength(name.substr(n));
    } else if (p < pattern.size() && Fold(pattern[p]) == Fold(name[n])) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      // Let the last star take one more character and try again from there.
      starName += CharacterLength(name.substr(starName));
      n = starName;
      p = starPattern;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace platform::kernel
