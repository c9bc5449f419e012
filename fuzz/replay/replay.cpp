// Replays a fuzz target's corpus without the fuzzer: every file of the folder given goes
// through the target's entry point whole, and cut to half its length and to its first 64
// bytes, so each kept input and finding is a regression test under the sanitizers (which
// end the run at the first fault). ctest runs one replay a target (tests/CMakeLists.txt).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  int inputs = 0;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    for (std::size_t size :
         {bytes.size(), bytes.size() / 2, std::min<std::size_t>(bytes.size(), 64)}) {
      LLVMFuzzerTestOneInput(bytes.data(), size);
      ++inputs;
    }
  }
  std::printf("%s: %zu files\n%d passed, 0 failed\n", argv[1], files.size(), inputs);
  return files.empty() ? 1 : 0;
}
