#include "kernel/objects.h"

#include <mutex>
#include <vector>

#include "platform/win32.h"

namespace platform::kernel {
namespace {

// Handle bits: a tag that sets kernel handles apart from every other table, the
// slot generation and the slot index + 1 (so no handle is 0 or -1).
constexpr std::uintptr_t kTag = std::uintptr_t{0x4B} << 48;
constexpr std::uintptr_t kTagMask = std::uintptr_t{0xFFFF} << 48;
constexpr unsigned kIndexBits = 20;
constexpr std::uint32_t kMaxSlots = (1u << kIndexBits) - 1;

struct Slot {
  std::uint32_t generation = 0;
  std::shared_ptr<KernelObject> object;
};

struct Table {
  std::mutex mutex;
  std::vector<Slot> slots;
  std::vector<std::uint32_t> free;
};

Table& TheTable() {
  static Table* table = new Table;  // outlives static destructors that close handles
  return *table;
}

HANDLE Encode(std::uint32_t index, std::uint32_t generation) {
  std::uintptr_t value = kTag | (static_cast<std::uintptr_t>(generation & 0xFFFFFFu) << kIndexBits) |
                         (index + 1);
  return reinterpret_cast<HANDLE>(value);
}

// The slot of a live handle, or nullptr. The table lock must be held.
Slot* Decode(Table& table, HANDLE handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  if ((value & kTagMask) != kTag) return nullptr;
  std::uintptr_t indexPlusOne = value & kMaxSlots;
  if (indexPlusOne == 0 || indexPlusOne > table.slots.size()) return nullptr;
  Slot& slot = table.slots[indexPlusOne - 1];
  std::uint32_t generation = static_cast<std::uint32_t>((value >> kIndexBits) & 0xFFFFFFu);
  if (slot.object == nullptr || (slot.generation & 0xFFFFFFu) != generation) return nullptr;
  return &slot;
}

}  // namespace

HANDLE AddObject(std::shared_ptr<KernelObject> object) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  std::uint32_t index;
  if (!table.free.empty()) {
    index = table.free.back();
    table.free.pop_back();
  } else {
    if (table.slots.size() >= kMaxSlots) {
      SetLastError(ERROR_TOO_MANY_OPEN_FILES);
      return nullptr;
    }
    index = static_cast<std::uint32_t>(table.slots.size());
    table.slots.emplace_back();
  }
  Slot& slot = table.slots[index];
  ++slot.generation;
  slot.object = std::move(object);
  return Encode(index, slot.generation);
}

std::shared_ptr<KernelObject> FindObject(HANDLE handle, ObjectKind kind) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  Slot* slot = Decode(table, handle);
  if (slot == nullptr || slot->object->Kind() != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return slot->object;
}

bool KindOf(HANDLE handle, ObjectKind& kind) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  Slot* slot = Decode(table, handle);
  if (slot == nullptr) return false;
  kind = slot->object->Kind();
  return true;
}

bool RemoveObject(HANDLE handle, ObjectKind kind) {
  std::shared_ptr<KernelObject> released;  // destroyed after the lock is dropped
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  Slot* slot = Decode(table, handle);
  if (slot == nullptr || slot->object->Kind() != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  released = std::move(slot->object);
  table.free.push_back(static_cast<std::uint32_t>(slot - table.slots.data()));
  return true;
}

}  // namespace platform::kernel
