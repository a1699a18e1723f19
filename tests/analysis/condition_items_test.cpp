// Names, availability, value texts and the item lists of condition codes.
#include "analysis/condition_items.h"

#include <string>

#include "tests/analysis/condition_fixture.h"

namespace {

std::string Name(int code) {
  char text[160];
  GetConditionItemName(gIndicatorParams, code, text, sizeof text);
  return text;
}

std::string Formatted(bool plain, int code, double value) {
  char text[32];
  char unit[16];
  FormatConditionItemValue(plain, code, value, text, sizeof text, unit, sizeof unit);
  return std::string(text) + "|" + unit;
}

class ConditionItemsTest : public ConditionTest {};

TEST_F(ConditionItemsTest, NamesCarryThePeriodParametersAndUnitWords) {
  gIndicatorParams[1].slot[kParamRsi0] = 14;
  gIndicatorParams[0].slot[kParamDeviation0] = 25;
  gIndicatorParams[0].slot[kParamDeviationSecond0] = 5;
  gIndicatorParams[2].slot[kParamDeviationSecond0] = 0;
  gIndicatorParams[2].slot[kParamDeviation0] = 12;
  snprintf(gGroupTableEdit->groups[49].name, kGroupNameSize, "注目");
  const std::vector<std::pair<int, std::string>> rows = {
      {290, "先週のRSI(14週)"},
      {0, "本日の株価"},
      {2, "本日の前日比率"},
      {91 + 28, "昨日のストキャスティクス%SD"},
      {8, "本日の日中変動幅の過去１０日平均"},
      {23, "本日の乖離率(25日+5日)"},
      {91 * 4 + 86, "今月の過去３ヶ月での乖離レンジ(12月)"},
      {91 * 5 + 69 + 1, "先月の移動平均(" + std::to_string(gIndicatorParams[2].slot[1]) + "月)の前月比率"},
      {-150, "グループ【注目】"},
      {-1, "銘柄コード"},
      {-201, "日柄監視線"},
      {-309, "多重条件用シグナルが発生"},
      {-400, "シナリオに合致"},
      {-99, ""},
      {546, ""},
  };
  for (const auto& [code, name] : rows) EXPECT_EQ(Name(code), name) << code;
  for (int index = 0; index < kConditionItemCount; ++index) {
    EXPECT_EQ(Name(index).size() > std::string("本日の").size(), index != 75 && index != 76) << index;
  }
}

TEST_F(ConditionItemsTest, FirstBarsFollowTheParameters) {
  IndicatorParameterSet p{};
  p.slot[kParamCloseAverage0] = 5;
  p.slot[kParamBollinger] = 20;
  p.slot[kParamDeviation0] = 10;
  p.slot[kParamDeviationSecond0] = 25;
  const std::vector<std::tuple<int, int, bool>> rows = {
      {43, 24, true}, {43, 25, false}, {48, 51, true},  {48, 52, false}, {9, 3, true},   {9, 4, false},
      {50, 19, true}, {50, 20, false}, {23, 23, true},  {23, 24, false}, {2, 0, true},   {69, 0, false},
      {8, 18, true},  {75, -9, false}, {91, -9, false}, {0, 0, false},   {17, -1, true}, {17, 0, false}};
  for (const auto& [index, bar, needs] : rows)
    EXPECT_EQ(ItemNeedsMoreBars(index, bar, p), needs) << index << "@" << bar;
}

TEST_F(ConditionItemsTest, ValuesAtBarsReadTheSlotsBarAndTheShiftedCloud) {
  Listed(1301, kMarketPrime);
  PlaceBars(0, 60);
  for (int i = 0; i < 60; ++i) Real(0, kRealIchimokuSpanA, 60).values[i] = 1000 + i;
  const PeriodBars bars = {59, -1, -1};
  EXPECT_EQ(GetConditionItemValue(SeriesSet::kChart, context_, 0, bars, 48, 0), 1008) << "span A at bar 8";
  EXPECT_EQ(GetConditionItemValue(SeriesSet::kChart, context_, 0, bars, 91 + 0, 0), 5900) << "yesterday's close";
  EXPECT_EQ(GetConditionItemValue(SeriesSet::kChart, context_, 0, bars, -2, 12.5), 12.5);
  EXPECT_EQ(GetConditionItemValue(SeriesSet::kChart, context_, 0, bars, -1, 0), static_cast<int32_t>(NumberCode(1301)));
  EXPECT_FALSE(IsItemUnavailableAtBars(SeriesSet::kChart, context_, 0, bars, 91));
  EXPECT_TRUE(IsItemUnavailableAtBars(SeriesSet::kChart, context_, 0, bars, 2 * 91)) << "no weekly bar";
  EXPECT_TRUE(IsItemUnavailableAtBars(SeriesSet::kChart, context_, 0, {0, 0, 0}, 91)) << "no bar before the first";
  EXPECT_TRUE(IsItemUnavailableAtBars(SeriesSet::kChart, context_, 0, bars, -150));

  gStockTable->records[0].master.tradingUnit = 1;
  BarSeries& daily = *context_.periods[0].bars;
  daily.bars[59].volume = 2000000000;
  daily.bars[59].close = 5000;
  EXPECT_EQ(GetConditionItemValue(SeriesSet::kChart, context_, 0, bars, kItemAmount, 0), 1e13);
}

TEST(ConditionItemFormat, PlainAndListForms) {
  const double nan = std::nan("");
  const std::vector<std::tuple<bool, int, double, std::string>> rows = {
      {false, 3, 123456789, "1.2|億株"},
      {true, 3, 123456789, "123456789|株"},
      {false, 3, 99999, "99,999|株"},
      {false, 15, 1234567, "123|万株"},
      {false, 0, 1234567, "123|万円"},
      {false, 0, 999999, "999,999|円"},
      {true, 0, 1234567.9, "1234567|円"},
      {false, 9, 1234567, "1,234,567|円"},
      {false, 4, 98765432, "9,876|万円"},
      {false, 4, 123456789, "1.2|億円"},
      {true, 5, 123456789, "123456789|円"},
      {true, 2, 12.345, "12.35|%"},
      {false, 29, -1.5, "-1.50|"},
      {false, 62, 0, "買い|"},
      {false, 62, nan, "売り|"},
      {false, 75, 5, "|"},
      {false, 0, nan, "---|"},
      {true, 1, HUGE_VAL, "---|"},
      {true, 2, -HUGE_VAL, "---|"},
      {true, 0, 1e300, "2147483647|円"},
      {false, -1, StringToCode("1301"), "1301|"},
      {false, -1, nan, "|"},
  };
  for (const auto& [plain, code, value, text] : rows) EXPECT_EQ(Formatted(plain, code, value), text) << code;
}

TEST(ConditionItemLists, DisplayOrderAndComparableItems) {
  const std::vector<ConditionItemCode> all = GetConditionItemList();
  ASSERT_EQ(all.size(), 427u);
  EXPECT_EQ(all[0], -1);
  EXPECT_EQ(all[1], 0);
  EXPECT_EQ(all[2], 58);
  EXPECT_EQ(all[72], 91);
  EXPECT_EQ(all[426], 5 * 91 + 44);
  EXPECT_EQ(GetComparableItemList(91 * 2 + 42, true),
            (std::vector<ConditionItemCode>{91 * 2 + 45, 91 * 2 + 46, 91 * 2 + 47, 91 * 2 + 48, 91 * 2 + 49}));
  EXPECT_EQ(GetComparableItemList(17, false), (std::vector<ConditionItemCode>{18, 19}));
  EXPECT_EQ(GetComparableItemList(17, true), (std::vector<ConditionItemCode>{17, 18, 19}));
  EXPECT_EQ(GetComparableItemList(61, true).size(), 22u);
  EXPECT_EQ(GetComparableItemList(2, true), (std::vector<ConditionItemCode>{2}));
  EXPECT_TRUE(GetComparableItemList(75, true).empty());
  EXPECT_TRUE(GetComparableItemList(-1, true).empty());
}

}  // namespace
