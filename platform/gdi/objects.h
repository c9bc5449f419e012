// The drawing objects behind the opaque handles, and the handle table that
// validates every handle (index + generation) before an object is touched.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gdi/region.h"
#include "gdi/surface.h"
#include "platform/win32.h"
#include "private.h"

namespace platform::gdi {

using Surface = platform::Surface;

enum class Kind : std::uint8_t { Dc, Bitmap, Pen, Brush, Font, Palette, Region, Icon };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;  // a stock object or a process-wide cache's: never deleted, never counted
  std::uint32_t session = 0;   // the test session that made it (CountObjects)
  int selections = 0;          // DCs that have it selected
  bool deletePending = false;  // deleted while selected: freed when the last DC lets go
};

struct BitmapObject : Object {
  BitmapObject() : Object(Kind::Bitmap) {}
  int bitsPixel = 32;  // 32 (colour) or 1 (monochrome: pixels are 0x000000 or 0xFFFFFF)
  Surface surface;
};

struct PenObject : Object {
  PenObject() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF colour = 0;
};

struct BrushObject : Object {
  BrushObject() : Object(Kind::Brush) {}
  int style = BS_SOLID;
  COLORREF colour = 0;
  int hatch = 0;
  bool monoPattern = false;  // pattern from a 1-bit bitmap: text and background colours apply
  Surface pattern;           // BS_PATTERN: a copy of the bitmap taken at creation
  HBITMAP patternBitmap = nullptr;
};

class RealizedFont;
struct FontObject : Object {
  FontObject() : Object(Kind::Font) {}
  LOGFONTA logFont{};
  RealizedFont* realized =
      nullptr;  // made on first use; realized fonts live as long as the process
};

struct PaletteObject : Object {
  PaletteObject() : Object(Kind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

struct RegionObject : Object {
  RegionObject() : Object(Kind::Region) {}
  Region region;
};

struct IconObject : Object {
  IconObject() : Object(Kind::Icon) {}
  bool isIcon = true;
  bool shared = false;  // loaded from resources or the system: DestroyIcon leaves it alone
  bool monochromeSource = false;  // made from 1-bit images: GetIconInfo gives no colour bitmap
  int width = 0;
  int height = 0;
  POINT hotspot{0, 0};
  Surface mask;    // AND mask, 0x000000 / 0xFFFFFF
  Surface colour;  // XOR image, 32 bits
};

// The graphic state SaveDC remembers.
struct DcState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColour = 0x000000;
  COLORREF backgroundColour = 0xFFFFFF;
  int backgroundMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  UINT textAlign = TA_LEFT | TA_TOP;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  POINT windowOrigin{0, 0};
  POINT viewportOrigin{0, 0};
  POINT brushOrigin{0, 0};
  POINT position{0, 0};
  std::optional<Region> clip;  // device coordinates of the DC; none = whole visible area
};

enum class DcType { Memory, Window, Screen };

struct DcObject : Object {
  DcObject() : Object(Kind::Dc) {}
  DcType type = DcType::Memory;
  Surface* surface = nullptr;  // what drawing lands on (a bitmap's surface for memory DCs)
  POINT origin{0, 0};          // surface point of device (0,0)
  std::vector<RECT> visible;   // surface coordinates
  HWND window = nullptr;
  // Window DCs made by CreateWindowDC: what they asked for, the surface they share with
  // their window, the window change they last followed, and whether the window is gone.
  bool follows = false;
  WindowDcRequest request;
  std::shared_ptr<Surface> sharedSurface;
  std::uint64_t followedChange = 0;
  bool windowGone = false;
  bool monochrome = false;
  DcState state;
  std::vector<DcState> saved;
  int penPhase = 0;  // position within the dash pattern of a styled pen

  // The clip in surface coordinates, recomputed when the clip or visible area changes.
  const std::vector<RECT>& Clip();
  void ClipChanged() { clipValid_ = false; }

 private:
  std::vector<RECT> clipCache_;
  bool clipValid_ = false;
  int clipWidth_ = 0, clipHeight_ = 0;  // surface size the cache was made for
};

// Handle table.
void* AddObject(std::unique_ptr<Object> object);
Object* FindObject(const void* handle);  // null (and ERROR_INVALID_HANDLE) for a stale handle
template <class T>
T* Find(const void* handle, Kind kind) {
  Object* object = FindObject(handle);
  if (!object || object->kind != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<T*>(object);
}
// A DC to draw with or read from: a window DC first follows its window (and fails once the
// window is gone), a DC on the screen first has the screen composed.
DcObject* FindDc(HDC dc);
inline BitmapObject* FindBitmap(HBITMAP b) { return Find<BitmapObject>(b, Kind::Bitmap); }
inline PenObject* FindPen(HPEN p) { return Find<PenObject>(p, Kind::Pen); }
inline BrushObject* FindBrush(HBRUSH b) { return Find<BrushObject>(b, Kind::Brush); }
inline FontObject* FindFont(HFONT f) { return Find<FontObject>(f, Kind::Font); }
inline RegionObject* FindRegion(HRGN r) { return Find<RegionObject>(r, Kind::Region); }
inline IconObject* FindIcon(HICON i) { return Find<IconObject>(i, Kind::Icon); }
void RemoveObject(const void* handle);
// Marks an object a process-wide cache keeps (a shared brush or font): deleting it does
// nothing, and test sessions neither count nor free it.
void MakePermanent(const void* handle);

// Test sessions: objects made since BeginSession and still alive (stock objects and shared
// icons left out). Objects of earlier sessions are left to whoever holds them.
struct ObjectCounts {
  int dcs = 0;
  int others = 0;
};
void BeginSession();
ObjectCounts CountObjects();
// Frees every window DC (a new session starts without windows).
void FreeWindowDcs();
// Selection bookkeeping: objects deleted while selected are freed on the last release.
void Retain(const void* handle);
void Release(const void* handle);

// Classic system colours for the drawing helpers; the window manager may install its own
// source (so SetSysColors reaches DrawEdge and DrawFocusRect).
using SystemColourSource = COLORREF (*)(int index);
void SetSystemColourSource(SystemColourSource source);
COLORREF SystemColour(int index);

// Colours: COLORREF (0x00BBGGRR) to surface pixels (0x00RRGGBB) and back.
inline std::uint32_t ToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColour(std::uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
// The nearest of black and white, as a monochrome surface stores it.
inline std::uint32_t ToMono(std::uint32_t pixel) {
  unsigned sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
  return sum >= 384 ? 0xFFFFFF : 0;
}
// A COLORREF with palette flags reduced to its RGB part.
inline COLORREF PlainColour(COLORREF c) { return c & 0x00FFFFFF; }

// Stock objects by GetStockObject index, and the 1 x 1 monochrome bitmap of new memory DCs.
void* Stock(int index);
HBITMAP DefaultBitmap();

// The surface a DC draws on for pixels (may be null for a DC with nothing selected).
std::uint32_t DevicePixel(DcObject* dc, COLORREF colour);

// The screen surface (the virtual desktop); created on first use.
Surface& Screen();

}  // namespace platform::gdi
