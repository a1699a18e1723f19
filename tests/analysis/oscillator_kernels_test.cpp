#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_oscillators.h"

namespace {

constexpr int32_t kTop = INT32_MAX;

// ---- Series ---------------------------------------------------------------------------

std::unique_ptr<BarSeries> NewBars() {
  auto bars = std::make_unique<BarSeries>();
  memset(bars.get(), 0xAB, sizeof(BarSeries));
  bars->code = 0;
  bars->count = 0;
  return bars;
}

void AppendBar(BarSeries* bars, int32_t high, int32_t low, int32_t close) {
  bars->bars[bars->count++] = {0, close, high, low, close, 1000};
}

std::unique_ptr<BarSeries> BarsFromCloses(const std::vector<int32_t>& closes) {
  auto bars = NewBars();
  for (int32_t close : closes) AppendBar(bars.get(), close, close, close);
  return bars;
}

std::unique_ptr<BarSeries> BarsFromHighLowClose(const std::vector<std::vector<int32_t>>& rows) {
  auto bars = NewBars();
  for (const auto& row : rows) AppendBar(bars.get(), row[0], row[1], row[2]);
  return bars;
}

std::unique_ptr<BarSeries> SameCloses(int count, int32_t close) {
  return BarsFromCloses(std::vector<int32_t>(static_cast<size_t>(count), close));
}

std::unique_ptr<BarSeries> SteppedCloses(int count, int32_t start, int32_t step) {
  std::vector<int32_t> closes;
  for (int i = 0; i < count; ++i) closes.push_back(start + step * i);
  return BarsFromCloses(closes);
}

// A walk with small steps (zero included, so many ties and unchanged closes)
// and highs and lows around the close.
std::unique_ptr<BarSeries> RandomWalk(int count, uint32_t seed, int maxStep) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> step(-maxStep, maxStep);
  std::uniform_int_distribution<int> reach(0, maxStep);
  auto bars = NewBars();
  int32_t close = 1000;
  for (int i = 0; i < count; ++i) {
    close = std::max(1, close + step(random));
    AppendBar(bars.get(), close + reach(random), std::max(1, close - reach(random)), close);
  }
  return bars;
}

// Closes taking only three prices: ties in every window.
std::unique_ptr<BarSeries> ThreePrices(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(100, 102);
  auto bars = NewBars();
  for (int i = 0; i < count; ++i) {
    const int32_t close = pick(random);
    AppendBar(bars.get(), 103, 99, close);
  }
  return bars;
}

// Long flat stretches (a whole bar flat, high = low = close) between moves.
std::unique_ptr<BarSeries> FlatStretches(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> length(1, 45);
  std::uniform_int_distribution<int> step(-50, 50);
  auto bars = NewBars();
  int32_t close = 500;
  while (bars->count < count) {
    const int stretch = std::min(length(random), count - bars->count);
    for (int i = 0; i < stretch; ++i) AppendBar(bars.get(), close, close, close);
    close = std::max(1, close + step(random));
  }
  return bars;
}

// Prices only at 1 and 2^31-1, well-formed bars.
std::unique_ptr<BarSeries> ExtremePrices(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> coin(0, 1);
  auto bars = NewBars();
  for (int i = 0; i < count; ++i) {
    const int32_t high = coin(random) ? kTop : 1;
    const int32_t low = coin(random) ? high : 1;
    AppendBar(bars.get(), high, low, coin(random) ? high : low);
  }
  return bars;
}

// Anything a damaged file could hold: negative prices, close outside the bar.
std::unique_ptr<BarSeries> DamagedBars(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  const int32_t corners[] = {INT32_MIN, -1, 0, 1, kTop};
  std::uniform_int_distribution<int> corner(0, 4);
  auto bars = NewBars();
  for (int i = 0; i < count; ++i) {
    const bool edge = i % 3 == 0;
    AppendBar(bars.get(), edge ? corners[corner(random)] : any(random), any(random),
              edge ? corners[corner(random)] : any(random));
  }
  return bars;
}

std::unique_ptr<BarSeries> Prefix(const BarSeries& bars, int count) {
  auto prefix = NewBars();
  for (int i = 0; i < count; ++i) prefix->bars[i] = bars.bars[i];
  prefix->count = count;
  return prefix;
}

// ---- Running the kernels ------------------------------------------------------------

std::unique_ptr<IntSeries> NewIntSeries(uint8_t fill) {
  auto series = std::make_unique<IntSeries>();
  memset(series.get(), fill, sizeof(IntSeries));
  return series;
}

LiteralValues Values(const IntSeries& series) { return LiteralValues(series.values, series.values + series.count); }

std::unique_ptr<IntSeries> ToSeries(const LiteralValues& values) {
  auto series = NewIntSeries(0xAB);
  series->count = static_cast<int32_t>(values.size());
  std::copy(values.begin(), values.end(), series->values);
  return series;
}

struct Scratch {
  std::unique_ptr<IntSeries> ints[4];
  std::unique_ptr<RealSeries> reals[2];
  KernelScratchSet set;

  explicit Scratch(uint8_t fill) {
    for (int i = 0; i < 4; ++i) {
      ints[i] = NewIntSeries(fill);
      set.ints[i] = ints[i].get();
    }
    for (int i = 0; i < 2; ++i) {
      reals[i] = std::make_unique<RealSeries>();
      memset(reals[i].get(), fill, sizeof(RealSeries));
      set.reals[i] = reals[i].get();
    }
  }
};

LiteralValues RunRsi(const BarSeries& bars, int n, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputeRsi(bars, out.get(), n);
  EXPECT_EQ(out->count, bars.count);
  return Values(*out);
}

LiteralValues RunRci(const BarSeries& bars, int n, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputeRci(bars, out.get(), n);
  EXPECT_EQ(out->count, bars.count);
  return Values(*out);
}

LiteralStochastics RunStochastics(const BarSeries& bars, int n, int m, uint8_t fill = 0xAB) {
  auto k = NewIntSeries(fill);
  auto d = NewIntSeries(fill);
  Scratch scratch(fill);
  ComputeStochastics(bars, k.get(), n, d.get(), m, scratch.set);
  EXPECT_EQ(k->count, bars.count);
  EXPECT_EQ(d->count, bars.count);
  return {Values(*k), Values(*d), Values(*scratch.ints[0]), Values(*scratch.ints[1])};
}

std::pair<LiteralValues, LiteralValues> RunDirectionalMovement(const BarSeries& bars, uint8_t fill = 0xAB) {
  auto plus = NewIntSeries(fill);
  auto minus = NewIntSeries(fill);
  ComputeDirectionalMovement(bars, plus.get(), minus.get());
  EXPECT_EQ(plus->count, bars.count);
  EXPECT_EQ(minus->count, bars.count);
  return {Values(*plus), Values(*minus)};
}

LiteralValues RunTrueRange(const BarSeries& bars, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputeTrueRange(bars, out.get());
  EXPECT_EQ(out->count, bars.count);
  return Values(*out);
}

LiteralValues RunDirectionalIndex(const LiteralValues& dm, const LiteralValues& tr, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputeDirectionalIndex(*ToSeries(dm), *ToSeries(tr), out.get());
  return Values(*out);
}

LiteralValues RunDirectionalSpread(const LiteralValues& plus, const LiteralValues& minus, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputeDirectionalSpread(*ToSeries(plus), *ToSeries(minus), out.get());
  return Values(*out);
}

LiteralValues RunPsychologicalLine(const BarSeries& bars, int n, uint8_t fill = 0xAB) {
  auto out = NewIntSeries(fill);
  ComputePsychologicalLine(bars, out.get(), n);
  EXPECT_EQ(out->count, bars.count);
  return Values(*out);
}

// ---- Comparing ----------------------------------------------------------------------

::testing::AssertionResult Same(const LiteralValues& fast, const LiteralValues& literal) {
  if (fast.size() != literal.size()) {
    return ::testing::AssertionFailure() << "counts " << fast.size() << " and " << literal.size();
  }
  for (size_t i = 0; i < fast.size(); ++i) {
    if (fast[i] != literal[i]) {
      return ::testing::AssertionFailure() << "bar " << i << ": " << fast[i] << " but literally " << literal[i];
    }
  }
  return ::testing::AssertionSuccess();
}

LiteralValues Repeated(size_t count, int32_t value) { return LiteralValues(count, value); }

constexpr int kRsiPeriods[] = {1, 2, 3, 5, 14, 27};
constexpr int kRciPeriods[] = {2, 3, 5, 9, 27};
constexpr int kStochasticPeriods[][2] = {{1, 1}, {5, 3}, {14, 3}, {3, 9}, {2, 1}};
constexpr int kPsychologicalPeriods[] = {1, 6, 12, 24};

void ExpectStochasticsLikeLiteral(const BarSeries& bars, int n, int m) {
  const LiteralStochastics fast = RunStochastics(bars, n, m);
  const LiteralStochastics literal = LiteralStochasticsOf(bars, n, m);
  EXPECT_TRUE(Same(fast.k, literal.k)) << "%K " << n << "/" << m;
  EXPECT_TRUE(Same(fast.d, literal.d)) << "%D " << n << "/" << m;
  EXPECT_TRUE(Same(fast.pos, literal.pos)) << "pos " << n << "/" << m;
  EXPECT_TRUE(Same(fast.range, literal.range)) << "range " << n << "/" << m;
}

void ExpectDirectionalLikeLiteral(const BarSeries& bars) {
  const auto fast = RunDirectionalMovement(bars);
  const auto literal = LiteralDirectionalMovement(bars);
  EXPECT_TRUE(Same(fast.first, literal.first)) << "+DM";
  EXPECT_TRUE(Same(fast.second, literal.second)) << "-DM";
  const LiteralValues tr = LiteralTrueRange(bars);
  EXPECT_TRUE(Same(RunTrueRange(bars), tr)) << "TR";
  const LiteralValues plusDi = LiteralDirectionalIndex(literal.first, tr);
  const LiteralValues minusDi = LiteralDirectionalIndex(literal.second, tr);
  EXPECT_TRUE(Same(RunDirectionalIndex(literal.first, tr), plusDi)) << "+DI";
  EXPECT_TRUE(Same(RunDirectionalIndex(literal.second, tr), minusDi)) << "-DI";
  EXPECT_TRUE(Same(RunDirectionalSpread(plusDi, minusDi), LiteralDirectionalSpread(plusDi, minusDi))) << "DX";
}

void ExpectAllLikeLiteral(const BarSeries& bars) {
  for (int n : kRsiPeriods) EXPECT_TRUE(Same(RunRsi(bars, n), LiteralRsi(bars, n))) << "RSI " << n;
  for (int n : kRciPeriods) EXPECT_TRUE(Same(RunRci(bars, n), LiteralRci(bars, n))) << "RCI " << n;
  for (const auto& nm : kStochasticPeriods) ExpectStochasticsLikeLiteral(bars, nm[0], nm[1]);
  ExpectDirectionalLikeLiteral(bars);
  for (int n : kPsychologicalPeriods) {
    EXPECT_TRUE(Same(RunPsychologicalLine(bars, n), LiteralPsychologicalLine(bars, n))) << "psychological " << n;
  }
}

using SeriesMaker = std::unique_ptr<BarSeries> (*)(int count, uint32_t seed);

std::unique_ptr<BarSeries> SmallSteps(int count, uint32_t seed) { return RandomWalk(count, seed, 3); }
std::unique_ptr<BarSeries> LargeSteps(int count, uint32_t seed) { return RandomWalk(count, seed, 400000); }

const std::pair<const char*, SeriesMaker> kSeriesKinds[] = {
    {"small steps", SmallSteps},       {"large steps", LargeSteps},         {"three prices", ThreePrices},
    {"flat stretches", FlatStretches}, {"extreme prices", ExtremePrices}, {"damaged bars", DamagedBars},
};

// ---- Fast kernels against the literal ones ------------------------------------------------

TEST(OscillatorLiteral, EveryKindOfSeriesAtFullCapacity) {
  for (const auto& [name, make] : kSeriesKinds) {
    SCOPED_TRACE(name);
    ExpectAllLikeLiteral(*make(kMaxBars, 11));
  }
}

// 0..40 bars covers N-1, N, N+1, N+2 (and N+M for stochastics) of every period tried.
TEST(OscillatorLiteral, EveryShortLength) {
  for (const auto& [name, make] : kSeriesKinds) {
    for (int count = 0; count <= 40; ++count) {
      SCOPED_TRACE(std::string(name) + ", " + std::to_string(count) + " bars");
      ExpectAllLikeLiteral(*make(count, 100u + static_cast<uint32_t>(count)));
    }
  }
}

TEST(OscillatorLiteral, ManySeeds) {
  for (uint32_t seed = 0; seed < 40; ++seed) {
    for (const auto& [name, make] : kSeriesKinds) {
      SCOPED_TRACE(std::string(name) + ", seed " + std::to_string(seed));
      ExpectAllLikeLiteral(*make(300, seed));
    }
  }
}

TEST(OscillatorLiteral, RisingFallingAndFlatSeries) {
  ExpectAllLikeLiteral(*SteppedCloses(200, 100, 1));
  ExpectAllLikeLiteral(*SteppedCloses(200, 100000, -7));
  ExpectAllLikeLiteral(*SameCloses(200, 1));
  ExpectAllLikeLiteral(*SameCloses(200, kTop));
}

// Window sums far beyond 32 bits: thousands of moves of 2^31 - 2.
TEST(OscillatorLiteral, LongPeriodsOverExtremePrices) {
  const auto bars = ExtremePrices(kMaxBars, 5);
  for (int n : {300, 2500, 5000, 5118, 5119}) EXPECT_TRUE(Same(RunRsi(*bars, n), LiteralRsi(*bars, n))) << n;
  for (int n : {320, 5000}) {
    EXPECT_TRUE(Same(RunPsychologicalLine(*bars, n), LiteralPsychologicalLine(*bars, n))) << n;
  }
  ExpectStochasticsLikeLiteral(*bars, 10, 3000);
  ExpectStochasticsLikeLiteral(*bars, 2000, 2000);
}

TEST(OscillatorLiteral, RciAtLargestPeriod) {
  for (const auto& [name, make] : kSeriesKinds) {
    SCOPED_TRACE(name);
    const auto bars = make(700, 3);
    EXPECT_TRUE(Same(RunRci(*bars, kMaxRciPeriod), LiteralRci(*bars, kMaxRciPeriod)));
  }
}

TEST(OscillatorLiteral, RciWindowRanksMatchRepeatedSelection) {
  // Every close equal but one, the odd one entering and leaving the window.
  std::vector<int32_t> closes(60, 500);
  closes[20] = 499;
  closes[33] = 501;
  const auto bars = BarsFromCloses(closes);
  for (int n : {2, 3, 7, 13, 14, 40}) EXPECT_TRUE(Same(RunRci(*bars, n), LiteralRci(*bars, n))) << n;
}

// ---- RSI ------------------------------------------------------------------------------------

TEST(OscillatorRsi, FlatWindowIs5000) { EXPECT_EQ(RunRsi(*SameCloses(40, 123), 14), Repeated(40, 5000)); }

TEST(OscillatorRsi, OnlyFallsIsZero) { EXPECT_EQ(RunRsi(*SteppedCloses(40, 1000, -3), 14), Repeated(40, 0)); }

TEST(OscillatorRsi, OnlyRisesIs9900) { EXPECT_EQ(RunRsi(*SteppedCloses(40, 1000, 3), 14), Repeated(40, 9900)); }

TEST(OscillatorRsi, PlainWindowSumsOfTheLastNChanges) {
  // N = 2 at bar 3 sees the changes +20 and -5 (bar 1's -10 is outside):
  // RS = 10 / 2.5 = 4, 100 - 100 / 5 = 80 %.
  EXPECT_EQ(RunRsi(*BarsFromCloses({100, 90, 110, 105}), 2), Repeated(4, 8000));
}

TEST(OscillatorRsi, NPlusOneBarsStayNeutral) {
  for (int n : {1, 5, 14}) EXPECT_EQ(RunRsi(*RandomWalk(n + 1, 7, 20), n), Repeated(n + 1, 5000)) << n;
}

TEST(OscillatorRsi, NPlusTwoBarsAllTakeTheValueAtNPlusOne) {
  for (int n : {1, 5, 14}) {
    const LiteralValues values = RunRsi(*SteppedCloses(n + 2, 1000, 5), n);
    EXPECT_EQ(values, Repeated(n + 2, values[n + 1])) << n;
    EXPECT_EQ(values[n + 1], 9900) << n;
  }
}

TEST(OscillatorRsi, PeriodsBelowOneActAsOne) {
  const auto bars = RandomWalk(100, 3, 5);
  for (int n : {0, -1, INT_MIN}) EXPECT_EQ(RunRsi(*bars, n), LiteralRsi(*bars, 1)) << n;
}

TEST(OscillatorRsi, HugePeriodsStayNeutral) {
  const auto bars = RandomWalk(kMaxBars, 3, 5);
  for (int n : {kMaxBars - 1, kMaxBars, 65535, INT_MAX}) {
    EXPECT_EQ(RunRsi(*bars, n), Repeated(kMaxBars, 5000)) << n;
  }
}

// ---- RCI --------------------------------------------------------------------------------------

TEST(OscillatorRci, AllEqualClosesRankInBarOrder) {
  for (int n : {2, 5, 9, 27}) EXPECT_EQ(RunRci(*SameCloses(60, 800), n), Repeated(60, 10000)) << n;
}

TEST(OscillatorRci, RisingIsPlusAndFallingMinusFull) {
  EXPECT_EQ(RunRci(*SteppedCloses(60, 100, 2), 9), Repeated(60, 10000));
  EXPECT_EQ(RunRci(*SteppedCloses(60, 1000, -2), 9), Repeated(60, -10000));
}

TEST(OscillatorRci, RankedWindowByHand) {
  // Window 30, 10, 20: ranks 2, 0, 1, d = 4 + 1 + 1 = 6, 1 - 36 / 24 = -0.5.
  EXPECT_EQ(RunRci(*BarsFromCloses({7, 8, 30, 10, 20}), 3), Repeated(5, -5000));
  // Window 5, 5, 3, 5: the equal closes rank oldest first (1, 2, 3), the 3 ranks 0:
  // d = 1 + 1 + 4 + 0 = 6, 1 - 36 / 60 = 0.4.
  EXPECT_EQ(RunRci(*BarsFromCloses({1, 2, 5, 5, 3, 5}), 4), Repeated(6, 4000));
}

TEST(OscillatorRci, NPlusOneBarsStayNeutral) {
  for (int n : {2, 5, 27}) EXPECT_EQ(RunRci(*RandomWalk(n + 1, 8, 20), n), Repeated(n + 1, 5000)) << n;
}

TEST(OscillatorRci, NPlusTwoBarsAllTakeTheValueAtNPlusOne) {
  for (int n : {2, 5, 27}) {
    const LiteralValues values = RunRci(*RandomWalk(n + 2, 9, 20), n);
    EXPECT_EQ(values, Repeated(n + 2, values[n + 1])) << n;
  }
}

TEST(OscillatorRci, PeriodsBelowTwoActAsTwo) {
  const auto bars = RandomWalk(200, 4, 5);
  for (int n : {1, 0, -5, INT_MIN}) EXPECT_EQ(RunRci(*bars, n), LiteralRci(*bars, 2)) << n;
}

TEST(OscillatorRci, PeriodsBeyondTheWorkArraysActAsTheLargest) {
  const auto bars = RandomWalk(800, 4, 5);
  const LiteralValues largest = LiteralRci(*bars, kMaxRciPeriod);
  for (int n : {kMaxRciPeriod + 1, 400, 5000, INT_MAX}) EXPECT_EQ(RunRci(*bars, n), largest) << n;
}

// ---- Stochastics ---------------------------------------------------------------------------

TEST(OscillatorStochastics, KAndDByHand) {
  const auto bars = BarsFromHighLowClose({{10, 5, 7}, {12, 6, 11}, {9, 4, 5}, {11, 8, 10}});
  // N = 2: bar 2 has range 12 - 4, pos 5 - 4; bar 3 range 11 - 4, pos 10 - 4.
  const LiteralStochastics one = RunStochastics(*bars, 2, 1);
  EXPECT_EQ(one.k, (LiteralValues{1250, 1250, 1250, 8571}));
  EXPECT_EQ(one.d, Repeated(4, 8571));
  EXPECT_EQ(one.pos, (LiteralValues{0, 0, 1, 6}));
  EXPECT_EQ(one.range, (LiteralValues{0, 0, 8, 7}));
}

// %D is summed pos over summed range (71 / 125), not the average of %K (5650).
// Products come before divisions: 57 x 10000 / 100 is exactly 5700 where
// 57 / 100 x 10000 truncates to 5699 (and 5680 for %D, not 5679).
TEST(OscillatorStochastics, DIsTheRatioOfTheSums) {
  const auto bars = BarsFromHighLowClose({{10, 0, 5}, {10, 0, 5}, {200, 100, 157}, {1025, 1000, 1014}});
  const LiteralStochastics result = RunStochastics(*bars, 1, 2);
  EXPECT_EQ(result.k, (LiteralValues{5000, 5000, 5700, 5600}));
  EXPECT_EQ(result.d, Repeated(4, 5680));
}

TEST(OscillatorStochastics, DHoldsFiftyUpToNPlusMBars) {
  const auto bars = RandomWalk(40, 2, 9);
  for (int count : {0, 1, 4, 5, 7, 8}) {
    EXPECT_EQ(RunStochastics(*Prefix(*bars, count), 5, 3).d, Repeated(static_cast<size_t>(count), 50)) << count;
  }
  const LiteralValues d = RunStochastics(*Prefix(*bars, 9), 5, 3).d;
  EXPECT_EQ(d, Repeated(9, d[8]));
}

TEST(OscillatorStochastics, KIsZeroForAFlatRange) {
  const LiteralStochastics flat = RunStochastics(*SameCloses(30, 700), 5, 3);
  EXPECT_EQ(flat.k, Repeated(30, 0));
  EXPECT_EQ(flat.d, Repeated(30, 0));
}

TEST(OscillatorStochastics, KBeforeNAndAtN) {
  const auto bars = RandomWalk(40, 6, 9);
  EXPECT_EQ(RunStochastics(*Prefix(*bars, 5), 5, 3).k, Repeated(5, 5000));
  const LiteralValues k = RunStochastics(*Prefix(*bars, 6), 5, 3).k;
  EXPECT_EQ(k, Repeated(6, k[5]));
}

// pos x 10000 beyond 32 bits.
TEST(OscillatorStochastics, RangesOfTheWholePriceScale) {
  const auto bars = BarsFromHighLowClose({{kTop, 1, kTop}, {kTop, 1, kTop}, {kTop, 1, 1073741824}});
  const LiteralStochastics result = RunStochastics(*bars, 1, 1);
  EXPECT_EQ(result.k, (LiteralValues{10000, 10000, 5000}));
  EXPECT_EQ(result.d, (LiteralValues{5000, 5000, 5000}));
}

TEST(OscillatorStochastics, PeriodsBelowOneActAsOne) {
  const auto bars = RandomWalk(100, 3, 5);
  const LiteralStochastics literal = LiteralStochasticsOf(*bars, 1, 1);
  for (int n : {0, -3, INT_MIN}) {
    const LiteralStochastics fast = RunStochastics(*bars, n, n);
    EXPECT_EQ(fast.k, literal.k) << n;
    EXPECT_EQ(fast.d, literal.d) << n;
  }
}

TEST(OscillatorStochastics, HugePeriodsStayNeutral) {
  const auto bars = RandomWalk(kMaxBars, 3, 5);
  const LiteralStochastics result = RunStochastics(*bars, INT_MAX, INT_MAX);
  EXPECT_EQ(result.k, Repeated(kMaxBars, 5000));
  EXPECT_EQ(result.d, Repeated(kMaxBars, 50));
  EXPECT_EQ(RunStochastics(*bars, 3, INT_MAX).d, Repeated(kMaxBars, 50));
}

// ---- Directional movement -----------------------------------------------------------------

TEST(OscillatorDirectional, MovesByHand) {
  // Bars: start; higher high only; lower low only; outside bar, equal moves;
  // outside bar, larger up; inside bar.
  const auto bars =
      BarsFromHighLowClose({{20, 10, 15}, {25, 12, 24}, {24, 8, 9}, {27, 5, 20}, {35, 4, 30}, {30, 10, 12}});
  const auto [plus, minus] = RunDirectionalMovement(*bars);
  EXPECT_EQ(plus, (LiteralValues{0, 5, 0, 0, 8, 0}));
  EXPECT_EQ(minus, (LiteralValues{0, 0, 4, 0, 0, 0}));
  EXPECT_EQ(RunTrueRange(*bars), (LiteralValues{10, 13, 16, 22, 31, 20}));
}

TEST(OscillatorDirectional, IndexAndSpreadByHand) {
  EXPECT_EQ(RunDirectionalIndex({0, 5, 3, 7}, {0, 10, 0, 9}), (LiteralValues{0, 5000, 0, 7777}));
  EXPECT_EQ(RunDirectionalSpread({0, 3000, 2000, 10}, {0, 1000, 2000, 0}), (LiteralValues{0, 5000, 0, 10000}));
}

// dm x 10000 beyond 32 bits: moves above 214,748 units.
TEST(OscillatorDirectional, MovesAcrossTheWholePriceScale) {
  const auto bars = BarsFromHighLowClose({{1, 1, 1}, {kTop, 1, kTop}, {kTop, 1, 1}, {300000, 1, 1}});
  const auto [plus, minus] = RunDirectionalMovement(*bars);
  EXPECT_EQ(plus, (LiteralValues{0, kTop - 1, 0, 0}));
  const LiteralValues tr = RunTrueRange(*bars);
  EXPECT_EQ(tr, (LiteralValues{0, kTop - 1, kTop - 1, 299999}));
  EXPECT_EQ(RunDirectionalIndex(plus, tr), (LiteralValues{0, 10000, 0, 0}));
  EXPECT_EQ(RunDirectionalIndex({300000, kTop}, {600000, kTop}), (LiteralValues{5000, 10000}));
  EXPECT_EQ(RunDirectionalSpread({kTop, kTop}, {kTop, 0}), (LiteralValues{0, 10000}));
}

// ---- Psychological line --------------------------------------------------------------------

TEST(OscillatorPsychological, UnchangedClosesCountAsRises) {
  EXPECT_EQ(RunPsychologicalLine(*SameCloses(30, 400), 12), [] {
    LiteralValues expected(30, 10000);
    std::fill(expected.begin(), expected.begin() + 12, 5000);
    return expected;
  }());
}

TEST(OscillatorPsychological, ByHandWithWarmUpKept) {
  EXPECT_EQ(RunPsychologicalLine(*BarsFromCloses({10, 11, 12, 12, 9}), 2),
            (LiteralValues{5000, 5000, 10000, 10000, 5000}));
  EXPECT_EQ(RunPsychologicalLine(*BarsFromCloses({10, 9, 8}), 3), Repeated(3, 5000));
}

TEST(OscillatorPsychological, OddPeriods) {
  const auto bars = RandomWalk(300, 12, 4);
  for (int n : {0, -1, INT_MIN}) EXPECT_EQ(RunPsychologicalLine(*bars, n), LiteralPsychologicalLine(*bars, 1)) << n;
  EXPECT_EQ(RunPsychologicalLine(*bars, INT_MAX), Repeated(300, 5000));
}

// ---- Buffers and prefixes --------------------------------------------------------------------

// Everything each kernel gives for one series, flattened.
std::vector<LiteralValues> EveryOutput(const BarSeries& bars, uint8_t fill) {
  std::vector<LiteralValues> all = {RunRsi(bars, 14, fill), RunRci(bars, 9, fill), RunPsychologicalLine(bars, 6, fill)};
  const LiteralStochastics stochastics = RunStochastics(bars, 5, 3, fill);
  all.insert(all.end(), {stochastics.k, stochastics.d, stochastics.pos, stochastics.range});
  const auto [plus, minus] = RunDirectionalMovement(bars, fill);
  const LiteralValues tr = RunTrueRange(bars, fill);
  const LiteralValues plusDi = RunDirectionalIndex(plus, tr, fill);
  const LiteralValues minusDi = RunDirectionalIndex(minus, tr, fill);
  all.insert(all.end(), {plus, minus, tr, plusDi, minusDi, RunDirectionalSpread(plusDi, minusDi, fill)});
  return all;
}

TEST(OscillatorBuffers, OutputDoesNotDependOnWhatTheBuffersHeld) {
  for (const auto& [name, make] : kSeriesKinds) {
    for (int count : {0, 1, 6, 10, 11, 500}) {
      SCOPED_TRACE(std::string(name) + ", " + std::to_string(count) + " bars");
      const auto bars = make(count, 21);
      const auto clean = EveryOutput(*bars, 0x00);
      EXPECT_EQ(EveryOutput(*bars, 0xFF), clean);
      EXPECT_EQ(EveryOutput(*bars, 0x7F), clean);
      EXPECT_EQ(EveryOutput(*bars, 0x80), clean);
    }
  }
}

TEST(OscillatorBuffers, KernelsWriteNothingAtOrBeyondTheCount) {
  const auto bars = RandomWalk(50, 1, 5);
  auto out = NewIntSeries(0xCD);
  const int32_t untouched = out->values[50];
  ComputeRsi(*bars, out.get(), 14);
  ComputeRci(*bars, out.get(), 9);
  ComputePsychologicalLine(*bars, out.get(), 6);
  ComputeTrueRange(*bars, out.get());
  for (int i = 50; i < kMaxBars; ++i) ASSERT_EQ(out->values[i], untouched) << i;
}

// A run over the first bars gives the first values of the full run, once those
// bars reach past the warm-up (before that they are all neutral).
TEST(OscillatorBuffers, FirstBarsGiveTheFirstValuesOfTheFullRun) {
  // Per output of EveryOutput: bars needed for settled values, the neutral value.
  const int settled[][2] = {{15, 5000}, {10, 5000}, {0, 0}, {5, 5000}, {8, 50}, {0, 0}, {0, 0},
                            {0, 0},     {0, 0},     {0, 0}, {0, 0},    {0, 0},  {0, 0}};
  const auto bars = RandomWalk(400, 17, 6);
  const auto full = EveryOutput(*bars, 0xAB);
  ASSERT_EQ(full.size(), std::size(settled));
  for (int count = 0; count <= 400; count += count < 40 ? 1 : 37) {
    const auto part = EveryOutput(*Prefix(*bars, count), 0xAB);
    for (size_t s = 0; s < full.size(); ++s) {
      const LiteralValues head(full[s].begin(), full[s].begin() + count);
      const LiteralValues expected = count > settled[s][0] ? head : Repeated(count, settled[s][1]);
      EXPECT_EQ(part[s], expected) << "output " << s << ", " << count << " bars";
    }
  }
}

TEST(OscillatorBuffers, CountsOutsideTheCapacityAreClamped) {
  const auto bars = RandomWalk(kMaxBars, 1, 5);
  bars->count = kMaxBars + 1000;
  auto out = NewIntSeries(0xAB);
  ComputeRci(*bars, out.get(), 9);
  EXPECT_EQ(out->count, kMaxBars);
  bars->count = -7;
  ComputeRsi(*bars, out.get(), 14);
  EXPECT_EQ(out->count, 0);
  ComputeTrueRange(*bars, out.get());
  EXPECT_EQ(out->count, 0);
}

}  // namespace
