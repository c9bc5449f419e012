#include "audio/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/outputs.h"
#include "settings/settings.h"

namespace platform::audio {

Engine& Engine::Get() {
  static auto* engine = new Engine();  // lives to the end of the process
  return *engine;
}

std::unique_ptr<Output> Engine::MakeOutput(std::string& error) {
  std::string setting = setting_;
  if (setting.empty()) {
    setting = settings::Read(settings::Setting::kAudio).value_or("sdl");
  }
  if (setting == "null") return MakeClockedOutput(*this, "");
  if (setting.rfind("wav:", 0) == 0 && setting.size() > 4)
    return MakeClockedOutput(*this, setting.substr(4));
  if (setting == "sdl") return MakeSdlOutput(*this);
  error = "unknown audio output setting \"" + setting + "\"";
  return nullptr;
}

bool Engine::Acquire(std::string& error) {
  if (users_ > 0) {
    ++users_;
    return true;
  }
  std::unique_ptr<Output> output = MakeOutput(error);
  if (!output || !output->Open(error)) return false;
  output_ = std::move(output);
  users_ = 1;
  return true;
}

void Engine::Release() {
  if (users_ == 0 || --users_ > 0) return;
  // Once the output is closed no audio thread runs, so the GUI thread may clear up.
  output_->Close();
  output_.reset();
  std::lock_guard<std::mutex> guard(mailbox_);
  commands_.clear();
  added_.clear();
  reports_.clear();
  sources_.clear();
}

int Engine::SampleRate() const { return output_ ? output_->SampleRate() : kPreferredRate; }
int Engine::LatencyFrames() const { return output_ ? output_->LatencyFrames() : 0; }

int Engine::AddSource(std::unique_ptr<Source> source) {
  int id = nextSource_++;
  std::lock_guard<std::mutex> guard(mailbox_);
  added_.emplace_back(id, std::move(source));
  return id;
}

std::uint64_t Engine::Send(Command command) {
  std::lock_guard<std::mutex> guard(mailbox_);
  command.sequence = nextSequence_++;
  std::uint64_t sequence = command.sequence;
  commands_.push_back(std::move(command));
  return sequence;
}

bool Engine::ReadReport(int source, SourceReport& report) {
  std::lock_guard<std::mutex> guard(mailbox_);
  auto it = reports_.find(source);
  if (it == reports_.end()) return false;
  report = it->second;
  return true;
}

void Engine::Render(float* out, int frames, int latencyFrames) {
  std::vector<Command> commands;
  {
    std::lock_guard<std::mutex> guard(mailbox_);
    commands.swap(commands_);
    for (auto& added : added_) sources_.push_back(std::move(added));
    added_.clear();
  }
  std::vector<std::function<void()>> actions;
  std::vector<int> removed;
  for (Command& command : commands) {
    auto it = std::find_if(sources_.begin(), sources_.end(),
                           [&](auto& s) { return s.first == command.source; });
    if (it == sources_.end()) continue;
    if (command.kind == Command::Kind::kRemove) {
      sources_.erase(it);
      removed.push_back(command.source);
      continue;
    }
    it->second->Apply(command);
  }

  std::fill(out, out + static_cast<std::size_t>(frames) * kChannels, 0.0f);
  for (auto& [id, source] : sources_) source->Render(out, frames, latencyFrames, actions);
  Limit(out, frames);

  {
    std::lock_guard<std::mutex> guard(mailbox_);
    for (int id : removed) reports_.erase(id);
    for (auto& [id, source] : sources_) source->Report(reports_[id]);
  }
  for (auto& action : actions) action();
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
