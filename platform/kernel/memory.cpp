// Pages: reservations and commitments over anonymous mappings, with the protections
// the window-procedure stubs need (read, write and execute).
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "kernel/internal.h"
#include "platform/win32.h"

namespace {

struct Region {
  std::size_t size;
  DWORD protect;
};

struct Regions {
  std::mutex mutex;
  std::map<std::uintptr_t, Region> byBase;
};

Regions& TheRegions() {
  static auto* regions = new Regions;
  return *regions;
}

bool ProtectionOf(DWORD protect, int& prot) {
  switch (protect) {
    case PAGE_NOACCESS:
      prot = PROT_NONE;
      return true;
    case PAGE_READONLY:
      prot = PROT_READ;
      return true;
    case PAGE_READWRITE:
      prot = PROT_READ | PROT_WRITE;
      return true;
    case PAGE_EXECUTE:
      prot = PROT_EXEC;
      return true;
    case PAGE_EXECUTE_READ:
      prot = PROT_READ | PROT_EXEC;
      return true;
    case PAGE_EXECUTE_READWRITE:
      prot = PROT_READ | PROT_WRITE | PROT_EXEC;
      return true;
    default:
      return false;
  }
}

std::size_t PageSize() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

std::size_t RoundUp(std::size_t size) {
  std::size_t page = PageSize();
  return (size + page - 1) / page * page;
}

// The region that holds [address, address + size), or nullptr. Lock held.
std::pair<const std::uintptr_t, Region>* Containing(Regions& regions, std::uintptr_t address,
                                                    std::size_t size) {
  auto it = regions.byBase.upper_bound(address);
  if (it == regions.byBase.begin()) return nullptr;
  --it;
  if (address + size > it->first + it->second.size) return nullptr;
  return &*it;
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
  int prot = 0;
  if (size == 0 || (allocationType & (MEM_COMMIT | MEM_RESERVE)) == 0 ||
      !ProtectionOf(protect, prot)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Regions& regions = TheRegions();
  std::lock_guard lock(regions.mutex);
  if (address != nullptr && (allocationType & MEM_RESERVE) == 0) {
    // Committing pages of an earlier reservation.
    auto page = reinterpret_cast<std::uintptr_t>(address) / PageSize() * PageSize();
    std::size_t length = RoundUp(reinterpret_cast<std::uintptr_t>(address) + size - page);
    if (Containing(regions, page, length) == nullptr) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return nullptr;
    }
    if (mprotect(reinterpret_cast<void*>(page), length, prot) != 0) {
      platform::kernel::SetLastErrorFromErrno();
      return nullptr;
    }
    return reinterpret_cast<void*>(page);
  }
  if (address != nullptr) {
    // A fixed place is not offered: the host decides where mappings go.
    SetLastError(ERROR_INVALID_ADDRESS);
    return nullptr;
  }
  std::size_t length = RoundUp(size);
  int mappedProt = (allocationType & MEM_COMMIT) != 0 ? prot : PROT_NONE;
  void* block = mmap(nullptr, length, mappedProt, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  regions.byBase[reinterpret_cast<std::uintptr_t>(block)] = {length, protect};
  return block;
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
  Regions& regions = TheRegions();
  std::lock_guard lock(regions.mutex);
  auto base = reinterpret_cast<std::uintptr_t>(address);
  if (freeType == MEM_RELEASE) {
    auto it = regions.byBase.find(base);
    if (size != 0 || it == regions.byBase.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    munmap(address, it->second.size);
    regions.byBase.erase(it);
    return TRUE;
  }
  if (freeType == MEM_DECOMMIT) {
    std::size_t length = size == 0 ? 0 : RoundUp(size);
    auto* region = Containing(regions, base, length);
    if (region == nullptr || base % PageSize() != 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (length == 0) length = region->second.size - (base - region->first);
    madvise(address, length, MADV_DONTNEED);
    mprotect(address, length, PROT_NONE);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, LPDWORD oldProtect) {
  int prot = 0;
  if (oldProtect == nullptr || size == 0 || !ProtectionOf(newProtect, prot)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Regions& regions = TheRegions();
  std::lock_guard lock(regions.mutex);
  auto start = reinterpret_cast<std::uintptr_t>(address) / PageSize() * PageSize();
  std::size_t length = RoundUp(reinterpret_cast<std::uintptr_t>(address) + size - start);
  auto* region = Containing(regions, start, length);
  if (region == nullptr) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  if (mprotect(reinterpret_cast<void*>(start), length, prot) != 0) {
    platform::kernel::SetLastErrorFromErrno();
    return FALSE;
  }
  *oldProtect = region->second.protect;
  region->second.protect = newProtect;
  return TRUE;
}
