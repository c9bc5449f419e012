// The track bar: settings kept in fields and pushed to the window, the range rule, the
// window styles, orientation and the user's moves.
#include "controls/trackbar.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/forms/forms_fixture.h"
#include "tests/support/messages.h"

namespace {

class TChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++changes; }
  int changes = 0;
};

using TRecordingTrackBar = TRecording<TTrackBar>;

// The track bar messages among the recorded ones, in order.
std::vector<UINT> TrackBarMessages(const std::vector<UINT>& log) {
  std::vector<UINT> out;
  for (UINT msg : log)
    if (msg >= WM_USER && msg < WM_USER + 0x40) out.push_back(msg);
  return out;
}

class TrackBarTest : public FormsTest {
 protected:
  TRecordingTrackBar* NewBar() {
    auto* bar = Add<TRecordingTrackBar>(form, RECT{10, 10, 160, 55});
    bar->Handle();
    bar->log.clear();
    return bar;
  }
  LRESULT Ask(TTrackBar* bar, UINT msg) { return SendMessageA(bar->Handle(), msg, 0, 0); }
};

TEST_F(TrackBarTest, ConstructionDefaults) {
  TTrackBar bar(nullptr);
  EXPECT_EQ(bar.Width(), 150);
  EXPECT_EQ(bar.Height(), 45);
  EXPECT_TRUE(bar.TabStop());
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 10);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.LineSize(), 1);
  EXPECT_EQ(bar.PageSize(), 2);
  EXPECT_EQ(bar.Frequency(), 1);
  EXPECT_EQ(bar.Orientation(), trHorizontal);
  EXPECT_EQ(bar.TickMarks(), tmBottomRight);
  EXPECT_EQ(bar.TickStyle(), tsAuto);
  EXPECT_EQ(bar.StyleFlags() & csDoubleClicks, 0);
}

TEST_F(TrackBarTest, MinAboveMaxRaisesAndChangesNothing) {
  auto* bar = NewBar();
  bar->SetPosition(4);
  bar->log.clear();
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { bar->SetMin(11); }),
            "TTrackBar property out of range");
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { bar->SetMax(-1); }),
            "TTrackBar property out of range");
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Position(), 4);
  EXPECT_TRUE(TrackBarMessages(bar->log).empty()) << "the window heard nothing";
  EXPECT_EQ(Ask(bar, TBM_GETRANGEMAX), 10);
}

TEST_F(TrackBarTest, RangeChangesReachTheWindowMinMaxThenPosition) {
  auto* bar = NewBar();
  bar->SetMax(0);
  EXPECT_EQ(TrackBarMessages(bar->log), std::vector<UINT>{TBM_SETRANGEMAX})
      << "the position did not move, so no TBM_SETPOS";

  bar->SetMax(10);
  bar->SetPosition(8);
  bar->log.clear();
  bar->SetMax(5);
  EXPECT_EQ(bar->Position(), 5);
  EXPECT_EQ(TrackBarMessages(bar->log), (std::vector<UINT>{TBM_SETRANGEMAX, TBM_SETPOS}));
  EXPECT_EQ(Ask(bar, TBM_GETPOS), 5);

  bar->SetRange(-3, 2, 20);
  EXPECT_EQ(bar->Position(), 2) << "clamped into the new range";
  EXPECT_EQ(Ask(bar, TBM_GETRANGEMIN), 2);
  EXPECT_EQ(Ask(bar, TBM_GETRANGEMAX), 20);
  EXPECT_EQ(Ask(bar, TBM_GETPOS), 2);
}

TEST_F(TrackBarTest, SettingsMadeBeforeTheWindowReachItWhenItIsCreated) {
  auto* bar = new TTrackBar(form);
  bar->SetRange(40, 10, 90);
  bar->SetLineSize(3);
  bar->SetPageSize(15);
  bar->SetFrequency(10);
  bar->SetSelStart(20);
  bar->SetSelEnd(60);
  EXPECT_FALSE(bar->HasWindow()) << "no setter makes a window";
  bar->SetParent(form);
  EXPECT_EQ(Ask(bar, TBM_GETRANGEMIN), 10);
  EXPECT_EQ(Ask(bar, TBM_GETRANGEMAX), 90);
  EXPECT_EQ(Ask(bar, TBM_GETPOS), 40);
  EXPECT_EQ(Ask(bar, TBM_GETLINESIZE), 3);
  EXPECT_EQ(Ask(bar, TBM_GETPAGESIZE), 15);
  EXPECT_EQ(Ask(bar, TBM_GETSELSTART), 20);
  EXPECT_EQ(Ask(bar, TBM_GETSELEND), 60);
  EXPECT_EQ(Ask(bar, TBM_GETNUMTICS), 9) << "ticks every 10 from 10 to 90, ends included";
}

TEST_F(TrackBarTest, SelectionIsClearedOnlyForZeroZero) {
  auto* bar = NewBar();
  bar->SetSelStart(7);
  bar->SetSelEnd(3);
  EXPECT_EQ(TrackBarMessages(bar->log),
            (std::vector<UINT>{TBM_SETSELSTART, TBM_SETSELEND, TBM_SETSELSTART, TBM_SETSELEND}))
      << "a reversed pair is passed on as it is";
  bar->log.clear();
  bar->SetSelStart(0);
  bar->SetSelEnd(0);
  EXPECT_EQ(TrackBarMessages(bar->log),
            (std::vector<UINT>{TBM_SETSELSTART, TBM_SETSELEND, TBM_CLEARSEL}));
  EXPECT_EQ(Ask(bar, TBM_GETSELSTART), Ask(bar, TBM_GETSELEND));
}

TEST_F(TrackBarTest, ASelectionBeyondSixteenBitsReachesTheWindowWhole) {
  auto* bar = NewBar();
  bar->SetMax(200000);
  bar->SetSelStart(70000);
  bar->SetSelEnd(150000);
  EXPECT_EQ(Ask(bar, TBM_GETSELSTART), 70000);
  EXPECT_EQ(Ask(bar, TBM_GETSELEND), 150000);
}

TEST_F(TrackBarTest, WindowStylesFollowTheSettings) {
  auto* bar = NewBar();
  auto style = [&] { return static_cast<DWORD>(GetWindowLongA(bar->Handle(), GWL_STYLE)); };
  EXPECT_EQ(style() & (TBS_VERT | TBS_AUTOTICKS | TBS_TOP | TBS_BOTH | TBS_ENABLESELRANGE),
            static_cast<DWORD>(TBS_AUTOTICKS | TBS_ENABLESELRANGE));
  EXPECT_NE(GetClassLongA(bar->Handle(), GCL_STYLE) & CS_DBLCLKS, 0u);
  char name[64] = {};
  GetClassNameA(bar->Handle(), name, sizeof name);
  EXPECT_STREQ(name, "TTrackBar") << "a private class copying the system one";

  HWND before = bar->Handle();
  bar->SetTickMarks(tmBoth);
  bar->SetTickStyle(tsNone);
  EXPECT_NE(bar->Handle(), before) << "tick settings are window styles: rebuilt";
  EXPECT_EQ(style() & (TBS_NOTICKS | TBS_AUTOTICKS | TBS_BOTH),
            static_cast<DWORD>(TBS_NOTICKS | TBS_BOTH));
  bar->SetTickMarks(tmTopLeft);
  EXPECT_EQ(style() & (TBS_TOP | TBS_BOTH), static_cast<DWORD>(TBS_TOP));
}

TEST_F(TrackBarTest, OrientationSwapsTheSizeAndKeepsThePosition) {
  auto* bar = NewBar();
  bar->SetPosition(7);
  HWND before = bar->Handle();
  bar->SetOrientation(trVertical);
  EXPECT_EQ(bar->Width(), 45);
  EXPECT_EQ(bar->Height(), 150);
  EXPECT_NE(bar->Handle(), before);
  EXPECT_NE(GetWindowLongA(bar->Handle(), GWL_STYLE) & TBS_VERT, 0);
  EXPECT_EQ(Ask(bar, TBM_GETPOS), 7);

  bar->IncludeState(Loading);
  bar->SetOrientation(trHorizontal);
  bar->ExcludeState(Loading);
  EXPECT_EQ(bar->Width(), 45) << "a description keeps its stored size";
}

TEST_F(TrackBarTest, OnlyTheUserMovingTheThumbRaisesOnChange) {
  auto* bar = NewBar();
  TChangeCounter counter;
  bar->OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
  bar->SetPosition(3);
  bar->SetMax(20);
  bar->SetMin(1);
  EXPECT_EQ(counter.changes, 0);

  bar->SetFocus();
  pt::PumpUntilIdle();
  pt::KeyDown(VK_RIGHT);
  PumpLikeApplication();
  EXPECT_EQ(bar->Position(), 4);
  EXPECT_EQ(counter.changes, 1) << "one notification, one OnChange";
  pt::KeyUp(VK_RIGHT);
  PumpLikeApplication();
  int afterKey = counter.changes;
  pt::KeyDown(VK_END);
  PumpLikeApplication();
  EXPECT_EQ(bar->Position(), 20);
  EXPECT_EQ(counter.changes, afterKey + 1);
}

}  // namespace
