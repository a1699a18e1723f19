#pragma once
// The table of every stock's trend lines, its undo copy, the line that the
// pop-up menu and the tracker act on, and the file "tline.dat" with its three
// rotating backups. Every operation that changes the table saves it.
#include <cstddef>
#include <cstdint>

#include "records/trend_line_record.h"

constexpr char kTrendLineFileName[] = "tline.dat";
constexpr char kDefaultTrendLineFilePath[] = "DEFAULTDATA\\tline.dat";
constexpr int kTrendLineBackupCount = 3;
extern const char* const kTrendLineBackupPaths[kTrendLineBackupCount];  // "BACKUP\tline01.dat" newest first

extern TrendLineTable* gTrendLines;      // allocated at start-up, lives until exit
extern TrendLineTable* gTrendLinesUndo;  // the table as it was before the last deletion
extern int gSelectedTrendLine;           // -1 when none
// Set by the mouse code while the record at index `count` is a new line
// being drawn: the scales then make room for it too.
extern int gTrendLineBeingDrawn;

// Lines of pane kind `lineKind` show on a pane of kind `paneKind`: the two
// price panes share their lines, every other pane has its own.
constexpr bool TrendLineFitsPane(int paneKind, int lineKind) {
  const bool pricePane = paneKind == 0 || paneKind == 1;
  return pricePane ? lineKind == 0 || lineKind == 1 : lineKind == paneKind;
}

// A line between two points as a new one is drawn: width 2, a notice when
// reached, the value label on the right, on a daily pane of kind 0.
TrendLine NewTrendLine(uint32_t code, uint32_t date1, int32_t value1, uint32_t date2, int32_t value2);

// Allocates whatever of the two tables is missing, zero-filled; false when memory is short.
bool AllocTrendLineTables();
void FreeTrendLineTables();

// Start-up: allocates both tables and fills the live one from "tline.dat";
// when that file is unusable, from the first usable backup, then from the
// default table (its lines marked as such). A damaged file is set aside
// (SetDamagedFileAside) and nothing is written here. False only when the
// tables cannot be allocated.
bool LoadTrendLines();
// Writes "tline.dat", then rotates the backups (tline01 is this table, the
// older ones move down one place, each move replacing its target). Without
// a new "tline.dat" the backups stay as they are. 0 or the first error; a
// failed write is told in the error box.
int SaveTrendLines();
// The save at shut-down, telling nothing (the exit names every file it
// could not write at once); skipped while the table is one that start-up took
// from a backup or the defaults and nothing has changed it since, so that a
// main file that was only held by another program is not replaced.
int SaveTrendLinesAtExit();

// A file image of an accepted size (the current one or the older 76-byte
// records) into `table`: converted, codes made current, every value brought
// into range. False, with the table emptied, for any other size or a count
// outside 0..10000.
bool ReadTrendLineImage(const uint8_t* bytes, size_t size, TrendLineTable* table);
// The older 760008-byte image into a current table.
void ConvertOldTrendLineTable(const uint8_t* oldImage, TrendLineTable* table);
// Width 0 reads as 2: every record of the table that has it gets 2.
void SetDefaultTrendLineWidths(TrendLineTable* table);

// keep 0 clears every mark first; then line `index` (when counted) is marked.
void MarkTrendLine(int index, int keep);
// Removes the marked lines in one pass (the table before goes to the undo
// copy), renumbers the tracker steps of their stocks, updates the group
// memberships of their stocks when asked, and saves. 1 when a line went.
int DeleteMarkedTrendLines(int updateGroups);
// The in-memory part of a deletion, in one pass: the marked lines go, the
// tracker steps of their stocks are renumbered as if they went one by one in
// table order (deleting step n lowers every higher step of the stock), and
// `newIndexOfOld` (one entry per line before) gets where each line went, -1
// for the removed ones. Returns how many went.
int CompactMarkedTrendLines(TrendLineTable* table, int32_t* newIndexOfOld);
// Marks exactly the n lines whose later date is earliest, of equal dates the
// one nearest the end first; all of them when n is at least the count.
void MarkEarliestEndingTrendLines(TrendLineTable* table, int n);
// Removes the n lines whose later date is earliest (of equal dates the one
// nearest the end first) through DeleteMarkedTrendLines; all of them when
// n is at least the count.
int TrimTrendLines(int n);
// Puts the lines the last deletion removed back at the end, marked; stops
// with a message when the table fills. 1 when the undo copy was used.
int UndoTrendLineDeletion();

// The operations of the trend-line pop-up; those without an index act on
// gSelectedTrendLine and do nothing when it names no line.
void ToggleTrendLineLock();
void SetMonitorKind(int index, int kind);
void SetTrendLineValueLabelSide(int side);
void SetTrendLineWidth(int width);  // also the width of new lines
void ToggleTrendLineNotice();
// Both values of the line become `value` (it becomes horizontal).
void SetTrendLineValue(int index, int32_t value);

bool IsTrendLineIndex(int index);
