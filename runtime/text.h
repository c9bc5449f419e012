// String-table texts and the three text comparisons, which are never interchanged:
// file names (browsing controls), ASCII case-insensitive (identifiers: component,
// class, property and method names) and the locale's case-insensitive comparison
// (string list search and sort, shortcut texts).
#pragma once
#include <string>
#include <string_view>

#include "runtime/format.h"

// The text with this id from the program's string table; empty when there is none.
std::string LoadStr(int id);

// LoadStr(id) used as a Format pattern.
template <class... A>
std::string FmtLoadStr(int id, const A&... args) {
  return Format(LoadStr(id), args...);
}

// ANSI case mapping: ASCII letters change, every byte of a multi-byte sequence stays.
std::string AnsiLowerCase(std::string_view text);
std::string AnsiUpperCase(std::string_view text);
// Lowered as a file name: ASCII letters lowered, every byte from 0x80 up kept as it is.
std::string AnsiLowerCaseFileName(std::string_view text);

// 0 when equal; negative or positive as the first sorts before or after the second.
int CompareFileNames(std::string_view a, std::string_view b);
int CompareAsciiNoCase(std::string_view a, std::string_view b);
int CompareLocaleNoCase(std::string_view a, std::string_view b);
// The locale's case-sensitive comparison.
int CompareLocale(std::string_view a, std::string_view b);

inline bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  return CompareAsciiNoCase(a, b) == 0;
}
inline bool SameFileName(std::string_view a, std::string_view b) {
  return CompareFileNames(a, b) == 0;
}
