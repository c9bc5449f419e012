// TMediaPlayer: a windowed control that drives one device of the platform's media control
// interface (open, play, pause, resume, stop, seek, step, record, eject, close, status)
// and draws itself as a bar of nine buttons for those operations. Only a failed open and
// an operation that needs a device when none is open raise EMCIDeviceError; every other
// failed command is reported through Error and ErrorMessage.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "forms/wincontrol.h"
#include "forms/wndproc.h"
#include "graphics/bitmap.h"

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
TD_ENUM_TYPE(TMPBtnType, "btPlay", "btPause", "btStop", "btNext", "btPrev", "btStep", "btBack",
             "btRecord", "btEject");
using TButtonSet = TSet<TMPBtnType>;
inline constexpr TButtonSet kAllMPButtons = TButtonSet::FromBits(0x1FF);

// The device type names Open gives the platform are those of the string table, in this
// order; dtAutoSelect gives none and lets the platform choose by the file.
enum TMPDeviceTypes {
  dtAutoSelect,
  dtAVIVideo,
  dtCDAudio,
  dtDAT,
  dtDigitalVideo,
  dtMMMovie,
  dtOther,
  dtOverlay,
  dtScanner,
  dtSequencer,
  dtVCR,
  dtVideodisc,
  dtWaveAudio
};
TD_ENUM_TYPE(TMPDeviceTypes, "dtAutoSelect", "dtAVIVideo", "dtCDAudio", "dtDAT", "dtDigitalVideo",
             "dtMMMovie", "dtOther", "dtOverlay", "dtScanner", "dtSequencer", "dtVCR",
             "dtVideodisc", "dtWaveAudio");

// The MCI mode less MCI_MODE_NOT_READY.
enum TMPDeviceMode { mdNotReady, mdStopped, mdPlaying, mdRecording, mdSeeking, mdPaused, mdOpen };
TD_ENUM_TYPE(TMPDeviceMode, "mdNotReady", "mdStopped", "mdPlaying", "mdRecording", "mdSeeking",
             "mdPaused", "mdOpen");

enum TMPNotifyResult { nfSuccessful, nfSuperseded, nfAborted, nfFailure };
TD_ENUM_TYPE(TMPNotifyResult, "nfSuccessful", "nfSuperseded", "nfAborted", "nfFailure");

// A button of the bar is about to run its operation; a handler that sets DoDefault to
// false keeps it (and OnPostClick) from running.
using EMPNotify = TEvent<TObject*, TMPBtnType, bool&>;
// A button's operation has run.
using EMPPostNotify = TEvent<TObject*, TMPBtnType>;

class TMediaPlayer : public TCustomControl {
  TD_CLASS(TMediaPlayer, TCustomControl)

 public:
  explicit TMediaPlayer(TComponent* owner);
  // Closes an open device first, so that nothing is left sounding.
  ~TMediaPlayer() override;

  // Device operations (mediaplayer_device.cpp). Those that need an open device raise
  // EMCIDeviceError "No MCI device open" without one.
  void Open();
  void Close();
  void Play();
  // The pause button: pauses a playing device, resumes a paused one, else nothing.
  void Pause();
  void PauseDevice();
  void Resume();
  void Stop();
  void Next();
  void Previous();
  void Step();
  void Back();
  void Rewind();
  void Record();
  void Eject();

  // Status; Position and Mode ask even without a device (and record the refusal).
  std::int32_t Length();
  std::int32_t Position();
  TMPDeviceMode Mode();
  std::int32_t Tracks();
  std::int32_t TrackPosition(std::int32_t track);
  int TimeFormat();
  void SetTimeFormat(int format);

  // The result of the last command that records it; 0 is success.
  int Error() const { return error_; }
  // The platform's text for Error, or "Unknown error code".
  std::string ErrorMessage() const;
  WORD DeviceID() const { return deviceId_; }
  TMPNotifyResult NotifyValue() const { return notifyValue_; }

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value) { fileName_ = value; }
  TMPDeviceTypes DeviceType() const { return deviceType_; }
  void SetDeviceType(TMPDeviceTypes value) { deviceType_ = value; }
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value) { autoOpen_ = value; }
  bool AutoRewind() const { return autoRewind_; }
  void SetAutoRewind(bool value) { autoRewind_ = value; }
  bool Shareable() const { return shareable_; }
  void SetShareable(bool value) { shareable_ = value; }
  // The window in which a video device shows its picture.
  TWinControl* Display() const { return display_; }
  void SetDisplay(TWinControl* control);

  // The button bar (mediaplayer_buttons.cpp).
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool value);
  TButtonSet VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TButtonSet value);
  TButtonSet EnabledButtons() const { return enabledButtons_; }
  void SetEnabledButtons(TButtonSet value);
  TButtonSet ColoredButtons() const { return coloredButtons_; }
  void SetColoredButtons(TButtonSet value);
  // The buttons the device state enables while AutoEnable is on.
  TButtonSet AutoEnabledButtons() const { return appliedAutoButtons_; }
  // Is the button usable by mouse: by the device state with AutoEnable, else by
  // EnabledButtons.
  bool ButtonEnabled(TMPBtnType button) const;
  // The button the arrow keys and the space key work on.
  TMPBtnType FocusedButton() const { return focusedButton_; }
  // The rectangle of a visible button in client coordinates; empty for a hidden one.
  RECT ButtonRect(TMPBtnType button) const;
  int ButtonWidth() const { return buttonWidth_; }

  void ChangeBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  void AfterLoad() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;
  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;

  EMPNotify OnClick;
  EMPPostNotify OnPostClick;
  TNotifyEvent OnNotify;

 protected:
  void PaintSelf() override;
  void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void HandleMouseMove(TShiftState shift, int x, int y) override;
  void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void HandleKeyDown(WORD& key, TShiftState shift) override;

 private:
  // Device side.
  void RequireOpenDevice() const;
  // The notices window as a command block's callback.
  DWORD_PTR CallbackWindow();
  DWORD_PTR Status(DWORD item, bool recordError = true);
  DWORD Capability(DWORD item);
  void PlayOrRecord(UINT command);
  void StepBy(DWORD_PTR direction);
  void SeekTrack(bool forward);
  DWORD NextTrackStart();
  DWORD PreviousTrackStart();
  void MMMciNotify(TMessage& message);
  static void NoticesProcEntry(TObject* object, TMessage& message);
  void NoticesProc(TMessage& message);

  // Button side.
  void LoadGlyphs();
  int VisibleCount() const;
  // Fits the size to the visible buttons and sets the button width for it.
  void FitBounds(int& width, int& height);
  // The visible button whose span holds x, scanning from the left; -1 when none.
  int ButtonAtX(int x) const;
  void PaintButton(TMPBtnType button, int x, bool pressed);
  TBitmap& GlyphFor(TMPBtnType button);
  // The first visible button from `from` on in `step` direction; -1 when none.
  int NextVisible(int from, int step) const;
  void MoveFocusedButton(int step);
  // OnClick, the operation and OnPostClick. False when the operation raised: the
  // exception has gone to the application's exception display.
  bool ClickButton(TMPBtnType button);
  void RunOperation(TMPBtnType button);
  // The auto-enabled set after a button's operation.
  void AdjustAutoButtons(TMPBtnType button);
  // The button bar takes over the auto-enabled set.
  void ApplyAutoButtons();
  void ReleaseCapturedButton();
  void WMGetDlgCode(TMessage& message);
  void WMFocusChanged(TMessage& message);
  void FMEnabledChanged(TMessage& message);
  void WMSize(TMessage& message);

  // Device state.
  // The device commands' notices come here: a hidden window that lives as long as the
  // component, whatever becomes of the control's own window (rebuilt, reparented).
  TUtilityWindow notices_;
  std::string fileName_;
  TMPDeviceTypes deviceType_ = dtAutoSelect;
  bool autoOpen_ = false;
  bool autoRewind_ = true;
  bool shareable_ = false;
  TWinControl* display_ = nullptr;
  bool open_ = false;
  WORD deviceId_ = 0;
  int error_ = 0;
  std::int32_t stepFrames_ = 0;
  DWORD startPosition_ = 0;
  bool startPending_ = false;
  TMPNotifyResult notifyValue_ = nfSuccessful;
  bool canPlay_ = false;
  bool canRecord_ = false;
  bool canEject_ = false;
  bool hasVideo_ = false;
  bool canStep_ = false;

  // Button bar state.
  static constexpr int kButtons = 9;
  // Enabled, disabled and coloured glyph of each button.
  std::array<TBitmap, kButtons> enabledGlyphs_;
  std::array<TBitmap, kButtons> disabledGlyphs_;
  std::array<TBitmap, kButtons> coloredGlyphs_;
  TButtonSet visibleButtons_ = kAllMPButtons;
  TButtonSet enabledButtons_ = kAllMPButtons;
  TButtonSet coloredButtons_ = kAllMPButtons;
  bool autoEnable_ = true;
  TButtonSet autoButtons_;         // the set the device state gives
  TButtonSet appliedAutoButtons_;  // what the buttons show of it
  int buttonWidth_ = 0;
  int minButtonWidth_ = 0;
  int minHeight_ = 0;
  TMPBtnType focusedButton_ = btPlay;
  TMPBtnType currentButton_ = btPlay;
  bool captured_ = false;
  bool pressedInside_ = false;
  RECT pressedRect_{};
};
