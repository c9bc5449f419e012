// Reading automation scripts: every line kind, targets and key names, and the refusal of a
// malformed script with the number of its first bad line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "platform/win32.h"
#include "script/script.h"

namespace ps = platform::script;

TEST(ScriptReader, EveryLineKindIsRead) {
  ps::Script script = ps::Read(
      "# comment\r\n"
      "\n"
      "wait 250\n"
      "  move screen 10 -20\n"
      "press @TForm1 5 6 right\n"
      "release @TForm1#2 5 6\n"
      "click @#32768 1 2 left\n"
      "dblclick @TFileListBox 30 40\n"
      "key Ctrl+Shift+Home\n"
      "type  Hello, world # not a comment\n"
      "close @TForm1\n"
      "shot pictures/main window.png\n"
      "dump state.json\r\n");
  ASSERT_EQ(script.errorLine, 0) << script.error;
  ASSERT_EQ(script.lines.size(), 11u);
  const auto& l = script.lines;
  EXPECT_EQ(l[0].number, 3);
  EXPECT_EQ(l[0].milliseconds, 250u);
  EXPECT_TRUE(l[1].target.screen);
  EXPECT_EQ(l[1].y, -20);
  EXPECT_EQ(l[2].command, ps::Command::Press);
  EXPECT_TRUE(l[2].rightButton);
  EXPECT_EQ(l[2].target.className, "TForm1");
  EXPECT_EQ(l[3].target.index, 2);
  // A class name may hold '#'; only a trailing number after a name is the index.
  EXPECT_EQ(l[4].target.className, "#32768");
  EXPECT_EQ(l[4].target.index, 1);
  EXPECT_FALSE(l[4].rightButton);
  EXPECT_EQ(l[5].command, ps::Command::DoubleClick);
  EXPECT_EQ(l[6].keys, (std::vector<UINT>{VK_CONTROL, VK_SHIFT, VK_HOME}));
  EXPECT_EQ(l[7].text, " Hello, world # not a comment");
  EXPECT_EQ(l[8].command, ps::Command::Close);
  EXPECT_EQ(l[9].text, "pictures/main window.png");
  EXPECT_EQ(l[10].text, "state.json");
  EXPECT_EQ(l[10].number, 13);
}

TEST(ScriptReader, AMalformedLineIsRefusedWithItsNumber) {
  const char* bad[] = {
      "jump 1 2",                  // unknown command
      "wait",                      // missing argument
      "wait -5",                   // negative time
      "wait 1234567890",           // too long to be a plausible number
      "wait 12ms",                 //
      "click screen 1",            // missing y
      "click screen 1 2 middle",   // no such button
      "dblclick screen 1 2 left",  // double clicks are left clicks
      "move window 1 2",           // not a target
      "move @ 1 2",                //
      "move @TForm1#0 1 2",        // windows count from 1
      "key",                       //
      "key Ctrl+",                 //
      "key Hyper+A",               //
      "key F25",                   //
      "key ?",                     // needs Shift: say Shift+/
      "type",                      //
      "close screen",              //
      "close @A @B",               //
      "shot",                      //
      "dump   ",                   //
  };
  for (const char* line : bad) {
    ps::Script script = ps::Read(std::string("wait 1\n# fine\n") + line + "\nwait 2\n");
    EXPECT_EQ(script.errorLine, 3) << line;
    EXPECT_FALSE(script.error.empty()) << line;
    EXPECT_TRUE(script.lines.empty()) << line;
  }
  ps::Script nul = ps::Read(std::string("wait 1\nwait\0 2\n", 15));
  EXPECT_EQ(nul.errorLine, 2);
  EXPECT_TRUE(nul.lines.empty());
  EXPECT_EQ(ps::Read("").lines.size(), 0u);
  EXPECT_EQ(ps::Read("").errorLine, 0);
}

TEST(ScriptReader, KeyNamesIgnoreCase) {
  EXPECT_EQ(ps::KeyByName("esc"), static_cast<UINT>(VK_ESCAPE));
  EXPECT_EQ(ps::KeyByName("ENTER"), static_cast<UINT>(VK_RETURN));
  EXPECT_EQ(ps::KeyByName("PgDn"), static_cast<UINT>(VK_NEXT));
  EXPECT_EQ(ps::KeyByName("f2"), static_cast<UINT>(VK_F2));
  EXPECT_EQ(ps::KeyByName("F24"), static_cast<UINT>(VK_F24));
  EXPECT_EQ(ps::KeyByName("q"), static_cast<UINT>('Q'));
  EXPECT_EQ(ps::KeyByName("7"), static_cast<UINT>('7'));
  EXPECT_EQ(ps::KeyByName(";"), static_cast<UINT>(VK_OEM_1));
  EXPECT_EQ(ps::KeyByName("F0"), 0u);
  EXPECT_EQ(ps::KeyByName(""), 0u);
}

namespace {

// The first fenced block after `heading` in a document of the source tree.
std::string BlockAfter(const std::string& document, const std::string& heading) {
  std::ifstream in(std::string(TD_SOURCE_DIR) + "/" + document);
  std::stringstream text;
  text << in.rdbuf();
  std::string all = text.str();
  std::size_t at = all.find(heading);
  if (at == std::string::npos) return "";
  std::size_t open = all.find("```\n", at);
  std::size_t close = all.find("\n```", open + 4);
  return open == std::string::npos || close == std::string::npos
             ? ""
             : all.substr(open + 4, close - open - 4);
}

}  // namespace

TEST(ScriptReader, TheDocumentedExamplesRead) {
  for (auto [document, heading] : {std::pair{"README.md", "## Driving the program from a script"},
                                   std::pair{"docs/automation.md", "## Example"}}) {
    std::string example = BlockAfter(document, heading);
    ps::Script script = ps::Read(example);
    EXPECT_EQ(script.errorLine, 0) << document << ": " << script.error;
    EXPECT_GE(script.lines.size(), 5u) << document;
  }
}
