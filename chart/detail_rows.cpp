#include "chart/detail_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/signal_evaluation.h"
#include "analysis/signal_settings.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/chart_text.h"
#include "chart/cross_hair.h"
#include "common/sjis_text.h"
#include "data/stock_table.h"
#include "records/palette_slots.h"
#include "sheets/scenarios.h"

namespace {

constexpr int kIchimokuShift = 25;
constexpr int kIchimokuLineFirstBar = 30;
constexpr int kIchimokuSpanFirstBar = 77;
constexpr int kRowColor = kColorNumberEven;
constexpr int kTextWork = 160;

// Every adder goes through here: a full table drops the row.
DetailRow* NextRow(DetailRows* out) {
  if (out->count >= kMaxDetailRows) return nullptr;
  return &out->rows[out->count++];
}

DetailRow* AddTextRow(DetailRows* out, const char* label, const char* value, int colorSlot) {
  DetailRow* row = NextRow(out);
  if (row == nullptr) return nullptr;
  CopySjisText(row->label, label, kDetailTextSize);
  CopySjisText(row->value, value, kDetailTextSize);
  row->colorSlot = colorSlot;
  return row;
}

void AddThousandsRow(DetailRows* out, const char* label, int32_t value, int colorSlot) {
  char text[kInt64TextSize];
  FormatThousands(value, text);
  AddTextRow(out, label, text, colorSlot);
}

void AddRoundedRow(DetailRows* out, const char* label, double value, int colorSlot) {
  char text[kInt64TextSize];
  FormatDoubleThousands(value, text, sizeof text);
  AddTextRow(out, label, text, colorSlot);
}

void AddHundredthsRow(DetailRows* out, const char* label, int32_t value, int colorSlot) {
  char text[kFixed2TextSize];
  FormatDetailHundredths(value, text);
  AddTextRow(out, label, text, colorSlot);
}

void AddOneDecimalRow(DetailRows* out, const char* label, double value, int colorSlot) {
  char text[kInt64TextSize + 4];
  FormatDetailOneDecimal(value, text);
  AddTextRow(out, label, text, colorSlot);
}

// A 64-byte name field may fill its field without an end: copied from a
// terminated copy, cut at its last whole character.
void CopyNameField(char* out, const char* field, int fieldSize) {
  char name[kDetailTextSize];
  const int n = std::min(fieldSize, kDetailTextSize - 1);
  memcpy(name, field, static_cast<size_t>(n));
  name[n] = 0;
  CopySjisText(out, name, kDetailTextSize);
}

// A fired signal: its mark, then the name of its group or definition.
void AddSignalRow(DetailRows* out, const char* mark, const char* name, int nameSize, int colorSlot) {
  char value[kDetailTextSize];
  CopyNameField(value, name, nameSize);
  if (DetailRow* row = AddTextRow(out, mark, value, colorSlot)) row->markLabel = true;
}

// "%d" + the period unit, and "平均" for average lines.
void PeriodLabel(char* out, const char* prefix, int value, int period, bool average) {
  snprintf(out, kDetailTextSize, "%s", prefix);
  AppendIntText(out, kDetailTextSize, value);
  AppendPeriodUnit(out, kDetailTextSize, period);
  if (average) {
    const size_t used = strlen(out);
    snprintf(out + used, kDetailTextSize - used, "平均");
  }
}

struct PaneInput {
  const DetailSource& source;
  const PeriodSeriesBlock& block;
  const BarSeries& bars;
  int count;  // bars of the series
  int period;
  int kind;
  uint32_t flags;
  int bar;
};

int Param(const PaneInput& in, int slot) { return in.block.params.slot[slot]; }

// The line's parameter does not reach beyond the bars up to this one.
bool Reaches(const PaneInput& in, int param) { return param <= in.bar + 1; }

const IntSeries* IntAt(const PaneInput& in, int slot, int bar) {
  const IntSeries* series = in.block.chartInt[slot];
  if (series == nullptr || bar < 0 || bar >= std::min(series->count, kMaxBars)) return nullptr;
  return series;
}

const RealSeries* RealAt(const PaneInput& in, int slot, int bar) {
  const RealSeries* series = in.block.chartReal[slot];
  if (series == nullptr || bar < 0 || bar >= std::min(series->count, kMaxBars)) return nullptr;
  return series;
}

void AddIntLine(DetailRows* out, const PaneInput& in, const char* label, int slot, int colorSlot) {
  if (const IntSeries* s = IntAt(in, slot, in.bar)) AddHundredthsRow(out, label, s->values[in.bar], colorSlot);
}

// The change of a series since the previous bar; none at the first bar.
void AddDeltaLine(DetailRows* out, const PaneInput& in, const char* label, int slot) {
  if (in.bar < 1) return;
  const IntSeries* s = IntAt(in, slot, in.bar);
  if (s == nullptr) return;
  const int64_t delta = int64_t{s->values[in.bar]} - s->values[in.bar - 1];
  AddHundredthsRow(out, label, static_cast<int32_t>(std::clamp<int64_t>(delta, INT32_MIN, INT32_MAX)), kRowColor);
}

bool IsUnfinishedLastBar(const PaneInput& in, const StockRecord* stock) {
  return stock != nullptr && in.bar == in.count - 1 && stock->liveTime != kLiveTimeFinished &&
         in.source.forecastBars == 0;
}

int ChangeColor(int64_t change) { return change > 0 ? kColorNumberUp : change < 0 ? kColorNumberDown : kRowColor; }

void AddPriceRows(DetailRows* out, const PaneInput& in, const StockRecord* stock) {
  const PriceBar& b = in.bars.bars[in.bar];
  AddThousandsRow(out, "始", b.open, kRowColor);
  AddThousandsRow(out, "高", b.high, kRowColor);
  AddThousandsRow(out, "安", b.low, kRowColor);
  AddThousandsRow(out, IsUnfinishedLastBar(in, stock) ? "現" : "終", b.close, kRowColor);
  if (in.bar >= 1) {
    const int64_t previous = in.bars.bars[in.bar - 1].close;
    const int64_t change = int64_t{b.close} - previous;
    const int colorSlot = ChangeColor(change);
    const char* sign = change < 0 ? "-" : "+";
    char amount[kInt64TextSize];
    char text[kDetailTextSize];
    FormatThousands64(change < 0 ? -change : change, amount);
    snprintf(text, sizeof text, "%s%s", sign, amount);
    AddTextRow(out, "", text, colorSlot);
    const int64_t percent = previous != 0 ? (change < 0 ? -change : change) * 10000 / std::llabs(previous) : 0;
    snprintf(text, sizeof text, "%s%lld.%02lld%%", sign, static_cast<long long>(percent / 100),
             static_cast<long long>(percent % 100));
    AddTextRow(out, "", text, colorSlot);
  }
  AddThousandsRow(out, "V", b.volume, kRowColor);
}

void AddAverageRows(DetailRows* out, const PaneInput& in) {
  for (int k = 0; k < 6; ++k) {
    if ((in.flags & (kPaneFlagLine0 << k)) == 0) continue;
    const int param = Param(in, kParamCloseAverage0 + k);
    const RealSeries* s = RealAt(in, kRealCloseAverage0 + k, in.bar);
    if (s == nullptr || !Reaches(in, param) || in.bar < param - 1) continue;
    char label[kDetailTextSize];
    PeriodLabel(label, "", param, in.period, true);
    AddOneDecimalRow(out, label, s->values[in.bar], kColorCloseAverage0 + k);
  }
}

void AddSarRow(DetailRows* out, const PaneInput& in) {
  if ((in.flags & kPaneFlagParabolic) == 0) return;
  const RealSeries* sar = RealAt(in, kRealParabolicSar, in.bar);
  if (sar == nullptr) return;
  const IntSeries* side = IntAt(in, kIntParabolicPosition, in.bar);
  const bool falling = side != nullptr && side->values[in.bar] != 0;
  AddOneDecimalRow(out, "SAR", sar->values[in.bar], falling ? kColorSarFalling : kColorSarRising);
}

void AddBollingerRows(DetailRows* out, const PaneInput& in) {
  const int param = Param(in, kParamBollinger);
  if (!Reaches(in, param) || in.bar < param - 1) return;
  struct Band {
    uint32_t flag;
    int offset;  // from kRealBollingerCentre
    int colorSlot;
    const char* label;
  };
  static constexpr Band kBands[] = {
      {kPaneFlagSigma3, 5, kColorSigma3, "+3σ"}, {kPaneFlagSigma2, 3, kColorSigma2, "+2σ"},
      {kPaneFlagSigma1, 1, kColorSigma1, "+1σ"}, {kPaneFlagBollingerCentre, 0, kColorBollingerCentre, nullptr},
      {kPaneFlagSigma1, 2, kColorSigma1, "-1σ"}, {kPaneFlagSigma2, 4, kColorSigma2, "-2σ"},
      {kPaneFlagSigma3, 6, kColorSigma3, "-3σ"},
  };
  for (const Band& band : kBands) {
    if ((in.flags & band.flag) == 0) continue;
    const RealSeries* s = RealAt(in, kRealBollingerCentre + band.offset, in.bar);
    if (s == nullptr) continue;
    char label[kDetailTextSize];
    if (band.label != nullptr) {
      snprintf(label, sizeof label, "%s", band.label);
    } else {
      snprintf(label, sizeof label, "BOL(%d", param);
    }
    AddOneDecimalRow(out, label, s->values[in.bar], band.colorSlot);
  }
}

// A shifted line's value at `bar` of its own series, shown `shift` bars away.
void AddShiftedRow(DetailRows* out, const PaneInput& in, const char* label, int slot, int bar, int colorSlot) {
  if (const RealSeries* s = RealAt(in, slot, bar)) AddRoundedRow(out, label, s->values[bar], colorSlot);
}

void AddLeadingSpans(DetailRows* out, const PaneInput& in) {
  if (in.bar < kIchimokuSpanFirstBar) return;
  AddShiftedRow(out, in, "先行スパン１", kRealIchimokuSpanA, in.bar - kIchimokuShift, kColorIchimokuSpanA);
  AddShiftedRow(out, in, "先行スパン２", kRealIchimokuSpanB, in.bar - kIchimokuShift, kColorIchimokuSpanB);
}

void AddIchimokuRows(DetailRows* out, const PaneInput& in) {
  if (in.bar >= kIchimokuLineFirstBar) {
    AddShiftedRow(out, in, "基準線", kRealIchimokuBase, in.bar, kColorIchimokuBase);
    AddShiftedRow(out, in, "転換線", kRealIchimokuConversion, in.bar, kColorIchimokuConversion);
  }
  AddLeadingSpans(out, in);
  if (in.bar + kIchimokuShift < in.count)
    AddShiftedRow(out, in, "遅行スパン", kRealIchimokuLagging, in.bar + kIchimokuShift, kColorIchimokuLagging);
}

void AddVolumeRows(DetailRows* out, const PaneInput& in) {
  AddThousandsRow(out, "V", in.bars.bars[in.bar].volume, kRowColor);
  for (int k = 0; k < 2; ++k) {
    if ((in.flags & (kPaneFlagLine0 << k)) == 0) continue;
    const int param = Param(in, kParamVolumeAverage0 + k);
    const IntSeries* s = IntAt(in, kIntVolumeAverage0 + k, in.bar);
    if (s == nullptr || !Reaches(in, param)) continue;
    char label[kDetailTextSize];
    PeriodLabel(label, "", param, in.period, true);
    AddThousandsRow(out, label, s->values[in.bar], kColorVolumeAverage0 + k);
  }
}

// RSI, RCI, the psychological line and the deviation rate: up to three
// switched lines, labelled by their periods.
void AddSwitchedLines(DetailRows* out, const PaneInput& in, int firstSlot, int firstParam, int firstColor) {
  for (int k = 0; k < 3; ++k) {
    if ((in.flags & (kPaneFlagLine0 << k)) == 0) continue;
    const int param = Param(in, firstParam + k);
    if (!Reaches(in, param)) continue;
    char label[kDetailTextSize];
    PeriodLabel(label, "", param, in.period, false);
    if (in.kind == kPaneDeviation) {
      const int second = Param(in, kParamDeviationSecond0 + k);
      if (second > 2) {
        char tail[kDetailTextSize];
        PeriodLabel(tail, "+", second, in.period, false);
        const size_t used = strlen(label);
        snprintf(label + used, sizeof label - used, "%s", tail);
      }
    }
    AddIntLine(out, in, label, firstSlot + k, firstColor + k);
  }
}

void AddOscillatorRows(DetailRows* out, const PaneInput& in) {
  char label[kDetailTextSize];
  switch (in.kind) {
    case kPaneRsi: AddSwitchedLines(out, in, kIntRsi0, kParamRsi0, kColorRsi0); break;
    case kPaneRci: AddSwitchedLines(out, in, kIntRci0, kParamRci0, kColorRci0); break;
    case kPanePsychological:
      AddSwitchedLines(out, in, kIntPsychological0, kParamPsychological0, kColorPsychological0);
      break;
    case kPaneDeviation: AddSwitchedLines(out, in, kIntDeviation0, kParamDeviation0, kColorDeviation0); break;
    case kPaneStochastics:
      AddIntLine(out, in, "%K", kIntStochK, kRowColor);
      AddIntLine(out, in, "%D", kIntStochD, kColorStochD);
      AddIntLine(out, in, "%SD", kIntStochSD, kColorStochSD);
      break;
    case kPaneMacd:
      AddIntLine(out, in, "MACD", kIntMacdLine, kColorMacd);
      AddIntLine(out, in, "SIG", kIntMacdSignal, kColorMacdSignal);
      AddIntLine(out, in, "DIFF", kIntMacdDifference, kRowColor);
      AddDeltaLine(out, in, "DIFF-DELTA", kIntMacdDifference);
      break;
    case kPaneDmi:
      AddIntLine(out, in, "+DI", kIntPlusDi, kColorPlusDi);
      AddIntLine(out, in, "-DI", kIntMinusDi, kColorMinusDi);
      AddIntLine(out, in, "ADX", kIntAdx, kColorAdx);
      AddDeltaLine(out, in, "ADX DELTA", kIntAdx);
      break;
    case kPaneSroc: AddIntLine(out, in, "S-ROC", kIntSroc, kColorSroc); break;
    case kPaneObv:
      AddIntLine(out, in, "OBV", kIntObv, kColorObv);
      AddIntLine(out, in, "OBV-EMA", kIntObvEma, kColorObvEma);
      break;
    case kPaneVolumeRatio:
      PeriodLabel(label, "VR ", Param(in, kParamVolumeRatio), in.period, false);
      AddIntLine(out, in, label, kIntVolumeRatio, kColorVolumeRatio);
      break;
    case kPaneAdvanceDecline:
      PeriodLabel(label, "ADR ", Param(in, kParamAdvanceDecline), in.period, false);
      AddIntLine(out, in, label, kIntAdvanceDecline, kColorAdvanceDecline);
      break;
    default: break;
  }
}

void AddPaneRows(DetailRows* out, const PaneInput& in, const StockRecord* stock) {
  if (in.kind == kPaneCandles || in.kind == kPaneIchimoku) AddPriceRows(out, in, stock);
  if (in.kind == kPaneCandles) {
    AddAverageRows(out, in);
    AddSarRow(out, in);
    AddBollingerRows(out, in);
  } else if (in.kind == kPaneIchimoku) {
    AddIchimokuRows(out, in);
  } else if (in.kind == kPaneVolume) {
    AddVolumeRows(out, in);
  } else {
    AddOscillatorRows(out, in);
  }
}

// The date, and what the bar is: a live price, a finished day or a forecast.
void FormatDateLine(const PaneInput& in, const StockRecord* stock, char* out) {
  const PackedDate date = DateOfSeriesBar(&in.bars, in.period, in.bar);
  char text[kTextWork];
  snprintf(text, sizeof text, "%d/%d/%d", PackedYear(date), PackedMonth(date), PackedDay(date));
  const size_t used = strlen(text);
  const bool last = in.bar == in.count - 1;
  const bool forecast = in.source.forecastBars > 0;
  if (forecast && in.bar >= in.count - in.source.forecastBars && in.bar < in.count) {
    snprintf(text + used, sizeof text - used, " 予想");
  } else if (last && !forecast && stock != nullptr && stock->liveTime != kLiveTimeFinished) {
    snprintf(text + used, sizeof text - used, " %02d:%02d:%02d", static_cast<int>((stock->liveTime >> 16) & 0xFF),
             static_cast<int>((stock->liveTime >> 8) & 0xFF), static_cast<int>(stock->liveTime & 0xFF));
  } else if (last && !forecast && stock != nullptr) {
    snprintf(text + used, sizeof text - used, " 確定");
  }
  CopySjisText(out, text, kDetailTextSize);
}

void AddCursorRow(DetailRows* out, const PaneInput& in) {
  if (!in.source.cursorRow) return;
  if (in.source.forWindow) AddTextRow(out, "----", " ", kRowColor);
  if (in.kind <= kPaneVolume) {
    AddThousandsRow(out, "★指示値", in.source.cursorValue, kRowColor);
  } else {
    AddHundredthsRow(out, "★指示値", in.source.cursorValue, kRowColor);
  }
}

int FileDefinitionCount() {
  return gSignalSettings != nullptr ? std::clamp<int>(gSignalSettings->definitionCount, 0, kMaxSignalDefinitions) : 0;
}

void AddFiredSignalRows(DetailRows* out, const PaneInput& in, StockCode code) {
  struct Pass {
    int kind;
    const char* label;
    int colorSlot;
  };
  static constexpr Pass kPasses[] = {
      {kSignalLongSell, "▼▼", kColorLongSellMark},
      {kSignalShortSell, "▼", kColorShortSellMark},
      {kSignalShortBuy, "▲", kColorShortBuyMark},
      {kSignalLongBuy, "▲▲", kColorLongBuyMark},
  };
  const ChartSeriesSet& context = *in.source.context;
  for (const Pass& pass : kPasses) {
    const int matches = CountSignalMatchesAtBar(code, context, in.bar, pass.kind);
    for (int n = 0; n < matches && out->count < kMaxDetailRows; ++n) {
      int group = -1;
      int definition = -1;
      if (!FindSignalMatchAtBar(code, context, in.bar, pass.kind, n, &group, &definition)) break;
      if (group >= 0 && group < kGroupCount && gGroupTable != nullptr) {
        AddSignalRow(out, pass.label, gGroupTable->groups[group].name, kGroupNameSize, pass.colorSlot);
      } else if (definition >= 0 && definition < FileDefinitionCount()) {
        AddSignalRow(out, pass.label, gSignalSettings->definitions[definition].name, kSignalNameSize, pass.colorSlot);
      }
    }
  }
}

int DefinitionKind(int index) {
  return index >= 0 && index < FileDefinitionCount() ? gSignalSettings->definitions[index].kind : kSignalNone;
}
int GroupKind(int index) {
  return gGroupTable != nullptr && index >= 0 && index < kGroupCount ? gGroupTable->groups[index].signalKind
                                                                     : kSignalNone;
}

int ExitColor(int closingKind) {
  switch (closingKind) {
    case kSignalExitLong: return kColorLongExit;
    case kSignalExitShort: return kColorShortExit;
    case kSignalLossCutLong: return kColorLongLossCut;
    case kSignalLossCutShort: return kColorShortLossCut;
    default: return kRowColor;
  }
}

void AddScenarioRow(DetailRows* out, const ScenarioRecord& scenario, const ScenarioMarkBuffer* marks, int bar,
                    int (*kindOf)(int)) {
  if (scenario.valid == 0 || marks == nullptr || bar < 0 || bar >= kMaxBars) return;
  if (static_cast<uint32_t>(bar) >= marks->count) return;
  const int mark = marks->marks[bar];
  const int closingKind = mark > 0 ? kindOf(SignalOfClosingMark(mark)) : kSignalNone;
  const char* text = ScenarioStateText(mark, closingKind);
  if (text == nullptr) return;
  char name[kDetailTextSize];
  CopyNameField(name, scenario.name, kScenarioNameSize);
  AddTextRow(out, name, text, ExitColor(closingKind));
}

void AddScenarioRows(DetailRows* out, const PaneInput& in) {
  const ChartSeriesSet& context = *in.source.context;
  if (gSignalSettings != nullptr) {
    for (int s = 0; s < kScenarioSlots; ++s)
      AddScenarioRow(out, gSignalSettings->scenarios[s], context.fileMarks[s], in.bar, DefinitionKind);
  }
  for (int s = 0; s < kScenarioSlots; ++s)
    AddScenarioRow(out, gScenarioTable.records[s], context.tableMarks[s], in.bar, GroupKind);
}

bool ShowsSignals(const PaneInput& in) {
  if (in.period != 0 || in.bar < 0 || in.bar >= in.count) return false;
  if (in.source.cursorRow) return in.kind != kPaneDeviation;
  return in.kind == kPaneCandles || in.kind == kPaneIchimoku;
}

void ClearRows(DetailRows* out) {
  memset(out, 0, sizeof *out);
  out->paneKind = -1;
  for (DetailRow& row : out->rows) row.colorSlot = kRowColor;
}

}  // namespace

const char* ScenarioStateText(int mark, int closingKind) {
  switch (mark) {
    case 0: return nullptr;
    case -99: return "ホールド中";
    case -98: return "翌始値でエントリ";
    case -8:
    case -7:
    case -1: return "翌始値で返済";
    case -6: return "翌日始値で利食い";
    case -5: return "本日利食い";
    case -4: return "翌日始値で損切";
    case -3: return "本日損切";
    case -2: return "翌終値で返済";
    default: break;
  }
  switch (closingKind) {
    case kSignalExitLong: return "買玉の返済";
    case kSignalExitShort: return "売玉の返済";
    case kSignalLossCutLong: return "買玉の損切";
    case kSignalLossCutShort: return "売玉の損切";
    default: return nullptr;
  }
}

void FormatDetailHundredths(int32_t value, char* out) { FormatFixed2(value, out); }

void FormatDetailOneDecimal(double value, char* out) {
  if (!std::isfinite(value)) value = 0.0;
  const double limited = std::clamp(value, -2147483647.0, 2147483647.0);
  const double whole = std::trunc(limited);
  const int tenth = static_cast<int>(std::fabs(limited - whole) * 10.0) % 10;
  char number[kInt64TextSize];
  FormatThousands(static_cast<int>(whole), number);
  snprintf(out, kInt64TextSize + 4, "%s%s.%d", limited < 0 && whole == 0 ? "-" : "", number, tenth);
}

void BuildDetailRows(const DetailSource& source, DetailRows* out) {
  ClearRows(out);
  if (source.view == nullptr || source.context == nullptr) return;
  const ChartView& view = *source.view;
  if (source.pane < 0 || source.pane >= std::min(view.paneCount, kMaxPanesPerChart)) return;
  const int period = GetViewPeriod(view);
  const PeriodSeriesBlock& block = source.context->periods[period];
  const BarSeries* bars = block.bars;
  if (bars == nullptr) return;
  const PaneInput in = {source,
                        block,
                        *bars,
                        std::clamp(bars->count, 0, kMaxBars),
                        period,
                        static_cast<int>(view.paneKinds[source.pane]),
                        view.paneFlags[source.pane],
                        source.bar};
  out->paneKind = in.kind;
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  const StockRecord* stock = stockIndex >= 0 ? &gStockTable->records[stockIndex] : nullptr;

  char dateLine[kDetailTextSize];
  FormatDateLine(in, stock, dateLine);
  if (source.forWindow) {
    AddTextRow(out, dateLine, "", kRowColor);
  } else {
    CopySjisText(out->caption, dateLine, kDetailTextSize);
  }
  if (in.bar >= in.count) {
    if (in.kind == kPaneIchimoku && in.bar < in.count + kIchimokuShift) AddLeadingSpans(out, in);
  } else if (in.bar >= 0) {
    AddPaneRows(out, in, stock);
  }
  AddCursorRow(out, in);
  if (!ShowsSignals(in)) return;
  AddFiredSignalRows(out, in, view.stockCode);
  AddScenarioRows(out, in);
}

bool BuildChartDetailRows(int chart, int pane, int bar, bool forWindow, DetailRows* out) {
  const bool selected = chart < 0;
  if (selected) {
    chart = gSelectedChart;
    pane = gSelectedPane;
    bar = -1;
  }
  if (chart < 0 || chart >= ShownChartCount()) {
    ClearRows(out);
    return false;
  }
  const ChartView& view = CurrentScreenPattern().views[chart];
  // A pick in the stock list selects the chart but no pane: its price pane stands for it.
  if (selected && (pane < 0 || pane >= view.paneCount)) pane = 0;
  const ChartContext& context = gChartContexts[chart];
  if (bar < 0) {  // the newest bar of the data, not the right edge's place past it
    const BarSeries* bars = GetViewBarSeries(view, context);
    bar = bars != nullptr ? std::clamp(bars->count, 0, kMaxBars) - 1 : 0;
  }
  // The cursor row tells the value under the mouse: none without a cross-hair in the pane.
  const bool crossHairHere = chart == gCrossHairChart && pane == gCrossHairPane;
  const bool forecast = gForecastState[chart] != kForecastNone;
  const DetailSource source = {
      &view,     &context,      pane,         bar,
      forWindow, crossHairHere, gCursorValue, forecast ? std::max(0, gForecastBarCount[chart]) : 0};
  BuildDetailRows(source, out);
  return true;
}

int CountDetailRowsFitting(int count, int height, int lineHeight, int inset) {
  if (count <= 0 || lineHeight <= 0) return 0;
  // The last row's bottom stays above the frame line on the pane's bottom pixel.
  const int64_t room = int64_t{height} - 1 - inset;
  return static_cast<int>(std::clamp<int64_t>(room / lineHeight, 0, count));
}

namespace {

// The bytes of the longest start of `text` (`length` bytes), ended after a
// whole character, at most `width` pixels wide.
int FittingStart(const char* text, int length, int width, TextWidthFn measure, void* context) {
  char start[kDetailTextSize];
  int fitting = 0;
  while (fitting < length) {
    const int step = IsSjisLeadByte(static_cast<uint8_t>(text[fitting])) ? 2 : 1;
    const int next = std::min(fitting + step, length);
    memcpy(start, text, static_cast<size_t>(next));
    start[next] = 0;
    if (measure(context, start) > width) break;
    fitting = next;
  }
  return fitting;
}

}  // namespace

DetailRowFit FitDetailRow(const DetailRow& row, int width, int gap, TextWidthFn measure, void* context) {
  const int labelBytes = static_cast<int>(strnlen(row.label, kDetailTextSize - 1));
  const int valueBytes = static_cast<int>(strnlen(row.value, kDetailTextSize - 1));
  if (measure == nullptr || labelBytes == 0 || valueBytes == 0) return {labelBytes, valueBytes};
  const int labelWidth = measure(context, row.label);
  const int valueWidth = measure(context, row.value);
  if (labelWidth + gap + valueWidth <= width) return {labelBytes, valueBytes};
  if (row.markLabel)
    return {labelBytes, FittingStart(row.value, valueBytes, width - labelWidth - gap, measure, context)};
  return {FittingStart(row.label, labelBytes, width - valueWidth - gap, measure, context), valueBytes};
}

DetailSize MeasureDetailRows(const DetailRows& rows, TextWidthFn measure, void* context, int textHeight) {
  int width = 0;
  for (int i = 0; i < rows.count; ++i) {
    const int label = measure != nullptr ? measure(context, rows.rows[i].label) : 0;
    const int value = measure != nullptr ? measure(context, rows.rows[i].value) : 0;
    width = std::max(width, label + value + 10);
  }
  return {width + 8, rows.count * std::max(textHeight, 0) + 8};
}
