// Speed of the drawing paths the screen leans on: full-frame copies and text lines.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

void MemcpyFrame(benchmark::State& state) {
  std::vector<std::uint32_t> from(kWidth * kHeight, 0x123456), to(kWidth * kHeight);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(MemcpyFrame);

void BitBltFrame(benchmark::State& state) {
  HDC source = CreateCompatibleDC(nullptr), dest = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  HBITMAP b = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  HGDIOBJ oldA = SelectObject(source, a), oldB = SelectObject(dest, b);
  for (auto _ : state) {
    BitBlt(dest, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  SelectObject(source, oldA);
  SelectObject(dest, oldB);
  DeleteObject(a);
  DeleteObject(b);
  DeleteDC(source);
  DeleteDC(dest);
}
BENCHMARK(BitBltFrame);

void TextOutLine(benchmark::State& state) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(400, 20, 1, 32, nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "MS Sans Serif");
  HGDIOBJ oldFont = SelectObject(dc, font);
  const char line[] = "C:\\MUSIC\\Songs\\Preludes and Fugues 1.mid";  // 40 characters
  static_assert(sizeof line - 1 == 40);
  TextOutA(dc, 0, 0, line, 40);  // warm the glyph cache
  for (auto _ : state) TextOutA(dc, 0, 0, line, 40);
  state.SetItemsProcessed(state.iterations());  // lines
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
BENCHMARK(TextOutLine);

}  // namespace
