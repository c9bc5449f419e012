// The window manager's hot paths: a sent message against a direct call of the same window
// procedure, and a posted message taken from the queue and dispatched.
#include <benchmark/benchmark.h>

#include "platform/testing.h"
#include "platform/win32.h"

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

}  // namespace
