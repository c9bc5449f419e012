// TForm: the active control, focus moves with their enter and exit notices, activation
// and the dialog keys (Tab, Shift+Tab and the arrows).
#include <vector>

#include "forms/bridges.h"
#include "forms/form.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

void TForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control != nullptr && (control == this || ParentForm(control) != this ||
                             (!IsLoading() && !control->CanTakeFocus())))
    throw EInvalidOperation(LoadStr(61486));
  activeControl_ = control;
  if (!IsLoading() && active_) SetWindowFocus();
}

void TForm::SetWindowFocus() {
  if (!HasWindow() || IsIconic(handle_)) return;
  HWND target = activeControl_ != nullptr ? activeControl_->Handle() : handle_;
  ::SetFocus(target);
}

void TForm::FocusControl(TWinControl* control) {
  bool wasActive = active_;
  SetActiveControl(control);
  if (!wasActive) TakeFocus();
}

void TForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(focusedControl_)) focusedControl_ = control->Parent();
  if (control->ContainsControl(activeControl_)) {
    activeControl_ = nullptr;
    if (active_ && HasWindow() && !ComponentState().Contains(Destroying)) ::SetFocus(handle_);
  }
}

bool TForm::CanTakeFocus() { return Visible() && Enabled(); }

void TForm::TakeFocus() {
  if (!active_ && (!Visible() || !Enabled())) throw EInvalidOperation(LoadStr(61486));
  if (HasWindow()) {
    SetActiveWindow(handle_);
    SetWindowFocus();
  }
}

bool TForm::SetFocusedControl(TWinControl* control) {
  if (Screen == nullptr) return true;
  TAliveGuard guard(this);
  Screen->SetActive(this, control);
  if (control != this) activeControl_ = control;
  Deliver(FM_FOCUS_CHANGED, 0, reinterpret_cast<LPARAM>(control));
  if (!guard.Alive()) return false;
  TWinControl* old = focusedControl_;
  focusedControl_ = control;
  // Exits from the old control up to the common parent, then enters down to the new one;
  // a handler that moves the focus elsewhere ends this move.
  for (TWinControl* c = old; c != nullptr && !c->ContainsControl(control); c = c->Parent()) {
    c->Deliver(FM_EXIT);
    if (!guard.Alive() || focusedControl_ != control) return false;
  }
  std::vector<TWinControl*> entering;
  for (TWinControl* c = control; c != nullptr && (old == nullptr || !c->ContainsControl(old));
       c = c->Parent())
    entering.push_back(c);
  for (auto it = entering.rbegin(); it != entering.rend(); ++it) {
    (*it)->Deliver(FM_ENTER);
    if (!guard.Alive() || focusedControl_ != control) return false;
  }
  for (TWinControl* c = control->Parent(); c != nullptr; c = c->Parent())
    if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(c)) scrolling->ScrollInView(control);
  return true;
}

void TForm::WMActivate(TMessage& message) {
  WORD state = LOWORD(message.WParam);
  active_ = state != WA_INACTIVE;
  if (active_) {
    if (activeControl_ == nullptr) {
      TWinControl* first = FindNextControl(nullptr, true, true, false);
      if (first != nullptr && first->CanTakeFocus()) activeControl_ = first;
    }
    SetWindowFocus();
    return;
  }
  InheritedMessage(StaticClass(), message);
}

void TForm::FMActivate(TMessage&) { OnActivate(this); }
void TForm::FMDeactivate(TMessage&) { OnDeactivate(this); }

void TForm::FMDialogKey(TMessage& message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN:
        if (activeControl_ != nullptr && activeControl_->Parent() != nullptr) {
          bool forward = message.WParam == VK_RIGHT || message.WParam == VK_DOWN;
          activeControl_->Parent()->SelectNext(activeControl_, forward, false);
        }
        message.Result = 1;
        return;
      default:
        break;
    }
  }
  InheritedMessage(StaticClass(), message);
}
