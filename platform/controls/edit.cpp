// "EDIT": a single-line edit field with a caret, a selection, the editing keys (without a
// clipboard), horizontal scrolling, margins, a text limit and the EN_ notifications.
// ES_MULTILINE is accepted and behaves as one line.
#include <algorithm>
#include <cctype>

#include "controls/classes.h"
#include "controls/combobox.h"
#include "controls/common.h"

namespace platform::controls {
namespace {

constexpr int kDefaultLimit = 30000;
constexpr int kUnlimited = 0x7FFFFFFE;

struct Edit : Control {
  static constexpr Kind kKind = Kind::Edit;
  explicit Edit(HWND window) : Control(kKind, window) {}
  std::string text;
  int anchor = 0;  // where the selection started
  int caret = 0;   // where it ends, and where the caret stands
  int scroll = 0;  // pixels of the text scrolled off to the left
  int limit = kDefaultLimit;
  int leftMargin = 1;
  int rightMargin = 1;
  char passwordChar = 0;
  bool modified = false;
  bool focused = false;
  bool tracking = false;
  FontMetrics metrics;
  HWND combo = nullptr;  // the combo box whose field this is
  std::string undoText;
  int undoCaret = 0;
  bool canUndo = false;
};

DWORD Style(const Edit& e) { return StyleOf(e.window); }
int SelectionStart(const Edit& e) { return std::min(e.anchor, e.caret); }
int SelectionEnd(const Edit& e) { return std::max(e.anchor, e.caret); }
int Length(const Edit& e) { return static_cast<int>(e.text.size()); }

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Positions stay on character boundaries of the UTF-8 text.
int NextChar(const Edit& e, int at) {
  if (at >= Length(e)) return Length(e);
  ++at;
  while (at < Length(e) && Continuation(static_cast<unsigned char>(e.text[at]))) ++at;
  return at;
}

int PreviousChar(const Edit& e, int at) {
  if (at <= 0) return 0;
  --at;
  while (at > 0 && Continuation(static_cast<unsigned char>(e.text[at]))) --at;
  return at;
}

bool WordChar(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || std::isalnum(u) || c == '_';
}

int NextWord(const Edit& e, int at) {
  int n = Length(e);
  while (at < n && WordChar(e.text[at])) ++at;
  while (at < n && !WordChar(e.text[at])) ++at;
  return at;
}

int PreviousWord(const Edit& e, int at) {
  while (at > 0 && !WordChar(e.text[at - 1])) --at;
  while (at > 0 && WordChar(e.text[at - 1])) --at;
  return at;
}

// What is shown: the text, or one password character per character.
std::string Shown(const Edit& e, int upTo = -1) {
  int end = upTo < 0 ? Length(e) : upTo;
  if (!e.passwordChar) return e.text.substr(0, static_cast<std::size_t>(end));
  std::string out;
  for (int i = 0; i < end; i = NextChar(e, i)) out += e.passwordChar;
  return out;
}

int TextX(const Edit& e, HDC dc, int at) { return TextWidth(dc, Shown(e, at)); }

HDC MeasuringDC(const Edit& e) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, FontOrSystem(e.font));
  return dc;
}

int Width(const Edit& e) {
  return std::max(0, ClientRectOf(e.window).right - e.leftMargin - e.rightMargin);
}

int TextTop(const Edit& e) {
  return std::max(0, (ClientRectOf(e.window).bottom - e.metrics.height) / 2);
}

int CaretX(const Edit& e, HDC dc) { return e.leftMargin + TextX(e, dc, e.caret) - e.scroll; }

// The character boundary nearest to a client x.
int CharAt(const Edit& e, int x) {
  HDC dc = MeasuringDC(e);
  int target = x - e.leftMargin + e.scroll;
  int best = 0, previousX = 0;
  for (int at = 0; at <= Length(e);) {
    int px = TextX(e, dc, at);
    if (px >= target) {
      best = (target - previousX < px - target && at > 0) ? PreviousChar(e, at) : at;
      DeleteDC(dc);
      return best;
    }
    previousX = px;
    if (at == Length(e)) break;
    at = NextChar(e, at);
  }
  DeleteDC(dc);
  return Length(e);
}

void PlaceCaret(Edit& e) {
  if (!e.focused) return;
  HDC dc = MeasuringDC(e);
  SetCaretPos(CaretX(e, dc), TextTop(e));
  DeleteDC(dc);
}

// Keeps the caret in view (ES_AUTOHSCROLL), a third of the width ahead.
void ScrollToCaret(Edit& e) {
  if (!(Style(e) & ES_AUTOHSCROLL)) {
    e.scroll = 0;
    return;
  }
  HDC dc = MeasuringDC(e);
  int x = TextX(e, dc, e.caret), total = TextX(e, dc, Length(e));
  DeleteDC(dc);
  int width = Width(e);
  if (x < e.scroll) e.scroll = std::max(0, x - width / 3);
  if (x > e.scroll + width) e.scroll = x - width + width / 3;
  e.scroll = std::clamp(e.scroll, 0, std::max(0, std::max(total, x) - width / 2));
  if (total <= width) e.scroll = 0;
}

void Refresh(Edit& e) {
  ScrollToCaret(e);
  InvalidateRect(e.window, nullptr, TRUE);
  PlaceCaret(e);
}

void SetSelection(Edit& e, int anchor, int caret) {
  anchor = std::clamp(anchor, 0, Length(e));
  caret = std::clamp(caret, 0, Length(e));
  if (anchor == e.anchor && caret == e.caret) return;
  e.anchor = anchor;
  e.caret = caret;
  Refresh(e);
}

void Paint(Edit& e, HDC dc) {
  HWND window = e.window;
  bool enabled = IsWindowEnabled(window) != FALSE;
  bool readOnly = Style(e) & ES_READONLY;
  HBRUSH brush =
      ControlColours(window, dc, (readOnly || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  RECT client = ClientRectOf(window);
  FillRect(dc, &client, brush);
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(e.font));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT area{e.leftMargin, 0, client.right - e.rightMargin, client.bottom};
  int y = TextTop(e), x = e.leftMargin - e.scroll;
  std::string shown = Shown(e);
  ExtTextOutA(dc, x, y, ETO_CLIPPED, &area, shown.data(), static_cast<UINT>(shown.size()), nullptr);
  int from = SelectionStart(e), to = SelectionEnd(e);
  if (from != to && (e.focused || (Style(e) & ES_NOHIDESEL))) {
    int left = x + TextX(e, dc, from), right = x + TextX(e, dc, to);
    RECT selection{std::max(left, area.left), y, std::min(right, area.right), y + e.metrics.height};
    FillSysColour(dc, selection, COLOR_HIGHLIGHT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    std::string piece = Shown(e, to).substr(Shown(e, from).size());
    ExtTextOutA(dc, left, y, ETO_CLIPPED, &selection, piece.data(), static_cast<UINT>(piece.size()),
                nullptr);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// Replaces the selection with `inserted` as the user does: the limit, the style's case and
// digits rules apply; EN_UPDATE comes before the display changes and EN_CHANGE after.
bool Replace(Edit& e, std::string inserted, bool byUser) {
  DWORD style = Style(e);
  if (byUser && (style & ES_READONLY)) return false;
  for (char& c : inserted) {
    if (style & ES_UPPERCASE) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (style & ES_LOWERCASE) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (byUser && (style & ES_NUMBER))
    for (char c : inserted)
      if (c < '0' || c > '9') {
        MessageBeep(0);
        return false;
      }
  int from = SelectionStart(e), to = SelectionEnd(e);
  int room = e.limit - (Length(e) - (to - from));
  if (static_cast<int>(inserted.size()) > room) {
    // Cut on a character boundary.
    int keep = std::max(room, 0);
    while (keep > 0 && Continuation(static_cast<unsigned char>(inserted[keep]))) --keep;
    inserted.resize(static_cast<std::size_t>(keep));
    NotifyCommand(e.window, EN_MAXTEXT);
    if (!e.Alive() || inserted.empty()) return false;
  }
  std::string next = e.text.substr(0, static_cast<std::size_t>(from)) + inserted +
                     e.text.substr(static_cast<std::size_t>(to));
  if (!(style & ES_AUTOHSCROLL) && byUser) {
    // Without scrolling, the text may not grow past the field.
    HDC dc = MeasuringDC(e);
    Edit probe(e.window);
    probe.text = next;
    probe.passwordChar = e.passwordChar;
    int width = TextX(probe, dc, static_cast<int>(next.size()));
    DeleteDC(dc);
    if (width > Width(e) && next.size() > e.text.size()) {
      NotifyCommand(e.window, EN_MAXTEXT);
      return false;
    }
  }
  if (next == e.text && inserted.empty()) return false;
  e.undoText = e.text;
  e.undoCaret = e.caret;
  e.canUndo = true;
  e.text = std::move(next);
  e.anchor = e.caret = from + static_cast<int>(inserted.size());
  e.modified = true;
  ScrollToCaret(e);
  NotifyCommand(e.window, EN_UPDATE);
  if (!e.Alive()) return true;
  InvalidateRect(e.window, nullptr, TRUE);
  UpdateWindow(e.window);
  PlaceCaret(e);
  NotifyCommand(e.window, EN_CHANGE);
  return true;
}

void DeleteAround(Edit& e, bool forward, bool word) {
  if (SelectionStart(e) == SelectionEnd(e)) {
    int other = forward ? (word ? NextWord(e, e.caret) : NextChar(e, e.caret))
                        : (word ? PreviousWord(e, e.caret) : PreviousChar(e, e.caret));
    if (other == e.caret) return;
    e.anchor = other;
  }
  Replace(e, std::string(), true);
}

void Move(Edit& e, int to, bool extend) { SetSelection(e, extend ? e.anchor : to, to); }

void KeyDown(Edit& e, UINT key) {
  bool shift = KeyIsDown(VK_SHIFT), control = KeyIsDown(VK_CONTROL);
  bool selection = SelectionStart(e) != SelectionEnd(e);
  switch (key) {
    case VK_LEFT:
      if (selection && !shift)
        Move(e, SelectionStart(e), false);
      else
        Move(e, control ? PreviousWord(e, e.caret) : PreviousChar(e, e.caret), shift);
      break;
    case VK_RIGHT:
      if (selection && !shift)
        Move(e, SelectionEnd(e), false);
      else
        Move(e, control ? NextWord(e, e.caret) : NextChar(e, e.caret), shift);
      break;
    case VK_HOME:
      Move(e, 0, shift);
      break;
    case VK_END:
      Move(e, Length(e), shift);
      break;
    case VK_DELETE:
      // Shift+Delete would cut, and there is no clipboard to keep the text: nothing happens.
      if (!shift) DeleteAround(e, true, control);
      break;
    default:
      break;
  }
}

void Char(Edit& e, unsigned char c) {
  switch (c) {
    case 8:
      DeleteAround(e, false, false);
      return;
    case 26:  // Ctrl+Z
      SendMessageA(e.window, EM_UNDO, 0, 0);
      return;
    case '\t':
    case '\r':
    case '\n':
    case 27:
      return;
    default:
      if (c < ' ') return;
      Replace(e, std::string(1, static_cast<char>(c)), true);
  }
}

void Undo(Edit& e) {
  if (!e.canUndo) return;
  std::string text = e.undoText;
  int caret = e.undoCaret;
  e.undoText = e.text;
  e.undoCaret = e.caret;
  e.text = text;
  e.anchor = e.caret = std::min(caret, Length(e));
  e.modified = true;
  Refresh(e);
  NotifyCommand(e.window, EN_UPDATE);
  if (e.Alive()) NotifyCommand(e.window, EN_CHANGE);
}

void SetText(Edit& e, const char* text) {
  e.text = text ? text : "";
  e.anchor = e.caret = 0;
  e.scroll = 0;
  e.canUndo = false;
  e.modified = false;
  InvalidateRect(e.window, nullptr, TRUE);
  PlaceCaret(e);
  NotifyCommand(e.window, EN_UPDATE);
  if (e.Alive()) NotifyCommand(e.window, EN_CHANGE);
}

void Focus(Edit& e, bool focused, HWND other) {
  e.focused = focused;
  if (e.combo) ComboEditFocus(e.combo, focused, other);
  if (!e.Alive()) return;
  if (focused) {
    CreateCaret(e.window, nullptr, 1, e.metrics.height);
    PlaceCaret(e);
    ShowCaret(e.window);
  } else {
    DestroyCaret();
    e.tracking = false;
  }
  if (SelectionStart(e) != SelectionEnd(e)) InvalidateRect(e.window, nullptr, TRUE);
  NotifyCommand(e.window, focused ? EN_SETFOCUS : EN_KILLFOCUS);
}

void SetMargins(Edit& e, WPARAM which, LPARAM values) {
  int left = LOWORD(values), right = HIWORD(values);
  if (which == EC_USEFONTINFO) left = right = std::max(1, e.metrics.averageWidth / 2);
  if (which & EC_LEFTMARGIN) e.leftMargin = left;
  if (which & EC_RIGHTMARGIN) e.rightMargin = right;
  Refresh(e);
}

LRESULT Handle(Edit& e, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = e.window;
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      e.metrics = MetricsOf(nullptr);
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
        e.text = create->lpszName;
      if (create && (create->style & ES_PASSWORD)) e.passwordChar = '*';
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_PAINT: {
      if (wParam) {
        Paint(e, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        Paint(e, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
                     ((Style(e) & ES_MULTILINE) ? DLGC_WANTALLKEYS : 0);
      // A dropped combo box wants Enter and Esc for its list.
      if (e.combo && SendMessageA(e.combo, CB_GETDROPPEDSTATE, 0, 0)) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFONT:
      e.font = reinterpret_cast<HFONT>(wParam);
      e.metrics = MetricsOf(e.font);
      if (e.focused) {
        CreateCaret(window, nullptr, 1, e.metrics.height);
        ShowCaret(window);
      }
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      Refresh(e);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(e.font);
    case WM_SETTEXT:
      SetText(e, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      std::size_t count = std::min<std::size_t>(e.text.size(), wParam - 1);
      // Never end the copy in the middle of a character.
      while (count > 0 && count < e.text.size() &&
             Continuation(static_cast<unsigned char>(e.text[count])))
        --count;
      e.text.copy(buffer, count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return Length(e);
    case WM_SETFOCUS:
      Focus(e, true, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_KILLFOCUS:
      Focus(e, false, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SIZE:
      Refresh(e);
      return 0;
    case WM_KEYDOWN:
      if (e.combo && ComboEditKey(e.combo, message, wParam, lParam)) return 0;
      KeyDown(e, static_cast<UINT>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      if (e.combo && ComboEditKey(e.combo, message, wParam, lParam)) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      Char(e, static_cast<unsigned char>(wParam));
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != window) {
        SetFocus(window);
        if (!e.Alive()) return 0;
      }
      int at = CharAt(e, GET_X_LPARAM(lParam));
      Move(e, at, (wParam & MK_SHIFT) != 0);
      SetCapture(window);
      e.tracking = true;
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      int at = CharAt(e, GET_X_LPARAM(lParam));
      int start = at, end = at;
      while (start > 0 && WordChar(e.text[start - 1])) --start;
      while (end < Length(e) && WordChar(e.text[end])) ++end;
      SetSelection(e, start, end);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (e.tracking) Move(e, CharAt(e, GET_X_LPARAM(lParam)), true);
      return 0;
    case WM_LBUTTONUP:
      if (e.tracking) {
        e.tracking = false;
        if (GetCapture() == window) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) e.tracking = false;
      return 0;
    case WM_CANCELMODE:
      if (e.tracking && GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_CLEAR:
      if (!(Style(e) & ES_READONLY)) Replace(e, std::string(), false);
      return 0;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
      return 0;  // no clipboard: cutting would lose the text
    case WM_UNDO:
    case EM_UNDO:
      if (!e.canUndo) return FALSE;
      Undo(e);
      return TRUE;
    case EM_CANUNDO:
      return e.canUndo ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      e.canUndo = false;
      return 0;
    case EM_GETSEL: {
      DWORD from = static_cast<DWORD>(SelectionStart(e)), to = static_cast<DWORD>(SelectionEnd(e));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
      return MAKELONG(static_cast<WORD>(std::min<DWORD>(from, 0xFFFF)),
                      static_cast<WORD>(std::min<DWORD>(to, 0xFFFF)));
    }
    case EM_SETSEL: {
      int from = static_cast<int>(static_cast<INT_PTR>(wParam));
      int to = static_cast<int>(lParam);
      if (from == -1) {
        SetSelection(e, e.caret, e.caret);
        return 0;
      }
      if (to < 0) to = Length(e);
      SetSelection(e, from, to);
      return 0;
    }
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      Replace(e, text ? text : "", false);
      if (!wParam) e.canUndo = false;
      return 0;
    }
    case EM_SCROLLCARET:
      Refresh(e);
      return TRUE;
    case EM_LIMITTEXT:
      e.limit = wParam == 0 ? kUnlimited : static_cast<int>(std::min<WPARAM>(wParam, kUnlimited));
      return 0;
    case EM_GETLIMITTEXT:
      return e.limit;
    case EM_GETMODIFY:
      return e.modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      e.modified = wParam != 0;
      return 0;
    case EM_SETREADONLY: {
      DWORD style = Style(e);
      style = wParam ? (style | ES_READONLY) : (style & ~static_cast<DWORD>(ES_READONLY));
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case EM_SETMARGINS:
      SetMargins(e, wParam, lParam);
      return 0;
    case EM_GETMARGINS:
      return MAKELONG(static_cast<WORD>(e.leftMargin), static_cast<WORD>(e.rightMargin));
    case EM_SETPASSWORDCHAR:
      e.passwordChar = static_cast<char>(wParam);
      Refresh(e);
      return 0;
    case EM_GETPASSWORDCHAR:
      return static_cast<unsigned char>(e.passwordChar);
    case EM_POSFROMCHAR: {
      int at = std::clamp(static_cast<int>(wParam), 0, Length(e));
      HDC dc = MeasuringDC(e);
      int x = e.leftMargin + TextX(e, dc, at) - e.scroll;
      DeleteDC(dc);
      return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(TextTop(e)));
    }
    case EM_CHARFROMPOS:
      return MAKELONG(static_cast<WORD>(CharAt(e, GET_X_LPARAM(lParam))), 0);
    case EM_GETLINECOUNT:
      return 1;
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
      return 0;
    case EM_LINELENGTH:
      return Length(e);
    case EM_GETLINE: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam != 0) return 0;
      WORD room = *reinterpret_cast<WORD*>(buffer);
      std::size_t count = std::min<std::size_t>(room, e.text.size());
      e.text.copy(buffer, count);  // not terminated, as documented
      return static_cast<LRESULT>(count);
    }
    case WM_NCDESTROY:
      if (e.focused) DestroyCaret();
      Detach(e);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void AttachEditToCombo(HWND window, HWND combo) {
  if (std::shared_ptr<Edit> e = Attach<Edit>(window)) e->combo = combo;
}

LRESULT EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Edit> e = Attach<Edit>(window);
  if (!e) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*e, message, wParam, lParam);
}

}  // namespace platform::controls
