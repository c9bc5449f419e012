#include <cstring>

#include "user_test_util.h"

using namespace usertest;

namespace {

LRESULT RefuseNcCreate(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  Recorder(w, m, wp, lp);
  if (m == WM_NCCREATE) return FALSE;
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT RefuseCreate(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  Recorder(w, m, wp, lp);
  if (m == WM_CREATE) return -1;
  return DefWindowProcA(w, m, wp, lp);
}

HWND destroyFromChild = nullptr;
LRESULT DestroysParentOnCreate(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CREATE && destroyFromChild) DestroyWindow(destroyFromChild);
  return Recorder(w, m, wp, lp);
}

}  // namespace

TEST_F(UserTest, CreationSendsNcCreateNcCalcSizeCreateInOrder) {
  std::vector<UINT> all;
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    Log().push_back(Entry{w, m, wp, lp});
    return DefWindowProcA(w, m, wp, lp);
  };
  wc.lpszClassName = "Everything";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "Everything", "t", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  // A hidden top-level window hears its size and place only when it is first shown.
  EXPECT_EQ(MessagesOf(w),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  RECT client;
  GetClientRect(w, &client);
  // A sizable captioned window: 4-pixel frame, 19-pixel caption.
  EXPECT_EQ(client.right, 300 - 8);
  EXPECT_EQ(client.bottom, 200 - 8 - 19);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x, 14);
  EXPECT_EQ(origin.y, 20 + 4 + 19);
}

TEST_F(UserTest, ShowingANewTopLevelActivatesBeforePositionChangedThenSizeAndMove) {
  const std::vector<UINT> classic{
      WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
      WM_SETFOCUS,   WM_WINDOWPOSCHANGED,  WM_SIZE,        WM_MOVE};
  HWND w = TopLevel(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(w, nullptr);
  std::vector<UINT> seen = MessagesOf(w);
  ASSERT_GE(seen.size(), classic.size());
  EXPECT_EQ(seen.back(), static_cast<UINT>(WM_MOVE));
  EXPECT_EQ(std::vector<UINT>(seen.end() - classic.size(), seen.end()), classic);
  EXPECT_EQ(GetActiveWindow(), w);
  EXPECT_EQ(GetFocus(), w);
  EXPECT_TRUE(IsWindowVisible(w));

  // Made hidden and shown later: the same order, and the size and place come once.
  HWND later = TopLevel(30, 30, 200, 100);
  Log().clear();
  ShowWindow(later, SW_SHOW);
  std::vector<UINT> shown = MessagesOf(later);
  std::vector<UINT> tail(classic.begin() + 2, classic.end());
  tail.erase(std::find(tail.begin(), tail.end(), static_cast<UINT>(WM_ACTIVATEAPP)));
  EXPECT_TRUE(
      InOrder(shown, {static_cast<UINT>(WM_SHOWWINDOW), static_cast<UINT>(WM_WINDOWPOSCHANGING)}));
  EXPECT_EQ(std::vector<UINT>(shown.end() - tail.size(), shown.end()), tail);
  Log().clear();
  ShowWindow(later, SW_HIDE);
  ShowWindow(later, SW_SHOW);
  EXPECT_EQ(Count(WM_SIZE, later), 0);
}

TEST_F(UserTest, AChildHearsItsSizeAndPlaceAtCreation) {
  HWND parent = TopLevel();
  Log().clear();
  HWND child = Child(parent, 5, 6, 50, 40, 1, 0);
  EXPECT_EQ(MessagesOf(child), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(Log()[2].lParam, MAKELPARAM(50, 40));
  EXPECT_EQ(Log()[3].lParam, MAKELPARAM(5, 6));
}

TEST_F(UserTest, ChildCreationNotifiesParentAfterCreate) {
  HWND parent = TopLevel();
  Log().clear();
  HWND child = Child(parent, 0, 0, 10, 10, 7, 0);
  ASSERT_NE(child, nullptr);
  auto pairs = Pairs();
  EXPECT_TRUE(InOrder(pairs, {{child, static_cast<UINT>(WM_CREATE)},
                              {parent, static_cast<UINT>(WM_PARENTNOTIFY)}}));
  for (const Entry& e : Log())
    if (e.message == WM_PARENTNOTIFY) {
      EXPECT_EQ(LOWORD(e.wParam), WM_CREATE);
      EXPECT_EQ(HIWORD(e.wParam), 7);
      EXPECT_EQ(reinterpret_cast<HWND>(e.lParam), child);
    }
}

TEST_F(UserTest, NoParentNotifyWhenTheChildAsksNot) {
  HWND parent = TopLevel();
  Log().clear();
  HWND child = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "Recorder", "", WS_CHILD, 0, 0, 5, 5, parent,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  DestroyWindow(child);
  EXPECT_EQ(Count(WM_PARENTNOTIFY), 0);
}

TEST_F(UserTest, DestructionOrderChildrenBetweenDestroyAndNcDestroy) {
  HWND parent = TopLevel();
  HWND child = Child(parent, 0, 0, 10, 10, 1);
  HWND grandchild = Child(child, 0, 0, 5, 5, 2);
  Log().clear();
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> destroys;
  for (auto& p : Pairs())
    if (p.second == WM_DESTROY || p.second == WM_NCDESTROY) destroys.push_back(p);
  std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY},     {child, WM_DESTROY},
                                              {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
                                              {child, WM_NCDESTROY},    {parent, WM_NCDESTROY}};
  EXPECT_EQ(destroys, expected);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(UserTest, DestroyingAChildNotifiesParentFirst) {
  HWND parent = TopLevel();
  HWND child = Child(parent, 0, 0, 10, 10, 3);
  Log().clear();
  DestroyWindow(child);
  EXPECT_TRUE(InOrder(Pairs(), {{parent, static_cast<UINT>(WM_PARENTNOTIFY)},
                                {child, static_cast<UINT>(WM_DESTROY)}}));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

TEST_F(UserTest, OwnedWindowsAreDestroyedBeforeTheirOwner) {
  HWND owner = TopLevel();
  HWND owned =
      CreateWindowExA(0, "Recorder", "", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
  ASSERT_EQ(GetWindow(owned, GW_OWNER), owner);
  Log().clear();
  DestroyWindow(owner);
  EXPECT_TRUE(InOrder(
      Pairs(), {{owned, static_cast<UINT>(WM_NCDESTROY)}, {owner, static_cast<UINT>(WM_DESTROY)}}));
  EXPECT_FALSE(IsWindow(owned));
}

TEST_F(UserTest, CreationFailsWhenNcCreateOrCreateRefuses) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RefuseNcCreate;
  wc.lpszClassName = "NoNc";
  RegisterClassA(&wc);
  wc.lpfnWndProc = RefuseCreate;
  wc.lpszClassName = "NoCreate";
  RegisterClassA(&wc);
  EXPECT_EQ(
      CreateWindowExA(0, "NoNc", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(Count(WM_CREATE), 0);
  EXPECT_EQ(Count(WM_NCDESTROY), 1);
  Log().clear();
  EXPECT_EQ(
      CreateWindowExA(0, "NoCreate", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_TRUE(InOrder(MessagesOf(), {static_cast<UINT>(WM_CREATE), static_cast<UINT>(WM_DESTROY),
                                     static_cast<UINT>(WM_NCDESTROY)}));
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), nullptr);
}

TEST_F(UserTest, ChildDestroyingItsParentDuringCreateFailsCleanly) {
  HWND parent = TopLevel();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DestroysParentOnCreate;
  wc.lpszClassName = "Saboteur";
  RegisterClassA(&wc);
  destroyFromChild = parent;
  HWND child =
      CreateWindowExA(0, "Saboteur", "", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
  destroyFromChild = nullptr;
  EXPECT_EQ(child, nullptr);
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(UserTest, StaleAndForgedHandlesFailWithInvalidWindowHandle) {
  HWND w = TopLevel();
  DestroyWindow(w);
  HWND forged = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x12345678));
  for (HWND bad : {w, forged}) {
    SetLastError(0);
    EXPECT_EQ(GetWindowLongA(bad, GWL_STYLE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_FALSE(IsWindow(bad));
  }
  // A new window in the same slot does not revive the old handle.
  HWND again = TopLevel();
  EXPECT_NE(again, w);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(UserTest, ClassRegistrationErrors) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Recorder;
  wc.lpszClassName = "recorder";  // names compare without case
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  EXPECT_EQ(
      CreateWindowExA(0, "Nope", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  HWND w = TopLevel();
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(w, &process), GetCurrentThreadId());
  EXPECT_EQ(process, GetCurrentProcessId());
  EXPECT_FALSE(UnregisterClassA("Recorder", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("Recorder", nullptr));
  WNDCLASSA info{};
  EXPECT_FALSE(GetClassInfoA(nullptr, "Recorder", &info));
  EXPECT_TRUE(GetClassInfoA(nullptr, "DoubleClicker", &info));
  EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(info.lpfnWndProc, &Recorder);
}

TEST_F(UserTest, NoClassOrWindowEverGetsANullProcedure) {
  WNDCLASSA wc{};
  wc.lpszClassName = "NoProcedure";
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  WNDCLASSEXA wide{};
  wide.cbSize = sizeof(wide);
  wide.lpszClassName = "NoProcedure";
  EXPECT_EQ(RegisterClassExA(&wide), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoProcedure", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

  HWND w = TopLevel();
  EXPECT_EQ(SetWindowLongA(w, GWLP_WNDPROC, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetClassLongA(w, GCLP_WNDPROC, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetWindowLongA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Recorder));
  Log().clear();
  SendMessageA(w, WM_USER, 0, 0);
  HWND second = TopLevel();
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(Count(WM_USER, w), 1);
  EXPECT_EQ(Count(WM_CREATE, second), 1);
  EXPECT_EQ(CallWindowProcA(nullptr, w, WM_USER, 0, 0), 0);
}

TEST_F(UserTest, WindowLongsAndExtraBytes) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Recorder;
  wc.cbWndExtra = 16;
  wc.lpszClassName = "Extra";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "Extra", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           nullptr, nullptr);
  EXPECT_EQ(GetWindowLongA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Recorder));
  EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  EXPECT_EQ(SetWindowLongA(w, GWLP_USERDATA, 42), 0);
  EXPECT_EQ(GetWindowLongA(w, GWLP_USERDATA), 42);
  EXPECT_EQ(SetWindowLongA(w, 8, 0x1122334455667788LL), 0);
  EXPECT_EQ(GetWindowLongA(w, 8), 0x1122334455667788LL);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(w, 9), 0);  // would read past the 16 extra bytes
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  Log().clear();
  SetWindowLongA(w, GWL_STYLE, WS_POPUP | WS_BORDER);
  EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_BORDER, WS_BORDER);
}

TEST_F(UserTest, TreeNavigationAndZOrder) {
  HWND parent = TopLevel();
  HWND a = Child(parent, 0, 0, 10, 10, 1);
  HWND b = Child(parent, 0, 0, 10, 10, 2);
  HWND c = Child(parent, 0, 0, 10, 10, 3);
  // New children go on top.
  EXPECT_EQ(GetWindow(parent, GW_CHILD), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), c);
  EXPECT_EQ(GetWindow(b, GW_HWNDLAST), a);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
  SetWindowPos(a, c, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
  EXPECT_EQ(GetParent(a), parent);
  EXPECT_EQ(GetDlgItem(parent, 2), b);
  EXPECT_EQ(GetDlgCtrlID(b), 2);
  EXPECT_TRUE(IsChild(parent, a));
  EXPECT_FALSE(IsChild(a, parent));
  EXPECT_EQ(GetAncestor(a, GA_ROOT), parent);
  EXPECT_EQ(GetAncestor(parent, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetTopWindow(nullptr), parent);

  HWND other = TopLevel();
  EXPECT_EQ(SetParent(a, other), parent);
  EXPECT_EQ(GetParent(a), other);
  EXPECT_EQ(GetWindow(other, GW_CHILD), a);
}

TEST_F(UserTest, EnumerationSurvivesDestructionInTheCallback) {
  HWND parent = TopLevel();
  HWND a = Child(parent, 0, 0, 10, 10, 1);
  Child(a, 0, 0, 5, 5, 2);
  Child(parent, 0, 0, 10, 10, 3);
  static std::vector<HWND> seen;
  seen.clear();
  EXPECT_TRUE(EnumChildWindows(
      parent,
      [](HWND w, LPARAM) -> BOOL {
        seen.push_back(w);
        if (GetDlgCtrlID(w) == 1) DestroyWindow(w);  // takes its child along
        return TRUE;
      },
      0));
  EXPECT_EQ(seen.size(), 2u);
  seen.clear();
  TopLevel();
  EXPECT_FALSE(EnumWindows(
      [](HWND w, LPARAM) -> BOOL {
        seen.push_back(w);
        return FALSE;
      },
      0));
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(UserTest, TextAndProperties) {
  HWND w = TopLevel();
  char buffer[8];
  EXPECT_EQ(GetWindowTextA(w, buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "top");
  SetWindowTextA(w, "a longer title");
  EXPECT_EQ(GetWindowTextLengthA(w), 14);
  EXPECT_EQ(GetWindowTextA(w, buffer, sizeof buffer), 7);  // cut to the buffer, terminated
  EXPECT_STREQ(buffer, "a longe");
  EXPECT_TRUE(SetPropA(w, "Key", reinterpret_cast<HANDLE>(5)));
  EXPECT_EQ(GetPropA(w, "Key"), reinterpret_cast<HANDLE>(5));
  EXPECT_TRUE(SetPropA(w, MAKEINTATOM(0xC123), reinterpret_cast<HANDLE>(6)));
  EXPECT_EQ(GetPropA(w, MAKEINTATOM(0xC123)), reinterpret_cast<HANDLE>(6));
  ATOM atom = GlobalAddAtomA("Key");
  EXPECT_EQ(GetPropA(w, MAKEINTATOM(atom)), reinterpret_cast<HANDLE>(5));  // the atom names it too
  GlobalDeleteAtom(atom);
  EXPECT_EQ(RemovePropA(w, "Key"), reinterpret_cast<HANDLE>(5));
  EXPECT_EQ(GetPropA(w, "Key"), nullptr);
}

TEST_F(UserTest, MovingAndSizingSendPositionMessages) {
  HWND w = TopLevel(0, 0, 100, 100, WS_POPUP);
  Log().clear();
  MoveWindow(w, 10, 20, 100, 100, TRUE);
  EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
  Log().clear();
  SetWindowPos(w, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
  EXPECT_EQ(Log().back().lParam, MAKELPARAM(50, 60));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 60);
  EXPECT_EQ(r.bottom, 80);
}

TEST_F(UserTest, MaximiseAndRestore) {
  HWND w = TopLevel(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(w, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(w));
  RECT r;
  GetWindowRect(w, &r);
  // The frame goes just outside the screen.
  EXPECT_EQ(r.left, -4);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN) + 4);
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(w));
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 210);
  ShowWindow(w, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(w));
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsIconic(w));
  GetWindowRect(w, &r);
  EXPECT_EQ(r.bottom, 110);
}

TEST_F(UserTest, MappingPointsBetweenWindows) {
  HWND top = TopLevel(100, 50, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 20, 30, 50, 50, 1);
  POINT p{5, 6};
  MapWindowPoints(child, top, &p, 1);
  EXPECT_EQ(p.x, 25);
  EXPECT_EQ(p.y, 36);
  MapWindowPoints(top, nullptr, &p, 1);
  EXPECT_EQ(p.x, 125);
  EXPECT_EQ(p.y, 86);
  ScreenToClient(child, &p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 6);
  EXPECT_EQ(WindowFromPoint(POINT{125, 86}), child);
  EXPECT_EQ(WindowFromPoint(POINT{105, 55}), top);
  EXPECT_EQ(WindowFromPoint(POINT{5, 5}), nullptr);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{25, 35}), child);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{5, 5}), top);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{500, 5}), nullptr);
  EnableWindow(child, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{125, 86}), top);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{25, 35}, CWP_SKIPDISABLED), top);
}

TEST_F(UserTest, TopmostWindowsStayAboveOthers) {
  HWND topmost = CreateWindowExA(WS_EX_TOPMOST, "Recorder", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
  HWND later = TopLevel(0, 0, 10, 10, WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);
  EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), later);
  SetWindowPos(topmost, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongA(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowPos(later, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetTopWindow(nullptr), later);
}

TEST_F(UserTest, HandleSlotsAreReusedWithoutReviving) {
  HWND first = TopLevel(0, 0, 1, 1, WS_POPUP);
  DestroyWindow(first);
  // Far more windows than the table has slots, one at a time.
  for (int i = 0; i < 70000; ++i) {
    HWND w = CreateWindowExA(0, "Recorder", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(w, nullptr) << i;
    ASSERT_NE(w, first);
    DestroyWindow(w);
  }
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(UserTest, HidingTheFocusChildHandsTheFocusToItsParent) {
  HWND top = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 0, 0, 10, 10, 1);
  SetFocus(child);
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);
}

TEST_F(UserTest, SessionCountsShowWhatIsLeftAlive) {
  namespace pt = platform::testing;
  EXPECT_EQ(pt::LiveObjects(), pt::Counts{});
  HWND w = TopLevel(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Child(w, 0, 0, 10, 10);
  pt::PumpUntilIdle();  // paints the caption with the shared font and brushes
  LoadIconA(nullptr, IDI_APPLICATION);
  GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(pt::LiveObjects(), (pt::Counts{2, 0, 0}));
  HDC dc = GetDC(w);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HDC memory = CreateCompatibleDC(dc);
  EXPECT_EQ(pt::LiveObjects(), (pt::Counts{2, 2, 1}));
  DeleteDC(memory);
  ReleaseDC(w, dc);
  DeleteObject(pen);
  DestroyWindow(w);
  EXPECT_EQ(pt::LiveObjects(), pt::Counts{});

  // What a test leaves behind is not counted in the next session; its windows and their
  // DCs are gone, and what it made itself is left to whoever holds it.
  w = TopLevel(10, 10, 200, 100, WS_POPUP | WS_VISIBLE);
  dc = GetDC(w);
  pen = CreatePen(PS_SOLID, 1, 0);
  pt::StartSession();
  EXPECT_EQ(pt::LiveObjects(), pt::Counts{});
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
  DeleteObject(pen);
}
