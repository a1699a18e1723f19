// The line switches of the pane pop-up: per pane kind and chart period, the
// flag bit, text and check of every item.
#include "chart/pane_line_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/indicator_params.h"
#include "records/screen_pattern_record.h"

namespace {

// "bit:text" of every item, a '*' before the text of a checked one.
std::string Items(int kind, int period, uint32_t flags) {
  IndicatorParameterSet params = GetDefaultIndicatorParameters(period);
  params.slot[kParamDeviationSecond0 + 1] = 5;  // the second deviation line measures from two averages
  PaneLineItems items{};
  items.count = -1;
  BuildPaneLineItems(kind, period, flags, params, &items);
  std::string text;
  for (int k = 0; k < items.count; ++k) {
    const PaneLineItem& item = items.items[k];
    text += (k > 0 ? "|" : "") + std::to_string(item.bit) + ":" + (item.checked ? "*" : "") + item.text;
  }
  return text;
}

TEST(PaneLineMenu, EachKindSwitchesItsLinesNamedWithTheirPeriodsInTheChartsUnit) {
  const struct {
    int kind, period;
    uint32_t flags;
    const char* items;
  } cases[] = {
      {kPaneCandles, 0, kPaneFlagLine0 | kPaneFlagSigma2 | kPaneFlagLogScale,
       "0:*移動平均(5日)|1:移動平均(25日)|2:移動平均(75日)|3:移動平均(100日)|4:移動平均(150日)|5:移動平均(200日)|"
       "7:一目の雲のみ表示|8:出来高雲を表示|10:ボリンジャーの中心(25日)|11:ボリンジャー±１σ|"
       "12:*ボリンジャー±２σ|13:ボリンジャー±３σ|15:*対数表示|17:パラボリック"},
      {kPaneIchimoku, 0, kPaneFlagLogScale, "15:*対数表示"},
      {kPaneVolume, 1, kPaneFlagLine1, "0:出来高移動平均(6週)|1:*出来高移動平均(13週)"},
      {kPaneRsi, 0, kPaneFlagLine0, "0:*RSI(14日)|1:RSI(21日)|2:RSI(27日)"},
      {kPaneRci, 2, PaneLineFlags(3), "0:*RCI(5月)|1:*RCI(9月)|2:*RCI(27月)"},
      {kPaneDeviation, 1, kPaneFlagLine2, "0:乖離率(6週)|1:乖離率(26週+5週)|2:*乖離率(75週)"},
      {kPanePsychological, 0, 0, "0:サイコロジカル(6日)|1:サイコロジカル(12日)|2:サイコロジカル(24日)"},
      {kPaneMacd, 0, PaneLineFlags(3), ""},  // its lines are always drawn
      {kPaneKindCount, 0, PaneLineFlags(3), ""},
      {-1, 0, PaneLineFlags(3), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Items(c.kind, c.period, c.flags), c.items) << c.kind;
}

}  // namespace
