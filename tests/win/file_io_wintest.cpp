// Whole-file I/O through the real Windows file system (under Wine).

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "platform/win_text.h"
#include "tests/win/win_test_support.h"

namespace {

class WinFileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder(L"velqo-io");
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  std::wstring folder_;
};

TEST_F(WinFileIoTest, JapaneseNamesRoundTrip) {
  ASSERT_TRUE(CreateDirectoryW(SjisToWide("株価データ").c_str(), nullptr));
  const char path[] = "株価データ\\ソニー表.dat";  // "ソ" and "表" carry a 0x5C trail byte
  const std::vector<unsigned char> bytes = {1, 2, 3, 0, 255};
  ASSERT_EQ(SaveBufferToFile(path, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  EXPECT_EQ(ReadFileBytes(folder_ + SjisToWide(path)), bytes);
  unsigned char back[8] = {};
  uint32_t read = 0;
  ASSERT_EQ(LoadFileToBufferEx(path, back, sizeof back, &read), 0);
  EXPECT_EQ(read, bytes.size());
  EXPECT_EQ(GetFileSizeByName(path), 5);
}

TEST_F(WinFileIoTest, ReplaceKeepsTheOldFileWhileAnotherProgramHoldsIt) {
  const std::vector<unsigned char> old = {9, 9, 9};
  ASSERT_TRUE(WriteFileBytes(folder_ + L"grp.dat", old));
  // Held open without sharing, as the program itself opens its files.
  const HANDLE held = CreateFileW((folder_ + L"grp.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const unsigned char fresh[] = {1, 2, 3, 4};
  EXPECT_NE(SaveBufferToFile("grp.dat", fresh, sizeof fresh), 0);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(folder_ + L"grp.dat"), old);
  EXPECT_EQ(GetFileAttributesW((folder_ + L"grp.dat.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(SaveBufferToFile("grp.dat", fresh, sizeof fresh), 0);
  EXPECT_EQ(ReadFileBytes(folder_ + L"grp.dat"), std::vector<unsigned char>(fresh, fresh + 4));
}

TEST_F(WinFileIoTest, MissingFolderGivesPathNotFound) {
  const unsigned char byte = 1;
  EXPECT_EQ(SaveBufferToFile("NOFOLDER\\a.dat", &byte, 1), ERROR_PATH_NOT_FOUND);
  unsigned char buffer[4];
  EXPECT_EQ(LoadFileToBuffer("NOFOLDER\\a.dat", buffer, sizeof buffer), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(LoadFileToBuffer("none.dat", buffer, sizeof buffer), ERROR_FILE_NOT_FOUND);
}

// The real file system must refuse to move over an earlier damaged copy.
TEST_F(WinFileIoTest, DamagedFilesAreSetAsideWithoutReplacingEarlierOnes) {
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"BACKUP").c_str(), nullptr));
  char aside[MAX_PATH];
  for (const unsigned char content : {1, 2}) {
    ASSERT_TRUE(WriteFileBytes(folder_ + L"BACKUP\\grp01.dat", {content}));
    ASSERT_EQ(SetDamagedFileAside("BACKUP\\grp01.dat", aside, sizeof aside), 0);
  }
  EXPECT_STREQ(aside, "BACKUP\\grp01.dat.damaged2");
  EXPECT_EQ(ReadFileBytes(folder_ + L"BACKUP\\grp01.dat.damaged"), std::vector<unsigned char>{1});
  EXPECT_EQ(ReadFileBytes(folder_ + L"BACKUP\\grp01.dat.damaged2"), std::vector<unsigned char>{2});
  EXPECT_EQ(GetFileAttributesW((folder_ + L"BACKUP\\grp01.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WinFileIoTest, DeleteDirectoryTreeRemovesNestedFolders) {
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"BACKUP").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"BACKUP\\DAY").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"BACKUP\\DAY\\1301", {1}));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"BACKUP\\stock.dat", {1}));
  EXPECT_EQ(DeleteDirectoryTree("BACKUP\\", 1), 1);
  EXPECT_EQ(GetFileAttributesW((folder_ + L"BACKUP").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
