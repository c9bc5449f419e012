// Listings of recently searched folders, kept while inotify reports no change in them.
// The browsing controls read the same folder again and again (one search per mask
// piece, a reread on every mask or type change); a kept listing answers those without
// reading the folder or looking at its entries again.
#pragma once
#include "private.h"
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::kernel {

// One reading of a folder. Entries are looked at (stat) only when a search returns
// them; a listing in use by a search stays whole even when the cache drops it.
class Listing {
 public:
  // Takes the folder's descriptor, which entries are looked up from.
  Listing(int folder, dev_t device, ino_t inode)
      : folder_(folder), device_(device), inode_(inode) {}
  ~Listing();
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

  // Host names of the folder, "." and ".." left out.
  void Add(const char* name) { names_.emplace_back(name); }
  std::size_t Size() const { return names_.size(); }
  const std::string& Name(std::size_t index) const { return names_[index]; }
  // The entry's information, looked up on first need; false when it vanished.
  bool Look(std::size_t index, struct stat& info);
  dev_t Device() const { return device_; }
  ino_t Inode() const { return inode_; }

 private:
  enum State : std::uint8_t { kUnseen, kSeen, kGone, kChangeable };

  std::mutex mutex_;
  int folder_;
  dev_t device_;
  ino_t inode_;
  std::vector<std::string> names_;
  std::vector<State> states_;             // made on the first look
  std::unique_ptr<struct stat[]> infos_;  // filled entry by entry, as looked at
};

// The current listing of a host folder: kept or read afresh. nullptr with errno set
// when the folder cannot be read.
std::shared_ptr<Listing> ListFolder(const std::string& folder);

}  // namespace platform::kernel
