// The daily cache over a full database of 5000 stocks with 2000..5071 bars
// each: filling the cache against plain reads of the same files, serving from
// a filled cache, and one new day merged into every stock and written back.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "data/daily_cache.h"
#include "data/merge_bars.h"
#include "data/stock_table.h"
#include "common/app_globals.h"

namespace {

constexpr PackedDate kFirstDay = MakePackedDate(2004, 1, 5);

std::string gFolder;
PackedDate gNextDay = 0;

std::string CodeText(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "%04d", 1300 + i);
  return text;
}

int BarsOf(int i) { return 2000 + (i * 7919) % (kMergeBarCap - 2000 + 1); }

void WriteStockFile(int i, BarSeries* series) {
  series->code = StringToCode(CodeText(i).c_str());
  series->count = BarsOf(i);
  for (int n = 0; n < series->count; ++n) {
    const int close = 800 + (n * 37 + i) % 900;
    series->bars[n] = {AddCalendarDays(kFirstDay, n), close - 4, close + 11, close - 9, close, 1000 + n * 3};
  }
  std::ofstream out("DAY/" + CodeText(i), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(series), SeriesFileBytes(series->count));
}

// Generated once per run into a temporary data folder.
void EnsureDatabase() {
  if (!gFolder.empty()) return;
  gFolder = MakeBenchDataFolder("velqo-day-bench");
  if (mkdir("DAY", 0777) != 0) std::abort();
  InitStockCodeGlobals();
  if (!AllocateStockTable() || !CreateDailyCache()) std::abort();
  auto series = std::make_unique<BarSeries>();
  for (int i = 0; i < kMaxStocks; ++i) {
    WriteStockFile(i, series.get());
    StockRecord& record = gStockTable->records[i];
    record.master.code = series->code;
    record.dailyCount = series->count;
  }
  gStockTable->count = kMaxStocks;
  ResetStockLookupCache();
  gNextDay = AddCalendarDays(kFirstDay, kMergeBarCap);
}

void FillCache(BarSeries* out) {
  for (int i = 0; i < kMaxStocks; ++i) GetDailyBars(gStockTable->records[i].master.code, out);
}

void BM_DailyFilesPlainRead(benchmark::State& state) {
  EnsureDatabase();
  auto buffer = std::make_unique<BarSeries>();
  int64_t bytes = 0;
  for (auto _ : state) {
    for (int i = 0; i < kMaxStocks; ++i) {
      const int fd = open(("DAY/" + CodeText(i)).c_str(), O_RDONLY);
      const ssize_t n = read(fd, buffer.get(), sizeof(BarSeries));
      close(fd);
      bytes += n;
    }
    benchmark::DoNotOptimize(buffer->count);
  }
  state.SetBytesProcessed(bytes);
}

// The same reads, each into a zero-filled block of its own that is kept, as
// the cache does: what memory alone costs.
void BM_DailyFilesPlainReadKeepingCopies(benchmark::State& state) {
  EnsureDatabase();
  std::vector<void*> copies(kMaxStocks, nullptr);
  for (auto _ : state) {
    for (int i = 0; i < kMaxStocks; ++i) {
      copies[i] = std::calloc(1, sizeof(BarSeries));
      const int fd = open(("DAY/" + CodeText(i)).c_str(), O_RDONLY);
      benchmark::DoNotOptimize(read(fd, copies[i], sizeof(BarSeries)));
      close(fd);
    }
    state.PauseTiming();
    for (void*& copy : copies) std::free(copy);
    state.ResumeTiming();
  }
}

void BM_DailyCacheFillFromFiles(benchmark::State& state) {
  EnsureDatabase();
  auto out = std::make_unique<BarSeries>();
  for (auto _ : state) {
    state.PauseTiming();
    FlushAndFreeDailyCache();
    state.ResumeTiming();
    FillCache(out.get());
    benchmark::DoNotOptimize(out->count);
  }
  state.counters["cached"] = gDailyCacheCount.load();
}

void BM_DailyCacheServeFilled(benchmark::State& state) {
  EnsureDatabase();
  auto out = std::make_unique<BarSeries>();
  FillCache(out.get());
  for (auto _ : state) {
    FillCache(out.get());
    benchmark::DoNotOptimize(out->count);
  }
}

// One new bar for every stock, as a price archive brings it.
std::unique_ptr<ImportBarList> NewDayList() {
  auto list = std::make_unique<ImportBarList>();
  gNextDay = AddCalendarDays(gNextDay, 1);
  for (int i = 0; i < kMaxStocks; ++i) {
    list->entries[i].count = 1;
    list->entries[i].bars[0] = {gNextDay, 1000, 1010, 990, 1005, 12345};
  }
  return list;
}

void BM_MergeNewDayIntoCachedStocks(benchmark::State& state) {
  EnsureDatabase();
  auto out = std::make_unique<BarSeries>();
  FillCache(out.get());
  for (auto _ : state) {
    state.PauseTiming();
    auto list = NewDayList();
    state.ResumeTiming();
    MergeParsedBarsIntoAllStocks(*list);
  }
  state.counters["dirty"] = CountDirtyDailyCacheEntries();
  FlushDailyCache();
}

void BM_MergeNewDayAndFlush(benchmark::State& state) {
  EnsureDatabase();
  auto out = std::make_unique<BarSeries>();
  FillCache(out.get());
  for (auto _ : state) {
    state.PauseTiming();
    auto list = NewDayList();
    state.ResumeTiming();
    MergeParsedBarsIntoAllStocks(*list);
    FlushDailyCache();
  }
}

}  // namespace

BENCHMARK(BM_DailyFilesPlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailyFilesPlainReadKeepingCopies)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailyCacheFillFromFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailyCacheServeFilled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeNewDayIntoCachedStocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeNewDayAndFlush)->Unit(benchmark::kMillisecond)->Iterations(3);
