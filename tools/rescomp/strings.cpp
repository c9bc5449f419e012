#include <fstream>
#include <map>
#include <set>

#include "tools/rescomp/rescomp.h"

namespace rescomp {
namespace {

constexpr unsigned kRtString = 6;

std::u16string Utf16(const std::string& text, const std::string& where) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t code;
    std::size_t extra;
    if (c < 0x80) {
      code = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      code = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      code = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      code = c & 0x07;
      extra = 3;
    } else {
      throw Error(where + ": text is not UTF-8");
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        throw Error(where + ": text is not UTF-8");
      }
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::string Unescape(const std::string& text, const std::string& where) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) throw Error(where + ": lone backslash at the end");
    switch (text[i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case '\\': out += '\\'; break;
      default: throw Error(where + ": unknown escape \\" + std::string(1, text[i]));
    }
  }
  return out;
}

}  // namespace

void CompileStringTable(const std::filesystem::path& file, Directory& directory) {
  std::ifstream in(file);
  if (!in) throw Error(file.string() + ": cannot open");
  std::map<unsigned, std::u16string> strings;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::string where = file.string() + ":" + std::to_string(lineNumber);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::size_t space = line.find(' ');
    std::string number = line.substr(0, space);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5) {
      throw Error(where + ": an entry starts with its id");
    }
    unsigned id = static_cast<unsigned>(std::stoul(number));
    if (id > 0xFFFF) throw Error(where + ": id out of range");
    std::string text = space == std::string::npos ? std::string() : Unescape(line.substr(space + 1), where);
    if (!strings.emplace(id, Utf16(text, where)).second) throw Error(where + ": id " + number + " twice");
  }
  // Blocks of 16: string N lives in block N / 16 + 1 at position N % 16.
  std::set<unsigned> blocks;
  for (const auto& entry : strings) blocks.insert(entry.first / 16 + 1);
  for (unsigned block : blocks) {
    Bytes data;
    for (unsigned slot = 0; slot < 16; ++slot) {
      auto it = strings.find((block - 1) * 16 + slot);
      if (it == strings.end()) {
        PutWord(data, 0);
        continue;
      }
      PutWord(data, static_cast<unsigned>(it->second.size()));
      for (char16_t unit : it->second) PutWord(data, unit);
    }
    directory.Add({"", kRtString, "", block, std::move(data)});
  }
}

}  // namespace rescomp
