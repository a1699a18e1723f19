// New bars into a series and into every stock, and the weekly and monthly bars built from daily ones.
#include "data/merge_bars.h"
#include "data/period_bars.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <tuple>

#include "data/daily_cache.h"
#include "net/order_link.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

PackedDate Day(int n) { return AddCalendarDays(MakePackedDate(2005, 1, 3), n); }

// Bar n of a test series is dated Day(2n), so Day(2n + 1) falls between bars.
PriceBar BarOf(int n) {
  const int close = 1000 + n % 700;
  return {Day(2 * n), close - 5, close + 10, close - 10, close, 100 + n};
}

std::unique_ptr<BarSeries> MakeSeries(int count, StockCode code = StringToCode("7203")) {
  return SeriesOf(code, count, BarOf);
}

PriceBar NewBar(PackedDate date, int close, int volume = 500) {
  return {date, close - 1, close + 1, close - 2, close, volume};
}

bool Same(const PriceBar& a, const PriceBar& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

PriceBar Merge(BarSeries* series, PriceBar bar, int quoteRules = 0, int replaceEmpty = 0) {
  MergePriceBar(&bar, series, quoteRules, replaceEmpty);
  return bar;
}

// Merged into `count` bars dated Day(0), Day(2), ...: the bars in date order, the newest 5071 of them.
TEST(MergePriceBar, BarsGoInDateOrderAndTheOldestMakeRoomAtTheCapButNotBeforeAListing) {
  constexpr int kCases[][2] = {{0, 1},
                               {1, 3},
                               {kMergeBarCap - 1, 2 * kMergeBarCap - 1},
                               {5, 3},  // between bars 1 and 2
                               {5, -3},
                               {kMergeBarCap, 2 * kMergeBarCap},
                               {kMergeBarCap, 19},  // between the 10th and the 11th
                               {kMergeBarCap, -1},  // older than a full series: not stored
                               {kMaxBars, 2 * kMaxBars},
                               {kMaxBars, 2 * (kMaxBars - 5) - 1}};
  for (const auto& [count, day] : kCases) {
    auto series = MakeSeries(count);
    const PriceBar bar = NewBar(Day(day), 777);
    std::vector<PriceBar> expected(series->bars, series->bars + count);
    expected.insert(std::upper_bound(expected.begin(), expected.end(), bar,
                                     [](const PriceBar& a, const PriceBar& b) { return a.date < b.date; }),
                    bar);
    if (expected.size() > kMergeBarCap) expected.erase(expected.begin(), expected.end() - kMergeBarCap);
    Merge(series.get(), bar);
    ASSERT_EQ(series->count, static_cast<int>(expected.size())) << count << " " << day;
    EXPECT_EQ(std::memcmp(series->bars, expected.data(), expected.size() * sizeof(PriceBar)), 0) << count << " " << day;
  }
  // A bar that cannot be stored costs no bar either.
  auto full = MakeSeries(kMergeBarCap);
  full->bars[kMergeBarCap - 1].close = 0;
  const auto withoutClose = SeriesImage(*full);
  Merge(full.get(), {Day(2 * kMergeBarCap), 0, 0, 0, 0, 1});
  EXPECT_EQ(SeriesImage(*full), withoutClose);
  // A reused code ignores bars before its new listing.
  auto reused = MakeSeries(0, StringToCode("8303"));
  Merge(reused.get(), NewBar(MakePackedDate(2004, 2, 18), 300));
  const int before = reused->count;
  Merge(reused.get(), NewBar(MakePackedDate(2004, 2, 19), 300));
  EXPECT_EQ(Row(before, reused->count), Row(0, 1));
}

TEST(MergePriceBar, SameDateBarsWithoutOrWithLessVolumeAreHandedBackAndMissingPricesFilledFromThePreviousBar) {
  auto series = MakeSeries(5);
  Merge(series.get(), NewBar(Day(4), 888, 0));
  EXPECT_TRUE(Same(series->bars[2], BarOf(2)));
  Merge(series.get(), NewBar(Day(4), 888, 0), 0, 1);  // replacing an empty bar is allowed
  EXPECT_TRUE(Same(series->bars[2], NewBar(Day(4), 888, 0)) && series->count == 5);
  gOrderLinkOpen = 1;
  EXPECT_TRUE(Same(Merge(series.get(), NewBar(Day(8), 1234, BarOf(4).volume - 1), 1), BarOf(4)) &&
              Same(series->bars[4], BarOf(4)));
  Merge(series.get(), NewBar(Day(8), 1234, BarOf(4).volume + 1), 1);
  EXPECT_EQ(series->bars[4].close, 1234);
  gOrderLinkOpen = 0;
  Merge(series.get(), NewBar(Day(8), 1300, 1), 1);
  EXPECT_EQ(series->bars[4].close, 1300);
  // Missing prices are filled from the previous bar only.
  auto gaps = MakeSeries(2);
  gaps->bars[1].close = 500;
  Merge(gaps.get(), {Day(4), 0, 0, 0, 0, 0});
  EXPECT_TRUE(Same(gaps->bars[2], PriceBar{Day(4), 500, 500, 500, 500, 0}));
  Merge(gaps.get(), {Day(6), 0, 530, 520, 525, 40});
  EXPECT_TRUE(Same(gaps->bars[3], PriceBar{Day(6), 525, 525, 525, 525, 40}));
  auto empty = MakeSeries(0);
  Merge(empty.get(), {Day(0), 5, 5, 5, 0, 10});
  EXPECT_EQ(empty->count, 0);
  const auto before = SeriesImage(*gaps);
  Merge(gaps.get(), {Day(-2), 5, 5, 5, 0, 10});
  EXPECT_EQ(SeriesImage(*gaps), before);
  Merge(gaps.get(), {Day(0), 0, 0, 0, 0, 10});
  EXPECT_TRUE(Same(gaps->bars[0], PriceBar{Day(0), 0, 0, 0, 0, 10}));
  // A quote in thousands is multiplied only after a close above 80,000 before it.
  auto thousands = MakeSeries(3);
  thousands->bars[2].close = 85000;
  const PriceBar expected = {Day(10), 85000, 87000, 84000, 86000, 321};
  EXPECT_TRUE(Same(Merge(thousands.get(), {Day(10), 85, 87, 84, 86, 321}, 1), expected) &&
              Same(thousands->bars[3], expected));
  // Not after 80,000, not a price above 999, not without the quote rules.
  const struct { int32_t previous, close, rules; } kept[] = {{80000, 86, 1}, {85000, 1000, 1}, {85000, 86, 0}};
  for (const auto& k : kept) {
    thousands->bars[thousands->count - 1].close = k.previous;
    Merge(thousands.get(), NewBar(Day(2 * thousands->count + 4), k.close), k.rules);
    EXPECT_EQ(thousands->bars[thousands->count - 1].close, k.close) << k.previous << " " << k.close;
  }
  // An inserted quote is fixed against the bar before it, and never against the code field.
  thousands->bars[1].close = 90000;
  Merge(thousands.get(), NewBar(Day(3), 91), 1);
  EXPECT_EQ(thousands->bars[2].close, 91000);
  auto full = MakeSeries(kMergeBarCap);
  full->bars[9].close = 90000;
  Merge(full.get(), NewBar(Day(19), 91), 1);
  EXPECT_EQ(full->bars[9].close, 91000);
  // The code field sits where a bar before the first would hold its close.
  auto first = MakeSeries(3);
  first->code = 90000;
  Merge(first.get(), NewBar(Day(0), 86, 9999), 1);
  Merge(first.get(), NewBar(Day(-2), 87, 9999), 1);
  EXPECT_EQ(Row(first->bars[0].close, first->bars[1].close), Row(87, 86));
}

StockCode CodeOf(int i) { return NumberCode((2000 + i) % 10000); }
std::string Path(int i) { return DayPath(CodeOf(i)); }

class MergeParsedBarsTest : public PriceStoreTest {
 protected:
  static constexpr int kStocks = 300;
  void SetUp() override {
    PriceStoreTest::SetUp();
    for (int i = 0; i < kStocks; ++i) {
      AddStock(CodeOf(i), 10);
      WriteWholeFile(Path(i), SeriesImage(*MakeSeries(10, CodeOf(i))));
    }
    list_ = std::make_unique<ImportBarList>();
    gDailyCacheMemoryStatus = [](uint32_t* load, uint64_t* total) { *load = 40, *total = uint64_t{8} << 30; };
    BeginProgress(gMainWnd, 0, 0, 1);
  }
  void List(int i, const PriceBar& bar) {
    ImportBarEntry& entry = list_->entries[i];
    entry.bars[entry.count++] = bar;
  }
  std::unique_ptr<ImportBarList> list_;
};

TEST_F(MergeParsedBarsTest, WithAnEmptyCacheEveryListedStockIsWrittenAtOnce) {
  List(0, NewBar(Day(22), 1501));
  List(0, NewBar(Day(20), 1500));
  List(7, NewBar(Day(20), 1600));
  const auto untouched = ReadWholeFile(Path(1));
  MergeParsedBarsIntoAllStocks(*list_);
  EXPECT_EQ(ReadWholeFile(Path(0)).size(), 8u + 24u * 12u);
  EXPECT_EQ(ReadWholeFile(Path(7)).size(), 8u + 24u * 11u);
  EXPECT_EQ(ReadWholeFile(Path(1)), untouched);
  EXPECT_EQ(gDailyCacheCount.load(), 0);
  // The last listed bar is older than the series' last: date and time stay.
  const StockRecord& first = gStockTable->records[0];
  const StockRecord& seventh = gStockTable->records[7];
  EXPECT_EQ((std::vector<uint32_t>{static_cast<uint32_t>(first.dailyCount), first.lastDate, first.liveTime}),
            (std::vector<uint32_t>{12, 0, 0}));
  EXPECT_TRUE(Same(first.lastBar, NewBar(Day(22), 1501)));
  EXPECT_EQ((std::vector<uint32_t>{seventh.lastDate, seventh.liveTime}),
            (std::vector<uint32_t>{Day(20), kLiveTimeFinished}));
}

TEST_F(MergeParsedBarsTest, WithACachedWindowOnlyItsStocksAreMerged) {
  auto out = std::make_unique<BarSeries>();
  for (int i = 100; i < 200; ++i) GetDailyBars(CodeOf(i), out.get());
  for (int i = 0; i < kStocks; ++i) List(i, NewBar(Day(20), 2000 + i));
  const auto outside = ReadWholeFile(Path(99));
  const auto inside = ReadWholeFile(Path(150));
  MergeParsedBarsIntoAllStocks(*list_);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 100);
  EXPECT_EQ(ReadWholeFile(Path(99)), outside);
  EXPECT_EQ(ReadWholeFile(Path(150)), inside);
  for (int i : {99, 100, 199, 200}) EXPECT_EQ(gStockTable->records[i].dailyCount, i / 100 == 1 ? 11 : 10) << i;
  FlushDailyCache();
  EXPECT_EQ(ReadWholeFile(Path(150)).size(), 8u + 24u * 11u);
  // The same archive again (the import's window pass after its sweep) has nothing to store.
  MergeParsedBarsIntoAllStocks(*list_);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
}

TEST_F(MergeParsedBarsTest, StockLeftWithoutBarsIsRecordedEmptyAndCancelStops) {
  std::remove(Path(4).c_str());
  StockRecord& record = gStockTable->records[4];
  record.dailyCount = 0;
  record.lastDate = Day(18);
  record.liveTime = kLiveTimeFinished;
  record.lastBar = BarOf(9);
  List(4, {Day(20), 0, 0, 0, 0, 0});
  List(5, NewBar(Day(20), 1000));
  gProgressCancelled = 1;
  MergeParsedBarsIntoAllStocks(*list_);
  EXPECT_EQ(record.lastDate, Day(18));
  gProgressCancelled = 0;
  MergeParsedBarsIntoAllStocks(*list_);
  EXPECT_EQ((std::vector<int64_t>{record.dailyCount, record.lastDate, record.liveTime, record.lastBar.close}),
            (std::vector<int64_t>{0, 0, 0, 0}));
  EXPECT_EQ(ReadWholeFile(Path(4)).size(), 8u);
}

constexpr PackedDate D(int year, int month, int day) { return MakePackedDate(year, month, day); }

PriceBar Bar(PackedDate date, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
  return {date, open, high, low, close, volume};
}

PriceBar Bar(PackedDate date, int32_t volume = 10) { return Bar(date, 100, 100, 100, 100, volume); }

// Weekly or monthly bars of the daily bars, built into a buffer of garbage.
std::unique_ptr<BarSeries> Built(bool monthly, const std::vector<PriceBar>& bars) {
  auto daily = std::make_unique<BarSeries>(), out = std::make_unique<BarSeries>();
  std::memset(daily.get(), 0xAB, sizeof(BarSeries));
  std::memset(out.get(), 0xCD, sizeof(BarSeries));
  daily->code = StringToCode("7203");
  daily->count = static_cast<int32_t>(bars.size());
  std::copy(bars.begin(), bars.end(), daily->bars);
  if (monthly) {
    EXPECT_EQ(BuildMonthlyBars(*daily, out.get()), out->count);
  } else {
    BuildWeeklyBars(*daily, out.get());
  }
  EXPECT_EQ(out->code, daily->code);
  return out;
}

TEST(PeriodBars, OneWeekOrOneBarGivesOneBarWithTheFirstOpenAndTheLastDateAndCloseAndGapsStartNewBars) {
  const std::vector<PriceBar> week = {
      Bar(D(2024, 6, 3), 100, 110, 95, 105, 1000), Bar(D(2024, 6, 4), 105, 130, 100, 120, 2000),
      Bar(D(2024, 6, 5), 120, 125, 90, 95, 3000), Bar(D(2024, 6, 6), 95, 100, 92, 99, 4000),
      Bar(D(2024, 6, 7), 99, 101, 97, 98, 5000)};
  const PriceBar one = Bar(D(2024, 6, 5), 100, 120, 90, 110, 77);
  const std::pair<std::vector<PriceBar>, PriceBar> cases[] = {{week, Bar(D(2024, 6, 7), 100, 130, 90, 98, 15000)},
                                                              {{one}, one}};
  for (const auto& [daily, expected] : cases) {
    for (bool monthly : {false, true}) {
      const auto out = Built(monthly, daily);
      ASSERT_EQ(out->count, 1);
      EXPECT_EQ(std::memcmp(&out->bars[0], &expected, sizeof expected), 0) << monthly;
    }
  }
  // Volume sums saturate instead of wrapping.
  for (bool monthly : {false, true})
    EXPECT_EQ(Built(monthly, {Bar(D(2024, 6, 3), 2000000000), Bar(D(2024, 6, 4), 2000000000), Bar(D(2024, 6, 5))})
                  ->bars[0]
                  .volume,
              INT_MAX);
  // A gap of a week or more, no later weekday or a new month starts a new bar.
  const std::tuple<bool, std::vector<PackedDate>, int> gaps[] = {
      {false, {D(2024, 6, 5), D(2024, 6, 13)}, 2},  // Wednesday, Thursday eight days later
      {false, {D(2024, 6, 3), D(2024, 6, 10)}, 2},  // Monday, the next Monday
      {false, {D(2024, 5, 29), D(2024, 6, 5)}, 2},  // across a month end
      {false, {D(2024, 5, 29), D(2024, 6, 6)}, 2},
      {false, {D(2024, 5, 30), D(2024, 5, 31)}, 1},
      {false, {D(2024, 5, 31), D(2024, 6, 3)}, 2},   // Friday, Monday three days later
      {false, {D(2024, 12, 30), D(2025, 1, 3)}, 1},  // one week across a year end
      {true, {D(2024, 1, 4), D(2024, 1, 30), D(2024, 3, 2)}, 2},
      {true, {D(2021, 1, 15), D(2022, 1, 15)}, 2},
      {false, {}, 0},
      {true, {}, 0},
  };
  for (const auto& [monthly, days, count] : gaps) {
    std::vector<PriceBar> bars;
    for (PackedDate day : days) bars.push_back(Bar(day));
    const auto out = Built(monthly, bars);
    ASSERT_EQ(out->count, count) << std::hex << (days.empty() ? 0 : days[0]);
    if (count > 0) {
      EXPECT_EQ(out->bars[count - 1].date, days.back());
    }
  }
}

}  // namespace
