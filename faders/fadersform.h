// TFadersForm: Faders' main window, read from the description "TFADERSFORM". One column (a
// group box named after its line) for each line of the shared mixer: the speakers and the
// sources Wave and MIDI synth, each with a balance fader, a volume fader (top is loud) and
// a mute box. Moving a control changes the mixer at once; a change made anywhere else (another
// Faders, a program calling waveOutSetVolume) comes back as a mixer notice and moves the
// controls. A column whose line the mixer lacks is disabled.
#pragma once
#include <array>
#include <memory>

#include "faders/mixerdevice.h"
#include "forms/form.h"
#include "forms/wndproc.h"

class TGroupBox;
class TTrackBar;
class TCheckBox;
class TMainMenu;
class TMenuItem;

class TFadersForm : public TForm {
  TD_CLASS(TFadersForm, TForm)

 public:
  // Reads the description, opens the mixer and shows what it holds.
  explicit TFadersForm(TComponent* owner);
  ~TFadersForm() override;

  // The components, bound by name when the description is read; the form owns them.
  TGroupBox* MasterGroup = nullptr;
  TTrackBar* MasterBalance = nullptr;
  TTrackBar* MasterVolume = nullptr;
  TCheckBox* MasterMute = nullptr;
  TGroupBox* WaveGroup = nullptr;
  TTrackBar* WaveBalance = nullptr;
  TTrackBar* WaveVolume = nullptr;
  TCheckBox* WaveMute = nullptr;
  TGroupBox* SynthGroup = nullptr;
  TTrackBar* SynthBalance = nullptr;
  TTrackBar* SynthVolume = nullptr;
  TCheckBox* SynthMute = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Options1 = nullptr;
  TMenuItem* Exit1 = nullptr;

  // Event handlers, bound by name from the description.
  // A balance or volume fader moved: the line's volume becomes what the two make.
  void FaderChange(TObject* sender);
  void MuteClick(TObject* sender);
  // Closes the window, which ends the program with status 0.
  void Exit1Click(TObject* sender);

  const TMixerDevice& Mixer() const { return *mixer_; }
  // Shows what the mixer holds now, for every line.
  void ShowMixer();

 private:
  struct TColumn {
    TGroupBox* Group;
    TTrackBar* Balance;
    TTrackBar* Volume;
    TCheckBox* Mute;
  };
  std::optional<TMixerLineKind> ColumnOf(TObject* sender) const;
  void ShowVolume(TMixerLineKind kind);
  void ShowMute(TMixerLineKind kind);
  void ShowLine(TMixerLineKind kind);
  static void NoticesEntry(TObject* object, TMessage& message);
  void Notices(TMessage& message);

  std::array<TColumn, kMixerLines> columns_{};
  TUtilityWindow notices_;
  std::unique_ptr<TMixerDevice> mixer_;
};

// The main window, filled by Application->CreateForm.
extern TFadersForm* FadersForm;
