#include "shell/price_maintenance_commands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/backups.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/price_maintenance.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "shell/commands.h"
#include "shell/price_update.h"
#include "tests/support/price_store.h"

namespace {

constexpr PackedDate kDeleted = MakePackedDate(2026, 12, 2);

struct Fake {
  int dateDialogs = 0, recomputes = 0;
  PackedDate date = kDeleted;
};
Fake gFake;

std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const RecordedMessageBox& box : TakeRecordedMessageBoxes()) texts.push_back(box.text);
  return texts;
}

class PriceMaintenanceCommands : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ResetPlatformRecorder();
    SetSleepRecorded(true);
    gFake = Fake{};
    gMaintenanceServices.askDeleteDate = [] {
      ++gFake.dateDialogs;
      return gFake.date;
    };
    gMaintenanceServices.recomputeIndicatorsAndGroups = [] {
      ++gFake.recomputes;
      return true;
    };
  }
  void TearDown() override {
    gMaintenanceServices = {};
    ResetPlatformRecorder();
    PriceStoreTest::TearDown();
  }
  void AddStockWithDates(int number, std::vector<PackedDate> dates) {
    auto series = SeriesOf(NumberCode(number), static_cast<int>(dates.size()),
                           [&](int i) { return PriceBar{dates[static_cast<size_t>(i)], 100, 100, 100, 100, 10}; });
    ApplySeriesToRecord(AddStock(series->code, series->count), *series, GetTodayPacked(), false);
    ASSERT_EQ(WriteDailyFile(series->code, *series), 0);
  }
  // A master file of `bytes` bytes whose count says `count`, its records "%04d" of 1000 + n.
  std::string WriteMasterFile(uint64_t bytes, int32_t count) {
    std::vector<uint8_t> file(static_cast<size_t>(bytes), 0);
    std::memcpy(file.data(), &count, sizeof count);
    const int records = static_cast<int>((bytes - 4) / sizeof(StockMasterRecord));
    for (int n = 0; n < records; ++n) {
      StockMasterRecord record{};
      record.code = NumberCode(1000 + n);
      snprintf(record.name, sizeof record.name, "S%d", n);
      record.marketId = 1;
      std::memcpy(file.data() + 4 + sizeof(StockMasterRecord) * static_cast<size_t>(n), &record, sizeof record);
    }
    const std::string path = folder_.path() + "stockinf.dat";
    FILE* out = fopen(path.c_str(), "wb");
    fwrite(file.data(), 1, file.size(), out);
    fclose(out);
    return path;
  }
};

TEST_F(PriceMaintenanceCommands, InTimeBackModeOnlyTheGapReportRuns) {
  AddStockWithDates(1301, {MakePackedDate(2026, 6, 1), MakePackedDate(2026, 9, 1), MakePackedDate(2099, 1, 1)});
  gTimeBackMode = 1;
  for (int command :
       {IDM_REMOVE_FUTURE_BARS, IDM_DELETE_BARS_AT_DATE, IDM_RESTORE_PRICE_BACKUP, IDM_APPLY_STOCK_MASTER}) {
    EXPECT_EQ(OnMainCommand(nullptr, command), 1) << command;
    EXPECT_TRUE(TakeRecordedMessageBoxes().empty()) << command;
  }
  EXPECT_EQ(gFake.dateDialogs, 0);
  EXPECT_TRUE(TakeRecordedFileDialogs().empty());
  EXPECT_EQ(gStockTable->records[0].dailyCount, 3);

  EXPECT_EQ(OnMainCommand(nullptr, IDM_REPORT_LONG_GAPS), 1);
  const std::vector<std::string> texts = BoxTexts();
  ASSERT_EQ(texts.size(), 3u);  // the question, the stock, the count
  EXPECT_EQ(texts[1].rfind("1301 ", 0), 0u);
  EXPECT_EQ(texts[2], "1件の不正データを発見しました。");
}

TEST_F(PriceMaintenanceCommands, DeletingADateTellsWhatWentAndRecomputesOnlyThen) {
  AddStockWithDates(1301, {MakePackedDate(2026, 12, 1), kDeleted});
  AddStockWithDates(1302, {kDeleted, MakePackedDate(2026, 12, 3)});
  EXPECT_EQ(OnMainCommand(nullptr, IDM_DELETE_BARS_AT_DATE), 1);
  std::vector<std::string> texts = BoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("2026年12月2日"), std::string::npos);
  EXPECT_EQ(texts[1], "2銘柄から、合計2件のレコードを削除しました。");
  EXPECT_EQ(gFake.recomputes, 1);

  gRecomputeNeeded = 0;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_DELETE_BARS_AT_DATE), 1);
  texts = BoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "該当するレコードは見つかりませんでした。");
  EXPECT_EQ(gFake.recomputes, 1);

  QueueMessageBoxAnswer(kIdCancel);
  gFake.date = MakePackedDate(2026, 12, 1);
  OnMainCommand(nullptr, IDM_DELETE_BARS_AT_DATE);
  EXPECT_EQ(gStockTable->records[0].dailyCount, 1);
  gFake.date = 0;
  OnMainCommand(nullptr, IDM_DELETE_BARS_AT_DATE);
  EXPECT_EQ(BoxTexts().size(), 1u);  // only the cancelled question
}

TEST_F(PriceMaintenanceCommands, FutureBarsCountEachStockOnce) {
  const PackedDate today = GetTodayPacked();
  AddStockWithDates(1301, {AddCalendarDays(today, 1), AddCalendarDays(today, 2)});
  AddStockWithDates(1302, {AddCalendarDays(today, -1)});
  EXPECT_EQ(OnMainCommand(nullptr, IDM_REMOVE_FUTURE_BARS), 1);
  std::vector<std::string> texts = BoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "1件の不正データを発見、除去しました。");
  EXPECT_EQ(gStockTable->records[0].dailyCount, 0);
  OnMainCommand(nullptr, IDM_REMOVE_FUTURE_BARS);
  texts = BoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "不正なデータは見つかりませんでした。");
  EXPECT_EQ(gFake.recomputes, 1);
}

// A repair told as done is on disk, for the stock held in the cache as for
// the other; one whose file cannot be written is told as a failure, and that
// stock is left as it was.
TEST_F(PriceMaintenanceCommands, EveryRepairedSeriesIsInItsFileWhenTheResultIsTold) {
  SetFixedClock(1796601600, 9 * 3600);  // 2026-12-07
  const PackedDate future = MakePackedDate(2026, 12, 10), kept = MakePackedDate(2026, 12, 1);
  const struct {
    int command;
    PackedDate dropped;
    bool fails;
    const char* told;
  } cases[] = {
      {IDM_REMOVE_FUTURE_BARS, future, false, "2件の不正データを発見、除去しました。"},
      {IDM_DELETE_BARS_AT_DATE, kDeleted, false, "2銘柄から、合計2件のレコードを削除しました。"},
      {IDM_REMOVE_FUTURE_BARS, future, true, "日足ファイル(DAY\\1321)を書き込めませんでした。"},
      {IDM_DELETE_BARS_AT_DATE, kDeleted, true, "日足ファイル(DAY\\1331)を書き込めませんでした。"},
  };
  int number = 1301;
  for (const auto& c : cases) {
    const int first = gStockTable->count;
    for (int n : {number, number + 1}) AddStockWithDates(n, {kept, c.dropped});
    auto cached = std::make_unique<BarSeries>();
    GetDailyBars(NumberCode(number), cached.get());
    FileFaults faults;
    faults.failWrites = c.fails ? 100 : 0;
    SetFileFaults(faults);
    EXPECT_EQ(OnMainCommand(nullptr, c.command), 1);
    SetFileFaults(FileFaults{});
    EXPECT_EQ(BoxTexts().back().rfind(c.told, 0), 0u) << c.told;
    for (int n : {number, number + 1}) {
      auto expected = SeriesOf(NumberCode(n), c.fails ? 2 : 1,
                               [&](int i) { return PriceBar{i == 0 ? kept : c.dropped, 100, 100, 100, 100, 10}; });
      EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(n))), SeriesImage(*expected)) << n;
      EXPECT_EQ(gStockTable->records[first + n - number].dailyCount, expected->count) << n;
    }
    number += 10;
  }
}

TEST_F(PriceMaintenanceCommands, MasterFilesOfOtherSizesAreIgnoredAndOldOnesStayInTheirRecords) {
  AddStockWithDates(1301, {MakePackedDate(2026, 12, 1)});
  const struct {
    uint64_t bytes;
    int32_t count;
    int stocksAfter;
  } cases[] = {{780005, 10, 1}, {624003, 10, 1}, {624004, 5000, 4000}, {780004, 20, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    QueueFileDialogAnswer(WriteMasterFile(c.bytes, c.count));
    EXPECT_EQ(OnMainCommand(nullptr, IDM_APPLY_STOCK_MASTER), 1);
    EXPECT_EQ(gStockTable->count, c.stocksAfter);
    EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  }
}

// A restore from the menu over a backup "20261203_093000" that holds the
// daily files of 1301 and 1302 as they are now; restores and exits put back
// as they were.
class MenuRestore : public PriceMaintenanceCommands {
 protected:
  void SetUp() override {
    PriceMaintenanceCommands::SetUp();
    documents_ = folder_.path() + "docs/";
    gGetDocumentsFolder = [](char* out, int size) {
      snprintf(out, static_cast<size_t>(size), "%s", documents_.c_str());
      return true;
    };
    gPriceUpdateServices.recomputeIndicatorsAndGroups = [] { return true; };
    AddStockWithDates(1301, {MakePackedDate(2026, 12, 1), MakePackedDate(2026, 12, 2)});
    AddStockWithDates(1302, {MakePackedDate(2026, 12, 2)});
    backup_ = documents_ + "Mirastovelkin22/Backups/20261203_093000/";
    for (const std::string& sub : {documents_, documents_ + "Mirastovelkin22", documents_ + "Mirastovelkin22/Backups",
                                   backup_, backup_ + "DAY", backup_ + "BASEDATA"})
      ASSERT_EQ(PlatformCreateFolder(sub.c_str()), 0) << sub;
    for (int number : {1301, 1302})
      WriteWholeFile(backup_ + DayPath(NumberCode(number)), ReadWholeFile(DayPath(NumberCode(number))));
    gMaintenanceServices.chooseBackup = [](const char* const* names, int count) {
      return count == 1 && std::string(names[0]) == "20261203_093000" ? 0 : -1;
    };
  }

  static std::string documents_;
  std::string backup_;
};
std::string MenuRestore::documents_;

// Live bars changed in the cache and not yet written must not reach the
// files after a restore: every daily file is then the backup's.
TEST_F(MenuRestore, AChangedCachedSeriesLeavesEveryDailyFileAsTheBackup) {
  auto changed =
      SeriesOf(NumberCode(1301), 1, [](int) { return PriceBar{MakePackedDate(2026, 12, 4), 1, 1, 1, 1, 1}; });
  auto shown = std::make_unique<BarSeries>();
  GetDailyBars(NumberCode(1301), shown.get());
  UpdateDailyBars(NumberCode(1301), *changed);
  ASSERT_EQ(CountDirtyDailyCacheEntries(), 1);
  WriteWholeFile(DayPath(NumberCode(1302)), {1, 2, 3});
  EXPECT_EQ(OnMainCommand(nullptr, IDM_RESTORE_PRICE_BACKUP), 1);
  for (int number : {1301, 1302})
    EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(number))), ReadWholeFile(backup_ + DayPath(NumberCode(number))))
        << number;
  EXPECT_EQ(BoxTexts().back(), "株価バックアップからの復旧が完了しました。");
}

TEST_F(MenuRestore, AFailedCopyAsksToCheckTheBackupAndKeepsThePrices) {
  WriteWholeFile(DayPath(NumberCode(1302)), {1, 2, 3});
  FileFaults faults;
  faults.failCopies = 1;
  SetFileFaults(faults);
  EXPECT_EQ(OnMainCommand(nullptr, IDM_RESTORE_PRICE_BACKUP), 1);
  SetFileFaults(FileFaults{});
  EXPECT_EQ(BoxTexts().back(),
            "復旧に失敗しました。バックアップフォルダの内容をご確認ください。\n株価データは元のままです。");
  EXPECT_EQ(ReadWholeFile(DayPath(NumberCode(1302))), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
