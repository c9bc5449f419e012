// The dump reads a built-in control through its own messages also when the window's class
// is a superclass with a procedure of its own, as the framework's controls are.
#include <gtest/gtest.h>

#include <string>

#include "platform/testing.h"
#include "platform/win32.h"
#include "script/script.h"

namespace pt = platform::testing;

namespace {

WNDPROC listBoxProcedure = nullptr;

LRESULT CALLBACK SuperclassProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(listBoxProcedure, w, m, wp, lp);
}

}  // namespace

TEST(ScriptDump, ASuperclassedListBoxShowsItsItems) {
  pt::StartSession();
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "LISTBOX", &wc));
  listBoxProcedure = wc.lpfnWndProc;
  wc.lpfnWndProc = &SuperclassProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TSongList";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND list = CreateWindowExA(0, "TSongList", "", WS_POPUP | WS_VISIBLE | LBS_HASSTRINGS, 10, 10,
                              100, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(list, nullptr);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a.mid"));
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b.mid"));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  std::string dump = platform::script::Dump();
  EXPECT_NE(dump.find("\"class\": \"TSongList\""), std::string::npos);
  EXPECT_NE(dump.find("\"items\": [\"a.mid\", \"b.mid\"], \"selected\": [1]"), std::string::npos)
      << dump;
  DestroyWindow(list);
  UnregisterClassA("TSongList", wc.hInstance);
  pt::EndSession();
}

TEST(ScriptDump, CheckBoxesAndRadioButtonsShowTheirCheckPushButtonsDoNot) {
  pt::StartSession();
  auto make = [](const char* text, DWORD style) {
    return CreateWindowExA(0, "BUTTON", text, WS_POPUP | WS_VISIBLE | style, 10, 10, 80, 20,
                           nullptr, nullptr, nullptr, nullptr);
  };
  HWND mute = make("Mute", BS_AUTO3STATE);
  HWND radio = make("Radio", BS_AUTORADIOBUTTON);
  make("Push", BS_PUSHBUTTON);
  SendMessageA(mute, BM_SETCHECK, BST_INDETERMINATE, 0);
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  std::string dump = platform::script::Dump();
  EXPECT_NE(dump.find("\"text\": \"Mute\""), std::string::npos);
  auto lineOf = [&dump](const char* text) {
    std::size_t at = dump.find(text);
    return at == std::string::npos ? std::string() : dump.substr(at, dump.find('\n', at) - at);
  };
  EXPECT_NE(lineOf("\"text\": \"Mute\"").find("\"check\": 2"), std::string::npos) << dump;
  EXPECT_NE(lineOf("\"text\": \"Radio\"").find("\"check\": 1"), std::string::npos) << dump;
  EXPECT_EQ(lineOf("\"text\": \"Push\"").find("\"check\""), std::string::npos) << dump;
  pt::EndSession();
}
