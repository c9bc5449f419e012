// Media speed: opening a large MIDI file, and rendering a whole song through our
// scheduler against FluidSynth's own file player with the same SoundFont and settings.
// Song: TD_BENCH_SONG, else a song of the openttd-openmsx package, else a generated one.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/engine.h"
#include "audio/sources.h"
#include "midi/midifile.h"
#include "platform/clock.h"
#include "platform/win32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

// A format 1 file of 16 busy tracks with running status, about `bytes` long.
Bytes LargeSong(std::size_t bytes) {
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 16, 0x01, 0xE0};
  for (int track = 0; track < 16; ++track) {
    Bytes body;
    body.insert(body.end(), {0x00, std::uint8_t(0xC0 | track), std::uint8_t(track * 5)});
    body.insert(body.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    body.insert(body.end(), {0x00, std::uint8_t(0x90 | track), 60, 100});
    std::uint32_t i = 0;
    while (body.size() < bytes / 16) {
      std::uint8_t key = std::uint8_t(36 + (i * 7 + track) % 48);
      body.insert(body.end(), {std::uint8_t(i % 3 == 0 ? 0x10 : 0x00), key, 90});
      body.insert(body.end(), {0x30, key, 0});
      ++i;
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string BenchSong() {
  if (const char* env = std::getenv("TD_BENCH_SONG")) return env;
  const char* real = "/usr/share/games/openttd/baseset/openmsx/keep_on_rolling.mid";
  if (std::filesystem::exists(real)) return real;
  return WriteTemp("tunedeck-bench-song.mid", LargeSong(64 << 10));
}

void OpenLargeMidiFile(benchmark::State& state) {
  std::string path = WriteTemp("tunedeck-bench-1mb.mid", LargeSong(1 << 20));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    platform::midi::Song song;
    if (platform::midi::ReadSong(bytes.data(), bytes.size(), song) !=
        platform::midi::ReadStatus::kOk)
      state.SkipWithError("not read");
    benchmark::DoNotOptimize(song.lengthMicros);
  }
  state.SetLabel(std::to_string(std::filesystem::file_size(path)) + " bytes");
}
BENCHMARK(OpenLargeMidiFile)->Unit(benchmark::kMillisecond);

// Our path: MCI open and play on the null sink, the virtual clock moved to the end at once.
void RenderSongThroughSequencer(benchmark::State& state) {
  std::string path = BenchSong();
  platform::UseVirtualClock(0);
  platform::audio::Engine::Get().SetOutputSetting("null");
  for (auto _ : state) {
    MCI_OPEN_PARMSA open{};
    open.lpstrElementName = path.c_str();
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open))) {
      state.SkipWithError("open failed");
      break;
    }
    MCI_STATUS_PARMS length{0, 0, MCI_STATUS_LENGTH, 0};
    mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                    reinterpret_cast<DWORD_PTR>(&length));
    MCI_PLAY_PARMS play{};
    mciSendCommandA(open.wDeviceID, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
    platform::AdvanceVirtualClock(length.dwReturn + 1);
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
  }
}
BENCHMARK(RenderSongThroughSequencer)->Unit(benchmark::kMillisecond)->Iterations(3);

// Changing songs once the SoundFont is loaded: open (read, parse, a new synthesizer that
// borrows the loaded font) and close.
void OpenSongAfterTheFirst(benchmark::State& state) {
  std::string path = BenchSong();
  platform::UseVirtualClock(0);
  platform::audio::Engine::Get().SetOutputSetting("null");
  auto openAndClose = [&path]() {
    MCI_OPEN_PARMSA open{};
    open.lpstrElementName = path.c_str();
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)))
      return false;
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
    return true;
  };
  if (!openAndClose()) state.SkipWithError("open failed");
  for (auto _ : state) openAndClose();
}
BENCHMARK(OpenSongAfterTheFirst)->Unit(benchmark::kMillisecond);

// The reference: FluidSynth's file player, same rate, gain, threading and SoundFont.
void RenderSongThroughFluidPlayer(benchmark::State& state) {
  std::string path = BenchSong();
  std::string font = platform::audio::FindSoundFont();
  std::vector<float> buffer(1024 * 2);
  for (auto _ : state) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", platform::audio::kPreferredRate);
    fluid_settings_setnum(settings, "synth.gain", platform::audio::kSynthGain);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, font.c_str(), 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, path.c_str());
    fluid_player_play(player);
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING)
      fluid_synth_write_float(synth, 1024, buffer.data(), 0, 2, buffer.data(), 1, 2);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
}
BENCHMARK(RenderSongThroughFluidPlayer)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
