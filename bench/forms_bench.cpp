// The control core's hot paths: a message from DispatchMessageA through an object window
// procedure stub to a control's handler, against a direct virtual call of the same
// handling and against the platform's own dispatch to a plain procedure; and creating
// and showing a form with 100 child controls.
#include <benchmark/benchmark.h>

#include "forms/form.h"
#include "platform/testing.h"

namespace {

constexpr UINT kCountMessage = WM_USER + 1;

class TCounting : public TWinControl {
  TD_CLASS(TCounting, TWinControl)

 public:
  explicit TCounting(TComponent* owner) : TWinControl(owner) {}
  long total = 0;

 private:
  void Count(TMessage& message) {
    total += static_cast<long>(message.WParam);
    message.Result = total;
  }
};

TD_IMPLEMENT_CLASS(TCounting)
void TCounting::Describe(Describer& d) { d.Message(kCountMessage, &TCounting::Count); }

long plainTotal = 0;
LRESULT PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCountMessage) {
    plainTotal += static_cast<long>(wParam);
    return plainTotal;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Session {
  Session() {
    platform::testing::StartSession();
    form = TForm::CreateNew(nullptr);
    form->Show();
    control = new TCounting(form);
    control->SetBoundsRect(RECT{0, 0, 10, 10});
    control->SetParent(form);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProcedure;
    wc.lpszClassName = "BenchPlain";
    RegisterClassA(&wc);
    plain = CreateWindowExA(0, "BenchPlain", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr);
  }
  TForm* form;
  TCounting* control;
  HWND plain;
};

Session& TheSession() {
  static Session session;
  return session;
}

void DispatchThroughStubToHandler(benchmark::State& state) {
  Session& s = TheSession();
  MSG msg{s.control->Handle(), kCountMessage, 1, 0, 0, {0, 0}};
  for (auto _ : state) benchmark::DoNotOptimize(DispatchMessageA(&msg));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DispatchThroughStubToHandler);

void DispatchToPlainProcedure(benchmark::State& state) {
  Session& s = TheSession();
  MSG msg{s.plain, kCountMessage, 1, 0, 0, {0, 0}};
  for (auto _ : state) benchmark::DoNotOptimize(DispatchMessageA(&msg));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DispatchToPlainProcedure);

void DirectVirtualCall(benchmark::State& state) {
  Session& s = TheSession();
  TControl* control = s.control;
  for (auto _ : state) {
    TMessage message{kCountMessage, 1, 0, 0};
    control->MessageProc(message);
    benchmark::DoNotOptimize(message.Result);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DirectVirtualCall);

void CreateAndShowFormWith100Controls(benchmark::State& state) {
  TheSession();
  for (auto _ : state) {
    TForm* form = TForm::CreateNew(nullptr);
    form->SetBoundsRect(RECT{0, 0, 400, 300});
    for (int i = 0; i < 100; ++i) {
      auto* child = new TCounting(form);
      child->SetBoundsRect(
          RECT{(i % 10) * 35, (i / 10) * 25, (i % 10) * 35 + 30, (i / 10) * 25 + 20});
      child->SetParent(form);
    }
    form->Show();
    platform::testing::PumpUntilIdle();
    state.PauseTiming();
    delete form;
    platform::testing::PumpUntilIdle();
    state.ResumeTiming();
  }
}
BENCHMARK(CreateAndShowFormWith100Controls)->Unit(benchmark::kMillisecond);

}  // namespace
