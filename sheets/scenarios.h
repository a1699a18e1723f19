#pragma once
// Back-test scenarios: the records of "scenario.dat" (also the scenario slots
// of a signal-settings file) and the per-bar marks a scenario run leaves on a
// chart context.
#include <cstddef>
#include <cstdint>

#include "data/price_series.h"

constexpr int kScenarioSlots = 16;
constexpr int kScenarioNameSize = 64;
constexpr uint32_t kScenarioTableVersion = 1;
constexpr char kScenarioFileName[] = "scenario.dat";
constexpr uint32_t kScenarioLinkFlag = 0x1;  // write the scenario to the link files

struct ScenarioRecord {
  char name[kScenarioNameSize];  // zero-terminated
  int32_t valid;                 // in use / valid
  int32_t entrySignal;           // group or signal-definition index
  uint8_t reserved72[8];
  int32_t useExit;
  int32_t exitSignal;
  uint8_t reserved88[4];
  int32_t useLossCut;
  int32_t lossCutSignal;
  uint8_t reserved100[44];
  uint32_t flags;
  uint8_t reserved148[80];
};
static_assert(sizeof(ScenarioRecord) == 228, "ScenarioRecord is 228 bytes");
static_assert(offsetof(ScenarioRecord, valid) == 64);
static_assert(offsetof(ScenarioRecord, entrySignal) == 68);
static_assert(offsetof(ScenarioRecord, useExit) == 80);
static_assert(offsetof(ScenarioRecord, exitSignal) == 84);
static_assert(offsetof(ScenarioRecord, useLossCut) == 92);
static_assert(offsetof(ScenarioRecord, lossCutSignal) == 96);
static_assert(offsetof(ScenarioRecord, flags) == 144);

struct ScenarioTable {
  uint32_t version;  // kScenarioTableVersion
  ScenarioRecord records[kScenarioSlots];
};
static_assert(sizeof(ScenarioTable) == 3652, "scenario.dat is 3652 bytes");

// One mark per bar: -99 and -8..-1 while a position is held, -98 or 0 for
// none, and on a closing bar the index (1 or more) of the closing signal.
struct ScenarioMarkBuffer {
  uint32_t count;  // the chart's bar count, never above kMaxBars
  int8_t marks[kMaxBars];
};
static_assert(sizeof(ScenarioMarkBuffer) == 5124, "ScenarioMarkBuffer is 5124 bytes");

struct ChartContext;

extern ScenarioTable gScenarioTable;

// Empty table: every record zero, the version word set.
void ClearScenarioTable();
// Reads "scenario.dat" from the data folder; a missing file or one of another
// size leaves the table empty. Every name ends in a zero afterwards.
void LoadScenarioTable();
// Writes the table to "scenario.dat"; 0 or the file error code.
int SaveScenarioTable();

// Recomputes each scenario's valid flag and side from its signal groups.
void ComputeScenarioValidFlags();
// Runs the valid scenarios over the context's series into its mark buffers
// and value series; the last step of ComputeChartIndicators.
void SimulateScenariosForStock(StockCode code, ChartContext* context);
