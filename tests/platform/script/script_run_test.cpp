// The automation script driving a small program from outside (tests/programs/script_demo):
// every line kind, the dump, the exit statuses and the sound of a scripted run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "../mci/midi_builder.h"
#include "platform/testing.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

class ScriptRun : public ::testing::Test {
 protected:
  // Runs the demo with the script in the scratch folder (also its working folder).
  Outcome Run(const std::string& script, const std::string& settings = "",
              const std::string& arguments = "") {
    std::ofstream(folder.Path("script.txt")) << script;
    std::string command = "cd '" + folder.Path("") + "' && TD_SCRIPT=script.txt " + settings +
                          " '" + TD_SCRIPT_DEMO + "' " + arguments + " > out.txt 2> err.txt";
    int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFile(folder.Path("out.txt"));
    outcome.err = ReadFile(folder.Path("err.txt"));
    return outcome;
  }
  std::string File(const std::string& name) { return ReadFile(folder.Path(name)); }

  testmedia::ScratchFolder folder;
};

// How many windows of a class the dump shows as visible.
int VisibleOf(const std::string& dump, const std::string& className) {
  int count = 0;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);)
    if (line.find("\"class\": \"" + className + "\"") != std::string::npos &&
        line.find("\"visible\": true") != std::string::npos)
      ++count;
  return count;
}

TEST_F(ScriptRun, TheExitStatusSaysHowTheRunEnded) {
  // The script runs out while the program still runs.
  Outcome ran = Run("wait 100\n");
  EXPECT_EQ(ran.status, 4);
  EXPECT_NE(ran.err.find("script.txt: the script ended"), std::string::npos) << ran.err;

  // A malformed line is refused before anything runs.
  Outcome malformed = Run("dump early.json\nwait 10\nfly away\n");
  EXPECT_EQ(malformed.status, 3);
  EXPECT_NE(malformed.err.find("script.txt:3: unknown command \"fly\""), std::string::npos)
      << malformed.err;
  EXPECT_TRUE(malformed.out.empty());  // the program did not even start its window
  EXPECT_FALSE(Exists(folder.Path("early.json")));

  // A target that is not there stops the run at that line.
  Outcome missing = Run("dump before.json\nwait 10\nclick @Nothing#2 1 1\ndump after.json\n");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("script.txt:3: no visible window of the class \"Nothing\" number 2"),
            std::string::npos)
      << missing.err;
  EXPECT_TRUE(Exists(folder.Path("before.json")));
  EXPECT_FALSE(Exists(folder.Path("after.json")));

  // The program's own ending stands, and the rest of the script is ignored.
  Outcome closed = Run("close @DemoMain\nwait 10\ndump never.json\n");
  EXPECT_EQ(closed.status, 7);
  EXPECT_FALSE(Exists(folder.Path("never.json")));
}

TEST_F(ScriptRun, LinesRunInsideTheProgramsModalLoops) {
  // File > Exit by mouse: the second click lands in the menu the first one opened.
  Outcome exited =
      Run("click @DemoMain 10 -10\n"
          "dump open.json\n"
          "click @#32768 20 10\n"
          "dump never.json\n");
  EXPECT_EQ(exited.status, 5) << exited.err;
  EXPECT_EQ(VisibleOf(File("open.json"), "#32768"), 1);
  EXPECT_FALSE(Exists(folder.Path("never.json")));

  // Option > Sequence by press, release and move, then by keyboard back again; typing,
  // waiting and double clicks between.
  Outcome ran =
      Run("press @DemoMain 45 -10\n"
          "release @DemoMain 45 -10\n"
          "move @#32768 20 27\n"
          "key Enter\n"
          "dump sequence.json\n"
          "type Hi there\n"
          "wait 1000\n"
          "dump ticks.json\n"
          "key Alt+O\n"
          "key Down\n"
          "key Enter\n"
          "dblclick @DemoMain 150 -30\n"
          "shot screen.png\n"
          "dump last.json\n");
  EXPECT_EQ(ran.status, 4) << ran.err;
  std::string sequence = File("sequence.json");
  EXPECT_NE(sequence.find("{\"text\": \"&Sequence\", \"id\": 202, \"checked\": true"),
            std::string::npos)
      << sequence;
  EXPECT_EQ(VisibleOf(sequence, "#32768"), 0);
  std::string ticks = File("ticks.json");
  EXPECT_EQ(ticks.rfind("{\"clock\": 1000, ", 0), 0u) << ticks;
  EXPECT_NE(ticks.find("\"text\": \"ticks: 10\""), std::string::npos);  // a tick per 100 ms
  EXPECT_NE(ticks.find("\"text\": \"Demo Hi there\""), std::string::npos);
  std::string last = File("last.json");
  EXPECT_NE(last.find("{\"text\": \"&Sequence\", \"id\": 202, \"checked\": false"),
            std::string::npos);
  // The double click on the caption maximised the window.
  EXPECT_NE(
      last.find(
          "\"class\": \"DemoMain\", \"text\": \"Demo Hi there\", \"rect\": [-4, -4, 804, 604]"),
      std::string::npos)
      << last;
  platform::testing::Image shot;
  ASSERT_TRUE(platform::testing::LoadPng(folder.Path("screen.png"), &shot));
  EXPECT_EQ(shot.width, 800);
  EXPECT_EQ(shot.Pixel(400, 10), RGB(0, 0, 128));  // the maximised caption
}

TEST_F(ScriptRun, TheDumpShowsTheWindowsAndTheMenuExactly) {
  Outcome ran = Run("dump state.json\n");
  ASSERT_EQ(ran.status, 4) << ran.err;
  unsigned long main = 0, list = 0, bar = 0, ticks = 0;
  ASSERT_EQ(std::sscanf(ran.out.c_str(), "main=%lu list=%lu bar=%lu ticks=%lu", &main, &list, &bar,
                        &ticks),
            4);
  auto item = [](const std::string& text, int id, bool checked, const std::string& shortcut,
                 const std::string& items = "[]") {
    return "{\"text\": \"" + text + "\", \"id\": " + std::to_string(id) +
           ", \"checked\": " + (checked ? "true" : "false") +
           ", \"enabled\": true, \"shortcut text\": \"" + shortcut + "\", \"items\": " + items +
           "}";
  };
  std::string menu =
      "[" + item("&File", 1, false, "", "[" + item("E&xit", 100, false, "") + "]") + ", " +
      item("&Option", 2, false, "",
           "[" + item("&Repeat", 201, true, "F2") + ", " + item("&Sequence", 202, false, "F3") +
               ", " + item("-", 0, false, "") + ", " + item("&Play", 203, false, "F5") + "]") +
      "]";
  auto window = [](unsigned long handle, unsigned long parent, const std::string& className,
                   const std::string& text, const std::string& rect, const std::string& client,
                   bool focused, const std::string& menu, const std::string& more = "") {
    return "  {\"handle\": " + std::to_string(handle) + ", \"parent\": " + std::to_string(parent) +
           ", \"owner\": 0, \"class\": \"" + className + "\", \"text\": \"" + text +
           "\", \"rect\": " + rect + ", \"client\": " + client +
           ", \"visible\": true, \"enabled\": true, \"focused\": " + (focused ? "true" : "false") +
           ", \"active\": " + (parent ? "false" : "true") + ", \"menu\": " + menu + more + "}";
  };
  // The scratch folder as the platform names it: on drive C:, which is the host's root.
  std::string cwd = "C:" + folder.Path("");
  if (cwd.back() == '/') cwd.pop_back();
  std::string escaped;
  for (char c : cwd) escaped += c == '/' ? std::string("\\\\") : std::string(1, c);
  std::string expected =
      "{\"clock\": 0, \"cwd\": \"" + escaped + "\", \"windows\": [\n" +
      window(main, 0, "DemoMain", "Demo", "[100, 80, 420, 320]", "[104, 122, 416, 316]", true,
             menu) +
      ",\n" +
      window(list, main, "ListBox", "", "[112, 130, 252, 230]", "[114, 132, 250, 228]", false, "[]",
             ", \"items\": [\"alpha\", \"beta\", \"gamma\"], \"selected\": [1], "
             "\"top\": 0") +
      ",\n" +
      window(bar, main, "msctls_trackbar32", "", "[112, 238, 312, 268]", "[112, 238, 312, 268]",
             false, "[]",
             ", \"min\": 0, \"max\": 100, \"pos\": 25, \"selStart\": 10, "
             "\"selEnd\": 40") +
      ",\n" +
      window(ticks, main, "Static", "ticks: 0", "[264, 130, 364, 146]", "[264, 130, 364, 146]",
             false, "[]") +
      "\n], \"mci\": []}\n";
  EXPECT_EQ(File("state.json"), expected);
}

TEST_F(ScriptRun, AListIsReadThroughItsOwnMessagesWithItsScrollBar) {
  // Ten more items, then a click in the list and End: the last item selected and in view.
  Outcome ran = Run("key F6\nclick @ListBox 10 5\nkey End\ndump list.json\n");
  ASSERT_EQ(ran.status, 4) << ran.err;
  std::string items = "\"alpha\", \"beta\", \"gamma\"";
  for (int i = 0; i < 10; ++i) items += ", \"item " + std::to_string(i) + "\"";
  std::string list = File("list.json");
  EXPECT_NE(list.find("\"class\": \"ListBox\", \"text\": \"\", \"rect\": [112, 130, 252, 230], "
                      "\"client\": [114, 132, 234, 228], \"visible\": true, \"enabled\": true, "
                      "\"focused\": true, \"active\": false, \"menu\": [], \"items\": [" +
                      items + "], \"selected\": [12], \"top\": 7, \"vscroll\": [0, 12, 6, 7]}"),
            std::string::npos)
      << list;
}

TEST_F(ScriptRun, AClassBorrowingTheListBoxProcedureIsReadAsAListBox) {
  // "TFileListBox" takes the built-in list box's procedure, and its window answers through a
  // procedure of its own put in front, as the framework's controls do.
  Outcome ran = Run("key F8\ndump files.json\n");
  ASSERT_EQ(ran.status, 4) << ran.err;
  std::string files = File("files.json");
  EXPECT_NE(
      files.find("\"class\": \"TFileListBox\", \"text\": \"\", \"rect\": [264, 182, 364, 222], "
                 "\"client\": [265, 183, 363, 221], \"visible\": true, \"enabled\": true, "
                 "\"focused\": false, \"active\": false, \"menu\": [], \"items\": "
                 "[\"song.mid\"], \"selected\": [], \"top\": 0}"),
      std::string::npos)
      << files;
}

TEST_F(ScriptRun, ADeviceIsDumpedAndTheRunsSoundWrittenInVirtualTime) {
  std::string song = folder.Write("song.mid", testmedia::OneSecondSong());
  Outcome ran = Run("key F5\nwait 500\ndump playing.json\nwait 1000\ndump ended.json\n",
                    "TD_AUDIO=wav:run.wav", "'" + song + "'");
  ASSERT_EQ(ran.status, 4) << ran.err;
  EXPECT_NE(File("playing.json")
                .find("\"mci\": [\n  {\"id\": 1, \"type\": \"sequencer\", \"element\": \"" + song +
                      "\", \"mode\": \"playing\", \"position\": 500, \"length\": 1000}\n]}"),
            std::string::npos)
      << File("playing.json");
  EXPECT_NE(File("ended.json").find("\"mode\": \"stopped\", \"position\": 1000, \"length\": 1000}"),
            std::string::npos)
      << File("ended.json");
  // 1.5 s of 16-bit stereo at 44.1 kHz, from the opening of the device to the end.
  std::string wav = File("run.wav");
  std::size_t data = wav.find("data");
  ASSERT_NE(data, std::string::npos);
  std::uint32_t bytes = 0;
  for (int i = 0; i < 4; ++i) bytes |= std::uint32_t(std::uint8_t(wav[data + 4 + i])) << (8 * i);
  EXPECT_EQ(bytes, 1500u * 441 / 10 * 4);
}

}  // namespace
