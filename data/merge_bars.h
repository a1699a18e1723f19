#pragma once
// Every new daily bar enters a stock's series through MergePriceBar.
#include "data/import_bar_list.h"
#include "records/price_series.h"

void MergePriceBar(PriceBar* bar, BarSeries* series, int quoteRules, int replaceEmpty);
void MergeParsedBarsIntoAllStocks(const ImportBarList& list);
