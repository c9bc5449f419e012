// The glyph machinery of buttons: image lists with reusable slots, the program's cache
// of them, and the glyph holder that builds the image of each button state.
#include "controls/speedbutton.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kOutOfResources = 61474;
constexpr int kUnableToReplaceImage = 61480;
// Paints the destination's brush where the monochrome source is set (white) and leaves
// the destination where it is clear, with text colour black and background white.
constexpr DWORD kBrushWhereMaskSet = 0x00E20746;
constexpr COLORREF kNoColor = 0x1FFFFFFF;

TGlyphCache* glyphCache = nullptr;

// A monochrome bitmap selected into a memory context of its own for the length of one
// image build.
class TMask {
 public:
  TMask(int width, int height)
      : bitmap_(CreateBitmap(width, height, 1, 1, nullptr)), dc_(CreateCompatibleDC(nullptr)) {
    if (bitmap_ == nullptr || dc_ == nullptr) {
      Free();
      throw EOutOfResources(LoadStr(kOutOfResources));
    }
    old_ = SelectObject(dc_, bitmap_);
  }
  ~TMask() { Free(); }
  TMask(const TMask&) = delete;
  TMask& operator=(const TMask&) = delete;
  HDC Dc() const { return dc_; }

 private:
  void Free() {
    if (dc_ != nullptr) {
      if (old_ != nullptr) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// Sets the mask where the source pixels have colour (a colour-to-monochrome copy: the
// source's background colour becomes a set bit).
void TakeMask(TMask& mask, HDC source, const RECT& area, COLORREF color) {
  COLORREF saved = SetBkColor(source, color);
  BitBlt(mask.Dc(), 0, 0, area.right - area.left, area.bottom - area.top, source, area.left,
         area.top, SRCCOPY);
  SetBkColor(source, saved);
}

// Paints color into target (at x, y) wherever the mask is set.
void PaintThroughMask(HDC target, int x, int y, int width, int height, TMask& mask,
                      COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(target, brush);
  COLORREF oldText = SetTextColor(target, 0x000000);
  COLORREF oldBack = SetBkColor(target, 0xFFFFFF);
  BitBlt(target, x, y, width, height, mask.Dc(), 0, 0, kBrushWhereMaskSet);
  SetBkColor(target, oldBack);
  SetTextColor(target, oldText);
  SelectObject(target, oldBrush);
  DeleteObject(brush);
}

RECT MovedBy(const RECT& rect, int dx, int dy) {
  return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

// The context a bitmap's canvas draws on, without marking the bitmap changed.
HDC ContextOf(TBitmap* bitmap) {
  bitmap->Canvas()->RequiredState({csHandleValid});
  return bitmap->Canvas()->CurrentHandle();
}

// A platform bitmap may sit in one context at a time: the image list gets it free.
HBITMAP FreedHandle(TBitmap* bitmap) {
  if (bitmap == nullptr) return nullptr;
  if (auto* canvas = dynamic_cast<TBitmapCanvas*>(bitmap->Canvas()); canvas != nullptr)
    canvas->FreeContext();
  return bitmap->Handle();
}

}  // namespace

// Image lists.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TImageList)

TImageList::TImageList(int width, int height, int initial, int grow)
    : width_(width), height_(height) {
  handle_ = ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, initial, grow);
  if (handle_ == nullptr) throw EOutOfResources(LoadStr(kOutOfResources));
}

TImageList::~TImageList() { ImageList_Destroy(handle_); }

int TImageList::Count() const { return ImageList_GetImageCount(handle_); }

int TImageList::AddEmpty() {
  int index = ImageList_Add(handle_, nullptr, nullptr);
  if (index < 0) throw EOutOfResources(LoadStr(kOutOfResources));
  return index;
}

void TImageList::Replace(int index, HBITMAP image, HBITMAP mask) {
  if (!ImageList_Replace(handle_, index, image, mask))
    throw EInvalidOperation(LoadStr(kUnableToReplaceImage));
}

void TImageList::Draw(HDC dc, int index, int x, int y, COLORREF background, COLORREF foreground,
                      UINT style) const {
  ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, background, foreground, style);
}

// Glyph lists.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TGlyphList)

TGlyphList::TGlyphList(int width, int height) : TImageList(width, height, 4, 4) {}

int TGlyphList::AllocateSlot() {
  int slot = used_.FirstClear();
  if (slot >= used_.Size()) {
    slot = AddEmpty();
    used_.SetSize(slot + 1);
  }
  used_.SetBits(slot, true);
  return slot;
}

int TGlyphList::AddImage(TBitmap* image, TBitmap* mask) {
  int slot = AllocateSlot();
  try {
    Replace(slot, FreedHandle(image), FreedHandle(mask));
  } catch (...) {
    used_.SetBits(slot, false);
    throw;
  }
  ++usedCount_;
  return slot;
}

int TGlyphList::AddMaskedImage(TBitmap* image, TColor color) {
  int slot = AllocateSlot();
  try {
    TBitmap mask;
    mask.SetMonochrome(true);
    mask.SetWidth(Width());
    mask.SetHeight(Height());
    HDC maskDc = ContextOf(&mask);
    HDC imageDc = ContextOf(image);
    COLORREF saved = SetBkColor(imageDc, ColorToRGB(color));
    BitBlt(maskDc, 0, 0, Width(), Height(), imageDc, 0, 0, SRCCOPY);
    SetBkColor(imageDc, saved);
    Replace(slot, FreedHandle(image), FreedHandle(&mask));
  } catch (...) {
    used_.SetBits(slot, false);
    throw;
  }
  ++usedCount_;
  return slot;
}

void TGlyphList::FreeSlot(int index) {
  if (index < 0 || index >= used_.Size() || !used_.Bits(index)) return;
  --usedCount_;
  used_.SetBits(index, false);
}

// The cache.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TGlyphCache)

TGlyphCache::~TGlyphCache() {
  for (TGlyphList* list : lists_) delete list;
}

TGlyphList* TGlyphCache::ListFor(int width, int height) {
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height) return *it;
  auto list = std::make_unique<TGlyphList>(width, height);
  lists_.push_back(list.get());
  return list.release();
}

void TGlyphCache::GiveBack(TGlyphList* list) {
  if (list == nullptr || list->UsedCount() != 0) return;
  std::erase(lists_, list);
  delete list;
}

TGlyphCache* GlyphCache() { return glyphCache; }

// The glyph holder.

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TButtonGlyph)

TButtonGlyph::TButtonGlyph() : original_(std::make_unique<TBitmap>()) {
  original_->OnChange = TNotifyEvent(this, &TButtonGlyph::GlyphChanged);
  if (glyphCache == nullptr) glyphCache = new TGlyphCache;
}

TButtonGlyph::~TButtonGlyph() {
  original_->OnChange = nullptr;
  ReleaseImages();
  if (glyphCache != nullptr && glyphCache->Empty()) {
    delete glyphCache;
    glyphCache = nullptr;
  }
}

void TButtonGlyph::SetGlyph(TBitmap* bitmap) {
  ReleaseImages();
  original_->CopyFrom(bitmap);
  if (bitmap != nullptr && bitmap->Height() > 0) {
    transparentColor_ = bitmap->TransparentColor();
    if (bitmap->Width() % bitmap->Height() == 0) {
      int count = bitmap->Width() / bitmap->Height();
      SetNumGlyphs(static_cast<TNumGlyphs>(count > 4 ? 1 : count));
    }
  }
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs value) {
  if (value == numGlyphs_ || value == 0) return;
  ReleaseImages();
  numGlyphs_ = value;
}

void TButtonGlyph::GlyphChanged(TObject* sender) {
  if (sender != original_.get()) return;
  transparentColor_ = original_->TransparentColor();
  ReleaseImages();
  OnChange(this);
}

void TButtonGlyph::ReleaseImages() {
  for (int& index : indexes_) {
    if (index != -1 && list_ != nullptr) list_->FreeSlot(index);
    index = -1;
  }
  if (list_ != nullptr && glyphCache != nullptr) glyphCache->GiveBack(list_);
  list_ = nullptr;
}

int TButtonGlyph::PrepareStateImage(TButtonState state) {
  if (state == bsDown && numGlyphs_ < 3) state = bsUp;
  if (indexes_[state] != -1) return indexes_[state];
  TBitmap* source = original_.get();
  const int width = source->Width() / numGlyphs_;
  const int height = source->Height();
  // A bitmap narrower than its image count has no image to show.
  if (width == 0 || height == 0) return -1;
  if (list_ == nullptr) {
    if (glyphCache == nullptr) glyphCache = new TGlyphCache;
    list_ = glyphCache->ListFor(width, height);
  }

  TBitmap work;
  work.SetWidth(width);
  work.SetHeight(height);
  work.Canvas()->Brush()->SetColor(clBtnFace);
  const int imageNumber = state < numGlyphs_ ? state : 0;
  const RECT sourceRect{imageNumber * width, 0, (imageNumber + 1) * width, height};
  const RECT target{0, 0, width, height};
  int index = -1;
  switch (state) {
    case bsUp:
    case bsDown:
      work.Canvas()->BrushCopy(target, source, sourceRect, transparentColor_);
      index = list_->AddImage(&work, nullptr);
      break;
    case bsExclusive:
      work.Canvas()->CopyRect(target, source->Canvas(), sourceRect);
      index = list_->AddMaskedImage(&work, transparentColor_);
      break;
    case bsDisabled:
      BuildDisabledImage(&work, sourceRect, width, height);
      index = list_->AddImage(&work, nullptr);
      break;
  }
  indexes_[state] = index;
  source->Dormant();
  return index;
}

void TButtonGlyph::BuildDisabledImage(TBitmap* work, const RECT& source, int width, int height) {
  TCanvas* canvas = work->Canvas();
  TBitmap* glyph = original_.get();
  TMask mask(width, height);
  if (numGlyphs_ > 1) {
    // The bitmap has a disabled image: its white, grey and transparent pixels take the
    // highlight, shadow and face colours (later masks win where they overlap).
    canvas->CopyRect(RECT{0, 0, width, height}, glyph->Canvas(), source);
    HDC target = ContextOf(work);
    HDC from = ContextOf(glyph);
    TakeMask(mask, from, source, 0xFFFFFF);
    PaintThroughMask(target, 0, 0, width, height, mask, ColorToRGB(clBtnHighlight));
    TakeMask(mask, from, source, 0x808080);
    PaintThroughMask(target, 0, 0, width, height, mask, ColorToRGB(clBtnShadow));
    TakeMask(mask, from, source, ColorToRGB(transparentColor_) & 0xFFFFFF);
    PaintThroughMask(target, 0, 0, width, height, mask, ColorToRGB(clBtnFace));
    return;
  }
  // Made from the normal image: its black pixels in shadow with a highlight edge below
  // and to the right, everything else button face.
  if (glyph->Monochrome()) {
    TBitmap colored;
    colored.SetWidth(width);
    colored.SetHeight(height);
    HDC coloredDc = ContextOf(&colored);
    COLORREF oldText = SetTextColor(coloredDc, 0xFFFFFF);
    COLORREF oldBack = SetBkColor(coloredDc, 0x000000);
    BitBlt(coloredDc, 0, 0, width, height, ContextOf(glyph), source.left, source.top, SRCCOPY);
    SetBkColor(coloredDc, oldBack);
    SetTextColor(coloredDc, oldText);
    TakeMask(mask, coloredDc, RECT{0, 0, width, height}, 0xFFFFFF);
  } else {
    TakeMask(mask, ContextOf(glyph), source, 0x000000);
  }
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(RECT{0, 0, width, height});
  HDC target = ContextOf(work);
  PaintThroughMask(target, 1, 1, width, height, mask, ColorToRGB(clBtnHighlight));
  PaintThroughMask(target, 0, 0, width, height, mask, ColorToRGB(clBtnShadow));
}

// Layout and painting.

void TButtonGlyph::ComputeLayout(TCanvas* canvas, const RECT& client, const std::string& caption,
                                 TButtonLayout layout, int margin, int spacing, POINT& glyphPos,
                                 RECT& textBounds) {
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  const int glyphWidth = original_->Width() / numGlyphs_;
  const int glyphHeight = original_->Height();
  textBounds = RECT{0, 0, 0, 0};
  if (!caption.empty()) {
    textBounds = RECT{0, 0, clientWidth, 0};
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &textBounds, DT_CALCRECT);
  }
  const int textWidth = textBounds.right - textBounds.left;
  const int textHeight = textBounds.bottom - textBounds.top;
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

  POINT textPos{0, 0};
  glyphPos = POINT{0, 0};
  if (horizontal) {
    glyphPos.y = (clientHeight - glyphHeight + 1) / 2;
    textPos.y = (clientHeight - textHeight + 1) / 2;
  } else {
    glyphPos.x = (clientWidth - glyphWidth + 1) / 2;
    textPos.x = (clientWidth - textWidth + 1) / 2;
  }
  if (textWidth == 0 || glyphWidth == 0) spacing = 0;

  const int total = horizontal ? clientWidth : clientHeight;
  const int glyphSize = horizontal ? glyphWidth : glyphHeight;
  const int textSize = horizontal ? textWidth : textHeight;
  if (margin == -1 && spacing == -1) {
    margin = (total - (glyphSize + textSize)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (total - (glyphSize + spacing + textSize) + 1) / 2;
  } else if (spacing == -1) {
    spacing = ((total - (margin + glyphSize)) - textSize) / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyphPos.x = margin;
      textPos.x = glyphPos.x + glyphWidth + spacing;
      break;
    case blGlyphRight:
      glyphPos.x = clientWidth - margin - glyphWidth;
      textPos.x = glyphPos.x - spacing - textWidth;
      break;
    case blGlyphTop:
      glyphPos.y = margin;
      textPos.y = glyphPos.y + glyphHeight + spacing;
      break;
    case blGlyphBottom:
      glyphPos.y = clientHeight - margin - glyphHeight;
      textPos.y = glyphPos.y - spacing - textHeight;
      break;
  }
  glyphPos.x += client.left;
  glyphPos.y += client.top;
  textBounds = MovedBy(textBounds, textPos.x + client.left, textPos.y + client.top);
}

void TButtonGlyph::PaintGlyph(TCanvas* canvas, POINT position, TButtonState state) {
  if (original_->Width() == 0 || original_->Height() == 0) return;
  int index = PrepareStateImage(state);
  if (index < 0) return;
  if (state == bsExclusive)
    list_->Draw(canvas->Handle(), index, position.x, position.y, kNoColor, kNoColor,
                ILD_TRANSPARENT);
  else
    list_->Draw(canvas->Handle(), index, position.x, position.y, ColorToRGB(clBtnFace), kNoColor,
                ILD_NORMAL);
}

void TButtonGlyph::PaintCaption(TCanvas* canvas, const std::string& caption, RECT bounds,
                                TButtonState state) {
  canvas->Brush()->SetStyle(bsClear);
  if (state == bsDisabled) {
    RECT shifted = MovedBy(bounds, 1, 1);
    canvas->Font()->SetColor(clWhite);
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &shifted, 0);
    canvas->Font()->SetColor(clGray);
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &bounds, 0);
  } else {
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &bounds,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

RECT TButtonGlyph::PaintContent(TCanvas* canvas, const RECT& client, const std::string& caption,
                                TButtonLayout layout, int margin, int spacing, TButtonState state) {
  POINT glyphPos;
  RECT textBounds;
  ComputeLayout(canvas, client, caption, layout, margin, spacing, glyphPos, textBounds);
  PaintGlyph(canvas, glyphPos, state);
  PaintCaption(canvas, caption, textBounds, state);
  return textBounds;
}
