// Global atoms: strings compared without case, counted, numbered from 0xC000; integer
// atoms (1 to 0xBFFF, or "#n") stand for themselves.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/internal.h"
#include "platform/win32.h"

namespace {

constexpr ATOM kFirstStringAtom = 0xC000;

struct AtomEntry {
  std::string name;
  unsigned references = 0;
};

struct AtomTable {
  std::mutex mutex;
  std::vector<AtomEntry> entries;  // index + 0xC000 is the atom; empty names are free
};

AtomTable& Atoms() {
  static auto* table = new AtomTable;
  return *table;
}

// An integer atom given as MAKEINTATOM or "#n": its value, 0 when not one, and -1 when
// the number is out of range.
int IntegerAtom(LPCSTR string) {
  if (IS_INTRESOURCE(string)) {
    auto value = static_cast<int>(reinterpret_cast<ULONG_PTR>(string));
    return value >= 1 && value < kFirstStringAtom ? value : -1;
  }
  if (string[0] != '#') return 0;
  char* end = nullptr;
  long value = std::strtol(string + 1, &end, 10);
  if (end == string + 1 || *end != '\0') return 0;
  return value >= 1 && value < kFirstStringAtom ? static_cast<int>(value) : -1;
}

int FindIndex(AtomTable& table, const std::string& name) {
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    if (table.entries[i].references > 0 &&
        platform::kernel::SameNoCase(table.entries[i].name, name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

ATOM GlobalAddAtomA(LPCSTR string) {
  if (string == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int integer = IntegerAtom(string);
  if (integer != 0 || std::strlen(string) == 0 || std::strlen(string) > 255) {
    if (integer > 0) return static_cast<ATOM>(integer);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  AtomTable& table = Atoms();
  std::lock_guard lock(table.mutex);
  int index = FindIndex(table, string);
  if (index >= 0) {
    ++table.entries[index].references;
    return static_cast<ATOM>(kFirstStringAtom + index);
  }
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    if (table.entries[i].references == 0) {
      table.entries[i].name = std::string(string);
      table.entries[i].references = 1;
      return static_cast<ATOM>(kFirstStringAtom + i);
    }
  }
  if (table.entries.size() >= 0x3FFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  table.entries.push_back(AtomEntry{std::string(string), 1});
  return static_cast<ATOM>(kFirstStringAtom + table.entries.size() - 1);
}

ATOM GlobalDeleteAtom(ATOM atom) {
  if (atom > 0 && atom < kFirstStringAtom) return 0;
  AtomTable& table = Atoms();
  std::lock_guard lock(table.mutex);
  std::size_t index = atom - kFirstStringAtom;
  if (atom < kFirstStringAtom || index >= table.entries.size() ||
      table.entries[index].references == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return atom;
  }
  if (--table.entries[index].references == 0) table.entries[index].name.clear();
  return 0;
}

ATOM GlobalFindAtomA(LPCSTR string) {
  if (string == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int integer = IntegerAtom(string);
  if (integer > 0) return static_cast<ATOM>(integer);
  AtomTable& table = Atoms();
  std::lock_guard lock(table.mutex);
  int index = integer == 0 ? FindIndex(table, string) : -1;
  if (index < 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  return static_cast<ATOM>(kFirstStringAtom + index);
}

UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name;
  if (atom > 0 && atom < kFirstStringAtom) {
    char number[8];
    std::snprintf(number, sizeof number, "#%u", static_cast<unsigned>(atom));
    name = number;
  } else {
    AtomTable& table = Atoms();
    std::lock_guard lock(table.mutex);
    std::size_t index = atom - kFirstStringAtom;
    if (atom < kFirstStringAtom || index >= table.entries.size() ||
        table.entries[index].references == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      buffer[0] = '\0';
      return 0;
    }
    name = table.entries[index].name;
  }
  std::size_t copied = std::min(name.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, name.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}
