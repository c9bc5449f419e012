#include "audio/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/outputs.h"
#include "settings/settings.h"

namespace platform::audio {

namespace {

void CloseAtExit() { Engine::Get().Shutdown(); }

}  // namespace

Engine& Engine::Get() {
  static auto* engine = new Engine();  // lives to the end of the process
  return *engine;
}

std::string Engine::EffectiveSetting() const {
  if (!setting_.empty()) return setting_;
  return settings::Read(settings::Setting::kAudio).value_or("sdl");
}

std::unique_ptr<Output> Engine::MakeOutput(const std::string& setting, std::string& error) {
  if (setting == "null") return MakeClockedOutput(*this, "");
  if (setting.rfind("wav:", 0) == 0 && setting.size() > 4)
    return MakeClockedOutput(*this, setting.substr(4));
  if (setting == "sdl") return MakeSdlOutput(*this);
  error = "unknown audio output setting \"" + setting + "\"";
  return nullptr;
}

bool Engine::Acquire(std::string& error) {
  Collect();
  // The render reads the volumes from the state the settings name.
  mixer::Attach();
  std::string setting = EffectiveSetting();
  // An idle output of another kind gives way to the one asked for now.
  if (output_ && users_ == 0 && setting != openSetting_) CloseOutput();
  if (!output_) {
    std::unique_ptr<Output> output = MakeOutput(setting, error);
    if (!output) return false;
    if (output->RealTime()) StartNotifier();  // before the first render can end a play
    if (!output->Open(error)) {
      if (setting != "sdl") return false;
      // No sound device (no card, no sound server): songs play all the same, silently, on
      // an output paced by the clock, and the process is told so once.
      static bool told = false;
      if (!told)
        std::fprintf(stderr, "no sound device was found (%s): playing silently\n", error.c_str());
      told = true;
      output = MakeClockedOutput(*this, "");
      if (!output->Open(error)) return false;
    }
    output_ = std::move(output);
    openSetting_ = setting;
    ++openings_;
    // An output thread must not outlive the process's statics.
    static bool registered = false;
    if (!registered) registered = std::atexit(CloseAtExit) == 0;
  }
  ++users_;
  return true;
}

void Engine::Release() {
  if (users_ > 0) --users_;
  if (!output_) return;
  if (users_ == 0 && output_->ClosesWhenIdle()) {
    CloseOutput();
    return;
  }
  output_->Settle();
  Collect();
}

void Engine::Shutdown() {
  if (output_) CloseOutput();
}

void Engine::CloseOutput() {
  // Once the output is closed no render runs, so the GUI thread takes the mailbox itself.
  output_->Close();
  output_.reset();
  openSetting_.clear();
  std::vector<Letter> letters;
  {
    std::lock_guard<std::mutex> guard(mailbox_);
    letters.swap(incoming_);
  }
  Take(letters);
  DeliverEndings();
  Collect();
}

void Engine::StartNotifier() {
  if (notifierRunning_.exchange(true)) return;
  notifier_ = std::thread([this] {
    for (;;) {
      endingsWaiting_.acquire();
      DeliverEndings();
    }
  });
  notifier_.detach();  // waits for endings for the life of the process
}

int Engine::SampleRate() const { return output_ ? output_->SampleRate() : kPreferredRate; }
int Engine::LatencyFrames() const { return output_ ? output_->LatencyFrames() : 0; }

int Engine::SlotOf(int source) const {
  for (const Owner& owner : owners_)
    if (owner.id == source) return owner.slot;
  return -1;
}

int Engine::AddSource(std::unique_ptr<Source> source, mixer::Line line) {
  Collect();
  int slot = 0;
  while (slot < kMaxSources && slotBusy_[slot]) ++slot;
  if (slot == kMaxSources) return 0;
  slotBusy_[slot] = true;
  int id = nextSource_++;
  Letter letter;
  letter.command.source = slot;
  letter.added = source.get();
  letter.owner = id;
  letter.line = line;
  owners_.push_back(Owner{id, slot, std::move(source)});
  // The report of the slot's previous source must not pass for this one's.
  reports_[slot].owner.store(0, std::memory_order_release);
  std::lock_guard<std::mutex> guard(mailbox_);
  incoming_.push_back(letter);
  return id;
}

std::uint64_t Engine::Send(Command command, std::function<void()> finished) {
  Collect();
  int slot = SlotOf(command.source);
  if (slot < 0) return 0;
  std::uint64_t sequence;
  {
    std::lock_guard<std::mutex> guard(mailbox_);
    sequence = command.sequence = nextSequence_++;
    command.source = slot;
    incoming_.push_back(Letter{command, nullptr});
  }
  // Whatever the source did before, only this command's play may end with an action now.
  std::function<void()> dropped;
  {
    std::lock_guard<std::mutex> guard(finishedLock_);
    dropped = std::move(finished_[slot].action);
    finished_[slot] = Finished{sequence, std::move(finished)};
  }
  return sequence;
}

bool Engine::ReadReport(int source, SourceReport& report) {
  Collect();
  int slot = SlotOf(source);
  if (slot < 0) return false;
  SharedReport& shared = reports_[slot];
  for (;;) {
    std::uint64_t before = shared.version.load(std::memory_order_acquire);
    if (before & 1) continue;
    if (shared.owner.load(std::memory_order_relaxed) != source) return false;
    report.sequence = shared.sequence.load(std::memory_order_relaxed);
    report.state = static_cast<TransportState>(shared.state.load(std::memory_order_relaxed));
    report.position = shared.position.load(std::memory_order_relaxed);
    report.voices = shared.voices.load(std::memory_order_relaxed);
    report.endings = shared.endings.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (shared.version.load(std::memory_order_relaxed) == before) return true;
  }
}

void Engine::Collect() {
  int slot;
  while (retired_.Pop(&slot)) {
    std::erase_if(owners_, [slot](const Owner& owner) { return owner.slot == slot; });
    slotBusy_[slot] = false;
  }
}

void Engine::Take(std::vector<Letter>& letters) {
  for (Letter& letter : letters) {
    int slot = letter.command.source;
    if (letter.added) {
      slots_[slot] = letter.added;
      ownerIds_[slot] = letter.owner;
      lines_[slot] = letter.line;
      continue;
    }
    Source* source = slots_[slot];
    if (!source) continue;
    if (letter.command.kind == Command::Kind::kRemove) {
      slots_[slot] = nullptr;
      retired_.Push(slot);  // never full: a slot is retired once per source
      continue;
    }
    source->Apply(letter.command);
  }
  letters.clear();  // keeps the capacity: the list goes back to the GUI at the next swap
}

void Engine::Render(float* out, int frames, int latencyFrames) {
  {
    std::unique_lock<std::mutex> guard(mailbox_, std::try_to_lock);
    if (guard.owns_lock()) applying_.swap(incoming_);
  }
  // Owners were added by the GUI before their letters; the ids they report come with them.
  Take(applying_);

  // A render of no frames still runs the sources once, to hand back the ends of plays.
  bool ended = false;
  int done = 0;
  do {
    int n = std::min(frames - done, kMixFrames);
    Mix(out + static_cast<std::size_t>(done) * kChannels, n, latencyFrames, ended);
    done += n;
  } while (done < frames);

  for (int slot = 0; slot < kMaxSources; ++slot) {
    Source* source = slots_[slot];
    if (!source) continue;
    SourceReport report;
    source->Report(report);
    SharedReport& shared = reports_[slot];
    std::uint64_t version = shared.version.load(std::memory_order_relaxed);
    shared.version.store(version + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    shared.owner.store(ownerIds_[slot], std::memory_order_relaxed);
    shared.sequence.store(report.sequence, std::memory_order_relaxed);
    shared.state.store(static_cast<int>(report.state), std::memory_order_relaxed);
    shared.position.store(report.position, std::memory_order_relaxed);
    shared.voices.store(report.voices, std::memory_order_relaxed);
    shared.endings.store(report.endings, std::memory_order_relaxed);
    shared.version.store(version + 2, std::memory_order_release);
  }
  if (ended && notifierRunning_.load(std::memory_order_relaxed)) endingsWaiting_.release();
}

void Engine::DeliverEndings() {
  static std::mutex delivering;  // one deliverer at a time: the ring has one reader
  std::lock_guard<std::mutex> guard(delivering);
  Ending ending;
  while (endings_.Pop(&ending)) {
    std::function<void()> action;
    {
      std::lock_guard<std::mutex> lock(finishedLock_);
      Finished& waiting = finished_[ending.slot];
      if (waiting.sequence != ending.sequence || !waiting.action) continue;
      action = std::move(waiting.action);
      waiting.action = nullptr;
    }
    action();
  }
}

// Each source line is mixed at its volume: the first line with sources straight into `out`,
// scaled in place, the other into a bus added at its gain. The limiter works on that mix;
// the master volume comes after it, as the loudspeakers' own knob, so half the master is
// exactly half the amplitude whatever the limiter did.
void Engine::Mix(float* out, int frames, int latencyFrames, bool& ended) {
  constexpr mixer::Line kSourceLines[2] = {mixer::Line::kWave, mixer::Line::kSynth};
  bool empty = true;
  for (int which = 0; which < 2; ++which) {
    mixer::Line line = kSourceLines[which];
    Volume& volume = sourceVolumes_[which];
    volume.Aim(mixer::LineGain(line));
    float* target = empty ? out : bus_.data();
    bool sounding = false;
    for (int slot = 0; slot < kMaxSources; ++slot) {
      Source* source = slots_[slot];
      if (!source || lines_[slot] != line) continue;
      if (!sounding) std::fill(target, target + static_cast<std::size_t>(frames) * kChannels, 0.0f);
      sounding = true;
      source->Render(target, frames, latencyFrames);
      std::uint64_t sequence;
      while (source->TakeEnding(&sequence)) ended |= endings_.Push(Ending{slot, sequence});
    }
    if (!sounding) {
      volume.Settle();
    } else if (empty) {
      volume.Scale(out, frames);
      empty = false;
    } else {
      volume.MixInto(out, bus_.data(), frames);
    }
  }
  if (empty) std::fill(out, out + static_cast<std::size_t>(frames) * kChannels, 0.0f);
  Limit(out, frames);
  masterVolume_.Aim(mixer::LineGain(mixer::Line::kMaster));
  masterVolume_.Scale(out, frames);
}

// The mix of several sources, or one dense song, can pass full scale, and the outputs
// would clip it. A peak limiter with instant attack and a 100 ms release keeps every
// sample within kCeiling while leaving anything quieter untouched.
void Engine::Limit(float* out, int frames) {
  constexpr float kCeiling = 0.98f;
  constexpr float kRelease = 1.0f / (0.1f * kPreferredRate);
  for (int i = 0; i < frames; ++i) {
    float* frame = out + static_cast<std::size_t>(i) * kChannels;
    limiterGain_ += (1.0f - limiterGain_) * kRelease;
    float peak = std::max(std::abs(frame[0]), std::abs(frame[1]));
    if (peak * limiterGain_ > kCeiling) limiterGain_ = kCeiling / peak;
    frame[0] *= limiterGain_;
    frame[1] *= limiterGain_;
  }
}

}  // namespace platform::audio
