// The player's main routine: the application builds the main window from its description
// and runs the message loop. Exit status 0 when the main window is closed, 1 after
// File > Exit, 2 when the start-up failed (the reason is shown first).
#include "forms/application.h"
#include "app/form1.h"

// The screen and the application object exist before main runs.
static TApplicationStartup startup;

int main() {
  return ApplicationMain([] {
    Application->Initialize();
    Application->CreateForm(TForm1::StaticClass(), &Form1);
    Application->Run();
  });
}
