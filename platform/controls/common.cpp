// The helpers every built-in control shares.
#include "controls/common.h"

#include <algorithm>

#include "gdi/objects.h"

namespace platform::controls {

void Detach(Control& control) {
  control.destroyed = true;
  if (std::shared_ptr<Extension>* slot = ControlSlot(control.window)) slot->reset();
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

HWND NotifyTarget(HWND window) { return GetParent(window); }

void NotifyCommand(HWND window, WORD code) {
  HWND target = NotifyTarget(window);
  if (!target) return;
  auto id = static_cast<WORD>(GetWindowLongA(window, GWLP_ID));
  SendMessageA(target, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
}

HBRUSH ControlColours(HWND window, HDC dc, UINT message) {
  HWND target = NotifyTarget(window);
  LRESULT brush = 0;
  if (target)
    brush = SendMessageA(target, message, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(window));
  if (!brush)
    brush = DefWindowProcA(window, message, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(window));
  return reinterpret_cast<HBRUSH>(brush);
}

HFONT FontOrSystem(HFONT font) {
  return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

FontMetrics MetricsOf(HFONT font) {
  FontMetrics metrics;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return metrics;
  HGDIOBJ old = SelectObject(dc, FontOrSystem(font));
  TEXTMETRICA tm{};
  if (GetTextMetricsA(dc, &tm)) {
    metrics.height = std::max<int>(1, tm.tmHeight);
    metrics.averageWidth = std::max<int>(1, tm.tmAveCharWidth);
    metrics.externalLeading = tm.tmExternalLeading;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return metrics;
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{0, 0};
  if (!text.empty()) GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  COLORREF old = SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FillSysColour(HDC dc, const RECT& r, int index) { FillSolid(dc, r, GetSysColor(index)); }

void FillChecker(HDC dc, const RECT& r, COLORREF even, COLORREF odd) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  static HBRUSH pattern = [] {
    // Set bits take the background colour, clear bits the text colour.
    const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(bits);
    DeleteObject(bits);
    gdi::MakePermanent(brush);  // shared by every scroll bar for the life of the process
    return brush;
  }();
  COLORREF oldText = SetTextColor(dc, even);
  COLORREF oldBack = SetBkColor(dc, odd);
  FillRect(dc, &r, pattern);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void DrawArrowGlyph(HDC dc, const RECT& r, Arrow direction, COLORREF colour) {
  int width = r.right - r.left, height = r.bottom - r.top;
  int size = std::min(width, height);
  int rows = std::max(1, (size + 4) / 4);
  bool vertical = direction == Arrow::Up || direction == Arrow::Down;
  // The tip sits on the centre line; the base is 2 x rows - 1 pixels long.
  int centreX = r.left + (width - 1) / 2, centreY = r.top + (height - 1) / 2;
  int start = (vertical ? r.top + (height - rows) / 2 : r.left + (width - rows) / 2);
  for (int i = 0; i < rows; ++i) {
    int reach = (direction == Arrow::Up || direction == Arrow::Left) ? i : rows - 1 - i;
    RECT line = vertical ? RECT{centreX - reach, start + i, centreX + reach + 1, start + i + 1}
                         : RECT{start + i, centreY - reach, start + i + 1, centreY + reach + 1};
    FillSolid(dc, line, colour);
  }
}

void DrawDisabledText(HDC dc, const std::string& text, RECT r, UINT format) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  RECT shifted{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &shifted, format);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

}  // namespace platform::controls
