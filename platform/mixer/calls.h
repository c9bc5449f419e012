// The mixer's handles, for the test harness: a new session starts without any.
#pragma once
#include "private.h"

namespace platform::mixer {

// Closes every handle mixerOpen gave out (their windows hear nothing more).
void CloseAllHandles();
// How many handles are open.
int OpenHandles();

}  // namespace platform::mixer
