// One monthly price archive of 5000 stocks x 21 days (written by the Python
// generator, deflated) read, parsed and merged into a database whose every
// stock is in the daily cache, as the window passes of an import do it; and
// the parse alone, with the progress dialog open, as under the update.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bench_folder.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "data/daily_cache.h"
#include "data/price_archives.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"
#include "tools/sample_db/sample_database.h"
#include "tools/sample_db/series_digest.h"

namespace {

constexpr int kStocks = kMaxStocks - 4;  // besides the four market indices
constexpr int kBars = 300;
constexpr PackedDate kEnd = MakePackedDate(2026, 11, 30);

std::string gArchive;

std::string Generator() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind("bench/")) + "tools/make_price_archives.py";
}

void EnsureArchive() {
  if (!gArchive.empty()) return;
  const std::string folder = MakeBenchFolder("velqo-import-bench") + "/";
  SampleDatabaseOptions options;
  options.folder = folder;
  options.stocks = kStocks;
  options.bars = kBars;
  options.end = kEnd;
  if (MakeSampleDatabase(options, nullptr) != 0 || !OpenDatabaseFolder(folder.c_str())) std::abort();
  const std::string command = "python3 " + Generator() + " " + folder + " " + folder +
                              "TMPDOWN --monthly --method deflated --days 21 >/dev/null";
  if (std::system(command.c_str()) != 0) std::abort();
  gArchive = folder + "TMPDOWN/202612.zip";
  // Every day of the archive is a day gone by.
  gPriceRowsToday = [] { return MakePackedDate(2026, 12, 31); };
  PreloadDailyCache();
  if (gDailyCacheCount.load() != StockTableCount()) std::abort();
}

void BM_ImportMonthlyArchiveIntoCachedDatabase(benchmark::State& state) {
  EnsureArchive();
  PackedDate newest = 0;
  for (auto _ : state) {
    const PriceZipImport done = ImportPriceZip(gArchive.c_str());
    if (done.result != PriceZipResult::kImported || done.skippedRows != 0) std::abort();
    newest = done.newestReferenceDate;
  }
  state.counters["newest"] = newest;
}
BENCHMARK(BM_ImportMonthlyArchiveIntoCachedDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseMonthlyArchiveWithProgressOpen(benchmark::State& state) {
  EnsureArchive();
  uint32_t size = 0;
  char* text = LoadPriceArchiveText(gArchive.c_str(), nullptr, 0, &size);
  auto list = std::make_unique<ImportBarList>();
  BeginProgress(nullptr, 1, 0, 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseVendorPriceText(text, static_cast<int>(size), list.get()));
  }
  EndProgress();
  FreeBlock(text);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_ParseMonthlyArchiveWithProgressOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
