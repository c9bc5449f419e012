// The resource compiler is a build tool, not a library; its form compiler is compiled into
// this test program so that tests can write their descriptions as text.
#include "tests/controls/form_text.h"

#include "classes/reader.h"
#include "classes/streams.h"
#include "tools/rescomp/bytes.cpp"
#include "tools/rescomp/form.cpp"
#include "tools/rescomp/pixmap.cpp"
#include "tools/rescomp/strings.cpp"

void ReadFormText(const std::string& text, TComponent* root) {
  rescomp::Bytes bytes = rescomp::CompileFormText(text, ".", "test");
  TMemoryStream stream;
  stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  ReadStreamDescription(stream, root);
}
