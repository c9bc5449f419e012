// TWinControl: the keyboard path (reflected key notifications, shortcuts, dialog keys
// and key events), focus and tab order.
#include <algorithm>

#include "forms/bridges.h"
#include "forms/form.h"
#include "forms/wincontrol.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

// The navigation keys offered to the form unless the control wants them, with the
// WM_GETDLGCODE bit that claims them.
LRESULT DialogCodeMask(WPARAM key) {
  switch (key) {
    case VK_TAB:
      return DLGC_WANTTAB;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return DLGC_WANTARROWS;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
    case VK_EXECUTE:
      return DLGC_WANTALLKEYS;
    default:
      return 0;
  }
}

// The form of a control's top parent, when that is a TForm.
TForm* TopForm(TControl* control) {
  while (control->Parent() != nullptr) control = control->Parent();
  return dynamic_cast<TForm*>(control);
}

}  // namespace

// Is the key-down record a shortcut of a pop-up menu up the parent chain, of the form's
// main menu or of the application?
bool TWinControl::IsMenuKey(TMessage& message) {
  if (InDesignMode()) return false;
  if (TMenuBridge* menus = MenuBridge(); menus != nullptr) {
    for (TControl* control = this; control != nullptr; control = control->Parent()) {
      TComponent* menu = control->PopupMenuQuery();
      if (menu != nullptr && menus->IsShortCut(menu, message)) return true;
    }
    if (TForm* form = TopForm(this); form != nullptr && form->MenuComponent() != nullptr &&
                                     menus->IsShortCut(form->MenuComponent(), message))
      return true;
  }
  HWND application = ApplicationBridge().Handle();
  return application != nullptr &&
         SendMessageA(application, FM_APP_KEY_DOWN, message.WParam, message.LParam) != 0;
}

void TWinControl::FNKeyDown(TMessage& message) {
  message.Result = 1;
  TMessage key{WM_KEYDOWN, message.WParam, message.LParam, 0};
  TAliveGuard guard(this);
  if (IsMenuKey(key) || !guard.Alive()) return;
  if (!InDesignMode()) {
    // FM_CHILD_KEY travels up the parent chain by itself (FMPassUp).
    if (Deliver(FM_CHILD_KEY, message.WParam, reinterpret_cast<LPARAM>(this)) != 0 ||
        !guard.Alive())
      return;
    LRESULT mask = DialogCodeMask(message.WParam);
    if (mask != 0) {
      if (Deliver(FM_WANT_SPECIAL_KEY, message.WParam) == 0 && guard.Alive() &&
          (Deliver(WM_GETDLGCODE) & mask) == 0 && guard.Alive()) {
        if (::Deliver(TopForm(this), FM_DIALOG_KEY, message.WParam, message.LParam) != 0) return;
      }
    }
  }
  message.Result = 0;
}

void TWinControl::FNKeyUp(TMessage& message) {
  if (InDesignMode()) return;
  if (DialogCodeMask(message.WParam) != 0)
    message.Result = Deliver(FM_WANT_SPECIAL_KEY, message.WParam);
}

void TWinControl::FNChar(TMessage& message) {
  if (InDesignMode()) return;
  message.Result = 1;
  TAliveGuard guard(this);
  if ((Deliver(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0 && guard.Alive() &&
      ::Deliver(TopForm(this), FM_DIALOG_CHAR, message.WParam, message.LParam) != 0)
    return;
  message.Result = 0;
}

void TWinControl::FNSysKeyDown(TMessage& message) {
  message.Result = 1;
  TMessage key{WM_SYSKEYDOWN, message.WParam, message.LParam, 0};
  TAliveGuard guard(this);
  if (IsMenuKey(key) || !guard.Alive()) return;
  if (!InDesignMode()) {
    if (Deliver(FM_CHILD_KEY, message.WParam, reinterpret_cast<LPARAM>(this)) != 0 ||
        !guard.Alive())
      return;
    if (::Deliver(TopForm(this), FM_DIALOG_KEY, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

void TWinControl::FNSysChar(TMessage& message) {
  if (InDesignMode() || message.WParam == ' ') return;
  message.Result = ::Deliver(TopForm(this), FM_DIALOG_CHAR, message.WParam, message.LParam);
}

// Key messages dispatched to the window.

bool TWinControl::DoKeyDown(TMessage& message) {
  TForm* form = TopForm(this);
  TAliveGuard guard(this);
  if (form != nullptr && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyDown(message))
    return true;
  if (!guard.Alive()) return true;
  auto key = static_cast<WORD>(message.WParam);
  TShiftState shift = KeyShiftState(message.LParam);
  if ((styleFlags_ & csNoStdEvents) == 0) {
    HandleKeyDown(key, shift);
    if (!guard.Alive()) return true;
    message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  TForm* form = TopForm(this);
  TAliveGuard guard(this);
  if (form != nullptr && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyUp(message))
    return true;
  if (!guard.Alive()) return true;
  auto key = static_cast<WORD>(message.WParam);
  if ((styleFlags_ & csNoStdEvents) == 0) {
    HandleKeyUp(key, KeyShiftState(message.LParam));
    if (!guard.Alive()) return true;
    message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  TForm* form = TopForm(this);
  TAliveGuard guard(this);
  if (form != nullptr && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyPress(message))
    return true;
  if (!guard.Alive()) return true;
  if ((styleFlags_ & csNoStdEvents) == 0) {
    char character = static_cast<char>(message.WParam);
    HandleKeyPress(character);
    if (!guard.Alive()) return true;
    message.WParam = static_cast<unsigned char>(character);
    if (character == '\0') return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& message) {
  TAliveGuard guard(this);
  if (DoKeyDown(message) || !guard.Alive()) return;
  if (message.WParam == VK_APPS && KeyShiftState(message.LParam).Empty()) {
    PopupAt(0, 0);
    if (!guard.Alive()) return;
  }
  InheritedMessage(StaticClass(), message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  TAliveGuard guard(this);
  if (DoKeyUp(message) || !guard.Alive()) return;
  InheritedMessage(StaticClass(), message);
}

void TWinControl::WMChar(TMessage& message) {
  TAliveGuard guard(this);
  if (DoKeyPress(message) || !guard.Alive()) return;
  InheritedMessage(StaticClass(), message);
}

void TWinControl::HandleKeyDown(WORD& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::HandleKeyUp(WORD& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::HandleKeyPress(char& key) { OnKeyPress(this, key); }

// Focus and tab order.

bool TWinControl::CanTakeFocus() {
  TForm* form = ParentForm(this);
  if (form == nullptr) return false;
  for (TWinControl* control = this; control != form; control = control->Parent())
    if (control == nullptr || !control->Visible() || !control->Enabled()) return false;
  return true;
}

bool TWinControl::HasFocus() { return handle_ != nullptr && GetFocus() == handle_; }

void TWinControl::TakeFocus() {
  TForm* form = ParentForm(this);
  if (form == nullptr) throw EInvalidOperation(FmtLoadStr(61487, Name()));
  form->FocusControl(this);
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if ((StateFlags() & stReadingState) != 0) {
    storedTabOrder_ = static_cast<std::int16_t>(value);
    return;
  }
  if (Parent() == nullptr) return;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  int count = static_cast<int>(list.size());
  if (value < 0) value = 0;
  if (value >= count) value = count - 1;
  list.erase(it);
  list.insert(list.begin() + value, this);
}

void TWinControl::ApplyStoredTabOrders() {
  std::vector<TWinControl*> ordered(tabList_);
  std::stable_sort(ordered.begin(), ordered.end(), [](TWinControl* a, TWinControl* b) {
    return a->storedTabOrder_ < b->storedTabOrder_;
  });
  for (TWinControl* child : ordered) {
    int value = child->storedTabOrder_;
    if (value >= 0 && value < static_cast<int>(tabList_.size())) child->SetTabOrder(value);
  }
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& list) {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->CollectTabOrder(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) {
  std::vector<TWinControl*> list;
  CollectTabOrder(list);
  if (list.empty()) return nullptr;
  auto count = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it != list.end() ? static_cast<int>(it - list.begin()) : (forward ? count - 1 : 0);
  int index = start;
  for (int step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index + count - 1) % count;
    TWinControl* candidate = list[static_cast<std::size_t>(index)];
    if (candidate != current && candidate->CanTakeFocus() &&
        (!checkTabStop || candidate->TabStop()) && (!checkParent || candidate->Parent() == this))
      return candidate;
    if (index == start) break;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, forward, checkTabStop, !checkTabStop);
  if (next != nullptr) next->TakeFocus();
}
