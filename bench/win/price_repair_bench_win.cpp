// The price repairs in the Windows build, to be run under Wine: a generated
// database of 5000 stocks (4996 and the four indices) of 5120 bars each on
// disc, made in a temporary folder of its own; one date in the middle
// deleted from every stock, with the cache empty as after a start and with
// every stock cached (each walk reads the stored series and stores the
// changed ones); then the walks that change nothing: bars after today and the
// long gaps. The database is deleted at the end.
//
//   velqo_repair_bench.exe [--bars N]   (default: 5120)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/win/bench_clock_win.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/price_maintenance.h"
#include "data/stock_table.h"
#include "tools/sample_db/sample_database.h"

namespace {

constexpr int kStocks = kMaxStocks - 4;  // and the four indices

// The date `back` bars before the reference index's last.
PackedDate IndexDateBack(int back) {
  GetDailyBarsForUpdate(gStockTable->records[0].master.code, gScratchSeries);
  return gScratchSeries->count > back ? gScratchSeries->bars[gScratchSeries->count - 1 - back].date : 0;
}

// One date deleted from every stock under the progress dialog, the cache
// written out afterwards as an idle program or the exit would.
bool TimeDeletion(const char* what, PackedDate date) {
  BeginProgress(nullptr, 0, kStrAppTitle, 1);
  int stocks = 0, removed = 0;
  const double walk =
      TimeSteps(1, [&](int) { removed = DeleteBarsOfDateFromAllStocks(date, GetTodayPacked(), &stocks); }).median;
  EndProgress();
  const double flush = TimeSteps(1, [](int) { FlushAndFreeDailyCache(); }).median;
  std::printf("one date (%d/%d/%d) deleted from every stock, %s: %.0f ms (%d bars of %d stocks), flush %.0f ms\n",
              PackedYear(date), PackedMonth(date), PackedDay(date), what, walk, removed, stocks, flush);
  return stocks > 0;
}

int RunBench(const std::string& folder, int bars) {
  SampleDatabaseOptions options;
  options.folder = folder;
  options.stocks = kStocks;
  options.bars = bars;
  options.seed = 11;
  SampleDatabaseSummary summary{};
  const double setup = TimeSteps(1, [&](int) { MakeSampleDatabase(options, &summary); }).median;
  if (gStockTable == nullptr || gStockTable->count != kMaxStocks) {
    std::printf("cannot make the database in %s\n", folder.c_str());
    return 1;
  }
  std::printf("%d stocks of %d bars made and written in %.0f ms\n", gStockTable->count, bars, setup);
  FlushAndFreeDailyCache();
  if (!TimeDeletion("cache empty", IndexDateBack(bars / 2))) return 1;
  const double preload = TimeSteps(1, [](int) { PreloadDailyCache(); }).median;
  std::printf("every stock cached in %.0f ms\n", preload);
  if (!TimeDeletion("every stock cached", IndexDateBack(bars / 3))) return 1;

  BeginProgress(nullptr, 0, kStrAppTitle, 1);
  int changed = 0, gaps = 0;
  const double future = TimeSteps(1, [&](int) { changed = RemoveFutureBarsFromAllStocks(GetTodayPacked()); }).median;
  const double gapWalk = TimeSteps(1, [&](int) { gaps = FindStocksWithLongGaps([](int, void*) {}, nullptr); }).median;
  EndProgress();
  std::printf("bars after today looked for: %.0f ms (%d stocks changed); long gaps: %.0f ms (%d stocks)\n", future,
              changed, gapWalk, gaps);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunOnGeneratedDatabase(argc, argv, "velqo-repair-bench", kMaxBars, RunBench); }
