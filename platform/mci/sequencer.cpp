// The MIDI sequencer: Standard MIDI Files (and RMID) played by FluidSynth in the engine.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "audio/sources.h"
#include "mci/drivers.h"
#include "mci/stream_device.h"

namespace platform::mci {
namespace {

// Files beyond this are not songs; a song of a few megabytes is already enormous.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

bool IsSmpteFormat(DWORD format) {
  return format >= MCI_FORMAT_SMPTE_24 && format <= MCI_FORMAT_SMPTE_30DROP;
}
int SmpteRate(DWORD format) {
  return format == MCI_FORMAT_SMPTE_24 ? 24 : format == MCI_FORMAT_SMPTE_25 ? 25 : 30;
}

class SequencerDevice : public StreamDevice {
 public:
  SequencerDevice(std::string element, int source, std::shared_ptr<const midi::Song> song,
                  std::int64_t lengthFrames)
      : StreamDevice(std::move(element), source, lengthFrames,
                     static_cast<DWORD>(std::llround(song->lengthMicros / 1000.0))),
        song_(std::move(song)) {}

 protected:
  bool FormatSupported(DWORD format) const override {
    return format == MCI_FORMAT_MILLISECONDS || format == MCI_SEQ_FORMAT_SONGPTR ||
           IsSmpteFormat(format);
  }
  MCIERROR CheckFormat(DWORD format) const override {
    if (format == MCI_SEQ_FORMAT_SONGPTR && song_->smpte) return MCIERR_SEQ_DIV_INCOMPATIBLE;
    return StreamDevice::CheckFormat(format);
  }

  // Song pointer: sixteenth notes; SMPTE: hours, minutes, seconds, frames in bytes 0-3.
  bool ToFrames(DWORD value, std::int64_t& frames) const override {
    double micros;
    if (TimeFormat() == MCI_SEQ_FORMAT_SONGPTR) {
      micros = song_->TickToMicros(std::uint64_t(value) * song_->ticksPerQuarter / 4);
    } else if (IsSmpteFormat(TimeFormat())) {
      int fps = SmpteRate(TimeFormat());
      int h = value & 0xFF, m = (value >> 8) & 0xFF, s = (value >> 16) & 0xFF, f = value >> 24;
      if (m >= 60 || s >= 60 || f >= fps) return false;
      micros = ((h * 3600.0 + m * 60.0 + s) + double(f) / fps) * 1e6;
    } else {
      return StreamDevice::ToFrames(value, frames);
    }
    frames = std::llround(micros * Rate() / 1e6);
    if (frames > LengthFrames() && micros <= song_->lengthMicros) frames = LengthFrames();
    return true;
  }

  DWORD FromFrames(std::int64_t frames) const override {
    frames = std::min(frames, LengthFrames());
    double micros = frames >= LengthFrames() ? song_->lengthMicros : frames * 1e6 / Rate();
    if (TimeFormat() == MCI_SEQ_FORMAT_SONGPTR) {
      std::uint64_t tick =
          frames >= LengthFrames() ? song_->lengthTicks : song_->MicrosToTick(micros);
      return static_cast<DWORD>(tick * 4 / song_->ticksPerQuarter);
    }
    if (IsSmpteFormat(TimeFormat())) {
      int fps = SmpteRate(TimeFormat());
      auto whole = static_cast<std::uint64_t>(micros / 1e6);
      auto frame = static_cast<std::uint64_t>((micros - double(whole) * 1e6) * fps / 1e6);
      return MCI_MAKE_TMSF(static_cast<BYTE>(whole / 3600), static_cast<BYTE>(whole / 60 % 60),
                           static_cast<BYTE>(whole % 60), static_cast<BYTE>(frame));
    }
    return StreamDevice::FromFrames(frames);
  }

  UINT DeviceType() const override { return MCI_DEVTYPE_SEQUENCER; }
  std::string Product() const override { return "Tunedeck MIDI Sequencer"; }

  MCIERROR ExtraStatus(DWORD item, DWORD_PTR& value) override {
    switch (item) {
      case MCI_SEQ_STATUS_TEMPO:
        value = song_->TempoAt(double(PositionFrames()) * 1e6 / Rate());
        return 0;
      case MCI_SEQ_STATUS_DIVTYPE:
        if (!song_->smpte)
          value = MCI_SEQ_DIV_PPQN;
        else if (song_->framesPerSecond == 24)
          value = MCI_SEQ_DIV_SMPTE_24;
        else if (song_->framesPerSecond == 25)
          value = MCI_SEQ_DIV_SMPTE_25;
        else if (song_->framesPerSecond == 29)
          value = MCI_SEQ_DIV_SMPTE_30DROP;
        else
          value = MCI_SEQ_DIV_SMPTE_30;
        return 0;
      case MCI_SEQ_STATUS_PORT:
        value = MCI_SEQ_MAPPER;
        return 0;
      case MCI_SEQ_STATUS_MASTER:
      case MCI_SEQ_STATUS_SLAVE:
        value = item == MCI_SEQ_STATUS_SLAVE ? MCI_SEQ_FILE : MCI_SEQ_NONE;
        return 0;
      case MCI_SEQ_STATUS_OFFSET:
        value = 0;
        return 0;
      default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
  }

 private:
  std::shared_ptr<const midi::Song> song_;
};

// Reads a whole file for a driver: MCIERR_FILE_NOT_FOUND, MCIERR_FILE_READ or
// MCIERR_INVALID_FILE (too large to be a medium of this kind).
MCIERROR ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return MCIERR_FILE_NOT_FOUND;
  if (!std::filesystem::is_regular_file(status)) return MCIERR_FILE_READ;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return MCIERR_FILE_READ;
  if (size > kMaxFileBytes) return MCIERR_INVALID_FILE;
  std::ifstream in(path, std::ios::binary);
  if (!in) return MCIERR_FILE_READ;
  bytes.resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) return MCIERR_FILE_READ;
  return 0;
}

class SequencerDriver : public Driver {
 public:
  std::string TypeName() const override { return "sequencer"; }
  UINT DeviceType() const override { return MCI_DEVTYPE_SEQUENCER; }
  std::vector<std::string> Extensions() const override { return {"mid", "midi", "rmi", "kar"}; }
  bool Recognises(const std::vector<unsigned char>& head) const override {
    if (head.size() >= 4 && std::memcmp(head.data(), "MThd", 4) == 0) return true;
    return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "RMID", 4) == 0;
  }

  MCIERROR Open(const OpenRequest& request, std::unique_ptr<Device>& device) override {
    if (request.element.empty()) return MCIERR_FILENAME_REQUIRED;
    std::vector<std::uint8_t> bytes;
    if (MCIERROR result = ReadFile(request.hostPath, bytes)) return result;
    auto song = std::make_shared<midi::Song>();
    if (midi::ReadSong(bytes.data(), bytes.size(), *song) != midi::ReadStatus::kOk)
      return MCIERR_INVALID_FILE;
    audio::Engine& engine = audio::Engine::Get();
    std::string error;
    if (!engine.Acquire(error)) return MCIERR_HARDWARE;
    int rate = engine.SampleRate();
    auto source = audio::CreateSynthSource(song, rate, error);
    if (!source) {
      engine.Release();
      return MCIERR_SEQ_NOMIDIPRESENT;
    }
    std::int64_t lengthFrames = std::llround(song->lengthMicros * rate / 1e6);
    int id = engine.AddSource(std::move(source), mixer::Line::kSynth);
    if (!id) {
      engine.Release();
      return MCIERR_OUT_OF_MEMORY;  // every slot of the engine is taken
    }
    device = std::make_unique<SequencerDevice>(request.element, id, std::move(song), lengthFrames);
    return 0;
  }
};

}  // namespace

std::shared_ptr<Driver> MakeSequencerDriver() { return std::make_shared<SequencerDriver>(); }

}  // namespace platform::mci
