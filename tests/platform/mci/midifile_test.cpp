#include "midi/midifile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/platform/mci/midi_builder.h"

using platform::midi::ReadSong;
using platform::midi::ReadStatus;
using platform::midi::Song;
using testmedia::Bytes;
using testmedia::Smf;
using testmedia::Track;

namespace {

ReadStatus Read(const Bytes& bytes, Song& song) {
  return ReadSong(bytes.data(), bytes.size(), song);
}

// `count` empty text events, each the longest delta apart: a long silence without events.
Track& Silence(Track& t, int count) {
  for (int i = 0; i < count; ++i) t.Delta(0x0FFFFFFF).Raw({0xFF, 0x01, 0x00});
  return t;
}

}  // namespace

TEST(MidiFileTiming, TempoChangeInFirstTrackTimesNotesOfTheSecond) {
  Track conductor;
  conductor.Tempo(0, 500000).Tempo(480, 250000).End(0);
  Track notes;
  notes.NoteOn(0, 0, 60).NoteOff(480, 0, 60).NoteOn(0, 0, 62).NoteOff(480, 0, 62).End(0);
  Song song;
  ASSERT_EQ(Read(Smf(1, 480, {conductor, notes}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 4u);
  EXPECT_DOUBLE_EQ(song.events[1].micros, 500000);  // one quarter at 120 bpm
  EXPECT_DOUBLE_EQ(song.events[3].micros, 750000);  // one quarter at 240 bpm
  EXPECT_DOUBLE_EQ(song.lengthMicros, 750000);
  EXPECT_EQ(song.MicrosToTick(song.TickToMicros(700)), 700u);
  EXPECT_EQ(song.TempoAt(600000), 240u);
}

TEST(MidiFileTiming, LengthIsTheLatestEndOfTrackAcrossTracks) {
  Track early;
  early.NoteOn(0, 0, 60).NoteOff(100, 0, 60).End(200);
  Track late;
  late.End(1440);  // three quarters of silence still belong to the song
  Song song;
  ASSERT_EQ(Read(Smf(1, 480, {early, late}), song), ReadStatus::kOk);
  EXPECT_EQ(song.lengthTicks, 1440u);
  EXPECT_DOUBLE_EQ(song.lengthMicros, 1500000);
}

TEST(MidiFileTiming, SmpteDivisionIgnoresTempo) {
  // 25 frames per second of 40 ticks: one tick is one millisecond.
  Track t;
  t.Tempo(0, 250000).NoteOn(0, 0, 60).NoteOff(1000, 0, 60).End(1500);
  Song song;
  ASSERT_EQ(Read(Smf(0, std::uint16_t((0xE7 << 8) | 40), {t}), song), ReadStatus::kOk);
  EXPECT_TRUE(song.smpte);
  EXPECT_EQ(song.framesPerSecond, 25);
  EXPECT_DOUBLE_EQ(song.events[1].micros, 1000000);
  EXPECT_DOUBLE_EQ(song.lengthMicros, 2500000);
}

TEST(MidiFileTiming, FormatTwoPlaysPatternsOneAfterAnother) {
  Track a;
  a.NoteOn(0, 0, 60).NoteOff(480, 0, 60).End(0);
  Track b;
  b.NoteOn(0, 1, 64).NoteOff(960, 1, 64).End(0);
  Song song;
  ASSERT_EQ(Read(Smf(2, 480, {a, b}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 4u);
  EXPECT_EQ(song.events[2].tick, 480u);
  EXPECT_EQ(song.events[2].status, 0x91);
  EXPECT_DOUBLE_EQ(song.lengthMicros, 1500000);
}

TEST(MidiFileTiming, ZeroLengthSongAndTrackWithoutEndOfTrack) {
  Track empty;
  empty.End(0);
  Song song;
  ASSERT_EQ(Read(Smf(0, 96, {empty}), song), ReadStatus::kOk);
  EXPECT_EQ(song.lengthMicros, 0);
  EXPECT_TRUE(song.events.empty());

  Track open;
  open.NoteOn(0, 0, 60).NoteOff(96, 0, 60);  // ends at its last event
  ASSERT_EQ(Read(Smf(0, 96, {open}), song), ReadStatus::kOk);
  EXPECT_DOUBLE_EQ(song.lengthMicros, 500000);
}

TEST(MidiFileEvents, RunningStatusSpansDataBytesButNotMetaOrSysEx) {
  Track t;
  t.Delta(0).Raw({0x90, 60, 100}).Delta(10).Raw({62, 100}).Delta(10).Raw({60, 0});
  t.Delta(0).Raw({0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7});  // GM on
  t.End(0);
  Song song;
  ASSERT_EQ(Read(Smf(0, 96, {t}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 4u);
  EXPECT_EQ(song.events[1].status, 0x90);
  EXPECT_EQ(song.events[1].data1, 62);
  EXPECT_EQ(song.events[3].status, 0xF0);
  auto body = song.SysEx(song.events[3]);
  ASSERT_EQ(body.size(), 3u);  // the closing F7 is not part of the body
  EXPECT_EQ(body[0], 0x7E);

  Track cancelled;
  cancelled.Delta(0).Raw({0x90, 60, 100}).Delta(0).Raw({0xFF, 0x01, 0x01, 'x'});
  cancelled.Delta(0).Raw({60, 0}).End(0);  // a data byte after a meta event has no status
  EXPECT_EQ(Read(Smf(0, 96, {cancelled}), song), ReadStatus::kMalformed);
}

TEST(MidiFileEvents, SameTickOrderIsOffsThenSettingsThenOns) {
  // Track 0 starts C again at tick 96 where track 1 ends the C it began.
  Track starts;
  starts.NoteOn(96, 0, 60).NoteOff(96, 0, 60).End(0);
  Track ends;
  ends.NoteOn(0, 0, 60).NoteOff(96, 0, 60).End(0);
  Song song;
  ASSERT_EQ(Read(Smf(1, 96, {starts, ends}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 4u);
  EXPECT_EQ(song.events[1].tick, 96u);
  EXPECT_EQ(song.events[1].status, 0x80);
  EXPECT_EQ(song.events[2].status, 0x90);

  // A program change in a later track still comes before the note it is meant for.
  Track note;
  note.NoteOn(0, 0, 60).NoteOff(96, 0, 60).End(0);
  Track program;
  program.Delta(0).Raw({0xC0, 40}).End(0);
  ASSERT_EQ(Read(Smf(1, 96, {note, program}), song), ReadStatus::kOk);
  EXPECT_EQ(song.events[0].status, 0xC0);

  // A note that starts and ends at one tick keeps its order, else it would never end.
  Track zero;
  zero.NoteOn(10, 0, 60).NoteOff(0, 0, 60).End(0);
  ASSERT_EQ(Read(Smf(0, 96, {zero}), song), ReadStatus::kOk);
  EXPECT_EQ(song.events[0].status, 0x90);
  EXPECT_EQ(song.events[1].status, 0x80);
}

TEST(MidiFileEvents, ManyTracksInterleaveByTickThenClassThenTrack) {
  // Random tracks whose events pile up on shared ticks. Note-offs never follow a note-on of
  // their key, so each event's class is plain: off 0, controller 1, on 2. The song must be
  // the tracks' events, in file order, sorted stably by tick and class.
  struct Expected {
    std::uint64_t tick;
    int order;
    std::uint8_t status, data1, data2;
  };
  std::vector<Expected> expected;
  std::vector<Track> tracks(19);  // not a power of two, one of them empty
  std::mt19937 random(7);
  for (int t = 1; t < 19; ++t) {
    std::uint64_t tick = 0;
    int channel = t % 16;
    for (int i = 0, count = int(random() % 400); i < count; ++i) {
      std::uint32_t delta = random() % 3;
      tick += delta;
      int kind = int(random() % 3);
      auto a = std::uint8_t(random() % 64), b = std::uint8_t(1 + random() % 127);
      if (kind == 0) {
        tracks[t].NoteOff(delta, channel, a);
        expected.push_back({tick, 0, std::uint8_t(0x80 | channel), a, 0});
      } else if (kind == 1) {
        tracks[t].Controller(delta, channel, a, b);
        expected.push_back({tick, 1, std::uint8_t(0xB0 | channel), a, b});
      } else {
        tracks[t].NoteOn(delta, channel, 64 + a, b);
        expected.push_back({tick, 2, std::uint8_t(0x90 | channel), std::uint8_t(64 + a), b});
      }
    }
  }
  for (Track& t : tracks) t.End(0);
  std::stable_sort(expected.begin(), expected.end(), [](const Expected& x, const Expected& y) {
    return x.tick != y.tick ? x.tick < y.tick : x.order < y.order;
  });
  Song song;
  ASSERT_EQ(Read(Smf(1, 96, tracks), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& e = song.events[i];
    ASSERT_EQ(e.tick, expected[i].tick) << "event " << i;
    ASSERT_EQ(e.status, expected[i].status) << "event " << i;
    ASSERT_EQ(e.data1, expected[i].data1) << "event " << i;
    ASSERT_EQ(e.data2, expected[i].data2) << "event " << i;
    if (i > 0) {
      ASSERT_LE(song.events[i - 1].micros, e.micros) << "event " << i;
    }
  }
}

TEST(MidiFileEvents, TicksStayExactAcrossVeryLongSilences) {
  // Seventeen longest deltas of silence pass 2^32 ticks; both tracks meet again there.
  constexpr std::uint64_t kFar = 17ull * 0x0FFFFFFF;
  Track first;
  first.NoteOn(0, 0, 60);
  Silence(first, 17).NoteOff(0, 0, 60).NoteOn(0, 0, 62).End(0);
  Track second;
  Silence(second, 17).Controller(0, 1, 7, 100).NoteOff(0, 1, 40).End(0);
  Song song;
  ASSERT_EQ(Read(Smf(1, 0x7FFF, {first, second}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 5u);
  EXPECT_EQ(song.events[0].tick, 0u);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(song.events[i].tick, kFar) << i;
  EXPECT_EQ(song.events[1].status, 0x80);  // offs first, track order among them
  EXPECT_EQ(song.events[2].status, 0x81);
  EXPECT_EQ(song.events[3].status, 0xB1);
  EXPECT_EQ(song.events[4].status, 0x90);
  EXPECT_EQ(song.lengthTicks, kFar);

  // Past 2^46 ticks, still within a day at the fastest tempo and finest division; the
  // other track's last event comes a little before 2^46.
  constexpr int kSilences = (1 << 18) + 4;
  constexpr std::uint64_t kFarther = std::uint64_t(kSilences) * 0x0FFFFFFF;
  constexpr std::uint64_t kBefore = std::uint64_t(kSilences - 16) * 0x0FFFFFFF;
  Track fast;
  fast.Tempo(0, 1).NoteOn(0, 0, 60);
  Silence(fast, kSilences).NoteOff(0, 0, 60).End(0);
  Track beside;
  beside.Controller(0, 0, 7, 100).NoteOff(0, 0, 50);
  Silence(beside, kSilences - 16).Controller(0, 0, 10, 64).End(0);
  ASSERT_EQ(Read(Smf(1, 0x7FFF, {fast, beside}), song), ReadStatus::kOk);
  ASSERT_EQ(song.events.size(), 5u);
  EXPECT_EQ(song.events[0].status, 0x80);
  EXPECT_EQ(song.events[0].data1, 50);
  EXPECT_EQ(song.events[1].status, 0xB0);
  EXPECT_EQ(song.events[2].status, 0x90);
  EXPECT_EQ(song.events[3].tick, kBefore);
  EXPECT_EQ(song.events[4].tick, kFarther);
  EXPECT_NEAR(song.events[4].micros, double(kFarther) / 0x7FFF, 1.0);
}

TEST(MidiFileContainer, RmidWrapperHoldsTheSameSong) {
  Bytes smf = testmedia::OneSecondSong();
  Song bare, wrapped;
  ASSERT_EQ(Read(smf, bare), ReadStatus::kOk);
  ASSERT_EQ(Read(testmedia::Rmid(smf), wrapped), ReadStatus::kOk);
  EXPECT_EQ(wrapped.events.size(), bare.events.size());
  EXPECT_DOUBLE_EQ(wrapped.lengthMicros, 1000000);
}

TEST(MidiFileMalformed, RefusedWithoutCrashing) {
  Song song;
  EXPECT_EQ(Read({}, song), ReadStatus::kNotMidi);
  EXPECT_EQ(Read(Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, song),
            ReadStatus::kNotMidi);

  Bytes wrongId = testmedia::OneSecondSong();
  wrongId[0] = 'X';
  EXPECT_EQ(Read(wrongId, song), ReadStatus::kNotMidi);

  Bytes lyingLength = testmedia::OneSecondSong();
  lyingLength[14 + 7] += 10;  // the track claims more bytes than the file has
  EXPECT_EQ(Read(lyingLength, song), ReadStatus::kTruncated);

  Track longQuantity;
  longQuantity.Raw({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 100});
  EXPECT_EQ(Read(Smf(0, 96, {longQuantity}), song), ReadStatus::kMalformed);

  Track absurd;  // 2^28 ticks at the slowest tempo: far beyond a day
  absurd.Tempo(0, 0xFFFFFF).NoteOn(0x0FFFFFFF, 0, 60).End(0);
  EXPECT_EQ(Read(Smf(0, 1, {absurd}), song), ReadStatus::kTooLong);

  Bytes noDivision = testmedia::OneSecondSong();
  noDivision[12] = noDivision[13] = 0;
  EXPECT_EQ(Read(noDivision, song), ReadStatus::kMalformed);

  // Cut at every offset, bare and wrapped: refused or read, never out of bounds (ASan).
  for (const Bytes& whole :
       {testmedia::OneSecondSong(), testmedia::Rmid(testmedia::OneSecondSong())})
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_NE(Read(part, song), ReadStatus::kOk) << "cut at " << cut;
    }
}
