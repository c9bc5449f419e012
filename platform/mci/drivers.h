// The built-in drivers, made by the command layer.
#pragma once
#include "private.h"
#include <memory>

#include "mci/driver.h"

namespace platform::mci {

std::shared_ptr<Driver> MakeSequencerDriver();
std::shared_ptr<Driver> MakeWaveAudioDriver();
std::shared_ptr<Driver> MakeAviVideoDriver();

}  // namespace platform::mci
