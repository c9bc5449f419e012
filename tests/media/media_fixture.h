// A media player on a shown form in a headless session: the virtual clock, the null audio
// sink, songs written to a scratch folder, and a log of the player's events.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "forms/bridges.h"
#include "media/mediaplayer.h"
#include "platform/testing.h"
#include "tests/forms/forms_fixture.h"
#include "tests/platform/mci/midi_builder.h"

// Counts what the player raises; OnClick answers with allowDefault.
class TPlayerLog : public TObject {
 public:
  void Notified(TObject*) { ++notifications; }
  void Clicked(TObject*, TMPBtnType button, bool& doDefault) {
    clicks.push_back(button);
    doDefault = allowDefault;
  }
  void PostClicked(TObject*, TMPBtnType button) { postClicks.push_back(button); }

  int notifications = 0;
  std::vector<TMPBtnType> clicks;
  std::vector<TMPBtnType> postClicks;
  bool allowDefault = true;
};

class MediaPlayerTest : public FormsTest {
 protected:
  void SetUp() override {
    setenv("TD_AUDIO", "null", 1);
    FormsTest::SetUp();
    SetApplicationBridge(&exceptions);
    player = Add<TMediaPlayer>(form, RECT{10, 10, 250, 40});
    player->OnNotify = TNotifyEvent(&log, &TPlayerLog::Notified);
    player->OnClick = EMPNotify(&log, &TPlayerLog::Clicked);
    player->OnPostClick = EMPPostNotify(&log, &TPlayerLog::PostClicked);
    pt::PumpUntilIdle();
  }
  void TearDown() override {
    FormsTest::TearDown();
    SetApplicationBridge(nullptr);
    EXPECT_EQ(pt::OpenMciDevices(), 0) << "the form's player closes its device";
  }

  // Opens a one-second song (1000 ms).
  void OpenSong() {
    player->SetFileName(folder.Write("song.mid", testmedia::OneSecondSong()));
    player->Open();
  }
  // Clicks the middle of a button of the bar.
  void ClickButton(TMPBtnType button) {
    POINT p = ButtonPoint(button);
    pt::Click(p.x, p.y);
    pt::PumpUntilIdle();
  }
  POINT ButtonPoint(TMPBtnType button) {
    RECT r = player->ButtonRect(button);
    return ScreenOf(player, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  TMediaPlayer* player = nullptr;
  TPlayerLog log;
  TExceptionLog exceptions;
  testmedia::ScratchFolder folder;
};
