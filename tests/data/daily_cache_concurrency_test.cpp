// Several threads reading, changing and flushing the daily cache at once.
// Run under ThreadSanitizer as well (suite name contains "Concurrency").
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "platform/posix_recorder.h"
#include "tests/support/price_store.h"

namespace {

constexpr int kStocks = 40;
constexpr int kFirstBars = 50;
constexpr int kWriters = 4;
constexpr int kRoundsPerWriter = 80;
constexpr int kFlusherRounds = 150;
constexpr PackedDate kFirstDay = MakePackedDate(2021, 4, 1);

StockCode CodeOf(int i) { return NumberCode(3000 + i); }

// Bar n of every stock: its close tells the bar's position.
PriceBar BarAt(int n) { return {AddCalendarDays(kFirstDay, n), 100 + n, 100 + n, 100 + n, 100 + n, n}; }

std::vector<uint8_t> FileImage(int i, int count) { return SeriesImage(*SeriesOf(CodeOf(i), count, BarAt)); }

// A series is whole when it is the stock's and every bar sits at its place.
bool IsWholeSeries(const BarSeries& series, int i) {
  if (series.code != CodeOf(i) || series.count < kFirstBars || series.count > kMaxBars) return false;
  for (int n = 0; n < series.count; ++n) {
    const PriceBar expected = BarAt(n);
    if (std::memcmp(&series.bars[n], &expected, sizeof(PriceBar)) != 0) return false;
  }
  return true;
}

class DailyCacheConcurrencyTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    for (int i = 0; i < kStocks; ++i) {
      AddStock(CodeOf(i), kFirstBars);
      WriteWholeFile(DayPath(CodeOf(i)), FileImage(i, kFirstBars));
    }
  }
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
    EXPECT_EQ(ReadWholeFile(DayPath(CodeOf(i))), FileImage(i, kFirstBars + appended[i])) << i;
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

}  // namespace
