// The engine's two sources: a MIDI song rendered by FluidSynth, and decoded PCM audio.
#pragma once
#include <memory>
#include <string>

#include "audio/transport.h"
#include "midi/midifile.h"
#include "private.h"

namespace platform::audio {

// FluidSynth's own default gain (0.2) is too quiet beside other programs. At 0.4 most
// General MIDI songs peak below full scale; the engine's limiter catches the densest
// (docs/media.md has the measurements).
inline constexpr double kSynthGain = 0.4;

// The SoundFont the synthesizer loads: TD_SOUNDFONT when set, else the system's
// default General MIDI font, else TimGM6mb. Empty when none exists.
std::string FindSoundFont();

// Starts loading the SoundFont on a thread of its own, so that the first song finds it
// loaded; returns at once.
void PrepareSoundFont();
// How many SoundFont files have been loaded in this process (each is loaded once).
int SoundFontLoads();

// Plays a song through a FluidSynth instance of its own at `rate`, with the SoundFont the
// process has loaded once (waiting for its loader when it is not done yet). Null (with a
// reason) when the synthesizer or the SoundFont cannot be loaded.
std::unique_ptr<TransportSource> CreateSynthSource(std::shared_ptr<const midi::Song> song, int rate,
                                                   std::string& error);

// Decoded sound, interleaved at its own rate and channel count; shared read-only.
struct Pcm {
  int rate = 0;
  int channels = 0;
  std::int64_t frames = 0;
  std::vector<float> samples;
};

// Plays PCM converted to the engine's rate (linear interpolation) and to stereo.
std::unique_ptr<TransportSource> CreatePcmSource(std::shared_ptr<const Pcm> pcm, int rate);
// Frames of `pcm` once converted to `rate`.
std::int64_t ConvertedFrames(const Pcm& pcm, int rate);

}  // namespace platform::audio
