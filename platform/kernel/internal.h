// Shared state of the kernel services: the drive table, the current directories and
// the resolution of Windows names to host paths.
#pragma once
#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/names.h"
#include "platform/types.h"
#include "private.h"

namespace platform::kernel {

inline constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;

DWORD ErrorFromErrno(int error);
void SetLastErrorFromErrno();

struct Drive {
  bool present = false;
  std::string root;  // host folder, absolute, without a trailing "/" unless it is "/"
  UINT type = 0;
  std::string label;
  bool ready = true;
  std::string share;  // "\\server\share" of a remote drive
  DWORD serial = 0;
};

struct KernelState {
  std::mutex mutex;
  std::array<Drive, 26> drives;
  std::string current;                       // full Windows name of the current directory
  std::array<std::string, 26> driveCurrent;  // each drive's current directory
  UINT errorMode = 0;
};

// The platform's command interpreter for a program in `programFolder` (a host folder): "cmd"
// beside it or in the bin folder of the build tree it runs from, else the one the build
// made, else the installed one; empty when there is none.
std::string FindInterpreterFor(const std::string& programFolder);

// The state, set up from TD_DRIVES and the host working directory on first use.
KernelState& TheKernel();

// Parses a table in TD_DRIVES syntax; false with a reason when it is not valid.
bool ParseDriveTable(const std::string& text, std::array<Drive, 26>& drives, std::string& error);
// The table of TD_DRIVES, or C: = "/" when it is unset or not valid (said on stderr).
void DefaultDrives(std::array<Drive, 26>& drives);
// The current table in TD_DRIVES syntax, for child processes.
std::string FormatDriveTable();
// Puts a parsed table in place and derives the current directories. Lock held.
void ApplyDriveTable(KernelState& state, const std::array<Drive, 26>& drives);

// A Windows name made absolute and mapped to the host.
struct ResolvedPath {
  std::string full;  // full Windows name, with the stored case of the parts that exist
  std::string root;  // "C:" or "\\server\share"
  std::vector<std::string> parts;
  int drive = -1;    // index into the drive table
  std::string host;  // host path
  bool isRoot() const { return parts.empty(); }
};

enum class NameCheck { Strict, WildcardsInLastPart };

// Resolves a name against the current directory and the drive table, checking length,
// characters, the drive's presence and readiness. Returns 0 or a Windows error. Lock held.
DWORD ResolveLocked(KernelState& state, const std::string& name, ResolvedPath& out,
                    NameCheck check = NameCheck::Strict);
// The same, taking the lock.
DWORD Resolve(const std::string& name, ResolvedPath& out, NameCheck check = NameCheck::Strict);

// "NAME=value" entries for a child: from a Windows environment block, or from the
// process environment with PATH in host form; TD_DRIVES carries the drive table.
std::vector<std::string> ChildEnvironment(const char* block);

// Sleeps, returning early (false) when the calling platform thread is asked to stop.
bool InterruptibleSleep(DWORD milliseconds);

// Windows attribute bits of a host entry (name is the last part, for the hidden bit).
DWORD AttributesOf(const std::string& name, unsigned mode);

}  // namespace platform::kernel
