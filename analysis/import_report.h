#pragma once
// What an import of price archives met, archive by archive: which ones were
// refused, how many rows each skipped, and the daily file that could not be
// written; the last price date it may commit; and the one message that tells
// the user.
#include <string>
#include <vector>

#include "data/price_archives.h"

struct ArchiveRecord {
  std::string path;  // as the import opened it
  bool read;         // false until the archive was first read
  PriceZipResult result;
  int skippedRows;
  PackedDate newestReferenceDate;
};

struct ImportReport {
  std::vector<ArchiveRecord> archives;  // in the order of the import (name order)
  DailyWriteFailure writeFailure;       // error 0: every write went through
};

// An archive that was read but gave nothing: unreadable, or without a valid row.
bool IsRefusedArchive(const ArchiveRecord& record);
bool HasRefusedArchive(const ImportReport& report);
bool AnyArchiveImported(const ImportReport& report);
// The newest reference-index date of the archives imported before the first
// refused one: the last price date must not pass a day whose archive was
// refused, so that the next update imports it again. Archives are taken in
// name order, which for the vendor's names is the order of their days.
PackedDate CommittablePriceDate(const ImportReport& report);
// The message for the user (Shift-JIS); empty when there is nothing to tell.
// `fromDownloadFolder`: refused archives are read again by the next update.
std::string FormatImportReport(const ImportReport& report, bool fromDownloadFolder);
