#pragma once
// Market breadth: advances and declines of all stocks counted on the bars of
// the market index "1001", smoothed into an advance/decline ratio per period
// ("adr_d.dat", "adr_w.dat", "adr_m.dat") and carried onto each stock's dates.
#include <cstdint>

#include "analysis/series_buffers.h"

// The IntSeries layout, which is also the file image: ratio i belongs to the
// i-th index bar the ratios were computed for (10000 = as many advances as declines).
using MarketBreadthSeries = IntSeries;

// The dates of the index bars the ratios belong to.
struct BreadthDates {
  int32_t count;
  PackedDate dates[kMaxBars];
};

constexpr int kBreadthPeriods = 3;  // daily, weekly, monthly
constexpr int kAdrSnapshotItem = 68;
constexpr uint16_t kBreadthMarketFlag = 0x100;  // only these stocks are counted

extern int gCountAdvances;  // set from ResetMarketBreadthCounters to FinishMarketBreadth
extern BarSeries* gBreadthIndexBars[kBreadthPeriods];
extern IntSeries* gBreadthAdvances[kBreadthPeriods];
extern IntSeries* gBreadthDeclines[kBreadthPeriods];
extern MarketBreadthSeries* gBreadthRatios[kBreadthPeriods];
extern BreadthDates* gBreadthRatioDates[kBreadthPeriods];

// Allocates the store (once), reads the three files from the data folder and
// builds the index series; false when memory is short. A file's ratios get
// the dates of the current index series only when the counts agree;
// otherwise none of them matches a date until the next run computes them.
bool InitMarketBreadth();
// Starts an all-stock run: rebuilds the index series and zeroes the counters.
void ResetMarketBreadthCounters();
// Adds each stock bar whose close moved to the counters of the index bar of
// the same date. Safe from several threads at once (atomic increments).
void CountAdvancesDeclines(const BarSeries& stockBars, const BarSeries& indexBars, IntSeries* advances,
                           IntSeries* declines);
// The above for a stock's adjusted daily, weekly and monthly series.
void CountAdvancesDeclinesAllPeriods(const BarSeries& daily, const BarSeries& weekly, const BarSeries& monthly);
// ratio(i) = average advances x 10000 / average declines over n bars; 0 when
// the declines average below 1.
void ComputeBreadthRatios(MarketBreadthSeries* out, const IntSeries& advances, const IntSeries& declines, int n,
                          KernelScratchSet& scratch);
// Turns the counters of the run into the ratios of the three periods, with
// the dates of the index series they were counted on.
void ComputeMarketBreadthRatios(KernelScratchSet& scratch);
// Ends an all-stock run. Completed: the new ratios, their files, the stocks'
// snapshot item 68, and the recompute flags cleared when every file was
// written (true then). Not completed (cancelled or failed): the previous
// ratios, files and flags stay; false.
bool FinishMarketBreadth(bool completed);
// The period's ratios (0 daily, 1 weekly, 2 monthly; others daily) on the
// stock's dates: 10000 before the first matched date, and a date without a
// ratio repeats the value before it.
void BuildStockAdrSeries(int period, const BarSeries& bars, IntSeries* out);
