// Streams: byte sources and sinks. TStream is the abstract base; THandleStream works on
// a file handle, TFileStream opens or creates a file by name, TCustomMemoryStream reads
// a memory block, TMemoryStream owns a growable block, TResourceStream exposes a module
// resource read-only. Positions, sizes and counts are signed 32 bits.
#pragma once
#include <cstdint>
#include <string>

#include "classes/rtti.h"
#include "platform/types.h"
#include "runtime/exceptions.h"

using Longint = std::int32_t;

// Seek origins.
inline constexpr int soFromBeginning = 0;
inline constexpr int soFromCurrent = 1;
inline constexpr int soFromEnd = 2;

// File stream modes: fmCreate, or an access ORed with a sharing mode.
inline constexpr WORD fmCreate = 0xFFFF;
inline constexpr WORD fmOpenRead = 0x0000;
inline constexpr WORD fmOpenWrite = 0x0001;
inline constexpr WORD fmOpenReadWrite = 0x0002;
inline constexpr WORD fmShareCompat = 0x0000;
inline constexpr WORD fmShareExclusive = 0x0010;
inline constexpr WORD fmShareDenyWrite = 0x0020;
inline constexpr WORD fmShareDenyRead = 0x0030;
inline constexpr WORD fmShareDenyNone = 0x0040;

class TStream : public TObject {
  TD_CLASS(TStream, TObject)

 public:
  // Transfers up to count bytes; returns how many moved. Never raises for a short one.
  virtual Longint Read(void* buffer, Longint count) = 0;
  virtual Longint Write(const void* buffer, Longint count) = 0;
  // origin: soFromBeginning, soFromCurrent or soFromEnd. Returns the new position.
  virtual Longint Seek(Longint offset, int origin) = 0;

  Longint Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Longint position) { Seek(position, soFromBeginning); }
  // The size; the position is left where it was.
  Longint Size();

  // Exactly count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, Longint count);
  void WriteBuffer(const void* buffer, Longint count);
};

// A stream over an open file handle; the handle stays the caller's.
class THandleStream : public TStream {
  TD_CLASS(THandleStream, TStream)

 public:
  explicit THandleStream(HANDLE handle) : handle_(handle) {}
  HANDLE Handle() const { return handle_; }

  Longint Read(void* buffer, Longint count) override;
  Longint Write(const void* buffer, Longint count) override;
  Longint Seek(Longint offset, int origin) override;

 protected:
  HANDLE handle_;
};

// Opens (mode: access | sharing) or creates (fmCreate, replacing) a file; closes it
// when destroyed. Raises EFOpenError "Cannot open file %s" or EFCreateError "Cannot
// create file %s".
class TFileStream : public THandleStream {
  TD_CLASS(TFileStream, THandleStream)

 public:
  TFileStream(const std::string& fileName, WORD mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
};

// Reads a memory block; writing is for the derived classes to define.
class TCustomMemoryStream : public TStream {
  TD_CLASS(TCustomMemoryStream, TStream)

 public:
  Longint Read(void* buffer, Longint count) override;
  // No clamping: the position may lie past the end or be negative.
  Longint Seek(Longint offset, int origin) override;

  void* Memory() const { return memory_; }

 protected:
  // Adopts a block and its size without copying.
  void SetPointer(void* block, Longint size);
  Longint StoredSize() const { return size_; }
  Longint StoredPosition() const { return position_; }
  void SetStoredSize(Longint size) { size_ = size; }
  void SetStoredPosition(Longint position) { position_ = position; }

 private:
  void* memory_ = nullptr;
  Longint size_ = 0;
  Longint position_ = 0;
};

// An in-memory stream that owns its block; the capacity grows in steps of 8192 bytes.
class TMemoryStream : public TCustomMemoryStream {
  TD_CLASS(TMemoryStream, TCustomMemoryStream)

 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  // Writes at the position, growing the block and the size as needed. Returns 0 and
  // changes nothing when the position or count is negative, nothing would be written,
  // or the end would pass the largest 32-bit size.
  Longint Write(const void* buffer, Longint count) override;

  // Frees the block: capacity, size and position 0.
  void Clear();
  // Discards the contents and makes room for n bytes: size n, position 0, contents
  // not initialised.
  void SetSize(Longint size);
  Longint Capacity() const { return capacity_; }
  // A capacity below the size cuts the size to it.
  void SetCapacity(Longint capacity);

 protected:
  // Gives the block for newCapacity bytes, rounded up to a multiple of 8192 (the
  // rounded value is handed back); 0 frees it. Raises EStreamError "Out of memory while
  // expanding memory stream", leaving the block as it was, when allocation fails.
  virtual void* Reallocate(Longint& newCapacity);

 private:
  Longint capacity_ = 0;
};

// A module resource as a read-only memory stream; writing raises EStreamError "Can't
// write to a read-only resource stream". A missing resource raises EResNotFound
// "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
  TD_CLASS(TResourceStream, TCustomMemoryStream)

 public:
  TResourceStream(HINSTANCE instance, const std::string& resourceName, LPCSTR resourceType);
  // An integer resource id given as MAKEINTRESOURCEA(id).
  TResourceStream(HINSTANCE instance, LPCSTR resourceName, LPCSTR resourceType);
  ~TResourceStream() override;
  TResourceStream(const TResourceStream&) = delete;
  TResourceStream& operator=(const TResourceStream&) = delete;

  Longint Write(const void* buffer, Longint count) override;

 private:
  void Initialize(HINSTANCE instance, LPCSTR resourceName, LPCSTR resourceType,
                  const std::string& displayName);
  HRSRC resourceInfo_ = nullptr;
  HGLOBAL resource_ = nullptr;
};
