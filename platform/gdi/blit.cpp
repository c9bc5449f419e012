// Bit-block transfers: every ternary raster operation evaluated from its index byte,
// with the monochrome/colour conversions between source and destination.
#include <algorithm>
#include <cstring>

#include "gdi/dib.h"
#include "gdi/raster.h"

namespace platform::gdi {

struct BlitSource {
  const Surface* surface = nullptr;
  bool monochrome = false;
  std::uint32_t background = 0xFFFFFF;  // the source DC's background colour (colour to mono)
  RECT rect{};                          // surface coordinates; may be mirrored (right < left)
};

namespace {

// Where the source pixel for destination column i of n comes from (nearest sample).
int SourceIndex(int i, int n, int from, int span) {
  if (span == n) return from + i;
  return from + static_cast<int>((static_cast<long long>(2 * i + 1) * span) / (2LL * n));
}

// A rectangle given by a corner and signed extents: mirrored ones cover the pixels from
// the corner backwards, the corner included.
RECT Covered(const RECT& r, bool* mirrorX, bool* mirrorY) {
  RECT out = r;
  *mirrorX = r.right < r.left;
  *mirrorY = r.bottom < r.top;
  if (*mirrorX) out = {r.right + 1, out.top, r.left + 1, out.bottom};
  if (*mirrorY) out = {out.left, r.bottom + 1, out.right, r.top + 1};
  return out;
}

}  // namespace

// Transfers src (or only the pattern when src is null) into the destination rectangle
// `dest` (surface coordinates, may be mirrored). With a mask, bit 1 picks the foreground
// raster operation and 0 the background one.
void Transfer(DcObject* dc, RECT dest, const BlitSource* src, const Surface* mask, POINT maskAt,
              DWORD rop) {
  unsigned fore = (rop >> 16) & 0xFF;
  unsigned back = mask ? (rop >> 24) & 0xFF : fore;
  bool mirrorX, mirrorY;
  RECT box = Covered(dest, &mirrorX, &mirrorY);
  int width = box.right - box.left, height = box.bottom - box.top;
  if (width == 0 || height == 0) return;
  BrushSampler brush(dc, SelectedBrush(dc));
  bool usesPattern = RopUsesPattern(fore) || RopUsesPattern(back);
  std::uint32_t text = DevicePixel(dc, dc->state.textColour);
  std::uint32_t background = DevicePixel(dc, dc->state.backgroundColour);

  // A source overlapping its own destination is read from a copy.
  Surface copy;
  BlitSource local;
  if (src && src->surface == dc->surface) {
    copy = *src->surface;
    local = *src;
    local.surface = &copy;
    src = &local;
  }
  bool sourceMirrorX = false, sourceMirrorY = false;
  RECT sourceRect = src ? Covered(src->rect, &sourceMirrorX, &sourceMirrorY) : RECT{};
  bool flipX = mirrorX != sourceMirrorX, flipY = mirrorY != sourceMirrorY;
  int sourceWidth = sourceRect.right - sourceRect.left;
  int sourceHeight = sourceRect.bottom - sourceRect.top;
  bool sameSize = src && sourceWidth == width && sourceHeight == height && !flipX && !flipY;
  bool plainCopy = src && !mask && fore == 0xCC && sameSize && src->monochrome == dc->monochrome;

  for (const RECT& clip : dc->Clip()) {
    RECT r = Intersection(clip, box);
    if (IsEmpty(r)) continue;
    dc->surface->Touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
      int j = y - box.top;
      int sy = 0;
      const std::uint32_t* sourceRow = nullptr;
      if (src) {
        sy = SourceIndex(flipY ? height - 1 - j : j, height, sourceRect.top, sourceHeight);
        if (sy < 0 || sy >= src->surface->height) continue;
        sourceRow =
            src->surface->pixels.data() + static_cast<std::size_t>(sy) * src->surface->width;
      }
      std::uint32_t* row = dc->surface->Row(y);
      if (plainCopy) {
        int sx0 = sourceRect.left + (r.left - box.left);
        int from = std::max(static_cast<int>(r.left), static_cast<int>(r.left) - sx0);
        int to = std::min(static_cast<int>(r.right),
                          static_cast<int>(r.left) + (src->surface->width - sx0));
        if (from < to) {
          std::memcpy(row + from, sourceRow + sx0 + (from - r.left),
                      static_cast<std::size_t>(to - from) * sizeof(std::uint32_t));
        }
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        int i = x - box.left;
        std::uint32_t s = 0;
        if (src) {
          int sx = SourceIndex(flipX ? width - 1 - i : i, width, sourceRect.left, sourceWidth);
          if (sx < 0 || sx >= src->surface->width) continue;
          s = sourceRow[sx];
          if (src->monochrome && !dc->monochrome) {
            s = s ? background : text;
          } else if (!src->monochrome && dc->monochrome) {
            s = s == src->background ? 0xFFFFFF : 0;
          }
        }
        unsigned index = fore;
        if (mask) {
          int mx = maskAt.x + (mirrorX ? width - 1 - i : i);
          int my = maskAt.y + (mirrorY ? height - 1 - j : j);
          bool bit = mx >= 0 && my >= 0 && mx < mask->width && my < mask->height &&
                     mask->pixels[static_cast<std::size_t>(my) * mask->width + mx] != 0;
          index = bit ? fore : back;
        }
        std::uint32_t p = 0;
        // A hollow brush, or the transparent background of a hatch, leaves the pixel alone.
        if (usesPattern && RopUsesPattern(index) && (brush.Hollow() || !brush.At(x, y, &p))) {
          continue;
        }
        row[x] = Rop3(index, p, s, row[x]);
      }
    }
  }
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

RECT DestinationRect(DcObject* dc, int x, int y, int width, int height) {
  POINT a = ToDevice(dc, x, y), b = ToDevice(dc, x + width, y + height);
  return {a.x + dc->origin.x, a.y + dc->origin.y, b.x + dc->origin.x, b.y + dc->origin.y};
}

bool SourceFromDc(HDC handle, int x, int y, int width, int height, BlitSource* out) {
  DcObject* src = FindDc(handle);
  if (!src || !src->surface) return false;
  out->surface = src->surface;
  out->monochrome = src->monochrome;
  out->background = DevicePixel(src, src->state.backgroundColour);
  if (src->monochrome) out->background = ToPixel(PlainColour(src->state.backgroundColour));
  out->rect = DestinationRect(src, x, y, width, height);
  return true;
}

BOOL Blit(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
          int sourceWidth, int sourceHeight, const Surface* mask, POINT maskAt, DWORD rop) {
  DcObject* dc = FindDc(dest);
  if (!dc || !dc->surface) return FALSE;
  unsigned index = (rop >> 16) & 0xFF;
  bool needSource = RopUsesSource(index) || (mask && RopUsesSource((rop >> 24) & 0xFF));
  BlitSource src;
  if (needSource && !SourceFromDc(source, sourceX, sourceY, sourceWidth, sourceHeight, &src)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Transfer(dc, DestinationRect(dc, x, y, width, height), needSource ? &src : nullptr, mask, maskAt,
           rop);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
  return Blit(dc, x, y, width, height, source, sourceX, sourceY, width, height, nullptr, {},
              rop & 0x00FFFFFF);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop) {
  return Blit(dc, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, nullptr,
              {}, rop & 0x00FFFFFF);
}

BOOL MaskBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
             HBITMAP mask, int maskX, int maskY, DWORD rop) {
  if (!mask) {
    return Blit(dc, x, y, width, height, source, sourceX, sourceY, width, height, nullptr, {},
                rop & 0x00FFFFFF);
  }
  BitmapObject* maskBitmap = FindBitmap(mask);
  if (!maskBitmap || maskBitmap->bitsPixel != 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Blit(dc, x, y, width, height, source, sourceX, sourceY, width, height,
              &maskBitmap->surface, {maskX, maskY}, rop);
}

namespace {

// A DIB decoded into a top-down surface, as a blit source.
bool DecodeForDevice(DcObject* dc, const void* bits, const BITMAPINFO* info, UINT usage,
                     UINT startScan, UINT lines, Surface* surface, DibFormat* format) {
  if (!bits || !info || !ParseDibInfo(info, SIZE_MAX, usage, dc, format)) return false;
  surface->Resize(format->width, format->height, 0);
  DecodeDibRows(*format, static_cast<const std::uint8_t*>(bits), static_cast<int>(startScan),
                static_cast<int>(lines), surface, false);
  return true;
}

}  // namespace

int SetDIBitsToDevice(HDC handle, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
  DcObject* dc = FindDc(handle);
  if (!dc || !dc->surface) return 0;
  Surface surface;
  DibFormat format;
  if (!DecodeForDevice(dc, bits, info, usage, startScan, lines, &surface, &format)) return 0;
  BlitSource src;
  src.surface = &surface;
  // Source y counts from the bottom for bottom-up images.
  int top = format.topDown ? sourceY : format.height - sourceY - static_cast<int>(height);
  src.rect = {sourceX, top, sourceX + static_cast<int>(width), top + static_cast<int>(height)};
  Transfer(dc, DestinationRect(dc, x, y, static_cast<int>(width), static_cast<int>(height)), &src,
           nullptr, {}, SRCCOPY);
  return static_cast<int>(lines);
}

int StretchDIBits(HDC handle, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop) {
  DcObject* dc = FindDc(handle);
  if (!dc || !dc->surface) return 0;
  Surface surface;
  DibFormat format;
  if (!DecodeForDevice(dc, bits, info, usage, 0, SIZE_MAX >> 40, &surface, &format)) return 0;
  BlitSource src;
  src.surface = &surface;
  int top = format.topDown ? sourceY : format.height - sourceY - sourceHeight;
  src.rect = {sourceX, top, sourceX + sourceWidth, top + sourceHeight};
  Transfer(dc, DestinationRect(dc, x, y, width, height), &src, nullptr, {}, rop & 0x00FFFFFF);
  return format.height;
}
