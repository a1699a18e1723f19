#include "data/merge_bars.h"

#include <algorithm>
#include <cstring>

#include "data/data_hooks.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "common/progress.h"

namespace {

constexpr int32_t kThousandsPreviousClose = 80000;  // a previous close above this...
constexpr int32_t kThousandsMaxClose = 999;         // ...and a new close of 1..999: quoted in thousands
constexpr int32_t kThousandsFactor = 1000;
constexpr PackedDate kReusedCodeFirstDate = MakePackedDate(2004, 2, 19);  // for "8303"

// Live quotes sometimes come in thousands of yen for very high prices.
void FixThousands(PriceBar* bar, const PriceBar& previous) {
  if (previous.close <= kThousandsPreviousClose || bar->close < 1 || bar->close > kThousandsMaxClose) return;
  bar->open *= kThousandsFactor;
  bar->high *= kThousandsFactor;
  bar->low *= kThousandsFactor;
  bar->close *= kThousandsFactor;
}

// Fills missing prices of a stored bar from the bar before it (none at index 0).
void RepairPrices(BarSeries* series, int k) {
  if (k < 1) return;
  PriceBar& bar = series->bars[k];
  if (bar.close < 1) {
    bar.close = series->bars[k - 1].close;
    bar.open = bar.close;
    bar.high = bar.close;
    bar.low = bar.close;
  }
  if (bar.open < 1 || bar.high < 1 || bar.low < 1) {
    bar.open = bar.close;
    bar.high = bar.close;
    bar.low = bar.close;
  }
}

void StoreBar(BarSeries* series, int k, const PriceBar& bar) {
  series->bars[k] = bar;
  RepairPrices(series, k);
}

void DropOldestBars(BarSeries* series, int drop) {
  const int kept = series->count - drop;
  std::memmove(series->bars, series->bars + drop, sizeof(PriceBar) * static_cast<size_t>(kept));
  series->count = kept;
}

// A bar newer than every stored bar. A full series makes room by dropping
// its oldest bars, but only for a bar that will be counted.
void AppendBar(PriceBar* bar, BarSeries* series, int quoteRules) {
  const int n = series->count;
  if (n >= 1 && quoteRules != 0) FixThousands(bar, series->bars[n - 1]);
  // The close the bar will have once repaired.
  const int32_t close = n >= 1 && bar->close < 1 ? series->bars[n - 1].close : bar->close;
  if (close <= 0) return;
  if (n >= kMergeBarCap) DropOldestBars(series, n - kMergeBarCap + 1);
  StoreBar(series, series->count, *bar);
  ++series->count;
}

// The bar for a stored date at index j.
void ReplaceBar(PriceBar* bar, BarSeries* series, int j, int quoteRules, int replaceEmpty) {
  if (quoteRules == 0) {
    if (bar->volume > 0 || replaceEmpty != 0) StoreBar(series, j, *bar);
    return;
  }
  if (j >= 1) FixThousands(bar, series->bars[j - 1]);
  if (IsOrderLinkOpen() && bar->volume < series->bars[j].volume) {
    *bar = series->bars[j];
    return;
  }
  StoreBar(series, j, *bar);
}

// A bar older than the stored bar j and newer than the one before it.
void InsertBar(PriceBar* bar, BarSeries* series, int j, int quoteRules) {
  if (j == 0 && bar->close <= 0) return;
  const int n = series->count;
  if (n < kMergeBarCap) {
    std::memmove(series->bars + j + 1, series->bars + j, sizeof(PriceBar) * static_cast<size_t>(n - j));
    series->count = n + 1;
    if (quoteRules != 0 && j >= 1) FixThousands(bar, series->bars[j - 1]);
    StoreBar(series, j, *bar);
    return;
  }
  // Full: the oldest bars make room, the count ends at the cap.
  const int drop = n - kMergeBarCap + 1;
  if (j < drop) return;
  const int k = j - drop;
  std::memmove(series->bars, series->bars + drop, sizeof(PriceBar) * static_cast<size_t>(k));
  if (drop > 1) std::memmove(series->bars + k + 1, series->bars + j, sizeof(PriceBar) * static_cast<size_t>(n - j));
  series->count = kMergeBarCap;
  if (quoteRules != 0 && k >= 1) FixThousands(bar, series->bars[k - 1]);
  StoreBar(series, k, *bar);
}

int StockCount() { return gStockTable == nullptr ? 0 : std::clamp(gStockTable->count, 0, kMaxStocks); }

void UpdateStockRecord(StockRecord* record, const ImportBarEntry& entry, int listed, const BarSeries& series) {
  record->dailyCount = series.count;
  if (series.count < 1) {
    record->lastDate = 0;
    record->liveTime = 0;
    record->lastBar.close = 0;
    return;
  }
  const PriceBar& last = series.bars[series.count - 1];
  if (entry.bars[listed - 1].date >= last.date) {
    record->lastDate = last.date;
    record->liveTime = kLiveTimeFinished;
  }
  record->lastBar = last;
}

// True when the series already holds this very bar at its date.
bool HoldsBar(const BarSeries& series, const PriceBar& bar) {
  const int n = std::clamp(series.count, 0, kMaxBars);
  const PriceBar* at = std::lower_bound(series.bars, series.bars + n, bar.date,
                                        [](const PriceBar& stored, PackedDate date) { return stored.date < date; });
  return at != series.bars + n && std::memcmp(at, &bar, sizeof bar) == 0;
}

// 0, or the error of the stock's file write (its record is left as it was).
int MergeEntryIntoStock(int index, const ImportBarEntry& entry) {
  const int listed = std::min(entry.count, kImportBarsPerStock);
  StockRecord& record = gStockTable->records[index];
  GetDailyBarsForUpdate(record.master.code, gScratchSeries);
  // An import takes every archive twice (straight into the files, then into
  // each cache window): bars already held are not stored again, since every
  // stored series costs a flushed file write.
  bool changed = false;
  for (int k = 0; k < listed; ++k) {
    PriceBar bar = entry.bars[k];
    changed = changed || !HoldsBar(*gScratchSeries, bar);
    MergePriceBar(&bar, gScratchSeries, 0, 0);
  }
  if (changed) {
    if (const int error = StoreDailyBars(record.master.code, *gScratchSeries)) return error;
  }
  UpdateStockRecord(&record, entry, listed, *gScratchSeries);
  return 0;
}

}  // namespace

void MergePriceBar(PriceBar* bar, BarSeries* series, int quoteRules, int replaceEmpty) {
  series->count = std::clamp(series->count, 0, kMaxBars);
  const int n = series->count;
  if (series->code == StringToCode("8303") && bar->date < kReusedCodeFirstDate) return;
  if (n == 0 || bar->date > series->bars[n - 1].date) {
    AppendBar(bar, series, quoteRules);
    return;
  }
  if (n >= kMergeBarCap && bar->date < series->bars[0].date) return;
  const PriceBar* at = std::lower_bound(series->bars, series->bars + n, bar->date,
                                        [](const PriceBar& stored, PackedDate date) { return stored.date < date; });
  const int j = static_cast<int>(at - series->bars);
  if (at->date == bar->date) {
    ReplaceBar(bar, series, j, quoteRules, replaceEmpty);
  } else {
    InsertBar(bar, series, j, quoteRules);
  }
}

bool MergeParsedBarsIntoAllStocks(const ImportBarList& list, DailyWriteFailure* failure) {
  if (gScratchSeries == nullptr) return true;
  const int stocks = StockCount();
  // While the cache holds a window of stocks, only those are merged; else
  // every stock is, straight to its file, without filling the cache.
  const bool windowed = gDailyCacheCount.load() > 0;
  SetProgressSubRange(stocks);
  for (int i = 0; i < stocks; ++i) {
    SetProgressSubPos(static_cast<uint32_t>(i));
    if (gProgressCancelled != 0) break;
    if (windowed && !IsDailyCacheSlotFilled(i)) continue;
    if (list.entries[i].count < 1) continue;
    if (const int error = MergeEntryIntoStock(i, list.entries[i])) {
      if (failure != nullptr) *failure = {gStockTable->records[i].master.code, error};
      return false;
    }
  }
  StepProgress();
  return true;
}
