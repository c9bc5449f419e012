// Fonts, pens and brushes, and the canvas that draws with them on a device context.
// Fonts, pens and brushes of equal settings share one platform object through a
// resource manager; the object is made when a canvas (or a caller of Handle()) first
// needs it. A canvas selects its font, pen and brush into its context lazily, per
// drawing operation. GUI thread only.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "classes/component.h"
#include "classes/events.h"
#include "classes/sets.h"
#include "graphics/forward.h"
#include "platform/win32.h"

// Colours: 0x00BBGGRR is an RGB colour; a negative value 0x800000nn is the platform's
// system colour nn.
using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}
inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clNone = 0x1FFFFFFF;

// The RGB value of a colour: system colours become the platform's current colour.
COLORREF ColorToRGB(TColor color);

// A character set, one byte (ANSI_CHARSET, DEFAULT_CHARSET, ...).
using TFontCharset = std::uint8_t;

// One row of an identifier table.
struct TIdentMapEntry {
  std::int32_t Value;
  const char* Name;
};
// The 42 colour identifiers and the 18 character-set identifiers, in table order.
std::span<const TIdentMapEntry> ColorIdentifiers();
std::span<const TIdentMapEntry> CharsetIdentifiers();

// Colour names compare with the locale's case-insensitive comparison; a value gives
// the first row with that value. Character-set names compare ASCII case-insensitively
// and values by their low byte. False when there is no such row.
bool IdentToColor(const std::string& identifier, std::int32_t& color);
bool ColorToIdent(std::int32_t color, std::string& identifier);
bool IdentToCharset(const std::string& identifier, std::int32_t& charset);
bool CharsetToIdent(std::int32_t charset, std::string& identifier);

// The type information of colour and character-set properties; the form reader turns
// their identifiers into numbers with the conversions above.
const TTypeInfo& ColorType();
const TTypeInfo& CharsetType();

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
enum TPenMode : std::uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

TD_ENUM_TYPE(TFontPitch, "fpDefault", "fpVariable", "fpFixed");
TD_ENUM_TYPE(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");
TD_ENUM_TYPE(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
             "psInsideFrame");
TD_ENUM_TYPE(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
             "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
             "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor");
TD_ENUM_TYPE(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
             "bsBDiagonal", "bsCross", "bsDiagCross");

// The shared records. They are compared and hashed byte for byte, so they are packed
// and every byte not in use is 0.
#pragma pack(push, 1)
struct TFontData {
  HFONT Handle;
  std::int32_t Height;
  TFontPitch Pitch;
  std::uint8_t Style;  // TFontStyles bits
  TFontCharset Charset;
  char Name[32];  // length byte, then up to 31 characters
};
struct TPenData {
  HPEN Handle;
  TColor Color;
  std::int32_t Width;
  TPenStyle Style;
};
struct TBrushData {
  HBRUSH Handle;
  TColor Color;
  TBitmap* Bitmap;
  TBrushStyle Style;
};
#pragma pack(pop)

// One shared font, pen or brush: its users count, its platform object once made.
struct TResource {
  TResource* Next = nullptr;
  std::int32_t RefCount = 0;
  HGDIOBJ Handle = nullptr;
  std::uint16_t HashCode = 0;
  union {
    TFontData Font;
    TPenData Pen;
    TBrushData Brush;
  };
  TResource() : Font{} {}
};

// The resources of one kind: a singly linked list searched by hash and bytes.
class TResourceManager {
 public:
  explicit TResourceManager(int dataSize);
  TResourceManager(const TResourceManager&) = delete;
  TResourceManager& operator=(const TResourceManager&) = delete;

  // The resource with exactly these record bytes (a new one at the head when none),
  // with one more user.
  TResource* Acquire(const void* record);
  // One user less; the last one deletes the platform object and frees the resource.
  void Release(TResource* resource);
  // The 16-bit hash of a record: for each byte, rotate left by 5 and XOR the byte in.
  static std::uint16_t Hash(const void* record, int size);

  int Count() const;
  TResource* First() const { return first_; }
  int DataSize() const { return dataSize_; }

 private:
  TResource* first_ = nullptr;
  int dataSize_;
};

// The three managers of the process.
TResourceManager& FontManager();
TResourceManager& PenManager();
TResourceManager& BrushManager();

// Base of TFont, TPen and TBrush: a shared resource and a change event.
class TGraphicsObject : public TPersistent {
  TD_CLASS(TGraphicsObject, TPersistent)

 public:
  ~TGraphicsObject() override;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;

  TResource* Resource() const { return resource_; }
  // Raised after a change, with this object as sender.
  TNotifyEvent OnChange;

 protected:
  TGraphicsObject(TResourceManager& manager, const void* record);
  virtual void Changed();
  // Looks the new record up and takes its resource; raises the change event when the
  // resource differs from the old one.
  void ChangeRecord(const void* record);
  // Takes another object's resource (one more user).
  void ShareResource(TResource* resource);
  // Changes made between the two raise one change event at the end.
  void BeginChanges() { ++changeDepth_; }
  void EndChanges();

  TResourceManager& manager_;
  TResource* resource_ = nullptr;

 private:
  void TakeResource(TResource* acquired);
  int changeDepth_ = 0;
  bool changePending_ = false;
};

class TFont : public TGraphicsObject {
  TD_CLASS(TFont, TGraphicsObject)

 public:
  // The default font: "MS Sans Serif", 8 points on the screen, DEFAULT_CHARSET.
  TFont();

  // The logical font, made on first request and shared by every equal font.
  HFONT Handle();
  // Takes another font's resource, Color and (at another density) point size.
  void CopyFrom(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // Negative: the character height in pixels.
  std::int32_t Height() const { return resource_->Font.Height; }
  void SetHeight(std::int32_t height);
  std::string Name() const;
  // Cut to 31 characters.
  void SetName(const std::string& name);
  TFontPitch Pitch() const { return resource_->Font.Pitch; }
  void SetPitch(TFontPitch pitch);
  // Points: -(Height x 72 / PixelsPerInch), rounded.
  std::int32_t Size() const;
  void SetSize(std::int32_t size);
  TFontStyles Style() const { return TFontStyles::FromBits(resource_->Font.Style); }
  void SetStyle(TFontStyles style);
  TFontCharset Charset() const { return resource_->Font.Charset; }
  void SetCharset(TFontCharset charset);
  std::int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(std::int32_t pixelsPerInch) { pixelsPerInch_ = pixelsPerInch; }

 private:
  TFontData Record() const;
  TColor color_ = clWindowText;
  std::int32_t pixelsPerInch_;
};

class TPen : public TGraphicsObject {
  TD_CLASS(TPen, TGraphicsObject)

 public:
  // Black, width 1, solid, pmCopy.
  TPen();

  HPEN Handle();
  void CopyFrom(TPersistent* source) override;

  TColor Color() const { return resource_->Pen.Color; }
  void SetColor(TColor color);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);
  TPenStyle Style() const { return resource_->Pen.Style; }
  void SetStyle(TPenStyle style);
  std::int32_t Width() const { return resource_->Pen.Width; }
  // Negative widths are ignored.
  void SetWidth(std::int32_t width);

 private:
  TPenData Record() const;
  TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
  TD_CLASS(TBrush, TGraphicsObject)

 public:
  // White, solid, no pattern.
  TBrush();

  HBRUSH Handle();
  void CopyFrom(TPersistent* source) override;

  // A pattern brush of the bitmap's handle when set (the bitmap stays the caller's and
  // must outlive the brush's use of it).
  TBitmap* Bitmap() const { return resource_->Brush.Bitmap; }
  void SetBitmap(TBitmap* bitmap);
  TColor Color() const { return resource_->Brush.Color; }
  // A colour set on a clear brush makes it solid.
  void SetColor(TColor color);
  TBrushStyle Style() const { return resource_->Brush.Style; }
  // bsClear makes the colour white.
  void SetStyle(TBrushStyle style);

 private:
  TBrushData Record() const;
};

enum TCanvasStateFlag : std::uint8_t { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStateFlag>;

// Draws on a device context with its Font, Pen and Brush. Every drawing operation
// raises OnChanging before and OnChange after it, and selects only what it needs and
// is not selected yet. A plain canvas draws on the context given to SetHandle; derived
// canvases make their own in CreateHandle.
class TCanvas : public TPersistent {
  TD_CLASS(TCanvas, TPersistent)

 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);
  // Moves the pen position; no events.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Draws points[0] to points[lastIndex].
  void Polyline(const POINT* points, int lastIndex);
  void Rectangle(int left, int top, int right, int bottom);
  void Ellipse(int left, int top, int right, int bottom);
  // Writes text with its top-left corner at (x, y); the pen position moves to its end.
  void TextOut(int x, int y, const std::string& text);
  // Writes text at (x, y) clipped to rect, the background filled with the brush when
  // it is solid.
  void TextRect(const RECT& rect, int x, int y, const std::string& text);
  // The size of text in the canvas font; 0 when it cannot be measured. No events.
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // Reading a pixel raises no events.
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  // Copies source's rectangle into dest, stretched, with CopyMode.
  void CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source);
  // Draws bitmap's rectangle source into dest with the pixels of colour color replaced
  // by the canvas brush: how glyphs get the background they stand on.
  void BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color);
  // Draws a picture at (x, y) in its own size, or stretched into rect.
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);

  // The context with font, pen and brush selected (made when the canvas can make one);
  // raises OnChanging. EInvalidOperation "Canvas does not allow drawing" without one.
  HDC Handle();
  // Gives the canvas a context (nullptr takes it away, deselecting the canvas's objects
  // first); the pen position moves with the canvas from context to context.
  void SetHandle(HDC handle);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // The context as it is, without making one or raising events.
  HDC CurrentHandle() const { return handle_; }
  TCanvasState State() const { return state_; }
  // Selects the stock font, pen and brush in place of the canvas's own.
  void DeselectAll();

  TFont* Font() const { return font_.get(); }
  // Copies into the canvas's own font, pen or brush (no reference is kept).
  void SetFont(TFont* font);
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* pen);
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* brush);
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD mode) { copyMode_ = mode; }
  POINT PenPos();
  void SetPenPos(POINT position) { MoveTo(position.x, position.y); }

  // A count of holders that need the context to stay; while it is not 0 nothing that
  // gathers contexts back (a sweep of control canvases) should take this one away.
  void Lock() { ++lockCount_; }
  void Unlock() {
    if (lockCount_ > 0) --lockCount_;
  }
  int LockCount() const { return lockCount_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // Makes sure of the states asked for, selecting what is missing.
  void RequiredState(TCanvasState required);

 protected:
  // Makes a context when the canvas has none; a plain canvas cannot.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();

 private:
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  void SelectFont();
  void SelectPen();
  void SelectBrush();

  HDC handle_ = nullptr;
  TCanvasState state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  POINT penPos_{0, 0};
  DWORD copyMode_ = SRCCOPY;
  int lockCount_ = 0;
};

// After the system colours change: every canvas lets go of its objects, and the pens
// and brushes of system colours lose their platform objects so that they are made
// again in the new colours.
void RefreshSystemColors();
// The canvases alive now, in order of construction.
std::span<TCanvas* const> LiveCanvases();
