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

SampleDatabaseOptions SmallDatabase(const std::string& folder) {
  SampleDatabaseOptions options;
  options.folder = folder;
  options.stocks = 40;
  options.bars = 700;
  options.seed = 7;
  options.end = kEnd;
  return options;
}

class SampleDatabaseTest : public ::testing::Test {
 protected:
  ScopedGlobalState globals_;
  ScratchFolder scratch_;
};

TEST_F(SampleDatabaseTest, TheSameSeedGivesTheSameFiles) {
  SampleDatabaseSummary first{}, second{};
  ASSERT_EQ(MakeSampleDatabase(SmallDatabase(scratch_.path() + "a"), &first), 0);
  ASSERT_EQ(MakeSampleDatabase(SmallDatabase(scratch_.path() + "b"), &second), 0);
  EXPECT_EQ(Row(first.tradingDays, first.lastDate), Row(700, kEnd));
  for (const char* name : {"stock.dat", "BASEDATA/stockinf.dat", "BASEDATA/ken.dat", "DAY/1001"})
    EXPECT_EQ(ReadWholeFile(scratch_.path() + "a/" + name), ReadWholeFile(scratch_.path() + "b/" + name)) << name;
}

// The database loads through the store, and writing it back changes no byte.
TEST_F(SampleDatabaseTest, LoadsAndRoundTripsByteForByte) {
  const std::string folder = scratch_.path() + "db/";
  ASSERT_EQ(MakeSampleDatabase(SmallDatabase(folder), nullptr), 0);
  snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.c_str());
  const auto stockFile = ReadWholeFile(folder + "stock.dat");
  const auto kenFile = ReadWholeFile(folder + "BASEDATA/ken.dat");
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
    const std::string file = folder + std::string(path).replace(3, 1, "/");
    const auto fileBytes = ReadWholeFile(file);
    GetDailyBars(record.master.code, series.get());
    ASSERT_EQ(series->count, record.dailyCount) << i;
    ASSERT_GT(series->count, 0);
    ASSERT_EQ(fileBytes, SeriesImage(*series)) << i;
    EXPECT_EQ(memcmp(&record.lastBar, &series->bars[series->count - 1], sizeof(PriceBar)), 0);
    for (int b = 1; b < series->count; ++b) {
      ASSERT_GT(series->bars[b].date, series->bars[b - 1].date);
      ASSERT_LE(series->bars[b].low, series->bars[b].open);
      ASSERT_GE(series->bars[b].high, series->bars[b].close);
    }
    ASSERT_EQ(SaveDailyFile(record.master.code, series.get()), 0);
    EXPECT_EQ(ReadWholeFile(file), fileBytes);
  }
  ASSERT_EQ(SaveStockTable(1), 0);
  EXPECT_EQ(ReadWholeFile(folder + "stock.dat"), stockFile);
  ASSERT_EQ(SaveKenFile(), 0);
  EXPECT_EQ(ReadWholeFile(folder + "BASEDATA/ken.dat"), kenFile);
  FlushAndFreeDailyCache();
}

}  // namespace
