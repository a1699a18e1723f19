// Deviation rate, Bollinger bands, Ichimoku lines and the parabolic SAR.
#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/kernel_math.h"
#include "analysis/kernels.h"

namespace {

constexpr int32_t kCoarseDeviationClose = 100000;
constexpr int kSecondAverageMinimum = 4;

constexpr int kIchimokuConversionBars = 9;
constexpr int kIchimokuBaseBars = 26;
constexpr int kIchimokuSpanBBars = 52;
constexpr int kIchimokuFirstIndex = 30;
constexpr int kIchimokuSpanBFirstIndex = 52;

constexpr double kParabolicStartFactor = 0.2;  // the first trend only; reversals restart at 0.02
constexpr double kParabolicStepFactor = 0.02;
constexpr double kParabolicFactorLimit = 0.2;

// ---- Deviation rate --------------------------------------------------------------

// Hundredths of a percent; from a close of 100000 whole percents times 100.
// Both products are below 2^53 in magnitude, so the truncated double quotient
// is the integer division's.
int32_t DeviationFromAverage(int32_t close, int32_t average) {
  if (average < 1) return 0;
  const bool coarse = close >= kCoarseDeviationClose;
  const int64_t whole = static_cast<int64_t>(close * (coarse ? 100.0 : 10000.0) / average);
  return ClampKernelSum(coarse ? (whole - 100) * 100 : whole - 10000);
}

// Closes of 0..99999 over an average of 1 or more: the quotient stays below
// 10^9, so no bound is needed. Free of branches, so that loops of it vectorise.
int32_t IsPlainDeviation(int32_t close, int32_t average) {
  return (close >= 0) & (close < kCoarseDeviationClose) & (average >= 1);
}

// Every bar as a plain one first (the quotient held within 32 bits), then,
// where there are others, those again.
void DeviationsFromAverage(const int32_t* closes, const IntSeries& average, IntSeries* out) {
  const int count = ClampKernelCount(average.count);
  const int32_t* averages = average.values;
  int32_t allPlain = 1;
  for (int i = 0; i < count; ++i) {
    const double quotient = closes[i] * 10000.0 / std::max(averages[i], 1);
    out->values[i] = static_cast<int32_t>(std::min(std::max(quotient, 0.0), 1e9)) - 10000;
    allPlain &= IsPlainDeviation(closes[i], averages[i]);
  }
  out->count = count;
  if (allPlain != 0) return;
  for (int i = 0; i < count; ++i) {
    if (!IsPlainDeviation(closes[i], averages[i])) out->values[i] = DeviationFromAverage(closes[i], averages[i]);
  }
}

// ---- Bollinger bands -------------------------------------------------------------

// Centre, then centre plus and minus 1, 2 and 3 sigma.
constexpr std::array<double, 3> kSigmaMultiples = {1.0, 2.0, 3.0};

void WriteBands(RealSeries* const bands[7], int i, double centre, double sigma) {
  bands[0]->values[i] = centre;
  for (size_t m = 0; m < kSigmaMultiples.size(); ++m) {
    const double width = kSigmaMultiples[m] * sigma;
    bands[1 + 2 * m]->values[i] = centre + width;
    bands[2 + 2 * m]->values[i] = centre - width;
  }
}

// ---- Ichimoku ----------------------------------------------------------------------

// Highest high and lowest low of a sliding window by blocks of window bars
// from bar 0: a window covers the tail of one block and the head of the next,
// so its extremes are the block tail's (suffix, kept per block) and the head's
// (prefix, running). A few comparisons per bar, none of them hard to predict.
struct RangeExtremes {
  int32_t high;
  int32_t low;
};

constexpr RangeExtremes kNoExtremes = {INT32_MIN, INT32_MAX};

RangeExtremes WidenExtremes(RangeExtremes range, const PriceBar& bar) {
  return {std::max(range.high, bar.high), std::min(range.low, bar.low)};
}

RangeExtremes JoinExtremes(RangeExtremes a, RangeExtremes b) {
  return {std::max(a.high, b.high), std::min(a.low, b.low)};
}

using BlockSuffixes = std::array<RangeExtremes, kIchimokuSpanBBars>;

// suffix[k] = extremes of bars blockStart + k .. blockStart + window - 1.
void FillBlockSuffixes(const PriceBar* bar, int blockStart, int window, BlockSuffixes* suffix) {
  RangeExtremes range = kNoExtremes;
  for (int k = window - 1; k >= 0; --k) {
    range = WidenExtremes(range, bar[blockStart + k]);
    (*suffix)[static_cast<size_t>(k)] = range;
  }
}

// (highest high + lowest low) * 0.5 over the window bars ending at each bar
// from first on; the highest starts from 0. Earlier bars copy value first;
// a series not longer than first stays 0.0.
void ComputeRangeMidpoint(const BarSeries& bars, RealSeries* out, int window, int first) {
  const int count = ClampKernelCount(bars.count);
  out->count = count;
  std::fill_n(out->values, count, 0.0);
  if (count <= first) return;
  const PriceBar* bar = bars.bars;
  BlockSuffixes suffix;
  int headOffset = first % window;  // place of bar i in its block
  RangeExtremes head = kNoExtremes;
  for (int k = first - headOffset; k < first; ++k) head = WidenExtremes(head, bar[k]);
  for (int i = first; i < count; ++i) {
    if (headOffset == 0) head = kNoExtremes;
    head = WidenExtremes(head, bar[i]);
    const int tailOffset = headOffset + 1 == window ? 0 : headOffset + 1;  // place of bar i - window + 1
    const int tailStart = i - window + 1;
    if (tailOffset == 0 || i == first) FillBlockSuffixes(bar, tailStart - tailOffset, window, &suffix);
    const RangeExtremes range = JoinExtremes(suffix[static_cast<size_t>(tailOffset)], head);
    const int64_t highest = std::max(0, range.high);
    out->values[i] = static_cast<double>(highest + range.low) * 0.5;
    headOffset = tailOffset;
  }
  std::fill_n(out->values, first, out->values[first]);
}

// ---- Parabolic SAR -------------------------------------------------------------------

struct ParabolicState {
  double sar;
  double extreme;
  double factor;
  bool falling;
};

void RaiseParabolicFactor(ParabolicState* state) {
  if (state->factor < kParabolicFactorLimit) state->factor += kParabolicStepFactor;
}

void StepParabolic(ParabolicState* state, const PriceBar& bar) {
  state->sar = state->sar + (state->extreme - state->sar) * state->factor;
  if (state->falling) {
    if (bar.high > state->sar) {
      *state = {state->extreme, static_cast<double>(bar.high), kParabolicStepFactor, false};
    } else if (bar.low < state->extreme) {
      state->extreme = bar.low;
      RaiseParabolicFactor(state);
    }
  } else {
    if (bar.low < state->sar) {
      *state = {state->extreme, static_cast<double>(bar.low), kParabolicStepFactor, true};
    } else if (bar.high > state->extreme) {
      state->extreme = bar.high;
      RaiseParabolicFactor(state);
    }
  }
}

}  // namespace

void ComputeDeviationFromAverage(const BarSeries& bars, const IntSeries& average, IntSeries* out) {
  // The average's count of closes, as the bars are read.
  const auto columns = MakeBarColumns(bars);
  GatherCloses(bars.bars, ClampKernelCount(average.count), columns->closes);
  DeviationsFromAverage(columns->closes, average, out);
}

void ComputeDeviationRate(const BarSeries& bars, IntSeries* out, int n1, int n2, KernelScratchSet& scratch) {
  ComputeDeviationRateFromColumns(MakeBarColumns(bars).get(), out, n1, n2, scratch);
}

// A second period below 4 means the line has none.
void ComputeDeviationRateFromColumns(BarColumns* columns, IntSeries* out, int n1, int n2, KernelScratchSet& scratch) {
  const int32_t* closes = BuildBarColumn(columns, kColumnCloses).closes;
  IntSeries* first = scratch.ints[0];
  ComputeCloseAverageFromColumns(columns, first, n1);
  if (n2 < kSecondAverageMinimum) {
    DeviationsFromAverage(closes, *first, out);
    return;
  }
  IntSeries* firstDeviation = scratch.ints[1];
  IntSeries* second = scratch.ints[2];
  IntSeries* secondDeviation = scratch.ints[3];
  DeviationsFromAverage(closes, *first, firstDeviation);
  ComputeCloseAverageFromColumns(columns, second, n2);
  DeviationsFromAverage(closes, *second, secondDeviation);
  AddIntSeries(*firstDeviation, *secondDeviation, out);
}

void ComputeBollingerBands(const BarSeries& bars, IntSeries* typical, RealSeries* const bands[7], int n,
                           KernelScratchSet& scratch) {
  ComputeBollingerBandsFromColumns(MakeBarColumns(bars).get(), typical, bands, n, scratch);
}

// Bands are the centre where there is no deviation yet (bars below n, or a
// series shorter than n). The centre is the window mean of the typical
// prices, seed in 0..n-1; σ takes the variance's place, then the bands are
// written one by one, so that every loop vectorises.
void ComputeBollingerBandsFromColumns(BarColumns* columns, IntSeries* typical, RealSeries* const bands[7], int n,
                                      KernelScratchSet& scratch) {
  const BarColumns& c = BuildBarColumn(columns, kColumnTypicalPrices);
  n = ClampKernelPeriod(n);
  const int count = c.count;
  std::copy_n(c.typicalPrices, count, typical->values);
  typical->count = count;
  for (int b = 0; b < 7; ++b) bands[b]->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) WriteBands(bands, i, typical->values[i], 0.0);
    return;
  }
  double* centre = bands[0]->values;
  const double* sums = c.typicalPriceSums;
  const double period = n;
  std::fill_n(centre, n, sums[n] / period);
  for (int i = n; i < count; ++i) centre[i] = (sums[i + 1] - sums[i + 1 - n]) / period;
  RealSeries* squares = scratch.reals[0];
  RealSeries* variance = scratch.reals[1];
  squares->count = count;
  std::fill_n(squares->values, n, 0.0);
  for (int i = n; i < count; ++i) {
    const double deviation = centre[i] - typical->values[i];
    squares->values[i] = deviation * deviation;
  }
  ComputeRealAverage(*squares, variance, n);
  double* sigma = variance->values;
  std::fill_n(sigma, n, 0.0);
  for (int i = n; i < count; ++i) sigma[i] = std::sqrt(sigma[i]);
  for (size_t m = 0; m < kSigmaMultiples.size(); ++m) {
    double* upper = bands[1 + 2 * m]->values;
    double* lower = bands[2 + 2 * m]->values;
    for (int i = 0; i < count; ++i) {
      const double width = kSigmaMultiples[m] * sigma[i];
      upper[i] = centre[i] + width;
      lower[i] = centre[i] - width;
    }
  }
}

void ComputeIchimokuConversion(const BarSeries& bars, RealSeries* out) {
  ComputeRangeMidpoint(bars, out, kIchimokuConversionBars, kIchimokuFirstIndex);
}

void ComputeIchimokuBase(const BarSeries& bars, RealSeries* out) {
  ComputeRangeMidpoint(bars, out, kIchimokuBaseBars, kIchimokuFirstIndex);
}

void ComputeIchimokuSpanB(const BarSeries& bars, RealSeries* out) {
  ComputeRangeMidpoint(bars, out, kIchimokuSpanBBars, kIchimokuSpanBFirstIndex);
}

void AverageRealSeries(const RealSeries& a, const RealSeries& b, RealSeries* out) {
  const int count = ClampKernelCount(a.count);
  for (int i = 0; i < count; ++i) out->values[i] = (a.values[i] + b.values[i]) * 0.5;
  out->count = count;
}

void CopyCloseToRealSeries(const BarSeries& bars, RealSeries* out) {
  CopyCloseToRealSeriesFromColumns(MakeBarColumns(bars).get(), out);
}

void CopyCloseToRealSeriesFromColumns(BarColumns* columns, RealSeries* out) {
  const BarColumns& c = BuildBarColumn(columns, kColumnCloses);
  std::copy_n(c.closes, c.count, out->values);
  out->count = c.count;
}

// Position 1 falling, 0 rising; a series of fewer than 3 bars has the closes
// as SAR and position 0.
void ComputeParabolicSar(const BarSeries& bars, RealSeries* sar, IntSeries* position) {
  const int count = ClampKernelCount(bars.count);
  sar->count = count;
  position->count = count;
  const PriceBar* bar = bars.bars;
  if (count < 3) {
    for (int i = 0; i < count; ++i) {
      sar->values[i] = bar[i].close;
      position->values[i] = 0;
    }
    return;
  }
  ParabolicState state{};
  state.falling = bar[0].high > bar[1].high;
  state.factor = kParabolicStartFactor;
  if (state.falling) {
    state.sar = bar[0].high;
    state.extreme = std::min(bar[0].low, bar[1].low);
  } else {
    state.sar = std::min(bar[0].low, bar[1].low);
    state.extreme = bar[1].high;
  }
  for (int i = 0; i < 2; ++i) {
    sar->values[i] = state.sar;
    position->values[i] = state.falling ? 1 : 0;
  }
  for (int i = 2; i < count; ++i) {
    StepParabolic(&state, bar[i]);
    sar->values[i] = state.sar;
    position->values[i] = state.falling ? 1 : 0;
  }
}
