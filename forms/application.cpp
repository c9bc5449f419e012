// TApplication: construction and its window, forms, the message loop, exception display
// and message boxes, the application window's messages and the shutdown routine. Hints
// are in application_hints.cpp.
#include "forms/application.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "forms/wndproc.h"
#include "runtime/exitproc.h"
#include "runtime/format.h"
#include "runtime/text.h"

TApplication* Application = nullptr;

namespace {

constexpr const char* kApplicationClass = "TApplication";
// Popup, caption, clip siblings, system menu and minimise box.
constexpr DWORD kApplicationStyle = 0x94CA0000;
// Posted to itself: move the focus to the topmost form window.
constexpr UINT kFocusTopForm = WM_USER + 0x10;

struct WindowList {
  HWND except;
  std::vector<HWND>* list;
};

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TApplication)

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  icon_ = std::make_unique<TIcon>();
  if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON"); icon != nullptr)
    icon_->SetHandle(icon);
  icon_->OnChange = TNotifyEvent(this, &TApplication::IconChanged);
  SetShowHint(true);
  CreateHandle();
}

TApplication::~TApplication() {
  if (&ApplicationBridge() == this) SetApplicationBridge(nullptr);
  StopHintTimer();
  UnhookHint();
  BeginDestruction();
  hintWindow_ = nullptr;
  icon_->OnChange = nullptr;
  if (handle_ != nullptr) {
    HWND window = handle_;
    handle_ = nullptr;
    DestroyWindow(window);
  }
  FreeObjectWndProc(objectWndProc_);
  objectWndProc_ = nullptr;
}

std::string TApplication::TitleFromProgramName() {
  char path[256] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name(path, std::min<DWORD>(length, sizeof path));
  // The system code page is the ANSI one: no OEM conversion is needed.
  if (auto slash = name.find_last_of('\\'); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
  if (name.size() > 1) name = name.substr(0, 1) + AnsiLowerCase(name.substr(1));
  return name;
}

void TApplication::CreateHandle() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, kApplicationClass, &windowClass)) {
    windowClass = WNDCLASSA{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = kApplicationClass;
    if (RegisterClassA(&windowClass) == 0) throw EOutOfResources(LoadStr(61484));
  }
  std::string title = TitleFromProgramName();
  handle_ = CreateWindowExA(0, kApplicationClass, title.c_str(), kApplicationStyle,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, instance, nullptr);
  if (handle_ == nullptr) throw EOutOfResources(LoadStr(61485));
  objectWndProc_ = MakeObjectWndProc(&TApplication::WndProcEntry, this);
  SetWindowLongA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(objectWndProc_));
  // Shown restored, without the window animation for this one call.
  ANIMATIONINFO animation{sizeof(ANIMATIONINFO), 0};
  bool animated = SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0) &&
                  animation.iMinAnimate != 0;
  if (animated) {
    ANIMATIONINFO off{sizeof(ANIMATIONINFO), 0};
    SystemParametersInfoA(SPI_SETANIMATION, sizeof off, &off, 0);
  }
  ShowWindow(handle_, SW_SHOWNORMAL);
  if (animated) SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  if (HICON icon = icon_->Handle(); icon != nullptr)
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  RemoveSystemMenuEntries();
}

void TApplication::IconChanged(TObject*) {
  if (handle_ != nullptr)
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_->Handle()));
}

std::string TApplication::Title() const {
  char buffer[256] = {};
  int length = GetWindowTextA(handle_, buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

void TApplication::SetTitle(const std::string& title) {
  if (handle_ != nullptr) SetWindowTextA(handle_, title.c_str());
}

void TApplication::Initialize() {}

TComponent* TApplication::CreateFormOf(const TClassInfo& formClass) {
  TComponent* component = formClass.Construct(this);
  if (component == nullptr) throw EInvalidOperation(FmtLoadStr(61448, formClass.Name()));
  auto* form = dynamic_cast<TForm*>(component);
  if (form != nullptr) {
    try {
      form->ReadDescription();
    } catch (...) {
      delete form;
      throw;
    }
    if (mainForm_ == nullptr) {
      form->Handle();
      mainForm_ = form;
    }
  }
  return component;
}

// The loop.

void TApplication::Run() {
  running_ = true;
  AddExitProc(&DoneApplication);
  try {
    if (mainForm_ != nullptr) {
      if (showMainForm_) mainForm_->SetVisible(true);
      do {
        HandleMessage();
      } while (!terminated_);
    }
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (ProcessMessage(msg)) {
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  IsHintMessage(msg);
  if (!IsKeyMessage(msg) && !IsDialogMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

// A key message goes first to the framework control of its window (or of the nearest
// parent window that has one) as FN_BASE + message.
bool TApplication::IsKeyMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || GetCapture() != nullptr)
    return false;
  HWND window = msg.hwnd;
  while (window != nullptr && FindControl(window) == nullptr) window = GetParent(window);
  if (window == nullptr) return false;
  return SendMessageA(window, FN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsDialogMessage(MSG& msg) {
  return dialogHandle_ != nullptr && IsWindow(dialogHandle_) &&
         IsDialogMessageA(dialogHandle_, &msg) != FALSE;
}

void TApplication::Idle(const MSG&) {
  DoMouseIdle();
  bool done = true;
  OnIdle(this, done);
  if (done) WaitMessage();
}

void TApplication::DoMouseIdle() {
  POINT point{};
  GetCursorPos(&point);
  TControl* control = FindDragTarget(point, true);
  if (control != nullptr && control->ComponentState().Contains(Designing)) control = nullptr;
  if (control != mouseControl_) {
    TControl* capture = TControl::CaptureControl();
    TControl* old = mouseControl_;
    mouseControl_ = control;
    if (old != nullptr && (capture == nullptr || capture == old)) old->Deliver(FM_MOUSE_LEAVE);
    if (control != nullptr && control == mouseControl_ &&
        (capture == nullptr || capture == control))
      control->Deliver(FM_MOUSE_ENTER);
  }
  if (showHint_ && (mouseControl_ == nullptr || mouseControl_ == hintWindow_)) CancelHint();
  std::string hint;
  for (TControl* c = mouseControl_; c != nullptr; c = c->Parent()) {
    if (!c->Hint().empty()) {
      hint = c->Hint();
      break;
    }
  }
  // The long hint is the part after a "|", or the whole text.
  if (auto bar = hint.find('|'); bar != std::string::npos) hint.erase(0, bar + 1);
  SetHint(hint);
}

void TApplication::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  OnHint(this);
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ControlDestroyed(TControl* control) {
  if (mainForm_ == control) mainForm_ = nullptr;
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (hintControl_ == control) {
    hintControl_ = nullptr;
    CancelHint();
  }
  if (hintWindow_ == control) hintWindow_ = nullptr;
}

// Exceptions and message boxes.

void TApplication::HandleException(TObject* sender) {
  if (HWND capture = GetCapture(); capture != nullptr) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  } catch (const std::exception& e) {
    ShowRuntimeReport(detail::ReadableTypeName(typeid(e)), e.what(), &e);
  } catch (...) {
    ShowRuntimeReport("Exception", "", nullptr);
  }
}

void TApplication::ShowRuntimeReport(const std::string& className, const std::string& message,
                                     const void* address) {
  char path[256] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string module(path, std::min<DWORD>(length, sizeof path));
  if (auto slash = module.find_last_of('\\'); slash != std::string::npos)
    module.erase(0, slash + 1);
  if (module.size() > 63) module.resize(63);
  std::string stop = !message.empty() && message.back() != '.' ? "." : "";
  std::string text = Format(LoadStr(65438), className, module, address, message, stop);
  MessageBoxA(nullptr, text.c_str(), LoadStr(65439).c_str(), MB_TASKMODAL | MB_ICONHAND);
}

void TApplication::ShowException(const Exception& exception) {
  std::string title = Title();
  if (title.size() > 255) title.resize(255);
  MessageBox(exception.Message() + ".", title, MB_OK | MB_ICONHAND);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND active = GetActiveWindow();
  std::vector<HWND> disabled;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
          reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) EnableWindow(window, FALSE);
  int result = 0;
  try {
    result = MessageBoxA(handle_, text.c_str(), caption.c_str(), flags);
  } catch (...) {
    for (HWND window : disabled)
      if (IsWindow(window)) EnableWindow(window, TRUE);
    if (IsWindow(active)) SetActiveWindow(active);
    throw;
  }
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  return result;
}

// The application window.

void TApplication::RemoveSystemMenuEntries() {
  HMENU menu = GetSystemMenu(handle_, FALSE);
  if (menu == nullptr) return;
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
}

void TApplication::WndProcEntry(TObject* object, TMessage& message) {
  auto* application = static_cast<TApplication*>(object);
  try {
    application->WndProc(message);
  } catch (...) {
    application->HandleException(application);
  }
}

void TApplication::WndProc(TMessage& message) {
  auto defaultProc = [&] {
    message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
  };
  switch (message.Msg) {
    case WM_CLOSE:
      if (mainForm_ != nullptr) mainForm_->Close();
      return;
    case WM_ACTIVATEAPP:
      defaultProc();
      active_ = message.WParam != 0;
      if (active_) {
        RestoreTopmost();
        PostMessageA(handle_, FM_ACTIVATE, 0, 0);
      } else {
        SetAsideTopmost();
        PostMessageA(handle_, FM_DEACTIVATE, 0, 0);
      }
      return;
    case FM_ACTIVATE:
      OnActivate(this);
      return;
    case FM_DEACTIVATE:
      OnDeactivate(this);
      return;
    case WM_ENABLE:
      defaultProc();
      if (message.WParam == 0) {
        DisableWindows();
        SetAsideTopmost();
      } else {
        EnableWindows();
        RestoreTopmost();
      }
      return;
    case WM_ENDSESSION:
      if (message.WParam != 0) Halt(0);
      return;
    case WM_SYSCOMMAND:
      switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return;
        case SC_RESTORE:
          Restore();
          return;
        default:
          defaultProc();
          return;
      }
    case WM_SETFOCUS:
      PostMessageA(handle_, kFocusTopForm, 0, 0);
      defaultProc();
      return;
    case kFocusTopForm:
      for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
           window = GetWindow(window, GW_HWNDNEXT)) {
        auto* form = dynamic_cast<TForm*>(FindControl(window));
        if (form != nullptr && IsWindowVisible(window) && IsWindowEnabled(window)) {
          SetFocus(window);
          break;
        }
      }
      return;
    case WM_PAINT:
      if (IsIconic(handle_)) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(handle_, &paint);
        if (HICON icon = icon_->Handle(); icon != nullptr) DrawIcon(dc, 0, 0, icon);
        EndPaint(handle_, &paint);
        return;
      }
      defaultProc();
      return;
    case WM_ERASEBKGND:
      message.Msg = WM_ICONERASEBKGND;
      defaultProc();
      return;
    case WM_QUERYDRAGICON:
      message.Result = reinterpret_cast<LRESULT>(icon_->Handle());
      return;
    case FM_APP_KEY_DOWN:
      if (mainForm_ != nullptr && mainForm_->Enabled() && mainForm_->MenuComponent() != nullptr &&
          MenuBridge() != nullptr) {
        TMessage key{WM_KEYDOWN, message.WParam, message.LParam, 0};
        message.Result = MenuBridge()->IsShortCut(mainForm_->MenuComponent(), key) ? 1 : 0;
      }
      return;
    default:
      break;
  }
  if (message.Msg >= WM_CTLCOLORMSGBOX && message.Msg <= WM_CTLCOLORSTATIC) {
    message.Result = SendMessageA(reinterpret_cast<HWND>(message.LParam), FN_BASE + message.Msg,
                                  message.WParam, message.LParam);
    return;
  }
  if (HandleHintMessage(message)) return;
  defaultProc();
}

void TApplication::BringToFront() {
  if (handle_ == nullptr) return;
  HWND popup = GetLastActivePopup(handle_);
  if (popup != nullptr && IsWindowVisible(popup) && IsWindowEnabled(popup))
    SetForegroundWindow(popup);
}

void TApplication::Minimize() {
  if (IsIconic(handle_)) return;
  SetAsideTopmost();
  if (mainForm_ != nullptr && mainForm_->HasWindow()) ShowWindow(mainForm_->Handle(), SW_HIDE);
  ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
  if (!IsIconic(handle_)) return;
  ShowWindow(handle_, SW_RESTORE);
  if (mainForm_ != nullptr && mainForm_->HasWindow() && mainForm_->Visible())
    ShowWindow(mainForm_->Handle(), SW_SHOW);
  RestoreTopmost();
}

void TApplication::DisableWindows() {
  disabledWindows_.clear();
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* self = reinterpret_cast<TApplication*>(data);
        if (window != self->handle_ && IsWindowVisible(window) && IsWindowEnabled(window))
          self->disabledWindows_.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  for (HWND window : disabledWindows_) EnableWindow(window, FALSE);
}

void TApplication::EnableWindows() {
  std::vector<HWND> windows;
  windows.swap(disabledWindows_);
  for (HWND window : windows)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

void TApplication::SetAsideTopmost() {
  if (topmostLevel_++ != 0) return;
  topmostWindows_.clear();
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* self = reinterpret_cast<TApplication*>(data);
        if (window != self->handle_ && IsWindowVisible(window) &&
            (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
          self->topmostWindows_.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  for (HWND window : topmostWindows_)
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TApplication::RestoreTopmost() {
  if (topmostLevel_ == 0 || --topmostLevel_ != 0) return;
  for (auto it = topmostWindows_.rbegin(); it != topmostWindows_.rend(); ++it)
    if (IsWindow(*it))
      SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  topmostWindows_.clear();
}

// Start-up and shutdown.

void InitializeApplication() {
  if (Application != nullptr) return;
  InitializeScreen();
  Application = new TApplication(nullptr);
  SetApplicationBridge(Application);
}

void DoneApplication() {
  TApplication* application = Application;
  if (application == nullptr) return;
  if (application->handle_ != nullptr) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM owner) -> BOOL {
          if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
              IsWindowVisible(window))
            ShowWindow(window, SW_HIDE);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(application->handle_));
  }
  while (application->OwnedCount() > 0) delete application->OwnedAt(application->OwnedCount() - 1);
  SetApplicationBridge(nullptr);
  Application = nullptr;
  delete application;
  FinalizeScreen();
}

int ApplicationMain(void (*body)()) {
  try {
    body();
  } catch (const Exception& e) {
    if (Application != nullptr) Application->ShowException(e);
    return RunExitProcs(2);
  }
  return RunExitProcs(0);
}
