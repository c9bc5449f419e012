// A small read-only registry with the keys programs of this system read. Opened keys are
// handles with a table index and a generation; a stale or made-up key is refused.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/names.h"
#include "platform/win32.h"

namespace {

struct Value {
  const char* name;
  DWORD type;
  std::string data;  // REG_SZ: the text without its terminating zero
};

struct Key {
  ULONG_PTR root;
  const char* path;  // below the root, backslash separated
  std::vector<Value> values;
};

const std::vector<Key>& Keys() {
  static const auto* keys = new std::vector<Key>{
      {0x80000002u,
       "System\\CurrentControlSet\\Control\\Keyboard Layouts\\00000409",
       {{"layout text", REG_SZ, "US"}, {"layout file", REG_SZ, "KBDUS.DLL"}}},
  };
  return *keys;
}

struct Open {
  const Key* key = nullptr;  // null: a root, or a key on the way to one with values
  ULONG_PTR root = 0;
  std::string path;
  std::uint32_t generation = 0;
};

std::vector<Open>& Handles() {
  static auto* handles = new std::vector<Open>();
  return *handles;
}

bool IsRoot(HKEY key) {
  auto value = reinterpret_cast<ULONG_PTR>(key);
  return value >= 0x80000000u && value <= 0x80000006u;
}

// The open key of a handle; roots are always open.
bool Resolve(HKEY key, Open* out) {
  auto value = reinterpret_cast<ULONG_PTR>(key);
  if (IsRoot(key)) {
    *out = Open{nullptr, value, std::string(), 0};
    return true;
  }
  std::size_t index = value & 0xFFFF;
  auto generation = static_cast<std::uint32_t>(value >> 16);
  if (index == 0 || index > Handles().size() || value > 0xFFFFFFFFu) return false;
  const Open& open = Handles()[index - 1];
  if (open.generation == 0 || open.generation != generation) return false;
  *out = open;
  return true;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "\\" + b;
}

std::string Trim(std::string path) {
  while (!path.empty() && path.front() == '\\') path.erase(path.begin());
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Whether `path` names a stored key or a key above one.
const Key* Lookup(ULONG_PTR root, const std::string& path, bool* exists) {
  *exists = path.empty();
  for (const Key& key : Keys()) {
    if (key.root != root) continue;
    std::string stored = key.path;
    if (platform::kernel::SameNoCase(stored, path)) {
      *exists = true;
      return &key;
    }
    if (stored.size() > path.size() && stored[path.size()] == '\\' &&
        platform::kernel::SameNoCase(stored.substr(0, path.size()), path))
      *exists = true;
  }
  return nullptr;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  (void)options;
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Open parent;
  if (!Resolve(key, &parent)) return ERROR_INVALID_HANDLE;
  // Nothing here can be changed.
  if (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  std::string path = Trim(Join(parent.path, subKey ? subKey : ""));
  bool exists = false;
  const Key* found = Lookup(parent.root, path, &exists);
  if (!exists) return ERROR_FILE_NOT_FOUND;
  auto& handles = Handles();
  std::size_t index = 0;
  while (index < handles.size() && handles[index].generation != 0) ++index;
  if (index == handles.size()) {
    if (handles.size() >= 0xFFFF) return ERROR_NOT_ENOUGH_MEMORY;
    handles.emplace_back();
  }
  Open& slot = handles[index];
  static std::uint32_t nextGeneration = 0;
  nextGeneration = (nextGeneration % 0x7FFF) + 1;
  slot = Open{found, parent.root, path, nextGeneration};
  *result = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>((nextGeneration << 16) | (index + 1)));
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  Open open;
  if (!Resolve(key, &open)) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  if (!open.key) return ERROR_FILE_NOT_FOUND;
  for (const Value& value : open.key->values) {
    if (!platform::kernel::SameNoCase(value.name, name ? name : "")) continue;
    if (type) *type = value.type;
    DWORD needed = static_cast<DWORD>(value.data.size() + (value.type == REG_SZ ? 1 : 0));
    if (!size) return ERROR_SUCCESS;
    if (!data) {
      *size = needed;
      return ERROR_SUCCESS;
    }
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.c_str(), needed);
    *size = needed;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCloseKey(HKEY key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  Open open;
  if (!Resolve(key, &open)) return ERROR_INVALID_HANDLE;
  Handles()[(reinterpret_cast<ULONG_PTR>(key) & 0xFFFF) - 1] = Open{};
  return ERROR_SUCCESS;
}
