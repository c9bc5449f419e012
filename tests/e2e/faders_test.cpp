// Faders, the volume control, run as a user runs it: the executable under an automation
// script, over a mixer state file of the test's own (TD_MIXER), alone or started by the
// player's loudspeaker button while a song plays.
#include <cmath>
#include <cstring>

#include "tests/e2e/player_fixture.h"

namespace e2e {
namespace {

// The volume program's windows: the columns' group boxes, faders and boxes in the order the
// window makes them.
constexpr int kSynthVolume = 6;  // the 6th TTrackBar: MIDI synth's volume
constexpr int kSynthMute = 3;    // the 3rd TCheckBox
// From the first control that has the focus (the speakers' volume) to MIDI synth's.
const std::string kTabsToSynthVolume = "key Tab\nkey Tab\nkey Tab\nkey Tab\nkey Tab\nkey Tab\n";
// Options > Exit from the keyboard.
const std::string kExit = "key Alt+O\nkey X\n";

// A steady organ chord of `milliseconds`, so that any stretch of it is as loud as another.
Bytes Organ(int milliseconds) {
  testmedia::Track track;
  auto ticks = static_cast<std::uint32_t>(milliseconds * 960 / 1000);
  track.Delta(0).Raw({0xC0, 19});
  track.NoteOn(0, 0, 60).NoteOn(0, 0, 64).NoteOn(0, 0, 67);
  track.NoteOff(ticks, 0, 60).NoteOff(0, 0, 64).NoteOff(0, 0, 67).End(0);
  return testmedia::Smf(0, 480, {track});
}

// The root mean square of the 16-bit samples of a WAV file between two times (seconds).
double Rms(const std::string& bytes, double from, double to) {
  std::size_t at = 12;
  int channels = 0, rate = 0;
  while (at + 8 <= bytes.size()) {
    std::string id = bytes.substr(at, 4);
    std::uint32_t size;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (id == "fmt ") {
      std::uint16_t c;
      std::memcpy(&c, bytes.data() + at + 10, 2);
      std::memcpy(&rate, bytes.data() + at + 12, 4);
      channels = c;
    } else if (id == "data" && channels > 0) {
      std::size_t frames = std::min<std::size_t>(size, bytes.size() - at - 8) / (2 * channels);
      auto first = static_cast<std::size_t>(from * rate),
           last = static_cast<std::size_t>(to * rate);
      last = std::min(last, frames);
      double sum = 0;
      std::size_t n = 0;
      for (std::size_t frame = first; frame < last; ++frame)
        for (int c = 0; c < channels; ++c) {
          std::int16_t sample;
          std::memcpy(&sample, bytes.data() + at + 8 + (frame * channels + c) * 2, 2);
          sum += double(sample) * sample;
          ++n;
        }
      return n ? std::sqrt(sum / n) : 0;
    }
    at += 8 + size + (size & 1);
  }
  return 0;
}

class Faders : public PlayerTest {
 protected:
  std::string MixerSetting() const { return "TD_MIXER='" + OutPath("mixer") + "' "; }
  // Runs Faders with the script, in the songs folder.
  Outcome RunFaders(const std::string& script) {
    return RunIn(Songs(), script, MixerSetting() + "'" + TD_FADERS + "'");
  }
};

TEST_F(Faders, KeysMoveTheSynthFaderWhichTheDumpShowsAndTheSharedStateKeeps) {
  Outcome run = RunFaders("dump start.json\n" + kTabsToSynthVolume +
                          "key Down\nkey Down\nkey Down\nkey PgDn\ndump moved.json\n" + kExit);
  EXPECT_EQ(run.status, 0) << run.err;
  Json start = Dump("start.json");
  EXPECT_EQ(WindowOf(start, "TFadersForm")["text"].String(), "Faders");
  EXPECT_EQ(WindowOf(start, "TGroupBox", 1)["text"].String(), "Volume Control");
  EXPECT_EQ(WindowOf(start, "TGroupBox", 2)["text"].String(), "Wave");
  EXPECT_EQ(WindowOf(start, "TGroupBox", 3)["text"].String(), "MIDI synth");
  EXPECT_EQ(WindowOf(start, "TTrackBar", kSynthVolume)["pos"].Number(), 0)
      << "full volume at first";
  EXPECT_TRUE(WindowOf(start, "TTrackBar", 2)["focused"].Bool());
  Json dump = Dump("moved.json");
  const Json& moved = WindowOf(dump, "TTrackBar", kSynthVolume);
  EXPECT_TRUE(moved["focused"].Bool());
  EXPECT_EQ(moved["pos"].Number(), 13);
  EXPECT_EQ(moved["max"].Number(), 100);

  // Another process finds the mixer as this one left it.
  run = RunFaders("dump again.json\n" + kExit);
  EXPECT_EQ(run.status, 0) << run.err;
  Json again = Dump("again.json");
  EXPECT_EQ(WindowOf(again, "TTrackBar", kSynthVolume)["pos"].Number(), 13);
  EXPECT_EQ(WindowOf(again, "TTrackBar", 4)["pos"].Number(), 0) << "Wave untouched";
}

TEST_F(Faders, MuteIsKeptForTheNextRunAndTheCloseBoxEndsWithStatusZero) {
  Outcome run = RunFaders("click @TCheckBox#" + std::to_string(kSynthMute) +
                          " 5 8\ndump muted.json\nclose @TFadersForm\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WindowOf(Dump("muted.json"), "TCheckBox", kSynthMute)["check"].Number(), 1);
  EXPECT_EQ(WindowOf(Dump("muted.json"), "TCheckBox", kSynthMute)["text"].String(), "Mute");
  run = RunFaders("dump again.json\nkey Alt+F4\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WindowOf(Dump("again.json"), "TCheckBox", kSynthMute)["check"].Number(), 1);
  EXPECT_EQ(WindowOf(Dump("again.json"), "TCheckBox", 1)["check"].Number(), 0);
}

// The player's loudspeaker button starts Faders through the command interpreter and waits
// for it; the song plays on, and what Faders set is what the player renders from then on.
TEST_F(Faders, ThePlayersSongGetsQuieterWhenTheSynthFaderIsLowered) {
  Write(Songs() / "organ.mid", Organ(6000));
  // In the program folder Faders.exe runs the real program with a script of its own: half
  // the MIDI synth's volume, then Exit.
  WriteText(Out() / "faders.txt", kTabsToSynthVolume +
                                      "key PgDn\nkey PgDn\nkey PgDn\nkey PgDn\nkey PgDn\n" +
                                      "dump " + OutPath("faders.json") + "\n" + kExit);
  WriteText(Songs() / "Faders.exe",
            "#!/bin/sh\nTD_AUDIO=null TD_SCRIPT='" + OutPath("faders.txt") + "' exec '" +
                TD_FADERS + "'\n",
            true);
  std::string wav = OutPath("sound.wav");
  Outcome run = RunIn(Songs(),
                      "dblclick @TFileListBox 20 8\nwait 2000\n"
                      "click @TForm1 12 180\n"
                      "wait 2000\ndump player.json\nclose @TForm1\n",
                      "TD_DRIVES='C=" + Drive().string() + ":label=MUSIC;Z=/' " + MixerSetting() +
                          "TD_AUDIO=wav:'" + wav + "' '" + TD_PLAYER + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WindowOf(Dump("faders.json"), "TTrackBar", kSynthVolume)["pos"].Number(), 50);
  EXPECT_EQ(DeviceOf(Dump("player.json"))["mode"].String(), "playing");
  std::string sound = ReadFile(wav);
  double before = Rms(sound, 1.0, 2.0), after = Rms(sound, 3.0, 4.0);
  ASSERT_GT(before, 100.0) << "the organ sounds";
  // Half the amplitude: 6 dB quieter.
  EXPECT_NEAR(after / before, 0.5, 0.06) << before << " then " << after;
}

}  // namespace
}  // namespace e2e
