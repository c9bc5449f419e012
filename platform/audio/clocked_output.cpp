#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/outputs.h"
#include "platform/clock.h"

namespace platform::audio {
namespace {

constexpr int kChunkFrames = 1024;

// Renders the frames between two clock readings. Frame n is due at n * 1000 / rate ms,
// so a span [from, to) of milliseconds is the frames from Due(from) to Due(to): spans
// that follow one another add up to exactly the frames of the whole time.
class ClockedOutput : public Output {
 public:
  ClockedOutput(Engine& engine, std::string path) : engine_(engine), path_(std::move(path)) {}
  ~ClockedOutput() override { Close(); }

  bool Open(std::string& error) override {
    if (!path_.empty()) {
      SF_INFO info{};
      info.samplerate = kPreferredRate;
      info.channels = kChannels;
      info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
      file_ = sf_open(path_.c_str(), SFM_WRITE, &info);
      if (!file_) {
        error = sf_strerror(nullptr);
        return false;
      }
      // Floats beyond full scale clip instead of wrapping around.
      sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    buffer_.resize(static_cast<std::size_t>(kChunkFrames) * kChannels);
    WithRealTime([this](std::uint64_t now, std::uint64_t) { renderedTo_ = now; });
    listener_ =
        AddClockListener([this](std::uint64_t from, std::uint64_t to) { OnVirtual(from, to); });
    running_ = true;
    pacer_ = std::thread([this] { Pace(); });
    return true;
  }

  void Close() override {
    if (!running_) return;
    running_ = false;
    pacer_.join();
    RemoveClockListener(listener_);
    if (file_) sf_close(file_);
    file_ = nullptr;
  }

  int SampleRate() const override { return kPreferredRate; }
  int LatencyFrames() const override { return 0; }
  bool RealTime() const override { return false; }
  // A file is finished when its last device closes.
  bool ClosesWhenIdle() const override { return !path_.empty(); }

  void Settle() override {
    std::lock_guard<std::mutex> guard(renderLock_);
    engine_.Render(buffer_.data(), 0, 0);
    engine_.DeliverEndings();
  }

 private:
  static std::uint64_t Due(std::uint64_t ms) { return ms * kPreferredRate / 1000; }

  void OnVirtual(std::uint64_t from, std::uint64_t to) {
    std::lock_guard<std::mutex> guard(renderLock_);
    RenderFrames(Due(to) - Due(from));
  }

  // Real time: wakes every few milliseconds and renders what the clock says is due. The
  // two time lines never mix: the clock cannot turn virtual while a real span renders,
  // and real time that passed while it was virtual is not rendered afterwards.
  void Pace() {
    while (running_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      WithRealTime([this](std::uint64_t now, std::uint64_t resumed) {
        std::lock_guard<std::mutex> guard(renderLock_);
        std::uint64_t from = std::max(renderedTo_, resumed);
        if (now <= from) return;
        RenderFrames(Due(now) - Due(from));
        renderedTo_ = now;
      });
    }
  }

  void RenderFrames(std::uint64_t frames) {
    while (frames > 0) {
      int n = static_cast<int>(std::min<std::uint64_t>(frames, kChunkFrames));
      // Nothing may unwind into the pacing thread or the clock: a failed render is silence.
      try {
        engine_.Render(buffer_.data(), n, 0);
      } catch (...) {
        std::fill(buffer_.begin(), buffer_.end(), 0.0f);
      }
      if (file_) sf_writef_float(file_, buffer_.data(), n);
      frames -= static_cast<std::uint64_t>(n);
    }
    // Not a real-time thread: the ends of plays are told here, at once, so that the
    // virtual clock stays deterministic.
    engine_.DeliverEndings();
  }

  Engine& engine_;
  std::string path_;
  SNDFILE* file_ = nullptr;
  std::mutex renderLock_;
  std::vector<float> buffer_;
  std::uint64_t renderedTo_ = 0;  // real time rendered so far (the pacing thread's)
  int listener_ = 0;
  std::atomic<bool> running_{false};
  std::thread pacer_;
};

}  // namespace

std::unique_ptr<Output> MakeClockedOutput(Engine& engine, std::string wavPath) {
  return std::make_unique<ClockedOutput>(engine, std::move(wavPath));
}

}  // namespace platform::audio
