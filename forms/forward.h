// The classes of forms/, for headers that only pass pointers or references.
#pragma once

class TControl;
class TGraphicControl;
class TControlCanvas;
class TWinControl;
class TCustomControl;
class THintWindow;
class TScrollingWinControl;
class TForm;
class TScreen;
class TDragObject;
class TDragControlObject;
class TApplicationBridge;
class TMenuBridge;
// Defined above this layer (controls/menus.h); forms/ uses them by pointer only.
class TMenu;
class TMainMenu;
class TPopupMenu;
