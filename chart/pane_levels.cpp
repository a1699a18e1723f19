#include "chart/pane_levels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "chart/pane_pixels.h"
#include "records/palette_slots.h"

namespace {

// Lines of one pane kind: series, colour slot, parameter(s) of the first bar.
struct LineRule {
  int series;
  int colorSlot;
  int firstParam;
  int otherParam;  // the larger of both; -1: none
  int thirdParam;  // MACD: the largest of three; -1: none
  int flagBit;
};

struct KindRule {
  int lineCount;
  LineRule lines[kMaxPaneLines];
};

// Lines 0..count-1 of consecutive series, colours and parameters, each
// shown by its own flag bit.
constexpr KindRule SwitchedLines(int count, int series, int color, int param, int otherParam = -1) {
  KindRule rule{count, {}};
  for (int k = 0; k < count; ++k)
    rule.lines[k] = {series + k, color + k, param + k, otherParam < 0 ? -1 : otherParam + k, -1, k};
  return rule;
}

// Indexed by kind - kPaneVolume.
constexpr KindRule kKindRules[] = {
    SwitchedLines(2, kIntVolumeAverage0, kColorVolumeAverage0, kParamVolumeAverage0),
    SwitchedLines(3, kIntRsi0, kColorRsi0, kParamRsi0),
    SwitchedLines(3, kIntRci0, kColorRci0, kParamRci0),
    SwitchedLines(3, kIntDeviation0, kColorDeviation0, kParamDeviation0, kParamDeviationSecond0),
    {2,
     {{kIntStochD, kColorStochD, kParamStochD, -1, -1, -1}, {kIntStochSD, kColorStochSD, kParamStochSD, -1, -1, -1}}},
    {2,
     {{kIntMacdLine, kColorMacd, kParamMacdShort, kParamMacdLong, kParamMacdSignal, -1},
      {kIntMacdSignal, kColorMacdSignal, kParamMacdShort, kParamMacdLong, kParamMacdSignal, -1}}},
    {3,
     {{kIntPlusDi, kColorPlusDi, kParamPlusDi, -1, -1, -1},
      {kIntMinusDi, kColorMinusDi, kParamMinusDi, -1, -1, -1},
      {kIntAdx, kColorAdx, kParamAdx, -1, -1, -1}}},
    {1, {{kIntSroc, kColorSroc, kParamSrocSpan, -1, -1, -1}}},
    SwitchedLines(3, kIntPsychological0, kColorPsychological0, kParamPsychological0),
    {2, {{kIntObv, kColorObv, kParamObvEma, -1, -1, -1}, {kIntObvEma, kColorObvEma, kParamObvEma, -1, -1, -1}}},
    {1, {{kIntVolumeRatio, kColorVolumeRatio, kParamVolumeRatio, -1, -1, -1}}},
    {1, {{kIntAdvanceDecline, kColorAdvanceDecline, kParamAdvanceDecline, -1, -1, -1}}},
};

// Indexed by kind - kPaneRsi.
constexpr PaneScaleRule kScaleRules[] = {
    {5, 0, {}, false},                         // RSI
    {5, 0, {}, false},                         // RCI
    {5, 0, {}, false},                         // deviation rate
    {0, 4, {1500, 3000, 7000, 8500}, false},   // stochastics
    {5, 0, {}, false},                         // MACD
    {2, 1, {3000}, false},                     // DMI
    {2, 1, {10000}, false},                    // S-ROC
    {5, 0, {}, false},                         // psychological line
    {5, 0, {}, false},                         // OBV
    {0, 4, {3000, 7000, 10000, 15000}, true},  // volume ratio
    {0, 3, {7000, 10000, 13000}, false},       // advance/decline ratio
};

int ParamOrZero(const IndicatorParameterSet& params, int n) {
  return n >= 0 && n < kIndicatorParamCount ? params.slot[n] : 0;
}

int FirstIndexOf(const LineRule& rule, const IndicatorParameterSet& params) {
  return std::max({ParamOrZero(params, rule.firstParam), ParamOrZero(params, rule.otherParam),
                   ParamOrZero(params, rule.thirdParam)});
}

bool ContainsLevel(const int32_t* levels, int count, int32_t value) {
  return std::find(levels, levels + count, value) != levels + count;
}

// Offsets are clipped to the plot anyway; this keeps them far from overflow.
int TruncToInt(double value) {
  constexpr double kLimit = 2.0 * kPixelOffsetLimit;
  return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

double LinearOffset(const PaneRecord& pane, double value) { return PaneValueOffset(pane, false, value); }

PaneLabel MakeLabel(const PaneRecord& pane, int y, int textHeight) {
  PaneLabel label{};
  label.y = y;
  label.rect = PaneLabelRect(pane.scale, y, textHeight);
  label.textShown = true;
  return label;
}

int32_t RoundedVolume(double value) {
  return static_cast<int32_t>(std::round(std::clamp(value, -2147483648.0, 2147483647.0)));
}

}  // namespace

PaneScaleRule GetPaneScaleRule(int kind) {
  if (kind < kPaneRsi || kind > kPaneAdvanceDecline) return PaneScaleRule{};
  return kScaleRules[kind - kPaneRsi];
}

int GetPaneLines(int kind, const IndicatorParameterSet& params, PaneLine lines[kMaxPaneLines]) {
  if (kind < kPaneVolume || kind > kPaneAdvanceDecline) return 0;
  const KindRule& rule = kKindRules[kind - kPaneVolume];
  for (int k = 0; k < rule.lineCount; ++k) {
    const LineRule& line = rule.lines[k];
    lines[k] = {line.series, line.colorSlot, FirstIndexOf(line, params), line.flagBit};
  }
  return rule.lineCount;
}

bool IsPaneLineShown(const PaneLine& line, uint32_t paneFlags) {
  return line.flagBit < 0 || (paneFlags >> line.flagBit & 1u) != 0;
}

int GetPaneLevelsInRange(int kind, const PaneRecord& pane, int32_t levels[kMaxPaneLevels]) {
  const PaneScaleRule rule = GetPaneScaleRule(kind);
  int count = 0;
  for (int k = 0; k < rule.levelCount; ++k) {
    const int32_t value = rule.levels[k];
    if (value >= pane.minValue && value <= pane.maxValue) levels[count++] = value;
  }
  if (rule.maxLevel && pane.maxValue >= pane.minValue && !ContainsLevel(levels, count, pane.maxValue))
    levels[count++] = pane.maxValue;
  return count;
}

int PlotHeight(const PaneRecord& pane) { return pane.plot.bottom - pane.plot.top; }

IndicatorLineScale PrepareIndicatorLineScale(const PaneRecord& pane) {
  return {PreparePaneValueScale(pane, false), pane.plot.top};
}

int IndicatorPointY(const PaneRecord& pane, int32_t value) {
  return IndicatorLineY(PrepareIndicatorLineScale(pane), value);
}

int LevelLineY(const PaneRecord& pane, int32_t value) {
  return TruncToInt(pane.plot.bottom - LinearOffset(pane, value));
}

Rect PaneLabelRect(const Rect& scale, int y, int textHeight) {
  Rect rect{scale.left, y - textHeight / 2, scale.right - kLabelRightInset, 0};
  rect.bottom = rect.top + textHeight;
  if (rect.top < scale.top + kLabelEdgeMargin) {
    rect.top = scale.top + kLabelEdgeMargin;
    rect.bottom = rect.top + textHeight;
  } else if (rect.bottom > scale.bottom - kLabelEdgeMargin) {
    rect.bottom = scale.bottom - kLabelEdgeMargin;
    rect.top = rect.bottom - textHeight;
  }
  return rect;
}

void FormatDivisionValue(double value, int divisor, char* out) {
  const double limited = std::clamp(value, -2147483648.0, 2147483647.0);
  if (divisor == kPercentDivisor) {
    FormatFixed2(static_cast<int32_t>(std::round(limited)), out);
    return;
  }
  const double units = divisor != 0 ? std::trunc(limited / divisor) : std::trunc(limited);
  snprintf(out, kPaneLabelTextSize, "%d", static_cast<int>(units));
}

void FormatLevelValue(int32_t value, int divisor, char* out) {
  if (divisor == kPercentDivisor) {
    FormatFixed2(value, out);
    return;
  }
  const int64_t units = divisor != 0 ? int64_t{value} / divisor : value;
  snprintf(out, kPaneLabelTextSize, "%lld", static_cast<long long>(units));
}

int BuildScaleDivisions(const PaneRecord& pane, int n, int divisor, int textHeight, int captionHeight,
                        PaneLabel labels[kMaxPaneDivisions]) {
  if (n < 2 || n > kMaxPaneDivisions) return 0;
  const int h = PlotHeight(pane);
  const double step = static_cast<double>(h) / (n - 1);
  const bool evenOnly = n % 2 == 1 && h / n < captionHeight;
  const double valueStep = step * pane.valuePerPixel;
  double value = pane.minValue;
  for (int i = 0; i < n; ++i) {
    PaneLabel& label = labels[i];
    label = MakeLabel(pane, pane.plot.bottom - TruncToInt(i * step), textHeight);
    label.textShown = !evenOnly || i % 2 == 0;
    label.lineShown = i > 0 && i < n - 1;
    FormatDivisionValue(value, divisor, label.text);
    value += valueStep;
  }
  return n;
}

PaneLabel BuildLevelLabel(const PaneRecord& pane, int32_t value, int divisor, int textHeight) {
  PaneLabel label = MakeLabel(pane, LevelLineY(pane, value), textHeight);
  label.lineShown = true;
  FormatLevelValue(value, divisor, label.text);
  return label;
}

int VolumeLabelCount(int plotHeight, int textHeight) {
  const int d = plotHeight / 10;
  if (d > 2 * textHeight) return 11;
  if (d > 2 * textHeight / 3) return 5;
  if (d > textHeight / 3) return 3;
  return 2;
}

int BuildVolumeDivisions(const PaneRecord& pane, int textHeight, TextWidthFn measure, void* measureContext,
                         PaneLabel labels[kMaxPaneDivisions]) {
  const int h = PlotHeight(pane);
  const int n = VolumeLabelCount(h, textHeight);
  const int width = pane.scale.right - pane.scale.left - kVolumeLabelInset;
  for (int i = 0; i < n; ++i) {
    const int offset = static_cast<int>(static_cast<int64_t>(i) * h / (n - 1));
    PaneLabel& label = labels[i];
    label = MakeLabel(pane, pane.plot.bottom - offset, textHeight);
    label.lineShown = i > 0 && i < n - 1;
    const double value = pane.minValue + static_cast<double>(i) * h / (n - 1) * pane.valuePerPixel;
    FormatThousandsToFit(measure, measureContext, RoundedVolume(value), label.text, width);
  }
  return n;
}

Rect VolumeBarRect(const PaneRecord& pane, int x, int barWidth, int32_t volume) {
  return VolumeBarRect(PreparePaneValueScale(pane, false), x, barWidth, volume);
}

Rect VolumeBarRect(const PaneValueScale& linear, int x, int barWidth, int32_t volume) {
  Rect rect{x - barWidth / 2, 0, x - barWidth / 2 + barWidth, linear.bottom};
  rect.top = TruncToInt(linear.bottom - ScaledLinearOffset(linear, volume));
  if (rect.top >= rect.bottom) rect.top = rect.bottom - 1;
  return rect;
}

int BuildIntSeriesPoints(const PaneRecord& pane, int barSpacing, const IntSeries& series, int first, int last,
                         int firstIndex, PixelPoint* points, int* bars, int capacity) {
  const int stop = std::max({first, firstIndex, 0});
  const int start = std::min({last, series.count - 1, kMaxBars - 1});
  const int count = static_cast<int>(std::clamp<int64_t>(int64_t{start} - stop + 1, 0, std::max(capacity, 0)));
  // Locals, as the stores below could otherwise alias the pane.
  const IndicatorLineScale scale = PrepareIndicatorLineScale(pane);
  const int32_t* values = series.values;
  ForEachBarCentre(pane.plot.right, barSpacing, last, start, count, [&](int k, int x) {
    points[k] = {x, IndicatorLineY(scale, values[start - k])};
  });
  if (bars != nullptr)
    for (int k = 0; k < count; ++k) bars[k] = start - k;
  return count;
}
