// The media player component: constructing one (its 27 glyphs are read from the
// resources), painting its bar of nine buttons, and the player's 50 ms poll of a playing
// song (Position and Mode, two status commands).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "forms/form.h"
#include "media/mediaplayer.h"
#include "platform/testing.h"
#include "tests/platform/mci/midi_builder.h"

namespace {

struct Session {
  Session() {
    setenv("TD_AUDIO", "null", 1);
    platform::testing::StartSession();
    form = TForm::CreateNew(nullptr);
    form->SetBoundsRect(RECT{0, 0, 300, 100});
    form->Show();
    player = new TMediaPlayer(form);
    player->SetParent(form);
    platform::testing::PumpUntilIdle();
  }
  TForm* form;
  TMediaPlayer* player;
  testmedia::ScratchFolder folder;
};

Session& TheSession() {
  static Session session;
  return session;
}

void ConstructPlayer(benchmark::State& state) {
  TheSession();
  for (auto _ : state) {
    auto* player = new TMediaPlayer(nullptr);
    benchmark::DoNotOptimize(player);
    delete player;
  }
}
BENCHMARK(ConstructPlayer);

void PaintBar(benchmark::State& state) {
  TMediaPlayer* player = TheSession().player;
  for (auto _ : state) player->RepaintNow();
}
BENCHMARK(PaintBar);

void PollPlayingSong(benchmark::State& state) {
  Session& session = TheSession();
  // A song long enough that it never ends while measured.
  testmedia::Track track;
  track.NoteOn(0, 0, 60).NoteOff(480 * 4000, 0, 60).End(0);
  session.player->SetFileName(session.folder.Write("long.mid", testmedia::Smf(0, 480, {track})));
  session.player->Open();
  session.player->Play();
  platform::testing::AdvanceTime(100);
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.player->Position());
    benchmark::DoNotOptimize(session.player->Mode());
  }
  session.player->Close();
}
BENCHMARK(PollPlayingSong);

}  // namespace
