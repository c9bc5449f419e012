// Laying out and drawing menus in the classic style: a bar of captions that wraps onto
// more lines when the window is narrow, and pop-ups with a raised frame, a check column,
// captions with underlined mnemonics, right-aligned shortcut texts, sub-menu arrows,
// etched separators and column breaks.
#include <algorithm>

#include "gdi/objects.h"
#include "platform/kernel.h"
#include "user/menus.h"

namespace platform::user {
namespace {

constexpr int kPopupBorder = 3;      // raised edge (2) and one pixel of face
constexpr int kSeparatorHeight = 9;  // etched line in the middle
constexpr int kCheckColumn = 17;     // check mark or bullet, then the caption
constexpr int kArrowColumn = 14;     // sub-menu arrow, kept free for every item
constexpr int kShortcutGap = 12;     // least space between caption and shortcut
constexpr int kColumnBarWidth = 6;   // between columns split by MFT_MENUBARBREAK
constexpr int kBarItemSpace = 12;    // around a bar caption, half on each side

// The classic marks, one string per row ('#' is set).
constexpr const char* kCheckMark[] = {"......#", ".....##", "#...###", "##.###.",
                                      "#####..", ".###...", "..#...."};
constexpr const char* kBullet[] = {".####.", "######", "######", "######", "######", ".####."};
constexpr const char* kArrow[] = {"#...", "##..", "###.", "####", "###.", "##..", "#..."};

HDC MeasureDc() {
  static HDC dc = [] {
    HDC made = CreateCompatibleDC(nullptr);
    gdi::MakePermanent(made);
    return made;
  }();
  return dc;
}

std::string WithoutPrefixes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') out += '&';
      ++i;
      if (i < text.size() && text[i] != '&') out += text[i];
      continue;
    }
    out += text[i];
  }
  return out;
}

int TextWidth(const std::string& text, bool bold) {
  if (text.empty()) return 0;
  HDC dc = MeasureDc();
  HGDIOBJ old = SelectObject(dc, MenuFont(bold));
  std::string plain = WithoutPrefixes(text);
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, plain.c_str(), static_cast<int>(plain.size()), &size);
  SelectObject(dc, old);
  return size.cx;
}

int TextHeight() {
  static int height = [] {
    HDC dc = MeasureDc();
    HGDIOBJ old = SelectObject(dc, MenuFont(false));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    return static_cast<int>(metrics.tmHeight);
  }();
  return height;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  SIZE size = BitmapSize(bitmap);
  if (!size.cx) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

template <std::size_t N>
void DrawMark(HDC dc, const char* const (&rows)[N], int x, int y, COLORREF colour) {
  for (std::size_t row = 0; row < N; ++row)
    for (int column = 0; rows[row][column]; ++column)
      if (rows[row][column] == '#') SetPixelV(dc, x + column, y + static_cast<int>(row), colour);
}

template <std::size_t N>
void DrawMarkCentred(HDC dc, const char* const (&rows)[N], const RECT& box, COLORREF colour) {
  int width = static_cast<int>(std::char_traits<char>::length(rows[0]));
  int height = static_cast<int>(N);
  DrawMark(dc, rows, box.left + (box.right - box.left - width) / 2,
           box.top + (box.bottom - box.top - height) / 2, colour);
}

// Text in the classic states: embossed when grayed and not selected, grey on the
// highlight when grayed and selected.
void DrawItemText(HDC dc, const std::string& text, RECT r, UINT format, bool grayed,
                  bool selected) {
  if (text.empty()) return;
  int length = static_cast<int>(text.size());
  SetBkMode(dc, TRANSPARENT);
  if (grayed && !selected) {
    RECT shadow = Offset(r, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text.c_str(), length, &shadow, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  } else if (grayed) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT) == GetSysColor(COLOR_HIGHLIGHT)
                         ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                         : GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  }
  DrawTextA(dc, text.c_str(), length, &r, format);
}

void EtchedLine(HDC dc, int x0, int y0, int x1, int y1) {
  // A shadow line and a highlight line beside it (below, or to the right).
  bool horizontal = y0 == y1;
  RECT shadow = horizontal ? RECT{x0, y0, x1, y0 + 1} : RECT{x0, y0, x0 + 1, y1};
  RECT light = Offset(shadow, horizontal ? 0 : 1, horizontal ? 1 : 0);
  FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
  FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

}  // namespace

HFONT MenuFont(bool bold) {
  auto make = [](int weight) {
    HFONT font =
        CreateFontA(-11, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    gdi::MakePermanent(font);
    return font;
  };
  static HFONT normal = make(FW_NORMAL);
  static HFONT heavy = make(FW_BOLD);
  return bold ? heavy : normal;
}

std::string CaptionPart(const std::string& text) { return text.substr(0, text.find('\t')); }

std::string ShortcutPart(const std::string& text) {
  std::size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

int LayoutBar(Menu* menu, const RECT& bar) {
  int line = GetSystemMetrics(SM_CYMENU);
  int x = bar.left, y = bar.top;
  std::size_t lineStart = 0;
  auto justifyLine = [&](std::size_t end) {
    // Items from the first right-justified one on sit against the right edge.
    for (std::size_t i = lineStart; i < end; ++i) {
      if (!(menu->items[i].type & MFT_RIGHTJUSTIFY)) continue;
      int shift = bar.right - menu->items[end - 1].rect.right;
      if (shift > 0)
        for (std::size_t j = i; j < end; ++j)
          menu->items[j].rect = Offset(menu->items[j].rect, shift, 0);
      break;
    }
  };
  for (std::size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& item = menu->items[i];
    item.barBefore = -1;
    int width;
    if (item.Separator())
      width = kBarItemSpace / 2;
    else if (item.type & MFT_BITMAP)
      width = BitmapSize(item.bitmap).cx + kBarItemSpace / 2;
    else
      width = TextWidth(CaptionPart(item.text), (item.state & MFS_DEFAULT) != 0) + kBarItemSpace;
    bool breakHere = (item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK)) && i > 0;
    if (x > bar.left && (breakHere || x + width > bar.right)) {
      justifyLine(i);
      lineStart = i;
      x = bar.left;
      y += line;
    }
    item.rect = RECT{x, y, x + width, y + line - 1};
    x += width;
  }
  justifyLine(menu->items.size());
  return y - bar.top + line;
}

void LayoutPopup(Menu* menu) {
  int itemHeight = std::max(TextHeight() + 4, GetSystemMetrics(SM_CYMENUCHECK) + 4);
  int x = kPopupBorder, y = kPopupBorder, bottom = kPopupBorder;
  std::size_t columnStart = 0;
  int captionWidth = 0, shortcutWidth = 0;
  auto finishColumn = [&](std::size_t end) {
    int width = kCheckColumn + captionWidth + (shortcutWidth ? kShortcutGap + shortcutWidth : 0) +
                kArrowColumn;
    for (std::size_t i = columnStart; i < end; ++i) {
      menu->items[i].rect.left = x;
      menu->items[i].rect.right = x + width;
    }
    x += width;
    captionWidth = shortcutWidth = 0;
    columnStart = end;
  };
  for (std::size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& item = menu->items[i];
    item.barBefore = -1;
    if (i > 0 && (item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK))) {
      finishColumn(i);
      if (item.type & MFT_MENUBARBREAK) {
        item.barBefore = x + kColumnBarWidth / 2 - 1;
        x += kColumnBarWidth;
      }
      y = kPopupBorder;
    }
    int height = itemHeight;
    if (item.Separator()) {
      height = kSeparatorHeight;
    } else if (item.type & MFT_BITMAP) {
      SIZE size = BitmapSize(item.bitmap);
      height = std::max(size.cy, 1);
      captionWidth = std::max<int>(captionWidth, size.cx);
    } else {
      bool bold = (item.state & MFS_DEFAULT) != 0;
      captionWidth = std::max(captionWidth, TextWidth(CaptionPart(item.text), bold));
      shortcutWidth = std::max(shortcutWidth, TextWidth(ShortcutPart(item.text), bold));
    }
    item.rect.top = y;
    item.rect.bottom = y + height;
    y += height;
    bottom = std::max(bottom, y);
  }
  finishColumn(menu->items.size());
  menu->popupSize = SIZE{std::max(x, kPopupBorder + kCheckColumn) + kPopupBorder,
                         std::max(bottom, kPopupBorder + 2) + kPopupBorder};
}

void DrawBarItem(Menu* menu, HDC dc, int index) {
  const MenuItem& item = menu->items[static_cast<std::size_t>(index)];
  RECT r = item.rect;
  bool selected = (item.state & MFS_HILITE) != 0 && !item.Separator();
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (item.Separator()) return;
  if (item.type & MFT_BITMAP) {
    SIZE size = BitmapSize(item.bitmap);
    DrawBitmap(dc, item.bitmap, r.left + kBarItemSpace / 4,
               r.top + (r.bottom - r.top - size.cy) / 2);
    return;
  }
  HGDIOBJ old = SelectObject(dc, MenuFont((item.state & MFS_DEFAULT) != 0));
  DrawItemText(dc, CaptionPart(item.text), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, item.Grayed(),
               selected);
  SelectObject(dc, old);
}

void DrawBar(Menu* menu, HDC dc, const RECT& bar, bool windowActive) {
  (void)windowActive;
  FillRect(dc, &bar, GetSysColorBrush(COLOR_MENU));
  for (std::size_t i = 0; i < menu->items.size(); ++i) DrawBarItem(menu, dc, static_cast<int>(i));
}

void DrawPopupItem(Menu* menu, HDC dc, int index) {
  const MenuItem& item = menu->items[static_cast<std::size_t>(index)];
  RECT r = item.rect;
  if (item.Separator()) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
    int middle = r.top + (r.bottom - r.top) / 2 - 1;
    EtchedLine(dc, r.left + 1, middle, r.right - 1, middle);
    return;
  }
  bool selected = (item.state & MFS_HILITE) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  COLORREF markColour = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (item.Grayed() && !selected) markColour = GetSysColor(COLOR_BTNSHADOW);
  RECT checkBox{r.left + 2, r.top, r.left + 2 + GetSystemMetrics(SM_CXMENUCHECK), r.bottom};
  bool checked = (item.state & MFS_CHECKED) != 0;
  HBITMAP mark = checked ? item.checkedBitmap : item.uncheckedBitmap;
  if (mark) {
    SIZE size = BitmapSize(mark);
    DrawBitmap(dc, mark, checkBox.left, r.top + (r.bottom - r.top - size.cy) / 2);
  } else if (checked && (item.type & MFT_RADIOCHECK)) {
    DrawMarkCentred(dc, kBullet, checkBox, markColour);
  } else if (checked) {
    DrawMarkCentred(dc, kCheckMark, checkBox, markColour);
  }
  if (item.subMenu) {
    RECT arrowBox{r.right - kArrowColumn, r.top, r.right, r.bottom};
    DrawMarkCentred(dc, kArrow, arrowBox, markColour);
  }
  if (item.type & MFT_BITMAP) {
    SIZE size = BitmapSize(item.bitmap);
    DrawBitmap(dc, item.bitmap, r.left + kCheckColumn, r.top + (r.bottom - r.top - size.cy) / 2);
    return;
  }
  HGDIOBJ old = SelectObject(dc, MenuFont((item.state & MFS_DEFAULT) != 0));
  RECT text{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
  UINT format = DT_VCENTER | DT_SINGLELINE;
  DrawItemText(dc, CaptionPart(item.text), text, format | DT_LEFT, item.Grayed(), selected);
  DrawItemText(dc, ShortcutPart(item.text), text, format | DT_RIGHT, item.Grayed(), selected);
  SelectObject(dc, old);
}

void DrawPopup(Menu* menu, HDC dc, const RECT& client) {
  RECT frame = client;
  DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_ADJUST);
  FillRect(dc, &frame, GetSysColorBrush(COLOR_MENU));
  for (std::size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItem& item = menu->items[i];
    if (item.barBefore >= 0)
      EtchedLine(dc, item.barBefore, client.top + kPopupBorder, item.barBefore,
                 client.bottom - kPopupBorder);
    DrawPopupItem(menu, dc, static_cast<int>(i));
  }
}

}  // namespace platform::user
