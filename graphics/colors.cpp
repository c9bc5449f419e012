// Colours and character sets: the identifier tables the form reader converts with, and
// the conversion of system colours to RGB.
#include <array>

#include "classes/reader.h"
#include "graphics/graphics.h"
#include "runtime/text.h"

namespace {

constexpr std::array<TIdentMapEntry, 42> kColors{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
}};

constexpr std::array<TIdentMapEntry, 18> kCharsets{{
    {0, "ANSI_CHARSET"},
    {1, "DEFAULT_CHARSET"},
    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},
    {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},
    {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"},
    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
}};

// The form reader learns the identifiers as soon as anything of graphics/ is linked in.
struct MapperRegistration {
  MapperRegistration() {
    RegisterIdentMapper(&ColorType(), IdentToColor, ColorToIdent);
    RegisterIdentMapper(&CharsetType(), IdentToCharset, CharsetToIdent);
  }
} registration;

}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color);
}

std::span<const TIdentMapEntry> ColorIdentifiers() { return kColors; }
std::span<const TIdentMapEntry> CharsetIdentifiers() { return kCharsets; }

bool IdentToColor(const std::string& identifier, std::int32_t& color) {
  for (const TIdentMapEntry& entry : kColors) {
    if (CompareLocaleNoCase(entry.Name, identifier) == 0) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

bool ColorToIdent(std::int32_t color, std::string& identifier) {
  for (const TIdentMapEntry& entry : kColors) {
    if (entry.Value == color) {
      identifier = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToCharset(const std::string& identifier, std::int32_t& charset) {
  for (const TIdentMapEntry& entry : kCharsets) {
    if (SameAsciiNoCase(entry.Name, identifier)) {
      charset = entry.Value;
      return true;
    }
  }
  return false;
}

bool CharsetToIdent(std::int32_t charset, std::string& identifier) {
  for (const TIdentMapEntry& entry : kCharsets) {
    if (entry.Value == (charset & 0xFF)) {
      identifier = entry.Name;
      return true;
    }
  }
  return false;
}

const TTypeInfo& ColorType() {
  static const TTypeInfo type = MakeIntegerType("TColor");
  return type;
}

const TTypeInfo& CharsetType() {
  static const TTypeInfo type = MakeIntegerType("TFontCharset", TOrdType::UByte);
  return type;
}
