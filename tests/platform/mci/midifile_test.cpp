#include "platform/mci/midifile.h"

#include <gtest/gtest.h>

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
