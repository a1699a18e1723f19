// Signal words of stocks at their latest bars, and the strip's look-ups.
#include "analysis/signal_evaluation.h"

#include "data/period_bars.h"
#include "tests/analysis/condition_fixture.h"

namespace {

class SignalEvaluationTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    Listed(1301, kMarketPrime);
    Listed(5001, kMarketStandard);
    PlaceBars(0, 60);  // closes 100 .. 6000, one calendar day apart
    for (int i = 0; i < 60; ++i) {
      context_.periods[0].signalInt[kIntRsi0]->values[i] = 100 * i;
    }
    context_.periods[0].signalInt[kIntRsi0]->count = 60;
  }
  SignalDefinition& Define(int k, int32_t kind, uint16_t mask, std::initializer_list<ConditionTerm> terms) {
    SignalDefinition& d = signalFile_.definitions[k];
    d.kind = kind;
    d.marketMask = mask;
    d.termCount = static_cast<int16_t>(terms.size());
    std::copy(terms.begin(), terms.end(), d.terms);
    signalFile_.definitionCount = std::max(signalFile_.definitionCount, k + 1);
    return d;
  }
};

TEST_F(SignalEvaluationTest, EachHoldingDefinitionSetsItsBit) {
  for (int k = 0; k < kMaxSignalDefinitions; ++k) {
    Define(k, kSignalShortBuy, 0xFFFF, {Term(17, kOpGreaterOrEqual, kItemConstant, 50 + k)});  // RSI 59 today
  }
  Define(3, kSignalShortBuy, 0x200, {});
  Define(4, kSignalShortBuy, 0xFFFF, {Term(-199, kOpNotMemberOf, 0)});
  gStockTable->records[0].signalBits = 0xFFFFFFFF;
  EvaluateSignalsForStock(NumberCode(1301), context_);
  EXPECT_EQ(gStockTable->records[0].signalBits, 0b1111100111u) << "RSI 59 meets 50..59; 3 is another market's";
  EvaluateSignalsForStock(NumberCode(5001), context_);
  EXPECT_EQ(gStockTable->records[1].signalBits, 0b1111101111u);
  signalFile_.definitionCount = 0;
  EvaluateSignalsForStock(NumberCode(1301), context_);
  EXPECT_EQ(gStockTable->records[0].signalBits, 0u);
}

TEST_F(SignalEvaluationTest, StripCountsGroupsThenDefinitionsOfTheKind) {
  GroupRecord& group = gGroupTable->groups[70];
  SetTerms(group, 0xFFFF, {Term(kItemClose, kOpGreater, kItemConstant, 3000)});
  group.signalKind = kSignalLongSell;
  Define(0, kSignalShortBuy, 0xFFFF, {});
  Define(1, kSignalLongSell, 0xFFFF, {Term(17, kOpGreater, kItemConstant, 20)});
  const StockCode code = NumberCode(1301);
  EXPECT_EQ(CountSignalMatchesAtBar(code, context_, 59, kSignalLongSell), 2);
  EXPECT_EQ(CountSignalMatchesAtBar(code, context_, 25, kSignalLongSell), 1) << "close 2600, RSI 25";
  EXPECT_EQ(CountSignalMatchesAtBar(code, context_, 10, kSignalLongSell), 0);
  int g = 0;
  int k = 0;
  EXPECT_TRUE(FindSignalMatchAtBar(code, context_, 59, kSignalLongSell, 1, &g, &k));
  EXPECT_EQ(std::make_pair(g, k), std::make_pair(-1, 1));
  EXPECT_TRUE(FindSignalMatchAtBar(code, context_, 59, kSignalLongSell, 0, &g, &k));
  EXPECT_EQ(std::make_pair(g, k), std::make_pair(70, -1));
  EXPECT_FALSE(FindSignalMatchAtBar(code, context_, 59, kSignalLongSell, 2, &g, &k));
}

TEST_F(SignalEvaluationTest, WeekAndMonthBarsHoldingADay) {
  BarSeries& daily = *context_.periods[0].bars;
  BuildWeeklyBars(daily, context_.periods[1].bars);
  BuildMonthlyBars(daily, context_.periods[2].bars);
  int week = 0;
  int month = 0;
  FindWeeklyMonthlyBarIndexes(context_, 9, &week, &month);  // Wednesday 2024-01-10
  EXPECT_EQ(std::make_pair(week, month), std::make_pair(1, 0)) << "the week of Monday 8th to Sunday 14th";
  FindWeeklyMonthlyBarIndexes(context_, 59, &week, &month);  // Thursday 2024-02-29
  EXPECT_EQ(context_.periods[1].bars->bars[week].date, daily.bars[59].date) << "the unfinished last week";
  EXPECT_EQ(month, 1);
  FindWeeklyMonthlyBarIndexes(context_, 60, &week, &month);
  EXPECT_EQ(std::make_pair(week, month), std::make_pair(-1, -1));
}

}  // namespace
