// Pane captions: the kind's name and the periods of the lines it shows.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "chart/chart_layout.h"
#include "chart/chart_text.h"
#include "common/sjis_text.h"

namespace {

constexpr int kCaptionWorkSize = 256;  // cut to the caption's 80 bytes at the end
constexpr int kCaptionOffsetX = 5;
constexpr int kCaptionOffsetY = 3;

constexpr const char* kPaneKindNames[kPaneKindCount] = {
    "ろうそく足",
    "一目均衡表",
    "出来高",
    "RSI",
    "RCI",
    "乖離率",
    "ストキャスティクス",
    "MACD",
    "ＤＭＩ",
    "S-ROC",
    "サイコロジカル",
    "OBV",
    "ボリュームレシオ",
    "騰落レシオ",
};

// Items between "(" and ")", joined by a separator.
struct CaptionList {
  char* text;
  const char* separator;
  int items;
};

void AppendText(char* text, const char* tail) {
  const size_t used = strnlen(text, kCaptionWorkSize);
  if (used + 1 < kCaptionWorkSize) snprintf(text + used, kCaptionWorkSize - used, "%s", tail);
}

void BeginItem(CaptionList* list) {
  if (list->items++ > 0) AppendText(list->text, list->separator);
}

void AppendPeriod(char* text, int value, int period) {
  AppendIntText(text, kCaptionWorkSize, value);
  AppendPeriodUnit(text, kCaptionWorkSize, period);
}

void AddPeriodItem(CaptionList* list, int value, int period) {
  BeginItem(list);
  AppendPeriod(list->text, value, period);
}

void AddTextItem(CaptionList* list, const char* item) {
  BeginItem(list);
  AppendText(list->text, item);
}

// The periods of the lines whose flag bits 0..count-1 are set.
void AddShownPeriods(CaptionList* list, uint32_t flags, const IndicatorParameterSet& params, int firstParam, int count,
                     int period) {
  for (int k = 0; k < count; ++k) {
    if ((flags & (kPaneFlagLine0 << k)) != 0) AddPeriodItem(list, params.slot[firstParam + k], period);
  }
}

void AddFixedPeriods(CaptionList* list, const IndicatorParameterSet& params, int firstParam, int count, int period) {
  for (int k = 0; k < count; ++k) AddPeriodItem(list, params.slot[firstParam + k], period);
}

void AddCandleItems(CaptionList* list, uint32_t flags, const IndicatorParameterSet& params, int period) {
  AddShownPeriods(list, flags, params, kParamCloseAverage0, 6, period);
  if ((flags & kPaneFlagBollingerCentre) != 0) {
    BeginItem(list);
    AppendText(list->text, "BOL");
    AppendPeriod(list->text, params.slot[kParamBollinger], period);
  }
  const char* const sigmas[] = {"1σ", "2σ", "3σ"};
  for (int k = 0; k < 3; ++k) {
    if ((flags & (kPaneFlagSigma1 << k)) != 0) AddTextItem(list, sigmas[k]);
  }
}

// Each shown deviation line: its average's period, and "+" the second one when set.
void AddDeviationItems(CaptionList* list, uint32_t flags, const IndicatorParameterSet& params, int period) {
  for (int k = 0; k < 3; ++k) {
    if ((flags & (kPaneFlagLine0 << k)) == 0) continue;
    AddPeriodItem(list, params.slot[kParamDeviation0 + k], period);
    if (params.slot[kParamDeviationSecond0 + k] == 0) continue;
    AppendText(list->text, "+");
    AppendPeriod(list->text, params.slot[kParamDeviationSecond0 + k], period);
  }
}

void AppendParameterList(char* text, uint32_t kind, uint32_t flags, const IndicatorParameterSet& params, int period) {
  const bool commaList = kind == kPaneStochastics || kind == kPaneMacd || kind == kPaneDmi || kind == kPaneSroc;
  CaptionList list = {text, commaList ? "," : "/", 0};
  AppendText(text, "(");
  switch (kind) {
    case kPaneCandles: AddCandleItems(&list, flags, params, period); break;
    case kPaneVolume: AddShownPeriods(&list, flags, params, kParamVolumeAverage0, 2, period); break;
    case kPaneRsi: AddShownPeriods(&list, flags, params, kParamRsi0, 3, period); break;
    case kPaneRci: AddShownPeriods(&list, flags, params, kParamRci0, 3, period); break;
    case kPanePsychological: AddShownPeriods(&list, flags, params, kParamPsychological0, 3, period); break;
    case kPaneDeviation: AddDeviationItems(&list, flags, params, period); break;
    case kPaneStochastics: AddFixedPeriods(&list, params, kParamStochK, 3, period); break;
    case kPaneMacd: AddFixedPeriods(&list, params, kParamMacdShort, 3, period); break;
    case kPaneDmi: AddFixedPeriods(&list, params, kParamPlusDi, 3, period); break;
    case kPaneSroc: AddFixedPeriods(&list, params, kParamSrocEma, 2, period); break;
    case kPaneObv: AddPeriodItem(&list, params.slot[kParamObvEma], period); break;
    case kPaneVolumeRatio: AddPeriodItem(&list, params.slot[kParamVolumeRatio], period); break;
    case kPaneAdvanceDecline: AddPeriodItem(&list, params.slot[kParamAdvanceDecline], period); break;
    default: break;
  }
  AppendText(text, ")");
}

void ComposeCaption(const ChartView& view, const ChartContext& context, int pane, char* text) {
  const uint32_t kind = view.paneKinds[pane];
  if (kind >= static_cast<uint32_t>(kPaneKindCount)) return;
  const uint32_t flags = view.paneFlags[pane];
  const int period = GetViewPeriod(view);
  AppendText(text, kPaneKindNames[kind]);
  if (kind == kPaneIchimoku) return;
  AppendParameterList(text, kind, flags, context.periods[period].params, period);
  if (kind == kPaneCandles && (flags & kPaneFlagLogScale) != 0) AppendText(text, " 対数 ");
}

}  // namespace

void BuildPaneCaption(const ChartView& view, const ChartContext& context, int pane, char* out, Rect* rect) {
  char text[kCaptionWorkSize] = "";
  Rect plot = {};
  if (pane >= 0 && pane < kMaxPanesPerChart) {
    ComposeCaption(view, context, pane, text);
    plot = context.panes[pane].fullPlot;  // the caption stays above the signal strip
  }
  CopySjisText(out, text, kPaneCaptionSize);
  const int width = gChartTextWidth != nullptr ? gChartTextWidth(gChartTextWidthContext, out) : 0;
  const int left = plot.left + kCaptionOffsetX;
  const int top = plot.top + kCaptionOffsetY;
  *rect = {left, top, left + std::max(0, width), top + std::max(0, gFixedFontHeight)};
}
