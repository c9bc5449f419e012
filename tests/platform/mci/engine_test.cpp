#include <atomic>
#include <chrono>
#include <thread>

#include "audio/sources.h"
#include "tests/platform/mci/mci_fixture.h"

using platform::audio::Engine;
using testmedia::Smf;
using testmedia::Track;

namespace {

// Two seconds on two channels with what a song sends besides notes: programs, controllers,
// the sustain pedal, pitch bends, a General MIDI reset and a tempo change.
testmedia::Bytes BusySong() {
  Track t;
  t.Raw({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  t.Delta(0).Raw({0xC0, 19}).Delta(0).Raw({0xC1, 33});
  t.Controller(0, 0, 7, 100).Controller(0, 0, 64, 127);
  for (int i = 0; i < 8; ++i) {
    t.NoteOn(i == 0 ? 0 : 60, 0, 48 + i).NoteOn(0, 1, 36 + i);
    t.Delta(30).Raw({0xE0, 0x00, static_cast<std::uint8_t>(0x40 + i)});
    t.NoteOff(30, 1, 36 + i);
  }
  t.Tempo(0, 400000).Controller(0, 0, 64, 0);
  for (int i = 0; i < 8; ++i) t.NoteOff(i == 0 ? 0 : 10, 0, 48 + i);
  t.End(240);
  return Smf(0, 480, {t});
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));

thread_local bool counting = false;
std::atomic<int> allocations{0};
std::atomic<int> frees{0};

void CountAllocation(const volatile void*, std::size_t) {
  if (counting) ++allocations;
}
void CountFree(const volatile void*) {
  if (counting) ++frees;
}

bool CountHeapUse() {
  static const bool installed =
      __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountFree);
  return installed;
}
#endif

}  // namespace

using AudioEngine = MediaSession;

TEST_F(AudioEngine, RenderingASongNeitherAllocatesNorFrees) {
#if !defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "heap use is counted through the sanitizer's allocator hooks";
#else
  ASSERT_TRUE(CountHeapUse());
  MCIDEVICEID id = OpenSong(BusySong());
  ASSERT_EQ(Play(id, kWindow), 0u);
  // The render is driven here, as an output's thread drives it; the virtual clock stands.
  std::vector<float> buffer(1024 * 2);
  auto render = [&](int blocks) {
    allocations = 0;
    frees = 0;
    counting = true;
    for (int i = 0; i < blocks; ++i) Engine::Get().Render(buffer.data(), 1024, 256);
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(frees.load(), 0);
  };
  render(30);  // the start, the reset, the programs, the first notes
  EXPECT_EQ(Simple(id, MCI_PAUSE), 0u);
  render(3);  // silencing everything
  MCI_SEEK_PARMS seek{0, 700};
  ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek)),
            0u);
  ASSERT_EQ(Play(id, kWindow), 0u);
  render(120);  // the chase to 0.7 s, the rest of the song, its end
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
  // The end is told off the render path, to the window of the play still pending.
  EXPECT_TRUE(std::find(notes.begin(), notes.end(),
                        Notification{kWindow, MCI_NOTIFY_SUCCESSFUL, id}) == notes.end());
  Engine::Get().DeliverEndings();
  EXPECT_TRUE(std::find(notes.begin(), notes.end(),
                        Notification{kWindow, MCI_NOTIFY_SUCCESSFUL, id}) != notes.end());
#endif
}

TEST_F(AudioEngine, OneOutputAndOneSoundFontServeSongAfterSong) {
  std::string path = folder.Write("song.mid", testmedia::OneSecondSong());
  MCIDEVICEID first = 0;
  ASSERT_EQ(Open(path, first), 0u);
  Simple(first, MCI_CLOSE);
  int openings = Engine::Get().OutputOpenings();
  int loads = platform::audio::SoundFontLoads();
  for (int song = 0; song < 100; ++song) {
    MCIDEVICEID id = 0;
    ASSERT_EQ(Open(path, id), 0u);
    ASSERT_EQ(Play(id, kWindow), 0u);
    platform::AdvanceVirtualClock(1000);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_STOP));
    EXPECT_EQ(Simple(id, MCI_CLOSE), 0u);
  }
  EXPECT_EQ(Engine::Get().OutputOpenings(), openings);
  EXPECT_EQ(platform::audio::SoundFontLoads(), loads);
  EXPECT_EQ(Engine::Get().LiveSources(), 0);
  EXPECT_EQ(std::count(notes.begin(), notes.end(),
                       Notification{kWindow, MCI_NOTIFY_SUCCESSFUL, notes.back().device}),
            1);
  EXPECT_EQ(notes.size(), 100u);
}

namespace {

// A source that remembers the thread it was destroyed on.
class Probe : public platform::audio::Source {
 public:
  explicit Probe(std::thread::id* destroyedOn) : destroyedOn_(destroyedOn) {}
  ~Probe() override { *destroyedOn_ = std::this_thread::get_id(); }
  void Render(float*, int, int) override {}
  void Apply(const platform::audio::Command&) override {}
  void Report(platform::audio::SourceReport&) override {}
  bool TakeEnding(std::uint64_t*) override { return false; }

 private:
  std::thread::id* destroyedOn_;
};

}  // namespace

TEST_F(AudioEngine, SourcesAreDestroyedOnTheGuiThreadNeverByTheRender) {
  Engine& engine = Engine::Get();
  std::string error;
  ASSERT_TRUE(engine.Acquire(error)) << error;
  std::thread::id destroyedOn;
  int id = engine.AddSource(std::make_unique<Probe>(&destroyedOn), platform::mixer::Line::kWave);
  ASSERT_NE(id, 0);
  platform::audio::Command remove;
  remove.kind = platform::audio::Command::Kind::kRemove;
  remove.source = id;
  engine.Send(remove);
  std::thread output([&engine] {
    std::vector<float> buffer(64);
    engine.Render(buffer.data(), 32, 0);
  });
  output.join();
  EXPECT_EQ(destroyedOn, std::thread::id());
  engine.Collect();
  EXPECT_EQ(destroyedOn, std::this_thread::get_id());
  engine.Release();
}

// The null output keeps real time on a thread of its own and the virtual clock on the
// thread that moves it. A spell of virtual time, however short, must neither rush the real
// time rendering (the gap between the two clocks rendered at once) nor freeze it (waiting
// for real time to catch up with the virtual).
TEST_F(AudioEngine, RealTimeRenderingIsUntouchedByASpellOfVirtualTime) {
  using std::chrono::steady_clock;
  platform::UseRealClock();
  Track t;
  t.NoteOn(0, 0, 60).NoteOff(57600, 0, 60).End(0);  // a minute
  MCIDEVICEID id = OpenSong(Smf(0, 480, {t}));
  ASSERT_EQ(Play(id, kWindow), 0u);
  auto spell = [](std::uint64_t start) {
    platform::UseVirtualClock(start);
    platform::AdvanceVirtualClock(1);
    platform::UseRealClock();
  };
  auto advancesBy = [&](DWORD ms) {
    DWORD from = static_cast<DWORD>(Status(id, MCI_STATUS_POSITION));
    auto deadline = steady_clock::now() + std::chrono::seconds(10);
    while (Status(id, MCI_STATUS_POSITION) < from + ms && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return Status(id, MCI_STATUS_POSITION) >= from + ms;
  };
  ASSERT_TRUE(advancesBy(20));

  DWORD before = static_cast<DWORD>(Status(id, MCI_STATUS_POSITION));
  auto start = steady_clock::now();
  spell(0);
  EXPECT_TRUE(advancesBy(20));
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - start);
  // Rendering may lag the clock by a turn of the output's thread, never run ahead of it.
  EXPECT_LT(Status(id, MCI_STATUS_POSITION) - before, DWORD(elapsed.count()) + 2000);

  spell(std::uint64_t{1} << 40);
  EXPECT_TRUE(advancesBy(20));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), DWORD_PTR(MCI_MODE_PLAY));
}
