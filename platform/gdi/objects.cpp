#include "gdi/objects.h"

#include <cstring>

namespace platform::gdi {
namespace {

struct Slot {
  std::unique_ptr<Object> object;
  std::uint32_t generation = 1;
};

std::uint32_t currentSession = 0;

constexpr std::uintptr_t kIndexBits = 24;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;

std::vector<Slot>& Table() {
  static std::vector<Slot> table;
  return table;
}
std::vector<std::size_t>& FreeSlots() {
  static std::vector<std::size_t> slots;
  return slots;
}

const COLORREF kClassicColours[31] = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000,
    0xE1FFFF, 0x000000, 0xFF0000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0};

COLORREF ClassicColour(int index) {
  if (index < 0 || index >= 31) return 0;
  return kClassicColours[index];
}
SystemColourSource colourSource = ClassicColour;

// Stock objects live in the table like any other, marked so that nothing deletes them.
void* stockObjects[20] = {};
HBITMAP stockBitmap = nullptr;

void* MakeStock(std::unique_ptr<Object> object) {
  object->stock = true;
  return AddObject(std::move(object));
}

void* StockPen(int style, COLORREF colour) {
  auto pen = std::make_unique<PenObject>();
  pen->style = style;
  pen->colour = colour;
  return MakeStock(std::move(pen));
}
void* StockBrush(int style, COLORREF colour) {
  auto brush = std::make_unique<BrushObject>();
  brush->style = style;
  brush->colour = colour;
  return MakeStock(std::move(brush));
}
void* StockFont(LONG height, LONG weight, BYTE pitch, const char* face) {
  auto font = std::make_unique<FontObject>();
  font->logFont.lfHeight = height;
  font->logFont.lfWeight = weight;
  font->logFont.lfPitchAndFamily = pitch;
  std::strncpy(font->logFont.lfFaceName, face, sizeof font->logFont.lfFaceName - 1);
  return MakeStock(std::move(font));
}

void EnsureStock() {
  if (stockObjects[WHITE_BRUSH]) return;
  stockObjects[WHITE_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
  stockObjects[LTGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(192, 192, 192));
  stockObjects[GRAY_BRUSH] = StockBrush(BS_SOLID, RGB(128, 128, 128));
  stockObjects[DKGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(64, 64, 64));
  stockObjects[BLACK_BRUSH] = StockBrush(BS_SOLID, RGB(0, 0, 0));
  stockObjects[NULL_BRUSH] = StockBrush(BS_NULL, 0);
  stockObjects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
  stockObjects[BLACK_PEN] = StockPen(PS_SOLID, 0);
  stockObjects[NULL_PEN] = StockPen(PS_NULL, 0);
  stockObjects[OEM_FIXED_FONT] = StockFont(12, FW_NORMAL, FIXED_PITCH, "Terminal");
  stockObjects[ANSI_FIXED_FONT] = StockFont(12, FW_NORMAL, FIXED_PITCH, "Courier");
  stockObjects[ANSI_VAR_FONT] = StockFont(12, FW_NORMAL, VARIABLE_PITCH, "MS Sans Serif");
  stockObjects[SYSTEM_FONT] = StockFont(16, FW_BOLD, VARIABLE_PITCH, "System");
  stockObjects[DEVICE_DEFAULT_FONT] = StockFont(16, FW_BOLD, VARIABLE_PITCH, "System");
  stockObjects[SYSTEM_FIXED_FONT] = StockFont(16, FW_NORMAL, FIXED_PITCH, "Fixedsys");
  stockObjects[DEFAULT_GUI_FONT] = StockFont(-11, FW_NORMAL, VARIABLE_PITCH, "MS Sans Serif");
  auto palette = std::make_unique<PaletteObject>();
  static const std::uint32_t kStatic[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                            0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
                                            0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                            0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::uint32_t rgb : kStatic) {
    palette->entries.push_back(
        {static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb), 0});
  }
  stockObjects[DEFAULT_PALETTE] = MakeStock(std::move(palette));
  stockObjects[DC_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
  stockObjects[DC_PEN] = StockPen(PS_SOLID, 0);
  auto bitmap = std::make_unique<BitmapObject>();
  bitmap->bitsPixel = 1;
  bitmap->surface.Resize(1, 1, 0);
  stockBitmap = static_cast<HBITMAP>(MakeStock(std::move(bitmap)));
}

}  // namespace

void* AddObject(std::unique_ptr<Object> object) {
  auto& table = Table();
  std::size_t index;
  if (!FreeSlots().empty()) {
    index = FreeSlots().back();
    FreeSlots().pop_back();
  } else {
    index = table.size();
    table.emplace_back();
  }
  object->session = currentSession;
  table[index].object = std::move(object);
  std::uintptr_t value = (std::uintptr_t{table[index].generation} << kIndexBits) | (index + 1);
  return reinterpret_cast<void*>(value);
}

Object* FindObject(const void* handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  std::size_t index = (value & kIndexMask);
  std::uintptr_t generation = value >> kIndexBits;
  auto& table = Table();
  if (index == 0 || index > table.size()) return nullptr;
  Slot& slot = table[index - 1];
  if (slot.generation != generation || !slot.object) return nullptr;
  return slot.object.get();
}

void RemoveObject(const void* handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  std::size_t index = value & kIndexMask;
  auto& table = Table();
  if (index == 0 || index > table.size()) return;
  Slot& slot = table[index - 1];
  if (slot.generation != (value >> kIndexBits) || !slot.object) return;
  auto doomed = std::move(slot.object);
  // Generations wrap well before reaching the bits above the handle's 32-bit range.
  slot.generation = slot.generation % 0xFFFF + 1;
  FreeSlots().push_back(index - 1);
  doomed.reset();
}

void MakePermanent(const void* handle) {
  if (Object* object = FindObject(handle)) object->stock = true;
}

namespace {

bool Counted(const Object& object) {
  if (object.stock || object.session != currentSession) return false;
  return object.kind != Kind::Icon || !static_cast<const IconObject&>(object).shared;
}

}  // namespace

void BeginSession() { ++currentSession; }

ObjectCounts CountObjects() {
  ObjectCounts counts;
  for (const Slot& slot : Table()) {
    if (!slot.object || !Counted(*slot.object)) continue;
    if (slot.object->kind == Kind::Dc)
      ++counts.dcs;
    else
      ++counts.others;
  }
  return counts;
}

void FreeWindowDcs() {
  auto& table = Table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    auto* dc = dynamic_cast<DcObject*>(table[i].object.get());
    if (!dc || dc->type != DcType::Window) continue;
    std::uintptr_t value = (std::uintptr_t{table[i].generation} << kIndexBits) | (i + 1);
    DeleteDC(reinterpret_cast<HDC>(value));
  }
}

void Retain(const void* handle) {
  if (Object* object = FindObject(handle)) ++object->selections;
}

void Release(const void* handle) {
  Object* object = FindObject(handle);
  if (!object) return;
  if (--object->selections <= 0 && object->deletePending) RemoveObject(handle);
}

void SetSystemColourSource(SystemColourSource source) {
  colourSource = source ? source : ClassicColour;
}
COLORREF SystemColour(int index) { return colourSource(index); }

HBITMAP DefaultBitmap() {
  EnsureStock();
  return stockBitmap;
}

void* Stock(int index) {
  EnsureStock();
  if (index < 0 || index >= 20) return nullptr;
  return stockObjects[index];
}

}  // namespace platform::gdi

using namespace platform::gdi;

HGDIOBJ GetStockObject(int object) { return Stock(object); }

DWORD GetObjectType(HGDIOBJ handle) {
  Object* object = FindObject(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (object->kind) {
    case Kind::Dc:
      return static_cast<DcObject*>(object)->type == DcType::Memory ? OBJ_MEMDC : OBJ_DC;
    case Kind::Bitmap:
      return OBJ_BITMAP;
    case Kind::Pen:
      return OBJ_PEN;
    case Kind::Brush:
      return OBJ_BRUSH;
    case Kind::Font:
      return OBJ_FONT;
    case Kind::Palette:
      return OBJ_PAL;
    case Kind::Region:
      return OBJ_REGION;
    case Kind::Icon:
      return 0;
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ handle) {
  Object* object = FindObject(handle);
  if (!object || object->kind == Kind::Dc || object->kind == Kind::Icon) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  // A bitmap selected into a DC cannot go: the DC still draws on it.
  if (object->selections > 0) {
    if (object->kind == Kind::Bitmap) return FALSE;
    object->deletePending = true;
    return TRUE;
  }
  RemoveObject(handle);
  return TRUE;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  Object* object = FindObject(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto copyOut = [&](const void* data, int dataSize) {
    if (!buffer) return dataSize;
    int n = size < dataSize ? size : dataSize;
    if (n <= 0) return 0;
    std::memcpy(buffer, data, static_cast<std::size_t>(n));
    return n;
  };
  switch (object->kind) {
    case Kind::Bitmap: {
      auto* b = static_cast<BitmapObject*>(object);
      BITMAP info{};
      info.bmWidth = b->surface.width;
      info.bmHeight = b->surface.height;
      info.bmPlanes = 1;
      info.bmBitsPixel = static_cast<WORD>(b->bitsPixel);
      info.bmWidthBytes = ((b->surface.width * b->bitsPixel + 15) / 16) * 2;
      return copyOut(&info, sizeof info);
    }
    case Kind::Pen: {
      auto* p = static_cast<PenObject*>(object);
      LOGPEN info{static_cast<UINT>(p->style), {p->width, 0}, p->colour};
      return copyOut(&info, sizeof info);
    }
    case Kind::Brush: {
      auto* b = static_cast<BrushObject*>(object);
      LOGBRUSH info{static_cast<UINT>(b->style), b->colour,
                    b->style == BS_PATTERN ? reinterpret_cast<ULONG_PTR>(b->patternBitmap)
                                           : static_cast<ULONG_PTR>(b->hatch)};
      return copyOut(&info, sizeof info);
    }
    case Kind::Font:
      return copyOut(&static_cast<FontObject*>(object)->logFont, sizeof(LOGFONTA));
    case Kind::Palette: {
      WORD count = static_cast<WORD>(static_cast<PaletteObject*>(object)->entries.size());
      return copyOut(&count, sizeof count);
    }
    default:
      return 0;
  }
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  if ((style & PS_STYLE_MASK) > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = std::make_unique<PenObject>();
  pen->style = style & PS_STYLE_MASK;
  pen->width = width < 1 ? 1 : width;
  // Wide pens are solid: only cosmetic one-pixel pens have dashes.
  if (pen->width > 1 && pen->style >= PS_DASH && pen->style <= PS_DASHDOTDOT) pen->style = PS_SOLID;
  pen->colour = colour;
  return static_cast<HPEN>(AddObject(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  auto brush = std::make_unique<BrushObject>();
  brush->colour = colour;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto brush = std::make_unique<BrushObject>();
  brush->style = BS_HATCHED;
  brush->hatch = hatch;
  brush->colour = colour;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  BitmapObject* source = FindBitmap(bitmap);
  if (!source || source->surface.width == 0 || source->surface.height == 0) return nullptr;
  auto brush = std::make_unique<BrushObject>();
  brush->style = BS_PATTERN;
  brush->pattern = source->surface;
  brush->monoPattern = source->bitsPixel == 1;
  brush->patternBitmap = bitmap;
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(brush->lbColor);
    case BS_NULL:
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_unique<FontObject>();
  object->logFont = *font;
  object->logFont.lfFaceName[sizeof object->logFont.lfFaceName - 1] = 0;
  return static_cast<HFONT>(AddObject(std::move(object)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA font{};
  font.lfHeight = height;
  font.lfWidth = width;
  font.lfEscapement = escapement;
  font.lfOrientation = orientation;
  font.lfWeight = weight;
  font.lfItalic = static_cast<BYTE>(italic);
  font.lfUnderline = static_cast<BYTE>(underline);
  font.lfStrikeOut = static_cast<BYTE>(strikeOut);
  font.lfCharSet = static_cast<BYTE>(charSet);
  font.lfOutPrecision = static_cast<BYTE>(outPrecision);
  font.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  font.lfQuality = static_cast<BYTE>(quality);
  font.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(font.lfFaceName, faceName, sizeof font.lfFaceName - 1);
  return CreateFontIndirectA(&font);
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_unique<PaletteObject>();
  object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return static_cast<HPALETTE>(AddObject(std::move(object)));
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  auto* object = Find<PaletteObject>(palette, Kind::Palette);
  if (!object) return 0;
  UINT size = static_cast<UINT>(object->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  UINT n = count < size - start ? count : size - start;
  std::memcpy(entries, object->entries.data() + start, n * sizeof(PALETTEENTRY));
  return n;
}

// The screen is a true-colour device: it has no system palette to report.
UINT GetSystemPaletteEntries(HDC, UINT, UINT, PALETTEENTRY*) { return 0; }

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
  auto* object = Find<PaletteObject>(palette, Kind::Palette);
  if (!object) return CLR_INVALID;
  UINT best = 0;
  long bestDistance = -1;
  for (UINT i = 0; i < object->entries.size(); ++i) {
    const PALETTEENTRY& e = object->entries[i];
    long dr = e.peRed - GetRValue(colour), dg = e.peGreen - GetGValue(colour),
         db = e.peBlue - GetBValue(colour);
    long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

BOOL UnrealizeObject(HGDIOBJ object) { return FindObject(object) ? TRUE : FALSE; }
