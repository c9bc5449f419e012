// Feeds arbitrary bytes as a form description to the real control classes in a headless
// session: read into a form (with and without an error hook that goes on after errors), the
// form shown and its windows made, some of its components freed, then the same bytes read
// into a second form once the other forms can be found, so that references waiting on
// another form meet components that are gone. Seed the corpus with the main window's
// description (fuzz/corpus/controls_fuzz).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "classes/reader.h"
#include "classes/streams.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/listbox.h"
#include "controls/menus.h"
#include "controls/speedbutton.h"
#include "controls/timer.h"
#include "controls/trackbar.h"
#include "filectrl/dirlist.h"
#include "filectrl/drivecombo.h"
#include "filectrl/filelist.h"
#include "filectrl/filtercombo.h"
#include "forms/form.h"
#include "media/mediaplayer.h"
#include "platform/testing.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

// A form that knows the main window's event handler names (they do nothing), so that a
// description binds its events as the player's does.
class TFuzzForm : public TForm {
  TD_CLASS(TFuzzForm, TForm)

 public:
  explicit TFuzzForm(TComponent* owner) : TForm(owner, NewTag{}) {}
  void Notify(TObject*) {}
  void KeyPress(TObject*, char&) {}
  void DragDrop(TObject*, TObject*, int, int) {}
  void DragOver(TObject*, TObject*, int, int, TDragState, bool&) {}
  void StartDrag(TObject*, TDragObject*&) {}
};

TD_IMPLEMENT_CLASS(TFuzzForm)
void TFuzzForm::Describe(Describer& d) {
  for (const char* name :
       {"FileListDblClick", "Timer2Timer", "SpeedButton2Click", "SpeedButton3Click",
        "SpeedButton1Click", "RefreshList1Click", "Sequence1Click", "Repeat2Click", "Exit1Click"})
    d.Method(name, &TFuzzForm::Notify);
  d.Method("FileListKeyPress", &TFuzzForm::KeyPress);
  d.Method("Bar1DragDrop", &TFuzzForm::DragDrop);
  d.Method("Bar1DragOver", &TFuzzForm::DragOver);
  d.Method("Bar1StartDrag", &TFuzzForm::StartDrag);
}

void RegisterControlClasses() {
  for (const TClassInfo* info :
       {&TFuzzForm::StaticClass(), &TLabel::StaticClass(), &TTrackBar::StaticClass(),
        &TMenuItem::StaticClass(), &TMainMenu::StaticClass(), &TPopupMenu::StaticClass(),
        &TComboBox::StaticClass(), &TListBox::StaticClass(), &TEdit::StaticClass(),
        &TTimer::StaticClass(), &TSpeedButton::StaticClass(), &TFileListBox::StaticClass(),
        &TDirectoryListBox::StaticClass(), &TDriveComboBox::StaticClass(),
        &TFilterComboBox::StaticClass(), &TMediaPlayer::StaticClass()})
    RegisterStreamClass(info);
}

void Read(const std::vector<std::uint8_t>& bytes, TComponent* root, bool goOn) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  TReader reader(stream, 4096);
  if (goOn) reader.OnError = [](TReader&, const std::string&, bool& handled) { handled = true; };
  try {
    reader.ReadDescription(root);
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialized = [] {
    setenv("TD_BACKEND", "headless", 1);
    setenv("TD_AUDIO", "null", 1);
    platform::testing::StartSession();
    RegisterControlClasses();
    return true;
  }();
  (void)initialized;
  std::vector<std::uint8_t> bytes(data, data + size);
  const bool goOn = size % 3 == 0;
  // Another form that the description's references may name, found only in the second
  // read.
  bool late = false;
  auto* other = new TFuzzForm(nullptr);
  other->SetName("Other");
  SetFindGlobalComponent([&](const std::string& name) -> TComponent* {
    return late && SameAsciiNoCase(name, "Other") ? other : nullptr;
  });

  auto* form = new TFuzzForm(nullptr);
  Read(bytes, form, goOn);
  try {
    form->Show();
    platform::testing::PumpUntilIdle();
  } catch (const Exception&) {
  }
  // Free every stride-th component the form owns, last first.
  const int stride = size > 0 ? data[0] % 4 + 1 : 1;
  for (int i = form->OwnedCount() - 1; i >= 0; i -= stride)
    if (i < form->OwnedCount()) delete form->OwnedAt(i);
  platform::testing::PumpUntilIdle();

  late = true;
  auto* second = new TFuzzForm(nullptr);
  Read(bytes, second, goOn);
  delete second;
  delete form;
  delete other;
  SetFindGlobalComponent(nullptr);
  platform::testing::PumpUntilIdle();
  return 0;
}
