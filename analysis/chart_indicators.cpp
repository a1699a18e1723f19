#include "analysis/chart_indicators.h"

#include "analysis/analysis_hooks.h"

#include <algorithm>

#include "analysis/kernels.h"
#include "analysis/market_breadth.h"
#include "analysis/signal_settings.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

int gComputeNeededOnly = 0;
int gNeededPeriods[3] = {};
SeriesUseFlags gNeededSeries[3] = {};

namespace {

constexpr int kNoSecondAverageBelow = 4;

// Periods as the kernels use them: at least 1, RCI at most its work arrays.
int Period(const IndicatorParameterSet& set, int slot) { return std::max<int>(set.slot[slot], 1); }
int RciPeriod(const IndicatorParameterSet& set, int slot) { return std::clamp<int>(set.slot[slot], 1, kMaxRciPeriod); }
int SecondAveragePeriod(const IndicatorParameterSet& set, int slot) {
  return set.slot[slot] < kNoSecondAverageBelow ? 0 : set.slot[slot];
}

// The series of one side of a block: chart or signal.
struct SeriesSide {
  IntSeries** ints;
  RealSeries** reals;
};

// Exponential averages whose chart and signal lines are stepped together.
enum SharedSmoothing : int { kSmoothingSroc, kSmoothingObv, kSharedSmoothingCount };

// One period of the context while it is computed.
struct PeriodWork {
  const BarSeries* bars;
  int period;
  int tradingUnit;
  KernelScratchSet* scratch;
  BarColumns* columns;  // of bars, shared by both sides
  SeriesSide chart;
  SeriesSide signal;
  bool computed[kSeriesUseFlagCount];  // chart series written by this call, per use-flag entry
  const SignalSettingsFile* file;      // the signal file in use, or null
  bool* smoothedForSignal;             // per SharedSmoothing: the signal's average is already written
};

struct SlotRange {
  int first;
  int count;
};

void ClearSlots(const SeriesSide& side, SlotRange ints, SlotRange reals) {
  for (int i = 0; i < ints.count; ++i) side.ints[ints.first + i]->count = 0;
  for (int i = 0; i < reals.count; ++i) side.reals[reals.first + i]->count = 0;
}

void CopySlots(const PeriodWork& w, SlotRange ints, SlotRange reals) {
  for (int i = ints.first; i < ints.first + ints.count; ++i) CopyIntSeries(w.signal.ints[i], *w.chart.ints[i]);
  for (int i = reals.first; i < reals.first + reals.count; ++i) CopyRealSeries(w.signal.reals[i], *w.chart.reals[i]);
}

bool SamePeriods(const IndicatorParameterSet& a, const IndicatorParameterSet& b, SlotRange params) {
  for (int i = params.first; i < params.first + params.count; ++i) {
    if (Period(a, i) != Period(b, i)) return false;
  }
  return true;
}

// ---- Groups of several lines ---------------------------------------------------

using LineStep = void (*)(const PeriodWork&, const IndicatorParameterSet&, const SeriesSide&, int line);
using LineKey = int (*)(const IndicatorParameterSet&, int line);

void CloseAverageLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputeCloseAverageRealFromColumns(w.columns, s.reals[kRealCloseAverage0 + k], Period(p, kParamCloseAverage0 + k));
}
void VolumeAverageLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputeVolumeAverageFromColumns(w.columns, s.ints[kIntVolumeAverage0 + k], Period(p, kParamVolumeAverage0 + k));
}
void RsiLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputeRsiFromColumns(w.columns, s.ints[kIntRsi0 + k], Period(p, kParamRsi0 + k));
}
void RciLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputeRci(*w.bars, s.ints[kIntRci0 + k], RciPeriod(p, kParamRci0 + k));
}
void DeviationLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputeDeviationRateFromColumns(w.columns, s.ints[kIntDeviation0 + k], Period(p, kParamDeviation0 + k),
                                  SecondAveragePeriod(p, kParamDeviationSecond0 + k), *w.scratch);
}
void PsychologicalLine(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s, int k) {
  ComputePsychologicalLineFromColumns(w.columns, s.ints[kIntPsychological0 + k], Period(p, kParamPsychological0 + k));
}

int CloseAverageKey(const IndicatorParameterSet& p, int k) { return Period(p, kParamCloseAverage0 + k); }
int VolumeAverageKey(const IndicatorParameterSet& p, int k) { return Period(p, kParamVolumeAverage0 + k); }
int RsiKey(const IndicatorParameterSet& p, int k) { return Period(p, kParamRsi0 + k); }
int RciKey(const IndicatorParameterSet& p, int k) { return RciPeriod(p, kParamRci0 + k); }
int DeviationKey(const IndicatorParameterSet& p, int k) {
  return Period(p, kParamDeviation0 + k) << 16 | SecondAveragePeriod(p, kParamDeviationSecond0 + k);
}
int PsychologicalKey(const IndicatorParameterSet& p, int k) { return Period(p, kParamPsychological0 + k); }

// Line k of a group: use-flag entry first + k, series slot firstSlot + k.
struct LineGroup {
  int firstEntry;
  int lineCount;
  bool real;
  int firstSlot;
  LineStep compute;
  LineKey key;  // equal keys give equal series
};

constexpr LineGroup kLineGroups[] = {
    {kUsePriceAverage0, 6, true, kRealCloseAverage0, CloseAverageLine, CloseAverageKey},
    {kUseVolumeAverage0, 2, false, kIntVolumeAverage0, VolumeAverageLine, VolumeAverageKey},
    {kUseRsi0, 3, false, kIntRsi0, RsiLine, RsiKey},
    {kUseRci0, 3, false, kIntRci0, RciLine, RciKey},
    {kUseDeviation0, 3, false, kIntDeviation0, DeviationLine, DeviationKey},
    {kUsePsychological0, 3, false, kIntPsychological0, PsychologicalLine, PsychologicalKey},
};

SlotRange LineInts(const LineGroup& g, int k) { return g.real ? SlotRange{0, 0} : SlotRange{g.firstSlot + k, 1}; }
SlotRange LineReals(const LineGroup& g, int k) { return g.real ? SlotRange{g.firstSlot + k, 1} : SlotRange{0, 0}; }

void CopyLine(const PeriodWork& w, const LineGroup& g, int from, int to) {
  if (g.real) {
    CopyRealSeries(w.signal.reals[g.firstSlot + to], *w.chart.reals[g.firstSlot + from]);
  } else {
    CopyIntSeries(w.signal.ints[g.firstSlot + to], *w.chart.ints[g.firstSlot + from]);
  }
}

// Signal line j: a copy of the first chart line computed now with the same
// parameters, else computed with the file's.
void SignalLine(const PeriodWork& w, const LineGroup& g, const IndicatorParameterSet& chart,
                const IndicatorParameterSet& file, int j) {
  const int wanted = g.key(file, j);
  for (int k = 0; k < g.lineCount; ++k) {
    if (w.computed[g.firstEntry + k] && g.key(chart, k) == wanted) {
      CopyLine(w, g, k, j);
      return;
    }
  }
  g.compute(w, file, w.signal, j);
}

// ---- Single groups ---------------------------------------------------------------

void StochasticsStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeStochastics(*w.bars, s.ints[kIntStochK], Period(p, kParamStochK), s.ints[kIntStochD], Period(p, kParamStochD),
                     *w.scratch);
  ComputeSimpleAverage(*s.ints[kIntStochD], s.ints[kIntStochSD], Period(p, kParamStochSD));
}

// MACD line, its signal line and their difference from the two EMAs.
void MacdLines(const IndicatorParameterSet& p, const SeriesSide& s) {
  SubtractIntSeries(*s.ints[kIntMacdShortEma], *s.ints[kIntMacdLongEma], s.ints[kIntMacdLine]);
  ComputeSimpleAverage(*s.ints[kIntMacdLine], s.ints[kIntMacdSignal], Period(p, kParamMacdSignal));
  SubtractIntSeries(*s.ints[kIntMacdLine], *s.ints[kIntMacdSignal], s.ints[kIntMacdDifference]);
}

void MacdStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  SmoothExponentialScaledTwice(*w.bars, s.ints[kIntMacdShortEma], Period(p, kParamMacdShort), s.ints[kIntMacdLongEma],
                               Period(p, kParamMacdLong));
  MacdLines(p, s);
}

void DmiPerBar(const PeriodWork& w, const SeriesSide& s) {
  ComputeDirectionalMovement(*w.bars, s.ints[kIntPlusDm], s.ints[kIntMinusDm]);
  ComputeTrueRange(*w.bars, s.ints[kIntTrueRange]);
  ComputeDirectionalIndex(*s.ints[kIntPlusDm], *s.ints[kIntTrueRange], s.ints[kIntPlusDiPerBar]);
  ComputeDirectionalIndex(*s.ints[kIntMinusDm], *s.ints[kIntTrueRange], s.ints[kIntMinusDiPerBar]);
}

void PlusDiAverage(const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeSimpleAverage(*s.ints[kIntPlusDiPerBar], s.ints[kIntPlusDi], Period(p, kParamPlusDi));
}
void MinusDiAverage(const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeSimpleAverage(*s.ints[kIntMinusDiPerBar], s.ints[kIntMinusDi], Period(p, kParamMinusDi));
}
void DxAndAdx(const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeDirectionalSpread(*s.ints[kIntPlusDi], *s.ints[kIntMinusDi], s.ints[kIntDx]);
  ComputeSimpleAverage(*s.ints[kIntDx], s.ints[kIntAdx], Period(p, kParamAdx));
}

void DmiStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  DmiPerBar(w, s);
  PlusDiAverage(p, s);
  MinusDiAverage(p, s);
  DxAndAdx(p, s);
}

// The period's signal-file parameters when, with the chart's `chart`, the
// signal side will compute the group's average itself rather than copy it
// (the chart side computes it now); else null. An average is a chain of
// dependent steps, so the chart's and the signal's are best stepped together.
const IndicatorParameterSet* SignalToSmoothAlong(const PeriodWork& w, const IndicatorParameterSet& chart, int entry,
                                                 SlotRange copiedWhenSame) {
  if (w.file == nullptr || w.file->useFlags[w.period].flags[entry] == 0) return nullptr;
  const IndicatorParameterSet& file = w.file->params[w.period];
  return SamePeriods(chart, file, copiedWhenSame) ? nullptr : &file;
}

void SrocStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  const bool chartSide = &s == &w.chart;
  const IndicatorParameterSet* file = chartSide ? SignalToSmoothAlong(w, p, kUseSroc, {kParamSrocEma, 2}) : nullptr;
  if (file != nullptr) {
    SmoothExponentialPricesTwice(*w.bars, s.ints[kIntSrocEma], Period(p, kParamSrocEma), w.signal.ints[kIntSrocEma],
                                 Period(*file, kParamSrocEma));
    w.smoothedForSignal[kSmoothingSroc] = true;
  } else if (chartSide || !w.smoothedForSignal[kSmoothingSroc]) {
    SmoothExponentialPrices(*w.bars, s.ints[kIntSrocEma], Period(p, kParamSrocEma));
  }
  ComputeRateOfChange(*s.ints[kIntSrocEma], s.ints[kIntSroc], Period(p, kParamSrocSpan));
}

void ObvLine(const PeriodWork& w, const SeriesSide& s) {
  ComputeObv(*w.bars, s.ints[kIntObv], w.tradingUnit, *w.scratch);
}
void ObvAverage(const IndicatorParameterSet& p, const SeriesSide& s) {
  SmoothExponentialSeries(*s.ints[kIntObv], s.ints[kIntObvEma], Period(p, kParamObvEma));
}

// The signal side's OBV line is a copy of the chart's whenever the chart's is computed.
void ObvStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  ObvLine(w, s);
  const IndicatorParameterSet* file = &s == &w.chart ? SignalToSmoothAlong(w, p, kUseObv, {kParamObvEma, 1}) : nullptr;
  if (file == nullptr) {
    ObvAverage(p, s);
    return;
  }
  SmoothExponentialSeriesTwice(*s.ints[kIntObv], s.ints[kIntObvEma], Period(p, kParamObvEma), w.signal.ints[kIntObvEma],
                               Period(*file, kParamObvEma));
  w.smoothedForSignal[kSmoothingObv] = true;
}

void BollingerStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  RealSeries* const bands[7] = {s.reals[kRealBollingerCentre],     s.reals[kRealBollingerCentre + 1],
                                s.reals[kRealBollingerCentre + 2], s.reals[kRealBollingerCentre + 3],
                                s.reals[kRealBollingerCentre + 4], s.reals[kRealBollingerCentre + 5],
                                s.reals[kRealBollingerCentre + 6]};
  ComputeBollingerBands(*w.bars, s.ints[kIntTypicalPrice], bands, Period(p, kParamBollinger), *w.scratch);
}

void ParabolicStep(const PeriodWork& w, const IndicatorParameterSet&, const SeriesSide& s) {
  ComputeParabolicSar(*w.bars, s.reals[kRealParabolicSar], s.ints[kIntParabolicPosition]);
}

void VolumeRatioStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeVolumeRatioFromColumns(w.columns, s.ints[kIntVolumeRatio], Period(p, kParamVolumeRatio));
}

// The stock's own series of the market ratios; no parameter of the set changes it.
void AdvanceDeclineStep(const PeriodWork& w, const IndicatorParameterSet&, const SeriesSide& s) {
  BuildStockAdrSeries(w.period, *w.bars, s.ints[kIntAdvanceDecline]);
}

void IchimokuStep(const PeriodWork& w, const SeriesSide& s) {
  ComputeIchimokuConversion(*w.bars, s.reals[kRealIchimokuConversion]);
  ComputeIchimokuBase(*w.bars, s.reals[kRealIchimokuBase]);
  AverageRealSeries(*s.reals[kRealIchimokuConversion], *s.reals[kRealIchimokuBase], s.reals[kRealIchimokuSpanA]);
  ComputeIchimokuSpanB(*w.bars, s.reals[kRealIchimokuSpanB]);
  CopyCloseToRealSeries(*w.bars, s.reals[kRealIchimokuLagging]);
}
constexpr SlotRange kIchimokuReals = {kRealIchimokuConversion, 5};

// The signal series of groups whose lines are not all copied or computed together.
void MacdSignal(const PeriodWork& w, const IndicatorParameterSet& chart, const IndicatorParameterSet& file) {
  const bool computed = w.computed[kUseMacd];
  if (computed && SamePeriods(chart, file, {kParamMacdShort, 3})) {
    CopySlots(w, {kIntMacdShortEma, 5}, {0, 0});
    return;
  }
  const SeriesSide& s = w.signal;
  if (!computed ||
      (!SamePeriods(chart, file, {kParamMacdShort, 1}) && !SamePeriods(chart, file, {kParamMacdLong, 1}))) {
    MacdStep(w, file, s);
    return;
  }
  if (SamePeriods(chart, file, {kParamMacdShort, 1})) {
    CopyIntSeries(s.ints[kIntMacdShortEma], *w.chart.ints[kIntMacdShortEma]);
  } else {
    SmoothExponentialScaled(*w.bars, s.ints[kIntMacdShortEma], Period(file, kParamMacdShort));
  }
  if (SamePeriods(chart, file, {kParamMacdLong, 1})) {
    CopyIntSeries(s.ints[kIntMacdLongEma], *w.chart.ints[kIntMacdLongEma]);
  } else {
    SmoothExponentialScaled(*w.bars, s.ints[kIntMacdLongEma], Period(file, kParamMacdLong));
  }
  MacdLines(file, s);
}

void DmiSignal(const PeriodWork& w, const IndicatorParameterSet& chart, const IndicatorParameterSet& file) {
  const bool computed = w.computed[kUseDmi];
  const SeriesSide& s = w.signal;
  if (!computed) {
    DmiStep(w, file, s);
    return;
  }
  CopySlots(w, {kIntPlusDm, 5}, {0, 0});
  if (SamePeriods(chart, file, {kParamPlusDi, 3})) {
    CopySlots(w, {kIntPlusDi, 4}, {0, 0});
    return;
  }
  if (SamePeriods(chart, file, {kParamPlusDi, 1})) {
    CopyIntSeries(s.ints[kIntPlusDi], *w.chart.ints[kIntPlusDi]);
  } else {
    PlusDiAverage(file, s);
  }
  if (SamePeriods(chart, file, {kParamMinusDi, 1})) {
    CopyIntSeries(s.ints[kIntMinusDi], *w.chart.ints[kIntMinusDi]);
  } else {
    MinusDiAverage(file, s);
  }
  DxAndAdx(file, s);
}

void ObvSignal(const PeriodWork& w, const IndicatorParameterSet& chart, const IndicatorParameterSet& file) {
  const bool computed = w.computed[kUseObv];
  const SeriesSide& s = w.signal;
  if (computed) {
    CopyIntSeries(s.ints[kIntObv], *w.chart.ints[kIntObv]);
  } else {
    ObvLine(w, s);
  }
  if (computed && SamePeriods(chart, file, {kParamObvEma, 1})) {
    CopyIntSeries(s.ints[kIntObvEma], *w.chart.ints[kIntObvEma]);
  } else if (!w.smoothedForSignal[kSmoothingObv]) {
    ObvAverage(file, s);
  }
}

using GroupStep = void (*)(const PeriodWork&, const IndicatorParameterSet&, const SeriesSide&);
using SignalRule = void (*)(const PeriodWork&, const IndicatorParameterSet& chart, const IndicatorParameterSet& file);

struct SeriesGroup {
  int entry;
  SlotRange ints;
  SlotRange reals;
  SlotRange params;
  GroupStep compute;
  SignalRule signal;  // null: copied when every parameter is equal, else computed
};

constexpr SeriesGroup kSeriesGroups[] = {
    {kUseStochastics, {kIntStochK, 3}, {0, 0}, {kParamStochK, 3}, StochasticsStep, nullptr},
    {kUseMacd, {kIntMacdShortEma, 5}, {0, 0}, {kParamMacdShort, 3}, MacdStep, MacdSignal},
    {kUseDmi, {kIntPlusDm, 9}, {0, 0}, {kParamPlusDi, 3}, DmiStep, DmiSignal},
    {kUseSroc, {kIntSrocEma, 2}, {0, 0}, {kParamSrocEma, 2}, SrocStep, nullptr},
    {kUseObv, {kIntObv, 2}, {0, 0}, {kParamObvEma, 1}, ObvStep, ObvSignal},
    {kUseBollinger, {kIntTypicalPrice, 1}, {kRealBollingerCentre, 7}, {kParamBollinger, 1}, BollingerStep, nullptr},
    {kUseParabolic, {kIntParabolicPosition, 1}, {kRealParabolicSar, 1}, {0, 0}, ParabolicStep, nullptr},
    {kUseVolumeRatio, {kIntVolumeRatio, 1}, {0, 0}, {kParamVolumeRatio, 1}, VolumeRatioStep, nullptr},
    {kUseAdvanceDecline, {kIntAdvanceDecline, 1}, {0, 0}, {0, 0}, AdvanceDeclineStep, nullptr},
};

void SignalGroup(const PeriodWork& w, const SeriesGroup& g, const IndicatorParameterSet& chart,
                 const IndicatorParameterSet& file) {
  if (g.signal != nullptr) {
    g.signal(w, chart, file);
  } else if (w.computed[g.entry] && SamePeriods(chart, file, g.params)) {
    CopySlots(w, g.ints, g.reals);
  } else {
    g.compute(w, file, w.signal);
  }
}

// ---- One period ---------------------------------------------------------------------

// needed: the back-test's series of the period, or null for all of them.
// A series left out gets count 0, so that no earlier stock's values remain.
void ComputeChartSeries(PeriodWork& w, const IndicatorParameterSet& params, const SeriesUseFlags* needed) {
  auto isNeeded = [needed](int entry) { return needed == nullptr || needed->flags[entry] != 0; };
  for (const LineGroup& g : kLineGroups) {
    for (int k = 0; k < g.lineCount; ++k) {
      const int entry = g.firstEntry + k;
      w.computed[entry] = isNeeded(entry);
      if (w.computed[entry]) {
        g.compute(w, params, w.chart, k);
      } else {
        ClearSlots(w.chart, LineInts(g, k), LineReals(g, k));
      }
    }
  }
  for (const SeriesGroup& g : kSeriesGroups) {
    w.computed[g.entry] = isNeeded(g.entry);
    if (w.computed[g.entry]) {
      g.compute(w, params, w.chart);
    } else {
      ClearSlots(w.chart, g.ints, g.reals);
    }
  }
  IchimokuStep(w, w.chart);
}

// Every signal series of the period is written: flagged ones from the file,
// the Ichimoku lines copied, all others emptied (before the chart series,
// which may write some signal averages along with their own).
void ComputeSignalSeries(const PeriodWork& w, const IndicatorParameterSet& chart, const SignalSettingsFile* file) {
  if (file != nullptr) {
    const SeriesUseFlags& flags = file->useFlags[w.period];
    const IndicatorParameterSet& params = file->params[w.period];
    for (const LineGroup& g : kLineGroups) {
      for (int j = 0; j < g.lineCount; ++j) {
        if (flags.flags[g.firstEntry + j] != 0) SignalLine(w, g, chart, params, j);
      }
    }
    for (const SeriesGroup& g : kSeriesGroups) {
      if (flags.flags[g.entry] != 0) SignalGroup(w, g, chart, params);
    }
  }
  CopySlots(w, {0, 0}, kIchimokuReals);
}

int TradingUnitOf(StockCode code) {
  const int index = FindStockIndexByCode(code);
  return index >= 0 ? gStockTable->records[index].master.tradingUnit : kDefaultTradingUnit;
}

// The loaded signal file when it has a definition to evaluate.
const SignalSettingsFile* SignalFileInUse() {
  const SignalSettingsFile* file = gSignalSettings;
  return file != nullptr && file->definitionCount >= 1 ? file : nullptr;
}

}  // namespace

void ComputeChartIndicators(StockCode code, ChartSeriesSet* context, KernelScratchSet& scratch) {
  const SignalSettingsFile* file = SignalFileInUse();
  const int tradingUnit = TradingUnitOf(code);
  for (int p = 0; p < kPeriodCount; ++p) {
    // An unneeded period's bars were not built for this stock: its block stays as it was.
    if (gComputeNeededOnly != 0 && gNeededPeriods[p] == 0) continue;
    PeriodSeriesBlock& block = context->periods[p];
    block.params = gIndicatorParams[p];
    bool smoothedForSignal[kSharedSmoothingCount] = {};
    PeriodWork work{block.bars,
                    p,
                    tradingUnit,
                    &scratch,
                    scratch.columns,
                    {block.chartInt, block.chartReal},
                    {block.signalInt, block.signalReal},
                    {},
                    file,
                    smoothedForSignal};
    ResetBarColumns(scratch.columns, *block.bars);
    ClearSlots(work.signal, {0, kIntSlotCount}, {0, kRealSlotCount});
    ComputeChartSeries(work, block.params, gComputeNeededOnly != 0 ? &gNeededSeries[p] : nullptr);
    ComputeSignalSeries(work, block.params, file);
  }
  if (gAnalysisHooks.simulateScenarios != nullptr) gAnalysisHooks.simulateScenarios(code, context);
}
