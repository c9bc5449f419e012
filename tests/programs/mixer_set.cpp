// A small program that changes the shared mixer from another process, written against
// platform/win32.h alone:
//   td_mixer_set wave VOLUME      waveOutSetVolume
//   td_mixer_set synth VOLUME     midiOutSetVolume
//   td_mixer_set control ID VALUE [VALUE]   mixerSetControlDetails, one value per channel
// Values are hexadecimal. It prints the call's result and the Wave and MIDI synth volumes it
// reads back afterwards; exit status 0, or 2 for a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"

namespace {

DWORD Number(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 16)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string what = argv[1];
  MMRESULT result;
  if (what == "wave") {
    result = waveOutSetVolume(nullptr, Number(argv[2]));
  } else if (what == "synth") {
    result = midiOutSetVolume(nullptr, Number(argv[2]));
  } else if (what == "control" && argc >= 4) {
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {{Number(argv[3])}, {0}};
    if (argc > 4) values[1].dwValue = Number(argv[4]);
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = Number(argv[2]);
    details.cChannels = argc > 4 ? 2 : 1;
    details.cbDetails = sizeof values[0];
    details.paDetails = values;
    result = mixerSetControlDetails(nullptr, &details, MIXER_OBJECTF_MIXER);
  } else {
    return 2;
  }
  DWORD wave = 0, synth = 0;
  waveOutGetVolume(nullptr, &wave);
  midiOutGetVolume(nullptr, &synth);
  std::printf("result=%u wave=%08X synth=%08X\n", result, static_cast<unsigned>(wave),
              static_cast<unsigned>(synth));
  return 0;
}
