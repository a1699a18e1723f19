// Several threads reading, changing and flushing the daily cache at once.
// Run under ThreadSanitizer as well (suite name contains "Concurrency").
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "platform/posix_recorder.h"
#include "shell/app_globals.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr int kStocks = 40;
constexpr int kFirstBars = 50;
constexpr int kWriters = 4;
constexpr int kRoundsPerWriter = 80;
constexpr int kFlusherRounds = 150;
constexpr PackedDate kFirstDay = MakePackedDate(2021, 4, 1);

std::string CodeText(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "%04d", 3000 + i);
  return text;
}

StockCode CodeOf(int i) { return StringToCode(CodeText(i).c_str()); }

// Bar n of every stock: its close tells the bar's position.
PriceBar BarAt(int n) { return {AddCalendarDays(kFirstDay, n), 100 + n, 100 + n, 100 + n, 100 + n, n}; }

std::vector<uint8_t> FileImage(int i, int count) {
  auto series = std::make_unique<BarSeries>();
  series->code = CodeOf(i);
  series->count = count;
  for (int n = 0; n < count; ++n) series->bars[n] = BarAt(n);
  const auto* bytes = reinterpret_cast<const uint8_t*>(series.get());
  return std::vector<uint8_t>(bytes, bytes + SeriesFileBytes(count));
}

// A series is whole when it is the stock's and every bar sits at its place.
bool IsWholeSeries(const BarSeries& series, int i) {
  if (series.code != CodeOf(i) || series.count < kFirstBars || series.count > kMaxBars) return false;
  for (int n = 0; n < series.count; ++n) {
    const PriceBar expected = BarAt(n);
    if (std::memcmp(&series.bars[n], &expected, sizeof(PriceBar)) != 0) return false;
  }
  return true;
}

class DailyCacheConcurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitStockCodeGlobals();
    std::snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str());
    SetSleepRecorded(true);
    ASSERT_TRUE(AllocateStockTable());
    ASSERT_EQ(mkdir("DAY", 0777), 0);
    for (int i = 0; i < kStocks; ++i) {
      StockRecord& record = gStockTable->records[i];
      record = StockRecord{};
      record.master.code = CodeOf(i);
      record.dailyCount = kFirstBars;
      WriteWholeFile("DAY/" + CodeText(i), FileImage(i, kFirstBars));
    }
    gStockTable->count = kStocks;
    ResetStockLookupCache();
    DestroyDailyCache();
    ASSERT_TRUE(CreateDailyCache());
  }

  void TearDown() override {
    DestroyDailyCache();
    gDataFolder[0] = 0;
    gStockTable->count = 0;
    ResetStockLookupCache();
  }

  ScratchFolder folder_;
};

// Writer w owns the stocks i with i % kWriters == w and appends their next
// bar; everyone reads every stock; one thread flushes in all the ways there are.
TEST_F(DailyCacheConcurrencyTest, ReadersWritersAndFlushesKeepEverySeriesWhole) {
  std::atomic<int> broken{0};
  std::vector<int> appended(kStocks, 0);
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      auto series = std::make_unique<BarSeries>();
      for (int round = 0; round < kRoundsPerWriter; ++round) {
        const int own = (round * kWriters + w) % kStocks;
        GetDailyBars(CodeOf(own), series.get());
        if (!IsWholeSeries(*series, own) || series->count != kFirstBars + appended[own]) ++broken;
        series->bars[series->count] = BarAt(series->count);
        ++series->count;
        UpdateDailyBars(CodeOf(own), *series);
        ++appended[own];
        const int other = (round * 7 + w * 13) % kStocks;
        GetDailyBars(CodeOf(other), series.get());
        if (!IsWholeSeries(*series, other)) ++broken;
      }
    });
  }
  threads.emplace_back([&] {
    for (int round = 0; round < kFlusherRounds; ++round) {
      FlushNextDirtyDailyCacheEntry();
      FlushDailyCacheEntry(CodeOf(round % kStocks));
      if (CountDirtyDailyCacheEntries() > kStocks) ++broken;
      if (round % 25 == 0) FlushDailyCache();
      if (round % 40 == 0) FlushAndFreeDailyCache();
      IsDailyCacheSlotFilled(round % kStocks);
    }
  });
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(broken.load(), 0);
  FlushDailyCache();
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
  for (int i = 0; i < kStocks; ++i) {
    EXPECT_EQ(ReadWholeFile(folder_.path() + "DAY/" + CodeText(i)), FileImage(i, kFirstBars + appended[i])) << i;
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

}  // namespace
