#include "sheets/sheet_services.h"

int gTradeMarkShown = 0;
StockCode gTradeMarkCode = 0;
PackedDate gTradeMarkDate1 = 0;
int32_t gTradeMarkPrice1 = -1;
PackedDate gTradeMarkDate2 = 0;
int32_t gTradeMarkPrice2 = -1;

ScenarioRecord* gEditedRecord = nullptr;

// No stock sheet can be open yet.
int CloseAllStockSheets() { return 1; }

void OpenDroppedSheetFiles(void* /*dropHandle*/) {}

int ExportRobotLinkFiles() { return 0; }

int GetDaysBetweenDates(PackedDate date1, PackedDate date2) {
  return static_cast<int>(PackedDateToDays(date2) - PackedDateToDays(date1));
}

void ClearEditedRecordPointer() { gEditedRecord = nullptr; }
