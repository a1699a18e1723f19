// What the condition editor offers for a term: operators by left operand
// with their fallbacks, the right-hand operands, and the typed constant.
#include "analysis/condition_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/stock_code.h"
#include "tests/analysis/condition_fixture.h"
#include "tests/support/row.h"

namespace {

const ConditionItemCode kClose = MakeItemCode(kSlotDaily, kItemClose);
const ConditionItemCode kWeeklyRsi2 = MakeItemCode(kSlotPreviousWeek, 18);
const ConditionItemCode kPosition = MakeItemCode(kSlotMonthly, kItemParabolicPosition);

std::vector<int> Operators(int left) {
  const OperatorChoices choices = OperatorChoicesFor(left);
  return std::vector<int>(choices.operators, choices.operators + choices.count);
}

std::vector<int> Codes(const std::vector<ConditionItemCode>& codes) { return {codes.begin(), codes.end()}; }

class ConditionEditorTest : public ConditionTest {};

// Each form lists its operators and takes an operator of another form to its fallback.
TEST_F(ConditionEditorTest, OperatorsFollowTheLeftOperandWithTheirFallbacks) {
  const struct {
    int left;
    std::vector<int> offered;
    int stray;   // an operator of another form
    int fitted;  // what it becomes
  } cases[] = {
      {kItemDateMonitoringLine, {7, 8, 9}, kOpGreater, kOpLineExists},
      {kItemLowerMonitoringLine, {7, 8, 9}, kOpLineNotReached, kOpLineNotReached},
      {kItemGroupFirst + 30, {5, 6}, kOpLineReached, kOpMemberOf},
      {kItemGroupLast, {5, 6}, kOpNotMemberOf, kOpNotMemberOf},
      {kPosition, {10, 11}, kOpEqual, kOpSellSide},
      {kPosition, {10, 11}, kOpBuySide, kOpBuySide},
      {kClose, {0, 1, 2, 3, 4}, kOpSellSide, kOpGreater},
      {kItemStockCode, {0, 1, 2, 3, 4}, kOpLessOrEqual, kOpLessOrEqual},
      {kItemAnySignal, {}, kOpLess, kOpLess},  // no operator shown: kept as stored
      {kItemScenario, {}, kOpGreater, kOpGreater},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Operators(c.left), c.offered) << c.left;
    EXPECT_EQ(FitOperator(c.left, c.stray), c.fitted) << c.left << " op " << c.stray;
  }
}

// The constant first, then both slots of the left item's period, the left
// item itself only in the other slot; a right operand not offered becomes
// the constant, which alone shows the edit.
TEST_F(ConditionEditorTest, RightOperandsAreTheConstantThenBothSlotsOfThePeriod) {
  const ConditionItemCode rsi1 = MakeItemCode(kSlotWeekly, 17), rsi2 = MakeItemCode(kSlotWeekly, 18),
                          rsi3 = MakeItemCode(kSlotWeekly, 19), lastRsi1 = MakeItemCode(kSlotPreviousWeek, 17),
                          lastRsi3 = MakeItemCode(kSlotPreviousWeek, 19);
  EXPECT_EQ(Codes(BuildRightOperandList(kWeeklyRsi2)), (std::vector<int>{-2, rsi1, rsi2, rsi3, lastRsi1, lastRsi3}));
  EXPECT_EQ(Codes(BuildRightOperandList(MakeItemCode(kSlotDaily, kItemChangeRate))), (std::vector<int>{-2, 93}));
  EXPECT_EQ(Codes(BuildRightOperandList(kItemStockCode)), (std::vector<int>{-2}));
  const struct {
    ConditionTerm term;
    std::vector<int64_t> fitted;  // operator, right, constant shown
  } cases[] = {
      {{kWeeklyRsi2, kOpLess, rsi1, 0, 0}, Row(kOpLess, rsi1, 0)},
      {{kWeeklyRsi2, kOpLess, kWeeklyRsi2, 0, 0}, Row(kOpLess, -2, 1)},  // never with itself
      {{kWeeklyRsi2, kOpMemberOf, MakeItemCode(kSlotDaily, 17), 0, 0}, Row(kOpGreater, -2, 1)},
      {{kClose, kOpEqual, MakeItemCode(kSlotPreviousDay, kItemClose), 0, 0}, Row(kOpEqual, 91, 0)},
      {{kItemStockCode, kOpGreater, 5, 0, 0}, Row(kOpGreater, -2, 1)},
      {{kItemGroupFirst, kOpEqual, 9, 0, 0}, Row(kOpMemberOf, 9, 0)},  // the right side is not shown
      {{kPosition, kOpGreater, kItemConstant, 0, 0}, Row(kOpSellSide, -2, 0)},
  };
  for (const auto& c : cases) {
    ConditionTerm term = c.term;
    FitConditionTerm(&term);
    EXPECT_EQ(Row(term.op, term.right, ShowsConstant(term)), c.fitted) << c.term.left << " " << c.term.right;
  }
}

// Membership is offered for the manual groups a code can name, after the
// items and the special operands (no signal of kind 9).
TEST_F(ConditionEditorTest, LeftOperandsEndWithTheMembershipOfManualGroupsUpToNinetyNine) {
  for (int g = 0; g < kGroupCount; ++g) gGroupTableEdit->groups[g].automatic = g % 3 == 0 ? 1 : 0;
  const std::vector<ConditionItemCode> codes = BuildLeftOperandList(gGroupTableEdit);
  const std::vector<ConditionItemCode> items = GetConditionItemList();
  ASSERT_TRUE(std::equal(items.begin(), items.end(), codes.begin()));
  const std::vector<int> specials(codes.begin() + items.size(), codes.begin() + items.size() + 14);
  EXPECT_EQ(specials,
            (std::vector<int>{-200, -201, -202, -203, -300, -301, -302, -303, -304, -305, -306, -307, -308, -400}));
  std::vector<int> groups;
  for (auto it = codes.begin() + items.size() + 14; it != codes.end(); ++it) groups.push_back(*it + 199);
  EXPECT_EQ(groups.size(), 66u);  // 1, 2, 4, 5, ..., 98
  EXPECT_EQ(Row(groups.front(), groups[1], groups.back()), Row(1, 2, 98));
  EXPECT_TRUE(std::none_of(groups.begin(), groups.end(), [](int g) { return g % 3 == 0 || g > 99; }));
}

// A decimal within what the item's plain form shows back for items, four
// code characters for the stock code; anything else is refused and the
// constant stays as it was. Taken, it shows in the plain form of the item.
TEST_F(ConditionEditorTest, TheConstantIsADecimalWithinTheItemOrAStockCode) {
  const ConditionItemCode average = MakeItemCode(kSlotDaily, 9), amount = MakeItemCode(kSlotWeekly, kItemAmount),
                          volume = MakeItemCode(kSlotDaily, kItemVolume), macd = MakeItemCode(kSlotMonthly, 29);
  constexpr double kKept = -7.0;
  using R = ConstantRefusal;
  const struct {
    int left;
    const char* typed;
    R refusal;
    double stored;      // kKept when refused
    const char* shown;  // after it was taken
  } cases[] = {
      {kClose, " 12.5 ", R::kNone, 12.5, "12|円"},
      {kClose, "2147483647", R::kNone, 2147483647.0, "2147483647|円"},
      {kClose, "2147483648", R::kOutOfRange, kKept, nullptr},
      {average, "1e308", R::kOutOfRange, kKept, nullptr},
      {kClose, "1e309", R::kOutOfRange, kKept, nullptr},
      {kClose, "12.5x", R::kNotANumber, kKept, nullptr},
      {kWeeklyRsi2, "-3.456", R::kNone, -3.456, "-3.46|%"},
      {kWeeklyRsi2, "1e15", R::kNone, 1e15, "1000000000000000.00|%"},
      {kWeeklyRsi2, "1000000000000001", R::kOutOfRange, kKept, nullptr},
      {kWeeklyRsi2, "1e400", R::kOutOfRange, kKept, nullptr},
      {kWeeklyRsi2, "abc", R::kNotANumber, kKept, nullptr},
      {kWeeklyRsi2, "", R::kNotANumber, kKept, nullptr},
      {kWeeklyRsi2, "inf", R::kNotANumber, kKept, nullptr},
      {kWeeklyRsi2, "0x10", R::kNotANumber, kKept, nullptr},
      {kWeeklyRsi2, "1e", R::kNotANumber, kKept, nullptr},
      {amount, "-1e15", R::kNone, -1e15, "-1000000000000000|円"},
      {volume, "1.5e15", R::kOutOfRange, kKept, nullptr},
      {macd, "0.125", R::kNone, 0.125, "0.12|"},
      {kItemStockCode, " 7203 ", R::kNone, static_cast<double>(StringToCode("7203")), "7203|"},
      {kItemStockCode, "130A", R::kNone, static_cast<double>(StringToCode("130A")), "130A|"},
      {kItemStockCode, "720", R::kNotAStockCode, kKept, nullptr},
      {kItemStockCode, "72030", R::kNotAStockCode, kKept, nullptr},
      {kItemStockCode, "abcd", R::kNotAStockCode, kKept, nullptr},
  };
  for (const auto& c : cases) {
    double value = kKept;
    EXPECT_EQ(ParseConditionConstant(c.left, c.typed, &value), c.refusal) << c.left << " " << c.typed;
    EXPECT_EQ(value, c.stored) << c.typed;
    if (c.shown == nullptr) continue;
    char text[32], unit[16];
    FormatConditionConstant(c.left, value, text, sizeof text, unit, sizeof unit);
    EXPECT_EQ(std::string(text) + "|" + unit, c.shown) << c.typed;
  }
}

}  // namespace
