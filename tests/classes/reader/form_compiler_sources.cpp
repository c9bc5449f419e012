// The resource compiler is a build tool, not a library; its sources are compiled into this
// test program so that its byte output can be checked directly.
#include "tools/rescomp/bytes.cpp"
#include "tools/rescomp/form.cpp"
#include "tools/rescomp/pixmap.cpp"
#include "tools/rescomp/strings.cpp"

#include "tests/classes/reader/test_components.h"

std::vector<std::uint8_t> reader_test::FormBytes(const std::string& text) {
  return rescomp::CompileFormText(text, ".", "test");
}
