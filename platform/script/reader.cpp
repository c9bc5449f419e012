// Reading a script: one command per line, '#' at the start of a line for a comment. Every
// line is checked before anything runs, so a malformed script changes nothing.
#include <cctype>
#include <charconv>

#include "platform/win32.h"
#include "script/script.h"

namespace platform::script {
namespace {

struct Name {
  const char* name;
  UINT key;
};

constexpr Name kKeys[] = {
    {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL},  {"control", VK_CONTROL}, {"alt", VK_MENU},
    {"esc", VK_ESCAPE},  {"escape", VK_ESCAPE}, {"enter", VK_RETURN},    {"return", VK_RETURN},
    {"tab", VK_TAB},     {"space", VK_SPACE},   {"backspace", VK_BACK},  {"bksp", VK_BACK},
    {"up", VK_UP},       {"down", VK_DOWN},     {"left", VK_LEFT},       {"right", VK_RIGHT},
    {"home", VK_HOME},   {"end", VK_END},       {"pgup", VK_PRIOR},      {"pageup", VK_PRIOR},
    {"pgdn", VK_NEXT},   {"pagedown", VK_NEXT}, {"ins", VK_INSERT},      {"insert", VK_INSERT},
    {"del", VK_DELETE},  {"delete", VK_DELETE}, {"apps", VK_APPS},       {"capslock", VK_CAPITAL},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A decimal number of at most nine digits, so that nothing overflows.
template <class T>
bool Number(std::string_view text, T* out, bool allowNegative) {
  bool negative = allowNegative && !text.empty() && text[0] == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 9) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  std::int64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  *out = static_cast<T>(negative ? -value : value);
  return true;
}

// "screen", "@CLASS" or "@CLASS#N". A class name may itself hold '#' ("#32768"): only a
// trailing '#' and digits after a non-empty name are the index.
bool ParseTarget(std::string_view text, Target* target, std::string* error) {
  if (text == "screen") {
    *target = Target{};
    return true;
  }
  if (text.size() < 2 || text[0] != '@') {
    *error =
        "a target is \"screen\", \"@CLASS\" or \"@CLASS#N\", not \"" + std::string(text) + "\"";
    return false;
  }
  std::string_view name = text.substr(1);
  int index = 1;
  std::size_t hash = name.rfind('#');
  if (hash != std::string_view::npos && hash > 0 && hash + 1 < name.size()) {
    std::string_view digits = name.substr(hash + 1);
    bool allDigits = true;
    for (char c : digits) allDigits = allDigits && c >= '0' && c <= '9';
    if (allDigits) {
      if (!Number(digits, &index, false) || index < 1) {
        *error = "the window number in \"" + std::string(text) + "\" counts from 1";
        return false;
      }
      name = name.substr(0, hash);
    }
  }
  *target = Target{false, std::string(name), index};
  return true;
}

bool ParseKeys(std::string_view text, std::vector<UINT>* keys, std::string* error) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t plus = text.find('+', start);
    std::string_view name =
        text.substr(start, plus == std::string_view::npos ? plus : plus - start);
    UINT key = KeyByName(name);
    if (!key) {
      *error = "no key is called \"" + std::string(name) + "\"";
      return false;
    }
    keys->push_back(key);
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  return true;
}

bool ParseLine(std::string_view text, Line* line, std::string* error) {
  std::vector<std::string_view> words = Words(text);
  std::string_view command = words[0];
  std::size_t at = text.find(command) + command.size();
  std::string_view rest = at < text.size() ? text.substr(at + 1) : std::string_view();
  std::size_t count = words.size() - 1;
  auto wrongCount = [&](const char* form) {
    *error = std::string("expected \"") + form + "\"";
    return false;
  };
  if (command == "wait") {
    line->command = Command::Wait;
    if (count != 1) return wrongCount("wait MS");
    if (!Number(words[1], &line->milliseconds, false)) {
      *error = "a wait is a whole number of milliseconds, not \"" + std::string(words[1]) + "\"";
      return false;
    }
    return true;
  }
  struct Pointer {
    const char* name;
    Command command;
    bool button;
  };
  constexpr Pointer kPointer[] = {{"move", Command::Move, false},
                                  {"press", Command::Press, true},
                                  {"release", Command::Release, true},
                                  {"click", Command::Click, true},
                                  {"dblclick", Command::DoubleClick, false}};
  for (const Pointer& p : kPointer) {
    if (command != p.name) continue;
    line->command = p.command;
    std::string form = std::string(p.name) + " TARGET X Y" + (p.button ? " [left|right]" : "");
    if (count != 3 && !(p.button && count == 4)) return wrongCount(form.c_str());
    if (!ParseTarget(words[1], &line->target, error)) return false;
    if (!Number(words[2], &line->x, true) || !Number(words[3], &line->y, true)) {
      *error = "the point is two whole numbers, not \"" + std::string(words[2]) + " " +
               std::string(words[3]) + "\"";
      return false;
    }
    if (count == 4) {
      if (words[4] != "left" && words[4] != "right") {
        *error = "the button is \"left\" or \"right\", not \"" + std::string(words[4]) + "\"";
        return false;
      }
      line->rightButton = words[4] == "right";
    }
    return true;
  }
  if (command == "key") {
    line->command = Command::Key;
    if (count != 1) return wrongCount("key NAME[+NAME...]");
    return ParseKeys(words[1], &line->keys, error);
  }
  if (command == "type") {
    line->command = Command::Type;
    line->text = std::string(rest);
    if (line->text.empty()) return wrongCount("type TEXT");
    return true;
  }
  if (command == "close") {
    line->command = Command::Close;
    if (count != 1) return wrongCount("close @CLASS");
    if (!ParseTarget(words[1], &line->target, error)) return false;
    if (line->target.screen) {
      *error = "the screen has no close box";
      return false;
    }
    return true;
  }
  if (command == "shot" || command == "dump") {
    line->command = command == "shot" ? Command::Shot : Command::Dump;
    std::size_t first = rest.find_first_not_of(" \t"), last = rest.find_last_not_of(" \t");
    if (first == std::string_view::npos)
      return wrongCount(command == "shot" ? "shot PATH" : "dump PATH");
    line->text = std::string(rest.substr(first, last - first + 1));
    return true;
  }
  *error = "unknown command \"" + std::string(command) + "\"";
  return false;
}

}  // namespace

UINT KeyByName(std::string_view name) {
  std::string lower = Lower(name);
  for (const Name& k : kKeys)
    if (lower == k.name) return k.key;
  if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f') {
    int number = 0;
    if (Number(std::string_view(lower).substr(1), &number, false) && number >= 1 && number <= 24)
      return static_cast<UINT>(VK_F1 + number - 1);
  }
  if (lower.size() == 1) {
    char c = lower[0];
    if (c >= 'a' && c <= 'z') return static_cast<UINT>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<UINT>(c);
    // Punctuation that a key makes without Shift (";", "/", "[" ...).
    SHORT scan = VkKeyScanA(c);
    if (scan != -1 && (scan & 0xFF00) == 0) return static_cast<UINT>(scan & 0xFF);
  }
  return 0;
}

Script Read(std::string_view text) {
  Script script;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::size_t first = raw.find_first_not_of(" \t");
    if (first == std::string_view::npos || raw[first] == '#') continue;
    if (raw.find('\0') != std::string_view::npos) {
      script.lines.clear();
      script.errorLine = number;
      script.error = "a line holds a NUL byte";
      return script;
    }
    Line line;
    line.number = number;
    std::string error;
    if (!ParseLine(raw.substr(first), &line, &error)) {
      script.lines.clear();
      script.errorLine = number;
      script.error = error;
      return script;
    }
    script.lines.push_back(std::move(line));
  }
  return script;
}

}  // namespace platform::script
