#pragma once
// What the condition editor offers for one term: the operators and the
// right-hand operands a left operand allows, the operator or operand a term
// falls back on when it has none of them, and the typed constant.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/condition_term.h"
#include "analysis/group_store.h"

// How the editor shows a term with this left operand.
enum class LeftOperandForm : int {
  kComparison,  // operator 0..4, right operand, constant when the right is the constant
  kPosition,    // parabolic position: buy or sell
  kMembership,  // belongs or not to a group
  kMonitoring,  // a monitoring line exists, is reached, is not reached
  kNoOperator,  // a signal or a scenario: the left operand alone
};
LeftOperandForm FormOfLeftOperand(int left);

// The operators of a form in the order the editor lists them; empty for kNoOperator.
struct OperatorChoices {
  const int16_t* operators;
  int count;
  int16_t fallback;  // what an operator outside the list becomes
};
OperatorChoices OperatorChoicesFor(int left);
// The operator kept when it is one the left operand allows, else its fallback.
int16_t FitOperator(int left, int op);

// The left operands after the items of the display order: the monitoring
// lines, the signals up to -308, the scenario, then the membership of every
// manual group that a code can name (0..99) in `groups`.
std::vector<ConditionItemCode> SpecialLeftOperands(const GroupTable* groups);
// The items of the display order, then the special ones.
std::vector<ConditionItemCode> BuildLeftOperandList(const GroupTable* groups);

// The slots whose comparable items follow the constant in the right-hand
// list: both slots of the left item's period, the left item itself only in
// the slot it is not in.
struct ComparableSlot {
  int slot;
  bool includeSelf;
};
int ComparableSlotsFor(int left, ComparableSlot slots[2]);
// The constant, then the comparable items of those slots.
std::vector<ConditionItemCode> BuildRightOperandList(int left);
// A right operand kept when the list for `left` offers it, else the constant.
int16_t FitRightOperand(int left, int right);
// Operator and right operand made to fit the left operand.
void FitConditionTerm(ConditionTerm* term);
// The constant edit is shown only for a comparison with the constant.
bool ShowsConstant(const ConditionTerm& term);

// Why a typed constant is not taken.
enum class ConstantRefusal : int { kNone, kNotANumber, kOutOfRange, kNotAStockCode };
// The typed constant into *value: four code characters (digits or capital
// letters) packed for the stock-code operand, else a decimal number within
// the item's range (GetConstantRange), blanks around either. Refused, *value
// stays as it was.
ConstantRefusal ParseConditionConstant(int left, const char* text, double* value);
// The message that tells the user what to type instead.
void FormatConstantRefusal(int left, ConstantRefusal refusal, char* text, size_t size);
// The constant as the edit shows it, with its unit apart.
void FormatConditionConstant(int left, double constant, char* text, size_t textSize, char* unit, size_t unitSize);
