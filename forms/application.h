// The application object: it owns the program's hidden top-level window, creates the
// main form, runs the message loop on the one GUI thread, shows hints, and shows every
// exception that escapes an event handler in a message box. The program's main routine
// is three calls on it:
//
//   int main() {
//     return ApplicationMain([] {
//       Application->Initialize();
//       Application->CreateForm(TForm1::StaticClass(), &Form1);
//       Application->Run();
//     });
//   }
//
// InitializeApplication() (the screen first, then the application) runs before that,
// from a TApplicationStartup object at namespace scope in the program's main file.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "forms/bridges.h"
#include "forms/form.h"
#include "graphics/bitmap.h"
#include "runtime/exceptions.h"

using TExceptionEvent = TEvent<TObject*, const Exception&>;
using TIdleEvent = TEvent<TObject*, bool&>;

class TApplication : public TComponent, public TApplicationBridge {
  TD_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // The start-up hook an optional unit may register; none in this program.
  void Initialize();
  // Constructs a form of formClass owned by the application into *reference; the first
  // form becomes the main form (its window is created at once). If construction or the
  // description raises, *reference is set back to nullptr and the exception goes on.
  template <class F>
  void CreateForm(const TClassInfo& formClass, F** reference) {
    *reference = nullptr;
    *reference = static_cast<F*>(CreateFormOf(formClass));
  }
  TComponent* CreateFormOf(const TClassInfo& formClass);
  // The message loop until the quit message.
  void Run();
  // One pass of the loop: a message if there is one, else the idle processing.
  void HandleMessage();
  // Takes and handles one message; false when the queue was empty.
  bool ProcessMessage(MSG& msg);
  void Idle(const MSG& msg);
  // Handles the messages waiting now and returns.
  void ProcessMessages();
  // Posts the quit message.
  void Terminate() override;
  bool Terminated() const { return terminated_; }
  bool Running() const { return running_; }

  // The exception display of the framework's window procedures (inside a catch block).
  void HandleException(TObject* sender) override;
  // The message box for one exception: its message followed by ".".
  void ShowException(const Exception& exception);
  // A modal message box owned by the application window; the program's other windows
  // refuse input while it shows and the active window is active again afterwards.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  HWND Handle() override { return handle_; }
  TForm* MainForm() override { return mainForm_; }
  std::string Title() const;
  void SetTitle(const std::string& title);
  TIcon* Icon() const { return icon_.get(); }
  HICON ApplicationIcon() override { return icon_->Handle(); }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }
  bool Active() const { return active_; }
  HWND DialogHandle() const { return dialogHandle_; }
  void SetDialogHandle(HWND window) { dialogHandle_ = window; }
  // Shows the application and its last active pop-up in front.
  void BringToFront() override;
  void Minimize();
  void Restore();

  // Hints.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor value);
  int HintPause() const { return hintPause_; }
  void SetHintPause(int value) { hintPause_ = value; }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int value) { hintShortPause_ = value; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int value) { hintHidePause_ = value; }
  THintWindow* HintWindow() const { return hintWindow_; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) override;
  void CancelHint();
  // The control under the mouse as the idle processing last saw it.
  TControl* MouseControl() const { return mouseControl_; }
  bool HintShowing() const { return hintActive_; }

  void HintMouseMessage(TControl* control, TMessage& message) override;
  void ControlDestroyed(TControl* control) override;

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

 private:
  friend void DoneApplication();
  static void WndProcEntry(TObject* object, TMessage& message);
  void WndProc(TMessage& message);
  void CreateHandle();
  std::string TitleFromProgramName();
  void IconChanged(TObject* sender);
  void RemoveSystemMenuEntries();
  void ShowRuntimeReport(const std::string& className, const std::string& message,
                         const void* address);
  bool HandleHintMessage(TMessage& message);
  static DWORD HintWatcher(LPVOID parameter);
  bool IsKeyMessage(MSG& msg);
  bool IsHintMessage(MSG& msg);
  bool IsDialogMessage(MSG& msg);
  void DoMouseIdle();
  void StartHintTimer(int delay, int kind);
  void StopHintTimer();
  void ActivateHint();
  void HookHint();
  void UnhookHint();
  void DisableWindows();
  void EnableWindows();
  void SetAsideTopmost();
  void RestoreTopmost();

  HWND handle_ = nullptr;
  WNDPROC objectWndProc_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  bool showMainForm_ = true;
  bool active_ = false;
  std::unique_ptr<TIcon> icon_;
  bool showHint_ = false;
  TColor hintColor_ = clInfoBk;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TControl* mouseControl_ = nullptr;
  std::string hint_;
  bool hintActive_ = false;
  bool timerActive_ = false;
  int timerKind_ = 0;  // 1 show, 2 hide
  RECT hintCursorRect_{};
  HHOOK hintHook_ = nullptr;
  HANDLE hintThread_ = nullptr;
  std::vector<HWND> disabledWindows_;
  std::vector<HWND> topmostWindows_;
  int topmostLevel_ = 0;
  HWND dialogHandle_ = nullptr;
};

extern TApplication* Application;

// Start-up: the screen, then the application with its window (once).
void InitializeApplication();
// The shutdown routine of the exit processing: hides the application's owned pop-ups,
// destroys every component the application owns, frees the application and the screen.
void DoneApplication();

// Runs at namespace scope in the program's main file, before main.
struct TApplicationStartup {
  TApplicationStartup() { InitializeApplication(); }
};

// The main routine's guarded block. An exception of the framework's classes escaping it
// is shown with ShowException and the program ends with status 2 (a damaged form
// description is a failure, not a success); otherwise the exit processing runs and 0
// is returned.
int ApplicationMain(void (*body)());
