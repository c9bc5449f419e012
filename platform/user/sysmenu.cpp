// The system menu: each window's own copy of the default entries, made on first request,
// with the entries enabled as the window's state and styles allow.
#include "platform/kernel.h"
#include "user/menus.h"

namespace platform::user {

HMENU MakeSystemMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING, SC_RESTORE, "&Restore");
  AppendMenuA(menu, MF_STRING, SC_MOVE, "&Move");
  AppendMenuA(menu, MF_STRING, SC_SIZE, "&Size");
  AppendMenuA(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  AppendMenuA(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
  LookupMenuQuiet(menu)->system = true;
  return menu;
}

void UpdateSystemMenu(Window* w, HMENU menu) {
  DWORD style = w->style;
  bool minimized = (style & WS_MINIMIZE) != 0, maximized = (style & WS_MAXIMIZE) != 0;
  auto enable = [menu](UINT command, bool on) {
    // Entries the program removed stay removed; the call fails quietly for them.
    DWORD error = GetLastError();
    EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    SetLastError(error);
  };
  enable(SC_RESTORE, minimized || maximized);
  enable(SC_MOVE, !maximized);
  enable(SC_SIZE, (style & WS_THICKFRAME) && !minimized && !maximized);
  enable(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
  enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
  enable(SC_CLOSE, !(w->windowClass->style & CS_NOCLOSE));
}

}  // namespace platform::user

using namespace platform::user;

HMENU GetSystemMenu(HWND window, BOOL revert) {
  Window* w = Lookup(window);
  if (!w) return nullptr;
  if (revert) {
    if (w->systemMenu) DestroyMenu(w->systemMenu);
    w->systemMenu = nullptr;
    return nullptr;
  }
  if (!(w->style & WS_SYSMENU) || w->IsChild()) return nullptr;
  if (!LookupMenuQuiet(w->systemMenu)) w->systemMenu = MakeSystemMenu();
  return w->systemMenu;
}
