// The waveOut, midiOut and mixer calls over the shared state (mixer/state.h). One mixer
// device: the destination "Volume Control" (master volume and mute) with the sources "Wave"
// and "MIDI synth" (volume and mute each). Windows that opened the mixer hear of every
// change: at once for a change made by this process, through a watcher thread that sleeps
// on the state's change counter for the changes of other processes.
#include "mixer/calls.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "mixer/state.h"
#include "platform/mixer.h"
#include "platform/user.h"

namespace platform::mixer {
namespace {

constexpr MMVERSION kDriverVersion = 0x0100;
constexpr char kMixerName[] = "Tunedeck Mixer";
constexpr char kWaveName[] = "Tunedeck Audio";
constexpr char kSynthName[] = "Tunedeck Synthesizer";
constexpr DWORD kChannels = 2;
// The synthesizer's polyphony.
constexpr WORD kSynthVoices = 256;

struct LineInfo {
  Line line;
  DWORD id;
  DWORD source;  // the index among the sources; unused for the destination
  DWORD componentType;
  DWORD targetType;
  const char* name;
};

constexpr LineInfo kLineTable[kLines] = {
    {Line::kMaster, 0xFFFF0000u, 0, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
     MIXERLINE_TARGETTYPE_UNDEFINED, "Volume Control"},
    {Line::kWave, 0x00000000u, 0, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT,
     "Wave"},
    {Line::kSynth, 0x00010000u, 1, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER,
     MIXERLINE_TARGETTYPE_MIDIOUT, "MIDI synth"},
};
constexpr DWORD kSources = 2;

// Each line has a volume and a mute; the control id is the line's index times two, plus one
// for the mute.
constexpr DWORD kControlsPerLine = 2;
constexpr DWORD kControls = kLines * kControlsPerLine;
DWORD ControlId(int line, bool mute) { return static_cast<DWORD>(line) * 2 + (mute ? 1 : 0); }

const LineInfo* FindLine(DWORD id) {
  for (const LineInfo& line : kLineTable)
    if (line.id == id) return &line;
  return nullptr;
}

int IndexOf(const LineInfo& line) { return static_cast<int>(&line - kLineTable); }

// Handles: a slot index and a generation, so a closed or forged handle is refused. The values
// stay above every device id and within 32 bits, since mixerOpen takes a handle as a UINT.
struct Slot {
  bool live = false;
  std::uint16_t generation = 0;
  HWND window = nullptr;  // CALLBACK_WINDOW, else null
};
constexpr std::size_t kMaxHandles = 0xFFFE;

struct Handles {
  std::mutex lock;  // the GUI thread's calls and the watcher
  std::vector<Slot> slots;
  bool havePublished = false;
  Snapshot published;  // what the open windows were last told
  bool watching = false;
};

Handles& Table() {
  static auto* table = new Handles();  // lives to the end of the process: the watcher uses it
  return *table;
}

HMIXER MakeHandle(std::size_t index, std::uint16_t generation) {
  UINT_PTR value = (static_cast<UINT_PTR>(generation & 0x7FFF) << 16) | (index + 1);
  return reinterpret_cast<HMIXER>(value);
}

// The slot of a live handle, or null. The table's lock is held.
Slot* FindSlot(Handles& table, UINT_PTR value) {
  std::size_t index = (value & 0xFFFF);
  if (value > 0x7FFFFFFF || index == 0 || index > table.slots.size()) return nullptr;
  Slot& slot = table.slots[index - 1];
  if (!slot.live || (slot.generation & 0x7FFF) != (value >> 16)) return nullptr;
  return &slot;
}

bool LiveHandle(UINT_PTR value) {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  return FindSlot(table, value) != nullptr;
}

// Posts what changed since the windows were last told. The table's lock is held.
void PublishLocked(Handles& table) {
  Snapshot now = Read();
  if (!table.havePublished) {
    table.published = now;
    table.havePublished = true;
    return;
  }
  const Snapshot& before = table.published;
  std::vector<LPARAM> lines, controls;
  bool replaced = now.epoch != before.epoch;
  for (int line = 0; line < kLines; ++line) {
    if (replaced) lines.push_back(static_cast<LPARAM>(kLineTable[line].id));
    if (now.volume[line] != before.volume[line]) controls.push_back(ControlId(line, false));
    if (now.mute[line] != before.mute[line]) controls.push_back(ControlId(line, true));
  }
  table.published = now;
  for (std::size_t index = 0; index < table.slots.size(); ++index) {
    const Slot& slot = table.slots[index];
    if (!slot.live || !slot.window) continue;
    auto handle = reinterpret_cast<WPARAM>(MakeHandle(index, slot.generation));
    for (LPARAM line : lines) PostMessageA(slot.window, MM_MIXM_LINE_CHANGE, handle, line);
    for (LPARAM control : controls)
      PostMessageA(slot.window, MM_MIXM_CONTROL_CHANGE, handle, control);
  }
}

void Publish() {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  PublishLocked(table);
}

// Every call begins here: the state named by the settings, and the windows told when that
// is another state than before.
void Enter() {
  if (Attach()) Publish();
}

// Sleeps on the shared state's change counter and tells the windows what other processes
// changed. Started with the first window that listens; it waits for the life of the process
// without using any CPU while nothing changes.
void StartWatcher(Handles& table) {
  if (table.watching) return;
  table.watching = true;
  std::thread([] {
    for (;;) {
      Mark mark = Changes();
      Publish();
      WaitForChange(mark);
    }
  }).detach();
}

// Whether a waveOut or midiOut id, or such an id cast to a handle, names the one device
// (the mapper ids lead to it).
bool OneDevice(UINT_PTR value) {
  return value == 0 || value == WAVE_MAPPER || value == static_cast<UINT_PTR>(-1);
}

// Resolves the object of a mixer call to the one mixer: MMSYSERR_NOERROR, or the refusal.
MMRESULT ResolveMixer(UINT_PTR value, DWORD objectFlags) {
  bool handle = (objectFlags & MIXER_OBJECTF_HANDLE) != 0;
  MMRESULT bad = handle ? MMSYSERR_INVALHANDLE : MMSYSERR_BADDEVICEID;
  switch (objectFlags & ~MIXER_OBJECTF_HANDLE) {
    case MIXER_OBJECTF_MIXER:
      return value == 0 || (handle && LiveHandle(value)) ? MMSYSERR_NOERROR : bad;
    case MIXER_OBJECTF_WAVEOUT:
    case MIXER_OBJECTF_MIDIOUT:
      return OneDevice(value) ? MMSYSERR_NOERROR : bad;
    case MIXER_OBJECTF_WAVEIN:
    case MIXER_OBJECTF_MIDIIN:
      return bad;  // no input devices
    case MIXER_OBJECTF_AUX:
      return handle ? MMSYSERR_INVALFLAG : MMSYSERR_BADDEVICEID;
    default:
      return MMSYSERR_INVALFLAG;
  }
}

constexpr DWORD kObjectMask = 0xF0000000u;

// The object and the flags of a query call: the object bits, a query in the low four bits
// and nothing else.
MMRESULT Prologue(HMIXEROBJ object, DWORD flags, DWORD queryMask) {
  if (flags & ~(kObjectMask | queryMask)) return MMSYSERR_INVALFLAG;
  Enter();
  return ResolveMixer(reinterpret_cast<UINT_PTR>(object), flags & kObjectMask);
}

void CopyName(char* to, std::size_t size, const char* name) {
  std::memset(to, 0, size);
  std::strncpy(to, name, size - 1);
}

// The published partial copy of a capabilities block: as much as the caller's size holds.
template <class Caps>
MMRESULT GiveCaps(const Caps& caps, void* to, UINT size) {
  if (!to) return MMSYSERR_INVALPARAM;
  std::memcpy(to, &caps, std::min<std::size_t>(size, sizeof caps));
  return MMSYSERR_NOERROR;
}

void FillLine(const LineInfo& info, MIXERLINEA& line) {
  DWORD size = line.cbStruct;
  std::memset(&line, 0, sizeof line);
  line.cbStruct = size;
  bool source = info.line != Line::kMaster;
  line.dwDestination = 0;
  line.dwSource = source ? info.source : 0;
  line.dwLineID = info.id;
  line.fdwLine = MIXERLINE_LINEF_ACTIVE | (source ? MIXERLINE_LINEF_SOURCE : 0);
  line.dwComponentType = info.componentType;
  line.cChannels = kChannels;
  line.cConnections = source ? 0 : kSources;
  line.cControls = kControlsPerLine;
  CopyName(line.szShortName, sizeof line.szShortName, info.name);
  CopyName(line.szName, sizeof line.szName, info.name);
  line.Target.dwType = info.targetType;
  line.Target.dwDeviceID = 0;
  if (info.targetType != MIXERLINE_TARGETTYPE_UNDEFINED) {
    line.Target.wMid = MM_UNMAPPED;
    line.Target.wPid = MM_PID_UNMAPPED;
    line.Target.vDriverVersion = kDriverVersion;
    CopyName(line.Target.szPname, sizeof line.Target.szPname,
             info.line == Line::kWave ? kWaveName : kSynthName);
  }
}

void FillControl(DWORD id, MIXERCONTROLA& control) {
  std::memset(&control, 0, sizeof control);
  const LineInfo& line = kLineTable[id / kControlsPerLine];
  bool mute = (id % kControlsPerLine) == 1;
  control.cbStruct = sizeof control;
  control.dwControlID = id;
  control.dwControlType = mute ? MIXERCONTROL_CONTROLTYPE_MUTE : MIXERCONTROL_CONTROLTYPE_VOLUME;
  control.fdwControl = mute ? MIXERCONTROL_CONTROLF_UNIFORM : 0;
  CopyName(control.szShortName, sizeof control.szShortName, mute ? "Mute" : "Volume");
  std::string name =
      std::string(line.line == Line::kMaster ? "Master" : line.name) + (mute ? " Mute" : " Volume");
  CopyName(control.szName, sizeof control.szName, name.c_str());
  control.Bounds.dwMinimum = 0;
  control.Bounds.dwMaximum = mute ? 1 : 0xFFFF;
  control.Metrics.cSteps = mute ? 0 : 0xFFFF;
}

MMRESULT GiveControls(const MIXERLINECONTROLSA& request, DWORD first, DWORD count) {
  if (request.cbmxctrl < sizeof(MIXERCONTROLA) || !request.pamxctrl) return MMSYSERR_INVALPARAM;
  auto* to = reinterpret_cast<BYTE*>(request.pamxctrl);
  for (DWORD i = 0; i < count; ++i)
    FillControl(first + i, *reinterpret_cast<MIXERCONTROLA*>(to + i * request.cbmxctrl));
  return MMSYSERR_NOERROR;
}

// The checks every control details call shares.
MMRESULT CheckDetails(const MIXERCONTROLDETAILS* details) {
  if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
  if (details->dwControlID >= kControls) return MIXERR_INVALCONTROL;
  if (details->cChannels != 1 && details->cChannels != kChannels) return MMSYSERR_INVALPARAM;
  if (details->cMultipleItems != 0) return MMSYSERR_INVALPARAM;
  if (details->cbDetails < sizeof(DWORD) || !details->paDetails) return MMSYSERR_INVALPARAM;
  return MMSYSERR_NOERROR;
}

DWORD* DetailWord(const MIXERCONTROLDETAILS& details, DWORD channel) {
  return reinterpret_cast<DWORD*>(static_cast<BYTE*>(details.paDetails) +
                                  channel * details.cbDetails);
}

// The volume calls of the waveOut and midiOut devices.
MMRESULT GetVolume(UINT_PTR device, Line line, LPDWORD volume) {
  if (!OneDevice(device)) return MMSYSERR_INVALHANDLE;
  if (!volume) return MMSYSERR_INVALPARAM;
  Enter();
  *volume = Read().volume[static_cast<int>(line)];
  return MMSYSERR_NOERROR;
}

MMRESULT SetLineVolume(UINT_PTR device, Line line, DWORD volume) {
  if (!OneDevice(device)) return MMSYSERR_INVALHANDLE;
  Enter();
  if (SetVolume(line, volume)) Publish();
  return MMSYSERR_NOERROR;
}

// A capabilities block with what every device of ours has in common.
template <class Caps>
Caps CommonCaps(const char* name) {
  Caps caps{};
  caps.wMid = MM_UNMAPPED;
  caps.wPid = MM_PID_UNMAPPED;
  caps.vDriverVersion = kDriverVersion;
  CopyName(caps.szPname, sizeof caps.szPname, name);
  return caps;
}

}  // namespace

void CloseAllHandles() {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  for (Slot& slot : table.slots) {
    if (slot.live) ++slot.generation;
    slot.live = false;
    slot.window = nullptr;
  }
}

int OpenHandles() {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  return static_cast<int>(std::count_if(table.slots.begin(), table.slots.end(),
                                        [](const Slot& slot) { return slot.live; }));
}

}  // namespace platform::mixer

using namespace platform::mixer;

UINT waveOutGetNumDevs() { return 1; }

MMRESULT waveOutGetDevCapsA(UINT_PTR uDeviceID, LPWAVEOUTCAPSA pwoc, UINT cbwoc) {
  if (!OneDevice(uDeviceID)) return MMSYSERR_BADDEVICEID;
  auto caps = CommonCaps<WAVEOUTCAPSA>(kWaveName);
  // Any of the classic formats converts to what the output plays.
  caps.dwFormats = 0x0FFF;
  caps.wChannels = 2;
  caps.dwSupport = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
  return GiveCaps(caps, pwoc, cbwoc);
}

MMRESULT waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume) {
  return GetVolume(reinterpret_cast<UINT_PTR>(hwo), Line::kWave, pdwVolume);
}

MMRESULT waveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume) {
  return SetLineVolume(reinterpret_cast<UINT_PTR>(hwo), Line::kWave, dwVolume);
}

UINT midiOutGetNumDevs() { return 1; }

MMRESULT midiOutGetDevCapsA(UINT_PTR uDeviceID, LPMIDIOUTCAPSA pmoc, UINT cbmoc) {
  if (!OneDevice(uDeviceID)) return MMSYSERR_BADDEVICEID;
  auto caps = CommonCaps<MIDIOUTCAPSA>(kSynthName);
  caps.wTechnology = uDeviceID == 0 ? MOD_SWSYNTH : MOD_MAPPER;
  caps.wVoices = kSynthVoices;
  caps.wNotes = kSynthVoices;
  caps.wChannelMask = 0xFFFF;
  caps.dwSupport = MIDICAPS_VOLUME | MIDICAPS_LRVOLUME;
  return GiveCaps(caps, pmoc, cbmoc);
}

MMRESULT midiOutGetVolume(HMIDIOUT hmo, LPDWORD pdwVolume) {
  return GetVolume(reinterpret_cast<UINT_PTR>(hmo), Line::kSynth, pdwVolume);
}

MMRESULT midiOutSetVolume(HMIDIOUT hmo, DWORD dwVolume) {
  return SetLineVolume(reinterpret_cast<UINT_PTR>(hmo), Line::kSynth, dwVolume);
}

UINT mixerGetNumDevs() { return 1; }

MMRESULT mixerGetDevCapsA(UINT_PTR uMxId, LPMIXERCAPSA pmxcaps, UINT cbmxcaps) {
  if (uMxId != 0 && !LiveHandle(uMxId))
    return uMxId > 0xFFFF ? MMSYSERR_INVALHANDLE : MMSYSERR_BADDEVICEID;
  auto caps = CommonCaps<MIXERCAPSA>(kMixerName);
  caps.fdwSupport = 0;
  caps.cDestinations = 1;
  return GiveCaps(caps, pmxcaps, cbmxcaps);
}

MMRESULT mixerOpen(LPHMIXER phmx, UINT uMxId, DWORD_PTR dwCallback, DWORD_PTR, DWORD fdwOpen) {
  if (fdwOpen & ~(kObjectMask | CALLBACK_TYPEMASK)) return MMSYSERR_INVALFLAG;
  DWORD callback = fdwOpen & CALLBACK_TYPEMASK;
  if (callback != CALLBACK_NULL && callback != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (!phmx) return MMSYSERR_INVALPARAM;
  MMRESULT resolved = ResolveMixer(uMxId, fdwOpen & kObjectMask);
  if (resolved != MMSYSERR_NOERROR) return resolved;
  HWND window = nullptr;
  if (callback == CALLBACK_WINDOW) {
    window = reinterpret_cast<HWND>(dwCallback);
    if (!IsWindow(window)) return MMSYSERR_INVALPARAM;
  }
  Enter();
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  // What the window is told from now on starts from what holds now.
  PublishLocked(table);
  std::size_t index = 0;
  while (index < table.slots.size() && table.slots[index].live) ++index;
  if (index == table.slots.size()) {
    if (index == kMaxHandles) return MMSYSERR_NOMEM;
    table.slots.emplace_back();
  }
  Slot& slot = table.slots[index];
  slot.live = true;
  ++slot.generation;
  if ((slot.generation & 0x7FFF) == 0) ++slot.generation;
  slot.window = window;
  if (window) StartWatcher(table);
  *phmx = MakeHandle(index, slot.generation);
  return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER hmx) {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  Slot* slot = FindSlot(table, reinterpret_cast<UINT_PTR>(hmx));
  if (!slot) return MMSYSERR_INVALHANDLE;
  slot->live = false;
  slot->window = nullptr;
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetID(HMIXEROBJ hmxobj, UINT* puMxId, DWORD fdwId) {
  MMRESULT result = Prologue(hmxobj, fdwId, 0);
  if (result != MMSYSERR_NOERROR) return result;
  if (!puMxId) return MMSYSERR_INVALPARAM;
  *puMxId = 0;
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ hmxobj, LPMIXERLINEA pmxl, DWORD fdwInfo) {
  MMRESULT result = Prologue(hmxobj, fdwInfo, MIXER_GETLINEINFOF_QUERYMASK);
  if (result != MMSYSERR_NOERROR) return result;
  if (!pmxl || pmxl->cbStruct < sizeof(MIXERLINEA)) return MMSYSERR_INVALPARAM;
  const LineInfo* found = nullptr;
  switch (fdwInfo & MIXER_GETLINEINFOF_QUERYMASK) {
    case MIXER_GETLINEINFOF_DESTINATION:
      if (pmxl->dwDestination == 0) found = &kLineTable[0];
      break;
    case MIXER_GETLINEINFOF_SOURCE:
      if (pmxl->dwDestination == 0 && pmxl->dwSource < kSources)
        found = &kLineTable[1 + pmxl->dwSource];
      break;
    case MIXER_GETLINEINFOF_LINEID:
      found = FindLine(pmxl->dwLineID);
      break;
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
      for (const LineInfo& line : kLineTable)
        if (line.componentType == pmxl->dwComponentType) found = &line;
      break;
    case MIXER_GETLINEINFOF_TARGETTYPE:
      for (const LineInfo& line : kLineTable)
        if (line.targetType != MIXERLINE_TARGETTYPE_UNDEFINED &&
            line.targetType == pmxl->Target.dwType)
          found = &line;
      break;
    default:
      return MMSYSERR_INVALFLAG;
  }
  if (!found) return MIXERR_INVALLINE;
  FillLine(*found, *pmxl);
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ hmxobj, LPMIXERLINECONTROLSA pmxlc, DWORD fdwControls) {
  MMRESULT result = Prologue(hmxobj, fdwControls, MIXER_GETLINECONTROLSF_QUERYMASK);
  if (result != MMSYSERR_NOERROR) return result;
  if (!pmxlc || pmxlc->cbStruct < sizeof(MIXERLINECONTROLSA)) return MMSYSERR_INVALPARAM;
  switch (fdwControls & MIXER_GETLINECONTROLSF_QUERYMASK) {
    case MIXER_GETLINECONTROLSF_ALL: {
      const LineInfo* line = FindLine(pmxlc->dwLineID);
      if (!line) return MIXERR_INVALLINE;
      if (pmxlc->cControls != kControlsPerLine) return MMSYSERR_INVALPARAM;
      return GiveControls(*pmxlc, ControlId(IndexOf(*line), false), kControlsPerLine);
    }
    case MIXER_GETLINECONTROLSF_ONEBYID: {
      DWORD id = pmxlc->dwControlID;
      if (id >= kControls) return MIXERR_INVALCONTROL;
      result = GiveControls(*pmxlc, id, 1);
      if (result == MMSYSERR_NOERROR) pmxlc->dwLineID = kLineTable[id / kControlsPerLine].id;
      return result;
    }
    case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
      const LineInfo* line = FindLine(pmxlc->dwLineID);
      if (!line) return MIXERR_INVALLINE;
      DWORD type = pmxlc->dwControlType;
      if (type != MIXERCONTROL_CONTROLTYPE_VOLUME && type != MIXERCONTROL_CONTROLTYPE_MUTE)
        return MIXERR_INVALCONTROL;
      return GiveControls(*pmxlc, ControlId(IndexOf(*line), type == MIXERCONTROL_CONTROLTYPE_MUTE),
                          1);
    }
    default:
      return MMSYSERR_INVALFLAG;
  }
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails) {
  MMRESULT result = Prologue(hmxobj, fdwDetails, MIXER_GETCONTROLDETAILSF_QUERYMASK);
  if (result != MMSYSERR_NOERROR) return result;
  DWORD query = fdwDetails & MIXER_GETCONTROLDETAILSF_QUERYMASK;
  if (query != MIXER_GETCONTROLDETAILSF_VALUE && query != MIXER_GETCONTROLDETAILSF_LISTTEXT)
    return MMSYSERR_INVALFLAG;
  result = CheckDetails(pmxcd);
  if (result != MMSYSERR_NOERROR) return result;
  // No control here is a list: there are no item names to give.
  if (query == MIXER_GETCONTROLDETAILSF_LISTTEXT) return MMSYSERR_INVALPARAM;
  Snapshot state = Read();
  int line = static_cast<int>(pmxcd->dwControlID / kControlsPerLine);
  bool mute = (pmxcd->dwControlID % kControlsPerLine) == 1;
  DWORD volume = state.volume[line];
  DWORD left = volume & 0xFFFF, right = volume >> 16;
  for (DWORD channel = 0; channel < pmxcd->cChannels; ++channel) {
    DWORD value;
    if (mute)
      value = state.mute[line] ? 1 : 0;
    else if (pmxcd->cChannels == 1)
      value = std::max(left, right);  // the line's loudness, whatever its balance
    else
      value = channel == 0 ? left : right;
    *DetailWord(*pmxcd, channel) = value;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails) {
  MMRESULT result = Prologue(hmxobj, fdwDetails, MIXER_SETCONTROLDETAILSF_QUERYMASK);
  if (result != MMSYSERR_NOERROR) return result;
  DWORD query = fdwDetails & MIXER_SETCONTROLDETAILSF_QUERYMASK;
  if (query != MIXER_SETCONTROLDETAILSF_VALUE && query != MIXER_SETCONTROLDETAILSF_CUSTOM)
    return MMSYSERR_INVALFLAG;
  result = CheckDetails(pmxcd);
  if (result != MMSYSERR_NOERROR) return result;
  // No control here is a custom one.
  if (query == MIXER_SETCONTROLDETAILSF_CUSTOM) return MMSYSERR_INVALPARAM;
  auto line = static_cast<Line>(pmxcd->dwControlID / kControlsPerLine);
  bool changed;
  if ((pmxcd->dwControlID % kControlsPerLine) == 1) {
    changed = SetMute(line, *DetailWord(*pmxcd, 0) != 0);
  } else {
    DWORD left = *DetailWord(*pmxcd, 0);
    DWORD right = pmxcd->cChannels == 1 ? left : *DetailWord(*pmxcd, 1);
    if (left > 0xFFFF || right > 0xFFFF) return MIXERR_INVALVALUE;
    changed = SetVolume(line, left | (right << 16));
  }
  if (changed) Publish();
  return MMSYSERR_NOERROR;
}
