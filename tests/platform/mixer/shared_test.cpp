// The mixer's state shared through its file: another process's change reaches this one
// (values and notices), the state outlives the processes, and a damaged file starts afresh.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "mixer/state.h"
#include "tests/platform/mci/midi_builder.h"
#include "tests/platform/mixer/mixer_fixture.h"

using namespace mixertest;

namespace {

constexpr MMRESULT kOk = MMSYSERR_NOERROR;

// Puts an environment variable back as it was when the test ends.
class Variable {
 public:
  explicit Variable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  ~Variable() {
    if (saved_)
      setenv(name_, saved_->c_str(), 1);
    else
      unsetenv(name_);
  }
  void Set(const std::string& value) { setenv(name_, value.c_str(), 1); }
  void Unset() { unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class SharedMixer : public MixerTest {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    state = folder.Path("mixer.state");
    mixerVariable.Set(state);
  }

  struct Child {
    int status = -1;
    std::string out;
  };
  // Runs the program that changes the mixer in another process, on the same state.
  Child Run(const std::string& arguments) {
    std::string command = "TD_MIXER='" + state + "' '" + TD_MIXER_SET + "' " + arguments + " > '" +
                          folder.Path("out.txt") + "' 2>&1";
    int raw = std::system(command.c_str());
    Child child;
    child.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(folder.Path("out.txt"));
    std::getline(in, child.out);
    return child;
  }
  // Pumps until `count` notices came (they come from the watcher thread) or two seconds
  // passed.
  std::vector<Notice> WaitForNotices(std::size_t count) {
    std::vector<Notice> got;
    for (int i = 0; i < 400 && got.size() < count; ++i) {
      std::vector<Notice> more = Delivered();
      got.insert(got.end(), more.begin(), more.end());
      if (got.size() < count) usleep(5000);
    }
    return got;
  }
  void WriteState(const std::string& bytes) {
    std::ofstream(state, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string ReadState() {
    std::ifstream in(state, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  testmedia::ScratchFolder folder;
  Variable mixerVariable{"TD_MIXER"};
  std::string state;
};

TEST_F(SharedMixer, AChangeInAnotherProcessReachesThisOneWithItsNotice) {
  HMIXER mixer = Open(window);
  ASSERT_EQ(platform::mixer::Path(), state);
  Child child = Run("synth 40008000");
  ASSERT_EQ(child.status, 0) << child.out;
  DWORD volume = 0;
  ASSERT_EQ(midiOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0x40008000u);
  EXPECT_EQ(WaitForNotices(1),
            (std::vector<Notice>{{window, MM_MIXM_CONTROL_CHANGE, WPARAM(mixer), kSynthVolume}}));

  // And the other way: what this process set, the other reads.
  ASSERT_EQ(waveOutSetVolume(nullptr, 0x00001234), kOk);
  Delivered();
  child = Run("control 1 1");  // the master's mute
  ASSERT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "result=0 wave=00001234 synth=40008000");
  EXPECT_EQ(WaitForNotices(1),
            (std::vector<Notice>{{window, MM_MIXM_CONTROL_CHANGE, WPARAM(mixer), kMasterMute}}));
  EXPECT_EQ(Value(kMasterMute, 1), 1u);
  // A refusal in the other process changes nothing here.
  child = Run("control 2 10000");
  EXPECT_EQ(child.out, "result=1026 wave=00001234 synth=40008000");
  EXPECT_EQ(Value(kWaveVolume), 0x00001234u);
  mixerClose(mixer);
}

TEST_F(SharedMixer, TheStateOutlivesEveryProcess) {
  ASSERT_EQ(Run("wave 11112222").status, 0);
  ASSERT_EQ(Run("synth 00000000").status, 0);
  // A later process finds what the earlier ones left, and so does this one.
  EXPECT_EQ(Run("control 1 0").out, "result=0 wave=11112222 synth=00000000");
  EXPECT_EQ(Value(kWaveVolume), 0x11112222u);
  // The file is the user's alone.
  struct stat info {};
  ASSERT_EQ(stat(state.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(info.st_size, 64);
}

TEST_F(SharedMixer, AShortOrDamagedFileStartsAtFullVolumeUnmuted) {
  ASSERT_EQ(Run("wave 10001000").status, 0);
  std::string good = ReadState();
  ASSERT_EQ(good.size(), 64u);

  std::string wrongMagic = good;
  wrongMagic[0] = 'X';
  std::string wrongVersion = good;
  wrongVersion[8] = 9;
  std::string badMute = good;
  badMute[36] = 7;  // the master's mute word
  for (const std::string& damaged : {std::string(), good.substr(0, 40), wrongMagic, wrongVersion,
                                     badMute, std::string(64, '\xFF')}) {
    WriteState(damaged);
    EXPECT_EQ(Run("synth 0000FFFF").out, "result=0 wave=FFFFFFFF synth=0000FFFF")
        << "from " << damaged.size() << " bytes";
    std::string rebuilt = ReadState();
    ASSERT_EQ(rebuilt.size(), 64u);
    EXPECT_EQ(rebuilt.substr(0, 8), std::string("TDMIXER\0", 8));
  }
  // An intact file is kept as it is, longer or not.
  WriteState(good + "tail");
  EXPECT_EQ(Run("synth 0000FFFF").out, "result=0 wave=10001000 synth=0000FFFF");
}

TEST_F(SharedMixer, AFileThatCannotBeUsedLeavesTheProcessItsOwnState) {
  mixerVariable.Set(folder.Path(""));  // a folder
  testing::internal::CaptureStderr();
  ASSERT_EQ(waveOutSetVolume(nullptr, 0x5555), kOk);
  DWORD volume = 0;
  ASSERT_EQ(waveOutGetVolume(nullptr, &volume), kOk);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(volume, 0x5555u);
  EXPECT_NE(said.find("cannot be shared"), std::string::npos) << said;
  EXPECT_EQ(platform::mixer::Path(), "");
  // Back on a file that works, the process shares again.
  mixerVariable.Set(state);
  ASSERT_EQ(Run("wave 00000001").status, 0);
  ASSERT_EQ(waveOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 1u);
}

TEST_F(SharedMixer, WithoutTheSettingTheStateLivesInTheUsersRuntimeFolder) {
  std::string file = folder.Path("tunedeck-mixer");
  Variable runtime("XDG_RUNTIME_DIR");
  runtime.Set(file.substr(0, file.rfind('/')));
  mixerVariable.Unset();
  platform::mixer::UsePrivateState(false);
  EXPECT_EQ(platform::mixer::Path(), file);
  ASSERT_EQ(midiOutSetVolume(nullptr, 0x3000), kOk);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // A test session without the setting never touches it.
  platform::testing::StartSession();
  EXPECT_EQ(platform::mixer::Path(), "");
  DWORD volume = 0;
  ASSERT_EQ(midiOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0xFFFFFFFFu);
}

}  // namespace
