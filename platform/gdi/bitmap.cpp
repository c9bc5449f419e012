// Device-dependent bitmaps (32-bit colour or 1-bit monochrome surfaces) and their
// conversions to and from device-independent rows.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "gdi/dib.h"

using namespace platform::gdi;

namespace {

constexpr long long kMaxPixels = 1LL << 26;

HBITMAP NewBitmap(int width, int height, int bitsPixel) {
  if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPixels) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bitmap = std::make_unique<BitmapObject>();
  bitmap->bitsPixel = bitsPixel;
  // Colour bitmaps start black, monochrome ones too (all bits 0).
  bitmap->surface.Resize(width, height, 0);
  return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

bool MonochromeDc(HDC handle) {
  DcObject* dc = FindDc(handle);
  return dc && dc->type == DcType::Memory && dc->monochrome;
}

int DdbStride(int width, int bitsPixel) { return ((width * bitsPixel + 15) / 16) * 2; }

// Reads device-dependent rows (top row first, WORD-aligned) into the bitmap.
LONG LoadDdbBits(BitmapObject* b, const std::uint8_t* bits, std::size_t size) {
  int stride = DdbStride(b->surface.width, b->bitsPixel);
  if (stride == 0) return 0;
  int rows = static_cast<int>(std::min<std::size_t>(size / stride, b->surface.height));
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
    std::uint32_t* out = b->surface.Row(y);
    for (int x = 0; x < b->surface.width; ++x) {
      if (b->bitsPixel == 1) {
        out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
      } else {
        const std::uint8_t* p = row + 4 * x;
        out[x] = static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
      }
    }
  }
  return rows * stride;
}

std::uint32_t Nearest(const std::vector<std::uint32_t>& table, std::uint32_t pixel,
                      std::unordered_map<std::uint32_t, unsigned>& cache) {
  auto found = cache.find(pixel);
  if (found != cache.end()) return found->second;
  unsigned best = 0;
  long bestDistance = -1;
  for (unsigned i = 0; i < table.size(); ++i) {
    long dr = static_cast<long>((table[i] >> 16) & 0xFF) - ((pixel >> 16) & 0xFF);
    long dg = static_cast<long>((table[i] >> 8) & 0xFF) - ((pixel >> 8) & 0xFF);
    long db = static_cast<long>(table[i] & 0xFF) - (pixel & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  cache[pixel] = best;
  return best;
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width == 0 || height == 0) return DefaultBitmap();
  int depth = static_cast<int>(planes * bitsPerPixel) == 1 ? 1 : 32;
  HBITMAP handle = NewBitmap(width, height, depth);
  if (handle && bits && (depth == 1 || bitsPerPixel == 32)) {
    BitmapObject* b = FindBitmap(handle);
    LoadDdbBits(b, static_cast<const std::uint8_t*>(bits),
                static_cast<std::size_t>(DdbStride(width, depth)) * height);
  }
  return handle;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bitmap) {
  if (!bitmap) return nullptr;
  return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel,
                      bitmap->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!FindDc(dc)) return nullptr;
  if (width == 0 || height == 0) return DefaultBitmap();
  return NewBitmap(width, height, MonochromeDc(dc) ? 1 : 32);
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!header) return nullptr;
  int width, height;
  if (header->biSize == 12) {
    const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(header);
    width = core->bcWidth;
    height = core->bcHeight;
  } else {
    width = header->biWidth;
    height = std::abs(header->biHeight);
  }
  if (dc && !FindDc(dc)) return nullptr;
  HBITMAP handle = width == 0 || height == 0 ? NewBitmap(0, 0, 1)
                                             : NewBitmap(width, height, MonochromeDc(dc) ? 1 : 32);
  if (!handle) return nullptr;
  if ((init & CBM_INIT) && bits && info) {
    DibFormat format;
    if (!ParseDibInfo(info, SIZE_MAX, usage, FindDc(dc), &format)) {
      DeleteObject(handle);
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    SetDIBits(dc, handle, 0, static_cast<UINT>(format.height), bits, info, usage);
  }
  return handle;
}

LONG GetBitmapBits(HBITMAP handle, LONG size, LPVOID bits) {
  BitmapObject* b = FindBitmap(handle);
  if (!b) return 0;
  int stride = DdbStride(b->surface.width, b->bitsPixel);
  LONG total = stride * b->surface.height;
  if (!bits) return total;
  if (size <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(bits);
  int rows = std::min<int>(size / stride, b->surface.height);
  for (int y = 0; y < rows; ++y) {
    std::uint8_t* row = out + static_cast<std::size_t>(y) * stride;
    std::memset(row, 0, static_cast<std::size_t>(stride));
    const std::uint32_t* in = b->surface.Row(y);
    for (int x = 0; x < b->surface.width; ++x) {
      if (b->bitsPixel == 1) {
        if (in[x]) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else {
        row[4 * x] = static_cast<std::uint8_t>(in[x]);
        row[4 * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
        row[4 * x + 2] = static_cast<std::uint8_t>(in[x] >> 16);
      }
    }
  }
  return rows * stride;
}

LONG SetBitmapBits(HBITMAP handle, DWORD size, const void* bits) {
  BitmapObject* b = FindBitmap(handle);
  if (!b || !bits) return 0;
  return LoadDdbBits(b, static_cast<const std::uint8_t*>(bits), size);
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage) {
  BitmapObject* b = FindBitmap(handle);
  if (!b || !info || !FindDc(dc)) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  bool core = h.biSize == 12;
  if (!core && h.biSize < 40) return 0;
  int width = b->surface.width, height = b->surface.height;
  int bitCount;
  if (core) {
    auto& c = reinterpret_cast<BITMAPCOREHEADER&>(h);
    bitCount = c.bcBitCount;
  } else {
    bitCount = h.biBitCount;
  }
  if (bitCount == 0) {
    // Asking for the format: the bitmap's own size and depth.
    if (core) {
      auto& c = reinterpret_cast<BITMAPCOREHEADER&>(h);
      c.bcWidth = static_cast<WORD>(width);
      c.bcHeight = static_cast<WORD>(height);
      c.bcPlanes = 1;
      c.bcBitCount = static_cast<WORD>(b->bitsPixel);
    } else {
      h.biWidth = width;
      h.biHeight = height;
      h.biPlanes = 1;
      h.biBitCount = static_cast<WORD>(b->bitsPixel);
      h.biCompression = BI_RGB;
      h.biSizeImage = static_cast<DWORD>(((width * b->bitsPixel + 31) / 32) * 4 * height);
    }
    return height ? height : 1;
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    return 0;
  }
  bool topDown = !core && h.biHeight < 0;
  std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
  std::vector<std::uint32_t> table;
  if (bitCount <= 8) {
    table = b->bitsPixel == 1 && bitCount == 1 ? std::vector<std::uint32_t>{0, 0xFFFFFF}
                                               : StandardColours(bitCount);
    std::size_t count = table.size();
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t c = table[i];
      if (core) {
        auto* entries = reinterpret_cast<BITMAPCOREINFO*>(info)->bmciColors;
        entries[i] = {static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16)};
      } else if (usage == DIB_PAL_COLORS) {
        reinterpret_cast<WORD*>(info->bmiColors)[i] = static_cast<WORD>(i);
      } else {
        info->bmiColors[i] = {static_cast<BYTE>(c), static_cast<BYTE>(c >> 8),
                              static_cast<BYTE>(c >> 16), 0};
      }
    }
  }
  if (!core) {
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(stride * height);
    if (bitCount <= 8) h.biClrUsed = 0;
  }
  if (!bits) return height ? height : 1;
  if (start >= static_cast<UINT>(height)) return 0;
  UINT count = std::min<UINT>(lines, static_cast<UINT>(height) - start);
  std::unordered_map<std::uint32_t, unsigned> cache;
  auto* out = static_cast<std::uint8_t*>(bits);
  for (UINT i = 0; i < count; ++i) {
    int stored = static_cast<int>(start + i);
    int y = topDown ? stored : height - 1 - stored;
    std::uint8_t* row = out + i * stride;
    std::memset(row, 0, stride);
    const std::uint32_t* in = b->surface.Row(y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = in[x];
      switch (bitCount) {
        case 1:
        case 4:
        case 8: {
          unsigned index = Nearest(table, p, cache);
          std::size_t bit = static_cast<std::size_t>(x) * bitCount;
          row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bitCount - bit % 8));
          break;
        }
        case 16: {
          unsigned v = ((p >> 19) & 0x1F) << 10 | ((p >> 11) & 0x1F) << 5 | ((p >> 3) & 0x1F);
          row[2 * x] = static_cast<std::uint8_t>(v);
          row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        case 24:
          row[3 * x] = static_cast<std::uint8_t>(p);
          row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
          row[3 * x + 2] = static_cast<std::uint8_t>(p >> 16);
          break;
        default:
          row[4 * x] = static_cast<std::uint8_t>(p);
          row[4 * x + 1] = static_cast<std::uint8_t>(p >> 8);
          row[4 * x + 2] = static_cast<std::uint8_t>(p >> 16);
          break;
      }
    }
  }
  return static_cast<int>(count);
}

int SetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
  BitmapObject* b = FindBitmap(handle);
  if (!b || !bits || !info || b->stock) return 0;
  DibFormat format;
  if (!ParseDibInfo(info, SIZE_MAX, usage, FindDc(dc), &format)) return 0;
  if (start >= static_cast<UINT>(format.height)) return 0;
  UINT count = std::min<UINT>(lines, static_cast<UINT>(format.height) - start);
  DibFormat view = format;
  // The bitmap's rows line up with the DIB's rows by their distance from the DIB's top.
  int offset = b->surface.height - format.height;
  platform::Surface rows;
  rows.Resize(format.width, format.height, 0);
  DecodeDibRows(view, static_cast<const std::uint8_t*>(bits), static_cast<int>(start),
                static_cast<int>(count), &rows, b->bitsPixel == 1);
  for (UINT i = 0; i < count; ++i) {
    int stored = static_cast<int>(start + i);
    int y = format.topDown ? stored : format.height - 1 - stored;
    int target = format.topDown ? y : y + offset;
    if (target < 0 || target >= b->surface.height) continue;
    int width = std::min(format.width, b->surface.width);
    std::copy_n(rows.Row(y), width, b->surface.Row(target));
  }
  return static_cast<int>(count);
}
