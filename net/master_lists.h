#pragma once
// The downloaded master lists "newken.txt" (ex-rights entries) and
// "pinfo.txt" (stock information) applied to "BASEDATA\ken.dat" and
// "BASEDATA\stockinf.dat", and the master-data tools of the developer menu.
// A list that is refused (see master_list_checks.h) leaves both files, the
// table and the record of applied lists as they were, after telling the user.
// Before a list replaces its file, the file is copied into "PrevProcessedData\"
// (the ".bak" paths below), so that a bad list can be undone by hand.
#include <string>

#include "data/ken_table.h"
#include "data/stock_table.h"
#include "net/master_list_checks.h"
constexpr char kNewDataFolder[] = "NEWDATA2026\\";
constexpr char kNewKenListPath[] = "NEWDATA2026\\newken.txt";
constexpr char kPinfoListPath[] = "NEWDATA2026\\pinfo.txt";
constexpr char kPrevKenListPath[] = "PrevProcessedData\\ken.txt";
constexpr char kPrevPinfoListPath[] = "PrevProcessedData\\pinfo.txt";
constexpr char kKenBackupPath[] = "PrevProcessedData\\ken.dat.bak";
constexpr char kStockMasterBackupPath[] = "PrevProcessedData\\stockinf.dat.bak";

// Lines of a text: each CR LF, CR or LF ends one, and text after the last end is one more.
int CountListLines(const char* text, int length);
// The ratio field of shares after the split for one before (1.2 gives 20):
// the factor in hundredths rounded; false when r is not below 10000 or the
// factor rounds to 0 (r below 0.005), which would adjust nothing.
bool SharesToKenRatio(double shares, int32_t* ratio);
// The lists read from their CR-converted text into a zero-filled table or
// master, which hold what fits; the number of lines of the list's own format
// (newken: lines that gave an entry; pinfo: lines with a code and a market).
// A later "cdvs" line of a code replaces its record, as the merge would.
int ReadNewkenList(const std::string& converted, KenTable* table);
int ReadPinfoList(const std::string& converted, StockMasterFile* master);

// 1 when applied; 0 when refused, unchanged (unless forced) or not saved.
int ApplyNewkenList(const char* text, int length, int force);
int ApplyPinfoList(const char* text, int length, int force);
// Applies each list of "NEWDATA2026\" that exists; 0 for an absent or unreadable one.
void ApplyNewDataFolderLists(int* kenResult, int* pinfoResult, int force);
// Creates "NEWDATA2026\" when missing and empties it.
void ClearNewDataFolder();
// Deletes the files of a folder (path ending in '\'), not its subfolders.
void DeleteAllFilesInFolder(const char* folder);

// The text forms of the two files: a header line and one CR LF line per record.
std::string FormatKenText(const KenTable& table);
// Fills a zero-filled table from the text (header and other lines skipped); the record count.
int ParseKenText(const char* text, int length, KenTable* table);
std::string FormatStockMasterText(const StockMasterFile& master);

// The developer menu's tools; each reports its own failures.
void ExportKenText();
void ImportKenText();
void ExportStockMasterText();
void ImportStockMasterText();
void CreateStockMasterFromVendor();
