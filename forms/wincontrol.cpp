// TWinControl: the window's life (parameters, class registration, creation through the
// creation slot, teardown and rebuild), the object window procedure, message
// pre-processing and the default message handling.
#include "forms/wincontrol.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "forms/bridges.h"
#include "forms/drag.h"
#include "forms/form.h"
#include "forms/internal.h"
#include "forms/wndproc.h"
#include "runtime/exceptions.h"
#include "runtime/format.h"
#include "runtime/text.h"

namespace {

// The two window properties every framework window carries, valued with its control.
struct ControlAtoms {
  ATOM process;
  ATOM control;
  ControlAtoms() {
    process =
        GlobalAddAtomA(Format("Korvel%.8X", static_cast<unsigned>(GetCurrentProcessId())).c_str());
    auto instance =
        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    control = GlobalAddAtomA(
        Format("ControlOfs%.8X%.8X", instance, static_cast<unsigned>(GetCurrentThreadId()))
            .c_str());
  }
  ~ControlAtoms() {
    GlobalDeleteAtom(process);
    GlobalDeleteAtom(control);
  }
};

ControlAtoms& Atoms() {
  static ControlAtoms atoms;
  return atoms;
}

// The control whose window is being created: windows are created one at a time.
TWinControl* creationControl = nullptr;

void ObjectWndProcEntry(TObject* object, TMessage& message) {
  static_cast<TWinControl*>(object)->MainWndProc(message);
}

void SetControlProperties(HWND window, TWinControl* control) {
  SetPropA(window, MAKEINTATOM(Atoms().process), control);
  SetPropA(window, MAKEINTATOM(Atoms().control), control);
}

}  // namespace

void forms_detail::RemoveControlProperties(HWND window) {
  RemovePropA(window, MAKEINTATOM(Atoms().process));
  RemovePropA(window, MAKEINTATOM(Atoms().control));
}

// The class procedure of every framework window class; runs for the first message of a
// new window only, then hands the window to its object window procedure.
LRESULT InitialWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = creationControl;
  if (control == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
  creationControl = nullptr;
  control->handle_ = window;
  SetWindowLongA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->objectWndProc_));
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 && GetWindowLongA(window, GWLP_ID) == 0)
    SetWindowLongA(window, GWLP_ID, reinterpret_cast<LONG_PTR>(window));
  SetControlProperties(window, control);
  return CallWindowProcA(control->objectWndProc_, window, msg, wParam, lParam);
}

TWinControl* FindControl(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, MAKEINTATOM(Atoms().control)));
}

TD_IMPLEMENT_CLASS(TWinControl)
void TWinControl::Describe(Describer& d) {
  d.Message(WM_PAINT, &TWinControl::WMPaint);
  d.Message(WM_ERASEBKGND, &TWinControl::WMEraseBkgnd);
  d.Message(WM_WINDOWPOSCHANGED, &TWinControl::WMWindowPosChanged);
  d.Message(WM_SIZE, &TWinControl::WMSize);
  d.Message(WM_MOVE, &TWinControl::WMMove);
  d.Message(WM_SETCURSOR, &TWinControl::WMSetCursor);
  d.Message(WM_DESTROY, &TWinControl::WMDestroy);
  d.Message(WM_NCDESTROY, &TWinControl::WMNCDestroy);
  d.Message(WM_NCHITTEST, &TWinControl::WMNCHitTest);
  d.Message(WM_QUERYNEWPALETTE, &TWinControl::WMQueryNewPalette);
  d.Message(WM_PALETTECHANGED, &TWinControl::WMPaletteChanged);
  d.Message(WM_SYSCOLORCHANGE, &TWinControl::WMSysColorChange);
  d.Message(WM_WININICHANGE, &TWinControl::WMSettingChange);
  d.Message(WM_FONTCHANGE, &TWinControl::WMSettingChange);
  d.Message(WM_TIMECHANGE, &TWinControl::WMSettingChange);
  d.Message(WM_SYSCOMMAND, &TWinControl::WMSysCommand);
  d.Message(WM_COMMAND, &TWinControl::WMCommand);
  d.Message(WM_NOTIFY, &TWinControl::WMNotify);
  d.Message(WM_HSCROLL, &TWinControl::WMScroll);
  d.Message(WM_VSCROLL, &TWinControl::WMScroll);
  d.Message(WM_COMPAREITEM, &TWinControl::WMItemMessage);
  d.Message(WM_DELETEITEM, &TWinControl::WMItemMessage);
  d.Message(WM_DRAWITEM, &TWinControl::WMItemMessage);
  d.Message(WM_MEASUREITEM, &TWinControl::WMItemMessage);
  d.Message(WM_CHARTOITEM, &TWinControl::WMItemKey);
  d.Message(WM_VKEYTOITEM, &TWinControl::WMItemKey);
  d.Message(WM_PARENTNOTIFY, &TWinControl::WMParentNotify);
  d.Message(WM_KEYDOWN, &TWinControl::WMKeyDown);
  d.Message(WM_SYSKEYDOWN, &TWinControl::WMKeyDown);
  d.Message(WM_KEYUP, &TWinControl::WMKeyUp);
  d.Message(WM_SYSKEYUP, &TWinControl::WMKeyUp);
  d.Message(WM_CHAR, &TWinControl::WMChar);
  d.Message(WM_SETFOCUS, &TWinControl::WMFocusMessage);
  d.Message(WM_KILLFOCUS, &TWinControl::WMFocusMessage);
  d.Message(WM_IME_STARTCOMPOSITION, &TWinControl::WMImeComposition);
  d.Message(WM_IME_ENDCOMPOSITION, &TWinControl::WMImeComposition);
  for (UINT msg = FN_CTLCOLORMSGBOX; msg <= FN_CTLCOLORSTATIC; ++msg)
    d.Message(msg, &TWinControl::FNCtlColor);
  d.Message(FN_KEYDOWN, &TWinControl::FNKeyDown);
  d.Message(FN_KEYUP, &TWinControl::FNKeyUp);
  d.Message(FN_CHAR, &TWinControl::FNChar);
  d.Message(FN_SYSKEYDOWN, &TWinControl::FNSysKeyDown);
  d.Message(FN_SYSCHAR, &TWinControl::FNSysChar);
  for (UINT msg : {FM_DIALOG_KEY, FM_DIALOG_CHAR, FM_FOCUS_CHANGED, FM_SYS_COLOR_CHANGE,
                   FM_WIN_INI_CHANGE, FM_SYS_FONT_CHANGE, FM_TIME_CHANGE})
    d.Message(msg, &TWinControl::FMBroadcast);
  d.Message(FM_CONTROL_CHANGE, &TWinControl::FMPassUp);
  d.Message(FM_CHILD_KEY, &TWinControl::FMPassUp);
  d.Message(FM_VISIBLE_CHANGED, &TWinControl::FMVisibleChanged);
  d.Message(FM_ENABLED_CHANGED, &TWinControl::FMEnabledChanged);
  d.Message(FM_COLOR_CHANGED, &TWinControl::FMColorChanged);
  d.Message(FM_FONT_CHANGED, &TWinControl::FMFontChanged);
  d.Message(FM_SHOW_HINT_CHANGED, &TWinControl::FMShowHintChanged);
  d.Message(FM_CURSOR_CHANGED, &TWinControl::FMCursorChanged);
  d.Message(FM_SHOWING_CHANGED, &TWinControl::FMShowingChanged);
  d.Message(FM_ENTER, &TWinControl::FMEnter);
  d.Message(FM_EXIT, &TWinControl::FMExit);
  d.Message(FM_CTL3D_CHANGED, &TWinControl::FMCtl3DChanged);
  d.Message(FM_PARENT_CTL3D_CHANGED, &TWinControl::FMParentCtl3DChanged);
  d.Message(FM_RECREATE_WINDOW, &TWinControl::FMRecreateWindow);
  d.Message(FM_INVALIDATE, &TWinControl::FMInvalidate);
  d.Message(FM_DRAG, &TWinControl::FMDrag);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  objectWndProc_ = MakeObjectWndProc(&ObjectWndProcEntry, this);
  brush_ = std::make_unique<TBrush>();
  brush_->SetColor(Color());
  if (Screen != nullptr) imeName_ = Screen->DefaultIme();
}

TWinControl::~TWinControl() {
  BeginDestruction();
  ForgetControl(this);
  // Leave the parent while still whole: it drops the focus from this control and
  // destroys its window.
  if (Parent() != nullptr) Parent()->RemoveControl(this);
  if (handle_ != nullptr) {
    ReleaseControlCanvasContexts();
    FreeSystemWindow();
  }
  while (!controls_.empty() || !winControls_.empty()) {
    TControl* child =
        !winControls_.empty() ? static_cast<TControl*>(winControls_.back()) : controls_.back();
    RemoveControl(child);
    delete child;
  }
  brush_.reset();
  FreeObjectWndProc(objectWndProc_);
  objectWndProc_ = nullptr;
}

HWND TWinControl::Handle() {
  NeedWindow();
  return handle_;
}

void TWinControl::NeedWindow() {
  if (handle_ != nullptr) return;
  if (Parent() != nullptr) Parent()->NeedWindow();
  CreateWindowNow();
}

void TWinControl::SetParentWindow(HWND window) {
  if (Parent() != nullptr || window == parentWindow_) return;
  if (handle_ != nullptr && parentWindow_ != nullptr && window != nullptr) {
    parentWindow_ = window;
    SetParent(nullptr);
    ::SetParent(handle_, window);
  } else {
    DestroyHandle();
    parentWindow_ = window;
  }
  UpdateControlState();
}

void TWinControl::CreateWindowNow() {
  if (handle_ != nullptr) return;
  try {
    BuildWindow();
  } catch (...) {
    // What a derived class does once the system window exists (reading the disk,
    // navigating, notices) failed: the window is finished like any other, so that it can
    // be shown and found, and the failure goes on to the caller.
    if (handle_ != nullptr) FinishWindow();
    throw;
  }
  FinishWindow();
}

void TWinControl::FinishWindow() {
  SetControlProperties(handle_, this);
  if (Parent() != nullptr) {
    HWND after = HWND_TOP;
    const auto& siblings = Parent()->winControls_;
    for (auto it = std::find(siblings.begin(), siblings.end(), this);
         it != siblings.end() && ++it != siblings.end();) {
      if ((*it)->handle_ != nullptr) {
        after = (*it)->handle_;
        break;
      }
    }
    SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::FillWindowParams(TWindowParams& params) {
  std::memset(&params, 0, sizeof params);
  params.Caption = text_ ? text_->c_str() : "";
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if ((styleFlags_ & csAcceptsControls) != 0) params.Style |= WS_CLIPCHILDREN;
  if (!Enabled() && !InDesignMode()) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = Parent() != nullptr ? Parent()->Handle() : parentWindow_;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = &DefWindowProcA;
  params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  params.WindowClass.hbrBackground = nullptr;
  std::snprintf(params.WinClassName, sizeof params.WinClassName, "%s", ClassName().c_str());
}

void TWinControl::BaseOnSystemClass(TWindowParams& params, const char* className) {
  if (className != nullptr) {
    if (!GetClassInfoA(GetModuleHandleA(nullptr), className, &params.WindowClass))
      GetClassInfoA(nullptr, className, &params.WindowClass);
    params.WindowClass.style &=
        ~static_cast<UINT>(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
    params.WindowClass.style |= CS_VREDRAW | CS_HREDRAW;
  }
}

void TWinControl::MakeSystemWindow(TWindowParams& params) {
  handle_ = CreateWindowExA(params.ExStyle, params.WinClassName, params.Caption, params.Style,
                            params.X, params.Y, params.Width, params.Height, params.WndParent,
                            nullptr, params.WindowClass.hInstance, params.Param);
}

void TWinControl::BuildWindow() {
  TWindowParams params;
  FillWindowParams(params);
  if (params.WndParent == nullptr && (params.Style & WS_CHILD) != 0)
    throw EInvalidOperation(FmtLoadStr(61487, Name()));
  defaultWndProc_ = params.WindowClass.lpfnWndProc;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA registered{};
  bool known = GetClassInfoA(instance, params.WinClassName, &registered) != FALSE;
  if (!known || registered.lpfnWndProc != &InitialWndProc) {
    if (known) UnregisterClassA(params.WinClassName, instance);
    params.WindowClass.lpfnWndProc = &InitialWndProc;
    params.WindowClass.hInstance = instance;
    params.WindowClass.lpszClassName = params.WinClassName;
    if (RegisterClassA(&params.WindowClass) == 0) throw EOutOfResources(LoadStr(61484));
  }
  params.WindowClass.hInstance = instance;
  creationControl = this;
  try {
    MakeSystemWindow(params);
  } catch (...) {
    creationControl = nullptr;
    throw;
  }
  creationControl = nullptr;
  if (handle_ == nullptr) throw EOutOfResources(LoadStr(61485));
  text_.reset();
  RECT rect{};
  GetWindowRect(handle_, &rect);
  if (IsIconic(handle_) == FALSE && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) != 0)
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
  left_ = rect.left;
  top_ = rect.top;
  width_ = rect.right - rect.left;
  height_ = rect.bottom - rect.top;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
}

void TWinControl::FreeSystemWindow() {
  HWND window = handle_;
  if (window == nullptr) return;
  DestroyWindow(window);
  handle_ = nullptr;
}

void TWinControl::TearDownWindow() {
  std::string caption = Caption();
  ReleaseControlCanvasContexts();
  FreeSystemWindow();
  if (caption.empty())
    text_.reset();
  else
    text_ = std::make_unique<std::string>(std::move(caption));
}

void TWinControl::DestroyHandle() {
  if (handle_ == nullptr) return;
  for (TWinControl* child : winControls_) child->DestroyHandle();
  TearDownWindow();
}

void TWinControl::RebuildWindow() {
  if (handle_ != nullptr) Deliver(FM_RECREATE_WINDOW);
}

void TWinControl::FMRecreateWindow(TMessage&) {
  // The focus comes back to this window, or to the child window that had it.
  TWinControl* focused = FindControl(GetFocus());
  if (focused != nullptr && !ContainsControl(focused)) focused = nullptr;
  TAliveGuard guard(focused);
  DestroyHandle();
  UpdateShowing();
  if (focused != nullptr && guard.Alive() && focused->handle_ != nullptr)
    ::SetFocus(focused->handle_);
}

void TWinControl::MainWndProc(TMessage& message) {
  try {
    MessageEntry(message);
  } catch (...) {
    ReleaseControlCanvasContexts();
    ApplicationBridge().HandleException(this);
    return;
  }
  ReleaseControlCanvasContexts();
}

bool TWinControl::FocusMessageGoesOn(const TMessage& message) {
  if (message.Msg == WM_SETFOCUS) {
    TForm* form = ParentForm(this);
    return form == nullptr || form->SetFocusedControl(this);
  }
  return message.Msg != WM_KILLFOCUS || (StateFlags() & stFocusing) == 0;
}

void TWinControl::MessageProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!FocusMessageGoesOn(message)) return;
      break;
    case WM_CANCELMODE:
      if (TControl* capture = CaptureControl();
          capture != nullptr && capture != this && capture->Parent() == this)
        capture->Deliver(WM_CANCELMODE);
      break;
    case WM_NCHITTEST: {
      TControl::MessageProc(message);
      if (message.Result == HTTRANSPARENT) {
        POINT point = ScreenToClient(PointFromLParam(message.LParam));
        if (ControlAtPos(point, false) != nullptr) message.Result = HTCLIENT;
      }
      return;
    }
    default:
      if (message.Msg >= WM_KEYFIRST && message.Msg <= WM_KEYLAST) {
        if (IsBeingDragged()) return;
      } else if (message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MBUTTONDBLCLK) {
        TControl* target = nullptr;
        if (GetCapture() == handle_ && handle_ != nullptr) {
          TControl* capture = CaptureControl();
          if (capture != nullptr && capture->Parent() == this) target = capture;
        } else {
          target = ControlAtPos(PointFromLParam(message.LParam), false);
        }
        if (target != nullptr) {
          POINT point = PointFromLParam(message.LParam);
          message.Result =
              target->Deliver(message.Msg, message.WParam,
                              LParamFromPoint(point.x - target->Left(), point.y - target->Top()));
          return;
        }
      }
      break;
  }
  TControl::MessageProc(message);
}

void TWinControl::DefaultMessage(TMessage& message) {
  if (handle_ == nullptr) {
    TControl::DefaultMessage(message);
    return;
  }
  if (message.Msg >= WM_CTLCOLORMSGBOX && message.Msg <= WM_CTLCOLORSTATIC) {
    auto* child = reinterpret_cast<HWND>(message.LParam);
    message.Result = SendMessageA(child, FN_BASE + message.Msg, message.WParam, message.LParam);
    return;
  }
  message.Result =
      CallWindowProcA(defaultWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::FNCtlColor(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(brush_->Color()));
  message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

// Showing state.

void TWinControl::UpdateShowing() {
  bool shouldShow = (Visible() || (InDesignMode() && (styleFlags_ & csNoDesignVisible) == 0)) &&
                    (StateFlags() & stReadingState) == 0;
  // A window whose creation failed after the system window existed, or a child's failure,
  // does not stop the show step: every window is shown, then the first failure goes on.
  std::exception_ptr failure;
  if (shouldShow) {
    if (handle_ == nullptr) {
      try {
        CreateWindowNow();
      } catch (...) {
        if (handle_ == nullptr) throw;
        failure = std::current_exception();
      }
    }
    for (TWinControl* child : std::vector<TWinControl*>(winControls_)) {
      try {
        child->UpdateShowing();
      } catch (...) {
        if (failure == nullptr) failure = std::current_exception();
      }
    }
  }
  if (handle_ != nullptr && showing_ != shouldShow) {
    showing_ = shouldShow;
    try {
      Deliver(FM_SHOWING_CHANGED);
    } catch (...) {
      showing_ = !shouldShow;
      throw;
    }
  }
  if (failure != nullptr) std::rethrow_exception(failure);
}

void TWinControl::UpdateControlState() {
  TWinControl* top = this;
  while (top->Parent() != nullptr) {
    top = top->Parent();
    if (!top->showing_) return;
  }
  if (dynamic_cast<TForm*>(top) != nullptr || top->parentWindow_ != nullptr) UpdateShowing();
}

void TWinControl::FMShowingChanged(TMessage&) {
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               showing_
                   ? (SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
                   : (SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
}

void TWinControl::FMVisibleChanged(TMessage& message) {
  if (!Visible() && Parent() != nullptr) {
    if (TForm* form = ParentForm(this); form != nullptr) form->DefocusControl(this, false);
  }
  if (!InDesignMode() || (styleFlags_ & csNoDesignVisible) != 0) UpdateControlState();
  (void)message;
}

void TWinControl::FMEnabledChanged(TMessage&) {
  if (!Enabled() && Parent() != nullptr) {
    if (TForm* form = ParentForm(this); form != nullptr) form->DefocusControl(this, false);
  }
  if (handle_ != nullptr && !InDesignMode()) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
}

void TWinControl::FMColorChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  brush_->SetColor(Color());
  NotifyControls(FM_PARENT_COLOR_CHANGED);
}

void TWinControl::FMFontChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  if (handle_ != nullptr)
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  NotifyControls(FM_PARENT_FONT_CHANGED);
}

void TWinControl::FMShowHintChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  NotifyControls(FM_PARENT_SHOW_HINT_CHANGED);
}

void TWinControl::FMCursorChanged(TMessage&) {
  if (GetCapture() != nullptr || handle_ == nullptr) return;
  POINT point{};
  GetCursorPos(&point);
  if (FindDragTarget(point, false) == this)
    Deliver(WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_), HTCLIENT);
}

void TWinControl::FMEnter(TMessage&) { FireEnter(); }
void TWinControl::FMExit(TMessage&) { FireExit(); }
void TWinControl::FireEnter() { OnEnter(this); }
void TWinControl::FireExit() { OnExit(this); }

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  parentCtl3D_ = false;
  Deliver(FM_CTL3D_CHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (value == parentCtl3D_) return;
  parentCtl3D_ = value;
  if (Parent() != nullptr) Deliver(FM_PARENT_CTL3D_CHANGED);
}

void TWinControl::FMParentCtl3DChanged(TMessage&) {
  if (parentCtl3D_ && Parent() != nullptr) {
    SetCtl3D(Parent()->Ctl3D());
    parentCtl3D_ = true;
  }
}

void TWinControl::FMCtl3DChanged(TMessage&) {
  if ((styleFlags_ & csFramed) != 0 && Parent() != nullptr && handle_ != nullptr &&
      IsWindowVisible(handle_))
    InvalidateFrame();
  NotifyControls(FM_PARENT_CTL3D_CHANGED);
}

void TWinControl::InvalidateFrame() {
  if (Parent() == nullptr || !Parent()->HasWindow()) return;
  RECT rect = BoundsRect();
  rect.left -= 1;
  rect.top -= 1;
  rect.right += 1;
  rect.bottom += 1;
  InvalidateRect(Parent()->handle_, &rect, TRUE);
}

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (handle_ != nullptr) {
    LONG_PTR style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Deliver(FM_TAB_STOP_CHANGED);
}
