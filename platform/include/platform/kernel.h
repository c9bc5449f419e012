// Kernel services: errors, files, drives, paths, search, processes, environment,
// atoms, memory, threads and the locale helpers, over the Linux file system and
// processes seen through drive letters (see docs/kernel.md).
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

// Kernel constants the generated table does not carry.
inline constexpr DWORD STILL_ACTIVE = 259;
inline constexpr DWORD CREATE_SUSPENDED = 0x4;
inline constexpr DWORD MEM_COMMIT = 0x1000;
inline constexpr DWORD MEM_RESERVE = 0x2000;
inline constexpr DWORD MEM_DECOMMIT = 0x4000;
inline constexpr DWORD MEM_RELEASE = 0x8000;
inline constexpr DWORD PAGE_NOACCESS = 0x01;
inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD PAGE_EXECUTE = 0x10;
inline constexpr DWORD PAGE_EXECUTE_READ = 0x20;
inline constexpr DWORD PAGE_EXECUTE_READWRITE = 0x40;
inline constexpr DWORD ERROR_BAD_DEVICE = 1200;
inline constexpr DWORD ERROR_NOT_CONNECTED = 2250;
inline constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
inline constexpr DWORD ERROR_INVALID_FLAGS = 1004;
inline constexpr DWORD ERROR_INVALID_ADDRESS = 487;

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Offset and OffsetHigh give the file position of a transfer; the other fields are
// not used (every transfer completes before the call returns).
struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[260];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
using PLONG = LONG*;
using PDWORD = DWORD*;

// The structure names without the character-set suffix.
using WIN32_FIND_DATA = WIN32_FIND_DATAA;
using LPWIN32_FIND_DATA = LPWIN32_FIND_DATAA;
using STARTUPINFO = STARTUPINFOA;
using LPSTARTUPINFO = LPSTARTUPINFOA;

// Errors: the calling thread's last Windows error code.
DWORD GetLastError();
void SetLastError(DWORD code);

// Drives.
DWORD GetLogicalDrives();
UINT GetDriveTypeA(LPCSTR rootPathName);
BOOL GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeNameBuffer, DWORD volumeNameSize,
                           LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                           LPDWORD fileSystemFlags, LPSTR fileSystemNameBuffer,
                           DWORD fileSystemNameSize);
UINT SetErrorMode(UINT mode);
DWORD WNetGetConnectionA(LPCSTR localName, LPSTR remoteName, LPDWORD length);

// Current directory and full names.
BOOL SetCurrentDirectoryA(LPCSTR pathName);
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// Files.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
               LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);
DWORD GetFileAttributesA(LPCSTR fileName);
BOOL DeleteFileA(LPCSTR fileName);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
BOOL RemoveDirectoryA(LPCSTR pathName);

// File search.
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData);
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData);
BOOL FindClose(HANDLE findFile);

// Processes and threads.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// The program's own command line: its file's Windows name, then its arguments as the host
// gave them (a host path stays a host path: platform::HostToWindowsPath names it), each
// quoted so that platform::SplitCommandLine gives it back.
LPSTR GetCommandLineA();
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds);
HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
HANDLE CreateThread(LPSECURITY_ATTRIBUTES threadAttributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE startAddress, LPVOID parameter, DWORD creationFlags,
                    LPDWORD threadId);
DWORD ResumeThread(HANDLE thread);
// Asks the thread to stop instead of killing it: the thread's waits (Sleep,
// WaitForSingleObject, WaitForInputIdle) return at once and
// platform::ThreadStopRequested() turns true; its exit code becomes exitCode.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
void Sleep(DWORD milliseconds);

// Environment of the process (PATH is shown with Windows names separated by ";").
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

// Global atoms: case-insensitive strings shared by the process; 0xC000 and up.
ATOM GlobalAddAtomA(LPCSTR string);
ATOM GlobalDeleteAtom(ATOM atom);
ATOM GlobalFindAtomA(LPCSTR string);
UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int size);

// Memory pages.
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect);
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType);
BOOL VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, LPDWORD oldProtect);

// Locale services. The system code page is UTF-8; case mapping changes ASCII
// letters only and keeps multi-byte sequences whole.
int CompareStringA(LCID locale, DWORD flags, LPCSTR string1, int count1, LPCSTR string2,
                   int count2);
DWORD CharLowerBuffA(LPSTR text, DWORD length);
DWORD CharUpperBuffA(LPSTR text, DWORD length);
BOOL IsDBCSLeadByte(BYTE value);

// number x numerator / denominator from the exact 64-bit product, rounded half away
// from zero; -1 when the denominator is 0 or the result does not fit in 32 bits.
int MulDiv(int number, int numerator, int denominator);

namespace platform {

// The Windows name of a host path through the drive table ("/home/x" is
// "C:\home\x" with the default table); empty when no drive holds the path.
std::string HostToWindowsPath(const std::string& hostPath);

// The host path of a Windows name (relative names start from the current
// directory). Returns 0, or the Windows error code when the name cannot be mapped
// (drive missing or not ready, name too long or invalid).
DWORD WindowsToHostPath(const std::string& windowsPath, std::string& hostPath);

// Command lines the Windows way, as CreateProcessA and the command interpreter take them
// apart and put them together: blanks separate arguments outside double quotes; 2n
// backslashes before a quote stand for n and the quote opens or closes quoting, 2n+1 for n
// and a literal quote. The program's name, first, ends at the first blank or closing quote.
std::vector<std::string> SplitCommandLine(const std::string& line);
// The argument as it stands when it needs no quotes, else quoted so that SplitCommandLine
// gives it back whole.
std::string QuoteArgument(const std::string& argument);

// Replaces the drive table with one in TD_DRIVES syntax (docs/kernel.md). Every
// drive's current directory becomes its root; the current drive is the one that
// holds the host working directory, else C:, else the first drive. Returns false
// and leaves the table unchanged when the text is not a valid table.
bool InstallDriveTable(const std::string& table, std::string* error = nullptr);
// The table from TD_DRIVES, or C: = "/" when it is unset or invalid.
void InstallDefaultDriveTable();

// True once TerminateThread asked the calling thread to stop.
bool ThreadStopRequested();

}  // namespace platform
