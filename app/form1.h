// TForm1: the player's main window and its behaviour. Its components come from the form
// description "TFORM1"; the controller plays the file selected in FileList on MC, shows the
// position on Bar1 every 50 ms, repeats the song or goes on to the next one at its end,
// pauses, stops, rescans, and starts the two companion programs of the program directory.
#pragma once
#include <string>

#include "forms/form.h"

class TFileListBox;
class TDirectoryListBox;
class TDriveComboBox;
class TFilterComboBox;
class TMainMenu;
class TMenuItem;
class TMediaPlayer;
class TTimer;
class TSpeedButton;
class TTrackBar;
class TLabel;
class TDragObject;

class TForm1 : public TForm {
  TD_CLASS(TForm1, TForm)

 public:
  // Reads the description, then records the process's current directory as the program
  // directory and selects the first file.
  explicit TForm1(TComponent* owner);

  // The components, bound by name when the description is read; the form owns them.
  TFileListBox* FileList = nullptr;
  TDirectoryListBox* DirList = nullptr;
  TDriveComboBox* DirCombo = nullptr;
  TFilterComboBox* FileCombo = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMediaPlayer* MC = nullptr;
  TTimer* Timer2 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  TSpeedButton* SpeedButton3 = nullptr;
  TTrackBar* Bar1 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TMenuItem* Option1 = nullptr;
  TMenuItem* RefreshList1 = nullptr;
  TMenuItem* Repeat1 = nullptr;
  TMenuItem* Repeat2 = nullptr;
  TMenuItem* Sequence1 = nullptr;
  TLabel* Label1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* Exit1 = nullptr;

  // Plays the selected file from its start; a file that does not open plays nothing and
  // says nothing.
  void PlaySelected();

  // Event handlers, bound by name from the description.
  void FileListDblClick(TObject* sender);
  // Enter plays the selected file; Esc closes the device.
  void FileListKeyPress(TObject* sender, char& key);
  // The 50 ms poll: the position, and at the end of a song the play mode's next step.
  void Timer2Timer(TObject* sender);
  // Starts the volume program.
  void SpeedButton2Click(TObject* sender);
  // Closes the device and starts the MIDI editor on the selected file.
  void SpeedButton3Click(TObject* sender);
  // Bar1 only shows the position: a drag on it is accepted and changes nothing.
  void Bar1DragDrop(TObject* sender, TObject* source, int x, int y);
  void Bar1DragOver(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accept);
  void Bar1StartDrag(TObject* sender, TDragObject*& dragObject);
  // Pauses a playing song, resumes a paused one.
  void SpeedButton1Click(TObject* sender);
  // Reads the file list and the directory tree again; the selected file stays selected
  // when it is still there.
  void RefreshList1Click(TObject* sender);
  // Both toggle the play mode between Repeat and Sequence.
  void Sequence1Click(TObject* sender);
  void Repeat2Click(TObject* sender);
  // Ends the program at once with exit status 1.
  void Exit1Click(TObject* sender);

  // The player's one optional argument, a host path: a folder is shown in the lists instead
  // of the program folder; a file is shown in its folder, under the first filter that lists
  // it, selected and played as by a double click. A path that no drive holds, that does not
  // exist or that cannot be shown is said so in a message box, and the lists show the
  // program folder as they did. The program directory never changes.
  void OpenHostPath(const std::string& hostPath);

  // The process's current directory when the window was built (empty when it could not
  // be read or is longer than 259 characters); the companions are looked for there.
  const std::string& ProgramDirectory() const { return programDirectory_; }

 private:
  void SetMode(bool sequence);
  void ShowFolder(const std::string& folder);
  void ShowFile(const std::string& fileName);
  // Picks the filter selector's entry and passes its mask to the file list.
  void ShowFilter(std::int32_t index);

  std::string programDirectory_;
};

// The main window, filled by Application->CreateForm.
extern TForm1* Form1;

// The command line that starts a companion program of `directory`: the program's full name
// quoted, then the argument quoted when there is one. False (and nothing to run) when a
// name holds a double quote, which no quoting can carry through the command interpreter.
bool CompanionCommand(const std::string& directory, const std::string& program,
                      const std::string& argument, std::string& command);
