// The backend without a display: waiting is a condition variable (or the idle hook of the
// test harness or the script), input comes only from them, and presenting does nothing.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "backend/backend.h"

namespace platform::backend {
namespace {

class Headless final : public Backend {
 public:
  explicit Headless(std::function<bool()> idle) : idle_(std::move(idle)) {}
  const char* Name() const override { return "headless"; }
  bool ShowsScreen() const override { return false; }

  void Wait(int timeoutMs) override {
    if (idle_ && timeoutMs != 0 && idle_()) return;
    std::unique_lock<std::mutex> guard(lock_);
    sleeping_.store(true);
    auto woken = [this] { return pending_.load(); };
    if (timeoutMs < 0) {
      wake_.wait(guard, woken);
    } else {
      wake_.wait_for(guard, std::chrono::milliseconds(timeoutMs), woken);
    }
    sleeping_.store(false);
    pending_.store(false);
  }

  void Poll() override {}

  void Wake() override {
    // Cheap when nobody sleeps: the sleeper sets `sleeping_` before testing `pending_`, so
    // one of the two sides always sees the other.
    pending_.store(true);
    if (sleeping_.load()) {
      std::lock_guard<std::mutex> guard(lock_);
      wake_.notify_all();
    }
  }

  void Present(const Surface&, const std::vector<RECT>&, HCURSOR) override {}

 private:
  std::function<bool()> idle_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::atomic<bool> sleeping_{false};
  std::atomic<bool> pending_{false};
};

}  // namespace

std::unique_ptr<Backend> CreateHeadless(std::function<bool()> idle) {
  return std::make_unique<Headless>(std::move(idle));
}

}  // namespace platform::backend
