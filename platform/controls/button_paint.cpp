// "BUTTON": the classic look. A push button is a raised face with its caption; a check box
// or radio button is its box (DrawFrameControl) beside the caption on the parent's
// background; a group box is an etched frame with the caption set into its top line.
#include <algorithm>
#include <string>

#include "controls/button.h"

namespace platform::controls {
namespace {

constexpr int kBoxSize = 13;  // the check box and radio cell
constexpr int kBoxGap = 4;    // between the cell and the caption
constexpr int kGroupIndent = 8;

std::string TextOf(HWND window) {
  char text[1024];
  int length = GetWindowTextA(window, text, sizeof text);
  return std::string(text, static_cast<std::size_t>(std::max(length, 0)));
}

UINT TextFormat(DWORD style, UINT defaultAlignment) {
  UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
  switch (style & BS_CENTER) {
    case BS_LEFT:
      return format | DT_LEFT;
    case BS_RIGHT:
      return format | DT_RIGHT;
    case BS_CENTER:
      return format | DT_CENTER;
    default:
      return format | defaultAlignment;
  }
}

// Several lines are centred as a block: moves the top of `area` down accordingly.
void CentreBlock(HDC dc, const std::string& text, RECT& area, UINT format) {
  if (!(format & DT_WORDBREAK) || text.empty()) return;
  RECT measure = area;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, format | DT_CALCRECT);
  int offset = ((area.bottom - area.top) - (measure.bottom - measure.top)) / 2;
  if (offset > 0) area.top += offset;
}

// The caption in the colours the DC holds, or embossed when the button is disabled.
void DrawCaption(HWND window, HDC dc, const std::string& text, RECT area, UINT format) {
  if (text.empty()) return;
  if (IsWindowEnabled(window)) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    SetBkMode(dc, oldMode);
  } else {
    DrawDisabledText(dc, text, area, format);
  }
}

void PaintPush(Button& b, HDC dc, const RECT& outer, const std::string& text) {
  HWND window = b.window;
  DWORD style = StyleOf(window);
  // Parents may want to know; a push button keeps the system colours whatever they answer.
  ControlColours(window, dc, WM_CTLCOLORBTN);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT r = outer;
  bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (isDefault) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  int shift = 0;
  if (b.pushed) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&r, -1, -1);
    FillSysColour(dc, r, COLOR_BTNFACE);
    shift = 1;
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
  }
  RECT area{r.left + 1 + shift, r.top + 1 + shift, r.right - 1 + shift, r.bottom - 1 + shift};
  UINT format = TextFormat(style, DT_CENTER);
  CentreBlock(dc, text, area, format);
  DrawCaption(window, dc, text, area, format);
  if (b.focused) {
    RECT focus = outer;
    InflateRect(&focus, isDefault ? -4 : -3, isDefault ? -4 : -3);
    DrawFocusRect(dc, &focus);
  }
}

// A check box or radio button: the box at the left (at the right with BS_LEFTTEXT),
// centred on the height, the caption beside it, the focus rectangle around the caption.
void PaintCheck(Button& b, HDC dc, const RECT& client, const std::string& text) {
  HWND window = b.window;
  DWORD style = StyleOf(window);
  HBRUSH brush = ControlColours(window, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &client, brush);
  bool leftText = style & BS_LEFTTEXT;
  int top = client.top + (client.bottom - client.top - kBoxSize) / 2;
  int left = leftText ? client.right - kBoxSize : client.left;
  RECT box{left, top, left + kBoxSize, top + kBoxSize};
  UINT state = TypeOfButton(style) == ButtonType::Radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  if (b.check == BST_INDETERMINATE) state = DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (b.check == BST_CHECKED) state |= DFCS_CHECKED;
  if (b.pushed) state |= DFCS_PUSHED;
  if (!IsWindowEnabled(window)) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);

  RECT area = client;
  if (leftText)
    area.right = box.left - kBoxGap;
  else
    area.left = box.right + kBoxGap;
  UINT format = TextFormat(style, DT_LEFT);
  CentreBlock(dc, text, area, format);
  DrawCaption(window, dc, text, area, format);
  if (!b.focused) return;
  RECT focus = box;
  if (!text.empty()) {
    // Where DrawTextA put the caption: its measured size placed as the format places it.
    RECT measure = area;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, format | DT_CALCRECT);
    int width = measure.right - measure.left, height = measure.bottom - measure.top;
    focus.left = (format & DT_RIGHT)    ? area.right - width
                 : (format & DT_CENTER) ? area.left + (area.right - area.left - width) / 2
                                        : area.left;
    focus.top = (format & DT_VCENTER) ? area.top + (area.bottom - area.top - height) / 2 : area.top;
    focus.right = focus.left + width;
    focus.bottom = focus.top + height;
  }
  InflateRect(&focus, 1, 1);
  IntersectRect(&focus, &focus, &client);
  DrawFocusRect(dc, &focus);
}

// The etched frame starts half a line down, so that its top line runs through the middle
// of the caption; the caption's background breaks the line.
void PaintGroup(Button& b, HDC dc, const RECT& client, const std::string& text) {
  HWND window = b.window;
  DWORD style = StyleOf(window);
  HBRUSH brush = ControlColours(window, dc, WM_CTLCOLORSTATIC);
  int lineHeight = MetricsOf(b.font).height;
  RECT frame{client.left, client.top + lineHeight / 2, client.right, client.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (text.empty()) return;
  RECT measure{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, DT_SINGLELINE | DT_CALCRECT);
  int room = std::max(0, static_cast<int>(client.right - client.left) - 2 * kGroupIndent);
  int width = std::min(static_cast<int>(measure.right), room);
  int left = client.left + kGroupIndent;
  if ((style & BS_CENTER) == BS_CENTER)
    left = client.left + (client.right - client.left - width) / 2;
  else if ((style & BS_CENTER) == BS_RIGHT)
    left = client.right - kGroupIndent - width;
  RECT caption{left, client.top, left + width, client.top + lineHeight};
  RECT gap{caption.left - 2, caption.top, caption.right + 2, caption.bottom};
  FillRect(dc, &gap, brush);
  DrawCaption(window, dc, text, caption, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

}  // namespace

void PaintButton(Button& b, HDC dc) {
  RECT client = ClientRectOf(b.window);
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(b.font));
  COLORREF oldText = GetTextColor(dc);
  std::string text = TextOf(b.window);
  switch (TypeOfButton(StyleOf(b.window))) {
    case ButtonType::Push:
      PaintPush(b, dc, client, text);
      break;
    case ButtonType::CheckBox:
    case ButtonType::Radio:
      PaintCheck(b, dc, client, text);
      break;
    case ButtonType::GroupBox:
      PaintGroup(b, dc, client, text);
      break;
  }
  SetTextColor(dc, oldText);
  SelectObject(dc, oldFont);
}

}  // namespace platform::controls
