// Menus, hooks and the automation script: what the framework pays to rebuild a menu and
// look items up, what a message hook adds to the queue's round trip, how fast a pop-up is
// laid out, a script read and the program's state dumped.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/testing.h"
#include "platform/win32.h"
#include "script/script.h"
#include "user/menus.h"

namespace {

LRESULT Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_USER ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

HWND Window() {
  static HWND window = [] {
    platform::testing::StartSession();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Quiet;
    wc.lpszClassName = "BenchMenus";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "BenchMenus", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
  }();
  return window;
}

void Insert(HMENU menu, UINT id, const char* text, HMENU sub = nullptr) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
  info.wID = id;
  info.hSubMenu = sub;
  info.dwTypeData = const_cast<char*>(text);
  InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

// The player's menu: File > Exit; Option > Refresh List, Playing > Repeat, Sequence.
HMENU PlayerMenu() {
  HMENU bar = CreateMenu(), file = CreatePopupMenu(), option = CreatePopupMenu(),
        playing = CreatePopupMenu();
  Insert(file, 2, "E&xit");
  Insert(playing, 5, "&Repeat\tF2");
  Insert(playing, 6, "&Sequence\tF3");
  Insert(option, 4, "Refresh &List\tF5");
  Insert(option, 3, "&Playing", playing);
  Insert(bar, 1, "&File", file);
  Insert(bar, 7, "&Option", option);
  return bar;
}

void BuildAndDestroyThePlayersMenu(benchmark::State& state) {
  Window();
  for (auto _ : state) DestroyMenu(PlayerMenu());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BuildAndDestroyThePlayersMenu);

void MenuStateByCommand(benchmark::State& state) {
  Window();
  HMENU bar = CreateMenu();
  for (UINT column = 0; column < 5; ++column) {
    HMENU sub = CreatePopupMenu();
    for (UINT row = 0; row < 10; ++row) Insert(sub, 100 + column * 10 + row, "item");
    Insert(bar, column, "column", sub);
  }
  for (auto _ : state) benchmark::DoNotOptimize(GetMenuState(bar, 149, MF_BYCOMMAND));  // the last
  state.SetItemsProcessed(state.iterations());
  DestroyMenu(bar);
}
BENCHMARK(MenuStateByCommand);

void LayOutAPopupOfTenItems(benchmark::State& state) {
  Window();
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < 10; ++i)
    AppendMenuA(menu, MF_STRING, static_cast<UINT>(i), "Refresh &List\tF5");
  platform::user::Menu* m = platform::user::LookupMenu(menu);
  for (auto _ : state) platform::user::LayoutPopup(m);
  state.SetItemsProcessed(state.iterations());
  DestroyMenu(menu);
}
BENCHMARK(LayOutAPopupOfTenItems);

LRESULT PassingHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The queue's round trip with no hook (as without hooks at all) and with a message hook.
void PostGetDispatch(benchmark::State& state) {
  HWND window = Window();
  HHOOK hook = state.range(0) ? SetWindowsHookExA(WH_GETMESSAGE, PassingHook, nullptr, 0) : nullptr;
  MSG msg;
  for (auto _ : state) {
    PostMessageA(window, WM_USER, 1, 0);
    GetMessageA(&msg, nullptr, 0, 0);
    benchmark::DoNotOptimize(DispatchMessageA(&msg));
  }
  if (hook) UnhookWindowsHookEx(hook);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PostGetDispatch)->Arg(0)->Arg(1);

void ReadAThousandLineScript(benchmark::State& state) {
  std::string script;
  for (int i = 0; i < 250; ++i)
    script += "click @TFileListBox#2 20 25\nkey Ctrl+Shift+Home\nwait 50\ntype hello world\n";
  for (auto _ : state) benchmark::DoNotOptimize(platform::script::Read(script));
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(ReadAThousandLineScript);

void DumpTwentyWindowsWithAMenu(benchmark::State& state) {
  HWND window = Window();
  SetMenu(window, PlayerMenu());
  for (int i = 0; i < 19; ++i)
    CreateWindowExA(0, "BenchMenus", "child", WS_CHILD | WS_VISIBLE, i, i, 10, 10, window, nullptr,
                    nullptr, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(platform::script::Dump());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DumpTwentyWindowsWithAMenu);

}  // namespace
