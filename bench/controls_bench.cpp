// The built-in controls: a track bar's position set (and repainted) on a long range with
// dense ticks against a short one; a sorted list box filled with 10,000 entries against a
// vector kept sorted by the same comparison; a list box of 10,000 entries painted against
// one of 20.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"

namespace {

LRESULT Plain(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND Parent() {
  static HWND parent = [] {
    platform::testing::StartSession();
    InitCommonControls();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Plain;
    wc.lpszClassName = "BenchParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    RegisterClassA(&wc);
    return CreateWindowExA(0, "BenchParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                           nullptr, nullptr, nullptr);
  }();
  return parent;
}

HFONT Font() {
  static HFONT font =
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  return font;
}

// The player's position bar: TBS_BOTH ticks, moved to a new position and repainted.
void TrackBarSetPosition(benchmark::State& state) {
  int range = static_cast<int>(state.range(0)), frequency = static_cast<int>(state.range(1));
  HWND bar = CreateWindowExA(0, TRACKBAR_CLASSA, "",
                             WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS | TBS_BOTH | TBS_ENABLESELRANGE,
                             10, 10, 150, 45, Parent(), nullptr, nullptr, nullptr);
  SendMessageA(bar, TBM_SETRANGEMAX, TRUE, range);
  SendMessageA(bar, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 1);
  UpdateWindow(bar);
  int step = std::max(1, range / 97), position = 0;
  for (auto _ : state) {
    position = (position + step) % (range + 1);
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    UpdateWindow(bar);
  }
  DestroyWindow(bar);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TrackBarSetPosition)->Args({100, 1})->Args({1000000, 50});

std::vector<std::string> Names(int count) {
  std::vector<std::string> names;
  unsigned seed = 12345;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    names.push_back("Song " + std::to_string(seed % 1000000) + (i % 2 ? ".MID" : ".mid"));
  }
  return names;
}

void SortedListBoxAdd(benchmark::State& state) {
  std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTBOXA, "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_HASSTRINGS |
                                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                10, 10, 145, 97, Parent(), nullptr, nullptr, nullptr);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    for (const std::string& name : names)
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    state.PauseTiming();
    DestroyWindow(list);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SortedListBoxAdd)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same strings kept sorted in a vector by the list box's comparison.
void SortedVectorInsert(benchmark::State& state) {
  std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
  auto after = [](const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
  };
  for (auto _ : state) {
    std::vector<std::string> sorted;
    for (const std::string& name : names)
      sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), name, after), name);
    benchmark::DoNotOptimize(sorted.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SortedVectorInsert)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same with the plain byte order of std::string.
void SortedVectorInsertByteOrder(benchmark::State& state) {
  std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> sorted;
    for (const std::string& name : names)
      sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), name), name);
    benchmark::DoNotOptimize(sorted.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SortedVectorInsertByteOrder)->Arg(10000)->Unit(benchmark::kMillisecond);

void ListBoxPaint(benchmark::State& state) {
  std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
  HWND list =
      CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTBOXA, "",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                      10, 10, 145, 260, Parent(), nullptr, nullptr, nullptr);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  for (const std::string& name : names)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageA(list, LB_SETCURSEL, 3, 0);
  UpdateWindow(list);
  for (auto _ : state) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
  }
  DestroyWindow(list);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ListBoxPaint)->Arg(20)->Arg(10000);

}  // namespace
