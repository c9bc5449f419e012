// A filer that hands stored-data entries a prepared sequence of values, as the form
// reader does with the values of a description.
#pragma once
#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "classes/filer.h"
#include "runtime/exceptions.h"

struct ListStart {};
struct ListEnd {};
using FilerValue = std::variant<int, std::string, ListStart, ListEnd>;

class ValueFiler : public TFiler {
 public:
  // Reads the entry named entry from values; records every declared entry.
  ValueFiler(std::string entry, std::vector<FilerValue> values)
      : entry_(std::move(entry)), values_(values.begin(), values.end()) {}

  std::vector<std::pair<std::string, bool>> declared;  // name, hasData
  bool consumed = false;

  void DeclareEntry(const std::string& name, ReadProc readProc, WriteProc, bool hasData) override {
    declared.emplace_back(name, hasData);
    if (name == entry_ && !consumed) {
      consumed = true;
      readProc(*this);
    }
  }
  void DeclareBinaryEntry(const std::string& name, StreamProc, StreamProc, bool hasData) override {
    declared.emplace_back(name, hasData);
  }
  void ReadObjectContents(TComponent*) override {}

  int ReadTag() override { return PeekTag(); }
  int PeekTag() override {
    if (values_.empty()) throw EReadError("Stream read error");
    const FilerValue& v = values_.front();
    if (std::holds_alternative<int>(v)) return 4;
    if (std::holds_alternative<std::string>(v)) return 6;
    if (std::holds_alternative<ListStart>(v)) return 1;
    return 0;
  }
  bool AtListEnd() override { return PeekTag() == 0; }
  void ReadListStart() override { Take<ListStart>(); }
  void ReadListEnd() override { Take<ListEnd>(); }
  std::int32_t ReadInt() override { return Take<int>(); }
  long double ReadExtended() override { return Take<int>(); }
  std::string ReadIdentifier() override { return Take<std::string>(); }
  std::string ReadText() override { return Take<std::string>(); }
  bool ReadBool() override { return Take<int>() != 0; }
  char ReadChar() override { return Take<std::string>().at(0); }
  std::string ReadShortString() override { return Take<std::string>(); }
  void SkipValue() override { values_.pop_front(); }

  std::size_t Remaining() const { return values_.size(); }

 private:
  template <class T>
  T Take() {
    if (values_.empty() || !std::holds_alternative<T>(values_.front())) {
      throw EReadError("Invalid property value");
    }
    T value = std::get<T>(values_.front());
    values_.pop_front();
    return value;
  }
  std::string entry_;
  std::deque<FilerValue> values_;
};
