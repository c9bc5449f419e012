// Faders' main routine: the volume control the player's loudspeaker button starts. The
// application builds the window from its description and runs the message loop; closing
// the window (or Options > Exit) ends it with status 0, a failed start with status 2.
#include "faders/fadersform.h"
#include "forms/application.h"

// The screen and the application object exist before main runs.
static TApplicationStartup startup;

int main() {
  return ApplicationMain([] {
    Application->Initialize();
    Application->CreateForm(TFadersForm::StaticClass(), &FadersForm);
    Application->Run();
  });
}
