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
  ComputeRciFromColumns(w.columns, s.ints[kIntRci0 + k], RciPeriod(p, kParamRci0 + k));
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

// The averages are the period's smoothing pass's.
void MacdStep(const PeriodWork&, const IndicatorParameterSet& p, const SeriesSide& s) { MacdLines(p, s); }

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

// The average is the period's smoothing pass's.
void SrocStep(const PeriodWork&, const IndicatorParameterSet& p, const SeriesSide& s) {
  ComputeRateOfChange(*s.ints[kIntSrocEma], s.ints[kIntSroc], Period(p, kParamSrocSpan));
}

// The line and its average are the period's smoothing pass's.
void ObvStep(const PeriodWork&, const IndicatorParameterSet&, const SeriesSide&) {}

void BollingerStep(const PeriodWork& w, const IndicatorParameterSet& p, const SeriesSide& s) {
  RealSeries* const bands[7] = {s.reals[kRealBollingerCentre],     s.reals[kRealBollingerCentre + 1],
                                s.reals[kRealBollingerCentre + 2], s.reals[kRealBollingerCentre + 3],
                                s.reals[kRealBollingerCentre + 4], s.reals[kRealBollingerCentre + 5],
                                s.reals[kRealBollingerCentre + 6]};
  ComputeBollingerBandsFromColumns(w.columns, s.ints[kIntTypicalPrice], bands, Period(p, kParamBollinger), *w.scratch);
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
  CopyCloseToRealSeriesFromColumns(w.columns, s.reals[kRealIchimokuLagging]);
}
constexpr SlotRange kIchimokuReals = {kRealIchimokuConversion, 5};

// The signal series of groups whose lines are not all copied or computed together.
// The averages computed rather than copied are the smoothing pass's.
void MacdSignal(const PeriodWork& w, const IndicatorParameterSet& chart, const IndicatorParameterSet& file) {
  const bool computed = w.computed[kUseMacd];
  if (computed && SamePeriods(chart, file, {kParamMacdShort, 3})) {
    CopySlots(w, {kIntMacdShortEma, 5}, {0, 0});
    return;
  }
  const SeriesSide& s = w.signal;
  if (computed && SamePeriods(chart, file, {kParamMacdShort, 1})) {
    CopyIntSeries(s.ints[kIntMacdShortEma], *w.chart.ints[kIntMacdShortEma]);
  }
  if (computed && SamePeriods(chart, file, {kParamMacdLong, 1})) {
    CopyIntSeries(s.ints[kIntMacdLongEma], *w.chart.ints[kIntMacdLongEma]);
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

// The line and average computed rather than copied are the smoothing pass's.
void ObvSignal(const PeriodWork& w, const IndicatorParameterSet& chart, const IndicatorParameterSet& file) {
  const bool computed = w.computed[kUseObv];
  const SeriesSide& s = w.signal;
  if (computed) CopyIntSeries(s.ints[kIntObv], *w.chart.ints[kIntObv]);
  if (computed && SamePeriods(chart, file, {kParamObvEma, 1})) {
    CopyIntSeries(s.ints[kIntObvEma], *w.chart.ints[kIntObvEma]);
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

// ---- Exponential averages ----------------------------------------------------------

// Each exponential average is a chain of dependent steps: every one of the
// period, chart and signal, is stepped in one pass, where the chains overlap.
// A signal average is made here when its group does not copy it.
enum SmoothingInput : int { kScaledCloses, kCloses, kObvLine };

struct SmoothedAverage {
  int entry;
  int slot;
  int param;
  SlotRange copiedWhenSame;  // the signal's average is the chart's copy when these are equal
  SmoothingInput input;
};

constexpr SmoothedAverage kSmoothedAverages[] = {
    {kUseMacd, kIntMacdShortEma, kParamMacdShort, {kParamMacdShort, 1}, kScaledCloses},
    {kUseMacd, kIntMacdLongEma, kParamMacdLong, {kParamMacdLong, 1}, kScaledCloses},
    {kUseSroc, kIntSrocEma, kParamSrocEma, {kParamSrocEma, 2}, kCloses},
    {kUseObv, kIntObvEma, kParamObvEma, {kParamObvEma, 1}, kObvLine},
};

struct SmoothingPass {
  SmoothingLine lines[kMaxSmoothingLines];
  int count;
  bool scaled;  // the scaled closes are made
};

// The scaled closes are made once, into scratch series 0; the OBV line is
// the chart's whenever that is computed (the signal's is its copy then).
const int32_t* SmoothingInputOf(const PeriodWork& w, SmoothingInput input, bool* scaled) {
  switch (input) {
    case kScaledCloses:
      if (!*scaled) ComputeScaledCloses(*w.bars, w.scratch->ints[0]);
      *scaled = true;
      return w.scratch->ints[0]->values;
    case kCloses: return BuildBarColumn(w.columns, kColumnCloses).closes;
    default: return (w.computed[kUseObv] ? w.chart : w.signal).ints[kIntObv]->values;
  }
}

void AddSmoothedAverage(const PeriodWork& w, const SmoothedAverage& a, const IndicatorParameterSet& params,
                        const SeriesSide& side, SmoothingPass* pass) {
  const int32_t* in = SmoothingInputOf(w, a.input, &pass->scaled);
  pass->lines[pass->count++] = {in, Period(params, a.param), side.ints[a.slot]};
}

// The chart's averages of the groups computed now, and the signal's of the
// groups the file uses where the chart's differ or are not computed. The
// OBV line an average is made of is made first (the signal's only when the
// chart's is not computed: then the chart's is copied).
void SmoothPeriodAverages(const PeriodWork& w, const IndicatorParameterSet& chart, const SignalSettingsFile* file) {
  const bool chartObv = w.computed[kUseObv];
  const bool signalObv = file != nullptr && file->useFlags[w.period].flags[kUseObv] != 0 && !chartObv;
  if (chartObv) ComputeObv(*w.bars, w.chart.ints[kIntObv], w.tradingUnit, *w.scratch);
  if (signalObv) ComputeObv(*w.bars, w.signal.ints[kIntObv], w.tradingUnit, *w.scratch);
  SmoothingPass pass{};
  for (const SmoothedAverage& a : kSmoothedAverages) {
    if (w.computed[a.entry]) AddSmoothedAverage(w, a, chart, w.chart, &pass);
    if (file == nullptr || file->useFlags[w.period].flags[a.entry] == 0) continue;
    const IndicatorParameterSet& params = file->params[w.period];
    if (!w.computed[a.entry] || !SamePeriods(chart, params, a.copiedWhenSame)) {
      AddSmoothedAverage(w, a, params, w.signal, &pass);
    }
  }
  SmoothExponentialTogether(pass.lines, pass.count, w.bars->count);
}

// ---- One period ---------------------------------------------------------------------

// needed: the back-test's series of the period, or null for all of them.
void MarkComputedSeries(PeriodWork& w, const SeriesUseFlags* needed) {
  for (int entry = 0; entry < kSeriesUseFlagCount; ++entry) {
    w.computed[entry] = needed == nullptr || needed->flags[entry] != 0;
  }
}

// A series left out gets count 0, so that no earlier stock's values remain.
void ComputeChartSeries(PeriodWork& w, const IndicatorParameterSet& params) {
  for (const LineGroup& g : kLineGroups) {
    for (int k = 0; k < g.lineCount; ++k) {
      const int entry = g.firstEntry + k;
      if (w.computed[entry]) {
        g.compute(w, params, w.chart, k);
      } else {
        ClearSlots(w.chart, LineInts(g, k), LineReals(g, k));
      }
    }
  }
  for (const SeriesGroup& g : kSeriesGroups) {
    if (w.computed[g.entry]) {
      g.compute(w, params, w.chart);
    } else {
      ClearSlots(w.chart, g.ints, g.reals);
    }
  }
  IchimokuStep(w, w.chart);
}

// Every signal series of the period is written: flagged ones from the file,
// the Ichimoku lines copied, all others emptied (before the smoothing pass,
// which writes the signal averages along with the chart's).
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
    PeriodWork work{block.bars,
                    p,
                    tradingUnit,
                    &scratch,
                    scratch.columns,
                    {block.chartInt, block.chartReal},
                    {block.signalInt, block.signalReal},
                    {},
                    file};
    ResetBarColumns(scratch.columns, *block.bars);
    if (gComputeNeededOnly == 0) BuildAllBarColumns(scratch.columns);
    ClearSlots(work.signal, {0, kIntSlotCount}, {0, kRealSlotCount});
    MarkComputedSeries(work, gComputeNeededOnly != 0 ? &gNeededSeries[p] : nullptr);
    SmoothPeriodAverages(work, block.params, file);
    ComputeChartSeries(work, block.params);
    ComputeSignalSeries(work, block.params, file);
  }
  if (gAnalysisHooks.simulateScenarios != nullptr) gAnalysisHooks.simulateScenarios(code, context);
}
