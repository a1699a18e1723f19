#pragma once
// Slow, step-by-step oscillators to check the kernels against: every window is
// summed, searched or ranked afresh at every bar. Periods must already be in
// the kernels' range (1 and up; RCI 2..320).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "records/price_series.h"
#include "tests/analysis/literal_kernels.h"

using LiteralValues = std::vector<int32_t>;

inline LiteralValues LiteralRsi(const BarSeries& bars, int n) {
  const int count = bars.count;
  LiteralValues out(count, 5000);
  const int first = n + 1;
  for (int i = first; i < count; ++i) {
    double up = 0.0, down = 0.0;
    for (int k = i - n + 1; k <= i; ++k) {
      const int64_t change = int64_t{bars.bars[k].close} - bars.bars[k - 1].close;
      if (change > 0) up += static_cast<double>(change);
      if (change < 0) down += static_cast<double>(-change);
    }
    const double rs = up == 0.0 && down == 0.0 ? 1.0 : up == 0.0 ? 0.0 : down == 0.0 ? 100.0 : (up / n) / (down / n);
    out[i] = std::clamp(literal::Truncate((100.0 - 100.0 / (rs + 1.0)) * 100.0), 0, 10000);
  }
  if (count > first) std::fill(out.begin(), out.begin() + first, out[first]);
  return out;
}

// Ranks by repeated selection: the smallest close not yet ranked, the oldest
// among equal ones, gets the next rank.
inline std::vector<int> LiteralRanks(const std::vector<int32_t>& closes) {
  const size_t n = closes.size();
  std::vector<int> ranks(n, -1);
  for (int rank = 0; rank < static_cast<int>(n); ++rank) {
    size_t pick = n;
    for (size_t j = 0; j < n; ++j)
      if (ranks[j] < 0 && (pick == n || closes[j] < closes[pick])) pick = j;
    ranks[pick] = rank;
  }
  return ranks;
}

inline LiteralValues LiteralRci(const BarSeries& bars, int n) {
  const int count = bars.count;
  LiteralValues out(count, 5000);
  const int first = n + 1;
  for (int i = first; i < count; ++i) {
    std::vector<int32_t> closes;
    for (int k = i - n + 1; k <= i; ++k) closes.push_back(bars.bars[k].close);
    const std::vector<int> ranks = LiteralRanks(closes);
    int64_t d = 0;
    for (int j = 0; j < n; ++j) d += static_cast<int64_t>(j - ranks[j]) * (j - ranks[j]);
    const double cubeLessN = static_cast<double>(n) * n * n - n;
    const double value = (1.0 - 6.0 * static_cast<double>(d) / cubeLessN) * 100.0 * 100.0;
    out[i] = std::clamp(literal::Truncate(value), -10000, 10000);
  }
  if (count > first) std::fill(out.begin(), out.begin() + first, out[first]);
  return out;
}

struct LiteralStochastics {
  LiteralValues k, d, pos, range;
};

inline LiteralStochastics LiteralStochasticsOf(const BarSeries& bars, int n, int m) {
  const int count = bars.count;
  LiteralStochastics out{LiteralValues(count, 5000), LiteralValues(count, 50), LiteralValues(count, 0),
                         LiteralValues(count, 0)};
  for (int i = n; i < count; ++i) {
    int64_t highest = bars.bars[i].high, lowest = bars.bars[i].low;
    for (int j = i - n + 1; j <= i; ++j) {
      highest = std::max<int64_t>(highest, bars.bars[j].high);
      lowest = std::min<int64_t>(lowest, bars.bars[j].low);
    }
    out.range[i] = literal::Saturate(highest - lowest);
    out.pos[i] = literal::Saturate(bars.bars[i].close - lowest);
    out.k[i] = out.range[i] == 0 ? 0 : literal::Truncate(out.pos[i] * 10000.0 / out.range[i]);
  }
  if (count > n) std::fill(out.k.begin(), out.k.begin() + n, out.k[n]);

  const int first = n + m;
  for (int i = first; i < count; ++i) {
    double sp = 0.0, sr = 0.0;
    for (int j = i - m + 1; j <= i; ++j) {
      sp += out.pos[j];
      sr += out.range[j];
    }
    out.d[i] = sr == 0.0 ? 0 : literal::Truncate(sp * 10000.0 / sr);
  }
  if (count > first) std::fill(out.d.begin(), out.d.begin() + first, out.d[first]);
  return out;
}

inline std::pair<LiteralValues, LiteralValues> LiteralDirectionalMovement(const BarSeries& bars) {
  const size_t count = static_cast<size_t>(bars.count);
  LiteralValues plus(count, 0), minus(count, 0);
  for (size_t i = 1; i < count; ++i) {
    const int64_t up = static_cast<int64_t>(bars.bars[i].high) - bars.bars[i - 1].high;
    const int64_t down = static_cast<int64_t>(bars.bars[i - 1].low) - bars.bars[i].low;
    // The larger move counts when both are moves.
    if (up > 0 && (down <= 0 || up > down)) plus[i] = literal::Saturate(up);
    if (down > 0 && (up <= 0 || down > up)) minus[i] = literal::Saturate(down);
  }
  return {plus, minus};
}

inline LiteralValues LiteralTrueRange(const BarSeries& bars) {
  LiteralValues tr(bars.count, 0);
  for (int i = 0; i < bars.count; ++i) {
    const int64_t high = bars.bars[i].high, low = bars.bars[i].low;
    int64_t widest = std::abs(high - low);
    if (i >= 1)
      widest = std::max({widest, std::abs(high - bars.bars[i - 1].close), std::abs(low - bars.bars[i - 1].close)});
    tr[i] = literal::Saturate(widest);
  }
  return tr;
}

inline LiteralValues LiteralDirectionalIndex(const LiteralValues& dm, const LiteralValues& tr) {
  LiteralValues out(dm.size(), 0);
  for (size_t i = 0; i < dm.size(); ++i)
    if (tr[i] != 0) out[i] = literal::Saturate(static_cast<int64_t>(dm[i]) * 10000 / tr[i]);
  return out;
}

inline LiteralValues LiteralDirectionalSpread(const LiteralValues& plusDi, const LiteralValues& minusDi) {
  LiteralValues out(plusDi.size(), 0);
  for (size_t i = 0; i < plusDi.size(); ++i) {
    const int64_t s = static_cast<int64_t>(plusDi[i]) + minusDi[i];
    if (s != 0) out[i] = literal::Saturate(std::abs(static_cast<int64_t>(plusDi[i]) - minusDi[i]) * 10000 / s);
  }
  return out;
}

inline LiteralValues LiteralPsychologicalLine(const BarSeries& bars, int n) {
  LiteralValues out(bars.count, 5000);
  for (int i = n; i < bars.count; ++i) {
    int c = 0;
    for (int k = i - n + 1; k <= i; ++k) c += bars.bars[k].close >= bars.bars[k - 1].close ? 1 : 0;
    out[i] = c * 10000 / n;
  }
  return out;
}
