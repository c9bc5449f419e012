// The installed player: `cmake --install` into a scratch prefix, the tree it makes, the
// desktop entry, the icons, and the launcher starting the player in its folder from anywhere;
// and the player's one argument, a folder to show or a file to play.
#include <sys/stat.h>

#include <algorithm>

#include "platform/testing.h"
#include "platform/win32.h"
#include "tests/e2e/player_fixture.h"

namespace e2e {
namespace {

constexpr const char* kVolumeButton = "@TForm1 12 180";
const std::vector<std::string> kDemoSongs = {"01_aubade.mid", "02_bossa.mid", "03_carousel.mid",
                                             "04_ditty.mid"};

bool Executable(const fs::path& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR);
}

// The Windows name of a host path under the default drive table (C: is "/").
std::string OnDriveC(const fs::path& path) {
  std::string name = "C:" + path.string();
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

class Installed : public PlayerTest {
 protected:
  static void SetUpTestSuite() {
    prefix_ =
        new fs::path(fs::temp_directory_path() / ("tunedeck-prefix-" + std::to_string(::getpid())));
    fs::remove_all(*prefix_);
    std::string command = std::string("'") + TD_CMAKE + "' --install '" + TD_BUILD_DIR +
                          "' --prefix '" + prefix_->string() + "' > '" + prefix_->string() +
                          ".log' 2>&1";
    installStatus_ = std::system(command.c_str());
  }
  static void TearDownTestSuite() {
    std::error_code error;
    fs::remove_all(*prefix_, error);
    fs::remove(prefix_->string() + ".log", error);
    delete prefix_;
  }
  void SetUp() override { ASSERT_EQ(installStatus_, 0) << ReadFile(prefix_->string() + ".log"); }

  static const fs::path& Prefix() { return *prefix_; }
  // Runs the launcher of an installed tree in `folder` with the script; the default drive
  // table, and no interpreter named by the environment.
  Outcome Launch(const fs::path& prefix, const fs::path& folder, const std::string& script,
                 const std::string& arguments = "") {
    return RunIn(
        folder, script,
        "env -u TD_DRIVES -u COMSPEC '" + (prefix / "bin/tunedeck").string() + "' " + arguments);
  }

 private:
  static fs::path* prefix_;
  static int installStatus_;
};

fs::path* Installed::prefix_ = nullptr;
int Installed::installStatus_ = -1;

TEST_F(Installed, TheTreeHoldsTheProgramFolderTheLauncherAndTheDesktopEntry) {
  const fs::path folder = Prefix() / "lib/tunedeck";
  EXPECT_TRUE(Executable(Prefix() / "bin/tunedeck"));
  for (const char* program : {"Tunedeck", "cmd", "Faders", "Scorepad"})
    EXPECT_TRUE(Executable(folder / program)) << program;
  for (const std::string& song : kDemoSongs) EXPECT_TRUE(fs::is_regular_file(folder / song));
  EXPECT_TRUE(fs::is_regular_file(folder / "bell.wav"));
  EXPECT_TRUE(fs::is_regular_file(folder / "bell.au"));
  // Our own files only: no links into another package's songs.
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_FALSE(entry.is_symlink()) << entry.path();

  const fs::path entry = Prefix() / "share/applications/tunedeck.desktop";
  std::string validate =
      "desktop-file-validate '" + entry.string() + "' > '" + OutPath("validate.txt") + "' 2>&1";
  EXPECT_EQ(std::system(validate.c_str()), 0) << ReadFile(Out() / "validate.txt");
  EXPECT_EQ(ReadFile(Out() / "validate.txt"), "") << "no hints either";
  std::string text = ReadFile(entry);
  EXPECT_NE(text.find("\nExec=" + (Prefix() / "bin/tunedeck").string() + " %f\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nMimeType=audio/midi;audio/x-midi;audio/x-wav;audio/basic;"
                      "video/x-msvideo;\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nIcon=tunedeck\n"), std::string::npos) << text;
}

// Every size of the theme shows the program's own icon, MAINICON as the platform draws it,
// each picture pixel taking the icon pixel under its centre.
TEST_F(Installed, TheIconsAreTheProgramsOwnIconPixelForPixel) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  ASSERT_NE(icon, nullptr);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = SelectObject(memory, bitmap);
  ASSERT_TRUE(DrawIcon(memory, 0, 0, icon));
  for (int size : {16, 32, 48, 64, 128, 256}) {
    std::string name = std::to_string(size) + "x" + std::to_string(size);
    platform::testing::Image picture;
    ASSERT_TRUE(platform::testing::LoadPng(
        (Prefix() / "share/icons/hicolor" / name / "apps/tunedeck.png").string(), &picture))
        << name;
    ASSERT_EQ(picture.width, size);
    ASSERT_EQ(picture.height, size);
    int wrong = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        wrong += picture.Pixel(x, y) !=
                 GetPixel(memory, (2 * x + 1) * 32 / (2 * size), (2 * y + 1) * 32 / (2 * size));
    EXPECT_EQ(wrong, 0) << name;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(Installed, TheLauncherStartsThePlayerInItsFolderFromAnywhere) {
  Outcome run = Launch(Prefix(), Out(), "dump start.json\nclose @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  Json start = Dump("start.json");
  EXPECT_EQ(start["cwd"].String(), OnDriveC(Prefix() / "lib/tunedeck"));
  EXPECT_EQ(WindowOf(start, "TFileListBox")["items"].Strings(), kDemoSongs);
  EXPECT_EQ(SelectedTexts(WindowOf(start, "TFileListBox")),
            std::vector<std::string>{"01_aubade.mid"});
}

// Nothing in the tree but the desktop entry names the prefix: a copy elsewhere runs, and its
// player starts the companions through the interpreter beside it.
TEST_F(Installed, AMovedTreeRunsAndUsesTheInterpreterBesideThePlayer) {
  const fs::path moved = Out() / "moved";
  fs::copy(Prefix(), moved, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  const fs::path folder = moved / "lib/tunedeck";
  fs::rename(folder / "cmd", folder / "cmd.real");
  WriteText(folder / "cmd",
            "#!/bin/sh\necho interpreter >> '" + OutPath("ran.txt") + "'\nexec '" +
                (folder / "cmd.real").string() + "' \"$@\"\n",
            true);
  WriteText(folder / "Faders", "#!/bin/sh\necho Faders >> '" + OutPath("ran.txt") + "'\n", true);
  Outcome run = Launch(
      moved, Drive(), "dump start.json\nclick " + std::string(kVolumeButton) + "\nclose @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Dump("start.json")["cwd"].String(), OnDriveC(folder));
  EXPECT_EQ(ReadFile(Out() / "ran.txt"), "interpreter\nFaders\n");
}

TEST_F(Installed, TheLauncherHandsOnItsArgumentFromWhereItWasStarted) {
  Write(Songs() / "a.mid", Song(5000));
  Outcome run =
      Launch(Prefix(), Drive(), "wait 100\ndump playing.json\nclose @TForm1\n", "songs/a.mid");
  EXPECT_EQ(run.status, 0) << run.err;
  Json playing = Dump("playing.json");
  const Json& device = DeviceOf(playing);
  EXPECT_EQ(device["element"].String(), OnDriveC(Songs() / "a.mid"));
  EXPECT_EQ(device["mode"].String(), "playing");
  EXPECT_EQ(Launch(Prefix(), Drive(), "close @TForm1\n", "one two").status, 2);
}

class Argument : public PlayerTest {
 protected:
  Outcome RunWith(const fs::path& path, const std::string& script) {
    // A second drive over the host's root gives the build's interpreter a Windows name.
    return Run(script, "TD_DRIVES='C=" + Drive().string() + ":label=MUSIC;Z=/'",
               "'" + path.string() + "'");
  }
  // The message of the message box a dump shows, empty without one.
  static std::string MessageOf(const Json& dump) {
    const Json& box = WindowOf(dump, "#32770");
    std::string message;
    for (const Json& window : dump["windows"].Items())
      if (!box.IsNull() && box["visible"].Bool() && window["parent"].Int() == box["handle"].Int() &&
          window["class"].String() == "Static" && window["text"].String().size() > message.size())
        message = window["text"].String();
    return message;
  }
  // The player as it starts without an argument: the program folder C:\songs, its first
  // file selected, nothing playing.
  static void ExpectTheProgramFolder(const Json& dump) {
    EXPECT_EQ(dump["cwd"].String(), "C:\\songs");
    EXPECT_EQ(SelectedTexts(WindowOf(dump, "TFileListBox")), std::vector<std::string>{"a.mid"});
    EXPECT_EQ(WindowOf(dump, "TFilterComboBox")["selected"].Int(), 0);
    EXPECT_EQ(dump["mci"].Size(), 0u);
    EXPECT_EQ(WindowOf(dump, "TForm1")["text"].String(), "Tunedeck");
  }
};

TEST_F(Argument, AFolderIsShownInsteadOfTheProgramFolderWhichStays) {
  Write(Songs() / "a.mid", Song(1000));
  WriteText(Songs() / "Faders.exe", "#!/bin/sh\necho ran > '" + OutPath("faders.txt") + "'\n",
            true);
  Write(Drive() / "other music" / "y.mid", Song(1000));
  Write(Drive() / "other music" / "x.mid", Song(1000));
  Outcome run =
      RunWith(Drive() / "other music", "dump start.json\nclick @TForm1 12 180\nclose @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  Json start = Dump("start.json");
  EXPECT_EQ(MessageOf(start), "");
  EXPECT_EQ(start["cwd"].String(), "C:\\other music");
  EXPECT_EQ(WindowOf(start, "TDirectoryListBox")["items"].Strings(),
            (std::vector<std::string>{"C:\\", "other music"}));
  EXPECT_EQ(WindowOf(start, "TFileListBox")["items"].Strings(),
            (std::vector<std::string>{"x.mid", "y.mid"}));
  EXPECT_EQ(SelectedTexts(WindowOf(start, "TFileListBox")), std::vector<std::string>{"x.mid"});
  EXPECT_EQ(start["mci"].Size(), 0u);
  // The companions are still looked for in the folder the player started in.
  EXPECT_EQ(ReadFile(Out() / "faders.txt"), "ran\n");
}

TEST_F(Argument, AFileIsShownUnderAFilterThatListsItSelectedAndPlaying) {
  Write(Songs() / "a.mid", Song(1000));
  Write(Drive() / "sub" / "bell.wav", Wave(3000));
  Write(Drive() / "sub" / "a.mid", Song(5000));
  Write(Drive() / "sub" / "z.mid", Song(5000));
  Outcome wave = RunWith(Drive() / "sub" / "bell.wav", "wait 100\ndump wave.json\nclose @TForm1\n");
  EXPECT_EQ(wave.status, 0) << wave.err;
  Json played = Dump("wave.json");
  EXPECT_EQ(WindowOf(played, "TFilterComboBox")["selected"].Int(), 1) << "SOUND";
  EXPECT_EQ(WindowOf(played, "TFileListBox")["items"].Strings(),
            std::vector<std::string>{"bell.wav"});
  EXPECT_EQ(SelectedTexts(WindowOf(played, "TFileListBox")), std::vector<std::string>{"bell.wav"});
  EXPECT_EQ(WindowOf(played, "TForm1")["text"].String(), "Tunedeck->C:\\sub\\bell.wav");
  EXPECT_EQ(DeviceOf(played)["element"].String(), "C:\\sub\\bell.wav");
  EXPECT_EQ(DeviceOf(played)["mode"].String(), "playing");

  Outcome song = RunWith(Drive() / "sub" / "z.mid", "wait 100\ndump song.json\nclose @TForm1\n");
  EXPECT_EQ(song.status, 0) << song.err;
  played = Dump("song.json");
  EXPECT_EQ(WindowOf(played, "TFilterComboBox")["selected"].Int(), 0);
  EXPECT_EQ(SelectedTexts(WindowOf(played, "TFileListBox")), std::vector<std::string>{"z.mid"});
  EXPECT_EQ(DeviceOf(played)["element"].String(), "C:\\sub\\z.mid");
  EXPECT_EQ(DeviceOf(played)["mode"].String(), "playing");
}

TEST_F(Argument, AMissingPathIsSaidThenThePlayerStartsAsWithoutIt) {
  Write(Songs() / "a.mid", Song(1000));
  const fs::path missing = Drive() / "gone" / "song.mid";
  Outcome run = RunWith(missing, "dump box.json\nkey Enter\ndump start.json\nclose @TForm1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  Json box = Dump("box.json");
  EXPECT_EQ(MessageOf(box), missing.string() + " does not exist.");
  EXPECT_EQ(WindowOf(box, "#32770")["text"].String(), "Tunedeck");
  Json start = Dump("start.json");
  EXPECT_EQ(MessageOf(start), "");
  EXPECT_TRUE(WindowOf(start, "TForm1")["visible"].Bool());
  ExpectTheProgramFolder(start);
}

// Only what a drive holds can be shown: a ".." never leads out of the drive to the file of
// the same name inside it.
TEST_F(Argument, APathNoDriveHoldsIsSaidThenThePlayerStartsAsWithoutIt) {
  Write(Songs() / "a.mid", Song(1000));
  Write(Out() / "x.mid", Song(1000));
  Write(Drive() / "out" / "x.mid", Song(1000));
  for (const fs::path& path : {Out() / "x.mid", Songs() / ".." / ".." / "out" / "x.mid"}) {
    // Drive C: alone.
    Outcome run = Run("dump box.json\nkey Enter\ndump start.json\nclose @TForm1\n", "",
                      "'" + path.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(MessageOf(Dump("box.json")), path.string() + " is on none of the player's drives.");
    ExpectTheProgramFolder(Dump("start.json"));
  }
}

}  // namespace
}  // namespace e2e
