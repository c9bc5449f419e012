// A headless session with a shown form and a temporary folder served as drive T: (and
// more drives when a test installs its own table), never the host's own folders.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "classes/lists.h"
#include "platform/win32.h"
#include "tests/forms/forms_fixture.h"

namespace fs = std::filesystem;

class BrowsingTest : public FormsTest {
 protected:
  void SetUp() override {
    static int serial = 0;
    root = fs::path(::testing::TempDir()) /
           ("td_browsing_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    fs::remove_all(root);
    fs::create_directories(root);
    FormsTest::SetUp();
    InstallDrives("T=" + root.string());
  }
  void TearDown() override {
    FormsTest::TearDown();
    platform::InstallDefaultDriveTable();
    fs::current_path(::testing::TempDir());
    fs::remove_all(root);
  }
  void InstallDrives(const std::string& table) {
    std::string error;
    ASSERT_TRUE(pt::InstallDrives(table, &error)) << error;
  }
  // Creates a file (and the folders on its way) below the temporary folder.
  void Touch(const std::string& relative) {
    fs::path path = root / relative;
    fs::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr) << path;
    std::fclose(file);
  }
  void MakeFolder(const std::string& relative) { fs::create_directories(root / relative); }
  static std::vector<std::string> Entries(TStrings* items) {
    std::vector<std::string> out;
    for (int i = 0; i < items->Count(); ++i) out.push_back(items->Get(i));
    return out;
  }
  std::string CurrentDirectoryNow() {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
  }
  // The screen point of an entry's middle.
  POINT EntryPoint(TCustomListBox* list, int index) {
    RECT rect = list->EntryRect(index);
    return list->ClientToScreen(POINT{rect.left + 30, (rect.top + rect.bottom) / 2});
  }

  fs::path root;
};

// Counts the notify events it is bound to.
class TCounter : public TObject {
 public:
  void Changed(TObject*) { ++changes; }
  void Clicked(TObject*) { ++clicks; }
  void DoubleClicked(TObject*) { ++doubleClicks; }
  void SwallowEnter(TObject*, char& key) {
    if (key == '\r') key = '\0';
  }
  int changes = 0;
  int clicks = 0;
  int doubleClicks = 0;
};
