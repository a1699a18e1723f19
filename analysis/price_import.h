#pragma once
// Importing the vendor's price archives into every stock, followed by the
// recomputation of the whole database.

// How an import of archives ended; the update reports each differently.
enum ImportOutcome : int {
  kImportDone = 0,        // archives were merged and the database recomputed
  kImportNothingNew = 1,  // no archive to import
  kImportCancelled = 2,   // the user cancelled; the last price date stays
  kImportFailed = 3,      // an archive or the recomputation failed (a message was shown)
};

// With fromDownloadFolder non-zero every archive of "TMPDOWN\" in name
// order; with 0 the archives the user picks. Then recomputes the database
// and refreshes the charts.
ImportOutcome ImportDownloadedZips(int fromDownloadFolder);
