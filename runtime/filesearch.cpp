#include "runtime/filesearch.h"

namespace {

constexpr int kMaskedAttributes = kAttrHidden | kAttrSystem | kAttrVolumeId | kAttrDirectory;

// Skips entries the mask excludes; fills the record from the first one it keeps.
bool TakeAllowed(TSearchRec& search) {
  for (;;) {
    const WIN32_FIND_DATAA& data = search.FindData;
    if ((static_cast<int>(data.dwFileAttributes) & search.ExcludeAttr) == 0) {
      search.Name = data.cFileName;
      search.Attr = static_cast<int>(data.dwFileAttributes);
      search.Size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      search.Time = data.ftLastWriteTime;
      return true;
    }
    if (!FindNextFileA(search.FindHandle, &search.FindData)) return false;
  }
}

}  // namespace

TSearchRec::~TSearchRec() { FindClose(*this); }

int FindFirst(const std::string& path, int attr, TSearchRec& search) {
  FindClose(search);
  search.ExcludeAttr = ~attr & kMaskedAttributes;
  search.FindHandle = FindFirstFileA(path.c_str(), &search.FindData);
  if (search.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  if (TakeAllowed(search)) return 0;
  FindClose(search);
  return ERROR_FILE_NOT_FOUND;
}

int FindNext(TSearchRec& search) {
  if (search.FindHandle == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
  if (!FindNextFileA(search.FindHandle, &search.FindData)) return static_cast<int>(GetLastError());
  return TakeAllowed(search) ? 0 : static_cast<int>(GetLastError());
}

void FindClose(TSearchRec& search) {
  if (search.FindHandle != INVALID_HANDLE_VALUE) {
    ::FindClose(search.FindHandle);
    search.FindHandle = INVALID_HANDLE_VALUE;
  }
}
