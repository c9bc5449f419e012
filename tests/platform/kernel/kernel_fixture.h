// A scratch folder under /tmp mounted as drive T: (C: stays the host root), so that
// kernel tests see only what they create.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32.h"

class KernelFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    savedCwd_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "td-kernel-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ASSERT_TRUE(platform::InstallDriveTable(DriveTable()));
    ASSERT_TRUE(SetCurrentDirectoryA("T:\\"));
  }
  void TearDown() override {
    std::filesystem::current_path(savedCwd_);
    platform::InstallDefaultDriveTable();
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
  }
  virtual std::string DriveTable() { return "C=/;T=" + root_.string(); }

  // Host helpers for arranging a scene.
  std::filesystem::path Host(const std::string& relative) const { return root_ / relative; }
  void MakeFile(const std::string& relative, const std::string& content = "") const {
    std::filesystem::create_directories(Host(relative).parent_path());
    std::ofstream(Host(relative), std::ios::binary) << content;
  }
  void MakeFolder(const std::string& relative) const {
    std::filesystem::create_directories(Host(relative));
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string CurrentFolder() {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
  }

  std::filesystem::path root_;

 private:
  std::filesystem::path savedCwd_;
};
