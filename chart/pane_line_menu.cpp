#include "chart/pane_line_menu.h"

#include <cstdio>
#include <cstring>

#include "chart/chart_text.h"
#include "records/screen_pattern_record.h"

namespace {

constexpr int kNoPeriod = -1;

// One switch: its flag bit, its name, and the parameter slot of the period
// shown after the name in parentheses (kNoPeriod: the name alone).
struct LineSwitch {
  int bit;
  const char* name;
  int param;
};

struct KindSwitches {
  const LineSwitch* switches;
  int count;
};

constexpr LineSwitch kCandleSwitches[] = {
    {0, "移動平均", kParamCloseAverage0},
    {1, "移動平均", kParamCloseAverage0 + 1},
    {2, "移動平均", kParamCloseAverage0 + 2},
    {3, "移動平均", kParamCloseAverage0 + 3},
    {4, "移動平均", kParamCloseAverage0 + 4},
    {5, "移動平均", kParamCloseAverage0 + 5},
    {7, "一目の雲のみ表示", kNoPeriod},
    {8, "出来高雲を表示", kNoPeriod},
    {10, "ボリンジャーの中心", kParamBollinger},
    {11, "ボリンジャー±１σ", kNoPeriod},
    {12, "ボリンジャー±２σ", kNoPeriod},
    {13, "ボリンジャー±３σ", kNoPeriod},
    {15, "対数表示", kNoPeriod},
    {17, "パラボリック", kNoPeriod},
};
static_assert(sizeof kCandleSwitches / sizeof kCandleSwitches[0] == kMaxPaneLineItems);

// The Ichimoku pane's lines are all drawn; only its scale switches.
constexpr LineSwitch kIchimokuSwitches[] = {{15, "対数表示", kNoPeriod}};

constexpr LineSwitch kVolumeSwitches[] = {
    {0, "出来高移動平均", kParamVolumeAverage0},
    {1, "出来高移動平均", kParamVolumeAverage0 + 1},
};

constexpr LineSwitch kRsiSwitches[] = {{0, "RSI", kParamRsi0}, {1, "RSI", kParamRsi0 + 1}, {2, "RSI", kParamRsi0 + 2}};

constexpr LineSwitch kRciSwitches[] = {{0, "RCI", kParamRci0}, {1, "RCI", kParamRci0 + 1}, {2, "RCI", kParamRci0 + 2}};

constexpr LineSwitch kDeviationSwitches[] = {
    {0, "乖離率", kParamDeviation0},
    {1, "乖離率", kParamDeviation0 + 1},
    {2, "乖離率", kParamDeviation0 + 2},
};

constexpr LineSwitch kPsychologicalSwitches[] = {
    {0, "サイコロジカル", kParamPsychological0},
    {1, "サイコロジカル", kParamPsychological0 + 1},
    {2, "サイコロジカル", kParamPsychological0 + 2},
};

template <int N>
constexpr KindSwitches SwitchesOf(const LineSwitch (&switches)[N]) {
  return {switches, N};
}

KindSwitches SwitchesOfKind(int paneKind) {
  switch (paneKind) {
    case kPaneCandles: return SwitchesOf(kCandleSwitches);
    case kPaneIchimoku: return SwitchesOf(kIchimokuSwitches);
    case kPaneVolume: return SwitchesOf(kVolumeSwitches);
    case kPaneRsi: return SwitchesOf(kRsiSwitches);
    case kPaneRci: return SwitchesOf(kRciSwitches);
    case kPaneDeviation: return SwitchesOf(kDeviationSwitches);
    case kPanePsychological: return SwitchesOf(kPsychologicalSwitches);
    default: return {nullptr, 0};
  }
}

void AppendText(char* text, const char* tail) {
  const size_t used = strlen(text);
  snprintf(text + used, kPaneLineTextSize - used, "%s", tail);
}

void AppendPeriodText(char* text, int value, int period) {
  AppendIntText(text, kPaneLineTextSize, value);
  AppendPeriodUnit(text, kPaneLineTextSize, period);
}

// The second average of a deviation line; 0 for other lines and for none.
int SecondPeriodOf(const LineSwitch& line, const IndicatorParameterSet& params) {
  const bool deviation = line.param >= kParamDeviation0 && line.param < kParamDeviationSecond0;
  return deviation ? params.slot[line.param - kParamDeviation0 + kParamDeviationSecond0] : 0;
}

// "name(period unit)"; a deviation line adds "+" and its second average's
// period when it has one, as the pane's caption does.
void FormatSwitchText(const LineSwitch& line, int period, const IndicatorParameterSet& params, char* out) {
  snprintf(out, kPaneLineTextSize, "%s", line.name);
  if (line.param == kNoPeriod) return;
  AppendText(out, "(");
  AppendPeriodText(out, params.slot[line.param], period);
  const int second = SecondPeriodOf(line, params);
  if (second != 0) {
    AppendText(out, "+");
    AppendPeriodText(out, second, period);
  }
  AppendText(out, ")");
}

}  // namespace

void BuildPaneLineItems(int paneKind, int period, uint32_t flags, const IndicatorParameterSet& params,
                        PaneLineItems* out) {
  const KindSwitches kind = SwitchesOfKind(paneKind);
  out->count = 0;
  for (int k = 0; k < kind.count; ++k) {
    const LineSwitch& line = kind.switches[k];
    PaneLineItem& item = out->items[out->count++];
    item.bit = line.bit;
    item.checked = (flags >> line.bit & 1u) != 0;
    FormatSwitchText(line, period, params, item.text);
  }
}
