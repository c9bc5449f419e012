// Reading the main window's description into the reader's test components; the target
// is at most 1 ms per read.
#include <benchmark/benchmark.h>

#include "classes/reader.h"
#include "tests/classes/reader/test_components.cpp"

namespace {

void ReadMainWindow(benchmark::State& state) {
  reader_test::RegisterTestMappers();
  SetFindGlobalComponent([](const std::string&) -> TComponent* { return nullptr; });
  for (auto _ : state) {
    reader_test::TForm1 form(nullptr);
    bool found = ReadDescriptionResources(&form, &reader_test::TTestControl::StaticClass());
    benchmark::DoNotOptimize(found);
    reader_test::AfterLoadLog().clear();
  }
  SetFindGlobalComponent(nullptr);
}
BENCHMARK(ReadMainWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
