#pragma once
// The daily price update and its variants: the program-update check, the
// master lists, the new prices (vendor archives or the broker's day), the
// import and recomputation, and the closing dialog with the newest dates.
// A cancelled or failed update ends without the closing dialog.
#include "analysis/price_import.h"
#include "common/packed_date.h"

constexpr int kResultLineCount = 3;
constexpr int kResultLineSize = 64;
constexpr int kResultButtonOk = 1;
constexpr int kResultButtonLinkFiles = 2;

// The closing dialog's date lines: prices, stock information, splits.
struct UpdateResultLines {
  char lines[kResultLineCount][kResultLineSize];
};

// What the update uses of the links, the import and the windows; tests put
// fakes in. A null window member does nothing (no dialog: button 1).
struct PriceUpdateServices {
  void (*runOnlineUpdate)();
  int (*closeAllStockSheets)();  // non-zero when no sheet is left open
  void (*downloadStockInfoFiles)(int* kenListNew, int* stockInfoNew, int mode);
  void (*downloadSellerMasterLists)(int* kenListNew, int* stockInfoNew);
  int (*downloadNewPriceFiles)(int* fileCount);
  int (*showDataSourceDialog)(int page);
  ImportOutcome (*importDownloadedZips)(int fromDownloadFolder);
  void (*brokerDownloadTodayPrices)(int* stockCount);
  int (*exportRobotLinkFiles)();
  bool (*recomputeIndicatorsAndGroups)();  // false when cancelled
  // From the windows.
  int (*showResultDialog)(const UpdateResultLines& lines);  // the button that closed it
  void (*showWaitCursor)(bool wait);
  void (*closeMainWindow)();  // ends the program so that the prepared update installs
};

extern PriceUpdateServices gPriceUpdateServices;

// ---- Pieces the commands are built from ----------------------------------

// The 1st of the month three months before today's (January 2027 gives 2026-10-01).
PackedDate ThreeMonthsBackStart(PackedDate today);
// The 1st of today's month twenty years ago.
PackedDate TwentyYearsBackStart(PackedDate today);
// "%d/%d/%d  " of the date, followed by "* new *" when something new arrived.
void FormatResultLine(PackedDate date, bool isNew, char* out, int size);
// True when a scenario of the scenario table asks for the link files (button 2).
bool AnyScenarioWritesLinkFiles();

// ---- The commands ----------------------------------------------------------

// The whole chain.
void UpdateLatestPrices();
// Without dialogs, for the first-run set-up; the download's result code.
int DownloadAndImportPrices(int* fileCount);
// Set the last price date back, then UpdateLatestPrices.
void UpdatePricesFromThreeMonthsAgo();
void UpdatePricesFromTwentyYearsAgo();
// The two lists only; with showResult the recomputation and the closing dialog.
void UpdateStockInfoOnly(int showResult);
// The lists from the seller's support server, then as UpdateStockInfoOnly (1).
void UpdateStockInfoFromSupportServer();
// Reads ken.dat and the master again, takes the last price date from the
// reference index's stored bars and recomputes everything.
void ReloadMasterData();
// Routes the update family and the master-data tools; non-zero when it took the id.
int RunPriceUpdateCommand(int commandId);
