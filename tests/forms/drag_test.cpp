// Drag and drop: automatic and manual drags, the threshold, cursors, acceptance, and
// drags that lose the mouse capture.
#include "forms/drag.h"

#include <string>

#include "forms_fixture.h"
#include "tests/support/messages.h"

namespace {

class DragRecorder : public TObject {
 public:
  void Over(TObject*, TObject*, int, int, TDragState, bool& accept) {
    ++overs;
    if (refuse) accept = false;
  }
  void Drop(TObject*, TObject* source, int x, int y) {
    events.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    dropSource = source;
  }
  void End(TObject*, TObject* target, int x, int y) {
    events.push_back("end " + std::to_string(x) + "," + std::to_string(y));
    endTarget = target;
  }
  void Down(TObject*, TMouseButton, TShiftState, int, int) { events.push_back("mousedown"); }
  bool refuse = false;
  int overs = 0;
  TObject* dropSource = nullptr;
  TObject* endTarget = nullptr;
  std::vector<std::string> events;
};

class DragAndDrop : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    source = Add<TTestWinControl>(form, RECT{10, 10, 110, 40});
    other = Add<TTestWinControl>(form, RECT{10, 100, 110, 140});
    source->SetDragMode(dmAutomatic);
    source->OnDragOver = TDragOverEvent(&recorder, &DragRecorder::Over);
    source->OnDragDrop = TDragDropEvent(&recorder, &DragRecorder::Drop);
    source->OnEndDrag = TEndDragEvent(&recorder, &DragRecorder::End);
    source->OnMouseDown = TMouseEvent(&recorder, &DragRecorder::Down);
  }
  TTestWinControl* source = nullptr;
  TTestWinControl* other = nullptr;
  DragRecorder recorder;
};

}  // namespace

TEST_F(DragAndDrop, AutomaticDragTurnsAPressIntoADragThatChangesNothing) {
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseDown(start.x, start.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(source->IsBeingDragged());
  EXPECT_TRUE(DragActive()) << "an automatic drag is immediate";
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag)) << "the source accepts (its OnDragOver)";
  EXPECT_NE(GetCapture(), source->Handle()) << "the capture window holds the mouse";
  EXPECT_NE(GetFocus(), source->Handle()) << "the press never reached the control";

  POINT elsewhere = ScreenOf(other, 5, 5);
  pt::MouseMove(elsewhere.x, elsewhere.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop)) << "no OnDragOver: refused";

  pt::MouseMove(start.x + 1, start.y + 2);
  pt::MouseUp(start.x + 1, start.y + 2);
  pt::PumpUntilIdle();
  EXPECT_FALSE(source->IsBeingDragged());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"drop 21,12", "end 21,12"}));
  EXPECT_EQ(recorder.dropSource, source) << "the source is the control, not the drag object";
  EXPECT_EQ(recorder.endTarget, source);
}

TEST_F(DragAndDrop, EscAndTheRightButtonDoNotEndADrag) {
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseDown(start.x, start.y);
  pt::PumpUntilIdle();
  pt::PressKey(VK_ESCAPE);
  pt::Click(start.x, start.y, pt::Button::Right);
  pt::PumpUntilIdle();
  EXPECT_TRUE(source->IsBeingDragged());
  pt::MouseUp(start.x, start.y);
  pt::PumpUntilIdle();
  EXPECT_FALSE(source->IsBeingDragged());
}

TEST_F(DragAndDrop, LosingTheCaptureMidDragEndsItAsACancel) {
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseDown(start.x, start.y);
  pt::PumpUntilIdle();
  ASSERT_TRUE(source->IsBeingDragged());
  HCURSOR saved = GetCursor();
  SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(source->IsBeingDragged());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"end 0,0"}));
  (void)saved;

  recorder.events.clear();
  pt::MouseUp(start.x, start.y);
  pt::AdvanceTime(1000);
  pt::MouseDown(start.x, start.y);
  pt::PumpUntilIdle();
  ASSERT_TRUE(source->IsBeingDragged());
  other->CaptureMouse(true);  // someone else takes the mouse (a menu loop, a message box)
  EXPECT_FALSE(source->IsBeingDragged());
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"end 0,0"}));
  other->CaptureMouse(false);
}

TEST_F(DragAndDrop, ManualDragWaitsForFivePixels) {
  source->SetDragMode(dmManual);
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseMove(start.x, start.y);
  pt::PumpUntilIdle();
  HCURSOR before = GetCursor();
  source->StartDragging(false);
  EXPECT_TRUE(source->IsBeingDragged());
  EXPECT_FALSE(DragActive());
  pt::MouseMove(start.x + 4, start.y - 4);
  pt::PumpUntilIdle();
  EXPECT_FALSE(DragActive()) << "4 pixels stay below the threshold";
  EXPECT_EQ(GetCursor(), before);
  pt::MouseMove(start.x, start.y + 5);
  pt::PumpUntilIdle();
  EXPECT_TRUE(DragActive());
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
  pt::MouseUp(start.x, start.y + 5);
  pt::PumpUntilIdle();
  EXPECT_FALSE(source->IsBeingDragged());
}

TEST_F(DragAndDrop, RefusedDropCancelsAndReportsTheTargetWithZeroPoint) {
  recorder.refuse = true;
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseDown(start.x, start.y);
  pt::MouseMove(start.x + 10, start.y + 3);
  pt::MouseUp(start.x + 10, start.y + 3);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"end 0,0"})) << "no drop";
  EXPECT_EQ(recorder.endTarget, source) << "the last target under the pointer";
  EXPECT_GE(recorder.overs, 2);
}

TEST_F(DragAndDrop, AFormCannotBeDraggedAndASecondStartIsIgnored) {
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { form->StartDragging(true); }), "Cannot drag a form");
  source->StartDragging(false);
  other->StartDragging(true);
  EXPECT_TRUE(source->IsBeingDragged());
  EXPECT_FALSE(other->IsBeingDragged());
  CancelDrag();
  EXPECT_FALSE(source->IsBeingDragged());
}

TEST_F(DragAndDrop, DestroyingTheSourceMidDragEndsIt) {
  POINT start = ScreenOf(source, 20, 10);
  pt::MouseDown(start.x, start.y);
  pt::PumpUntilIdle();
  ASSERT_TRUE(source->IsBeingDragged());
  delete source;
  EXPECT_EQ(DragSourceControl(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  pt::MouseUp(start.x, start.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(recorder.events.empty());
}

namespace {

// A drop target that frees itself when something is dropped on it.
class SelfFreeingTarget : public TObject {
 public:
  void Over(TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; }
  void Drop(TObject* sender, TObject*, int, int) { delete static_cast<TControl*>(sender); }
};

}  // namespace

TEST_F(DragAndDrop, ATargetThatFreesItselfOnTheDropIsNoTargetAtTheEnd) {
  SelfFreeingTarget handler;
  for (bool windowed : {false, true}) {
    recorder.events.clear();
    recorder.endTarget = source;
    TControl* target =
        windowed ? static_cast<TControl*>(Add<TTestWinControl>(form, RECT{200, 10, 300, 60}))
                 : Add<TTestGraphic>(form, RECT{200, 10, 300, 60});
    target->OnDragOver = TDragOverEvent(&handler, &SelfFreeingTarget::Over);
    target->OnDragDrop = TDragDropEvent(&handler, &SelfFreeingTarget::Drop);
    POINT start = ScreenOf(source, 20, 10);
    POINT drop = ScreenOf(target, 10, 10);
    pt::MouseDown(start.x, start.y);
    pt::PumpUntilIdle();
    pt::MouseMove(drop.x, drop.y);
    pt::MouseUp(drop.x, drop.y);
    pt::PumpUntilIdle();
    EXPECT_FALSE(source->IsBeingDragged());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"end 0,0"})) << windowed;
    EXPECT_EQ(recorder.endTarget, nullptr) << "the freed target is not passed on";
  }
}
