#include "analysis/condition_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "common/stock_code.h"

namespace {

constexpr int16_t kComparisonOperators[] = {kOpGreater, kOpLess, kOpGreaterOrEqual, kOpLessOrEqual, kOpEqual};
constexpr int16_t kPositionOperators[] = {kOpBuySide, kOpSellSide};
constexpr int16_t kMembershipOperators[] = {kOpMemberOf, kOpNotMemberOf};
constexpr int16_t kMonitoringOperators[] = {kOpLineExists, kOpLineReached, kOpLineNotReached};

// The lines, the signals the dialogs offer (kind 9 is given by none) and the scenario.
constexpr int16_t kSpecialLeftOperands[] = {kItemAnyMonitoringLine,
                                            kItemDateMonitoringLine,
                                            kItemUpperMonitoringLine,
                                            kItemLowerMonitoringLine,
                                            kItemAnySignal,
                                            -301,
                                            -302,
                                            -303,
                                            -304,
                                            -305,
                                            -306,
                                            -307,
                                            -308,
                                            kItemScenario};

constexpr int kNameableGroups = kItemGroupLast - kItemGroupFirst + 1;  // 0..99

template <size_t N>
OperatorChoices Choices(const int16_t (&operators)[N], int16_t fallback) {
  return {operators, static_cast<int>(N), fallback};
}

}  // namespace

LeftOperandForm FormOfLeftOperand(int left) {
  if (IsMonitoringItemCode(left)) return LeftOperandForm::kMonitoring;
  if (IsSignalItemCode(left) || left == kItemScenario) return LeftOperandForm::kNoOperator;
  if (IsGroupItemCode(left)) return LeftOperandForm::kMembership;
  if (IsSlotItemCode(left) && ItemIndexOf(left) == kItemParabolicPosition) return LeftOperandForm::kPosition;
  return LeftOperandForm::kComparison;
}

OperatorChoices OperatorChoicesFor(int left) {
  switch (FormOfLeftOperand(left)) {
    case LeftOperandForm::kMonitoring: return Choices(kMonitoringOperators, kOpLineExists);
    case LeftOperandForm::kMembership: return Choices(kMembershipOperators, kOpMemberOf);
    case LeftOperandForm::kPosition: return Choices(kPositionOperators, kOpSellSide);
    case LeftOperandForm::kComparison: return Choices(kComparisonOperators, kOpGreater);
    case LeftOperandForm::kNoOperator: break;
  }
  return {nullptr, 0, 0};
}

int16_t FitOperator(int left, int op) {
  const OperatorChoices choices = OperatorChoicesFor(left);
  if (choices.count == 0) return static_cast<int16_t>(op);  // not shown, kept as stored
  const int16_t* end = choices.operators + choices.count;
  return std::find(choices.operators, end, op) != end ? static_cast<int16_t>(op) : choices.fallback;
}

std::vector<ConditionItemCode> SpecialLeftOperands(const GroupTable* groups) {
  std::vector<ConditionItemCode> codes(std::begin(kSpecialLeftOperands), std::end(kSpecialLeftOperands));
  if (groups == nullptr) return codes;
  for (int g = 0; g < kNameableGroups; ++g) {
    if (groups->groups[g].automatic == 0) codes.push_back(static_cast<ConditionItemCode>(kItemGroupFirst + g));
  }
  return codes;
}

std::vector<ConditionItemCode> BuildLeftOperandList(const GroupTable* groups) {
  std::vector<ConditionItemCode> codes = GetConditionItemList();
  const std::vector<ConditionItemCode> special = SpecialLeftOperands(groups);
  codes.insert(codes.end(), special.begin(), special.end());
  return codes;
}

int ComparableSlotsFor(int left, ComparableSlot slots[2]) {
  if (FormOfLeftOperand(left) != LeftOperandForm::kComparison || !IsSlotItemCode(left)) return 0;
  const int own = ItemSlotOf(left);
  const int first = own - own % 2;  // the period's latest slot, then its previous one
  for (int i = 0; i < 2; ++i) slots[i] = {first + i, first + i != own};
  return 2;
}

std::vector<ConditionItemCode> BuildRightOperandList(int left) {
  std::vector<ConditionItemCode> codes = {kItemConstant};
  ComparableSlot slots[2];
  const int count = ComparableSlotsFor(left, slots);
  for (int i = 0; i < count; ++i) {
    const std::vector<ConditionItemCode> part =
        GetComparableItemList(MakeItemCode(slots[i].slot, ItemIndexOf(left)), slots[i].includeSelf);
    codes.insert(codes.end(), part.begin(), part.end());
  }
  return codes;
}

int16_t FitRightOperand(int left, int right) {
  const std::vector<ConditionItemCode> codes = BuildRightOperandList(left);
  return std::find(codes.begin(), codes.end(), right) != codes.end() ? static_cast<int16_t>(right)
                                                                     : static_cast<int16_t>(kItemConstant);
}

void FitConditionTerm(ConditionTerm* term) {
  term->op = FitOperator(term->left, term->op);
  if (FormOfLeftOperand(term->left) == LeftOperandForm::kComparison) {
    term->right = FitRightOperand(term->left, term->right);
  }
}

bool ShowsConstant(const ConditionTerm& term) {
  return FormOfLeftOperand(term.left) == LeftOperandForm::kComparison && term.right == kItemConstant;
}

double ParseConditionConstant(int left, const char* text) {
  if (text == nullptr) return 0.0;
  if (left == kItemStockCode) return static_cast<double>(StringToCode(text));
  const double value = atof(text);
  return std::isfinite(value) ? value : 0.0;
}

void FormatConditionConstant(int left, double constant, char* text, size_t textSize, char* unit, size_t unitSize) {
  FormatConditionItemValue(true, left, constant, text, textSize, unit, unitSize);
}
