// Common controls: the track bar class and image lists.
#pragma once
#include "platform/types.h"
