#include "analysis/market_breadth.h"

#include <algorithm>
#include <cstring>

#include "analysis/kernels.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

int gCountAdvances = 0;
BarSeries* gBreadthIndexBars[kBreadthPeriods] = {};
IntSeries* gBreadthAdvances[kBreadthPeriods] = {};
IntSeries* gBreadthDeclines[kBreadthPeriods] = {};
MarketBreadthSeries* gBreadthRatios[kBreadthPeriods] = {};
BreadthDates* gBreadthRatioDates[kBreadthPeriods] = {};

namespace {

constexpr const char* kRatioFileNames[kBreadthPeriods] = {"adr_d.dat", "adr_w.dat", "adr_m.dat"};
constexpr int32_t kEvenRatio = 10000;

int ClampCount(int32_t count) { return std::clamp<int32_t>(count, 0, kMaxBars); }

template <typename T>
bool AllocOnce(T** block) {
  if (*block == nullptr) *block = static_cast<T*>(AllocBlock(sizeof(T)));
  return *block != nullptr;
}

bool gBreadthStoreReady = false;

bool AllocateBreadthStore() {
  bool ok = true;
  for (int p = 0; p < kBreadthPeriods; ++p) {
    ok = AllocOnce(&gBreadthIndexBars[p]) && ok;
    ok = AllocOnce(&gBreadthAdvances[p]) && ok;
    ok = AllocOnce(&gBreadthDeclines[p]) && ok;
    ok = AllocOnce(&gBreadthRatios[p]) && ok;
    ok = AllocOnce(&gBreadthRatioDates[p]) && ok;
  }
  gBreadthStoreReady = ok;
  return ok;
}

bool IsBreadthStoreReady() { return gBreadthStoreReady; }

void BuildBreadthIndexSeries() {
  GetDailyBars(gCanonicalIndexCodes[0], gBreadthIndexBars[0]);
  BuildWeeklyBars(*gBreadthIndexBars[0], gBreadthIndexBars[1]);
  BuildMonthlyBars(*gBreadthIndexBars[0], gBreadthIndexBars[2]);
}

// The dates of the first `count` bars of the period's index series.
void TakeIndexDates(int period, int count) {
  const BarSeries& index = *gBreadthIndexBars[period];
  BreadthDates* dates = gBreadthRatioDates[period];
  dates->count = std::min(count, ClampCount(index.count));
  for (int i = 0; i < dates->count; ++i) dates->dates[i] = index.bars[i].date;
}

void LoadRatioFile(int period) {
  MarketBreadthSeries* ratios = gBreadthRatios[period];
  uint32_t bytes = 0;
  const int error = LoadFileToBufferEx(kRatioFileNames[period], ratios, sizeof(MarketBreadthSeries), &bytes);
  const int stored = bytes >= 4 ? static_cast<int>((bytes - 4) / 4) : 0;
  ratios->count = error != 0 ? 0 : std::clamp<int32_t>(ratios->count, 0, std::min(stored, kMaxBars));
}

// The files keep no dates. When the index series has as many bars as the
// file has ratios, they are taken to be the bars the ratios were computed
// on. Otherwise the index has gained or lost bars since, at either end, and
// no placement can be trusted: the ratios then match no date.
void AttachIndexDates(int period) {
  const bool countsAgree = gBreadthRatios[period]->count == ClampCount(gBreadthIndexBars[period]->count);
  TakeIndexDates(period, countsAgree ? gBreadthRatios[period]->count : 0);
}

bool SaveRatioFiles() {
  MakeDataFolderCurrent();
  bool saved = true;
  for (int p = 0; p < kBreadthPeriods; ++p) {
    saved = SaveBufferToFile(kRatioFileNames[p], gBreadthRatios[p], sizeof(MarketBreadthSeries)) == 0 && saved;
  }
  return saved;
}

// The ratio `back` values before the period's last, in whole percent; 0 when there is none.
double RatioPercentFromEnd(int period, int back) {
  const MarketBreadthSeries& ratios = *gBreadthRatios[period];
  const int i = ClampCount(ratios.count) - 1 - back;
  return i >= 0 ? static_cast<double>(ratios.values[i] / 100) : 0.0;
}

void StoreBreadthSnapshots() {
  if (gStockTable == nullptr) return;
  const int stocks = std::clamp<int32_t>(gStockTable->count, 0, kMaxStocks);
  for (int s = 0; s < stocks; ++s) {
    IndicatorSnapshot* snapshots = gStockTable->records[s].snapshots;
    for (int p = 0; p < kBreadthPeriods; ++p) {
      snapshots[2 * p].values[kAdrSnapshotItem] = RatioPercentFromEnd(p, 0);
      snapshots[2 * p + 1].values[kAdrSnapshotItem] = RatioPercentFromEnd(p, 1);
    }
  }
}

// One step of the forward walk over ascending dates: the position of the
// date, or -1. The position moves past a match, stops at a later date, and
// stays where it was when the dates run out first.
template <typename DateAt>
int MatchDate(DateAt dateAt, int count, int* position, PackedDate date) {
  int k = *position;
  while (k < count && dateAt(k) < date) ++k;
  if (k == count) return -1;
  *position = k;
  if (dateAt(k) != date) return -1;
  *position = k + 1;
  return k;
}

void AddOne(int32_t* counter) { __atomic_fetch_add(counter, 1, __ATOMIC_RELAXED); }

}  // namespace

bool InitMarketBreadth() {
  gCountAdvances = 0;
  if (!AllocateBreadthStore()) return false;
  BuildBreadthIndexSeries();
  MakeDataFolderCurrent();
  for (int p = 0; p < kBreadthPeriods; ++p) {
    LoadRatioFile(p);
    AttachIndexDates(p);
  }
  return true;
}

void ResetMarketBreadthCounters() {
  gCountAdvances = 1;
  if (!IsBreadthStoreReady()) return;
  BuildBreadthIndexSeries();
  for (int p = 0; p < kBreadthPeriods; ++p) {
    const int count = ClampCount(gBreadthIndexBars[p]->count);
    for (IntSeries* counters : {gBreadthAdvances[p], gBreadthDeclines[p]}) {
      std::memset(counters, 0, sizeof(IntSeries));
      counters->count = count;
    }
  }
}

void CountAdvancesDeclines(const BarSeries& stockBars, const BarSeries& indexBars, IntSeries* advances,
                           IntSeries* declines) {
  const int stockCount = ClampCount(stockBars.count);
  const int indexCount =
      std::min({ClampCount(indexBars.count), ClampCount(advances->count), ClampCount(declines->count)});
  auto indexDate = [&indexBars](int k) { return indexBars.bars[k].date; };
  int position = 0;
  for (int i = 1; i < stockCount; ++i) {
    const int j = MatchDate(indexDate, indexCount, &position, stockBars.bars[i].date);
    if (j < 0) continue;
    const int32_t close = stockBars.bars[i].close;
    const int32_t previous = stockBars.bars[i - 1].close;
    if (close > previous) AddOne(&advances->values[j]);
    if (close < previous) AddOne(&declines->values[j]);
  }
}

void CountAdvancesDeclinesAllPeriods(const BarSeries& daily, const BarSeries& weekly, const BarSeries& monthly) {
  if (!IsBreadthStoreReady()) return;
  const BarSeries* series[kBreadthPeriods] = {&daily, &weekly, &monthly};
  for (int p = 0; p < kBreadthPeriods; ++p) {
    CountAdvancesDeclines(*series[p], *gBreadthIndexBars[p], gBreadthAdvances[p], gBreadthDeclines[p]);
  }
}

void ComputeBreadthRatios(MarketBreadthSeries* out, const IntSeries& advances, const IntSeries& declines, int n,
                          KernelScratchSet& scratch) {
  IntSeries* averageAdvances = scratch.ints[0];
  IntSeries* averageDeclines = scratch.ints[1];
  ComputeSimpleAverage(advances, averageAdvances, n);
  ComputeSimpleAverage(declines, averageDeclines, n);
  const int count =
      std::min({ClampCount(advances.count), ClampCount(averageAdvances->count), ClampCount(averageDeclines->count)});
  for (int i = 0; i < count; ++i) {
    const int64_t down = averageDeclines->values[i];
    const int64_t ratio = down >= 1 ? int64_t{averageAdvances->values[i]} * kEvenRatio / down : 0;
    out->values[i] = static_cast<int32_t>(std::clamp<int64_t>(ratio, INT32_MIN, INT32_MAX));
  }
  out->count = count;
}

void ComputeMarketBreadthRatios(KernelScratchSet& scratch) {
  if (!IsBreadthStoreReady()) return;
  for (int p = 0; p < kBreadthPeriods; ++p) {
    const int n = std::max<int>(gIndicatorParams[p].slot[kParamAdvanceDecline], 1);
    ComputeBreadthRatios(gBreadthRatios[p], *gBreadthAdvances[p], *gBreadthDeclines[p], n, scratch);
    TakeIndexDates(p, gBreadthRatios[p]->count);
  }
}

bool FinishMarketBreadth(bool completed) {
  gCountAdvances = 0;
  if (!completed || !IsBreadthStoreReady()) return false;
  ComputeMarketBreadthRatios(gMainScratch);
  const bool saved = SaveRatioFiles();
  StoreBreadthSnapshots();
  if (!saved) return false;
  gRecomputeNeeded = 0;
  gGroupsDirty = 0;
  return true;
}

void BuildStockAdrSeries(int period, const BarSeries& bars, IntSeries* out) {
  if (period < 0 || period >= kBreadthPeriods) period = 0;
  const MarketBreadthSeries* ratios = gBreadthRatios[period];
  const BreadthDates* dates = gBreadthRatioDates[period];
  const int known =
      ratios != nullptr && dates != nullptr ? std::min(ClampCount(ratios->count), ClampCount(dates->count)) : 0;
  auto ratioDate = [dates](int k) { return dates->dates[k]; };
  const int count = ClampCount(bars.count);
  int position = 0;
  int32_t value = kEvenRatio;
  for (int i = 0; i < count; ++i) {
    const int j = MatchDate(ratioDate, known, &position, bars.bars[i].date);
    if (j >= 0) value = ratios->values[j];
    out->values[i] = value;
  }
  out->count = count;
}
