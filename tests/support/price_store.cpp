#include "tests/support/price_store.h"

#include <sys/stat.h>

#include <cstdio>

#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "common/progress.h"

StockCode NumberCode(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", n);
  return StringToCode(text);
}

std::string DayPath(StockCode code) { return std::string("DAY/") + CodeToString(code); }

std::vector<StockCode> TableCodes() {
  std::vector<StockCode> codes;
  for (int i = 0; i < gStockTable->count; ++i) codes.push_back(gStockTable->records[i].master.code);
  return codes;
}

std::vector<uint8_t> SeriesImage(const BarSeries& series, int count) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&series);
  return std::vector<uint8_t>(bytes, bytes + SeriesFileBytes(count < 0 ? series.count : count));
}

void PriceStoreTest::SetUp() {
  std::snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str());
  SetSleepRecorded(true);
  ASSERT_TRUE(AllocateStockTable());
  ASSERT_EQ(mkdir("DAY", 0777), 0);
  ASSERT_EQ(mkdir("BASEDATA", 0777), 0);
  ASSERT_TRUE(CreateDailyCache());
}

void PriceStoreTest::TearDown() { EndProgress(); }

StockRecord& PriceStoreTest::AddStock(StockCode code, int dailyCount) {
  StockRecord& record = gStockTable->records[gStockTable->count++];
  record = StockRecord{};
  record.master.code = code;
  record.dailyCount = dailyCount;
  ResetStockLookupCache();
  return record;
}
