#include "data/backups.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "tests/support/backup_names.h"
#include "tests/support/scratch_folder.h"

namespace {

std::string gDocuments;

bool ScratchDocuments(char* out, int size) {
  return std::snprintf(out, static_cast<size_t>(size), "%s", gDocuments.c_str()) < size;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A data folder "data/" with DAY, BASEDATA, TMPDAY and a Documents folder
// "docs/" of its own, with a fixed clock.
class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gDocuments = folder_.path() + "docs";
    gGetDocumentsFolder = ScratchDocuments;
    SetFixedClock(kNow, 9 * 3600);
    for (const char* name : {"docs", "data", "data/DAY", "data/BASEDATA", "data/TMPDAY", "data/DAY/sub"})
      ASSERT_EQ(mkdir((folder_.path() + name).c_str(), 0777), 0);
    WriteWholeFile(folder_.path() + "data/DAY/1001", Bytes("index bars"));
    WriteWholeFile(folder_.path() + "data/DAY/7203", Bytes("car bars"));
    WriteWholeFile(folder_.path() + "data/DAY/sub/x", Bytes("nested"));
    WriteWholeFile(folder_.path() + "data/BASEDATA/ken.dat", Bytes("splits"));
    WriteWholeFile(folder_.path() + "data/TMPDAY/7203", Bytes("cut write"));
  }
  void TearDown() override {
    gGetDocumentsFolder = nullptr;
    gBackupRootFolder[0] = 0;
  }

  std::string Root() const { return folder_.path() + "docs/Mirastovelkin22/Backups/"; }
  std::string Data() const { return folder_.path() + "data"; }
  void MakeBackup(const std::string& name, const std::string& dayText) {
    const std::string base = Root() + name;
    ASSERT_TRUE(CreateBackupFoldersForTest(base));
    WriteWholeFile(base + "/DAY/7203", Bytes(dayText));
    WriteWholeFile(base + "/BASEDATA/ken.dat", Bytes("old splits"));
  }
  static bool CreateBackupFoldersForTest(const std::string& base) {
    char root[kBackupPathSize];
    if (!GetBackupRoot(root, sizeof root)) return false;
    return mkdir(base.c_str(), 0777) == 0 && mkdir((base + "/DAY").c_str(), 0777) == 0 &&
           mkdir((base + "/BASEDATA").c_str(), 0777) == 0;
  }

  static constexpr int64_t kNow = 1796601600;  // 2026-12-07 00:00 UTC, 09:00 local
  static constexpr BackupProgress kQuiet = {nullptr, nullptr};
  ScratchFolder folder_;
};

TEST_F(BackupTest, BackupCopiesBothFoldersByteForByteAndNeverTheWriteFolder) {
  char made[kBackupPathSize] = "";
  ASSERT_TRUE(CreateBackup(Data().c_str(), made, sizeof made, kQuiet));
  const std::string folder = Root() + "20261207_090000";
  EXPECT_EQ(std::string(made).substr(std::string(made).size() - 16), "\\20261207_090000");
  EXPECT_EQ(ReadWholeFile(folder + "/DAY/1001"), Bytes("index bars"));
  EXPECT_EQ(ReadWholeFile(folder + "/DAY/sub/x"), Bytes("nested"));
  EXPECT_EQ(ReadWholeFile(folder + "/BASEDATA/ken.dat"), Bytes("splits"));
  EXPECT_FALSE(FileExists(folder + "/TMPDAY"));
  // Two backups in one second cannot share a folder.
  EXPECT_FALSE(CreateBackup(Data().c_str(), nullptr, 0, kQuiet));
  EXPECT_EQ(ListedBackups(), std::vector<std::string>{"20261207_090000"});
}

TEST_F(BackupTest, BackupWithAFailedCopyLeavesNoFolderBehind) {
  MakeBackup("20261101_090000", "older");
  for (int skip : {0, 2, 3}) {  // DAY's first file, its subfolder, BASEDATA
    SCOPED_TRACE(skip);
    FileFaults faults;
    faults.skipCopies = skip;
    faults.failCopies = 1;
    SetFileFaults(faults);
    EXPECT_FALSE(CreateBackup(Data().c_str(), nullptr, 0, kQuiet));
    EXPECT_EQ(ListedBackups(), std::vector<std::string>{"20261101_090000"});
  }
}

TEST_F(BackupTest, PruneKeepsTheNewestByNameAndOnlyBackupFolders) {
  struct Case {
    std::vector<std::string> made;
    std::vector<std::string> left;  // newest first
    std::string finalText;
  };
  const std::vector<Case> cases = {
      {{"20260105_120000", "20251231_235959", "20261001_000000", "20260601_080000", "20240101_000000"},
       {"20261001_000000", "20260601_080000"},
       "クリーンアップ完了 (3個削除)"},
      {{"20260105_120000", "20251231_235959"}, {"20260105_120000", "20251231_235959"}, "クリーンアップ完了 (0個削除)"},
      {{}, {}, "削除するバックアップはありません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.made.size());
    DeleteDirectoryTree((folder_.path() + "docs/").c_str(), 0);
    char root[kBackupPathSize];
    ASSERT_TRUE(GetBackupRoot(root, sizeof root));
    for (const std::string& name : c.made) MakeBackup(name, name);
    ASSERT_EQ(mkdir((Root() + "mine").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((Root() + "2026010_1200000").c_str(), 0777), 0);
    std::vector<std::string> texts;
    const BackupProgress progress = {[](void* context, int, int, const char* text) {
                                       static_cast<std::vector<std::string>*>(context)->push_back(text);
                                     },
                                     &texts};
    EXPECT_TRUE(PruneBackups(kBackupDayLimit, kBackupKeepCount, progress));
    EXPECT_EQ(ListedBackups(), c.left);
    EXPECT_EQ(texts.back(), c.finalText);
    EXPECT_TRUE(FileExists(Root() + "mine"));
    EXPECT_TRUE(FileExists(Root() + "2026010_1200000"));
  }
}

TEST_F(BackupTest, RestoreReplacesBothFoldersFromANameOrAFullPath) {
  MakeBackup("20261101_090000", "november");
  MakeBackup("20261201_090000", "december");
  struct Case {
    std::string folder;
    std::string expected;
  };
  for (const Case& c : {Case{"20261101_090000", "november"}, Case{Root() + "20261201_090000", "december"}}) {
    SCOPED_TRACE(c.folder);
    WriteWholeFile(Data() + "/stock.dat", Bytes("table of the live folders"));
    ASSERT_TRUE(RestoreBackup(c.folder.c_str(), Data().c_str(), kQuiet));
    EXPECT_FALSE(FileExists(Data() + "/stock.dat"));
    EXPECT_EQ(ReadWholeFile(Data() + "/DAY/7203"), Bytes(c.expected));
    EXPECT_FALSE(FileExists(Data() + "/DAY/1001"));
    EXPECT_EQ(ReadWholeFile(Data() + "/BASEDATA/ken.dat"), Bytes("old splits"));
    EXPECT_EQ(ReadWholeFile(Data() + "/TMPDAY/7203"), Bytes("cut write"));
    for (const char* leftover : {"/DAY.restore", "/DAY.old", "/BASEDATA.restore", "/BASEDATA.old"})
      EXPECT_FALSE(FileExists(Data() + leftover)) << leftover;
  }
  // A full path is never looked up under the root, nor a missing name found.
  EXPECT_FALSE(RestoreBackup((folder_.path() + "20261101_090000").c_str(), Data().c_str(), kQuiet));
  EXPECT_FALSE(RestoreBackup("20261231_000000", Data().c_str(), kQuiet));
}

TEST_F(BackupTest, FailedRestoreLeavesTheLiveFoldersAsTheyWere) {
  MakeBackup("20261101_090000", "november");
  struct Case {
    const char* what;
    FileFaults faults;
  };
  FileFaults dayCopy, basicCopy;
  dayCopy.failCopies = 1;
  basicCopy.skipCopies = 1;
  basicCopy.failCopies = 1;
  for (const Case& c : {Case{"DAY copy", dayCopy}, Case{"BASEDATA copy", basicCopy}}) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(Data() + "/stock.dat", Bytes("table"));
    SetFileFaults(c.faults);
    EXPECT_FALSE(RestoreBackup("20261101_090000", Data().c_str(), kQuiet));
    EXPECT_EQ(ReadWholeFile(Data() + "/stock.dat"), Bytes("table"));
    EXPECT_EQ(ReadWholeFile(Data() + "/DAY/7203"), Bytes("car bars"));
    EXPECT_EQ(ReadWholeFile(Data() + "/DAY/1001"), Bytes("index bars"));
    EXPECT_EQ(ReadWholeFile(Data() + "/BASEDATA/ken.dat"), Bytes("splits"));
    for (const char* leftover : {"/DAY.restore", "/DAY.old", "/BASEDATA.restore", "/BASEDATA.old"})
      EXPECT_FALSE(FileExists(Data() + leftover)) << leftover;
  }
}

TEST_F(BackupTest, DailyFallbackReadsOnlyTheNewestBackup) {
  MakeBackup("20261101_090000", "november");
  MakeBackup("20261201_090000", "december");
  WriteWholeFile(Root() + "20261101_090000/DAY/6758", Bytes("only old"));
  ASSERT_EQ(mkdir((Root() + "zzz").c_str(), 0777), 0);
  SetBackupRootFolderAtStartup();
  for (const auto& [code, found] : std::vector<std::pair<const char*, bool>>{{"7203", true}, {"6758", false}}) {
    char path[kBackupPathSize] = "unchanged";
    EXPECT_EQ(FindBackupDailyFile(StringToCode(code), path, sizeof path), found) << code;
    if (found)
      EXPECT_NE(std::string(path).find("20261201_090000"), std::string::npos);
    else
      EXPECT_STREQ(path, "unchanged");
  }
}

TEST_F(BackupTest, WithoutADocumentsFolderNothingIsMade) {
  gGetDocumentsFolder = [](char*, int) { return false; };
  SetBackupRootFolderAtStartup();
  EXPECT_STREQ(gBackupRootFolder, "");
  EXPECT_FALSE(CreateBackup(Data().c_str(), nullptr, 0, kQuiet));
  BackupList list{};
  EXPECT_EQ(FindLatestBackup(&list), 0);
}

}  // namespace
