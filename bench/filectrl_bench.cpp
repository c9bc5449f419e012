// From setting a file list's Directory on a folder of 10,000 files to a populated, sorted
// list, with the main window's mask "*.mid;*.rmi", against a bare readdir + fnmatch +
// sort of the same folder in the same run. The argument is the share of files that
// match, in percent. Warm: the platform still keeps the folder's listing from the last
// reading. Cold: the folder changed since, so the platform reads it afresh.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fnmatch.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/scratch_folders.h"
#include "filectrl/filelist.h"
#include "forms/form.h"
#include "platform/testing.h"

namespace {

constexpr int kEntries = 10000;

// One folder per share of matching files (half of them .mid, half .RMI), made on first use
// and removed at exit.
bench::ScratchFolders& TheFolders() {
  static bench::ScratchFolders folders(kEntries, [](int i, int matching) {
    // Created in an order unrelated to the sorted one.
    const int n = i * 7919 % kEntries;
    char name[32];
    if (n < matching)
      std::snprintf(name, sizeof name, n % 2 == 0 ? "song%05d.mid" : "Song%05d.RMI", n);
    else
      std::snprintf(name, sizeof name, "note%05d.txt", n);
    return std::string(name);
  });
  return folders;
}

struct Session {
  Session() {
    platform::testing::StartSession();
    form = TForm::CreateNew(nullptr);
    form->SetBoundsRect(RECT{0, 0, 400, 300});
    form->Show();
    list = new TFileListBox(form);
    list->SetBoundsRect(RECT{120, 0, 265, 209});
    list->SetParent(form);
    list->SetItemHeight(16);
    list->SetMask("*.mid;*.rmi");
    empty = (std::filesystem::temp_directory_path() / "td-bench-empty-XXXXXX").string();
    if (mkdtemp(empty.data()) == nullptr) std::abort();
    list->SetDirectory(platform::HostToWindowsPath(empty));
    list->Handle();
    platform::testing::PumpUntilIdle();
  }
  ~Session() { std::filesystem::remove(empty); }
  TForm* form;
  TFileListBox* list;
  std::string empty;
};

Session& TheSession() {
  static Session session;
  return session;
}

void FileListDirectory(benchmark::State& state, bool cold) {
  Session& s = TheSession();
  const std::string& folder = TheFolders().For(static_cast<int>(state.range(0)));
  const std::string directory = platform::HostToWindowsPath(folder);
  const std::string between = platform::HostToWindowsPath(s.empty);
  s.list->SetDirectory(directory);  // the first reading fills the platform's listing
  for (auto _ : state) {
    state.PauseTiming();
    s.list->SetDirectory(between);
    if (cold) {
      std::ofstream(folder + "/marker") << "x";
      std::filesystem::remove(folder + "/marker");
    }
    state.ResumeTiming();
    s.list->SetDirectory(directory);
    benchmark::DoNotOptimize(s.list->Items()->Count());
  }
  state.counters["entries"] = s.list->Items()->Count();
}

void FileListWarm(benchmark::State& state) { FileListDirectory(state, false); }
void FileListCold(benchmark::State& state) { FileListDirectory(state, true); }

// The bare reading; with `look`, each match's attributes are also read (fstatat), as
// anything that tells read-only or hidden files apart must do once.
void BareReading(benchmark::State& state, bool look) {
  const std::string& folder = TheFolders().For(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> names;
    DIR* directory = opendir(folder.c_str());
    while (dirent* entry = readdir(directory)) {
      if (fnmatch("*.mid", entry->d_name, FNM_CASEFOLD) == 0 ||
          fnmatch("*.rmi", entry->d_name, FNM_CASEFOLD) == 0) {
        names.emplace_back(entry->d_name);
        if (look) {
          struct stat info;
          benchmark::DoNotOptimize(fstatat(dirfd(directory), entry->d_name, &info, 0));
        }
      }
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    benchmark::DoNotOptimize(names.data());
  }
}

void ReaddirFnmatchSort(benchmark::State& state) { BareReading(state, false); }
void ReaddirFnmatchFstatatSort(benchmark::State& state) { BareReading(state, true); }

}  // namespace

BENCHMARK(ReaddirFnmatchSort)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(ReaddirFnmatchFstatatSort)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(FileListWarm)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(FileListCold)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
