#include "platform/mci/midifile.h"

#include <algorithm>
#include <cstring>

namespace platform::midi {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 bpm)
// A variable-length quantity has at most four bytes (28 bits).
constexpr int kMaxQuantityBytes = 4;

std::uint32_t Big32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         p[3];
}
std::uint32_t Little32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

class Cursor {
 public:
  Cursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }
  bool Byte(std::uint8_t& out) {
    if (AtEnd()) return false;
    out = data_[pos_++];
    return true;
  }
  bool Peek(std::uint8_t& out) const {
    if (AtEnd()) return false;
    out = data_[pos_];
    return true;
  }
  // ReadStatus::kOk, kTruncated or kMalformed (more than four bytes).
  ReadStatus Quantity(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < kMaxQuantityBytes; ++i) {
      std::uint8_t b;
      if (!Byte(b)) return ReadStatus::kTruncated;
      out = (out << 7) | (b & 0x7F);
      if (!(b & 0x80)) return ReadStatus::kOk;
    }
    return ReadStatus::kMalformed;
  }
  const std::uint8_t* Take(std::size_t n) {
    if (n > Remaining()) return nullptr;
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

struct TempoChange {
  std::uint64_t tick;
  std::uint32_t track;
  std::uint32_t sequence;
  std::uint32_t microsPerQuarter;
};

// Where a track's events lie in the shared event buffer, and where it ends.
struct TrackResult {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::uint64_t endTick = 0;  // End of Track, or the last event when there is none
};

int DataBytes(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 1;
    default:
      return 2;
  }
}

// Reads one MTrk body. Ticks start at `startTick` (format 2 patterns follow one another).
ReadStatus ReadTrack(const std::uint8_t* data, std::size_t size, std::uint16_t track,
                     std::uint64_t startTick, Song& song, std::vector<TempoChange>& tempos,
                     std::vector<Event>& events, TrackResult& result) {
  Cursor in(data, size);
  std::uint64_t tick = startTick;
  std::uint8_t running = 0;
  std::uint32_t sequence = 0;
  // Tick of the latest note-on per channel and key, to keep zero-length notes whole.
  std::uint64_t noteOnTick[16][128];
  std::memset(noteOnTick, 0xFF, sizeof noteOnTick);
  result.endTick = startTick;
  while (!in.AtEnd()) {
    std::uint32_t delta;
    if (ReadStatus s = in.Quantity(delta); s != ReadStatus::kOk) return s;
    tick += delta;
    std::uint8_t status;
    if (!in.Peek(status)) return ReadStatus::kTruncated;
    if (status & 0x80) {
      in.Byte(status);
    } else {
      if (running == 0) return ReadStatus::kMalformed;  // data byte without a status
      status = running;
    }
    if (status < 0xF0) {
      running = status;
      Event e;
      e.tick = tick;
      e.status = status;
      if (!in.Byte(e.data1)) return ReadStatus::kTruncated;
      if (DataBytes(status) == 2 && !in.Byte(e.data2)) return ReadStatus::kTruncated;
      if ((e.data1 | e.data2) & 0x80) return ReadStatus::kMalformed;
      std::uint8_t kind = status & 0xF0;
      std::uint8_t channel = status & 0x0F;
      bool noteOn = kind == 0x90 && e.data2 > 0;
      bool noteOff = kind == 0x80 || (kind == 0x90 && e.data2 == 0);
      if (noteOn) {
        noteOnTick[channel][e.data1] = tick;
        e.order = 2;
      }
      if (noteOff) e.order = noteOnTick[channel][e.data1] == tick ? 3 : 0;
      events.push_back(e);
      result.endTick = tick;
      ++sequence;
      continue;
    }
    // SysEx and meta events cancel running status.
    running = 0;
    if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length;
      if (ReadStatus s = in.Quantity(length); s != ReadStatus::kOk) return s;
      const std::uint8_t* body = in.Take(length);
      if (!body) return ReadStatus::kTruncated;
      // Only complete F0 messages are sent; F7 escape packets are skipped.
      if (status == 0xF0) {
        std::uint32_t bodyLength = length;
        if (bodyLength > 0 && body[bodyLength - 1] == 0xF7) --bodyLength;
        Event e;
        e.tick = tick;
        e.status = 0xF0;
        e.sysex = static_cast<std::uint32_t>(song.sysexSpans.size());
        song.sysexSpans.emplace_back(static_cast<std::uint32_t>(song.sysexData.size()), bodyLength);
        song.sysexData.insert(song.sysexData.end(), body, body + bodyLength);
        events.push_back(e);
        ++sequence;
      }
      result.endTick = tick;
      continue;
    }
    if (status != 0xFF) return ReadStatus::kMalformed;  // system messages do not belong in files
    std::uint8_t type;
    if (!in.Byte(type)) return ReadStatus::kTruncated;
    std::uint32_t length;
    if (ReadStatus s = in.Quantity(length); s != ReadStatus::kOk) return s;
    const std::uint8_t* body = in.Take(length);
    if (!body) return ReadStatus::kTruncated;
    result.endTick = tick;
    if (type == 0x2F) return ReadStatus::kOk;  // End of Track: anything after it is ignored
    if (type == 0x51 && length == 3) {
      std::uint32_t tempo =
          (std::uint32_t(body[0]) << 16) | (std::uint32_t(body[1]) << 8) | body[2];
      if (tempo > 0) tempos.push_back({tick, track, sequence++, tempo});
    } else if (type == 0x03 && song.name.empty()) {
      song.name.assign(reinterpret_cast<const char*>(body), length);
    } else if (type == 0x02 && song.copyright.empty()) {
      song.copyright.assign(reinterpret_cast<const char*>(body), length);
    }
  }
  return ReadStatus::kOk;  // a track without End of Track ends at its last event
}

// Within one track events come in tick order; events at one tick go in Event::order.
void OrderSameTick(std::vector<Event>::iterator begin, std::vector<Event>::iterator last) {
  while (begin != last) {
    auto end = std::find_if(begin + 1, last, [&](const Event& e) { return e.tick != begin->tick; });
    // Runs are a few events long: a stable insertion sort, without allocation.
    for (auto i = begin + 1; i < end; ++i)
      for (auto j = i; j > begin && (j - 1)->order > j->order; --j) std::iter_swap(j - 1, j);
    begin = end;
  }
}

// Merges the tracks by (tick, order, track). Each track is in that order already; the
// runs are merged pairwise, neighbours first, between two buffers. std::merge is stable,
// so at equal (tick, order) the lower track stays first.
std::vector<Event> MergeTracks(std::vector<Event> from, const std::vector<TrackResult>& tracks) {
  if (tracks.size() <= 1) return from;
  std::size_t total = from.size();
  std::vector<std::size_t> bounds = {0};
  for (const TrackResult& t : tracks) bounds.push_back(t.end);
  auto earlier = [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  };
  std::vector<Event> to(total);
  while (bounds.size() > 2) {
    std::vector<std::size_t> merged = {0};
    for (std::size_t i = 0; i + 1 < bounds.size(); i += 2) {
      auto first = from.begin() + static_cast<std::ptrdiff_t>(bounds[i]);
      auto middle = from.begin() + static_cast<std::ptrdiff_t>(bounds[i + 1]);
      std::size_t last = i + 2 < bounds.size() ? bounds[i + 2] : bounds[i + 1];
      std::merge(first, middle, middle, from.begin() + static_cast<std::ptrdiff_t>(last),
                 to.begin() + static_cast<std::ptrdiff_t>(bounds[i]), earlier);
      merged.push_back(last);
    }
    if (merged.back() != total) merged.push_back(total);
    from.swap(to);
    bounds = std::move(merged);
  }
  return from;
}

void BuildTempoMap(Song& song, std::vector<TempoChange>& tempos) {
  song.tempo.clear();
  if (song.smpte) {
    double fps = song.framesPerSecond == 29 ? 30000.0 / 1001.0 : song.framesPerSecond;
    song.tempo.push_back({0, 0, 1e6 / (fps * song.ticksPerFrame)});
    return;
  }
  std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange& a, const TempoChange& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.track < b.track;
  });
  double perTick = double(kDefaultTempo) / song.ticksPerQuarter;
  song.tempo.push_back({0, 0, perTick});
  for (const TempoChange& t : tempos) {
    TempoSegment& last = song.tempo.back();
    double micros = last.micros + double(t.tick - last.tick) * last.microsPerTick;
    double next = double(t.microsPerQuarter) / song.ticksPerQuarter;
    if (t.tick == last.tick)
      last.microsPerTick = next;  // the later change at the same tick wins
    else
      song.tempo.push_back({t.tick, micros, next});
  }
}

ReadStatus ReadSmf(const std::uint8_t* data, std::size_t size, Song& song) {
  Cursor in(data, size);
  const std::uint8_t* id = in.Take(8);
  if (!id)
    return size >= 4 && std::memcmp(data, "MThd", 4) == 0 ? ReadStatus::kTruncated
                                                          : ReadStatus::kNotMidi;
  if (std::memcmp(id, "MThd", 4) != 0) return ReadStatus::kNotMidi;
  std::uint32_t headerLength = Big32(id + 4);
  if (headerLength < 6) return ReadStatus::kMalformed;
  const std::uint8_t* header = in.Take(headerLength);
  if (!header) return ReadStatus::kTruncated;
  song.format = (header[0] << 8) | header[1];
  int declaredTracks = (header[2] << 8) | header[3];
  std::uint16_t division = std::uint16_t((header[4] << 8) | header[5]);
  if (song.format > 2 || declaredTracks == 0) return ReadStatus::kMalformed;
  if (song.format == 0 && declaredTracks != 1) return ReadStatus::kMalformed;
  if (division & 0x8000) {
    int fps = -static_cast<std::int8_t>(division >> 8);
    if (fps != 24 && fps != 25 && fps != 29 && fps != 30) return ReadStatus::kMalformed;
    song.smpte = true;
    song.framesPerSecond = fps;
    song.ticksPerFrame = division & 0xFF;
    if (song.ticksPerFrame == 0) return ReadStatus::kMalformed;
  } else {
    song.ticksPerQuarter = division;
    if (division == 0) return ReadStatus::kMalformed;
  }

  std::vector<TrackResult> tracks;
  std::vector<TempoChange> tempos;
  std::vector<Event> events;
  events.reserve(size / 3);  // a note and its delta take three bytes or more
  std::uint64_t patternStart = 0;
  while (static_cast<int>(tracks.size()) < declaredTracks) {
    const std::uint8_t* chunk = in.Take(8);
    if (!chunk) return ReadStatus::kTruncated;
    std::uint32_t length = Big32(chunk + 4);
    const std::uint8_t* body = in.Take(length);
    if (!body) return ReadStatus::kTruncated;
    if (std::memcmp(chunk, "MTrk", 4) != 0) {
      // Unknown chunks are skipped, but their id must look like one.
      for (int i = 0; i < 4; ++i)
        if (chunk[i] < 0x20 || chunk[i] > 0x7E) return ReadStatus::kMalformed;
      continue;
    }
    TrackResult result;
    result.begin = events.size();
    auto track = static_cast<std::uint16_t>(tracks.size());
    std::uint64_t start = song.format == 2 ? patternStart : 0;
    if (ReadStatus s = ReadTrack(body, length, track, start, song, tempos, events, result);
        s != ReadStatus::kOk)
      return s;
    result.end = events.size();
    OrderSameTick(events.begin() + static_cast<std::ptrdiff_t>(result.begin), events.end());
    if (song.format == 2) patternStart = result.endTick;
    tracks.push_back(std::move(result));
  }
  song.trackCount = declaredTracks;
  for (auto& t : tracks) song.lengthTicks = std::max(song.lengthTicks, t.endTick);
  song.events = MergeTracks(std::move(events), tracks);
  BuildTempoMap(song, tempos);

  // Times follow the tempo map; one walk, since events and segments are both in tick order.
  std::size_t segment = 0;
  for (Event& e : song.events) {
    while (segment + 1 < song.tempo.size() && song.tempo[segment + 1].tick <= e.tick) ++segment;
    const TempoSegment& s = song.tempo[segment];
    e.micros = s.micros + double(e.tick - s.tick) * s.microsPerTick;
  }
  song.lengthMicros = song.TickToMicros(song.lengthTicks);
  if (!(song.lengthMicros <= kMaxSongMicros)) return ReadStatus::kTooLong;
  return ReadStatus::kOk;
}

}  // namespace

double Song::TickToMicros(std::uint64_t tick) const {
  auto it = std::upper_bound(tempo.begin(), tempo.end(), tick,
                             [](std::uint64_t t, const TempoSegment& s) { return t < s.tick; });
  if (it == tempo.begin()) return 0;
  --it;
  return it->micros + double(tick - it->tick) * it->microsPerTick;
}

std::uint64_t Song::MicrosToTick(double micros) const {
  if (tempo.empty() || micros <= 0) return 0;
  auto it = std::upper_bound(tempo.begin(), tempo.end(), micros,
                             [](double m, const TempoSegment& s) { return m < s.micros; });
  if (it != tempo.begin()) --it;
  // A little slack so that a time computed from a tick maps back to that tick.
  return it->tick + static_cast<std::uint64_t>((micros - it->micros) / it->microsPerTick + 1e-6);
}

std::uint32_t Song::TempoAt(double micros) const {
  if (smpte) return static_cast<std::uint32_t>(framesPerSecond);
  if (tempo.empty()) return 120;
  auto it = std::upper_bound(tempo.begin(), tempo.end(), micros,
                             [](double m, const TempoSegment& s) { return m < s.micros; });
  if (it != tempo.begin()) --it;
  double microsPerQuarter = it->microsPerTick * ticksPerQuarter;
  return static_cast<std::uint32_t>(60e6 / microsPerQuarter + 0.5);
}

ReadStatus ReadSong(const std::uint8_t* data, std::size_t size, Song& song) {
  song = Song();
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0) {
    if (std::memcmp(data + 8, "RMID", 4) != 0) return ReadStatus::kNotMidi;
    std::uint32_t riffLength = Little32(data + 4);
    if (riffLength < 4 || riffLength > size - 8) return ReadStatus::kTruncated;
    Cursor in(data + 12, riffLength - 4);
    while (!in.AtEnd()) {
      const std::uint8_t* chunk = in.Take(8);
      if (!chunk) return ReadStatus::kTruncated;
      std::uint32_t length = Little32(chunk + 4);
      const std::uint8_t* body = in.Take(length);
      if (!body) return ReadStatus::kTruncated;
      if (std::memcmp(chunk, "data", 4) == 0) return ReadSmf(body, length, song);
      if (length & 1) in.Take(1);  // RIFF chunks are padded to even lengths
    }
    return ReadStatus::kMalformed;  // an RMID without its data chunk
  }
  if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0) return ReadStatus::kTruncated;
  return ReadSmf(data, size, song);
}

const char* ReadStatusText(ReadStatus status) {
  switch (status) {
    case ReadStatus::kOk:
      return "ok";
    case ReadStatus::kNotMidi:
      return "not a MIDI file";
    case ReadStatus::kTruncated:
      return "truncated";
    case ReadStatus::kMalformed:
      return "malformed";
    case ReadStatus::kTooLong:
      return "absurd duration";
  }
  return "?";
}

}  // namespace platform::midi
