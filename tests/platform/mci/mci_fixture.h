// A headless media session: the virtual clock, the null sink and recorded notifications.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "audio/engine.h"
#include "mci/driver.h"
#include "mci/notify.h"
#include "platform/clock.h"
#include "platform/win32.h"
#include "tests/platform/mci/midi_builder.h"

struct Notification {
  HWND window;
  WPARAM flag;
  MCIDEVICEID device;
  bool operator==(const Notification&) const = default;
};

class MediaSession : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseVirtualClock(0);
    platform::audio::Engine::Get().SetOutputSetting("null");
    // On the virtual clock the thread that moves the clock renders and tells the ends of
    // plays, so every notification comes from the test's own thread; one from another
    // thread would be an output rendering on its own, which the clock must never allow.
    platform::mci::SetNotificationHook([this](HWND window, WPARAM flag, MCIDEVICEID device) {
      if (std::this_thread::get_id() != testThread)
        ++foreignNotes;
      else
        notes.push_back({window, flag, device});
    });
  }
  void TearDown() override {
    mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_CLOSE, MCI_WAIT, 0);
    platform::mci::SetNotificationHook(nullptr);
    EXPECT_EQ(foreignNotes, 0) << "notifications from a thread other than the test's";
    platform::audio::Engine::Get().SetOutputSetting("");
    platform::UseRealClock();
  }

  MCIERROR Open(const std::string& path, MCIDEVICEID& id, const char* type = nullptr) {
    MCI_OPEN_PARMSA parms{};
    parms.lpstrElementName = path.c_str();
    parms.lpstrDeviceType = type;
    DWORD flags = MCI_WAIT | MCI_OPEN_ELEMENT | (type ? MCI_OPEN_TYPE : 0);
    MCIERROR result = mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parms));
    id = parms.wDeviceID;
    return result;
  }
  MCIDEVICEID OpenSong(const testmedia::Bytes& bytes, const std::string& name = "song.mid") {
    MCIDEVICEID id = 0;
    EXPECT_EQ(Open(folder.Write(name, bytes), id), 0u);
    return id;
  }
  DWORD_PTR Status(MCIDEVICEID id, DWORD item) {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = item;
    EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                              reinterpret_cast<DWORD_PTR>(&parms)),
              0u);
    return parms.dwReturn;
  }
  MCIERROR Play(MCIDEVICEID id, HWND window, DWORD_PTR extra = 0, DWORD from = 0, DWORD to = 0) {
    MCI_PLAY_PARMS parms{reinterpret_cast<DWORD_PTR>(window), from, to};
    return mciSendCommandA(id, MCI_PLAY, MCI_NOTIFY | extra, reinterpret_cast<DWORD_PTR>(&parms));
  }
  MCIERROR Simple(MCIDEVICEID id, UINT command, DWORD_PTR flags = MCI_WAIT) {
    MCI_GENERIC_PARMS parms{reinterpret_cast<DWORD_PTR>(kWindow)};
    return mciSendCommandA(id, command, flags, reinterpret_cast<DWORD_PTR>(&parms));
  }
  int Voices(MCIDEVICEID id) { return platform::mci::SoundingVoices(id); }

  static inline HWND const kWindow = reinterpret_cast<HWND>(0x1234);
  static inline HWND const kOther = reinterpret_cast<HWND>(0x5678);
  testmedia::ScratchFolder folder;
  std::vector<Notification> notes;
  std::thread::id testThread = std::this_thread::get_id();
  std::atomic<int> foreignNotes{0};
};
