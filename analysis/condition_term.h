#pragma once
// One term of a condition list: "left op right", stored as a 16-byte image
// in group records, signal definitions and their files.
#include <cstddef>
#include <cstdint>

constexpr int kMaxConditionTerms = 20;

// What a term asks of its operands.
enum ConditionOperator : int16_t {
  kOpGreater = 0,
  kOpLess = 1,
  kOpGreaterOrEqual = 2,
  kOpLessOrEqual = 3,
  kOpEqual = 4,
  kOpMemberOf = 5,  // the stock is in the group named by the left operand
  kOpNotMemberOf = 6,
  kOpLineExists = 7,  // the stock has a monitoring line of the left operand's kind
  kOpLineReached = 8,
  kOpLineNotReached = 9,
  kOpBuySide = 10,   // the value is 0
  kOpSellSide = 11,  // the value is not 0
};
constexpr int kConditionOperatorCount = 12;
constexpr bool IsKnownOperator(int op) { return op >= 0 && op < kConditionOperatorCount; }
constexpr int16_t kOperandConstant = -2;   // the right operand is the constant
constexpr int16_t kOperandStockCode = -1;  // the stock code as a number

struct ConditionTerm {
  int16_t left;      // condition item code
  int16_t op;        // condition operator
  int16_t right;     // condition item code, or kOperandConstant
  int16_t reserved;  // 0
  double constant;
};
static_assert(sizeof(ConditionTerm) == 16, "ConditionTerm is 16 bytes");
static_assert(offsetof(ConditionTerm, op) == 2);
static_assert(offsetof(ConditionTerm, right) == 4);
static_assert(offsetof(ConditionTerm, reserved) == 6);
static_assert(offsetof(ConditionTerm, constant) == 8);
