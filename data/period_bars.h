#pragma once
// Weekly and monthly bars built from daily bars.
#include "records/price_series.h"

void BuildWeeklyBars(const BarSeries& daily, BarSeries* weekly);
int BuildMonthlyBars(const BarSeries& daily, BarSeries* monthly);
