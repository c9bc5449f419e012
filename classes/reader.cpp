// The reader's byte level: buffered reading, the value primitives and skipping.
#include "classes/reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classes/reader_detail.h"
#include "runtime/text.h"

using namespace reader_detail;

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TReader)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TCollection)

TReader::TReader(TStream& stream, std::int32_t bufferSize)
    : stream_(stream), buffer_(static_cast<std::size_t>(std::max<std::int32_t>(bufferSize, 1))) {}

TReader::~TReader() {
  try {
    ReturnUnread();
  } catch (...) {
    // A stream that cannot seek back loses only the read-ahead; never throw from here.
  }
}

void TReader::ReturnUnread() {
  if (bufferEnd_ > bufferPosition_) stream_.Seek(bufferPosition_ - bufferEnd_, 1);
  bufferPosition_ = bufferEnd_ = 0;
}

void TReader::Refill() {
  std::int32_t size = static_cast<std::int32_t>(buffer_.size());
  std::int32_t count = stream_.Read(buffer_.data(), size);
  if (count <= 0) throw EReadError(LoadStr(kStreamReadError));
  bufferPosition_ = 0;
  bufferEnd_ = std::min(count, size);
}

void TReader::Read(void* buffer, std::int32_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    if (bufferPosition_ >= bufferEnd_) Refill();
    std::int32_t step = std::min(count, bufferEnd_ - bufferPosition_);
    std::memcpy(out, buffer_.data() + bufferPosition_, static_cast<std::size_t>(step));
    bufferPosition_ += step;
    out += step;
    count -= step;
  }
}

std::uint8_t TReader::ReadByte() {
  if (bufferPosition_ >= bufferEnd_) Refill();
  return buffer_[static_cast<std::size_t>(bufferPosition_++)];
}

void TReader::InvalidValue() { throw EReadError(LoadStr(kInvalidPropertyValue)); }

int TReader::ReadTag() { return ReadByte(); }

int TReader::PeekTag() {
  int tag = ReadByte();
  --bufferPosition_;
  return tag;
}

bool TReader::AtListEnd() { return PeekValueTag() == TValueTag::EndOfList; }

void TReader::ReadListStart() {
  if (NextTag() != TValueTag::List) InvalidValue();
}

void TReader::ReadListEnd() {
  if (NextTag() != TValueTag::EndOfList) InvalidValue();
}

TReader::Prefix TReader::ReadPrefix() {
  Prefix prefix;
  std::uint8_t first = static_cast<std::uint8_t>(PeekTag());
  if ((first & 0xF0) == 0xF0) {
    ReadByte();
    prefix.flags = first & 0x0F;
    if (prefix.flags & kPrefixChildPosition) prefix.position = ReadInt();
  }
  return prefix;
}

std::int64_t TReader::ReadIntegerOfTag(TValueTag tag) {
  switch (tag) {
    case TValueTag::Int8: {
      std::int8_t value;
      Read(&value, 1);
      return value;
    }
    case TValueTag::Int16: {
      std::uint8_t bytes[2];
      Read(bytes, 2);
      return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
    }
    case TValueTag::Int32: {
      std::uint8_t bytes[4];
      Read(bytes, 4);
      return static_cast<std::int32_t>(LittleEndian32(bytes));
    }
    default:
      InvalidValue();
  }
}

std::int32_t TReader::ReadInt() { return static_cast<std::int32_t>(ReadIntegerOfTag(NextTag())); }

long double TReader::ReadExtendedPayload() {
  std::uint8_t bytes[10];
  Read(bytes, 10);
  return ExtendedToLongDouble(bytes);
}

long double TReader::ReadExtended() {
  TValueTag tag = NextTag();
  if (tag == TValueTag::Extended) return ReadExtendedPayload();
  return static_cast<long double>(ReadIntegerOfTag(tag));
}

std::string TReader::ReadShortString() {
  std::uint8_t length = ReadByte();
  std::string text(length, '\0');
  Read(text.data(), length);
  return text;
}

std::string TReader::ReadLongStringPayload() {
  std::uint8_t bytes[4];
  Read(bytes, 4);
  std::uint32_t length = LittleEndian32(bytes);
  // Grow with the data actually read, so that a length that lies cannot claim
  // memory the stream never delivers.
  std::string text;
  while (length > 0) {
    std::uint32_t step = std::min<std::uint32_t>(length, 4096);
    std::size_t at = text.size();
    text.resize(at + step);
    Read(text.data() + at, static_cast<std::int32_t>(step));
    length -= step;
  }
  return text;
}

std::string TReader::ReadIdentifier() {
  switch (NextTag()) {
    case TValueTag::Identifier: return ReadShortString();
    case TValueTag::False: return "False";
    case TValueTag::True: return "True";
    case TValueTag::Nil: return "nil";
    default: InvalidValue();
  }
}

std::string TReader::ReadText() {
  switch (NextTag()) {
    case TValueTag::String: return ReadShortString();
    case TValueTag::LongString: return ReadLongStringPayload();
    default: InvalidValue();
  }
}

bool TReader::ReadBool() { return NextTag() == TValueTag::True; }

char TReader::ReadChar() {
  if (NextTag() != TValueTag::String) InvalidValue();
  std::string text = ReadShortString();
  if (text.size() != 1) InvalidValue();
  return text[0];
}

void TReader::SkipBytes(std::uint32_t count) {
  std::uint8_t chunk[256];
  while (count > 0) {
    std::uint32_t step = std::min<std::uint32_t>(count, sizeof chunk);
    Read(chunk, static_cast<std::int32_t>(step));
    count -= step;
  }
}

void TReader::SkipSetNames() {
  while (true) {
    std::uint8_t length = ReadByte();
    if (length == 0) return;
    SkipBytes(length);
  }
}

void TReader::SkipValue() {
  NestingGuard guard(*this);
  std::uint8_t lengthBytes[4];
  switch (NextTag()) {
    case TValueTag::EndOfList:
    case TValueTag::False:
    case TValueTag::True:
    case TValueTag::Nil:
      return;
    case TValueTag::List:
      while (!AtListEnd()) SkipValue();
      ReadListEnd();
      return;
    case TValueTag::Int8: SkipBytes(1); return;
    case TValueTag::Int16: SkipBytes(2); return;
    case TValueTag::Int32: SkipBytes(4); return;
    case TValueTag::Extended: SkipBytes(10); return;
    case TValueTag::String:
    case TValueTag::Identifier:
      SkipBytes(ReadByte());
      return;
    case TValueTag::Binary:
    case TValueTag::LongString:
      Read(lengthBytes, 4);
      SkipBytes(LittleEndian32(lengthBytes));
      return;
    case TValueTag::Set:
      SkipSetNames();
      return;
    case TValueTag::Collection:
      while (!AtListEnd()) {
        TValueTag next = PeekValueTag();
        if (next == TValueTag::Int8 || next == TValueTag::Int16 || next == TValueTag::Int32) ReadInt();
        ReadListStart();
        while (!AtListEnd()) SkipProperty();
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
  InvalidValue();  // a tag this format does not know
}

void TReader::SkipProperty() {
  SkipBytes(ReadByte());
  SkipValue();
}

void TReader::SkipObject(bool withHeader) {
  NestingGuard guard(*this);
  if (withHeader) {
    ReadPrefix();
    SkipBytes(ReadByte());
    SkipBytes(ReadByte());
  }
  while (!AtListEnd()) SkipProperty();
  ReadListEnd();
  while (!AtListEnd()) SkipObject(true);
  ReadListEnd();
}

void TReader::EnterNesting() {
  if (nesting_ >= kMaxNesting) throw EReadError(LoadStr(kInvalidStreamFormat));
  ++nesting_;
}

namespace reader_detail {

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

long double ExtendedToLongDouble(const std::uint8_t* bytes) {
  std::uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = mantissa << 8 | bytes[i];
  unsigned signAndExponent = static_cast<unsigned>(bytes[8] | bytes[9] << 8);
  bool negative = (signAndExponent & 0x8000) != 0;
  int exponent = static_cast<int>(signAndExponent & 0x7FFF);
  long double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? HUGE_VALL : std::nanl("");
  } else {
    // A zero exponent field is a denormal with the smallest exponent.
    value = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -value : value;
}

}  // namespace reader_detail
