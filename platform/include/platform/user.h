// Window manager: window classes and windows, the message queue, input, timers,
// focus, painting, menus, message boxes, system colours and metrics.
#pragma once
#include "platform/types.h"
