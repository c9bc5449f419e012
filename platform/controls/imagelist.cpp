// Image lists: images of one size, each with a monochrome mask when the list is masked
// (set bits are transparent), drawn normally, transparently, blended with a colour, or as
// the mask alone. Handles carry a table index and a generation, so a destroyed or forged
// list is refused.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/common.h"

namespace platform::controls {
namespace {

struct Image {
  HBITMAP colour = nullptr;
  HBITMAP mask = nullptr;  // masked lists only
};

struct ImageList {
  int width = 0;
  int height = 0;
  UINT flags = 0;
  COLORREF background = CLR_NONE;
  std::vector<Image> images;
  bool Masked() const { return flags & ILC_MASK; }
};

struct Slot {
  std::unique_ptr<ImageList> list;
  std::uint32_t generation = 0;
};

std::vector<Slot>& Table() {
  static auto* table = new std::vector<Slot>();
  return *table;
}

HIMAGELIST HandleOf(std::size_t index, std::uint32_t generation) {
  auto value = static_cast<std::uintptr_t>((generation << 16) | (index + 1));
  return reinterpret_cast<HIMAGELIST>(value);
}

ImageList* Find(HIMAGELIST handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  std::size_t index = (value & 0xFFFF);
  std::uint32_t generation = static_cast<std::uint32_t>(value >> 16);
  if (index == 0 || index > Table().size() || value > 0xFFFFFFFFu) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Slot& slot = Table()[index - 1];
  if (!slot.list || slot.generation != generation) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return slot.list.get();
}

// The framework's "no colour" and the published ones all mean: nothing.
bool IsNone(COLORREF c) { return c == CLR_NONE || c == 0x1FFFFFFF; }
COLORREF Plain(COLORREF c) { return c & 0x00FFFFFF; }

HBITMAP MakeColour(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP MakeMask(int width, int height) { return CreateBitmap(width, height, 1, 1, nullptr); }

void Free(Image& image) {
  if (image.colour) DeleteObject(image.colour);
  if (image.mask) DeleteObject(image.mask);
  image = Image{};
}

Image Blank(const ImageList& list) {
  Image image;
  image.colour = MakeColour(list.width, list.height);
  if (list.Masked()) {
    image.mask = MakeMask(list.width, list.height);
    // An empty slot is all transparent.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, image.mask);
    PatBlt(dc, 0, 0, list.width, list.height, WHITENESS);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  return image;
}

// Copies the part of `source` at (x, 0) into a new image of the list's size.
bool CopyInto(const ImageList& list, Image& image, HBITMAP source, int x, HBITMAP mask) {
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  bool ok = true;
  HGDIOBJ oldFrom = SelectObject(from, source);
  HGDIOBJ oldTo = SelectObject(to, image.colour);
  ok = ok && BitBlt(to, 0, 0, list.width, list.height, from, x, 0, SRCCOPY);
  if (image.mask) {
    SelectObject(to, image.mask);
    if (mask) {
      SelectObject(from, mask);
      ok = ok && BitBlt(to, 0, 0, list.width, list.height, from, x, 0, SRCCOPY);
    } else {
      PatBlt(to, 0, 0, list.width, list.height, BLACKNESS);  // no mask: all opaque
    }
  }
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return ok;
}

// Builds the mask of `colour` (set where the image has that colour) and blacks those
// pixels out of the image, so the image can be laid over the masked background.
void MaskColour(const ImageList& list, Image& image, COLORREF colour) {
  HDC source = CreateCompatibleDC(nullptr);
  HDC mask = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSource = SelectObject(source, image.colour);
  HGDIOBJ oldMask = SelectObject(mask, image.mask);
  SetBkColor(source, Plain(colour));
  BitBlt(mask, 0, 0, list.width, list.height, source, 0, 0, SRCCOPY);
  // Where the mask is set the image becomes black: image AND NOT mask.
  SetTextColor(source, RGB(0, 0, 0));
  SetBkColor(source, RGB(255, 255, 255));
  BitBlt(source, 0, 0, list.width, list.height, mask, 0, 0, 0x00220326);  // DSna
  SelectObject(source, oldSource);
  SelectObject(mask, oldMask);
  DeleteDC(source);
  DeleteDC(mask);
}

int CountIn(const ImageList& list, HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info)) return 0;
  return std::max(1, static_cast<int>(info.bmWidth) / list.width);
}

int AddImages(ImageList& list, HBITMAP bitmap, HBITMAP mask, bool byColour, COLORREF colour) {
  int first = static_cast<int>(list.images.size());
  if (!bitmap) {
    list.images.push_back(Blank(list));
    return first;
  }
  int count = CountIn(list, bitmap);
  if (count == 0) return -1;
  for (int i = 0; i < count; ++i) {
    Image image = Blank(list);
    if (!image.colour || !CopyInto(list, image, bitmap, i * list.width, mask)) {
      Free(image);
      return -1;
    }
    if (byColour && image.mask) MaskColour(list, image, colour);
    list.images.push_back(image);
  }
  return first;
}

// The image with each opaque pixel on a checker mixed with the colour: every other pixel
// for the 50% blend, every fourth for the 25% one.
HBITMAP Blended(const ImageList& list, const Image& image, COLORREF colour, bool half) {
  HBITMAP copy = MakeColour(list.width, list.height);
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = SelectObject(from, image.colour), oldTo = SelectObject(to, copy);
  BitBlt(to, 0, 0, list.width, list.height, from, 0, 0, SRCCOPY);
  if (image.mask) SelectObject(from, image.mask);
  for (int y = 0; y < list.height; ++y)
    for (int x = 0; x < list.width; ++x) {
      bool on = half ? ((x + y) % 2 == 0) : (x % 2 == 0 && y % 2 == 0);
      if (!on) continue;
      if (image.mask && GetPixel(from, x, y) != RGB(0, 0, 0)) continue;  // transparent
      SetPixel(to, x, y, colour);
    }
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return copy;
}

BOOL Draw(ImageList& list, int index, HDC dc, int x, int y, int width, int height,
          COLORREF background, COLORREF foreground, UINT style) {
  if (index < 0 || index >= static_cast<int>(list.images.size()) || !dc) return FALSE;
  Image& image = list.images[static_cast<std::size_t>(index)];
  if (width <= 0) width = list.width;
  if (height <= 0) height = list.height;
  width = std::min(width, list.width);
  height = std::min(height, list.height);
  // The blend is made first: a bitmap can be in only one DC at a time.
  HBITMAP blended = nullptr;
  if (!(style & ILD_MASK) && (style & (ILD_BLEND25 | ILD_BLEND50))) {
    COLORREF mix = (foreground == CLR_DEFAULT || IsNone(foreground)) ? GetSysColor(COLOR_HIGHLIGHT)
                                                                     : Plain(foreground);
    blended = Blended(list, image, mix, (style & ILD_BLEND50) != 0);
  }
  HBITMAP picture = blended ? blended : image.colour;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, image.mask ? image.mask : image.colour);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  if (style & ILD_MASK) {
    if (image.mask)
      BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
    else
      PatBlt(dc, x, y, width, height, BLACKNESS);
  } else {
    COLORREF back = background == CLR_DEFAULT ? list.background : background;
    bool transparent = (style & ILD_TRANSPARENT) || IsNone(back);
    if (!image.mask || (style & ILD_IMAGE)) {
      SelectObject(source, picture);
      BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
    } else {
      if (!transparent) FillSolid(dc, RECT{x, y, x + width, y + height}, Plain(back));
      BitBlt(dc, x, y, width, height, source, 0, 0, SRCAND);  // the mask's set bits keep
      SelectObject(source, picture);
      BitBlt(dc, x, y, width, height, source, 0, 0, SRCPAINT);
    }
  }
  SelectObject(source, old);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  DeleteDC(source);
  if (blended) DeleteObject(blended);
  return TRUE;
}

}  // namespace
}  // namespace platform::controls

using namespace platform::controls;

HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow) {
  (void)grow;
  if (width <= 0 || height <= 0 || initial < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto list = std::make_unique<ImageList>();
  list->width = width;
  list->height = height;
  list->flags = flags;
  list->images.reserve(static_cast<std::size_t>(std::min(initial, 4096)));
  auto& table = Table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].list) continue;
    table[i].generation = (table[i].generation % 0x7FFF) + 1;
    table[i].list = std::move(list);
    return HandleOf(i, table[i].generation);
  }
  if (table.size() >= 0xFFFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  table.push_back(Slot{std::move(list), 1});
  return HandleOf(table.size() - 1, 1);
}

BOOL ImageList_Destroy(HIMAGELIST handle) {
  ImageList* list = Find(handle);
  if (!list) return FALSE;
  for (Image& image : list->images) Free(image);
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  Table()[(value & 0xFFFF) - 1].list.reset();
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
  ImageList* list = Find(handle);
  return list ? static_cast<int>(list->images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST handle, UINT count) {
  ImageList* list = Find(handle);
  if (!list) return FALSE;
  while (list->images.size() > count) {
    Free(list->images.back());
    list->images.pop_back();
  }
  while (list->images.size() < count) list->images.push_back(Blank(*list));
  return TRUE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) {
  ImageList* list = Find(handle);
  return list ? AddImages(*list, image, mask, false, 0) : -1;
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF maskColour) {
  ImageList* list = Find(handle);
  if (!list || !image) return -1;
  return AddImages(*list, image, nullptr, true, maskColour);
}

BOOL ImageList_Replace(HIMAGELIST handle, int index, HBITMAP image, HBITMAP mask) {
  ImageList* list = Find(handle);
  if (!list || !image || index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
  Image fresh = Blank(*list);
  if (!fresh.colour || !CopyInto(*list, fresh, image, 0, mask)) {
    Free(fresh);
    return FALSE;
  }
  Free(list->images[static_cast<std::size_t>(index)]);
  list->images[static_cast<std::size_t>(index)] = fresh;
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index) {
  ImageList* list = Find(handle);
  if (!list) return FALSE;
  if (index == -1) {
    for (Image& image : list->images) Free(image);
    list->images.clear();
    return TRUE;
  }
  if (index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
  Free(list->images[static_cast<std::size_t>(index)]);
  list->images.erase(list->images.begin() + index);
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF colour) {
  ImageList* list = Find(handle);
  if (!list) return CLR_NONE;
  COLORREF old = list->background;
  list->background = IsNone(colour) ? CLR_NONE : Plain(colour);
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
  ImageList* list = Find(handle);
  return list ? list->background : CLR_NONE;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* width, int* height) {
  ImageList* list = Find(handle);
  if (!list || !width || !height) return FALSE;
  *width = list->width;
  *height = list->height;
  return TRUE;
}

BOOL ImageList_GetImageInfo(HIMAGELIST handle, int index, IMAGEINFO* info) {
  ImageList* list = Find(handle);
  if (!list || !info || index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
  const Image& image = list->images[static_cast<std::size_t>(index)];
  *info = IMAGEINFO{image.colour, image.mask, 0, 0, RECT{0, 0, list->width, list->height}};
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT style) {
  ImageList* list = Find(handle);
  if (!list) return FALSE;
  return Draw(*list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC dc, int x, int y, int width, int height,
                      COLORREF background, COLORREF foreground, UINT style) {
  ImageList* list = Find(handle);
  if (!list) return FALSE;
  return Draw(*list, index, dc, x, y, width, height, background, foreground, style);
}
