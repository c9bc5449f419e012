// A headless session with a shown form, controls that record what reaches them, and a
// pump that offers key messages to the framework first, as the application's loop does.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/bridges.h"
#include "forms/form.h"
#include "platform/testing.h"
#include "runtime/exceptions.h"

namespace pt = platform::testing;

// Stands in for the application's exception display: keeps the message of every exception
// that reaches it ("?" for one that is not an Exception).
class TExceptionLog : public TApplicationBridge {
 public:
  void HandleException(TObject*) override {
    try {
      throw;
    } catch (const Exception& e) {
      messages.push_back(e.Message());
    } catch (...) {
      messages.push_back("?");
    }
  }
  std::vector<std::string> messages;
};

// Records the message numbers that reach MessageProc.
template <class Base>
class TRecording : public Base {
 public:
  explicit TRecording(TComponent* owner) : Base(owner) {}
  void MessageProc(TMessage& message) override {
    if (recording) log.push_back(message.Msg);
    Base::MessageProc(message);
  }
  int Count(UINT msg) const {
    int n = 0;
    for (UINT m : log) n += m == msg ? 1 : 0;
    return n;
  }
  bool recording = true;
  std::vector<UINT> log;
};

class TTestWinControl : public TWinControl {
 public:
  explicit TTestWinControl(TComponent* owner) : TWinControl(owner) {}
  // What reaches the window's default procedure, for key and character tests.
  void DefaultMessage(TMessage& message) override {
    if (message.Msg == WM_CHAR) chars += static_cast<char>(message.WParam);
    if (message.Msg == WM_KEYDOWN) ++keyDowns;
    TWinControl::DefaultMessage(message);
  }
  std::string chars;
  int keyDowns = 0;
};

class TTestGraphic : public TGraphicControl {
 public:
  explicit TTestGraphic(TComponent* owner) : TGraphicControl(owner) {}
  int paints = 0;

 protected:
  void PaintSelf() override {
    ++paints;
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(RECT{0, 0, Width(), Height()});
  }
};

// Takes, offers and dispatches messages until the queue is empty: key messages go to
// the framework first (FN_BASE + message), as the application's loop sends them.
inline void PumpLikeApplication() {
  MSG msg;
  for (int guard = 0; guard < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    if (msg.message == WM_QUIT) continue;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && GetCapture() == nullptr &&
        SendMessageA(msg.hwnd, FN_BASE + msg.message, msg.wParam, msg.lParam) != 0)
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::StartSession();
    form = TForm::CreateNew(nullptr);
    form->SetBoundsRect(RECT{100, 100, 500, 400});
    form->Show();
    pt::PumpUntilIdle();
  }
  void TearDown() override {
    delete form;
    pt::PumpUntilIdle();
    pt::EndSession();
  }
  template <class T>
  T* Add(TWinControl* parent, RECT bounds) {
    auto* control = new T(form);
    control->SetBoundsRect(bounds);
    control->SetParent(parent);
    return control;
  }
  POINT ScreenOf(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

  TForm* form = nullptr;
};
