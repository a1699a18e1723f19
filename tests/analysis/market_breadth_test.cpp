// The advance/decline store: counting, ratios, their files and their
// placement on each stock's dates. Suites named *Concurrency* also run
// under ThreadSanitizer.
#include "analysis/market_breadth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/kernel_series.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

using kernel_test::IntSeriesOf;
using kernel_test::Values;
using Ints = std::vector<int32_t>;

constexpr PackedDate kFirstDay = MakePackedDate(2020, 1, 6);
constexpr int kIndexBars = 120;
constexpr int kStocks = 24;

PackedDate DayAt(int n) { return AddCalendarDays(kFirstDay, n); }

StockCode StockCodeAt(int i) { return NumberCode(2000 + i); }

// Bars on the given day numbers with the given closes.
std::unique_ptr<BarSeries> BarsOn(StockCode code, const std::vector<int>& days, const Ints& closes) {
  return SeriesOf(code, static_cast<int>(days.size()), [&](int i) {
    return PriceBar{DayAt(days[i]), closes[i], closes[i] + 5, closes[i] - 5, closes[i], 1000};
  });
}

// Stocks listed on a random day before `latestFirst`, each skipping a random ninth of the
// days, with random walks of closes (unchanged closes included).
struct Stocks {
  std::vector<std::unique_ptr<BarSeries>> owned;
  std::vector<const BarSeries*> list;
};
Stocks RandomStocks(int count, uint32_t seed, int latestFirst) {
  std::mt19937 random(seed);
  Stocks stocks;
  for (int i = 0; i < count; ++i) {
    std::vector<int> days;
    Ints closes;
    int32_t close = 500;
    for (int d = latestFirst == 0 ? 0 : static_cast<int>(random() % latestFirst); d < kIndexBars; ++d) {
      if (random() % 9 == 0) continue;
      close = std::max<int32_t>(1, close + static_cast<int32_t>(random() % 7) - 3);
      days.push_back(d);
      closes.push_back(close);
    }
    stocks.owned.push_back(BarsOn(StockCodeAt(i), days, closes));
    stocks.list.push_back(stocks.owned.back().get());
  }
  return stocks;
}

// Day numbers first.., and index closes.
std::vector<int> DayRange(int first, int count) {
  std::vector<int> days(count);
  std::iota(days.begin(), days.end(), first);
  return days;
}

Ints IndexCloses(int count) {
  Ints closes(count);
  for (int i = 0; i < count; ++i) closes[i] = 10000 + (i * 37) % 200;
  return closes;
}

class MarketBreadthTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_TRUE(AllocateKernelScratchSet(&gMainScratch));  // freed with the global state
    for (IndicatorParameterSet& set : gIndicatorParams) set.slot[kParamAdvanceDecline] = 2;
    gRecomputeNeeded = 1;
    gGroupsDirty = 1;
  }
  // The table: "1001" and the given stocks, each with its daily file.
  void InstallStocks(std::vector<const BarSeries*> stocks) {
    stocks.insert(stocks.begin(), index_.get());
    for (const BarSeries* series : stocks) {
      AddStock(series->code).master.marketFlags = kBreadthMarketFlag;
      ASSERT_EQ(WriteDailyFile(series->code, *series), 0);
    }
  }
  // A completed all-stock run over the index and the stocks.
  void CompleteRun(const std::vector<const BarSeries*>& stocks) {
    InstallStocks(stocks);
    ASSERT_TRUE(InitMarketBreadth());
    ResetMarketBreadthCounters();
    EXPECT_EQ(gCountAdvances, 1);
    CountStocks(stocks);
    ASSERT_TRUE(FinishMarketBreadth(true));
  }
  // Writes a ratio file of the series' first `bytes` bytes.
  static void WriteRatios(const char* name, const IntSeries& ratios, uint32_t bytes = sizeof(IntSeries)) {
    ASSERT_EQ(SaveBufferToFile(name, &ratios, bytes), 0);
  }
  // The three ratio files.
  static std::vector<std::vector<uint8_t>> RatioFiles() {
    return {ReadWholeFile("adr_d.dat"), ReadWholeFile("adr_w.dat"), ReadWholeFile("adr_m.dat")};
  }
  // One all-stock run over the stocks' daily, weekly and monthly bars.
  static void CountStocks(const std::vector<const BarSeries*>& stocks) {
    auto weekly = std::make_unique<BarSeries>(), monthly = std::make_unique<BarSeries>();
    for (const BarSeries* daily : stocks) {
      BuildWeeklyBars(*daily, weekly.get());
      BuildMonthlyBars(*daily, monthly.get());
      CountAdvancesDeclinesAllPeriods(*daily, *weekly, *monthly);
    }
  }

  std::unique_ptr<BarSeries> index_ = BarsOn(StringToCode("1001"), DayRange(0, kIndexBars), IndexCloses(kIndexBars));
};

TEST_F(MarketBreadthTest, CountsMovedClosesOnTheIndexBarOfTheSameDateAndComparesTheirAverages) {
  auto ratios = std::make_unique<MarketBreadthSeries>();
  auto even = IntSeriesOf({4, 4, 4, 4, 4, 4});
  ComputeBreadthRatios(ratios.get(), *even, *even, 3, gMainScratch);
  EXPECT_EQ(Values(*ratios), Ints(6, 10000));
  ComputeBreadthRatios(ratios.get(), *IntSeriesOf({6, 6, 6, 6, 1, 1}), *IntSeriesOf({3, 3, 3, 0, 0, 0}), 2,
                       gMainScratch);
  // Averages over two bars: declines 3, 3, 3, 1 (1.5), 0, 0.
  EXPECT_EQ(Values(*ratios), (Ints{20000, 20000, 20000, 60000, 0, 0}));

  auto index = BarsOn(StringToCode("1001"), {0, 1, 2, 4, 5, 6}, IndexCloses(6));
  auto advances = IntSeriesOf(Ints(6, 0)), declines = IntSeriesOf(Ints(6, 0));
  // Day 3 is not an index day: its move is counted nowhere, and day 4 then
  // compares with day 3. Day 5 is unchanged.
  auto stock = BarsOn(StockCodeAt(0), {1, 2, 3, 4, 5, 6}, {100, 105, 103, 101, 101, 99});
  CountAdvancesDeclines(*stock, *index, advances.get(), declines.get());
  EXPECT_EQ(Values(*advances), (Ints{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Values(*declines), (Ints{0, 0, 0, 1, 0, 1}));
}

TEST_F(MarketBreadthTest, StockSeriesRepeatsThePreviousRatioOnAGapDay) {
  InstallStocks({});
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
  EXPECT_EQ(Values(out), (Ints{7010, 7011, 7011, 7013}));
  // Before the first matched date: the even ratio.
  auto early = BarsOn(StockCodeAt(1), {-3, -2, 0}, {1, 2, 3});
  BuildStockAdrSeries(0, *early, &out);
  EXPECT_EQ(Values(out), (Ints{10000, 10000, 7000}));
}

TEST_F(MarketBreadthTest, RatiosStayOnTheirDatesWhenTheIndexLosesItsOldestBar) {
  const Stocks stocks = RandomStocks(kStocks, 5, 20);
  CompleteRun(stocks.list);
  const Ints stored = Values(*gBreadthRatios[0]);
  ASSERT_EQ(stored.size(), static_cast<size_t>(kIndexBars));
  // The next update merges a new day and the cap drops the oldest bar.
  auto shifted = BarsOn(index_->code, DayRange(1, kIndexBars), IndexCloses(kIndexBars));
  UpdateDailyBars(index_->code, *shifted);
  ResetMarketBreadthCounters();  // the next run: the index series now starts a day later
  ASSERT_EQ(gBreadthIndexBars[0]->bars[0].date, DayAt(1));

  const BarSeries& stock = *stocks.list[3];
  IntSeries out{};
  BuildStockAdrSeries(0, stock, &out);
  for (int i = 0; i < stock.count; ++i) {
    const int day = static_cast<int>(PackedDateToDays(stock.bars[i].date) - PackedDateToDays(kFirstDay));
    EXPECT_EQ(out.values[i], stored[day]) << "bar " << i;
  }
}

TEST_F(MarketBreadthTest, CompletedRunWritesFilesSnapshotsAndClearsFlagsACancelledOneNone) {
  Ints rising(kIndexBars), falling(kIndexBars);
  for (int i = 0; i < kIndexBars; ++i) rising[i] = 100 + i, falling[i] = 500 - i;
  auto up = BarsOn(StockCodeAt(0), DayRange(0, kIndexBars), rising);
  auto down = BarsOn(StockCodeAt(1), DayRange(0, kIndexBars), falling);
  CompleteRun({up.get(), down.get()});
  EXPECT_EQ((Ints{gCountAdvances, gRecomputeNeeded, gGroupsDirty}), (Ints{0, 0, 0}));
  const auto files = RatioFiles();
  for (const auto& file : files) EXPECT_EQ(file.size(), 20484u);
  // One advance and one decline on every day after the first.
  const Ints ratios = Values(*gBreadthRatios[0]);
  EXPECT_EQ(Row(ratios.size(), ratios.back()), Row(kIndexBars, 10000));
  const IndicatorSnapshot* snapshots = gStockTable->records[1].snapshots;
  EXPECT_EQ(std::make_pair(snapshots[0].values[kAdrSnapshotItem], snapshots[1].values[kAdrSnapshotItem]),
            std::make_pair(100.0, 100.0));
  const MarketBreadthSeries& weekly = *gBreadthRatios[1];
  EXPECT_EQ(snapshots[2].values[kAdrSnapshotItem], static_cast<double>(weekly.values[weekly.count - 1] / 100));

  gRecomputeNeeded = gGroupsDirty = 1;
  ResetMarketBreadthCounters();
  CountStocks({up.get()});  // cancelled after one stock
  EXPECT_FALSE(FinishMarketBreadth(false));
  EXPECT_EQ(RatioFiles(), files);
  EXPECT_EQ(Values(*gBreadthRatios[0]), ratios);
  EXPECT_EQ((Ints{gCountAdvances, gRecomputeNeeded, gGroupsDirty}), (Ints{0, 1, 1}));
}

TEST_F(MarketBreadthTest, LoadedRatiosMatchTheIndexOnlyWhenTheCountsAgreeAndStayWithinTheFile) {
  InstallStocks({});
  auto stock = BarsOn(StockCodeAt(0), {50, 51}, {1, 2});
  IntSeries out{};
  // As many ratios as index bars: ratio i is the index's day i.
  auto file = IntSeriesOf(Ints(kIndexBars, 0));
  for (int i = 0; i < kIndexBars; ++i) file->values[i] = 3000 + i;
  WriteRatios("adr_d.dat", *file);
  ASSERT_TRUE(InitMarketBreadth());
  BuildStockAdrSeries(0, *stock, &out);
  EXPECT_EQ(Values(out), (Ints{3050, 3051}));
  // One ratio fewer: the index has changed since, so no ratio is placed.
  file->count = kIndexBars - 1;
  WriteRatios("adr_d.dat", *file);
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(gBreadthRatios[0]->count, kIndexBars - 1);
  BuildStockAdrSeries(0, *stock, &out);
  EXPECT_EQ(Values(out), (Ints{10000, 10000}));

  file->count = 99999;
  WriteRatios("adr_d.dat", *file);
  file->count = -7;
  WriteRatios("adr_w.dat", *file);
  file->count = 50;
  WriteRatios("adr_m.dat", *file, 4 + 4 * 10);  // a short file holds 10 ratios
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(Row(gBreadthRatios[0]->count, gBreadthRatios[1]->count, gBreadthRatios[2]->count), Row(kMaxBars, 0, 10));
  remove("adr_d.dat");
  ASSERT_TRUE(InitMarketBreadth());
  EXPECT_EQ(gBreadthRatios[0]->count, 0);
}

class MarketBreadthConcurrencyTest : public MarketBreadthTest {};

TEST_F(MarketBreadthConcurrencyTest, EightThreadsCountLikeOne) {
  constexpr int kThreads = 8;
  const Stocks stocks = RandomStocks(96, 21, 40);
  InstallStocks({});
  ASSERT_TRUE(InitMarketBreadth());
  ResetMarketBreadthCounters();
  CountStocks(stocks.list);
  const auto counts = [] {
    std::vector<Ints> all;
    for (int p = 0; p < kBreadthPeriods; ++p)
      all.insert(all.end(), {Values(*gBreadthAdvances[p]), Values(*gBreadthDeclines[p])});
    return all;
  };
  const std::vector<Ints> single = counts();

  ResetMarketBreadthCounters();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&stocks, t] {
      std::vector<const BarSeries*> mine;
      for (size_t i = t; i < stocks.list.size(); i += kThreads) mine.push_back(stocks.list[i]);
      CountStocks(mine);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counts(), single);
}

}  // namespace
