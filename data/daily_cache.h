#pragma once
// The daily cache: one slot per stock-table index holding a copy of the
// stock's daily series, with a dirty flag. One lock guards every operation;
// worker threads use the same calls.
#include <atomic>
#include <cstdint>

#include "data/daily_files.h"
#include "data/stock_table.h"
#include "records/price_series.h"

struct DailyCache {
  BarSeries* slots[kMaxStocks];
  uint32_t dirty[kMaxStocks];
};

constexpr uint32_t kCacheMemoryLoadLimit = 90;      // percent; no new copies from here on
constexpr uint64_t kLowPhysicalMemory = 0x8000000;  // 128 MB: the cache is not kept

extern DailyCache* gDailyCache;
extern std::atomic<int> gDailyCacheCount;
extern BarSeries* gScratchSeries;  // for the single-threaded whole-database jobs
// Set by the daily price update while it runs: the flush shows no abort button then.
extern int gPriceUpdateRunning;
// Memory load and total physical memory as the cache sees them (tests replace it).
using MemoryStatusFn = void (*)(uint32_t* loadPercent, uint64_t* totalPhysical);
extern MemoryStatusFn gDailyCacheMemoryStatus;

bool CreateDailyCache();
// Frees every copy and the block without writing anything.
void DestroyDailyCache();
void GetDailyBars(StockCode code, BarSeries* out);
// The stored series, to be changed and handed back to UpdateDailyBars: from
// the slot when filled, else read without caching it; never cut by time-back.
void GetDailyBarsForUpdate(StockCode code, BarSeries* out);
void UpdateDailyBars(StockCode code, const BarSeries& series);
// UpdateDailyBars without the error box: 0 or the error of the file write.
int StoreDailyBars(StockCode code, const BarSeries& series);
// Writes the series to the stock's file at once, then puts it in the stock's
// slot when filled (clean: the file holds it). A failed write changes neither
// file nor slot; nothing is shown. 0 or the error.
int WriteDailyBarsNow(StockCode code, const BarSeries& series);
int CountDirtyDailyCacheEntries();
void FlushDailyCacheEntry(StockCode code);
// Writes the first changed slot; false when none was waiting.
bool FlushNextDirtyDailyCacheEntry();
void FlushDailyCache();
// False when a changed series could not be written: its copy stays in the cache.
bool FlushAndFreeDailyCache();
void TrimDailyCacheIfMemoryLow();
int PreloadDailyCache();
// Writes the window and moves its buffers on to the next stocks. Stops at the
// first file that cannot be written (false, with it in `failure` when given;
// nothing is shown): its copy stays in the cache, still dirty.
bool AdvanceDailyCacheWindow(DailyWriteFailure* failure);
bool IsDailyCacheSlotFilled(int index);

// The worker threads of an all-stock run, between these two calls, read the
// cache with ReadDailyBarsInWorker; meanwhile every other operation that
// changes the cache or a daily file, on any thread, waits for the last
// worker to leave.
void EnterDailyCacheAsWorker();
void LeaveDailyCacheAsWorker();
// A worker's daily bars of stock `index`: the cached copy, else with
// `loadUncached` the file read under the lock, without waiting between
// attempts, and cached while memory allows; false when the stock was left
// out. `error` receives a read error for the caller to report after the run.
bool ReadDailyBarsInWorker(int index, StockCode code, bool loadUncached, BarSeries* out, int* error);
// One box for the daily files a run could not read: their number and the first error.
void ReportUnreadDailyFiles(int count, int firstError);
