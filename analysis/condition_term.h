#pragma once
// One term of a condition list: "left op right", stored as a 16-byte image
// in group records, signal definitions and their files.
#include <cstddef>
#include <cstdint>

constexpr int kMaxConditionTerms = 20;
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
static_assert(offsetof(ConditionTerm, right) == 4);
static_assert(offsetof(ConditionTerm, constant) == 8);
