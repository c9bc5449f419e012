// Forms and the screen: defaults, descriptions, window parameters, closing, the menu
// attachment and the screen's cursors and lookup.
#include <string>

#include "classes/lists.h"
#include "forms/bridges.h"
#include "forms_fixture.h"
#include "runtime/text.h"
#include "tests/support/messages.h"

namespace {

// A form class with no description resource anywhere in its chain.
class TNoDescriptionForm : public TForm {
  TD_CLASS(TNoDescriptionForm, TForm)

 public:
  explicit TNoDescriptionForm(TComponent* owner) : TForm(owner) {}
};
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TNoDescriptionForm)

class CloseRecorder : public TObject {
 public:
  void Query(TObject*, bool& canClose) {
    ++queries;
    canClose = allow;
  }
  void Closing(TObject*, TCloseAction& action) { action = chosen; }
  void ShowChangesVisible(TObject* sender) { static_cast<TForm*>(sender)->SetVisible(false); }
  bool allow = true;
  int queries = 0;
  TCloseAction chosen = caHide;
};

// As a main menu does: once constructed, it tells its owner again that it was inserted
// (the owner's first notice came while only the TComponent part existed).
class TFakeMainMenu : public TComponent {
 public:
  explicit TFakeMainMenu(TComponent* owner) : TComponent(owner) {
    if (owner != nullptr) owner->ComponentNotice(this, Inserted);
  }
};

class TMenuStub : public TMenuBridge {
 public:
  bool IsShortCut(TComponent*, TMessage&) override { return false; }
  bool AutoPopup(TComponent*) override { return false; }
  void Popup(TComponent*, TControl*, int, int) override {}
  bool IsMainMenu(TComponent* component) override {
    return dynamic_cast<TFakeMainMenu*>(component) != nullptr;
  }
  HMENU MenuHandle(TComponent*) override {
    if (menu == nullptr) menu = CreateMenu();
    return menu;
  }
  void SetWindowHandle(TComponent*, HWND window) override { windows.push_back(window); }
  HWND WindowHandle(TComponent*) override { return windows.empty() ? nullptr : windows.back(); }
  bool DispatchCommand(TComponent*, WORD command) override {
    commands.push_back(command);
    return true;
  }
  bool DispatchPopup(TComponent*, HMENU) override { return false; }
  bool SelectedItemHint(TComponent*, WORD, WORD, HMENU, std::string&) override { return false; }
  std::vector<HWND> windows;
  std::vector<WORD> commands;
  HMENU menu = nullptr;
};

}  // namespace

using Forms = FormsTest;

TEST_F(Forms, NewFormHasTheDefaultsOfAnEmptyForm) {
  std::unique_ptr<TForm> fresh(TForm::CreateNew(nullptr));
  EXPECT_EQ(fresh->Width(), 320);
  EXPECT_EQ(fresh->Height(), 240);
  EXPECT_FALSE(fresh->Visible());
  EXPECT_EQ(fresh->Color(), clBtnFace);
  EXPECT_FALSE(fresh->ParentColor());
  EXPECT_TRUE(fresh->Ctl3D());
  EXPECT_EQ(fresh->BorderStyle(), bsSizeable);
  EXPECT_EQ(fresh->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
  EXPECT_EQ(fresh->PixelsPerInch(), Screen->PixelsPerInch());
  EXPECT_FALSE(fresh->DescriptionPending());
}

TEST_F(Forms, FormClassWithoutDescriptionRaisesResourceNotFoundWithTheClassName) {
  TNoDescriptionForm missing(nullptr);
  EXPECT_TRUE(missing.DescriptionPending());
  EXPECT_EQ(MessageOf<EResNotFound>([&] { missing.ReadDescription(); }),
            "Resource TNoDescriptionForm not found");
}

TEST_F(Forms, WindowParametersFollowBorderStyleAndIcons) {
  LONG_PTR style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  EXPECT_EQ(style & WS_CHILD, 0);
  form->SetBorderStyle(bsDialog);
  style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "rebuilt and shown again";
  RECT rect{};
  GetWindowRect(form->Handle(), &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.right - rect.left, 400);
}

TEST_F(Forms, ClosingAskesThenHidesReleasesOrKeepsTheForm) {
  CloseRecorder recorder;
  TForm* second = TForm::CreateNew(nullptr);
  second->OnCloseQuery = TCloseQueryEvent(&recorder, &CloseRecorder::Query);
  second->OnClose = TCloseEvent(&recorder, &CloseRecorder::Closing);
  second->Show();
  pt::PumpUntilIdle();

  recorder.allow = false;
  SendMessageA(second->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(second->Visible());
  recorder.allow = true;
  second->Close();
  EXPECT_FALSE(second->Visible()) << "a form that is not the main form is hidden";
  EXPECT_EQ(recorder.queries, 2);

  second->Show();
  recorder.chosen = caNone;
  second->Close();
  EXPECT_TRUE(second->Visible());

  recorder.chosen = caFree;
  int forms = Screen->FormCount();
  second->Close();
  EXPECT_EQ(Screen->FormCount(), forms) << "freed only when FM_RELEASE arrives";
  pt::PumpUntilIdle();
  EXPECT_EQ(Screen->FormCount(), forms - 1);
}

TEST_F(Forms, ChangingVisibleWhileShowingIsRefused) {
  struct Recorder : TApplicationBridge {
    void HandleException(TObject*) override {
      try {
        throw;
      } catch (const Exception& e) {
        message = e.Message();
      }
    }
    std::string message;
  } application;
  SetApplicationBridge(&application);
  CloseRecorder handlers;
  std::unique_ptr<TForm> other(TForm::CreateNew(nullptr));
  other->OnShow = TNotifyEvent(&handlers, &CloseRecorder::ShowChangesVisible);
  other->Show();
  SetApplicationBridge(nullptr);
  EXPECT_EQ(application.message, "Cannot change Visible in OnShow or OnHide");
  EXPECT_TRUE(IsWindowVisible(other->Handle())) << "the showing goes on";
}

TEST_F(Forms, MainMenuIsAttachedToEveryWindowTheFormGets) {
  TMenuStub menus;
  TMenuBridge* previousMenus = MenuBridge();
  SetMenuBridge(&menus);
  std::unique_ptr<TForm> other(TForm::CreateNew(nullptr));
  auto* menu = new TFakeMainMenu(other.get());
  menu->SetName("MainMenu1");
  EXPECT_EQ(other->MenuComponent(), menu) << "a main menu owned by the form becomes its menu";
  EXPECT_TRUE(menus.windows.empty()) << "no window yet";
  HWND first = other->Handle();
  ASSERT_FALSE(menus.windows.empty());
  EXPECT_EQ(menus.windows.back(), first) << "attached when the window is created";
  EXPECT_EQ(GetMenu(first), menus.menu);
  other->RebuildWindow();
  EXPECT_EQ(menus.windows.back(), other->Handle()) << "and again for the rebuilt window";
  EXPECT_EQ(GetMenu(other->Handle()), menus.menu) << "the menu survived the old window";
  SendMessageA(other->Handle(), WM_COMMAND, 7, 0);
  EXPECT_EQ(menus.commands, std::vector<WORD>{7});

  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { form->SetMenuComponent(menu); }),
            "Menu 'MainMenu1' is already being used by another form");
  delete menu;
  EXPECT_EQ(other->MenuComponent(), nullptr);
  EXPECT_EQ(GetMenu(other->Handle()), nullptr);
  DestroyMenu(menus.menu);
  SetMenuBridge(previousMenus);
}

TEST_F(Forms, ScreenKnowsCursorsAndFormsInActivationOrder) {
  EXPECT_NE(Screen->Cursors(crDrag), nullptr);
  EXPECT_NE(Screen->Cursors(crDrag), Screen->Cursors(crDefault));
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  EXPECT_EQ(Screen->Cursors(42), Screen->Cursors(crDefault)) << "unknown ids give the default";
  EXPECT_EQ(Screen->Cursors(crArrow), LoadCursorA(nullptr, IDC_ARROW));

  form->SetName("MainForm");
  std::unique_ptr<TForm> other(TForm::CreateNew(nullptr));
  other->SetName("Second");
  EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), other.get()) << "creation order";
  other->Show();
  pt::PumpUntilIdle();
  EXPECT_EQ(Screen->ActiveForm(), other.get());
  EXPECT_EQ(Screen->Forms(0), other.get()) << "the active form moves to the front";
  EXPECT_EQ(Screen->Fonts()->IndexOf("Liberation Sans") >= 0 || Screen->Fonts()->Count() > 0, true);
}

TEST_F(Forms, TheScreenKnowsItsFontsSortedOnceEachAndItsKeyboardLayout) {
  TStringList* fonts = Screen->Fonts();
  ASSERT_GT(fonts->Count(), 1);
  for (int i = 1; i < fonts->Count(); ++i)
    EXPECT_LT(CompareLocaleNoCase(fonts->Get(i - 1), fonts->Get(i)), 0)
        << fonts->Get(i - 1) << " / " << fonts->Get(i);
  // The platform has one layout, US English, and no input method.
  EXPECT_EQ(Screen->DefaultIme(), "US");
  EXPECT_TRUE(Screen->ImeNames().empty());
}
