#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "kernel/internal.h"

using platform::kernel::FindInterpreterFor;

TEST(CommandInterpreter, FoundAlsoForAProgramOutsideTheBuildTree) {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  self[length] = '\0';
  std::string folder(self);
  folder = folder.substr(0, folder.rfind('/'));
  std::string here = FindInterpreterFor(folder);
  ASSERT_FALSE(here.empty());
  // A program copied anywhere falls back on the interpreter the build recorded.
  EXPECT_EQ(FindInterpreterFor("/nonexistent/place"), here);
  EXPECT_EQ(FindInterpreterFor(""), here);
  EXPECT_EQ(access(here.c_str(), X_OK), 0);
}
