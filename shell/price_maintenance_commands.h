#pragma once
// The data menu's repairs of the price database: bars dated after today
// removed, one date deleted from every stock, a restore from a price backup,
// the stocks with long gaps named, a stock master file applied. Each asks
// first, tells its result in a box and, when prices changed, recomputes and
// shows the charts at their newest bars.
#include "common/packed_date.h"

// What the commands use of the windows; tests put fakes in. A null member
// answers "cancel".
struct MaintenanceServices {
  PackedDate (*askDeleteDate)();  // the delete-date dialog: the date, or 0
  // The backup list dialog over `count` folder names (newest first): the
  // chosen index, or -1.
  int (*chooseBackup)(const char* const* names, int count);
  void (*showWaitCursor)(bool wait);
  bool (*recomputeIndicatorsAndGroups)();
};

extern MaintenanceServices gMaintenanceServices;

void RemoveFutureDatedBars();
void PromptDeleteBarsAtDate();
void RestoreFromPriceBackup();
void ReportLongDailyGaps();
void ImportStockMasterFromFile();
// Routes the five commands; non-zero when it took the id. In time-back mode
// every one but the gap report only refreshes the menus: the series are cut
// there and the mode's tables are thrown away on leaving.
int RunPriceMaintenanceCommand(int commandId);
