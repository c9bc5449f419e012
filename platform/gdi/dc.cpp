#include "gdi/dc.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "settings/settings.h"

namespace platform::gdi {

const std::vector<RECT>& DcObject::Clip() {
  // A surface resized under a live DC must not leave rectangles past its new edges.
  if (clipValid_ &&
      (!surface || (surface->width == clipWidth_ && surface->height == clipHeight_))) {
    return clipCache_;
  }
  clipCache_.clear();
  clipWidth_ = surface ? surface->width : 0;
  clipHeight_ = surface ? surface->height : 0;
  if (surface) {
    RECT bounds{0, 0, surface->width, surface->height};
    for (const RECT& v : visible) {
      RECT r = Intersection(v, bounds);
      if (IsEmpty(r)) continue;
      if (!state.clip) {
        clipCache_.push_back(r);
        continue;
      }
      for (RECT c : state.clip->Rects()) {
        RECT s = Intersection(ToSurface(this, c), r);
        if (!IsEmpty(s)) clipCache_.push_back(s);
      }
    }
  }
  clipValid_ = true;
  return clipCache_;
}

std::uint32_t DevicePixel(DcObject* dc, COLORREF colour) {
  if ((colour & 0xFF000000u) == 0x01000000u) {
    // PALETTEINDEX: an entry of the selected palette.
    auto* palette = Find<PaletteObject>(dc->state.palette, Kind::Palette);
    UINT index = colour & 0xFFFF;
    if (palette && index < palette->entries.size()) {
      const PALETTEENTRY& e = palette->entries[index];
      colour = RGB(e.peRed, e.peGreen, e.peBlue);
    } else {
      colour = 0;
    }
  }
  std::uint32_t pixel = ToPixel(PlainColour(colour));
  return dc->monochrome ? ToMono(pixel) : pixel;
}

PenObject* SelectedPen(DcObject* dc) {
  if (auto* pen = static_cast<PenObject*>(FindObject(dc->state.pen))) return pen;
  return static_cast<PenObject*>(FindObject(Stock(BLACK_PEN)));
}
BrushObject* SelectedBrush(DcObject* dc) {
  if (auto* brush = static_cast<BrushObject*>(FindObject(dc->state.brush))) return brush;
  return static_cast<BrushObject*>(FindObject(Stock(WHITE_BRUSH)));
}
FontObject* SelectedFont(DcObject* dc) {
  if (auto* font = static_cast<FontObject*>(FindObject(dc->state.font))) return font;
  return static_cast<FontObject*>(FindObject(Stock(SYSTEM_FONT)));
}

BrushObject* BrushFromHandle(HBRUSH brush, BrushObject& scratch) {
  auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value >= 1 && value <= 31) {
    scratch.style = BS_SOLID;
    scratch.colour = SystemColour(static_cast<int>(value - 1));
    return &scratch;
  }
  return FindBrush(brush);
}

namespace {

WindowTargetSource targetSource = nullptr;
std::uint64_t windowChanges = 1;
void (*screenPreparer)() = nullptr;

// Asks the window manager where a window DC draws now.
void Follow(DcObject* dc) {
  WindowTarget target;
  bool found = targetSource && targetSource(dc->request, &target) && target.surface;
  dc->followedChange = windowChanges;  // after asking: the answer may have made a surface
  if (!found) {
    dc->windowGone = true;
    dc->sharedSurface.reset();
    dc->surface = nullptr;
    dc->visible.clear();
  } else {
    dc->sharedSurface = std::move(target.surface);
    dc->surface = dc->sharedSurface.get();
    dc->origin = target.origin;
    dc->visible = std::move(target.visible);
  }
  dc->ClipChanged();
}

std::unique_ptr<DcObject> NewDc(DcType type) {
  auto dc = std::make_unique<DcObject>();
  dc->type = type;
  dc->state.pen = static_cast<HPEN>(Stock(BLACK_PEN));
  dc->state.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
  dc->state.font = static_cast<HFONT>(Stock(SYSTEM_FONT));
  dc->state.palette = static_cast<HPALETTE>(Stock(DEFAULT_PALETTE));
  return dc;
}

void RetainState(const DcState& s) {
  for (const void* h : {static_cast<const void*>(s.pen), static_cast<const void*>(s.brush),
                        static_cast<const void*>(s.font), static_cast<const void*>(s.bitmap),
                        static_cast<const void*>(s.palette)}) {
    if (h) Retain(h);
  }
}
void ReleaseState(const DcState& s) {
  for (const void* h : {static_cast<const void*>(s.pen), static_cast<const void*>(s.brush),
                        static_cast<const void*>(s.font), static_cast<const void*>(s.bitmap),
                        static_cast<const void*>(s.palette)}) {
    if (h) Release(h);
  }
}

// Points a memory DC at the bitmap of its current state.
void AttachBitmap(DcObject* dc) {
  BitmapObject* bitmap = FindBitmap(dc->state.bitmap);
  if (!bitmap) bitmap = FindBitmap(DefaultBitmap());
  dc->surface = &bitmap->surface;
  dc->visible = {RECT{0, 0, bitmap->surface.width, bitmap->surface.height}};
  dc->monochrome = bitmap->bitsPixel == 1;
  dc->ClipChanged();
}

HDC Register(std::unique_ptr<DcObject> dc) {
  RetainState(dc->state);
  return static_cast<HDC>(AddObject(std::move(dc)));
}

void FreeDc(HDC handle, DcObject* dc) {
  ReleaseState(dc->state);
  for (const DcState& s : dc->saved) ReleaseState(s);
  RemoveObject(handle);
}

}  // namespace

POINT ScreenSetting() {
  int width = 800, height = 600;
  if (std::optional<std::string> setting = settings::Read(settings::Setting::kScreen)) {
    int w = 0, h = 0;
    if (std::sscanf(setting->c_str(), "%dx%d", &w, &h) == 2 && w >= 320 && h >= 200 && w <= 8192 &&
        h <= 8192) {
      width = w;
      height = h;
    }
  }
  return POINT{width, height};
}

Surface& Screen() {
  static Surface screen = [] {
    Surface s;
    POINT size = ScreenSetting();
    s.Resize(size.x, size.y, ToPixel(SystemColour(COLOR_BACKGROUND)));
    return s;
  }();
  return screen;
}

DcObject* FindDc(HDC handle) {
  auto* dc = Find<DcObject>(handle, Kind::Dc);
  if (!dc) return nullptr;
  if (dc->follows && !dc->windowGone && dc->followedChange != windowChanges) Follow(dc);
  if (dc->windowGone) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (screenPreparer && dc->surface == &Screen()) screenPreparer();
  return dc;
}

void SetWindowTargetSource(WindowTargetSource source) { targetSource = source; }
void WindowsChanged() { ++windowChanges; }
void SetScreenPreparer(void (*prepare)()) { screenPreparer = prepare; }

HDC CreateWindowDC(const WindowDcRequest& request) {
  auto dc = NewDc(DcType::Window);
  dc->follows = true;
  dc->request = request;
  dc->window = request.window;
  Follow(dc.get());
  if (dc->windowGone) return nullptr;
  return Register(std::move(dc));
}

HDC CreateSurfaceDC(Surface* surface, POINT origin, const std::vector<RECT>& visible, HWND window) {
  if (!surface) return nullptr;
  auto dc = NewDc(DcType::Window);
  dc->surface = surface;
  dc->origin = origin;
  dc->visible = visible;
  dc->window = window;
  return Register(std::move(dc));
}

void ReleaseSurfaceDC(HDC handle) {
  auto* dc = Find<DcObject>(handle, Kind::Dc);
  if (dc && dc->type == DcType::Window) FreeDc(handle, dc);
}

}  // namespace platform::gdi

void platform::Surface::Resize(int newWidth, int newHeight, std::uint32_t fill) {
  newWidth = std::max(newWidth, 0);
  newHeight = std::max(newHeight, 0);
  std::vector<std::uint32_t> resized(static_cast<std::size_t>(newWidth) * newHeight, fill);
  int keepWidth = std::min(width, newWidth), keepHeight = std::min(height, newHeight);
  for (int y = 0; y < keepHeight; ++y) {
    std::copy_n(pixels.data() + static_cast<std::size_t>(y) * width, keepWidth,
                resized.data() + static_cast<std::size_t>(y) * newWidth);
  }
  pixels.swap(resized);
  width = newWidth;
  height = newHeight;
}

using namespace platform::gdi;

HDC CreateCompatibleDC(HDC) {
  auto dc = NewDc(DcType::Memory);
  dc->state.bitmap = DefaultBitmap();
  AttachBitmap(dc.get());
  return Register(std::move(dc));
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const void*) {
  if (!driver || strcasecmp(driver, "DISPLAY") != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = NewDc(DcType::Screen);
  dc->surface = &Screen();
  dc->visible = {RECT{0, 0, Screen().width, Screen().height}};
  return Register(std::move(dc));
}

BOOL DeleteDC(HDC handle) {
  auto* dc = Find<DcObject>(handle, Kind::Dc);
  if (!dc) return FALSE;
  FreeDc(handle, dc);
  return TRUE;
}

HWND WindowFromDC(HDC handle) {
  DcObject* dc = FindDc(handle);
  return dc ? dc->window : nullptr;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  DcObject* dc = FindDc(handle);
  Object* target = FindObject(object);
  if (!dc || !target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto swap = [&](auto& slot) -> HGDIOBJ {
    using Handle = std::remove_reference_t<decltype(slot)>;
    HGDIOBJ previous = slot;
    Retain(object);
    slot = static_cast<Handle>(object);
    Release(previous);
    return previous;
  };
  switch (target->kind) {
    case Kind::Pen:
      return swap(dc->state.pen);
    case Kind::Brush:
      return swap(dc->state.brush);
    case Kind::Font:
      return swap(dc->state.font);
    case Kind::Region: {
      int result = SelectClipRgn(handle, static_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(result));
    }
    case Kind::Bitmap: {
      if (dc->type != DcType::Memory) return nullptr;
      // A bitmap lives in one memory DC at a time.
      if (target->selections > 0 && object != dc->state.bitmap && !target->stock) return nullptr;
      HGDIOBJ previous = swap(dc->state.bitmap);
      AttachBitmap(dc);
      return previous;
    }
    default:
      return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
  DcObject* dc = FindDc(handle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->state.pen;
    case OBJ_BRUSH:
      return dc->state.brush;
    case OBJ_FONT:
      return dc->state.font;
    case OBJ_PAL:
      return dc->state.palette;
    case OBJ_BITMAP:
      return dc->state.bitmap;
    default:
      return nullptr;
  }
}

HPALETTE SelectPalette(HDC handle, HPALETTE palette, BOOL) {
  DcObject* dc = FindDc(handle);
  if (!dc || !Find<PaletteObject>(palette, Kind::Palette)) return nullptr;
  HPALETTE previous = dc->state.palette;
  Retain(palette);
  dc->state.palette = palette;
  Release(previous);
  return previous;
}

// The display is true colour: realizing maps nothing into a system palette.
UINT RealizePalette(HDC handle) { return FindDc(handle) ? 0 : GDI_ERROR; }

COLORREF GetNearestColor(HDC handle, COLORREF colour) {
  DcObject* dc = FindDc(handle);
  if (!dc) return CLR_INVALID;
  return ToColour(DevicePixel(dc, colour));
}

int SaveDC(HDC handle) {
  DcObject* dc = FindDc(handle);
  if (!dc) return 0;
  RetainState(dc->state);
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int savedDc) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  int count = static_cast<int>(dc->saved.size());
  int level = savedDc < 0 ? count + 1 + savedDc : savedDc;
  if (level < 1 || level > count) return FALSE;
  while (static_cast<int>(dc->saved.size()) > level) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  ReleaseState(dc->state);
  dc->state = dc->saved.back();  // the saved references move to the live state
  dc->saved.pop_back();
  if (dc->type == DcType::Memory) AttachBitmap(dc);
  dc->ClipChanged();
  return TRUE;
}

int GetDeviceCaps(HDC handle, int index) {
  DcObject* dc = FindDc(handle);
  if (!dc) return 0;
  int width = dc->surface ? dc->surface->width : 0, height = dc->surface ? dc->surface->height : 0;
  if (dc->type != DcType::Memory) {
    width = Screen().width;
    height = Screen().height;
  }
  switch (index) {
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return width * 254 / 960;
    case VERTSIZE:
      return height * 254 / 960;
    case HORZRES:
    case DESKTOPHORZRES:
      return width;
    case VERTRES:
    case DESKTOPVERTRES:
      return height;
    case BITSPIXEL:
      return dc->monochrome ? 1 : 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return dc->monochrome ? 2 : -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case SIZEPALETTE:
      return 0;
    case NUMRESERVED:
      return 0;
    case COLORRES:
      return 24;
    case ASPECTX:
    case ASPECTY:
      return 36;
    case ASPECTXY:
      return 51;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    default:
      return 0;
  }
}

BOOL SetWindowOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.windowOrigin;
  dc->state.windowOrigin = {x, y};
  return TRUE;
}
BOOL GetWindowOrgEx(HDC handle, LPPOINT origin) {
  DcObject* dc = FindDc(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->state.windowOrigin;
  return TRUE;
}
BOOL OffsetWindowOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.windowOrigin;
  dc->state.windowOrigin.x += x;
  dc->state.windowOrigin.y += y;
  return TRUE;
}
BOOL SetViewportOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.viewportOrigin;
  dc->state.viewportOrigin = {x, y};
  return TRUE;
}
BOOL GetViewportOrgEx(HDC handle, LPPOINT origin) {
  DcObject* dc = FindDc(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->state.viewportOrigin;
  return TRUE;
}
BOOL OffsetViewportOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.viewportOrigin;
  dc->state.viewportOrigin.x += x;
  dc->state.viewportOrigin.y += y;
  return TRUE;
}
BOOL LPtoDP(HDC handle, LPPOINT points, int count) {
  DcObject* dc = FindDc(handle);
  if (!dc || (!points && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) points[i] = ToDevice(dc, points[i].x, points[i].y);
  return TRUE;
}
BOOL DPtoLP(HDC handle, LPPOINT points, int count) {
  DcObject* dc = FindDc(handle);
  if (!dc || (!points && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) {
    points[i].x += dc->state.windowOrigin.x - dc->state.viewportOrigin.x;
    points[i].y += dc->state.windowOrigin.y - dc->state.viewportOrigin.y;
  }
  return TRUE;
}
// Only the text mapping mode exists: one logical unit is one pixel.
int SetMapMode(HDC handle, int mode) { return FindDc(handle) && mode == MM_TEXT ? MM_TEXT : 0; }
int GetMapMode(HDC handle) { return FindDc(handle) ? MM_TEXT : 0; }

BOOL SetBrushOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.brushOrigin;
  dc->state.brushOrigin = {x, y};
  return TRUE;
}
BOOL GetBrushOrgEx(HDC handle, LPPOINT origin) {
  DcObject* dc = FindDc(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->state.brushOrigin;
  return TRUE;
}

// Each attribute pair: the setter returns the previous value, or `failure` for a bad DC or
// a value the attribute does not take.
#define TD_DC_ATTRIBUTE(Set, Get, Type, field, failure, valid) \
  Type Set(HDC handle, Type value) {                           \
    DcObject* dc = FindDc(handle);                             \
    if (!dc || !(valid)) return failure;                       \
    Type previous = dc->state.field;                           \
    dc->state.field = value;                                   \
    return previous;                                           \
  }                                                            \
  Type Get(HDC handle) {                                       \
    DcObject* dc = FindDc(handle);                             \
    return dc ? dc->state.field : failure;                     \
  }
TD_DC_ATTRIBUTE(SetTextColor, GetTextColor, COLORREF, textColour, CLR_INVALID, true)
TD_DC_ATTRIBUTE(SetBkColor, GetBkColor, COLORREF, backgroundColour, CLR_INVALID, true)
TD_DC_ATTRIBUTE(SetTextAlign, GetTextAlign, UINT, textAlign, GDI_ERROR, true)
TD_DC_ATTRIBUTE(SetBkMode, GetBkMode, int, backgroundMode, 0,
                value == TRANSPARENT || value == OPAQUE)
TD_DC_ATTRIBUTE(SetROP2, GetROP2, int, rop2, 0, value >= R2_BLACK && value <= R2_WHITE)
TD_DC_ATTRIBUTE(SetStretchBltMode, GetStretchBltMode, int, stretchMode, 0,
                value >= BLACKONWHITE && value <= HALFTONE)
TD_DC_ATTRIBUTE(SetPolyFillMode, GetPolyFillMode, int, polyFillMode, 0,
                value == ALTERNATE || value == WINDING)
#undef TD_DC_ATTRIBUTE
BOOL GetCurrentPositionEx(HDC handle, LPPOINT position) {
  DcObject* dc = FindDc(handle);
  if (!dc || !position) return FALSE;
  *position = dc->state.position;
  return TRUE;
}
