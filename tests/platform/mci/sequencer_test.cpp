#include "tests/platform/mci/mci_fixture.h"

using platform::AdvanceVirtualClock;
using testmedia::Smf;
using testmedia::Track;

namespace {

// Two seconds: a chord held down by the sustain pedal, released by its note-offs at
// 0.5 s, so only the pedal keeps it sounding; the pedal lifts at 1.9 s.
testmedia::Bytes SustainedSong() {
  Track t;
  t.Controller(0, 0, 64, 127).NoteOn(0, 0, 48).NoteOn(0, 0, 55).NoteOn(0, 0, 60);
  t.NoteOff(480, 0, 48).NoteOff(0, 0, 55).NoteOff(0, 0, 60);
  t.Controller(1344, 0, 64, 0).End(96);
  return Smf(0, 480, {t});
}

}  // namespace

using SequencerPlayback = MediaSession;

TEST_F(SequencerPlayback, LengthAndPositionAreExactOnTheVirtualClock) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 1000u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 0u);
  ASSERT_EQ(Play(id, kWindow), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_PLAY));
  for (DWORD expected : {7u, 250u, 333u, 999u}) {
    AdvanceVirtualClock(expected - Status(id, MCI_STATUS_POSITION));
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), expected);
  }
}

TEST_F(SequencerPlayback, NaturalEndNotifiesOnceAndStopsAtTheLength) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(999);
  EXPECT_TRUE(notes.empty());
  AdvanceVirtualClock(1);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUCCESSFUL, id}}));
  AdvanceVirtualClock(500);
  EXPECT_EQ(notes.size(), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1000u);

  // Played again from the end it ends at once; from the start it plays the whole song.
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(1);
  EXPECT_EQ(notes.size(), 2u);
  ASSERT_EQ(Play(id, kWindow, MCI_FROM, 0), 0u);
  AdvanceVirtualClock(600);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 600u);
}

TEST_F(SequencerPlayback, ZeroLengthSongEndsAtOnce) {
  Track t;
  t.End(0);
  MCIDEVICEID id = OpenSong(Smf(0, 96, {t}));
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 0u);
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(1);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUCCESSFUL, id}}));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
}

TEST_F(SequencerPlayback, SecondNotifyingPlaySupersedesTheFirst) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(100);
  ASSERT_EQ(Play(id, kOther, MCI_FROM, 0), 0u);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUPERSEDED, id}}));
  AdvanceVirtualClock(1000);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1], (Notification{kOther, MCI_NOTIFY_SUCCESSFUL, id}));
}

TEST_F(SequencerPlayback, PauseHoldsPositionSilencesSustainedNotesAndResumeContinues) {
  MCIDEVICEID id = OpenSong(SustainedSong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(1000);
  EXPECT_GT(Voices(id), 0);  // held by the pedal alone
  ASSERT_EQ(Simple(id, MCI_PAUSE), 0u);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_ABORTED, id}}));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_PAUSE));
  AdvanceVirtualClock(700);
  EXPECT_EQ(Voices(id), 0);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1000u);

  ASSERT_EQ(Simple(id, MCI_RESUME, MCI_NOTIFY), 0u);
  AdvanceVirtualClock(500);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1500u);
  EXPECT_EQ(Voices(id), 0);  // the notes ended while paused; nothing comes back
  AdvanceVirtualClock(500);
  EXPECT_EQ(notes.back(), (Notification{kWindow, MCI_NOTIFY_SUCCESSFUL, id}));
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 2000u);
}

TEST_F(SequencerPlayback, StopSeekAndCloseSilenceEverythingAndAbortTheNotification) {
  MCIDEVICEID id = OpenSong(SustainedSong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(800);
  ASSERT_EQ(Simple(id, MCI_STOP), 0u);
  AdvanceVirtualClock(10);
  EXPECT_EQ(Voices(id), 0);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 800u);  // stop does not rewind
  EXPECT_EQ(notes.back().flag, WPARAM(MCI_NOTIFY_ABORTED));

  ASSERT_EQ(Play(id, kWindow, MCI_FROM, 0), 0u);
  AdvanceVirtualClock(300);
  MCI_SEEK_PARMS seek{0, 1200};
  ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
  AdvanceVirtualClock(10);
  EXPECT_EQ(Voices(id), 0);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1200u);
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes.back().flag, WPARAM(MCI_NOTIFY_ABORTED));

  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(100);
  ASSERT_EQ(Simple(id, MCI_CLOSE), 0u);
  EXPECT_EQ(notes.back(), (Notification{kWindow, MCI_NOTIFY_ABORTED, id}));
  EXPECT_EQ(Simple(id, MCI_STOP), DWORD(MCIERR_INVALID_DEVICE_ID));
}

TEST_F(SequencerPlayback, PlayFromToAndWaitingPlay) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  ASSERT_EQ(Play(id, kWindow, MCI_FROM | MCI_TO, 200, 450), 0u);
  AdvanceVirtualClock(250);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 450u);
  EXPECT_EQ(notes.back().flag, WPARAM(MCI_NOTIFY_SUCCESSFUL));
  EXPECT_EQ(Play(id, kWindow, MCI_FROM, 1001), DWORD(MCIERR_OUTOFRANGE));
  EXPECT_EQ(Play(id, kWindow, MCI_FROM | MCI_TO, 500, 100), DWORD(MCIERR_OUTOFRANGE));

  ASSERT_EQ(Play(id, kWindow, MCI_FROM | MCI_WAIT, 0), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1000u);
}

TEST_F(SequencerPlayback, TimeFormatsAndTempoMapAcrossTracks) {
  Track conductor;
  conductor.Tempo(0, 500000).Tempo(960, 250000).End(0);
  Track melody;
  melody.NoteOn(0, 0, 60).NoteOff(1920, 0, 60).End(0);
  MCIDEVICEID id = OpenSong(Smf(1, 480, {conductor, melody}));
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 1500u);  // two quarters at 120, two at 240 bpm
  EXPECT_EQ(Status(id, MCI_STATUS_TIME_FORMAT), DWORD_PTR(MCI_FORMAT_MILLISECONDS));

  MCI_SET_PARMS set{0, MCI_SEQ_FORMAT_SONGPTR, 0};
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 16u);  // four quarters, in sixteenths
  MCI_SEEK_PARMS seek{0, 12};
  ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO, reinterpret_cast<DWORD_PTR>(&seek)), 0u);
  set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 1250u);
  EXPECT_EQ(Status(id, MCI_SEQ_STATUS_TEMPO), 240u);  // beats per minute where it stands

  set.dwTimeFormat = MCI_FORMAT_TMSF;
  EXPECT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            DWORD(MCIERR_BAD_TIME_FORMAT));
}

TEST_F(SequencerPlayback, SmpteSongAndRmidFilePlayToTheirLength) {
  Track t;
  t.NoteOn(0, 0, 60).NoteOff(700, 0, 60).End(50);  // 1 ms ticks at 25 fps x 40
  MCIDEVICEID smpte = OpenSong(Smf(0, std::uint16_t((0xE7 << 8) | 40), {t}), "smpte.mid");
  EXPECT_EQ(Status(smpte, MCI_STATUS_LENGTH), 750u);
  MCI_SET_PARMS set{0, MCI_SEQ_FORMAT_SONGPTR, 0};
  EXPECT_EQ(mciSendCommandA(smpte, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            DWORD(MCIERR_SEQ_DIV_INCOMPATIBLE));

  // Recognised by its content: an RMID file under an extension no device claims.
  MCIDEVICEID rmid = OpenSong(testmedia::Rmid(testmedia::OneSecondSong()), "song.dat");
  EXPECT_EQ(Status(rmid, MCI_STATUS_LENGTH), 1000u);
  ASSERT_EQ(Play(smpte, kWindow), 0u);
  ASSERT_EQ(Play(rmid, kOther), 0u);
  AdvanceVirtualClock(1000);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUCCESSFUL, smpte},
                                              {kOther, MCI_NOTIFY_SUCCESSFUL, rmid}}));
}
