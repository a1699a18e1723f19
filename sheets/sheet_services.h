#pragma once
// What the rest of the program uses of the stock sheets and the trade
// simulator: the back-test switches, the trade highlight and a few commands.
#include <cstdint>

#include "analysis/chart_indicators.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "common/packed_date.h"
#include "common/stock_code.h"

// The trade picked in the simulator's trade list; a price of -1 means none.
extern int gTradeMarkShown;
extern StockCode gTradeMarkCode;
extern PackedDate gTradeMarkDate1;
extern int32_t gTradeMarkPrice1;
extern PackedDate gTradeMarkDate2;
extern int32_t gTradeMarkPrice2;

// The record whose name the record-name dialog edits; null when none.
extern ScenarioRecord* gEditedRecord;

// Non-zero when no stock sheet is left open; 0 when the user cancelled or a save failed.
int CloseAllStockSheets();
// Opens the files of a drop (the window message's drop handle).
void OpenDroppedSheetFiles(void* dropHandle);
// Writes the two link files of the auto-trading product; 1 when both were written.
int ExportRobotLinkFiles();
// Whole calendar days from the first date to the second (negative when it lies before).
int GetDaysBetweenDates(PackedDate date1, PackedDate date2);
void ClearEditedRecordPointer();
