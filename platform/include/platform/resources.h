// Resources of the module: the directory the resource compiler generates,
// searched by type and name as the published resource functions do.
#pragma once
#include "platform/types.h"

HMODULE GetModuleHandleA(LPCSTR moduleName);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

namespace platform {

// One entry of the generated resource directory. Names and types are either
// integer ids (name == nullptr) or upper-case strings.
struct ResourceEntry {
  const char* typeName;
  unsigned typeId;
  const char* name;
  unsigned id;
  const unsigned char* data;
  unsigned size;
};

struct ResourceDirectory {
  const ResourceEntry* entries;
  unsigned count;
};

// Defined by the generated resource source that every program links.
extern const ResourceDirectory kModuleResources;

}  // namespace platform
