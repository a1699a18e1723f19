#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstring>
#include <vector>

#include "platform/posix_recorder.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<uint8_t> Bytes(size_t count, uint8_t seed) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSleepRecorded(true); }

  void InjectFaults(void (*set)(FileFaults&)) {
    FileFaults faults;
    set(faults);
    SetFileFaults(faults);
  }

  ScratchFolder folder_;
};

// ---- Reading ----------------------------------------------------------------

TEST_F(FileIoTest, LoadReadsTheWholeFileOrLeavesTheBufferAlone) {
  ASSERT_EQ(mkdir("DAY", 0777), 0);
  const auto content = Bytes(1000, 3);
  WriteWholeFile("DAY/1301.dat", content);
  std::vector<uint8_t> buffer(1000, 0xEE);
  uint32_t read = 99;
  EXPECT_EQ(LoadFileToBufferEx("DAY\\1301.dat", buffer.data(), 1000, &read), 0);
  EXPECT_EQ(read, 1000u);
  EXPECT_EQ(buffer, content);

  WriteWholeFile("empty.dat", {});
  WriteWholeFile("big.dat", Bytes(17, 1));
  buffer.assign(16, 0xEE);
  EXPECT_EQ(LoadFileToBufferEx("empty.dat", buffer.data(), 16, &read), 0);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(LoadFileToBuffer("big.dat", buffer.data(), 16), kFileTooLarge);
  EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0xEE));
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);
}

TEST_F(FileIoTest, OpenIsTriedThreeTimesWithoutWaitingAndReadsTenTimesWithPauses) {
  const auto content = Bytes(300, 9);
  WriteWholeFile("a.dat", content);
  std::vector<uint8_t> buffer(300);
  InjectFaults([](FileFaults& f) { f.failOpens = 2; });
  EXPECT_EQ(LoadFileToBuffer("a.dat", buffer.data(), 300), 0);
  InjectFaults([](FileFaults& f) { f.failOpens = 3; });
  EXPECT_EQ(LoadFileToBuffer("a.dat", buffer.data(), 300), kErrorSharingViolation);
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);

  InjectFaults([](FileFaults& f) { f.failReads = 9; });
  EXPECT_EQ(LoadFileToBuffer("a.dat", buffer.data(), 300), 0);
  EXPECT_EQ(buffer, content);
  EXPECT_EQ(TakeSleptMilliseconds(), 900u);
  // No pause after the tenth failure.
  InjectFaults([](FileFaults& f) { f.failReads = 10; });
  EXPECT_EQ(LoadFileToBuffer("a.dat", buffer.data(), 300), kErrorReadFault);
  EXPECT_EQ(TakeSleptMilliseconds(), 900u);
  EXPECT_EQ(GetFileFaults().failReads, 0);
}

TEST_F(FileIoTest, MissingFileIsNotRetried) {
  WriteWholeFile("a.dat", Bytes(8, 0));
  uint8_t buffer[8];
  // A second attempt would find the file; not-found must end at the first.
  InjectFaults([](FileFaults& f) {
    f.failOpens = 1;
    f.openError = kErrorFileNotFound;
  });
  EXPECT_EQ(LoadFileToBuffer("a.dat", buffer, 8), kErrorFileNotFound);
  EXPECT_EQ(LoadFileToBuffer("none.dat", buffer, 8), kErrorFileNotFound);
  EXPECT_EQ(LoadFileToBuffer("NOFOLDER\\a.dat", buffer, 8), kErrorPathNotFound);
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);
}

TEST_F(FileIoTest, ShortReadIsAFailureNotStaleBytes) {
  const auto content = Bytes(64, 5);
  WriteWholeFile("a.dat", content);
  std::vector<uint8_t> buffer(64, 0xEE);
  uint32_t read = 99;
  InjectFaults([](FileFaults& f) { f.shortReads = 1; });
  EXPECT_EQ(LoadFileToBufferEx("a.dat", buffer.data(), 64, &read), 0);
  EXPECT_EQ(buffer, content);
  EXPECT_EQ(TakeSleptMilliseconds(), 100u);
  InjectFaults([](FileFaults& f) { f.shortReads = 10; });
  EXPECT_EQ(LoadFileToBufferEx("a.dat", buffer.data(), 64, &read), kErrorHandleEof);
  EXPECT_EQ(read, 0u);
}

TEST_F(FileIoTest, LoadToMemoryAddsAZeroByteAndShowsOnlyReadFailuresUnlessQuiet) {
  const std::vector<uint8_t> content = {'a', 0, 'b', 0xFF};
  WriteWholeFile("a.txt", content);
  uint32_t size = 0;
  char* block = LoadFileToMemory("a.txt", &size, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 5), (std::vector<uint8_t>{'a', 0, 'b', 0xFF, 0}));
  EXPECT_EQ(size, 4u);
  FreeBlock(block);

  WriteWholeFile("empty.txt", {});
  EXPECT_EQ(LoadFileToMemory("empty.txt", &size, 0), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(LoadFileToMemory("none.txt", nullptr, 0), nullptr);
  InjectFaults([](FileFaults& f) { f.failReads = 10; });
  EXPECT_EQ(LoadFileToMemory("a.txt", nullptr, 1), nullptr);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());

  InjectFaults([](FileFaults& f) { f.failReads = 10; });
  EXPECT_EQ(LoadFileToMemory("a.txt", nullptr, 0), nullptr);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].title, "エラー");
  EXPECT_EQ(boxes[0].text, "なんらかのエラーが発生しました。エラーコードは 30 です。");
  EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconStop);
}

// ---- Writing ----------------------------------------------------------------

class SaveBufferTest : public FileIoTest {
 protected:
  // An older file that every failed save must leave as it was.
  void SetUp() override {
    FileIoTest::SetUp();
    ASSERT_EQ(mkdir("BASEDATA", 0777), 0);
    WriteWholeFile("BASEDATA/stockinf.dat", old_);
  }

  void ExpectFile(const std::vector<uint8_t>& bytes) {
    EXPECT_EQ(ReadWholeFile("BASEDATA/stockinf.dat"), bytes);
    EXPECT_FALSE(FileExists("BASEDATA/stockinf.dat.tmp"));
  }

  int Save() { return SaveBufferToFile("BASEDATA\\stockinf.dat", new_.data(), static_cast<uint32_t>(new_.size())); }

  const std::vector<uint8_t> old_ = Bytes(5000, 1);
  const std::vector<uint8_t> new_ = Bytes(3000, 2);
};

TEST_F(SaveBufferTest, ReplacesTheFileWithExactlyTheBytes) {
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);
  EXPECT_EQ(SaveBufferToFile("BASEDATA\\stockinf.dat", nullptr, 0), 0);
  ExpectFile({});
}

TEST_F(SaveBufferTest, MissingFolderGivesPathNotFoundAfterFourAttempts) {
  EXPECT_EQ(SaveBufferToFile("NOFOLDER\\a.dat", new_.data(), 10), kErrorPathNotFound);
  EXPECT_EQ(TakeSleptMilliseconds(), 1500u);
  EXPECT_FALSE(FileExists("NOFOLDER"));
}

TEST_F(SaveBufferTest, CreateRetriesFirstAtOnceThenEvery500Ms) {
  InjectFaults([](FileFaults& f) { f.failOpens = 1; });
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);
  InjectFaults([](FileFaults& f) { f.failOpens = 3; });
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(TakeSleptMilliseconds(), 1000u);
  ExpectFile(new_);
}

TEST_F(SaveBufferTest, FailedWritesAreRetriedTenTimes) {
  InjectFaults([](FileFaults& f) {
    f.failWrites = 2;
    f.writeBytesBeforeFailure = 1000;
  });
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
  EXPECT_EQ(TakeSleptMilliseconds(), 400u);
}

TEST_F(SaveBufferTest, WriteFailingMidwayKeepsTheOldFile) {
  InjectFaults([](FileFaults& f) {
    f.failWrites = 10;
    f.writeBytesBeforeFailure = 1500;
  });
  EXPECT_EQ(Save(), kErrorDiskFull);
  EXPECT_EQ(TakeSleptMilliseconds(), 1800u);
  ExpectFile(old_);
}

TEST_F(SaveBufferTest, ShortWriteIsAFailure) {
  InjectFaults([](FileFaults& f) { f.shortWrites = 1; });
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
  WriteWholeFile("BASEDATA/stockinf.dat", old_);
  InjectFaults([](FileFaults& f) { f.shortWrites = 10; });
  EXPECT_EQ(Save(), kErrorWriteFault);
  ExpectFile(old_);
}

TEST_F(SaveBufferTest, FailedFlushOrReplaceKeepsTheOldFile) {
  InjectFaults([](FileFaults& f) { f.failFlushes = 1; });
  EXPECT_EQ(Save(), kErrorWriteFault);
  ExpectFile(old_);
  InjectFaults([](FileFaults& f) { f.failReplaces = 4; });
  EXPECT_EQ(Save(), kErrorAccessDenied);
  ExpectFile(old_);
}

// A target held open for a moment by another program is waited for.
TEST_F(SaveBufferTest, BusyTargetIsRetriedLikeABusyCreate) {
  InjectFaults([](FileFaults& f) { f.failReplaces = 2; });
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
  EXPECT_EQ(TakeSleptMilliseconds(), 500u);
}

TEST_F(SaveBufferTest, LeftoverTemporaryFileIsOverwritten) {
  WriteWholeFile("BASEDATA/stockinf.dat.tmp", Bytes(9000, 4));
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
}

// ---- Size, magic and date ------------------------------------------------------

TEST_F(FileIoTest, SizeMagicAndTheUtcLastWriteDate) {
  WriteWholeFile("three.dat", {1, 2, 3});
  WriteWholeFile("tagged.dat", {0x78, 0x56, 0x34, 0x12, 0xFF});
  EXPECT_EQ(GetFileSizeByName("three.dat"), 3);
  EXPECT_EQ(GetFileSizeByName("none.dat"), -1);
  EXPECT_EQ(ReadFileMagic("three.dat"), 0u);
  EXPECT_EQ(ReadFileMagic("none.dat"), 0u);
  EXPECT_EQ(ReadFileMagic("tagged.dat"), 0x12345678u);

  utimbuf times{};
  times.actime = times.modtime = 1798761599;  // 2026-12-31 23:59:59 UTC
  ASSERT_EQ(utime("three.dat", &times), 0);
  int year = 0, month = 0, day = 0;
  GetFileDate("three.dat", &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20261231);
  GetFileDate("none.dat", &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 0);
}

// ---- Deleting a folder tree -------------------------------------------------------

class DeleteTreeTest : public FileIoTest {
 protected:
  void SetUp() override {
    FileIoTest::SetUp();
    ASSERT_EQ(mkdir("TMPDOWN", 0777), 0);
    ASSERT_EQ(mkdir("TMPDOWN/a", 0777), 0);
    ASSERT_EQ(mkdir("TMPDOWN/a/b", 0777), 0);
    WriteWholeFile("TMPDOWN/1.zip", {1});
    WriteWholeFile("TMPDOWN/a/2.zip", {2});
    WriteWholeFile("TMPDOWN/a/b/3.zip", {3});
  }
};

TEST_F(DeleteTreeTest, EmptiesTheFolderRemovesItOnRequestAndDeletesLinksUnfollowed) {
  ASSERT_EQ(mkdir("keep", 0777), 0);
  WriteWholeFile("keep/precious.dat", {7});
  ASSERT_EQ(symlink((folder_.path() + "keep").c_str(), "TMPDOWN/a/link"), 0);
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 0), 1);
  EXPECT_EQ(rmdir("TMPDOWN"), 0);  // it was there, with nothing left in it
  EXPECT_EQ(ReadWholeFile("keep/precious.dat"), std::vector<uint8_t>{7});

  ASSERT_EQ(mkdir("TMPDOWN", 0777), 0);
  WriteWholeFile("TMPDOWN/1.zip", {1});
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 1), 1);
  EXPECT_FALSE(FileExists("TMPDOWN"));
  EXPECT_EQ(DeleteDirectoryTree("NOFOLDER\\", 1), 0) << "an unlistable folder";
}

TEST_F(DeleteTreeTest, FailedDeleteGivesZero) {
  InjectFaults([](FileFaults& f) { f.failDeletes = 1; });
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 0), 0);
  InjectFaults([](FileFaults& f) { f.failDeletes = 1; });
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 1), 0);
  EXPECT_TRUE(FileExists("TMPDOWN"));
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 1), 1);
  EXPECT_FALSE(FileExists("TMPDOWN"));
}

}  // namespace
