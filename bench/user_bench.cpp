// The window manager's hot paths: a sent message against a direct call of the same window
// procedure, and a posted message taken from the queue and dispatched. On the native desktop:
// a window the host's window manager moves by its caption, with the painting that causes.
#include <benchmark/benchmark.h>

#include <memory>

#include "backend/backend.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "user/native.h"

namespace {

long total = 0;

LRESULT Counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    total += static_cast<long>(wParam);
    return total;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND Window() {
  static HWND window = [] {
    platform::testing::StartSession();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Counting;
    wc.lpszClassName = "BenchCounting";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "BenchCounting", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  }();
  return window;
}

void SendMessageToProcedure(benchmark::State& state) {
  HWND window = Window();
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(window, WM_USER, 1, 0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SendMessageToProcedure);

void DirectCallOfProcedure(benchmark::State& state) {
  HWND window = Window();
  WNDPROC procedure = Counting;
  for (auto _ : state) {
    benchmark::DoNotOptimize(procedure);  // keeps the call a real call through the pointer
    benchmark::DoNotOptimize(procedure(window, WM_USER, 1, 0));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DirectCallOfProcedure);

void PostGetDispatchRoundTrip(benchmark::State& state) {
  HWND window = Window();
  MSG msg;
  for (auto _ : state) {
    PostMessageA(window, WM_USER, 1, 0);
    GetMessageA(&msg, nullptr, 0, 0);
    benchmark::DoNotOptimize(DispatchMessageA(&msg));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PostGetDispatchRoundTrip);

// The native desktop without a display: the host windows are handed over and dropped.
class NativeHost : public platform::backend::Backend {
 public:
  NativeHost() : inner_(platform::backend::CreateHeadless()) {}
  const char* Name() const override { return "native"; }
  bool ShowsScreen() const override { return false; }
  bool NativeWindows() const override { return true; }
  POINT DesktopSize() const override { return POINT{1920, 1080}; }
  void Wait(int timeoutMs) override { inner_->Wait(timeoutMs); }
  void Poll() override {}
  void Wake() override { inner_->Wake(); }
  void Present(const platform::Surface&, const std::vector<RECT>&, HCURSOR) override {}

 private:
  std::unique_ptr<Backend> inner_;
};

long paints = 0;

LRESULT CountsPainting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT || message == WM_NCPAINT || message == WM_ERASEBKGND) ++paints;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A main window of 20 children dragged by the host in one-pixel steps: each step is the host's
// news of the move handed to the window manager and taken from the queue. `paints` per move
// counts WM_PAINT, WM_NCPAINT and WM_ERASEBKGND to the window and its children (none).
void HostMovesAWindowByItsCaption(benchmark::State& state) {
  platform::testing::StartSession();
  platform::backend::Use(std::make_unique<NativeHost>());
  platform::user::AdoptDesktopSize();
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountsPainting;
  wc.lpszClassName = "BenchCountsPainting";
  RegisterClassA(&wc);
  HWND main = CreateWindowExA(0, "BenchCountsPainting", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
  for (int i = 0; i < 20; ++i)
    CreateWindowExA(0, "BenchCountsPainting", "", WS_CHILD | WS_VISIBLE, 10 + (i % 5) * 70,
                    10 + (i / 5) * 50, 60, 40, main, nullptr, nullptr, nullptr);
  platform::testing::PumpUntilIdle();
  paints = 0;
  auto id = reinterpret_cast<std::uintptr_t>(main);
  int x = 100;
  for (auto _ : state) {
    ++x;
    platform::backend::Sink().HostMoved(id, RECT{x, 100, x + 400, 400});
    platform::testing::PumpUntilIdle();
  }
  state.counters["paints"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  state.SetItemsProcessed(state.iterations());
  platform::testing::EndSession();
}
BENCHMARK(HostMovesAWindowByItsCaption);

}  // namespace
