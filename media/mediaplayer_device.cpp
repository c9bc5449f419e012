// TMediaPlayer: the device operations over mciSendCommandA and the status queries.
#include "media/mediaplayer.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kNoDeviceOpenText = 61648;
// The device type names follow this id in the order of TMPDeviceTypes.
constexpr int kDeviceTypeNameBase = 61650;
constexpr int kUnknownErrorText = 61663;

template <class Block>
DWORD_PTR BlockAddress(Block& block) {
  return reinterpret_cast<DWORD_PTR>(&block);
}

}  // namespace

void TMediaPlayer::RequireOpenDevice() const {
  if (!open_) throw EMCIDeviceError(LoadStr(kNoDeviceOpenText));
}

DWORD_PTR TMediaPlayer::CallbackWindow() { return reinterpret_cast<DWORD_PTR>(notices_.Window); }

std::string TMediaPlayer::ErrorMessage() const {
  char buffer[4096];
  if (mciGetErrorStringA(static_cast<MCIERROR>(error_), buffer, sizeof buffer)) return buffer;
  return LoadStr(kUnknownErrorText);
}

void TMediaPlayer::Open() {
  if (open_) {
    // A device that refuses to close stays this component's: opening another would leave
    // it sounding with nobody able to close it.
    Close();
    if (open_) throw EMCIDeviceError(ErrorMessage());
  }
  std::string typeName;
  MCI_OPEN_PARMSA block{};
  block.dwCallback = CallbackWindow();
  DWORD_PTR flags = MCI_WAIT;
  if (!fileName_.empty()) {
    block.lpstrElementName = fileName_.c_str();
    flags |= MCI_OPEN_ELEMENT;
  }
  if (deviceType_ != dtAutoSelect) {
    typeName = LoadStr(kDeviceTypeNameBase + deviceType_);
    block.lpstrDeviceType = typeName.c_str();
    flags |= MCI_OPEN_TYPE;
  }
  if (shareable_) flags |= MCI_OPEN_SHAREABLE;
  error_ = static_cast<int>(mciSendCommandA(0, MCI_OPEN, flags, BlockAddress(block)));
  if (error_ != 0) throw EMCIDeviceError(ErrorMessage());

  open_ = true;
  deviceId_ = static_cast<WORD>(block.wDeviceID);
  stepFrames_ = Length() / 10;
  canPlay_ = (Capability(MCI_GETDEVCAPS_CAN_PLAY) & 0xFF) != 0;
  canRecord_ = (Capability(MCI_GETDEVCAPS_CAN_RECORD) & 0xFF) != 0;
  canEject_ = (Capability(MCI_GETDEVCAPS_CAN_EJECT) & 0xFF) != 0;
  hasVideo_ = (Capability(MCI_GETDEVCAPS_HAS_VIDEO) & 0xFF) != 0;
  DWORD type = Capability(MCI_GETDEVCAPS_DEVICE_TYPE);
  canStep_ = type == MCI_DEVTYPE_VCR || type == MCI_DEVTYPE_OVERLAY ||
             type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO;
  MCI_ANIM_RECT_PARMS rect{};
  error_ = static_cast<int>(
      mciSendCommandA(deviceId_, MCI_WHERE, MCI_ANIM_WHERE_SOURCE, BlockAddress(rect)));
  if (hasVideo_) {
    SetDisplay(display_);
    rect = MCI_ANIM_RECT_PARMS{};
    error_ = static_cast<int>(
        mciSendCommandA(deviceId_, MCI_WHERE, MCI_ANIM_WHERE_DESTINATION, BlockAddress(rect)));
  }
  if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc) SetTimeFormat(MCI_FORMAT_TMSF);

  autoButtons_ = TButtonSet{btNext, btPrev};
  if (canStep_) autoButtons_.Include(btStep).Include(btBack);
  if (canPlay_) autoButtons_.Include(btPlay);
  if (canRecord_) autoButtons_.Include(btRecord);
  if (canEject_) autoButtons_.Include(btEject);
  // A shareable device may be playing already.
  if (Mode() == mdPlaying) AdjustAutoButtons(btPlay);
  ApplyAutoButtons();
}

void TMediaPlayer::Close() {
  if (deviceId_ == 0) return;
  MCI_GENERIC_PARMS block{CallbackWindow()};
  error_ = static_cast<int>(mciSendCommandA(deviceId_, MCI_CLOSE, MCI_WAIT, BlockAddress(block)));
  // A device that refuses stays open; an id that names no device any more (closed behind
  // the component's back) leaves nothing to keep.
  if (error_ != 0 && error_ != MCIERR_INVALID_DEVICE_ID) return;
  open_ = false;
  deviceId_ = 0;
  autoButtons_ = TButtonSet{};
  ApplyAutoButtons();
}

void TMediaPlayer::PlayOrRecord(UINT command) {
  // MCI_PLAY_PARMS and MCI_RECORD_PARMS have one layout.
  MCI_PLAY_PARMS block{};
  block.dwCallback = CallbackWindow();
  DWORD_PTR flags = MCI_NOTIFY;
  if (startPending_) {
    flags |= MCI_FROM;
    block.dwFrom = startPosition_;
    startPending_ = false;
  }
  error_ = static_cast<int>(mciSendCommandA(deviceId_, command, flags, BlockAddress(block)));
}

void TMediaPlayer::Play() {
  RequireOpenDevice();
  if (autoRewind_ && Position() == Length() && !startPending_) Rewind();
  PlayOrRecord(MCI_PLAY);
}

void TMediaPlayer::Record() {
  RequireOpenDevice();
  PlayOrRecord(MCI_RECORD);
}

void TMediaPlayer::Stop() {
  RequireOpenDevice();
  MCI_GENERIC_PARMS block{CallbackWindow()};
  error_ = static_cast<int>(mciSendCommandA(deviceId_, MCI_STOP, MCI_WAIT, BlockAddress(block)));
}

void TMediaPlayer::PauseDevice() {
  RequireOpenDevice();
  MCI_GENERIC_PARMS block{CallbackWindow()};
  error_ = static_cast<int>(mciSendCommandA(deviceId_, MCI_PAUSE, MCI_WAIT, BlockAddress(block)));
}

void TMediaPlayer::Resume() {
  RequireOpenDevice();
  MCI_GENERIC_PARMS block{CallbackWindow()};
  error_ =
      static_cast<int>(mciSendCommandA(deviceId_, MCI_RESUME, MCI_NOTIFY, BlockAddress(block)));
  // A device that cannot resume starts playing from where it stands.
  if (error_ != 0) Play();
}

void TMediaPlayer::Pause() {
  RequireOpenDevice();
  if (Mode() == mdPlaying)
    PauseDevice();
  else if (Mode() == mdPaused)
    Resume();
}

// Next and Previous go by tracks when positions are in TMSF, else to an end of the medium.
// While playing, the play goes on from the track's start; else the device seeks there.
void TMediaPlayer::SeekTrack(bool forward) {
  RequireOpenDevice();
  MCI_SEEK_PARMS block{};
  block.dwCallback = CallbackWindow();
  if (TimeFormat() != MCI_FORMAT_TMSF) {
    DWORD_PTR end = forward ? MCI_SEEK_TO_END : MCI_SEEK_TO_START;
    error_ =
        static_cast<int>(mciSendCommandA(deviceId_, MCI_SEEK, MCI_WAIT | end, BlockAddress(block)));
    return;
  }
  DWORD target = forward ? NextTrackStart() : PreviousTrackStart();
  if (Mode() == mdPlaying) {
    startPosition_ = target;
    startPending_ = true;
    Play();
    currentButton_ = btPlay;
    return;
  }
  block.dwTo = target;
  error_ = static_cast<int>(
      mciSendCommandA(deviceId_, MCI_SEEK, MCI_WAIT | MCI_TO, BlockAddress(block)));
}

// On the last track, its own start.
DWORD TMediaPlayer::NextTrackStart() {
  std::int32_t track = MCI_TMSF_TRACK(static_cast<DWORD>(Position()));
  std::int32_t tracks = Tracks();
  return static_cast<DWORD>(track == tracks ? TrackPosition(tracks) : TrackPosition(track + 1));
}

// Within the first second of a track (not the first), the previous track's start; else the
// start of the current one.
DWORD TMediaPlayer::PreviousTrackStart() {
  auto position = static_cast<DWORD>(Position());
  auto trackStart = static_cast<DWORD>(TrackPosition(MCI_TMSF_TRACK(position)));
  if (MCI_TMSF_TRACK(position) != 1 && MCI_TMSF_MINUTE(position) == MCI_TMSF_MINUTE(trackStart) &&
      MCI_TMSF_SECOND(position) == MCI_TMSF_SECOND(trackStart))
    return static_cast<DWORD>(TrackPosition(MCI_TMSF_TRACK(static_cast<DWORD>(Position())) - 1));
  return trackStart;
}

void TMediaPlayer::Next() { SeekTrack(true); }

void TMediaPlayer::Previous() { SeekTrack(false); }

void TMediaPlayer::StepBy(DWORD_PTR direction) {
  MCI_ANIM_STEP_PARMS block{};
  block.dwCallback = CallbackWindow();
  block.dwFrames = static_cast<DWORD>(stepFrames_);
  error_ = static_cast<int>(mciSendCommandA(
      deviceId_, MCI_STEP, MCI_WAIT | MCI_ANIM_STEP_FRAMES | direction, BlockAddress(block)));
}

void TMediaPlayer::Step() {
  RequireOpenDevice();
  if (!hasVideo_) return;
  if (autoRewind_ && Position() == Length()) Rewind();
  StepBy(0);
}

void TMediaPlayer::Back() {
  RequireOpenDevice();
  if (!hasVideo_) return;
  StepBy(MCI_ANIM_STEP_REVERSE);
}

void TMediaPlayer::Rewind() {
  RequireOpenDevice();
  MCI_SEEK_PARMS block{};
  mciSendCommandA(deviceId_, MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, BlockAddress(block));
}

void TMediaPlayer::Eject() {
  RequireOpenDevice();
  if (!canEject_) return;
  MCI_SET_PARMS block{};
  block.dwCallback = CallbackWindow();
  error_ = static_cast<int>(
      mciSendCommandA(deviceId_, MCI_SET, MCI_WAIT | MCI_SET_DOOR_OPEN, BlockAddress(block)));
}

// Status blocks start cleared, so a refused command answers 0.
DWORD_PTR TMediaPlayer::Status(DWORD item, bool recordError) {
  MCI_STATUS_PARMS block{};
  block.dwItem = item;
  auto result = static_cast<int>(
      mciSendCommandA(deviceId_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, BlockAddress(block)));
  if (recordError) error_ = result;
  return block.dwReturn;
}

DWORD TMediaPlayer::Capability(DWORD item) {
  MCI_GETDEVCAPS_PARMS block{};
  block.dwItem = item;
  error_ = static_cast<int>(mciSendCommandA(deviceId_, MCI_GETDEVCAPS,
                                            MCI_GETDEVCAPS_ITEM | MCI_WAIT, BlockAddress(block)));
  return block.dwReturn;
}

std::int32_t TMediaPlayer::Length() {
  RequireOpenDevice();
  return static_cast<std::int32_t>(Status(MCI_STATUS_LENGTH));
}

std::int32_t TMediaPlayer::Position() {
  return static_cast<std::int32_t>(Status(MCI_STATUS_POSITION));
}

TMPDeviceMode TMediaPlayer::Mode() {
  auto mode = static_cast<int>(Status(MCI_STATUS_MODE) & 0xFF) - (MCI_MODE_NOT_READY & 0xFF);
  // A refused status (or a mode no device has) is "not ready", never a value outside the
  // enumeration.
  if (error_ != 0 || mode < mdNotReady || mode > mdOpen) return mdNotReady;
  return static_cast<TMPDeviceMode>(mode);
}

std::int32_t TMediaPlayer::Tracks() {
  RequireOpenDevice();
  return static_cast<std::int32_t>(Status(MCI_STATUS_NUMBER_OF_TRACKS));
}

std::int32_t TMediaPlayer::TrackPosition(std::int32_t track) {
  MCI_STATUS_PARMS block{};
  block.dwItem = MCI_STATUS_POSITION;
  block.dwTrack = static_cast<DWORD>(track);
  mciSendCommandA(deviceId_, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT,
                  BlockAddress(block));
  return static_cast<std::int32_t>(block.dwReturn);
}

int TMediaPlayer::TimeFormat() {
  RequireOpenDevice();
  return static_cast<int>(Status(MCI_STATUS_TIME_FORMAT) & 0xFF);
}

void TMediaPlayer::SetTimeFormat(int format) {
  // The notification of the change comes to this component, like that of every command.
  MCI_SET_PARMS block{};
  block.dwCallback = CallbackWindow();
  block.dwTimeFormat = static_cast<DWORD>(format);
  error_ = static_cast<int>(
      mciSendCommandA(deviceId_, MCI_SET, MCI_SET_TIME_FORMAT | MCI_NOTIFY, BlockAddress(block)));
}
