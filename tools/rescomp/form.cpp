// The form compiler. The text is tokenised whole, then one recursive pass writes the
// binary description: the signature, then the root object with its properties and
// children, each value in the tag a reader expects for it.
#include "tools/rescomp/form.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace rescomp {
namespace {

enum class TokenKind { Word, Integer, Float, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // word, string contents, or the punctuation character
  std::int64_t integer = 0;
  long double real = 0;
  int line = 0;
  bool call = false;  // a word directly followed by "(": a picture or data function
};

class Lexer {
 public:
  Lexer(const std::string& text, std::string sourceName) : text_(text), source_(std::move(sourceName)) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (true) {
      SkipBlanks();
      Token token;
      token.line = line_;
      if (at_ >= text_.size()) {
        tokens.push_back(token);
        return tokens;
      }
      char c = text_[at_];
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        token.kind = TokenKind::Word;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_' ||
                                      text_[at_] == '.')) {
          token.text += text_[at_++];
        }
        token.call = at_ < text_.size() && text_[at_] == '(';
      } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 ((c == '-' || c == '+') && at_ + 1 < text_.size() &&
                  std::isdigit(static_cast<unsigned char>(text_[at_ + 1])))) {
        Number(token);
      } else if (c == '"') {
        token.kind = TokenKind::String;
        token.text = QuotedString();
      } else if (std::string("{}[]()<>=,+").find(c) != std::string::npos) {
        token.kind = TokenKind::Punct;
        token.text = std::string(1, c);
        ++at_;
      } else {
        Fail(std::string("unexpected character '") + c + "'");
      }
      tokens.push_back(std::move(token));
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw Error(source_ + ":" + std::to_string(line_) + ": " + what);
  }

  void SkipBlanks() {
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (c == '\n') {
        ++line_;
        ++at_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++at_;
      } else if (c == '#') {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else {
        return;
      }
    }
  }

  void Number(Token& token) {
    std::size_t start = at_;
    if (text_[at_] == '-' || text_[at_] == '+') ++at_;
    bool hex = text_.compare(at_, 2, "0x") == 0 || text_.compare(at_, 2, "0X") == 0;
    if (hex) at_ += 2;
    bool real = false;
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (std::isxdigit(static_cast<unsigned char>(c)) && (hex || std::isdigit(static_cast<unsigned char>(c)))) {
        ++at_;
      } else if (!hex && (c == '.' || c == 'e' || c == 'E')) {
        real = true;
        ++at_;
        if ((c == 'e' || c == 'E') && at_ < text_.size() && (text_[at_] == '-' || text_[at_] == '+')) ++at_;
      } else {
        break;
      }
    }
    std::string digits = text_.substr(start, at_ - start);
    char* end = nullptr;
    errno = 0;
    if (real) {
      token.kind = TokenKind::Float;
      token.real = std::strtold(digits.c_str(), &end);
    } else {
      token.kind = TokenKind::Integer;
      token.integer = std::strtoll(digits.c_str(), &end, hex ? 16 : 10);
    }
    if (end != digits.c_str() + digits.size() || errno == ERANGE) Fail("bad number " + digits);
    token.text = digits;
  }

  std::string QuotedString() {
    ++at_;
    std::string out;
    while (true) {
      if (at_ >= text_.size() || text_[at_] == '\n') Fail("string not closed on its line");
      char c = text_[at_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("string not closed");
      char e = text_[at_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'x': {
          if (at_ + 2 > text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_])) ||
              !std::isxdigit(static_cast<unsigned char>(text_[at_ + 1]))) {
            Fail("\\x needs two hex digits");
          }
          out += static_cast<char>(std::stoi(text_.substr(at_, 2), nullptr, 16));
          at_ += 2;
          break;
        }
        default: Fail(std::string("unknown escape \\") + e);
      }
    }
  }

  const std::string& text_;
  std::string source_;
  std::size_t at_ = 0;
  int line_ = 1;
};

enum Tag : std::uint8_t {
  kTagNull = 0, kTagList = 1, kTagInt8 = 2, kTagInt16 = 3, kTagInt32 = 4, kTagExtended = 5,
  kTagString = 6, kTagIdent = 7, kTagFalse = 8, kTagTrue = 9, kTagBinary = 10, kTagSet = 11,
  kTagLongString = 12, kTagNil = 13, kTagCollection = 14,
};

constexpr std::uint8_t kPrefixInherited = 0x1;
constexpr std::uint8_t kPrefixChildPosition = 0x2;

class Compiler {
 public:
  Compiler(std::vector<Token> tokens, std::filesystem::path base, std::string source)
      : tokens_(std::move(tokens)), base_(std::move(base)), source_(std::move(source)) {}

  Bytes Run() {
    Bytes out = {'T', 'P', 'F', '0'};
    Object(out);
    if (Peek().kind != TokenKind::End) Fail("text after the root object");
    return out;
  }

 private:
  [[noreturn]] void Fail(const std::string& what, int line = 0) {
    throw Error(source_ + ":" + std::to_string(line ? line : Peek().line) + ": " + what);
  }

  const Token& Peek(std::size_t ahead = 0) const {
    std::size_t i = std::min(at_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }
  const Token& Next() {
    const Token& token = Peek();
    if (at_ < tokens_.size() - 1) ++at_;
    return token;
  }
  bool IsPunct(const char* text, std::size_t ahead = 0) const {
    return Peek(ahead).kind == TokenKind::Punct && Peek(ahead).text == text;
  }
  void Expect(const char* punct) {
    if (!IsPunct(punct)) Fail(std::string("expected \"") + punct + "\"");
    Next();
  }
  std::string Word(const char* what) {
    if (Peek().kind != TokenKind::Word) Fail(std::string("expected ") + what);
    return Next().text;
  }

  void PutShortString(Bytes& out, const std::string& text) {
    if (text.size() > 255) Fail("\"" + text.substr(0, 20) + "...\" is longer than 255 characters");
    out.push_back(static_cast<std::uint8_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
  }

  // [inherited] CLASS [NAME | ""] [at POSITION] { properties, then children }
  void Object(Bytes& out) {
    std::uint8_t flags = 0;
    if (Peek().kind == TokenKind::Word && Peek().text == "inherited") {
      Next();
      flags |= kPrefixInherited;
    }
    std::string className = Word("a class name");
    std::string name;
    if (Peek().kind == TokenKind::Word) {
      name = Next().text;
    } else if (Peek().kind == TokenKind::String) {
      name = Next().text;
    }
    std::int64_t position = 0;
    if (Peek().kind == TokenKind::Word && Peek().text == "at") {
      Next();
      if (Peek().kind != TokenKind::Integer) Fail("\"at\" needs the child position");
      position = Next().integer;
      flags |= kPrefixChildPosition;
    }
    if (flags != 0) {
      out.push_back(static_cast<std::uint8_t>(0xF0 | flags));
      if (flags & kPrefixChildPosition) PutFormInteger(out, position);
    }
    PutShortString(out, className);
    PutShortString(out, name);
    Expect("{");
    Properties(out);
    while (!IsPunct("}")) {
      if (Peek().kind == TokenKind::End) Fail("object " + name + " not closed");
      if (Peek().kind == TokenKind::Word && IsPunct("=", 1)) Fail("properties come before the children");
      Object(out);
    }
    Next();
    out.push_back(kTagNull);
  }

  // PATH = VALUE lines up to the first line that is not one; ends the list with 0.
  void Properties(Bytes& out) {
    while (Peek().kind == TokenKind::Word && IsPunct("=", 1)) {
      PutShortString(out, Next().text);
      Next();
      Value(out);
    }
    out.push_back(kTagNull);
  }

  void Value(Bytes& out) {
    const Token& token = Peek();
    switch (token.kind) {
      case TokenKind::Integer:
        if (token.integer < INT32_MIN || token.integer > UINT32_MAX) Fail(token.text + " does not fit 32 bits");
        // Values up to 0xFFFFFFFF are taken as their 32-bit pattern (colours, masks).
        PutFormInteger(out, static_cast<std::int32_t>(static_cast<std::uint32_t>(token.integer)));
        Next();
        return;
      case TokenKind::Float:
        out.push_back(kTagExtended);
        PutExtended(out, token.real);
        Next();
        return;
      case TokenKind::String: {
        std::string text = Next().text;
        while (IsPunct("+")) {
          Next();
          if (Peek().kind != TokenKind::String) Fail("\"+\" joins strings only");
          text += Next().text;
        }
        if (text.size() <= 255) {
          out.push_back(kTagString);
          PutShortString(out, text);
        } else {
          out.push_back(kTagLongString);
          PutDword(out, static_cast<std::uint32_t>(text.size()));
          out.insert(out.end(), text.begin(), text.end());
        }
        return;
      }
      case TokenKind::Word:
        if (token.call) {
          Call(out);
        } else if (token.text == "true" || token.text == "false" || token.text == "nil") {
          out.push_back(token.text == "true" ? kTagTrue : token.text == "false" ? kTagFalse : kTagNil);
          Next();
        } else {
          out.push_back(kTagIdent);
          PutShortString(out, Next().text);
        }
        return;
      case TokenKind::Punct:
        if (IsPunct("[")) {
          Next();
          out.push_back(kTagSet);
          while (!IsPunct("]")) {
            PutShortString(out, Word("a set element name or \"]\""));
            if (IsPunct(",")) Next();
          }
          Next();
          out.push_back(kTagNull);
          return;
        }
        if (IsPunct("(")) {
          Next();
          out.push_back(kTagList);
          while (!IsPunct(")")) {
            if (Peek().kind == TokenKind::End) Fail("list not closed");
            Value(out);
            if (IsPunct(",")) Next();
          }
          Next();
          out.push_back(kTagNull);
          return;
        }
        if (IsPunct("<")) {
          Collection(out);
          return;
        }
        break;
      case TokenKind::End:
        break;
    }
    Fail("expected a value");
  }

  // < item [INDEX] { properties } ... >
  void Collection(Bytes& out) {
    Next();
    out.push_back(kTagCollection);
    while (!IsPunct(">")) {
      if (Peek().kind != TokenKind::Word || Peek().text != "item") Fail("expected \"item\" or \">\"");
      Next();
      if (Peek().kind == TokenKind::Integer) PutFormInteger(out, Next().integer);
      Expect("{");
      out.push_back(kTagList);
      Properties(out);  // its closing 0 is the item's end tag
      Expect("}");
    }
    Next();
    out.push_back(kTagNull);
  }

  // bitmap("file" [, SIZE]) | icon("file") | binary("file") | hex("digits")
  void Call(Bytes& out) {
    const int line = Peek().line;
    std::string function = Next().text;
    Expect("(");
    if (Peek().kind != TokenKind::String) Fail(function + " needs a quoted argument", line);
    std::string argument = Next().text;
    std::int64_t size = -1;
    if (IsPunct(",")) {
      Next();
      if (Peek().kind != TokenKind::Integer) Fail(function + ": the size is an integer", line);
      size = Next().integer;
    }
    Expect(")");
    Bytes data;
    auto file = [&](PixmapKind kind) {
      std::filesystem::path path = base_ / argument;
      return path.extension() == ".pix" ? PixmapFileBytes(path, kind) : ReadFileBytes(path);
    };
    if (function == "bitmap") {
      // A bitmap stores its own length before the file; some editors pad the file.
      Bytes picture = file(PixmapKind::Bitmap);
      if (size >= 0) {
        if (size < static_cast<std::int64_t>(picture.size())) Fail("bitmap larger than its given size", line);
        picture.resize(static_cast<std::size_t>(size), 0);
        if (picture.size() >= 6) {
          Bytes fileSize;
          PutDword(fileSize, static_cast<std::uint32_t>(picture.size()));
          std::copy(fileSize.begin(), fileSize.end(), picture.begin() + 2);
        }
      }
      PutDword(data, static_cast<std::uint32_t>(picture.size()));
      data.insert(data.end(), picture.begin(), picture.end());
    } else if (size >= 0) {
      Fail(function + " takes no size", line);
    } else if (function == "icon") {
      data = file(PixmapKind::Icon);
    } else if (function == "binary") {
      data = ReadFileBytes(base_ / argument);
    } else if (function == "hex") {
      std::string digits;
      for (char c : argument) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) Fail("hex takes hex digits", line);
        digits += c;
      }
      if (digits.size() % 2) Fail("hex needs whole bytes", line);
      for (std::size_t i = 0; i < digits.size(); i += 2) {
        data.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
      }
    } else {
      Fail("unknown function " + function, line);
    }
    out.push_back(kTagBinary);
    PutDword(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
  }

  std::vector<Token> tokens_;
  std::size_t at_ = 0;
  std::filesystem::path base_;
  std::string source_;
};

}  // namespace

void PutFormInteger(Bytes& out, std::int64_t value) {
  if (value >= -128 && value <= 127) {
    out.push_back(kTagInt8);
    out.push_back(static_cast<std::uint8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    out.push_back(kTagInt16);
    PutWord(out, static_cast<unsigned>(value) & 0xFFFF);
  } else {
    out.push_back(kTagInt32);
    PutDword(out, static_cast<std::uint32_t>(value));
  }
}

void PutExtended(Bytes& out, long double value) {
  std::uint64_t mantissa = 0;
  unsigned exponent = 0;
  bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    long double fraction = std::frexp(std::fabs(value), &e);  // [0.5, 1)
    mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    int biased = e - 1 + 16383;
    if (biased <= 0) {  // below the normal range: denormal, exponent field 0
      int shift = 1 - biased;
      mantissa = shift >= 64 ? 0 : mantissa >> shift;
      biased = 0;
    }
    exponent = static_cast<unsigned>(biased);
  }
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(mantissa >> (8 * i)));
  PutWord(out, (negative ? 0x8000u : 0u) | exponent);
}

Bytes CompileFormText(const std::string& text, const std::filesystem::path& base, const std::string& sourceName) {
  Lexer lexer(text, sourceName);
  Compiler compiler(lexer.Run(), base, sourceName);
  return compiler.Run();
}

Bytes CompileForm(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(file.string() + ": cannot open");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return CompileFormText(text, file.parent_path(), file.string());
}

}  // namespace rescomp
