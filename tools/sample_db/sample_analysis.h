#pragma once
// The analysis of a generated price database, done by the program's own
// code: a signal-settings file, every stock recomputed, the market breadth
// and the groups extracted by their conditions.
#include "analysis/signal_settings.h"

constexpr char kSampleSignalFolder[] = "PLUGIN";
constexpr char kSampleSignalFilePath[] = "PLUGIN\\sample.dat";

// Signals of prices crossing their averages and of RSI levels, of the four
// buy and sell kinds in turn. The periods the definitions read differ from
// the chart's defaults, so that their series are computed, not copied. With
// `everySeries` every series of every period is flagged with a period of
// its own, as in a file that uses them all.
void FillSampleSignalFile(SignalSettingsFile* file, int definitionCount, bool everySeries);

// For the database in the current folder (as MakeSampleDatabase leaves it):
// writes the signal file, recomputes every stock with it, finishes the
// breadth files, extracts the default groups and saves the stock table, the
// groups and the settings. 0, or 1 when something could not be written.
int AnalyseSampleDatabase();
