// The waveOut, midiOut and mixer calls in one process: what they answer, what they refuse,
// and the notices the windows that opened the mixer get.
#include <cstring>

#include "mixer/state.h"
#include "tests/platform/mixer/mixer_fixture.h"

using namespace mixertest;

namespace {

constexpr MMRESULT kOk = MMSYSERR_NOERROR;

TEST_F(MixerTest, OneDeviceOfEachKindWithItsCapabilities) {
  EXPECT_EQ(waveOutGetNumDevs(), 1u);
  EXPECT_EQ(midiOutGetNumDevs(), 1u);
  EXPECT_EQ(mixerGetNumDevs(), 1u);

  WAVEOUTCAPSA wave{};
  ASSERT_EQ(waveOutGetDevCapsA(0, &wave, sizeof wave), kOk);
  EXPECT_STREQ(wave.szPname, "Tunedeck Audio");
  EXPECT_EQ(wave.wChannels, 2);
  EXPECT_EQ(wave.dwSupport, DWORD(WAVECAPS_VOLUME | WAVECAPS_LRVOLUME));
  EXPECT_TRUE(wave.dwFormats & WAVE_FORMAT_4S16);
  WAVEOUTCAPSA mapped{};
  EXPECT_EQ(waveOutGetDevCapsA(WAVE_MAPPER, &mapped, sizeof mapped), kOk);
  EXPECT_STREQ(mapped.szPname, "Tunedeck Audio");

  MIDIOUTCAPSA midi{};
  ASSERT_EQ(midiOutGetDevCapsA(0, &midi, sizeof midi), kOk);
  EXPECT_STREQ(midi.szPname, "Tunedeck Synthesizer");
  EXPECT_EQ(midi.wTechnology, MOD_SWSYNTH);
  EXPECT_EQ(midi.wChannelMask, 0xFFFF);
  EXPECT_EQ(midi.dwSupport, DWORD(MIDICAPS_VOLUME | MIDICAPS_LRVOLUME));
  ASSERT_EQ(midiOutGetDevCapsA(MIDI_MAPPER, &midi, sizeof midi), kOk);
  EXPECT_EQ(midi.wTechnology, MOD_MAPPER);

  MIXERCAPSA mixer{};
  ASSERT_EQ(mixerGetDevCapsA(0, &mixer, sizeof mixer), kOk);
  EXPECT_STREQ(mixer.szPname, "Tunedeck Mixer");
  EXPECT_EQ(mixer.cDestinations, 1u);

  // A short block gets as much as it holds and nothing beyond.
  BYTE block[8];
  std::memset(block, 0xAB, sizeof block);
  ASSERT_EQ(mixerGetDevCapsA(0, reinterpret_cast<LPMIXERCAPSA>(block), 4), kOk);
  EXPECT_EQ(block[0] | (block[1] << 8), MM_UNMAPPED);
  EXPECT_EQ(block[4], 0xAB);

  EXPECT_EQ(waveOutGetDevCapsA(1, &wave, sizeof wave), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(midiOutGetDevCapsA(7, &midi, sizeof midi), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerGetDevCapsA(1, &mixer, sizeof mixer), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerGetDevCapsA(0x12345, &mixer, sizeof mixer), MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(waveOutGetDevCapsA(0, nullptr, sizeof wave), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(midiOutGetDevCapsA(0, nullptr, sizeof midi), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(mixerGetDevCapsA(0, nullptr, sizeof mixer), MMRESULT(MMSYSERR_INVALPARAM));
}

TEST_F(MixerTest, WaveOutAndMidiOutVolumesAreTheSourceLinesOfTheMixer) {
  DWORD volume = 0;
  ASSERT_EQ(waveOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0xFFFFFFFFu);  // a session starts at full volume

  ASSERT_EQ(waveOutSetVolume(nullptr, 0x40001000), kOk);
  ASSERT_EQ(midiOutSetVolume(reinterpret_cast<HMIDIOUT>(MIDI_MAPPER), 0x00008000), kOk);
  ASSERT_EQ(waveOutGetVolume(reinterpret_cast<HWAVEOUT>(WAVE_MAPPER), &volume), kOk);
  EXPECT_EQ(volume, 0x40001000u);
  ASSERT_EQ(midiOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0x00008000u);
  // The mixer shows the same values, left in the low word; one channel is the louder one.
  EXPECT_EQ(Value(kWaveVolume), 0x40001000u);
  EXPECT_EQ(Value(kWaveVolume, 1), 0x4000u);
  EXPECT_EQ(Value(kSynthVolume), 0x00008000u);
  EXPECT_EQ(Value(kMasterVolume), 0xFFFFFFFFu);
  // And the other way round.
  ASSERT_EQ(Set(kSynthVolume, {0x1234, 0x5678}), kOk);
  ASSERT_EQ(midiOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0x56781234u);

  EXPECT_EQ(waveOutSetVolume(reinterpret_cast<HWAVEOUT>(1), 0), MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(midiOutGetVolume(reinterpret_cast<HMIDIOUT>(0x10001), &volume),
            MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(waveOutGetVolume(nullptr, nullptr), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(midiOutGetVolume(nullptr, nullptr), MMRESULT(MMSYSERR_INVALPARAM));
  ASSERT_EQ(waveOutGetVolume(nullptr, &volume), kOk);
  EXPECT_EQ(volume, 0x40001000u);  // the refusals changed nothing
}

TEST_F(MixerTest, TheLinesAnswerEveryKindOfQuery) {
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  line.dwDestination = 0;
  ASSERT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_DESTINATION), kOk);
  EXPECT_STREQ(line.szName, "Volume Control");
  EXPECT_EQ(line.dwLineID, kMasterLine);
  EXPECT_EQ(line.dwComponentType, DWORD(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
  EXPECT_EQ(line.cChannels, 2u);
  EXPECT_EQ(line.cConnections, 2u);
  EXPECT_EQ(line.cControls, 2u);
  EXPECT_EQ(line.fdwLine, DWORD(MIXERLINE_LINEF_ACTIVE));

  line.dwSource = 1;
  ASSERT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_SOURCE), kOk);
  EXPECT_STREQ(line.szName, "MIDI synth");
  EXPECT_STREQ(line.szShortName, "MIDI synth");
  EXPECT_EQ(line.dwLineID, kSynthLine);
  EXPECT_EQ(line.dwSource, 1u);
  EXPECT_EQ(line.fdwLine, MIXERLINE_LINEF_ACTIVE | MIXERLINE_LINEF_SOURCE);
  EXPECT_EQ(line.dwComponentType, DWORD(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER));
  EXPECT_EQ(line.Target.dwType, DWORD(MIXERLINE_TARGETTYPE_MIDIOUT));
  EXPECT_STREQ(line.Target.szPname, "Tunedeck Synthesizer");

  line = MIXERLINEA{};
  line.cbStruct = sizeof line;
  line.dwLineID = kWaveLine;
  ASSERT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_LINEID), kOk);
  EXPECT_STREQ(line.szName, "Wave");
  EXPECT_EQ(line.dwSource, 0u);
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER;
  ASSERT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), kOk);
  EXPECT_EQ(line.dwLineID, kSynthLine);
  line.Target.dwType = MIXERLINE_TARGETTYPE_WAVEOUT;
  ASSERT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_TARGETTYPE), kOk);
  EXPECT_EQ(line.dwLineID, kWaveLine);
  EXPECT_STREQ(line.Target.szPname, "Tunedeck Audio");
  // The waveOut and midiOut devices lead to the same mixer.
  line.dwDestination = 0;
  EXPECT_EQ(mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(WAVE_MAPPER), &line,
                              MIXER_OBJECTF_WAVEOUT | MIXER_GETLINEINFOF_DESTINATION),
            kOk);
  EXPECT_EQ(
      mixerGetLineInfoA(nullptr, &line, MIXER_OBJECTF_HMIDIOUT | MIXER_GETLINEINFOF_DESTINATION),
      kOk);
}

TEST_F(MixerTest, LineQueriesRefuseWhatNamesNoLine) {
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  const MMRESULT kNoLine = MIXERR_INVALLINE;
  line.dwDestination = 1;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_DESTINATION), kNoLine);
  line.dwDestination = 0;
  line.dwSource = 2;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_SOURCE), kNoLine);
  line.dwLineID = 0x00020000;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_LINEID), kNoLine);
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), kNoLine);
  line.Target.dwType = MIXERLINE_TARGETTYPE_WAVEIN;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_TARGETTYPE), kNoLine);
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, 5), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, 0x100), MMRESULT(MMSYSERR_INVALFLAG));
  line.cbStruct = sizeof line - 1;
  EXPECT_EQ(mixerGetLineInfoA(nullptr, &line, MIXER_GETLINEINFOF_DESTINATION),
            MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(mixerGetLineInfoA(nullptr, nullptr, 0), MMRESULT(MMSYSERR_INVALPARAM));

  // Objects that lead to no mixer.
  line.cbStruct = sizeof line;
  line.dwDestination = 0;
  auto object = [](UINT_PTR value) { return reinterpret_cast<HMIXEROBJ>(value); };
  EXPECT_EQ(mixerGetLineInfoA(object(1), &line, MIXER_OBJECTF_MIXER),
            MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerGetLineInfoA(object(0x30001), &line, MIXER_OBJECTF_HMIXER),
            MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(mixerGetLineInfoA(object(2), &line, MIXER_OBJECTF_WAVEOUT),
            MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerGetLineInfoA(object(2), &line, MIXER_OBJECTF_HMIDIOUT),
            MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(mixerGetLineInfoA(object(0), &line, MIXER_OBJECTF_WAVEIN),
            MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerGetLineInfoA(object(0), &line, MIXER_OBJECTF_HMIDIIN),
            MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(mixerGetLineInfoA(object(0), &line, 0x60000000), MMRESULT(MMSYSERR_INVALFLAG));
}

TEST_F(MixerTest, EachLineHasAVolumeAndAMute) {
  MIXERCONTROLA controls[2];
  MIXERLINECONTROLSA request{};
  request.cbStruct = sizeof request;
  request.dwLineID = kSynthLine;
  request.cControls = 2;
  request.cbmxctrl = sizeof controls[0];
  request.pamxctrl = controls;
  ASSERT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL), kOk);
  EXPECT_EQ(controls[0].dwControlID, kSynthVolume);
  EXPECT_EQ(controls[0].dwControlType, DWORD(MIXERCONTROL_CONTROLTYPE_VOLUME));
  EXPECT_EQ(controls[0].fdwControl, 0u);
  EXPECT_EQ(controls[0].Bounds.dwMinimum, 0u);
  EXPECT_EQ(controls[0].Bounds.dwMaximum, 0xFFFFu);
  EXPECT_STREQ(controls[0].szName, "MIDI synth Volume");
  EXPECT_EQ(controls[1].dwControlID, kSynthMute);
  EXPECT_EQ(controls[1].dwControlType, DWORD(MIXERCONTROL_CONTROLTYPE_MUTE));
  EXPECT_EQ(controls[1].fdwControl, DWORD(MIXERCONTROL_CONTROLF_UNIFORM));
  EXPECT_STREQ(controls[1].szShortName, "Mute");

  // One by id tells the line it belongs to; one by type finds it on the line.
  request.dwControlID = kMasterMute;
  request.dwLineID = 0;
  ASSERT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ONEBYID), kOk);
  EXPECT_EQ(request.dwLineID, kMasterLine);
  EXPECT_STREQ(controls[0].szName, "Master Mute");
  request.dwLineID = kWaveLine;
  request.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
  ASSERT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ONEBYTYPE), kOk);
  EXPECT_EQ(controls[0].dwControlID, kWaveVolume);

  // Refusals.
  request.dwControlType = MIXERCONTROL_CONTROLTYPE_BASS;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ONEBYTYPE),
            MMRESULT(MIXERR_INVALCONTROL));
  request.dwControlID = 6;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ONEBYID),
            MMRESULT(MIXERR_INVALCONTROL));
  request.dwLineID = 0x1234;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL),
            MMRESULT(MIXERR_INVALLINE));
  request.dwLineID = kWaveLine;
  request.cControls = 1;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL),
            MMRESULT(MMSYSERR_INVALPARAM));
  request.cControls = 2;
  request.cbmxctrl = sizeof controls[0] - 4;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL),
            MMRESULT(MMSYSERR_INVALPARAM));
  request.cbmxctrl = sizeof controls[0];
  request.pamxctrl = nullptr;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL),
            MMRESULT(MMSYSERR_INVALPARAM));
  request.pamxctrl = controls;
  request.cbStruct = 8;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, MIXER_GETLINECONTROLSF_ALL),
            MMRESULT(MMSYSERR_INVALPARAM));
  request.cbStruct = sizeof request;
  EXPECT_EQ(mixerGetLineControlsA(nullptr, &request, 3), MMRESULT(MMSYSERR_INVALFLAG));
}

TEST_F(MixerTest, ControlDetailsPerChannelOrUniform) {
  ASSERT_EQ(Set(kMasterVolume, {0x8000, 0x4000}), kOk);
  EXPECT_EQ(Value(kMasterVolume), 0x40008000u);
  EXPECT_EQ(Value(kMasterVolume, 1), 0x8000u);
  // One channel sets both.
  ASSERT_EQ(Set(kWaveVolume, {0x2000}), kOk);
  EXPECT_EQ(Value(kWaveVolume), 0x20002000u);
  // A mute reads the same on every channel asked for.
  ASSERT_EQ(Set(kWaveMute, {1}), kOk);
  EXPECT_EQ(Value(kWaveMute, 1), 1u);
  EXPECT_EQ(Value(kWaveMute), 0x00010001u);
  EXPECT_EQ(Value(kSynthMute, 1), 0u);
  ASSERT_EQ(Set(kWaveMute, {0}), kOk);
  EXPECT_EQ(Value(kWaveMute, 1), 0u);
  // A longer detail record per channel is stepped over.
  struct Wide {
    DWORD value;
    DWORD padding;
  } wide[2] = {{0x1111, 0xEEEE}, {0x2222, 0xEEEE}};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = kSynthVolume;
  details.cChannels = 2;
  details.cbDetails = sizeof(Wide);
  details.paDetails = wide;
  ASSERT_EQ(mixerSetControlDetails(nullptr, &details, MIXER_SETCONTROLDETAILSF_VALUE), kOk);
  EXPECT_EQ(Value(kSynthVolume), 0x22221111u);
}

TEST_F(MixerTest, ControlDetailsRefuseBadRequestsAndChangeNothing) {
  DWORD values[2] = {0, 0};
  EXPECT_EQ(Get(6, 2, values), MMRESULT(MIXERR_INVALCONTROL));
  EXPECT_EQ(Set(0x100, {1}), MMRESULT(MIXERR_INVALCONTROL));
  EXPECT_EQ(Get(kWaveVolume, 0, values), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(Get(kWaveVolume, 3, values), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(Set(kWaveVolume, {0x10000, 0}), MMRESULT(MIXERR_INVALVALUE));
  EXPECT_EQ(Get(kWaveVolume, 2, values, MIXER_GETCONTROLDETAILSF_LISTTEXT),
            MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(Set(kWaveVolume, {1, 1}, MIXER_SETCONTROLDETAILSF_CUSTOM),
            MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(Get(kWaveVolume, 2, values, 2), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(Set(kWaveVolume, {1, 1}, 0x10), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(mixerGetControlDetailsA(nullptr, nullptr, 0), MMRESULT(MMSYSERR_INVALPARAM));

  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = kWaveVolume;
  details.cChannels = 2;
  details.cbDetails = sizeof(DWORD);
  details.paDetails = nullptr;
  EXPECT_EQ(mixerSetControlDetails(nullptr, &details, 0), MMRESULT(MMSYSERR_INVALPARAM));
  details.paDetails = values;
  details.cbDetails = 2;
  EXPECT_EQ(mixerSetControlDetails(nullptr, &details, 0), MMRESULT(MMSYSERR_INVALPARAM));
  details.cbDetails = sizeof(DWORD);
  details.cMultipleItems = 2;
  EXPECT_EQ(mixerGetControlDetailsA(nullptr, &details, 0), MMRESULT(MMSYSERR_INVALPARAM));
  details.cMultipleItems = 0;
  details.cbStruct = 12;
  EXPECT_EQ(mixerGetControlDetailsA(nullptr, &details, 0), MMRESULT(MMSYSERR_INVALPARAM));
  details.cbStruct = sizeof details;
  EXPECT_EQ(mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(3), &details, MIXER_OBJECTF_MIXER),
            MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(Value(kWaveVolume), 0xFFFFFFFFu);
  EXPECT_EQ(Notices().size(), 0u);
}

TEST_F(MixerTest, WindowsThatOpenedTheMixerHearOfEveryChange) {
  HMIXER first = Open(window);
  HWND other = NewWindow();
  HMIXER second = Open(other);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first, second);

  ASSERT_EQ(Set(kMasterMute, {1}), kOk);
  EXPECT_EQ(Delivered(),
            (std::vector<Notice>{{window, MM_MIXM_CONTROL_CHANGE, WPARAM(first), kMasterMute},
                                 {other, MM_MIXM_CONTROL_CHANGE, WPARAM(second), kMasterMute}}));
  // Through the classic calls as well; a value that does not change tells nothing.
  ASSERT_EQ(midiOutSetVolume(nullptr, 0x7000), kOk);
  ASSERT_EQ(waveOutSetVolume(nullptr, 0xFFFFFFFF), kOk);
  ASSERT_EQ(Set(kMasterMute, {1}), kOk);
  EXPECT_EQ(Delivered(),
            (std::vector<Notice>{{window, MM_MIXM_CONTROL_CHANGE, WPARAM(first), kSynthVolume},
                                 {other, MM_MIXM_CONTROL_CHANGE, WPARAM(second), kSynthVolume}}));

  ASSERT_EQ(mixerClose(second), kOk);
  EXPECT_EQ(mixerClose(second), MMRESULT(MMSYSERR_INVALHANDLE));
  ASSERT_EQ(Set(kWaveMute, {1}), kOk);
  EXPECT_EQ(Delivered(),
            (std::vector<Notice>{{window, MM_MIXM_CONTROL_CHANGE, WPARAM(first), kWaveMute}}));
  // A closed handle names nothing any more; an open one names the mixer.
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  EXPECT_EQ(mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(second), &line, MIXER_OBJECTF_HMIXER),
            MMRESULT(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(first), &line, MIXER_OBJECTF_HMIXER),
            kOk);
  UINT id = 7;
  EXPECT_EQ(mixerGetID(reinterpret_cast<HMIXEROBJ>(first), &id, MIXER_OBJECTF_HMIXER), kOk);
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(mixerClose(first), kOk);
}

TEST_F(MixerTest, AReplacedStateChangesEveryLine) {
  HMIXER mixer = Open(window);
  ASSERT_EQ(Set(kSynthMute, {1}), kOk);
  Delivered();
  platform::mixer::Reset();
  // Nothing of this process changed a control: the notices come from the watcher thread.
  std::vector<Notice> got;
  for (int i = 0; i < 400 && got.size() < 4; ++i) {
    std::vector<Notice> more = Delivered();
    got.insert(got.end(), more.begin(), more.end());
    if (got.size() < 4) usleep(5000);
  }
  EXPECT_EQ(got,
            (std::vector<Notice>{{window, MM_MIXM_LINE_CHANGE, WPARAM(mixer), kMasterLine},
                                 {window, MM_MIXM_LINE_CHANGE, WPARAM(mixer), kWaveLine},
                                 {window, MM_MIXM_LINE_CHANGE, WPARAM(mixer), kSynthLine},
                                 {window, MM_MIXM_CONTROL_CHANGE, WPARAM(mixer), kSynthMute}}));
  mixerClose(mixer);
}

TEST_F(MixerTest, OpeningRefusesWhatCannotBeOpened) {
  HMIXER mixer = nullptr;
  EXPECT_EQ(mixerOpen(nullptr, 0, 0, 0, CALLBACK_NULL), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(mixerOpen(&mixer, 1, 0, 0, CALLBACK_NULL), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixerOpen(&mixer, 0, 0x4242, 0, CALLBACK_WINDOW), MMRESULT(MMSYSERR_INVALPARAM));
  EXPECT_EQ(mixerOpen(&mixer, 0, 0, 0, CALLBACK_FUNCTION), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(mixerOpen(&mixer, 0, 0, 0, CALLBACK_EVENT), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(mixerOpen(&mixer, 0, 0, 0, 0x8), MMRESULT(MMSYSERR_INVALFLAG));
  EXPECT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_AUX), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(mixer, nullptr);
  EXPECT_EQ(mixerClose(nullptr), MMRESULT(MMSYSERR_INVALHANDLE));
  // By the waveOut device it leads to; a handle without a window hears nothing.
  ASSERT_EQ(mixerOpen(&mixer, WAVE_MAPPER, 0, 0, MIXER_OBJECTF_WAVEOUT | CALLBACK_NULL), kOk);
  ASSERT_EQ(Set(kWaveMute, {1}), kOk);
  EXPECT_TRUE(Delivered().empty());
  EXPECT_EQ(mixerClose(mixer), kOk);
}

}  // namespace
