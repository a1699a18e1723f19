#include "analysis/signal_evaluation.h"

#include <algorithm>
#include <cstring>

#include "analysis/condition_terms.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "data/stock_table.h"

namespace {

int DefinitionCount() {
  return gSignalSettings != nullptr ? std::clamp<int>(gSignalSettings->definitionCount, 0, kMaxSignalDefinitions) : 0;
}

int LastBar(const PeriodSeriesBlock& block) { return block.bars != nullptr ? block.bars->count - 1 : -1; }

// The first bar dated on or after `date`, else the last bar.
int BarHoldingDate(const BarSeries* bars, PackedDate date) {
  if (bars == nullptr || bars->count <= 0) return -1;
  const PriceBar* end = bars->bars + std::min(bars->count, kMaxBars);
  const PriceBar* found =
      std::lower_bound(bars->bars, end, date, [](const PriceBar& bar, PackedDate d) { return bar.date < d; });
  return static_cast<int>(std::min(found, end - 1) - bars->bars);
}

PeriodBars BarsAtDay(const ChartSeriesSet& context, int dailyBar) {
  PeriodBars bars = {dailyBar, -1, -1};
  FindWeeklyMonthlyBarIndexes(context, dailyBar, &bars.weekly, &bars.monthly);
  return bars;
}

// Walks the candidates of a kind that hold at the bar, groups first, until
// `visit` returns true; the number visited.
template <typename Visit>
int ForEachMatchAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar, int kind, Visit visit) {
  const PeriodBars bars = BarsAtDay(context, dailyBar);
  int matches = 0;
  if (gGroupTable != nullptr) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = gGroupTable->groups[g];
      if (group.signalKind != kind || !TestGroupConditionsAtBar(group, code, context, bars)) continue;
      ++matches;
      if (visit(g, -1)) return matches;
    }
  }
  for (int k = 0; k < DefinitionCount(); ++k) {
    const SignalDefinition& definition = gSignalSettings->definitions[k];
    if (definition.kind != kind || !TestSignalDefinitionAtBar(definition, code, context, bars)) continue;
    ++matches;
    if (visit(-1, k)) return matches;
  }
  return matches;
}

}  // namespace

void EvaluateSignalsForStock(StockCode code, const ChartSeriesSet& context) {
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0) return;
  StockRecord& stock = gStockTable->records[stockIndex];
  stock.signalBits = 0;
  const PeriodBars bars = {LastBar(context.periods[0]), LastBar(context.periods[1]), LastBar(context.periods[2])};
  if (bars.daily < 0 || DefinitionCount() == 0) return;
  ItemValueCache cache;
  memset(cache.known, 0, sizeof cache.known);
  for (int k = 0; k < DefinitionCount(); ++k) {
    if (TestDefinitionTermsAtBar(gSignalSettings->definitions[k], stockIndex, context, bars, &cache)) {
      stock.signalBits |= 1u << k;
    }
  }
}

void FindWeeklyMonthlyBarIndexes(const ChartSeriesSet& context, int dailyBar, int* weekBar, int* monthBar) {
  const BarSeries* daily = context.periods[0].bars;
  *weekBar = -1;
  *monthBar = -1;
  if (daily == nullptr || dailyBar < 0 || dailyBar >= daily->count) return;
  const PackedDate date = daily->bars[dailyBar].date;
  *weekBar = BarHoldingDate(context.periods[1].bars, date);
  *monthBar = BarHoldingDate(context.periods[2].bars, date);
}

int CountSignalMatchesAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar, int kind) {
  return ForEachMatchAtBar(code, context, dailyBar, kind, [](int, int) { return false; });
}

bool FindSignalMatchAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar, int kind, int n, int* groupIndex,
                          int* definitionIndex) {
  *groupIndex = -1;
  *definitionIndex = -1;
  int seen = 0;
  bool found = false;
  ForEachMatchAtBar(code, context, dailyBar, kind, [&](int g, int k) {
    if (seen++ < n) return false;
    *groupIndex = g;
    *definitionIndex = k;
    found = true;
    return true;
  });
  return found;
}
