#include "mci/stream_device.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/clock.h"

namespace platform::mci {

using AudioCommand = audio::Command;
using audio::Engine;
using audio::TransportState;

StreamDevice::StreamDevice(std::string element, int source, std::int64_t lengthFrames,
                           DWORD lengthMs)
    : element_(std::move(element)),
      source_(source),
      lengthFrames_(lengthFrames),
      lengthMs_(lengthMs) {}

StreamDevice::~StreamDevice() { Close(); }

MCIERROR StreamDevice::Close() {
  if (!open_) return 0;
  open_ = false;
  AudioCommand stop;
  stop.kind = AudioCommand::Kind::kStop;
  Send(std::move(stop));
  AudioCommand remove;
  remove.kind = AudioCommand::Kind::kRemove;
  Send(std::move(remove));
  Engine::Get().Release();
  return 0;
}

int StreamDevice::Rate() const { return Engine::Get().SampleRate(); }

// Rounded both ways: a span of whole milliseconds on the clock renders a whole number of
// frames within one frame of the exact value, which rounds back to the same milliseconds.
DWORD StreamDevice::FramesToMs(std::int64_t frames, int rate) {
  return static_cast<DWORD>(std::llround(double(frames) * 1000.0 / rate));
}
std::int64_t StreamDevice::MsToFrames(DWORD ms, int rate) {
  return std::llround(double(ms) * rate / 1000.0);
}

bool StreamDevice::ToFrames(DWORD value, std::int64_t& frames) const {
  if (timeFormat_ != MCI_FORMAT_MILLISECONDS) return false;
  frames = value >= lengthMs_ ? (value == lengthMs_ ? lengthFrames_ : lengthFrames_ + 1)
                              : MsToFrames(value, Rate());
  return true;
}

DWORD StreamDevice::FromFrames(std::int64_t frames) const {
  if (frames >= lengthFrames_) return lengthMs_;
  return std::min(FramesToMs(frames, Rate()), lengthMs_);
}

MCIERROR StreamDevice::ExtraStatus(DWORD, DWORD_PTR&) { return MCIERR_UNSUPPORTED_FUNCTION; }

int StreamDevice::Voices() {
  audio::SourceReport report;
  return Engine::Get().ReadReport(source_, report) ? report.voices : 0;
}

StreamDevice::View StreamDevice::Current() {
  audio::SourceReport report;
  if (Engine::Get().ReadReport(source_, report) && report.sequence >= lastSent_)
    return {report.state, report.position};
  return asked_;
}

std::uint64_t StreamDevice::Send(AudioCommand command, std::function<void()> finished) {
  command.source = source_;
  lastSent_ = Engine::Get().Send(command, std::move(finished));
  return lastSent_;
}

MCIERROR StreamDevice::Command(UINT message, DWORD_PTR flags, void* parms,
                               CommandContext& context) {
  switch (message) {
    case MCI_PLAY:
      return Play(flags, static_cast<MCI_PLAY_PARMS*>(parms), context);
    case MCI_SEEK:
      return Seek(flags, static_cast<MCI_SEEK_PARMS*>(parms), context);
    case MCI_STATUS:
      return Status(flags, static_cast<MCI_STATUS_PARMS*>(parms));
    case MCI_SET:
      return Set(flags, static_cast<MCI_SET_PARMS*>(parms));
    case MCI_GETDEVCAPS:
      return Caps(flags, static_cast<MCI_GETDEVCAPS_PARMS*>(parms));
    case MCI_INFO:
      return Info(flags, static_cast<MCI_INFO_PARMSA*>(parms));
    case MCI_STOP: {
      context.AbortPending();
      View now = Current();
      if (now.state != TransportState::kStopped) {
        AudioCommand stop;
        stop.kind = AudioCommand::Kind::kStop;
        Send(std::move(stop));
        asked_ = {TransportState::kStopped, now.position};
      }
      return 0;
    }
    case MCI_PAUSE: {
      View now = Current();
      if (now.state != TransportState::kPlaying) return 0;
      context.AbortPending();
      AudioCommand pause;
      pause.kind = AudioCommand::Kind::kPause;
      Send(std::move(pause));
      asked_ = {TransportState::kPaused, now.position};
      return 0;
    }
    case MCI_RESUME: {
      View now = Current();
      if (now.state != TransportState::kPaused) return MCIERR_NONAPPLICABLE_FUNCTION;
      AudioCommand play;
      play.kind = AudioCommand::Kind::kPlay;
      Send(play, context.DeferNotification());
      asked_ = {TransportState::kPlaying, now.position};
      if (flags & MCI_WAIT) Wait();
      return 0;
    }
    default:
      // Recording, stepping, cueing and the video commands mean nothing here.
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
}

MCIERROR StreamDevice::Play(DWORD_PTR flags, MCI_PLAY_PARMS* parms, CommandContext& context) {
  if ((flags & (MCI_FROM | MCI_TO)) && !parms) return MCIERR_NULL_PARAMETER_BLOCK;
  std::int64_t from = -1;
  std::int64_t to = -1;
  if ((flags & MCI_FROM) && (!ToFrames(parms->dwFrom, from) || from > lengthFrames_))
    return MCIERR_OUTOFRANGE;
  if ((flags & MCI_TO) && (!ToFrames(parms->dwTo, to) || to > lengthFrames_))
    return MCIERR_OUTOFRANGE;
  std::int64_t start = from >= 0 ? from : Current().position;
  if (to >= 0 && to < start) return MCIERR_OUTOFRANGE;
  AudioCommand play;
  play.kind = AudioCommand::Kind::kPlay;
  play.from = from >= 0 ? from : start;
  play.to = to;
  Send(play, context.DeferNotification());
  asked_ = {TransportState::kPlaying, start};
  if (flags & MCI_WAIT) Wait();
  return 0;
}

// A waiting play blocks the caller until the end. On the virtual clock nobody else can
// move time, so the wait moves it.
void StreamDevice::Wait() {
  while (Current().state == TransportState::kPlaying) {
    if (ClockIsVirtual())
      AdvanceVirtualClock(10);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

MCIERROR StreamDevice::Seek(DWORD_PTR flags, MCI_SEEK_PARMS* parms, CommandContext& context) {
  DWORD_PTR targets = flags & (MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO);
  if (targets == 0) return MCIERR_MISSING_PARAMETER;
  if (targets & (targets - 1)) return MCIERR_FLAGS_NOT_COMPATIBLE;
  std::int64_t target = 0;
  if (flags & MCI_SEEK_TO_END) target = lengthFrames_;
  if (flags & MCI_TO) {
    if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!ToFrames(parms->dwTo, target) || target > lengthFrames_) return MCIERR_OUTOFRANGE;
  }
  context.AbortPending();
  AudioCommand seek;
  seek.kind = AudioCommand::Kind::kSeek;
  seek.to = target;
  Send(std::move(seek));
  asked_ = {TransportState::kStopped, target};
  return 0;
}

MCIERROR StreamDevice::Status(DWORD_PTR flags, MCI_STATUS_PARMS* parms) {
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
  bool track = flags & MCI_TRACK;
  if (track && parms->dwTrack != 1) return MCIERR_OUTOFRANGE;  // one track: the whole medium
  switch (parms->dwItem) {
    case MCI_STATUS_LENGTH:
      parms->dwReturn = FromFrames(lengthFrames_);
      return 0;
    case MCI_STATUS_POSITION:
      parms->dwReturn =
          (track || (flags & MCI_STATUS_START)) ? FromFrames(0) : FromFrames(Current().position);
      return 0;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK:
      parms->dwReturn = 1;
      return 0;
    case MCI_STATUS_MODE:
      switch (Current().state) {
        case TransportState::kPlaying:
          parms->dwReturn = MCI_MODE_PLAY;
          break;
        case TransportState::kPaused:
          parms->dwReturn = MCI_MODE_PAUSE;
          break;
        case TransportState::kStopped:
          parms->dwReturn = MCI_MODE_STOP;
          break;
      }
      return 0;
    case MCI_STATUS_MEDIA_PRESENT:
    case MCI_STATUS_READY:
      parms->dwReturn = TRUE;
      return 0;
    case MCI_STATUS_TIME_FORMAT:
      parms->dwReturn = timeFormat_;
      return 0;
    default: {
      DWORD_PTR value = 0;
      MCIERROR result = ExtraStatus(parms->dwItem, value);
      if (result == 0) parms->dwReturn = value;
      return result;
    }
  }
}

MCIERROR StreamDevice::Set(DWORD_PTR flags, MCI_SET_PARMS* parms) {
  if (flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED | MCI_SET_AUDIO | MCI_SET_VIDEO |
               MCI_SET_ON | MCI_SET_OFF))
    return MCIERR_UNSUPPORTED_FUNCTION;
  if (flags & ~DWORD_PTR(MCI_NOTIFY | MCI_WAIT | MCI_SET_TIME_FORMAT))
    return MCIERR_UNSUPPORTED_FUNCTION;
  if (!(flags & MCI_SET_TIME_FORMAT)) return MCIERR_MISSING_PARAMETER;
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  if (MCIERROR result = CheckFormat(parms->dwTimeFormat)) return result;
  timeFormat_ = parms->dwTimeFormat;
  return 0;
}

MCIERROR StreamDevice::Caps(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS* parms) {
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
  switch (parms->dwItem) {
    case MCI_GETDEVCAPS_CAN_PLAY:
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
      parms->dwReturn = TRUE;
      return 0;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_CAN_SAVE:
      parms->dwReturn = FALSE;
      return 0;
    case MCI_GETDEVCAPS_DEVICE_TYPE:
      parms->dwReturn = DeviceType();
      return 0;
    default:
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
}

MCIERROR StreamDevice::Info(DWORD_PTR flags, MCI_INFO_PARMSA* parms) {
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  if (flags & MCI_INFO_PRODUCT) return CopyInfo(Product(), parms);
  if (flags & MCI_INFO_FILE) return CopyInfo(element_, parms);
  return flags & (MCI_INFO_MEDIA_UPC | MCI_INFO_MEDIA_IDENTITY | MCI_INFO_NAME | MCI_INFO_COPYRIGHT)
             ? MCIERR_UNSUPPORTED_FUNCTION
             : MCIERR_MISSING_PARAMETER;
}

}  // namespace platform::mci
