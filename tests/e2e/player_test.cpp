// The whole player from outside: the executable under the automation script, its windows,
// menus and devices read from the dumps, its exit status.
#include <map>

#include "tests/e2e/player_fixture.h"

namespace e2e {
namespace {

// Points of the main window's parts, in the client coordinates of their windows.
constexpr const char* kFileMenu = "@TForm1 12 -10";
constexpr const char* kOptionMenu = "@TForm1 45 -10";
constexpr const char* kPauseButton = "@TForm1 60 180";
constexpr const char* kVolumeButton = "@TForm1 12 180";
constexpr const char* kEditorButton = "@TForm1 36 180";
// The n-th (from 0) entry of a list box of 16-pixel entries.
std::string Entry(const std::string& target, int n) {
  return target + " 30 " + std::to_string(8 + 16 * n);
}
// The n-th (from 0) item of the n-th open menu.
std::string MenuEntry(int menu, int item) {
  return "@#32768#" + std::to_string(menu) + " 20 " + std::to_string(10 + 17 * item);
}

std::string FocusedClass(const Json& dump) {
  for (const Json& window : dump["windows"].Items())
    if (window["focused"].Bool()) return window["class"].String();
  return {};
}

class Player : public PlayerTest {
 protected:
  void WriteSongs(const std::vector<std::string>& names, int milliseconds) {
    for (const std::string& name : names) Write(Songs() / name, Song(milliseconds));
  }
};

TEST_F(Player, StartsWithTheDescriptionsWindowAndClosesWithStatusZero) {
  WriteSongs({"b.mid", "a.mid", "c.rmi"}, 1000);
  Write(Songs() / "x.wav", Wave(100));
  Outcome run =
      Run("dump start.json\n"
          "key Tab\ndump tab1.json\n"
          "key Tab\ndump tab2.json\n"
          "key Tab\ndump tab3.json\n"
          "key Tab\ndump tab4.json\n"
          "key Tab\ndump tab5.json\n"
          "close @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;

  Json start = Dump("start.json");
  const Json& form = WindowOf(start, "TForm1");
  EXPECT_EQ(form["text"].String(), "Tunedeck");
  EXPECT_TRUE(form["visible"].Bool());
  EXPECT_TRUE(MenuItemOf(form, {"Option", "Playing", "Repeat"})["checked"].Bool());
  EXPECT_FALSE(MenuItemOf(form, {"Option", "Playing", "Sequence"})["checked"].Bool());
  EXPECT_EQ(MenuItemOf(form, {"Option", "Refresh List"})["shortcut text"].String(), "F5");
  EXPECT_EQ(MenuItemOf(form, {"File", "E&xit"})["text"].String(), "E&xit");

  const Json& files = WindowOf(start, "TFileListBox");
  EXPECT_EQ(files["items"].Strings(), (std::vector<std::string>{"a.mid", "b.mid", "c.rmi"}));
  EXPECT_EQ(SelectedTexts(files), std::vector<std::string>{"a.mid"});
  const Json& filter = WindowOf(start, "TFilterComboBox");
  EXPECT_EQ(filter["items"][0].String(), "SQUENCE(*.MID;*.RMI)");
  EXPECT_EQ(filter["selected"].Int(), 0);
  EXPECT_EQ(filter["items"].Size(), 5u);
  EXPECT_FALSE(WindowOf(start, "TDirectoryListBox").IsNull());
  EXPECT_FALSE(WindowOf(start, "TDriveComboBox").IsNull());
  EXPECT_EQ(WindowOf(start, "TTrackBar")["pos"].Int(), 0);
  EXPECT_FALSE(WindowOf(start, "TMediaPlayer")["visible"].Bool());
  EXPECT_EQ(start["mci"].Size(), 0u);
  EXPECT_EQ(start["cwd"].String(), "C:\\songs");

  // The tab order: the directories, the files, the drive, the filter, then the bar (the
  // invisible media player between them is passed over).
  std::vector<std::string> order;
  for (const char* name : {"tab1.json", "tab2.json", "tab3.json", "tab4.json", "tab5.json"})
    order.push_back(FocusedClass(Dump(name)));
  std::vector<std::string> expected = {"TFileListBox", "TDriveComboBox", "TFilterComboBox",
                                       "TTrackBar", "TDirectoryListBox"};
  EXPECT_EQ(FocusedClass(start), "TDirectoryListBox");
  EXPECT_EQ(order, expected);
}

TEST_F(Player, ADoubleClickPlaysRepeatsPausesAndEscCloses) {
  WriteSongs({"a.mid", "b.mid"}, 1000);
  Outcome run = Run("dblclick " + Entry("@TFileListBox", 0) +
                    "\n"
                    "wait 500\ndump playing.json\n"
                    "wait 1000\ndump again.json\n"
                    "click " +
                    kPauseButton + "\nwait 300\ndump paused.json\n" + "click " + kPauseButton +
                    "\nwait 100\ndump resumed.json\n" + "key Esc\nwait 100\ndump stopped.json\n" +
                    "click " + kFileMenu + "\nclick " + MenuEntry(1, 0) + "\n");
  EXPECT_EQ(run.status, 1) << "File > Exit\n" << run.err;

  Json playing = Dump("playing.json");
  EXPECT_EQ(WindowOf(playing, "TForm1")["text"].String(), "Tunedeck->C:\\songs\\a.mid");
  const Json& device = DeviceOf(playing);
  EXPECT_EQ(device["element"].String(), "C:\\songs\\a.mid");
  EXPECT_EQ(device["mode"].String(), "playing");
  EXPECT_EQ(device["length"].Int(), 1000);
  const Json& bar = WindowOf(playing, "TTrackBar");
  EXPECT_EQ(bar["max"].Int(), 1000);
  EXPECT_NEAR(bar["pos"].Int(), device["position"].Int(), 50) << "one tick behind at most";
  EXPECT_GT(bar["pos"].Int(), 0);

  // Repeat: the end plays the same song from its start.
  Json again = Dump("again.json");
  EXPECT_EQ(DeviceOf(again)["element"].String(), "C:\\songs\\a.mid");
  EXPECT_EQ(DeviceOf(again)["mode"].String(), "playing");
  EXPECT_LT(DeviceOf(again)["position"].Int(), 600);

  Json paused = Dump("paused.json");
  EXPECT_EQ(DeviceOf(paused)["mode"].String(), "paused");
  EXPECT_EQ(DeviceOf(Dump("resumed.json"))["mode"].String(), "playing");
  EXPECT_EQ(DeviceOf(paused)["position"].Int() + 100,
            DeviceOf(Dump("resumed.json"))["position"].Int());

  Json stopped = Dump("stopped.json");
  EXPECT_EQ(stopped["mci"].Size(), 0u) << "Esc closes the device";
  EXPECT_EQ(WindowOf(stopped, "TForm1")["text"].String(), "Tunedeck->");
}

TEST_F(Player, SequenceByKeysAndMenusPlaysTheNextAndWraps) {
  WriteSongs({"a.mid", "b.mid", "c.mid"}, 1000);
  Outcome run =
      Run("key F3\ndump f3.json\n"
          "key F2\ndump f2.json\n"
          "click " +
          std::string(kOptionMenu) + "\nclick " + MenuEntry(1, 1) + "\nclick " + MenuEntry(2, 1) +
          "\ndump menu.json\n" + "click " + Entry("@TFileListBox", 2) +
          "\nkey Enter\nwait 500\ndump last.json\n" +
          "wait 1000\ndump wrapped.json\n"
          "wait 1000\ndump next.json\n"
          "key F5\ndump refreshed.json\n"
          "close @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;

  auto sequence = [](const Json& dump) {
    return MenuItemOf(WindowOf(dump, "TForm1"), {"Option", "Playing", "Sequence"})["checked"]
        .Bool();
  };
  EXPECT_TRUE(sequence(Dump("f3.json")));
  EXPECT_FALSE(sequence(Dump("f2.json")));
  EXPECT_TRUE(sequence(Dump("menu.json")));
  EXPECT_EQ(DeviceOf(Dump("last.json"))["element"].String(), "C:\\songs\\c.mid");
  Json wrapped = Dump("wrapped.json");
  EXPECT_EQ(DeviceOf(wrapped)["element"].String(), "C:\\songs\\a.mid");
  EXPECT_EQ(WindowOf(wrapped, "TForm1")["text"].String(), "Tunedeck->C:\\songs\\a.mid");
  EXPECT_EQ(SelectedTexts(WindowOf(wrapped, "TFileListBox")), std::vector<std::string>{"a.mid"});
  EXPECT_EQ(DeviceOf(Dump("next.json"))["element"].String(), "C:\\songs\\b.mid");
  // F5 reads the list again: the song playing stays selected and plays on.
  Json refreshed = Dump("refreshed.json");
  EXPECT_EQ(SelectedTexts(WindowOf(refreshed, "TFileListBox")), std::vector<std::string>{"b.mid"});
  EXPECT_EQ(DeviceOf(refreshed)["mode"].String(), "playing");
}

TEST_F(Player, TheFilterAndTheDirectoryListChooseWhatIsListed) {
  WriteSongs({"a.mid"}, 1000);
  Write(Songs() / "bell.wav", Wave(200));
  Write(Songs() / "gong.au", Bytes{'.', 's', 'n', 'd', 0, 0, 0,    24,   0, 0, 0, 0,
                                   0,   0,   0,   3,   0, 0, 0x56, 0x22, 0, 0, 0, 1});
  Write(Songs() / "sub" / "deep.mid", Song(1000));
  Write(Songs() / "sub" / "deep.wav", Wave(200));
  Outcome run =
      Run("click @TFilterComboBox 70 10\ndump dropped.json\n"
          "click @ComboLBox 30 20\ndump sound.json\n"
          "dblclick " +
          Entry("@TDirectoryListBox", 2) + "\ndump sub.json\n" + "dblclick " +
          Entry("@TFileListBox", 0) + "\nwait 100\ndump playing.json\n" + "close @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;

  EXPECT_TRUE(WindowOf(Dump("dropped.json"), "TFilterComboBox")["dropped"].Bool());
  Json sound = Dump("sound.json");
  EXPECT_EQ(WindowOf(sound, "TFilterComboBox")["selected"].Int(), 1);
  EXPECT_EQ(WindowOf(sound, "TFileListBox")["items"].Strings(),
            (std::vector<std::string>{"bell.wav", "gong.au"}));
  Json sub = Dump("sub.json");
  EXPECT_EQ(sub["cwd"].String(), "C:\\songs\\sub");
  EXPECT_EQ(WindowOf(sub, "TFileListBox")["items"].Strings(), std::vector<std::string>{"deep.wav"});
  EXPECT_EQ(DeviceOf(Dump("playing.json"))["element"].String(), "C:\\songs\\sub\\deep.wav");
  EXPECT_EQ(DeviceOf(Dump("playing.json"))["type"].String(), "waveaudio");
}

TEST_F(Player, ADamagedSongPlaysNothingAndThePlayerGoesOn) {
  Write(Songs() / "a.mid", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1});
  WriteSongs({"b.mid"}, 1000);
  Outcome run = Run("dblclick " + Entry("@TFileListBox", 0) + "\nwait 200\ndump damaged.json\n" +
                    "dblclick " + Entry("@TFileListBox", 1) + "\nwait 200\ndump good.json\n" +
                    "close @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  Json damaged = Dump("damaged.json");
  EXPECT_EQ(WindowOf(damaged, "TForm1")["text"].String(), "Tunedeck->C:\\songs\\a.mid");
  EXPECT_EQ(damaged["mci"].Size(), 0u);
  EXPECT_TRUE(WindowOf(damaged, "#32770").IsNull()) << "no message for a song that won't open";
  EXPECT_EQ(DeviceOf(Dump("good.json"))["mode"].String(), "playing");
}

TEST_F(Player, WithoutASoundDeviceSongsPlaySilentlyAndThatIsSaidOnce) {
  WriteSongs({"a.mid", "b.mid"}, 2000);
  // A sound system that cannot be reached stands for a machine without a sound card.
  Outcome run = Run("dblclick " + Entry("@TFileListBox", 0) + "\nwait 500\ndump first.json\n" +
                        "dblclick " + Entry("@TFileListBox", 1) +
                        "\nwait 700\ndump second.json\nclose @TForm1\n",
                    "TD_AUDIO=sdl SDL_AUDIODRIVER=no-such-driver");
  EXPECT_EQ(run.status, 0) << run.err;
  const Json first = DeviceOf(Dump("first.json"));
  EXPECT_EQ(first["mode"].String(), "playing");
  EXPECT_NEAR(first["position"].Int(), 500, 60);
  const Json second = DeviceOf(Dump("second.json"));
  EXPECT_EQ(second["element"].String(), "C:\\songs\\b.mid");
  EXPECT_NEAR(second["position"].Int(), 700, 60);
  std::size_t lines = 0;
  for (std::size_t at = run.err.find("no sound device was found"); at != std::string::npos;
       at = run.err.find("no sound device was found", at + 1))
    ++lines;
  EXPECT_EQ(lines, 1u) << run.err;
}

// Companion programs that write down their arguments, one a line.
class Companions : public Player {
 protected:
  void WriteCompanions() {
    for (const char* name : {"Faders", "Scorepad"})
      WriteText(
          Songs() / (std::string(name) + ".exe"),
          "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> '" + OutPath(name) + ".txt'\n" + extra[name],
          true);
  }
  // The command interpreter of the build tree lies outside C:; a second drive over the host's
  // root gives it a Windows name, as the default drive table does.
  Outcome RunWithInterpreter(const std::string& script) {
    return Run(script, "TD_DRIVES='C=" + Drive().string() + ":label=MUSIC;Z=/'");
  }
  std::map<std::string, std::string> extra;
};

TEST_F(Companions, GetTheSelectedNameWholeAndNeverAsACommand) {
  std::string odd = "my song;touch pwned$(touch pwned2)&.mid";
  WriteSongs({odd, "z\"quote.mid"}, 5000);
  WriteCompanions();
  Outcome run = RunWithInterpreter(
      "dblclick " + Entry("@TFileListBox", 0) + "\nwait 100\n" + "click " + kVolumeButton +
      "\ndump volume.json\n" + "click " + kEditorButton + "\ndump editor.json\n" + "click " +
      Entry("@TFileListBox", 1) + "\n" + "click " + kEditorButton + "\n" + "close @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Out() / "Faders.txt"), "0\n");
  // The name with the double quote never reaches the editor.
  EXPECT_EQ(ReadFile(Out() / "Scorepad.txt"), "1\nC:\\songs\\" + odd + "\n");
  EXPECT_FALSE(fs::exists(Songs() / "pwned"));
  EXPECT_FALSE(fs::exists(Songs() / "pwned2"));
  EXPECT_FALSE(fs::exists(Songs() / ".mid"));
  // The volume program leaves the song playing; the editor closes the device.
  EXPECT_EQ(DeviceOf(Dump("volume.json"))["mode"].String(), "playing");
  EXPECT_EQ(Dump("editor.json")["mci"].Size(), 0u);
}

TEST_F(Companions, AnExceptionInAHandlerIsShownAndThePlayerGoesOn) {
  // The editor removes the folder on show: F5 reads both lists without a failure and the
  // folder above opens. Then a drive that is not ready is picked: its failure is shown.
  extra["Scorepad"] = "rm -rf '" + (Songs() / "sub").string() + "'\n";
  WriteCompanions();
  Write(Songs() / "sub" / "a.mid", Song(1000));
  fs::create_directories(Drive() / "floppy");
  Outcome run =
      Run("dblclick " + Entry("@TDirectoryListBox", 2) + "\n" + "click " + kEditorButton + "\n" +
              "key F5\ndump refreshed.json\n" + "dblclick " + Entry("@TDirectoryListBox", 1) +
              "\ndump up.json\n" + "click @TDriveComboBox 10 8\nkey Home\ndump box.json\n" +
              "key Enter\ndump after.json\n" + "close @TForm1\n",
          "TD_DRIVES='A=" + (Drive() / "floppy").string() +
              ":removable:notready;C=" + Drive().string() + ":label=MUSIC;Z=/'");
  EXPECT_EQ(run.status, 0) << run.err;
  Json refreshed = Dump("refreshed.json");
  EXPECT_TRUE(WindowOf(refreshed, "#32770").IsNull()) << "no message box";
  EXPECT_TRUE(WindowOf(refreshed, "TFileListBox")["items"].Items().empty());
  EXPECT_EQ(Dump("up.json")["cwd"].String(), "C:\\songs");
  Json box = Dump("box.json");
  const Json& dialog = WindowOf(box, "#32770");
  ASSERT_FALSE(dialog.IsNull()) << "a message box";
  EXPECT_EQ(dialog["text"].String(), "Tunedeck");
  bool stop = false;
  for (const Json& window : box["windows"].Items())
    if (window["parent"].Int() == dialog["handle"].Int() && window["class"].String() == "Static")
      stop = !window["text"].String().empty() && window["text"].String().back() == '.';
  EXPECT_TRUE(stop) << "the message ends with a full stop";
  EXPECT_FALSE(WindowOf(box, "TForm1")["enabled"].Bool());
  Json after = Dump("after.json");
  EXPECT_FALSE(WindowOf(after, "#32770")["visible"].Bool());
  EXPECT_TRUE(WindowOf(after, "TForm1")["enabled"].Bool());
}

TEST_F(Player, TheDemoSongsComeFirstAndPlay) {
  std::string command = "'" + std::string(TD_DEMOSONGS) + "' '" + Songs().string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Write(Songs() / "zzz.mid", Song(1000));
  Outcome run = Run("key Tab\nkey Enter\nwait 1000\ndump playing.json\nclose @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  Json playing = Dump("playing.json");
  EXPECT_EQ(WindowOf(playing, "TFileListBox")["items"].Strings(),
            (std::vector<std::string>{"01_aubade.mid", "02_bossa.mid", "03_carousel.mid",
                                      "04_ditty.mid", "zzz.mid"}));
  const Json& device = DeviceOf(playing);
  EXPECT_EQ(device["element"].String(), "C:\\songs\\01_aubade.mid");
  EXPECT_EQ(device["mode"].String(), "playing");
  EXPECT_GT(device["length"].Int(), 20000);
}

}  // namespace
}  // namespace e2e
