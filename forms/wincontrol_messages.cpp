// TWinControl: handlers of platform messages (position, cursor, destruction, palette,
// settings, system commands) and the reflection of child notifications.
#include "forms/bridges.h"
#include "forms/drag.h"
#include "forms/form.h"
#include "forms/wincontrol.h"

namespace {

// The first two fields of the owner-drawn item records (draw, measure, compare, delete):
// the control type and the control id, which is the child's window handle.
struct ItemRecordHeader {
  UINT CtlType;
  UINT CtlID;
};

// The header every WM_NOTIFY record starts with.
struct NotifyHeader {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};

}  // namespace

void TWinControl::ReadContents(TFiler& reader) {
  TControl::ReadContents(reader);
  ApplyStoredTabOrders();
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
  bool framed = Ctl3D() && (styleFlags_ & csFramed) != 0 && Parent() != nullptr &&
                (position == nullptr || (position->flags & SWP_NOREDRAW) == 0);
  bool moved = position != nullptr &&
               (position->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) &&
               handle_ != nullptr && IsWindowVisible(handle_);
  if (framed && moved) InvalidateFrame();
  if (handle_ != nullptr) {
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) != 0)
      MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
    if (!IsIconic(handle_)) {
      left_ = rect.left;
      top_ = rect.top;
      width_ = rect.right - rect.left;
      height_ = rect.bottom - rect.top;
    }
  }
  InheritedMessage(StaticClass(), message);
  bool shownOrHidden =
      position != nullptr && (position->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0;
  if (framed && (moved || shownOrHidden)) InvalidateFrame();
}

void TWinControl::WMSize(TMessage& message) {
  if (handle_ != nullptr && !IsIconic(handle_)) {
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) != 0)
      MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
    left_ = rect.left;
    top_ = rect.top;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
  }
  InheritedMessage(StaticClass(), message);
  Realign();
}

void TWinControl::WMMove(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  if (handle_ != nullptr && !IsIconic(handle_)) {
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) != 0)
      MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
    left_ = rect.left;
    top_ = rect.top;
  }
}

void TWinControl::WMSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) == handle_) {
    auto hit = static_cast<SHORT>(LOWORD(static_cast<ULONG_PTR>(message.LParam)));
    if (hit == HTERROR) {
      if (HIWORD(static_cast<ULONG_PTR>(message.LParam)) == WM_LBUTTONDOWN) {
        HWND application = ApplicationBridge().Handle();
        if (application != nullptr && GetLastActivePopup(application) != GetForegroundWindow()) {
          ApplicationBridge().BringToFront();
          return;
        }
      }
    } else if (hit == HTCLIENT) {
      TCursor cursor = Screen != nullptr ? Screen->Cursor() : crDefault;
      if (cursor == crDefault) {
        POINT point{};
        GetCursorPos(&point);
        TControl* child = ControlAtPos(ScreenToClient(point), false);
        cursor = child != nullptr ? child->Cursor() : Cursor();
      }
      if (cursor != crDefault && Screen != nullptr) {
        ::SetCursor(Screen->Cursors(cursor));
        message.Result = 1;
        return;
      }
    }
  }
  InheritedMessage(StaticClass(), message);
}

void TWinControl::WMDestroy(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  forms_detail::RemoveControlProperties(handle_);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::WMNCHitTest(TMessage& message) {
  if (InDesignMode() && Parent() != nullptr) {
    message.Result = HTCLIENT;
    return;
  }
  InheritedMessage(StaticClass(), message);
}

void TWinControl::WMQueryNewPalette(TMessage& message) {
  IncludeStateFlags(stPalette);
  bool realised = PaletteNotice(true);
  for (int i = 0; i < ControlCount() && !realised; ++i) realised = Controls(i)->PaletteNotice(true);
  message.Result = realised ? 1 : 0;
}

void TWinControl::WMPaletteChanged(TMessage& message) {
  message.Result = PaletteNotice(false) ? 1 : 0;
}

void TWinControl::WMSysColorChange(TMessage&) {
  RefreshSystemColors();
  Deliver(FM_SYS_COLOR_CHANGE);
}

void TWinControl::WMSettingChange(TMessage& message) {
  switch (message.Msg) {
    case WM_WININICHANGE:
      Deliver(FM_WIN_INI_CHANGE, message.WParam, message.LParam);
      break;
    case WM_FONTCHANGE:
      Deliver(FM_SYS_FONT_CHANGE);
      break;
    default:
      Deliver(FM_TIME_CHANGE);
      break;
  }
}

void TWinControl::WMSysCommand(TMessage& message) {
  if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam != ' ' && message.LParam != '-' &&
      handle_ != nullptr && !IsIconic(handle_) && GetCapture() == nullptr) {
    TForm* form = ParentForm(this);
    if (form != nullptr && form != ApplicationBridge().MainForm() &&
        form->Deliver(FM_APP_SYS_COMMAND, 0, reinterpret_cast<LPARAM>(&message)) != 0)
      return;
  }
  InheritedMessage(StaticClass(), message);
}

// Reflection: notifications a child window sends its parent go back to the child control.

void TWinControl::ReflectToChild(TMessage& message, HWND child) {
  TWinControl* control = FindControl(child);
  if (control == nullptr || control == this) {
    DefaultMessage(message);
    return;
  }
  message.Result = control->Deliver(FN_BASE + message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMCommand(TMessage& message) {
  ReflectToChild(message, reinterpret_cast<HWND>(message.LParam));
}

void TWinControl::WMNotify(TMessage& message) {
  auto* header = reinterpret_cast<const NotifyHeader*>(message.LParam);
  ReflectToChild(message, header != nullptr ? header->hwndFrom : nullptr);
}

void TWinControl::WMScroll(TMessage& message) {
  ReflectToChild(message, reinterpret_cast<HWND>(message.LParam));
}

void TWinControl::WMItemMessage(TMessage& message) {
  auto* header = reinterpret_cast<const ItemRecordHeader*>(message.LParam);
  HWND child =
      header != nullptr ? reinterpret_cast<HWND>(static_cast<UINT_PTR>(header->CtlID)) : nullptr;
  ReflectToChild(message, child);
}

void TWinControl::WMItemKey(TMessage& message) {
  ReflectToChild(message, reinterpret_cast<HWND>(message.LParam));
}

void TWinControl::WMParentNotify(TMessage& message) {
  WORD event = LOWORD(message.WParam);
  if (event == WM_CREATE || event == WM_DESTROY) {
    TWinControl* control = FindControl(reinterpret_cast<HWND>(message.LParam));
    if (control != nullptr && control != this) {
      message.Result = control->Deliver(FN_PARENTNOTIFY, message.WParam, message.LParam);
      return;
    }
  }
  DefaultMessage(message);
}

void TWinControl::WMFocusMessage(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  // Input methods are switched by the platform itself; nothing to do for ImeName here.
}

void TWinControl::WMImeComposition(TMessage& message) {
  inComposition_ = message.Msg == WM_IME_STARTCOMPOSITION;
  InheritedMessage(StaticClass(), message);
}

void TWinControl::FMDrag(TMessage& message) { HandleDragMessage(this, message); }
