#pragma once
// Slow reference kernels for the tests: each follows the written rules step
// by step and recomputes every window from scratch.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "analysis/kernels.h"
#include "tests/support/kernel_series.h"

namespace literal {

inline int32_t Truncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

inline int32_t Round(double value) { return Truncate(value + 0.5); }

inline int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, std::max<int64_t>(INT32_MIN, value)));
}

inline int Period(int n) { return n < 1 ? 1 : n; }
inline int Count(int32_t count) { return count < 0 ? 0 : (count > kMaxBars ? kMaxBars : count); }

// The mean of the n inputs ending at bar end.
template <typename ValueAt>
double WindowMean(ValueAt valueAt, int end, int n) {
  int64_t sum = 0;
  for (int k = end - n + 1; k <= end; ++k) sum += valueAt(k);
  return static_cast<double>(sum) / n;
}

// Shorter than n: the input. Else values 0..n-1 hold seed(mean of the first n
// inputs), value i from n later(mean of inputs i-n+1..i).
template <typename Series, typename ValueAt, typename MeanAt, typename Seed, typename Later>
void Average(int count, int n, ValueAt valueAt, MeanAt meanAt, Seed seed, Later later, Series* out) {
  out->count = count;
  for (int i = 0; i < count && count < n; ++i) out->values[i] = valueAt(i);
  if (count < n) return;
  const auto first = seed(meanAt(n - 1));
  for (int i = 0; i < n; ++i) out->values[i] = first;
  for (int i = n; i < count; ++i) out->values[i] = later(meanAt(i));
}

// Integer means: the seed truncated, later ones rounded or truncated.
template <typename ValueAt>
void IntegerAverage(ValueAt valueAt, int count, int n, bool roundFromN, IntSeries* out) {
  const auto mean = [&](int end) { return WindowMean(valueAt, end, n); };
  Average(count, n, valueAt, mean, Truncate, roundFromN ? Round : Truncate, out);
}

inline double Same(double value) { return value; }

inline void CloseAverageReal(const BarSeries& bars, RealSeries* out, int n) {
  n = Period(n);
  const auto close = [&bars](int k) { return bars.bars[k].close; };
  Average(
      Count(bars.count), n, close, [&](int end) { return WindowMean(close, end, n); }, Same, Same, out);
}

inline void CloseAverage(const BarSeries& bars, IntSeries* out, int n) {
  IntegerAverage([&bars](int k) { return bars.bars[k].close; }, Count(bars.count), Period(n), true, out);
}

inline void VolumeAverage(const BarSeries& bars, IntSeries* out, int n) {
  IntegerAverage([&bars](int k) { return bars.bars[k].volume; }, Count(bars.count), Period(n), true, out);
}

inline void SimpleAverage(const IntSeries& in, IntSeries* out, int n) {
  IntegerAverage([&in](int k) { return in.values[k]; }, Count(in.count), Period(n), false, out);
}

// Doubles summed oldest first.
inline void RealAverage(const RealSeries& in, RealSeries* out, int n) {
  n = Period(n);
  const auto mean = [&in, n](int end) {
    double sum = 0.0;
    for (int k = end - n + 1; k <= end; ++k) sum += in.values[k];
    return sum / n;
  };
  Average(
      Count(in.count), n, [&in](int k) { return in.values[k]; }, mean, Same, Same, out);
}

// Seeded with the mean of the first n inputs, then each value smooths the one before.
inline void Exponential(const std::vector<int32_t>& input, IntSeries* out, int n) {
  n = Period(n);
  IntegerAverage([&input](int k) { return input[k]; }, static_cast<int>(input.size()), n, false, out);
  const double alpha = 2.0 / (n + 1);
  for (int i = n; i < out->count; ++i) out->values[i] = Truncate(input[i] * alpha + out->values[i - 1] * (1.0 - alpha));
}

inline std::vector<int32_t> Closes(const BarSeries& bars) {
  std::vector<int32_t> closes;
  for (int i = 0; i < Count(bars.count); ++i) closes.push_back(bars.bars[i].close);
  return closes;
}

inline void ExponentialPrices(const BarSeries& bars, IntSeries* out, int n) { Exponential(Closes(bars), out, n); }

inline void ExponentialSeries(const IntSeries& in, IntSeries* out, int n) {
  Exponential(std::vector<int32_t>(in.values, in.values + Count(in.count)), out, n);
}

// Closes are doubled until the highest from bar 1 on reaches a million.
inline void ExponentialScaled(const BarSeries& bars, IntSeries* out, int n) {
  int64_t m = Count(bars.count) >= 2 ? bars.bars[1].close : 0, f = 1;
  for (int k = 1; k < Count(bars.count); ++k) m = std::max<int64_t>(m, bars.bars[k].close);
  for (; m < 1000000 && m > 0; m *= 2) f *= 2;
  std::vector<int32_t> scaled;
  for (int32_t close : Closes(bars)) scaled.push_back(Saturate(close * f));
  Exponential(scaled, out, n);
}

inline void RateOfChange(const IntSeries& in, IntSeries* out, int n) {
  n = Period(n);
  out->count = Count(in.count);
  for (int i = 0; i < out->count; ++i)
    out->values[i] = i < n || in.values[i - n] == 0 ? 10000 : Truncate(in.values[i] * 10000.0 / in.values[i - n]);
}

inline void DeviationFromAverage(const BarSeries& bars, const IntSeries& avg, IntSeries* out) {
  out->count = Count(avg.count);
  for (int i = 0; i < out->count; ++i) {
    const int64_t a = avg.values[i], close = bars.bars[i].close;
    out->values[i] = a < 1            ? 0
                     : close < 100000 ? Saturate((close * 10000) / a - 10000)
                                      : Saturate(((close * 100) / a - 100) * 100);
  }
}

// A second average from 4 bars on adds its deviation.
inline void DeviationRate(const BarSeries& bars, IntSeries* out, int n1, int n2) {
  auto average = std::make_unique<IntSeries>(), second = std::make_unique<IntSeries>();
  CloseAverage(bars, average.get(), n1);
  DeviationFromAverage(bars, *average, out);
  if (n2 < 4) return;
  CloseAverage(bars, average.get(), n2);
  DeviationFromAverage(bars, *average, second.get());
  for (int i = 0; i < out->count; ++i) out->values[i] = Saturate(int64_t{out->values[i]} + second->values[i]);
}

// bands: centre, +1, -1, +2, -2, +3, -3 sigma. Squares count from bar n on.
inline void BollingerBands(const BarSeries& bars, IntSeries* typical, RealSeries* const bands[7], int n) {
  n = Period(n);
  const int count = Count(bars.count);
  auto typicalReal = std::make_unique<RealSeries>(), squares = std::make_unique<RealSeries>();
  auto variance = std::make_unique<RealSeries>();
  typical->count = typicalReal->count = squares->count = count;
  for (int i = 0; i < count; ++i) {
    const PriceBar& bar = bars.bars[i];
    typicalReal->values[i] = typical->values[i] = static_cast<int32_t>((int64_t{bar.high} + bar.low + bar.close) / 3);
  }
  RealAverage(*typicalReal, bands[0], n);
  for (int i = 0; i < count; ++i) {
    const double d = bands[0]->values[i] - typical->values[i];
    squares->values[i] = i < n ? 0.0 : d * d;
  }
  RealAverage(*squares, variance.get(), n);
  for (int i = 0; i < count; ++i) {
    const double sigma = i < n ? 0.0 : std::sqrt(variance->values[i]);
    for (int k = 1; k <= 3; ++k) {
      bands[2 * k - 1]->values[i] = bands[0]->values[i] + k * sigma;
      bands[2 * k]->values[i] = bands[0]->values[i] - k * sigma;
    }
  }
  for (int b = 1; b < 7; ++b) bands[b]->count = count;
}

// The highest high and lowest low of the bars of i-n+1..i that exist.
inline int32_t HighestHigh(const BarSeries& bars, int i, int n) {
  int32_t highest = 0;
  for (int k = std::max(0, i - n + 1); k <= i && k < Count(bars.count); ++k)
    highest = std::max(highest, bars.bars[k].high);
  return highest;
}

inline int32_t LowestLow(const BarSeries& bars, int i, int n) {
  int32_t lowest = INT32_MAX;
  for (int k = std::max(0, i - n + 1); k <= i && k < Count(bars.count); ++k)
    lowest = std::min(lowest, bars.bars[k].low);
  return lowest;
}

// From bar `first` on, the middle of the highest high and lowest low of the
// window; the bars before take the first one's value.
inline void RangeMidpoint(const BarSeries& bars, RealSeries* out, int window, int first) {
  out->count = Count(bars.count);
  for (int i = 0; i < out->count; ++i) {
    const int at = std::max(i, first);
    const int64_t sum = out->count <= first ? 0 : int64_t{HighestHigh(bars, at, window)} + LowestLow(bars, at, window);
    out->values[i] = static_cast<double>(sum) * 0.5;
  }
}

inline void IchimokuConversion(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 9, 30); }
inline void IchimokuBase(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 26, 30); }
inline void IchimokuSpanB(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 52, 52); }

// Fewer than three bars: the closes. Else the SAR moves toward the extreme
// point by the acceleration factor; a price through it turns the trend.
inline void ParabolicSar(const BarSeries& bars, RealSeries* sar, IntSeries* position) {
  const int count = Count(bars.count);
  sar->count = position->count = count;
  const PriceBar* b = bars.bars;
  if (count < 3) {
    for (int i = 0; i < count; ++i) sar->values[i] = b[i].close;
    std::fill(position->values, position->values + count, 0);
    return;
  }
  bool falling = b[0].high > b[1].high;
  double s = falling ? b[0].high : std::min(b[0].low, b[1].low);
  double ep = falling ? std::min(b[0].low, b[1].low) : b[1].high;
  double af = 0.2;
  sar->values[0] = sar->values[1] = s;
  position->values[0] = position->values[1] = falling ? 1 : 0;
  for (int i = 2; i < count; ++i) {
    s = s + (ep - s) * af;
    if (falling ? b[i].high > s : b[i].low < s) {
      s = ep;
      ep = falling ? b[i].high : b[i].low;
      af = 0.02;
      falling = !falling;
    } else if (falling ? b[i].low < ep : b[i].high > ep) {
      ep = falling ? b[i].low : b[i].high;
      if (af < 0.2) af = af + 0.02;
    }
    sar->values[i] = s;
    position->values[i] = falling ? 1 : 0;
  }
}

// Volumes in units of the trading unit (1000 when none), ten or a hundred
// times larger when the first 20 bars trade heavily.
inline void Obv(const BarSeries& bars, IntSeries* out, int tradingUnit) {
  out->count = Count(bars.count);
  int64_t u = tradingUnit <= 0 ? 1000 : tradingUnit, v = 0, obv = 0;
  for (int i = 0; i < std::min(out->count, 20); ++i) v += bars.bars[i].volume;
  if (v >= 200000) u = v < 2000000 ? u * 10 : u * 100;
  for (int i = 0; i < out->count; ++i) {
    if (i > 0 && bars.bars[i].close > bars.bars[i - 1].close) obv += bars.bars[i].volume / u;
    if (i > 0 && bars.bars[i].close < bars.bars[i - 1].close) obv -= bars.bars[i].volume / u;
    out->values[i] = Saturate(obv);
  }
}

// Volume on rises (and half the unchanged) over volume on falls (and half the
// unchanged) of the last n moves; the first n + 1 bars take the first ratio.
inline void VolumeRatio(const BarSeries& bars, IntSeries* out, int n) {
  n = Period(n);
  const int count = Count(bars.count);
  out->count = count;
  for (int i = 0; i <= n && i < count; ++i) out->values[i] = 10000;
  for (int i = n + 1; i < count; ++i) {
    int64_t up = 0, down = 0, same = 0;
    for (int k = i - n + 1; k <= i; ++k) {
      const int32_t close = bars.bars[k].close, before = bars.bars[k - 1].close;
      (close > before ? up : close < before ? down : same) += bars.bars[k].volume;
    }
    const double num = static_cast<double>(up) + static_cast<double>(same) / 2;
    const double den = static_cast<double>(down) + static_cast<double>(same) / 2;
    const double ratio = num == 0 && den == 0 ? 1.0 : num > 0 && den == 0 ? 5.0 : num == 0 && den > 0 ? 0 : num / den;
    out->values[i] = Truncate(ratio * 100 * 100);
  }
  for (int i = 0; i <= n && count > n + 1; ++i) out->values[i] = out->values[n + 1];
}

// The mean volume, and the mean range per mille of the bar's middle, of the
// bars of i-n+1..i that exist.
inline int32_t AverageVolume(const BarSeries& bars, int i, int n) {
  int64_t sum = 0;
  int used = 0;
  for (int k = std::max(0, i - n + 1); k <= i && k < Count(bars.count); ++k, ++used) sum += bars.bars[k].volume;
  return used == 0 ? 0 : Truncate(static_cast<double>(sum) / used);
}

inline int32_t BarRangeRate(const BarSeries& bars, int i, int n) {
  double sum = 0.0;
  int used = 0;
  for (int k = std::max(0, i - n + 1); k <= i && k < Count(bars.count); ++k, ++used) {
    const int64_t high = bars.bars[k].high, low = bars.bars[k].low;
    if (high + low != 0)
      sum += static_cast<double>(std::llabs(high - low) * 1000) / (static_cast<double>(high + low) * 0.5);
  }
  return used == 0 ? 0 : Truncate(sum / used);
}

inline void HighLowPosition(const BarSeries& bars, IntSeries* out, int n) {
  n = Period(n);
  const int count = Count(bars.count);
  out->count = count;
  std::fill(out->values, out->values + std::min(n, count), 50);
  for (int i = n; i < count; ++i) {
    const int64_t hh = HighestHigh(bars, i, n), ll = LowestLow(bars, i, n);
    out->values[i] = hh == ll ? 0 : Saturate((hh - bars.bars[i].close) * 100 / (hh - ll));
  }
}

// Over the last n values (clamped to 0..10000), the highest level with at
// least percent of n at or above it and the lowest with as many at or below.
inline void DistributionBands(const IntSeries& in, IntSeries* upper, IntSeries* lower, int n, int percent) {
  n = Period(n);
  const int count = Count(in.count);
  upper->count = lower->count = count;
  std::fill(upper->values, upper->values + count, 7000);
  std::fill(lower->values, lower->values + count, 3000);
  const int64_t target = int64_t{n} * percent / 100;
  for (int i = n; i < count; ++i) {
    std::vector<int> histogram(10001);
    for (int k = i - n + 1; k <= i; ++k) ++histogram[std::clamp(in.values[k], 0, 10000)];
    const auto reach = [&](int level, int step, int otherwise) {
      for (int64_t counted = 0; level >= 0 && level <= 10000; level += step)
        if ((counted += histogram[level]) >= target) return level;
      return otherwise;
    };
    upper->values[i] = reach(10000, -1, 7000);
    lower->values[i] = reach(0, 1, 3000);
  }
}

}  // namespace literal
