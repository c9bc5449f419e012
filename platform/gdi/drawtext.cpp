// DrawTextA: lines, word breaks, tabs, prefix underlines, alignment and measuring.
#include <algorithm>
#include <cstring>

#include "gdi/dc.h"
#include "gdi/raster.h"
#include "gdi/text.h"

using namespace platform::gdi;

namespace {

struct Char {
  char32_t code;
  bool underline;
};

struct Line {
  std::vector<Char> chars;
  std::vector<INT> advances;
  int width = 0;
};

struct Layout {
  RealizedFont* font;
  UINT format;
  int tabWidth;

  void Measure(Line& line) const {
    line.advances.clear();
    line.width = 0;
    for (const Char& c : line.chars) {
      int advance;
      if (c.code == U'\t' && (format & DT_EXPANDTABS)) {
        advance = tabWidth - line.width % tabWidth;
      } else {
        advance = font->GlyphFor(c.code).advance;
      }
      line.advances.push_back(advance);
      line.width += advance;
    }
  }
};

// Splits the text into paragraphs and applies the "&" prefix rules.
std::vector<std::vector<Char>> Paragraphs(const std::u32string& text, UINT format) {
  std::vector<std::vector<Char>> paragraphs(1);
  bool prefix = !(format & DT_NOPREFIX);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (!(format & DT_SINGLELINE) && (c == U'\r' || c == U'\n')) {
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      paragraphs.emplace_back();
      continue;
    }
    if ((format & DT_SINGLELINE) && (c == U'\r' || c == U'\n')) continue;
    if (prefix && c == U'&') {
      if (i + 1 >= text.size()) continue;  // a lone trailing prefix shows nothing
      ++i;
      bool doubled = text[i] == U'&';
      paragraphs.back().push_back({text[i], !doubled});
      continue;
    }
    paragraphs.back().push_back({c, false});
  }
  return paragraphs;
}

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t'; }

// Greedy word wrap: break after the last space that keeps the line inside `limit`.
std::vector<Line> Wrap(const std::vector<Char>& paragraph, const Layout& layout, int limit) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (true) {
    Line line;
    line.chars.assign(paragraph.begin() + static_cast<long>(start), paragraph.end());
    layout.Measure(line);
    if (line.width <= limit || line.chars.empty()) {
      lines.push_back(std::move(line));
      break;
    }
    int x = 0;
    std::size_t breakAt = 0;  // chars of the line kept, 0 = no break found yet
    for (std::size_t i = 0; i < line.chars.size(); ++i) {
      if (IsSpace(line.chars[i].code) && i > 0) {
        if (x <= limit || breakAt == 0) breakAt = i;
        if (x > limit) break;
      }
      x += line.advances[i];
      if (x > limit && breakAt != 0) break;
    }
    if (breakAt == 0) {
      // One word wider than the line stays whole.
      std::size_t end = 0;
      while (end < line.chars.size() && !IsSpace(line.chars[end].code)) ++end;
      breakAt = end;
      if (breakAt == line.chars.size()) {
        lines.push_back(std::move(line));
        break;
      }
    }
    std::size_t next = breakAt;
    while (next < line.chars.size() && IsSpace(line.chars[next].code)) ++next;
    line.chars.resize(breakAt);
    layout.Measure(line);
    lines.push_back(std::move(line));
    start += next;
    if (start >= paragraph.size()) break;
  }
  return lines;
}

void AddEllipsis(Line& line, const Layout& layout, int limit) {
  if (line.width <= limit) return;
  std::vector<Char> dots(3, Char{U'.', false});
  while (!line.chars.empty()) {
    line.chars.pop_back();
    Line trial = line;
    trial.chars.insert(trial.chars.end(), dots.begin(), dots.end());
    layout.Measure(trial);
    if (trial.width <= limit) {
      line = std::move(trial);
      return;
    }
  }
  line.chars = dots;
  layout.Measure(line);
}

}  // namespace

int DrawTextA(HDC handle, LPCSTR text, int length, LPRECT rect, UINT format) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect || (!text && length != 0)) return 0;
  if (length < 0) length = text ? static_cast<int>(std::strlen(text)) : 0;
  // Empty text has no line at all: it measures and draws nothing.
  if (length == 0) {
    if (format & DT_CALCRECT) {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }
  RealizedFont* font = DcFont(dc);
  if (!font) return 0;
  const TEXTMETRICA& m = font->Metrics();
  int tabChars = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
  if (tabChars == 0) tabChars = 8;
  // Tab stops are whole character widths: the average width, at least one pixel.
  Layout layout{font, format, std::max(1, tabChars * static_cast<int>(m.tmAveCharWidth))};
  int lineHeight = m.tmHeight + ((format & DT_EXTERNALLEADING) ? m.tmExternalLeading : 0);
  int width = rect->right - rect->left;

  std::vector<Line> lines;
  for (auto& paragraph :
       Paragraphs(DecodeUtf8(std::string_view(text ? text : "", static_cast<std::size_t>(length))),
                  format)) {
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
      for (Line& line : Wrap(paragraph, layout, width)) lines.push_back(std::move(line));
    } else {
      Line line;
      line.chars = std::move(paragraph);
      layout.Measure(line);
      if (format & DT_END_ELLIPSIS) AddEllipsis(line, layout, width);
      lines.push_back(std::move(line));
    }
  }
  int total = static_cast<int>(lines.size()) * lineHeight;
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& line : lines) widest = std::max(widest, line.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  int top = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = rect->bottom - lineHeight;
    }
  }
  RECT limit = Normalized(ToDevice(dc, *rect));
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : &limit;
  bool drawText = !(format & DT_PREFIXONLY);
  bool drawUnderlines = !(format & DT_HIDEPREFIX);
  BrushObject background;
  background.colour = dc->state.backgroundColour;
  int y = top;
  for (const Line& line : lines) {
    int x = rect->left;
    if (format & DT_CENTER) {
      x = rect->left + (width - line.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rect->right - line.width;
    }
    POINT p = ToDevice(dc, x, y);
    std::u32string codes;
    for (const Char& c : line.chars) codes.push_back(c.code == U'\t' ? U' ' : c.code);
    if (drawText && dc->state.backgroundMode == OPAQUE && line.width > 0) {
      RECT cell{p.x, p.y, p.x + line.width, p.y + m.tmHeight};
      if (clip) cell = Intersection(cell, *clip);
      FillRop3(dc, ToSurface(dc, cell), BrushSampler(dc, &background), 0xF0);
    }
    if (drawText) PaintGlyphs(dc, p.x, p.y, codes, line.advances.data(), clip);
    if (drawUnderlines) {
      int cx = p.x;
      for (std::size_t i = 0; i < line.chars.size(); ++i) {
        if (line.chars[i].underline) {
          PaintTextLine(dc, cx, cx + line.advances[i], p.y + m.tmAscent + font->UnderlinePosition(),
                        font->LineThickness(), clip);
        }
        cx += line.advances[i];
      }
    }
    y += lineHeight;
  }
  if (format & (DT_VCENTER | DT_BOTTOM) && (format & DT_SINGLELINE)) return top - rect->top + total;
  return total;
}
