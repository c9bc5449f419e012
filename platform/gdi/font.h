// Fonts realized with FreeType: face choice for a logical font, metrics in the
// classic shape, and a cache of one-bit glyphs kept as horizontal runs.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win32.h"
#include "private.h"

namespace platform::gdi {

struct Glyph {
  struct Run {
    int y, x0, x1;  // relative to the pen position on the baseline; [x0, x1)
  };
  std::vector<Run> runs;
  int advance = 0;
  // The bounds of the runs, relative to the pen position on the baseline (empty: no ink).
  int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
};

class RealizedFont {
 public:
  virtual ~RealizedFont() = default;
  virtual const Glyph& GlyphFor(char32_t codepoint) = 0;
  const TEXTMETRICA& Metrics() const { return metrics_; }
  int UnderlinePosition() const { return underlinePosition_; }  // below the baseline
  int StrikeoutPosition() const { return strikeoutPosition_; }  // above the baseline
  int LineThickness() const { return lineThickness_; }
  const std::string& FaceName() const { return faceName_; }

 protected:
  TEXTMETRICA metrics_{};
  int underlinePosition_ = 1;
  int strikeoutPosition_ = 3;
  int lineThickness_ = 1;
  std::string faceName_;
};

// The realized font for a logical font (cached); null when no font file can be read.
RealizedFont* Realize(const LOGFONTA& font);

// UTF-8 to code points; every byte of an invalid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

// Width of `text` in pixels with the font.
int TextWidth(RealizedFont* font, std::u32string_view text);

}  // namespace platform::gdi
