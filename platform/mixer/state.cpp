#include "mixer/state.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>

#include "settings/settings.h"

namespace platform::mixer {
namespace {

constexpr char kMagic[8] = {'T', 'D', 'M', 'I', 'X', 'E', 'R', '\0'};
constexpr std::uint32_t kVersion = 1;

// The file, as it is mapped. Every word after the header is read and written atomically.
struct Layout {
  char magic[8];
  std::uint32_t version;
  std::uint32_t size;     // sizeof(Layout)
  std::uint32_t changes;  // bumped after every change: the futex word
  std::uint32_t epoch;    // bumped when the whole state is replaced
  std::uint32_t volume[kLines];
  std::uint32_t mute[kLines];  // 0 or 1
  std::uint32_t reserved[4];   // 0
};
static_assert(sizeof(Layout) == 64);

std::atomic_ref<std::uint32_t> Word(std::uint32_t& word) { return std::atomic_ref(word); }

void Wake(Layout* layout) {
  syscall(SYS_futex, &layout->changes, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

void Changed(Layout* layout) {
  Word(layout->changes).fetch_add(1, std::memory_order_acq_rel);
  Wake(layout);
}

bool Valid(Layout* layout) {
  if (std::memcmp(layout->magic, kMagic, sizeof kMagic) != 0) return false;
  if (layout->version != kVersion || layout->size != sizeof(Layout)) return false;
  for (std::uint32_t& mute : layout->mute)
    if (Word(mute).load() > 1) return false;
  for (std::uint32_t word : layout->reserved)
    if (word != 0) return false;
  return true;
}

// Writes a fresh state over whatever the mapping holds; the counters go on from their
// values, so that whoever sleeps on the old count wakes.
void Fill(Layout* layout) {
  for (int line = 0; line < kLines; ++line) {
    Word(layout->volume[line]).store(kFullVolume);
    Word(layout->mute[line]).store(0);
  }
  for (std::uint32_t& word : layout->reserved) word = 0;
  layout->version = kVersion;
  layout->size = sizeof(Layout);
  std::memcpy(layout->magic, kMagic, sizeof kMagic);
  Word(layout->epoch).fetch_add(1);
  Changed(layout);
}

Layout* MapPrivate() {
  void* memory =
      mmap(nullptr, sizeof(Layout), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    // Without even an anonymous page the process keeps the state in its own memory.
    static Layout fallback{};
    memory = &fallback;
  }
  auto* layout = static_cast<Layout*>(memory);
  Fill(layout);
  return layout;
}

// A folder only this user may enter: made when missing, refused when it belongs to someone
// else or is not a plain folder (a link planted in /tmp, say).
bool OwnFolder(const std::string& folder, std::string& error) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
    error = "not a folder of this user";
    return false;
  }
  if ((info.st_mode & 077) != 0) chmod(folder.c_str(), 0700);
  return true;
}

std::string DefaultPath(std::string& error) {
  if (std::optional<std::string> runtime = settings::RuntimeFolder()) {
    struct stat info {};
    if (stat(runtime->c_str(), &info) == 0 && S_ISDIR(info.st_mode))
      return *runtime + "/tunedeck-mixer";
  }
  std::string folder = "/tmp/tunedeck-" + std::to_string(geteuid());
  if (!OwnFolder(folder, error)) {
    error = folder + ": " + error;
    return "";
  }
  return folder + "/mixer";
}

// Opens and maps the file, starting it afresh when it is missing, short or damaged. Null
// (with a reason) when the file cannot be used.
Layout* MapFile(const std::string& path, std::string& error) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  Layout* layout = nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
  } else if (flock(fd, LOCK_EX) != 0) {
    error = std::strerror(errno);
  } else {
    bool whole = true;
    bool shortFile = info.st_size < static_cast<off_t>(sizeof(Layout));
    if (shortFile && ftruncate(fd, sizeof(Layout)) != 0) {
      error = std::strerror(errno);
      whole = false;
    }
    void* memory = whole ? mmap(nullptr, sizeof(Layout), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                         : MAP_FAILED;
    if (memory == MAP_FAILED) {
      if (whole) error = std::strerror(errno);
    } else {
      layout = static_cast<Layout*>(memory);
      if (shortFile || !Valid(layout)) Fill(layout);
    }
    flock(fd, LOCK_UN);
  }
  close(fd);
  return layout;
}

struct Current {
  std::mutex lock;  // the GUI side's switches
  bool attached = false;
  bool privateWanted = false;
  std::string path;    // of the mapping in use; empty for a private one
  std::string failed;  // the last file that could not be used
  std::atomic<std::uint32_t> switches{0};
  std::set<std::string> complained;
};

Current& State() {
  static auto* current = new Current();  // lives to the end of the process
  return *current;
}

// The mapping the render and the waiters read. Mappings that were replaced are never
// unmapped: a render or a waiter may still be reading one.
std::atomic<Layout*> mapped{nullptr};

Layout* Use() {
  Layout* layout = mapped.load(std::memory_order_acquire);
  if (layout) return layout;
  Attach();
  return mapped.load(std::memory_order_acquire);
}

}  // namespace

bool Attach() {
  Current& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  std::string error;
  std::string path;
  if (std::optional<std::string> setting = settings::Read(settings::Setting::kMixer))
    path = *setting;
  else if (!state.privateWanted)
    path = DefaultPath(error);
  if (state.attached && path == state.path && error.empty()) return false;
  // A file that failed is not tried again at every call while the setting names it.
  if (state.attached && state.path.empty() && path == state.failed) return false;

  Layout* layout = path.empty() ? nullptr : MapFile(path, error);
  if (!layout && !error.empty()) {
    state.failed = path;
    std::string what = path.empty() ? "the mixer state" : "the mixer state " + path;
    if (state.complained.insert(path).second)
      std::fprintf(stderr, "%s cannot be shared (%s); this program keeps its own\n", what.c_str(),
                   error.c_str());
    // Falling back to a private state again and again would lose its values each time.
    if (state.attached && state.path.empty()) return false;
  }
  if (!layout) {
    layout = MapPrivate();
    path.clear();
  }
  Layout* old = mapped.exchange(layout, std::memory_order_acq_rel);
  state.path = path;
  state.attached = true;
  state.switches.fetch_add(1);
  // Whoever sleeps on the old state wakes and finds the new one.
  if (old) Changed(old);
  return true;
}

Snapshot Read() {
  Layout* layout = Use();
  Snapshot snapshot;
  snapshot.epoch = (std::uint64_t{State().switches.load()} << 32) | Word(layout->epoch).load();
  for (int line = 0; line < kLines; ++line) {
    snapshot.volume[line] = Word(layout->volume[line]).load(std::memory_order_acquire);
    snapshot.mute[line] = Word(layout->mute[line]).load(std::memory_order_acquire) != 0;
  }
  return snapshot;
}

bool SetVolume(Line line, std::uint32_t volume) {
  Layout* layout = Use();
  if (Word(layout->volume[static_cast<int>(line)]).exchange(volume) == volume) return false;
  Changed(layout);
  return true;
}

bool SetMute(Line line, bool mute) {
  Layout* layout = Use();
  std::uint32_t value = mute ? 1 : 0;
  if (Word(layout->mute[static_cast<int>(line)]).exchange(value) == value) return false;
  Changed(layout);
  return true;
}

void Reset() { Fill(Use()); }

void UsePrivateState(bool on) {
  Current& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.privateWanted = on;
}

std::string Path() {
  Attach();
  Current& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.path;
}

Mark Changes() {
  Layout* layout = Use();
  return {layout, Word(layout->changes).load(std::memory_order_acquire)};
}

void WaitForChange(const Mark& mark) {
  auto* layout = static_cast<Layout*>(const_cast<void*>(mark.state));
  if (!layout) return;
  syscall(SYS_futex, &layout->changes, FUTEX_WAIT, mark.changes, nullptr, nullptr, 0);
}

Gain LineGain(Line line) {
  Layout* layout = mapped.load(std::memory_order_acquire);
  if (!layout) return {};
  int index = static_cast<int>(line);
  if (Word(layout->mute[index]).load(std::memory_order_relaxed) != 0) return {0.0f, 0.0f};
  std::uint32_t volume = Word(layout->volume[index]).load(std::memory_order_relaxed);
  constexpr float kScale = 1.0f / 65535.0f;
  return {static_cast<float>(volume & 0xFFFF) * kScale, static_cast<float>(volume >> 16) * kScale};
}

}  // namespace platform::mixer
