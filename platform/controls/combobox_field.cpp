// The field of a combo box: its geometry (the window as high as its field, the rest the
// dropped list's), its painting, its text, and the making of the edit and the list.
#include <algorithm>

#include "controls/classes.h"
#include "controls/combobox.h"
#include "controls/listbox.h"

namespace platform::controls::combo {

namespace {
constexpr int kListId = 1000;
constexpr int kEditId = 1001;
constexpr int kEdge = 2;
}  // namespace

ComboLink pendingLink;

std::string ItemText(const ComboBox& c, int index) {
  LRESULT length = ToList(c, LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  ToList(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// The outer edge is the window's own when it has WS_EX_CLIENTEDGE; else the combo draws it.
bool OwnEdge(HWND window) { return !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE); }

int FieldTotal(const ComboBox& c) {
  int frame = OwnEdge(c.window) ? 2 * kEdge : 0;
  RECT w, client;
  GetWindowRect(c.window, &w);
  GetClientRect(c.window, &client);
  int nonClient = (w.bottom - w.top) - client.bottom;
  return c.fieldHeight + 2 + frame + nonClient;
}

RECT Inner(const ComboBox& c) {
  RECT r = ClientRectOf(c.window);
  if (OwnEdge(c.window)) InflateRect(&r, -kEdge, -kEdge);
  if (c.Simple()) r.bottom = std::min<LONG>(r.bottom, r.top + c.fieldHeight + 2);
  return r;
}

RECT ButtonRect(const ComboBox& c) {
  RECT inner = Inner(c);
  if (c.Simple()) return RECT{inner.right, inner.top, inner.right, inner.top};
  return RECT{inner.right - GetSystemMetrics(SM_CXVSCROLL), inner.top, inner.right, inner.bottom};
}

RECT TextRect(const ComboBox& c) {
  RECT inner = Inner(c);
  RECT button = ButtonRect(c);
  return RECT{inner.left + 1, inner.top + 1, button.left - 1, inner.bottom - 1};
}

// The field shows the selected entry: the edit's text for the edit kinds.
void ShowSelectionInField(ComboBox& c) {
  if (c.edit) {
    int current = Current(c);
    std::string text = current >= 0 ? ItemText(c, current) : std::string();
    c.settingText = true;
    SetWindowTextA(c.edit, text.c_str());
    c.settingText = false;
    if (c.focused) SendMessageA(c.edit, EM_SETSEL, 0, -1);
  }
  Redraw(c);
}

void PlaceEdit(ComboBox& c) {
  if (!c.edit) return;
  RECT r = TextRect(c);
  if (c.Simple()) {
    RECT inner = Inner(c);
    r = RECT{inner.left, inner.top, inner.right, inner.bottom};
  }
  SetWindowPos(c.edit, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceSimpleList(ComboBox& c) {
  if (!c.Simple() || !c.list) return;
  RECT client = ClientRectOf(c.window);
  RECT inner = Inner(c);
  int top = inner.bottom + (OwnEdge(c.window) ? kEdge : 0);
  SetWindowPos(c.list, nullptr, 0, top, client.right, std::max<LONG>(client.bottom - top, 0),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window keeps the height of its field; what is asked beyond it is the dropped list's.
void FitHeight(ComboBox& c) {
  if (c.Simple()) return;
  RECT w;
  GetWindowRect(c.window, &w);
  int total = FieldTotal(c);
  if (w.bottom - w.top != total)
    SetWindowPos(c.window, nullptr, 0, 0, w.right - w.left, total,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintField(ComboBox& c, HDC dc) {
  HWND window = c.window;
  RECT client = ClientRectOf(window);
  if (OwnEdge(window)) {
    RECT edge = c.Simple() ? RECT{0, 0, client.right, Inner(c).bottom + kEdge} : client;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  }
  if (c.HasEdit() && c.Simple()) return;
  bool enabled = IsWindowEnabled(window) != FALSE;
  RECT inner = Inner(c);
  RECT button = ButtonRect(c);
  if (!c.HasEdit()) {
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(c.font));
    HBRUSH brush = ControlColours(window, dc, WM_CTLCOLORLISTBOX);
    RECT field{inner.left, inner.top, button.left, inner.bottom};
    FillRect(dc, &field, brush);
    RECT text = TextRect(c);
    int current = Current(c);
    bool highlight = c.focused && !c.dropped;
    if (c.OwnerDraw()) {
      UINT state = ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) |
                   (enabled ? 0 : ODS_DISABLED);
      DRAWITEMSTRUCT draw{ODT_COMBOBOX,
                          static_cast<UINT>(GetWindowLongA(window, GWLP_ID)),
                          static_cast<UINT>(current),
                          ODA_DRAWENTIRE,
                          state,
                          window,
                          dc,
                          text,
                          current >= 0 ? static_cast<ULONG_PTR>(ToList(
                                             c, LB_GETITEMDATA, static_cast<WPARAM>(current)))
                                       : 0};
      int saved = SaveDC(dc);
      IntersectClipRect(dc, text.left, text.top, text.right, text.bottom);
      if (HWND parent = NotifyTarget(window))
        SendMessageA(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
      RestoreDC(dc, saved);
    } else {
      if (highlight) {
        FillSysColour(dc, text, COLOR_HIGHLIGHT);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      } else if (!enabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      }
      if (current >= 0) {
        std::string shown = ItemText(c, current);
        int oldMode = SetBkMode(dc, TRANSPARENT);
        int y = text.top + ((text.bottom - text.top) - c.metrics.height) / 2;
        ExtTextOutA(dc, text.left + 1, y, ETO_CLIPPED, &text, shown.data(),
                    static_cast<UINT>(shown.size()), nullptr);
        SetBkMode(dc, oldMode);
      }
      if (highlight) DrawFocusRect(dc, &text);
    }
    SelectObject(dc, oldFont);
  }
  UINT state = DFCS_SCROLLCOMBOBOX;
  if (c.buttonDown) state |= DFCS_PUSHED | DFCS_FLAT;
  if (!enabled) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &button, DFC_SCROLL, state);
}

void MeasureField(ComboBox& c) {
  if (!c.OwnerDraw()) return;
  MEASUREITEMSTRUCT measure{ODT_COMBOBOX,
                            static_cast<UINT>(GetWindowLongA(c.window, GWLP_ID)),
                            static_cast<UINT>(-1),
                            static_cast<UINT>(ClientRectOf(c.window).right),
                            static_cast<UINT>(c.fieldHeight),
                            0};
  if (HWND parent = NotifyTarget(c.window))
    SendMessageA(parent, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
  c.fieldHeight =
      std::clamp<int>(static_cast<int>(std::min<UINT>(measure.itemHeight, 1000)), 1, 255);
}

LRESULT Create(ComboBox& c, const CREATESTRUCTA* create) {
  HWND window = c.window;
  MeasureField(c);
  if (!c.Alive()) return -1;
  DWORD listStyle = LBS_NOTIFY | LBS_COMBOBOX | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  if (c.style & CBS_SORT) listStyle |= LBS_SORT;
  if (c.style & CBS_HASSTRINGS) listStyle |= LBS_HASSTRINGS;
  if (c.style & CBS_OWNERDRAWFIXED) listStyle |= LBS_OWNERDRAWFIXED;
  if (c.style & CBS_OWNERDRAWVARIABLE) listStyle |= LBS_OWNERDRAWVARIABLE;
  if (c.style & CBS_DISABLENOSCROLL) listStyle |= LBS_DISABLENOSCROLL;
  HINSTANCE instance = create ? create->hInstance : nullptr;
  if (c.HasEdit()) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE | ES_LEFT;
    if (c.style & CBS_AUTOHSCROLL) editStyle |= ES_AUTOHSCROLL;
    if (c.style & CBS_UPPERCASE) editStyle |= ES_UPPERCASE;
    if (c.style & CBS_LOWERCASE) editStyle |= ES_LOWERCASE;
    c.edit =
        CreateWindowExA(0, WC_EDITA, "", editStyle, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kEditId)), instance, nullptr);
    if (!c.edit || !c.Alive()) return -1;
    AttachEditToCombo(c.edit, window);
  }
  pendingLink = ComboLink{window, !c.Simple()};
  if (c.Simple()) {
    c.list = CreateWindowExA(
        WS_EX_CLIENTEDGE, "ComboLBox", "", WS_CHILD | WS_VISIBLE | listStyle, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kListId)), instance, nullptr);
  } else {
    c.list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboLBox", "",
                             WS_POPUP | WS_BORDER | listStyle, 0, 0, 0, 0, window, nullptr,
                             instance, nullptr);
  }
  pendingLink = ComboLink{};
  if (!c.list || !c.Alive()) return -1;
  // The height asked for is the field and the dropped list together.
  int asked = create ? create->cy : 0;
  FitHeight(c);
  c.fullHeight = asked;
  PlaceEdit(c);
  PlaceSimpleList(c);
  return 0;
}

void SetFont(ComboBox& c, HFONT font, bool redraw) {
  c.font = font;
  c.metrics = MetricsOf(font);
  if (!c.OwnerDraw()) c.fieldHeight = c.metrics.height + 2;
  if (c.edit) SendMessageA(c.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.list) SendMessageA(c.list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  FitHeight(c);
  PlaceEdit(c);
  PlaceSimpleList(c);
  if (redraw) InvalidateRect(c.window, nullptr, TRUE);
}

// The list's requests to its owner, made the combo box's own.
LRESULT Forward(ComboBox& c, UINT message, WPARAM, LPARAM lParam) {
  HWND parent = NotifyTarget(c.window);
  if (!parent) return 0;
  auto id = static_cast<UINT>(GetWindowLongA(c.window, GWLP_ID));
  switch (message) {
    case WM_DRAWITEM: {
      DRAWITEMSTRUCT draw = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      draw.CtlType = ODT_COMBOBOX;
      draw.CtlID = id;
      draw.hwndItem = c.window;
      return SendMessageA(parent, message, id, reinterpret_cast<LPARAM>(&draw));
    }
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->CtlType = ODT_COMBOBOX;
      measure->CtlID = id;
      return SendMessageA(parent, message, id, lParam);
    }
    case WM_DELETEITEM: {
      DELETEITEMSTRUCT erase = *reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
      erase.CtlType = ODT_COMBOBOX;
      erase.CtlID = id;
      erase.hwndItem = c.window;
      return SendMessageA(parent, message, id, reinterpret_cast<LPARAM>(&erase));
    }
    case WM_COMPAREITEM: {
      COMPAREITEMSTRUCT compare = *reinterpret_cast<COMPAREITEMSTRUCT*>(lParam);
      compare.CtlType = ODT_COMBOBOX;
      compare.CtlID = id;
      compare.hwndItem = c.window;
      return SendMessageA(parent, message, id, reinterpret_cast<LPARAM>(&compare));
    }
    default:
      return 0;
  }
}

LRESULT GetText(ComboBox& c, WPARAM size, char* buffer) {
  if (c.edit) return SendMessageA(c.edit, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
  if (!buffer || size == 0) return 0;
  int current = Current(c);
  std::string text = current >= 0 ? ItemText(c, current) : std::string();
  std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  text.copy(buffer, count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

LRESULT SetText(ComboBox& c, const char* text) {
  DefWindowProcA(c.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  if (c.edit) {
    c.settingText = true;
    SendMessageA(c.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    c.settingText = false;
    return TRUE;
  }
  // A drop-down list's text is its field: the entry with that text.
  if (!text || !*text) {
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(-1));
    c.committed = -1;
    Redraw(c);
    return TRUE;
  }
  int found = static_cast<int>(
      ToList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
  if (found < 0) return CB_ERR;
  ToList(c, LB_SETCURSEL, static_cast<WPARAM>(found));
  c.committed = found;
  Redraw(c);
  return TRUE;
}

}  // namespace platform::controls::combo
