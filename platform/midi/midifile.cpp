#include "midi/midifile.h"

#include <algorithm>
#include <cstring>
#include <memory>

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

// A track's events while reading: eight bytes each, so that the parsed tracks of a large
// file stay small; tick and SysEx index are rebuilt while the tracks are merged.
struct Packed {
  std::uint32_t delta;  // ticks since the previous record of the track
  std::uint8_t status;  // 0: a gap too long for `delta`, nothing to play
  std::uint8_t data1;
  std::uint8_t data2;
  std::uint8_t order;
};
static_assert(sizeof(Packed) == 8);

// Where a track's records lie in the shared buffer, and where the track ends.
struct TrackResult {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::uint64_t startTick = 0;  // format 2 patterns follow one another
  std::uint32_t firstSysex = 0;  // the track's SysEx bodies are numbered consecutively
  std::uint64_t endTick = 0;    // End of Track, or the last event when there is none
  std::size_t events = 0;       // records that are events, not gaps
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

// Writes a track's records into the shared buffer, those at one tick kept in Event::order
// as they come (a stable insertion sort: such runs are a few records long).
class TrackWriter {
 public:
  TrackWriter(Packed* out, std::uint64_t startTick)
      : out_(out), run_(out), begin_(out), last_(startTick) {}
  Packed* End() const { return out_; }
  std::size_t Gaps() const { return gaps_; }

  void Append(std::uint64_t tick, std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
              std::uint8_t order) {
    std::uint64_t gap = tick - last_;
    last_ = tick;
    if (gap > UINT32_MAX) [[unlikely]]
      gap = Bridge(gap);
    Packed* slot = out_++;
    slot->delta = static_cast<std::uint32_t>(gap);
    if (gap != 0 || slot == begin_) {
      run_ = slot;  // a tick's run starts with the record that carries its delta
    } else {
      // Records of a higher class move one place later; the deltas stay where they are.
      for (; slot > run_ && slot[-1].order > order; --slot) {
        slot->status = slot[-1].status;
        slot->data1 = slot[-1].data1;
        slot->data2 = slot[-1].data2;
        slot->order = slot[-1].order;
      }
    }
    slot->status = status;
    slot->data1 = data1;
    slot->data2 = data2;
    slot->order = order;
  }

 private:
  // Gaps beyond 32 bits (only long runs of meta events reach them) are bridged by gap
  // records; the bridge stops short so that the real record still has a delta of its own
  // and begins its own run.
  [[gnu::noinline]] std::uint64_t Bridge(std::uint64_t gap) {
    constexpr std::uint64_t kStep = std::uint64_t(1) << 31;
    while (gap > UINT32_MAX) {
      *out_++ = {static_cast<std::uint32_t>(kStep), 0, 0, 0, 0};
      gap -= kStep;
      ++gaps_;
    }
    return gap;
  }

  Packed* out_;
  Packed* run_;          // first record of the latest tick
  Packed* const begin_;  // the track's first record
  std::uint64_t last_;   // tick of the latest record
  std::size_t gaps_ = 0;
};

// Reads one MTrk body; its ticks count from result.startTick.
ReadStatus ReadTrack(const std::uint8_t* data, std::size_t size, std::uint16_t track,
                     Song& song, std::vector<TempoChange>& tempos, TrackWriter& out,
                     TrackResult& result) {
  Cursor in(data, size);
  std::uint64_t tick = result.startTick;
  std::uint8_t running = 0;
  std::uint32_t sequence = 0;
  // Tick of the latest note-on per channel and key, to keep zero-length notes whole.
  std::uint64_t noteOnTick[16][128];
  std::memset(noteOnTick, 0xFF, sizeof noteOnTick);
  result.endTick = tick;
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
      std::uint8_t data1 = 0, data2 = 0, order = 1;
      if (!in.Byte(data1)) return ReadStatus::kTruncated;
      if (DataBytes(status) == 2 && !in.Byte(data2)) return ReadStatus::kTruncated;
      if ((data1 | data2) & 0x80) return ReadStatus::kMalformed;
      std::uint8_t kind = status & 0xF0;
      std::uint8_t channel = status & 0x0F;
      bool noteOn = kind == 0x90 && data2 > 0;
      bool noteOff = kind == 0x80 || (kind == 0x90 && data2 == 0);
      if (noteOn) {
        noteOnTick[channel][data1] = tick;
        order = 2;
      }
      if (noteOff) order = noteOnTick[channel][data1] == tick ? 3 : 0;
      out.Append(tick, status, data1, data2, order);
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
        song.sysexSpans.emplace_back(static_cast<std::uint32_t>(song.sysexData.size()), bodyLength);
        song.sysexData.insert(song.sysexData.end(), body, body + bodyLength);
        out.Append(tick, 0xF0, 0, 0, 1);
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

// One track's place in a merge: its next record, the tick before it and the SysEx index
// it will have.
struct MergeCursor {
  const Packed* next = nullptr;
  const Packed* end = nullptr;
  std::uint64_t tick = 0;
  std::uint32_t sysex = 0;
};

// The merge key of a track's next record: tick, then Event::order, then the track, so that
// tracks at one tick and class stay in file order. One integer, so that comparing and
// choosing compile to flag arithmetic and conditional moves: which track comes next is
// close to random, and a mispredicted branch per level would cost most of the merge.
// 64 bits hold ticks below 2^46, which is every song of sensible tempo; 128 bits the rest.
__extension__ typedef unsigned __int128 WideKey;
constexpr int kKeyTickShift = 18;  // below the tick: two bits of order, sixteen of track
constexpr std::uint64_t kNarrowTickLimit = std::uint64_t(1) << (64 - kKeyTickShift);

// Moves a cursor onto its next real record, past gap records, and gives that record's key;
// all ones once the track is exhausted, which sorts after every real record.
template <typename Key>
Key Advance(MergeCursor& c, std::uint32_t track) {
  while (c.next != c.end) {
    c.tick += c.next->delta;
    if (c.next->status != 0)
      return (Key(c.tick) << kKeyTickShift) | (std::uint32_t(c.next->order) << 16) | track;
    ++c.next;
  }
  return ~Key(0);
}

// Merges tracks by (tick, order, track) through a tournament tree: the winner of each
// subtree is kept, so a pop replays only the path from the popped track's leaf.
template <typename Key>
class TrackMerge {
 public:
  TrackMerge(std::vector<MergeCursor> cursors, const std::vector<TempoSegment>& tempo,
             Event* out)
      : cursors_(std::move(cursors)), tempo_(tempo), out_(out) {
    std::size_t count = cursors_.size();
    while (leaves_ < count) leaves_ *= 2;
    cursors_.resize(leaves_);
    node_.assign(2 * leaves_, ~Key(0));
    for (std::size_t t = 0; t < count; ++t)
      node_[leaves_ + t] = Advance<Key>(cursors_[t], static_cast<std::uint32_t>(t));
    for (std::size_t i = leaves_ - 1; i >= 1; --i)
      node_[i] = std::min(node_[2 * i], node_[2 * i + 1]);
    top_ = node_[1];
  }

  // Writes the next event. Every step waits on the one before, so callers run two
  // independent merges side by side to keep the processor busy.
  void Step() {
    auto t = static_cast<std::uint32_t>(top_) & 0xFFFF;
    MergeCursor& c = cursors_[t];
    const Packed& p = *c.next;
    // Events and tempo segments are both in tick order: one walk through the tempo map.
    while (segment_ + 1 < tempo_.size() && tempo_[segment_ + 1].tick <= c.tick) ++segment_;
    const TempoSegment& s = tempo_[segment_];
    Event& e = *out_++;
    e.tick = c.tick;
    e.micros = s.micros + double(std::int64_t(c.tick - s.tick)) * s.microsPerTick;
    e.status = p.status;
    e.data1 = p.data1;
    e.data2 = p.data2;
    e.order = p.order;
    if (p.status == 0xF0) e.sysex = c.sysex++;
    ++c.next;
    Key key = Advance<Key>(c, t);
    std::size_t i = leaves_ + t;
    node_[i] = key;
    for (; i > 1; i >>= 1) {
      Key sibling = node_[i ^ 1];
      key = sibling < key ? sibling : key;
      node_[i >> 1] = key;
    }
    top_ = key;  // kept out of memory: the next step starts from it
  }

 private:
  std::vector<MergeCursor> cursors_;
  const std::vector<TempoSegment>& tempo_;
  std::size_t segment_ = 0;
  Event* out_;
  std::size_t leaves_ = 1;
  std::vector<Key> node_;
  Key top_ = 0;
};

template <typename Merge>
void MergeSideBySide(Merge first, Merge second, std::size_t firstCount, std::size_t secondCount) {
  std::size_t both = std::min(firstCount, secondCount);
  for (std::size_t n = 0; n < both; ++n) {
    first.Step();
    second.Step();
  }
  for (std::size_t n = both; n < firstCount; ++n) first.Step();
  for (std::size_t n = both; n < secondCount; ++n) second.Step();
}

// Merges the tracks straight into the song's event list, each event timed from
// the tempo map. The events before a middle tick and those from it on are merged side by
// side: the halves are independent, and any middle tick is correct, a well chosen one only
// faster.
void MergeTracks(const Packed* records, const std::vector<TrackResult>& tracks, Song& song) {
  std::uint64_t middle = 0;
  const TrackResult* largest = nullptr;
  for (const TrackResult& r : tracks)
    if (!largest || r.end - r.begin > largest->end - largest->begin) largest = &r;
  if (largest) {
    middle = largest->startTick;
    const Packed* half = records + largest->begin + (largest->end - largest->begin) / 2;
    for (const Packed* p = records + largest->begin; p <= half && p != records + largest->end; ++p)
      middle += p->delta;
  }
  std::vector<MergeCursor> early, late;
  std::size_t earlyCount = 0, total = 0;
  for (const TrackResult& r : tracks) {
    MergeCursor c{records + r.begin, records + r.end, r.startTick, r.firstSysex};
    MergeCursor rest = c;
    std::size_t real = 0;
    while (rest.next != rest.end && rest.tick + rest.next->delta < middle) {
      rest.tick += rest.next->delta;
      if (rest.next->status != 0) ++real;
      if (rest.next->status == 0xF0) ++rest.sysex;
      ++rest.next;
    }
    c.end = rest.next;
    earlyCount += real;
    total += r.events;
    early.push_back(c);
    late.push_back(rest);
  }
  song.events.clear();
  song.events.resize(total);
  Event* out = song.events.data();
  if (song.lengthTicks < kNarrowTickLimit)
    MergeSideBySide(TrackMerge<std::uint64_t>(std::move(early), song.tempo, out),
                    TrackMerge<std::uint64_t>(std::move(late), song.tempo, out + earlyCount),
                    earlyCount, total - earlyCount);
  else
    MergeSideBySide(TrackMerge<WideKey>(std::move(early), song.tempo, out),
                    TrackMerge<WideKey>(std::move(late), song.tempo, out + earlyCount),
                    earlyCount, total - earlyCount);
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
  // A record takes two bytes of the file or more (a delta and a running-status data byte;
  // a gap record dozens), so this is never overrun; pages left unused are never touched.
  auto records = std::make_unique_for_overwrite<Packed[]>(size / 2 + 1);
  Packed* recordEnd = records.get();
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
    result.begin = static_cast<std::size_t>(recordEnd - records.get());
    result.startTick = song.format == 2 ? patternStart : 0;
    result.firstSysex = static_cast<std::uint32_t>(song.sysexSpans.size());
    auto track = static_cast<std::uint16_t>(tracks.size());
    TrackWriter out(recordEnd, result.startTick);
    if (ReadStatus s = ReadTrack(body, length, track, song, tempos, out, result);
        s != ReadStatus::kOk)
      return s;
    recordEnd = out.End();
    result.end = static_cast<std::size_t>(recordEnd - records.get());
    result.events = result.end - result.begin - out.Gaps();
    if (song.format == 2) patternStart = result.endTick;
    tracks.push_back(std::move(result));
  }
  song.trackCount = declaredTracks;
  for (auto& t : tracks) song.lengthTicks = std::max(song.lengthTicks, t.endTick);
  BuildTempoMap(song, tempos);
  MergeTracks(records.get(), tracks, song);
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
