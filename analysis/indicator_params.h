#pragma once
// The 55 parameters (mostly periods) of the indicators of one bar period.
#include <cstdint>

constexpr int kIndicatorParamCount = 55;

struct IndicatorParameterSet {
  uint16_t slot[kIndicatorParamCount];
};
static_assert(sizeof(IndicatorParameterSet) == 110, "IndicatorParameterSet is 110 bytes");

// Daily, weekly and monthly defaults into the three live sets.
void SetDefaultIndicatorParameters();
// The defaults of one period (0 daily, 1 weekly, 2 monthly).
IndicatorParameterSet GetDefaultIndicatorParameters(int period);
