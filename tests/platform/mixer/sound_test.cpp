// What the listener hears: the mix follows the mixer's volumes, balance and mutes, every
// change glides without a click, and a scripted run's WAV file holds exactly that.
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>

#include "audio/engine.h"
#include "tests/platform/mci/mci_fixture.h"
#include "tests/platform/mixer/mixer_fixture.h"

using mixertest::Set;
using platform::audio::Engine;
using platform::mixer::Line;

namespace {

constexpr int kRate = platform::audio::kPreferredRate;

// A steady sine on both channels.
class Tone : public platform::audio::Source {
 public:
  Tone(float amplitude, double hertz)
      : amplitude_(amplitude), step_(2 * std::numbers::pi * hertz / kRate) {}
  void Render(float* mix, int frames, int) override {
    for (int i = 0; i < frames; ++i) {
      float sample = amplitude_ * static_cast<float>(std::sin(phase_));
      phase_ += step_;
      mix[2 * i] += sample;
      mix[2 * i + 1] += sample;
    }
  }
  void Apply(const platform::audio::Command&) override {}
  void Report(platform::audio::SourceReport&) override {}
  bool TakeEnding(std::uint64_t*) override { return false; }

 private:
  float amplitude_;
  double step_;
  double phase_ = 0;
};

struct Stereo {
  std::vector<float> left, right;
  void Append(const Stereo& more) {
    left.insert(left.end(), more.left.begin(), more.left.end());
    right.insert(right.end(), more.right.begin(), more.right.end());
  }
};

double Rms(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  to = std::min(to, samples.size());
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum / double(to - from));
}

double Decibels(double ratio) { return 20 * std::log10(ratio); }

// The largest step from one sample to the next.
float LargestStep(const std::vector<float>& samples, std::size_t from = 1,
                  std::size_t to = SIZE_MAX) {
  to = std::min(to, samples.size());
  float largest = 0;
  for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i)
    largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
  return largest;
}

float Peak(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  to = std::min(to, samples.size());
  float peak = 0;
  for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(samples[i]));
  return peak;
}

// The render driven directly, as an output's thread drives it, with tones on the lines.
class MixedSound : public MediaSession {
 protected:
  void SetUp() override {
    platform::testing::StartSession();  // full volume, unmuted
    MediaSession::SetUp();
    std::string error;
    ASSERT_TRUE(Engine::Get().Acquire(error)) << error;
  }
  void TearDown() override {
    for (int id : sources) {
      platform::audio::Command remove;
      remove.kind = platform::audio::Command::Kind::kRemove;
      remove.source = id;
      Engine::Get().Send(remove);
    }
    Render(16);
    Engine::Get().Collect();
    Engine::Get().Release();
    MediaSession::TearDown();
    platform::testing::EndSession();
  }

  void Add(Line line, float amplitude, double hertz) {
    sources.push_back(Engine::Get().AddSource(std::make_unique<Tone>(amplitude, hertz), line));
  }
  // Renders in the blocks of an output.
  Stereo Render(int frames, int block = 512) {
    Stereo out;
    std::vector<float> buffer(static_cast<std::size_t>(block) * 2);
    for (int done = 0; done < frames; done += block) {
      int n = std::min(block, frames - done);
      Engine::Get().Render(buffer.data(), n, 0);
      for (int i = 0; i < n; ++i) {
        out.left.push_back(buffer[2 * i]);
        out.right.push_back(buffer[2 * i + 1]);
      }
    }
    return out;
  }
  // The level once any glide is over.
  Stereo Steady() {
    Render(1024);
    return Render(8192);
  }

  std::vector<int> sources;
};

TEST_F(MixedSound, EachLineSoundsAtItsVolumeAndTheMasterAtItsOwn) {
  Add(Line::kWave, 0.25f, 440);
  double full = Rms(Steady().left);
  ASSERT_NEAR(full, 0.25 / std::sqrt(2.0), 0.001);

  ASSERT_EQ(waveOutSetVolume(nullptr, 0x80008000), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Decibels(Rms(Steady().left) / full), -6.02, 0.05);
  // The other source line leaves it alone; the master comes on top.
  ASSERT_EQ(midiOutSetVolume(nullptr, 0), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Decibels(Rms(Steady().left) / full), -6.02, 0.05);
  ASSERT_EQ(Set(mixertest::kMasterVolume, {0x8000}), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Decibels(Rms(Steady().left) / full), -12.04, 0.05);
  // Balance: the left channel off, the right one at the line's full volume.
  ASSERT_EQ(waveOutSetVolume(nullptr, 0xFFFF0000), MMRESULT(MMSYSERR_NOERROR));
  Stereo balanced = Steady();
  EXPECT_EQ(Peak(balanced.left), 0.0f);
  EXPECT_NEAR(Decibels(Rms(balanced.right) / full), -6.02, 0.05);
  // A mute is silence, whatever the volumes, and unmuting brings the sound back.
  ASSERT_EQ(Set(mixertest::kWaveMute, {1}), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_EQ(Peak(Steady().right), 0.0f);
  ASSERT_EQ(Set(mixertest::kWaveMute, {0}), MMRESULT(MMSYSERR_NOERROR));
  ASSERT_EQ(Set(mixertest::kMasterMute, {1}), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_EQ(Peak(Steady().right), 0.0f);
  ASSERT_EQ(Set(mixertest::kMasterMute, {0}), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Decibels(Rms(Steady().right) / full), -6.02, 0.05);
}

TEST_F(MixedSound, TheSynthLineFollowsMidiOutAndMixesWithTheWaveLine) {
  Add(Line::kSynth, 0.25f, 440);
  double full = Rms(Steady().left);
  ASSERT_EQ(waveOutSetVolume(nullptr, 0), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Rms(Steady().left), full, 0.0005);
  ASSERT_EQ(midiOutSetVolume(nullptr, 0x40004000), MMRESULT(MMSYSERR_NOERROR));
  EXPECT_NEAR(Decibels(Rms(Steady().left) / full), -12.04, 0.05);
  // A second tone an octave up on the Wave line adds its own share at its own volume.
  Add(Line::kWave, 0.25f, 880);
  ASSERT_EQ(waveOutSetVolume(nullptr, 0xFFFFFFFF), MMRESULT(MMSYSERR_NOERROR));
  double both = Rms(Steady().left);
  EXPECT_NEAR(both * both, full * full / 16 + full * full, 0.0005);
}

TEST_F(MixedSound, AChangeGlidesOverAFewMillisecondsWithoutAClick) {
  Add(Line::kSynth, 0.5f, 220);
  Stereo sound = Render(4096);
  float ownStep = LargestStep(sound.left);
  // Every kind of change, each at once after the other.
  std::size_t mutedAt = 0;
  for (auto change : std::vector<std::function<void()>>{
           [] { midiOutSetVolume(nullptr, 0x80008000); },
           [&] {
             Set(mixertest::kSynthMute, {1});
             mutedAt = sound.left.size();
           },
           [] { Set(mixertest::kSynthMute, {0}); }, [] { midiOutSetVolume(nullptr, 0xFFFFFFFF); },
           [] { Set(mixertest::kMasterMute, {1}); }, [] { Set(mixertest::kMasterMute, {0}); },
           [] {
             Set(mixertest::kMasterVolume, {0x0000, 0xFFFF});
           }}) {
    change();
    sound.Append(Render(2048));
  }
  EXPECT_LE(LargestStep(sound.left), ownStep * 1.02f);
  EXPECT_LE(LargestStep(sound.right), ownStep * 1.02f);
  // The glide is short: the mute is silent before 10 ms have passed.
  EXPECT_GT(Peak(sound.left, mutedAt, mutedAt + 64), 0.1f);
  EXPECT_EQ(Peak(sound.left, mutedAt + kRate / 100, mutedAt + 2048), 0.0f);
}

TEST_F(MixedSound, AChangeReachesTheNextBlock) {
  Add(Line::kWave, 0.25f, 440);
  Steady();
  ASSERT_EQ(Set(mixertest::kMasterMute, {1}), MMRESULT(MMSYSERR_NOERROR));
  // It glides down from the first frame of the block and is silent once the glide is over.
  Stereo block = Render(512);
  EXPECT_GT(Peak(block.left, 0, 64), 0.2f);
  EXPECT_EQ(Peak(block.left, platform::audio::kRampFrames, 512), 0.0f);
}

// A scripted run of the demo program with TD_AUDIO=wav: a held organ note, half volume after
// one second (F9), the master muted after two (F11), full volume again at 2.5 s (F12).
class ScriptedSound : public ::testing::Test {
 protected:
  // The left channel of the run's 16-bit WAV file.
  std::vector<float> Run() {
    testmedia::Track t;
    t.Raw({0x00, 0xC0, 16});  // drawbar organ: it holds its level
    t.NoteOn(0, 0, 60).NoteOn(0, 0, 67).NoteOff(3840, 0, 60).NoteOff(0, 0, 67).End(0);
    std::string song = folder.Write("organ.mid", testmedia::Smf(0, 480, {t}));
    std::ofstream(folder.Path("script.txt"))
        << "key F5\nwait 1000\nkey F9\nwait 1000\nkey F11\nwait 500\nkey F12\nwait 1000\n";
    std::string command = "cd '" + folder.Path("") +
                          "' && TD_SCRIPT=script.txt TD_AUDIO=wav:run.wav TD_MIXER=mixer.state "
                          "TD_SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2 '" +
                          TD_SCRIPT_DEMO + "' '" + song + "' > out.txt 2>&1";
    int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 4);  // the script ran out
    std::ifstream in(folder.Path("run.wav"), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string wav = bytes.str();
    std::vector<float> left;
    std::size_t data = wav.find("data");
    if (data == std::string::npos) return left;
    for (std::size_t at = data + 8; at + 4 <= wav.size(); at += 4) {
      auto sample =
          static_cast<std::int16_t>(std::uint8_t(wav[at]) | (std::uint8_t(wav[at + 1]) << 8));
      left.push_back(sample / 32768.0f);
    }
    return left;
  }

  testmedia::ScratchFolder folder;
};

TEST_F(ScriptedSound, TheFileHoldsWhatTheListenerHears) {
  std::vector<float> left = Run();
  ASSERT_EQ(left.size(), std::size_t(3.5 * kRate));
  auto at = [](double seconds) { return static_cast<std::size_t>(seconds * kRate); };
  double full = Rms(left, at(0.3), at(0.95));
  ASSERT_GT(full, 0.01);
  EXPECT_NEAR(Decibels(Rms(left, at(1.1), at(1.95)) / full), -6.0, 0.5);
  EXPECT_EQ(Peak(left, at(2.02), at(2.5)), 0.0f);
  EXPECT_NEAR(Decibels(Rms(left, at(2.6), at(3.4)) / full), 0.0, 0.5);
  // No change clicks: no step beyond the music's own at full volume.
  float ownStep =
      std::max(LargestStep(left, at(0.3), at(0.95)), LargestStep(left, at(2.6), at(3.4)));
  for (double change : {1.0, 2.0, 2.5})
    EXPECT_LE(LargestStep(left, at(change - 0.05), at(change + 0.05)), ownStep * 1.02f)
        << "at " << change << " s";
}

}  // namespace
