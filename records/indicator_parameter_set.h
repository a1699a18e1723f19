#pragma once
// The 55 parameters (mostly periods) of the indicators of one bar period, as
// stored in the settings and in signal-settings files.
#include <cstdint>

constexpr int kIndicatorParamCount = 55;

struct IndicatorParameterSet {
  uint16_t slot[kIndicatorParamCount];
};
static_assert(sizeof(IndicatorParameterSet) == 110, "IndicatorParameterSet is 110 bytes");
