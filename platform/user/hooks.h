// The queue's side of hooks (hooks.cpp).
#pragma once
#include "platform/user.h"
#include "private.h"

namespace platform::user {

// Runs the keyboard, mouse and message hooks on a message being removed from the queue.
// False when a keyboard or mouse hook discarded it.
bool PassMessageHooks(MSG* msg);
// Removes every hook (a new test session starts without any).
void ResetHooks();

}  // namespace platform::user
