#pragma once
// Back-test scenarios: the table of "scenario.dat" and the per-bar marks a
// scenario run leaves on a stock's series.
#include "analysis/chart_series.h"
#include "records/scenario_record.h"

constexpr char kScenarioFileName[] = "scenario.dat";
constexpr uint32_t kScenarioLinkFlag = 0x1;  // write the scenario to the link files

extern ScenarioTable gScenarioTable;

// Empty table: every record zero, the version word set.
void ClearScenarioTable();
// 0 while a save may write "scenario.dat"; else why the load kept it (it
// could not be read, or was damaged and could not be set aside).
extern int gScenarioFileKeptBy;

// Reads "scenario.dat" from the data folder; a missing or unreadable file, or
// one of another size or version, leaves the table empty, and such a damaged
// file is set aside (SetDamagedFileAside). Every name ends in a zero, after
// a whole character, afterwards.
void LoadScenarioTable();
// Writes the table to "scenario.dat"; 0 or the file error code, or without
// writing the reason the load kept the file.
int SaveScenarioTable();

// Recomputes each scenario's valid flag and side from its signal groups.
void ComputeScenarioValidFlags();
// Runs the valid scenarios over the context's series into its mark buffers
// and value series; the last step of ComputeChartIndicators.
void SimulateScenariosForStock(StockCode code, ChartSeriesSet* series);
// Hands SimulateScenariosForStock to the indicator engine (at start-up).
void InstallScenarioHooks();
