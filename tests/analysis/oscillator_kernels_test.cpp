// RSI, RCI, stochastics, the directional-movement family and the psychological
// line against the literal oscillators, and worked examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_oscillators.h"
#include "tests/support/kernel_series.h"

namespace {

using namespace kernel_test;
constexpr int32_t kTop = INT32_MAX;
constexpr uint8_t kFill = 0xAB;

std::unique_ptr<BarSeries> HighLowClose(const std::vector<std::vector<int32_t>>& rows) {
  auto bars = BarsFromCloses({});
  for (const auto& row : rows) bars->bars[bars->count++] = MakeBar(row[2], row[0], row[1], row[2], 1000);
  return bars;
}

enum Kind { kSmallSteps, kLargeSteps, kThreePrices, kFlatStretches, kExtremePrices, kDamagedBars, kKinds };
const char* const kKindNames[] = {"small steps",    "large steps",    "three prices",
                                  "flat stretches", "extreme prices", "damaged bars"};

// small/large steps: a walk (unchanged closes included) with highs and lows around the close;
// three prices: ties in every window; flat stretches: whole bars flat for up to 45 bars between
// moves; extreme prices: only 1 and 2^31-1; damaged bars: anything a file could hold.
std::unique_ptr<BarSeries> Oscillating(int kind, int count, uint32_t seed) {
  std::mt19937 random(seed);
  auto pick = [&random](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  auto bars = BarsFromCloses({});
  const int32_t corners[] = {INT32_MIN, -1, 0, 1, kTop};
  int32_t close = kind == kFlatStretches ? 500 : 1000;
  int stretch = 0;
  for (int i = 0; i < count; ++i) {
    int32_t high = close, low = close;
    if (kind == kSmallSteps || kind == kLargeSteps) {
      const int32_t step = kind == kSmallSteps ? 3 : 400000;
      close = std::max(1, close + pick(-step, step));
      high = close + pick(0, step);
      low = std::max(1, close - pick(0, step));
    } else if (kind == kThreePrices) {
      close = pick(100, 102);
      high = 103;
      low = 99;
    } else if (kind == kFlatStretches) {
      if (stretch-- == 0) {
        close = std::max(1, close + pick(-50, 50));
        stretch = pick(0, 44);
      }
      high = low = close;
    } else if (kind == kExtremePrices) {
      high = pick(0, 1) ? kTop : 1;
      low = pick(0, 1) ? high : 1;
      close = pick(0, 1) ? high : low;
    } else {
      const bool edge = i % 3 == 0;
      high = edge ? corners[pick(0, 4)] : pick(INT32_MIN, INT32_MAX);
      low = pick(INT32_MIN, INT32_MAX);
      close = edge ? corners[pick(0, 4)] : pick(INT32_MIN, INT32_MAX);
    }
    bars->bars[bars->count++] = MakeBar(close, high, low, close, 1000);
  }
  return bars;
}

// The counted values of a kernel's output; nothing at or beyond the count may change.
LiteralValues Written(const IntSeries& out, uint8_t fill) {
  EXPECT_TRUE(TailUntouched(out, std::clamp(out.count, 0, kMaxBars), fill)) << "wrote beyond the count";
  return Values(out);
}

LiteralValues Output(void (*kernel)(const BarSeries&, IntSeries*, int), const BarSeries& bars, int n,
                     uint8_t fill = kFill) {
  auto out = Filled<IntSeries>(fill);
  kernel(bars, out.get(), n);
  return Written(*out, fill);
}

LiteralStochastics Stochastics(const BarSeries& bars, int n, int m, uint8_t fill = kFill) {
  auto k = Filled<IntSeries>(fill), d = Filled<IntSeries>(fill);
  ScratchHolder scratch(fill);
  ComputeStochastics(bars, k.get(), n, d.get(), m, scratch.set);
  return {Written(*k, fill), Written(*d, fill), Values(*scratch.set.ints[0]), Values(*scratch.set.ints[1])};
}

std::pair<LiteralValues, LiteralValues> Movement(const BarSeries& bars, uint8_t fill = kFill) {
  auto plus = Filled<IntSeries>(fill), minus = Filled<IntSeries>(fill);
  ComputeDirectionalMovement(bars, plus.get(), minus.get());
  return {Written(*plus, fill), Written(*minus, fill)};
}

// The true range in the shape of the other kernels.
void TrueRange(const BarSeries& bars, IntSeries* out, int) { ComputeTrueRange(bars, out); }

// +DI or -DI from DM and TR, or DX from +DI and -DI.
LiteralValues Directional(void (*kernel)(const IntSeries&, const IntSeries&, IntSeries*), const LiteralValues& a,
                          const LiteralValues& b, uint8_t fill = kFill) {
  auto out = Filled<IntSeries>(fill);
  kernel(*IntSeriesOf(a), *IntSeriesOf(b), out.get());
  return Written(*out, fill);
}

LiteralValues Repeated(size_t count, int32_t value) { return LiteralValues(count, value); }

// "" or the first difference between the kernel's values and the literal ones.
std::string Diff(const LiteralValues& fast, const LiteralValues& literal) {
  return SeriesDifference(*IntSeriesOf(fast), *IntSeriesOf(literal));
}

void ExpectStochasticsLikeLiteral(const BarSeries& bars, int n, int m, uint8_t fill = kFill) {
  const LiteralStochastics fast = Stochastics(bars, n, m, fill), literal = LiteralStochasticsOf(bars, n, m);
  for (auto part :
       {&LiteralStochastics::k, &LiteralStochastics::d, &LiteralStochastics::pos, &LiteralStochastics::range})
    EXPECT_EQ(Diff(fast.*part, literal.*part), "") << "stochastics " << n << "/" << m;
}

// Every kernel on buffers (scratch included) that held `fill` before.
void ExpectAllLikeLiteral(const BarSeries& bars, uint8_t fill = kFill) {
  for (int n : {1, 2, 3, 5, 14, 27}) EXPECT_EQ(Diff(Output(ComputeRsi, bars, n, fill), LiteralRsi(bars, n)), "") << n;
  for (int n : {2, 3, 5, 9, 27}) EXPECT_EQ(Diff(Output(ComputeRci, bars, n, fill), LiteralRci(bars, n)), "") << n;
  for (int n : {1, 6, 12, 24})
    EXPECT_EQ(Diff(Output(ComputePsychologicalLine, bars, n, fill), LiteralPsychologicalLine(bars, n)), "") << n;
  for (const auto& [n, m] : {std::pair{1, 1}, {5, 3}, {14, 3}, {3, 9}, {2, 1}})
    ExpectStochasticsLikeLiteral(bars, n, m, fill);
  const auto fast = Movement(bars, fill);
  const auto literal = LiteralDirectionalMovement(bars);
  EXPECT_EQ(Diff(fast.first, literal.first), "") << "+DM";
  EXPECT_EQ(Diff(fast.second, literal.second), "") << "-DM";
  const LiteralValues tr = LiteralTrueRange(bars);
  EXPECT_EQ(Diff(Output(TrueRange, bars, 0, fill), tr), "") << "TR";
  const LiteralValues plusDi = LiteralDirectionalIndex(literal.first, tr);
  const LiteralValues minusDi = LiteralDirectionalIndex(literal.second, tr);
  EXPECT_EQ(Diff(Directional(ComputeDirectionalIndex, literal.first, tr, fill), plusDi), "") << "+DI";
  EXPECT_EQ(Diff(Directional(ComputeDirectionalIndex, literal.second, tr, fill), minusDi), "") << "-DI";
  EXPECT_EQ(
      Diff(Directional(ComputeDirectionalSpread, plusDi, minusDi, fill), LiteralDirectionalSpread(plusDi, minusDi)), "")
      << "DX";
}

// 0..40 bars covers N-1, N, N+1, N+2 (and N+M for stochastics) of every period tried.
TEST(OscillatorLiteral, EveryKindOfSeriesAtEveryShortLengthManySeedsAndFullCapacity) {
  const uint8_t fills[] = {0x00, 0xFF, 0x7F, 0x80, kFill};
  for (int kind = 0; kind < kKinds; ++kind) {
    for (int count = 0; count <= 40; ++count) {
      SCOPED_TRACE(std::string(kKindNames[kind]) + ", " + std::to_string(count) + " bars");
      ExpectAllLikeLiteral(*Oscillating(kind, count, 100u + static_cast<uint32_t>(count)), fills[count % 5]);
    }
    for (uint32_t seed = 0; seed < 10; ++seed) {
      SCOPED_TRACE(std::string(kKindNames[kind]) + ", 300 bars, seed " + std::to_string(seed));
      ExpectAllLikeLiteral(*Oscillating(kind, 300, seed), fills[seed % 5]);
    }
    SCOPED_TRACE(std::string(kKindNames[kind]) + ", full");
    ExpectAllLikeLiteral(*Oscillating(kind, kMaxBars, 11));
  }
}

TEST(OscillatorLiteral, RisingFallingFlatAndOddOneOutSeries) {
  for (const auto& [start, step] : {std::pair{100, 1}, {100000, -7}, {1, 0}, {kTop, 0}}) {
    std::vector<int32_t> closes;
    for (int i = 0; i < 200; ++i) closes.push_back(start + step * i);
    ExpectAllLikeLiteral(*BarsFromCloses(closes));
  }
  // Every close equal but one, the odd one entering and leaving the window.
  std::vector<int32_t> closes(60, 500);
  closes[20] = 499;
  closes[33] = 501;
  const auto bars = BarsFromCloses(closes);
  for (int n : {2, 3, 7, 13, 14, 40}) EXPECT_EQ(Diff(Output(ComputeRci, *bars, n), LiteralRci(*bars, n)), "") << n;
}

// Window sums far beyond 32 bits: thousands of moves of 2^31 - 2.
TEST(OscillatorLiteral, LongPeriodsOverExtremePricesAndTheLargestRciPeriod) {
  const auto bars = Oscillating(kExtremePrices, kMaxBars, 5);
  for (int n : {300, 2500, 5000, 5118, 5119})
    EXPECT_EQ(Diff(Output(ComputeRsi, *bars, n), LiteralRsi(*bars, n)), "") << n;
  for (int n : {320, 5000})
    EXPECT_EQ(Diff(Output(ComputePsychologicalLine, *bars, n), LiteralPsychologicalLine(*bars, n)), "") << n;
  ExpectStochasticsLikeLiteral(*bars, 10, 3000);
  ExpectStochasticsLikeLiteral(*bars, 2000, 2000);
  // RCI's largest period over every kind.
  for (int kind = 0; kind < kKinds; ++kind) {
    const auto some = Oscillating(kind, 700, 3);
    EXPECT_EQ(Diff(Output(ComputeRci, *some, kMaxRciPeriod), LiteralRci(*some, kMaxRciPeriod)), "") << kKindNames[kind];
  }
}

// %D is summed pos over summed range (71 / 125), not the average of %K (5650).
// Products come before divisions: 57 x 10000 / 100 is exactly 5700 where
// 57 / 100 x 10000 truncates to 5699 (and 5680 for %D, not 5679).
TEST(OscillatorExamples, StochasticDIsTheRatioOfTheSumsAndMovesSpanTheWholePriceScale) {
  const auto result = Stochastics(*HighLowClose({{10, 0, 5}, {10, 0, 5}, {200, 100, 157}, {1025, 1000, 1014}}), 1, 2);
  EXPECT_EQ(result.k, (LiteralValues{5000, 5000, 5700, 5600}));
  EXPECT_EQ(result.d, Repeated(4, 5680));
  // pos x 10000 beyond 32 bits.
  const auto whole = Stochastics(*HighLowClose({{kTop, 1, kTop}, {kTop, 1, kTop}, {kTop, 1, 1073741824}}), 1, 1);
  EXPECT_EQ(whole.k, (LiteralValues{10000, 10000, 5000}));
  EXPECT_EQ(whole.d, (LiteralValues{5000, 5000, 5000}));
  // dm x 10000 beyond 32 bits: moves above 214,748 units.
  const auto bars = HighLowClose({{1, 1, 1}, {kTop, 1, kTop}, {kTop, 1, 1}, {300000, 1, 1}});
  const LiteralValues plus = Movement(*bars).first;
  EXPECT_EQ(plus, (LiteralValues{0, kTop - 1, 0, 0}));
  const LiteralValues tr = Output(TrueRange, *bars, 0);
  EXPECT_EQ(tr, (LiteralValues{0, kTop - 1, kTop - 1, 299999}));
  EXPECT_EQ(Directional(ComputeDirectionalIndex, plus, tr), (LiteralValues{0, 10000, 0, 0}));
  EXPECT_EQ(Directional(ComputeDirectionalIndex, {300000, kTop}, {600000, kTop}), (LiteralValues{5000, 10000}));
  EXPECT_EQ(Directional(ComputeDirectionalSpread, {kTop, kTop}, {kTop, 0}), (LiteralValues{0, 10000}));
}

// RCI periods below 2 act as 2 and beyond the work arrays as the largest; other
// periods below 1 act as 1, and periods beyond the bars keep neutral values.
// Bar counts beyond the series or below 0 are brought within it.
TEST(OscillatorPeriods, OutOfRangePeriodsAndCountsActAsTheNearestUsableOne) {
  const auto bars = Oscillating(kSmallSteps, 800, 4);
  const LiteralValues largest = LiteralRci(*bars, kMaxRciPeriod);
  for (int n : {1, 0, -5, INT_MIN}) EXPECT_EQ(Output(ComputeRci, *bars, n), LiteralRci(*bars, 2)) << n;
  for (int n : {kMaxRciPeriod + 1, 400, 5000, INT_MAX}) EXPECT_EQ(Output(ComputeRci, *bars, n), largest) << n;
  const LiteralStochastics literal = LiteralStochasticsOf(*bars, 1, 1);
  for (int n : {0, -1, INT_MIN}) {
    EXPECT_EQ(Output(ComputeRsi, *bars, n), LiteralRsi(*bars, 1)) << n;
    EXPECT_EQ(Output(ComputePsychologicalLine, *bars, n), LiteralPsychologicalLine(*bars, 1)) << n;
    const LiteralStochastics fast = Stochastics(*bars, n, n);
    EXPECT_EQ(std::make_pair(fast.k, fast.d), std::make_pair(literal.k, literal.d)) << n;
  }
  EXPECT_EQ(Output(ComputePsychologicalLine, *bars, INT_MAX), Repeated(800, 5000));
  const auto full = Oscillating(kSmallSteps, kMaxBars, 3);
  for (int n : {kMaxBars - 1, kMaxBars, 65535, INT_MAX})
    EXPECT_EQ(Output(ComputeRsi, *full, n), Repeated(kMaxBars, 5000)) << n;
  const LiteralStochastics huge = Stochastics(*full, INT_MAX, INT_MAX);
  EXPECT_EQ(huge.k, Repeated(kMaxBars, 5000));
  EXPECT_EQ(huge.d, Repeated(kMaxBars, 50));
  EXPECT_EQ(Stochastics(*full, 3, INT_MAX).d, Repeated(kMaxBars, 50));
  full->count = kMaxBars + 1000;
  EXPECT_EQ(Output(ComputeRci, *full, 9).size(), size_t{kMaxBars});
  full->count = -7;
  EXPECT_EQ(Output(ComputeRsi, *full, 14).size() + Output(TrueRange, *full, 0).size(), 0u);
}

}  // namespace
