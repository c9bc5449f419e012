// The classic non-client area: frame, caption with icon, title and buttons, the menu bar;
// hit testing against that layout.
#include "user/nonclient.h"

#include <algorithm>

#include "gdi/objects.h"
#include "controls/window_scrollbars.h"
#include "platform/gdi.h"
#include "platform/kernel.h"
#include "user/menus.h"

namespace platform::user {
namespace {

struct Layout {
  RECT window;  // window coordinates (0,0 at the window's top-left)
  RECT caption{0, 0, 0, 0};
  RECT icon{0, 0, 0, 0};
  RECT close{0, 0, 0, 0};
  RECT maximize{0, 0, 0, 0};
  RECT minimize{0, 0, 0, 0};
  int frame = 0;
};

bool HasCaption(const Window* w) { return (w->style & WS_CAPTION) == WS_CAPTION; }

Layout LayoutOf(const Window* w) {
  Layout l;
  l.window = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  l.frame =
      NonClientInsets(w->style, w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false, false)
          .left;
  // A minimised window is a caption bar in a thin raised frame.
  if (w->style & WS_MINIMIZE) l.frame = GetSystemMetrics(SM_CXDLGFRAME);
  if (!HasCaption(w)) return l;
  bool tool = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
  int height = (tool ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION)) - 1;
  l.caption = RECT{l.frame, l.frame, l.window.right - l.frame, l.frame + height};
  int buttonWidth = (tool ? GetSystemMetrics(SM_CXSMSIZE) : GetSystemMetrics(SM_CXSIZE)) - 2;
  int buttonHeight = (tool ? GetSystemMetrics(SM_CYSMSIZE) : GetSystemMetrics(SM_CYSIZE)) - 4;
  int top = l.caption.top + (height - buttonHeight) / 2;
  if (w->style & WS_SYSMENU) {
    int right = l.caption.right - 2;
    l.close = RECT{right - buttonWidth, top, right, top + buttonHeight};
    right = l.close.left - 2;
    if (w->style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
      l.maximize = RECT{right - buttonWidth, top, right, top + buttonHeight};
      l.minimize = RECT{l.maximize.left - buttonWidth, top, l.maximize.left, top + buttonHeight};
    }
    if (!tool)
      l.icon = RECT{l.caption.left + 2, l.caption.top + 1, l.caption.left + 2 + 16,
                    l.caption.top + 1 + 16};
  }
  return l;
}

int SizingHit(const Window* w, POINT p, const Layout& l) {
  if (!(w->style & WS_THICKFRAME) || (w->style & (WS_MAXIMIZE | WS_MINIMIZE))) return HTBORDER;
  int corner = GetSystemMetrics(SM_CYCAPTION) + l.frame;
  bool left = p.x < l.frame, right = p.x >= l.window.right - l.frame;
  bool top = p.y < l.frame, bottom = p.y >= l.window.bottom - l.frame;
  if (top || bottom) {
    if (p.x < corner) return top ? HTTOPLEFT : HTBOTTOMLEFT;
    if (p.x >= l.window.right - corner) return top ? HTTOPRIGHT : HTBOTTOMRIGHT;
    return top ? HTTOP : HTBOTTOM;
  }
  if (left || right) {
    if (p.y < corner) return left ? HTTOPLEFT : HTTOPRIGHT;
    if (p.y >= l.window.bottom - corner) return left ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
    return left ? HTLEFT : HTRIGHT;
  }
  return HTBORDER;
}

COLORREF Colour(int index) { return GetSysColor(index); }

void FillSolid(HDC dc, const RECT& r, int colourIndex) {
  FillRect(dc, &r, GetSysColorBrush(colourIndex));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void DrawCaptionButton(HDC dc, RECT r, int kind, bool maximized) {
  RECT face = r;
  FillSolid(dc, face, COLOR_BTNFACE);
  DrawEdge(dc, &face, EDGE_RAISED, BF_RECT);
  HPEN pen = CreatePen(PS_SOLID, 1, Colour(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  switch (kind) {
    case HTCLOSE:
    case -HTCLOSE: {
      auto cross = [&](int shift) {
        for (int d = 0; d < 2; ++d) {
          Line(dc, cx - 4 + d + shift, cy - 3 + shift, cx + 3 + d + shift, cy + 4 + shift);
          Line(dc, cx + 2 + d + shift, cy - 3 + shift, cx - 5 + d + shift, cy + 4 + shift);
        }
      };
      if (kind > 0) {
        cross(0);
        break;
      }
      // A close box whose system menu entry is grey is drawn embossed.
      HPEN light = CreatePen(PS_SOLID, 1, Colour(COLOR_BTNHIGHLIGHT));
      HPEN shadow = CreatePen(PS_SOLID, 1, Colour(COLOR_BTNSHADOW));
      SelectObject(dc, light);
      cross(1);
      SelectObject(dc, shadow);
      cross(0);
      SelectObject(dc, pen);
      DeleteObject(light);
      DeleteObject(shadow);
      break;
    } break;
    case HTMAXBUTTON:
      if (maximized) {
        RECT back{cx - 2, cy - 5, cx + 4, cy + 1};
        RECT front{cx - 5, cy - 2, cx + 1, cy + 4};
        for (RECT b : {back, front}) {
          FillSolid(dc, RECT{b.left, b.top, b.right, b.top + 2}, COLOR_BTNTEXT);
          FrameRect(dc, &b, GetSysColorBrush(COLOR_BTNTEXT));
        }
      } else {
        RECT box{cx - 5, cy - 5, cx + 4, cy + 4};
        FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNTEXT));
        FillSolid(dc, RECT{box.left, box.top, box.right, box.top + 2}, COLOR_BTNTEXT);
      }
      break;
    case HTMINBUTTON:
      FillSolid(dc, RECT{cx - 4, cy + 2, cx + 2, cy + 4}, COLOR_BTNTEXT);
      break;
    default:
      break;
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

HFONT CaptionFont() {
  static HFONT font = [] {
    HFONT made =
        CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    gdi::MakePermanent(made);
    return made;
  }();
  return font;
}

}  // namespace

LRESULT HitTest(Window* w, POINT screen) {
  RECT r = WindowRectOnScreen(w);
  if (!Contains(r, screen)) return HTNOWHERE;
  if (w->style & WS_MINIMIZE) return HTCAPTION;
  POINT p{screen.x - r.left, screen.y - r.top};
  if (Contains(w->client, p)) return HTCLIENT;
  Layout l = LayoutOf(w);
  if (p.x < l.frame || p.y < l.frame || p.x >= l.window.right - l.frame ||
      p.y >= l.window.bottom - l.frame)
    return SizingHit(w, p, l);
  if (Contains(l.caption, p)) {
    if (Contains(l.close, p)) return HTCLOSE;
    if (Contains(l.maximize, p)) return HTMAXBUTTON;
    if (Contains(l.minimize, p)) return HTMINBUTTON;
    if (!IsEmpty(l.icon) && p.x < l.icon.right) return HTSYSMENU;
    return HTCAPTION;
  }
  if ((w->style & WS_VSCROLL) && p.x >= w->client.right && p.y >= w->client.top &&
      p.y < w->client.bottom)
    return HTVSCROLL;
  if ((w->style & WS_HSCROLL) && p.y >= w->client.bottom && p.x >= w->client.left &&
      p.x < w->client.right)
    return HTHSCROLL;
  if (HasMenuBar(w) && Contains(MenuBarRect(w), p)) return HTMENU;
  return HTBORDER;
}

void PaintNonClient(Window* w) {
  HWND h = w->handle;
  HDC dc = GetDCEx(h, nullptr, DCX_WINDOW);
  if (!dc) return;
  ExcludeClipRect(dc, w->client.left, w->client.top, w->client.right, w->client.bottom);
  Layout l = LayoutOf(w);
  RECT r = l.window;
  bool windowEdge = (w->exStyle & (WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) ||
                    (w->style & (WS_THICKFRAME | WS_DLGFRAME));
  if (l.frame >= 3 && windowEdge) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 2; i < l.frame; ++i) {
      FrameRect(dc, &r,
                GetSysColorBrush(Global().active == TopLevelOf(w) ? COLOR_ACTIVEBORDER
                                                                  : COLOR_INACTIVEBORDER));
      r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
  } else if (l.frame >= 1) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  if (HasCaption(w)) {
    bool active = Global().active == TopLevelOf(w) && !w->IsChild();
    FillSolid(dc, l.caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    FillSolid(dc, RECT{l.caption.left, l.caption.bottom, l.caption.right, l.caption.bottom + 1},
              COLOR_BTNFACE);
    int textLeft = l.caption.left + 2;
    HICON icon = w->iconSmall ? w->iconSmall : w->icon;
    if (!IsEmpty(l.icon)) {
      if (icon) DrawIconEx(dc, l.icon.left, l.icon.top, icon, 16, 16, 0, nullptr, DI_NORMAL);
      textLeft = l.icon.right + 2;
    }
    int textRight = (IsEmpty(l.minimize) ? (IsEmpty(l.close) ? l.caption.right : l.close.left)
                                         : l.minimize.left) -
                    2;
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT text{textLeft, l.caption.top, textRight, l.caption.bottom};
    DrawTextA(dc, w->text.c_str(), static_cast<int>(w->text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    UINT closeState = w->systemMenu ? GetMenuState(w->systemMenu, SC_CLOSE, MF_BYCOMMAND) : 0;
    bool closeGrey = closeState != static_cast<UINT>(-1) && (closeState & MF_GRAYED);
    if (!IsEmpty(l.close)) DrawCaptionButton(dc, l.close, closeGrey ? -HTCLOSE : HTCLOSE, false);
    if (!IsEmpty(l.maximize))
      DrawCaptionButton(dc, l.maximize, HTMAXBUTTON, (w->style & WS_MAXIMIZE) != 0);
    // A minimised window offers to be restored where the others offer to be minimised.
    bool minimized = (w->style & WS_MINIMIZE) != 0;
    if (!IsEmpty(l.minimize))
      DrawCaptionButton(dc, l.minimize, minimized ? HTMAXBUTTON : HTMINBUTTON, minimized);
  }
  PaintMenuBar(w, dc);
  if (w->exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) {
    int edge = (w->exStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE) : 1;
    RECT around{w->client.left - edge, w->client.top - edge, w->client.right + edge,
                w->client.bottom + edge};
    if (w->style & WS_VSCROLL) around.right += GetSystemMetrics(SM_CXVSCROLL);
    if (w->style & WS_HSCROLL) around.bottom += GetSystemMetrics(SM_CYHSCROLL);
    DrawEdge(dc, &around, (w->exStyle & WS_EX_CLIENTEDGE) ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
  }
  controls::PaintWindowScrollBars(h, dc);
  ReleaseDC(h, dc);
}

LRESULT EraseBackground(Window* w, HDC dc) {
  HBRUSH brush = w->windowClass->background;
  if (!brush || !dc) return 0;
  RECT client{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  FillRect(dc, &client, brush);
  return 1;
}

LRESULT ControlColour(UINT message, HDC dc) {
  bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  int background =
      window ? COLOR_WINDOW : (message == WM_CTLCOLORSCROLLBAR ? COLOR_SCROLLBAR : COLOR_BTNFACE);
  if (dc) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(background));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

void BeginModalLoop() {
  if (Window* capture = Global().capture) Send(capture, WM_CANCELMODE, 0, 0);
}

}  // namespace platform::user
