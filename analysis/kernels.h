#pragma once
// The indicator kernels: pure functions from one series to one or more series
// of the same length. N is the period in bars; periods below 1 (and RCI
// periods beyond its work arrays) are brought into range by the kernels.
#include "analysis/bar_columns.h"
#include "analysis/series_buffers.h"

// ---- Averages ----------------------------------------------------------------
void ComputeCloseAverageReal(const BarSeries& bars, RealSeries* out, int n);
void ComputeCloseAverage(const BarSeries& bars, IntSeries* out, int n);
void ComputeVolumeAverage(const BarSeries& bars, IntSeries* out, int n);
void ComputeSimpleAverage(const IntSeries& in, IntSeries* out, int n);
void ComputeRealAverage(const RealSeries& in, RealSeries* out, int n);
void SmoothExponentialPrices(const BarSeries& bars, IntSeries* out, int n);
void SmoothExponentialSeries(const IntSeries& in, IntSeries* out, int n);
void SmoothExponentialScaled(const BarSeries& bars, IntSeries* out, int n);
// Two averages of one input as the single kernels give them, in about the
// time of one (the steps of the chains overlap).
void SmoothExponentialPricesTwice(const BarSeries& bars, IntSeries* out1, int n1, IntSeries* out2, int n2);
void SmoothExponentialSeriesTwice(const IntSeries& in, IntSeries* out1, int n1, IntSeries* out2, int n2);
void SmoothExponentialScaledTwice(const BarSeries& bars, IntSeries* out1, int n1, IntSeries* out2, int n2);
// The closes as SmoothExponentialScaled averages them.
void ComputeScaledCloses(const BarSeries& bars, IntSeries* out);
// Up to kMaxSmoothingLines averages, each of `count` values of its own input
// (each the series SmoothExponentialSeries gives of them), stepped together.
constexpr int kMaxSmoothingLines = 8;
struct SmoothingLine {
  const int32_t* in;
  int n;
  IntSeries* out;
};
void SmoothExponentialTogether(const SmoothingLine* lines, int lineCount, int count);
void ComputeRateOfChange(const IntSeries& in, IntSeries* out, int n);

// ---- Trend and volume ----------------------------------------------------------
void ComputeDeviationFromAverage(const BarSeries& bars, const IntSeries& average, IntSeries* out);
void ComputeDeviationRate(const BarSeries& bars, IntSeries* out, int n1, int n2, KernelScratchSet& scratch);
// bands: centre, +1σ, -1σ, +2σ, -2σ, +3σ, -3σ
void ComputeBollingerBands(const BarSeries& bars, IntSeries* typical, RealSeries* const bands[7], int n,
                           KernelScratchSet& scratch);
void ComputeIchimokuConversion(const BarSeries& bars, RealSeries* out);
void ComputeIchimokuBase(const BarSeries& bars, RealSeries* out);
void ComputeIchimokuSpanB(const BarSeries& bars, RealSeries* out);
void AverageRealSeries(const RealSeries& a, const RealSeries& b, RealSeries* out);
void CopyCloseToRealSeries(const BarSeries& bars, RealSeries* out);
void ComputeParabolicSar(const BarSeries& bars, RealSeries* sar, IntSeries* position);
// tradingUnit: the stock's trading unit (0 or less counts as kDefaultTradingUnit).
void ComputeObv(const BarSeries& bars, IntSeries* out, int tradingUnit, KernelScratchSet& scratch);
void ComputeVolumeRatio(const BarSeries& bars, IntSeries* out, int n);

// ---- Oscillators ---------------------------------------------------------------
constexpr int kMaxRciPeriod = 320;
void ComputeRsi(const BarSeries& bars, IntSeries* out, int n);
void ComputeRci(const BarSeries& bars, IntSeries* out, int n);
void ComputeStochastics(const BarSeries& bars, IntSeries* k, int n, IntSeries* d, int m, KernelScratchSet& scratch);
void ComputeDirectionalMovement(const BarSeries& bars, IntSeries* plusDm, IntSeries* minusDm);
void ComputeTrueRange(const BarSeries& bars, IntSeries* tr);
void ComputeDirectionalIndex(const IntSeries& dm, const IntSeries& tr, IntSeries* out);
void ComputeDirectionalSpread(const IntSeries& plusDi, const IntSeries& minusDi, IntSeries* out);
void ComputePsychologicalLine(const BarSeries& bars, IntSeries* out, int n);

// ---- From a period's shared columns ---------------------------------------------
// The same series as the kernels above of columns->bars; each builds the
// columns it reads. The kernels above build a set of their own.
void ComputeCloseAverageRealFromColumns(BarColumns* columns, RealSeries* out, int n);
void ComputeCloseAverageFromColumns(BarColumns* columns, IntSeries* out, int n);
void ComputeVolumeAverageFromColumns(BarColumns* columns, IntSeries* out, int n);
void ComputeDeviationRateFromColumns(BarColumns* columns, IntSeries* out, int n1, int n2, KernelScratchSet& scratch);
void ComputeVolumeRatioFromColumns(BarColumns* columns, IntSeries* out, int n);
void CopyCloseToRealSeriesFromColumns(BarColumns* columns, RealSeries* out);
void ComputeBollingerBandsFromColumns(BarColumns* columns, IntSeries* typical, RealSeries* const bands[7], int n,
                                      KernelScratchSet& scratch);
void ComputeRsiFromColumns(BarColumns* columns, IntSeries* out, int n);
void ComputeRciFromColumns(BarColumns* columns, IntSeries* out, int n);
void ComputePsychologicalLineFromColumns(BarColumns* columns, IntSeries* out, int n);

// ---- Library functions no step calls ----------------------------------------------
int32_t HighestHighOverBars(const BarSeries& bars, int i, int n);
int32_t LowestLowOverBars(const BarSeries& bars, int i, int n);
int32_t AverageVolumeOverBars(const BarSeries& bars, int i, int n);
int32_t AverageBarRangeRate(const BarSeries& bars, int i, int n);
void ComputeHighLowPosition(const BarSeries& bars, IntSeries* out, int n);
void ComputeDistributionBands(const IntSeries& in, IntSeries* upper, IntSeries* lower, int n, int percent);
