#pragma once
// Repairs of bars read from the data files.
#include "records/price_series.h"

// Prices below 1 become 1; volumes stay.
void RaisePricesToOne(BarSeries* series);
