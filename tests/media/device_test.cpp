// The player's device operations on the real sequencer, on the virtual clock.
#include "tests/media/media_fixture.h"
#include "tests/support/messages.h"

namespace {

std::string PlatformText(MCIERROR code) {
  char buffer[512];
  return mciGetErrorStringA(code, buffer, sizeof buffer) ? buffer : "";
}

using MediaPlayerDevice = MediaPlayerTest;

TEST_F(MediaPlayerDevice, PlaysToTheEndAndNotifiesOnceWithSuccess) {
  OpenSong();
  EXPECT_NE(player->DeviceID(), 0);
  EXPECT_EQ(player->Length(), 1000);
  EXPECT_EQ(player->Mode(), mdStopped);
  player->Play();
  pt::AdvanceTime(400);
  EXPECT_EQ(player->Mode(), mdPlaying);
  EXPECT_NEAR(player->Position(), 400, 20);
  EXPECT_EQ(log.notifications, 0);
  pt::AdvanceTime(1000);
  EXPECT_EQ(log.notifications, 1);
  EXPECT_EQ(player->NotifyValue(), nfSuccessful);
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_EQ(player->Position(), player->Length());
  EXPECT_EQ(player->Error(), 0);
}

TEST_F(MediaPlayerDevice, PlayAtTheEndRewindsOnlyWithAutoRewind) {
  OpenSong();
  player->Play();
  pt::AdvanceTime(1200);
  ASSERT_EQ(player->Position(), 1000);

  player->Play();  // the song starts again from the beginning
  pt::AdvanceTime(300);
  EXPECT_EQ(player->Mode(), mdPlaying);
  EXPECT_NEAR(player->Position(), 300, 20);
  pt::AdvanceTime(1000);

  player->SetAutoRewind(false);
  int before = log.notifications;
  player->Play();  // sent as it is: a play at the end ends at once
  pt::AdvanceTime(100);
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_EQ(player->Position(), 1000);
  EXPECT_EQ(log.notifications, before + 1);
}

TEST_F(MediaPlayerDevice, PauseHoldsThePositionAndResumeGoesOnFromIt) {
  OpenSong();
  player->Play();
  pt::AdvanceTime(300);
  player->Pause();
  EXPECT_EQ(player->Mode(), mdPaused);
  std::int32_t held = player->Position();
  pt::AdvanceTime(1000);
  EXPECT_EQ(player->Position(), held);
  EXPECT_EQ(pt::SoundingVoices(), 0);

  player->Pause();  // resumes
  EXPECT_EQ(player->Mode(), mdPlaying);
  pt::AdvanceTime(200);
  EXPECT_NEAR(player->Position(), held + 200, 20);
  pt::AdvanceTime(1000);
  EXPECT_EQ(player->NotifyValue(), nfSuccessful);

  int before = log.notifications;
  player->Pause();  // a stopped device: nothing
  pt::PumpUntilIdle();
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_EQ(log.notifications, before);
}

TEST_F(MediaPlayerDevice, OpeningASecondFileClosesTheFirst) {
  OpenSong();
  WORD first = player->DeviceID();
  player->Play();
  pt::AdvanceTime(100);
  player->SetFileName(folder.Write("other.mid", testmedia::OneSecondSong()));
  player->Open();
  EXPECT_NE(player->DeviceID(), first);
  EXPECT_EQ(pt::OpenMciDevices(), 1);
  MCI_STATUS_PARMS status{0, 0, MCI_STATUS_MODE, 0};
  EXPECT_EQ(mciSendCommandA(first, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                            reinterpret_cast<DWORD_PTR>(&status)),
            DWORD(MCIERR_INVALID_DEVICE_ID));
  // The first song's play ends aborted; that notice is not the new device's.
  const int before = log.notifications;
  pt::PumpUntilIdle();
  EXPECT_EQ(log.notifications, before);
  EXPECT_EQ(player->NotifyValue(), nfSuccessful);
  player->Play();
  pt::AdvanceTime(1200);
  EXPECT_EQ(log.notifications, before + 1);
}

TEST_F(MediaPlayerDevice, ARebuiltWindowStillHearsTheEndOfTheSong) {
  OpenSong();
  ClickButton(btPlay);
  EXPECT_FALSE(player->AutoEnabledButtons().Contains(btPlay));
  // The form's border style builds its window and its children's anew.
  form->SetBorderStyle(bsDialog);
  pt::PumpUntilIdle();
  pt::AdvanceTime(1200);
  EXPECT_EQ(log.notifications, 1);
  EXPECT_TRUE(player->AutoEnabledButtons().Contains(btPlay)) << "the end enabled Play again";
  EXPECT_FALSE(player->AutoEnabledButtons().Contains(btStop));
}

TEST_F(MediaPlayerDevice, WithoutADeviceCloseDoesNothingAndOperationsRaise) {
  player->Close();
  EXPECT_EQ(player->Error(), 0);
  EXPECT_EQ(player->DeviceID(), 0);
  const std::string text = "No MCI device open";
  using Operation = void (TMediaPlayer::*)();
  const std::vector<Operation> operations = {
      &TMediaPlayer::Pause,  &TMediaPlayer::Play,        &TMediaPlayer::Stop,
      &TMediaPlayer::Next,   &TMediaPlayer::Previous,    &TMediaPlayer::Step,
      &TMediaPlayer::Back,   &TMediaPlayer::Record,      &TMediaPlayer::Eject,
      &TMediaPlayer::Rewind, &TMediaPlayer::PauseDevice, &TMediaPlayer::Resume};
  for (std::size_t i = 0; i < operations.size(); ++i) {
    TMediaPlayer* target = player;
    Operation operation = operations[i];
    EXPECT_EQ(MessageOf<EMCIDeviceError>([target, operation] { (target->*operation)(); }), text)
        << "operation " << i;
  }
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Length(); }), text);
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->TimeFormat(); }), text);

  // Position and Mode ask all the same and record the refusal; the mode is "not ready",
  // not the cleared answer less the mode base.
  EXPECT_EQ(player->Position(), 0);
  EXPECT_EQ(player->Error(), MCIERR_INVALID_DEVICE_ID);
  player->Close();
  EXPECT_EQ(player->Mode(), mdNotReady);
  EXPECT_EQ(player->Error(), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MediaPlayerDevice, AFailedOpenRaisesThePlatformTextAndLeavesNoDevice) {
  testmedia::Bytes damaged = testmedia::OneSecondSong();
  damaged.resize(damaged.size() - 6);
  player->SetFileName(folder.Write("damaged.mid", damaged));
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Open(); }), PlatformText(MCIERR_INVALID_FILE));
  EXPECT_EQ(player->Error(), MCIERR_INVALID_FILE);
  EXPECT_EQ(player->DeviceID(), 0);
  EXPECT_EQ(pt::OpenMciDevices(), 0);
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Play(); }), "No MCI device open");

  player->SetFileName("");  // neither a name nor a type
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Open(); }),
            PlatformText(MCIERR_MISSING_DEVICE_NAME));
  player->SetDeviceType(dtWaveAudio);  // a type without its file
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Open(); }),
            PlatformText(MCIERR_FILENAME_REQUIRED));
  EXPECT_EQ(pt::OpenMciDevices(), 0);
}

TEST_F(MediaPlayerDevice, DeviceTypeNamesTheDeviceAndCloseEndsIt) {
  player->SetFileName(folder.Write("song.bin", testmedia::OneSecondSong()));
  player->SetDeviceType(dtSequencer);
  player->Open();
  EXPECT_EQ(player->Length(), 1000);
  player->Close();
  EXPECT_EQ(player->DeviceID(), 0);
  EXPECT_EQ(pt::OpenMciDevices(), 0);
  EXPECT_TRUE(player->AutoEnabledButtons().Empty());
}

TEST_F(MediaPlayerDevice, DestroyingThePlayerWhilePlayingSilencesTheSynthesizer) {
  OpenSong();
  WORD id = player->DeviceID();
  player->Play();
  pt::AdvanceTime(200);
  EXPECT_GT(pt::SoundingVoices(), 0);
  delete player;
  EXPECT_EQ(pt::OpenMciDevices(), 0);
  EXPECT_EQ(pt::SoundingVoices(), 0);
  MCI_STATUS_PARMS status{0, 0, MCI_STATUS_MODE, 0};
  EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                            reinterpret_cast<DWORD_PTR>(&status)),
            DWORD(MCIERR_INVALID_DEVICE_ID));
  pt::AdvanceTime(1000);  // the aborted play's notice finds no window
}

TEST_F(MediaPlayerDevice, APlayerWithoutParentStillHearsItsDevice) {
  TMediaPlayer loose(nullptr);
  loose.OnNotify = TNotifyEvent(&log, &TPlayerLog::Notified);
  loose.SetFileName(folder.Write("song.mid", testmedia::OneSecondSong()));
  loose.Open();
  loose.Play();
  pt::AdvanceTime(1200);
  EXPECT_EQ(log.notifications, 1);
  EXPECT_FALSE(IsWindowVisible(loose.Handle()));

  // Placed while it plays: its window becomes a child of the form, and the end of the
  // song is still heard.
  loose.Play();
  pt::AdvanceTime(300);
  loose.SetParent(form);
  EXPECT_EQ(GetParent(loose.Handle()), form->Handle());
  pt::AdvanceTime(1200);
  EXPECT_EQ(log.notifications, 2);
  loose.SetParent(nullptr);
}

TEST_F(MediaPlayerDevice, TheDisplayReferenceNeverOutlivesItsControl) {
  auto* screen = new TTestWinControl(nullptr);  // of another owner: told only if watched
  screen->SetParent(form);
  player->SetDisplay(screen);  // no device yet: only kept
  EXPECT_EQ(player->Display(), screen);
  delete screen;
  EXPECT_EQ(player->Display(), nullptr);
  OpenSong();  // re-applied at open only for video devices
  EXPECT_EQ(player->Display(), nullptr);
}

}  // namespace
