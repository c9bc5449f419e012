// The Win32-shaped API of the platform layer: every service the framework and the
// player call, with the published names, numbers and structures.
#pragma once
#include "platform/types.h"
#include "platform/constants.h"
#include "platform/clock.h"
#include "platform/kernel.h"
#include "platform/resources.h"
#include "platform/user.h"
#include "platform/menu.h"
#include "platform/messagebox.h"
#include "platform/gdi.h"
#include "platform/controls.h"
#include "platform/commctrl.h"
#include "platform/system.h"
#include "platform/mci.h"
#include "platform/mixer.h"
