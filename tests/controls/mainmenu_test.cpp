// Main menus on forms: the bar, commands, pop-up preparation and hints routed by the
// form, shortcuts through the key path, merging, and menus read from a description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classes/reader.h"
#include "controls/menus.h"
#include "forms/bridges.h"
#include "tests/controls/form_text.h"
#include "tests/forms/forms_fixture.h"

namespace {

// Counts clicks per item and may act inside a click.
class TClickLog : public TObject {
 public:
  void Clicked(TObject* sender) {
    clicked.push_back(static_cast<TMenuItem*>(sender)->Caption());
    if (action) action();
  }
  std::vector<std::string> clicked;
  std::function<void()> action;
};

// The application's side, as far as hints and exceptions go.
class THintRecorder : public TApplicationBridge {
 public:
  void SetHint(const std::string& hint) override { hints.push_back(hint); }
  void HandleException(TObject*) override { ++exceptions; }
  std::vector<std::string> hints;
  int exceptions = 0;
};

class MainMenuTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    menu = new TMainMenu(form);
    file = AddItem(menu->Items(), "&File");
    exit = AddItem(file, "E&xit");
    option = AddItem(menu->Items(), "Option");
    refresh = AddItem(option, "Refresh List", VK_F5);
    playing = AddItem(option, "Playing");
    repeat = AddItem(playing, "Repeat", VK_F2);
    sequence = AddItem(playing, "Sequence", VK_F3);
    repeat->SetChecked(true);
    form->SetMenu(menu);
    pt::PumpUntilIdle();
  }
  void TearDown() override {
    SetApplicationBridge(nullptr);
    FormsTest::TearDown();
  }
  TMenuItem* AddItem(TMenuItem* parent, const std::string& caption, TShortCut shortCut = 0) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->OnClick = TNotifyEvent(&log, &TClickLog::Clicked);
    parent->Add(item);
    return item;
  }
  void Press(UINT key) {
    pt::PressKey(key);
    PumpLikeApplication();
  }

  TClickLog log;
  TMainMenu* menu = nullptr;
  TMenuItem *file, *exit, *option, *refresh, *playing, *repeat, *sequence;
};

TEST_F(MainMenuTest, TheFormAttachesItsMenu) {
  EXPECT_EQ(form->Menu(), menu);
  EXPECT_EQ(menu->WindowHandle(), form->Handle());
  HMENU bar = menu->MenuHandle();
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  char text[64];
  GetMenuStringA(bar, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "&File");
  // A top-level entry of a bar never shows its shortcut; the same item in a sub-menu does.
  TMenuItem* help = AddItem(menu->Items(), "Help", VK_F1);
  GetMenuStringA(bar, 2, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "Help");
  menu->Items()->Remove(help);
  file->Add(help);
  GetMenuStringA(file->MenuHandle(), 1, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "Help\tF1");
}

TEST_F(MainMenuTest, AShortcutRunsItsItemThroughTheKeyPath) {
  Press(VK_F2);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option", "Playing", "Repeat"}));
  log.clicked.clear();
  Press(VK_F5);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option", "Refresh List"}));
  log.clicked.clear();
  Press(VK_F4);  // nobody's shortcut
  EXPECT_TRUE(log.clicked.empty());
}

TEST_F(MainMenuTest, ADisabledItemOrAncestorStopsTheChainButTakesTheKey) {
  auto* edit = new TTestWinControl(form);
  edit->SetBoundsRect(RECT{10, 10, 100, 40});
  edit->SetParent(form);
  edit->SetFocus();
  pt::PumpUntilIdle();

  playing->SetEnabled(false);
  Press(VK_F2);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option"}));
  EXPECT_EQ(edit->keyDowns, 0);  // consumed

  log.clicked.clear();
  playing->SetEnabled(true);
  sequence->SetEnabled(false);
  Press(VK_F3);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option", "Playing"}));
  EXPECT_EQ(edit->keyDowns, 0);

  Press(VK_F4);
  EXPECT_EQ(edit->keyDowns, 1);  // not a shortcut: the control gets it
}

TEST_F(MainMenuTest, AShortcutMovedByAHandlerGoesToItsNewItem) {
  // Opening "Playing" hands F2 over to Sequence: the key then clicks Sequence's chain.
  int moves = 0;
  log.action = [&] {
    if (log.clicked.back() == "Playing" && moves++ == 0) {
      repeat->SetShortCut(0);
      sequence->SetShortCut(VK_F2);
    }
  };
  Press(VK_F2);
  EXPECT_EQ(log.clicked,
            (std::vector<std::string>{"Option", "Playing", "Option", "Playing", "Sequence"}));
}

TEST_F(MainMenuTest, AHandlerThatFreesTheMenuEndsTheChain) {
  log.action = [&] {
    if (log.clicked.back() == "Playing") {
      delete menu;
      menu = nullptr;
    }
  };
  Press(VK_F2);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option", "Playing"}));
  EXPECT_EQ(form->Menu(), nullptr);
}

TEST_F(MainMenuTest, ExceptionsOfShortcutClicksGoToTheApplication) {
  THintRecorder application;
  SetApplicationBridge(&application);
  log.action = [] { throw EInvalidOperation("refused"); };
  Press(VK_F5);
  EXPECT_EQ(application.exceptions, 2);  // Option's click, then Refresh List's
  EXPECT_EQ(log.clicked.size(), 2u);
}

TEST_F(MainMenuTest, TheFormRoutesCommandsPopupsAndHints) {
  THintRecorder application;
  SetApplicationBridge(&application);
  HWND window = form->Handle();
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(exit->CommandId(), 0), 0);
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"E&xit"}));

  SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(playing->MenuHandle()),
               MAKELPARAM(1, 0));
  EXPECT_EQ(log.clicked.back(), "Playing");

  repeat->SetHint("Play the song again");
  playing->SetHint("How songs follow");
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(repeat->CommandId(), MF_STRING),
               reinterpret_cast<LPARAM>(playing->MenuHandle()));
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP),
               reinterpret_cast<LPARAM>(option->MenuHandle()));
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(0xFFFF, 0xFFFF), 0);
  EXPECT_EQ(application.hints,
            (std::vector<std::string>{"Play the song again", "How songs follow", ""}));
}

TEST_F(MainMenuTest, FindsItemsByCommandHandleAndShortcut) {
  EXPECT_EQ(menu->FindMenuItem(sequence->CommandId(), ByCommand), sequence);
  EXPECT_EQ(menu->FindMenuItem(playing->MenuHandle()), playing);
  EXPECT_EQ(menu->FindMenuItem(VK_F5, ByShortCut), refresh);
  EXPECT_EQ(menu->FindMenuItem(VK_F12, ByShortCut), nullptr);
  EXPECT_FALSE(menu->ExecuteCommand(0xFFF0));
  playing->SetHelpContext(40);
  repeat->SetHelpContext(0);
  EXPECT_EQ(menu->HelpContextOf(repeat->CommandId(), true), 40);
  EXPECT_EQ(menu->HelpContextOf(file->MenuHandle(), false), 0);
  EXPECT_EQ(menu->FindMenuItem(option->MenuHandle(), ByHandle), option);
}

TEST_F(MainMenuTest, MergedGroupsReplaceOwnGroupsOfTheSameIndex) {
  for (TMenuItem* item : {file, option}) item->SetGroupIndex(0);
  option->SetGroupIndex(2);
  TMenuItem* help = AddItem(menu->Items(), "Help");
  help->SetGroupIndex(9);

  auto* other = new TMainMenu(form);
  TMenuItem* edit = AddItem(other->Items(), "Edit");
  edit->SetGroupIndex(1);
  TMenuItem* tools = AddItem(other->Items(), "Tools");
  tools->SetGroupIndex(2);
  TMenuItem* last = AddItem(other->Items(), "Window");
  last->SetGroupIndex(255);

  auto captions = [&] {
    std::vector<std::string> out;
    HMENU bar = menu->MenuHandle();
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
      char text[64];
      GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
      out.push_back(text);
    }
    return out;
  };
  menu->Merge(other);
  EXPECT_EQ(captions(), (std::vector<std::string>{"&File", "Edit", "Tools", "Help", "Window"}));
  EXPECT_EQ(menu->FindMenuItem(tools->CommandId(), ByCommand), tools);
  EXPECT_EQ(menu->FindMenuItem(option->CommandId(), ByCommand), nullptr);  // replaced

  menu->Unmerge(new TMainMenu(form));  // not the merged one: nothing changes
  EXPECT_EQ(captions().size(), 5u);
  delete other;  // a merged menu that goes takes its items out
  EXPECT_EQ(captions(), (std::vector<std::string>{"&File", "Option", "Help"}));
}

TEST_F(MainMenuTest, ItemsOfTheLastGroupShowWithoutAMerge) {
  TMenuItem* window = AddItem(menu->Items(), "Window");
  window->SetGroupIndex(255);
  EXPECT_EQ(GetMenuItemCount(menu->MenuHandle()), 3);
  EXPECT_EQ(menu->FindMenuItem(window->CommandId(), ByCommand), window);
}

// A window that counts the bar-changed messages its menu sends.
int menuChanges = 0;
LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == FM_MENU_CHANGED) ++menuChanges;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MainMenuBar, ChangesOfTheTopLevelTellTheWindow) {
  pt::StartSession();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &CountingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "MenuChangeCounter";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "MenuChangeCounter", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  {
    TMainMenu menu(nullptr);
    auto* file = new TMenuItem(&menu);
    file->SetCaption("File");
    menu.Items()->Add(file);
    auto* exit = new TMenuItem(&menu);
    file->Add(exit);
    menu.AttachWindow(window);
    menuChanges = 0;
    file->SetCaption("Document");
    EXPECT_EQ(menuChanges, 1);
    exit->SetCaption("Quit");  // inside a sub-menu: the bar is asked too
    EXPECT_GT(menuChanges, 1);
    int before = menuChanges;
    menu.SetAutoMerge(true);
    menu.SetAutoMerge(true);
    EXPECT_EQ(menuChanges, before + 1);
    menu.AttachWindow(nullptr);
    file->SetCaption("File");
    EXPECT_EQ(menuChanges, before + 1);
  }
  DestroyWindow(window);
  pt::EndSession();
}

TEST_F(MainMenuTest, DestroyingTheMenuDetachesItFromTheForm) {
  delete menu;
  menu = nullptr;
  EXPECT_EQ(form->Menu(), nullptr);
  Press(VK_F2);
  EXPECT_TRUE(log.clicked.empty());
}

TEST_F(MainMenuTest, AMainMenuMadeForAFormBecomesItsMenuWhenItHasNone) {
  TForm* plain = TForm::CreateNew(nullptr);
  plain->SetBoundsRect(RECT{50, 50, 300, 200});
  plain->Show();
  auto* first = new TMainMenu(plain);
  AddItem(first->Items(), "Song");
  EXPECT_EQ(plain->Menu(), first);
  EXPECT_EQ(GetMenu(plain->Handle()), first->MenuHandle());
  EXPECT_EQ(first->WindowHandle(), plain->Handle());

  auto* second = new TMainMenu(plain);
  EXPECT_EQ(plain->Menu(), first) << "a form keeps the menu it has";
  new TPopupMenu(plain);
  EXPECT_EQ(plain->Menu(), first);
  delete first;
  EXPECT_EQ(plain->Menu(), nullptr);
  EXPECT_EQ(GetMenu(plain->Handle()), nullptr);
  EXPECT_EQ(second->WindowHandle(), nullptr);
  delete plain;
}

// The main window's own description, read into a form that names only its menu: the
// form's "Menu" link puts the bar File / Option on the window, with the items' shortcut
// texts in the sub-menus and F2 reaching Repeat through the key path.
class TPlayerMenuForm : public TForm {
  TD_CLASS(TPlayerMenuForm, TForm)

 public:
  using TForm::TForm;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem *File1 = nullptr, *Option1 = nullptr, *Repeat1 = nullptr, *Repeat2 = nullptr;
};
TD_IMPLEMENT_CLASS(TPlayerMenuForm)
void TPlayerMenuForm::Describe(Describer& d) {
  d.Field("MainMenu1", &TPlayerMenuForm::MainMenu1);
  d.Field("File1", &TPlayerMenuForm::File1);
  d.Field("Option1", &TPlayerMenuForm::Option1);
  d.Field("Repeat1", &TPlayerMenuForm::Repeat1);
  d.Field("Repeat2", &TPlayerMenuForm::Repeat2);
}

std::string MenuText(HMENU menu, int position) {
  char text[64] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
  return text;
}

TEST(PlayerMenu, TheMainWindowsDescriptionShowsFileAndOptionOnTheBar) {
  pt::StartSession();
  auto* form = new TPlayerMenuForm(nullptr);
  {
    TResourceStream stream(GetModuleHandleA(nullptr), "TFORM1", MAKEINTRESOURCEA(10));
    TReader reader(stream, 4096);
    // The browsing controls, the media device and the handlers are not this test's.
    reader.OnError = [](TReader&, const std::string&, bool& handled) { handled = true; };
    reader.ReadDescription(form);
  }
  ASSERT_NE(form->MainMenu1, nullptr);
  EXPECT_EQ(form->Menu(), form->MainMenu1);
  form->Show();
  pt::PumpUntilIdle();

  HWND window = form->Handle();
  HMENU bar = GetMenu(window);
  ASSERT_EQ(bar, form->MainMenu1->MenuHandle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(MenuText(bar, 0), "File");
  EXPECT_EQ(MenuText(bar, 1), "Option");
  HMENU option = GetSubMenu(bar, 1);
  EXPECT_EQ(MenuText(option, 0), "Refresh List\tF5");
  EXPECT_EQ(MenuText(GetSubMenu(option, 1), 0), "Repeat\tF2");
  EXPECT_EQ(GetMenuState(GetSubMenu(option, 1), 0, MF_BYPOSITION) & MF_CHECKED,
            static_cast<UINT>(MF_CHECKED));

  // The bar is drawn between the caption and the client area, its captions in menu text.
  POINT clientOrigin{0, 0};
  ClientToScreen(window, &clientOrigin);
  for (int position = 0; position < 2; ++position) {
    RECT item{};
    ASSERT_TRUE(GetMenuItemRect(window, bar, static_cast<UINT>(position), &item));
    EXPECT_LE(item.bottom, clientOrigin.y);
    int textPixels = 0;
    for (int y = item.top; y < item.bottom; ++y)
      for (int x = item.left; x < item.right; ++x)
        textPixels += pt::ScreenPixel(x, y) == ColorToRGB(clMenuText) ? 1 : 0;
    EXPECT_GT(textPixels, 10) << "entry " << position;
  }

  // F2 runs Repeat through the key path: its parents are clicked first.
  TClickLog log;
  for (TMenuItem* item : {form->Option1, form->Repeat1, form->Repeat2})
    item->OnClick = TNotifyEvent(&log, &TClickLog::Clicked);
  pt::PressKey(VK_F2);
  PumpLikeApplication();
  EXPECT_EQ(log.clicked, (std::vector<std::string>{"Option", "Playing", "Repeat"}));
  delete form;
  pt::PumpUntilIdle();
  pt::EndSession();
}

// A description with a menu: items land under their parents, "ShortCutText" is parsed.
class TMenuHolder : public TComponent {
  TD_CLASS(TMenuHolder, TComponent)

 public:
  using TComponent::TComponent;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TMenuItem* Repeat2 = nullptr;
};
TD_IMPLEMENT_CLASS(TMenuHolder)
void TMenuHolder::Describe(Describer& d) {
  d.Field("MainMenu1", &TMenuHolder::MainMenu1);
  d.Field("Exit1", &TMenuHolder::Exit1);
  d.Field("Repeat2", &TMenuHolder::Repeat2);
}

TEST(MenuDescription, ItemsAreAttachedToTheirParentsAndShortcutTextsParsed) {
  pt::StartSession();
  std::string text =
      "TMenuHolder Holder {\n"
      "  TMainMenu MainMenu1 {\n"
      "    TMenuItem File1 {\n"
      "      Caption = \"File\"\n"
      "      ShortCut = 0\n"
      "      TMenuItem Exit1 {\n"
      "        Caption = \"E&xit\"\n"
      "        ShortCut = 0\n"
      "        ShortCutText = \"Ctrl+Q\"\n"
      "      }\n"
      "    }\n"
      "    TMenuItem Repeat2 {\n"
      "      Caption = \"Repeat\"\n"
      "      Checked = true\n"
      "      ShortCut = 113\n"
      "    }\n"
      "  }\n"
      "}\n";
  TMenuHolder holder(nullptr);
  ReadFormText(text, &holder);
  ASSERT_NE(holder.MainMenu1, nullptr);
  ASSERT_NE(holder.Exit1, nullptr);
  EXPECT_EQ(holder.Exit1->ShortCut(), scCtrl | 'Q');
  EXPECT_EQ(holder.Exit1->Owner(), &holder);
  TMenuItem* items = holder.MainMenu1->Items();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->ItemAt(0)->Caption(), "File");
  EXPECT_EQ(items->ItemAt(0)->ItemAt(0), holder.Exit1);
  EXPECT_EQ(items->ItemAt(1), holder.Repeat2);
  EXPECT_TRUE(holder.Repeat2->Checked());
  EXPECT_EQ(holder.Repeat2->ShortCut(), VK_F2);
  EXPECT_EQ(holder.Exit1->StoredParent(), items->ItemAt(0));
  EXPECT_EQ(items->ItemAt(0)->StoredParent(), holder.MainMenu1);
  pt::EndSession();
}

}  // namespace
