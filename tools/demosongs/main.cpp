// Writes the player's demo media into a folder: four short General MIDI songs of our own
// (named so that they sort before anything else, so the first one is selected and plays at
// once) and one bell sound as .wav and .au for the SOUND filter.
//
//   demosongs FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kDivision = 480;  // ticks per quarter note
constexpr int kDrums = 9;       // the General MIDI percussion channel

struct Event {
  std::uint32_t tick;
  int order;  // at one tick: note-offs, then settings, then note-ons
  Bytes bytes;
};

class Track {
 public:
  void Add(std::uint32_t tick, int order, Bytes bytes) {
    events_.push_back({tick, order, std::move(bytes)});
  }
  void Program(int channel, int program) {
    Add(0, 1, {std::uint8_t(0xC0 | channel), std::uint8_t(program)});
  }
  void Controller(int channel, int number, int value) {
    Add(0, 1, {std::uint8_t(0xB0 | channel), std::uint8_t(number), std::uint8_t(value)});
  }
  void Tempo(int beatsPerMinute) {
    std::uint32_t micros = 60000000u / static_cast<std::uint32_t>(beatsPerMinute);
    Add(0, 1,
        {0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8),
         std::uint8_t(micros)});
  }
  void Name(std::string_view name) {
    Bytes bytes = {0xFF, 0x03, std::uint8_t(name.size())};
    bytes.insert(bytes.end(), name.begin(), name.end());
    Add(0, 1, std::move(bytes));
  }
  void Note(int channel, std::uint32_t start, std::uint32_t length, int key, int velocity) {
    Add(start, 2, {std::uint8_t(0x90 | channel), std::uint8_t(key), std::uint8_t(velocity)});
    Add(start + length, 0, {std::uint8_t(0x80 | channel), std::uint8_t(key), 0});
  }
  // The track chunk: events in time order (stable within a tick), deltas, End of Track.
  Bytes Chunk(std::uint32_t end) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    std::uint32_t now = 0;
    auto delta = [&](std::uint32_t tick) {
      std::uint32_t value = tick - now;
      now = tick;
      std::uint8_t buffer[5];
      int n = 0;
      buffer[n++] = value & 0x7F;
      while (value >>= 7) buffer[n++] = 0x80 | (value & 0x7F);
      while (n > 0) body.push_back(buffer[--n]);
    };
    for (const Event& event : sorted) {
      delta(event.tick);
      body.insert(body.end(), event.bytes.begin(), event.bytes.end());
    }
    delta(std::max(end, now));
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    Bytes chunk = {'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8)
      chunk.push_back(std::uint8_t(body.size() >> shift));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
  }

 private:
  std::vector<Event> events_;
};

Bytes Song(const std::vector<Track>& tracks, std::uint32_t end) {
  Bytes file = {'M',
                'T',
                'h',
                'd',
                0,
                0,
                0,
                6,
                0,
                1,
                0,
                std::uint8_t(tracks.size()),
                std::uint8_t(kDivision >> 8),
                std::uint8_t(kDivision & 0xFF)};
  for (const Track& track : tracks) {
    Bytes chunk = track.Chunk(end);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

// "C4", "F#3", "Bb5": the MIDI key (C4 is 60).
int Key(std::string_view name) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int key = kSteps[name[0] - 'A'];
  std::size_t i = 1;
  if (name[i] == '#') ++key, ++i;
  if (name[i] == 'b') --key, ++i;
  return key + 12 * (name[i] - '0' + 1);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// A line of "KEY:BEATS" words ("R:1" rests) from `start`; returns where it ends.
std::uint32_t Melody(Track& track, int channel, std::uint32_t start, std::string_view line,
                     int velocity, double legato = 0.9) {
  std::uint32_t tick = start;
  for (std::string_view word : Words(line)) {
    std::size_t colon = word.find(':');
    double beats = std::stod(std::string(word.substr(colon + 1)));
    auto length = static_cast<std::uint32_t>(beats * kDivision);
    if (word[0] != 'R')
      track.Note(channel, tick, static_cast<std::uint32_t>(length * legato), Key(word), velocity);
    tick += length;
  }
  return tick;
}

// Every note of a chord ("C4 E4 G4") at once.
void Chord(Track& track, int channel, std::uint32_t start, std::uint32_t length,
           std::string_view notes, int velocity) {
  for (std::string_view note : Words(notes))
    track.Note(channel, start, length, Key(note), velocity);
}

constexpr std::uint32_t Beats(double beats) {
  return static_cast<std::uint32_t>(beats * kDivision);
}

// Piano over strings at 84 beats a minute, ten bars of C major; about 29 seconds.
Bytes Aubade() {
  Track conductor, piano, strings, bass;
  conductor.Name("Aubade");
  conductor.Tempo(84);
  piano.Program(0, 0);
  piano.Controller(0, 7, 127);
  strings.Program(1, 48);
  strings.Controller(1, 7, 90);
  bass.Program(2, 32);
  bass.Controller(2, 7, 120);
  const char* chords[] = {"C4 E4 G4", "A3 C4 E4", "F3 A3 C4", "G3 B3 D4", "C4 E4 G4",
                          "A3 C4 E4", "F3 A3 C4", "G3 B3 D4", "F3 A3 C4", "C4 E4 G4"};
  const char* roots[] = {"C2", "A1", "F1", "G1", "C2", "A1", "F1", "G1", "F1", "C2"};
  const char* tune[] = {"E5:1 G5:1 C6:1.5 B5:0.5", "A5:2 E5:1 C5:1",
                        "F5:1.5 E5:0.5 D5:1 C5:1", "D5:3 G4:1",
                        "E5:1 G5:1 C6:1 E6:1",     "D6:1.5 C6:0.5 A5:2",
                        "C6:1 A5:1 F5:1 A5:1",     "G5:1 F5:1 E5:1 D5:1",
                        "C5:1 F5:1 A5:1 G5:1",     "C5:4"};
  for (int bar = 0; bar < 10; ++bar) {
    std::uint32_t at = Beats(4.0 * bar);
    Chord(strings, 1, at, Beats(4) - 20, chords[bar], 70);
    bass.Note(2, at, Beats(1.8), Key(roots[bar]), 96);
    bass.Note(2, at + Beats(2), Beats(1.8), Key(roots[bar]) + 7, 86);
    Melody(piano, 0, at, tune[bar], 112);
    // The left hand rocks between the chord's lower and upper notes.
    std::vector<std::string_view> notes = Words(chords[bar]);
    for (int eighth = 0; eighth < 8; ++eighth)
      piano.Note(0, at + Beats(0.5 * eighth), Beats(0.45), Key(notes[eighth % 3]), 70);
  }
  return Song({conductor, piano, strings, bass}, Beats(40) + Beats(1));
}

// Nylon guitar, bass and brushes at 128 beats a minute; eight bars twice, about 30 seconds.
Bytes Bossa() {
  Track conductor, guitar, bass, drums, flute;
  conductor.Name("Bossa");
  conductor.Tempo(128);
  guitar.Program(0, 24);
  bass.Program(1, 32);
  flute.Program(2, 73);
  flute.Controller(2, 7, 90);
  const char* chords[] = {"A3 C4 E4 G4", "D3 F#3 A3 C4", "G3 B3 D4 F#4", "C4 E4 G4 B4",
                          "F3 A3 C4 E4", "B2 D3 F3 A3",  "E3 G#3 B3 D4", "A3 C4 E4 G4"};
  const char* roots[] = {"A1", "D2", "G1", "C2", "F1", "B1", "E2", "A1"};
  const char* tune[] = {
      "E5:1.5 D5:0.5 C5:1 A4:1", "F#5:1.5 E5:0.5 D5:2", "D5:1 B4:1 G4:1 A4:1", "B4:3 R:1",
      "C5:1.5 A4:0.5 E5:2",      "D5:1 C5:1 B4:1 A4:1", "G#4:2 B4:1 D5:1",     "C5:3 R:1"};
  const double comp[] = {0, 1.5, 2.5, 3.5};  // where the guitar strikes within a bar
  for (int pass = 0; pass < 2; ++pass) {
    for (int bar = 0; bar < 8; ++bar) {
      std::uint32_t at = Beats(4.0 * (pass * 8 + bar));
      for (double beat : comp) Chord(guitar, 0, at + Beats(beat), Beats(0.8), chords[bar], 64);
      int root = Key(roots[bar]);
      bass.Note(1, at, Beats(1.4), root, 88);
      bass.Note(1, at + Beats(1.5), Beats(0.45), root + 7, 72);
      bass.Note(1, at + Beats(2), Beats(1.4), root + 7, 80);
      bass.Note(1, at + Beats(3.5), Beats(0.45), root, 72);
      for (int eighth = 0; eighth < 8; ++eighth)
        drums.Note(kDrums, at + Beats(0.5 * eighth), Beats(0.2), 42, eighth % 2 ? 40 : 60);
      for (double beat : {0.0, 1.5, 3.0}) drums.Note(kDrums, at + Beats(beat), Beats(0.2), 37, 70);
      drums.Note(kDrums, at, Beats(0.3), 36, 90);
      drums.Note(kDrums, at + Beats(2.5), Beats(0.3), 36, 70);
      if (pass == 1) Melody(flute, 2, at, tune[bar], 84);
    }
  }
  return Song({conductor, guitar, bass, drums, flute}, Beats(64));
}

// A music box waltz at 150 beats a minute in 3/4; sixteen bars, about 20 seconds.
Bytes Carousel() {
  Track conductor, box, low;
  conductor.Name("Carousel");
  conductor.Tempo(150);
  box.Program(0, 10);
  box.Controller(0, 7, 127);
  low.Program(1, 11);
  low.Controller(1, 7, 110);
  const char* chords[] = {"G3 B3 D4", "D3 F#3 A3", "D3 F#3 A3", "G3 B3 D4",
                          "C4 E4 G4", "G3 B3 D4",  "D3 F#3 A3", "G3 B3 D4"};
  const char* roots[] = {"G2", "D2", "D2", "G2", "C3", "G2", "D2", "G2"};
  const char* tune[] = {"D5:1 G5:1 B5:1",  "A5:2 F#5:1",
                        "A5:1 D6:1 C6:1",  "B5:2 G5:1",
                        "E5:1 G5:1 C6:1",  "B5:1 A5:0.5 G5:0.5 D5:1",
                        "F#5:1 A5:1 C6:1", "G5:3"};
  for (int pass = 0; pass < 2; ++pass) {
    for (int bar = 0; bar < 8; ++bar) {
      std::uint32_t at = Beats(3.0 * (pass * 8 + bar));
      low.Note(1, at, Beats(0.9), Key(roots[bar]), 96);
      Chord(low, 1, at + Beats(1), Beats(0.8), chords[bar], 68);
      Chord(low, 1, at + Beats(2), Beats(0.8), chords[bar], 68);
      Melody(box, 0, at, tune[bar], pass == 0 ? 104 : 120);
    }
  }
  return Song({conductor, box, low}, Beats(48) + Beats(2));
}

// A square-wave lead with synth bass and a drum kit at 140 beats a minute; about 14 seconds.
Bytes Ditty() {
  Track conductor, lead, bass, drums;
  conductor.Name("Ditty");
  conductor.Tempo(140);
  lead.Program(0, 80);
  lead.Controller(0, 7, 80);
  bass.Program(1, 38);
  const char* roots[] = {"E2", "E2", "C2", "D2", "E2", "E2", "C2", "B1"};
  const char* tune[] = {"E5:0.5 E5:0.5 R:0.5 G5:0.5 R:0.5 E5:0.5 D5:1",
                        "B4:0.5 D5:0.5 E5:1 R:1 G5:0.5 A5:0.5",
                        "C6:1 B5:0.5 G5:0.5 E5:1 G5:1",
                        "F#5:0.5 G5:0.5 F#5:0.5 D5:0.5 B4:2",
                        "E5:0.5 E5:0.5 R:0.5 G5:0.5 R:0.5 E5:0.5 D5:1",
                        "B4:0.5 D5:0.5 E5:1 R:1 B5:0.5 A5:0.5",
                        "G5:1 E5:0.5 G5:0.5 A5:1 C6:1",
                        "B5:1.5 A5:0.5 G5:1 F#5:1"};
  for (int bar = 0; bar < 8; ++bar) {
    std::uint32_t at = Beats(4.0 * bar);
    Melody(lead, 0, at, tune[bar], 96, 0.8);
    int root = Key(roots[bar]);
    for (int eighth = 0; eighth < 8; ++eighth) {
      bass.Note(1, at + Beats(0.5 * eighth), Beats(0.4), eighth % 4 == 3 ? root + 12 : root, 96);
      drums.Note(kDrums, at + Beats(0.5 * eighth), Beats(0.2), 42, 56);
    }
    for (int beat = 0; beat < 4; ++beat)
      drums.Note(kDrums, at + Beats(beat), Beats(0.25), beat % 2 ? 38 : 36, beat % 2 ? 90 : 100);
  }
  drums.Note(kDrums, Beats(32), Beats(1), 49, 100);
  lead.Note(0, Beats(32), Beats(1), Key("E5"), 100);
  bass.Note(1, Beats(32), Beats(1), Key("E2"), 100);
  return Song({conductor, lead, bass, drums}, Beats(33));
}

// A bell struck once: 22,050 samples a second, 16-bit mono, 1.5 seconds.
std::vector<std::int16_t> Bell() {
  constexpr int kRate = 22050;
  constexpr double kPi = 3.14159265358979323846;
  std::vector<std::int16_t> samples(kRate * 3 / 2);
  const double partials[][3] = {{1.0, 0.6, 1.6}, {2.76, 0.25, 3.0}, {5.4, 0.12, 5.0}};
  for (std::size_t n = 0; n < samples.size(); ++n) {
    double t = static_cast<double>(n) / kRate;
    double value = 0;
    for (const auto& partial : partials)
      value += partial[1] * std::exp(-partial[2] * t) * std::sin(2 * kPi * 880 * partial[0] * t);
    double attack = std::min(1.0, t / 0.005);
    samples[n] = static_cast<std::int16_t>(value * attack * 26000);
  }
  return samples;
}

void PutLittle(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutBig(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

Bytes Wave(const std::vector<std::int16_t>& samples) {
  auto data = static_cast<std::uint32_t>(samples.size() * 2);
  Bytes out = {'R', 'I', 'F', 'F'};
  PutLittle(out, 36 + data, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLittle(out, 16, 4);
  PutLittle(out, 1, 2);  // PCM
  PutLittle(out, 1, 2);  // mono
  PutLittle(out, 22050, 4);
  PutLittle(out, 22050 * 2, 4);
  PutLittle(out, 2, 2);
  PutLittle(out, 16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLittle(out, data, 4);
  for (std::int16_t sample : samples) PutLittle(out, static_cast<std::uint16_t>(sample), 2);
  return out;
}

Bytes Sun(const std::vector<std::int16_t>& samples) {
  Bytes out = {'.', 's', 'n', 'd'};
  PutBig(out, 24);
  PutBig(out, static_cast<std::uint32_t>(samples.size() * 2));
  PutBig(out, 3);  // 16-bit linear PCM
  PutBig(out, 22050);
  PutBig(out, 1);
  for (std::int16_t sample : samples) {
    auto value = static_cast<std::uint16_t>(sample);
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
  }
  return out;
}

bool Write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "demosongs: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demosongs FOLDER\n");
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "demosongs: cannot make %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::vector<std::int16_t> bell = Bell();
  bool written =
      Write(folder / "01_aubade.mid", Aubade()) && Write(folder / "02_bossa.mid", Bossa()) &&
      Write(folder / "03_carousel.mid", Carousel()) && Write(folder / "04_ditty.mid", Ditty()) &&
      Write(folder / "bell.wav", Wave(bell)) && Write(folder / "bell.au", Sun(bell));
  return written ? 0 : 1;
}
