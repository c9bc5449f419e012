#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32.h"

TEST(ModuleResources, NamesAreFoundWithoutRegardToCase) {
  HRSRC upper = FindResourceA(nullptr, "MAINICON", RT_GROUP_ICON);
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(FindResourceA(GetModuleHandleA(nullptr), "mainicon", RT_GROUP_ICON), upper);
  EXPECT_EQ(FindResourceA(nullptr, "MainIcon", RT_ICON), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(ModuleResources, GroupIconNamesItsImage) {
  HRSRC group = FindResourceA(nullptr, "MAINICON", RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(SizeofResource(nullptr, group), 6u + 14u);
  auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
  EXPECT_EQ(bytes[2] | bytes[3] << 8, 1);   // icon
  EXPECT_EQ(bytes[4] | bytes[5] << 8, 1);   // one image
  EXPECT_EQ(bytes[6], 32);                  // width
  int imageId = bytes[18] | bytes[19] << 8;
  HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(imageId), RT_ICON);
  ASSERT_NE(image, nullptr);
  auto* header = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, image)));
  EXPECT_EQ(header[0], 40);
  EXPECT_EQ(header[8], 64);  // colour image and mask: twice the height
  // 40 header + 16 colours + 32 rows of 16 bytes + 32 mask rows of 4 bytes
  EXPECT_EQ(SizeofResource(nullptr, image), 40u + 64u + 512u + 128u);
  EXPECT_NE(FindResourceA(nullptr, (std::string("#") + std::to_string(imageId)).c_str(), RT_ICON), nullptr);
}

TEST(ModuleResources, LoadStringCutsToTheBuffer) {
  char buffer[8];
  EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 61452, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "List in");
  EXPECT_EQ(LoadStringA(nullptr, 2, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadStringA(nullptr, 61452, buffer, 0), 0);
}

TEST(ModuleResources, ModuleFileNameIsAWindowsName) {
  char name[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
  ASSERT_GT(length, 3u);
  EXPECT_EQ(std::strlen(name), length);
  EXPECT_EQ(name[1], ':');
  EXPECT_EQ(name[2], '\\');
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
  char small[4];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 4u);
  EXPECT_EQ(std::strlen(small), 3u);
}
