// Standard MIDI File reader: formats 0, 1 and 2, bare or in a RIFF "RMID" wrapper,
// turned into one time-ordered event list with a tempo map. Every length is checked
// against what remains; malformed input is refused, never trusted.
#pragma once
#include "private.h"
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace platform::midi {

// A channel message or a SysEx message, at its place in the song.
struct Event {
  std::uint64_t tick = 0;   // song ticks; format 2 patterns follow one another
  double micros = 0;        // time from the start of the song
  std::uint32_t sysex = 0;  // SysEx: index of its body (Song::SysEx)
  std::uint8_t status = 0;  // 0x80..0xEF channel message, 0xF0 SysEx
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
  // Events at one tick play in this order, whatever track they come from: note-offs (0),
  // then controllers, programs, pitch bends and SysEx (1), then note-ons (2), so that a
  // note ending where the same note starts again is not cut short and a new note gets
  // the instrument and controllers set beside it. A note-off that ends a note begun at
  // the same tick comes last (3), else that note would never end. Within a class, tracks
  // in file order, and events of a track in their order.
  std::uint8_t order = 1;
};

struct TempoSegment {
  std::uint64_t tick = 0;
  double micros = 0;
  double microsPerTick = 0;
};

struct Song {
  int format = 0;
  int trackCount = 0;
  bool smpte = false;
  int ticksPerQuarter = 0;  // PPQN division
  int framesPerSecond = 0;  // SMPTE division: 24, 25, 29 (30 drop) or 30
  int ticksPerFrame = 0;
  std::vector<Event> events;  // time order, the same-tick order of Event::order
  // SysEx bodies, without F0 and the closing F7, one after another.
  std::vector<std::uint8_t> sysexData;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sysexSpans;  // offset, length
  std::vector<TempoSegment> tempo;  // at least one segment, from tick 0
  std::uint64_t lengthTicks = 0;    // the latest End of Track (or last event)
  double lengthMicros = 0;
  std::string name;  // first sequence/track name met
  std::string copyright;

  std::span<const std::uint8_t> SysEx(const Event& e) const {
    auto [offset, length] = sysexSpans[e.sysex];
    return {sysexData.data() + offset, length};
  }
  double TickToMicros(std::uint64_t tick) const;
  std::uint64_t MicrosToTick(double micros) const;
  // Tempo in force at a time: beats per minute (PPQN) or frames per second (SMPTE).
  std::uint32_t TempoAt(double micros) const;
};

enum class ReadStatus {
  kOk,
  kNotMidi,    // neither "MThd" nor RIFF "RMID"
  kTruncated,  // a length points past the end of the data
  kMalformed,  // a bad header, event or chunk
  kTooLong,    // an absurd duration or size
};

// The longest song accepted: beyond a day, the timing is taken for damage.
inline constexpr double kMaxSongMicros = 24.0 * 3600.0 * 1e6;

ReadStatus ReadSong(const std::uint8_t* data, std::size_t size, Song& song);
const char* ReadStatusText(ReadStatus status);

}  // namespace platform::midi
