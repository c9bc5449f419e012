// The stub blocks of the object window procedures (x86-64 System V). Layout of a block of
// 4,096 bytes:
//
//   +0   8 bytes  link to the previously allocated block
//   +8   8 bytes  shared entry: pop r8 (41 58); jmp qword [rip+0] (FF 25 00 00 00 00)
//   +16  8 bytes  address of the common dispatcher, read by that jump
//   +24  193 records of 21 bytes:
//          call rel32 to the shared entry (E8 xx xx xx xx)
//          bound method, 8 bytes (while free: the link to the next free record)
//          bound object, 8 bytes
//
// The platform calls a record with (hwnd rdi, msg esi, wParam rdx, lParam rcx). The
// record's call pushes the address of its method field; the shared entry pops it into r8
// and jumps to the dispatcher, which thus receives it as a fifth argument, with the stack
// exactly as the platform's call left it, and returns straight to the platform.
#include "forms/wndproc.h"

#include <cstdint>
#include <cstring>

#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr std::size_t kBlockSize = 4096;
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kEntryOffset = 8;
constexpr std::size_t kDispatcherOffset = 16;
constexpr std::size_t kRecordSize = 21;
constexpr std::size_t kCallSize = 5;
constexpr std::size_t kRecordsPerBlock = (kBlockSize - kHeaderSize) / kRecordSize;

// The fields that follow a record's call; what r8 points at in the dispatcher.
struct BoundFields {
  TObjectWndProcMethod method;
  TObject* object;
};

std::uint8_t* lastBlock = nullptr;
std::uint8_t* freeList = nullptr;  // the first free record
std::size_t blockCount = 0;
std::size_t inUse = 0;
// True when the platform refused writable and executable pages at once: blocks are then
// executable only and turned writable for each change.
bool writeProtected = false;

// The record's fields are not 8-byte aligned (21-byte records), so they are copied out.
LRESULT Dispatch(HWND, UINT msg, WPARAM wParam, LPARAM lParam, const std::uint8_t* boundFields) {
  BoundFields bound;
  std::memcpy(&bound, boundFields, sizeof bound);
  TMessage message{msg, wParam, lParam, 0};
  bound.method(bound.object, message);
  return message.Result;
}

std::uint8_t* BlockOf(std::uint8_t* record) {
  return reinterpret_cast<std::uint8_t*>(reinterpret_cast<std::uintptr_t>(record) &
                                         ~static_cast<std::uintptr_t>(kBlockSize - 1));
}

// Runs change on the bytes of block with write access.
template <class F>
void Writable(std::uint8_t* block, F&& change) {
  DWORD old = 0;
  if (writeProtected) VirtualProtect(block, kBlockSize, PAGE_READWRITE, &old);
  change();
  if (writeProtected) VirtualProtect(block, kBlockSize, PAGE_EXECUTE_READ, &old);
}

std::uint8_t* NextFree(std::uint8_t* record) {
  std::uint8_t* next;
  std::memcpy(&next, record + kCallSize, sizeof next);
  return next;
}

void AllocateBlock() {
  auto* block = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (block == nullptr) {
    // Writable and executable at once is refused: fill the block writable, then make it
    // executable; every later change to a record goes through VirtualProtect again.
    block = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (block == nullptr) throw EOutOfResources(LoadStr(61474));
    writeProtected = true;
  }
  // The jump is relative, so blocks must be page aligned for BlockOf to find the header.
  std::memcpy(block, &lastBlock, sizeof lastBlock);
  static constexpr std::uint8_t kEntry[8] = {0x41, 0x58, 0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
  std::memcpy(block + kEntryOffset, kEntry, sizeof kEntry);
  auto dispatcher = reinterpret_cast<std::uintptr_t>(&Dispatch);
  std::memcpy(block + kDispatcherOffset, &dispatcher, sizeof dispatcher);
  for (std::size_t i = 0; i < kRecordsPerBlock; ++i) {
    std::uint8_t* record = block + kHeaderSize + i * kRecordSize;
    record[0] = 0xE8;
    auto relative =
        static_cast<std::int32_t>(static_cast<std::int64_t>(kEntryOffset) -
                                  static_cast<std::int64_t>(record - block + kCallSize));
    std::memcpy(record + 1, &relative, sizeof relative);
    std::memcpy(record + kCallSize, &freeList, sizeof freeList);
    std::memset(record + kCallSize + 8, 0, 8);
    freeList = record;
  }
  if (writeProtected) {
    DWORD old = 0;
    VirtualProtect(block, kBlockSize, PAGE_EXECUTE_READ, &old);
  }
  lastBlock = block;
  ++blockCount;
}

}  // namespace

WNDPROC MakeObjectWndProc(TObjectWndProcMethod method, TObject* object) {
  if (freeList == nullptr) AllocateBlock();
  std::uint8_t* record = freeList;
  freeList = NextFree(record);
  BoundFields fields{method, object};
  Writable(BlockOf(record), [&] { std::memcpy(record + kCallSize, &fields, sizeof fields); });
  ++inUse;
  return reinterpret_cast<WNDPROC>(record);
}

void FreeObjectWndProc(WNDPROC procedure) {
  if (procedure == nullptr) return;
  auto* record = reinterpret_cast<std::uint8_t*>(procedure);
  Writable(BlockOf(record), [&] {
    std::memcpy(record + kCallSize, &freeList, sizeof freeList);
    std::memset(record + kCallSize + 8, 0, 8);
  });
  freeList = record;
  --inUse;
}

TUtilityWindow AllocateUtilityWindow(TObjectWndProcMethod method, TObject* object, DWORD style,
                                     DWORD exStyle) {
  static constexpr const char* kClassName = "TPUtilWindow";
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  bool known = GetClassInfoA(instance, kClassName, &windowClass) != FALSE;
  if (!known || windowClass.lpfnWndProc != &DefWindowProcA) {
    if (known) UnregisterClassA(kClassName, instance);
    windowClass = WNDCLASSA{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) throw EOutOfResources(LoadStr(61484));
  }
  TUtilityWindow result;
  result.Window = CreateWindowExA(exStyle, kClassName, "", style, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
  if (result.Window == nullptr) throw EOutOfResources(LoadStr(61485));
  try {
    result.Procedure = MakeObjectWndProc(method, object);
  } catch (...) {
    DestroyWindow(result.Window);
    throw;
  }
  SetWindowLongA(result.Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(result.Procedure));
  return result;
}

void DeallocateUtilityWindow(TUtilityWindow& window) {
  HWND handle = window.Window;
  WNDPROC procedure = window.Procedure;
  window = TUtilityWindow{};
  if (handle != nullptr) DestroyWindow(handle);
  FreeObjectWndProc(procedure);
}

TObjectWndProcStats ObjectWndProcStats() { return {blockCount, kRecordsPerBlock, inUse}; }
