// The application object: its window and title, forms, the loop, idle processing, hints,
// exceptions and the exit statuses.
#include "forms/application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "controls/menus.h"
#include "platform/testing.h"
#include "runtime/exitproc.h"
#include "tests/support/messages.h"

namespace pt = platform::testing;

namespace {

template <class Base>
class TCounting : public Base {
 public:
  explicit TCounting(TComponent* owner) : Base(owner) {}
  void MessageProc(TMessage& message) override {
    if (message.Msg == FM_MOUSE_ENTER) ++enters;
    if (message.Msg == FM_MOUSE_LEAVE) ++leaves;
    Base::MessageProc(message);
  }
  int enters = 0;
  int leaves = 0;
};

class TNoDescriptionForm : public TForm {
  TD_CLASS(TNoDescriptionForm, TForm)

 public:
  explicit TNoDescriptionForm(TComponent* owner) : TForm(owner) {}
};
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TNoDescriptionForm)

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::StartSession();
    InitializeApplication();
  }
  void TearDown() override {
    DoneApplication();
    pt::PumpUntilIdle();
    pt::EndSession();
  }
  TForm* MakeMainForm() {
    TForm* form = nullptr;
    Application->CreateForm(TForm::StaticClass(), &form);
    form->SetBoundsRect(RECT{100, 100, 400, 300});
    return form;
  }
  // Runs the idle processing once without sleeping (a message is waiting).
  void IdleOnce() {
    PostMessageA(Application->Handle(), WM_NULL, 0, 0);
    MSG msg{};
    Application->Idle(msg);
    Application->ProcessMessages();
  }
};

std::string ExpectedTitle() {
  char path[256] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name = path;
  name.erase(0, name.find_last_of('\\') + 1);
  name.erase(name.find('.') == std::string::npos ? name.size() : name.find('.'));
  for (std::size_t i = 1; i < name.size(); ++i)
    if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
  return name;
}

}  // namespace

TEST_F(ApplicationTest, HiddenWindowCarriesTheTitleFromTheProgramFilesName) {
  HWND window = Application->Handle();
  ASSERT_NE(window, nullptr);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "TApplication");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & 0xFFFF0000u, 0x94CA0000u);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 0);
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(Application->Title(), ExpectedTitle());
  EXPECT_EQ(&ApplicationBridge(), Application) << "the forms layer reaches the application";
}

TEST_F(ApplicationTest, FirstFormIsTheMainFormAndAFailedFormLeavesNothing) {
  TForm* main = MakeMainForm();
  EXPECT_EQ(Application->MainForm(), main);
  EXPECT_TRUE(main->HasWindow());
  EXPECT_EQ(GetWindow(main->Handle(), GW_OWNER), Application->Handle());
  TForm* second = nullptr;
  Application->CreateForm(TForm::StaticClass(), &second);
  EXPECT_EQ(Application->MainForm(), main);
  EXPECT_EQ(second->Owner(), Application);

  int forms = Screen->FormCount();
  TNoDescriptionForm* broken = reinterpret_cast<TNoDescriptionForm*>(1);
  EXPECT_EQ(MessageOf<EResNotFound>(
                [&] { Application->CreateForm(TNoDescriptionForm::StaticClass(), &broken); }),
            "Resource TNoDescriptionForm not found");
  EXPECT_EQ(broken, nullptr);
  EXPECT_EQ(Screen->FormCount(), forms);
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsRunAndTheMainRoutineReturnsZero) {
  static TForm* main = nullptr;
  int status = ApplicationMain([] {
    Application->Initialize();
    Application->CreateForm(TForm::StaticClass(), &main);
    PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
    Application->Run();
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Application, nullptr) << "the shutdown routine freed the application";
  EXPECT_EQ(Screen, nullptr);
  InitializeApplication();  // for the fixture's tear-down
}

TEST_F(ApplicationTest, AModalFormRunsTheLoopUntilItHasAResultAndTheOthersWait) {
  TForm* main = MakeMainForm();
  main->Show();
  TForm* dialog = TForm::CreateNew(nullptr);
  dialog->SetBoundsRect(RECT{150, 150, 300, 250});
  bool sawModal = false, mainRefused = false;
  pt::AtIdle([&] {
    sawModal = dialog->Modal() && dialog->Visible();
    mainRefused = !IsWindowEnabled(main->Handle());
    dialog->Close();  // a modal form's close gives the result "cancel"
  });
  EXPECT_EQ(dialog->ShowModal(), 2);
  EXPECT_TRUE(sawModal);
  EXPECT_TRUE(mainRefused);
  EXPECT_FALSE(dialog->Modal());
  EXPECT_FALSE(dialog->Visible());
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));

  pt::AtIdle([&] { dialog->SetModalResult(7); });
  EXPECT_EQ(dialog->ShowModal(), 7);
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  delete dialog;
}

TEST_F(ApplicationTest, AbortIsSilentAndTheLoopGoesOn) {
  HWND before = GetWindow(GetDesktopWindow(), GW_CHILD);
  try {
    throw EAbort("quiet");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), before) << "no box was shown";
}

TEST_F(ApplicationTest, IdleSendsMouseEnterAndLeaveOncePerChange) {
  TForm* form = MakeMainForm();
  form->Show();
  auto* left = new TCounting<TGraphicControl>(form);
  left->SetBoundsRect(RECT{10, 10, 60, 60});
  left->SetParent(form);
  auto* right = new TCounting<TGraphicControl>(form);
  right->SetBoundsRect(RECT{100, 10, 150, 60});
  right->SetParent(form);
  pt::PumpUntilIdle();

  POINT p = left->ClientToScreen(POINT{5, 5});
  pt::MouseMove(p.x, p.y);
  pt::PumpUntilIdle();
  IdleOnce();
  IdleOnce();
  EXPECT_EQ(left->enters, 1);
  EXPECT_EQ(Application->MouseControl(), left);
  p = right->ClientToScreen(POINT{5, 5});
  pt::MouseMove(p.x, p.y);
  pt::PumpUntilIdle();
  IdleOnce();
  IdleOnce();
  EXPECT_EQ(left->leaves, 1);
  EXPECT_EQ(right->enters, 1);
  EXPECT_EQ(right->leaves, 0);
}

TEST_F(ApplicationTest, HintShowsAfterThePauseAndHidesAfterTheHidePause) {
  TForm* form = MakeMainForm();
  form->Show();
  auto* hinted = new TGraphicControl(form);
  hinted->SetBoundsRect(RECT{10, 10, 80, 40});
  hinted->SetParent(form);
  hinted->SetHint("Plays the song|Plays the selected song");
  hinted->SetShowHint(true);
  pt::PumpUntilIdle();
  POINT p = hinted->ClientToScreen(POINT{5, 5});
  pt::MouseMove(p.x, p.y);
  pt::PumpUntilIdle();
  IdleOnce();
  EXPECT_EQ(Application->Hint(), "Plays the selected song") << "the long hint";

  pt::AdvanceTime(499);
  EXPECT_FALSE(Application->HintShowing());
  pt::AdvanceTime(1);
  ASSERT_TRUE(Application->HintShowing());
  EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->Handle()));
  EXPECT_EQ(Application->HintWindow()->Caption(), "Plays the song") << "the short hint";
  pt::AdvanceTime(2499);
  EXPECT_TRUE(Application->HintShowing());
  pt::AdvanceTime(1);
  EXPECT_FALSE(Application->HintShowing());
  EXPECT_FALSE(IsWindowVisible(Application->HintWindow()->Handle()));
}

TEST(ApplicationDeathTest, HaltFromAMenuHandlerEndsWithItsStatusAndNoCloseRequest) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        pt::StartSession();
        InitializeApplication();
        struct Handlers : TObject {
          void CloseQuery(TObject*, bool&) { std::fputs("close requested\n", stderr); }
          void Exit(TObject*) { Halt(1); }
        } handlers;
        static TForm* main = nullptr;
        Application->CreateForm(TForm::StaticClass(), &main);
        main->OnCloseQuery = TCloseQueryEvent(&handlers, &Handlers::CloseQuery);
        auto* menu = new TMainMenu(main);
        auto* file = new TMenuItem(main);
        file->SetCaption("&File");
        auto* exit = new TMenuItem(main);
        exit->SetCaption("E&xit");
        exit->OnClick = TNotifyEvent(&handlers, &Handlers::Exit);
        file->Add(exit);
        menu->Items()->Add(file);
        main->SetMenu(menu);
        PostMessageA(main->Handle(), WM_COMMAND, exit->CommandId(), 0);
        Application->Run();
        std::exit(7);
      },
      ::testing::ExitedWithCode(1), ::testing::Not(::testing::HasSubstr("close requested")));
}

namespace {

// What a message box showed: its caption and the texts of its child windows.
struct BoxSeen {
  bool shown = false;
  std::string caption;
  std::vector<std::string> texts;
  bool mainEnabled = true;
};

void ReadActiveBox(BoxSeen& seen, HWND mainWindow) {
  HWND box = GetActiveWindow();
  seen.shown = box != nullptr && box != mainWindow;
  char text[512] = {};
  GetWindowTextA(box, text, sizeof text);
  seen.caption = text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    GetWindowTextA(child, text, sizeof text);
    seen.texts.push_back(text);
  }
  seen.mainEnabled = mainWindow != nullptr && IsWindowEnabled(mainWindow);
}

bool HasText(const BoxSeen& seen, const std::string& wanted) {
  for (const std::string& text : seen.texts)
    if (text == wanted) return true;
  return false;
}

class Throwing : public TObject {
 public:
  void FrameworkError(TObject*) { throw EMCIDeviceError("No MCI device open"); }
  void EndsWithStop(TObject*) { throw EInvalidOperation("Already stopped."); }
  void ForeignError(TObject*) { throw std::runtime_error("bad thing"); }
  void FailToShow(TObject*, const Exception&) { throw EOutOfResources("no room for the box"); }
};

}  // namespace

class ExceptionDisplay : public ApplicationTest {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    form = MakeMainForm();
    form->Show();
    button = new TGraphicControl(form);
    button->SetBoundsRect(RECT{10, 10, 60, 40});
    button->SetParent(form);
    pt::PumpUntilIdle();
  }
  BoxSeen ClickAndRead() {
    pt::AdvanceTime(1000);  // a fresh click, not the second half of a double click
    BoxSeen seen;
    pt::AtIdle([&] {
      ReadActiveBox(seen, form->Handle());
      pt::PressKey(VK_RETURN);
    });
    POINT p = button->ClientToScreen(POINT{5, 5});
    pt::Click(p.x, p.y);
    pt::PumpUntilIdle();
    return seen;
  }
  TForm* form = nullptr;
  TGraphicControl* button = nullptr;
  Throwing throwing;
};

TEST_F(ExceptionDisplay, HandlerExceptionShowsItsMessageWithAFullStopAndTheTitle) {
  button->OnClick = TNotifyEvent(&throwing, &Throwing::FrameworkError);
  BoxSeen seen = ClickAndRead();
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, Application->Title());
  EXPECT_TRUE(HasText(seen, "No MCI device open.")) << "the message plus \".\"";
  EXPECT_FALSE(seen.mainEnabled) << "the main window refuses input while the box shows";
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_EQ(GetActiveWindow(), form->Handle()) << "the previously active window again";

  button->OnClick = TNotifyEvent(&throwing, &Throwing::EndsWithStop);
  seen = ClickAndRead();
  EXPECT_TRUE(HasText(seen, "Already stopped..")) << "the full stop is always appended";
}

TEST_F(ExceptionDisplay, ForeignExceptionShowsTheRuntimesReport) {
  button->OnClick = TNotifyEvent(&throwing, &Throwing::ForeignError);
  BoxSeen seen = ClickAndRead();
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, "Application Error");
  bool found = false;
  for (const std::string& text : seen.texts)
    if (text.rfind("Exception ", 0) == 0 && text.find("bad thing.") != std::string::npos)
      found = true;
  EXPECT_TRUE(found);
}

TEST_F(ExceptionDisplay, AnExceptionWhileShowingOneIsToldOnStandardErrorAndTheLoopGoesOn) {
  button->OnClick = TNotifyEvent(&throwing, &Throwing::FrameworkError);
  Application->OnException = TExceptionEvent(&throwing, &Throwing::FailToShow);
  ::testing::internal::CaptureStderr();
  POINT p = button->ClientToScreen(POINT{5, 5});
  pt::Click(p.x, p.y);
  pt::PumpUntilIdle();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("no room for the box"), std::string::npos) << err;

  // The program goes on: the next failure is shown as usual.
  Application->OnException = TExceptionEvent();
  BoxSeen seen = ClickAndRead();
  ASSERT_TRUE(seen.shown);
  EXPECT_TRUE(HasText(seen, "No MCI device open."));
}

TEST_F(ApplicationTest, StartUpFailureIsShownAndEndsWithStatusTwo) {
  BoxSeen seen;
  pt::AtIdle([&] {
    ReadActiveBox(seen, nullptr);
    pt::PressKey(VK_RETURN);
  });
  int status = ApplicationMain([] { throw EReadError("Invalid stream format"); });
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(HasText(seen, "Invalid stream format."));
  InitializeApplication();  // for the fixture's tear-down
}
