// Feeds arbitrary bytes to the form reader: into an existing root, into a root it
// creates from the registry, with and without an error hook that goes on after errors.
// Seed the corpus with the main window's description (docs/reader.md).
#include <cstddef>
#include <cstdint>

#include "classes/reader.h"
#include "runtime/exceptions.h"
#include "tests/classes/reader/test_components.cpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialized = [] {
    reader_test::RegisterTestMappers();
    RegisterStreamClass(&reader_test::TForm1::StaticClass());
    SetFindGlobalComponent([](const std::string&) -> TComponent* { return nullptr; });
    return true;
  }();
  (void)initialized;
  std::vector<std::uint8_t> bytes(data, data + size);
  auto configure = [size](TReader& reader) {
    if (size % 3 == 0) {
      reader.OnError = [](TReader&, const std::string&, bool& handled) { handled = true; };
    }
  };
  if (size % 2 == 0) {
    reader_test::TForm1 form(nullptr);
    try {
      reader_test::ReadBytes(bytes, &form, configure);
    } catch (const Exception&) {
    }
    RemoveGlobalFixups(&form);
  } else {
    try {
      TComponent* root = reader_test::ReadBytes(bytes, nullptr, configure);
      RemoveGlobalFixups(root);
      delete root;
    } catch (const Exception&) {
    }
  }
  return 0;
}
