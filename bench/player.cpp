// The player's own costs (Release, -DTD_BENCH=ON; tools/measure-player.sh measures the
// executable from outside):
// - PlayingTheDensestSong: the densest song of openttd-openmsx (most events a second) played
//   on the virtual clock through the null sink, 1024 frames at a time as the SDL output asks
//   for them: the CPU share of one core, and the longest render of one buffer against the
//   23.2 ms that buffer lasts (a render longer than that is an underrun).
// - HundredSongsInSequence: the main window playing 100 songs one after another in Sequence
//   mode on the virtual clock; resident memory after the 5th, 20th, 50th and 100th song.
// - MainWindowToFirstPaint: constructing the main window from its description and
//   painting it, in the process.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "audio/engine.h"
#include "audio/sources.h"
#include "controls/menus.h"
#include "filectrl/filelist.h"
#include "media/mediaplayer.h"
#include "midi/midifile.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/win32.h"

namespace {

namespace fs = std::filesystem;
namespace pt = platform::testing;
using Bytes = std::vector<std::uint8_t>;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Resident memory in MiB, from the kernel's account of this process.
double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string DensestOpenmsxSong(double* eventsPerSecond) {
  std::string densest;
  *eventsPerSecond = 0;
  std::error_code error;
  for (const auto& entry :
       fs::directory_iterator("/usr/share/games/openttd/baseset/openmsx", error)) {
    if (entry.path().extension() != ".mid") continue;
    Bytes bytes = ReadBytes(entry.path());
    platform::midi::Song song;
    if (platform::midi::ReadSong(bytes.data(), bytes.size(), song) !=
            platform::midi::ReadStatus::kOk ||
        song.lengthMicros <= 0)
      continue;
    double rate = static_cast<double>(song.events.size()) / (song.lengthMicros / 1e6);
    if (rate > *eventsPerSecond) {
      *eventsPerSecond = rate;
      densest = entry.path().string();
    }
  }
  return densest;
}

void PlayingTheDensestSong(benchmark::State& state) {
  double rate = 0;
  std::string path = DensestOpenmsxSong(&rate);
  if (path.empty()) {
    state.SkipWithError("openttd-openmsx is not installed");
    return;
  }
  platform::UseVirtualClock(0);
  platform::audio::Engine::Get().SetOutputSetting("null");
  std::vector<double> buffers;
  double songMs = 0;
  double cpuMs = 0;
  for (auto _ : state) {
    MCI_OPEN_PARMSA open{};
    open.lpstrElementName = path.c_str();
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open))) {
      state.SkipWithError("open failed");
      return;
    }
    MCI_STATUS_PARMS length{0, 0, MCI_STATUS_LENGTH, 0};
    mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                    reinterpret_cast<DWORD_PTR>(&length));
    MCI_PLAY_PARMS play{};
    mciSendCommandA(open.wDeviceID, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
    // 1024 frames at 44.1 kHz last 23.2 ms; the clock counts whole milliseconds, so the
    // buffers alternate between 23 and 24 ms.
    double due = 0;
    double played = 0;
    while (played < static_cast<double>(length.dwReturn) + 100) {
      due += 1024.0 * 1000.0 / 44100.0;
      auto step = static_cast<std::uint64_t>(due - played);
      double before = ThreadCpuMs();
      platform::AdvanceVirtualClock(step);
      double spent = ThreadCpuMs() - before;
      buffers.push_back(spent);
      cpuMs += spent;
      played += static_cast<double>(step);
    }
    songMs += static_cast<double>(length.dwReturn);
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
  }
  std::sort(buffers.begin(), buffers.end());
  state.counters["cpu_share_percent"] = 100.0 * cpuMs / songMs;
  state.counters["buffer_max_ms"] = buffers.back();
  state.counters["buffer_p999_ms"] = buffers[buffers.size() * 999 / 1000];
  state.counters["buffer_budget_ms"] = 1024.0 * 1000.0 / 44100.0;
  state.counters["events_per_second"] = rate;
  state.SetLabel(fs::path(path).filename().string() + " with " +
                 fs::path(platform::audio::FindSoundFont()).filename().string());
}
BENCHMARK(PlayingTheDensestSong)->Unit(benchmark::kMillisecond)->Iterations(1);

// A two-second song with a program of its own, a chord and a drum beat.
Bytes ShortSong(int number) {
  auto vlq = [](Bytes& out, std::uint32_t value) {
    std::uint8_t buffer[5];
    int n = 0;
    buffer[n++] = value & 0x7F;
    while (value >>= 7) buffer[n++] = 0x80 | (value & 0x7F);
    while (n) out.push_back(buffer[--n]);
  };
  Bytes track;
  auto event = [&](std::uint32_t delta, Bytes bytes) {
    vlq(track, delta);
    track.insert(track.end(), bytes.begin(), bytes.end());
  };
  event(0, {0xC0, std::uint8_t(number % 100)});
  for (int beat = 0; beat < 4; ++beat) {
    int root = 48 + (number + beat * 5) % 24;
    event(0, {0x99, 36, 100});
    for (int key : {root, root + 4, root + 7}) event(0, {0x90, std::uint8_t(key), 90});
    event(400, {0x89, 36, 0});
    for (int key : {root, root + 4, root + 7}) event(0, {0x80, std::uint8_t(key), 0});
    event(80, {0xB0, 64, 0});
  }
  event(0, {0xFF, 0x2F, 0x00});
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(std::uint8_t(track.size() >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// A drive C: over a scratch folder with `count` songs in C:\songs, the current directory.
fs::path SongFolder(int count) {
  fs::path root = fs::temp_directory_path() / ("tunedeck-bench-player-" + std::to_string(getpid()));
  fs::create_directories(root / "songs");
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "song%03d.mid", i);
    Bytes bytes = ShortSong(i);
    std::ofstream(root / "songs" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  pt::InstallDrives("C=" + root.string());
  SetCurrentDirectoryA("C:\\songs");
  return root;
}

void HundredSongsInSequence(benchmark::State& state) {
  setenv("TD_AUDIO", "null", 1);
  for (auto _ : state) {
    pt::StartSession();
    fs::path root = SongFolder(100);
    auto* form = new TForm1(nullptr);
    form->Show();
    pt::PumpUntilIdle();
    form->Sequence1->Click();
    form->PlaySelected();
    // Each song moves the selection on; count the moves on the 50 ms ticks.
    int played = 0;
    int last = form->FileList->ItemIndex();
    for (int tick = 0; played < 100 && tick < 100 * 3000 / 50; ++tick) {
      pt::AdvanceTime(50);
      int now = form->FileList->ItemIndex();
      if (now == last) continue;
      last = now;
      ++played;
      if (played == 5 || played == 20 || played == 50 || played == 100)
        state.counters["rss_after_" + std::to_string(played) + "_MiB"] = ResidentMiB();
    }
    state.counters["songs_played"] = played;
    delete form;
    pt::EndSession();
    fs::remove_all(root);
  }
}
BENCHMARK(HundredSongsInSequence)->Unit(benchmark::kMillisecond)->Iterations(1);

void MainWindowToFirstPaint(benchmark::State& state) {
  pt::StartSession();
  fs::path root = SongFolder(20);
  for (auto _ : state) {
    auto* form = new TForm1(nullptr);
    form->Show();
    pt::PumpUntilIdle();
    state.PauseTiming();
    delete form;
    pt::PumpUntilIdle();
    state.ResumeTiming();
  }
  pt::EndSession();
  fs::remove_all(root);
}
BENCHMARK(MainWindowToFirstPaint)->Unit(benchmark::kMillisecond);

}  // namespace
