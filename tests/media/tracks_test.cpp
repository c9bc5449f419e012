// The player on a fake CD drive of three tracks (positions in TMSF): the track rules of
// Next and Previous, the capabilities read at open, and devices that refuse to close.
#include <memory>

#include "tests/media/media_fixture.h"
#include "tests/support/messages.h"

namespace {

struct CdState {
  DWORD position = MCI_MAKE_TMSF(1, 0, 0, 0);
  DWORD format = MCI_FORMAT_MILLISECONDS;
  bool playing = false;
  MCIERROR refuseClose = 0;
  struct Sent {
    UINT message;
    DWORD_PTR flags;
    DWORD value;  // the seek's target or the play's start
  };
  std::vector<Sent> sent;
  int Count(UINT message) const {
    int n = 0;
    for (const Sent& s : sent) n += s.message == message ? 1 : 0;
    return n;
  }
};

class FakeCd : public pt::FakeMciDevice {
 public:
  explicit FakeCd(std::shared_ptr<CdState> state) : state_(std::move(state)) {}

  MCIERROR Command(UINT message, DWORD_PTR flags, void* parms) override {
    CdState& cd = *state_;
    switch (message) {
      case MCI_STATUS:
        return Status(flags, *static_cast<MCI_STATUS_PARMS*>(parms));
      case MCI_GETDEVCAPS: {
        auto* caps = static_cast<MCI_GETDEVCAPS_PARMS*>(parms);
        caps->dwReturn =
            caps->dwItem == MCI_GETDEVCAPS_DEVICE_TYPE ? MCI_DEVTYPE_CD_AUDIO
            : caps->dwItem == MCI_GETDEVCAPS_CAN_PLAY || caps->dwItem == MCI_GETDEVCAPS_CAN_EJECT
                ? TRUE
                : FALSE;
        return 0;
      }
      case MCI_SET:
        if (flags & MCI_SET_TIME_FORMAT)
          cd.format = static_cast<MCI_SET_PARMS*>(parms)->dwTimeFormat;
        cd.sent.push_back({message, flags, 0});
        return 0;
      case MCI_SEEK: {
        DWORD to = static_cast<MCI_SEEK_PARMS*>(parms)->dwTo;
        if (flags & MCI_TO) cd.position = to;
        cd.playing = false;
        cd.sent.push_back({message, flags, to});
        return 0;
      }
      case MCI_PLAY: {
        DWORD from = static_cast<MCI_PLAY_PARMS*>(parms)->dwFrom;
        if (flags & MCI_FROM) cd.position = from;
        cd.playing = true;
        cd.sent.push_back({message, flags, from});
        return 0;
      }
      default:
        cd.sent.push_back({message, flags, 0});
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
  }
  MCIERROR Close() override { return state_->refuseClose; }

 private:
  MCIERROR Status(DWORD_PTR flags, MCI_STATUS_PARMS& status) {
    const CdState& cd = *state_;
    switch (status.dwItem) {
      case MCI_STATUS_NUMBER_OF_TRACKS:
        status.dwReturn = 3;
        return 0;
      case MCI_STATUS_POSITION:
        if (!(flags & MCI_TRACK)) {
          status.dwReturn = cd.position;
          return 0;
        }
        if (status.dwTrack < 1 || status.dwTrack > 3) return MCIERR_OUTOFRANGE;
        status.dwReturn = MCI_MAKE_TMSF(static_cast<BYTE>(status.dwTrack), 0, 0, 0);
        return 0;
      case MCI_STATUS_LENGTH:
        status.dwReturn = MCI_MAKE_MSF(3, 0, 0);
        return 0;
      case MCI_STATUS_MODE:
        status.dwReturn = cd.playing ? MCI_MODE_PLAY : MCI_MODE_STOP;
        return 0;
      case MCI_STATUS_TIME_FORMAT:
        status.dwReturn = cd.format;
        return 0;
      default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
  }
  std::shared_ptr<CdState> state_;
};

class MediaPlayerTracks : public MediaPlayerTest {
 protected:
  void SetUp() override {
    MediaPlayerTest::SetUp();
    pt::RegisterFakeMciDriver("CDAudio", MCI_DEVTYPE_CD_AUDIO,
                              [this](const std::string&, std::unique_ptr<pt::FakeMciDevice>& d) {
                                if (openError != 0) return openError;
                                d = std::make_unique<FakeCd>(cd);
                                return MCIERROR(0);
                              });
    player->SetDeviceType(dtCDAudio);
  }
  void TearDown() override {
    cd->refuseClose = 0;
    MediaPlayerTest::TearDown();
    pt::UnregisterFakeMciDriver("CDAudio");
  }
  // Sends Next or Previous from a position and gives the seek's target.
  DWORD SeekFrom(DWORD position, void (TMediaPlayer::*operation)()) {
    cd->position = position;
    cd->sent.clear();
    TMediaPlayer* target = player;  // g++ 12 with the sanitizers mis-evaluates player->*operation
    (target->*operation)();
    EXPECT_EQ(cd->Count(MCI_SEEK), 1);
    EXPECT_EQ(cd->sent.back().flags, DWORD_PTR(MCI_TO | MCI_WAIT));
    return cd->sent.back().value;
  }

  std::shared_ptr<CdState> cd = std::make_shared<CdState>();
  MCIERROR openError = 0;
};

TEST_F(MediaPlayerTracks, OpenReadsTheCapabilitiesAndCountsInTracks) {
  player->Open();
  EXPECT_EQ(player->TimeFormat(), MCI_FORMAT_TMSF);
  EXPECT_EQ(player->Tracks(), 3);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev, btEject}));
  cd->sent.clear();
  player->Step();  // no video: nothing is sent
  player->Back();
  EXPECT_TRUE(cd->sent.empty());
  player->Eject();
  ASSERT_EQ(cd->sent.size(), 1u);
  EXPECT_EQ(cd->sent[0].message, UINT(MCI_SET));
  EXPECT_EQ(cd->sent[0].flags, DWORD_PTR(MCI_SET_DOOR_OPEN | MCI_WAIT));
}

TEST_F(MediaPlayerTracks, NextAndPreviousGoByTrackStarts) {
  player->Open();
  using P = TMediaPlayer;
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(1, 0, 20, 0), &P::Next), MCI_MAKE_TMSF(2, 0, 0, 0));
  // The last track: its own start.
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(3, 0, 30, 0), &P::Next), MCI_MAKE_TMSF(3, 0, 0, 0));
  // Within the first second of track 3: track 2; later in it: the start of track 3.
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(3, 0, 0, 40), &P::Previous), MCI_MAKE_TMSF(2, 0, 0, 0));
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(3, 0, 5, 0), &P::Previous), MCI_MAKE_TMSF(3, 0, 0, 0));
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(3, 1, 0, 0), &P::Previous), MCI_MAKE_TMSF(3, 0, 0, 0));
  // Track 1 always goes to its own start.
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(1, 0, 0, 10), &P::Previous), MCI_MAKE_TMSF(1, 0, 0, 0));
  EXPECT_EQ(SeekFrom(MCI_MAKE_TMSF(1, 2, 0, 0), &P::Previous), MCI_MAKE_TMSF(1, 0, 0, 0));
}

TEST_F(MediaPlayerTracks, WhilePlayingNextPlaysOnFromTheNextTrackOnce) {
  player->Open();
  player->Play();
  cd->position = MCI_MAKE_TMSF(1, 0, 20, 0);
  cd->sent.clear();
  player->Next();
  ASSERT_EQ(cd->sent.size(), 1u);
  EXPECT_EQ(cd->sent[0].message, UINT(MCI_PLAY));
  EXPECT_EQ(cd->sent[0].flags, DWORD_PTR(MCI_NOTIFY | MCI_FROM));
  EXPECT_EQ(cd->sent[0].value, MCI_MAKE_TMSF(2, 0, 0, 0));
  player->Play();  // the start was used once
  EXPECT_EQ(cd->sent.back().flags, DWORD_PTR(MCI_NOTIFY));
}

TEST_F(MediaPlayerTracks, WithoutTracksNextAndPreviousGoToTheEnds) {
  player->Open();
  player->SetTimeFormat(MCI_FORMAT_MILLISECONDS);
  cd->sent.clear();
  player->Next();
  player->Previous();
  ASSERT_EQ(cd->sent.size(), 2u);
  EXPECT_EQ(cd->sent[0].flags, DWORD_PTR(MCI_SEEK_TO_END | MCI_WAIT));
  EXPECT_EQ(cd->sent[1].flags, DWORD_PTR(MCI_SEEK_TO_START | MCI_WAIT));
}

TEST_F(MediaPlayerTracks, ADeviceThatRefusesToCloseIsKeptAndNotOrphaned) {
  player->Open();
  WORD id = player->DeviceID();
  cd->refuseClose = MCIERR_HARDWARE;
  player->SetDeviceType(dtAutoSelect);
  player->SetFileName(folder.Write("song.mid", testmedia::OneSecondSong()));
  char text[256];
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_HARDWARE, text, sizeof text));
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Open(); }), text);
  EXPECT_EQ(player->DeviceID(), id);
  EXPECT_EQ(pt::OpenMciDevices(), 1);
  player->Close();  // still refused: still open
  EXPECT_EQ(player->DeviceID(), id);

  cd->refuseClose = 0;
  player->Open();
  EXPECT_NE(player->DeviceID(), id);
  EXPECT_EQ(player->Length(), 1000);
  EXPECT_EQ(pt::OpenMciDevices(), 1);
}

TEST_F(MediaPlayerTracks, ADeviceClosedBehindThePlayersBackIsForgotten) {
  player->Open();
  MCI_GENERIC_PARMS block{};
  ASSERT_EQ(
      mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&block)),
      0u);
  player->SetDeviceType(dtAutoSelect);
  player->SetFileName(folder.Write("song.mid", testmedia::OneSecondSong()));
  player->Open();
  EXPECT_EQ(player->Length(), 1000);
}

TEST_F(MediaPlayerTracks, ACodeWithoutPlatformTextIsAnUnknownError) {
  openError = 0x4321;
  EXPECT_EQ(MessageOf<EMCIDeviceError>([&] { player->Open(); }), "Unknown error code");
  EXPECT_EQ(player->Error(), 0x4321);
  EXPECT_EQ(player->ErrorMessage(), "Unknown error code");
}

}  // namespace
