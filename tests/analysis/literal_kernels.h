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

// ---- Conversions and ranges ---------------------------------------------------------

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

inline std::unique_ptr<IntSeries> NewIntSeries() { return std::make_unique<IntSeries>(); }
inline std::unique_ptr<RealSeries> NewRealSeries() { return std::make_unique<RealSeries>(); }

// ---- Simple averages ------------------------------------------------------------------

// The mean of the n inputs ending at bar end.
template <typename ValueAt>
double WindowMean(ValueAt valueAt, int end, int n) {
  int64_t sum = 0;
  for (int k = end - n + 1; k <= end; ++k) sum += valueAt(k);
  return static_cast<double>(sum) / n;
}

// Shorter than n: the input. Else values 0..n-1 hold the mean of the first n
// inputs (truncated), value i from n the mean of inputs i-n+1..i.
template <typename ValueAt>
void IntegerAverage(ValueAt valueAt, int count, int n, bool roundFromN, IntSeries* out) {
  out->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = valueAt(i);
    return;
  }
  const int32_t seed = Truncate(WindowMean(valueAt, n - 1, n));
  for (int i = 0; i < n; ++i) out->values[i] = seed;
  for (int i = n; i < count; ++i) {
    const double mean = WindowMean(valueAt, i, n);
    out->values[i] = roundFromN ? Round(mean) : Truncate(mean);
  }
}

inline void CloseAverageReal(const BarSeries& bars, RealSeries* out, int n) {
  n = Period(n);
  const int count = Count(bars.count);
  out->count = count;
  auto close = [&bars](int k) { return bars.bars[k].close; };
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = close(i);
    return;
  }
  const double seed = WindowMean(close, n - 1, n);
  for (int i = 0; i < n; ++i) out->values[i] = seed;
  for (int i = n; i < count; ++i) out->values[i] = WindowMean(close, i, n);
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
inline double RealWindowMean(const RealSeries& in, int end, int n) {
  double sum = 0.0;
  for (int k = end - n + 1; k <= end; ++k) sum += in.values[k];
  return sum / n;
}

inline void RealAverage(const RealSeries& in, RealSeries* out, int n) {
  n = Period(n);
  const int count = Count(in.count);
  out->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = in.values[i];
    return;
  }
  const double seed = RealWindowMean(in, n - 1, n);
  for (int i = 0; i < n; ++i) out->values[i] = seed;
  for (int i = n; i < count; ++i) out->values[i] = RealWindowMean(in, i, n);
}

// ---- Exponential averages and the rate of change -------------------------------------------

inline void Exponential(const std::vector<int32_t>& input, IntSeries* out, int n) {
  n = Period(n);
  const int count = static_cast<int>(input.size());
  out->count = count;
  if (count < n) {
    for (int i = 0; i < count; ++i) out->values[i] = input[static_cast<size_t>(i)];
    return;
  }
  int64_t sum = 0;
  for (int k = 0; k < n; ++k) sum += input[static_cast<size_t>(k)];
  const int32_t seed = Truncate(static_cast<double>(sum) / n);
  for (int i = 0; i < n; ++i) out->values[i] = seed;
  const double alpha = 2.0 / (n + 1);
  for (int i = n; i < count; ++i)
    out->values[i] = Truncate(input[static_cast<size_t>(i)] * alpha + out->values[i - 1] * (1.0 - alpha));
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

inline int64_t ScaleFactor(const BarSeries& bars) {
  const int count = Count(bars.count);
  int64_t m = 0;
  if (count >= 2) {
    m = bars.bars[1].close;
    for (int k = 1; k < count; ++k)
      if (bars.bars[k].close > m) m = bars.bars[k].close;
  }
  int64_t f = 1;
  while (m < 1000000 && m > 0) {
    m *= 2;
    f *= 2;
  }
  return f;
}

inline void ExponentialScaled(const BarSeries& bars, IntSeries* out, int n) {
  const int64_t f = ScaleFactor(bars);
  std::vector<int32_t> scaled;
  for (int32_t close : Closes(bars)) scaled.push_back(Saturate(close * f));
  Exponential(scaled, out, n);
}

constexpr int32_t kRateOfChangeNeutral = 10000;

inline void RateOfChange(const IntSeries& in, IntSeries* out, int n) {
  n = Period(n);
  const int count = Count(in.count);
  out->count = count;
  for (int i = 0; i < count; ++i) {
    if (i < n || in.values[i - n] == 0) {
      out->values[i] = kRateOfChangeNeutral;
    } else {
      out->values[i] = Truncate(in.values[i] * 10000.0 / in.values[i - n]);
    }
  }
}

// ---- Deviation rate ------------------------------------------------------------------------

inline void DeviationFromAverage(const BarSeries& bars, const IntSeries& avg, IntSeries* out) {
  const int count = Count(avg.count);
  out->count = count;
  for (int i = 0; i < count; ++i) {
    const int64_t a = avg.values[i];
    const int64_t close = bars.bars[i].close;
    if (a < 1) {
      out->values[i] = 0;
    } else if (close < 100000) {
      out->values[i] = Saturate((close * 10000) / a - 10000);
    } else {
      out->values[i] = Saturate(((close * 100) / a - 100) * 100);
    }
  }
}

inline void DeviationRate(const BarSeries& bars, IntSeries* out, int n1, int n2) {
  auto a1 = NewIntSeries();
  CloseAverage(bars, a1.get(), n1);
  if (n2 < 4) {
    DeviationFromAverage(bars, *a1, out);
    return;
  }
  auto d1 = NewIntSeries();
  auto a2 = NewIntSeries();
  auto d2 = NewIntSeries();
  DeviationFromAverage(bars, *a1, d1.get());
  CloseAverage(bars, a2.get(), n2);
  DeviationFromAverage(bars, *a2, d2.get());
  out->count = d1->count;
  for (int i = 0; i < d1->count; ++i) out->values[i] = Saturate(int64_t{d1->values[i]} + d2->values[i]);
}

// ---- Bollinger bands --------------------------------------------------------------------------

// bands: centre, +1, -1, +2, -2, +3, -3 sigma.
inline void BollingerBands(const BarSeries& bars, IntSeries* typical, RealSeries* const bands[7], int n) {
  n = Period(n);
  const int count = Count(bars.count);
  typical->count = count;
  for (int b = 0; b < 7; ++b) bands[b]->count = count;
  for (int i = 0; i < count; ++i) {
    const PriceBar& bar = bars.bars[i];
    typical->values[i] = static_cast<int32_t>((int64_t{bar.high} + bar.low + bar.close) / 3);
  }
  std::vector<double> sigma(static_cast<size_t>(count), 0.0);
  if (count < n) {
    for (int i = 0; i < count; ++i) bands[0]->values[i] = typical->values[i];
  } else {
    auto typicalReal = NewRealSeries();
    typicalReal->count = count;
    for (int i = 0; i < count; ++i) typicalReal->values[i] = typical->values[i];
    RealAverage(*typicalReal, bands[0], n);
    auto sq = NewRealSeries();
    sq->count = count;
    for (int i = 0; i < count; ++i) sq->values[i] = 0.0;
    for (int i = n; i < count; ++i) {
      const double d = bands[0]->values[i] - typical->values[i];
      sq->values[i] = d * d;
    }
    auto var = NewRealSeries();
    RealAverage(*sq, var.get(), n);
    for (int i = n; i < count; ++i) sigma[static_cast<size_t>(i)] = std::sqrt(var->values[i]);
  }
  for (int i = 0; i < count; ++i) {
    const double c = bands[0]->values[i];
    const double s = sigma[static_cast<size_t>(i)];
    bands[1]->values[i] = c + s;
    bands[2]->values[i] = c - s;
    bands[3]->values[i] = c + 2 * s;
    bands[4]->values[i] = c - 2 * s;
    bands[5]->values[i] = c + 3 * s;
    bands[6]->values[i] = c - 3 * s;
  }
}

// ---- Ichimoku -------------------------------------------------------------------------------

inline void RangeMidpoint(const BarSeries& bars, RealSeries* out, int window, int first) {
  const int count = Count(bars.count);
  out->count = count;
  for (int i = 0; i < count; ++i) out->values[i] = 0.0;
  if (count <= first) return;
  for (int i = first; i < count; ++i) {
    int32_t highest = 0;
    int32_t lowest = 2147483647;
    for (int k = i - window + 1; k <= i; ++k) {
      if (bars.bars[k].high > highest) highest = bars.bars[k].high;
      if (bars.bars[k].low < lowest) lowest = bars.bars[k].low;
    }
    const int64_t sum = int64_t{highest} + lowest;
    out->values[i] = static_cast<double>(sum) * 0.5;
  }
  for (int i = 0; i < first; ++i) out->values[i] = out->values[first];
}

inline void IchimokuConversion(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 9, 30); }
inline void IchimokuBase(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 26, 30); }
inline void IchimokuSpanB(const BarSeries& bars, RealSeries* out) { RangeMidpoint(bars, out, 52, 52); }

// ---- Parabolic SAR -------------------------------------------------------------------------------

inline void ParabolicSar(const BarSeries& bars, RealSeries* sar, IntSeries* position) {
  const int count = Count(bars.count);
  sar->count = count;
  position->count = count;
  const PriceBar* b = bars.bars;
  if (count < 3) {
    for (int i = 0; i < count; ++i) {
      sar->values[i] = b[i].close;
      position->values[i] = 0;
    }
    return;
  }
  bool falling = b[0].high > b[1].high;
  double s;
  double ep;
  if (falling) {
    s = b[0].high;
    ep = std::min(b[0].low, b[1].low);
  } else {
    s = std::min(b[0].low, b[1].low);
    ep = b[1].high;
  }
  double af = 0.2;
  sar->values[0] = sar->values[1] = s;
  position->values[0] = position->values[1] = falling ? 1 : 0;
  for (int i = 2; i < count; ++i) {
    s = s + (ep - s) * af;
    if (falling) {
      if (b[i].high > s) {
        s = ep;
        ep = b[i].high;
        af = 0.02;
        falling = false;
      } else if (b[i].low < ep) {
        ep = b[i].low;
        if (af < 0.2) af = af + 0.02;
      }
    } else {
      if (b[i].low < s) {
        s = ep;
        ep = b[i].low;
        af = 0.02;
        falling = true;
      } else if (b[i].high > ep) {
        ep = b[i].high;
        if (af < 0.2) af = af + 0.02;
      }
    }
    sar->values[i] = s;
    position->values[i] = falling ? 1 : 0;
  }
}

// ---- Volume ----------------------------------------------------------------------------------

inline void Obv(const BarSeries& bars, IntSeries* out, int tradingUnit) {
  const int count = Count(bars.count);
  out->count = count;
  int64_t u = tradingUnit <= 0 ? 1000 : tradingUnit;
  int64_t v = 0;
  for (int i = 0; i < std::min(count, 20); ++i) v += bars.bars[i].volume;
  if (v >= 200000) u = v < 2000000 ? u * 10 : u * 100;
  std::vector<int64_t> sv;
  for (int i = 0; i < count; ++i) sv.push_back(bars.bars[i].volume / u);
  int64_t obv = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && bars.bars[i].close > bars.bars[i - 1].close) obv += sv[static_cast<size_t>(i)];
    if (i > 0 && bars.bars[i].close < bars.bars[i - 1].close) obv -= sv[static_cast<size_t>(i)];
    out->values[i] = Saturate(obv);
  }
}

inline void VolumeRatio(const BarSeries& bars, IntSeries* out, int n) {
  n = Period(n);
  const int count = Count(bars.count);
  out->count = count;
  for (int i = 0; i <= n && i < count; ++i) out->values[i] = 10000;
  for (int i = n + 1; i < count; ++i) {
    int64_t up = 0;
    int64_t down = 0;
    int64_t same = 0;
    for (int k = i - n + 1; k <= i; ++k) {
      if (bars.bars[k].close > bars.bars[k - 1].close) {
        up += bars.bars[k].volume;
      } else if (bars.bars[k].close < bars.bars[k - 1].close) {
        down += bars.bars[k].volume;
      } else {
        same += bars.bars[k].volume;
      }
    }
    const double num = static_cast<double>(up) + static_cast<double>(same) / 2;
    const double den = static_cast<double>(down) + static_cast<double>(same) / 2;
    double ratio;
    if (num == 0 && den == 0) {
      ratio = 1.0;
    } else if (num > 0 && den == 0) {
      ratio = 5.0;
    } else if (num == 0 && den > 0) {
      ratio = 0;
    } else {
      ratio = num / den;
    }
    out->values[i] = Truncate(ratio * 100 * 100);
  }
  if (count > n + 1)
    for (int i = 0; i <= n; ++i) out->values[i] = out->values[n + 1];
}

// ---- Library functions ------------------------------------------------------------------------

inline int32_t HighestHigh(const BarSeries& bars, int i, int n) {
  int32_t highest = 0;
  for (int k = i - n + 1; k <= i; ++k)
    if (k >= 0 && k < Count(bars.count) && bars.bars[k].high > highest) highest = bars.bars[k].high;
  return highest;
}

inline int32_t LowestLow(const BarSeries& bars, int i, int n) {
  int32_t lowest = 2147483647;
  for (int k = i - n + 1; k <= i; ++k)
    if (k >= 0 && k < Count(bars.count) && bars.bars[k].low < lowest) lowest = bars.bars[k].low;
  return lowest;
}

inline int32_t AverageVolume(const BarSeries& bars, int i, int n) {
  int64_t sum = 0;
  int used = 0;
  for (int k = i - n + 1; k <= i; ++k) {
    if (k < 0 || k >= Count(bars.count)) continue;
    sum += bars.bars[k].volume;
    ++used;
  }
  return used == 0 ? 0 : Truncate(static_cast<double>(sum) / used);
}

inline int32_t BarRangeRate(const BarSeries& bars, int i, int n) {
  double sum = 0.0;
  int used = 0;
  for (int k = i - n + 1; k <= i; ++k) {
    if (k < 0 || k >= Count(bars.count)) continue;
    const int64_t high = bars.bars[k].high;
    const int64_t low = bars.bars[k].low;
    ++used;
    if (high + low == 0) continue;
    sum += static_cast<double>(std::llabs(high - low) * 1000) / (static_cast<double>(high + low) * 0.5);
  }
  return used == 0 ? 0 : Truncate(sum / used);
}

inline void HighLowPosition(const BarSeries& bars, IntSeries* out, int n) {
  n = Period(n);
  const int count = Count(bars.count);
  out->count = count;
  for (int i = 0; i < count; ++i) {
    if (i < n) {
      out->values[i] = 50;
      continue;
    }
    const int64_t hh = HighestHigh(bars, i, n);
    const int64_t ll = LowestLow(bars, i, n);
    out->values[i] = hh == ll ? 0 : Saturate((hh - bars.bars[i].close) * 100 / (hh - ll));
  }
}

inline void DistributionBands(const IntSeries& in, IntSeries* upper, IntSeries* lower, int n, int percent) {
  n = Period(n);
  const int count = Count(in.count);
  upper->count = count;
  lower->count = count;
  for (int i = 0; i < count; ++i) {
    upper->values[i] = 7000;
    lower->values[i] = 3000;
  }
  std::vector<int> histogram(10001);
  const int64_t target = int64_t{n} * percent / 100;
  for (int i = n; i < count; ++i) {
    std::fill(histogram.begin(), histogram.end(), 0);
    for (int k = i - n + 1; k <= i; ++k) ++histogram[static_cast<size_t>(std::clamp(in.values[k], 0, 10000))];
    int64_t counted = 0;
    for (int level = 10000; level >= 0; --level) {
      counted += histogram[static_cast<size_t>(level)];
      if (counted >= target) {
        upper->values[i] = level;
        break;
      }
    }
    counted = 0;
    for (int level = 0; level <= 10000; ++level) {
      counted += histogram[static_cast<size_t>(level)];
      if (counted >= target) {
        lower->values[i] = level;
        break;
      }
    }
  }
}

}  // namespace literal
