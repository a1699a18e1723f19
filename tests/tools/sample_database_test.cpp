#include "tools/sample_db/sample_database.h"
#include "tools/sample_db/sample_trend_lines.h"

#include <cstring>

#include "analysis/trend_line_store.h"
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

// The lines lie on the first stocks' own bars (the date line a week after the
// last one) and the loader takes the file as it was written.
TEST(SampleDatabaseTest, TheFirstStocksGetTrendLinesOnTheirOwnBars) {
  ScopedGlobalState globals;
  ScratchFolder scratch;
  SampleDatabaseOptions options;
  options.folder = scratch.path() + "db/";
  options.stocks = 6;
  options.bars = 300;
  options.end = kEnd;
  ASSERT_EQ(MakeSampleDatabase(options, nullptr), 0);
  ASSERT_EQ(WriteSampleTrendLines(), 0);
  const std::vector<uint8_t> written = ReadWholeFile(options.folder + "tline.dat");
  ASSERT_TRUE(LoadTrendLines());
  ASSERT_EQ(gTrendLines->count, 5);
  EXPECT_EQ(written,
            std::vector<uint8_t>(reinterpret_cast<uint8_t*>(gTrendLines), reinterpret_cast<uint8_t*>(gTrendLines + 1)));
  auto series = std::make_unique<BarSeries>();
  for (const TrendLine& line : std::vector<TrendLine>(gTrendLines->lines, gTrendLines->lines + 5)) {
    const int stock = FindStockIndexByCode(line.code);
    ASSERT_TRUE(stock >= 4 && stock < 4 + kSampleTrendLineStocks);
    GetDailyBars(line.code, series.get());
    const PackedDate first = series->bars[0].date, last = series->bars[series->count - 1].date;
    const bool dateLine = line.monitorKind == kMonitorDate;
    EXPECT_TRUE(dateLine ? line.date1 == line.date2 && line.date1 > last
                         : line.date1 >= first && line.date1 <= line.date2 && line.date2 <= last && line.value1 > 0);
  }
  FlushAndFreeDailyCache();
}

}  // namespace
