// The audio engine: sources (a sequencer, a wave player) mixed into one 32-bit float
// stereo stream that an output (SDL2 audio, the null sink, a WAV file) pulls.
//
// Threading contract. The GUI thread creates a source, hands it over with AddSource and
// from then on never touches it: it steers it only with Commands and learns its state
// only from SourceReports. The output's thread (the SDL callback, the null or WAV sink's
// pacing thread, or the thread advancing the virtual clock) is the only one that renders,
// applies commands and destroys sources. The two sides share one mailbox: a mutex held
// only to append or swap out the command list and to copy reports, never while rendering.
// The one call that crosses back is a command's `finished` action, run by the audio side
// after the mailbox lock is released; the media layer uses it to post MM_MCINOTIFY with
// PostMessageA, which is thread-safe.
#pragma once
#include "private.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::audio {

inline constexpr int kChannels = 2;
inline constexpr int kPreferredRate = 44100;

enum class TransportState { kStopped, kPlaying, kPaused };

struct Command {
  enum class Kind { kPlay, kPause, kStop, kSeek, kRemove };
  Kind kind = Kind::kStop;
  int source = 0;
  std::uint64_t sequence = 0;  // stamped by Engine::Send
  std::int64_t from = -1;      // kPlay: start frame, -1 = the current position
  std::int64_t to = -1;        // kPlay: end frame, -1 = the end of the medium; kSeek: target
  // Runs on the audio side when this play reaches its end by itself.
  std::function<void()> finished;
};

struct SourceReport {
  std::uint64_t sequence = 0;  // the last command applied
  TransportState state = TransportState::kStopped;
  std::int64_t position = 0;  // audible frame: rendered frames less the output latency
  int voices = 0;             // sounding voices (the synth's active voice count)
  std::uint64_t endings = 0;  // plays that reached their end by themselves
};

// A sound generator with a transport. Render, Apply and Report run on the audio side.
class Source {
 public:
  virtual ~Source() = default;
  // Adds `frames` frames of interleaved stereo to `mix`. A play that reaches its end
  // moves its `finished` action to `finished`; the engine runs it after the render.
  virtual void Render(float* mix, int frames, int latencyFrames,
                      std::vector<std::function<void()>>& finished) = 0;
  virtual void Apply(Command& command) = 0;
  virtual void Report(SourceReport& report) = 0;
};

// The sink that pulls the mix: opened when the first source arrives, closed with the last.
class Output {
 public:
  virtual ~Output() = default;
  virtual bool Open(std::string& error) = 0;  // error: a short reason
  virtual void Close() = 0;
  virtual int SampleRate() const = 0;
  virtual int LatencyFrames() const = 0;
};

class Engine {
 public:
  static Engine& Get();

  // Opens the output if no device uses it yet. False (with a reason) when it cannot.
  bool Acquire(std::string& error);
  // The last release closes the output and destroys whatever sources remain.
  void Release();
  bool IsOpen() const { return output_ != nullptr; }
  int SampleRate() const;
  int LatencyFrames() const;

  int AddSource(std::unique_ptr<Source> source);
  // Queues a command and returns its sequence number.
  std::uint64_t Send(Command command);
  // The source's latest report; false when it has not rendered yet.
  bool ReadReport(int source, SourceReport& report);

  // Called by the output only: renders `frames` frames into `out` (interleaved stereo).
  // `latencyFrames`: how long a rendered frame waits before it is heard.
  void Render(float* out, int frames, int latencyFrames);

  // Chooses the output: "sdl", "null" or "wav:PATH". Empty = the TD_AUDIO setting.
  // Takes effect at the next open.
  void SetOutputSetting(std::string setting) { setting_ = std::move(setting); }

 private:
  Engine() = default;
  std::unique_ptr<Output> MakeOutput(std::string& error);
  void Limit(float* out, int frames);

  // The mailbox: everything both sides touch.
  std::mutex mailbox_;
  std::vector<Command> commands_;
  std::vector<std::pair<int, std::unique_ptr<Source>>> added_;
  std::unordered_map<int, SourceReport> reports_;
  std::uint64_t nextSequence_ = 1;

  // Audio side only.
  std::vector<std::pair<int, std::unique_ptr<Source>>> sources_;
  float limiterGain_ = 1.0f;

  // GUI side only.
  std::unique_ptr<Output> output_;
  int users_ = 0;
  int nextSource_ = 1;
  std::string setting_;
};

}  // namespace platform::audio
