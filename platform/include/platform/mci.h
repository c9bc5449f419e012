// The media control interface: mciSendCommandA, mciGetErrorStringA and their
// structures.
#pragma once
#include "platform/types.h"
