// Containers the framework is built on: TList (a growable array of untyped pointers
// that owns nothing), TStrings (the contract of an ordered list of strings with one
// object each), TStringList (TStrings in memory, optionally sorted) and TBits (a
// growable bit set).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classes/component.h"
#include "classes/events.h"
#include "classes/streams.h"
#include "runtime/exceptions.h"

// Every index or capacity error raises EListError "List index out of bounds".
class TList : public TObject {
  TD_CLASS(TList, TObject)

 public:
  // The largest count and capacity.
  static constexpr std::int32_t kMaxListSize = 134217727;

  TList() = default;
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  std::int32_t Add(void* item);
  // 0 <= index <= Count.
  void Insert(std::int32_t index, void* item);
  void Delete(std::int32_t index);
  // Deletes the first equal pointer; its index, or -1.
  std::int32_t Remove(void* item);
  std::int32_t IndexOf(void* item) const;
  void* Get(std::int32_t index) const;
  void Put(std::int32_t index, void* item);
  void* Items(std::int32_t index) const { return Get(index); }
  void SetItems(std::int32_t index, void* item) { Put(index, item); }
  void* Last() const { return Get(Count() - 1); }
  void Exchange(std::int32_t index1, std::int32_t index2);
  void Move(std::int32_t currentIndex, std::int32_t newIndex);
  // Grows when full; returns the list.
  TList& EnsureRoom();
  // Count and capacity 0.
  void Clear();

  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // Growing fills the new slots with nil.
  void SetCount(std::int32_t count);
  std::int32_t Capacity() const { return capacity_; }
  // Refused below the count or above kMaxListSize.
  void SetCapacity(std::int32_t capacity);

 protected:
  [[noreturn]] virtual void Fail() const;
  // Capacity up by 4 below 5, by 8 below 9, else by 16.
  virtual void Grow();

 private:
  // The items; size() is the count. The storage behind it is reserved geometrically
  // as the capacity grows step by step, so that adding stays amortised constant.
  std::vector<void*> items_;
  std::int32_t capacity_ = 0;
};

class TStrings : public TPersistent {
  TD_CLASS(TStrings, TPersistent)

 public:
  virtual std::string Get(std::int32_t index) const = 0;
  virtual std::int32_t Count() const = 0;
  virtual TObject* GetObject(std::int32_t index) const;
  // Every string followed by CR LF, the last one included.
  virtual std::string Text() const;
  // Keeps the object: delete, then insert the new string with it.
  virtual void Put(std::int32_t index, const std::string& s);
  virtual void PutObject(std::int32_t index, TObject* object);
  // Inside one update bracket: Clear, then one line for each CR, LF or CR LF break (a
  // final break adds no empty line).
  virtual void SetText(const std::string& text);
  virtual std::int32_t Add(const std::string& s);
  virtual std::int32_t AddObject(const std::string& s, TObject* object);
  virtual void AddStrings(const TStrings& strings);
  virtual void Clear() = 0;
  virtual void Delete(std::int32_t index) = 0;
  virtual void Exchange(std::int32_t index1, std::int32_t index2);
  // A zero-terminated copy of Text.
  virtual std::unique_ptr<char[]> GetTextBuffer() const;
  // The first index whose string equals s ignoring case (locale comparison); -1.
  virtual std::int32_t IndexOf(const std::string& s) const;
  virtual void Insert(std::int32_t index, const std::string& s) = 0;
  virtual void LoadFromFile(const std::string& fileName);
  // Reads from the position to the end and sets Text.
  virtual void LoadFromStream(TStream& stream);
  virtual void Move(std::int32_t fromIndex, std::int32_t toIndex);
  virtual void SaveToFile(const std::string& fileName) const;
  virtual void SaveToStream(TStream& stream) const;
  virtual void SetTextBuffer(const char* text);

  // "Strings", with data when the list differs from the ancestor's (or is not empty).
  void DeclareStoredData(TFiler& filer) override;
  // From another TStrings: Clear and AddStrings inside one update bracket.
  void CopyFrom(TPersistent* source) override;

  // Brackets nest; the outermost calls UpdatingChanged(true) and UpdatingChanged(false).
  void BeginUpdate();
  void EndUpdate();
  // Same count and every string equal, case-sensitive.
  bool Equals(const TStrings& other) const;
  void InsertObject(std::int32_t index, const std::string& s, TObject* object);
  std::string Strings(std::int32_t index) const { return Get(index); }
  void SetStrings(std::int32_t index, const std::string& s) { Put(index, s); }
  TObject* Objects(std::int32_t index) const { return GetObject(index); }
  void SetObjects(std::int32_t index, TObject* object) { PutObject(index, object); }

 protected:
  virtual void UpdatingChanged(bool updating);
  std::int32_t UpdateCount() const { return updateCount_; }

 private:
  void ReadStrings(TFiler& reader);
  std::int32_t updateCount_ = 0;
};

enum TDuplicates { IgnoreDuplicates, AcceptDuplicates, RejectDuplicates };

class TStringList : public TStrings {
  TD_CLASS(TStringList, TStrings)

 public:
  TStringList() = default;
  // Clears both handlers first: destruction raises no events.
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  std::string Get(std::int32_t index) const override;
  std::int32_t Count() const override { return static_cast<std::int32_t>(entries_.size()); }
  TObject* GetObject(std::int32_t index) const override;
  // Put and Insert raise EListError "Operation not allowed on sorted string list" on a
  // sorted list.
  void Put(std::int32_t index, const std::string& s) override;
  void PutObject(std::int32_t index, TObject* object) override;
  // A sorted list inserts where FindSorted says and applies the duplicates mode
  // (RejectDuplicates: EListError "String list does not allow duplicates").
  std::int32_t Add(const std::string& s) override;
  void Clear() override;
  void Delete(std::int32_t index) override;
  void Exchange(std::int32_t index1, std::int32_t index2) override;
  std::int32_t IndexOf(const std::string& s) const override;
  void Insert(std::int32_t index, const std::string& s) override;

  // Binary search with the locale comparison ignoring case. True when found; index is
  // the match (the first of equal ones with AcceptDuplicates) or the insertion point.
  virtual bool FindSorted(const std::string& s, std::int32_t& index) const;
  // Quicksort (not stable) unless already sorted.
  virtual void Sort();

  bool Sorted() const { return sorted_; }
  // True sorts first; false only clears the flag.
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t capacity);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void UpdatingChanged(bool updating) override;
  // Raise OnChange / OnChanging, only outside update brackets.
  virtual void NotifyChange();
  virtual void NotifyChanging();

 private:
  struct Entry {
    std::string text;
    TObject* object = nullptr;
  };
  [[noreturn]] void Fail(int id) const;
  void CheckIndex(std::int32_t index) const;
  void InsertEntry(std::int32_t index, const std::string& s);
  void Grow();
  void QuickSort(std::int32_t left, std::int32_t right);

  std::vector<Entry> entries_;
  std::int32_t capacity_ = 0;
  bool sorted_ = false;
  TDuplicates duplicates_ = IgnoreDuplicates;
};

// Errors raise EBitsError "Bits index out of range".
class TBits : public TObject {
  TD_CLASS(TBits, TObject)

 public:
  std::int32_t Size() const { return size_; }
  void SetSize(std::int32_t size);
  bool Bits(std::int32_t index) const;
  // Grows the size to index + 1 when needed.
  void SetBits(std::int32_t index, bool value);
  // The lowest clear bit; the size when every bit is set.
  std::int32_t FirstClear() const;

 private:
  [[noreturn]] void Fail() const;
  std::vector<std::uint32_t> words_;
  std::int32_t size_ = 0;
};
