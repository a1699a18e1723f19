// The advance/decline store: counting, ratios, their files and their
// placement on each stock's dates. Suites named *Concurrency* also run
// under ThreadSanitizer.
#include "analysis/market_breadth.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "shell/app_globals.h"
#include "shell/settings.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr PackedDate kFirstDay = MakePackedDate(2020, 1, 6);
constexpr int kIndexBars = 120;
constexpr int kStocks = 24;

PackedDate DayAt(int n) { return AddCalendarDays(kFirstDay, n); }

StockCode StockCodeAt(int i) {
  char text[8];
  snprintf(text, sizeof text, "%04d", 2000 + i);
  return StringToCode(text);
}

std::unique_ptr<IntSeries> NewIntSeries(std::vector<int32_t> values) {
  auto series = std::make_unique<IntSeries>();
  series->count = static_cast<int32_t>(values.size());
  for (size_t i = 0; i < values.size(); ++i) series->values[i] = values[i];
  return series;
}

// Bars on the given day numbers with the given closes.
std::unique_ptr<BarSeries> BarsOn(StockCode code, const std::vector<int>& days, const std::vector<int32_t>& closes) {
  auto series = std::make_unique<BarSeries>();
  series->code = code;
  series->count = static_cast<int32_t>(days.size());
  for (size_t i = 0; i < days.size(); ++i) {
    const int32_t c = closes[i];
    series->bars[i] = {DayAt(days[i]), c, c + 5, c - 5, c, 1000};
  }
  return series;
}

// A stock listed on day `first`, skipping the days the pattern picks, with a
// random walk of closes (unchanged closes included).
std::unique_ptr<BarSeries> RandomStock(StockCode code, std::mt19937& random, int first, int lastDay) {
  std::vector<int> days;
  std::vector<int32_t> closes;
  int32_t close = 500;
  for (int d = first; d <= lastDay; ++d) {
    if (random() % 9 == 0) continue;
    close = std::max<int32_t>(1, close + static_cast<int32_t>(random() % 7) - 3);
    days.push_back(d);
    closes.push_back(close);
  }
  return BarsOn(code, days, closes);
}

std::vector<int> DayRange(int first, int count) {
  std::vector<int> days;
  for (int d = first; d < first + count; ++d) days.push_back(d);
  return days;
}

std::vector<int32_t> IndexCloses(int count) {
  std::vector<int32_t> closes;
  for (int i = 0; i < count; ++i) closes.push_back(10000 + (i * 37) % 200);
  return closes;
}

std::vector<int32_t> Values(const IntSeries& series) {
  return std::vector<int32_t>(series.values, series.values + series.count);
}

class MarketBreadthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitStockCodeGlobals();
    snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str());
    ASSERT_EQ(mkdir("DAY", 0777), 0);
    ASSERT_TRUE(AllocateStockTable());
    ASSERT_TRUE(AllocateKernelScratchSet(&gMainScratch));
    DestroyDailyCache();
    ASSERT_TRUE(CreateDailyCache());
    SetDefaultIndicatorParameters();
    for (IndicatorParameterSet& set : gIndicatorParams) set.slot[38] = 2;
    gRecomputeNeeded = 1;
    gGroupsDirty = 1;
  }

  void TearDown() override {
    DestroyDailyCache();
    FreeKernelScratchSet(&gMainScratch);
    gStockTable->count = 0;
    ResetStockLookupCache();
    gDataFolder[0] = 0;
  }

  // The table: "1001" and the given stocks, each with its daily file.
  void InstallStocks(const BarSeries& index, const std::vector<const BarSeries*>& stocks) {
    std::vector<const BarSeries*> all{&index};
    all.insert(all.end(), stocks.begin(), stocks.end());
    gStockTable->count = 0;
    for (const BarSeries* series : all) {
      StockRecord& record = gStockTable->records[gStockTable->count++];
      record = StockRecord{};
      record.master.code = series->code;
      record.master.marketFlags = kBreadthMarketFlag;
      ASSERT_EQ(WriteDailyFile(series->code, *series), 0);
    }
    ResetStockLookupCache();
  }

  // One all-stock run over the stocks' daily, weekly and monthly bars.
  static void CountStocks(const std::vector<const BarSeries*>& stocks) {
    auto weekly = std::make_unique<BarSeries>();
    auto monthly = std::make_unique<BarSeries>();
    for (const BarSeries* daily : stocks) {
      BuildWeeklyBars(*daily, weekly.get());
      BuildMonthlyBars(*daily, monthly.get());
      CountAdvancesDeclinesAllPeriods(*daily, *weekly, *monthly);
    }
  }

  std::unique_ptr<BarSeries> index_ = BarsOn(StringToCode("1001"), DayRange(0, kIndexBars), IndexCloses(kIndexBars));
  ScratchFolder folder_;
};

// ---- Ratios ------------------------------------------------------------------------------

TEST_F(MarketBreadthTest, RatiosCompareTheAveragedCounts) {
  auto ratios = std::make_unique<MarketBreadthSeries>();
  auto even = NewIntSeries({4, 4, 4, 4, 4, 4});
  ComputeBreadthRatios(ratios.get(), *even, *even, 3, gMainScratch);
  EXPECT_EQ(Values(*ratios), std::vector<int32_t>(6, 10000));

  auto advances = NewIntSeries({6, 6, 6, 6, 1, 1});
  auto declines = NewIntSeries({3, 3, 3, 0, 0, 0});
  ComputeBreadthRatios(ratios.get(), *advances, *declines, 2, gMainScratch);
  // Averages over two bars: declines 3, 3, 3, 1 (1.5), 0, 0.
  EXPECT_EQ(Values(*ratios), (std::vector<int32_t>{20000, 20000, 20000, 60000, 0, 0}));
}

// ---- Counting ----------------------------------------------------------------------------

TEST_F(MarketBreadthTest, CountsMovedClosesOnTheIndexBarOfTheSameDate) {
  auto index = BarsOn(StringToCode("1001"), {0, 1, 2, 4, 5, 6}, IndexCloses(6));
  auto advances = NewIntSeries(std::vector<int32_t>(6, 0));
  auto declines = NewIntSeries(std::vector<int32_t>(6, 0));
  // Day 3 is not an index day: its move is counted nowhere, and day 4 then
  // compares with day 3. Day 5 is unchanged.
  auto stock = BarsOn(StockCodeAt(0), {1, 2, 3, 4, 5, 6}, {100, 105, 103, 101, 101, 99});
  CountAdvancesDeclines(*stock, *index, advances.get(), declines.get());
  EXPECT_EQ(Values(*advances), (std::vector<int32_t>{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Values(*declines), (std::vector<int32_t>{0, 0, 0, 1, 0, 1}));
}

// ---- Stock series ------------------------------------------------------------------------

TEST_F(MarketBreadthTest, StockSeriesRepeatsThePreviousRatioOnAGapDay) {
  InstallStocks(*index_, {});
  ASSERT_TRUE(InitMarketBreadth());
  // Ratios as a run leaves them, on index days 0..119 but for day 12, which
  // the index lacks: ratio 7000 + day.
  MarketBreadthSeries& ratios = *gBreadthRatios[0];
  BreadthDates& dates = *gBreadthRatioDates[0];
  ratios.count = dates.count = 0;
  for (int day = 0; day < kIndexBars; ++day) {
    if (day == 12) continue;
    ratios.values[ratios.count++] = 7000 + day;
    dates.dates[dates.count++] = DayAt(day);
  }

  auto stock = BarsOn(StockCodeAt(0), {10, 11, 12, 13}, {1, 2, 3, 4});
  IntSeries out{};
  BuildStockAdrSeries(0, *stock, &out);
  EXPECT_EQ(Values(out), (std::vector<int32_t>{7010, 7011, 7011, 7013}));

  // Before the first matched date: the even ratio.
  auto early = BarsOn(StockCodeAt(1), {-3, -2, 0}, {1, 2, 3});
  BuildStockAdrSeries(0, *early, &out);
  EXPECT_EQ(Values(out), (std::vector<int32_t>{10000, 10000, 7000}));
}

TEST_F(MarketBreadthTest, RatiosStayOnTheirDatesWhenTheIndexLosesItsOldestBar) {
  std::mt19937 random(5);
  std::vector<std::unique_ptr<BarSeries>> stocks;
  std::vector<const BarSeries*> list;
  for (int i = 0; i < kStocks; ++i) {
    stocks.push_back(RandomStock(StockCodeAt(i), random, static_cast<int>(random() % 20), kIndexBars - 1));
    list.push_back(stocks.back().get());
  }
  InstallStocks(*index_, list);
  ASSERT_TRUE(InitMarketBreadth());
  ResetMarketBreadthCounters();
  CountStocks(list);
  ASSERT_TRUE(FinishMarketBreadth(true));
  const std::vector<int32_t> stored = Values(*gBreadthRatios[0]);
  ASSERT_EQ(stored.size(), static_cast<size_t>(kIndexBars));

  // The next update merges a new day and the cap drops the oldest bar.
  auto shifted = BarsOn(index_->code, DayRange(1, kIndexBars), IndexCloses(kIndexBars));
  UpdateDailyBars(index_->code, *shifted);
  ResetMarketBreadthCounters();  // the next run: the index series now starts a day later
  ASSERT_EQ(gBreadthIndexBars[0]->bars[0].date, DayAt(1));

  const BarSeries& stock = *stocks[3];
  IntSeries out{};
  BuildStockAdrSeries(0, stock, &out);
  for (int i = 0; i < stock.count; ++i) {
    const int day = static_cast<int>(PackedDateToDays(stock.bars[i].date) - PackedDateToDays(kFirstDay));
    EXPECT_EQ(out.values[i], stored[static_cast<size_t>(day)]) << "bar " << i;
  }
}

// ---- Files -------------------------------------------------------------------------------

TEST_F(MarketBreadthTest, CompletedRunWritesFilesSnapshotsAndClearsFlags) {
  auto up = BarsOn(StockCodeAt(0), DayRange(0, kIndexBars), std::vector<int32_t>(kIndexBars, 100));
  for (int i = 0; i < kIndexBars; ++i) up->bars[i].close = 100 + i;
  auto down = BarsOn(StockCodeAt(1), DayRange(0, kIndexBars), std::vector<int32_t>(kIndexBars, 100));
  for (int i = 0; i < kIndexBars; ++i) down->bars[i].close = 500 - i;
  InstallStocks(*index_, {up.get(), down.get()});
  ASSERT_TRUE(InitMarketBreadth());
  ResetMarketBreadthCounters();
  EXPECT_EQ(gCountAdvances, 1);
  CountStocks({up.get(), down.get()});
  ASSERT_TRUE(FinishMarketBreadth(true));

  EXPECT_EQ(gCountAdvances, 0);
  EXPECT_EQ(gRecomputeNeeded, 0);
  EXPECT_EQ(gGroupsDirty, 0);
  for (const char* name : {"adr_d.dat", "adr_w.dat", "adr_m.dat"}) {
    EXPECT_EQ(ReadWholeFile(folder_.path() + name).size(), 20484u) << name;
  }
  // One advance and one decline on every day after the first.
  EXPECT_EQ(gBreadthRatios[0]->count, kIndexBars);
  EXPECT_EQ(gBreadthRatios[0]->values[kIndexBars - 1], 10000);
  const IndicatorSnapshot* snapshots = gStockTable->records[1].snapshots;
  EXPECT_EQ(snapshots[0].values[kAdrSnapshotItem], 100.0);
  EXPECT_EQ(snapshots[1].values[kAdrSnapshotItem], 100.0);
  const MarketBreadthSeries& weekly = *gBreadthRatios[1];
  EXPECT_EQ(snapshots[2].values[kAdrSnapshotItem], static_cast<double>(weekly.values[weekly.count - 1] / 100));
}

TEST_F(MarketBreadthTest, CancelledRunLeavesFilesRatiosAndFlags) {
  std::mt19937 random(9);
  std::vector<std::unique_ptr<BarSeries>> stocks;
  std::vector<const BarSeries*> list;
  for (int i = 0; i < kStocks; ++i) {
    stocks.push_back(RandomStock(StockCodeAt(i), random, 0, kIndexBars - 1));
    list.push_back(stocks.back().get());
  }
  InstallStocks(*index_, list);
  ASSERT_TRUE(InitMarketBreadth());
  ResetMarketBreadthCounters();
  CountStocks(list);
  ASSERT_TRUE(FinishMarketBreadth(true));
  const auto daily = ReadWholeFile(folder_.path() + "adr_d.dat");
  const auto weekly = ReadWholeFile(folder_.path() + "adr_w.dat");
  const auto monthly = ReadWholeFile(folder_.path() + "adr_m.dat");
  const std::vector<int32_t> ratios = Values(*gBreadthRatios[0]);

  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  ResetMarketBreadthCounters();
  CountStocks({list[0], list[1]});  // cancelled after two stocks
  EXPECT_FALSE(FinishMarketBreadth(false));

  EXPECT_EQ(ReadWholeFile(folder_.path() + "adr_d.dat"), daily);
  EXPECT_EQ(ReadWholeFile(folder_.path() + "adr_w.dat"), weekly);
  EXPECT_EQ(ReadWholeFile(folder_.path() + "adr_m.dat"), monthly);
  EXPECT_EQ(Values(*gBreadthRatios[0]), ratios);
  EXPECT_EQ(gRecomputeNeeded, 1);
  EXPECT_EQ(gGroupsDirty, 1);
  EXPECT_EQ(gCountAdvances, 0);
}

TEST_F(MarketBreadthTest, LoadedRatiosMatchTheIndexOnlyWhenTheCountsAgree) {
  InstallStocks(*index_, {});
  ASSERT_TRUE(InitMarketBreadth());
  auto stock = BarsOn(StockCodeAt(0), {50, 51}, {1, 2});
  IntSeries out{};

  // As many ratios as index bars: ratio i is the index's day i.
  auto file = NewIntSeries(std::vector<int32_t>(kIndexBars, 0));
  for (int i = 0; i < kIndexBars; ++i) file->values[i] = 3000 + i;
  SaveBufferToFile("adr_d.dat", file.get(), sizeof(IntSeries));
  ASSERT_TRUE(InitMarketBreadth());
  BuildStockAdrSeries(0, *stock, &out);
  EXPECT_EQ(Values(out), (std::vector<int32_t>{3050, 3051}));

  // One ratio fewer: the index has changed since, so no ratio is placed.
  file->count = kIndexBars - 1;
  SaveBufferToFile("adr_d.dat", file.get(), sizeof(IntSeries));
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(gBreadthRatios[0]->count, kIndexBars - 1);
  BuildStockAdrSeries(0, *stock, &out);
  EXPECT_EQ(Values(out), (std::vector<int32_t>{10000, 10000}));
}

TEST_F(MarketBreadthTest, LoadedCountStaysWithinTheFileAndTheSeries) {
  InstallStocks(*index_, {});
  auto file = NewIntSeries({});
  file->count = 99999;
  SaveBufferToFile("adr_d.dat", file.get(), sizeof(IntSeries));
  file->count = -7;
  SaveBufferToFile("adr_w.dat", file.get(), sizeof(IntSeries));
  file->count = 50;
  SaveBufferToFile("adr_m.dat", file.get(), 4 + 4 * 10);  // a short file holds 10 ratios
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(gBreadthRatios[0]->count, kMaxBars);
  EXPECT_EQ(gBreadthRatios[1]->count, 0);
  EXPECT_EQ(gBreadthRatios[2]->count, 10);

  remove("adr_d.dat");
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(gBreadthRatios[0]->count, 0);
}

// ---- Threads -----------------------------------------------------------------------------

class MarketBreadthConcurrencyTest : public MarketBreadthTest {};

TEST_F(MarketBreadthConcurrencyTest, EightThreadsCountLikeOne) {
  constexpr int kThreads = 8;
  constexpr int kManyStocks = 96;
  std::mt19937 random(21);
  std::vector<std::unique_ptr<BarSeries>> stocks;
  std::vector<const BarSeries*> list;
  for (int i = 0; i < kManyStocks; ++i) {
    stocks.push_back(RandomStock(StockCodeAt(i), random, static_cast<int>(random() % 40), kIndexBars - 1));
    list.push_back(stocks.back().get());
  }
  InstallStocks(*index_, {});
  ASSERT_TRUE(InitMarketBreadth());
  ResetMarketBreadthCounters();
  CountStocks(list);
  std::vector<std::vector<int32_t>> single;
  for (int p = 0; p < kBreadthPeriods; ++p) {
    single.push_back(Values(*gBreadthAdvances[p]));
    single.push_back(Values(*gBreadthDeclines[p]));
  }

  ResetMarketBreadthCounters();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&list, t] {
      std::vector<const BarSeries*> mine;
      for (size_t i = static_cast<size_t>(t); i < list.size(); i += kThreads) mine.push_back(list[i]);
      CountStocks(mine);
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<std::vector<int32_t>> threaded;
  for (int p = 0; p < kBreadthPeriods; ++p) {
    threaded.push_back(Values(*gBreadthAdvances[p]));
    threaded.push_back(Values(*gBreadthDeclines[p]));
  }
  EXPECT_EQ(threaded, single);
}

}  // namespace
