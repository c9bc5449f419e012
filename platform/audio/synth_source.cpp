#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "audio/sources.h"
#include "settings/settings.h"

namespace platform::audio {
namespace {

constexpr int kMidiChannels = 16;
// The most frames the synthesizer renders in one call; longer spans are cut up, so that
// the scratch buffer, reserved once, never grows during a render.
constexpr int kMaxSynthFrames = 4096;

void QuietLog(int, const char*, void*) {}

void QuietenFluidSynth() {
  // FluidSynth reports a missing file on stderr as well; the caller reports it properly.
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_ERR, QuietLog, nullptr);
    fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
  });
}

// SoundFonts are loaded once for the process, each on a loader thread into a synthesizer
// of its own that never plays; every song's synthesizer borrows the loaded font, so a
// song opens in the time it takes to make a synthesizer. Fonts stay loaded until the end.
class SoundFontBank {
 public:
  static SoundFontBank& Get() {
    static auto* bank = new SoundFontBank();  // lives to the end of the process
    return *bank;
  }

  // Starts loading `path` unless it is loaded or loading; returns at once.
  void Prepare(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    Start(path);
  }

  // The loaded font of `path`, waiting for its loader; null with a reason when it cannot
  // be loaded.
  fluid_sfont_t* Wait(const std::string& path, std::string& error) {
    std::unique_lock<std::mutex> guard(lock_);
    Entry& entry = Start(path);
    loaded_.wait(guard, [&entry] { return entry.done; });
    if (!entry.font) error = "no General MIDI SoundFont can be loaded";
    return entry.font;
  }

  int Loads() {
    std::lock_guard<std::mutex> guard(lock_);
    return loads_;
  }

 private:
  struct Entry {
    bool done = false;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* holder = nullptr;
    fluid_sfont_t* font = nullptr;
  };

  Entry& Start(const std::string& path) {
    auto [it, added] = fonts_.try_emplace(path);
    if (!added) return it->second;
    ++loads_;
    Entry* entry = &it->second;  // map entries stay where they are
    std::thread([this, path, entry] {
      QuietenFluidSynth();
      Entry made;
      made.settings = new_fluid_settings();
      if (made.settings) made.holder = new_fluid_synth(made.settings);
      if (made.holder && !path.empty()) {
        int id = fluid_synth_sfload(made.holder, path.c_str(), 0);
        if (id != FLUID_FAILED) made.font = fluid_synth_get_sfont_by_id(made.holder, id);
      }
      std::lock_guard<std::mutex> guard(lock_);
      *entry = made;
      entry->done = true;
      loaded_.notify_all();
    }).detach();
    return *entry;
  }

  std::mutex lock_;
  std::condition_variable loaded_;
  std::map<std::string, Entry> fonts_;
  int loads_ = 0;
};

class SynthSource : public TransportSource {
 public:
  SynthSource(std::shared_ptr<const midi::Song> song, int rate, std::int64_t length)
      : TransportSource(length), song_(std::move(song)) {
    frames_.reserve(song_->events.size());
    for (const midi::Event& e : song_->events)
      frames_.push_back(std::llround(e.micros * rate / 1e6));
    scratch_.resize(static_cast<std::size_t>(kMaxSynthFrames) * kChannels);
  }
  ~SynthSource() override {
    if (synth_ && font_) fluid_synth_remove_sfont(synth_, font_);  // the bank's, not ours
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }

  bool Load(int rate, fluid_sfont_t* font, std::string& error) {
    settings_ = new_fluid_settings();
    if (!settings_) return Fail(error, "the synthesizer cannot be set up");
    fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    fluid_settings_setnum(settings_, "synth.gain", kSynthGain);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);  // only the audio side calls it
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return Fail(error, "the synthesizer cannot be created");
    if (fluid_synth_add_sfont(synth_, font) == FLUID_FAILED)
      return Fail(error, "no General MIDI SoundFont can be loaded");
    font_ = font;
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
    RenderSynth(mix, 0, frames, 0);
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
    while (from < to) {
      int frames = static_cast<int>(std::min<std::int64_t>(to - from, kMaxSynthFrames));
      fluid_synth_write_float(synth_, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
      float* out = mix + static_cast<std::size_t>(from - start) * kChannels;
      for (std::size_t i = 0; i < static_cast<std::size_t>(frames) * kChannels; ++i)
        out[i] += scratch_[i];
      from += frames;
    }
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
  fluid_sfont_t* font_ = nullptr;
  std::vector<float> scratch_;
};

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

void PrepareSoundFont() {
  std::string path = FindSoundFont();
  if (!path.empty()) SoundFontBank::Get().Prepare(path);
}

int SoundFontLoads() { return SoundFontBank::Get().Loads(); }

void KeepOpenMpRegionsInline();  // openmp.cpp

std::unique_ptr<TransportSource> CreateSynthSource(std::shared_ptr<const midi::Song> song, int rate,
                                                   std::string& error) {
  KeepOpenMpRegionsInline();
  QuietenFluidSynth();
  std::string path = FindSoundFont();
  if (path.empty()) {
    error = "no General MIDI SoundFont is installed";
    return nullptr;
  }
  fluid_sfont_t* font = SoundFontBank::Get().Wait(path, error);
  if (!font) return nullptr;
  std::int64_t length = std::llround(song->lengthMicros * rate / 1e6);
  auto source = std::make_unique<SynthSource>(std::move(song), rate, length);
  if (!source->Load(rate, font, error)) return nullptr;
  return source;
}

}  // namespace platform::audio
