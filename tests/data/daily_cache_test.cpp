#include "data/daily_cache.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "data/trading_calendar.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

uint32_t gFakeLoad = 40;
uint64_t gFakeTotal = uint64_t{8} << 30;

void FakeMemoryStatus(uint32_t* load, uint64_t* total) { *load = gFakeLoad, *total = gFakeTotal; }

StockCode CodeOf(int i) { return NumberCode((1300 + i) % 10000); }
std::string PathOf(int i) { return DayPath(CodeOf(i)); }

// Bar i of a test series; its volume tells its place.
PriceBar BarAt(PackedDate first, int i) { return {AddCalendarDays(first, i), 500, 509, 491, 501, 1000 + i}; }

std::unique_ptr<BarSeries> MakeSeries(StockCode code, int count, PackedDate first = MakePackedDate(2020, 1, 6)) {
  return SeriesOf(code, count, [first](int i) { return BarAt(first, i); });
}

void AppendBar(BarSeries* series, int close) {
  const PackedDate last = series->bars[series->count - 1].date;
  series->bars[series->count++] = {AddCalendarDays(last, 1), close, close, close, close, 77};
}

bool HasProgressCall(const std::vector<RecordedProgressCall>& calls, const char* call, int value,
                     const std::string& text = std::string()) {
  return std::any_of(calls.begin(), calls.end(), [&](const RecordedProgressCall& c) {
    return c.call == call && c.value == value && (text.empty() || c.text == text);
  });
}

void FailReplaces(int count) {
  FileFaults faults;
  faults.failReplaces = count;
  SetFileFaults(faults);
}

class DailyCacheTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gFakeLoad = 40, gFakeTotal = uint64_t{8} << 30;
    gDailyCacheMemoryStatus = FakeMemoryStatus;
  }
  // Stocks 0..count-1, each with a file of `bars` bars.
  void AddStocks(int count, int bars) {
    for (int i = 0; i < count; ++i) {
      AddStock(CodeOf(i), bars);
      WriteWholeFile(PathOf(i), SeriesImage(*MakeSeries(CodeOf(i), bars)));
    }
  }
  std::unique_ptr<BarSeries> Get(int i) {
    auto out = MakeSeries(StringToCode("9999"), 60);  // stale bars of another stock
    GetDailyBars(CodeOf(i), out.get());
    return out;
  }
  std::unique_ptr<BarSeries> Change(int i, int close) {
    auto series = Get(i);
    AppendBar(series.get(), close);
    UpdateDailyBars(CodeOf(i), *series);
    return series;
  }
};

TEST_F(DailyCacheTest, FirstReadFillsTheSlotAndLaterReadsComeFromIt) {
  AddStocks(3, 20);
  auto first = Get(1);
  EXPECT_EQ(SeriesImage(*first), SeriesImage(*MakeSeries(CodeOf(1), 20)));
  EXPECT_EQ(Row(IsDailyCacheSlotFilled(1), gDailyCacheCount.load()), Row(1, 1));
  std::remove(PathOf(1).c_str());
  EXPECT_EQ(SeriesImage(*Get(1)), SeriesImage(*first));
  auto stranger = MakeSeries(CodeOf(0), 10);
  GetDailyBars(StringToCode("9998"), stranger.get());
  EXPECT_EQ(Row(stranger->count, gDailyCacheCount.load()), Row(0, 1));
  // The caller gets no negative volumes, but the cache keeps them.
  auto series = MakeSeries(CodeOf(0), 20);
  series->bars[3].volume = -5;
  WriteWholeFile(PathOf(0), SeriesImage(*series));
  EXPECT_EQ(Get(0)->bars[3].volume, 0);
  EXPECT_EQ(gDailyCache->slots[0]->bars[3].volume, -5);
}

TEST_F(DailyCacheTest, UnderMemoryPressureOrAfterAFailedReadNothingIsCached) {
  AddStocks(2, 20);
  gFakeLoad = kCacheMemoryLoadLimit;
  EXPECT_EQ(Get(0)->count, 20);
  EXPECT_FALSE(IsDailyCacheSlotFilled(0));
  gFakeLoad = kCacheMemoryLoadLimit - 1;
  FileFaults faults;
  faults.failOpens = 9;  // three reads of three opens
  faults.openError = kErrorSharingViolation;
  SetFileFaults(faults);
  EXPECT_EQ(Get(1)->count, 0);
  EXPECT_EQ(Row(IsDailyCacheSlotFilled(1), TakeRecordedMessageBoxes().size()), Row(0, 1));
  EXPECT_EQ(Get(1)->count, 20);
  EXPECT_TRUE(IsDailyCacheSlotFilled(1));
}

TEST_F(DailyCacheTest, TimeBackModeDropsBarsAfterTheChosenDay) {
  // Calendar 2024-03-11 .. 2024-03-22; day 4 is 2024-03-15.
  WriteWholeFile("DAY/1001", SeriesImage(*MakeSeries(StringToCode("1001"), 12, MakePackedDate(2024, 3, 11))));
  ASSERT_EQ(LoadTradingCalendar(), 0);
  AddStocks(4, 0);
  WriteWholeFile(PathOf(0), SeriesImage(*MakeSeries(CodeOf(0), 22, MakePackedDate(2024, 3, 1))));
  auto gap = MakeSeries(CodeOf(1), 3, MakePackedDate(2024, 3, 13));
  gap->bars[2].date = MakePackedDate(2024, 3, 18);
  WriteWholeFile(PathOf(1), SeriesImage(*gap));
  WriteWholeFile(PathOf(2), SeriesImage(*MakeSeries(CodeOf(2), 5, MakePackedDate(2024, 3, 16))));
  gTimeBackMode = 1;
  gTimeBackDayIndex = 4;
  const auto cut = Get(0), beforeGap = Get(1);
  EXPECT_EQ(Row(cut->count, cut->bars[14].date, beforeGap->count, beforeGap->bars[1].date, Get(2)->count),
            Row(15, MakePackedDate(2024, 3, 15), 2, MakePackedDate(2024, 3, 14), 0));
  EXPECT_EQ(gDailyCache->slots[0]->count, 22);
  gTimeBackMode = 0;
  EXPECT_EQ(Get(0)->count, 22);
}

TEST_F(DailyCacheTest, ChangeToCachedStockIsWrittenOnlyByTheFlushToUncachedAtOnceToAStrangerNever) {
  AddStocks(3, 20);
  const auto before = ReadWholeFile(PathOf(1));
  Change(1, 900);
  auto changed = Change(1, 901);
  EXPECT_EQ(ReadWholeFile(PathOf(1)), before);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 1);
  EXPECT_EQ(SeriesImage(*Get(1)), SeriesImage(*changed));
  FlushDailyCache();
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*changed));
  EXPECT_EQ(ReadWholeFile(PathOf(1)).size(), 8u + 24u * 22u);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  auto series = MakeSeries(CodeOf(2), 25);
  UpdateDailyBars(CodeOf(2), *series);
  EXPECT_EQ(ReadWholeFile(PathOf(2)), SeriesImage(*series));
  EXPECT_FALSE(IsDailyCacheSlotFilled(2));
  UpdateDailyBars(StringToCode("9998"), *MakeSeries(StringToCode("9998"), 5));
  EXPECT_FALSE(FileExists("DAY/9998"));
  UpdateDailyBars(CodeOf(1), *MakeSeries(CodeOf(2), 30));  // another stock's series
  EXPECT_EQ(Get(1)->count, 22);
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), TakeRecordedMessageBoxes().size()), Row(0, 1));
}

// Freeing the cache before the table is reordered must not lose a change
// that could not be written; a clean copy goes.
TEST_F(DailyCacheTest, FailedWritesAreShownOnceWithTheirCountAndStayDirtyAlsoWhenFreeing) {
  AddStocks(5, 20);
  Get(1);
  for (int i : {0, 2, 4}) Change(i, 900 + i);
  const auto before = ReadWholeFile(PathOf(2));
  SetSystemErrorText(kErrorAccessDenied, "アクセスが拒否されました。");
  FailReplaces(100000);  // as a read-only folder would
  FlushDailyCache();
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "3銘柄の日足ファイルを書き込めませんでした。\nアクセスが拒否されました。");
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load()), Row(3, 4));
  EXPECT_FALSE(FlushAndFreeDailyCache());
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load(), TakeRecordedMessageBoxes().size()),
            Row(3, 3, 1));
  EXPECT_EQ(ReadWholeFile(PathOf(2)), before);
  SetFileFaults(FileFaults{});
  const auto changed = Get(2);
  EXPECT_TRUE(FlushAndFreeDailyCache());
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load()), Row(0, 0));
  EXPECT_EQ(ReadWholeFile(PathOf(2)), SeriesImage(*changed));
  // Low-memory machines keep no cache.
  Get(0);
  gFakeTotal = kLowPhysicalMemory + 1;
  TrimDailyCacheIfMemoryLow();
  EXPECT_EQ(gDailyCacheCount.load(), 1);
  gFakeTotal = kLowPhysicalMemory;
  TrimDailyCacheIfMemoryLow();
  EXPECT_EQ(gDailyCacheCount.load(), 0);
}

TEST_F(DailyCacheTest, FlushShowsTheAbortButtonExceptDuringThePriceUpdate) {
  AddStocks(3, 20);
  Change(0, 900);
  BeginProgress(gMainWnd, 0, 0, 2);
  TakeRecordedProgressCalls();
  FlushDailyCache();
  auto calls = TakeRecordedProgressCalls();
  EXPECT_TRUE(HasProgressCall(calls, "text", 2, "ハードディスクへ書き込み中..."));
  for (const char* call : {"cancel", "abort"})
    EXPECT_TRUE(HasProgressCall(calls, call, 0) && HasProgressCall(calls, call, 1));
  EXPECT_TRUE(HasProgressCall(calls, "bar", 32000 / 2));
  Change(1, 901);
  gPriceUpdateRunning = 1;
  FlushDailyCache();
  EXPECT_FALSE(HasProgressCall(TakeRecordedProgressCalls(), "abort", 1));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
}

TEST_F(DailyCacheTest, IdleFlushWritesOneSlotPerTurnAndPassesOverAFailingOne) {
  AddStocks(4, 20);
  for (int i : {3, 1, 2}) Change(i, 900 + i);
  FailReplaces(100000);
  FlushNextDirtyDailyCacheEntry();  // stock 1 fails
  FlushNextDirtyDailyCacheEntry();  // stock 2 fails, not shown again
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  SetFileFaults(FileFaults{});
  FlushNextDirtyDailyCacheEntry();  // stock 3
  FlushNextDirtyDailyCacheEntry();  // nothing left to try before the next flush
  EXPECT_EQ(ReadWholeFile(PathOf(3)), SeriesImage(*Get(3)));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 2);
  FlushDailyCache();
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*Get(1)));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

// Whole-database jobs walk the table in windows of what memory allows.
TEST_F(DailyCacheTest, WindowWalksTheTableAndEveryChangeIsWrittenOnce) {
  AddStocks(10, 20);
  EXPECT_EQ(PreloadDailyCache(), 1);
  EXPECT_EQ(gDailyCacheCount.load(), 10);
  gFakeLoad = 95;                          // nothing is cached on the way
  gFakeTotal = 2 * 3 * sizeof(BarSeries);  // room for three copies
  BeginProgress(gMainWnd, 0, 0, 5);
  const int passes = PreloadDailyCache();
  ASSERT_EQ(passes, 4);
  for (int pass = 0; pass < passes; ++pass) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(IsDailyCacheSlotFilled(i), i / 3 == pass) << pass << " " << i;
    for (int i = 3 * pass; i < std::min(3 * pass + 3, 10); ++i) Change(i, 700 + i);
    if (pass + 1 < passes) AdvanceDailyCacheWindow();
  }
  const auto calls = TakeRecordedProgressCalls();
  EXPECT_TRUE(HasProgressCall(calls, "text", 1, "3／10銘柄の処理を完了"));
  EXPECT_TRUE(HasProgressCall(calls, "text", 2, "データ読み込みの準備中..."));
  FlushAndFreeDailyCache();
  for (int i = 0; i < 10; ++i) {
    auto expected = MakeSeries(CodeOf(i), 20);
    AppendBar(expected.get(), 700 + i);
    EXPECT_EQ(ReadWholeFile(PathOf(i)), SeriesImage(*expected)) << i;
  }
}

TEST_F(DailyCacheTest, WindowMovesOnButKeepsACopyWhoseWriteFailed) {
  AddStocks(6, 20);
  gFakeLoad = 95;
  gFakeTotal = 2 * 3 * sizeof(BarSeries);
  ASSERT_EQ(PreloadDailyCache(), 2);
  auto changed = Change(1, 901);
  FailReplaces(100000);
  AdvanceDailyCacheWindow();
  SetFileFaults(FileFaults{});
  EXPECT_EQ(Row(TakeRecordedMessageBoxes().size(), CountDirtyDailyCacheEntries()), Row(1, 1));
  for (int i : {1, 3, 4, 5}) EXPECT_TRUE(IsDailyCacheSlotFilled(i)) << i;
  FlushDailyCache();
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*changed));
}

TEST_F(DailyCacheTest, EveryOneOfFiveThousandStocksHasASlot) {
  AddStocks(kMaxStocks, 3);
  for (int i = 0; i < kMaxStocks; ++i) Get(i);
  EXPECT_EQ(gDailyCacheCount.load(), kMaxStocks);
  for (int i : {0, kMaxStocks - 1}) Change(i, 600);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 2);
  FlushDailyCache();
  EXPECT_EQ(Row(ReadWholeFile(PathOf(kMaxStocks - 1)).size(), ReadWholeFile(PathOf(1)).size()),
            Row(8 + 24 * 4, 8 + 24 * 3));
}

// Writer w owns the stocks i with i % kWriters == w and appends their next bar;
// everyone reads every stock; one thread flushes in all the ways there are.
// Run under ThreadSanitizer as well (suite name contains "Concurrency").
using DailyCacheConcurrencyTest = DailyCacheTest;

TEST_F(DailyCacheConcurrencyTest, ReadersWritersAndFlushesKeepEverySeriesWhole) {
  constexpr int kStocks = 40, kFirstBars = 50, kWriters = 4;
  AddStocks(kStocks, kFirstBars);
  const auto whole = [](const BarSeries& series, int i) {
    return series.count >= kFirstBars && series.count <= kMaxBars &&
           SeriesImage(series) == SeriesImage(*MakeSeries(CodeOf(i), series.count));
  };
  std::atomic<int> broken{0};
  std::vector<int> appended(kStocks, 0);
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      auto series = std::make_unique<BarSeries>();
      for (int round = 0; round < 80; ++round) {
        const int own = (round * kWriters + w) % kStocks, other = (round * 7 + w * 13) % kStocks;
        GetDailyBars(CodeOf(own), series.get());
        if (!whole(*series, own) || series->count != kFirstBars + appended[own]) ++broken;
        series->bars[series->count] = BarAt(MakePackedDate(2020, 1, 6), series->count);
        ++series->count;
        UpdateDailyBars(CodeOf(own), *series);
        ++appended[own];
        GetDailyBars(CodeOf(other), series.get());
        if (!whole(*series, other)) ++broken;
      }
    });
  }
  threads.emplace_back([&] {
    for (int round = 0; round < 150; ++round) {
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
  for (int i = 0; i < kStocks; ++i)
    EXPECT_EQ(ReadWholeFile(PathOf(i)), SeriesImage(*MakeSeries(CodeOf(i), kFirstBars + appended[i]))) << i;
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

}  // namespace
