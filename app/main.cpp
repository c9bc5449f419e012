// The player's main routine: the application builds the main window from its description,
// the window shows the folder or file the one optional argument names, and the application
// runs the message loop. Exit status 0 when the main window is closed, 1 after
// File > Exit, 2 when the start-up failed (the reason is shown first).
#include "app/form1.h"
#include "forms/application.h"
#include "runtime/command.h"

// The screen and the application object exist before main runs.
static TApplicationStartup startup;

int main() {
  return ApplicationMain([] {
    Application->Initialize();
    Application->CreateForm(TForm1::StaticClass(), &Form1);
    // The one optional argument: a folder to show, or a file to play.
    if (ParamCount() >= 1) Form1->OpenHostPath(ParamStr(1));
    Application->Run();
  });
}
