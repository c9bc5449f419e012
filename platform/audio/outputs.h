// The three outputs the engine can pull its mix through; chosen in Engine::MakeOutput.
#pragma once
#include "private.h"
#include <memory>
#include <string>

#include "audio/engine.h"

namespace platform::audio {

// SDL2 audio at the rate the device grants (44.1 kHz asked), float stereo.
std::unique_ptr<Output> MakeSdlOutput(Engine& engine);
// A sink paced by the platform clock: real time normally; on the virtual clock it renders
// exactly the frames of each advanced span on the advancing thread. With a path it writes
// what it renders to a 16-bit WAV file, else it discards it.
std::unique_ptr<Output> MakeClockedOutput(Engine& engine, std::string wavPath);

}  // namespace platform::audio
