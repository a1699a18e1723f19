#pragma once
// The 55 parameters (mostly periods) of the indicators of one bar period.
#include "records/indicator_parameter_set.h"

// Daily, weekly and monthly defaults into the three live sets.
void SetDefaultIndicatorParameters();
// The defaults of one period (0 daily, 1 weekly, 2 monthly).
IndicatorParameterSet GetDefaultIndicatorParameters(int period);
