#include "classes/lists.h"

#include <algorithm>
#include <limits>

#include "runtime/text.h"

namespace {

constexpr int kListIndexError = 61452;
constexpr int kBitsIndexError = 61624;

// The byte size of the largest list must fit the address space; kept true at compile time
// so that capacity arithmetic below never overflows.
static_assert(static_cast<std::uint64_t>(TList::kMaxListSize) * sizeof(void*) <
              std::numeric_limits<std::size_t>::max() / 2);

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TList)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TBits)

TList::~TList() = default;

void TList::Fail() const { throw EListError(LoadStr(kListIndexError)); }

void TList::Grow() {
  std::int32_t delta = capacity_ > 8 ? 16 : capacity_ > 4 ? 8 : 4;
  if (capacity_ >= kMaxListSize) Fail();
  if (delta > kMaxListSize - capacity_) delta = kMaxListSize - capacity_;
  const std::int32_t grown = capacity_ + delta;
  // Reserve ahead geometrically; the capacity the list reports still grows in its steps.
  if (static_cast<std::size_t>(grown) > items_.capacity()) {
    const std::size_t doubled = items_.capacity() * 2;
    items_.reserve(std::min<std::size_t>(std::max<std::size_t>(grown, doubled), kMaxListSize));
  }
  capacity_ = grown;
}

std::int32_t TList::Add(void* item) {
  if (Count() == capacity_) Grow();
  items_.push_back(item);
  return Count() - 1;
}

void TList::Insert(std::int32_t index, void* item) {
  if (index < 0 || index > Count()) Fail();
  if (Count() == capacity_) Grow();
  items_.insert(items_.begin() + index, item);
}

void TList::Delete(std::int32_t index) {
  if (index < 0 || index >= Count()) Fail();
  items_.erase(items_.begin() + index);
}

std::int32_t TList::Remove(void* item) {
  const std::int32_t index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

std::int32_t TList::IndexOf(void* item) const {
  const auto found = std::find(items_.begin(), items_.end(), item);
  return found == items_.end() ? -1 : static_cast<std::int32_t>(found - items_.begin());
}

void* TList::Get(std::int32_t index) const {
  if (index < 0 || index >= Count()) Fail();
  return items_[static_cast<std::size_t>(index)];
}

void TList::Put(std::int32_t index, void* item) {
  if (index < 0 || index >= Count()) Fail();
  items_[static_cast<std::size_t>(index)] = item;
}

void TList::Exchange(std::int32_t index1, std::int32_t index2) {
  if (index1 < 0 || index1 >= Count() || index2 < 0 || index2 >= Count()) Fail();
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TList::Move(std::int32_t currentIndex, std::int32_t newIndex) {
  if (currentIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) Fail();
  void* item = Get(currentIndex);
  Delete(currentIndex);
  Insert(newIndex, item);
}

TList& TList::EnsureRoom() {
  if (Count() == capacity_) Grow();
  return *this;
}

void TList::Clear() {
  std::vector<void*>().swap(items_);
  capacity_ = 0;
}

void TList::SetCount(std::int32_t count) {
  if (count < 0 || count > kMaxListSize) Fail();
  if (count > capacity_) SetCapacity(count);
  items_.resize(static_cast<std::size_t>(count), nullptr);
}

void TList::SetCapacity(std::int32_t capacity) {
  if (capacity < Count() || capacity > kMaxListSize) Fail();
  if (static_cast<std::size_t>(capacity) != items_.capacity()) {
    std::vector<void*> resized;
    resized.reserve(static_cast<std::size_t>(capacity));
    resized.assign(items_.begin(), items_.end());
    items_.swap(resized);
  }
  capacity_ = capacity;
}

void TBits::Fail() const { throw EBitsError(LoadStr(kBitsIndexError)); }

void TBits::SetSize(std::int32_t size) {
  if (size < 0) Fail();
  const std::size_t words = (static_cast<std::size_t>(size) + 31) / 32;
  if (words != words_.size()) {
    words_.resize(words, 0);
    words_.shrink_to_fit();
  }
  // Bits past the size stay clear, so FirstClear never passes the size.
  if (size % 32 != 0) words_.back() &= (std::uint32_t{1} << (size % 32)) - 1;
  size_ = size;
}

bool TBits::Bits(std::int32_t index) const {
  if (index < 0 || index >= size_) Fail();
  return (words_[static_cast<std::size_t>(index) / 32] >> (index % 32)) & 1u;
}

void TBits::SetBits(std::int32_t index, bool value) {
  if (index < 0) Fail();
  if (index >= size_) {
    // The size index + 1 must still be a 32-bit size.
    if (index == std::numeric_limits<std::int32_t>::max()) Fail();
    SetSize(index + 1);
  }
  std::uint32_t& word = words_[static_cast<std::size_t>(index) / 32];
  const std::uint32_t mask = std::uint32_t{1} << (index % 32);
  word = value ? (word | mask) : (word & ~mask);
}

std::int32_t TBits::FirstClear() const {
  for (std::size_t w = 0; w < words_.size(); ++w) {
    if (words_[w] == 0xFFFFFFFFu) continue;
    std::int32_t bit = 0;
    while ((words_[w] >> bit) & 1u) ++bit;
    const auto index = static_cast<std::int64_t>(w) * 32 + bit;
    return static_cast<std::int32_t>(std::min<std::int64_t>(index, size_));
  }
  return size_;
}
