// The all-stock recomputation on worker threads. Suites named *Concurrency*
// also run under ThreadSanitizer.
#include "analysis/recompute_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/analysis_hooks.h"
#include "analysis/indicator_refresh.h"
#include "analysis/market_breadth.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "sheets/scenarios.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_analysis.h"
#include "tools/sample_db/sample_database.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr const char* kBreadthFiles[] = {"adr_d.dat", "adr_w.dat", "adr_m.dat"};

TEST(RecomputeThreadCount, FollowsProcessorsAndFreeMemory) {
  struct Case {
    int processors;
    int64_t freeMiB;
    int workers;
  };
  for (const Case& c : {Case{1, -1, 1}, Case{2, -1, 1}, Case{8, -1, 6}, Case{16, -1, 8}, Case{16, 100, 5},
                        Case{16, 19, 1}, Case{4, 40, 2}}) {
    EXPECT_EQ(ComputeRecomputeThreadCount(c.processors, c.freeMiB), c.workers) << c.processors << " " << c.freeMiB;
  }
}

std::atomic<StockCode> gCancelAtCode{0};

// The scenario step ends each stock's indicators on its worker: a press of
// Cancel at a chosen stock. A stock after it that a worker took meanwhile
// waits for the press, so that however the threads are scheduled the other
// workers cannot run through the rest of the table before it comes.
void SimulateAndCancelAt(StockCode code, ChartSeriesSet* context) {
  SimulateScenariosForStock(code, context);
  const StockCode cancelAt = gCancelAtCode.load();
  if (cancelAt == 0) return;
  if (code == cancelAt) {
    gProgressCancelled = 1;
    return;
  }
  if (!CodeLess(cancelAt, code)) return;
  for (int waited = 0; waited < 10000 && gProgressCancelled.load() == 0; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class RecomputeConcurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SampleDatabaseOptions options;
    options.folder = scratch_.path() + "db";
    options.stocks = 28;
    options.bars = 320;
    options.seed = 9;
    options.end = MakePackedDate(2026, 12, 4);
    ASSERT_EQ(MakeSampleDatabase(options, nullptr), 0);
    ASSERT_TRUE(InitMarketBreadth() && AllocateKernelScratchSet(&gMainScratch));
    FillSampleSignalFile(&file_, 12, true);
    gSignalSettings = &file_;
    InstallScenarioHooks();
    gAnalysisHooks.simulateScenarios = SimulateAndCancelAt;
    gCancelAtCode = 0;
    SetSleepRecorded(true);
    initial_ = Records();
  }

  void TearDown() override {
    for (int p = 0; p < kBreadthPeriods; ++p) gBreadthRatios[p]->count = gBreadthRatioDates[p]->count = 0;
  }

  static Bytes Records() {
    const auto* bytes = reinterpret_cast<const uint8_t*>(gStockTable->records);
    return Bytes(bytes, bytes + sizeof(StockRecord) * static_cast<size_t>(gStockTable->count));
  }
  Bytes RecordAt(const Bytes& records, int i) const {
    const auto first = records.begin() + static_cast<std::ptrdiff_t>(sizeof(StockRecord) * static_cast<size_t>(i));
    return Bytes(first, first + sizeof(StockRecord));
  }

  // From the first table with an emptied cache; every other stock is cached
  // beforehand, so both ways of reading bars are taken.
  RecomputeOutcome Run(RecomputeMode mode, int workers) {
    std::memcpy(gStockTable->records, initial_.data(), initial_.size());
    FlushAndFreeDailyCache();
    auto bars = std::make_unique<BarSeries>();
    for (int i = 1; i < gStockTable->count; i += 2) GetDailyBars(gStockTable->records[i].master.code, bars.get());
    gProgressCancelled = 0;
    return RecomputeAllStocksWithWorkers(mode, workers);
  }

  // The table and the three breadth files after a complete run.
  Bytes RunWithBreadth(int workers) {
    ResetMarketBreadthCounters();
    EXPECT_EQ(Run(kRecomputeAllStocks, workers), RecomputeOutcome::kCompleted);
    EXPECT_TRUE(FinishMarketBreadth(true));
    Bytes all = Records();
    for (const char* name : kBreadthFiles) {
      const Bytes file = ReadWholeFile(name);
      all.insert(all.end(), file.begin(), file.end());
    }
    return all;
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  SignalSettingsFile file_{};
  Bytes initial_;
};

TEST_F(RecomputeConcurrencyTest, OneAndEightWorkersLeaveTheSameTableAndBreadthFiles) {
  const Bytes one = RunWithBreadth(1);
  EXPECT_NE(Records(), initial_);
  int signalled = 0;
  for (int i = 0; i < gStockTable->count; ++i) signalled += gStockTable->records[i].signalBits != 0 ? 1 : 0;
  EXPECT_GT(signalled, 0);
  EXPECT_TRUE(one == RunWithBreadth(8));
}

// Workers finish the stock in hand; stocks are taken in table order, so the
// recomputed ones are the first k, and the others keep their old records.
TEST_F(RecomputeConcurrencyTest, CancelLeavesTheStocksNotTakenAlone) {
  ASSERT_EQ(Run(kRecomputeAllStocks, 1), RecomputeOutcome::kCompleted);
  const Bytes complete = Records();
  constexpr int kCancelAt = 9;
  gCancelAtCode = gStockTable->records[kCancelAt].master.code;
  for (const int workers : {1, 8}) {
    EXPECT_EQ(Run(kRecomputeAllStocks, workers), RecomputeOutcome::kCancelled);
    const Bytes records = Records();
    int k = 0;
    while (k < gStockTable->count && RecordAt(records, k) == RecordAt(complete, k)) ++k;
    EXPECT_GT(k, kCancelAt) << workers;
    if (workers == 1) {
      EXPECT_EQ(k, kCancelAt + 1);
    }
    for (int i = k; i < gStockTable->count; ++i) EXPECT_TRUE(RecordAt(records, i) == RecordAt(initial_, i)) << i;
  }
}

TEST_F(RecomputeConcurrencyTest, CachedOnlyRunLeavesUncachedStocksAlone) {
  ASSERT_EQ(Run(kRecomputeAllStocks, 1), RecomputeOutcome::kCompleted);
  const Bytes complete = Records();
  EXPECT_EQ(Run(kRecomputeCachedOnly, 8), RecomputeOutcome::kCompleted);
  const Bytes records = Records();
  for (int i = 0; i < gStockTable->count; ++i) {
    EXPECT_TRUE(RecordAt(records, i) == RecordAt(i % 2 != 0 ? complete : initial_, i)) << i;
  }
}

TEST_F(RecomputeConcurrencyTest, LockedFilesAreReportedOnceWithoutWaiting) {
  FlushAndFreeDailyCache();
  FileFaults faults;
  faults.failOpens = 1000;
  SetFileFaults(faults);
  TakeRecordedMessageBoxes();
  TakeSleptMilliseconds();
  EXPECT_EQ(RecomputeAllStocksWithWorkers(kRecomputeAllStocks, 4), RecomputeOutcome::kCompleted);
  SetFileFaults(FileFaults{});
  EXPECT_EQ(TakeSleptMilliseconds(), 0u);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("32銘柄の日足ファイルを読めませんでした。", 0), 0u) << boxes[0].text;
}

TEST_F(RecomputeConcurrencyTest, CacheWritersWaitForTheWorkers) {
  std::atomic<bool> inside{false}, leave{false}, written{false};
  std::thread worker([&] {
    EnterDailyCacheAsWorker();
    inside = true;
    while (!leave) std::this_thread::yield();
    LeaveDailyCacheAsWorker();
  });
  while (!inside) std::this_thread::yield();
  auto bars = std::make_unique<BarSeries>();
  const StockCode code = gStockTable->records[4].master.code;
  GetDailyBarsForUpdate(code, bars.get());
  std::thread writer([&] {
    UpdateDailyBars(code, *bars);
    written = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(written);
  leave = true;
  worker.join();
  writer.join();
  EXPECT_TRUE(written);
}

// A run that does not complete leaves the breadth files unwritten and the
// flags asking for the refresh set.
TEST_F(RecomputeConcurrencyTest, RefreshClearsTheFlagsOnlyWhenComplete) {
  for (const bool cancel : {true, false}) {
    gRecomputeNeeded = 1;
    gCancelAtCode = cancel ? gStockTable->records[3].master.code : 0;
    EXPECT_EQ(RecomputeIndicatorsAndGroups(), !cancel);
    EXPECT_EQ(gRecomputeNeeded, cancel ? 1 : 0);
    EXPECT_EQ(FileExists(kBreadthFiles[0]), !cancel);
  }
}

}  // namespace
