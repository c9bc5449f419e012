// waveaudio: wave, au and the other PCM files libsndfile reads, decoded at open and
// played through the engine.
#include <sndfile.h>

#include <cstring>
#include <filesystem>

#include "audio/sources.h"
#include "mci/drivers.h"
#include "mci/stream_device.h"

namespace platform::mci {
namespace {

// Decoded sound is held in memory; beyond this many samples a file is refused.
constexpr sf_count_t kMaxSamples = sf_count_t(64) << 20;

int BytesPerFrame(const SF_INFO& info) {
  switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
      return info.channels;
    case SF_FORMAT_PCM_16:
      return 2 * info.channels;
    case SF_FORMAT_PCM_24:
      return 3 * info.channels;
    case SF_FORMAT_DOUBLE:
      return 8 * info.channels;
    default:
      return 4 * info.channels;
  }
}

class WaveDevice : public StreamDevice {
 public:
  WaveDevice(std::string element, int source, std::shared_ptr<const audio::Pcm> pcm,
             int bytesPerFrame, std::int64_t lengthFrames)
      : StreamDevice(std::move(element), source, lengthFrames,
                     static_cast<DWORD>(pcm->frames * 1000 / pcm->rate)),
        pcm_(std::move(pcm)),
        bytesPerFrame_(bytesPerFrame) {}

 protected:
  bool FormatSupported(DWORD format) const override {
    return format == MCI_FORMAT_MILLISECONDS || format == MCI_FORMAT_SAMPLES ||
           format == MCI_FORMAT_BYTES;
  }
  // Samples and bytes count in the file's own rate and format.
  bool ToFrames(DWORD value, std::int64_t& frames) const override {
    std::int64_t fileFrames;
    if (TimeFormat() == MCI_FORMAT_SAMPLES)
      fileFrames = value;
    else if (TimeFormat() == MCI_FORMAT_BYTES)
      fileFrames = value / bytesPerFrame_;
    else
      return StreamDevice::ToFrames(value, frames);
    frames = fileFrames >= pcm_->frames ? LengthFrames() + (fileFrames > pcm_->frames)
                                        : fileFrames * Rate() / pcm_->rate;
    return true;
  }
  DWORD FromFrames(std::int64_t frames) const override {
    std::int64_t fileFrames =
        frames >= LengthFrames() ? pcm_->frames : frames * pcm_->rate / Rate();
    if (TimeFormat() == MCI_FORMAT_SAMPLES) return static_cast<DWORD>(fileFrames);
    if (TimeFormat() == MCI_FORMAT_BYTES) return static_cast<DWORD>(fileFrames * bytesPerFrame_);
    return StreamDevice::FromFrames(frames);
  }
  UINT DeviceType() const override { return MCI_DEVTYPE_WAVEFORM_AUDIO; }
  std::string Product() const override { return "Tunedeck Wave Audio"; }

 private:
  std::shared_ptr<const audio::Pcm> pcm_;
  int bytesPerFrame_;
};

class WaveAudioDriver : public Driver {
 public:
  std::string TypeName() const override { return "waveaudio"; }
  UINT DeviceType() const override { return MCI_DEVTYPE_WAVEFORM_AUDIO; }
  std::vector<std::string> Extensions() const override {
    return {"wav", "au", "snd", "aif", "aiff"};
  }
  bool Recognises(const std::vector<unsigned char>& head) const override {
    if (head.size() >= 4 && std::memcmp(head.data(), ".snd", 4) == 0) return true;
    return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "WAVE", 4) == 0;
  }

  MCIERROR Open(const OpenRequest& request, std::unique_ptr<Device>& device) override {
    if (request.element.empty()) return MCIERR_FILENAME_REQUIRED;
    std::error_code ec;
    if (!std::filesystem::exists(request.hostPath, ec)) return MCIERR_FILE_NOT_FOUND;
    if (!std::filesystem::is_regular_file(request.hostPath, ec)) return MCIERR_FILE_READ;
    SF_INFO info{};
    SNDFILE* file = sf_open(request.hostPath.c_str(), SFM_READ, &info);
    if (!file) return MCIERR_INVALID_FILE;
    auto pcm = std::make_shared<audio::Pcm>();
    pcm->rate = info.samplerate;
    pcm->channels = info.channels;
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0 ||
        info.frames > kMaxSamples / info.channels) {
      sf_close(file);
      return MCIERR_INVALID_FILE;
    }
    pcm->samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    pcm->frames = sf_readf_float(file, pcm->samples.data(), info.frames);
    sf_close(file);
    pcm->samples.resize(static_cast<std::size_t>(pcm->frames * info.channels));

    audio::Engine& engine = audio::Engine::Get();
    std::string error;
    if (!engine.Acquire(error)) return MCIERR_HARDWARE;
    int rate = engine.SampleRate();
    std::int64_t lengthFrames = audio::ConvertedFrames(*pcm, rate);
    int id = engine.AddSource(audio::CreatePcmSource(pcm, rate), mixer::Line::kWave);
    if (!id) {
      engine.Release();
      return MCIERR_OUT_OF_MEMORY;  // every slot of the engine is taken
    }
    device = std::make_unique<WaveDevice>(request.element, id, std::move(pcm), BytesPerFrame(info),
                                          lengthFrames);
    return 0;
  }
};

// Video is recognised so that opening a video file says what is wrong.
class AviVideoDriver : public Driver {
 public:
  std::string TypeName() const override { return "avivideo"; }
  UINT DeviceType() const override { return MCI_DEVTYPE_DIGITAL_VIDEO; }
  std::vector<std::string> Extensions() const override { return {"avi"}; }
  bool Recognises(const std::vector<unsigned char>& head) const override {
    return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "AVI ", 4) == 0;
  }
  MCIERROR Open(const OpenRequest&, std::unique_ptr<Device>&) override {
    return MCIERR_DEVICE_NOT_INSTALLED;
  }
};

}  // namespace

std::shared_ptr<Driver> MakeWaveAudioDriver() { return std::make_shared<WaveAudioDriver>(); }
std::shared_ptr<Driver> MakeAviVideoDriver() { return std::make_shared<AviVideoDriver>(); }

}  // namespace platform::mci
