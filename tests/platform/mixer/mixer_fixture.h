// A headless session with a window that records the mixer's notices, and short forms of the
// mixer calls.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"

namespace mixertest {

struct Notice {
  HWND window;
  UINT message;
  WPARAM handle;
  LPARAM id;
  bool operator==(const Notice&) const = default;
};

inline std::vector<Notice>& Notices() {
  static std::vector<Notice> notices;
  return notices;
}

inline LRESULT Listener(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MIXM_CONTROL_CHANGE || message == MM_MIXM_LINE_CHANGE)
    Notices().push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

// Control ids: the line's index (master, Wave, MIDI synth) times two, plus one for the mute.
inline constexpr DWORD kMasterVolume = 0, kMasterMute = 1, kWaveVolume = 2, kWaveMute = 3,
                       kSynthVolume = 4, kSynthMute = 5;
inline constexpr DWORD kMasterLine = 0xFFFF0000u, kWaveLine = 0x00000000u, kSynthLine = 0x00010000u;

inline MMRESULT Get(DWORD control, DWORD channels, DWORD* values, DWORD flags = 0) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = control;
  details.cChannels = channels;
  details.cbDetails = sizeof(DWORD);
  details.paDetails = values;
  return mixerGetControlDetailsA(nullptr, &details, flags);
}
inline MMRESULT Set(DWORD control, std::vector<DWORD> values, DWORD flags = 0) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = control;
  details.cChannels = static_cast<DWORD>(values.size());
  details.cbDetails = sizeof(DWORD);
  details.paDetails = values.data();
  return mixerSetControlDetails(nullptr, &details, flags);
}
// A control's value on one channel (1) or both (2, left in the low word).
inline DWORD Value(DWORD control, DWORD channels = 2) {
  DWORD values[2] = {0, 0};
  EXPECT_EQ(Get(control, channels, values), MMRESULT(MMSYSERR_NOERROR));
  return channels == 1 ? values[0] : values[0] | (values[1] << 16);
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::StartSession();
    Notices().clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Listener;
    wc.lpszClassName = "MixerListener";
    RegisterClassA(&wc);
    window = NewWindow();
  }
  void TearDown() override { platform::testing::EndSession(); }

  static HWND NewWindow() {
    return CreateWindowExA(0, "MixerListener", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  }
  static HMIXER Open(HWND to) {
    HMIXER mixer = nullptr;
    EXPECT_EQ(mixerOpen(&mixer, 0, reinterpret_cast<DWORD_PTR>(to), 0, CALLBACK_WINDOW),
              MMRESULT(MMSYSERR_NOERROR));
    return mixer;
  }
  // Notices delivered to the windows since the last call.
  static std::vector<Notice> Delivered() {
    platform::testing::PumpUntilIdle();
    std::vector<Notice> got = Notices();
    Notices().clear();
    return got;
  }

  HWND window = nullptr;
};

}  // namespace mixertest
