// Kernel services: errors, files, drives, paths, search, processes and the
// locale helpers, over the Linux file system and processes.
#pragma once
#include <string>

#include "platform/types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// Locale services. The system code page is UTF-8; case mapping changes ASCII
// letters only and keeps multi-byte sequences whole.
int CompareStringA(LCID locale, DWORD flags, LPCSTR string1, int count1, LPCSTR string2,
                   int count2);
DWORD CharLowerBuffA(LPSTR text, DWORD length);
DWORD CharUpperBuffA(LPSTR text, DWORD length);
BOOL IsDBCSLeadByte(BYTE value);

namespace platform {
// The Windows name of a host path ("/home/x" is "C:\home\x" with the default drive table).
std::string HostToWindowsPath(const std::string& hostPath);
}  // namespace platform
