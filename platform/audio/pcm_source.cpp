#include <algorithm>

#include "audio/sources.h"

namespace platform::audio {
namespace {

class PcmSource : public TransportSource {
 public:
  PcmSource(std::shared_ptr<const Pcm> pcm, int rate)
      : TransportSource(ConvertedFrames(*pcm, rate)),
        pcm_(std::move(pcm)),
        step_(double(pcm_->rate) / rate) {}

 protected:
  void Produce(float* mix, std::int64_t start, int frames) override {
    const Pcm& pcm = *pcm_;
    int right = pcm.channels > 1 ? 1 : 0;
    for (int i = 0; i < frames; ++i) {
      double at = double(start + i) * step_;
      auto index = static_cast<std::int64_t>(at);
      if (index >= pcm.frames) break;
      auto nextIndex = std::min(index + 1, pcm.frames - 1);
      float weight = static_cast<float>(at - double(index));
      const float* a = &pcm.samples[static_cast<std::size_t>(index * pcm.channels)];
      const float* b = &pcm.samples[static_cast<std::size_t>(nextIndex * pcm.channels)];
      mix[2 * i] += a[0] + (b[0] - a[0]) * weight;
      mix[2 * i + 1] += a[right] + (b[right] - a[right]) * weight;
    }
  }
  void Locate(std::int64_t) override {}
  void Silence() override {}

 private:
  std::shared_ptr<const Pcm> pcm_;
  double step_;
};

}  // namespace

std::int64_t ConvertedFrames(const Pcm& pcm, int rate) {
  if (pcm.rate <= 0) return 0;
  return pcm.frames * rate / pcm.rate;
}

std::unique_ptr<TransportSource> CreatePcmSource(std::shared_ptr<const Pcm> pcm, int rate) {
  return std::make_unique<PcmSource>(std::move(pcm), rate);
}

}  // namespace platform::audio
