#include <SDL.h>

#include <cstring>

#include "audio/outputs.h"

namespace platform::audio {
namespace {

class SdlOutput : public Output {
 public:
  explicit SdlOutput(Engine& engine) : engine_(engine) {}
  ~SdlOutput() override { Close(); }

  bool Open(std::string& error) override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      error = SDL_GetError();
      return false;
    }
    SDL_AudioSpec want{};
    want.freq = kPreferredRate;
    want.format = AUDIO_F32SYS;
    want.channels = kChannels;
    want.samples = 1024;
    want.callback = &SdlOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
      error = SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    rate_ = have.freq;
    latency_ = have.samples;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Close() override {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);  // waits for a running callback to return
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  int SampleRate() const override { return rate_; }
  int LatencyFrames() const override { return latency_; }
  bool RealTime() const override { return true; }

 private:
  static void Callback(void* userdata, Uint8* stream, int bytes) {
    auto* self = static_cast<SdlOutput*>(userdata);
    int frames = bytes / static_cast<int>(sizeof(float) * kChannels);
    // Nothing may unwind into SDL's thread: a failed render plays silence.
    try {
      self->engine_.Render(reinterpret_cast<float*>(stream), frames, self->latency_);
    } catch (...) {
      std::memset(stream, 0, static_cast<std::size_t>(bytes));
    }
  }

  Engine& engine_;
  SDL_AudioDeviceID device_ = 0;
  int rate_ = kPreferredRate;
  int latency_ = 0;
};

}  // namespace

std::unique_ptr<Output> MakeSdlOutput(Engine& engine) {
  return std::make_unique<SdlOutput>(engine);
}

}  // namespace platform::audio
