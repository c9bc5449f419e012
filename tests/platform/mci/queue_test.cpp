#include <gtest/gtest.h>

#include <vector>

#include "audio/engine.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "tests/platform/mci/midi_builder.h"

namespace {

std::vector<MSG> received;

LRESULT Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MCINOTIFY) received.push_back({window, message, wParam, lParam, 0, {}});
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(MciNotificationQueue, EndOfPlayArrivesAsPostedMessageAtTheCallbackWindow) {
  platform::testing::StartSession();
  platform::audio::Engine::Get().SetOutputSetting("null");
  received.clear();
  WNDCLASSA wc{};
  wc.lpfnWndProc = Recorder;
  wc.lpszClassName = "MciRecorder";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND window = CreateWindowExA(0, "MciRecorder", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  testmedia::ScratchFolder folder;
  std::string path = folder.Write("song.mid", testmedia::OneSecondSong());
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = path.c_str();
  ASSERT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)), 0u);
  MCI_PLAY_PARMS play{reinterpret_cast<DWORD_PTR>(window), 0, 0};
  ASSERT_EQ(
      mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)),
      0u);
  platform::testing::AdvanceTime(999);
  EXPECT_TRUE(received.empty());
  platform::testing::AdvanceTime(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].hwnd, window);
  EXPECT_EQ(received[0].wParam, WPARAM(MCI_NOTIFY_SUCCESSFUL));
  EXPECT_EQ(received[0].lParam, LPARAM(open.wDeviceID));

  mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
  platform::audio::Engine::Get().SetOutputSetting("");
  platform::testing::EndSession();
}
