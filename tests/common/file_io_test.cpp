#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/posix_recorder.h"
#include "tests/support/row.h"
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

// A whole file or nothing: a file too large leaves the buffer alone. Opens are
// tried three times without waiting, reads ten times with pauses but none
// after the last; a missing file is not retried; a short read is a failure,
// not stale bytes.
TEST_F(FileIoTest, LoadReadsTheWholeFileAndRetriesFailuresAsFarAsThatCanHelp) {
  const struct {
    const char* path;
    void (*faults)(FileFaults&);
    int result;
    uint32_t slept, read;
  } cases[] = {
      {"DAY\\a.dat", [](FileFaults&) {}, 0, 0, 300},
      {"DAY\\empty.dat", [](FileFaults&) {}, 0, 0, 0},
      {"DAY\\big.dat", [](FileFaults&) {}, kFileTooLarge, 0, 0},
      {"DAY\\a.dat", [](FileFaults& f) { f.failOpens = 2; }, 0, 0, 300},
      {"DAY\\a.dat", [](FileFaults& f) { f.failOpens = 3; }, kErrorSharingViolation, 0, 0},
      {"DAY\\a.dat", [](FileFaults& f) { f.failReads = 9; }, 0, 900, 300},
      {"DAY\\a.dat", [](FileFaults& f) { f.failReads = 10; }, kErrorReadFault, 900, 0},
      // A second attempt would find the file; not-found must end at the first.
      {"DAY\\a.dat", [](FileFaults& f) { f.failOpens = 1, f.openError = kErrorFileNotFound; }, kErrorFileNotFound, 0,
       0},
      {"none.dat", [](FileFaults&) {}, kErrorFileNotFound, 0, 0},
      {"NOFOLDER\\a.dat", [](FileFaults&) {}, kErrorPathNotFound, 0, 0},
      {"DAY\\a.dat", [](FileFaults& f) { f.shortReads = 1; }, 0, 100, 300},
      {"DAY\\a.dat", [](FileFaults& f) { f.shortReads = 10; }, kErrorHandleEof, 900, 0},
  };
  ASSERT_EQ(mkdir("DAY", 0777), 0);
  const auto content = Bytes(300, 9);
  WriteWholeFile("DAY/a.dat", content);
  WriteWholeFile("DAY/empty.dat", {});
  WriteWholeFile("DAY/big.dat", Bytes(301, 1));
  for (const auto& c : cases) {
    std::vector<uint8_t> buffer(300, 0xEE);
    uint32_t read = 99;
    InjectFaults(c.faults);
    EXPECT_EQ(LoadFileToBufferEx(c.path, buffer.data(), 300, &read), c.result) << &c - cases;
    EXPECT_EQ(Row(TakeSleptMilliseconds(), read, GetFileFaults().failReads), Row(c.slept, c.read, 0)) << &c - cases;
    if (c.read > 0 || c.result == kFileTooLarge) {
      EXPECT_EQ(buffer, c.read > 0 ? content : std::vector<uint8_t>(300, 0xEE)) << &c - cases;
    }
  }
  EXPECT_EQ(LoadFileToBuffer("DAY\\a.dat", Bytes(300, 0).data(), 300), 0);
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
  EXPECT_TRUE(boxes[0].owner == nullptr && boxes[0].flags == (kMbOk | kMbIconStop));
  EXPECT_EQ(boxes[0].title + boxes[0].text, "エラーなんらかのエラーが発生しました。エラーコードは 30 です。");
}

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
  // The same through the temporary folder "WORK", which it makes.
  int SaveThrough() {
    std::remove("WORK/stockinf.dat");
    rmdir("WORK");
    const int result = SaveBufferToFileThrough("BASEDATA\\stockinf.dat", "WORK", new_.data(), 3000);
    EXPECT_FALSE(FileExists("WORK/stockinf.dat"));
    return result;
  }
  const std::vector<uint8_t> old_ = Bytes(5000, 1);
  const std::vector<uint8_t> new_ = Bytes(3000, 2);
};

TEST_F(SaveBufferTest, EmptyBufferMissingFolderAndLeftoverTemporaryFile) {
  EXPECT_EQ(SaveBufferToFile("BASEDATA\\stockinf.dat", nullptr, 0), 0);
  ExpectFile({});
  EXPECT_EQ(SaveBufferToFile("NOFOLDER\\a.dat", new_.data(), 10), kErrorPathNotFound);
  EXPECT_EQ(TakeSleptMilliseconds(), 1500u) << "four attempts";
  EXPECT_FALSE(FileExists("NOFOLDER"));
  WriteWholeFile("BASEDATA/stockinf.dat.tmp", Bytes(9000, 4));  // a leftover is overwritten
  EXPECT_EQ(Save(), 0);
  ExpectFile(new_);
}

// A failed save keeps the old file; creates are retried at once and then every
// 500 ms (a target busy for a moment is waited for alike), writes ten times.
// Through a folder of its own alike, the folder made at once when missing.
TEST_F(SaveBufferTest, FailuresAreRetriedAndAFinalFailureKeepsTheOldFile) {
  struct Case {
    void (*faults)(FileFaults&);
    int result;
    uint32_t slept;
  };
  const Case cases[] = {
      {[](FileFaults&) {}, 0, 0},
      {[](FileFaults& f) { f.failOpens = 1; }, 0, 0},
      {[](FileFaults& f) { f.failOpens = 3; }, 0, 1000},
      {[](FileFaults& f) { f.failReplaces = 2; }, 0, 500},
      {[](FileFaults& f) { f.failReplaces = 4; }, kErrorAccessDenied, 1500},
      {[](FileFaults& f) { f.failWrites = 2, f.writeBytesBeforeFailure = 1000; }, 0, 400},
      {[](FileFaults& f) { f.failWrites = 10, f.writeBytesBeforeFailure = 1500; }, kErrorDiskFull, 1800},
      {[](FileFaults& f) { f.shortWrites = 1; }, 0, 200},
      {[](FileFaults& f) { f.shortWrites = 10; }, kErrorWriteFault, 1800},
      {[](FileFaults& f) { f.failFlushes = 1; }, kErrorWriteFault, 0},
  };
  for (const Case& c : cases) {
    for (const bool through : {false, true}) {
      WriteWholeFile("BASEDATA/stockinf.dat", old_);
      InjectFaults(c.faults);
      EXPECT_EQ(through ? SaveThrough() : Save(), c.result) << &c - cases;
      EXPECT_EQ(TakeSleptMilliseconds(), c.slept) << &c - cases;
      ExpectFile(c.result == 0 ? new_ : old_);
    }
  }
}

// What a killed save left in the temporary folder is overwritten; the
// target's folder is never made.
TEST_F(SaveBufferTest, ThroughAFolderOfItsOwnALeftoverIsOverwrittenAndTheTargetFolderMustExist) {
  ASSERT_EQ(mkdir("WORK", 0777), 0);
  WriteWholeFile("WORK/stockinf.dat", Bytes(9000, 4));
  EXPECT_EQ(SaveBufferToFileThrough("BASEDATA\\stockinf.dat", "WORK", new_.data(), 3000), 0);
  ExpectFile(new_);
  EXPECT_FALSE(FileExists("WORK/stockinf.dat"));
  EXPECT_EQ(SaveBufferToFileThrough("NOFOLDER\\a.dat", "WORK", new_.data(), 10), kErrorPathNotFound);
  EXPECT_FALSE(FileExists("NOFOLDER") || FileExists("WORK/a.dat"));
}

TEST_F(FileIoTest, SizeMagicAndTheUtcLastWriteDate) {
  WriteWholeFile("three.dat", {1, 2, 3});
  WriteWholeFile("tagged.dat", {0x78, 0x56, 0x34, 0x12, 0xFF});
  EXPECT_EQ(Row(GetFileSizeByName("three.dat"), GetFileSizeByName("none.dat"), ReadFileMagic("three.dat"),
                ReadFileMagic("none.dat"), ReadFileMagic("tagged.dat")),
            Row(3, -1, 0, 0, 0x12345678));
  utimbuf times{};
  times.actime = times.modtime = 1798761599;  // 2026-12-31 23:59:59 UTC
  ASSERT_EQ(utime("three.dat", &times), 0);
  int year = 0, month = 0, day = 0;
  GetFileDate("three.dat", &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20261231);
  GetFileDate("none.dat", &year, &month, &day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 0);
}

// Links are deleted, not followed; a folder that cannot be listed or emptied gives zero.
TEST_F(FileIoTest, DeleteTreeEmptiesTheFolderAndRemovesItOnRequest) {
  for (const char* folder : {"keep", "TMPDOWN", "TMPDOWN/a", "TMPDOWN/a/b"}) ASSERT_EQ(mkdir(folder, 0777), 0);
  for (const char* file : {"keep/precious.dat", "TMPDOWN/1.zip", "TMPDOWN/a/2.zip", "TMPDOWN/a/b/3.zip"})
    WriteWholeFile(file, {7});
  ASSERT_EQ(symlink((folder_.path() + "keep").c_str(), "TMPDOWN/a/link"), 0);
  for (int removeFolder : {0, 1}) {
    InjectFaults([](FileFaults& f) { f.failDeletes = 1; });
    EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", removeFolder), 0);
  }
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 0), 1);
  EXPECT_EQ(rmdir("TMPDOWN"), 0);  // it was there, with nothing left in it
  EXPECT_EQ(ReadWholeFile("keep/precious.dat"), std::vector<uint8_t>{7});
  ASSERT_EQ(mkdir("TMPDOWN", 0777), 0);
  WriteWholeFile("TMPDOWN/1.zip", {1});
  EXPECT_EQ(DeleteDirectoryTree("TMPDOWN\\", 1), 1);
  EXPECT_FALSE(FileExists("TMPDOWN"));
  EXPECT_EQ(DeleteDirectoryTree("NOFOLDER\\", 1), 0) << "an unlistable folder";
}

}  // namespace
