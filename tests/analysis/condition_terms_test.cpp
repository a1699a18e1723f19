// Operators, term texts and the group and signal tests on a small table of
// stocks in two markets whose latest values are set by hand.
#include "analysis/condition_terms.h"

#include <string>

#include "data/stock_table.h"
#include "tests/analysis/condition_fixture.h"

namespace {

TEST(ConditionOperators, TruthTable) {
  const double nan = std::nan("");
  struct Row {
    double left;
    int op;
    double right;
    bool holds;
  };
  const std::vector<Row> rows = {
      {2, 0, 1, true},    {1, 0, 1, false},    {1, 1, 2, true},    {2, 1, 2, false},    {2, 2, 2, true},
      {1, 2, 2, false},   {2, 3, 2, true},     {3, 3, 2, false},   {2, 4, 2, true},     {2, 4, 3, false},
      {nan, 0, 1, false}, {nan, 1, 1, false},  {nan, 2, 1, false}, {1, 3, nan, false},  {nan, 4, nan, false},
      {0, 10, 9, true},   {-0.0, 10, 9, true}, {1, 10, 0, false},  {nan, 10, 0, false}, {1, 11, 1, true},
      {0, 11, 0, false},  {nan, 11, 0, true},  {0, 5, 9, true},    {0, 9, 9, true},     {0, 12, 0, false},
      {9, 99, 0, false},  {9, -1, 0, false},
  };
  for (const Row& r : rows) EXPECT_EQ(CompareByOperator(r.left, r.op, r.right), r.holds) << r.left << " op " << r.op;
}

TEST(ConditionDates, NewWeekAndNewMonth) {
  EXPECT_TRUE(IsNewWeek(MakePackedDate(2024, 5, 10), MakePackedDate(2024, 5, 13)));  // Friday, Monday
  EXPECT_FALSE(IsNewWeek(MakePackedDate(2024, 5, 13), MakePackedDate(2024, 5, 17)));
  EXPECT_TRUE(IsNewWeek(MakePackedDate(2024, 5, 13), MakePackedDate(2024, 5, 20)));
  EXPECT_TRUE(IsDifferentMonth(MakePackedDate(2023, 5, 31), MakePackedDate(2024, 5, 1))) << "a year apart";
  EXPECT_FALSE(IsDifferentMonth(MakePackedDate(2024, 5, 1), MakePackedDate(2024, 5, 31)));
}

class ConditionTermsTest : public ConditionTest {
 protected:
  // Stocks 1001..1006; 1001-1004 in the prime market, 1005-1006 in the
  // standard one; today's closes 500, 1000, 1500, 2000, 2500, 3000.
  void SetUp() override {
    ConditionTest::SetUp();
    for (int i = 0; i < 6; ++i) {
      StockRecord& stock = Listed(1001 + i, i < 4 ? kMarketPrime : kMarketStandard);
      stock.snapshots[0].values[kItemClose] = 500.0 * (i + 1);
      stock.snapshots[1].values[kItemClose] = 1000;
    }
  }
  std::vector<int> Passing(int g) {
    std::vector<int> numbers;
    for (int i = 0; i < gStockTable->count; ++i) {
      if (TestExtractionConditions(*gGroupTable, g, i)) numbers.push_back(1001 + i);
    }
    return numbers;
  }
  GroupRecord& Group(int g) { return gGroupTable->groups[g]; }
};

TEST_F(ConditionTermsTest, ExtractionOnLatestValues) {
  SetTerms(Group(30), 0x100, {Term(kItemClose, kOpGreater, kItemConstant, 1000)});
  EXPECT_EQ(Passing(30), (std::vector<int>{1003, 1004}));
  SetTerms(Group(31), 0xFFFF, {Term(kItemClose, kOpGreaterOrEqual, 91 + kItemClose)});
  EXPECT_EQ(Passing(31), (std::vector<int>{1002, 1003, 1004, 1005, 1006})) << "today's close against yesterday's";
  SetTerms(Group(32), 0xFFFF, {Term(-199 + 40, kOpNotMemberOf, 0)});
  EXPECT_EQ(Passing(32).size(), 6u) << "not a member of an empty group";
  Group(40).members[Group(40).memberCount++] = NumberCode(1002);
  SetTerms(Group(33), 0xFFFF, {Term(-199 + 40, kOpMemberOf, 0)});
  EXPECT_EQ(Passing(33), (std::vector<int>{1002}));
  SetTerms(Group(34), 0xFFFF, {Term(kItemStockCode, kOpLess, kItemConstant, StringToCode("1003"))});
  EXPECT_EQ(Passing(34), (std::vector<int>{1001, 1002}));
  SetTerms(Group(35), 0x200, {});
  EXPECT_EQ(Passing(35), (std::vector<int>{1005, 1006}));
}

TEST_F(ConditionTermsTest, TermsThatCannotBeDecidedFail) {
  gStockTable->records[0].weeklyCount = 1;
  SetTerms(Group(30), 0xFFFF, {Term(3 * 91 + kItemClose, kOpGreaterOrEqual, kItemConstant, 0)});
  SetTerms(Group(31), 0xFFFF, {Term(2 * 91 + kItemClose, kOpGreaterOrEqual, kItemConstant, 0)});
  SetTerms(Group(32), 0xFFFF, {Term(kItemClose, 99, kItemConstant, 0)});
  SetTerms(Group(33), 0xFFFF, {Term(kItemClose, -1, kItemConstant, 0)});
  SetTerms(Group(34), 0xFFFF, {Term(600, kOpGreater, kItemConstant, -1)});
  SetTerms(Group(35), 0xFFFF, {Term(kItemClose, kOpGreater, -77, 0)});
  SetTerms(Group(36), 0xFFFF, {Term(kItemAnyMonitoringLine, kOpLineExists, 0)});
  SetTerms(Group(37), 0xFFFF, {Term(-199 + 40, 42, 0)});
  EXPECT_EQ(Passing(30), (std::vector<int>{1002, 1003, 1004, 1005, 1006})) << "no week before the only one";
  EXPECT_EQ(Passing(31).size(), 6u);
  for (int g = 32; g <= 37; ++g) EXPECT_TRUE(Passing(g).empty()) << g;
}

TEST_F(ConditionTermsTest, SignalKindParabolicAndScenarioTerms) {
  SetTerms(Group(50), 0xFFFF, {});
  Group(50).signalKind = kSignalExitLong;
  SetTerms(Group(51), 0xFFFF, {});
  Group(51).signalKind = kSignalShortSell;
  SetGroupMemberBit(0, 50);
  SetGroupMemberBit(1, 51);
  signalFile_.definitionCount = 2;
  signalFile_.definitions[1].kind = kSignalLongBuy;
  gStockTable->records[2].signalBits = 0b10;
  gStockTable->records[3].signalBits = 0b01;  // definition 0 has no kind
  SetTerms(Group(30), 0xFFFF, {Term(kItemAnySignal, kOpGreater, 0)});
  SetTerms(Group(31), 0xFFFF, {Term(-305, kOpGreater, 0)});
  EXPECT_EQ(Passing(30), (std::vector<int>{1002, 1003}));
  EXPECT_EQ(Passing(31), (std::vector<int>{1001}));

  gStockTable->records[4].snapshots[0].values[kItemParabolicPosition] = 1;
  SetTerms(Group(32), 0xFFFF, {Term(kItemParabolicPosition, kOpBuySide, 0)});
  SetTerms(Group(33), 0xFFFF, {Term(kItemParabolicPosition, kOpSellSide, 0)});
  EXPECT_EQ(Passing(32).size(), 5u);
  EXPECT_EQ(Passing(33), (std::vector<int>{1005}));

  gStockTable->records[5].flags |= kStockFlagScenarioMark;
  gRecomputeNeeded = 0;
  gGroupsDirty = 0;
  SetTerms(Group(34), 0xFFFF, {Term(kItemScenario, kOpGreater, 0)});
  EXPECT_EQ(Passing(34), (std::vector<int>{1006}));
  gGroupsDirty = 1;
  EXPECT_TRUE(Passing(34).empty()) << "not while memberships wait for a recompute";
}

TEST_F(ConditionTermsTest, TermTexts) {
  const std::vector<std::pair<ConditionTerm, std::string>> rows = {
      {Term(kItemClose, kOpGreater, kItemConstant, 1000), "本日の株価　＞　1000円"},
      {Term(kItemDateMonitoringLine, kOpLineReached, 0), "日柄監視線に到達している"},
      {Term(-199, kOpMemberOf, 0), "グループ【】に属している"},
      {Term(-301, kOpGreater, 0), "短期買シグナルが発生"},
      {Term(kItemParabolicPosition, kOpGreater, 0), "本日のパラボリックのポジションが売り"},
      {Term(kItemChangeRate, kOpLessOrEqual, kItemConstant, -3.456), "本日の前日比率　＜＝　-3.46%"},
      {Term(kItemClose, kOpLess, 91 + kItemClose), "本日の株価　＜　昨日の株価"},
      {Term(kItemClose, 77, kItemConstant, 5), "本日の株価　　5円"},
  };
  for (const auto& [term, text] : rows) {
    char line[256];
    FormatConditionText(term, line, sizeof line);
    EXPECT_EQ(std::string(line), text);
  }
}

TEST_F(ConditionTermsTest, TestsAtBarsReadTheSeriesAndRefuseSpecialTerms) {
  PlaceBars(0, 60);
  const PeriodBars bars = {59, -1, -1};
  GroupRecord& group = Group(30);
  SetTerms(group, 0x100, {Term(kItemClose, kOpGreater, kItemConstant, 5999)});
  EXPECT_TRUE(TestGroupConditionsAtBar(group, NumberCode(1001), context_, bars));
  EXPECT_FALSE(TestGroupConditionsAtBar(group, NumberCode(1005), context_, bars)) << "another market";
  EXPECT_FALSE(TestGroupConditionsAtBar(group, NumberCode(1001), context_, {58, -1, -1}));
  group.monitorLowerLines = 1;
  EXPECT_FALSE(TestGroupConditionsAtBar(group, NumberCode(1001), context_, bars));

  SignalDefinition definition{};
  definition.marketMask = 0xFFFF;
  definition.termCount = 1;
  definition.terms[0] = Term(-199 + 40, kOpNotMemberOf, 0);
  EXPECT_FALSE(TestSignalDefinitionAtBar(definition, NumberCode(1001), context_, bars)) << "membership never holds";
  definition.termCount = 0;
  EXPECT_TRUE(TestSignalDefinitionAtBar(definition, NumberCode(1001), context_, bars));
  EXPECT_FALSE(TestSignalDefinitionAtBar(definition, NumberCode(9999), context_, bars));
}

}  // namespace
