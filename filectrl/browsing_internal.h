// What the four browsing controls share: measuring a font on the screen, drawing an
// entry's glyph, searching text byte by byte. Not for files outside filectrl/.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "graphics/bitmap.h"
#include "graphics/graphics.h"

namespace filectrl_detail {

// The character height of the font (its text metrics' height) on the screen.
int ScreenFontHeight(TFont* font);
// The width of text in the font, measured on the screen.
int ScreenTextWidth(TFont* font, const std::string& text);

// Draws glyph with its left edge at left, centred vertically in rect, with the colour of
// its bottom-left pixel replaced by the canvas brush so that it takes the entry's
// background.
void DrawGlyph(TCanvas* canvas, TBitmap* glyph, int left, const RECT& rect);

// The first position of the ASCII character ch in text from `from` on; npos when there is
// none. A plain byte search: no byte below 0x80 is ever part of a longer character, and a
// name that is not UTF-8 (a Latin-1 folder name) must not hide the backslash after it.
std::size_t FindByte(std::string_view text, char ch, std::size_t from = 0);
// The last position of a backslash or colon in text; npos for none.
std::size_t LastDelimiter(std::string_view text);

// Makes value current, relative to base when base still exists (a relative path goes from
// the control's own directory, whatever another control made current; from a folder that
// is gone it goes from the process's current directory), and returns the new current
// directory as the platform spells it. EInOutError when value cannot be made current.
std::string ChangeDirectoryFrom(const std::string& base, const std::string& value);

// The glyph attached to an entry, or nullptr when the entry carries something else.
inline TBitmap* EntryGlyph(TObject* object) { return dynamic_cast<TBitmap*>(object); }

}  // namespace filectrl_detail
