// Filling a sorted list box with 10,000 entries inside one update bracket: through
// TListBox's Items (every Add a message through the control's window procedure) against
// the platform list box alone (the same messages sent to a plain "LISTBOX" window).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "controls/listbox.h"
#include "forms/form.h"
#include "platform/testing.h"

namespace {

constexpr int kEntries = 10000;

// File-name-like entries in no particular order, the same every run.
const std::vector<std::string>& Entries() {
  static const std::vector<std::string> entries = [] {
    std::vector<std::string> list;
    std::uint32_t seed = 12345;
    for (int i = 0; i < kEntries; ++i) {
      seed = seed * 1103515245u + 12345u;
      list.push_back("Song " + std::to_string((seed >> 8) % 1000000) + ".mid");
    }
    return list;
  }();
  return entries;
}

struct Session {
  Session() {
    platform::testing::StartSession();
    form = TForm::CreateNew(nullptr);
    form->SetBoundsRect(RECT{0, 0, 400, 300});
    form->Show();
    platform::testing::PumpUntilIdle();
  }
  TForm* form;
};

Session& TheSession() {
  static Session session;
  return session;
}

void PlatformListBoxSortedAdd(benchmark::State& state) {
  Session& s = TheSession();
  for (auto _ : state) {
    state.PauseTiming();
    HWND list =
        CreateWindowExA(0, "LISTBOX", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_HASSTRINGS | LBS_NOTIFY,
                        0, 0, 121, 97, s.form->Handle(), nullptr, nullptr, nullptr);
    state.ResumeTiming();
    SendMessageA(list, WM_SETREDRAW, 0, 0);
    for (const std::string& entry : Entries())
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageA(list, WM_SETREDRAW, 1, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    state.PauseTiming();
    DestroyWindow(list);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(PlatformListBoxSortedAdd)->Unit(benchmark::kMillisecond);

void ListBoxItemsSortedAdd(benchmark::State& state) {
  Session& s = TheSession();
  for (auto _ : state) {
    state.PauseTiming();
    auto* list = new TListBox(s.form);
    list->SetBoundsRect(RECT{0, 0, 121, 97});
    list->SetSorted(true);
    list->SetParent(s.form);
    list->Handle();
    state.ResumeTiming();
    list->Items()->BeginUpdate();
    for (const std::string& entry : Entries()) list->Items()->Add(entry);
    list->Items()->EndUpdate();
    state.PauseTiming();
    delete list;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(ListBoxItemsSortedAdd)->Unit(benchmark::kMillisecond);

}  // namespace
