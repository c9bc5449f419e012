// The control core: messages, settings, parent-derived values, geometry and the mouse.
#include <string>

#include "forms_fixture.h"
#include "tests/support/messages.h"

using ControlCore = FormsTest;

TEST_F(ControlCore, DeliverRoutesThroughTheClassTablesAndToleratesNull) {
  auto* label = Add<TRecording<TGraphicControl>>(form, RECT{0, 0, 10, 10});
  EXPECT_EQ(Deliver(nullptr, FM_HIT_TEST), 0);
  EXPECT_EQ(label->Deliver(FM_HIT_TEST), 1);
  // Numbers from 0xC000 reach no handler: the hit test answers 0 there.
  EXPECT_EQ(label->Deliver(0x10000 + FM_HIT_TEST), 1) << "only the low 16 bits are routed";
  EXPECT_EQ(label->Deliver(0xC000), 0);
}

TEST_F(ControlCore, SettersWithTheCurrentValueSendNothing) {
  auto* control = Add<TRecording<TGraphicControl>>(form, RECT{0, 0, 10, 10});
  control->log.clear();
  control->SetEnabled(true);
  control->SetVisible(true);
  control->SetColor(control->Color());
  control->SetCursor(crDefault);
  control->SetShowHint(false);
  control->SetCaption(control->Caption());
  control->SetParentFont(true);
  control->SetBoundsRect(control->BoundsRect());
  for (UINT msg : control->log)
    EXPECT_TRUE(msg == WM_GETTEXTLENGTH || msg == WM_GETTEXT) << "sent " << std::hex << msg;
  control->SetEnabled(false);
  control->SetColor(clRed);
  control->SetCaption("x");
  EXPECT_EQ(control->Count(FM_ENABLED_CHANGED), 1);
  EXPECT_EQ(control->Count(FM_COLOR_CHANGED), 1);
  EXPECT_EQ(control->Count(FM_TEXT_CHANGED), 1);
}

TEST_F(ControlCore, ParentFontAndColourReachChildrenUntilSetExplicitly) {
  auto* panel = Add<TTestWinControl>(form, RECT{0, 0, 200, 100});
  auto* inner = Add<TTestGraphic>(panel, RECT{0, 0, 10, 10});
  auto* other = Add<TTestGraphic>(panel, RECT{20, 0, 30, 10});
  panel->SetColor(clYellow);
  panel->Font()->SetHeight(-20);
  EXPECT_EQ(inner->Color(), clYellow);
  EXPECT_EQ(inner->Font()->Height(), -20);
  EXPECT_TRUE(inner->ParentColor());
  EXPECT_TRUE(inner->ParentFont());

  other->SetColor(clLime);
  other->Font()->SetHeight(-9);
  EXPECT_FALSE(other->ParentColor());
  EXPECT_FALSE(other->ParentFont());
  panel->SetColor(clAqua);
  panel->Font()->SetHeight(-30);
  EXPECT_EQ(inner->Color(), clAqua);
  EXPECT_EQ(other->Color(), clLime);
  EXPECT_EQ(other->Font()->Height(), -9);

  other->SetParentColor(true);
  EXPECT_EQ(other->Color(), clAqua) << "setting ParentColor back copies the parent's at once";

  // A new child takes the parent's values when inserted.
  auto* late = new TTestGraphic(form);
  late->SetParent(panel);
  EXPECT_EQ(late->Color(), clAqua);
  EXPECT_EQ(late->Font()->Height(), -30);
}

TEST_F(ControlCore, ParentCannotBeTheControlItselfAndSameParentTwiceDoesNothing) {
  auto* panel = Add<TRecording<TTestWinControl>>(form, RECT{0, 0, 50, 50});
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { panel->SetParent(panel); }),
            "A control cannot have itself as its parent");
  EXPECT_EQ(panel->Parent(), form);
  auto* child = Add<TTestGraphic>(panel, RECT{0, 0, 5, 5});
  panel->log.clear();
  child->SetParent(panel);
  EXPECT_EQ(panel->Count(FM_CONTROL_CHANGE), 0);
  EXPECT_EQ(panel->ControlCount(), 1);
}

TEST_F(ControlCore, CaptionLivesInTheBufferUntilTheWindowExistsAndSurvivesARebuild) {
  auto* control = new TTestWinControl(form);
  control->SetCaption("Hello");
  EXPECT_FALSE(control->HasWindow());
  EXPECT_EQ(control->Caption(), "Hello");
  control->SetParent(form);
  ASSERT_TRUE(control->HasWindow());
  char text[16] = {};
  GetWindowTextA(control->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Hello");
  control->RebuildWindow();
  GetWindowTextA(control->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Hello");
  EXPECT_EQ(control->Caption(), "Hello");
}

TEST_F(ControlCore, WindowWithoutParentWindowIsRefusedWithTheControlsName) {
  TTestWinControl orphan(nullptr);
  orphan.SetName("Orphan");
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { orphan.Handle(); }),
            "Control 'Orphan' has no parent window");
  EXPECT_FALSE(orphan.HasWindow());
}

TEST_F(ControlCore, AlignmentSwapsWidthAndHeightAcrossDirectionsAndPlacesChildren) {
  auto* panel = Add<TTestWinControl>(form, RECT{0, 0, 300, 200});
  auto* bar = new TTestGraphic(form);
  bar->SetBoundsRect(RECT{0, 0, 100, 20});
  bar->SetAlign(alTop);
  bar->SetAlign(alLeft);
  EXPECT_EQ(bar->Width(), 20);
  EXPECT_EQ(bar->Height(), 100);
  bar->SetParent(panel);
  EXPECT_EQ(bar->BoundsRect().left, 0);
  EXPECT_EQ(bar->Height(), panel->ClientHeight());
  auto* top = new TTestGraphic(form);
  top->SetBoundsRect(RECT{0, 0, 10, 30});
  top->SetAlign(alTop);
  top->SetParent(panel);
  auto* rest = new TTestGraphic(form);
  rest->SetAlign(alClient);
  rest->SetParent(panel);
  EXPECT_EQ(top->Width(), panel->ClientWidth());
  EXPECT_EQ(bar->Top(), 30);
  EXPECT_EQ(rest->Left(), 20);
  EXPECT_EQ(rest->Top(), 30);
  EXPECT_EQ(rest->Width(), panel->ClientWidth() - 20);
}

TEST_F(ControlCore, CursorIdentifiersReadAndWrite) {
  std::int32_t value = 0;
  EXPECT_TRUE(IdentToCursor("CRDRAG", value));
  EXPECT_EQ(value, crDrag);
  std::string name;
  EXPECT_TRUE(CursorToIdent(crSize, name));
  EXPECT_EQ(name, "crSize");
  EXPECT_FALSE(IdentToCursor("crNothing", value));
}

// Mouse input on windowless children.

class MouseRecorder : public TObject {
 public:
  void Down(TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    events.push_back("down" + Describe(button, shift, x, y));
  }
  void Up(TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    events.push_back("up" + Describe(button, shift, x, y));
  }
  void Click(TObject*) { events.push_back("click"); }
  void DblClick(TObject*) { events.push_back("dblclick"); }
  void FreeOnClick(TObject* sender) {
    events.push_back("click");
    delete sender;
  }
  static std::string Describe(TMouseButton button, TShiftState shift, int x, int y) {
    std::string s =
        "(" + std::to_string(button) + "," + std::to_string(x) + "," + std::to_string(y);
    if (shift.Contains(ssShift)) s += ",shift";
    if (shift.Contains(ssDouble)) s += ",double";
    return s + ")";
  }
  std::vector<std::string> events;
};

void Hook(TControl* control, MouseRecorder& recorder) {
  control->OnMouseDown = TMouseEvent(&recorder, &MouseRecorder::Down);
  control->OnMouseUp = TMouseEvent(&recorder, &MouseRecorder::Up);
  control->OnClick = TNotifyEvent(&recorder, &MouseRecorder::Click);
  control->OnDblClick = TNotifyEvent(&recorder, &MouseRecorder::DblClick);
}

TEST_F(ControlCore, WindowlessChildGetsMouseEventsInItsCoordinatesWithTheShiftState) {
  auto* child = Add<TTestGraphic>(form, RECT{40, 30, 140, 80});
  MouseRecorder recorder;
  Hook(child, recorder);
  POINT p = ScreenOf(child, 5, 7);
  pt::KeyDown(VK_SHIFT);
  pt::Click(p.x, p.y);
  pt::KeyUp(VK_SHIFT);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"down(0,5,7,shift)", "click", "up(0,5,7,shift)"}));
}

TEST_F(ControlCore, DoubleClickGivesDownUpDoubleDownUpWithOneClick) {
  auto* child = Add<TTestGraphic>(form, RECT{40, 30, 140, 80});
  MouseRecorder recorder;
  Hook(child, recorder);
  POINT p = ScreenOf(child, 10, 10);
  pt::DoubleClick(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"down(0,10,10)", "click", "up(0,10,10)", "dblclick",
                                      "down(0,10,10,double)", "up(0,10,10)"}));
}

TEST_F(ControlCore, ReleaseOutsideGivesNoClickAndCancelModeReleasesOnce) {
  auto* child = Add<TTestGraphic>(form, RECT{40, 30, 140, 80});
  MouseRecorder recorder;
  Hook(child, recorder);
  POINT in = ScreenOf(child, 10, 10);
  POINT out = ScreenOf(child, 200, 10);
  pt::MouseDown(in.x, in.y);
  pt::MouseUp(out.x, out.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"down(0,10,10)", "up(0,200,10)"}));

  recorder.events.clear();
  pt::AdvanceTime(1000);  // not a double click
  pt::MouseDown(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(child->HasCapture());
  SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(child->HasCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"down(0,10,10)", "up(0,-1,-1)"}))
      << "one release at (-1, -1) and no click";
  pt::MouseUp(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events.size(), 3u) << "the real release is an ordinary one, still no click";
}

TEST_F(ControlCore, LettingGoOfTheMouseLeavesACaptureHeldByAnotherWindow) {
  auto* first = Add<TTestWinControl>(form, RECT{0, 0, 50, 50});
  auto* second = Add<TTestWinControl>(form, RECT{60, 0, 110, 50});
  first->CaptureMouse(true);
  // The window procedure hands the mouse on (as a combo box does to its dropped list).
  SetCapture(second->Handle());
  first->CaptureMouse(false);
  EXPECT_EQ(GetCapture(), second->Handle());
  second->CaptureMouse(false);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlCore, ClickHandlerThatFreesItsControlEndsTheMessageSafely) {
  auto* child = Add<TTestGraphic>(form, RECT{40, 30, 140, 80});
  MouseRecorder recorder;
  child->OnMouseUp = TMouseEvent(&recorder, &MouseRecorder::Up);
  child->OnClick = TNotifyEvent(&recorder, &MouseRecorder::FreeOnClick);
  POINT p = ScreenOf(child, 10, 10);
  pt::Click(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"click"})) << "no event after the free";
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(TControl::CaptureControl(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlCore, WindowlessChildPaintsOnItsCanvasInsideTheParentsPaint) {
  auto* child = Add<TTestGraphic>(form, RECT{40, 30, 140, 80});
  pt::PumpUntilIdle();
  EXPECT_GE(child->paints, 1);
  EXPECT_EQ(pt::WindowPixel(form->Handle(), 45, 35), RGB(255, 0, 0));
  EXPECT_EQ(pt::WindowPixel(form->Handle(), 20, 20), ColorToRGB(clBtnFace));
  child->Hide();
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(form->Handle(), 45, 35), ColorToRGB(clBtnFace));
}

TEST_F(ControlCore, AtMostFourDrawingContextsAreHeldOutsidePainting) {
  std::vector<TTestGraphic*> controls;
  for (int i = 0; i < 5; ++i)
    controls.push_back(Add<TTestGraphic>(form, RECT{i * 20, 0, i * 20 + 10, 10}));
  for (TTestGraphic* control : controls) {
    control->Canvas()->FillRect(RECT{0, 0, 5, 5});
    EXPECT_LE(HeldControlCanvasContexts(), 4);
  }
  EXPECT_EQ(HeldControlCanvasContexts(), 4);
  ReleaseControlCanvasContexts();
  EXPECT_EQ(HeldControlCanvasContexts(), 0);
}
