// Helpers shared by the browsing controls.
#include "filectrl/browsing_internal.h"
#include "platform/win32.h"
#include "runtime/directory.h"
#include "runtime/exceptions.h"

namespace filectrl_detail {
namespace {

// A screen context with the font selected, for measuring; released with the object.
class ScreenMeasure {
 public:
  explicit ScreenMeasure(TFont* font) : dc_(GetDC(nullptr)) {
    if (dc_ != nullptr) old_ = SelectObject(dc_, font->Handle());
  }
  ~ScreenMeasure() {
    if (dc_ == nullptr) return;
    SelectObject(dc_, old_);
    ReleaseDC(nullptr, dc_);
  }
  ScreenMeasure(const ScreenMeasure&) = delete;
  ScreenMeasure& operator=(const ScreenMeasure&) = delete;
  HDC Context() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

int ScreenFontHeight(TFont* font) {
  ScreenMeasure measure(font);
  TEXTMETRICA metrics{};
  if (measure.Context() == nullptr || !GetTextMetricsA(measure.Context(), &metrics)) return 0;
  return metrics.tmHeight;
}

int ScreenTextWidth(TFont* font, const std::string& text) {
  ScreenMeasure measure(font);
  SIZE size{};
  if (measure.Context() == nullptr ||
      !GetTextExtentPoint32A(measure.Context(), text.data(), static_cast<int>(text.size()), &size))
    return 0;
  return size.cx;
}

void DrawGlyph(TCanvas* canvas, TBitmap* glyph, int left, const RECT& rect) {
  const int width = glyph->Width();
  const int height = glyph->Height();
  const int top = (rect.top + rect.bottom - height) / 2;
  canvas->BrushCopy(RECT{left, top, left + width, top + height}, glyph, RECT{0, 0, width, height},
                    glyph->TransparentColor());
}

std::size_t FindByte(std::string_view text, char ch, std::size_t from) {
  return text.find(ch, from);
}

std::size_t LastDelimiter(std::string_view text) { return text.find_last_of("\\:"); }

std::string ChangeDirectoryFrom(const std::string& base, const std::string& value) {
  try {
    ChangeDirectory(base);
  } catch (const EInOutError&) {
  }
  ChangeDirectory(value);
  return CurrentDirectory();
}

}  // namespace filectrl_detail
