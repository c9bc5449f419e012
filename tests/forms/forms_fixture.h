// A headless session with a shown form, and controls that record what reaches them.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/testing.h"

namespace pt = platform::testing;

// Records message numbers that reach MessageProc (framework and platform ones alike).
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

// A windowed control and a windowless one with public style flags.
class TTestWinControl : public TWinControl {
 public:
  explicit TTestWinControl(TComponent* owner) : TWinControl(owner) {}
};

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
  // The screen point of a control's client point.
  POINT ScreenOf(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

  TForm* form = nullptr;
};
