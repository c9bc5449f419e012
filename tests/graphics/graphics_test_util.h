// Helpers for the graphics tests: a headless session per test and a memory context over
// a fresh colour bitmap that a canvas can draw on.
#pragma once
#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "graphics/graphics.h"
#include "platform/testing.h"

namespace graphics_test {

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::StartSession(); }
  void TearDown() override { platform::testing::EndSession(); }
};

// A memory context with a width x height colour bitmap selected, filled white.
struct MemoryContext {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  MemoryContext(int width, int height) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(width, height, 1, 32, nullptr);
    previous = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
  }
  ~MemoryContext() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  MemoryContext(const MemoryContext&) = delete;
  MemoryContext& operator=(const MemoryContext&) = delete;
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
};

// Counts the events of a canvas or graphic object in order: "changing" and "change".
class EventLog : public TObject {
 public:
  void Changing(TObject*) { events += "changing;"; }
  void Change(TObject*) { events += "change;"; }
  void Watch(TCanvas& canvas) {
    canvas.OnChanging = TNotifyEvent(this, &EventLog::Changing);
    canvas.OnChange = TNotifyEvent(this, &EventLog::Change);
  }
  void Watch(TGraphicsObject& object) { object.OnChange = TNotifyEvent(this, &EventLog::Change); }
  void Watch(TGraphic& graphic) { graphic.OnChange = TNotifyEvent(this, &EventLog::Change); }
  std::string Take() { return std::exchange(events, {}); }
  std::string events;
};

}  // namespace graphics_test
