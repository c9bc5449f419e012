// The process's current directory as the browsing controls use it: changes and
// queries that raise EInOutError with the system code, and the drive part of a name.
#pragma once
#include <string>

// Makes the path current ("D:" alone selects D's current directory; relative paths go
// from the current one). Raises EInOutError with the platform's code on failure.
void ChangeDirectory(const std::string& path);

// The current directory of a drive letter, or of the current drive for 0. Raises
// EInOutError when it cannot be read.
std::string CurrentDirectory(char drive = 0);

// The full path of a name, resolved from the current directories without changing
// them and without asking whether it exists. Raises EInOutError for a malformed name.
std::string FullPathName(const std::string& path);

// The full path of a name that must be an existing directory, found without changing
// the current directory. Raises EInOutError with the platform's code when it is not.
std::string ExistingDirectory(const std::string& path);

// The drive part of a name: "C:" for "C:\SONGS", "\\server\share" for
// "\\server\share\songs", empty when the name has none.
std::string ExtractFileDrive(const std::string& fileName);
