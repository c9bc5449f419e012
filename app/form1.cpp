#include "app/form1.h"

#include "controls/label.h"
#include "controls/menus.h"
#include "controls/speedbutton.h"
#include "controls/timer.h"
#include "controls/trackbar.h"
#include "filectrl/dirlist.h"
#include "filectrl/drivecombo.h"
#include "filectrl/filelist.h"
#include "filectrl/filtercombo.h"
#include "forms/application.h"
#include "media/mediaplayer.h"
#include "runtime/command.h"
#include "runtime/directory.h"
#include "runtime/exceptions.h"
#include "runtime/exitproc.h"
#include "runtime/format.h"

TForm1* Form1 = nullptr;

namespace {

constexpr const char* kCaption = "Tunedeck->";
// What a 260-byte buffer with its terminating zero holds.
constexpr std::size_t kMaxDirectory = 259;

// A device call whose failure the player ignores: every exception is discarded.
template <class F>
bool Quietly(F&& action) {
  try {
    action();
    return true;
  } catch (...) {
    return false;
  }
}

// What the player says of an argument it cannot show, by the platform's error.
std::string Unusable(const std::string& path, DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Format("%s does not exist.", path);
    case ERROR_NOT_READY:
      return Format("The drive that holds %s is not ready.", path);
    case ERROR_FILENAME_EXCED_RANGE:
      return Format("The name %s is too long.", path);
    default:
      return Format("%s cannot be shown.", path);
  }
}

// The entry of a list that shows the name, -1 when none does.
std::int32_t IndexOf(TStrings* items, const std::string& name) {
  for (std::int32_t i = 0; i < items->Count(); ++i)
    if (items->Get(i) == name) return i;
  return -1;
}

}  // namespace

bool CompanionCommand(const std::string& directory, const std::string& program,
                      const std::string& argument, std::string& command) {
  std::string file = directory;
  if (file.empty() || file.back() != '\\') file += '\\';
  file += program;
  if (file.find('"') != std::string::npos || argument.find('"') != std::string::npos) return false;
  command = "\"" + file + "\"";
  if (!argument.empty()) command += " \"" + argument + "\"";
  return true;
}

TD_IMPLEMENT_CLASS(TForm1)
void TForm1::Describe(Describer& d) {
  d.Field("FileList", &TForm1::FileList);
  d.Field("DirList", &TForm1::DirList);
  d.Field("DirCombo", &TForm1::DirCombo);
  d.Field("FileCombo", &TForm1::FileCombo);
  d.Field("MainMenu1", &TForm1::MainMenu1);
  d.Field("MC", &TForm1::MC);
  d.Field("Timer2", &TForm1::Timer2);
  d.Field("SpeedButton2", &TForm1::SpeedButton2);
  d.Field("SpeedButton3", &TForm1::SpeedButton3);
  d.Field("Bar1", &TForm1::Bar1);
  d.Field("SpeedButton1", &TForm1::SpeedButton1);
  d.Field("Option1", &TForm1::Option1);
  d.Field("RefreshList1", &TForm1::RefreshList1);
  d.Field("Repeat1", &TForm1::Repeat1);
  d.Field("Repeat2", &TForm1::Repeat2);
  d.Field("Sequence1", &TForm1::Sequence1);
  d.Field("Label1", &TForm1::Label1);
  d.Field("File1", &TForm1::File1);
  d.Field("Exit1", &TForm1::Exit1);
  d.Method("FileListDblClick", &TForm1::FileListDblClick);
  d.Method("FileListKeyPress", &TForm1::FileListKeyPress);
  d.Method("Timer2Timer", &TForm1::Timer2Timer);
  d.Method("SpeedButton2Click", &TForm1::SpeedButton2Click);
  d.Method("SpeedButton3Click", &TForm1::SpeedButton3Click);
  d.Method("Bar1DragDrop", &TForm1::Bar1DragDrop);
  d.Method("Bar1DragOver", &TForm1::Bar1DragOver);
  d.Method("Bar1StartDrag", &TForm1::Bar1StartDrag);
  d.Method("SpeedButton1Click", &TForm1::SpeedButton1Click);
  d.Method("RefreshList1Click", &TForm1::RefreshList1Click);
  d.Method("Sequence1Click", &TForm1::Sequence1Click);
  d.Method("Repeat2Click", &TForm1::Repeat2Click);
  d.Method("Exit1Click", &TForm1::Exit1Click);
}

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  ReadDescription();
  try {
    std::string directory = CurrentDirectory();
    if (directory.size() <= kMaxDirectory) programDirectory_ = directory;
  } catch (const EInOutError&) {
  }
  FileList->SetItemIndex(0);
}

void TForm1::PlaySelected() {
  // The caption of the window being played in; the program has just this one.
  SetCaption(kCaption + FileList->FileName());
  Quietly([&] {
    MC->Close();
    Timer2->SetEnabled(false);
  });
  MC->SetFileName(FileList->FileName());
  if (!Quietly([&] { MC->Open(); })) return;
  Bar1->SetMax(MC->Length());
  Timer2->SetEnabled(true);
  Quietly([&] { MC->Play(); });
}

void TForm1::FileListDblClick(TObject*) { PlaySelected(); }

void TForm1::FileListKeyPress(TObject*, char& key) {
  switch (key) {
    case '\r':
      PlaySelected();
      break;
    case '\x1b':
      SetCaption(kCaption);
      Quietly([&] {
        MC->Close();
        Timer2->SetEnabled(false);
      });
      break;
    default:
      break;
  }
}

void TForm1::Timer2Timer(TObject*) {
  std::int32_t count = FileList->Items()->Count();
  Bar1->SetPosition(MC->Position());
  if (MC->Mode() != mdStopped) return;
  if (Sequence1->Checked()) {
    std::int32_t index = FileList->ItemIndex();
    FileList->SetItemIndex(count == index + 1 ? 0 : index + 1);
    PlaySelected();
  } else {
    // At its end the device rewinds before it plays (AutoRewind), so the song starts again.
    MC->Play();
  }
}

void TForm1::SpeedButton2Click(TObject*) {
  std::string command;
  if (CompanionCommand(programDirectory_, "Faders.exe", "", command))
    RunCommandInterpreter(command);
}

void TForm1::SpeedButton3Click(TObject*) {
  Quietly([&] { MC->Close(); });
  Timer2->SetEnabled(false);
  std::string command;
  if (CompanionCommand(programDirectory_, "Scorepad.exe", FileList->FileName(), command))
    RunCommandInterpreter(command);
}

void TForm1::Bar1DragDrop(TObject*, TObject*, int, int) {}

void TForm1::Bar1DragOver(TObject*, TObject*, int, int, TDragState, bool&) {}

void TForm1::Bar1StartDrag(TObject*, TDragObject*&) {}

void TForm1::SpeedButton1Click(TObject*) {
  Quietly([&] { MC->Pause(); });
}

void TForm1::RefreshList1Click(TObject*) {
  FileList->RepaintNow();
  DirList->RepaintNow();
  // Reading the list again drops the selection; the selected file (the one playing, as a
  // rule) is selected again when it is still there, so that Sequence goes on after it.
  const std::int32_t index = FileList->ItemIndex();
  const std::string selected =
      index >= 0 && index < FileList->Items()->Count() ? FileList->Items()->Get(index) : "";
  FileList->Update();
  DirList->Update();
  if (selected.empty()) return;
  TStrings* items = FileList->Items();
  for (std::int32_t i = 0; i < items->Count(); ++i) {
    if (items->Get(i) == selected) {
      FileList->SetItemIndex(i);
      break;
    }
  }
}

void TForm1::SetMode(bool sequence) {
  Repeat2->SetChecked(!sequence);
  Sequence1->SetChecked(sequence);
  Label1->SetCaption(sequence ? "Seqen." : "Repeat");
}

void TForm1::Sequence1Click(TObject*) { SetMode(!Sequence1->Checked()); }

void TForm1::Repeat2Click(TObject*) { SetMode(Repeat2->Checked()); }

void TForm1::Exit1Click(TObject*) { Halt(1); }

void TForm1::OpenHostPath(const std::string& hostPath) {
  const std::string name = platform::HostToWindowsPath(hostPath);
  std::string problem;
  if (name.empty()) {
    problem = Format("%s is on none of the player's drives.", hostPath);
  } else if (DWORD attributes = GetFileAttributesA(name.c_str());
             attributes == INVALID_FILE_ATTRIBUTES) {
    problem = Unusable(hostPath, GetLastError());
  } else {
    try {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        ShowFolder(name);
      else
        ShowFile(name);
      return;
    } catch (const Exception& e) {
      problem = Format("%s cannot be shown: %s.", hostPath, e.Message());
      Quietly([&] {
        ShowFilter(0);
        ShowFolder(programDirectory_);
      });
    }
  }
  Application->MessageBox(problem, Application->Title(), MB_OK | MB_ICONWARNING);
}

void TForm1::ShowFolder(const std::string& folder) {
  DirList->NavigateTo(folder);
  FileList->SetItemIndex(0);
}

void TForm1::ShowFile(const std::string& fileName) {
  std::size_t backslash = fileName.rfind('\\');
  std::string name = fileName.substr(backslash + 1);
  // "C:\song.mid" lies in the root, "C:\".
  DirList->NavigateTo(fileName.substr(0, std::max<std::size_t>(backslash, 3)));
  std::int32_t index = IndexOf(FileList->Items(), name);
  const std::int32_t shown = FileCombo->ItemIndex();
  for (std::int32_t filter = 0; index < 0 && filter < FileCombo->Items()->Count(); ++filter) {
    if (filter == shown) continue;
    ShowFilter(filter);
    index = IndexOf(FileList->Items(), name);
  }
  if (index < 0) {
    // No filter lists it (a hidden file): the folder as it shows under the first.
    ShowFilter(shown);
    FileList->SetItemIndex(0);
    return;
  }
  FileList->SetItemIndex(index);
  PlaySelected();
}

void TForm1::ShowFilter(std::int32_t index) {
  FileCombo->SetItemIndex(index);
  FileCombo->NotifyFilterChange();
}
