#include <cstring>
#include <string>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

std::vector<HWND> colourChanges;

LRESULT Watcher(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SYSCOLORCHANGE) colourChanges.push_back(w);
  return DefWindowProcA(w, m, wp, lp);
}

class SystemServicesTest : public UserTest {};

}  // namespace

TEST_F(SystemServicesTest, VersionIsFourPointZeroOfTheNtFamily) {
  DWORD version = GetVersion();
  EXPECT_EQ(LOBYTE(LOWORD(version)), 4);
  EXPECT_EQ(HIBYTE(LOWORD(version)), 0);
  EXPECT_EQ(HIWORD(version), 1381);
  EXPECT_EQ(version & 0x80000000u, 0u);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.dwBuildNumber, 1381u);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  info.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST_F(SystemServicesTest, RegistryAnswersTheLayoutTextAndRefusesChanges) {
  HKEY layouts = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Keyboard Layouts", 0,
                    KEY_READ, &layouts),
      ERROR_SUCCESS);
  HKEY us = nullptr;
  ASSERT_EQ(RegOpenKeyExA(layouts, "00000409", 0, KEY_READ, &us), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(us, "Layout Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 3u);
  char text[8] = "xxxxxxx";
  size = 2;
  EXPECT_EQ(
      RegQueryValueExA(us, "layout text", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(text[0], 'x');  // nothing half-written
  size = sizeof text;
  ASSERT_EQ(
      RegQueryValueExA(us, "layout text", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
      ERROR_SUCCESS);
  EXPECT_STREQ(text, "US");
  EXPECT_EQ(RegQueryValueExA(us, "nothing", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  HKEY missing;
  EXPECT_EQ(RegOpenKeyExA(layouts, "00000407", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(layouts, "00000409", 0, KEY_WRITE, &missing), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(us), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(us, "layout text", nullptr, nullptr, nullptr, &size),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(us), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(layouts), ERROR_SUCCESS);
}

TEST_F(SystemServicesTest, OneUsLayoutNoInputMethodAndOemTextIsAnsi) {
  HKL layouts[4];
  ASSERT_EQ(GetKeyboardLayoutList(4, layouts), 1);
  EXPECT_EQ(GetKeyboardLayoutList(0, nullptr), 1);
  EXPECT_EQ(layouts[0], GetKeyboardLayout(0));
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(layouts[0]), 0x04090409u);
  EXPECT_EQ(ActivateKeyboardLayout(layouts[0], 0), layouts[0]);
  EXPECT_FALSE(ImmIsIME(layouts[0]));
  EXPECT_EQ(ImmGetContext(nullptr), nullptr);
  char name[KL_NAMELENGTH];
  ASSERT_TRUE(GetKeyboardLayoutNameA(name));
  EXPECT_STREQ(name, "00000409");
  char text[16];
  ASSERT_TRUE(OemToCharA("Song \xC3\xA9", text));
  EXPECT_STREQ(text, "Song \xC3\xA9");
  EXPECT_FALSE(OemToCharA(nullptr, text));
}

TEST_F(SystemServicesTest, PlacementKeepsTheNormalRectangleOfAMaximisedWindow) {
  HWND w = TopLevel(50, 60, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(w, SW_MAXIMIZE);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(w, &placement));
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(placement.rcNormalPosition.left, 50);
  EXPECT_EQ(placement.rcNormalPosition.bottom, 210);
  placement.rcNormalPosition = RECT{10, 20, 110, 120};
  placement.showCmd = SW_SHOWNORMAL;
  ASSERT_TRUE(SetWindowPlacement(w, &placement));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 120);
  EXPECT_FALSE(IsZoomed(w));
  placement.length = 3;
  EXPECT_FALSE(SetWindowPlacement(w, &placement));
}

TEST_F(SystemServicesTest, ChangedSystemColoursReachBrushesAndEveryTopLevelWindow) {
  colourChanges.clear();
  WNDCLASSA wc{};
  wc.lpfnWndProc = Watcher;
  wc.lpszClassName = "Watcher";
  RegisterClassA(&wc);
  HWND top = CreateWindowExA(0, "Watcher", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                             nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "Watcher", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, nullptr,
                               nullptr, nullptr);
  (void)child;
  HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
  INT which[] = {COLOR_WINDOW};
  COLORREF red[] = {RGB(255, 0, 0)};
  ASSERT_TRUE(SetSysColors(1, which, red));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 0, 0));
  EXPECT_EQ(colourChanges, std::vector<HWND>{top});
  HDC dc = GetDC(top);
  RECT r{0, 0, 5, 5};
  FillRect(dc, &r, brush);
  ReleaseDC(top, dc);
  EXPECT_EQ(pt::WindowPixel(top, 2, 2), RGB(255, 0, 0));
  INT bad[] = {999};
  EXPECT_FALSE(SetSysColors(1, bad, red));
  // A new session starts with the classic colours again.
  pt::StartSession();
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
}

TEST_F(SystemServicesTest, EnumFontsListsTheScreenFaces) {
  HDC dc = GetDC(nullptr);
  std::vector<std::string> faces;
  auto collect = [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(font->lfFaceName);
    return 1;
  };
  EXPECT_NE(EnumFontsA(dc, nullptr, collect, reinterpret_cast<LPARAM>(&faces)), 0);
  ASSERT_FALSE(faces.empty());
  std::string first = faces.front();
  faces.clear();
  EnumFontsA(dc, first.c_str(), collect, reinterpret_cast<LPARAM>(&faces));
  EXPECT_EQ(faces, std::vector<std::string>{first});
  ReleaseDC(nullptr, dc);
}
