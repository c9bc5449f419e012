#include "kernel/dircache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>

namespace platform::kernel {
namespace {

// Everything that changes a folder's names or an entry's information. Reading (access)
// is left out: it would fire for every listing, and access times may lag.
constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::size_t kKeptFolders = 8;

// A watched folder and its listing; the listing is dropped when the folder changes,
// the watch stays (setting one up costs a walk over every entry of the folder).
struct Kept {
  std::string folder;
  int watch;
  dev_t device;
  ino_t inode;
  std::shared_ptr<Listing> listing;
};

class Cache {
 public:
  Cache() : notify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

  std::shared_ptr<Listing> List(const std::string& folder) {
    struct stat self;
    if (stat(folder.c_str(), &self) != 0) return nullptr;
    if (!S_ISDIR(self.st_mode)) {
      errno = ENOTDIR;
      return nullptr;
    }
    std::lock_guard lock(mutex_);
    Drain();
    auto it = kept_.begin();
    while (it != kept_.end() && it->folder != folder) ++it;
    // The same path may name another folder now (a parent was renamed).
    if (it != kept_.end() && (it->device != self.st_dev || it->inode != self.st_ino)) {
      Forget(it);
      it = kept_.end();
    }
    if (it != kept_.end()) {
      kept_.splice(kept_.begin(), kept_, it);
      if (it->listing == nullptr) it->listing = Read(folder, self);
      return it->listing;
    }
    // Watch first, then read: a change during the reading is reported afterwards.
    int watch = notify_ >= 0 ? inotify_add_watch(notify_, folder.c_str(), kWatchMask) : -1;
    auto listing = Read(folder, self);
    if (watch < 0) return listing;
    kept_.push_front({folder, watch, self.st_dev, self.st_ino, listing});
    if (kept_.size() > kKeptFolders) Forget(std::prev(kept_.end()));
    return listing;
  }

 private:
  static std::shared_ptr<Listing> Read(const std::string& folder, const struct stat& self) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int readFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR* directory = readFd >= 0 ? fdopendir(readFd) : nullptr;
    if (directory == nullptr) {
      int saved = errno;
      if (readFd >= 0) close(readFd);
      close(fd);
      errno = saved;
      return nullptr;
    }
    auto listing = std::make_shared<Listing>(fd, self.st_dev, self.st_ino);
    while (dirent* entry = readdir(directory)) {
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      listing->Add(name);
    }
    closedir(directory);
    return listing;
  }

  // Drops the listing of every folder that reported a change. Lock held.
  void Drain() {
    if (notify_ < 0) return;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      ssize_t length = read(notify_, buffer, sizeof buffer);
      if (length <= 0) return;
      for (ssize_t offset = 0; offset < length;) {
        auto* event = reinterpret_cast<inotify_event*>(buffer + offset);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        bool all = (event->mask & IN_Q_OVERFLOW) != 0;
        for (auto it = kept_.begin(); it != kept_.end();) {
          auto next = std::next(it);
          if (all || it->watch == event->wd) {
            // A folder that went away (or a watch the system dropped) is forgotten.
            if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) != 0) {
              Forget(it);
            } else {
              it->listing.reset();
            }
          }
          it = next;
        }
      }
    }
  }

  void Forget(std::list<Kept>::iterator it) {
    int watch = it->watch;
    kept_.erase(it);
    for (const Kept& kept : kept_) {
      if (kept.watch == watch) return;
    }
    inotify_rm_watch(notify_, watch);
  }

  std::mutex mutex_;
  int notify_;
  std::list<Kept> kept_;
};

Cache& TheCache() {
  static auto* cache = new Cache;
  return *cache;
}

}  // namespace

Listing::~Listing() { close(folder_); }

bool Listing::Look(std::size_t index, struct stat& info) {
  std::lock_guard lock(mutex_);
  if (states_.empty()) {
    states_.assign(names_.size(), kUnseen);
    infos_.reset(new struct stat[names_.size()]);
  }
  State& state = states_[index];
  struct stat& kept = infos_[index];
  // Links and files with several names can change without a word to this folder's
  // watch: they are looked at every time.
  if (state == kUnseen || state == kChangeable) {
    const char* name = names_[index].c_str();
    state = kSeen;
    if (fstatat(folder_, name, &kept, AT_SYMLINK_NOFOLLOW) != 0) {
      state = kGone;
    } else if (S_ISLNK(kept.st_mode)) {
      state = kChangeable;
      struct stat target;
      if (fstatat(folder_, name, &target, 0) == 0) kept = target;
    } else if (S_ISREG(kept.st_mode) && kept.st_nlink > 1) {
      state = kChangeable;
    }
  }
  info = kept;
  return state != kGone;
}

std::shared_ptr<Listing> ListFolder(const std::string& folder) { return TheCache().List(folder); }

}  // namespace platform::kernel
