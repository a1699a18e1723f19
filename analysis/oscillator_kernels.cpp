// Oscillators: RSI, RCI, stochastics, the directional-movement family and the
// psychological line. Values are hundredths of a percent; bars without enough
// history hold the neutral 5000 (50 for %D).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "analysis/bar_columns.h"
#include "analysis/kernel_math.h"
#include "analysis/kernels.h"

namespace {

constexpr int32_t kNeutral = 5000;
constexpr int32_t kNeutralStochD = 50;  // %D's warm-up: fifty, not 5000
constexpr int32_t kFull = 10000;

int ClampCount(int32_t count) { return std::clamp<int32_t>(count, 0, kMaxBars); }

// Periods below 1 count as 1; periods beyond the capacity leave every bar in the
// warm-up, as the capacity itself does.
int ClampPeriod(int n) { return std::clamp(n, 1, kMaxBars); }

int32_t SaturateToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Toward zero, saturated; NaN gives 0.
int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0) return INT32_MAX;
  if (value <= -2147483649.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void FillValues(IntSeries* out, int from, int to, int32_t value) {
  std::fill(out->values + from, out->values + to, value);
}

// ---- RSI ----------------------------------------------------------------------

// up and down: the window's rises and falls (whole numbers as doubles).
int32_t RsiValue(double up, double down, int n) {
  double rs;
  if (up == 0.0 && down == 0.0) {
    rs = 1.0;
  } else if (up == 0.0) {
    rs = 0.0;
  } else if (down == 0.0) {
    rs = 100.0;
  } else {
    rs = (up / n) / (down / n);
  }
  return std::clamp(TruncateToInt32((100.0 - 100.0 / (rs + 1.0)) * 100.0), 0, kFull);
}

// RsiValue's chain of four divisions ends within 1e-11 of the exact
// 10000 * up / (up + down), and this one division within 3e-12 of it; so
// where this quotient is further than kRsiMargin from a whole number, both
// truncate alike. Elsewhere (and where up or down is 0) it gives
// kRsiUndecided and the chain decides. Free of branches (and of clamps before
// the whole number is taken back to double), so that it vectorises.
constexpr double kRsiMargin = 1e-9;
constexpr int32_t kRsiUndecided = -1;

int32_t QuickRsiValue(double up, double down) {
  const double sum = up + down;
  const double ratio = up * 10000.0 / (sum + (sum == 0.0 ? 1.0 : 0.0));  // 0..10000
  const int32_t whole = static_cast<int32_t>(ratio);
  const double fraction = ratio - whole;
  const double nearest = std::min(std::min(up, down), std::min(fraction, 1.0 - fraction));
  return nearest > kRsiMargin ? whole : kRsiUndecided;
}

// ---- RCI ----------------------------------------------------------------------

// The window's closes are ranked by price, the older first among equal prices,
// so the ranks are a permutation of the ages 0..n-1 and the sum of squared
// gaps between age and rank is 2 * sum(k^2) - 2 * sum(age * rank). Only
// sum(age * rank) is carried from bar to bar. When bar i enters, bar i - n
// leaves (age 0: it takes nothing with it) and every close ranked above it
// moves down a rank, the staying closes become a bar younger, every close
// above the entering one moves up a rank and the entering one joins at age
// n - 1 with the rank of those not above it. Counted per staying close of
// lag d (bar i - d, age n - 1 - d after the shift), that changes the sum by
//   -(n - 1)(n - 2) / 2 + (n - 1)^2
//   + (d - n) if close[i - d] >= close[i - n]   (ranked above the leaving one)
//   - d       if close[i - d] >  close[i]       (above the entering one).
// All sums stay below 2^31 for 320 closes.

// Below this period no bar's change leaves 16 bits: it is at most n(n - 1).
constexpr int kNarrowRciPeriod = 182;

// The per-lag part of the change for bars from..from+length-1, as far as
// whole groups of four registers of bars go (16 bars of 32-bit closes or 32
// of 16-bit ones): their sums stay in registers over every lag. Gives the
// bars done.
template <typename Lanes, typename Close>
int SumRciChangesInLanes(const Close* closes, int from, int length, int n, int32_t* change) {
  constexpr int kRegisterBars = sizeof(Lanes) / sizeof(Close);
  constexpr int kGroupBars = 4 * kRegisterBars;
  int k = 0;
  for (; k + kGroupBars <= length; k += kGroupBars) {
    const Close* entering = closes + from + k;
    Lanes enteringLanes[4];
    Lanes leavingLanes[4];
    Lanes sums[4] = {};
    for (int j = 0; j < 4; ++j) {
      enteringLanes[j] = LoadLanes<Lanes>(entering + kRegisterBars * j);
      leavingLanes[j] = LoadLanes<Lanes>(entering - n + kRegisterBars * j);
    }
    for (int d = 1; d < n; ++d) {
      const Lanes belowLeaving = Lanes{} + static_cast<Close>(d - n);
      const Lanes belowEntering = Lanes{} - static_cast<Close>(d);
      for (int j = 0; j < 4; ++j) {
        const Lanes staying = LoadLanes<Lanes>(entering - d + kRegisterBars * j);
        sums[j] += ((staying >= leavingLanes[j]) & belowLeaving) + ((staying > enteringLanes[j]) & belowEntering);
      }
    }
    Close groupChanges[kGroupBars];
    std::memcpy(groupChanges, sums, sizeof sums);
    std::copy_n(groupChanges, kGroupBars, change + k);
  }
  return k;
}

// The per-lag part of the change for bars from..from+length-1: in registers,
// then the bars left over lag by lag.
void SumRciChanges(const BarColumns& c, int from, int length, int n, int32_t* change) {
  const int32_t* closes = c.closes;
  const int k = c.closesNarrow && n < kNarrowRciPeriod
                    ? SumRciChangesInLanes<Int16Lanes>(c.narrowCloses, from, length, n, change)
                    : SumRciChangesInLanes<Int32Lanes>(closes, from, length, n, change);
  std::fill(change + k, change + length, 0);
  for (int d = 1; d < n; ++d) {
    for (int i = k; i < length; ++i) {
      const int32_t staying = closes[from + i - d];
      change[i] += (staying >= closes[from + i - n] ? d - n : 0) + (staying > closes[from + i] ? -d : 0);
    }
  }
}

// sum(age * rank) of the n closes from `closes`, ranked afresh.
int32_t SumAgeTimesRank(const int32_t* closes, int n) {
  int32_t sum = 0;
  for (int age = 0; age < n; ++age) {
    int32_t rank = 0;
    for (int other = 0; other < n; ++other) {
      rank += other < age ? closes[other] <= closes[age] : closes[other] < closes[age];
    }
    sum += age * rank;
  }
  return sum;
}

int32_t RciValue(int32_t gapSum, int n) {
  const double cubeLessN = static_cast<double>(n) * n * n - n;
  const double value = (1.0 - 6.0 * static_cast<double>(gapSum) / cubeLessN) * 100.0 * 100.0;
  return TruncateIntoRange(value, -kFull, kFull);  // never NaN: N^3 - N is above 0
}

// ---- Stochastics ----------------------------------------------------------------

// Window extremes by blocks of n bars: a window of n bars is the tail of one
// block and the head of the next, so its extreme is that of the block tail
// (filled beforehand, backward) and the head (kept while walking forward).
void FillBlockTailExtremes(const BarSeries& bars, int count, int n, IntSeries* highs, IntSeries* lows) {
  highs->count = lows->count = count;
  for (int start = 0; start < count; start += n) {
    const int last = std::min(start + n, count) - 1;
    int32_t high = bars.bars[last].high;
    int32_t low = bars.bars[last].low;
    for (int i = last; i >= start; --i) {
      high = std::max(high, bars.bars[i].high);
      low = std::min(low, bars.bars[i].low);
      highs->values[i] = high;
      lows->values[i] = low;
    }
  }
}

void SetStochasticRange(const BarSeries& bars, int i, int64_t highest, int64_t lowest, IntSeries* pos,
                        IntSeries* range) {
  range->values[i] = SaturateToInt32(highest - lowest);
  pos->values[i] = SaturateToInt32(bars.bars[i].close - lowest);
}

// pos x 10000 is exact in double, so truncating the quotient equals the
// integer division. Free of branches, so that it vectorises.
int32_t StochasticKValue(int32_t pos, int32_t range) {
  const double quotient = pos * 10000.0 / (range == 0 ? 1 : range);
  return range == 0 ? 0 : TruncateIntoRange(quotient, INT32_MIN, INT32_MAX);
}

// Work series: the block-tail extremes.
void ComputeStochasticK(const BarSeries& bars, int count, int n, IntSeries* k, IntSeries* pos, IntSeries* range,
                        IntSeries* tailHighs, IntSeries* tailLows) {
  k->count = pos->count = range->count = count;
  const int warm = std::min(n, count);
  FillValues(k, 0, warm, kNeutral);
  FillValues(pos, 0, warm, 0);
  FillValues(range, 0, warm, 0);
  if (count <= n) return;
  FillBlockTailExtremes(bars, count, n, tailHighs, tailLows);
  for (int start = 0; start < count; start += n) {
    const int end = std::min(start + n, count);
    int32_t headHigh = INT32_MIN;
    int32_t headLow = INT32_MAX;
    for (int i = start; i < end; ++i) {
      headHigh = std::max(headHigh, bars.bars[i].high);
      headLow = std::min(headLow, bars.bars[i].low);
      if (i < n) continue;
      const int first = i - n + 1;
      SetStochasticRange(bars, i, std::max(headHigh, tailHighs->values[first]),
                         std::min(headLow, tailLows->values[first]), pos, range);
    }
  }
  for (int i = n; i < count; ++i) k->values[i] = StochasticKValue(pos->values[i], range->values[i]);
  FillValues(k, 0, n, k->values[n]);
}

// Sums below 2^53 convert exactly, so this equals the ratio of double sums.
// Free of branches, so that it vectorises.
int32_t StochasticDValue(double posSum, double rangeSum) {
  const double quotient = posSum * 10000.0 / (rangeSum == 0.0 ? 1.0 : rangeSum);
  return rangeSum == 0.0 ? 0 : TruncateIntoRange(quotient, INT32_MIN, INT32_MAX);
}

// The window sums a block of bars at a time (a chain of additions), then
// their quotients together.
void ComputeStochasticD(int count, int n, int m, const IntSeries& pos, const IntSeries& range, IntSeries* d) {
  d->count = count;
  const int first = n + m;
  FillValues(d, 0, std::min(first, count), kNeutralStochD);
  if (count <= first) return;
  int64_t posSum = 0;
  int64_t rangeSum = 0;
  for (int i = first - m; i < first; ++i) {
    posSum += pos.values[i];
    rangeSum += range.values[i];
  }
  double posSums[kKernelBlockBars];
  double rangeSums[kKernelBlockBars];
  for (int from = first; from < count; from += kKernelBlockBars) {
    const int length = std::min(kKernelBlockBars, count - from);
    for (int k = 0; k < length; ++k) {
      const int i = from + k;
      posSum += int64_t{pos.values[i]} - pos.values[i - m];
      rangeSum += int64_t{range.values[i]} - range.values[i - m];
      posSums[k] = static_cast<double>(posSum);
      rangeSums[k] = static_cast<double>(rangeSum);
    }
    for (int k = 0; k < length; ++k) d->values[from + k] = StochasticDValue(posSums[k], rangeSums[k]);
  }
  FillValues(d, 0, first, d->values[first]);
}

}  // namespace

void ComputeRsi(const BarSeries& bars, IntSeries* out, int n) {
  ComputeRsiFromColumns(MakeBarColumns(bars).get(), out, n);
}

// Bar i's window holds the changes of bars i - n + 1..i.
void ComputeRsiFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnChangeSums);
  const int count = c.count;
  n = ClampPeriod(n);
  out->count = count;
  const int first = n + 1;
  FillValues(out, 0, std::min(first, count), kNeutral);
  if (count <= first) return;
  const double* rises = c.riseSums;
  const double* falls = c.fallSums;
  int32_t* values = out->values;
  for (int i = first; i < count; ++i) values[i] = QuickRsiValue(rises[i] - rises[i - n], falls[i] - falls[i - n]);
  for (int i = first; i < count; ++i) {
    if (values[i] == kRsiUndecided) values[i] = RsiValue(rises[i] - rises[i - n], falls[i] - falls[i - n], n);
  }
  FillValues(out, 0, first, values[first]);
}

void ComputeRci(const BarSeries& bars, IntSeries* out, int n) {
  ComputeRciFromColumns(MakeBarColumns(bars).get(), out, n);
}

// Each bar's gap sum first, then the divisions, which then overlap.
void ComputeRciFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnNarrowCloses);
  const int count = c.count;
  n = std::clamp(n, 2, kMaxRciPeriod);  // N^3 - N is 0 below 2; the work arrays end at 320
  out->count = count;
  const int first = n + 1;
  if (count <= first) {
    FillValues(out, 0, count, kNeutral);
    return;
  }
  const int32_t* closes = c.closes;
  int32_t* values = out->values;
  const int32_t squareSum = (n - 1) * n * (2 * n - 1) / 6;
  const int32_t staying = n - 1;
  const int32_t shift = staying * staying - staying * (staying - 1) / 2;
  int32_t ageTimesRank = SumAgeTimesRank(closes + 1, n);
  for (int from = first; from < count; from += kKernelBlockBars) {
    const int length = std::min(kKernelBlockBars, count - from);
    SumRciChanges(c, from, length, n, values + from);
    for (int i = from; i < from + length; ++i) {
      ageTimesRank += shift + values[i];
      values[i] = 2 * squareSum - 2 * ageTimesRank;
    }
  }
  for (int i = first; i < count; ++i) values[i] = RciValue(values[i], n);
  FillValues(out, 0, first, values[first]);
}

// Leaves pos and range per bar in scratch series 0 and 1; 2 and 3 are work series.
void ComputeStochastics(const BarSeries& bars, IntSeries* k, int n, IntSeries* d, int m, KernelScratchSet& scratch) {
  const int count = ClampCount(bars.count);
  n = ClampPeriod(n);
  m = ClampPeriod(m);
  IntSeries* pos = scratch.ints[0];
  IntSeries* range = scratch.ints[1];
  ComputeStochasticK(bars, count, n, k, pos, range, scratch.ints[2], scratch.ints[3]);
  ComputeStochasticD(count, n, m, *pos, *range, d);
}

void ComputeDirectionalMovement(const BarSeries& bars, IntSeries* plusDm, IntSeries* minusDm) {
  const int count = ClampCount(bars.count);
  plusDm->count = minusDm->count = count;
  if (count == 0) return;
  plusDm->values[0] = minusDm->values[0] = 0;
  for (int i = 1; i < count; ++i) {
    // Choices rather than branches: rises and falls alternate unpredictably.
    const int64_t up = static_cast<int64_t>(bars.bars[i].high) - bars.bars[i - 1].high;
    const int64_t down = static_cast<int64_t>(bars.bars[i - 1].low) - bars.bars[i].low;
    plusDm->values[i] = SaturateToInt32(up > 0 && up > down ? up : 0);
    minusDm->values[i] = SaturateToInt32(down > 0 && down > up ? down : 0);
  }
}

void ComputeTrueRange(const BarSeries& bars, IntSeries* tr) {
  const int count = ClampCount(bars.count);
  tr->count = count;
  if (count == 0) return;
  tr->values[0] = SaturateToInt32(std::abs(static_cast<int64_t>(bars.bars[0].high) - bars.bars[0].low));
  for (int i = 1; i < count; ++i) {
    const int64_t high = bars.bars[i].high;
    const int64_t low = bars.bars[i].low;
    const int64_t previous = bars.bars[i - 1].close;
    const int64_t widest = std::max({std::abs(high - low), std::abs(high - previous), std::abs(low - previous)});
    tr->values[i] = SaturateToInt32(widest);
  }
}

// The products are below 2^53 in magnitude, so the truncated double
// quotients are the integer divisions'; both loops vectorise.
void ComputeDirectionalIndex(const IntSeries& dm, const IntSeries& tr, IntSeries* out) {
  const int count = ClampCount(dm.count);
  out->count = count;
  for (int i = 0; i < count; ++i) {
    const int32_t range = tr.values[i];
    const double quotient = dm.values[i] * double{kFull} / (range == 0 ? 1 : range);
    out->values[i] = range == 0 ? 0 : TruncateIntoRange(quotient, INT32_MIN, INT32_MAX);
  }
}

void ComputeDirectionalSpread(const IntSeries& plusDi, const IntSeries& minusDi, IntSeries* out) {
  const int count = ClampCount(plusDi.count);
  out->count = count;
  for (int i = 0; i < count; ++i) {
    const double plus = plusDi.values[i];
    const double minus = minusDi.values[i];
    const double sum = plus + minus;
    const double quotient = std::fabs(plus - minus) * kFull / (sum == 0.0 ? 1.0 : sum);
    out->values[i] = sum == 0.0 ? 0 : TruncateIntoRange(quotient, INT32_MIN, INT32_MAX);
  }
}

void ComputePsychologicalLine(const BarSeries& bars, IntSeries* out, int n) {
  ComputePsychologicalLineFromColumns(MakeBarColumns(bars).get(), out, n);
}

// The count times 10000 is below 2^53, so the truncated double quotient is
// the integer division's.
void ComputePsychologicalLineFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnChangeSums);
  const int count = c.count;
  n = ClampPeriod(n);
  out->count = count;
  FillValues(out, 0, std::min(n, count), kNeutral);
  const int32_t* nonFalls = c.nonFallCounts;
  const double period = n;
  for (int i = n; i < count; ++i) {
    out->values[i] = static_cast<int32_t>((nonFalls[i] - nonFalls[i - n]) * double{kFull} / period);
  }
}
