#include "gdi/text.h"

#include <algorithm>
#include <cstring>

#include "gdi/raster.h"

namespace platform::gdi {

RealizedFont* DcFont(DcObject* dc) {
  FontObject* font = SelectedFont(dc);
  if (!font->realized) font->realized = Realize(font->logFont);
  return font->realized;
}

namespace {

void FillDeviceRect(DcObject* dc, RECT r, std::uint32_t pixel, const RECT* limit) {
  if (limit) r = Intersection(r, *limit);
  if (IsEmpty(r)) return;
  RECT s = ToSurface(dc, r);
  for (const RECT& c : dc->Clip()) {
    RECT part = Intersection(c, s);
    dc->surface->Touch(part);
    for (int y = part.top; y < part.bottom; ++y) {
      std::uint32_t* row = dc->surface->Row(y);
      std::fill(row + part.left, row + part.right, pixel);
    }
  }
}

}  // namespace

void PaintTextLine(DcObject* dc, int x0, int x1, int y, int thickness, const RECT* limit) {
  FillDeviceRect(dc, RECT{x0, y, x1, y + thickness}, DevicePixel(dc, dc->state.textColour), limit);
}

void PaintGlyphs(DcObject* dc, int x, int y, std::u32string_view text, const INT* advances,
                 const RECT* limit) {
  RealizedFont* font = DcFont(dc);
  if (!font || !dc->surface) return;
  std::uint32_t ink = DevicePixel(dc, dc->state.textColour);
  int baseline = y + font->Metrics().tmAscent + dc->origin.y;
  int penX = x + dc->origin.x;
  const auto& clip = dc->Clip();
  RECT bound{0, 0, dc->surface->width, dc->surface->height};
  if (limit) bound = Intersection(bound, ToSurface(dc, *limit));
  RECT inked{bound.right, bound.bottom, bound.left, bound.top};  // grows glyph by glyph
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph& glyph = font->GlyphFor(text[i]);
    if (glyph.inkRight > glyph.inkLeft) {
      inked.left = std::min<LONG>(inked.left, penX + glyph.inkLeft);
      inked.right = std::max<LONG>(inked.right, penX + glyph.inkRight);
      inked.top = std::min<LONG>(inked.top, baseline + glyph.inkTop);
      inked.bottom = std::max<LONG>(inked.bottom, baseline + glyph.inkBottom);
    }
    for (const Glyph::Run& run : glyph.runs) {
      int row = baseline + run.y;
      if (row < bound.top || row >= bound.bottom) continue;
      for (const RECT& c : clip) {
        if (row < c.top || row >= c.bottom) continue;
        int from =
            std::max({penX + run.x0, static_cast<int>(c.left), static_cast<int>(bound.left)});
        int to =
            std::min({penX + run.x1, static_cast<int>(c.right), static_cast<int>(bound.right)});
        if (from >= to) continue;
        std::fill(dc->surface->Row(row) + from, dc->surface->Row(row) + to, ink);
      }
    }
    penX += advances ? advances[i] : glyph.advance;
  }
  dc->surface->Touch(Intersection(inked, bound));
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

BOOL TextOut(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
             const INT* advances) {
  DcObject* dc = FindDc(handle);
  if (!dc || (!text && length > 0)) return FALSE;
  std::u32string decoded = DecodeUtf8(std::string_view(text ? text : "", length));
  RealizedFont* font = DcFont(dc);
  int width = 0;
  if (advances) {
    for (std::size_t i = 0; i < decoded.size(); ++i) width += advances[i];
  } else {
    width = TextWidth(font, decoded);
  }
  const TEXTMETRICA* m = font ? &font->Metrics() : nullptr;
  int height = m ? m->tmHeight : 0;
  UINT align = dc->state.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->state.position.x;
    y = dc->state.position.y;
  }
  POINT p = ToDevice(dc, x, y);
  int left = p.x;
  if ((align & TA_CENTER) == TA_CENTER) {
    left -= width / 2;
  } else if (align & TA_RIGHT) {
    left -= width;
  }
  int top = p.y;
  if ((align & TA_BASELINE) == TA_BASELINE) {
    top -= m ? m->tmAscent : 0;
  } else if (align & TA_BOTTOM) {
    top -= height;
  }
  RECT limitRect{};
  const RECT* limit = nullptr;
  if (rect) limitRect = Normalized(ToDevice(dc, *rect));
  if (rect && (options & ETO_CLIPPED)) limit = &limitRect;
  if (rect && (options & ETO_OPAQUE)) {
    RECT s = ToSurface(dc, limitRect);
    BrushObject solid;
    solid.colour = dc->state.backgroundColour;
    FillRop3(dc, s, BrushSampler(dc, &solid), 0xF0);
  }
  if (dc->state.backgroundMode == OPAQUE && width > 0) {
    RECT cell = ToSurface(dc, RECT{left, top, left + width, top + height});
    if (limit) cell = Intersection(cell, ToSurface(dc, *limit));
    BrushObject solid;
    solid.colour = dc->state.backgroundColour;
    FillRop3(dc, cell, BrushSampler(dc, &solid), 0xF0);
  }
  PaintGlyphs(dc, left, top, decoded, advances, limit);
  if (font && m) {
    if (m->tmUnderlined) {
      PaintTextLine(dc, left, left + width, top + m->tmAscent + font->UnderlinePosition(),
                    font->LineThickness(), limit);
    }
    if (m->tmStruckOut) {
      PaintTextLine(dc, left, left + width, top + m->tmAscent - font->StrikeoutPosition(),
                    font->LineThickness(), limit);
    }
  }
  if (align & TA_UPDATECP) dc->state.position.x += width;
  return TRUE;
}

}  // namespace

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (length < 0) return FALSE;
  return TextOut(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                 const INT* advances) {
  // Each advance belongs to one character; they only line up with single-byte text.
  if (advances && text) {
    std::u32string decoded = DecodeUtf8(std::string_view(text, length));
    if (decoded.size() != length) advances = nullptr;
  }
  return TextOut(dc, x, y, options, rect, text, length, advances);
}

BOOL GetTextExtentPoint32A(HDC handle, LPCSTR text, int length, LPSIZE size) {
  DcObject* dc = FindDc(handle);
  if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
  RealizedFont* font = DcFont(dc);
  if (!font) return FALSE;
  size->cx = TextWidth(
      font, DecodeUtf8(std::string_view(text ? text : "", static_cast<std::size_t>(length))));
  size->cy = font->Metrics().tmHeight;
  return TRUE;
}

BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) {
  return GetTextExtentPoint32A(dc, text, length, size);
}

BOOL GetTextMetricsA(HDC handle, TEXTMETRICA* metrics) {
  DcObject* dc = FindDc(handle);
  if (!dc || !metrics) return FALSE;
  RealizedFont* font = DcFont(dc);
  if (!font) return FALSE;
  *metrics = font->Metrics();
  return TRUE;
}

int GetTextFaceA(HDC handle, int size, LPSTR face) {
  DcObject* dc = FindDc(handle);
  if (!dc) return 0;
  const char* name = SelectedFont(dc)->logFont.lfFaceName;
  int length = static_cast<int>(std::strlen(name));
  if (!face) return length + 1;
  if (size <= 0) return 0;
  int n = std::min(length, size - 1);
  std::memcpy(face, name, static_cast<std::size_t>(n));
  face[n] = 0;
  return n;
}

int EnumFontFamiliesExA(HDC handle, LOGFONTA* filter, FONTENUMPROCA proc, LPARAM data, DWORD) {
  DcObject* dc = FindDc(handle);
  if (!dc || !proc) return 0;
  struct Face {
    const char* name;
    BYTE pitch;
  };
  static const Face kFaces[] = {{"Liberation Sans", VARIABLE_PITCH | FF_SWISS},
                                {"Liberation Mono", FIXED_PITCH | FF_MODERN},
                                {"DejaVu Sans", VARIABLE_PITCH | FF_SWISS}};
  int result = 1;
  for (const Face& face : kFaces) {
    if (filter && filter->lfFaceName[0] &&
        std::strncmp(filter->lfFaceName, face.name, sizeof filter->lfFaceName) != 0) {
      continue;
    }
    ENUMLOGFONTEXA font{};
    font.elfLogFont.lfHeight = -11;
    font.elfLogFont.lfWeight = FW_NORMAL;
    font.elfLogFont.lfCharSet = ANSI_CHARSET;
    font.elfLogFont.lfPitchAndFamily = face.pitch;
    std::strncpy(font.elfLogFont.lfFaceName, face.name, sizeof font.elfLogFont.lfFaceName - 1);
    std::strncpy(reinterpret_cast<char*>(font.elfFullName), face.name, sizeof font.elfFullName - 1);
    std::strncpy(reinterpret_cast<char*>(font.elfStyle), "Regular", sizeof font.elfStyle - 1);
    std::strncpy(reinterpret_cast<char*>(font.elfScript), "Western", sizeof font.elfScript - 1);
    NEWTEXTMETRICEXA metrics{};
    if (RealizedFont* realized = Realize(font.elfLogFont)) {
      static_cast<TEXTMETRICA&>(metrics.ntmTm) = realized->Metrics();
      metrics.ntmTm.ntmSizeEM = 2048;
    }
    result = proc(&font.elfLogFont, &metrics.ntmTm, TRUETYPE_FONTTYPE, data);
    if (result == 0) break;
  }
  return result;
}

int EnumFontsA(HDC dc, LPCSTR faceName, FONTENUMPROCA proc, LPARAM data) {
  LOGFONTA filter{};
  filter.lfCharSet = DEFAULT_CHARSET;
  if (faceName) std::strncpy(filter.lfFaceName, faceName, sizeof filter.lfFaceName - 1);
  return EnumFontFamiliesExA(dc, &filter, proc, data, 0);
}
