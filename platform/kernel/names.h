// The comparison rule for Windows names: files, classes, registry keys and list entries
// all match without regard to ASCII case.
#pragma once
#include <string_view>

#include "private.h"

namespace platform::kernel {

// ASCII case-insensitive equality.
bool SameNoCase(std::string_view a, std::string_view b);

}  // namespace platform::kernel
