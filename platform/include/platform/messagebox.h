// Message boxes: a modal dialog with an icon, the text and the buttons its flags name.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

BOOL MessageBeep(UINT type);
