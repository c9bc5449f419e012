// Prints a MIDI file's length in milliseconds as the sequencer reads it.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "midi/midifile.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  platform::midi::Song song;
  auto status = platform::midi::ReadSong(bytes.data(), bytes.size(), song);
  if (status != platform::midi::ReadStatus::kOk) {
    std::fprintf(stderr, "%s: %s\n", argv[1], platform::midi::ReadStatusText(status));
    return 1;
  }
  std::printf("%.3f\n", song.lengthMicros / 1000.0);
  return 0;
}
