// Sorted string lists and pointer lists against the standard containers doing the same
// work: a sorted vector of strings searched with lower_bound and the same locale
// comparison, and vector<void*>::push_back.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "classes/lists.h"
#include "runtime/text.h"

namespace {

std::vector<std::string> RandomStrings(std::size_t count) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> length(4, 16);
  std::uniform_int_distribution<int> letter(0, 51);
  std::vector<std::string> strings;
  strings.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string s(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : s) {
      const int l = letter(random);
      c = static_cast<char>(l < 26 ? 'a' + l : 'A' + l - 26);
    }
    strings.push_back(std::move(s));
  }
  return strings;
}

const std::vector<std::string>& Strings() {
  static const std::vector<std::string> strings = RandomStrings(100000);
  return strings;
}

bool Less(const std::string& a, const std::string& b) { return CompareLocaleNoCase(a, b) < 0; }

void SortedStringListAddThenIndexOf(benchmark::State& state) {
  for (auto _ : state) {
    TStringList list;
    list.SetSorted(true);
    for (const auto& s : Strings()) list.Add(s);
    std::int64_t found = 0;
    for (const auto& s : Strings()) found += list.IndexOf(s) >= 0;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(SortedStringListAddThenIndexOf)->Unit(benchmark::kMillisecond);

void SortedVectorInsertThenLowerBound(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> sorted;
    for (const auto& s : Strings()) {
      const auto at = std::lower_bound(sorted.begin(), sorted.end(), s, Less);
      if (at == sorted.end() || CompareLocaleNoCase(*at, s) != 0) sorted.insert(at, s);
    }
    std::int64_t found = 0;
    for (const auto& s : Strings()) {
      const auto at = std::lower_bound(sorted.begin(), sorted.end(), s, Less);
      found += at != sorted.end() && CompareLocaleNoCase(*at, s) == 0;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(SortedVectorInsertThenLowerBound)->Unit(benchmark::kMillisecond);

void PointerListAdd(benchmark::State& state) {
  for (auto _ : state) {
    TList list;
    for (std::intptr_t i = 0; i < 1000000; ++i) list.Add(reinterpret_cast<void*>(i));
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(PointerListAdd)->Unit(benchmark::kMillisecond);

void VectorPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<void*> list;
    for (std::intptr_t i = 0; i < 1000000; ++i) list.push_back(reinterpret_cast<void*>(i));
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(VectorPushBack)->Unit(benchmark::kMillisecond);

}  // namespace
