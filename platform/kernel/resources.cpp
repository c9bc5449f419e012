#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

// The one module of the process: the program itself, at the classic image base.
HMODULE const kModule = reinterpret_cast<HMODULE>(0x400000);

bool ModuleMatches(HMODULE module) { return module == nullptr || module == kModule; }

// A resource name or type: an integer id, "#123", or a name compared without case.
bool NameMatches(LPCSTR wanted, const char* storedName, unsigned storedId) {
  if (IS_INTRESOURCE(wanted)) {
    return storedName == nullptr && storedId == reinterpret_cast<ULONG_PTR>(wanted);
  }
  if (wanted[0] == '#') {
    char* end = nullptr;
    unsigned long id = std::strtoul(wanted + 1, &end, 10);
    return end != wanted + 1 && *end == '\0' && storedName == nullptr && storedId == id;
  }
  if (storedName == nullptr) return false;
  std::size_t i = 0;
  for (; wanted[i] != '\0' && storedName[i] != '\0'; ++i) {
    char c = wanted[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != storedName[i]) return false;
  }
  return wanted[i] == storedName[i];
}

const platform::ResourceEntry* Find(LPCSTR name, LPCSTR type) {
  const auto& directory = platform::kModuleResources;
  for (unsigned i = 0; i < directory.count; ++i) {
    const auto& entry = directory.entries[i];
    if (entry.data == nullptr) continue;
    if (NameMatches(type, entry.typeName, entry.typeId) && NameMatches(name, entry.name, entry.id)) {
      return &entry;
    }
  }
  return nullptr;
}

const platform::ResourceEntry* Entry(HRSRC resource) {
  const auto& directory = platform::kModuleResources;
  auto entry = reinterpret_cast<const platform::ResourceEntry*>(resource);
  if (entry < directory.entries || entry >= directory.entries + directory.count) return nullptr;
  return entry;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return kModule;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (!ModuleMatches(module) || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  char host[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", host, sizeof host - 1);
  if (length <= 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  host[length] = '\0';
  std::string name = platform::HostToWindowsPath(host);
  if (name.empty()) {
    // No drive of the table holds the program's folder.
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Too small a buffer gets the name cut and NUL-terminated, and returns the size.
  if (name.size() >= size) {
    std::memcpy(fileName, name.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!ModuleMatches(module) || name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const platform::ResourceEntry* entry = Find(name, type);
  if (entry == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<platform::ResourceEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (!ModuleMatches(module) || Entry(resource) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return resource;
}

LPVOID LockResource(HGLOBAL data) {
  const platform::ResourceEntry* entry = Entry(static_cast<HRSRC>(data));
  return entry == nullptr ? nullptr : const_cast<unsigned char*>(entry->data);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  const platform::ResourceEntry* entry = ModuleMatches(module) ? Entry(resource) : nullptr;
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

// Resources live in the program image: there is nothing to release.
BOOL FreeResource(HGLOBAL) { return FALSE; }

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (buffer == nullptr || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = '\0';
  HRSRC block = FindResourceA(instance, MAKEINTRESOURCEA((id >> 4) + 1), RT_STRING);
  if (block == nullptr) return 0;
  const platform::ResourceEntry* entry = Entry(block);
  const unsigned char* p = entry->data;
  const unsigned char* end = p + entry->size;
  auto word = [&](std::uint32_t& value) {
    if (end - p < 2) return false;
    value = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    p += 2;
    return true;
  };
  std::uint32_t length = 0;
  for (UINT slot = 0; slot <= (id & 15); ++slot) {
    if (!word(length)) return 0;
    if (slot < (id & 15)) {
      if (static_cast<std::size_t>(end - p) < length * 2u) return 0;
      p += length * 2;
    }
  }
  if (length == 0) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < length * 2u) return 0;
  std::string text;
  for (std::uint32_t i = 0; i < length; ++i) {
    std::uint32_t unit = 0;
    word(unit);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length) {
      std::uint32_t low = 0;
      word(low);
      ++i;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(text, unit);
  }
  std::size_t copied = std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufferMax) - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}
