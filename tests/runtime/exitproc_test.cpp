#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/exitproc.h"

namespace {
int order = 0;
void First() { std::fprintf(stderr, "first:%d\n", ++order); }
void Second() { std::fprintf(stderr, "second:%d\n", ++order); }
}  // namespace

TEST(ExitProcessingDeathTest, HaltRunsEachRoutineOnceLastRegisteredFirst) {
  EXPECT_EXIT(
      {
        AddExitProc(First);
        AddExitProc(Second);
        Halt(1);
      },
      testing::ExitedWithCode(1), "second:1\nfirst:2\n$");
}

TEST(ExitProcessingDeathTest, NormalEndRunsRoutinesOnceEvenWhenExitFollows) {
  EXPECT_EXIT(
      {
        AddExitProc(First);
        int code = RunExitProcs(0);
        std::exit(code);
      },
      testing::ExitedWithCode(0), "^first:1\n$");
}
