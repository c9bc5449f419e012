// The media control interface: mciSendCommandA, mciGetErrorStringA and their
// structures. Devices: the MIDI sequencer, waveaudio and (recognised only) avivideo.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

inline constexpr MCIDEVICEID MCI_ALL_DEVICE_ID = static_cast<MCIDEVICEID>(-1);

struct MCI_GENERIC_PARMS {
  DWORD_PTR dwCallback;
};
using LPMCI_GENERIC_PARMS = MCI_GENERIC_PARMS*;

struct MCI_OPEN_PARMSA {
  DWORD_PTR dwCallback;
  MCIDEVICEID wDeviceID;
  LPCSTR lpstrDeviceType;
  LPCSTR lpstrElementName;
  LPCSTR lpstrAlias;
};
using LPMCI_OPEN_PARMSA = MCI_OPEN_PARMSA*;
using MCI_OPEN_PARMS = MCI_OPEN_PARMSA;

struct MCI_PLAY_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};
using LPMCI_PLAY_PARMS = MCI_PLAY_PARMS*;

struct MCI_SEEK_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwTo;
};
using LPMCI_SEEK_PARMS = MCI_SEEK_PARMS*;

struct MCI_STATUS_PARMS {
  DWORD_PTR dwCallback;
  DWORD_PTR dwReturn;
  DWORD dwItem;
  DWORD dwTrack;
};
using LPMCI_STATUS_PARMS = MCI_STATUS_PARMS*;

struct MCI_INFO_PARMSA {
  DWORD_PTR dwCallback;
  LPSTR lpstrReturn;
  DWORD dwRetSize;
};
using LPMCI_INFO_PARMSA = MCI_INFO_PARMSA*;
using MCI_INFO_PARMS = MCI_INFO_PARMSA;

struct MCI_GETDEVCAPS_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwReturn;
  DWORD dwItem;
};
using LPMCI_GETDEVCAPS_PARMS = MCI_GETDEVCAPS_PARMS*;

struct MCI_SYSINFO_PARMSA {
  DWORD_PTR dwCallback;
  LPSTR lpstrReturn;
  DWORD dwRetSize;
  DWORD dwNumber;
  UINT wDeviceType;
};

struct MCI_SET_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwTimeFormat;
  DWORD dwAudio;
};
using LPMCI_SET_PARMS = MCI_SET_PARMS*;

struct MCI_BREAK_PARMS {
  DWORD_PTR dwCallback;
  int nVirtKey;
  HWND hwndBreak;
};

struct MCI_SAVE_PARMSA {
  DWORD_PTR dwCallback;
  LPCSTR lpfilename;
};
using MCI_LOAD_PARMSA = MCI_SAVE_PARMSA;

struct MCI_RECORD_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};
using LPMCI_RECORD_PARMS = MCI_RECORD_PARMS*;

struct MCI_SEQ_SET_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwTimeFormat;
  DWORD dwAudio;
  DWORD dwTempo;
  DWORD dwPort;
  DWORD dwSlave;
  DWORD dwMaster;
  DWORD dwOffset;
};

struct MCI_WAVE_OPEN_PARMSA {
  DWORD_PTR dwCallback;
  MCIDEVICEID wDeviceID;
  LPCSTR lpstrDeviceType;
  LPCSTR lpstrElementName;
  LPCSTR lpstrAlias;
  DWORD dwBufferSeconds;
};

struct MCI_WAVE_SET_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwTimeFormat;
  DWORD dwAudio;
  UINT wInput;
  UINT wOutput;
  WORD wFormatTag;
  WORD wReserved2;
  WORD nChannels;
  WORD wReserved3;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wReserved4;
  WORD wBitsPerSample;
  WORD wReserved5;
};

struct MCI_ANIM_OPEN_PARMSA {
  DWORD_PTR dwCallback;
  MCIDEVICEID wDeviceID;
  LPCSTR lpstrDeviceType;
  LPCSTR lpstrElementName;
  LPCSTR lpstrAlias;
  DWORD dwStyle;
  HWND hWndParent;
};

struct MCI_ANIM_PLAY_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
  DWORD dwSpeed;
};

struct MCI_ANIM_STEP_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrames;
};
using LPMCI_ANIM_STEP_PARMS = MCI_ANIM_STEP_PARMS*;

struct MCI_ANIM_WINDOW_PARMSA {
  DWORD_PTR dwCallback;
  HWND hWnd;
  UINT nCmdShow;
  LPCSTR lpstrText;
};
using LPMCI_ANIM_WINDOW_PARMSA = MCI_ANIM_WINDOW_PARMSA*;

struct MCI_ANIM_RECT_PARMS {
  DWORD_PTR dwCallback;
  RECT rc;
};
using LPMCI_ANIM_RECT_PARMS = MCI_ANIM_RECT_PARMS*;

struct MCI_ANIM_UPDATE_PARMS {
  DWORD_PTR dwCallback;
  RECT rc;
  HDC hDC;
};

struct MCI_OVLY_WINDOW_PARMSA {
  DWORD_PTR dwCallback;
  HWND hWnd;
  UINT nCmdShow;
  LPCSTR lpstrText;
};

struct MCI_OVLY_RECT_PARMS {
  DWORD_PTR dwCallback;
  RECT rc;
};

// Time values packed into one DWORD.
constexpr BYTE MCI_TMSF_TRACK(DWORD t) { return static_cast<BYTE>(t); }
constexpr BYTE MCI_TMSF_MINUTE(DWORD t) { return static_cast<BYTE>(t >> 8); }
constexpr BYTE MCI_TMSF_SECOND(DWORD t) { return static_cast<BYTE>(t >> 16); }
constexpr BYTE MCI_TMSF_FRAME(DWORD t) { return static_cast<BYTE>(t >> 24); }
constexpr DWORD MCI_MAKE_TMSF(BYTE t, BYTE m, BYTE s, BYTE f) {
  return static_cast<DWORD>(t) | (static_cast<DWORD>(m) << 8) | (static_cast<DWORD>(s) << 16) |
         (static_cast<DWORD>(f) << 24);
}
constexpr BYTE MCI_MSF_MINUTE(DWORD t) { return static_cast<BYTE>(t); }
constexpr BYTE MCI_MSF_SECOND(DWORD t) { return static_cast<BYTE>(t >> 8); }
constexpr BYTE MCI_MSF_FRAME(DWORD t) { return static_cast<BYTE>(t >> 16); }
constexpr DWORD MCI_MAKE_MSF(BYTE m, BYTE s, BYTE f) {
  return static_cast<DWORD>(m) | (static_cast<DWORD>(s) << 8) | (static_cast<DWORD>(f) << 16);
}
constexpr BYTE MCI_HMS_HOUR(DWORD t) { return static_cast<BYTE>(t); }
constexpr BYTE MCI_HMS_MINUTE(DWORD t) { return static_cast<BYTE>(t >> 8); }
constexpr BYTE MCI_HMS_SECOND(DWORD t) { return static_cast<BYTE>(t >> 16); }
constexpr DWORD MCI_MAKE_HMS(BYTE h, BYTE m, BYTE s) {
  return static_cast<DWORD>(h) | (static_cast<DWORD>(m) << 8) | (static_cast<DWORD>(s) << 16);
}

// Sends a command to a device (MCI_OPEN to device 0). Returns 0 or an MCIERR_ code.
// With MCI_NOTIFY, MM_MCINOTIFY (wParam MCI_NOTIFY_*, lParam the device id) is posted to
// the window in the block's dwCallback when the command ends.
MCIERROR mciSendCommandA(MCIDEVICEID deviceId, UINT message, DWORD_PTR flags, DWORD_PTR parms);
// Copies the text of an error code into `buffer` (cut to fit, always terminated).
// FALSE for a code that is not one of ours.
BOOL mciGetErrorStringA(MCIERROR error, LPSTR buffer, UINT length);
