// libFuzzer target for the Standard MIDI File reader: any input is refused or read,
// and a song that is read keeps its invariants.
#include "midi/midifile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::midi::Song song;
  if (platform::midi::ReadSong(data, size, song) != platform::midi::ReadStatus::kOk) return 0;
  double previous = 0;
  for (const platform::midi::Event& e : song.events) {
    if (e.micros < previous || e.micros > song.lengthMicros) std::abort();
    if (e.status == 0xF0) {
      if (e.sysex >= song.sysexSpans.size()) std::abort();
      auto [offset, length] = song.sysexSpans[e.sysex];
      if (std::size_t(offset) + length > song.sysexData.size()) std::abort();
    }
    previous = e.micros;
  }
  if (song.tempo.empty() || !(song.lengthMicros <= platform::midi::kMaxSongMicros)) std::abort();
  song.MicrosToTick(song.lengthMicros / 2);
  return 0;
}
