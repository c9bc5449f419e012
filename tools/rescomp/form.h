// The form compiler: turns the readable text of a form description into the binary
// description the form reader loads (syntax in resources/README.md).
#pragma once
#include <filesystem>
#include <string>

#include "tools/rescomp/rescomp.h"

namespace rescomp {

// Compiles form text. Picture and binary file names are taken relative to base;
// sourceName prefixes error messages ("name:line: what").
Bytes CompileFormText(const std::string& text, const std::filesystem::path& base, const std::string& sourceName);

// Appends one integer value in the smallest tag that holds it.
void PutFormInteger(Bytes& out, std::int64_t value);

// Appends an 80-bit extended float (64-bit mantissa, then sign and exponent).
void PutExtended(Bytes& out, long double value);

}  // namespace rescomp
