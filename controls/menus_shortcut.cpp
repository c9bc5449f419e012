// Shortcut values and their texts.
#include <array>

#include "controls/menus.h"
#include "runtime/text.h"

namespace {

// The key captions of the string table, in this order: "BkSp", "Tab", "Esc", "Enter",
// "Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down", "Ins", "Del",
// "Shift+", "Ctrl+", "Alt+".
enum TKeyCaption {
  kcBkSp,
  kcTab,
  kcEsc,
  kcEnter,
  kcSpace,
  kcPgUp,
  kcPgDn,
  kcEnd,
  kcHome,
  kcLeft,
  kcUp,
  kcRight,
  kcDown,
  kcIns,
  kcDel,
  kcShift,
  kcCtrl,
  kcAlt,
  kcCount
};
constexpr int kFirstKeyCaption = 61575;

const std::string& KeyCaption(TKeyCaption caption) {
  static const std::array<std::string, kcCount> captions = [] {
    std::array<std::string, kcCount> loaded;
    for (int i = 0; i < kcCount; ++i) loaded[i] = LoadStr(kFirstKeyCaption + i);
    return loaded;
  }();
  return captions[caption];
}

// The name of a key code, or empty.
std::string KeyName(BYTE key) {
  if (key == VK_BACK) return KeyCaption(kcBkSp);
  if (key == VK_TAB) return KeyCaption(kcTab);
  if (key == VK_RETURN) return KeyCaption(kcEnter);
  if (key == VK_ESCAPE) return KeyCaption(kcEsc);
  if (key >= VK_SPACE && key <= VK_DOWN) return KeyCaption(TKeyCaption(kcSpace + key - VK_SPACE));
  if (key == VK_INSERT) return KeyCaption(kcIns);
  if (key == VK_DELETE) return KeyCaption(kcDel);
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return std::string(1, char('0' + key - VK_NUMPAD0));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  // Any other key: the platform's name for its scan code, when that is one character.
  UINT scanCode = MapVirtualKeyA(key, 0);
  if (scanCode == 0) return {};
  char name[256];
  int length = GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name, sizeof(name));
  if (length != 1) return {};
  return std::string(1, name[0]);
}

// Strips prefix from the front of text when it is there, ignoring case.
bool StripPrefix(std::string& text, const std::string& prefix) {
  if (prefix.empty() || text.size() < prefix.size()) return false;
  if (CompareLocaleNoCase(text.substr(0, prefix.size()), prefix) != 0) return false;
  text.erase(0, prefix.size());
  return true;
}

}  // namespace

std::string FormatShortCut(TShortCut value) {
  std::string name = KeyName(static_cast<BYTE>(value & 0xFF));
  if (name.empty()) return {};
  std::string text;
  if ((value & scShift) != 0) text += KeyCaption(kcShift);
  if ((value & scCtrl) != 0) text += KeyCaption(kcCtrl);
  if ((value & scAlt) != 0) text += KeyCaption(kcAlt);
  return text + name;
}

TShortCut ParseShortCut(const std::string& text) {
  std::string rest = text;
  TShortCut modifiers = 0;
  for (bool stripped = true; stripped;) {
    stripped = true;
    if (StripPrefix(rest, KeyCaption(kcShift)))
      modifiers |= scShift;
    else if (StripPrefix(rest, "^") || StripPrefix(rest, KeyCaption(kcCtrl)))
      modifiers |= scCtrl;
    else if (StripPrefix(rest, KeyCaption(kcAlt)))
      modifiers |= scAlt;
    else
      stripped = false;
  }
  if (rest.empty()) return 0;
  for (int key = VK_BACK; key <= 0xFF; ++key)
    if (CompareLocaleNoCase(FormatShortCut(static_cast<TShortCut>(key)), rest) == 0)
      return static_cast<TShortCut>(modifiers | key);
  return 0;
}

TShortCut ShortCut(WORD key, TShiftState shift) {
  TShortCut value = key & 0xFF;
  if (shift.Contains(ssShift)) value |= scShift;
  if (shift.Contains(ssCtrl)) value |= scCtrl;
  if (shift.Contains(ssAlt)) value |= scAlt;
  return value;
}
