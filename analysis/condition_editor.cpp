#include "analysis/condition_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

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

constexpr size_t kCodeLength = 4;
constexpr char kNotAStockCodeText[] = "銘柄コードは 7203 のように、半角の数字か英大文字４文字で入力してください。";
constexpr char kNotANumberText[] = "比較する値は、半角の数字で入力してください。";
constexpr char kOutOfRangeText[] = "比較する値は %.0f ～ %.0f の範囲で入力してください。";

std::string WithoutSurroundingBlanks(const char* text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  const char* first = text;
  while (isBlank(*first)) ++first;
  const char* last = first + strlen(first);
  while (last > first && isBlank(last[-1])) --last;
  return std::string(first, last);
}

// A plain decimal with an optional sign, fraction and exponent; not the
// infinities, not-a-numbers and hexadecimals strtod also reads.
bool ReadDecimalNumber(const std::string& text, double* number) {
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  *number = strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

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

ConstantRefusal ParseConditionConstant(int left, const char* text, double* value) {
  const std::string typed = WithoutSurroundingBlanks(text != nullptr ? text : "");
  if (left == kItemStockCode) {
    const StockCode code = StringToCode(typed.c_str());
    if (typed.size() != kCodeLength || !IsValidCodeText(code)) return ConstantRefusal::kNotAStockCode;
    *value = static_cast<double>(code);
    return ConstantRefusal::kNone;
  }
  double number = 0.0;
  if (!ReadDecimalNumber(typed, &number)) return ConstantRefusal::kNotANumber;
  const ConstantRange range = GetConstantRange(left);
  // An exponent beyond a double reads as an infinity: out of range too.
  if (!(number >= range.lowest && number <= range.highest)) return ConstantRefusal::kOutOfRange;
  *value = number;
  return ConstantRefusal::kNone;
}

void FormatConstantRefusal(int left, ConstantRefusal refusal, char* text, size_t size) {
  const ConstantRange range = GetConstantRange(left);
  switch (refusal) {
    case ConstantRefusal::kNone: snprintf(text, size, "%s", ""); return;
    case ConstantRefusal::kNotAStockCode: snprintf(text, size, "%s", kNotAStockCodeText); return;
    case ConstantRefusal::kNotANumber: snprintf(text, size, "%s", kNotANumberText); return;
    case ConstantRefusal::kOutOfRange: snprintf(text, size, kOutOfRangeText, range.lowest, range.highest); return;
  }
}

void FormatConditionConstant(int left, double constant, char* text, size_t textSize, char* unit, size_t unitSize) {
  FormatConditionItemValue(true, left, constant, text, textSize, unit, unitSize);
}
