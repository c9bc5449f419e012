#include <algorithm>
#include <cstring>

#include "classes/lists.h"
#include "runtime/text.h"

namespace {

constexpr int kListIndexError = 61452;
constexpr int kSortedListError = 61453;
constexpr int kDuplicateString = 61454;

// Keeps an update bracket open for the length of a scope, also when it is left by an
// exception.
class UpdateBracket {
 public:
  explicit UpdateBracket(TStrings& strings) : strings_(strings) { strings_.BeginUpdate(); }
  ~UpdateBracket() { strings_.EndUpdate(); }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  TStrings& strings_;
};

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TStrings)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TStringList)

TObject* TStrings::GetObject(std::int32_t) const { return nullptr; }

std::string TStrings::Text() const {
  std::string text;
  const std::int32_t count = Count();
  for (std::int32_t i = 0; i < count; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::Put(std::int32_t index, const std::string& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::PutObject(std::int32_t, TObject*) {}

void TStrings::SetText(const std::string& text) {
  UpdateBracket bracket(*this);
  Clear();
  std::size_t p = 0;
  const std::size_t length = text.size();
  while (p < length) {
    const std::size_t start = p;
    while (p < length && text[p] != '\r' && text[p] != '\n') ++p;
    Add(text.substr(start, p - start));
    if (p < length && text[p] == '\r') ++p;
    if (p < length && text[p] == '\n') ++p;
  }
}

void TStrings::UpdatingChanged(bool) {}

std::int32_t TStrings::Add(const std::string& s) {
  const std::int32_t index = Count();
  Insert(index, s);
  return index;
}

std::int32_t TStrings::AddObject(const std::string& s, TObject* object) {
  const std::int32_t index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  UpdateBracket bracket(*this);
  // Counted once, so that adding a list to itself doubles it instead of never ending.
  const std::int32_t count = strings.Count();
  for (std::int32_t i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::Exchange(std::int32_t index1, std::int32_t index2) {
  const std::string s = Get(index1);
  TObject* object = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, s);
  PutObject(index2, object);
}

std::unique_ptr<char[]> TStrings::GetTextBuffer() const {
  const std::string text = Text();
  auto buffer = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
  return buffer;
}

std::int32_t TStrings::IndexOf(const std::string& s) const {
  const std::int32_t count = Count();
  for (std::int32_t i = 0; i < count; ++i) {
    if (CompareLocaleNoCase(Get(i), s) == 0) return i;
  }
  return -1;
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TStrings::LoadFromStream(TStream& stream) {
  UpdateBracket bracket(*this);
  const std::int64_t remaining = std::int64_t{stream.Size()} - stream.Position();
  std::string text;
  if (remaining > 0) {
    text.resize(static_cast<std::size_t>(remaining));
    // Only what was actually read becomes text.
    const std::int32_t read = stream.Read(text.data(), static_cast<std::int32_t>(remaining));
    text.resize(static_cast<std::size_t>(std::max(read, 0)));
  }
  SetText(text);
}

void TStrings::Move(std::int32_t fromIndex, std::int32_t toIndex) {
  if (fromIndex == toIndex) return;
  const std::string s = Get(fromIndex);
  TObject* object = GetObject(fromIndex);
  Delete(fromIndex);
  InsertObject(toIndex, s, object);
}

void TStrings::SaveToFile(const std::string& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TStrings::SaveToStream(TStream& stream) const {
  const std::string text = Text();
  stream.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
}

void TStrings::SetTextBuffer(const char* text) { SetText(text != nullptr ? text : ""); }

void TStrings::DeclareStoredData(TFiler& filer) {
  auto* ancestor = dynamic_cast<TStrings*>(filer.Ancestor());
  const bool hasData = ancestor != nullptr ? !Equals(*ancestor) : Count() > 0;
  filer.DeclareEntry(
      "Strings", [this](TFiler& reader) { ReadStrings(reader); }, nullptr, hasData);
}

void TStrings::ReadStrings(TFiler& reader) {
  reader.ReadListStart();
  {
    UpdateBracket bracket(*this);
    Clear();
    while (!reader.AtListEnd()) Add(reader.ReadText());
  }
  reader.ReadListEnd();
}

void TStrings::CopyFrom(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    // Copying a list onto itself would clear it first and lose everything.
    if (strings == this) return;
    UpdateBracket bracket(*this);
    Clear();
    AddStrings(*strings);
    return;
  }
  TPersistent::CopyFrom(source);
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) UpdatingChanged(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  --updateCount_;
  if (updateCount_ == 0) UpdatingChanged(false);
}

bool TStrings::Equals(const TStrings& other) const {
  const std::int32_t count = Count();
  if (count != other.Count()) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    if (Get(i) != other.Get(i)) return false;
  }
  return true;
}

void TStrings::InsertObject(std::int32_t index, const std::string& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::Fail(int id) const { throw EListError(LoadStr(id)); }

void TStringList::CheckIndex(std::int32_t index) const {
  if (index < 0 || index >= Count()) Fail(kListIndexError);
}

std::string TStringList::Get(std::int32_t index) const {
  CheckIndex(index);
  return entries_[static_cast<std::size_t>(index)].text;
}

TObject* TStringList::GetObject(std::int32_t index) const {
  CheckIndex(index);
  return entries_[static_cast<std::size_t>(index)].object;
}

void TStringList::Put(std::int32_t index, const std::string& s) {
  if (sorted_) Fail(kSortedListError);
  CheckIndex(index);
  NotifyChanging();
  entries_[static_cast<std::size_t>(index)].text = s;
  NotifyChange();
}

void TStringList::PutObject(std::int32_t index, TObject* object) {
  CheckIndex(index);
  NotifyChanging();
  entries_[static_cast<std::size_t>(index)].object = object;
  NotifyChange();
}

std::int32_t TStringList::Add(const std::string& s) {
  std::int32_t index = Count();
  if (sorted_ && FindSorted(s, index)) {
    if (duplicates_ == IgnoreDuplicates) return index;
    if (duplicates_ == RejectDuplicates) Fail(kDuplicateString);
  }
  InsertEntry(index, s);
  return index;
}

void TStringList::Clear() {
  if (entries_.empty()) return;
  NotifyChanging();
  std::vector<Entry>().swap(entries_);
  capacity_ = 0;
  NotifyChange();
}

void TStringList::Delete(std::int32_t index) {
  CheckIndex(index);
  NotifyChanging();
  entries_.erase(entries_.begin() + index);
  NotifyChange();
}

void TStringList::Exchange(std::int32_t index1, std::int32_t index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  NotifyChanging();
  std::swap(entries_[static_cast<std::size_t>(index1)], entries_[static_cast<std::size_t>(index2)]);
  NotifyChange();
}

std::int32_t TStringList::IndexOf(const std::string& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  std::int32_t index = 0;
  return FindSorted(s, index) ? index : -1;
}

void TStringList::Insert(std::int32_t index, const std::string& s) {
  if (sorted_) Fail(kSortedListError);
  if (index < 0 || index > Count()) Fail(kListIndexError);
  InsertEntry(index, s);
}

void TStringList::InsertEntry(std::int32_t index, const std::string& s) {
  NotifyChanging();
  if (Count() == capacity_) Grow();
  entries_.insert(entries_.begin() + index, Entry{s, nullptr});
  NotifyChange();
}

void TStringList::Grow() {
  std::int32_t delta = capacity_ > 8 ? 16 : capacity_ > 4 ? 8 : 4;
  if (capacity_ >= TList::kMaxListSize) Fail(kListIndexError);
  if (delta > TList::kMaxListSize - capacity_) delta = TList::kMaxListSize - capacity_;
  const std::int32_t grown = capacity_ + delta;
  // Reserve ahead geometrically; the reported capacity keeps its small steps.
  if (static_cast<std::size_t>(grown) > entries_.capacity()) {
    entries_.reserve(std::max<std::size_t>(grown, entries_.capacity() * 2));
  }
  capacity_ = grown;
}

void TStringList::SetCapacity(std::int32_t capacity) {
  if (capacity < Count() || capacity > TList::kMaxListSize) Fail(kListIndexError);
  if (static_cast<std::size_t>(capacity) > entries_.capacity()) {
    entries_.reserve(static_cast<std::size_t>(capacity));
  }
  capacity_ = capacity;
}

bool TStringList::FindSorted(const std::string& s, std::int32_t& index) const {
  bool found = false;
  std::int32_t lo = 0;
  std::int32_t hi = Count() - 1;
  while (lo <= hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const int c = CompareLocaleNoCase(entries_[static_cast<std::size_t>(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != AcceptDuplicates) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  if (sorted_ || Count() < 2) return;
  NotifyChanging();
  QuickSort(0, Count() - 1);
  NotifyChange();
}

void TStringList::QuickSort(std::int32_t left, std::int32_t right) {
  std::int32_t i = 0;
  do {
    i = left;
    std::int32_t j = right;
    const std::string pivot = entries_[static_cast<std::size_t>(left + (right - left) / 2)].text;
    do {
      while (CompareLocaleNoCase(entries_[static_cast<std::size_t>(i)].text, pivot) < 0) ++i;
      while (CompareLocaleNoCase(entries_[static_cast<std::size_t>(j)].text, pivot) > 0) --j;
      if (i <= j) {
        std::swap(entries_[static_cast<std::size_t>(i)], entries_[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (left < j) QuickSort(left, j);
    left = i;
  } while (i < right);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::UpdatingChanged(bool updating) {
  if (updating) {
    NotifyChanging();
  } else {
    NotifyChange();
  }
}

void TStringList::NotifyChange() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::NotifyChanging() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
