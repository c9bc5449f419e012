#include "faders/mixerdevice.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kSourceTypes[] = {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                                  MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER};

std::optional<TMixerLineKind> KindOfSource(DWORD componentType) {
  if (componentType == kSourceTypes[0]) return mlWave;
  if (componentType == kSourceTypes[1]) return mlSynth;
  return std::nullopt;
}

TMixerLine Described(const MIXERLINEA& info) {
  TMixerLine line;
  line.Present = true;
  line.Name.assign(info.szName, strnlen(info.szName, sizeof info.szName));
  line.LineId = info.dwLineID;
  line.Channels = std::max<DWORD>(1, info.cChannels);
  return line;
}

}  // namespace

TMixerDevice::TMixerDevice(HWND window) {
  if (mixerGetNumDevs() == 0) return;
  if (mixerOpen(&mixer_, 0, reinterpret_cast<DWORD_PTR>(window), 0,
                window != nullptr ? CALLBACK_WINDOW : CALLBACK_NULL) != MMSYSERR_NOERROR) {
    mixer_ = nullptr;
    return;
  }
  FindLines();
}

TMixerDevice::~TMixerDevice() {
  if (mixer_ != nullptr) mixerClose(mixer_);
}

// The speakers are the first destination whose component type says so; the sources are
// its connections of the wave and synthesizer types.
void TMixerDevice::FindLines() {
  MIXERCAPSA caps{};
  if (mixerGetDevCapsA(0, &caps, sizeof caps) != MMSYSERR_NOERROR) return;
  for (DWORD destination = 0; destination < caps.cDestinations; ++destination) {
    MIXERLINEA info{};
    info.cbStruct = sizeof info;
    info.dwDestination = destination;
    if (mixerGetLineInfoA(Object(), &info, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION) !=
            MMSYSERR_NOERROR ||
        info.dwComponentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)
      continue;
    lines_[mlSpeakers] = Described(info);
    DWORD connections = info.cConnections;
    for (DWORD source = 0; source < connections; ++source) {
      MIXERLINEA sourceInfo{};
      sourceInfo.cbStruct = sizeof sourceInfo;
      sourceInfo.dwDestination = destination;
      sourceInfo.dwSource = source;
      if (mixerGetLineInfoA(Object(), &sourceInfo,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
        continue;
      if (std::optional<TMixerLineKind> kind = KindOfSource(sourceInfo.dwComponentType))
        if (!lines_[*kind].Present) lines_[*kind] = Described(sourceInfo);
    }
    break;
  }
  for (TMixerLine& line : lines_)
    if (line.Present) FindControls(line);
}

void TMixerDevice::FindControls(TMixerLine& line) {
  auto find = [&](DWORD type) -> std::optional<DWORD> {
    MIXERCONTROLA control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof query;
    query.dwLineID = line.LineId;
    query.dwControlType = type;
    query.cControls = 1;
    query.cbmxctrl = sizeof control;
    query.pamxctrl = &control;
    if (mixerGetLineControlsA(Object(), &query,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
      return std::nullopt;
    return control.dwControlID;
  };
  line.VolumeId = find(MIXERCONTROL_CONTROLTYPE_VOLUME);
  line.MuteId = find(MIXERCONTROL_CONTROLTYPE_MUTE);
}

std::optional<TMixerLineKind> TMixerDevice::LineOfControl(DWORD controlId) const {
  for (int i = 0; i < kMixerLines; ++i) {
    const TMixerLine& line = lines_[i];
    if (line.Present && (line.VolumeId == controlId || line.MuteId == controlId))
      return static_cast<TMixerLineKind>(i);
  }
  return std::nullopt;
}

std::optional<TMixerLineKind> TMixerDevice::LineOfLineId(DWORD lineId) const {
  for (int i = 0; i < kMixerLines; ++i)
    if (lines_[i].Present && lines_[i].LineId == lineId) return static_cast<TMixerLineKind>(i);
  return std::nullopt;
}

std::optional<std::uint32_t> TMixerDevice::Volume(TMixerLineKind kind) const {
  const TMixerLine& line = lines_[kind];
  if (!IsOpen() || !line.VolumeId) return std::nullopt;
  MIXERCONTROLDETAILS_UNSIGNED values[2]{};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = *line.VolumeId;
  details.cChannels = std::min<DWORD>(line.Channels, 2);
  details.cbDetails = sizeof values[0];
  details.paDetails = values;
  if (mixerGetControlDetailsA(Object(), &details,
                              MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR)
    return std::nullopt;
  DWORD right = details.cChannels > 1 ? values[1].dwValue : values[0].dwValue;
  return static_cast<std::uint32_t>((values[0].dwValue & 0xFFFF) | ((right & 0xFFFF) << 16));
}

bool TMixerDevice::SetVolume(TMixerLineKind kind, std::uint32_t volume) {
  const TMixerLine& line = lines_[kind];
  if (!IsOpen() || !line.VolumeId) return false;
  MIXERCONTROLDETAILS_UNSIGNED values[2]{};
  values[0].dwValue = volume & 0xFFFF;
  values[1].dwValue = volume >> 16;
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = *line.VolumeId;
  details.cChannels = std::min<DWORD>(line.Channels, 2);
  // One channel takes the louder of the two.
  if (details.cChannels == 1) values[0].dwValue = std::max(values[0].dwValue, values[1].dwValue);
  details.cbDetails = sizeof values[0];
  details.paDetails = values;
  return mixerSetControlDetails(Object(), &details,
                                MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}

std::optional<bool> TMixerDevice::Muted(TMixerLineKind kind) const {
  const TMixerLine& line = lines_[kind];
  if (!IsOpen() || !line.MuteId) return std::nullopt;
  MIXERCONTROLDETAILS_BOOLEAN value{};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = *line.MuteId;
  details.cChannels = 1;  // a mute switch is one for all channels
  details.cbDetails = sizeof value;
  details.paDetails = &value;
  if (mixerGetControlDetailsA(Object(), &details,
                              MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR)
    return std::nullopt;
  return value.fValue != 0;
}

bool TMixerDevice::SetMuted(TMixerLineKind kind, bool muted) {
  const TMixerLine& line = lines_[kind];
  if (!IsOpen() || !line.MuteId) return false;
  MIXERCONTROLDETAILS_BOOLEAN value{muted ? 1 : 0};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = *line.MuteId;
  details.cChannels = 1;
  details.cbDetails = sizeof value;
  details.paDetails = &value;
  return mixerSetControlDetails(Object(), &details,
                                MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}
