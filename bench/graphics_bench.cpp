// Speed of the framework's drawing objects: text through a canvas against the same
// calls made straight on the context, and the walk of the font resource list with few
// and with many live fonts.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics.h"

namespace {

constexpr int kLines = 1000;
const char kLine[] = "C:\\MUSIC\\Songs\\Preludes and Fugues 1.mid";  // 40 characters

// A memory context over a bitmap tall enough for every line.
struct Target {
  Target() {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(400, kLines * 2, 1, 32, nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

// 1,000 lines written with TextOutA on a context with the font, colours and brush set.
void TextLinesDirect(benchmark::State& state) {
  Target target;
  TFont font;
  SelectObject(target.dc, font.Handle());
  SetTextColor(target.dc, ColorToRGB(font.Color()));
  TextOutA(target.dc, 0, 0, kLine, 40);  // warm the glyph cache
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) TextOutA(target.dc, 0, i * 2, kLine, 40);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(TextLinesDirect)->Unit(benchmark::kMicrosecond);

// The same lines through a canvas: events, state checks and the pen position after each.
void TextLinesCanvas(benchmark::State& state) {
  Target target;
  TCanvas canvas;
  canvas.SetHandle(target.dc);
  const std::string line = kLine;
  canvas.TextOut(0, 0, line);
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) canvas.TextOut(0, i * 2, line);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  canvas.SetHandle(nullptr);
}
BENCHMARK(TextLinesCanvas)->Unit(benchmark::kMicrosecond);

// Setting a font's height to a value no other font has: the lookup walks every live
// font resource, makes a new one and lets the old one go.
void FontLookupMiss(benchmark::State& state) {
  std::vector<std::unique_ptr<TFont>> live;
  for (int i = 0; i < state.range(0); ++i) {
    live.push_back(std::make_unique<TFont>());
    live.back()->SetName("Live Font " + std::to_string(i));
  }
  TFont font;
  font.SetName("Measured");
  int height = -100;
  for (auto _ : state) {
    font.SetHeight(height);
    height = height == -100 ? -101 : -100;
  }
  state.counters["fonts"] = static_cast<double>(FontManager().Count());
}
BENCHMARK(FontLookupMiss)->Arg(10)->Arg(1000);

// Finding a font that exists, at the far end of the list: the walk compares hashes
// (and bytes where they match) all the way.
void FontLookupOldest(benchmark::State& state) {
  TFont oldest;
  oldest.SetName("Oldest");
  std::vector<std::unique_ptr<TFont>> live;
  for (int i = 0; i < state.range(0); ++i) {
    live.push_back(std::make_unique<TFont>());
    live.back()->SetName("Live Font " + std::to_string(i));
  }
  TFontData record = oldest.Resource()->Font;
  for (auto _ : state) {
    TResource* found = FontManager().Acquire(&record);
    benchmark::DoNotOptimize(found);
    FontManager().Release(found);
  }
  state.counters["fonts"] = static_cast<double>(FontManager().Count());
}
BENCHMARK(FontLookupOldest)->Arg(10)->Arg(1000);

}  // namespace
