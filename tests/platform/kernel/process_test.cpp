#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "kernel_fixture.h"

namespace {

class Processes : public KernelFolder {
 protected:
  // A host script that records its arguments, one a line, and ends with a code.
  void MakeScript(const std::string& relative, int exitCode) {
    MakeFile(relative, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > args.txt\nexit " +
                           std::to_string(exitCode) + "\n");
    std::filesystem::permissions(Host(relative), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
  }
  // Runs a command line to its end; the exit code, or -1 when nothing started.
  static long Run(std::string line, const char* folder = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &info)) {
      return -1;
    }
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    return code;
  }
};

TEST_F(Processes, ProgramNamedByWindowsNameRunsWithSplitArguments) {
  MakeScript("Tools/Editor", 3);
  EXPECT_EQ(Run("T:\\tools\\editor.exe one \"two words\" 3\\\"q \"\""), 3);
  EXPECT_EQ(Read("args.txt"), "one\ntwo words\n3\"q\n\n");
  // A bare name is looked for in the current folder.
  ASSERT_TRUE(SetCurrentDirectoryA("tools"));
  EXPECT_EQ(Run("editor C:\\x.mid"), 3);
  EXPECT_EQ(Read("Tools/args.txt"), "C:\\x.mid\n");
}

TEST_F(Processes, CurrentDirectoryOfTheChildIsAWindowsName) {
  MakeScript("run", 0);
  MakeFolder("Work");
  EXPECT_EQ(Run("T:\\run a", "t:\\work"), 0);
  EXPECT_EQ(Read("Work/args.txt"), "a\n");
  EXPECT_EQ(Run("T:\\run a", "T:\\missing"), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(Processes, MissingOrUnrunnableProgramsStartNothing) {
  EXPECT_EQ(Run("T:\\absent.exe"), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  MakeFile("plain.exe", "not a program");
  EXPECT_EQ(Run("T:\\plain.exe"), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Processes, TimedWaitsAndExitCodeWhileRunning) {
  MakeFile("slow", "#!/bin/sh\nread line\nexit 5\n");  // waits for its input to close
  std::filesystem::permissions(Host("slow"), std::filesystem::perms::owner_all);
  int pipeEnds[2];
  ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
  // The child reads the pipe the test holds open: it cannot end before the test lets it.
  int savedInput = dup(0);
  dup2(pipeEnds[0], 0);
  STARTUPINFOA startup{};
  PROCESS_INFORMATION info{};
  char line[] = "T:\\slow";
  BOOL started =
      CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  dup2(savedInput, 0);
  close(savedInput);
  close(pipeEnds[0]);
  ASSERT_TRUE(started);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  close(pipeEnds[1]);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeProcess(info.hThread, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseHandle(info.hThread));
}

TEST_F(Processes, InterpreterRunsTheNamedProgramAndHandsBackItsCode) {
  char interpreter[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
  ASSERT_GT(length, 0u) << "the platform's command interpreter was not found";
  ASSERT_LT(length, sizeof interpreter);
  MakeScript("Faders", 7);
  EXPECT_EQ(Run(std::string(interpreter) + " /c T:\\Faders.exe \"a b\" c"), 7);
  EXPECT_EQ(Read("args.txt"), "a b\nc\n");
  EXPECT_NE(Run(std::string(interpreter) + " /c T:\\Missing.exe"), 0);
}

TEST(CommandLines, QuotedArgumentsSplitBackWhole) {
  const std::string program = "C:\\Program Files\\Tunedeck";
  const std::vector<std::string> arguments = {"plain",
                                              "",
                                              "two words",
                                              "tab\there",
                                              "say \"hi\"",
                                              "C:\\My Songs\\",
                                              "a\\\\\"b",
                                              "\\\\server\\share",
                                              "caf\xC3\xA9 song.mid",
                                              "ends\\"};
  std::string line = platform::QuoteArgument(program);
  for (const std::string& argument : arguments) line += " " + platform::QuoteArgument(argument);
  std::vector<std::string> expected = {program};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(platform::SplitCommandLine(line), expected) << line;
  EXPECT_EQ(platform::QuoteArgument("C:\\songs\\a.mid"), "C:\\songs\\a.mid") << "no quotes needed";
}

// The program's own line: its file's Windows name, then the host's arguments as they were.
TEST(CommandLines, TheProgramsOwnLineHoldsItsNameAndTheHostsArguments) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> host;
  for (std::string argument; std::getline(in, argument, '\0');) host.push_back(argument);
  ASSERT_FALSE(host.empty());
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  host[0] = module;
  EXPECT_EQ(platform::SplitCommandLine(GetCommandLineA()), host);
}

TEST(Environment, VariablesAreSetReadAndRemovedWithoutRegardToCase) {
  ASSERT_TRUE(SetEnvironmentVariableA("TD_Sample", "value"));
  char buffer[16];
  EXPECT_EQ(GetEnvironmentVariableA("td_sample", buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "value");
  EXPECT_EQ(GetEnvironmentVariableA("TD_SAMPLE", buffer, 3), 6u);  // size with the zero
  ASSERT_TRUE(SetEnvironmentVariableA("TD_SAMPLE", nullptr));
  EXPECT_EQ(GetEnvironmentVariableA("TD_Sample", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
}

TEST(Environment, PathIsShownWithWindowsNames) {
  char path[4096];
  DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof path);
  EXPECT_EQ(std::strchr(path, '/'), nullptr);
  EXPECT_EQ(path[1], ':');
}

TEST(Atoms, StringsAreCountedAndFoundWithoutRegardToCase) {
  ATOM atom = GlobalAddAtomA("Td.Sample.Atom");
  ASSERT_GE(atom, 0xC000);
  EXPECT_EQ(GlobalAddAtomA("TD.SAMPLE.ATOM"), atom);
  EXPECT_EQ(GlobalFindAtomA("td.sample.atom"), atom);
  char name[64];
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 14u);
  EXPECT_STREQ(name, "Td.Sample.Atom");
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtomA("Td.Sample.Atom"), atom);  // one reference is left
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtomA("Td.Sample.Atom"), 0);
  EXPECT_EQ(GlobalDeleteAtom(atom), atom);  // gone: the delete fails
  EXPECT_EQ(GlobalAddAtomA("#123"), 123);
  EXPECT_EQ(GlobalAddAtomA(MAKEINTATOM(77)), 77);
  EXPECT_EQ(GlobalGetAtomNameA(123, name, sizeof name), 4u);
  EXPECT_STREQ(name, "#123");
  EXPECT_EQ(GlobalAddAtomA(""), 0);
}

TEST(VirtualMemory, ExecutablePagesRunCodeAndReservationsCommitLater) {
  // x86-64 "mov eax, 42; ret", written and then run as a window-procedure stub would be.
  auto* page = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, 64, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  ASSERT_NE(page, nullptr);
#if defined(__x86_64__)
  const unsigned char code[] = {0xB8, 42, 0, 0, 0, 0xC3};
  std::memcpy(page, code, sizeof code);
  EXPECT_EQ(reinterpret_cast<int (*)()>(page)(), 42);
#endif
  EXPECT_FALSE(VirtualFree(page, 64, MEM_RELEASE));  // release takes size 0
  EXPECT_TRUE(VirtualFree(page, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(page, 0, MEM_RELEASE));

  auto* reserved = static_cast<char*>(VirtualAlloc(nullptr, 1 << 16, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(reserved, nullptr);
  ASSERT_EQ(VirtualAlloc(reserved + 4096, 100, MEM_COMMIT, PAGE_READWRITE), reserved + 4096);
  reserved[4096] = 'x';
  DWORD old = 0;
  EXPECT_TRUE(VirtualProtect(reserved + 4096, 100, PAGE_READONLY, &old));
  EXPECT_EQ(reserved[4096], 'x');
  EXPECT_EQ(VirtualAlloc(reserved + (1 << 17), 10, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_TRUE(VirtualFree(reserved, 0, MEM_RELEASE));
}

DWORD CountUntilStopped(LPVOID counter) {
  while (!platform::ThreadStopRequested()) {
    ++*static_cast<std::atomic<int>*>(counter);
    Sleep(INFINITE);  // only the stop can end it
  }
  return 99;
}

DWORD ReturnParameter(LPVOID value) {
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value));
}

TEST(Threads, RunToTheirExitCode) {
  DWORD id = 0;
  HANDLE thread =
      CreateThread(nullptr, 1000, ReturnParameter, reinterpret_cast<LPVOID>(17), 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 17u);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, SuspendedThreadWaitsForResume) {
  HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(4),
                               CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
}

TEST(Threads, TerminateAsksTheThreadToStopAndItsWaitsEnd) {
  std::atomic<int> counter{0};
  HANDLE thread = CreateThread(nullptr, 0, CountUntilStopped, &counter, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  while (counter.load() == 0) std::this_thread::yield();
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 10), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(TerminateThread(thread, 8));
  // The endless sleep ends; a generous limit keeps a fault from hanging the tests.
  EXPECT_EQ(WaitForSingleObject(thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 8u);
  EXPECT_EQ(counter.load(), 1);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(TerminateThread(thread, 0));
}

}  // namespace
