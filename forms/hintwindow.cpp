// THintWindow: the small pop-up that shows a hint text.
#include <cstring>

#include "forms/wincontrol.h"

TD_IMPLEMENT_CLASS(THintWindow)
void THintWindow::Describe(Describer& d) {
  d.Message(FM_TEXT_CHANGED, &THintWindow::FMTextChanged);
}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(static_cast<TColor>(0x80FFFF));
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    Font()->SetName(metrics.lfStatusFont.lfFaceName);
    Font()->SetHeight(metrics.lfStatusFont.lfHeight);
  } else {
    Font()->SetName("MS Sans Serif");
  }
  Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::FillWindowParams(TWindowParams& params) {
  TCustomControl::FillWindowParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.WindowClass.style |= CS_SAVEBITS;
  params.ExStyle |= WS_EX_TOOLWINDOW;
}

void THintWindow::FMTextChanged(TMessage&) {
  std::string text = Caption();
  Canvas()->Lock();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  Canvas()->Unlock();
  SetWidth(size.cx + 6);
  SetHeight(size.cy + 4);
}

void THintWindow::PaintSelf() {
  RECT rect = ClientRect();
  rect.left += 1;
  rect.top += 1;
  Canvas()->Font()->SetColor(clInfoText);
  std::string text = Caption();
  DrawTextA(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
            DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

RECT THintWindow::CalcHintRect(const std::string& hint) {
  RECT rect{0, 0, GetSystemMetrics(SM_CXSCREEN), 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  DrawTextA(dc, hint.c_str(), static_cast<int>(hint.size()), &rect,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  rect.right += 6;
  rect.bottom += 2;
  return rect;
}

void THintWindow::ActivateHint(RECT rect, const std::string& hint) {
  SetCaption(hint);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (rect.bottom > screenHeight) {
    int height = rect.bottom - rect.top;
    rect.top = screenHeight - height;
    rect.bottom = rect.top + height;
  }
  if (rect.right > screenWidth) {
    int width = rect.right - rect.left;
    rect.left = screenWidth - width;
    rect.right = rect.left + width;
  }
  if (rect.left < 0) {
    rect.right -= rect.left;
    rect.left = 0;
  }
  if (rect.top < 0) {
    rect.bottom -= rect.top;
    rect.top = 0;
  }
  SetBoundsRect(rect);
  SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void THintWindow::ReleaseHint() {
  if (HasWindow() && IsWindowVisible(Handle()))
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool THintWindow::IsHintMessage(const MSG& message) {
  UINT m = message.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == FM_ACTIVATE || m == FM_DEACTIVATE ||
         m == FM_APP_KEY_DOWN || m == FM_APP_SYS_COMMAND || m == WM_COMMAND ||
         (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}
