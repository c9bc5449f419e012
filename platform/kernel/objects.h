// The kernel object table: files, searches, processes and threads behind opaque
// handles. A handle encodes a slot index and the slot's generation, so a closed or
// forged handle is refused (ERROR_INVALID_HANDLE) and never reaches freed memory.
#pragma once
#include "private.h"
#include <memory>

#include "platform/types.h"

namespace platform::kernel {

enum class ObjectKind { File, Search, Process, Thread };

class KernelObject {
 public:
  explicit KernelObject(ObjectKind kind) : kind_(kind) {}
  virtual ~KernelObject() = default;
  ObjectKind Kind() const { return kind_; }

 private:
  ObjectKind kind_;
};

// Registers an object and returns its new handle (nullptr when the table is full).
HANDLE AddObject(std::shared_ptr<KernelObject> object);

// The object behind a live handle of the given kind; nullptr (with ERROR_INVALID_HANDLE
// set) for anything else.
std::shared_ptr<KernelObject> FindObject(HANDLE handle, ObjectKind kind);

template <class T>
std::shared_ptr<T> Find(HANDLE handle, ObjectKind kind) {
  return std::static_pointer_cast<T>(FindObject(handle, kind));
}

// The kind of a live handle; false for stale or forged ones.
bool KindOf(HANDLE handle, ObjectKind& kind);

// Releases the handle; the object lives on while someone still holds it.
// False (with ERROR_INVALID_HANDLE) when the handle is not live or of another kind.
bool RemoveObject(HANDLE handle, ObjectKind kind);

}  // namespace platform::kernel
