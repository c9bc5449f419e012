#include "classes/streams.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "classes/filer.h"
#include "platform/win32.h"
#include "runtime/text.h"

namespace {

constexpr int kReadError = 61443;
constexpr int kWriteError = 61444;
constexpr int kMemoryStreamError = 61445;
constexpr int kResourceStreamWrite = 61446;
constexpr int kResourceNotFound = 61450;

constexpr std::int64_t kMaxStreamSize = std::numeric_limits<Longint>::max();
constexpr std::int64_t kMemoryDelta = 8192;

// Positions are signed 32 bits and wrap as such; done in 64 bits to stay defined.
Longint Wrap32(std::int64_t value) {
  return static_cast<Longint>(static_cast<std::uint32_t>(value));
}

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TFiler)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TStream)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TCustomMemoryStream)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TMemoryStream)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TResourceStream)

Longint TStream::Size() {
  const Longint position = Seek(0, soFromCurrent);
  const Longint size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, Longint count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(LoadStr(kReadError));
}

void TStream::WriteBuffer(const void* buffer, Longint count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(LoadStr(kWriteError));
}

Longint TCustomMemoryStream::Read(void* buffer, Longint count) {
  if (position_ < 0 || count < 0 || position_ >= size_) return 0;
  Longint available = size_ - position_;
  if (count < available) available = count;
  if (available > 0) std::memcpy(buffer, static_cast<const char*>(memory_) + position_, available);
  position_ += available;
  return available;
}

Longint TCustomMemoryStream::Seek(Longint offset, int origin) {
  switch (origin) {
    case soFromBeginning:
      position_ = offset;
      break;
    case soFromCurrent:
      position_ = Wrap32(std::int64_t{position_} + offset);
      break;
    case soFromEnd:
      position_ = Wrap32(std::int64_t{size_} + offset);
      break;
    default:
      break;
  }
  return position_;
}

void TCustomMemoryStream::SetPointer(void* block, Longint size) {
  memory_ = block;
  size_ = size;
}

TMemoryStream::~TMemoryStream() { Clear(); }

void* TMemoryStream::Reallocate(Longint& newCapacity) {
  if (newCapacity < 0) newCapacity = 0;
  if (newCapacity > 0) {
    // Rounded in 64 bits; the last step below the 32-bit limit stops at the limit.
    std::int64_t rounded =
        (std::int64_t{newCapacity} + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
    if (rounded > kMaxStreamSize) rounded = kMaxStreamSize;
    newCapacity = static_cast<Longint>(rounded);
  }
  void* block = Memory();
  if (newCapacity == capacity_) return block;
  if (newCapacity == 0) {
    std::free(block);
    return nullptr;
  }
  void* grown = std::realloc(block, static_cast<std::size_t>(newCapacity));
  if (grown == nullptr) throw EStreamError(LoadStr(kMemoryStreamError));
  // Fresh bytes are zeroed so that a gap left by a seek past the end reads the same
  // every time.
  if (newCapacity > capacity_) {
    std::memset(static_cast<char*>(grown) + capacity_, 0,
                static_cast<std::size_t>(newCapacity - capacity_));
  }
  return grown;
}

void TMemoryStream::SetCapacity(Longint capacity) {
  void* block = Reallocate(capacity);
  const Longint size = StoredSize() < capacity ? StoredSize() : capacity;
  SetPointer(block, size);
  capacity_ = capacity;
}

Longint TMemoryStream::Write(const void* buffer, Longint count) {
  const Longint position = StoredPosition();
  if (position < 0 || count < 0) return 0;
  const std::int64_t end = std::int64_t{position} + count;
  if (end <= 0 || end > kMaxStreamSize) return 0;
  if (end > StoredSize()) {
    if (end > capacity_) SetCapacity(static_cast<Longint>(end));
    SetStoredSize(static_cast<Longint>(end));
  }
  if (count > 0) {
    std::memcpy(static_cast<char*>(Memory()) + position, buffer, static_cast<std::size_t>(count));
  }
  SetStoredPosition(static_cast<Longint>(end));
  return count;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  SetStoredSize(0);
  SetStoredPosition(0);
}

void TMemoryStream::SetSize(Longint size) {
  Clear();
  if (size < 0) size = 0;
  SetCapacity(size);
  SetStoredSize(size);
}

TResourceStream::TResourceStream(HINSTANCE instance, const std::string& resourceName,
                                 LPCSTR resourceType) {
  Initialize(instance, resourceName.c_str(), resourceType, resourceName);
}

TResourceStream::TResourceStream(HINSTANCE instance, LPCSTR resourceName, LPCSTR resourceType) {
  const std::string displayName =
      IS_INTRESOURCE(resourceName)
          ? Format("#%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(resourceName)))
          : std::string(resourceName);
  Initialize(instance, resourceName, resourceType, displayName);
}

void TResourceStream::Initialize(HINSTANCE instance, LPCSTR resourceName, LPCSTR resourceType,
                                 const std::string& displayName) {
  resourceInfo_ = FindResourceA(instance, resourceName, resourceType);
  if (resourceInfo_ == nullptr) throw EResNotFound(FmtLoadStr(kResourceNotFound, displayName));
  resource_ = LoadResource(instance, resourceInfo_);
  if (resource_ == nullptr) throw EResNotFound(FmtLoadStr(kResourceNotFound, displayName));
  const DWORD size = SizeofResource(instance, resourceInfo_);
  const Longint limited = size > static_cast<DWORD>(kMaxStreamSize)
                              ? static_cast<Longint>(kMaxStreamSize)
                              : static_cast<Longint>(size);
  SetPointer(LockResource(resource_), limited);
}

TResourceStream::~TResourceStream() {
  if (resource_ != nullptr) FreeResource(resource_);
}

Longint TResourceStream::Write(const void*, Longint) {
  throw EStreamError(LoadStr(kResourceStreamWrite));
}
