#include <cstdlib>
#include <cstring>
#include <fstream>

#include "mci/driver.h"
#include "platform/testing.h"
#include "tests/platform/mci/mci_fixture.h"

using platform::AdvanceVirtualClock;

namespace {

// A 16-bit PCM wave file of `ms` milliseconds: a square wave at full scale / 4.
testmedia::Bytes Wave(int rate, int channels, int ms) {
  std::uint32_t frames = static_cast<std::uint32_t>(rate) * static_cast<std::uint32_t>(ms) / 1000;
  std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
  testmedia::Bytes out;
  auto le = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  le(36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  le(16, 4);
  le(1, 2);
  le(static_cast<std::uint32_t>(channels), 2);
  le(static_cast<std::uint32_t>(rate), 4);
  le(static_cast<std::uint32_t>(rate * channels * 2), 4);
  le(static_cast<std::uint32_t>(channels * 2), 2);
  le(16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  le(dataBytes, 4);
  for (std::uint32_t i = 0; i < frames * static_cast<std::uint32_t>(channels); ++i)
    le((i / 50) % 2 ? 8192u : std::uint32_t(-8192) & 0xFFFF, 2);
  return out;
}

std::string ErrorText(MCIERROR code) {
  char buffer[256];
  return mciGetErrorStringA(code, buffer, sizeof buffer) ? buffer : "";
}

// A CD drive with three tracks of one minute each, positions in TMSF.
class FakeCdDevice : public platform::mci::Device {
 public:
  MCIERROR Command(UINT message, DWORD_PTR flags, void* parms,
                   platform::mci::CommandContext&) override {
    if (message == MCI_SEEK && (flags & MCI_TO)) {
      position_ = static_cast<MCI_SEEK_PARMS*>(parms)->dwTo;
      return 0;
    }
    if (message != MCI_STATUS) return MCIERR_UNSUPPORTED_FUNCTION;
    auto* status = static_cast<MCI_STATUS_PARMS*>(parms);
    if (status->dwItem == MCI_STATUS_NUMBER_OF_TRACKS)
      status->dwReturn = 3;
    else if (status->dwItem == MCI_STATUS_POSITION && (flags & MCI_TRACK))
      status->dwReturn = MCI_MAKE_TMSF(static_cast<BYTE>(status->dwTrack), 0, 0, 0);
    else if (status->dwItem == MCI_STATUS_POSITION)
      status->dwReturn = position_;
    else
      return MCIERR_UNSUPPORTED_FUNCTION;
    return 0;
  }

 private:
  DWORD position_ = MCI_MAKE_TMSF(1, 0, 0, 0);
};

class FakeCdDriver : public platform::mci::Driver {
 public:
  std::string TypeName() const override { return "cdaudio"; }
  UINT DeviceType() const override { return MCI_DEVTYPE_CD_AUDIO; }
  MCIERROR Open(const platform::mci::OpenRequest& request,
                std::unique_ptr<platform::mci::Device>& device) override {
    if (!request.element.empty()) return MCIERR_NO_ELEMENT_ALLOWED;
    device = std::make_unique<FakeCdDevice>();
    return 0;
  }
};

}  // namespace

using MciCommands = MediaSession;

TEST_F(MciCommands, EveryCommandOnAnUnknownDeviceIdFails) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  ASSERT_EQ(Simple(id, MCI_CLOSE), 0u);
  MCI_STATUS_PARMS block{};  // large enough for every command here
  for (UINT command :
       {MCI_CLOSE, MCI_PLAY, MCI_STOP, MCI_PAUSE, MCI_RESUME, MCI_SEEK, MCI_STATUS, MCI_SET,
        MCI_GETDEVCAPS, MCI_INFO, MCI_WHERE, MCI_WINDOW, MCI_STEP, MCI_RECORD, MCI_CUE})
    for (MCIDEVICEID bad : {MCIDEVICEID(0), id, MCIDEVICEID(4000)})
      EXPECT_EQ(mciSendCommandA(bad, command, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&block)),
                DWORD(MCIERR_INVALID_DEVICE_ID))
          << "command " << command << " device " << bad;
}

TEST_F(MciCommands, OpenRefusesWhatItCannotPlay) {
  MCIDEVICEID id = 0;
  EXPECT_EQ(Open(folder.Path("missing.mid"), id), DWORD(MCIERR_FILE_NOT_FOUND));
  EXPECT_EQ(Open(folder.Write("text.mid", {'h', 'e', 'l', 'l', 'o'}), id),
            DWORD(MCIERR_INVALID_FILE));
  testmedia::Bytes cut = testmedia::OneSecondSong();
  cut.resize(cut.size() - 5);
  EXPECT_EQ(Open(folder.Write("cut.mid", cut), id), DWORD(MCIERR_INVALID_FILE));
  EXPECT_EQ(Open(folder.Write("clip.avi", {'R', 'I', 'F', 'F'}), id),
            DWORD(MCIERR_DEVICE_NOT_INSTALLED));
  EXPECT_EQ(Open(folder.Write("data.xyz", {1, 2, 3}), id), DWORD(MCIERR_EXTENSION_NOT_FOUND));
  EXPECT_EQ(Open(folder.Path("x.mid"), id, "VCR"), DWORD(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(id, 0u);

  MCI_OPEN_PARMSA empty{};
  MCIERROR neither = mciSendCommandA(0, MCI_OPEN, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&empty));
  EXPECT_EQ(neither, DWORD(MCIERR_MISSING_DEVICE_NAME));
  EXPECT_FALSE(ErrorText(neither).empty());
  EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_WAIT, 0), DWORD(MCIERR_NULL_PARAMETER_BLOCK));
}

TEST_F(MciCommands, OpenByTypeNameOrIdAndDeviceIdsAreDistinct) {
  std::string path = folder.Write("song.bin", testmedia::OneSecondSong());
  MCIDEVICEID first = 0, second = 0;
  ASSERT_EQ(Open(path, first, "Sequencer"), 0u);
  MCI_OPEN_PARMSA byId{};
  byId.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(MCI_DEVTYPE_SEQUENCER));
  byId.lpstrElementName = path.c_str();
  ASSERT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT,
                            reinterpret_cast<DWORD_PTR>(&byId)),
            0u);
  second = byId.wDeviceID;
  EXPECT_GE(first, 1u);
  EXPECT_GT(second, first);

  // Elements are Windows names, found through the drive table.
  std::string windowsName =
      platform::HostToWindowsPath(folder.Write("Song.MID", testmedia::OneSecondSong()));
  ASSERT_EQ(windowsName.substr(0, 3), "C:\\");
  MCIDEVICEID third = 0;
  EXPECT_EQ(Open(windowsName, third), 0u);
  EXPECT_EQ(Status(third, MCI_STATUS_LENGTH), 1000u);
}

TEST_F(MciCommands, CapabilitiesInfoAndUnsupportedCommands) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  auto caps = [&](DWORD item) {
    MCI_GETDEVCAPS_PARMS parms{0, 0, item};
    EXPECT_EQ(mciSendCommandA(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT,
                              reinterpret_cast<DWORD_PTR>(&parms)),
              0u);
    return parms.dwReturn;
  };
  EXPECT_EQ(caps(MCI_GETDEVCAPS_CAN_PLAY), DWORD(TRUE));
  EXPECT_EQ(caps(MCI_GETDEVCAPS_CAN_RECORD), DWORD(FALSE));
  EXPECT_EQ(caps(MCI_GETDEVCAPS_CAN_EJECT), DWORD(FALSE));
  EXPECT_EQ(caps(MCI_GETDEVCAPS_HAS_VIDEO), DWORD(FALSE));
  EXPECT_EQ(caps(MCI_GETDEVCAPS_DEVICE_TYPE), DWORD(MCI_DEVTYPE_SEQUENCER));
  EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_READY), DWORD_PTR(TRUE));

  MCI_STATUS_PARMS track{0, 0, MCI_STATUS_LENGTH, 2};
  EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                            reinterpret_cast<DWORD_PTR>(&track)),
            DWORD(MCIERR_OUTOFRANGE));
  track.dwTrack = 1;
  ASSERT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                            reinterpret_cast<DWORD_PTR>(&track)),
            0u);
  EXPECT_EQ(track.dwReturn, 1000u);

  char text[8];
  MCI_INFO_PARMSA info{0, text, sizeof text};
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_INFO_PRODUCT, reinterpret_cast<DWORD_PTR>(&info)),
            DWORD(MCIERR_PARAM_OVERFLOW));
  EXPECT_EQ(std::strlen(text), 7u);  // cut to fit, still terminated

  for (DWORD_PTR doorOrAudio : {DWORD_PTR(MCI_SET_DOOR_OPEN), DWORD_PTR(MCI_SET_AUDIO)}) {
    MCI_SET_PARMS set{};
    EXPECT_EQ(mciSendCommandA(id, MCI_SET, doorOrAudio, reinterpret_cast<DWORD_PTR>(&set)),
              DWORD(MCIERR_UNSUPPORTED_FUNCTION));
  }
  MCI_ANIM_RECT_PARMS where{};
  EXPECT_EQ(mciSendCommandA(id, MCI_WHERE, 0x20000, reinterpret_cast<DWORD_PTR>(&where)),
            DWORD(MCIERR_UNSUPPORTED_FUNCTION));
  EXPECT_EQ(Simple(id, MCI_RECORD), DWORD(MCIERR_UNSUPPORTED_FUNCTION));
  EXPECT_EQ(mciSendCommandA(id, 0x0999, 0, 0), DWORD(MCIERR_UNRECOGNIZED_COMMAND));
  EXPECT_EQ(Simple(id, MCI_RESUME), DWORD(MCIERR_NONAPPLICABLE_FUNCTION));  // not paused
}

TEST_F(MciCommands, SynchronousNotifyingCommandsAnnounceSuccessAtOnce) {
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  MCI_SET_PARMS set{reinterpret_cast<DWORD_PTR>(kOther), MCI_FORMAT_MILLISECONDS, 0};
  ASSERT_EQ(Play(id, kWindow), 0u);
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_NOTIFY,
                            reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUPERSEDED, id},
                                              {kOther, MCI_NOTIFY_SUCCESSFUL, id}}));
  // A failed command announces nothing.
  MCI_SEEK_PARMS seek{reinterpret_cast<DWORD_PTR>(kOther), 5000};
  EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&seek)),
            DWORD(MCIERR_OUTOFRANGE));
  EXPECT_EQ(notes.size(), 2u);
}

TEST_F(MciCommands, ErrorTextsExistForEveryCodeWeReturn) {
  for (MCIERROR code = MCIERR_INVALID_DEVICE_ID; code <= MCIERR_NO_IDENTITY; ++code) {
    bool gap = code == 258 || code == 260 || code == 283 || code == 285 ||
               (code >= 313 && code <= 319) || (code >= 330 && code <= 335) || code == 344 ||
               code == 345;
    EXPECT_EQ(ErrorText(code).empty(), gap) << code;
  }
  char buffer[4] = "abc";
  EXPECT_FALSE(mciGetErrorStringA(0, buffer, sizeof buffer));
  EXPECT_FALSE(mciGetErrorStringA(9999, buffer, sizeof buffer));
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, buffer, sizeof buffer));
  EXPECT_EQ(std::strlen(buffer), 3u);
}

TEST_F(MciCommands, WaveFilePlaysToItsLengthInEveryTimeFormat) {
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(folder.Write("tone.wav", Wave(22050, 1, 500)), id), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 500u);
  MCI_GETDEVCAPS_PARMS caps{0, 0, MCI_GETDEVCAPS_DEVICE_TYPE};
  ASSERT_EQ(
      mciSendCommandA(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&caps)),
      0u);
  EXPECT_EQ(caps.dwReturn, DWORD(MCI_DEVTYPE_WAVEFORM_AUDIO));
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(200);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 200u);
  MCI_SET_PARMS set{0, MCI_FORMAT_SAMPLES, 0};
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 11025u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 4410u);
  set.dwTimeFormat = MCI_FORMAT_BYTES;
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 22050u);
  AdvanceVirtualClock(300);
  EXPECT_EQ(notes, (std::vector<Notification>{{kWindow, MCI_NOTIFY_SUCCESSFUL, id}}));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
}

TEST_F(MciCommands, MissingSoundFontOrAudioOutputFailsTheOpenCleanly) {
  std::string path = folder.Write("song.mid", testmedia::OneSecondSong());
  MCIDEVICEID id = 0;
  setenv("TD_SOUNDFONT", folder.Path("none.sf2").c_str(), 1);
  EXPECT_EQ(Open(path, id), DWORD(MCIERR_SEQ_NOMIDIPRESENT));
  unsetenv("TD_SOUNDFONT");
  platform::audio::Engine::Get().SetOutputSetting("wav:/nonexistent-dir/out.wav");
  EXPECT_EQ(Open(path, id), DWORD(MCIERR_HARDWARE));
  platform::audio::Engine::Get().SetOutputSetting("null");
  EXPECT_EQ(Open(path, id), 0u);
}

TEST_F(MciCommands, WavSinkRecordsAudibleUnclippedSound) {
  std::string out = folder.Path("out.wav");
  platform::audio::Engine::Get().SetOutputSetting("wav:" + out);
  MCIDEVICEID id = OpenSong(testmedia::OneSecondSong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  AdvanceVirtualClock(1200);
  ASSERT_EQ(Simple(id, MCI_CLOSE), 0u);  // the last device closes the file

  std::ifstream in(out, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 44u);
  std::size_t frames = (bytes.size() - 44) / 4;
  EXPECT_EQ(frames, 1200u * 441 / 10);  // exactly the advanced time
  int peak = 0;
  for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
    auto sample =
        static_cast<std::int16_t>(std::uint8_t(bytes[i]) | (std::uint8_t(bytes[i + 1]) << 8));
    peak = std::max(peak, std::abs(int(sample)));
  }
  EXPECT_GT(peak, 1000);   // clearly audible
  EXPECT_LT(peak, 32767);  // and not clipped
}

TEST_F(MciCommands, SourcesAreMixedAndTheMixNeverPassesFullScale) {
  std::string out = folder.Path("mix.wav");
  platform::audio::Engine::Get().SetOutputSetting("wav:" + out);
  std::string tone = folder.Write("tone.wav", Wave(44100, 2, 300));  // a quarter of full scale
  std::vector<MCIDEVICEID> ids(6);
  for (MCIDEVICEID& id : ids) {
    ASSERT_EQ(Open(tone, id), 0u);
    ASSERT_EQ(Play(id, kWindow), 0u);
  }
  AdvanceVirtualClock(100);
  for (MCIDEVICEID id : ids) Simple(id, MCI_CLOSE);

  std::ifstream in(out, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 44u + 4410u * 4);
  int peak = 0;
  for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
    peak = std::max(peak, std::abs(int(static_cast<std::int16_t>(
                              std::uint8_t(bytes[i]) | (std::uint8_t(bytes[i + 1]) << 8)))));
  EXPECT_GT(peak, 30000);  // six quarters summed: the limiter holds them near the ceiling
  EXPECT_LT(peak, 32767);
}

TEST_F(MciCommands, RegisteredFakeDriverReceivesCommands) {
  platform::mci::RegisterDriver(std::make_shared<FakeCdDriver>());
  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = "CDAudio";
  ASSERT_EQ(
      mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)),
      0u);
  EXPECT_EQ(Status(open.wDeviceID, MCI_STATUS_NUMBER_OF_TRACKS), 3u);
  MCI_SEEK_PARMS seek{0, MCI_MAKE_TMSF(3, 0, 0, 0)};
  ASSERT_EQ(mciSendCommandA(open.wDeviceID, MCI_SEEK, MCI_TO | MCI_WAIT,
                            reinterpret_cast<DWORD_PTR>(&seek)),
            0u);
  EXPECT_EQ(MCI_TMSF_TRACK(static_cast<DWORD>(Status(open.wDeviceID, MCI_STATUS_POSITION))), 3);
  platform::mci::UnregisterDriver("cdaudio");
  MCIDEVICEID id = 0;
  EXPECT_EQ(Open("", id, "cdaudio"), DWORD(MCIERR_INVALID_DEVICE_NAME));
}

// What the layers above use: fakes through the public harness, and a device that refuses to
// close stays open until it agrees.
TEST_F(MciCommands, PublicFakeDriversServeTheirTypeAndMayRefuseToClose) {
  struct Vcr : platform::testing::FakeMciDevice {
    explicit Vcr(MCIERROR* refusal) : refusal(refusal) {}
    MCIERROR Command(UINT message, DWORD_PTR, void* parms) override {
      if (message != MCI_STATUS) return MCIERR_UNSUPPORTED_FUNCTION;
      static_cast<MCI_STATUS_PARMS*>(parms)->dwReturn = MCI_MODE_PLAY;
      return 0;
    }
    MCIERROR Close() override { return *refusal; }
    MCIERROR* refusal;
  };
  MCIERROR refusal = MCIERR_HARDWARE;
  platform::testing::RegisterFakeMciDriver("VCR", MCI_DEVTYPE_VCR,
                                           [&](const std::string& element, auto& device) {
                                             if (!element.empty())
                                               return MCIERROR(MCIERR_NO_ELEMENT_ALLOWED);
                                             device = std::make_unique<Vcr>(&refusal);
                                             return MCIERROR(0);
                                           });
  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = "vcr";
  ASSERT_EQ(
      mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)),
      0u);
  EXPECT_EQ(platform::testing::OpenMciDevices(), 1);
  EXPECT_EQ(Simple(open.wDeviceID, MCI_CLOSE), DWORD(MCIERR_HARDWARE));
  EXPECT_EQ(Status(open.wDeviceID, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_PLAY));
  refusal = 0;
  EXPECT_EQ(Simple(open.wDeviceID, MCI_CLOSE), 0u);
  EXPECT_EQ(platform::testing::OpenMciDevices(), 0);
  platform::testing::UnregisterFakeMciDriver("VCR");
  MCIDEVICEID id = 0;
  EXPECT_EQ(Open("", id, "VCR"), DWORD(MCIERR_INVALID_DEVICE_NAME));
}
