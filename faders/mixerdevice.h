// The platform's mixer as Faders uses it: the speakers' line ("Volume Control") and the two
// sources ("Wave", "MIDI synth"), each with a volume of one value a channel and a mute
// switch. The device is opened with CALLBACK_WINDOW, so the window given hears of every
// change made anywhere (MM_MIXM_CONTROL_CHANGE with the control's id, MM_MIXM_LINE_CHANGE
// with a line's id when its state as a whole was replaced).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32.h"

enum TMixerLineKind { mlSpeakers, mlWave, mlSynth };
inline constexpr int kMixerLines = 3;

struct TMixerLine {
  bool Present = false;
  std::string Name;
  DWORD LineId = 0;
  DWORD Channels = 0;
  std::optional<DWORD> VolumeId;
  std::optional<DWORD> MuteId;
};

class TMixerDevice {
 public:
  // Opens the first mixer device with notices to `window` (none without one) and finds the
  // lines; a machine without a mixer leaves the device closed and every line absent.
  explicit TMixerDevice(HWND window);
  ~TMixerDevice();
  TMixerDevice(const TMixerDevice&) = delete;
  TMixerDevice& operator=(const TMixerDevice&) = delete;

  bool IsOpen() const { return mixer_ != nullptr; }
  const TMixerLine& Line(TMixerLineKind kind) const { return lines_[kind]; }
  // The line a control or line id belongs to; none for an id of another line.
  std::optional<TMixerLineKind> LineOfControl(DWORD controlId) const;
  std::optional<TMixerLineKind> LineOfLineId(DWORD lineId) const;

  // The volume packed as the volume calls pack it (a one-channel line gives both words the
  // same); none when the line or control is missing or the mixer refuses.
  std::optional<std::uint32_t> Volume(TMixerLineKind kind) const;
  bool SetVolume(TMixerLineKind kind, std::uint32_t volume);
  std::optional<bool> Muted(TMixerLineKind kind) const;
  bool SetMuted(TMixerLineKind kind, bool muted);

 private:
  void FindLines();
  void FindControls(TMixerLine& line);
  HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(mixer_); }

  HMIXER mixer_ = nullptr;
  std::array<TMixerLine, kMixerLines> lines_;
};
