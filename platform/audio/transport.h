// The play/pause/stop/seek logic every source with a position shares; a source adds only
// what it sounds like (Produce), how it jumps (Locate) and how it falls silent (Silence).
#pragma once
#include "audio/engine.h"
#include "private.h"

namespace platform::audio {

class TransportSource : public Source {
 public:
  explicit TransportSource(std::int64_t lengthFrames) : length_(lengthFrames) {}

  void Render(float* mix, int frames, int latencyFrames) override;
  void Apply(const Command& command) override;
  void Report(SourceReport& report) override;
  bool TakeEnding(std::uint64_t* playSequence) override;

 protected:
  // Adds the content of [start, start + frames) to `mix`; only called while playing.
  virtual void Produce(float* mix, std::int64_t start, int frames) = 0;
  // Adds what sounds while not playing (decaying notes); nothing by default.
  virtual void Idle(float*, int) {}
  // Prepares Produce to continue from `frame`, silencing what sounds.
  virtual void Locate(std::int64_t frame) = 0;
  // Stops every sound at once (pause, stop).
  virtual void Silence() = 0;
  // The play reached its end by itself: let what sounds end naturally.
  virtual void Ended() {}
  virtual int Voices() { return 0; }

 private:
  std::int64_t Audible() const;

  std::int64_t length_;
  std::int64_t position_ = 0;  // render position
  std::int64_t playStart_ = 0;
  std::int64_t end_ = 0;
  TransportState state_ = TransportState::kStopped;
  bool draining_ = false;  // the end is rendered but still in the output's buffer
  int drainLeft_ = 0;
  int latency_ = 0;
  std::uint64_t sequence_ = 0;
  std::uint64_t endings_ = 0;
  std::uint64_t playSequence_ = 0;  // the play command running
  bool ended_ = false;              // it ended by itself and nobody has been told yet
};

}  // namespace platform::audio
