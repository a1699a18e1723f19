#include "shell/backup_run.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
#include "tests/support/backup_names.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

std::string gDocuments;
int gReloads = 0;
int gWorkerStops = 0;

bool ScratchDocuments(char* out, int size) {
  return std::snprintf(out, static_cast<size_t>(size), "%s", gDocuments.c_str()) < size;
}

// Stocks 1001 and 7203 with their daily files, a Documents folder of the
// test's own and a fixed clock (2026-12-07 09:00 local).
class BackupRunTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gDocuments = folder_.path() + "docs";
    ASSERT_EQ(mkdir(gDocuments.c_str(), 0777), 0);
    gGetDocumentsFolder = ScratchDocuments;
    gBackupServices = {[] { ++gReloads; }, [] { ++gWorkerStops; }};
    gReloads = gWorkerStops = 0;
    SetFixedClock(1796601600, 9 * 3600);
    for (int code : {1001, 7203}) {
      AddStock(NumberCode(code), 30);
      WriteWholeFile(DayPath(NumberCode(code)), Series(code, 30));
    }
    WriteWholeFile(folder_.path() + "BASEDATA/ken.dat", {1, 2, 3});
    WriteWholeFile(folder_.path() + "stock.dat", {0});
  }
  void TearDown() override {
    gGetDocumentsFolder = nullptr;
    gBackupRootFolder[0] = 0;
    gSettingsP2 = SettingsBlockP2{};
    PriceStoreTest::TearDown();
  }
  static std::vector<uint8_t> Series(int code, int count, int close = 100) {
    return SeriesImage(*SeriesOf(NumberCode(code), count, [&](int i) {
      return PriceBar{AddCalendarDays(MakePackedDate(2026, 1, 5), i), close, close, close, close, 1000};
    }));
  }
};

TEST_F(BackupRunTest, RestoreOverADirtyCacheEntryLeavesEveryDailyFileAsInTheBackup) {
  ASSERT_EQ(RunBackup(true), 0);
  const auto backedUp = ReadWholeFile(DayPath(NumberCode(7203)));
  // A change held only in the cache, newer than the backup.
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(NumberCode(7203), series.get());
  series->bars[29].close = 555;
  UpdateDailyBars(NumberCode(7203), *series);
  ASSERT_EQ(CountDirtyDailyCacheEntries(), 1);
  ASSERT_EQ(RestoreBackupWithProgress(ListedBackups().at(0).c_str()), 0);
  // The table of the restored folders is on disk at once, not only at exit.
  EXPECT_EQ(GetFileSizeByName((folder_.path() + "stock.dat").c_str()), static_cast<int64_t>(sizeof(StockTable)));
  FlushAndFreeDailyCache();  // as the exit or the next table rebuild would
  EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(7203))), backedUp);
  EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(1001))), Series(1001, 30));
  EXPECT_EQ(Row(gReloads, gWorkerStops), Row(1, 1));
}

TEST_F(BackupRunTest, RestoreThatCannotWriteTheCacheOrCopyChangesNothing) {
  ASSERT_EQ(RunBackup(true), 0);
  WriteWholeFile(DayPath(NumberCode(7203)), Series(7203, 31));
  const std::string name = ListedBackups().at(0);
  struct Case {
    const char* what;
    bool dirtyUnwritable;
    int failCopies;
  };
  for (const Case& c : {Case{"cache", true, 0}, Case{"copy", false, 1}, Case{"empty name", false, 0}}) {
    SCOPED_TRACE(c.what);
    if (c.dirtyUnwritable) {
      auto series = std::make_unique<BarSeries>();
      GetDailyBars(NumberCode(1001), series.get());
      series->bars[0].close = 7;
      UpdateDailyBars(NumberCode(1001), *series);
      FileFaults faults;
      faults.failReplaces = 100000;
      SetFileFaults(faults);
    } else {
      FileFaults faults;
      faults.failCopies = c.failCopies;
      SetFileFaults(faults);
    }
    TakeRecordedMessageBoxes();
    EXPECT_EQ(RestoreBackupWithProgress(c.failCopies == 0 && !c.dirtyUnwritable ? "" : name.c_str()), 1);
    SetFileFaults(FileFaults{});
    EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(7203))), Series(7203, 31));
    EXPECT_EQ(gReloads, 0);
    if (c.failCopies > 0) EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
    FlushAndFreeDailyCache();
  }
}

TEST_F(BackupRunTest, MonthlyBackupAtExitIsRecordedOnlyWhenComplete) {
  struct Case {
    const char* what;
    int recorded;
    int referenceBars;
    int failCopies;
    bool made;
    int recordedAfter;
  };
  const Case cases[] = {
      {"this month already", 20261201, 30, 0, false, 20261201},
      {"too few index bars", 20261105, 19, 0, false, 20261105},
      {"damaged index file, no box at exit", 20261105, -1, 0, false, 20261105},
      {"copy fails", 20261105, 30, 1, false, 20261105},
      {"new month", 20261105, 30, 0, true, 20261207},
      {"same month a year ago", 20251207, 20, 0, true, 20261207},
  };
  int second = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetFixedClock(1796601600 + ++second, 9 * 3600);  // a folder of its own each time
    WriteWholeFile(DayPath(NumberCode(1001)),
                   c.referenceBars < 0 ? std::vector<uint8_t>{1, 2, 3} : Series(1001, c.referenceBars));
    FlushAndFreeDailyCache();
    gSettingsP2.lastMonthlyBackupDate = c.recorded;
    FileFaults faults;
    faults.failCopies = c.failCopies;
    SetFileFaults(faults);
    const size_t before = ListedBackups().size();
    TakeRecordedMessageBoxes();
    EXPECT_EQ(RunMonthlyBackupAtExit(), c.made);
    SetFileFaults(FileFaults{});
    EXPECT_EQ(Row(ListedBackups().size(), gSettingsP2.lastMonthlyBackupDate, TakeRecordedMessageBoxes().size()),
              Row(std::min<size_t>(before + (c.made ? 1 : 0), kBackupKeepCount), c.recordedAfter, 0u));
    if (c.made) EXPECT_TRUE(FileExists(folder_.path() + "velqo_p2.dat"));
  }
}

TEST_F(BackupRunTest, FirstRunAsksBeforeReplacingPriceFiles) {
  ASSERT_EQ(RunBackup(true), 0);
  WriteWholeFile(DayPath(NumberCode(7203)), Series(7203, 31));
  for (const int answer : {kIdNo, kIdYes}) {
    SCOPED_TRACE(answer);
    TakeRecordedMessageBoxes();
    QueueMessageBoxAnswer(answer);
    EXPECT_EQ(OfferRestoreAtFirstRun(), answer == kIdYes ? 0 : 1);
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].flags & 0xF, kMbYesNo);
    EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(7203))), Series(7203, answer == kIdYes ? 30 : 31));
  }
  // An empty "DAY" is filled without a question.
  DeleteDirectoryTree((folder_.path() + "DAY/").c_str(), 0);
  EXPECT_TRUE(IsFirstRunForRestore());
  EXPECT_EQ(OfferRestoreAtFirstRun(), 0);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_FALSE(IsFirstRunForRestore());
}

// The folders a restore cut short by a kill leaves at each of its steps: the
// start puts the live ones back, throws the copies away, tells and offers the
// restore again. After the last step the restore is complete and nothing is told.
TEST_F(BackupRunTest, AStartAfterACutShortRestorePutsTheLiveFoldersBackAndOffersItAgain) {
  ASSERT_EQ(RunBackup(true), 0);
  const std::string data = folder_.path();
  const auto fill = [&](const std::string& folder, int bars) {
    for (const char* sub : {"", "DAY", "BASEDATA"}) mkdir((folder + sub).c_str(), 0777);
    for (int code : {1001, 7203}) WriteWholeFile(folder + DayPath(NumberCode(code)), Series(code, bars));
    WriteWholeFile(folder + "BASEDATA/ken.dat", {static_cast<uint8_t>(bars)});
  };
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> moves;  // from the live and the copied folders
    bool cutShort;
  } cases[] = {
      {"copying", {{"new/DAY", "DAY.restore"}}, true},
      {"DAY aside", {{"DAY", "DAY.old"}, {"new/DAY", "DAY.restore"}, {"new/BASEDATA", "BASEDATA.restore"}}, true},
      {"BASEDATA aside",
       {{"DAY", "DAY.old"}, {"new/DAY", "DAY"}, {"BASEDATA", "BASEDATA.old"}, {"new/BASEDATA", "BASEDATA.restore"}},
       true},
      {"swapped, old ones left",
       {{"DAY", "DAY.old"}, {"new/DAY", "DAY"}, {"BASEDATA", "BASEDATA.old"}, {"new/BASEDATA", "BASEDATA"}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* sub : {"DAY/", "BASEDATA/", "new/"}) DeleteDirectoryTree((data + sub).c_str(), 1);
    fill(data, 30);
    fill(data + "new/", 5);
    for (const auto& [from, to] : c.moves)
      ASSERT_EQ(std::rename((data + from).c_str(), (data + to).c_str()), 0) << from;
    UndoInterruptedRestoreAtStart();
    TakeRecordedMessageBoxes();
    if (c.cutShort) {
      QueueMessageBoxAnswer(kIdOk);
      QueueMessageBoxAnswer(kIdNo);  // not over the price files there
    }
    EXPECT_EQ(OfferRestoreAtStart(false), 1);
    const auto boxes = TakeRecordedMessageBoxes();
    const int bars = c.cutShort ? 30 : 5;
    for (int code : {1001, 7203}) EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(code))), Series(code, bars)) << code;
    EXPECT_EQ(ReadWholeFile(data + "BASEDATA/ken.dat"), std::vector<uint8_t>{static_cast<uint8_t>(bars)});
    for (const char* leftover : {"DAY.restore", "DAY.old", "BASEDATA.restore", "BASEDATA.old"})
      EXPECT_FALSE(FileExists(data + leftover)) << leftover;
    ASSERT_EQ(boxes.size(), c.cutShort ? 2u : 0u);
    if (c.cutShort) {
      EXPECT_EQ(
          boxes[0].text,
          "前回のバックアップからの復旧は途中で中断されたため、行われていません。\n株価データは復旧前のままです。");
    }
  }
}

TEST_F(BackupRunTest, AMenuBackupTellsItsOutcomeAndAFailedOneKeepsTheOlderBackups) {
  struct Case {
    int failCopies;
    int result;
    const char* text;
    unsigned icon;
  };
  const Case cases[] = {
      {0, 0, "バックアップが正常に完了しました。", kMbIconInformation},
      {1, 1, "バックアップ中にエラーが発生しました。", kMbIconStop},
  };
  int second = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failCopies);
    SetFixedClock(1796601600 + ++second, 9 * 3600);
    FileFaults faults;
    faults.failCopies = c.failCopies;
    SetFileFaults(faults);
    TakeRecordedMessageBoxes();
    EXPECT_EQ(RunBackup(false), c.result);
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].flags & 0xF0, c.icon);
  }
  EXPECT_EQ(ListedBackups(), std::vector<std::string>{"20261207_090001"});
}

}  // namespace
