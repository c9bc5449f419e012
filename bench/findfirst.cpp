// Listing a 10,000-entry folder with "*.mid": FindFirstFileA/FindNextFileA against a
// bare readdir + fnmatch loop over the same folder, in the same run. The argument is
// the share of entries that match, in percent. FindFirstFile searches the folder again
// as the file list does (the kept listing answers); FindFirstFileCold changes the folder
// before every search, so each one reads the folder and looks at every match afresh.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fnmatch.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/scratch_folders.h"
#include "platform/win32.h"

namespace {

constexpr int kEntries = 10000;

bench::ScratchFolders& TheFolders() {
  static bench::ScratchFolders folders(kEntries, [](int i, int matching) {
    char name[32];
    std::snprintf(name, sizeof name, i < matching ? "song%05d.MID" : "note%05d.txt", i);
    return std::string(name);
  });
  return folders;
}

// One whole search, as the file list makes it: every match with its attributes.
int ListMatches(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  int count = 0;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      ++count;
      benchmark::DoNotOptimize(data.dwFileAttributes);
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  return count;
}

void FindFirstFile(benchmark::State& state) {
  std::string pattern =
      platform::HostToWindowsPath(TheFolders().For(static_cast<int>(state.range(0)))) + "\\*.mid";
  for (auto _ : state) {
    benchmark::DoNotOptimize(ListMatches(pattern));
  }
}

void FindFirstFileCold(benchmark::State& state) {
  const std::string& folder = TheFolders().For(static_cast<int>(state.range(0)));
  std::string pattern = platform::HostToWindowsPath(folder) + "\\*.mid";
  std::string marker = folder + "/marker";
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(marker) << "x";
    std::filesystem::remove(marker);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ListMatches(pattern));
  }
}

void ReaddirFnmatch(benchmark::State& state) {
  const std::string& folder = TheFolders().For(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    int count = 0;
    DIR* directory = opendir(folder.c_str());
    while (dirent* entry = readdir(directory)) {
      if (fnmatch("*.mid", entry->d_name, FNM_CASEFOLD) == 0) ++count;
    }
    closedir(directory);
    benchmark::DoNotOptimize(count);
  }
}

}  // namespace

BENCHMARK(ReaddirFnmatch)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(FindFirstFile)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(FindFirstFileCold)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
