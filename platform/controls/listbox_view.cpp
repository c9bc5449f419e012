// The view of a list box: where each entry lies, which entries show, scrolling and the
// scroll bars, and the painting of standard and owner-drawn entries.
#include <algorithm>

#include "controls/listbox.h"

namespace platform::controls {
namespace {

int ClientHeight(const ListBox& list) { return ClientRectOf(list.window).bottom; }
int ClientWidth(const ListBox& list) { return ClientRectOf(list.window).right; }

int ColumnWidth(const ListBox& list) {
  if (list.columnWidth > 0) return list.columnWidth;
  return 15 * list.metrics.averageWidth;
}

// The window that answers this list's colour and owner-draw requests.
HWND Owner(const ListBox& list) { return list.combo ? list.combo : NotifyTarget(list.window); }

HBRUSH Colours(const ListBox& list, HDC dc) {
  HWND owner = Owner(list);
  LRESULT brush = 0;
  if (owner)
    brush = SendMessageA(owner, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(list.window));
  if (!brush)
    brush = DefWindowProcA(list.window, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(list.window));
  return reinterpret_cast<HBRUSH>(brush);
}

bool ShowsFocus(const ListBox& list) { return list.focused || list.popup; }

UINT StateOf(const ListBox& list, int index) {
  UINT state = 0;
  if (list.Valid(index) && list.IsSelected(index)) state |= ODS_SELECTED;
  if (index == list.caret && ShowsFocus(list)) state |= ODS_FOCUS;
  if (!IsWindowEnabled(list.window)) state |= ODS_DISABLED;
  return state;
}

// Text with tab stops: each tab moves to the next stop after the text drawn so far.
void DrawTabbedText(const ListBox& list, HDC dc, const std::string& text, int x, int y,
                    const RECT& clip) {
  if (!(list.style & LBS_USETABSTOPS) || text.find('\t') == std::string::npos) {
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text.data(), static_cast<UINT>(text.size()), nullptr);
    return;
  }
  int unit = list.metrics.averageWidth;  // pixels per four dialog units
  auto stopAfter = [&](int offset) {
    int previous = 0;
    for (int stop : list.tabStops) {
      int pixels = stop * unit / 4;
      if (pixels > offset) return pixels;
      previous = pixels;
    }
    int every = list.tabStops.size() == 1 ? list.tabStops[0] * unit / 4
                : list.tabStops.empty()   ? 8 * unit
                                          : 0;
    if (every <= 0) return offset + unit;  // past the last stop: one character on
    int next = std::max(previous, 0);
    while (next <= offset) next += every;
    return next;
  };
  int offset = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t tab = text.find('\t', start);
    std::size_t end = tab == std::string::npos ? text.size() : tab;
    std::string piece = text.substr(start, end - start);
    ExtTextOutA(dc, x + offset, y, ETO_CLIPPED, &clip, piece.data(),
                static_cast<UINT>(piece.size()), nullptr);
    offset += TextWidth(dc, piece);
    if (tab == std::string::npos) break;
    offset = stopAfter(offset);
    start = tab + 1;
  }
}

void DrawStandardItem(const ListBox& list, HDC dc, int index, const RECT& r, HBRUSH brush,
                      COLORREF textColour) {
  const ListItem& item = list.items[static_cast<std::size_t>(index)];
  bool selected = list.IsSelected(index);
  if (selected) {
    FillSysColour(dc, r, COLOR_HIGHLIGHT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    FillRect(dc, &r, brush);
    SetTextColor(dc, IsWindowEnabled(list.window) ? textColour : GetSysColor(COLOR_GRAYTEXT));
  }
  DrawTabbedText(list, dc, item.text, r.left + 1, r.top, r);
  if (index == list.caret && ShowsFocus(list)) DrawFocusRect(dc, &r);
}

void SendDrawItem(const ListBox& list, HDC dc, int index, UINT action, const RECT& r) {
  HWND owner = Owner(list);
  if (!owner) return;
  DRAWITEMSTRUCT draw{ODT_LISTBOX,
                      static_cast<UINT>(GetWindowLongA(list.window, GWLP_ID)),
                      static_cast<UINT>(index),
                      action,
                      StateOf(list, index),
                      list.window,
                      dc,
                      r,
                      list.Valid(index) ? list.items[static_cast<std::size_t>(index)].data : 0};
  // The owner draws inside the entry only.
  int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  SendMessageA(owner, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
  RestoreDC(dc, saved);
}

// The rectangle of the empty list's focus: where the first entry would be.
RECT FirstSlot(const ListBox& list) {
  return RECT{0, 0, std::max(ClientWidth(list), 1), list.itemHeight};
}

}  // namespace

int HeightOf(const ListBox& list, int index) {
  if (list.Variable() && list.Valid(index))
    return list.items[static_cast<std::size_t>(index)].height;
  return list.itemHeight;
}

int RowsPerColumn(const ListBox& list) {
  return std::max(1, ClientHeight(list) / std::max(1, list.itemHeight));
}

int PageSize(const ListBox& list) {
  int height = ClientHeight(list);
  if (list.MultiColumn())
    return RowsPerColumn(list) * std::max(1, ClientWidth(list) / std::max(1, ColumnWidth(list)));
  if (!list.Variable()) return std::max(1, height / std::max(1, list.itemHeight));
  int used = 0, count = 0;
  for (int i = list.top; i < list.Count(); ++i) {
    used += HeightOf(list, i);
    if (used > height) break;
    ++count;
  }
  return std::max(1, count);
}

int LastTop(const ListBox& list) {
  int count = list.Count();
  if (count == 0) return 0;
  if (list.MultiColumn()) {
    int rows = RowsPerColumn(list);
    int columns = (count + rows - 1) / rows;
    int visible = std::max(1, ClientWidth(list) / std::max(1, ColumnWidth(list)));
    return std::max(0, columns - visible) * rows;
  }
  if (!list.Variable())
    return std::max(0, count - std::max(1, ClientHeight(list) / list.itemHeight));
  int height = ClientHeight(list), used = 0, top = count;
  while (top > 0 && used + HeightOf(list, top - 1) <= height) used += HeightOf(list, --top);
  return std::min(top, count - 1);
}

RECT ItemRect(const ListBox& list, int index) {
  int width = std::max(ClientWidth(list), list.horizontalExtent);
  if (list.MultiColumn()) {
    int rows = RowsPerColumn(list), column = ColumnWidth(list);
    int x = (index / rows - list.top / rows) * column;
    int y = (index % rows) * list.itemHeight;
    return RECT{x, y, x + column, y + list.itemHeight};
  }
  int y = 0;
  if (!list.Variable()) {
    y = (index - list.top) * list.itemHeight;
  } else if (index >= list.top) {
    for (int i = list.top; i < index; ++i) y += HeightOf(list, i);
  } else {
    for (int i = index; i < list.top; ++i) y -= HeightOf(list, i);
  }
  return RECT{-list.horizontalOffset, y, width - list.horizontalOffset, y + HeightOf(list, index)};
}

int ItemAt(const ListBox& list, POINT p, bool* outside) {
  RECT client = ClientRectOf(list.window);
  bool out = !Inside(client, p);
  int count = list.Count();
  int index;
  if (list.MultiColumn()) {
    int rows = RowsPerColumn(list), column = std::max(1, ColumnWidth(list));
    int row = std::clamp(p.y / std::max(1, list.itemHeight), 0, rows - 1);
    if (p.y < 0 || p.y >= rows * list.itemHeight) out = true;
    int col = p.x < 0 ? -1 : p.x / column;
    index = list.top + std::max(col, 0) * rows + row;
  } else if (!list.Variable()) {
    int offset =
        p.y < 0 ? -((-p.y + list.itemHeight - 1) / list.itemHeight) : p.y / list.itemHeight;
    index = list.top + offset;
  } else {
    index = list.top;
    int y = 0;
    if (p.y < 0) {
      while (index > 0 && y > p.y) y -= HeightOf(list, --index);
    } else {
      while (index < count && y + HeightOf(list, index) <= p.y) y += HeightOf(list, index++);
    }
  }
  if (index >= count) out = true;
  if (outside) *outside = out;
  return count == 0 ? 0 : std::clamp(index, 0, count - 1);
}

void SetTop(ListBox& list, int top) {
  top = std::clamp(top, 0, LastTop(list));
  if (list.MultiColumn()) top -= top % RowsPerColumn(list);
  if (top == list.top) return;
  list.top = top;
  UpdateScrollBars(list);
  RedrawAll(list);
}

void MakeVisible(ListBox& list, int index, bool fully) {
  if (!list.Valid(index)) return;
  if (index < list.top) {
    SetTop(list, index);
    return;
  }
  RECT r = ItemRect(list, index);
  RECT client = ClientRectOf(list.window);
  if (list.MultiColumn()) {
    if (r.right <= client.right || (!fully && r.left < client.right)) return;
    int rows = RowsPerColumn(list);
    int visible = std::max(1, client.right / std::max(1, ColumnWidth(list)));
    SetTop(list, (index / rows - visible + 1) * rows);
    return;
  }
  if (r.bottom <= client.bottom || (!fully && r.top < client.bottom)) return;
  // The entry becomes the last one that shows whole.
  int top = index, used = HeightOf(list, index);
  while (top > 0 && used + HeightOf(list, top - 1) <= client.bottom) used += HeightOf(list, --top);
  SetTop(list, top);
}

void UpdateScrollBars(ListBox& list) {
  if (list.updatingBars || !list.redraw || !IsWindow(list.window)) return;
  list.updatingBars = true;
  // Showing or hiding a bar changes the client area and so the page; go round once more.
  for (int round = 0; round < 3; ++round) {
    RECT before = ClientRectOf(list.window);
    if (list.MultiColumn()) {
      if (list.hasHorizontalBar) {
        int rows = RowsPerColumn(list);
        int columns = (list.Count() + rows - 1) / rows;
        int visible = std::max(1, before.right / std::max(1, ColumnWidth(list)));
        SCROLLINFO info{sizeof info,
                        SIF_RANGE | SIF_PAGE | SIF_POS,
                        0,
                        std::max(columns - 1, 0),
                        static_cast<UINT>(visible),
                        list.top / rows,
                        0};
        if (list.style & LBS_DISABLENOSCROLL) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(list.window, SB_HORZ, &info, FALSE);
      }
    } else {
      if (list.hasVerticalBar) {
        SCROLLINFO info{sizeof info,
                        SIF_RANGE | SIF_PAGE | SIF_POS,
                        0,
                        list.Count() - 1,
                        static_cast<UINT>(PageSize(list)),
                        list.top,
                        0};
        if (list.style & LBS_DISABLENOSCROLL) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(list.window, SB_VERT, &info, FALSE);
      }
      if (list.hasHorizontalBar) {
        int width = before.right;
        list.horizontalOffset =
            std::clamp(list.horizontalOffset, 0, std::max(0, list.horizontalExtent - width));
        SCROLLINFO info{sizeof info,
                        SIF_RANGE | SIF_PAGE | SIF_POS,
                        0,
                        std::max(list.horizontalExtent - 1, 0),
                        static_cast<UINT>(width),
                        list.horizontalOffset,
                        0};
        if (list.style & LBS_DISABLENOSCROLL) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(list.window, SB_HORZ, &info, FALSE);
      }
    }
    RECT after = ClientRectOf(list.window);
    if (after.right == before.right && after.bottom == before.bottom) break;
  }
  list.top = std::clamp(list.top, 0, LastTop(list));
  // The bars are painted with the frame at the next paint, not once per change.
  RECT none{0, 0, 0, 0};
  if (list.hasVerticalBar || list.hasHorizontalBar)
    RedrawWindow(list.window, &none, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  list.updatingBars = false;
}

void RedrawAll(ListBox& list) {
  if (list.redraw) InvalidateRect(list.window, nullptr, TRUE);
}

void RedrawItem(ListBox& list, int index, UINT action) {
  if (!list.redraw || !IsWindowVisible(list.window)) return;
  RECT client = ClientRectOf(list.window);
  RECT r = list.Valid(index) ? ItemRect(list, index) : FirstSlot(list);
  RECT shown;
  if (!IntersectRect(&shown, &r, &client)) return;
  HDC dc = GetDC(list.window);
  if (!dc) return;
  IntersectClipRect(dc, shown.left, shown.top, shown.right, shown.bottom);
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(list.font));
  HBRUSH brush = Colours(list, dc);
  if (!list.Valid(index)) {
    FillRect(dc, &r, brush);
    if (list.OwnerDraw())
      SendDrawItem(list, dc, -1, ODA_FOCUS, r);
    else if (ShowsFocus(list))
      DrawFocusRect(dc, &r);
  } else if (list.OwnerDraw()) {
    SendDrawItem(list, dc, index, action, r);
  } else {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawStandardItem(list, dc, index, r, brush, GetTextColor(dc));
    SetBkMode(dc, oldMode);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(list.window, dc);
}

void Paint(ListBox& list, HDC dc, const RECT* area) {
  RECT client = ClientRectOf(list.window);
  RECT paint = area ? *area : client;
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(list.font));
  HBRUSH brush = Colours(list, dc);
  COLORREF textColour = GetTextColor(dc);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  RECT covered{0, 0, 0, 0};
  int count = list.Count();
  // Only the entries that show are drawn, however long the list.
  for (int i = list.top; i < count; ++i) {
    RECT r = ItemRect(list, i);
    if (list.MultiColumn() ? r.left >= client.right : r.top >= client.bottom) break;
    UnionRect(&covered, &covered, &r);
    RECT shown;
    if (!IntersectRect(&shown, &r, &paint)) continue;
    if (list.OwnerDraw())
      SendDrawItem(list, dc, i, ODA_DRAWENTIRE, r);
    else
      DrawStandardItem(list, dc, i, r, brush, textColour);
  }
  // What no entry covers shows the background.
  if (list.MultiColumn()) {
    RECT r{covered.right, 0, client.right, client.bottom};
    FillRect(dc, &r, brush);
    int rows = RowsPerColumn(list);
    int lastColumnRows = (count - list.top) % rows;
    if (count > list.top && lastColumnRows) {
      RECT below{covered.right - ColumnWidth(list), lastColumnRows * list.itemHeight, covered.right,
                 client.bottom};
      FillRect(dc, &below, brush);
    }
  } else {
    RECT r{client.left, IsRectEmpty(&covered) ? 0 : covered.bottom, client.right, client.bottom};
    FillRect(dc, &r, brush);
  }
  if (count == 0 && list.focused) {
    RECT slot = FirstSlot(list);
    if (list.OwnerDraw())
      SendDrawItem(list, dc, -1, ODA_FOCUS, slot);
    else
      DrawFocusRect(dc, &slot);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

void OnVerticalScroll(ListBox& list, int code) {
  int page = std::max(1, PageSize(list) - 1);
  switch (code) {
    case SB_LINEUP:
      SetTop(list, list.top - 1);
      break;
    case SB_LINEDOWN:
      SetTop(list, list.top + 1);
      break;
    case SB_PAGEUP:
      SetTop(list, list.top - page);
      break;
    case SB_PAGEDOWN:
      SetTop(list, list.top + page);
      break;
    case SB_TOP:
      SetTop(list, 0);
      break;
    case SB_BOTTOM:
      SetTop(list, LastTop(list));
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (GetScrollInfo(list.window, SB_VERT, &info)) SetTop(list, info.nTrackPos);
      break;
    }
    default:
      break;
  }
}

void OnHorizontalScroll(ListBox& list, int code) {
  if (list.MultiColumn()) {
    int rows = RowsPerColumn(list);
    int columns = std::max(1, ClientWidth(list) / std::max(1, ColumnWidth(list)));
    int column = list.top / rows;
    switch (code) {
      case SB_LINELEFT:
        column -= 1;
        break;
      case SB_LINERIGHT:
        column += 1;
        break;
      case SB_PAGELEFT:
        column -= columns;
        break;
      case SB_PAGERIGHT:
        column += columns;
        break;
      case SB_LEFT:
        column = 0;
        break;
      case SB_RIGHT:
        column = LastTop(list) / rows;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(list.window, SB_HORZ, &info)) column = info.nTrackPos;
        break;
      }
      default:
        return;
    }
    SetTop(list, column * rows);
    return;
  }
  int width = ClientWidth(list), step = list.metrics.averageWidth;
  int offset = list.horizontalOffset;
  switch (code) {
    case SB_LINELEFT:
      offset -= step;
      break;
    case SB_LINERIGHT:
      offset += step;
      break;
    case SB_PAGELEFT:
      offset -= width;
      break;
    case SB_PAGERIGHT:
      offset += width;
      break;
    case SB_LEFT:
      offset = 0;
      break;
    case SB_RIGHT:
      offset = list.horizontalExtent;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (GetScrollInfo(list.window, SB_HORZ, &info)) offset = info.nTrackPos;
      break;
    }
    default:
      return;
  }
  offset = std::clamp(offset, 0, std::max(0, list.horizontalExtent - width));
  if (offset == list.horizontalOffset) return;
  list.horizontalOffset = offset;
  UpdateScrollBars(list);
  RedrawAll(list);
}

}  // namespace platform::controls
