#include "analysis/condition_items.h"

#include <algorithm>

ConditionItemCode RebaseItemCode(ConditionItemCode code, uint32_t base) {
  if (code < 0 || base == 0) return code;
  const int64_t rebased = int64_t{code} / base * kItemSlotBase + int64_t{code} % base;
  return static_cast<ConditionItemCode>(std::min<int64_t>(rebased, INT16_MAX));
}
