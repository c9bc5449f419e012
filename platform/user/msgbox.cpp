// MessageBoxA: a modal dialog of the standard dialog class "#32770" with the system icon its
// flags name, the text in a "STATIC" child sized by word breaks, and a "BUTTON" child per
// button, centred on its owner. Its own modal loop keeps dispatching other windows'
// messages while the owner (or, task-modal, every window of the thread) is disabled.
#include <algorithm>
#include <string>
#include <vector>

#include "gdi/objects.h"
#include "platform/controls.h"
#include "platform/kernel.h"
#include "platform/messagebox.h"
#include "user/nonclient.h"
#include "user/state.h"

namespace platform::user {
namespace {

constexpr int kMargin = 11;
constexpr int kIconGap = 10;    // between the icon and the text
constexpr int kButtonGap = 12;  // between the text and the buttons
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonSpace = 6;  // between buttons
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x14;
const LPCSTR kDialogClass = MAKEINTATOM(32770);

struct Button {
  int id;
  const char* text;
};

struct Box {
  std::vector<Button> buttons;
  int defaultId = IDOK;
  bool done = false;
  int result = 0;

  bool Has(int id) const {
    return std::any_of(buttons.begin(), buttons.end(),
                       [id](const Button& b) { return b.id == id; });
  }
  // What Esc and the close box answer: Cancel, or OK when it is the only button.
  int CancelId() const {
    if (Has(IDCANCEL)) return IDCANCEL;
    return buttons.size() == 1 && buttons[0].id == IDOK ? IDOK : 0;
  }
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    case MB_CANCELTRYCONTINUE:
      return {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "&Try Again"}, {IDCONTINUE, "&Continue"}};
    default:
      return {{IDOK, "OK"}};
  }
}

LPCSTR IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
    default:
      return nullptr;
  }
}

HFONT MessageFont() {
  static HFONT font = [] {
    HFONT made =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    gdi::MakePermanent(made);
    return made;
  }();
  return font;
}

Box* BoxOf(HWND dialog) { return reinterpret_cast<Box*>(GetWindowLongA(dialog, GWLP_USERDATA)); }

void Answer(HWND dialog, int id) {
  Box* box = BoxOf(dialog);
  if (!box || !box->Has(id)) return;
  box->result = id;
  box->done = true;
}

LRESULT DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Box* box = BoxOf(window);
  switch (message) {
    case WM_COMMAND:
      if (box && HIWORD(wParam) == BN_CLICKED)
        Answer(window, LOWORD(wParam) == IDCANCEL ? box->CancelId() : LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      if (box) Answer(window, box->CancelId());
      return 0;
    case DM_GETDEFID:
      return box ? MAKELRESULT(static_cast<WORD>(box->defaultId), DC_HASDEFID) : 0;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void EnsureDialogClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DialogProcedure;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kDialogClass;
  registered = RegisterSystemClass(wc) != 0;
}

SIZE MeasureText(const std::string& text, int maxWidth) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MessageFont());
  RECT r{0, 0, maxWidth, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

HWND MakeChild(HWND dialog, const char* className, const char* text, DWORD style, const RECT& r,
               int id) {
  HWND child =
      CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                      r.right - r.left, r.bottom - r.top, dialog,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
  if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  return child;
}

// The windows a message box turns off while it shows, and turns on again afterwards.
std::vector<HWND> Disable(HWND owner, bool taskModal) {
  std::vector<HWND> candidates;
  if (taskModal) {
    for (Window* w : Global().desktop->children)
      if (w->threadId == CurrentThreadId() && w->Visible()) candidates.push_back(w->handle);
  }
  if (owner) candidates.push_back(owner);
  std::vector<HWND> disabled;
  for (HWND h : candidates)
    if (IsWindowEnabled(h) && std::find(disabled.begin(), disabled.end(), h) == disabled.end()) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }
  return disabled;
}

int RunBox(HWND dialog, Box& box) {
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (!box.done && IsWindow(dialog)) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(quitCode);
  return box.done ? box.result : 0;
}

}  // namespace
}  // namespace platform::user

using namespace platform::user;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  EnsureStarted();
  if (owner && !Lookup(owner)) return 0;
  // Without an owner the box belongs to the active window, as an application-modal one.
  if (!owner) owner = GetActiveWindow();
  if (owner) owner = GetAncestor(owner, GA_ROOT);
  EnsureDialogClass();
  MessageBeep(type & MB_ICONMASK);

  Box box;
  box.buttons = ButtonsOf(type);
  std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
  box.defaultId = box.buttons[defaultIndex < box.buttons.size() ? defaultIndex : 0].id;
  std::string message = text ? text : "";
  HICON icon = IconOf(type) ? LoadIconA(nullptr, IconOf(type)) : nullptr;

  // The layout: icon at the top left, the text beside it (centred on a one-line icon
  // height), the buttons centred below both.
  POINT screen = Global().screenSize;
  int iconSize = icon ? GetSystemMetrics(SM_CXICON) : 0;
  int textLeft = kMargin + (icon ? iconSize + kIconGap : 0);
  SIZE textSize = MeasureText(message, std::max(100, screen.x * 5 / 8 - textLeft - kMargin));
  int textTop = kMargin + (icon && textSize.cy < iconSize ? (iconSize - textSize.cy) / 2 : 0);
  int count = static_cast<int>(box.buttons.size());
  int rowWidth = count * kButtonWidth + (count - 1) * kButtonSpace;
  int clientWidth = std::max(textLeft + textSize.cx + kMargin, rowWidth + 2 * kMargin);
  int buttonsTop = std::max(kMargin + iconSize, textTop + textSize.cy) + kButtonGap;
  int clientHeight = buttonsTop + kButtonHeight + kMargin;

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_MODALFRAME;
  DWORD exStyle = WS_EX_DLGMODALFRAME;
  if (type & (MB_TOPMOST | MB_SYSTEMMODAL)) exStyle |= WS_EX_TOPMOST;
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT around{0, 0, screen.x, screen.y};
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  int x =
      std::clamp<int>((around.left + around.right - width) / 2, 0, std::max(0, screen.x - width));
  int y =
      std::clamp<int>((around.top + around.bottom - height) / 2, 0, std::max(0, screen.y - height));

  HWND dialog = CreateWindowExA(exStyle, kDialogClass, caption ? caption : "Error", style, x, y,
                                width, height, owner, nullptr, nullptr, nullptr);
  if (!dialog) return 0;
  SetWindowLongA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  if (icon) {
    HWND iconWindow =
        MakeChild(dialog, "STATIC", "", SS_ICON,
                  RECT{kMargin, kMargin, kMargin + iconSize, kMargin + iconSize}, kIconId);
    SendMessageA(iconWindow, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  MakeChild(dialog, "STATIC", message.c_str(), SS_LEFT | SS_NOPREFIX,
            RECT{textLeft, textTop, textLeft + textSize.cx, textTop + textSize.cy}, kTextId);
  HWND focus = nullptr;
  int buttonLeft = (clientWidth - rowWidth) / 2;
  for (const Button& b : box.buttons) {
    bool isDefault = b.id == box.defaultId;
    RECT r{buttonLeft, buttonsTop, buttonLeft + kButtonWidth, buttonsTop + kButtonHeight};
    HWND button = MakeChild(dialog, "BUTTON", b.text,
                            WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                                (&b == &box.buttons[0] ? WS_GROUP : 0),
                            r, b.id);
    if (isDefault) focus = button;
    buttonLeft += kButtonWidth + kButtonSpace;
  }
  // A box without Cancel cannot be closed from its frame.
  if (!box.CancelId())
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

  BeginModalLoop();
  std::vector<HWND> disabled = Disable(owner, (type & MB_TASKMODAL) != 0);
  ShowWindow(dialog, SW_SHOWNORMAL);
  if (type & MB_SETFOREGROUND) SetForegroundWindow(dialog);
  if (focus) SetFocus(focus);
  int result = RunBox(dialog, box);
  // The owner is on again before the box goes, so that it is the window activated next.
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  if (IsWindow(dialog)) {
    SetWindowLongA(dialog, GWLP_USERDATA, 0);
    DestroyWindow(dialog);
  }
  if (owner && IsWindow(owner) && !GetActiveWindow()) SetActiveWindow(owner);
  return result;
}

BOOL MessageBeep(UINT type) {
  (void)type;
  return TRUE;  // the platform has no alert sounds of its own: accepted, silent
}
