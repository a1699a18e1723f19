#pragma once
// Series makers, garbage-filled buffers and bit-for-bit comparisons shared by
// the kernel tests and benchmarks.
#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/kernels.h"

namespace kernel_test {

constexpr int32_t kTopPrice = 2147483647;
constexpr uint8_t kGarbage = 0xA5;

enum class BarsKind {
  kRandomWalk,  // ordinary prices, random moves
  kTies,        // few price levels: many unchanged closes and equal highs
  kFlat,        // every price the same
  kZeroVolume,  // random walk without volume
  kExtreme,     // prices 1 or 2^31-1, volumes 0 or 2^31-1
  kLowPrices,   // single-digit prices
  kHighPrices,  // closes around 100000 and above
};

constexpr BarsKind kAllBarsKinds[] = {BarsKind::kRandomWalk, BarsKind::kTies,    BarsKind::kFlat,
                                      BarsKind::kZeroVolume, BarsKind::kExtreme, BarsKind::kLowPrices,
                                      BarsKind::kHighPrices};

inline const char* BarsKindName(BarsKind kind) {
  static const char* const kNames[] = {"random walk", "ties",       "flat",       "zero volume",
                                       "extreme",     "low prices", "high prices"};
  return kNames[static_cast<int>(kind)];
}

inline std::string CaseName(BarsKind kind, int count, int n) {
  return std::string(BarsKindName(kind)) + ", " + std::to_string(count) + " bars, N=" + std::to_string(n);
}

inline PriceBar MakeBar(int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
  return {0, open, high, low, close, volume};
}

inline PriceBar RandomBar(BarsKind kind, int32_t* price, std::mt19937& random) {
  auto pick = [&random](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  switch (kind) {
    case BarsKind::kFlat: return MakeBar(500, 500, 500, 500, 1000);
    case BarsKind::kTies: {
      const int32_t close = 100 + 10 * pick(0, 2);
      return MakeBar(close, 100 + 10 * pick(2, 3), 100 + 10 * pick(-1, 0), close, 1000 * pick(0, 3));
    }
    case BarsKind::kExtreme: {
      const int32_t a = pick(0, 1) ? kTopPrice : 1;
      const int32_t b = pick(0, 1) ? kTopPrice : 1;
      return MakeBar(a, std::max(a, b), std::min(a, b), pick(0, 1) ? a : b, pick(0, 1) ? kTopPrice : 0);
    }
    case BarsKind::kLowPrices: {
      const int32_t close = pick(1, 9);
      return MakeBar(close, close + pick(0, 2), std::max(1, close - pick(0, 2)), close, pick(0, 50));
    }
    default: break;
  }
  const int32_t move = kind == BarsKind::kHighPrices ? pick(-3000, 3000) : pick(-40, 40);
  *price = std::max(1, *price + move);
  const int32_t close = *price;
  const int32_t spread = kind == BarsKind::kHighPrices ? 2000 : 30;
  const int32_t volume = kind == BarsKind::kZeroVolume ? 0 : pick(0, 3) == 0 ? pick(0, 20000000) : pick(0, 500000);
  return MakeBar(close + pick(-spread, spread), close + pick(0, spread), std::max(1, close - pick(0, spread)), close,
                 volume);
}

template <typename Series>
std::unique_ptr<Series> Filled(uint8_t fill) {
  auto series = std::make_unique<Series>();
  std::memset(series.get(), fill, sizeof(Series));
  return series;
}

// count bars of the kind; the slots beyond count hold garbage.
inline std::unique_ptr<BarSeries> MakeBars(BarsKind kind, int count, uint32_t seed) {
  auto series = Filled<BarSeries>(kGarbage);
  series->code = 0x33303732;
  series->count = count;
  std::mt19937 random(seed);
  int32_t price = kind == BarsKind::kHighPrices ? 99000 : 1500;
  for (int i = 0; i < count; ++i) {
    series->bars[i] = RandomBar(kind, &price, random);
    series->bars[i].date = static_cast<PackedDate>(20000101 + i);
  }
  return series;
}

// A series from closes alone (open = high = low = close).
inline std::unique_ptr<BarSeries> BarsFromCloses(const std::vector<int32_t>& closes, int32_t volume = 1000) {
  auto series = MakeBars(BarsKind::kFlat, 0, 0);
  series->count = static_cast<int32_t>(closes.size());
  for (size_t i = 0; i < closes.size(); ++i)
    series->bars[i] = MakeBar(closes[i], closes[i], closes[i], closes[i], volume);
  return series;
}

inline std::unique_ptr<IntSeries> GarbageIntSeries() { return Filled<IntSeries>(kGarbage); }
inline std::unique_ptr<RealSeries> GarbageRealSeries() { return Filled<RealSeries>(kGarbage); }

inline std::unique_ptr<IntSeries> IntSeriesOf(const std::vector<int32_t>& values) {
  auto series = GarbageIntSeries();
  series->count = static_cast<int32_t>(values.size());
  std::copy(values.begin(), values.end(), series->values);
  return series;
}

inline std::unique_ptr<IntSeries> RandomIntSeries(int count, int32_t lo, int32_t hi, uint32_t seed) {
  auto series = GarbageIntSeries();
  series->count = count;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int32_t> pick(lo, hi);
  for (int i = 0; i < count; ++i) series->values[i] = pick(random);
  return series;
}

inline std::vector<int32_t> Values(const IntSeries& s) { return std::vector<int32_t>(s.values, s.values + s.count); }
inline std::vector<double> Values(const RealSeries& s) { return std::vector<double>(s.values, s.values + s.count); }

// A thread's scratch set, every buffer filled with `fill` first.
struct ScratchHolder {
  KernelScratchSet set{};
  explicit ScratchHolder(uint8_t fill = kGarbage) {
    if (!AllocateKernelScratchSet(&set)) std::abort();
    for (IntSeries* series : set.ints) std::memset(series, fill, sizeof(IntSeries));
    for (RealSeries* series : set.reals) std::memset(series, fill, sizeof(RealSeries));
  }
  ~ScratchHolder() { FreeKernelScratchSet(&set); }
  ScratchHolder(const ScratchHolder&) = delete;
  ScratchHolder& operator=(const ScratchHolder&) = delete;
};

// A value in full (integers included).
inline std::string ValueText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// "" when the counts and the counted values are equal (doubles bit for bit), else the first difference.
template <typename Series>
std::string SeriesDifference(const Series& fast, const Series& slow) {
  if (fast.count != slow.count) return "count " + std::to_string(fast.count) + " != " + std::to_string(slow.count);
  for (int i = 0; i < std::clamp<int32_t>(fast.count, 0, kMaxBars); ++i)
    if (std::memcmp(&fast.values[i], &slow.values[i], sizeof fast.values[i]) != 0)
      return "value " + std::to_string(i) + ": " + ValueText(fast.values[i]) + " != " + ValueText(slow.values[i]);
  return "";
}

// Nothing at or beyond count was written (the buffer was filled with `fill`).
template <typename Series>
bool TailUntouched(const Series& series, int count, uint8_t fill = kGarbage) {
  const auto* tail = reinterpret_cast<const uint8_t*>(series.values + count);
  return std::all_of(tail, reinterpret_cast<const uint8_t*>(series.values + kMaxBars),
                     [fill](uint8_t b) { return b == fill; });
}

// SeriesDifference, or "wrote beyond the count" when the garbage after it changed.
template <typename Series>
std::string Difference(const Series& fast, const Series& slow) {
  const std::string difference = SeriesDifference(fast, slow);
  if (!difference.empty() || TailUntouched(fast, std::clamp<int32_t>(fast.count, 0, kMaxBars))) return difference;
  return "wrote beyond the count";
}

// Bar counts around a period: empty, 1, 2, n-1, n, n+1, n+2, full and one random.
inline std::vector<int> CountsAround(int n, std::mt19937& random) {
  std::vector<int> counts = {0, 1, 2, n - 1, n, n + 1, n + 2, kMaxBars, kMergeBarCap};
  counts.push_back(std::uniform_int_distribution<int>(3, 400)(random));
  std::vector<int> kept;
  for (int c : counts)
    if (c >= 0 && c <= kMaxBars && std::find(kept.begin(), kept.end(), c) == kept.end()) kept.push_back(c);
  return kept;
}

// Every kind of bars at every count around every period (below 1 as 1): check(bars, n)
// gives "" or a difference, and the first difference, named, ends the run.
template <typename Check>
std::string FirstDifference(const std::vector<int>& periods, uint32_t seed, Check check) {
  std::mt19937 random(seed);
  for (int n : periods) {
    for (int count : CountsAround(std::max(n, 1), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const std::string difference = check(*MakeBars(kind, count, static_cast<uint32_t>(random())), n);
        if (!difference.empty()) return CaseName(kind, count, n) + ": " + difference;
      }
    }
  }
  return "";
}

// The same for a kernel over bars against its slow twin, both writing to garbage.
template <typename Out>
std::string FirstDifference(const std::vector<int>& periods, uint32_t seed, void (*fast)(const BarSeries&, Out*, int),
                            void (*slow)(const BarSeries&, Out*, int)) {
  return FirstDifference(periods, seed, [&](const BarSeries& bars, int n) {
    auto got = Filled<Out>(kGarbage), want = Filled<Out>(kGarbage);
    fast(bars, got.get(), n);
    slow(bars, want.get(), n);
    return Difference(*got, *want);
  });
}

}  // namespace kernel_test
