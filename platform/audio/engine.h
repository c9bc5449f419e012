// The audio engine: sources (a sequencer, a wave player) mixed into one 32-bit float
// stereo stream that an output (SDL2 audio, the null sink, a WAV file) pulls. Each source
// sounds through a line of the shared mixer (mixer/state.h): the line's volume applies to
// it, the master volume to the whole mix, every output alike.
//
// Threading contract. The GUI thread creates a source, hands it over with AddSource and
// from then on never touches it: it steers it only with Commands and learns its state
// only from reports. The output's thread (the SDL callback, the null or WAV sink's pacing
// thread, or the thread advancing the virtual clock) is the only one that renders and
// applies commands. Rendering never allocates, frees or waits:
// - commands reach it through a mailbox it only try-locks: the GUI appends under the lock
//   (and may allocate there), the render swaps the list for its own empty one when the lock
//   is free and otherwise takes the commands at its next turn; both lists keep their
//   capacity, so neither side frees the other's memory;
// - sources live in a fixed table of slots; a removed source goes back to the GUI side
//   through a lock-free ring, and the GUI thread destroys it (Collect, called by every
//   engine call the GUI makes);
// - reports are written to each slot under a sequence counter the GUI reads without a lock;
// - a play that reaches its end is put on a lock-free ring; the action the GUI attached to
//   the play (MM_MCINOTIFY through PostMessageA) is run off the render path: by the
//   engine's notifier thread, woken through a semaphore, for a real-time output, or by the
//   clocked output right after it renders, which keeps the virtual clock deterministic.
// The output is opened by the first device and then stays open for the life of the
// process (a WAV file is finished when its last device closes), so changing songs never
// tears the audio device down.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "audio/volume.h"
#include "mixer/state.h"
#include "private.h"

namespace platform::audio {

inline constexpr int kChannels = 2;
inline constexpr int kPreferredRate = 44100;
// Sources alive at once (each open device has one).
inline constexpr int kMaxSources = 64;
// The most frames the engine mixes in one go; longer renders are cut up.
inline constexpr int kMixFrames = 4096;

enum class TransportState { kStopped, kPlaying, kPaused };

struct Command {
  enum class Kind { kPlay, kPause, kStop, kSeek, kRemove };
  Kind kind = Kind::kStop;
  int source = 0;
  std::uint64_t sequence = 0;  // stamped by Engine::Send
  std::int64_t from = -1;      // kPlay: start frame, -1 = the current position
  std::int64_t to = -1;        // kPlay: end frame, -1 = the end of the medium; kSeek: target
};

struct SourceReport {
  std::uint64_t sequence = 0;  // the last command applied
  TransportState state = TransportState::kStopped;
  std::int64_t position = 0;  // audible frame: rendered frames less the output latency
  int voices = 0;             // sounding voices (the synth's active voice count)
  std::uint64_t endings = 0;  // plays that reached their end by themselves
};

// A sound generator with a transport. Render, Apply, Report and TakeEnding run on the
// audio side and must not allocate.
class Source {
 public:
  virtual ~Source() = default;
  // Adds `frames` frames of interleaved stereo to `mix`.
  virtual void Render(float* mix, int frames, int latencyFrames) = 0;
  virtual void Apply(const Command& command) = 0;
  virtual void Report(SourceReport& report) = 0;
  // A play that reached its end by itself since the last call: its command's sequence.
  virtual bool TakeEnding(std::uint64_t* playSequence) = 0;
};

// The sink that pulls the mix.
class Output {
 public:
  virtual ~Output() = default;
  virtual bool Open(std::string& error) = 0;  // error: a short reason
  virtual void Close() = 0;
  virtual int SampleRate() const = 0;
  virtual int LatencyFrames() const = 0;
  // Whether it renders on a thread of its own in real time (the ends of plays are then
  // delivered by the engine's notifier thread).
  virtual bool RealTime() const = 0;
  // Whether it closes with its last device (a file to finish) rather than staying open.
  virtual bool ClosesWhenIdle() const { return false; }
  // Renders nothing but takes what waits in the mailbox, when the output renders only as
  // its clock moves (so that closed sources come back without waiting for time to pass).
  virtual void Settle() {}
};

class Engine {
 public:
  static Engine& Get();

  // Makes sure the output is open. False (with a reason) when it cannot be.
  bool Acquire(std::string& error);
  // A device is done with the output. The output stays open (a WAV file is finished).
  void Release();
  // Closes the output whoever uses it (the end of the process).
  void Shutdown();
  bool IsOpen() const { return output_ != nullptr; }
  int SampleRate() const;
  int LatencyFrames() const;

  // Hands a source over, sounding through a source line of the mixer (kWave or kSynth);
  // 0 when every slot is taken.
  int AddSource(std::unique_ptr<Source> source, mixer::Line line);
  // Queues a command and returns its sequence number. `finished` runs, off the render path,
  // when this play reaches its end by itself; a later command for the source drops it.
  std::uint64_t Send(Command command, std::function<void()> finished = nullptr);
  // The source's latest report; false when it has not rendered yet.
  bool ReadReport(int source, SourceReport& report);
  // Destroys the sources the render has let go of (GUI thread).
  void Collect();

  // Called by the output only: renders `frames` frames into `out` (interleaved stereo).
  // `latencyFrames`: how long a rendered frame waits before it is heard.
  void Render(float* out, int frames, int latencyFrames);
  // Runs the actions of the plays that ended (the notifier, or a clocked output after
  // rendering).
  void DeliverEndings();

  // Chooses the output: "sdl", "null" or "wav:PATH". Empty = the TD_AUDIO setting.
  // Takes effect at the next open (an idle open output of another kind is closed then).
  void SetOutputSetting(std::string setting) { setting_ = std::move(setting); }

  // For tests and benchmarks: how often an output was opened, and how many sources wait
  // to be destroyed or are alive.
  int OutputOpenings() const { return openings_; }
  int LiveSources() const { return static_cast<int>(owners_.size()); }

 private:
  Engine() = default;
  std::string EffectiveSetting() const;
  std::unique_ptr<Output> MakeOutput(const std::string& setting, std::string& error);
  void CloseOutput();
  void StartNotifier();
  void Limit(float* out, int frames);
  void Mix(float* out, int frames, int latencyFrames, bool& ended);
  int SlotOf(int source) const;

  // A slot's report, written by the render under a sequence counter (odd while writing).
  struct SharedReport {
    std::atomic<std::uint64_t> version{0};
    std::atomic<int> owner{0};
    std::atomic<std::uint64_t> sequence{0};
    std::atomic<int> state{0};
    std::atomic<std::int64_t> position{0};
    std::atomic<int> voices{0};
    std::atomic<std::uint64_t> endings{0};
  };
  // A fixed ring with one writer and one reader.
  template <class T, std::size_t N>
  struct Ring {
    std::array<T, N> items{};
    std::atomic<std::size_t> head{0}, tail{0};
    bool Push(const T& item) {
      std::size_t h = head.load(std::memory_order_relaxed);
      if (h - tail.load(std::memory_order_acquire) == N) return false;
      items[h % N] = item;
      head.store(h + 1, std::memory_order_release);
      return true;
    }
    bool Pop(T* item) {
      std::size_t t = tail.load(std::memory_order_relaxed);
      if (t == head.load(std::memory_order_acquire)) return false;
      *item = items[t % N];
      tail.store(t + 1, std::memory_order_release);
      return true;
    }
  };
  struct Letter {  // one entry of the mailbox; `command.source` is a slot here
    Command command;
    Source* added = nullptr;                // a new source for the slot
    int owner = 0;                          // and its id, for its reports
    mixer::Line line = mixer::Line::kWave;  // and the line it sounds through
  };
  struct Ending {
    int slot;
    std::uint64_t sequence;
  };
  // Applies letters (the render, or the GUI once the output is closed).
  void Take(std::vector<Letter>& letters);

  // The mailbox (GUI appends, the render swaps when it gets the lock).
  std::mutex mailbox_;
  std::vector<Letter> incoming_;
  std::uint64_t nextSequence_ = 1;

  // Audio side only: the sources by slot, the letters being applied.
  std::array<Source*, kMaxSources> slots_{};
  std::array<int, kMaxSources> ownerIds_{};
  std::array<mixer::Line, kMaxSources> lines_{};
  std::vector<Letter> applying_;
  float limiterGain_ = 1.0f;
  // The source lines' volumes and the master's, and the second line's own mix.
  Volume sourceVolumes_[2];
  Volume masterVolume_;
  std::vector<float> bus_ = std::vector<float>(static_cast<std::size_t>(kMixFrames) * kChannels);

  // Shared without locks.
  std::array<SharedReport, kMaxSources> reports_;
  Ring<int, kMaxSources> retired_;  // slots the render has let go of
  Ring<Ending, 1024> endings_;

  // Ends of plays: the actions waiting for them (GUI side and the deliverer).
  std::mutex finishedLock_;
  struct Finished {
    std::uint64_t sequence = 0;
    std::function<void()> action;
  };
  std::array<Finished, kMaxSources> finished_;
  std::counting_semaphore<> endingsWaiting_{0};
  std::thread notifier_;
  std::atomic<bool> notifierRunning_{false};

  // GUI side only. The GUI thread owns every source; the render borrows it from the moment
  // its letter is taken until its slot comes back through `retired_`.
  struct Owner {
    int id;
    int slot;
    std::unique_ptr<Source> source;
  };
  std::vector<Owner> owners_;
  std::array<bool, kMaxSources> slotBusy_{};
  std::unique_ptr<Output> output_;
  std::string openSetting_;
  int users_ = 0;
  int nextSource_ = 1;
  int openings_ = 0;
  std::string setting_;
};

}  // namespace platform::audio
