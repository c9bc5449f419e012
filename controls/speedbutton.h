// The speed button: a windowless push button with a picture (the glyph) and a caption,
// painted on its parent's window, that works alone or as one of a group of which at most
// one stays down. Its glyph machinery serves any control that draws button glyphs:
// TButtonGlyph holds one glyph bitmap and builds the image of each button state from it
// on first need; the images live in image lists shared by every glyph of the same size
// (TGlyphList, one per size, kept by the program-wide TGlyphCache).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classes/lists.h"
#include "controls/forward.h"
#include "forms/control.h"
#include "graphics/bitmap.h"

// The look of a button, in this order: the image index of each is kept per glyph.
enum TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };
TD_ENUM_TYPE(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive");
// Where the glyph stands relative to the caption.
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
TD_ENUM_TYPE(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom");
// How many images stand side by side in a glyph bitmap (1 to 4): up, disabled, down,
// exclusive (the look of a grouped button that is down).
using TNumGlyphs = std::uint8_t;

// A platform image list of one image size, masked; the framework's handle on it.
class TImageList : public TObject {
  TD_CLASS(TImageList, TObject)

 public:
  // EOutOfResources "Out of system resources" when the platform refuses.
  TImageList(int width, int height, int initial, int grow);
  ~TImageList() override;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  HIMAGELIST Handle() const { return handle_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;
  // Appends an empty image; its index.
  int AddEmpty();
  // Puts image (and mask, 1 = transparent; none: opaque) into slot index. EInvalidOperation
  // "Unable to Replace Image" when the platform refuses.
  void Replace(int index, HBITMAP image, HBITMAP mask);
  // Draws image index at (x, y) of dc in its natural size.
  void Draw(HDC dc, int index, int x, int y, COLORREF background, COLORREF foreground,
            UINT style) const;

 private:
  HIMAGELIST handle_ = nullptr;
  int width_;
  int height_;
};

// An image list whose slots are handed out and taken back; slots are never removed from
// the platform list, a freed one is given out again (lowest first).
class TGlyphList : public TImageList {
  TD_CLASS(TGlyphList, TImageList)

 public:
  TGlyphList(int width, int height);
  // The lowest free slot, appended to the platform list when there is none, marked used.
  int AllocateSlot();
  // A new slot holding image with mask (none: opaque).
  int AddImage(TBitmap* image, TBitmap* mask);
  // A new slot holding image, transparent where it has colour.
  int AddMaskedImage(TBitmap* image, TColor color);
  // Marks slot index free (nothing when it is not used).
  void FreeSlot(int index);
  // Slots in use.
  int UsedCount() const { return usedCount_; }

 private:
  TBits used_;
  int usedCount_ = 0;
};

// The program's glyph lists, one per image size, shared by every glyph holder.
class TGlyphCache : public TObject {
  TD_CLASS(TGlyphCache, TObject)

 public:
  TGlyphCache() = default;
  ~TGlyphCache() override;
  // The list of images of width x height, made when there is none.
  TGlyphList* ListFor(int width, int height);
  // Frees list when none of its slots is used any more.
  void GiveBack(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<TGlyphList*> lists_;
};

// The cache while any glyph has images or a holder exists; nullptr otherwise.
TGlyphCache* GlyphCache();

// One glyph: the bitmap as assigned, how many images it holds, and the image of each
// button state, built on first need. Bitmaps with no disabled image get one made from
// the normal image (an embossed outline of its black pixels). The colour of the bottom-
// left pixel is transparent.
class TButtonGlyph : public TObject {
  TD_CLASS(TButtonGlyph, TObject)

 public:
  TButtonGlyph();
  ~TButtonGlyph() override;
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The source bitmap itself: changes made to it in place reach the holder.
  TBitmap* Glyph() const { return original_.get(); }
  // Copies bitmap in; a bitmap whose width is 1 to 4 times its height sets NumGlyphs (a
  // larger multiple gives 1, a width that is no multiple keeps NumGlyphs).
  void SetGlyph(TBitmap* bitmap);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  // 0 is ignored.
  void SetNumGlyphs(TNumGlyphs value);
  TColor TransparentColor() const { return transparentColor_; }

  // The slot of state's image in List(), built when missing; -1 for an empty glyph.
  int PrepareStateImage(TButtonState state);
  // Frees every state image and gives the list back.
  void ReleaseImages();
  TGlyphList* List() const { return list_; }
  int ImageIndex(TButtonState state) const { return indexes_[state]; }

  // Lays out, then draws glyph and caption inside client; the caption's rectangle.
  RECT PaintContent(TCanvas* canvas, const RECT& client, const std::string& caption,
                    TButtonLayout layout, int margin, int spacing, TButtonState state);
  // The glyph's position and the caption's rectangle for client (all in canvas units).
  void ComputeLayout(TCanvas* canvas, const RECT& client, const std::string& caption,
                     TButtonLayout layout, int margin, int spacing, POINT& glyphPos,
                     RECT& textBounds);
  void PaintGlyph(TCanvas* canvas, POINT position, TButtonState state);
  void PaintCaption(TCanvas* canvas, const std::string& caption, RECT bounds, TButtonState state);

  TNotifyEvent OnChange;

 private:
  void GlyphChanged(TObject* sender);
  void BuildDisabledImage(TBitmap* work, const RECT& source, int width, int height);

  std::unique_ptr<TBitmap> original_;
  TGlyphList* list_ = nullptr;
  int indexes_[4] = {-1, -1, -1, -1};
  TColor transparentColor_ = clOlive;
  TNumGlyphs numGlyphs_ = 1;
};

class TSpeedButton : public TGraphicControl {
  TD_CLASS(TSpeedButton, TGraphicControl)

 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  std::int32_t GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(std::int32_t value);
  bool Down() const { return down_; }
  // Ignored without a group, and (for false) on a down button of a group that does not
  // allow all up.
  void SetDown(bool value);
  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  // Pixels from the edge to the glyph; -1 centres. Values below -1 are ignored.
  std::int32_t Margin() const { return margin_; }
  void SetMargin(std::int32_t value);
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  // Above 4 means 4.
  void SetNumGlyphs(TNumGlyphs value);
  // Pixels between glyph and caption; -1 computes it.
  std::int32_t Spacing() const { return spacing_; }
  void SetSpacing(std::int32_t value);

  TButtonState State() const { return state_; }
  // The left button went down on the button and has not been released yet.
  bool Pressing() const { return pressing_; }
  TButtonGlyph* GlyphHolder() const { return glyph_.get(); }

  void AfterLoad() override;
  void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void HandleMouseMove(TShiftState shift, int x, int y) override;
  void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  // Live speed buttons, and whether the shared dither pattern of down grouped buttons
  // exists (for tests).
  static int LiveCount();
  static bool HasDitherPattern();

 protected:
  void PaintSelf() override;
  // Draws the classic frame in rect, sunken or raised; the rectangle inside it.
  RECT PaintButtonFrame(RECT rect, bool sunken);

 private:
  void UpdateExclusive();
  void PrepareLook();
  void GlyphChanged(TObject* sender);
  void WMLButtonDblClk(TMessage& message);
  void FMEnabledChanged(TMessage& message);
  void FMButtonPressed(TMessage& message);
  void FMDialogChar(TMessage& message);
  void FMRepaintLater(TMessage& message);
  void FMSysColorChange(TMessage& message);

  std::int32_t groupIndex_ = 0;
  std::unique_ptr<TButtonGlyph> glyph_;
  bool down_ = false;
  bool pressing_ = false;
  bool allowAllUp_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  std::int32_t spacing_ = 4;
  std::int32_t margin_ = -1;
  TButtonState state_ = bsUp;
};
