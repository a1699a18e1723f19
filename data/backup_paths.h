#pragma once
// Where the newest price backup keeps its copy of a stock's daily file.
#include "common/stock_code.h"

constexpr int kBackupPathSize = 260;
constexpr int kBackupStampLength = 15;  // YYYYMMDD_HHMMSS

// True for a folder name of the form YYYYMMDD_HHMMSS.
bool IsBackupFolderName(const char* name);

// The folder that holds the dated backup folders (Shift-JIS); empty when there
// is none. Set by the backup feature at start-up.
extern char gBackupRootFolder[kBackupPathSize];

// Fills `path` with the stock's file in the "DAY" folder of the newest backup
// when that file exists; otherwise leaves `path` unchanged and returns false.
bool FindBackupDailyFile(StockCode code, char* path, int size);
