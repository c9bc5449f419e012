// Drawing: device contexts, bitmaps, pens, brushes, fonts, regions, text and
// bit-block transfers.
#pragma once
#include "platform/types.h"
