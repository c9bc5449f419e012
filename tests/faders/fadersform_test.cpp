// Faders' window inside the test process, over the session's own mixer (full volume,
// unmuted at the start of every session): what it shows, what its controls change, and
// how it follows changes made elsewhere. The program as a user runs it: tests/e2e.
#include "faders/fadersform.h"

#include <gtest/gtest.h>

#include "controls/buttons.h"
#include "controls/menus.h"
#include "controls/trackbar.h"
#include "faders/levels.h"
#include "tests/forms/forms_fixture.h"

namespace {

class FadersWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::StartSession();
    SetApplicationBridge(&exceptions);
  }
  void TearDown() override {
    delete form;
    pt::EndSession();
    SetApplicationBridge(nullptr);
    EXPECT_TRUE(exceptions.messages.empty()) << exceptions.messages.front();
  }
  void Open() {
    form = new TFadersForm(nullptr);
    form->Show();
    PumpLikeApplication();
  }
  void Press(UINT key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      pt::PressKey(key);
      PumpLikeApplication();
    }
  }
  // Lets the mixer's notices arrive.
  static void Settle() {
    pt::AdvanceTime(100);
    PumpLikeApplication();
  }
  static DWORD SynthVolume() {
    DWORD volume = 0;
    EXPECT_EQ(midiOutGetVolume(reinterpret_cast<HMIDIOUT>(0), &volume), MMSYSERR_NOERROR);
    return volume;
  }

  TExceptionLog exceptions;
  TFadersForm* form = nullptr;
};

}  // namespace

TEST_F(FadersWindow, ShowsEachLineOfTheMixerAsItStands) {
  midiOutSetVolume(reinterpret_cast<HMIDIOUT>(0), PackVolume(0x8000, 0x4000));
  Open();
  EXPECT_EQ(form->MasterGroup->Caption(), "Volume Control");
  EXPECT_EQ(form->WaveGroup->Caption(), "Wave");
  EXPECT_EQ(form->SynthGroup->Caption(), "MIDI synth");
  EXPECT_EQ(form->MasterVolume->Position(), 0) << "full volume: the thumb at the top";
  EXPECT_EQ(form->WaveBalance->Position(), 0);
  EXPECT_EQ(form->SynthVolume->Position(), kVolumeSteps - 50);
  EXPECT_EQ(form->SynthBalance->Position(), -kBalanceSteps / 2) << "the right at half the left";
  EXPECT_FALSE(form->WaveMute->Checked());
  for (TWinControl* control :
       {static_cast<TWinControl*>(form->SynthBalance), static_cast<TWinControl*>(form->SynthVolume),
        static_cast<TWinControl*>(form->SynthMute)})
    EXPECT_TRUE(control->Enabled());
  EXPECT_TRUE(form->MasterVolume->Focused());
  // Everything fits: the window shows no scroll bars.
  EXPECT_FALSE(GetWindowLongA(form->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(form->ClientWidth(), 344);
  EXPECT_EQ(form->ClientHeight(), 248);
}

TEST_F(FadersWindow, KeysMoveTheFadersAndTheMixerFollowsAtOnce) {
  Open();
  // Tab goes through the columns; the arrows move the fader that has the focus.
  Press(VK_TAB, 6);
  ASSERT_TRUE(form->SynthVolume->Focused());
  Press(VK_DOWN, 10);
  EXPECT_EQ(SynthVolume(), VolumeOfFaders(90, 0));
  Press(VK_NEXT);  // a page down: ten steps more
  EXPECT_EQ(SynthVolume(), VolumeOfFaders(80, 0));
  pt::KeyDown(VK_SHIFT);
  Press(VK_TAB);
  pt::KeyUp(VK_SHIFT);
  ASSERT_TRUE(form->SynthBalance->Focused());
  Press(VK_LEFT, 4);
  EXPECT_EQ(SynthVolume(), VolumeOfFaders(80, -4));
  EXPECT_LT(RightOf(SynthVolume()), LeftOf(SynthVolume()));
  // The others are untouched.
  DWORD wave = 0;
  waveOutGetVolume(reinterpret_cast<HWAVEOUT>(0), &wave);
  EXPECT_EQ(wave, 0xFFFFFFFFu);
  Settle();
  EXPECT_EQ(form->SynthVolume->Position(), kVolumeSteps - 80) << "its own notices change nothing";
  EXPECT_EQ(form->SynthBalance->Position(), -4);
}

TEST_F(FadersWindow, MuteBoxSwitchesTheLinesMute) {
  Open();
  POINT p = form->WaveMute->ClientToScreen(POINT{5, 8});
  pt::Click(p.x, p.y);
  PumpLikeApplication();
  EXPECT_TRUE(form->WaveMute->Checked());
  EXPECT_EQ(form->Mixer().Muted(mlWave), true);
  EXPECT_EQ(form->Mixer().Muted(mlSynth), false);
  Press(VK_SPACE);
  EXPECT_EQ(form->Mixer().Muted(mlWave), false);
}

TEST_F(FadersWindow, ChangesMadeElsewhereMoveItsControls) {
  Open();
  // Another user of the mixer in this process: its own handle, as another Faders has.
  TMixerDevice other(nullptr);
  ASSERT_TRUE(other.IsOpen());
  waveOutSetVolume(reinterpret_cast<HWAVEOUT>(0), PackVolume(0x4000, 0x8000));
  other.SetMuted(mlSynth, true);
  other.SetVolume(mlSpeakers, VolumeOfFaders(30, 0));
  Settle();
  EXPECT_EQ(form->WaveVolume->Position(), kVolumeSteps - 50);
  EXPECT_EQ(form->WaveBalance->Position(), kBalanceSteps / 2);
  EXPECT_TRUE(form->SynthMute->Checked());
  EXPECT_EQ(form->MasterVolume->Position(), kVolumeSteps - 30);
  // Silenced elsewhere, a column keeps its balance.
  waveOutSetVolume(reinterpret_cast<HWAVEOUT>(0), 0);
  Settle();
  EXPECT_EQ(form->WaveVolume->Position(), kVolumeSteps);
  EXPECT_EQ(form->WaveBalance->Position(), kBalanceSteps / 2);
}

TEST_F(FadersWindow, ExitClosesTheWindow) {
  Open();
  form->Exit1->Click();
  PumpLikeApplication();
  EXPECT_FALSE(form->Visible());
}
