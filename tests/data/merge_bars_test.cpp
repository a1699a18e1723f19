#include "data/merge_bars.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "net/order_link.h"
#include "platform/posix_recorder.h"
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

// ---- Where a bar goes, and the 5071-bar cap ---------------------------------------------

TEST(MergePriceBar, BarsGoInDateOrderUpToTheCap) {
  for (int count : {0, 1, kMergeBarCap - 1}) {
    auto series = MakeSeries(count);
    Merge(series.get(), NewBar(Day(2 * count + 1), 777));
    ASSERT_EQ(series->count, count + 1);
    EXPECT_TRUE(Same(series->bars[count], NewBar(Day(2 * count + 1), 777)));
  }
  auto series = MakeSeries(5);
  Merge(series.get(), NewBar(Day(3), 777));   // between bars 1 and 2
  Merge(series.get(), NewBar(Day(-3), 555));  // before the first
  ASSERT_EQ(series->count, 7);
  EXPECT_TRUE(Same(series->bars[0], NewBar(Day(-3), 555)) && Same(series->bars[3], NewBar(Day(3), 777)) &&
              Same(series->bars[6], BarOf(4)));
}

TEST(MergePriceBar, FullSeriesDropsItsOldestBarToMakeRoom) {
  auto newer = MakeSeries(kMergeBarCap);
  Merge(newer.get(), NewBar(Day(2 * kMergeBarCap), 777));
  ASSERT_EQ(newer->count, kMergeBarCap);
  EXPECT_TRUE(Same(newer->bars[0], BarOf(1)) &&
              Same(newer->bars[kMergeBarCap - 1], NewBar(Day(2 * kMergeBarCap), 777)));

  auto between = MakeSeries(kMergeBarCap);
  Merge(between.get(), NewBar(Day(2 * 9 + 1), 777));  // between the 10th and the 11th
  ASSERT_EQ(between->count, kMergeBarCap);
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(Same(between->bars[i], BarOf(i + 1))) << i;
  EXPECT_TRUE(Same(between->bars[9], NewBar(Day(19), 777)) && Same(between->bars[10], BarOf(10)));

  auto older = MakeSeries(kMergeBarCap);
  const auto before = SeriesImage(*older);
  Merge(older.get(), NewBar(Day(-1), 777));
  EXPECT_EQ(SeriesImage(*older), before);
  // A bar that cannot be stored costs no bar either.
  older->bars[kMergeBarCap - 1].close = 0;
  const auto withoutClose = SeriesImage(*older);
  Merge(older.get(), {Day(2 * kMergeBarCap), 0, 0, 0, 0, 1});
  EXPECT_EQ(SeriesImage(*older), withoutClose);
}

TEST(MergePriceBar, SeriesLongerThanTheCapIsBroughtDownToIt) {
  auto appended = MakeSeries(kMaxBars);
  Merge(appended.get(), NewBar(Day(2 * kMaxBars), 777));
  ASSERT_EQ(appended->count, kMergeBarCap);
  EXPECT_TRUE(Same(appended->bars[0], BarOf(kMaxBars - kMergeBarCap + 1)) &&
              Same(appended->bars[kMergeBarCap - 1], NewBar(Day(2 * kMaxBars), 777)));

  auto inserted = MakeSeries(kMaxBars);
  const int j = kMaxBars - 5;
  Merge(inserted.get(), NewBar(Day(2 * j - 1), 777));
  ASSERT_EQ(inserted->count, kMergeBarCap);
  EXPECT_TRUE(Same(inserted->bars[kMergeBarCap - 7], BarOf(j - 1)) &&
              Same(inserted->bars[kMergeBarCap - 6], NewBar(Day(2 * j - 1), 777)) &&
              Same(inserted->bars[kMergeBarCap - 1], BarOf(kMaxBars - 1)));
}

TEST(MergePriceBar, ReusedCodeIgnoresBarsBeforeItsNewListing) {
  auto series = MakeSeries(0, StringToCode("8303"));
  Merge(series.get(), NewBar(MakePackedDate(2004, 2, 18), 300));
  const int before = series->count;
  Merge(series.get(), NewBar(MakePackedDate(2004, 2, 19), 300));
  EXPECT_EQ(Row(before, series->count), Row(0, 1));
}

// ---- Same date ---------------------------------------------------------------------------

TEST(MergePriceBar, SameDateBarWithoutVolumeOrWithLessVolumeWhileTheLinkIsOpenIsHandedBack) {
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
}

// ---- Quotes in thousands -------------------------------------------------------------------

TEST(MergePriceBar, QuoteInThousandsIsMultipliedOnlyAfterACloseAbove80000) {
  auto series = MakeSeries(3);
  series->bars[2].close = 85000;
  const PriceBar expected = {Day(10), 85000, 87000, 84000, 86000, 321};
  EXPECT_TRUE(Same(Merge(series.get(), {Day(10), 85, 87, 84, 86, 321}, 1), expected) &&
              Same(series->bars[3], expected));
  // Not after 80,000, not a price above 999, not without the quote rules.
  const struct { int32_t previous, close, rules; } kept[] = {{80000, 86, 1}, {85000, 1000, 1}, {85000, 86, 0}};
  for (const auto& k : kept) {
    series->bars[series->count - 1].close = k.previous;
    Merge(series.get(), NewBar(Day(2 * series->count + 4), k.close), k.rules);
    EXPECT_EQ(series->bars[series->count - 1].close, k.close) << k.previous << " " << k.close;
  }
}

TEST(MergePriceBar, InsertedQuoteIsFixedAgainstTheBarBeforeItAndNeverTheCodeField) {
  auto series = MakeSeries(5);
  series->bars[1].close = 90000;
  Merge(series.get(), NewBar(Day(3), 91), 1);
  EXPECT_EQ(series->bars[2].close, 91000);
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

// ---- Missing prices ---------------------------------------------------------------------------

TEST(MergePriceBar, MissingPricesAreFilledFromThePreviousBarOnly) {
  auto series = MakeSeries(2);
  series->bars[1].close = 500;
  Merge(series.get(), {Day(4), 0, 0, 0, 0, 0});
  EXPECT_TRUE(Same(series->bars[2], PriceBar{Day(4), 500, 500, 500, 500, 0}));
  Merge(series.get(), {Day(6), 0, 530, 520, 525, 40});
  EXPECT_TRUE(Same(series->bars[3], PriceBar{Day(6), 525, 525, 525, 525, 40}));

  auto empty = MakeSeries(0);
  Merge(empty.get(), {Day(0), 5, 5, 5, 0, 10});
  EXPECT_EQ(empty->count, 0);
  const auto before = SeriesImage(*series);
  Merge(series.get(), {Day(-2), 5, 5, 5, 0, 10});
  EXPECT_EQ(SeriesImage(*series), before);
  Merge(series.get(), {Day(0), 0, 0, 0, 0, 10});
  EXPECT_TRUE(Same(series->bars[0], PriceBar{Day(0), 0, 0, 0, 0, 10}));
}

// ---- A parsed list into every stock ---------------------------------------------------------------

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

}  // namespace
