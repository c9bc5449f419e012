#include "gdi/font.h"

#include <ft2build.h>

#include "settings/settings.h"
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <strings.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <map>

namespace platform::gdi {
namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) return static_cast<FT_Library>(nullptr);
    return l;
  }();
  return library;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FindFontFile(const std::string& name) {
  static const char* const kFolders[] = {
      "/usr/share/fonts/truetype/liberation2/", "/usr/share/fonts/truetype/liberation/",
      "/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/TTF/", "/usr/local/share/fonts/"};
  if (std::optional<std::string> folder = settings::Read(settings::Setting::kFontDir)) {
    std::string path = *folder + "/" + name;
    if (FileExists(path)) return path;
  }
  for (const char* folder : kFolders) {
    std::string path = std::string(folder) + name;
    if (FileExists(path)) return path;
  }
  return {};
}

// Opened faces by file, kept for the life of the process (a handful at most).
FT_Face OpenFace(const std::string& file) {
  static std::map<std::string, FT_Face> faces;
  auto found = faces.find(file);
  if (found != faces.end()) return found->second;
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), file.c_str(), 0, &face) != 0) face = nullptr;
  faces[file] = face;
  return face;
}

enum class Family { Sans, Mono, DejaVu };

bool FixedFaceName(const char* name) {
  static const char* const kFixed[] = {"Courier",          "Courier New",     "Fixedsys",
                                       "Terminal",         "Liberation Mono", "Lucida Console",
                                       "DejaVu Sans Mono", "Consolas",        "Monospace"};
  for (const char* fixed : kFixed) {
    if (strcasecmp(name, fixed) == 0) return true;
  }
  return false;
}

std::string FileFor(Family family, bool bold, bool italic) {
  switch (family) {
    case Family::Mono:
      return std::string("LiberationMono-") +
             (bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular")) + ".ttf";
    case Family::DejaVu:
      return std::string("DejaVuSans") +
             (bold ? (italic ? "-BoldOblique" : "-Bold") : (italic ? "-Oblique" : "")) + ".ttf";
    default:
      return std::string("LiberationSans-") +
             (bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular")) + ".ttf";
  }
}

long Scale(long units, double em, long unitsPerEm, bool up) {
  double v = static_cast<double>(units) * em / unitsPerEm;
  return static_cast<long>(up ? std::ceil(v - 1e-9) : std::lround(v));
}

// The font's cell in font units: the Windows ascent and descent when it has them.
void CellUnits(FT_Face face, long* ascender, long* descender) {
  *ascender = face->ascender;
  *descender = -face->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascender = os2->usWinAscent;
    *descender = os2->usWinDescent;
  }
}

class FreeTypeFont : public RealizedFont {
 public:
  // `em64`: the em in 64ths of a pixel. `cell`: the cell height asked for (a positive
  // height), or 0 when the em was asked for (a negative height).
  FreeTypeFont(FT_Face primary, FT_Face fallback, int em64, int cell, const LOGFONTA& font,
               Family family)
      : primary_(primary), fallback_(fallback), em64_(em64) {
    long upem = primary->units_per_EM ? primary->units_per_EM : 2048;
    long ascender, descender;
    CellUnits(primary, &ascender, &descender);
    double em = em64 / 64.0;
    TEXTMETRICA& m = metrics_;
    if (cell > 0) {
      // The cell is exactly what was asked for; the ascent takes its share of it.
      m.tmAscent = std::lround(static_cast<double>(ascender) * cell / (ascender + descender));
      m.tmDescent = cell - m.tmAscent;
    } else {
      m.tmAscent = Scale(ascender, em, upem, true);
      m.tmDescent = Scale(descender, em, upem, true);
    }
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = m.tmHeight - std::lround(em);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(primary, FT_SFNT_OS2));
    long lineGap = primary->height - (primary->ascender - primary->descender);
    long extra = lineGap - ((ascender + descender) - (primary->ascender - primary->descender));
    m.tmExternalLeading = extra > 0 ? Scale(extra, em, upem, false) : 0;
    m.tmAveCharWidth = os2 ? Scale(os2->xAvgCharWidth, em, upem, false) : std::lround(em / 2);
    m.tmMaxCharWidth = Scale(primary->max_advance_width, em, upem, true);
    bool bold = font.lfWeight >= FW_BOLD;
    m.tmWeight = bold ? FW_BOLD : FW_NORMAL;
    m.tmDigitizedAspectX = m.tmDigitizedAspectY = 96;
    m.tmFirstChar = 0x20;
    m.tmLastChar = 0xFF;
    m.tmDefaultChar = 0x1F;
    m.tmBreakChar = 0x20;
    m.tmItalic = font.lfItalic ? 1 : 0;
    m.tmUnderlined = font.lfUnderline ? 1 : 0;
    m.tmStruckOut = font.lfStrikeOut ? 1 : 0;
    // The pitch bit set means variable pitch.
    m.tmPitchAndFamily =
        static_cast<BYTE>(TMPF_VECTOR | TMPF_TRUETYPE |
                          (family == Family::Mono ? FF_MODERN : TMPF_FIXED_PITCH | FF_SWISS));
    m.tmCharSet = ANSI_CHARSET;
    auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(primary, FT_SFNT_POST));
    if (post) {
      lineThickness_ = std::max<int>(1, Scale(post->underlineThickness, em, upem, false));
      underlinePosition_ = std::max<int>(1, Scale(-post->underlinePosition, em, upem, false));
    }
    if (os2) strikeoutPosition_ = std::max<int>(1, Scale(os2->yStrikeoutPosition, em, upem, false));
    faceName_ = family == Family::Mono     ? "Liberation Mono"
                : family == Family::DejaVu ? "DejaVu Sans"
                                           : "Liberation Sans";
  }

  const Glyph& GlyphFor(char32_t codepoint) override {
    auto found = glyphs_.find(codepoint);
    if (found != glyphs_.end()) return found->second;
    Glyph& glyph = glyphs_[codepoint];
    FT_Face face = primary_;
    FT_UInt index = FT_Get_Char_Index(primary_, codepoint);
    if (index == 0 && fallback_) {
      FT_UInt other = FT_Get_Char_Index(fallback_, codepoint);
      if (other != 0) {
        face = fallback_;
        index = other;
      }
    }
    if (index == 0 && codepoint != 0xFFFD && codepoint >= 0x20) return glyph = GlyphFor(0xFFFD);
    Render(face, index, &glyph);
    return glyph;
  }

 private:
  void Render(FT_Face face, FT_UInt index, Glyph* glyph) {
    // At 72 dots per inch a point is a pixel: the size is the em in 64ths of a pixel.
    if (FT_Set_Char_Size(face, 0, em64_, 72, 72) != 0) return;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
    FT_GlyphSlot slot = face->glyph;
    glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* bits = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      int y = static_cast<int>(row) - slot->bitmap_top;
      int start = -1;
      for (unsigned x = 0; x <= bitmap.width; ++x) {
        bool on = false;
        if (x < bitmap.width) {
          on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (bits[x / 8] & (0x80 >> (x % 8))) != 0
                                                       : bits[x] >= 128;
        }
        if (on && start < 0) start = static_cast<int>(x);
        if (!on && start >= 0) {
          glyph->runs.push_back(
              {y, slot->bitmap_left + start, slot->bitmap_left + static_cast<int>(x)});
          start = -1;
        }
      }
    }
    for (const Glyph::Run& run : glyph->runs) {
      bool first = glyph->inkRight <= glyph->inkLeft;
      glyph->inkLeft = first ? run.x0 : std::min(glyph->inkLeft, run.x0);
      glyph->inkRight = first ? run.x1 : std::max(glyph->inkRight, run.x1);
      glyph->inkTop = first ? run.y : std::min(glyph->inkTop, run.y);
      glyph->inkBottom = first ? run.y + 1 : std::max(glyph->inkBottom, run.y + 1);
    }
  }

  FT_Face primary_;
  FT_Face fallback_;
  int em64_;
  std::unordered_map<char32_t, Glyph> glyphs_;
};

}  // namespace

RealizedFont* Realize(const LOGFONTA& font) {
  std::string name(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
  bool bold = font.lfWeight >= FW_BOLD;
  bool italic = font.lfItalic != 0;
  Family family = Family::Sans;
  if ((font.lfPitchAndFamily & 3) == FIXED_PITCH || (font.lfPitchAndFamily & 0xF0) == FF_MODERN ||
      FixedFaceName(name.c_str())) {
    family = Family::Mono;
  } else if (strcasecmp(name.c_str(), "DejaVu Sans") == 0) {
    family = Family::DejaVu;
  }
  FT_Face primary = nullptr;
  std::string file = FindFontFile(FileFor(family, bold, italic));
  if (!file.empty()) primary = OpenFace(file);
  if (!primary) {
    std::string regular = FindFontFile(FileFor(family, false, false));
    if (!regular.empty()) primary = OpenFace(regular);
  }
  FT_Face fallback = nullptr;
  std::string fallbackFile = FindFontFile(FileFor(Family::DejaVu, bold, false));
  if (fallbackFile.empty()) fallbackFile = FindFontFile(FileFor(Family::DejaVu, false, false));
  if (!fallbackFile.empty()) fallback = OpenFace(fallbackFile);
  if (!primary) {
    primary = fallback;
    family = Family::DejaVu;
  }
  if (!primary) return nullptr;

  long upem = primary->units_per_EM ? primary->units_per_EM : 2048;
  int em64;
  int cell = 0;
  if (font.lfHeight < 0) {
    em64 = std::clamp<int>(-font.lfHeight, 1, 1000) * 64;
  } else {
    // A positive height is the cell height, ascent plus descent; the em is what is left
    // of it once the font's own leading is taken away.
    long ascender, descender;
    CellUnits(primary, &ascender, &descender);
    cell = std::clamp<int>(font.lfHeight == 0 ? 16 : font.lfHeight, 1, 1000);
    em64 = static_cast<int>(
        std::lround(64.0 * cell * upem / static_cast<double>(ascender + descender)));
    em64 = std::max(em64, 64);
  }

  struct Key {
    FT_Face face;
    int em64, cell;
    bool underline, strike, italic;
    bool operator<(const Key& o) const {
      return std::tie(face, em64, cell, underline, strike, italic) <
             std::tie(o.face, o.em64, o.cell, o.underline, o.strike, o.italic);
    }
  };
  static std::map<Key, std::unique_ptr<RealizedFont>> realized;
  Key key{primary, em64, cell, font.lfUnderline != 0, font.lfStrikeOut != 0, italic};
  auto& slot = realized[key];
  if (!slot) slot = std::make_unique<FreeTypeFont>(primary, fallback, em64, cell, font, family);
  return slot.get();
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    int length = byte < 0x80         ? 1
                 : (byte >> 5) == 6  ? 2
                 : (byte >> 4) == 14 ? 3
                 : (byte >> 3) == 30 ? 4
                                     : 0;
    char32_t cp = length == 1   ? byte
                  : length == 2 ? byte & 0x1F
                  : length == 3 ? byte & 0x0F
                                : byte & 0x07;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are invalid too.
    static const char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

int TextWidth(RealizedFont* font, std::u32string_view text) {
  if (!font) return 0;
  int width = 0;
  for (char32_t c : text) width += font->GlyphFor(c).advance;
  return width;
}

}  // namespace platform::gdi
