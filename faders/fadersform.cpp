#include "faders/fadersform.h"

#include "classes/reader.h"
#include "controls/buttons.h"
#include "controls/label.h"
#include "controls/menus.h"
#include "controls/trackbar.h"
#include "faders/levels.h"
#include "forms/bridges.h"

TFadersForm* FadersForm = nullptr;

namespace {

// The description's labels have no fields: the reader finds their class by name.
struct StreamRegistration {
  StreamRegistration() { RegisterStreamClass(&TLabel::StaticClass()); }
} registration;

}  // namespace

TD_IMPLEMENT_CLASS(TFadersForm)
void TFadersForm::Describe(Describer& d) {
  d.Field("MasterGroup", &TFadersForm::MasterGroup);
  d.Field("MasterBalance", &TFadersForm::MasterBalance);
  d.Field("MasterVolume", &TFadersForm::MasterVolume);
  d.Field("MasterMute", &TFadersForm::MasterMute);
  d.Field("WaveGroup", &TFadersForm::WaveGroup);
  d.Field("WaveBalance", &TFadersForm::WaveBalance);
  d.Field("WaveVolume", &TFadersForm::WaveVolume);
  d.Field("WaveMute", &TFadersForm::WaveMute);
  d.Field("SynthGroup", &TFadersForm::SynthGroup);
  d.Field("SynthBalance", &TFadersForm::SynthBalance);
  d.Field("SynthVolume", &TFadersForm::SynthVolume);
  d.Field("SynthMute", &TFadersForm::SynthMute);
  d.Field("MainMenu1", &TFadersForm::MainMenu1);
  d.Field("Options1", &TFadersForm::Options1);
  d.Field("Exit1", &TFadersForm::Exit1);
  d.Method("FaderChange", &TFadersForm::FaderChange);
  d.Method("MuteClick", &TFadersForm::MuteClick);
  d.Method("Exit1Click", &TFadersForm::Exit1Click);
}

TFadersForm::TFadersForm(TComponent* owner) : TForm(owner) {
  ReadDescription();
  columns_[mlSpeakers] = {MasterGroup, MasterBalance, MasterVolume, MasterMute};
  columns_[mlWave] = {WaveGroup, WaveBalance, WaveVolume, WaveMute};
  columns_[mlSynth] = {SynthGroup, SynthBalance, SynthVolume, SynthMute};
  // The notices come to a window of their own, which lives as long as the form, whatever
  // becomes of the form's window.
  notices_ = AllocateUtilityWindow(&TFadersForm::NoticesEntry, this);
  mixer_ = std::make_unique<TMixerDevice>(notices_.Window);
  for (int i = 0; i < kMixerLines; ++i) {
    auto kind = static_cast<TMixerLineKind>(i);
    const TMixerLine& line = mixer_->Line(kind);
    const TColumn& column = columns_[i];
    if (line.Present) column.Group->SetCaption(line.Name);
    column.Balance->SetEnabled(line.VolumeId && line.Channels > 1);
    column.Volume->SetEnabled(line.VolumeId.has_value());
    column.Mute->SetEnabled(line.MuteId.has_value());
    column.Group->SetEnabled(line.Present);
  }
  ShowMixer();
}

TFadersForm::~TFadersForm() {
  mixer_.reset();
  DeallocateUtilityWindow(notices_);
}

void TFadersForm::ShowMixer() {
  for (int i = 0; i < kMixerLines; ++i) ShowLine(static_cast<TMixerLineKind>(i));
}

void TFadersForm::ShowLine(TMixerLineKind kind) {
  ShowVolume(kind);
  ShowMute(kind);
}

// The faders never raise OnChange for the program's own moves, so showing a value writes
// nothing back.
void TFadersForm::ShowVolume(TMixerLineKind kind) {
  std::optional<std::uint32_t> volume = mixer_->Volume(kind);
  if (!volume) return;
  const TColumn& column = columns_[kind];
  column.Volume->SetPosition(kVolumeSteps - FaderOfVolume(*volume));
  column.Balance->SetPosition(BalanceOfVolume(*volume, column.Balance->Position()));
}

void TFadersForm::ShowMute(TMixerLineKind kind) {
  if (std::optional<bool> muted = mixer_->Muted(kind)) columns_[kind].Mute->SetChecked(*muted);
}

std::optional<TMixerLineKind> TFadersForm::ColumnOf(TObject* sender) const {
  for (int i = 0; i < kMixerLines; ++i) {
    const TColumn& column = columns_[i];
    if (sender == column.Balance || sender == column.Volume || sender == column.Mute)
      return static_cast<TMixerLineKind>(i);
  }
  return std::nullopt;
}

void TFadersForm::FaderChange(TObject* sender) {
  std::optional<TMixerLineKind> kind = ColumnOf(sender);
  if (!kind) return;
  const TColumn& column = columns_[*kind];
  int fader = kVolumeSteps - column.Volume->Position();
  // A refused change leaves the faders showing what the mixer holds.
  if (!mixer_->SetVolume(*kind, VolumeOfFaders(fader, column.Balance->Position())))
    ShowVolume(*kind);
}

void TFadersForm::MuteClick(TObject* sender) {
  std::optional<TMixerLineKind> kind = ColumnOf(sender);
  if (!kind) return;
  if (!mixer_->SetMuted(*kind, columns_[*kind].Mute->Checked())) ShowMute(*kind);
}

void TFadersForm::Exit1Click(TObject*) { Close(); }

void TFadersForm::NoticesEntry(TObject* object, TMessage& message) {
  static_cast<TFadersForm*>(object)->Notices(message);
}

void TFadersForm::Notices(TMessage& message) {
  try {
    if (message.Msg == MM_MIXM_CONTROL_CHANGE) {
      auto id = static_cast<DWORD>(message.LParam);
      if (std::optional<TMixerLineKind> kind = mixer_->LineOfControl(id)) {
        if (id == mixer_->Line(*kind).VolumeId)
          ShowVolume(*kind);
        else
          ShowMute(*kind);
      }
      return;
    }
    if (message.Msg == MM_MIXM_LINE_CHANGE) {
      if (std::optional<TMixerLineKind> kind =
              mixer_->LineOfLineId(static_cast<DWORD>(message.LParam)))
        ShowLine(*kind);
      return;
    }
  } catch (...) {
    ApplicationBridge().HandleException(this);
    return;
  }
  message.Result = DefWindowProcA(notices_.Window, message.Msg, message.WParam, message.LParam);
}
