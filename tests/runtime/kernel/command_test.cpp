#include "runtime/command.h"

#include <climits>
#include <cstdlib>
#include <optional>

#include "tests/platform/kernel/kernel_fixture.h"

namespace {

std::optional<std::string> Variable(const char* name) {
  char buffer[8192];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  return std::string(buffer, length);
}

void Restore(const char* name, const std::optional<std::string>& value) {
  SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
}

class CommandInterpreter : public KernelFolder {
 protected:
  void SetUp() override {
    KernelFolder::SetUp();
    savedComspec_ = Variable("COMSPEC");
    savedPath_ = Variable("PATH");
    ASSERT_TRUE(savedComspec_) << "the platform's command interpreter was not found";
  }
  void TearDown() override {
    Restore("COMSPEC", savedComspec_);
    Restore("PATH", savedPath_);
    KernelFolder::TearDown();
  }
  void MakeScript(const std::string& relative, const std::string& body) {
    MakeFile(relative, "#!/bin/sh\n" + body);
    std::filesystem::permissions(Host(relative), std::filesystem::perms::owner_all);
  }
  std::optional<std::string> savedComspec_;
  std::optional<std::string> savedPath_;
};

TEST_F(CommandInterpreter, RunsAScriptNamedByItsWindowsNameAndHandsBackItsCode) {
  MakeScript("Program Files/Score/Scorepad",
             "printf '%s|%s\\n' \"$1\" \"$2\" > seen.txt\nexit 42\n");
  ASSERT_TRUE(SetCurrentDirectoryA("T:\\program files\\score"));
  CommandOutcome outcome = RunCommandInterpreter("Scorepad.exe T:\\Songs\\a.mid two");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitCode, 42u);
  EXPECT_EQ(Read("Program Files/Score/seen.txt"), "T:\\Songs\\a.mid|two\n");

  outcome = RunCommandInterpreter("T:\\nothing\\here.exe");
  EXPECT_TRUE(outcome.started);  // the interpreter ran and reported the failure
  EXPECT_NE(outcome.exitCode, 0u);
}

TEST_F(CommandInterpreter, WithoutComspecItIsFoundAlongPath) {
  MakeFolder("bin");
  std::string real;
  ASSERT_EQ(platform::WindowsToHostPath(*savedComspec_, real), 0u);
  std::filesystem::create_symlink(real, Host("bin/cmd.exe"));
  MakeScript("tool", "exit 9\n");
  ASSERT_TRUE(SetEnvironmentVariableA("COMSPEC", nullptr));
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", "T:\\nowhere;T:\\BIN"));
  CommandOutcome outcome = RunCommandInterpreter("T:\\tool");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitCode, 9u);
}

TEST_F(CommandInterpreter, WithNeitherComspecNorCmdNothingStarts) {
  MakeScript("marker", "touch ran.txt\n");
  MakeFolder("empty");
  ASSERT_TRUE(SetEnvironmentVariableA("COMSPEC", nullptr));
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", "T:\\empty"));
  CommandOutcome outcome = RunCommandInterpreter("T:\\marker");
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(Host("ran.txt")));
}

TEST_F(CommandInterpreter, AnInterpreterThatCannotStartIsAResult) {
  ASSERT_TRUE(SetEnvironmentVariableA("COMSPEC", "T:\\missing\\cmd.exe"));
  CommandOutcome outcome = RunCommandInterpreter("anything");
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Parameters, AreTheProgramsNameAndItsCommandLinesArguments) {
  std::vector<std::string> line = platform::SplitCommandLine(GetCommandLineA());
  ASSERT_EQ(ParamCount(), static_cast<int>(line.size()) - 1);
  for (int i = 1; i <= ParamCount(); ++i) EXPECT_EQ(ParamStr(i), line[i]);
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  EXPECT_EQ(ParamStr(0), module);
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
  EXPECT_EQ(ParamStr(-1), "");
}

}  // namespace
