// The native desktop as the window manager sees it, through a host that records what it is
// asked to show and sends host events in as a desktop would: which windows become host
// windows and how, the host moving them without a repaint, activation following the host's
// focus, minimising and closing through the window manager, and the hit test that lets the
// host move and size a window by its own WM_NCHITTEST answers.
#include "user/native.h"

#include <deque>
#include <functional>
#include <memory>

#include "backend/backend.h"
#include "gdi/screen.h"
#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;
using platform::backend::HostHit;
using platform::backend::HostKind;
using platform::backend::HostWindow;

namespace {

// A desktop of 1000 x 700 that keeps the last list of windows it was asked to show. Its
// waits run the steps a test queued (one per wait), as the harness's own backend does.
class RecordingHost : public platform::backend::Backend {
 public:
  RecordingHost() : inner_(platform::backend::CreateHeadless()) {}
  const char* Name() const override { return "recording"; }
  bool ShowsScreen() const override { return false; }
  bool NativeWindows() const override { return true; }
  POINT DesktopSize() const override { return POINT{1000, 700}; }
  void Wait(int timeoutMs) override {
    if (!steps.empty()) {
      auto step = std::move(steps.front());
      steps.pop_front();
      step();
      return;
    }
    inner_->Wait(timeoutMs);
  }
  void Poll() override {}
  void Wake() override { inner_->Wake(); }
  void Present(const platform::Surface&, const std::vector<RECT>&, HCURSOR) override {}
  void PresentWindows(const std::vector<HostWindow>& windows, std::uintptr_t activeId,
                      HCURSOR) override {
    shown = windows;
    for (HostWindow& w : shown) w.surface = nullptr;  // not ours to keep
    active = activeId;
    ++presents;
  }

  std::vector<HostWindow> shown;
  std::uintptr_t active = 0;
  int presents = 0;
  std::deque<std::function<void()>> steps;

 private:
  std::unique_ptr<Backend> inner_;
};

std::uintptr_t Id(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

platform::backend::InputSink& Host() { return platform::backend::Sink(); }

class NativeDesktop : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    auto host = std::make_unique<RecordingHost>();
    host_ = host.get();
    platform::backend::Use(std::move(host));
    platform::user::AdoptDesktopSize();
  }

  // Lets the queue go idle once, which is when the windows are shown.
  void Idle() {
    pt::PumpUntilIdle();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }

  const HostWindow* Shown(HWND window) const {
    for (const HostWindow& w : host_->shown)
      if (w.id == Id(window)) return &w;
    return nullptr;
  }

  RecordingHost* host_ = nullptr;
};

LRESULT PaintsRed(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &ps.rcPaint, red);
    DeleteObject(red);
    EndPaint(w, &ps);
    return 0;
  }
  return Recorder(w, m, wp, lp);
}

// A window whose whole client area answers HTCAPTION, as a form without a frame that is
// dragged by its body does.
LRESULT DraggedByItsBody(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCHITTEST) {
    LRESULT hit = DefWindowProcA(w, m, wp, lp);
    return hit == HTCLIENT ? HTCAPTION : hit;
  }
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

TEST_F(NativeDesktop, TheScreenIsTheHostsWorkArea) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1000);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 700);
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, 1000);
  EXPECT_EQ(work.bottom, 700);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(desktop.right, 1000);
  // A window that asks for a default place and size gets them inside it.
  HWND w =
      CreateWindowExA(0, "Recorder", "default", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_GE(r.left, 0);
  EXPECT_LE(r.right, 1000);
  EXPECT_LE(r.bottom, 700);
  // Back on the virtual desktop, the setting's size returns.
  platform::backend::Use(platform::backend::CreateHeadless());
  platform::user::AdoptDesktopSize();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), platform::gdi::ScreenSetting().x);
}

TEST_F(NativeDesktop, EveryVisibleTopLevelWindowIsAHostWindowOfItsKind) {
  HWND main = TopLevel(100, 80, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetWindowTextA(main, "Main window");
  HICON icon = LoadIconA(nullptr, IDI_ASTERISK);
  SendMessageA(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  HWND child = Child(main, 10, 10, 50, 20);
  HWND hidden = TopLevel(10, 10, 50, 50, WS_OVERLAPPEDWINDOW);
  // The framework's application window: visible, but of no size.
  HWND empty = CreateWindowExA(0, "Recorder", "app", WS_POPUP | WS_CAPTION | WS_VISIBLE, 500, 300,
                               0, 0, nullptr, nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExA(WS_EX_DLGMODALFRAME, "Recorder", "Dialog",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 150, 120, 200, 100,
                                main, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Recorder", "",
                              WS_POPUP | WS_BORDER | WS_VISIBLE, 120, 300, 150, 80, main, nullptr,
                              nullptr, nullptr);
  SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
  SetActiveWindow(dialog);
  Idle();

  ASSERT_EQ(host_->shown.size(), 3u);
  EXPECT_EQ(Shown(child), nullptr);
  EXPECT_EQ(Shown(hidden), nullptr);
  EXPECT_EQ(Shown(empty), nullptr);
  // Bottom first, as the platform stacks them.
  EXPECT_EQ(host_->shown.front().id, Id(main));
  const HostWindow* m = Shown(main);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->kind, HostKind::Framed);
  EXPECT_TRUE(m->sizable);
  EXPECT_EQ(m->title, "Main window");
  EXPECT_EQ(m->icon, icon);
  EXPECT_TRUE(EqualRect(&m->rect, std::make_unique<RECT>(RECT{100, 80, 400, 280}).get()));
  const HostWindow* d = Shown(dialog);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->kind, HostKind::Framed);
  EXPECT_FALSE(d->sizable);
  EXPECT_EQ(d->owner, Id(main));
  const HostWindow* l = Shown(list);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->kind, HostKind::Popup);
  EXPECT_TRUE(l->topmost);
  EXPECT_EQ(host_->active, Id(dialog));

  // Retitled, minimised, hidden: the next list says so.
  SetWindowTextA(main, "Renamed");
  ShowWindow(list, SW_HIDE);
  ShowWindow(main, SW_MINIMIZE);
  Idle();
  ASSERT_NE(Shown(main), nullptr);
  EXPECT_TRUE(Shown(main)->minimized);
  EXPECT_EQ(Shown(main)->title, "Renamed");
  EXPECT_EQ(Shown(list), nullptr);
  // The dialog it owns hid with it.
  EXPECT_EQ(Shown(dialog), nullptr);
}

TEST_F(NativeDesktop, AHostWindowIsHandedWhatChangedAndTheComposedScreenStaysTrue) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PaintsRed;
  wc.lpszClassName = "Red";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowExA(0, "Red", "", WS_POPUP | WS_VISIBLE, 100, 100, 100, 50, nullptr, nullptr,
                           nullptr, nullptr);
  Idle();
  ASSERT_NE(Shown(w), nullptr);
  EXPECT_FALSE(IsRectEmpty(&Shown(w)->damage));
  Idle();
  EXPECT_TRUE(IsRectEmpty(&Shown(w)->damage)) << "nothing drawn, nothing to copy";

  // A window DC draws a blue square: that square, in the window's own coordinates.
  HDC dc = GetDC(w);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT square{10, 10, 20, 20};
  FillRect(dc, &square, blue);
  DeleteObject(blue);
  ReleaseDC(w, dc);
  Idle();
  EXPECT_TRUE(EqualRect(&Shown(w)->damage, &square));
  // The screen, composed when it is read, shows the square as well.
  EXPECT_EQ(pt::ScreenPixel(115, 115), RGB(0, 0, 255));
  EXPECT_EQ(pt::ScreenPixel(150, 120), RGB(255, 0, 0));
}

TEST_F(NativeDesktop, TheHostMovingAWindowMovesItWithoutARepaint) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Child(w, 10, 10, 50, 20);
  Idle();
  Log().clear();
  Host().HostMoved(Id(w), RECT{250, 180, 550, 380});
  Idle();
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 250);
  EXPECT_EQ(r.top, 180);
  EXPECT_EQ(r.right, 550);
  EXPECT_EQ(Count(WM_MOVE, w), 1);
  EXPECT_EQ(Count(WM_SIZE, w), 0);
  EXPECT_EQ(GetQueueStatus(QS_PAINT), 0u) << "nothing to paint";
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
  EXPECT_EQ(Shown(w)->rect.left, 250);
  // Mouse input goes to the window at its new place.
  pt::Click(450, 330);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_LBUTTONDOWN, w), 1);

  // Sized by the host: the window hears its new size and paints what it must.
  Host().HostMoved(Id(w), RECT{250, 180, 650, 480});
  pt::PumpUntilIdle();
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(Count(WM_SIZE, w), 1);

  // News of a window that has gone changes nothing.
  DestroyWindow(child);
  Host().HostMoved(Id(child), RECT{0, 0, 10, 10});
  Host().HostFocus(Id(child));
  Host().HostClose(Id(child));
  pt::PumpUntilIdle();
  EXPECT_TRUE(IsWindow(w));
}

TEST_F(NativeDesktop, AnotherProgramInFrontDeactivatesOursAndEndsItsMode) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND other = TopLevel(500, 100, 200, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND field = Child(w, 10, 10, 50, 20);
  SetActiveWindow(w);
  SetFocus(field);
  SetCapture(field);
  pt::PumpUntilIdle();
  Log().clear();

  Host().HostFocus(0);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(InOrder(Pairs(), {{field, static_cast<UINT>(WM_CANCELMODE)},
                                {field, static_cast<UINT>(WM_CAPTURECHANGED)},
                                {w, static_cast<UINT>(WM_NCACTIVATE)},
                                {w, static_cast<UINT>(WM_ACTIVATE)},
                                {w, static_cast<UINT>(WM_ACTIVATEAPP)},
                                {field, static_cast<UINT>(WM_KILLFOCUS)}}));
  for (const Entry& e : Log()) {
    if (e.window == w && e.message == WM_ACTIVATE) {
      EXPECT_EQ(LOWORD(e.wParam), WA_INACTIVE);
    }
    if (e.message == WM_ACTIVATEAPP) {
      EXPECT_EQ(e.wParam, static_cast<WPARAM>(FALSE));
    }
  }
  EXPECT_EQ(Count(WM_ACTIVATEAPP, other), 1) << "every top-level window hears it";

  // Clicked back: the window the host focused is the active one.
  Log().clear();
  Host().HostFocus(Id(other));
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(Count(WM_ACTIVATEAPP, w), 1);
  Idle();
  EXPECT_EQ(host_->active, Id(other));
}

TEST_F(NativeDesktop, AnOpenMenuClosesWhenAnotherProgramComesToTheFront) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetActiveWindow(w);
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "One");
  AppendMenuA(menu, MF_STRING, 2, "Two");
  pt::PumpUntilIdle();
  // Once the menu waits for input, it is a pop-up of its own; then the user clicks elsewhere.
  bool menuShown = false;
  host_->steps.push_back([&] {
    for (const HostWindow& shown : host_->shown)
      menuShown |= shown.kind == HostKind::Popup && shown.id != Id(w);
    Host().HostFocus(0);
  });
  // Had the menu stayed open, it would wait again: Esc ends it, and the test says so.
  bool stillOpen = false;
  host_->steps.push_back([&] {
    stillOpen = true;
    pt::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 150, 0, w, nullptr), 0);
  host_->steps.clear();
  EXPECT_TRUE(menuShown);
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  Idle();
  ASSERT_EQ(host_->shown.size(), 1u) << "the menu's window is gone";
  DestroyMenu(menu);
}

TEST_F(NativeDesktop, AWindowAModalOneDisablesHandsTheHostsFocusAndCloseToIt) {
  HWND main = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND box = CreateWindowExA(0, "Recorder", "box", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150, 150,
                             100, 80, main, nullptr, nullptr, nullptr);
  EnableWindow(main, FALSE);
  SetActiveWindow(box);
  Host().HostFocus(0);
  pt::PumpUntilIdle();
  Log().clear();

  Host().HostFocus(Id(main));
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), box);
  Host().HostClose(Id(main));
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_CLOSE), 0);
  EXPECT_TRUE(IsWindow(main));

  // Enabled again, the window manager's close is the close box's.
  EnableWindow(main, TRUE);
  Host().HostClose(Id(main));
  pt::PumpUntilIdle();
  EXPECT_TRUE(InOrder(
      Pairs(), {{main, static_cast<UINT>(WM_SYSCOMMAND)}, {main, static_cast<UINT>(WM_CLOSE)}}));
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(NativeDesktop, MinimisingAndRestoringThroughTheHostAreThePlatformsOwn) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  Host().HostMinimized(Id(w), true);
  pt::PumpUntilIdle();
  EXPECT_TRUE(IsIconic(w));
  Idle();
  ASSERT_NE(Shown(w), nullptr);
  EXPECT_TRUE(Shown(w)->minimized);
  Host().HostMinimized(Id(w), false);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsIconic(w));
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right - r.left, 300);
  int commands = 0;
  for (const Entry& e : Log()) {
    if (e.window == w && e.message == WM_SYSCOMMAND) {
      EXPECT_EQ(e.wParam & 0xFFF0, commands++ == 0 ? SC_MINIMIZE : SC_RESTORE);
    }
  }
  EXPECT_EQ(commands, 2);
}

TEST_F(NativeDesktop, TheHostMovesAndSizesByTheWindowsOwnHitTest) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Child(w, 10, 10, 50, 20);
  HWND fixed = TopLevel(500, 100, 200, 150, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  RECT r{}, client{};
  GetWindowRect(w, &r);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  GetClientRect(w, &client);
  int captionY = (r.top + origin.y) / 2;
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.left + 60, captionY}), HostHit::Move);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.left + 1, r.top + 100}), HostHit::SizeLeft);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.right - 1, r.bottom - 1}), HostHit::SizeBottomRight);
  // The caption's buttons and the client area are ours.
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.right - 10, captionY}), HostHit::Client);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{origin.x + 100, origin.y + 100}), HostHit::Client);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{origin.x + 15, origin.y + 15}), HostHit::Client);
  // Without a thick frame the border does not size.
  RECT f{};
  GetWindowRect(fixed, &f);
  EXPECT_EQ(Host().HitTest(Id(fixed), POINT{f.left, f.top + 80}), HostHit::Client);
  // While something holds the mouse, or the window is disabled or maximised, presses are ours.
  SetCapture(child);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.left + 60, captionY}), HostHit::Client);
  ReleaseCapture();
  EnableWindow(w, FALSE);
  EXPECT_EQ(Host().HitTest(Id(w), POINT{r.left + 60, captionY}), HostHit::Client);
  EnableWindow(w, TRUE);

  // The answer is the window's own: a body that answers HTCAPTION moves the window.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DraggedByItsBody;
  wc.lpszClassName = "Body";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND body = CreateWindowExA(0, "Body", "", WS_POPUP | WS_VISIBLE, 100, 400, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  EXPECT_EQ(Host().HitTest(Id(body), POINT{150, 450}), HostHit::Move);
  EXPECT_EQ(Host().HitTest(Id(child), POINT{115, 115}), HostHit::Client)
      << "not a top-level window";
}

TEST_F(NativeDesktop, ATerminatingSignalClosesTheTopWindowWhileAnotherProgramIsInFront) {
  HWND back = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND front = TopLevel(150, 150, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hint = CreateWindowExA(WS_EX_TOOLWINDOW, "Recorder", "", WS_POPUP | WS_BORDER | WS_VISIBLE,
                              160, 160, 80, 20, nullptr, nullptr, nullptr, nullptr);
  Host().HostFocus(0);
  pt::PumpUntilIdle();
  ASSERT_EQ(GetActiveWindow(), nullptr);
  Host().CloseRequested();
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(front));
  EXPECT_TRUE(IsWindow(back));
  EXPECT_TRUE(IsWindow(hint));
}

TEST_F(NativeDesktop, ADoubleClickOnTheCaptionIsOursAfterTheHostTookTheFirstPress) {
  HWND w = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  RECT r{};
  GetWindowRect(w, &r);
  POINT caption{r.left + 60, r.top + 10};
  // The host moves the window on the first press; the quick second press is ours, the
  // platform's double click on the caption: the window is maximised.
  EXPECT_EQ(Host().HitTest(Id(w), caption), HostHit::Move);
  EXPECT_EQ(Host().HitTest(Id(w), caption), HostHit::Client);
  pt::Click(caption.x, caption.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(IsZoomed(w));
  // Restored, and after the double-click time, a press on the caption is the host's again.
  ShowWindow(w, SW_RESTORE);
  pt::AdvanceTime(GetDoubleClickTime() + 1);
  EXPECT_EQ(Host().HitTest(Id(w), caption), HostHit::Move);
  pt::AdvanceTime(GetDoubleClickTime() + 1);
  EXPECT_EQ(Host().HitTest(Id(w), caption), HostHit::Move);
}
