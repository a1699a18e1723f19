#pragma once
// The table of every stock's trend lines, its undo copy, the line that the
// pop-up menu and the tracker act on, and the file "tline.dat".
#include "records/trend_line_record.h"

constexpr char kTrendLineFileName[] = "tline.dat";

extern TrendLineTable* gTrendLines;      // allocated at start-up, lives until exit
extern TrendLineTable* gTrendLinesUndo;  // the table as it was before the last deletion
extern int gSelectedTrendLine;           // -1 when none

// Allocates whatever of the two tables is missing, zero-filled; false when memory is short.
bool AllocTrendLineTables();
void FreeTrendLineTables();
// Writes the table to "tline.dat" in the data folder; 0 or the error.
int SaveTrendLines();
