// Folders of many small files for the listing benchmarks: one folder per share of
// matching entries, made on first use and removed at exit.
#pragma once
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace bench {

class ScratchFolders {
 public:
  // name(i, matching) is the name of the i-th of `entries` files, `matching` of which
  // should match the benchmark's pattern.
  ScratchFolders(int entries, std::function<std::string(int i, int matching)> name)
      : entries_(entries), name_(std::move(name)) {}
  ~ScratchFolders() {
    std::error_code ignored;
    for (auto& [share, folder] : folders_) std::filesystem::remove_all(folder, ignored);
  }
  const std::string& For(int share) {
    auto it = folders_.find(share);
    if (it != folders_.end()) return it->second;
    std::string folder = (std::filesystem::temp_directory_path() / "td-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    const int matching = entries_ * share / 100;
    for (int i = 0; i < entries_; ++i) std::ofstream(folder + "/" + name_(i, matching)) << "x";
    return folders_[share] = folder;
  }

 private:
  int entries_;
  std::function<std::string(int, int)> name_;
  std::map<int, std::string> folders_;
};

}  // namespace bench
