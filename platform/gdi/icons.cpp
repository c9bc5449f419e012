#include "gdi/icons.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "gdi/dib.h"
#include "gdi/raster.h"

namespace platform::gdi {
namespace {

std::uint32_t Read32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

Surface Stretched(const Surface& source, int width, int height) {
  if (source.width == width && source.height == height) return source;
  Surface out;
  out.Resize(width, height, 0);
  if (source.width == 0 || source.height == 0) return out;
  for (int y = 0; y < height; ++y) {
    int sy = y * source.height / height;
    for (int x = 0; x < width; ++x) {
      out.Row(y)[x] =
          source.pixels[static_cast<std::size_t>(sy) * source.width + x * source.width / width];
    }
  }
  return out;
}

}  // namespace

bool ReadIconImage(const std::uint8_t* data, std::size_t size, Surface* colour, Surface* mask) {
  if (!data || size < 40 || Read32(data) != 40) return false;
  // The header describes colour and mask stacked: halve its height for the picture.
  std::uint8_t header[40];
  std::memcpy(header, data, 40);
  auto height = static_cast<std::int32_t>(Read32(header + 8));
  if (height <= 0 || height % 2 != 0) return false;
  std::int32_t half = height / 2;
  std::memcpy(header + 8, &half, 4);
  std::vector<std::uint8_t> info(data, data + size);
  std::memcpy(info.data(), header, 40);
  DibFormat format;
  if (!ParseDibInfo(info.data(), info.size(), DIB_RGB_COLORS, nullptr, &format)) return false;
  if (format.topDown) return false;
  std::size_t colourBytes = format.stride * static_cast<std::size_t>(format.height);
  std::size_t maskStride = ((static_cast<std::size_t>(format.width) + 31) / 32) * 4;
  std::size_t maskBytes = maskStride * static_cast<std::size_t>(format.height);
  std::size_t available = size - format.infoSize;
  if (available < colourBytes) return false;
  colour->Resize(0, 0);
  colour->Resize(format.width, format.height, 0);
  DecodeDibRows(format, data + format.infoSize, 0, format.height, colour, false);
  mask->Resize(0, 0);
  mask->Resize(format.width, format.height, 0);
  // Some images omit the mask: then nothing is transparent.
  if (available - colourBytes >= maskBytes) {
    const std::uint8_t* bits = data + format.infoSize + colourBytes;
    for (int row = 0; row < format.height; ++row) {
      const std::uint8_t* line = bits + static_cast<std::size_t>(row) * maskStride;
      std::uint32_t* out = mask->Row(format.height - 1 - row);
      for (int x = 0; x < format.width; ++x)
        out[x] = (line[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
    }
  }
  return true;
}

HICON MakeIcon(Surface colour, Surface mask, bool isIcon, POINT hotspot, bool shared) {
  auto icon = std::make_unique<IconObject>();
  icon->width = colour.width;
  icon->height = colour.height;
  icon->colour = std::move(colour);
  icon->mask = std::move(mask);
  icon->isIcon = isIcon;
  icon->hotspot = hotspot;
  icon->shared = shared;
  return static_cast<HICON>(AddObject(std::move(icon)));
}

bool CursorPicture(HCURSOR cursor, Surface* argb, POINT* hotspot) {
  IconObject* icon = FindIcon(cursor);
  if (!icon || !argb) return false;
  argb->Resize(0, 0);
  argb->Resize(icon->width, icon->height, 0);
  for (int y = 0; y < icon->height; ++y) {
    for (int x = 0; x < icon->width; ++x) {
      std::uint32_t m = icon->mask.Row(y)[x], c = icon->colour.Row(y)[x];
      // Transparent pixels have mask 1 and colour 0; inverted ones show as black.
      if (m && !c) continue;
      argb->Row(y)[x] = 0xFF000000u | (m ? 0 : c);
    }
  }
  if (hotspot) *hotspot = icon->hotspot;
  return true;
}

namespace {

HCURSOR currentCursor = nullptr;

// Icons loaded from the module's resources, shared as the system shares them.
std::map<std::string, HICON>& SharedIcons() {
  static std::map<std::string, HICON> icons;
  return icons;
}

std::string ResourceKey(LPCSTR type, LPCSTR name) {
  std::string key = std::to_string(reinterpret_cast<std::uintptr_t>(type)) + ":";
  if (IS_INTRESOURCE(name))
    return key + "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key + upper;
}

const std::uint8_t* ResourceBytes(HINSTANCE instance, LPCSTR name, LPCSTR type, std::size_t* size) {
  HRSRC resource = FindResourceA(instance, name, type);
  if (!resource) return nullptr;
  HGLOBAL loaded = LoadResource(instance, resource);
  if (!loaded) return nullptr;
  *size = SizeofResource(instance, resource);
  return static_cast<const std::uint8_t*>(LockResource(loaded));
}

// Loads a group icon or group cursor resource and its image.
HICON LoadGroup(HINSTANCE instance, LPCSTR name, bool isIcon) {
  LPCSTR groupType = isIcon ? RT_GROUP_ICON : RT_GROUP_CURSOR;
  std::string key = ResourceKey(groupType, name);
  auto& shared = SharedIcons();
  auto found = shared.find(key);
  if (found != shared.end() && FindIcon(found->second)) return found->second;
  std::size_t size = 0;
  const std::uint8_t* group = ResourceBytes(instance, name, groupType, &size);
  if (!group) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (size < 6 || Read16(group + 2) != (isIcon ? 1 : 2)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  unsigned count = Read16(group + 4);
  if (count == 0 || (size - 6) / 14 < count) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  // Prefer the image of the system icon size; otherwise the first.
  unsigned chosen = 0;
  for (unsigned i = 0; i < count; ++i) {
    const std::uint8_t* entry = group + 6 + 14 * i;
    int width = isIcon ? (entry[0] ? entry[0] : 256) : Read16(entry);
    if (width == 32) {
      chosen = i;
      break;
    }
  }
  unsigned imageId = Read16(group + 6 + 14 * chosen + 12);
  const std::uint8_t* image =
      ResourceBytes(instance, MAKEINTRESOURCEA(imageId), isIcon ? RT_ICON : RT_CURSOR, &size);
  POINT hotspot{0, 0};
  if (image && !isIcon) {
    if (size < 4)
      image = nullptr;
    else {
      hotspot = {Read16(image), Read16(image + 2)};
      image += 4;
      size -= 4;
    }
  }
  Surface colour, mask;
  if (!image || !ReadIconImage(image, size, &colour, &mask)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (isIcon) {
    colour = Stretched(colour, 32, 32);
    mask = Stretched(mask, 32, 32);
    hotspot = {16, 16};
  }
  HICON icon = MakeIcon(std::move(colour), std::move(mask), isIcon, hotspot, true);
  shared[key] = icon;
  return icon;
}

bool ValidDepth(int planes, int bits) { return planes * bits == 1 || planes * bits == 32; }

// Reads WORD-aligned device-dependent rows of 1 or 32 bits into a surface.
Surface DdbRows(const BYTE* bits, int width, int height, int depth) {
  Surface out;
  out.Resize(width, height, 0);
  if (!bits) return out;
  int stride = ((width * depth + 15) / 16) * 2;
  for (int y = 0; y < height; ++y) {
    const BYTE* row = bits + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      if (depth == 1) {
        out.Row(y)[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
      } else {
        out.Row(y)[x] =
            static_cast<std::uint32_t>(row[4 * x + 2] << 16 | row[4 * x + 1] << 8 | row[4 * x]);
      }
    }
  }
  return out;
}

HBITMAP BitmapFrom(const Surface& surface, int bitsPixel) {
  HBITMAP handle = bitsPixel == 1 ? CreateBitmap(surface.width, surface.height, 1, 1, nullptr)
                                  : CreateBitmap(surface.width, surface.height, 1, 32, nullptr);
  if (BitmapObject* b = FindBitmap(handle)) {
    if (!b->stock) b->surface = surface;
  }
  return handle;
}

}  // namespace

HCURSOR CurrentCursor() { return currentCursor; }

}  // namespace platform::gdi

using namespace platform::gdi;

HICON CreateIcon(HINSTANCE, int width, int height, BYTE planes, BYTE bitsPerPixel,
                 const BYTE* andBits, const BYTE* xorBits) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256 || !andBits || !xorBits ||
      !ValidDepth(planes, bitsPerPixel)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto icon = static_cast<HICON>(MakeIcon(DdbRows(xorBits, width, height, planes * bitsPerPixel),
                                          DdbRows(andBits, width, height, 1), true,
                                          {width / 2, height / 2}, false));
  if (IconObject* object = FindIcon(icon)) object->monochromeSource = planes * bitsPerPixel == 1;
  return icon;
}

HCURSOR CreateCursor(HINSTANCE instance, int hotX, int hotY, int width, int height,
                     const void* andBits, const void* xorBits) {
  HICON cursor = CreateIcon(instance, width, height, 1, 1, static_cast<const BYTE*>(andBits),
                            static_cast<const BYTE*>(xorBits));
  if (IconObject* object = FindIcon(cursor)) {
    object->isIcon = false;
    object->hotspot = {hotX, hotY};
  }
  return cursor;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  BitmapObject* mask = FindBitmap(info->hbmMask);
  if (!mask) return nullptr;
  Surface colour, andMask;
  bool monochrome = info->hbmColor == nullptr;
  if (monochrome) {
    // One bitmap holds the AND mask above the XOR image.
    int half = mask->surface.height / 2;
    if (half == 0) return nullptr;
    andMask.Resize(mask->surface.width, half, 0);
    colour.Resize(mask->surface.width, half, 0);
    std::copy_n(mask->surface.pixels.begin(), andMask.pixels.size(), andMask.pixels.begin());
    std::copy_n(mask->surface.pixels.begin() + static_cast<long>(andMask.pixels.size()),
                colour.pixels.size(), colour.pixels.begin());
  } else {
    BitmapObject* image = FindBitmap(info->hbmColor);
    if (!image) return nullptr;
    colour = image->surface;
    andMask = Stretched(mask->surface, colour.width, colour.height);
  }
  POINT hotspot = info->fIcon
                      ? POINT{colour.width / 2, colour.height / 2}
                      : POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
  HICON icon = MakeIcon(std::move(colour), std::move(andMask), info->fIcon != 0, hotspot, false);
  if (IconObject* object = FindIcon(icon)) object->monochromeSource = monochrome;
  return icon;
}

BOOL GetIconInfo(HICON handle, ICONINFO* info) {
  IconObject* icon = FindIcon(handle);
  if (!icon || !info) return FALSE;
  info->fIcon = icon->isIcon;
  info->xHotspot = static_cast<DWORD>(icon->hotspot.x);
  info->yHotspot = static_cast<DWORD>(icon->hotspot.y);
  if (icon->monochromeSource) {
    Surface stacked;
    stacked.Resize(icon->width, icon->height * 2, 0);
    std::copy(icon->mask.pixels.begin(), icon->mask.pixels.end(), stacked.pixels.begin());
    std::copy(icon->colour.pixels.begin(), icon->colour.pixels.end(),
              stacked.pixels.begin() + static_cast<long>(icon->mask.pixels.size()));
    for (auto& p : stacked.pixels) p = ToMono(p);
    info->hbmMask = BitmapFrom(stacked, 1);
    info->hbmColor = nullptr;
  } else {
    info->hbmMask = BitmapFrom(icon->mask, 1);
    info->hbmColor = BitmapFrom(icon->colour, 32);
  }
  return TRUE;
}

HICON CopyIcon(HICON handle) {
  IconObject* icon = FindIcon(handle);
  if (!icon) return nullptr;
  HICON copy = MakeIcon(icon->colour, icon->mask, icon->isIcon, icon->hotspot, false);
  if (IconObject* object = FindIcon(copy)) object->monochromeSource = icon->monochromeSource;
  return copy;
}

BOOL DestroyIcon(HICON handle) {
  IconObject* icon = FindIcon(handle);
  if (!icon) return FALSE;
  if (icon->shared) return TRUE;
  if (handle == currentCursor) currentCursor = nullptr;
  RemoveObject(handle);
  return TRUE;
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }

BOOL DrawIconEx(HDC handle, int x, int y, HICON iconHandle, int width, int height, UINT,
                HBRUSH flickerFreeBrush, UINT flags) {
  DcObject* dc = FindDc(handle);
  IconObject* icon = FindIcon(iconHandle);
  if (!dc || !icon || !dc->surface) return FALSE;
  if (width == 0) width = (flags & DI_DEFAULTSIZE) ? 32 : icon->width;
  if (height == 0) height = (flags & DI_DEFAULTSIZE) ? 32 : icon->height;
  if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
  if (flickerFreeBrush) {
    RECT r{x, y, x + width, y + height};
    FillRect(handle, &r, flickerFreeBrush);
  }
  RECT box = ToSurface(dc, Normalized(ToDevice(dc, RECT{x, y, x + width, y + height})));
  for (const RECT& clip : dc->Clip()) {
    RECT r = Intersection(clip, box);
    dc->surface->Touch(r);
    for (int py = r.top; py < r.bottom; ++py) {
      int iy = (py - box.top) * icon->height / height;
      std::uint32_t* row = dc->surface->Row(py);
      for (int px = r.left; px < r.right; ++px) {
        int ix = (px - box.left) * icon->width / width;
        std::size_t at = static_cast<std::size_t>(iy) * icon->width + ix;
        std::uint32_t d = row[px];
        if (flags & DI_MASK) d &= icon->mask.pixels[at];
        if (flags & DI_IMAGE) {
          std::uint32_t c = icon->colour.pixels[at];
          d ^= dc->monochrome ? ToMono(c) : c;
        }
        row[px] = d & 0xFFFFFF;
      }
    }
  }
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  if (!instance || !name) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::size_t size = 0;
  const std::uint8_t* data = ResourceBytes(instance, name, RT_BITMAP, &size);
  if (!data) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  Surface surface;
  bool monochrome = false;
  if (!ReadPackedDib(data, size, &surface, &monochrome)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return BitmapFrom(surface, monochrome ? 1 : 32);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!name) return nullptr;
  if (!instance) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    return SystemIcon(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)));
  }
  return LoadGroup(instance, name, true);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!name) return nullptr;
  if (!instance) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    return SystemCursor(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)));
  }
  return LoadGroup(instance, name, false);
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  if (cursor && !FindIcon(cursor)) return previous;
  currentCursor = cursor;
  return previous;
}

HCURSOR GetCursor() { return FindIcon(currentCursor) ? currentCursor : nullptr; }
