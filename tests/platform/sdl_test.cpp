// The sdl backend and the SDL audio output on SDL's dummy drivers: ctest runs these in
// td_platform_sdl_tests, with SDL_VIDEODRIVER and SDL_AUDIODRIVER set to dummy; elsewhere
// they are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "audio/engine.h"
#include "backend/backend.h"
#include "gdi/screen.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "tests/platform/mci/midi_builder.h"
#include "user/native.h"

namespace pt = platform::testing;

namespace {

bool OnDummyDrivers() {
  const char* video = std::getenv("SDL_VIDEODRIVER");
  const char* audio = std::getenv("SDL_AUDIODRIVER");
  return video && audio && std::strcmp(video, "dummy") == 0 && std::strcmp(audio, "dummy") == 0;
}

constexpr COLORREF kRed = RGB(255, 0, 0);

LRESULT PaintsRed(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &ps.rcPaint, red);
    DeleteObject(red);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// Lets the queue go idle once, which is when the screen is shown.
void LetTheScreenShow() {
  pt::PumpUntilIdle();
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
}

std::uint32_t Shown(int x, int y) {
  platform::Surface shown;
  if (!platform::backend::Current().ReadShown(&shown)) return 0xFFFFFFFFu;
  return shown.Row(y)[x];
}

}  // namespace

TEST(SdlBackend, TheScreenReachesTheHostWindowWhereItChanged) {
  if (!OnDummyDrivers()) GTEST_SKIP() << "runs on SDL's dummy drivers (td_platform_sdl_tests)";
  pt::StartSession();
  const platform::Surface& screen = platform::gdi::Screen();
  auto sdl = platform::backend::CreateSdl(screen.width, screen.height,
                                          platform::backend::Desktop::Virtual, 1);
  ASSERT_NE(sdl, nullptr);
  platform::backend::Use(std::move(sdl));
  WNDCLASSA wc{};
  wc.lpfnWndProc = PaintsRed;
  wc.lpszClassName = "SdlRed";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowExA(0, "SdlRed", "", WS_POPUP | WS_VISIBLE, 100, 100, 100, 50, nullptr,
                           nullptr, nullptr, nullptr);
  LetTheScreenShow();
  EXPECT_EQ(Shown(150, 120), 0xFF0000u);
  EXPECT_EQ(Shown(10, 10), 0x008080u);

  // Only what changed is copied: a pixel changed behind the composition's back stays
  // unseen, while the window moving is shown at once.
  platform::gdi::Screen().Row(300)[300] = 0x123456;
  MoveWindow(w, 400, 100, 100, 50, TRUE);
  LetTheScreenShow();
  EXPECT_EQ(Shown(450, 120), 0xFF0000u);
  EXPECT_EQ(Shown(150, 120), 0x008080u);
  EXPECT_EQ(Shown(300, 300), 0x008080u);
  pt::EndSession();
}

TEST(SdlBackend, OnTheNativeDesktopEachWindowIsAHostWindowEnlargedByTheScale) {
  if (!OnDummyDrivers()) GTEST_SKIP() << "runs on SDL's dummy drivers (td_platform_sdl_tests)";
  pt::StartSession();
  auto sdl = platform::backend::CreateSdl(800, 600, platform::backend::Desktop::Native, 2);
  ASSERT_NE(sdl, nullptr);
  platform::backend::Backend* backend = sdl.get();
  platform::backend::Use(std::move(sdl));
  platform::user::AdoptDesktopSize();
  // The dummy driver's display is 1024 x 768, at the host's origin.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 512);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 384);

  WNDCLASSA wc{};
  wc.lpfnWndProc = PaintsRed;
  wc.lpszClassName = "SdlNativeRed";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowExA(0, "SdlNativeRed", "Red", WS_POPUP | WS_VISIBLE, 100, 50, 100, 40,
                           nullptr, nullptr, nullptr, nullptr);
  auto id = reinterpret_cast<std::uintptr_t>(w);
  LetTheScreenShow();
  platform::Surface shown;
  RECT where{};
  ASSERT_TRUE(backend->ReadShownWindow(id, &shown, &where));
  EXPECT_EQ(shown.width, 200);
  EXPECT_EQ(shown.height, 80);
  EXPECT_EQ(where.left, 200);
  EXPECT_EQ(where.top, 100);
  EXPECT_EQ(shown.Row(79)[199], 0xFF0000u);

  // Drawing reaches the host window where it changed, every pixel as a 2 x 2 block.
  HDC dc = GetDC(w);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT dot{5, 5, 6, 6};
  FillRect(dc, &dot, blue);
  DeleteObject(blue);
  ReleaseDC(w, dc);
  LetTheScreenShow();
  ASSERT_TRUE(backend->ReadShownWindow(id, &shown, &where));
  EXPECT_EQ(shown.Row(10)[10], 0x0000FFu);
  EXPECT_EQ(shown.Row(11)[11], 0x0000FFu);
  EXPECT_EQ(shown.Row(12)[12], 0xFF0000u);

  // Moved, it moves on the host; hidden, it goes.
  MoveWindow(w, 10, 20, 100, 40, TRUE);
  LetTheScreenShow();
  ASSERT_TRUE(backend->ReadShownWindow(id, &shown, &where));
  EXPECT_EQ(where.left, 20);
  EXPECT_EQ(where.top, 40);
  ShowWindow(w, SW_HIDE);
  LetTheScreenShow();
  EXPECT_FALSE(backend->ReadShownWindow(id, &shown, &where));
  pt::EndSession();
}

namespace {

MSG lastNotify{};

LRESULT Listens(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == MM_MCINOTIFY) lastNotify = MSG{w, m, wp, lp, 0, {}};
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

TEST(SdlAudio, ASongPlaysOnTheAudioThreadToItsEndAndSaysSo) {
  if (!OnDummyDrivers()) GTEST_SKIP() << "runs on SDL's dummy drivers (td_platform_sdl_tests)";
  pt::StartSession();
  platform::UseRealClock();
  platform::audio::Engine::Get().SetOutputSetting("sdl");
  WNDCLASSA wc{};
  wc.lpfnWndProc = Listens;
  wc.lpszClassName = "SdlListener";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowExA(0, "SdlListener", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  testmedia::Track t;
  t.NoteOn(0, 0, 60).NoteOn(0, 0, 67).NoteOff(240, 0, 60).NoteOff(0, 0, 67).End(0);  // 0.25 s
  testmedia::ScratchFolder folder;
  std::string path = folder.Write("short.mid", testmedia::Smf(0, 480, {t}));
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = path.c_str();
  ASSERT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)), 0u);
  MCI_PLAY_PARMS play{reinterpret_cast<DWORD_PTR>(w), 0, 0};
  ASSERT_EQ(
      mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)),
      0u);
  lastNotify = MSG{};
  SetTimer(w, 1, 10000, nullptr);  // far beyond the song: a lost notification fails, not hangs
  MSG msg;
  bool timedOut = false;
  while (!lastNotify.hwnd && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) {
      timedOut = true;
      break;
    }
    DispatchMessageA(&msg);
  }
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(lastNotify.hwnd, w);
  EXPECT_EQ(lastNotify.wParam, WPARAM(MCI_NOTIFY_SUCCESSFUL));
  MCI_STATUS_PARMS status{};
  status.dwItem = MCI_STATUS_POSITION;
  mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                  reinterpret_cast<DWORD_PTR>(&status));
  EXPECT_EQ(status.dwReturn, 250u);
  mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
  platform::audio::Engine::Get().SetOutputSetting("");
  pt::EndSession();
}
