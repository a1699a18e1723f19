#pragma once
// Every new daily bar enters a stock's series through MergePriceBar.
#include "data/daily_files.h"
#include "data/import_bar_list.h"
#include "records/price_series.h"

void MergePriceBar(PriceBar* bar, BarSeries* series, int quoteRules, int replaceEmpty);
// Stops at the first daily file that cannot be written: false, with it in
// `failure` when given (nothing is shown); that stock's record keeps its values.
bool MergeParsedBarsIntoAllStocks(const ImportBarList& list, DailyWriteFailure* failure = nullptr);
