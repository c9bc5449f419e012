// The volume and mixer calls: the classic waveOut and midiOut volume and capability calls
// and the mixer device that shows them as lines with controls. One mixer device: the
// destination "Volume Control" (the speakers, master volume and mute) with the sources
// "Wave" (waveaudio and every other sampled sound) and "MIDI synth" (the sequencer). The
// settings are shared by every process of the user and survive a restart.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

struct HMIXER__ {
  int unused;
};
struct HMIXEROBJ__ {
  int unused;
};
struct HWAVEOUT__ {
  int unused;
};
struct HMIDIOUT__ {
  int unused;
};
using HMIXER = HMIXER__*;
using LPHMIXER = HMIXER*;
// Any object that leads to a mixer: a mixer handle or id, a waveOut or midiOut handle or id,
// as the MIXER_OBJECTF_ flag of the call says.
using HMIXEROBJ = HMIXEROBJ__*;
// There is no waveOutOpen or midiOutOpen: a device id cast to the handle type names the
// device, as the classic calls allow.
using HWAVEOUT = HWAVEOUT__*;
using HMIDIOUT = HMIDIOUT__*;
using MMRESULT = UINT;
using MMVERSION = UINT;

struct WAVEOUTCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
  DWORD dwSupport;
};
using LPWAVEOUTCAPSA = WAVEOUTCAPSA*;
using WAVEOUTCAPS = WAVEOUTCAPSA;

struct MIDIOUTCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
};
using LPMIDIOUTCAPSA = MIDIOUTCAPSA*;
using MIDIOUTCAPS = MIDIOUTCAPSA;

struct MIXERCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  DWORD fdwSupport;
  DWORD cDestinations;
};
using LPMIXERCAPSA = MIXERCAPSA*;
using MIXERCAPS = MIXERCAPSA;

struct MIXERLINEA {
  DWORD cbStruct;
  DWORD dwDestination;
  DWORD dwSource;
  DWORD dwLineID;
  DWORD fdwLine;
  DWORD_PTR dwUser;
  DWORD dwComponentType;
  DWORD cChannels;
  DWORD cConnections;
  DWORD cControls;
  CHAR szShortName[MIXER_SHORT_NAME_CHARS];
  CHAR szName[MIXER_LONG_NAME_CHARS];
  struct {
    DWORD dwType;
    DWORD dwDeviceID;
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    CHAR szPname[MAXPNAMELEN];
  } Target;
};
using LPMIXERLINEA = MIXERLINEA*;
using MIXERLINE = MIXERLINEA;

struct MIXERCONTROLA {
  DWORD cbStruct;
  DWORD dwControlID;
  DWORD dwControlType;
  DWORD fdwControl;
  DWORD cMultipleItems;
  CHAR szShortName[MIXER_SHORT_NAME_CHARS];
  CHAR szName[MIXER_LONG_NAME_CHARS];
  union {
    struct {
      LONG lMinimum;
      LONG lMaximum;
    };
    struct {
      DWORD dwMinimum;
      DWORD dwMaximum;
    };
    DWORD dwReserved[6];
  } Bounds;
  union {
    DWORD cSteps;
    DWORD cbCustomData;
    DWORD dwReserved[6];
  } Metrics;
};
using LPMIXERCONTROLA = MIXERCONTROLA*;
using MIXERCONTROL = MIXERCONTROLA;

struct MIXERLINECONTROLSA {
  DWORD cbStruct;
  DWORD dwLineID;
  union {
    DWORD dwControlID;
    DWORD dwControlType;
  };
  DWORD cControls;
  DWORD cbmxctrl;
  LPMIXERCONTROLA pamxctrl;
};
using LPMIXERLINECONTROLSA = MIXERLINECONTROLSA*;
using MIXERLINECONTROLS = MIXERLINECONTROLSA;

struct MIXERCONTROLDETAILS {
  DWORD cbStruct;
  DWORD dwControlID;
  DWORD cChannels;
  union {
    HWND hwndOwner;
    DWORD cMultipleItems;
  };
  DWORD cbDetails;
  LPVOID paDetails;
};
using LPMIXERCONTROLDETAILS = MIXERCONTROLDETAILS*;

struct MIXERCONTROLDETAILS_LISTTEXTA {
  DWORD dwParam1;
  DWORD dwParam2;
  CHAR szName[MIXER_LONG_NAME_CHARS];
};
struct MIXERCONTROLDETAILS_BOOLEAN {
  LONG fValue;
};
struct MIXERCONTROLDETAILS_SIGNED {
  LONG lValue;
};
struct MIXERCONTROLDETAILS_UNSIGNED {
  DWORD dwValue;
};

// waveOut: one device (id 0; WAVE_MAPPER leads to it), the mixer's Wave line. Volumes are
// 0 to 0xFFFF per channel, the low word left and the high word right, linear in amplitude.
UINT waveOutGetNumDevs();
MMRESULT waveOutGetDevCapsA(UINT_PTR uDeviceID, LPWAVEOUTCAPSA pwoc, UINT cbwoc);
MMRESULT waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume);
MMRESULT waveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume);

// midiOut: one device (id 0; MIDI_MAPPER leads to it), the synthesizer the sequencer plays
// through: the mixer's MIDI synth line.
UINT midiOutGetNumDevs();
MMRESULT midiOutGetDevCapsA(UINT_PTR uDeviceID, LPMIDIOUTCAPSA pmoc, UINT cbmoc);
MMRESULT midiOutGetVolume(HMIDIOUT hmo, LPDWORD pdwVolume);
MMRESULT midiOutSetVolume(HMIDIOUT hmo, DWORD dwVolume);

// The mixer. mixerOpen with CALLBACK_WINDOW has MM_MIXM_CONTROL_CHANGE (wParam the handle,
// lParam the control id) posted to the window whenever a control changes, in this process
// or another; MM_MIXM_LINE_CHANGE (lParam the line id) when a line's state as a whole was
// replaced (the shared state was reset or started afresh): read all of its controls again.
UINT mixerGetNumDevs();
MMRESULT mixerGetDevCapsA(UINT_PTR uMxId, LPMIXERCAPSA pmxcaps, UINT cbmxcaps);
MMRESULT mixerOpen(LPHMIXER phmx, UINT uMxId, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                   DWORD fdwOpen);
MMRESULT mixerClose(HMIXER hmx);
MMRESULT mixerGetID(HMIXEROBJ hmxobj, UINT* puMxId, DWORD fdwId);
MMRESULT mixerGetLineInfoA(HMIXEROBJ hmxobj, LPMIXERLINEA pmxl, DWORD fdwInfo);
MMRESULT mixerGetLineControlsA(HMIXEROBJ hmxobj, LPMIXERLINECONTROLSA pmxlc, DWORD fdwControls);
MMRESULT mixerGetControlDetailsA(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails);
MMRESULT mixerSetControlDetails(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails);
