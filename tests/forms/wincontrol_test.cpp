// Windowed controls: window life, reflection, the keyboard path, focus and tab order,
// exceptions at the window procedure and cleanup.
#include <algorithm>
#include <string>

#include "forms/bridges.h"
#include "forms/wndproc.h"
#include "forms_fixture.h"
#include "tests/support/messages.h"

using WindowedControls = FormsTest;

namespace {

std::vector<UINT> Only(const std::vector<UINT>& log, std::initializer_list<UINT> wanted) {
  std::vector<UINT> result;
  for (UINT m : log)
    if (std::find(wanted.begin(), wanted.end(), m) != wanted.end()) result.push_back(m);
  return result;
}

}  // namespace

TEST_F(WindowedControls, CreationResizeAndDestructionArriveInOrder) {
  auto* control = new TRecording<TTestWinControl>(form);
  control->SetBoundsRect(RECT{5, 5, 105, 55});
  control->SetParent(form);
  EXPECT_EQ(Only(control->log, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_WINDOWPOSCHANGED}),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_WINDOWPOSCHANGED,
                               WM_WINDOWPOSCHANGED}))
      << "created hidden, placed in the z-order, then shown";
  EXPECT_TRUE(IsWindowVisible(control->Handle()));
  char className[64] = {};
  GetClassNameA(control->Handle(), className, sizeof className);
  EXPECT_EQ(className, control->ClassName()) << "class named after the component class";
  EXPECT_EQ(GetDlgCtrlID(control->Handle()),
            static_cast<int>(reinterpret_cast<UINT_PTR>(control->Handle())))
      << "a child created with id 0 gets its handle as id";

  control->log.clear();
  control->SetWidth(150);
  EXPECT_EQ(Only(control->log, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
  EXPECT_EQ(control->Width(), 150);
  RECT rect{};
  GetWindowRect(control->Handle(), &rect);
  EXPECT_EQ(rect.right - rect.left, 150);

  control->log.clear();
  control->DestroyHandle();
  EXPECT_EQ(Only(control->log, {WM_DESTROY, WM_NCDESTROY}),
            (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(control->HasWindow());
  EXPECT_EQ(control->Width(), 150) << "the fields keep the bounds";
}

TEST_F(WindowedControls, RebuildKeepsTextBoundsChildrenFocusAndZOrder) {
  auto* panel = Add<TTestWinControl>(form, RECT{10, 10, 210, 110});
  auto* first = Add<TTestWinControl>(panel, RECT{0, 0, 50, 20});
  auto* second = Add<TTestWinControl>(panel, RECT{60, 0, 110, 20});
  auto* label = Add<TTestGraphic>(panel, RECT{0, 40, 50, 60});
  first->SetTabStop(true);
  panel->SetCaption("Panel");
  second->SetFocus();
  pt::PumpUntilIdle();
  ASSERT_TRUE(second->Focused());
  HWND oldPanel = panel->Handle();

  auto order = [&] {
    std::vector<TWinControl*> list;
    for (HWND w = GetWindow(panel->Handle(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
      list.push_back(FindControl(w));
    return list;
  };
  auto before = order();
  second->RebuildWindow();
  EXPECT_EQ(order(), before);
  panel->RebuildWindow();
  EXPECT_EQ(order(), before);
  EXPECT_NE(panel->Handle(), oldPanel);
  EXPECT_EQ(panel->Caption(), "Panel");
  EXPECT_EQ(panel->BoundsRect().left, 10);
  EXPECT_EQ(panel->Width(), 200);
  EXPECT_EQ(label->Parent(), panel);
  ASSERT_TRUE(first->HasWindow());
  EXPECT_EQ(GetParent(first->Handle()), panel->Handle());
  EXPECT_TRUE((GetWindowLongA(first->Handle(), GWL_STYLE) & WS_TABSTOP) != 0);
  EXPECT_EQ(GetFocus(), second->Handle()) << "the focused window gets the focus back";
}

TEST_F(WindowedControls, ReflectedCommandReachesTheChildAsFNCommand) {
  auto* child = Add<TRecording<TTestWinControl>>(form, RECT{0, 0, 20, 20});
  LRESULT result = SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(7, 1),
                                reinterpret_cast<LPARAM>(child->Handle()));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(child->Count(FN_COMMAND), 1);
  // A command from a window without framework control goes to the default procedure.
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, form->Handle(), nullptr,
                                 nullptr, nullptr);
  if (foreign != nullptr) {
    SendMessageA(form->Handle(), WM_COMMAND, 0, reinterpret_cast<LPARAM>(foreign));
    EXPECT_EQ(child->Count(FN_COMMAND), 1);
    DestroyWindow(foreign);
  }
}

TEST_F(WindowedControls, TabOrderClampsAndNavigationSkipsHiddenAndDisabledAndWraps) {
  auto* a = Add<TTestWinControl>(form, RECT{0, 0, 20, 20});
  auto* b = Add<TTestWinControl>(form, RECT{30, 0, 50, 20});
  auto* c = Add<TTestWinControl>(form, RECT{60, 0, 80, 20});
  b->SetTabOrder(100);
  EXPECT_EQ(b->TabOrder(), 2);
  b->SetTabOrder(-5);
  EXPECT_EQ(b->TabOrder(), 0);
  b->SetTabOrder(1);

  auto* panel = Add<TTestWinControl>(form, RECT{0, 40, 200, 100});
  auto* inHidden = Add<TTestWinControl>(panel, RECT{0, 0, 10, 10});
  for (TWinControl* w : std::vector<TWinControl*>{a, b, c, inHidden}) w->SetTabStop(true);
  panel->Hide();
  b->SetEnabled(false);

  a->SetFocus();
  pt::PumpUntilIdle();
  pt::PressKey(VK_TAB);
  PumpLikeApplication();
  EXPECT_EQ(form->ActiveControl(), c) << "b is disabled";
  pt::PressKey(VK_TAB);
  PumpLikeApplication();
  EXPECT_EQ(form->ActiveControl(), a) << "the hidden panel's child is skipped and Tab wraps";
  pt::KeyDown(VK_SHIFT);
  pt::PressKey(VK_TAB);
  pt::KeyUp(VK_SHIFT);
  PumpLikeApplication();
  EXPECT_EQ(form->ActiveControl(), c);
  EXPECT_EQ(GetFocus(), c->Handle());
  EXPECT_EQ(Screen->ActiveControl(), c);

  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { b->SetFocus(); }),
            "Cannot focus a disabled or invisible window");
}

class TShortCutMenus : public TMenuBridge {
 public:
  bool IsShortCut(TComponent* menu, TMessage& key) override {
    asked.push_back(menu);
    return menu == mainMenu && key.WParam == VK_F2;
  }
  bool AutoPopup(TComponent*) override { return true; }
  void Popup(TComponent*, TControl*, int, int) override {}
  bool IsMainMenu(TComponent* component) override { return component == mainMenu; }
  HMENU MenuHandle(TComponent*) override { return nullptr; }
  void SetWindowHandle(TComponent*, HWND) override {}
  HWND WindowHandle(TComponent*) override { return nullptr; }
  bool DispatchCommand(TComponent*, WORD) override { return false; }
  bool DispatchPopup(TComponent*, HMENU) override { return false; }
  bool SelectedItemHint(TComponent*, WORD, WORD, HMENU, std::string&) override { return false; }
  TComponent* mainMenu = nullptr;
  std::vector<TComponent*> asked;
};

TEST_F(WindowedControls, KeyPathOffersTheKeyToShortcutsBeforeTheControl) {
  TShortCutMenus menus;
  TComponent popup(nullptr);
  auto* mainMenu = new TComponent(form);
  menus.mainMenu = mainMenu;
  TMenuBridge* previousMenus = MenuBridge();
  SetMenuBridge(&menus);
  auto* edit = Add<TTestWinControl>(form, RECT{0, 0, 50, 20});
  edit->SetPopupMenu<TComponent>(&popup);
  form->SetMenuComponent(mainMenu);
  edit->SetFocus();
  pt::PumpUntilIdle();

  pt::PressKey(VK_F2);
  PumpLikeApplication();
  EXPECT_EQ(edit->keyDowns, 0) << "a shortcut never reaches the control";
  ASSERT_EQ(menus.asked.size(), 2u);
  EXPECT_EQ(menus.asked[0], &popup) << "the control's pop-up menu first, then the form's menu";
  EXPECT_EQ(menus.asked[1], mainMenu);

  pt::PressKey(VK_F3);
  PumpLikeApplication();
  EXPECT_EQ(edit->keyDowns, 1);
  edit->SetPopupMenu<TComponent>(nullptr);
  SetMenuBridge(previousMenus);
}

class KeyHandlers : public TObject {
 public:
  void Press(TObject*, char& key) {
    if (key == 'x') key = '\0';
    if (key == 'a') key = 'b';
  }
};

TEST_F(WindowedControls, KeyPressHandlerSwallowsOrReplacesCharacters) {
  auto* edit = Add<TTestWinControl>(form, RECT{0, 0, 50, 20});
  KeyHandlers handlers;
  edit->OnKeyPress = TKeyPressEvent(&handlers, &KeyHandlers::Press);
  edit->SetFocus();
  pt::TypeText("axc");
  PumpLikeApplication();
  EXPECT_EQ(edit->chars, "bc");
}

TEST_F(WindowedControls, ExceptionInAHandlerGoesToTheApplicationAndTheResultReturns) {
  struct Recorder : TApplicationBridge {
    void HandleException(TObject* sender) override {
      try {
        throw;
      } catch (const Exception& e) {
        messages.push_back(e.Message());
        senders.push_back(sender);
      }
    }
    std::vector<std::string> messages;
    std::vector<TObject*> senders;
  } recorder;
  SetApplicationBridge(&recorder);
  struct Thrower : TObject {
    void Click(TObject*) { throw EInvalidOperation("boom"); }
  } thrower;
  auto* child = Add<TTestGraphic>(form, RECT{0, 0, 50, 50});
  child->OnClick = TNotifyEvent(&thrower, &Thrower::Click);
  POINT p = ScreenOf(child, 5, 5);
  pt::Click(p.x, p.y);
  pt::PumpUntilIdle();
  SetApplicationBridge(nullptr);
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"boom"});
  EXPECT_EQ(recorder.senders, std::vector<TObject*>{form}) << "the nearest windowed control";
}

TEST_F(WindowedControls, DestructionClearsFocusCaptureAndScreenReferences) {
  auto* edit = Add<TTestWinControl>(form, RECT{0, 0, 50, 20});
  edit->SetFocus();
  pt::PumpUntilIdle();
  ASSERT_EQ(Screen->ActiveControl(), edit);
  edit->CaptureMouse(true);
  delete edit;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(Screen->ActiveControl(), form) << "the form keeps the focus itself";
  EXPECT_EQ(GetFocus(), form->Handle());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TControl::CaptureControl(), nullptr);
  pt::PressKey(VK_TAB);
  PumpLikeApplication();
}

TEST_F(WindowedControls, TenThousandControlsLeaveNoStubWindowOrGdiObjectBehind) {
  auto createAndDestroy = [&] {
    auto* control = new TTestWinControl(form);
    control->SetBoundsRect(RECT{0, 0, 10, 10});
    control->SetParent(form);
    auto* inner = new TTestWinControl(control);
    inner->SetParent(control);
    auto* label = new TTestGraphic(control);
    label->SetParent(control);
    label->Canvas()->FillRect(RECT{0, 0, 2, 2});
    delete control;
  };
  // The first round makes the shared font and brush handles that the form's own objects
  // keep alive as well.
  createAndDestroy();
  std::size_t stubs = ObjectWndProcStats().InUse;
  std::size_t blocks = ObjectWndProcStats().Blocks;
  pt::Counts before = pt::LiveObjects();
  for (int i = 0; i < 10000; ++i) createAndDestroy();
  EXPECT_EQ(ObjectWndProcStats().InUse, stubs);
  EXPECT_LE(ObjectWndProcStats().Blocks, blocks + 1) << "freed stubs are reused";
  EXPECT_EQ(pt::LiveObjects(), before) << "windows, DCs and GDI objects";
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST(ObjectWndProc, StubCallsTheBoundMethodWithTheRecordAndReturnsItsResult) {
  struct Target : TObject {
    static void Method(TObject* object, TMessage& message) {
      auto* self = static_cast<Target*>(object);
      self->seen = message;
      message.Result = static_cast<LRESULT>(message.WParam + message.LParam);
    }
    TMessage seen{};
  } target;
  WNDPROC procedure = MakeObjectWndProc(&Target::Method, &target);
  LRESULT result = procedure(reinterpret_cast<HWND>(0x1234), 0x4321, 40, -2);
  EXPECT_EQ(result, 38);
  EXPECT_EQ(target.seen.Msg, 0x4321u);
  EXPECT_EQ(target.seen.WParam, 40u);
  EXPECT_EQ(target.seen.LParam, -2);
  std::size_t inUse = ObjectWndProcStats().InUse;
  FreeObjectWndProc(procedure);
  EXPECT_EQ(ObjectWndProcStats().InUse, inUse - 1);
  WNDPROC again = MakeObjectWndProc(&Target::Method, &target);
  EXPECT_EQ(again, procedure) << "the free list hands the last freed record out first";
  FreeObjectWndProc(again);
}

namespace {

class Preview : public TObject {
 public:
  void FormKey(TObject*, WORD& key, TShiftState) {
    formKeys.push_back(key);
    if (key == 'S') key = 0;
  }
  void ControlKey(TObject*, WORD& key, TShiftState) { controlKeys.push_back(key); }
  std::vector<WORD> formKeys;
  std::vector<WORD> controlKeys;
};

// Answers FM_DIALOG_CHAR for one character, counting what it was offered.
class TAccelerator : public TGraphicControl {
 public:
  TAccelerator(TComponent* owner, char character) : TGraphicControl(owner), character_(character) {}
  void MessageProc(TMessage& message) override {
    if (message.Msg == FM_DIALOG_CHAR) {
      ++offered;
      if (message.WParam == static_cast<WPARAM>(character_)) message.Result = 1;
      return;
    }
    TGraphicControl::MessageProc(message);
  }
  int offered = 0;

 private:
  char character_;
};

}  // namespace

TEST_F(WindowedControls, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
  auto* edit = Add<TTestWinControl>(form, RECT{0, 0, 50, 20});
  Preview preview;
  form->OnKeyDown = TKeyEvent(&preview, &Preview::FormKey);
  edit->OnKeyDown = TKeyEvent(&preview, &Preview::ControlKey);
  edit->SetFocus();
  pt::PressKey('A');
  PumpLikeApplication();
  EXPECT_TRUE(preview.formKeys.empty()) << "without KeyPreview the form sees nothing";
  form->SetKeyPreview(true);
  pt::PressKey('A');
  pt::PressKey('S');
  PumpLikeApplication();
  EXPECT_EQ(preview.formKeys, (std::vector<WORD>{'A', 'S'}));
  EXPECT_EQ(preview.controlKeys, (std::vector<WORD>{'A', 'A'})) << "S was swallowed by the form";
}

TEST_F(WindowedControls, DialogCharactersAreBroadcastUntilAChildTakesThem) {
  auto* edit = Add<TTestWinControl>(form, RECT{0, 0, 50, 20});
  auto* first = new TAccelerator(form, 'p');
  first->SetParent(form);
  auto* second = new TAccelerator(form, 'q');
  second->SetParent(form);
  auto* third = new TAccelerator(form, 'q');
  third->SetParent(form);
  edit->SetFocus();
  pt::TypeText("q");
  PumpLikeApplication();
  EXPECT_EQ(first->offered, 1);
  EXPECT_EQ(second->offered, 1);
  EXPECT_EQ(third->offered, 0) << "the broadcast stops at the first taker";
  EXPECT_EQ(edit->chars, "") << "an accelerator's character does not reach the control";
}

TEST_F(WindowedControls, CursorOfTheWindowlessChildUnderThePointerUnlessTheScreenSetsOne) {
  auto* child = Add<TTestGraphic>(form, RECT{10, 10, 60, 60});
  child->SetCursor(crHourGlass);
  form->SetCursor(crCross);
  POINT over = ScreenOf(child, 5, 5);
  pt::MouseMove(over.x, over.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  POINT beside = ScreenOf(form, 200, 150);
  pt::MouseMove(beside.x, beside.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crCross));
  Screen->SetCursor(crHelp);
  pt::MouseMove(over.x, over.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHelp));
  Screen->SetCursor(crDefault);
}

TEST_F(WindowedControls, OwnerDrawnItemMessagesReachTheChildByItsId) {
  auto* list = Add<TRecording<TTestWinControl>>(form, RECT{0, 0, 50, 50});
  struct {
    UINT CtlType;
    UINT CtlID;
    UINT rest[16];
  } item{};
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(list->Handle()));
  SendMessageA(form->Handle(), WM_MEASUREITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  SendMessageA(form->Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(list->Count(FN_MEASUREITEM), 1);
  EXPECT_EQ(list->Count(FN_DRAWITEM), 1);
}

TEST_F(WindowedControls, HintWindowSizesToItsText) {
  THintWindow hint(nullptr);
  hint.SetCaption("Plays the song");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, hint.Font()->Handle());
  SIZE size{};
  GetTextExtentPoint32A(dc, "Plays the song", 14, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(hint.Width(), size.cx + 6);
  EXPECT_EQ(hint.Height(), size.cy + 4);
  hint.ActivateHint(RECT{790, 590, 790 + hint.Width(), 590 + hint.Height()}, "Plays the song");
  RECT shown{};
  GetWindowRect(hint.Handle(), &shown);
  EXPECT_LE(shown.right, GetSystemMetrics(SM_CXSCREEN)) << "kept on the screen";
  EXPECT_LE(shown.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(IsWindowVisible(hint.Handle()));
  EXPECT_NE(GetWindowLongA(hint.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}
