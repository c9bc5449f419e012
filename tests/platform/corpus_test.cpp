// The fuzz corpora (fuzz/corpus) replayed under the sanitizers: every input a fuzzer kept,
// the seeds and any finding added there, goes through the platform's readers again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "gdi/dib.h"
#include "gdi/icons.h"
#include "midi/midifile.h"

namespace {

std::vector<std::vector<std::uint8_t>> Corpus(const char* target) {
  std::vector<std::vector<std::uint8_t>> inputs;
  std::filesystem::path folder = std::filesystem::path(TD_SOURCE_DIR) / "fuzz" / "corpus" / target;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return inputs;
}

}  // namespace

TEST(FuzzCorpus, MidiInputsAreReadAndTheSeedsAreSongs) {
  auto inputs = Corpus("midifile");
  ASSERT_GE(inputs.size(), 5u);
  int songs = 0;
  for (const auto& bytes : inputs) {
    platform::midi::Song song;
    songs += platform::midi::ReadSong(bytes.data(), bytes.size(), song) ==
             platform::midi::ReadStatus::kOk;
  }
  EXPECT_GE(songs, 5);
}

TEST(FuzzCorpus, ImageInputsAreReadAndTheSeedsArePictures) {
  auto inputs = Corpus("image_readers");
  ASSERT_GE(inputs.size(), 4u);
  int pictures = 0;
  for (const auto& bytes : inputs) {
    platform::Surface surface, mask;
    bool monochrome = false;
    pictures += platform::gdi::ReadPackedDib(bytes.data(), bytes.size(), &surface, &monochrome);
    pictures += platform::gdi::ReadIconImage(bytes.data(), bytes.size(), &surface, &mask);
  }
  EXPECT_GE(pictures, 4);
}
