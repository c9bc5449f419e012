#include "audio/transport.h"

#include <algorithm>

namespace platform::audio {

std::int64_t TransportSource::Audible() const {
  if (state_ != TransportState::kPlaying) return position_;
  if (draining_) return position_ - drainLeft_;
  return std::max(playStart_, position_ - latency_);
}

void TransportSource::Render(float* mix, int frames, int latencyFrames) {
  latency_ = latencyFrames;
  int done = 0;
  while (done < frames) {
    float* at = mix + static_cast<std::size_t>(done) * kChannels;
    if (state_ == TransportState::kPlaying && !draining_) {
      int n = static_cast<int>(std::clamp<std::int64_t>(end_ - position_, 0, frames - done));
      if (n > 0) {
        Produce(at, position_, n);
        position_ += n;
        done += n;
      }
      if (position_ >= end_) {
        Ended();
        draining_ = true;
        drainLeft_ = latency_;
      }
    } else if (draining_) {
      int n = std::min(frames - done, drainLeft_);
      Idle(at, n);
      drainLeft_ -= n;
      done += n;
    } else {
      Idle(at, frames - done);
      done = frames;
    }
    // The play has ended once its last frame has left the output's buffer.
    if (draining_ && drainLeft_ == 0) {
      draining_ = false;
      state_ = TransportState::kStopped;
      ++endings_;
      ended_ = true;
    }
  }
}

bool TransportSource::TakeEnding(std::uint64_t* playSequence) {
  if (!ended_) return false;
  ended_ = false;
  *playSequence = playSequence_;
  return true;
}

void TransportSource::Apply(const Command& command) {
  sequence_ = command.sequence;
  switch (command.kind) {
    case Command::Kind::kPlay: {
      std::int64_t from = command.from >= 0 ? std::min(command.from, length_) : Audible();
      std::int64_t to = command.to >= 0 ? std::min(command.to, length_) : length_;
      bool continuing = state_ == TransportState::kPlaying && !draining_ && command.from < 0;
      if (!continuing) {
        position_ = from;
        Locate(from);
        playStart_ = from;
      }
      end_ = std::max(to, position_);
      draining_ = false;
      state_ = TransportState::kPlaying;
      playSequence_ = command.sequence;
      ended_ = false;
      break;
    }
    case Command::Kind::kPause:
    case Command::Kind::kStop:
      if (state_ == TransportState::kPlaying) position_ = Audible();
      draining_ = false;
      Silence();
      if (state_ == TransportState::kPlaying && command.kind == Command::Kind::kPause)
        state_ = TransportState::kPaused;
      else if (command.kind == Command::Kind::kStop)
        state_ = TransportState::kStopped;
      ended_ = false;
      break;
    case Command::Kind::kSeek:
      position_ = std::clamp<std::int64_t>(command.to, 0, length_);
      draining_ = false;
      Locate(position_);
      state_ = TransportState::kStopped;
      ended_ = false;
      break;
    case Command::Kind::kRemove:
      break;
  }
}

void TransportSource::Report(SourceReport& report) {
  report.sequence = sequence_;
  report.state = state_;
  report.position = Audible();
  report.voices = Voices();
  report.endings = endings_;
}

}  // namespace platform::audio
