#pragma once
// The vendor's price archives: one price text as the first member of a zip
// archive (or a plain text under an archive's name), imported into every
// stock; and the vendor's price disc in an optical drive.
#include <cstdint>

#include "common/packed_date.h"
#include "data/daily_files.h"

constexpr int kDriveTypeCdrom = 5;  // as the system numbers drive types

struct PriceDiscHooks {
  // The system's type of drive "X:\"; null: no drive is optical.
  int (*driveType)(char letter);
};
extern PriceDiscHooks gPriceDiscHooks;

// The price text of an archive: its first member, or, for a file that is
// no zip archive, the file itself. A zip archive whose member does not
// unpack whole and intact gives nothing, never part of its text. `name`
// receives the member's name, or the file's for a plain text. A new block
// (FreeBlock) with a terminating zero; null when nothing usable was read.
char* LoadPriceArchiveText(const char* path, char* name, int nameSize, uint32_t* size);

// Parses one archive and merges it into every stock (only those of the
// cache's window while it holds one). Committing the newest reference-index
// date to the last price date is the caller's part.
enum class PriceZipResult {
  kImported,     // its valid rows were merged
  kUnreadable,   // no price text could be read from the file
  kNoValidRow,   // its text held no row that passed the rules: nothing was merged
  kWriteFailed,  // a daily file could not be written; the import stops
  kStopped,      // cancelled, or the import list could not be allocated (after a beep)
};
struct PriceZipImport {
  PriceZipResult result;
  int skippedRows;  // data lines refused by the row rules
  PackedDate newestReferenceDate;
  DailyWriteFailure writeFailure;
};
PriceZipImport ImportPriceZip(const char* path);

// "X:\株価データ\2005\200503.zip" for the month's archive on the disc.
void FormatDiscMonthPath(char letter, int year, int month, char* out, int size);
// The month's archive of the disc; kUnreadable also when memory is short.
PriceZipImport ImportDiscMonthZip(char letter, int year, int month);
// The first optical drive's letter; false when there is none.
bool FindOpticalDrive(char* letter);
// The optical drive holding the price disc, asking for it until it is
// inserted; false when there is no optical drive or the user cancels.
bool FindPriceDiscDrive(char* letter);
