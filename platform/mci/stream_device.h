// A device that plays one medium through an audio engine source: the transport,
// status, capability and time-format commands the sequencer and waveaudio share.
#pragma once
#include <string>

#include "audio/engine.h"
#include "mci/driver.h"
#include "private.h"

namespace platform::mci {

class StreamDevice : public Device {
 public:
  ~StreamDevice() override;
  MCIERROR Command(UINT message, DWORD_PTR flags, void* parms, CommandContext& context) override;
  MCIERROR Close() override;

  // The engine's view, for tests: sounding voices as last rendered.
  int Voices();

 protected:
  // Takes over an acquired engine and a source already added to it.
  StreamDevice(std::string element, int source, std::int64_t lengthFrames, DWORD lengthMs);

  int Rate() const;
  std::int64_t LengthFrames() const { return lengthFrames_; }
  DWORD LengthMs() const { return lengthMs_; }
  DWORD TimeFormat() const { return timeFormat_; }
  std::int64_t PositionFrames() { return Current().position; }

  // Time values of the current format. ToFrames false: not a valid value.
  virtual bool FormatSupported(DWORD format) const = 0;
  virtual MCIERROR CheckFormat(DWORD format) const {
    return FormatSupported(format) ? 0 : MCIERR_BAD_TIME_FORMAT;
  }
  virtual bool ToFrames(DWORD value, std::int64_t& frames) const;
  virtual DWORD FromFrames(std::int64_t frames) const;
  virtual UINT DeviceType() const = 0;
  virtual std::string Product() const = 0;
  // Items beyond the common ones; MCIERR_UNSUPPORTED_FUNCTION when unknown.
  virtual MCIERROR ExtraStatus(DWORD item, DWORD_PTR& value);

  static DWORD FramesToMs(std::int64_t frames, int rate);
  static std::int64_t MsToFrames(DWORD ms, int rate);

 private:
  struct View {
    audio::TransportState state;
    std::int64_t position;
  };
  View Current();
  std::uint64_t Send(audio::Command command, std::function<void()> finished = nullptr);

  MCIERROR Play(DWORD_PTR flags, MCI_PLAY_PARMS* parms, CommandContext& context);
  MCIERROR Seek(DWORD_PTR flags, MCI_SEEK_PARMS* parms, CommandContext& context);
  MCIERROR Status(DWORD_PTR flags, MCI_STATUS_PARMS* parms);
  MCIERROR Set(DWORD_PTR flags, MCI_SET_PARMS* parms);
  MCIERROR Caps(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS* parms);
  MCIERROR Info(DWORD_PTR flags, MCI_INFO_PARMSA* parms);
  void Wait();

  std::string element_;
  int source_;
  std::int64_t lengthFrames_;
  DWORD lengthMs_;
  DWORD timeFormat_ = MCI_FORMAT_MILLISECONDS;
  bool open_ = true;
  // What the GUI side last asked; holds until the audio side has applied it.
  std::uint64_t lastSent_ = 0;
  View asked_{audio::TransportState::kStopped, 0};
};

}  // namespace platform::mci
