// The runtime's file search: the platform search filtered by an attribute mask, as
// the browsing controls read a folder.
#pragma once
#include <cstdint>
#include <string>

#include "platform/win32.h"

// Attribute bits of a search mask and of the entries found.
inline constexpr int kAttrReadOnly = 0x01;
inline constexpr int kAttrHidden = 0x02;
inline constexpr int kAttrSystem = 0x04;
inline constexpr int kAttrVolumeId = 0x08;
inline constexpr int kAttrDirectory = 0x10;
inline constexpr int kAttrArchive = 0x20;
inline constexpr int kAttrAnyFile = 0x3F;

// One search in progress and the entry it stands on. The search ends with the record
// at the latest, however the loop over it ends.
struct TSearchRec {
  TSearchRec() = default;
  ~TSearchRec();
  TSearchRec(const TSearchRec&) = delete;
  TSearchRec& operator=(const TSearchRec&) = delete;

  std::string Name;
  int Attr = 0;
  std::int64_t Size = 0;
  FILETIME Time{};  // last write
  // Entries with any of these attributes are passed over: the hidden, system,
  // volume-label and directory bits that the mask lacks.
  int ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA FindData{};
};

// Starts a search for the pattern (relative names from the current directory). 0 when
// an entry was found, else the platform's error code (ERROR_FILE_NOT_FOUND when
// nothing passes the mask); the search is then already closed.
int FindFirst(const std::string& path, int attr, TSearchRec& search);
// The next entry: 0, or ERROR_NO_MORE_FILES at the end.
int FindNext(TSearchRec& search);
// Ends the search; harmless when it is already closed.
void FindClose(TSearchRec& search);
