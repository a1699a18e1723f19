// What the progress dialog costs a price import in the Windows build, to be
// run under Wine: one monthly text of 5000 stocks x 21 days parsed with no
// dialog, and with the dialog open (its bar moved and messages pumped as the
// parse goes); then the merge of the parsed list into 5000 cached stocks with
// the dialog open. The best of five runs each.
//
//   velqo_import_bench.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/win/bench_clock_win.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "data/daily_cache.h"
#include "data/merge_bars.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"

namespace {

constexpr int kDays = 21;
constexpr int kRounds = 5;

std::string MakeTable() {
  gStockTable->count = kMaxStocks;
  std::string text = "DATE,CODE,MARKET,OPEN,HIGH,LOW,CLOSE,VOLUME\r\n";
  char line[96];
  for (int day = 1; day <= kDays; ++day) {
    for (int i = 0; i < kMaxStocks; ++i) {
      std::snprintf(line, sizeof line, "%04d", 1300 + i);
      if (day == 1) {
        gStockTable->records[i] = StockRecord{};
        gStockTable->records[i].master.code = StringToCode(line);
        gStockTable->records[i].master.marketId = 1;
      }
      const int close = 500 + (i * 7 + day * 13) % 900;
      std::snprintf(line, sizeof line, "202612%02d,%04d,tp,%d,%d,%d,%d,%d\r\n", day, 1300 + i, close - 3, close + 9,
                    close - 8, close, 1000 + i);
      text += line;
    }
  }
  ResetStockLookupCache();
  return text;
}

template <typename Run>
double BestMs(Run run) {
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    const double start = NowMs();
    run();
    best = std::min(best, NowMs() - start);
  }
  return best;
}

}  // namespace

int main() {
  InitStockCodeGlobals();
  InitAppTexts();
  if (!AllocateStockTable() || !CreateDailyCache()) return 1;
  // Every day of the month is a day gone by.
  gPriceRowsToday = [] { return MakePackedDate(2026, 12, 31); };
  const std::string text = MakeTable();
  auto list = std::make_unique<ImportBarList>();
  auto parse = [&] { ParseVendorPriceText(text.data(), static_cast<int>(text.size()), list.get()); };
  const double closed = BestMs(parse);
  BeginProgress(nullptr, 1, 0, 2);
  const double open = BestMs(parse);
  EndProgress();
  // Every stock in the cache, as in a window pass: an empty data folder
  // gives each an empty series.
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  std::snprintf(gDataFolder, sizeof gDataFolder, "%svelqo-import-bench\\", folder);
  CreateDirectoryA(gDataFolder, nullptr);
  MakeDataFolderCurrent();
  CreateDirectoryA("DAY", nullptr);
  auto series = std::make_unique<BarSeries>();
  for (int i = 0; i < kMaxStocks; ++i) GetDailyBars(gStockTable->records[i].master.code, series.get());
  if (gDailyCacheCount.load() != kMaxStocks) std::printf("only %d stocks cached\n", gDailyCacheCount.load());
  BeginProgress(nullptr, 1, 0, 2);
  const double merged = BestMs([&] { MergeParsedBarsIntoAllStocks(*list); });
  EndProgress();
  std::printf("parse of %zu bytes (%d stocks x %d days): %.1f ms without the progress dialog, %.1f ms with it\n",
              text.size(), kMaxStocks, kDays, closed, open);
  std::printf("merge into %d cached stocks with the progress dialog: %.1f ms\n", kMaxStocks, merged);
  DestroyDailyCache();
  RemoveDirectoryA("DAY");
  return 0;
}
