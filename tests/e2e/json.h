// Just enough JSON to read the automation script's dump: objects, arrays, strings with
// escapes, numbers, true, false and null. A document that is not JSON reads as null.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

class Json {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };

  static Json Parse(std::string_view text) {
    Parser parser{text};
    Json value = parser.Value();
    parser.Blanks();
    if (parser.failed || parser.at != text.size()) return Json();
    return value;
  }

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }
  bool Bool() const { return kind_ == Kind::Bool && bool_; }
  double Number() const { return kind_ == Kind::Number ? number_ : 0; }
  std::int64_t Int() const { return static_cast<std::int64_t>(Number()); }
  const std::string& String() const { return string_; }
  const std::vector<Json>& Items() const { return items_; }
  std::size_t Size() const { return items_.size(); }
  const Json& operator[](std::size_t index) const {
    return index < items_.size() ? items_[index] : Null();
  }
  const Json& operator[](int index) const {
    return index < 0 ? Null() : (*this)[static_cast<std::size_t>(index)];
  }
  // A member of an object; null when there is none.
  const Json& operator[](const std::string& key) const {
    auto it = members_.find(key);
    return it == members_.end() ? Null() : it->second;
  }
  const Json& operator[](const char* key) const { return (*this)[std::string(key)]; }
  bool Has(const std::string& key) const { return members_.count(key) != 0; }

  // The integers of an array.
  std::vector<std::int64_t> Ints() const {
    std::vector<std::int64_t> values;
    for (const Json& item : items_) values.push_back(item.Int());
    return values;
  }
  // The strings of an array.
  std::vector<std::string> Strings() const {
    std::vector<std::string> values;
    for (const Json& item : items_) values.push_back(item.String());
    return values;
  }

 private:
  static const Json& Null() {
    static const Json null;
    return null;
  }

  struct Parser {
    std::string_view text;
    std::size_t at = 0;
    bool failed = false;
    int depth = 0;

    void Blanks() {
      while (at < text.size() &&
             (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t'))
        ++at;
    }
    bool Take(char c) {
      Blanks();
      if (at < text.size() && text[at] == c) {
        ++at;
        return true;
      }
      return false;
    }
    bool Word(std::string_view word) {
      if (text.substr(at, word.size()) != word) return false;
      at += word.size();
      return true;
    }
    Json Fail() {
      failed = true;
      return Json();
    }
    Json Value() {
      Blanks();
      if (failed || at >= text.size() || ++depth > 100) return Fail();
      Json value;
      char c = text[at];
      if (c == '{') {
        ++at;
        value.kind_ = Kind::Object;
        if (!Take('}')) {
          do {
            Blanks();
            std::string key;
            if (!StringBody(key) || !Take(':')) return Fail();
            value.members_[key] = Value();
          } while (!failed && Take(','));
          if (!Take('}')) return Fail();
        }
      } else if (c == '[') {
        ++at;
        value.kind_ = Kind::Array;
        if (!Take(']')) {
          do value.items_.push_back(Value());
          while (!failed && Take(','));
          if (!Take(']')) return Fail();
        }
      } else if (c == '"') {
        value.kind_ = Kind::String;
        if (!StringBody(value.string_)) return Fail();
      } else if (Word("true") || Word("false")) {
        value.kind_ = Kind::Bool;
        value.bool_ = text[at - 1] == 'e' && text[at - 2] == 'u';
      } else if (Word("null")) {
      } else {
        const char* begin = text.data() + at;
        char* end = nullptr;
        std::string number(begin, std::min<std::size_t>(text.size() - at, 40));
        value.number_ = std::strtod(number.c_str(), &end);
        std::size_t used = static_cast<std::size_t>(end - number.c_str());
        if (used == 0) return Fail();
        at += used;
        value.kind_ = Kind::Number;
      }
      --depth;
      return value;
    }
    bool StringBody(std::string& out) {
      if (at >= text.size() || text[at] != '"') return false;
      ++at;
      while (at < text.size() && text[at] != '"') {
        char c = text[at++];
        if (c != '\\') {
          out += c;
          continue;
        }
        if (at >= text.size()) return false;
        char e = text[at++];
        switch (e) {
          case 'n':
            out += '\n';
            break;
          case 't':
            out += '\t';
            break;
          case 'r':
            out += '\r';
            break;
          case 'b':
            out += '\b';
            break;
          case 'f':
            out += '\f';
            break;
          case 'u': {
            if (at + 4 > text.size()) return false;
            unsigned code = std::stoul(std::string(text.substr(at, 4)), nullptr, 16);
            at += 4;
            Utf8(code, out);
            break;
          }
          default:
            out += e;
            break;
        }
      }
      if (at >= text.size()) return false;
      ++at;
      return true;
    }
    static void Utf8(unsigned code, std::string& out) {
      if (code < 0x80) {
        out += static_cast<char>(code);
      } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
      } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
      }
    }
  };

  Kind kind_ = Kind::Null;
  bool bool_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<Json> items_;
  std::map<std::string, Json> members_;
};

}  // namespace e2e
