#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "audio/sources.h"
#include "settings/settings.h"

namespace platform::audio {
namespace {

constexpr int kMidiChannels = 16;

class SynthSource : public TransportSource {
 public:
  SynthSource(std::shared_ptr<const midi::Song> song, int rate, std::int64_t length)
      : TransportSource(length), song_(std::move(song)) {
    frames_.reserve(song_->events.size());
    for (const midi::Event& e : song_->events)
      frames_.push_back(std::llround(e.micros * rate / 1e6));
  }
  ~SynthSource() override {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }

  bool Load(int rate, const std::string& soundFont, std::string& error) {
    settings_ = new_fluid_settings();
    if (!settings_) return Fail(error, "the synthesizer cannot be set up");
    fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    fluid_settings_setnum(settings_, "synth.gain", kSynthGain);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);  // only the audio side calls it
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return Fail(error, "the synthesizer cannot be created");
    if (soundFont.empty() || fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED)
      return Fail(error, "no General MIDI SoundFont can be loaded");
    return true;
  }

 protected:
  void Produce(float* mix, std::int64_t start, int frames) override {
    std::int64_t cursor = start;
    std::int64_t end = start + frames;
    while (next_ < frames_.size() && frames_[next_] < end) {
      RenderSynth(mix, cursor, std::max(cursor, frames_[next_]), start);
      cursor = std::max(cursor, frames_[next_]);
      Send(song_->events[next_], true);
      ++next_;
    }
    RenderSynth(mix, cursor, end, start);
  }

  void Idle(float* mix, int frames) override {
    if (fluid_synth_get_active_voice_count(synth_) == 0) return;
    scratch_.resize(static_cast<std::size_t>(frames) * kChannels);
    fluid_synth_write_float(synth_, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
    for (std::size_t i = 0; i < scratch_.size(); ++i) mix[i] += scratch_[i];
  }

  void Locate(std::int64_t frame) override {
    // A clean synthesizer, then every program, controller and SysEx before the target,
    // so that a song entered in the middle sounds as if played from the start.
    fluid_synth_system_reset(synth_);
    Silence();
    next_ = static_cast<std::size_t>(std::lower_bound(frames_.begin(), frames_.end(), frame) -
                                     frames_.begin());
    for (std::size_t i = 0; i < next_; ++i) Send(song_->events[i], false);
  }

  void Silence() override {
    // The controller reset lifts the sustain pedal so that nothing is held when play
    // resumes; sounds off then cuts every voice at once. In the other order the pedal's
    // release turns the cut voices back into releasing ones that ring on.
    for (int channel = 0; channel < kMidiChannels; ++channel) {
      fluid_synth_cc(synth_, channel, 64, 0);
      fluid_synth_cc(synth_, channel, 121, 0);
    }
    fluid_synth_all_sounds_off(synth_, -1);
  }

  void Ended() override {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
      fluid_synth_cc(synth_, channel, 64, 0);
      fluid_synth_all_notes_off(synth_, channel);
    }
  }

  int Voices() override { return fluid_synth_get_active_voice_count(synth_); }

 private:
  static bool Fail(std::string& error, const char* text) {
    error = text;
    return false;
  }

  void RenderSynth(float* mix, std::int64_t from, std::int64_t to, std::int64_t start) {
    int frames = static_cast<int>(to - from);
    if (frames <= 0) return;
    scratch_.resize(static_cast<std::size_t>(frames) * kChannels);
    fluid_synth_write_float(synth_, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
    float* out = mix + static_cast<std::size_t>(from - start) * kChannels;
    for (std::size_t i = 0; i < scratch_.size(); ++i) out[i] += scratch_[i];
  }

  // `sounding` false while chasing: notes are skipped, state is applied.
  void Send(const midi::Event& e, bool sounding) {
    int channel = e.status & 0x0F;
    switch (e.status & 0xF0) {
      case 0x80:
        if (sounding) fluid_synth_noteoff(synth_, channel, e.data1);
        break;
      case 0x90:
        if (!sounding) break;
        if (e.data2 == 0)
          fluid_synth_noteoff(synth_, channel, e.data1);
        else
          fluid_synth_noteon(synth_, channel, e.data1, e.data2);
        break;
      case 0xA0:
        if (sounding) fluid_synth_key_pressure(synth_, channel, e.data1, e.data2);
        break;
      case 0xB0:
        // Sustain is not chased: a pedal held across the jump would hold the next notes.
        if (sounding || e.data1 != 64) fluid_synth_cc(synth_, channel, e.data1, e.data2);
        break;
      case 0xC0:
        fluid_synth_program_change(synth_, channel, e.data1);
        break;
      case 0xD0:
        fluid_synth_channel_pressure(synth_, channel, e.data1);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(synth_, channel, e.data1 | (e.data2 << 7));
        break;
      case 0xF0:
        if (auto body = song_->SysEx(e); !body.empty())
          fluid_synth_sysex(synth_, reinterpret_cast<const char*>(body.data()),
                            static_cast<int>(body.size()), nullptr, nullptr, nullptr, 0);
        break;
    }
  }

  std::shared_ptr<const midi::Song> song_;
  std::vector<std::int64_t> frames_;
  std::size_t next_ = 0;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  std::vector<float> scratch_;
};

void QuietLog(int, const char*, void*) {}

}  // namespace

std::string FindSoundFont() {
  if (std::optional<std::string> path = settings::Read(settings::Setting::kSoundFont)) return *path;
  for (const char* path :
       {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return "";
}

std::unique_ptr<TransportSource> CreateSynthSource(std::shared_ptr<const midi::Song> song, int rate,
                                                   std::string& error) {
  // FluidSynth reports a missing file on stderr as well; the caller reports it properly.
  fluid_set_log_function(FLUID_ERR, QuietLog, nullptr);
  fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
  std::string soundFont = FindSoundFont();
  std::int64_t length = std::llround(song->lengthMicros * rate / 1e6);
  auto source = std::make_unique<SynthSource>(std::move(song), rate, length);
  if (!source->Load(rate, soundFont, error)) return nullptr;
  return source;
}

}  // namespace platform::audio
