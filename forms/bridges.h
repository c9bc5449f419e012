// The seams between forms/ and the layers above it. forms/ may not include controls/ or
// app/, yet a control must ask the menus whether a key is a shortcut and show its pop-up
// menu, a form must attach and route its main menu, and every window procedure hands
// its exceptions to the application. The layer above registers its side at start-up:
// controls/menus.cpp a TMenuBridge, forms/application.cpp a TApplicationBridge. Until then
// the defaults below stand in (no menus; exceptions reported on stderr).
#pragma once
#include <string>

#include "forms/forward.h"
#include "forms/messages.h"

class TComponent;

// What the menus offer to controls and forms. Menus travel as TComponent* (a TPopupMenu
// or a TMainMenu); forms/ never needs more of them.
class TMenuBridge {
 public:
  virtual ~TMenuBridge() = default;

  // Key path: is the key-down record (key code in wParam, key data in lParam) one of the
  // menu's shortcuts? Clicks the item when it is and returns true.
  virtual bool IsShortCut(TComponent* menu, TMessage& keyMessage) = 0;
  // Pop-up menu rule: does the menu pop up by itself on a right-button release?
  virtual bool AutoPopup(TComponent* popupMenu) = 0;
  // Shows the pop-up menu at a screen point, with popupComponent as its pop-up component.
  virtual void Popup(TComponent* popupMenu, TControl* popupComponent, int x, int y) = 0;

  // Forms: is the component a main menu (a TMainMenu)?
  virtual bool IsMainMenu(TComponent* component) = 0;
  // The platform menu of a main menu, made on first use.
  virtual HMENU MenuHandle(TComponent* mainMenu) = 0;
  // Binds the menu's items to the window that shows it (0 to unbind).
  virtual void SetWindowHandle(TComponent* mainMenu, HWND window) = 0;
  // The window the menu is bound to; 0 when none.
  virtual HWND WindowHandle(TComponent* mainMenu) = 0;
  // WM_COMMAND from the menu: clicks the item with that command identifier.
  virtual bool DispatchCommand(TComponent* mainMenu, WORD command) = 0;
  // WM_INITMENUPOPUP: prepares the pop-up of that menu handle.
  virtual bool DispatchPopup(TComponent* mainMenu, HMENU menu) = 0;
  // WM_MENUSELECT: the hint of the item selected (by handle when the pop-up flag 0x10 is
  // set, else by command); false when the menu has no such item.
  virtual bool SelectedItemHint(TComponent* mainMenu, WORD item, WORD flags, HMENU menu,
                                std::string& hint) = 0;
};

// The registered menu side; nullptr until the menus register theirs.
TMenuBridge* MenuBridge();
void SetMenuBridge(TMenuBridge* bridge);

// What the application offers to forms/. The default object stands in until the
// application registers itself.
class TApplicationBridge {
 public:
  virtual ~TApplicationBridge() = default;

  // The exception display of every window procedure; called inside a catch block with
  // the control (or other object) whose handler raised. The default writes the message
  // to stderr.
  virtual void HandleException(TObject* sender);
  // The hidden application window: owner of top-level forms, receiver of FM_APP_KEY_DOWN.
  virtual HWND Handle() { return nullptr; }
  // Hint tracking of a mouse move over control.
  virtual void HintMouseMessage(TControl* /*control*/, TMessage& /*message*/) {}
  // The application drops every reference it holds to the control (main form, control
  // under the mouse, hint control).
  virtual void ControlDestroyed(TControl* /*control*/) {}
  // The main form, or nullptr.
  virtual TForm* MainForm() { return nullptr; }
  // Ends the message loop (the main form was closed).
  virtual void Terminate() {}
  // The application's hint text changes to this control's long hint.
  virtual void SetHint(const std::string& /*hint*/) {}
  // Shows the application and its last active pop-up in front.
  virtual void BringToFront() {}
  // The program's icon, for forms without one of their own.
  virtual HICON ApplicationIcon() { return nullptr; }
};

TApplicationBridge& ApplicationBridge();
// nullptr puts the default back.
void SetApplicationBridge(TApplicationBridge* bridge);
