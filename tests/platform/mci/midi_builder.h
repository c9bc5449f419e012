// Builds Standard MIDI Files in memory and writes test media to a scratch folder.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testmedia {

using Bytes = std::vector<std::uint8_t>;

class Track {
 public:
  Track& Delta(std::uint32_t ticks) {
    std::uint8_t buffer[5];
    int n = 0;
    buffer[n++] = ticks & 0x7F;
    while (ticks >>= 7) buffer[n++] = 0x80 | (ticks & 0x7F);
    while (n) bytes.push_back(buffer[--n]);
    return *this;
  }
  Track& Raw(Bytes data) {
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
  }
  Track& NoteOn(std::uint32_t delta, int channel, int key, int velocity = 100) {
    return Delta(delta).Raw(
        {std::uint8_t(0x90 | channel), std::uint8_t(key), std::uint8_t(velocity)});
  }
  Track& NoteOff(std::uint32_t delta, int channel, int key) {
    return Delta(delta).Raw({std::uint8_t(0x80 | channel), std::uint8_t(key), 0});
  }
  Track& Controller(std::uint32_t delta, int channel, int number, int value) {
    return Delta(delta).Raw(
        {std::uint8_t(0xB0 | channel), std::uint8_t(number), std::uint8_t(value)});
  }
  Track& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
    return Delta(delta).Raw({0xFF, 0x51, 0x03, std::uint8_t(microsPerQuarter >> 16),
                             std::uint8_t(microsPerQuarter >> 8), std::uint8_t(microsPerQuarter)});
  }
  Track& End(std::uint32_t delta) { return Delta(delta).Raw({0xFF, 0x2F, 0x00}); }
  Bytes bytes;
};

inline void Put32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

inline Bytes Smf(int format, std::uint16_t division, const std::vector<Track>& tracks) {
  Bytes out = {'M',
               'T',
               'h',
               'd',
               0,
               0,
               0,
               6,
               0,
               std::uint8_t(format),
               0,
               std::uint8_t(tracks.size()),
               std::uint8_t(division >> 8),
               std::uint8_t(division)};
  for (const Track& t : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(out, static_cast<std::uint32_t>(t.bytes.size()));
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
  }
  return out;
}

inline Bytes Rmid(const Bytes& smf) {
  auto le = [](Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  Bytes out = {'R', 'I', 'F', 'F'};
  std::uint32_t padded = static_cast<std::uint32_t>(smf.size() + (smf.size() & 1));
  le(out, 4 + 8 + padded);
  out.insert(out.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
  le(out, static_cast<std::uint32_t>(smf.size()));
  out.insert(out.end(), smf.begin(), smf.end());
  if (smf.size() & 1) out.push_back(0);
  return out;
}

// A one-second song at 120 bpm (480 ticks per quarter): a held C major chord.
inline Bytes OneSecondSong() {
  Track t;
  t.NoteOn(0, 0, 60).NoteOn(0, 0, 64).NoteOn(0, 0, 67);
  t.NoteOff(960, 0, 60).NoteOff(0, 0, 64).NoteOff(0, 0, 67).End(0);
  return Smf(0, 480, {t});
}

// A folder removed with its contents when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tunedeck-media-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::string path = (path_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace testmedia
