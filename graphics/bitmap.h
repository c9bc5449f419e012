// Pictures: TBitmap and TIcon keep an image in the stored form it was read in (a
// device-independent bitmap, an icon file) and make the platform object only when it
// is first needed. Pictures copied from one another share one image until one of them
// changes. A published property of a picture class (a button's Glyph, a form's Icon)
// is read from a description through the picture's stored-data entry "Data".
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "classes/streams.h"
#include "graphics/graphics.h"

// An image shared by pictures: its users count and its stored form (none when empty).
class TInternalImage {
 public:
  TInternalImage() = default;
  virtual ~TInternalImage() = default;
  TInternalImage(const TInternalImage&) = delete;
  TInternalImage& operator=(const TInternalImage&) = delete;

  void Reference() { ++RefCount; }
  // One user less; the last one frees the image with its platform objects.
  void Release();

  std::int32_t RefCount = 0;
  std::unique_ptr<TMemoryStream> Stored;
};

// Header kinds of a stored bitmap.
enum class TBitmapHeaderKind : std::uint8_t { None, Info, Core };

class TBitmapImage : public TInternalImage {
 public:
  // Canvases that still have the bitmap selected give up their contexts first.
  ~TBitmapImage() override;

  HBITMAP Handle = nullptr;
  HPALETTE Palette = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // Where the header and the pixel bits start in the stored form.
  std::int32_t HeaderOffset = 0;
  std::int32_t BitsOffset = 0;
  bool Monochrome = false;
  TBitmapHeaderKind HeaderKind = TBitmapHeaderKind::None;
};

class TIconImage : public TInternalImage {
 public:
  ~TIconImage() override;
  HICON Handle = nullptr;
};

// The abstract picture.
class TGraphic : public TPersistent {
  TD_CLASS(TGraphic, TPersistent)

 public:
  // Draws the picture into rect of canvas.
  virtual void PaintOn(TCanvas* canvas, const RECT& rect) = 0;
  // Both empty, or of one class with byte-for-byte equal stored data.
  virtual bool SameImageAs(TGraphic* other);
  // Empty: neither a platform object nor a stored form.
  virtual bool IsBlank() const = 0;
  virtual std::int32_t Height() const = 0;
  virtual std::int32_t Width() const = 0;
  // The "Data" entry of a description; LoadFrom and SaveTo unless a class says otherwise.
  virtual void ReadStoredData(TStream& stream);
  virtual void SetHeight(std::int32_t height) = 0;
  virtual void SetWidth(std::int32_t width) = 0;
  virtual void WriteStoredData(TStream& stream);
  virtual void LoadFromFile(const std::string& fileName);
  virtual void SaveToFile(const std::string& fileName);
  virtual void LoadFrom(TStream& stream) = 0;
  virtual void SaveTo(TStream& stream) = 0;
  virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) = 0;
  virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) = 0;

  // Declares "Data": written when there is no ancestor and the picture is not empty, or
  // when the ancestor is not a picture of the same image.
  void DeclareStoredData(TFiler& filer) override;

  // Raised after the picture changed, with the picture as sender.
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

class TBitmapCanvas;

class TBitmap : public TGraphic {
  TD_CLASS(TBitmap, TGraphic)

 public:
  TBitmap();
  ~TBitmap() override;

  // Another bitmap shares its image; nil makes this one empty.
  void CopyFrom(TPersistent* source) override;

  // The canvas that draws on the bitmap, made on first use. Drawing on it gives the
  // bitmap an image of its own and drops the stored form, which no longer matches.
  TCanvas* Canvas();
  // The platform bitmap, made from the stored form when missing (0 when empty).
  // EInvalidGraphic "Bitmap image is not valid" for a header the platform cannot take,
  // EOutOfResources "Out of system resources" when the platform refuses.
  HBITMAP Handle();
  // Takes ownership of a platform bitmap as the whole image (no stored form).
  void SetHandle(HBITMAP handle);
  bool HandleAllocated() const;
  // The image's palette (made with the handle); nullptr when it has none.
  HPALETTE Palette();
  bool Monochrome() const;
  void SetMonochrome(bool monochrome);
  bool IgnorePalette() const { return ignorePalette_; }
  void SetIgnorePalette(bool ignore);
  // Monochrome: 0x02FFFFFF; else the bottom-left pixel as a palette-relative colour.
  TColor TransparentColor();
  // Keeps the stored form (building it from the handle when missing) and gives the
  // platform bitmap, its palette and the canvas context back.
  void Dormant();
  // Reads a bitmap resource of the module as a bitmap file.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  // The image, shared with every bitmap copied from this one.
  const TBitmapImage* Image() const { return image_; }

  void PaintOn(TCanvas* canvas, const RECT& rect) override;
  bool SameImageAs(TGraphic* other) override;
  bool IsBlank() const override;
  std::int32_t Height() const override;
  std::int32_t Width() const override;
  // A 4-byte length, then a bitmap file of that length.
  void ReadStoredData(TStream& stream) override;
  // The size changes keep the picture in the top-left corner, unscaled.
  void SetHeight(std::int32_t height) override;
  void SetWidth(std::int32_t width) override;
  void WriteStoredData(TStream& stream) override;
  // The rest of the stream is a bitmap file. A file that is not valid or truncated
  // raises EInvalidGraphic "Bitmap image is not valid" and keeps the current image.
  void LoadFrom(TStream& stream) override;
  void SaveTo(TStream& stream) override;
  // Format 2 (a platform bitmap): takes a copy of data.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

 private:
  friend class TBitmapCanvas;
  void ReadFile(TStream& stream, std::int64_t length);
  void WriteFile(TStream& stream, bool withLength);
  void ReplaceImage(TBitmapImage* image);
  void FreeContext();
  void EnsureStoredForm();
  // A new image of the given size whose top-left corner holds the current picture.
  TBitmapImage* CopiedImage(std::int32_t width, std::int32_t height, bool monochrome);
  void Resize(std::int32_t width, std::int32_t height, bool monochrome);
  // Called by the canvas around each drawing operation.
  void CanvasChanging();
  void CanvasChanged();

  TBitmapImage* image_ = nullptr;
  std::unique_ptr<TBitmapCanvas> canvas_;
  bool ignorePalette_ = false;
};

// The canvas of a TBitmap: a memory context with the bitmap selected, made on need.
class TBitmapCanvas : public TCanvas {
  TD_CLASS(TBitmapCanvas, TCanvas)

 public:
  explicit TBitmapCanvas(TBitmap* bitmap);
  ~TBitmapCanvas() override;
  TBitmap* Bitmap() const { return bitmap_; }
  // The platform bitmap selected in the context; nullptr without one.
  HBITMAP SelectedBitmap() const { return selected_; }
  // Selects back what the context held and deletes it.
  void FreeContext();

 protected:
  void CreateHandle() override;
  void Changing() override;
  void Changed() override;

 private:
  TBitmap* bitmap_;
  HBITMAP selected_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
};

// An icon of one image, always of the system icon size.
class TIcon : public TGraphic {
  TD_CLASS(TIcon, TGraphic)

 public:
  TIcon();
  ~TIcon() override;

  // Another icon shares its image; nil makes this one empty.
  void CopyFrom(TPersistent* source) override;
  // The platform icon, made from the stored form when missing (0 when empty).
  HICON Handle();
  // Takes ownership of a platform icon as the whole image (no stored form).
  void SetHandle(HICON handle);
  bool HandleAllocated() const;
  const TIconImage* Image() const { return image_; }

  // Draws the icon at rect's top-left corner.
  void PaintOn(TCanvas* canvas, const RECT& rect) override;
  bool IsBlank() const override;
  std::int32_t Height() const override;
  std::int32_t Width() const override;
  // Icons keep the system size: EInvalidGraphicOperation "Cannot change the size of an
  // icon".
  void SetHeight(std::int32_t height) override;
  void SetWidth(std::int32_t width) override;
  // The rest of the stream is an icon file of one image. Anything else (more images,
  // a damaged or truncated file) raises EInvalidGraphic "Icon image is not valid" and
  // keeps the current image.
  void LoadFrom(TStream& stream) override;
  void SaveTo(TStream& stream) override;
  // EInvalidGraphicOperation "Clipboard does not support Icons".
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

 private:
  void ReplaceImage(TIconImage* image);
  void EnsureStoredForm();

  TIconImage* image_ = nullptr;
};

// The live bitmap canvases, in order of construction of their contexts.
std::span<TBitmapCanvas* const> LiveBitmapCanvases();

namespace graphics_detail {
// The process-wide monochrome mask of TCanvas::BrushCopy, at least width x height.
TBitmap& BrushCopyMask(int width, int height);
}  // namespace graphics_detail
