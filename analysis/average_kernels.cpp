// Simple and exponential averages and the rate of change.
// Integer inputs are summed exactly in 64 bits over a sliding window; the
// mean is that sum divided by N in double.
#include <algorithm>
#include <utility>

#include "analysis/bar_columns.h"
#include "analysis/kernel_math.h"
#include "analysis/kernels.h"

namespace {

// Bars without enough history and a zero divisor: 10000 means no change.
constexpr int32_t kRateOfChangeNeutral = 10000;
constexpr int64_t kScaledCloseTarget = 1000000;

// Copies a series shorter than n and gives false; otherwise sets bars
// 0..n-1 to the mean of the first n values as `mean` makes it and gives
// their sum.
template <typename Series, typename ValueAt, typename Mean>
bool SeedWindow(ValueAt valueAt, int count, int n, Mean mean, Series* out, int64_t* sum) {
  out->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = valueAt(i);
    return false;
  }
  *sum = 0;
  for (int i = 0; i < n; ++i) *sum += valueAt(i);
  std::fill_n(out->values, n, mean(static_cast<double>(*sum) / n));
  return true;
}

int32_t TruncatedMean(double mean) { return TruncateKernelValue(mean); }

// Seed (truncated) in 0..n-1, then the window mean, rounded or truncated.
// A series shorter than n is copied.
template <typename ValueAt>
void AverageIntegers(ValueAt valueAt, int count, int n, bool roundAfterSeed, IntSeries* out) {
  int64_t sum = 0;
  if (!SeedWindow(valueAt, count, n, TruncatedMean, out, &sum)) return;
  for (int i = n; i < count; ++i) {
    sum += int64_t{valueAt(i)} - valueAt(i - n);
    const double mean = static_cast<double>(sum) / n;
    out->values[i] = roundAfterSeed ? RoundKernelValue(mean) : TruncateKernelValue(mean);
  }
}

// AverageIntegers rounding after the seed, from running sums (sums[k]: the
// first k values): each mean is the same double, and no bar waits for the
// one before, so the divisions vectorise.
template <typename ValueAt>
void RoundAverageFromSums(const double* sums, ValueAt valueAt, int count, int n, IntSeries* out) {
  out->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = valueAt(i);
    return;
  }
  const double period = n;
  std::fill_n(out->values, n, TruncateKernelValue(sums[n] / period));
  for (int i = n; i < count; ++i) {
    out->values[i] = TruncateIntoRange((sums[i + 1] - sums[i + 1 - n]) / period + 0.5, INT32_MIN, INT32_MAX);
  }
}

// One exponential average's recurrence: each value depends on the one
// before, so a single average runs at the latency of its step.
struct SmoothingChain {
  int32_t value;
  double alpha;
  double keep;
  int32_t* out;
};

SmoothingChain StartSmoothingChain(const IntSeries& seeded, int n, IntSeries* out) {
  const double alpha = 2.0 / (n + 1);
  return {seeded.values[n - 1], alpha, 1.0 - alpha, out->values};
}

void StepSmoothingChain(SmoothingChain* chain, int32_t input, int i) {
  chain->value = TruncateKernelValue(input * chain->alpha + chain->value * chain->keep);
  chain->out[i] = chain->value;
}

// Seed S = truncated mean of the first n inputs in 0..n-1, then
// truncated (input * a + previous * (1 - a)) with a = 2 / (n + 1).
template <typename ValueAt>
void SmoothExponential(ValueAt valueAt, int count, int n, IntSeries* out) {
  int64_t sum = 0;
  if (!SeedWindow(valueAt, count, n, TruncatedMean, out, &sum)) return;
  SmoothingChain chain = StartSmoothingChain(*out, n, out);
  for (int i = n; i < count; ++i) StepSmoothingChain(&chain, valueAt(i), i);
}

// Two averages of one input, their steps interleaved so that the two chains
// overlap; each value is the one SmoothExponential gives.
template <typename ValueAt>
void SmoothExponentialTwice(ValueAt valueAt, int count, int n1, IntSeries* out1, int n2, IntSeries* out2) {
  int64_t sum = 0;
  const bool seeded1 = SeedWindow(valueAt, count, n1, TruncatedMean, out1, &sum);
  const bool seeded2 = SeedWindow(valueAt, count, n2, TruncatedMean, out2, &sum);
  if (!seeded1 || !seeded2) {
    if (seeded1) SmoothExponential(valueAt, count, n1, out1);
    if (seeded2) SmoothExponential(valueAt, count, n2, out2);
    return;
  }
  SmoothingChain early = StartSmoothingChain(*out1, n1, out1);
  SmoothingChain late = StartSmoothingChain(*out2, n2, out2);
  if (n2 < n1) std::swap(early, late);
  const int together = std::max(n1, n2);
  for (int i = std::min(n1, n2); i < together; ++i) StepSmoothingChain(&early, valueAt(i), i);
  for (int i = together; i < count; ++i) {
    const int32_t input = valueAt(i);
    StepSmoothingChain(&early, input, i);
    StepSmoothingChain(&late, input, i);
  }
}

// Doubles the largest close of bars 1.. (and the factor with it) until it
// reaches a million.
int64_t FindCloseScaleFactor(const BarSeries& bars, int count) {
  int64_t largest = 0;
  if (count >= 2) {
    largest = bars.bars[1].close;
    for (int i = 2; i < count; ++i) largest = std::max<int64_t>(largest, bars.bars[i].close);
  }
  int64_t factor = 1;
  while (largest < kScaledCloseTarget && largest > 0) {
    largest *= 2;
    factor *= 2;
  }
  return factor;
}

// Sum of the n doubles ending at bar last, oldest first.
double SumRealWindow(const double* values, int last, int n) {
  double sum = 0.0;
  for (int k = last - n + 1; k <= last; ++k) sum += values[k];
  return sum;
}

}  // namespace

void ComputeCloseAverageReal(const BarSeries& bars, RealSeries* out, int n) {
  ComputeCloseAverageRealFromColumns(MakeBarColumns(bars).get(), out, n);
}

void ComputeCloseAverage(const BarSeries& bars, IntSeries* out, int n) {
  ComputeCloseAverageFromColumns(MakeBarColumns(bars).get(), out, n);
}

void ComputeVolumeAverage(const BarSeries& bars, IntSeries* out, int n) {
  ComputeVolumeAverageFromColumns(MakeBarColumns(bars).get(), out, n);
}

void ComputeCloseAverageRealFromColumns(BarColumns* columns, RealSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnCloseSums);
  n = ClampKernelPeriod(n);
  const int count = c.count;
  out->count = count;
  const PriceBar* bar = c.bars->bars;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = bar[i].close;
    return;
  }
  const double* sums = c.closeSums;
  const double period = n;
  std::fill_n(out->values, n, sums[n] / period);
  for (int i = n; i < count; ++i) out->values[i] = (sums[i + 1] - sums[i + 1 - n]) / period;
}

void ComputeCloseAverageFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnCloseSums);
  const PriceBar* bar = c.bars->bars;
  RoundAverageFromSums(
      c.closeSums, [bar](int i) { return bar[i].close; }, c.count, ClampKernelPeriod(n), out);
}

void ComputeVolumeAverageFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnVolumeSums);
  const PriceBar* bar = c.bars->bars;
  RoundAverageFromSums(
      c.volumeSums, [bar](int i) { return bar[i].volume; }, c.count, ClampKernelPeriod(n), out);
}

void ComputeSimpleAverage(const IntSeries& in, IntSeries* out, int n) {
  AverageIntegers([&in](int i) { return in.values[i]; }, ClampKernelCount(in.count), ClampKernelPeriod(n), false, out);
}

// Each window is summed afresh, oldest first, so that every mean is the
// same double whatever came before it.
void ComputeRealAverage(const RealSeries& in, RealSeries* out, int n) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(in.count);
  out->count = count;
  if (count < n) {
    std::copy_n(in.values, count, out->values);
    return;
  }
  std::fill_n(out->values, n, SumRealWindow(in.values, n - 1, n) / n);
  int i = n;
  // Four windows side by side, each still summed oldest first: the compiler
  // makes vector additions of them.
  for (; i + 4 <= count; i += 4) {
    double sums[4] = {0.0, 0.0, 0.0, 0.0};
    const double* oldest = in.values + i - n + 1;
    for (int k = 0; k < n; ++k) {
      for (int lane = 0; lane < 4; ++lane) sums[lane] += oldest[k + lane];
    }
    for (int lane = 0; lane < 4; ++lane) out->values[i + lane] = sums[lane] / n;
  }
  for (; i < count; ++i) out->values[i] = SumRealWindow(in.values, i, n) / n;
}

void SmoothExponentialPrices(const BarSeries& bars, IntSeries* out, int n) {
  SmoothExponential([&bars](int i) { return bars.bars[i].close; }, ClampKernelCount(bars.count), ClampKernelPeriod(n),
                    out);
}

void SmoothExponentialSeries(const IntSeries& in, IntSeries* out, int n) {
  SmoothExponential([&in](int i) { return in.values[i]; }, ClampKernelCount(in.count), ClampKernelPeriod(n), out);
}

void SmoothExponentialPricesTwice(const BarSeries& bars, IntSeries* out1, int n1, IntSeries* out2, int n2) {
  SmoothExponentialTwice([&bars](int i) { return bars.bars[i].close; }, ClampKernelCount(bars.count),
                         ClampKernelPeriod(n1), out1, ClampKernelPeriod(n2), out2);
}

void SmoothExponentialSeriesTwice(const IntSeries& in, IntSeries* out1, int n1, IntSeries* out2, int n2) {
  SmoothExponentialTwice([&in](int i) { return in.values[i]; }, ClampKernelCount(in.count), ClampKernelPeriod(n1), out1,
                         ClampKernelPeriod(n2), out2);
}

// A series shorter than n is the scaled closes too, so both MACD averages
// are always in the same units.
void SmoothExponentialScaled(const BarSeries& bars, IntSeries* out, int n) {
  const int count = ClampKernelCount(bars.count);
  const int64_t factor = FindCloseScaleFactor(bars, count);
  SmoothExponential([&bars, factor](int i) { return ClampKernelSum(bars.bars[i].close * factor); }, count,
                    ClampKernelPeriod(n), out);
}

void SmoothExponentialScaledTwice(const BarSeries& bars, IntSeries* out1, int n1, IntSeries* out2, int n2) {
  const int count = ClampKernelCount(bars.count);
  const int64_t factor = FindCloseScaleFactor(bars, count);
  SmoothExponentialTwice([&bars, factor](int i) { return ClampKernelSum(bars.bars[i].close * factor); }, count,
                         ClampKernelPeriod(n1), out1, ClampKernelPeriod(n2), out2);
}

void ComputeRateOfChange(const IntSeries& in, IntSeries* out, int n) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(in.count);
  out->count = count;
  std::fill_n(out->values, std::min(n, count), kRateOfChangeNeutral);
  for (int i = n; i < count; ++i) {
    const int32_t base = in.values[i - n];
    out->values[i] = base == 0 ? kRateOfChangeNeutral : TruncateKernelValue(in.values[i] * 10000.0 / base);
  }
}
