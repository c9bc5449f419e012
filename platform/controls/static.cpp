// "STATIC": text (left, centred, right, simple), icons, and the filled and framed
// rectangles. Transparent to the mouse unless SS_NOTIFY.
#include "controls/classes.h"
#include "controls/common.h"

namespace platform::controls {
namespace {

struct Static : Control {
  static constexpr Kind kKind = Kind::Static;
  explicit Static(HWND window) : Control(kKind, window) {}
  HICON icon = nullptr;
};

DWORD TypeOf(HWND window) { return StyleOf(window) & SS_TYPEMASK; }

// An icon static takes the size of its icon unless asked to keep its own.
void FitToIcon(Static& s) {
  if (!s.icon || (StyleOf(s.window) & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
  ICONINFO info{};
  int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
  if (GetIconInfo(s.icon, &info)) {
    BITMAP bm{};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
      width = bm.bmWidth;
      height = bm.bmHeight;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  SetWindowPos(s.window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON SetIcon(Static& s, HICON icon) {
  HICON old = s.icon;
  s.icon = icon;
  FitToIcon(s);
  InvalidateRect(s.window, nullptr, TRUE);
  return old;
}

// The window text of an icon static names an icon of the module ("#12" for an id).
void LoadNamedIcon(Static& s, LPCSTR name, HINSTANCE instance) {
  if (!name) return;
  HICON icon = nullptr;
  if (IS_INTRESOURCE(name) || *name) {
    icon = LoadIconA(instance, name);
    if (!icon) icon = LoadIconA(nullptr, name);
  }
  if (icon) SetIcon(s, icon);
}

UINT TextFormat(DWORD style) {
  UINT format = DT_EXPANDTABS;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      return format | DT_CENTER | DT_WORDBREAK;
    case SS_RIGHT:
      return format | DT_RIGHT | DT_WORDBREAK;
    case SS_LEFTNOWORDWRAP:
      return format | DT_LEFT;
    case SS_SIMPLE:
      return format | DT_LEFT | DT_SINGLELINE | DT_NOCLIP;
    default:
      return format | DT_LEFT | DT_WORDBREAK;
  }
}

void PaintText(Static& s, HDC dc, const RECT& client, HBRUSH brush) {
  DWORD style = StyleOf(s.window);
  FillRect(dc, &client, brush);
  char text[4096];
  int length = GetWindowTextA(s.window, text, sizeof text);
  if (length <= 0) return;
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(s.font));
  RECT r = client;
  UINT format = TextFormat(style);
  if (IsWindowEnabled(s.window)) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, length, &r, format);
    SetBkMode(dc, oldMode);
  } else {
    DrawDisabledText(dc, std::string(text, static_cast<std::size_t>(length)), r, format);
  }
  SelectObject(dc, oldFont);
}

void Paint(Static& s, HDC dc) {
  RECT client = ClientRectOf(s.window);
  DWORD type = TypeOf(s.window);
  HBRUSH brush = ControlColours(s.window, dc, WM_CTLCOLORSTATIC);
  switch (type) {
    case SS_ICON:
      FillRect(dc, &client, brush);
      if (s.icon) {
        int x = 0, y = 0;
        if (StyleOf(s.window) & SS_CENTERIMAGE) {
          x = (client.right - GetSystemMetrics(SM_CXICON)) / 2;
          y = (client.bottom - GetSystemMetrics(SM_CYICON)) / 2;
        }
        DrawIcon(dc, x, y, s.icon);
      }
      break;
    case SS_BLACKRECT:
      FillSysColour(dc, client, COLOR_WINDOWFRAME);
      break;
    case SS_GRAYRECT:
      FillSysColour(dc, client, COLOR_BACKGROUND);
      break;
    case SS_WHITERECT:
      FillSysColour(dc, client, COLOR_WINDOW);
      break;
    case SS_BLACKFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
      break;
    case SS_GRAYFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_BACKGROUND));
      break;
    case SS_WHITEFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      break;
    case SS_ETCHEDHORZ: {
      RECT r = client;
      DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
      break;
    }
    case SS_ETCHEDVERT: {
      RECT r = client;
      DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT);
      break;
    }
    case SS_ETCHEDFRAME: {
      RECT r = client;
      DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      break;
    }
    case SS_OWNERDRAW: {
      DRAWITEMSTRUCT draw{ODT_STATIC,
                          static_cast<UINT>(GetWindowLongA(s.window, GWLP_ID)),
                          0,
                          ODA_DRAWENTIRE,
                          IsWindowEnabled(s.window) ? 0u : static_cast<UINT>(ODS_DISABLED),
                          s.window,
                          dc,
                          client,
                          0};
      if (HWND target = NotifyTarget(s.window))
        SendMessageA(target, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
      break;
    }
    default:
      PaintText(s, dc, client, brush);
      break;
  }
  if (StyleOf(s.window) & SS_SUNKEN) {
    RECT r = client;
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  }
}

LRESULT Handle(Static& s, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = s.window;
  switch (message) {
    case WM_CREATE:
      if (TypeOf(window) == SS_ICON) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (create) LoadNamedIcon(s, create->lpszName, create->hInstance);
      }
      return 0;
    case WM_PAINT: {
      if (wParam) {
        Paint(s, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        Paint(s, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (!(StyleOf(window) & SS_NOTIFY)) return HTTRANSPARENT;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
      if (StyleOf(window) & SS_NOTIFY) NotifyCommand(window, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (StyleOf(window) & SS_NOTIFY) NotifyCommand(window, STN_DBLCLK);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_SETTEXT: {
      if (TypeOf(window) == SS_ICON) {
        LoadNamedIcon(s, reinterpret_cast<LPCSTR>(lParam), nullptr);
        return TRUE;
      }
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE:
      if (StyleOf(window) & SS_NOTIFY) NotifyCommand(window, wParam ? STN_ENABLE : STN_DISABLE);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SYSCOLORCHANGE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case STM_SETICON:
      return reinterpret_cast<LRESULT>(SetIcon(s, reinterpret_cast<HICON>(wParam)));
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(s.icon);
    case STM_SETIMAGE:
      if (wParam != IMAGE_ICON) return 0;
      return reinterpret_cast<LRESULT>(SetIcon(s, reinterpret_cast<HICON>(lParam)));
    case STM_GETIMAGE:
      return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(s.icon) : 0;
    case WM_NCDESTROY:
      Detach(s);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Static> s = Attach<Static>(window);
  if (!s) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*s, message, wParam, lParam);
}

}  // namespace platform::controls
