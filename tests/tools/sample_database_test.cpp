#include "tools/sample_db/sample_database.h"

#include <cstring>

#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/ken_table.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr PackedDate kEnd = MakePackedDate(2026, 12, 4);

// The same seed gives the same files, and the store reads them as written
// (its own round trips are checked with the store).
TEST(SampleDatabaseTest, TheSameSeedGivesTheSameFilesAndTheStoreReadsThemAsWritten) {
  ScopedGlobalState globals;
  ScratchFolder scratch;
  const std::string folder = scratch.path() + "db/";
  SampleDatabaseOptions options;
  options.stocks = 40;
  options.bars = 700;
  options.seed = 7;
  options.end = kEnd;
  SampleDatabaseSummary summary{};
  for (const std::string& name : {scratch.path() + "again", folder}) {
    options.folder = name;
    ASSERT_EQ(MakeSampleDatabase(options, &summary), 0);
  }
  EXPECT_EQ(Row(summary.tradingDays, summary.lastDate), Row(700, kEnd));
  for (const char* name : {"stock.dat", "BASEDATA/stockinf.dat", "BASEDATA/ken.dat", "DAY/1001"})
    EXPECT_EQ(ReadWholeFile(scratch.path() + "again/" + name), ReadWholeFile(folder + name)) << name;
  snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.c_str());
  memset(gStockTable, 0, sizeof(StockTable));
  ASSERT_TRUE(LoadStockTable());
  ASSERT_EQ(gStockTable->count, 44);
  EXPECT_EQ(gStockTable->records[0].master.code, StringToCode("1001"));
  LoadKenFile();
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  auto series = std::make_unique<BarSeries>();
  for (int i = 0; i < gStockTable->count; ++i) {
    const StockRecord& record = gStockTable->records[i];
    char path[64];
    GetDailyFilePath(record.master.code, path, sizeof path);
    GetDailyBars(record.master.code, series.get());
    ASSERT_TRUE(series->count == record.dailyCount && series->count > 0) << i;
    ASSERT_EQ(ReadWholeFile(folder + std::string(path).replace(3, 1, "/")), SeriesImage(*series)) << i;
    EXPECT_EQ(memcmp(&record.lastBar, &series->bars[series->count - 1], sizeof(PriceBar)), 0);
    for (int b = 1; b < series->count; ++b) {
      const PriceBar& bar = series->bars[b];
      ASSERT_TRUE(bar.date > series->bars[b - 1].date && bar.low <= bar.open && bar.high >= bar.close) << i << " " << b;
    }
  }
  ASSERT_EQ(SaveStockTable(1), 0);  // the generator writes what the program would
  EXPECT_EQ(ReadWholeFile(folder + "stock.dat"), ReadWholeFile(scratch.path() + "again/stock.dat"));
  FlushAndFreeDailyCache();
}

}  // namespace
