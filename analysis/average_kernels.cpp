// Simple and exponential averages and the rate of change.
// Integer inputs are summed exactly in 64 bits over a sliding window; the
// mean is that sum divided by N in double.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

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

// Seed and window means truncated; a series shorter than n is copied. The
// window sums are made a block of bars at a time (a chain of additions), then
// divided together, so that the divisions vectorise. A mean of 32-bit values
// truncates into 32 bits as it is.
void TruncatedAverage(const int32_t* in, int count, int n, IntSeries* out) {
  int64_t sum = 0;
  if (!SeedWindow([in](int i) { return in[i]; }, count, n, TruncatedMean, out, &sum)) return;
  const double period = n;
  double sums[kKernelBlockBars];
  for (int from = n; from < count; from += kKernelBlockBars) {
    const int length = std::min(kKernelBlockBars, count - from);
    for (int k = 0; k < length; ++k) {
      sum += int64_t{in[from + k]} - in[from + k - n];
      sums[k] = static_cast<double>(sum);
    }
    for (int k = 0; k < length; ++k) out->values[from + k] = static_cast<int32_t>(sums[k] / period);
  }
}

// The seed truncated, then the window means rounded, from running sums (sums[k]: the
// first k values): each mean is the same double, and no bar waits for the
// one before, so the divisions vectorise. A mean of 32-bit values plus 0.5
// truncates into 32 bits as it is.
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
    out->values[i] = static_cast<int32_t>((sums[i + 1] - sums[i + 1 - n]) / period + 0.5);
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

// alpha + keep is 1 within an ulp, so the step lies between the input and
// the previous value, 32-bit both, but for a few ulps: it truncates into 32
// bits as it is (never NaN, never beyond), with no checks in the chain.
void StepSmoothingChain(SmoothingChain* chain, int32_t input, int i) {
  chain->value = static_cast<int32_t>(input * chain->alpha + chain->value * chain->keep);
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

// Chains stepped together, their count known when compiled, so that they
// stay in registers and their steps overlap.
template <size_t N>
void StepChainsTogether(const SmoothingChain* first, const int32_t* const* inputs, int from, int count) {
  std::array<SmoothingChain, N> chains;
  std::array<const int32_t*, N> in;
  std::copy_n(first, N, chains.begin());
  std::copy_n(inputs, N, in.begin());
  for (int i = from; i < count; ++i) {
    for (size_t j = 0; j < N; ++j) StepSmoothingChain(&chains[j], in[j][i], i);
  }
}

void StepChains(const SmoothingChain* chains, const int32_t* const* inputs, int chainCount, int from, int count) {
  switch (chainCount) {
    case 1: StepChainsTogether<1>(chains, inputs, from, count); break;
    case 2: StepChainsTogether<2>(chains, inputs, from, count); break;
    case 3: StepChainsTogether<3>(chains, inputs, from, count); break;
    case 4: StepChainsTogether<4>(chains, inputs, from, count); break;
    case 5: StepChainsTogether<5>(chains, inputs, from, count); break;
    case 6: StepChainsTogether<6>(chains, inputs, from, count); break;
    case 7: StepChainsTogether<7>(chains, inputs, from, count); break;
    case 8: StepChainsTogether<8>(chains, inputs, from, count); break;
    default: break;
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
  TruncatedAverage(in.values, ClampKernelCount(in.count), ClampKernelPeriod(n), out);
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
  // Twelve windows side by side, each still summed oldest first, in six
  // registers of two: six chains of additions, which overlap.
  constexpr int kRegisters = 6;
  constexpr int kLanes = 2 * kRegisters;
  const double period = n;
  for (; i + kLanes <= count; i += kLanes) {
    DoubleLanes sums[kRegisters] = {};
    const double* oldest = in.values + i - n + 1;
    for (int k = 0; k < n; ++k) {
      for (int j = 0; j < kRegisters; ++j) sums[j] += LoadLanes<DoubleLanes>(oldest + k + 2 * j);
    }
    for (int j = 0; j < kRegisters; ++j) {
      const DoubleLanes means = sums[j] / period;
      std::memcpy(out->values + i + 2 * j, &means, sizeof means);
    }
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
  const int count = ClampKernelCount(bars.count);
  std::vector<int32_t> closes(static_cast<size_t>(count));
  GatherCloses(bars.bars, count, closes.data());
  const SmoothingLine lines[] = {{closes.data(), n1, out1}, {closes.data(), n2, out2}};
  SmoothExponentialTogether(lines, 2, count);
}

void SmoothExponentialSeriesTwice(const IntSeries& in, IntSeries* out1, int n1, IntSeries* out2, int n2) {
  const SmoothingLine lines[] = {{in.values, n1, out1}, {in.values, n2, out2}};
  SmoothExponentialTogether(lines, 2, ClampKernelCount(in.count));
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
  std::unique_ptr<IntSeries> scaled(new IntSeries);
  ComputeScaledCloses(bars, scaled.get());
  const SmoothingLine lines[] = {{scaled->values, n1, out1}, {scaled->values, n2, out2}};
  SmoothExponentialTogether(lines, 2, scaled->count);
}

void ComputeScaledCloses(const BarSeries& bars, IntSeries* out) {
  const int count = ClampKernelCount(bars.count);
  const int64_t factor = FindCloseScaleFactor(bars, count);
  for (int i = 0; i < count; ++i) out->values[i] = ClampKernelSum(bars.bars[i].close * factor);
  out->count = count;
}

// Each chain alone up to the bar where the last one starts, then all together.
void SmoothExponentialTogether(const SmoothingLine* lines, int lineCount, int count) {
  count = ClampKernelCount(count);
  std::array<SmoothingChain, kMaxSmoothingLines> chains;
  std::array<const int32_t*, kMaxSmoothingLines> inputs;
  std::array<int, kMaxSmoothingLines> starts;
  int started = 0;
  int together = 0;
  for (int j = 0; j < std::min(lineCount, kMaxSmoothingLines); ++j) {
    const SmoothingLine& line = lines[j];
    const int n = ClampKernelPeriod(line.n);
    int64_t sum = 0;
    if (!SeedWindow([&line](int i) { return line.in[i]; }, count, n, TruncatedMean, line.out, &sum)) continue;
    chains[started] = StartSmoothingChain(*line.out, n, line.out);
    inputs[started] = line.in;
    starts[started++] = n;
    together = std::max(together, n);
  }
  for (int j = 0; j < started; ++j) {
    for (int i = starts[j]; i < together; ++i) StepSmoothingChain(&chains[j], inputs[j][i], i);
  }
  StepChains(chains.data(), inputs.data(), started, together, count);
}

void ComputeRateOfChange(const IntSeries& in, IntSeries* out, int n) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(in.count);
  out->count = count;
  std::fill_n(out->values, std::min(n, count), kRateOfChangeNeutral);
  for (int i = n; i < count; ++i) {
    const int32_t base = in.values[i - n];
    const double rate = in.values[i] * 10000.0 / (base == 0 ? 1 : base);
    out->values[i] = base == 0 ? kRateOfChangeNeutral : TruncateIntoRange(rate, INT32_MIN, INT32_MAX);
  }
}
