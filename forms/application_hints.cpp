// TApplication: hints. When the mouse rests over a control whose ShowHint is on, its hint
// shows after HintPause (HintShortPause when a hint was showing just before) and hides
// after HintHidePause, both on the application window's timer. While a hint shows, a
// message hook and a watcher thread are in place; the watcher only posts a message, and
// the GUI thread checks whether the pointer is still over one of the program's windows.
#include "forms/application.h"

namespace {

constexpr UINT_PTR kHintTimer = 0x4854;
// Posted by the watcher thread: is the pointer still over one of our windows?
constexpr UINT kHintCheck = WM_USER + 0x11;
constexpr int kShowTimer = 1;
constexpr int kHideTimer = 2;
// The watcher only waits and posts, so a small stack is plenty.
constexpr SIZE_T kWatcherStack = 64 * 1024;

LRESULT CALLBACK_HintHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && Application != nullptr && Application->HintShowing()) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg != nullptr && msg->message == WM_NCMOUSEMOVE) Application->CancelHint();
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hint text of a control: the short part before a "|", or the whole text.
std::string ShortHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

}  // namespace

void TApplication::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  if (value) {
    hintWindow_ = new THintWindow(this);
    hintWindow_->SetColor(hintColor_);
  } else {
    CancelHint();
    THintWindow* window = hintWindow_;
    hintWindow_ = nullptr;
    delete window;
  }
}

void TApplication::SetHintColor(TColor value) {
  hintColor_ = value;
  if (hintWindow_ != nullptr) hintWindow_->SetColor(value);
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (!showHint_ || control == hintWindow_) return;
  TControl* target = nullptr;
  if (control != nullptr && control->ShowHint() && !ShortHint(control->Hint()).empty())
    target = control;
  if (target == hintControl_) {
    // Still over the same control: moving out of the rectangle it was shown for ends it.
    if (hintActive_) {
      POINT point = PointFromLParam(message.LParam);
      if (control != nullptr) point = control->ClientToScreen(point);
      if (point.x < hintCursorRect_.left || point.x >= hintCursorRect_.right ||
          point.y < hintCursorRect_.top || point.y >= hintCursorRect_.bottom) {
        CancelHint();
      }
    }
    return;
  }
  bool wasShowing = hintActive_;
  if (hintActive_) {
    hintWindow_->ReleaseHint();
    hintActive_ = false;
    UnhookHint();
  }
  StopHintTimer();
  hintControl_ = target;
  if (target != nullptr) StartHintTimer(wasShowing ? hintShortPause_ : hintPause_, kShowTimer);
}

void TApplication::StartHintTimer(int delay, int kind) {
  StopHintTimer();
  if (handle_ == nullptr) return;
  timerKind_ = kind;
  timerActive_ = SetTimer(handle_, kHintTimer, static_cast<UINT>(delay), nullptr) != 0;
}

void TApplication::StopHintTimer() {
  if (timerActive_ && handle_ != nullptr) KillTimer(handle_, kHintTimer);
  timerActive_ = false;
  timerKind_ = 0;
}

void TApplication::ActivateHint() {
  if (hintControl_ == nullptr || hintWindow_ == nullptr) return;
  std::string text = ShortHint(hintControl_->Hint());
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT rect = hintWindow_->CalcHintRect(text);
  int height = rect.bottom - rect.top;
  int width = rect.right - rect.left;
  rect.left = cursor.x;
  rect.top = cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4;
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  hintWindow_->SetColor(hintColor_);
  hintWindow_->ActivateHint(rect, text);
  hintActive_ = true;
  RECT bounds = hintControl_->BoundsRect();
  POINT origin = hintControl_->ClientToScreen(POINT{0, 0});
  hintCursorRect_ = RECT{origin.x, origin.y, origin.x + (bounds.right - bounds.left),
                         origin.y + (bounds.bottom - bounds.top)};
  HookHint();
  StartHintTimer(hintHidePause_, kHideTimer);
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (hintActive_ && hintWindow_ != nullptr) hintWindow_->ReleaseHint();
  hintActive_ = false;
  hintControl_ = nullptr;
  UnhookHint();
}

void TApplication::HookHint() {
  if (hintHook_ == nullptr)
    hintHook_ = SetWindowsHookExA(WH_GETMESSAGE, &CALLBACK_HintHook, nullptr, GetCurrentThreadId());
  if (hintThread_ == nullptr) {
    DWORD id = 0;
    hintThread_ = CreateThread(nullptr, kWatcherStack, &TApplication::HintWatcher, handle_, 0, &id);
  }
}

void TApplication::UnhookHint() {
  if (hintHook_ != nullptr) {
    UnhookWindowsHookEx(hintHook_);
    hintHook_ = nullptr;
  }
  if (hintThread_ != nullptr) {
    TerminateThread(hintThread_, 0);
    WaitForSingleObject(hintThread_, INFINITE);
    CloseHandle(hintThread_);
    hintThread_ = nullptr;
  }
}

// The watcher thread touches no GUI state: it waits until the process is idle for input
// and asks the GUI thread to check the pointer.
DWORD TApplication::HintWatcher(LPVOID parameter) {
  auto window = static_cast<HWND>(parameter);
  while (!platform::ThreadStopRequested()) {
    WaitForInputIdle(GetCurrentProcess(), 1000);
    if (platform::ThreadStopRequested()) break;
    PostMessageA(window, kHintCheck, 0, 0);
  }
  return 0;
}

bool TApplication::HandleHintMessage(TMessage& message) {
  if (message.Msg == WM_TIMER && message.WParam == kHintTimer) {
    int kind = timerKind_;
    StopHintTimer();
    if (kind == kShowTimer)
      ActivateHint();
    else if (kind == kHideTimer && hintActive_) {
      hintWindow_->ReleaseHint();
      hintActive_ = false;
      UnhookHint();
    }
    return true;
  }
  if (message.Msg == kHintCheck) {
    if (hintActive_) {
      POINT point{};
      GetCursorPos(&point);
      HWND window = WindowFromPoint(point);
      if (window == nullptr || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        CancelHint();
    }
    return true;
  }
  return false;
}

bool TApplication::IsHintMessage(MSG& msg) {
  if (hintActive_ && THintWindow::IsHintMessage(msg)) CancelHint();
  return false;
}
