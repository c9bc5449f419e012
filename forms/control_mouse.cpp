// TControl: mouse messages, click events, the mouse capture and the pop-up menu rule.
#include "forms/bridges.h"
#include "forms/control.h"
#include "forms/form.h"
#include "forms/internal.h"
#include "forms/wincontrol.h"

namespace {

// The windowless control that holds the capture through its parent's window.
TControl* captureControl = nullptr;

}  // namespace

namespace forms_detail {
void ForgetCaptureControl(TControl* control) {
  if (captureControl == control) captureControl = nullptr;
}
}  // namespace forms_detail

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState shift;
  if ((keys & MK_SHIFT) != 0) shift.Include(ssShift);
  if ((keys & MK_CONTROL) != 0) shift.Include(ssCtrl);
  if ((keys & MK_LBUTTON) != 0) shift.Include(ssLeft);
  if ((keys & MK_RBUTTON) != 0) shift.Include(ssRight);
  if ((keys & MK_MBUTTON) != 0) shift.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

TShiftState KeyShiftState(LPARAM keyData) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if ((keyData & 0x20000000) != 0) shift.Include(ssAlt);
  return shift;
}

void TControl::CaptureMouse(bool capture) {
  if (capture) {
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed != nullptr) {
      captureControl = nullptr;
      SetCapture(windowed->Handle());
    } else if (parent_ != nullptr) {
      captureControl = this;
      SetCapture(parent_->Handle());
    }
  } else if (HasCapture()) {
    // Only the control's own capture: the window procedure may have handed the mouse on
    // meanwhile (a combo box gives it to its dropped-down list).
    captureControl = nullptr;
    ReleaseCapture();
  }
}

TControl* TControl::CaptureControl() {
  TControl* control = FindControl(GetCapture());
  if (captureControl != nullptr && captureControl->Parent() == control && control != nullptr)
    return captureControl;
  return control;
}

bool TControl::HasCapture() const { return CaptureControl() == this; }

void TControl::CancelModes(TControl* pressed) {
  TForm* form = ParentForm(this);
  if (form != nullptr && Screen != nullptr && form == Screen->ActiveForm())
    ::Deliver(form->ActiveControl(), FM_CANCEL_MODE, 0, reinterpret_cast<LPARAM>(pressed));
}

void TControl::MouseMessage(TMessage& message, TMouseButton button, bool down, bool dbl) {
  POINT point = PointFromLParam(message.LParam);
  TShiftState shift = MouseShiftState(message.WParam);
  if (dbl) shift.Include(ssDouble);
  if ((styleFlags_ & csNoStdEvents) != 0) return;
  if (down)
    HandleMouseDown(button, shift, point.x, point.y);
  else
    HandleMouseUp(button, shift, point.x, point.y);
}

void TControl::WMLButtonDown(TMessage& message) {
  TAliveGuard guard(this);
  CancelModes(this);
  if (!guard.Alive()) return;
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive()) return;
  if ((styleFlags_ & csCaptureMouse) != 0) CaptureMouse(true);
  if ((styleFlags_ & csClickEvents) != 0) stateFlags_ |= stClicked;
  MouseMessage(message, mbLeft, true, false);
}

void TControl::WMLButtonDblClk(TMessage& message) {
  TAliveGuard guard(this);
  CancelModes(this);
  if (!guard.Alive()) return;
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive()) return;
  if ((styleFlags_ & csCaptureMouse) != 0) CaptureMouse(true);
  if ((styleFlags_ & csClickEvents) != 0) FireDblClick();
  if (!guard.Alive()) return;
  MouseMessage(message, mbLeft, true, true);
}

void TControl::WMRButtonDown(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive()) MouseMessage(message, mbRight, true, false);
}

void TControl::WMRButtonDblClk(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive()) MouseMessage(message, mbRight, true, true);
}

void TControl::WMMButtonDown(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive()) MouseMessage(message, mbMiddle, true, false);
}

void TControl::WMMButtonDblClk(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive()) MouseMessage(message, mbMiddle, true, true);
}

void TControl::WMMouseMove(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive() || (styleFlags_ & csNoStdEvents) != 0) return;
  POINT point = PointFromLParam(message.LParam);
  HandleMouseMove(MouseShiftState(message.WParam), point.x, point.y);
}

void TControl::WMLButtonUp(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive()) return;
  if ((styleFlags_ & csCaptureMouse) != 0) CaptureMouse(false);
  if ((stateFlags_ & stClicked) != 0) {
    stateFlags_ &= static_cast<BYTE>(~stClicked);
    POINT point = PointFromLParam(message.LParam);
    RECT client = ClientRect();
    if (point.x >= client.left && point.x < client.right && point.y >= client.top &&
        point.y < client.bottom) {
      FireClick();
      if (!guard.Alive()) return;
    }
  }
  MouseMessage(message, mbLeft, false, false);
}

void TControl::WMRButtonUp(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive()) return;
  MouseMessage(message, mbRight, false, false);
  if (!guard.Alive()) return;
  POINT point = PointFromLParam(message.LParam);
  PopupAt(point.x, point.y);
}

void TControl::WMMButtonUp(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (guard.Alive()) MouseMessage(message, mbMiddle, false, false);
}

void TControl::WMNCLButtonDown(TMessage& message) {
  TAliveGuard guard(this);
  CancelModes(this);
  if (guard.Alive()) InheritedMessage(StaticClass(), message);
}

void TControl::WMCancelMode(TMessage& message) {
  TAliveGuard guard(this);
  InheritedMessage(StaticClass(), message);
  if (!guard.Alive() || !HasCapture()) return;
  CaptureMouse(false);
  if ((stateFlags_ & stLButtonDown) != 0) Deliver(WM_LBUTTONUP, 0, LParamFromPoint(-1, -1));
}

void TControl::PopupAt(int x, int y) {
  if (InDesignMode()) return;
  TMenuBridge* menus = MenuBridge();
  if (menus == nullptr) return;
  for (TControl* control = this; control != nullptr; control = control->Parent()) {
    TComponent* menu = control->PopupMenuQuery();
    if (menu == nullptr || !menus->AutoPopup(menu)) continue;
    POINT screen = ClientToScreen(POINT{x, y});
    CancelModes(nullptr);
    menus->Popup(menu, control, screen.x, screen.y);
    return;
  }
}

void TControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}

void TControl::HandleMouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

void TControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}

void TControl::FireClick() { OnClick(this); }
void TControl::FireDblClick() { OnDblClick(this); }
