#pragma once
// Importing the vendor's price archives into every stock, followed by the
// recomputation of the whole database.
#include <string>
#include <vector>

// How an import of archives ended; the update reports each differently.
enum ImportOutcome : int {
  kImportDone = 0,        // archives were merged and the database recomputed
  kImportNothingNew = 1,  // no archive to import
  kImportCancelled = 2,   // the user cancelled; the last price date stays
  kImportFailed = 3,      // an archive was refused, a daily file could not be written or the
                          // recomputation failed (one message was shown)
};

// What the import asks of the window layer; a null member does nothing.
struct PriceImportHooks {
  void (*refreshStockLists)();  // the chart lists, after the groups were extracted again
  void (*reloadCharts)();       // every chart of the pattern shows the stored bars again
};
extern PriceImportHooks gPriceImportHooks;

// With fromDownloadFolder non-zero every archive of "TMPDOWN\" in name
// order; with 0 the archives the user picks. Then recomputes the database
// and refreshes the charts. What it refused, the rows it skipped and a daily
// file it could not write (where it stops) are told in one message at the end.
ImportOutcome ImportDownloadedZips(int fromDownloadFolder);

// Re-reads the last twenty years from the vendor's price disc; 0 when no
// disc drive was found (or the user gave up inserting the disc), else 1.
int ReloadPricesFromDisc();

// The files of `folder` (ending with a separator) whose extension is
// `extension` (".zip"; letter case ignored; empty: every file), as full
// paths in name order.
std::vector<std::string> ListArchivesInNameOrder(const char* folder, const char* extension);
