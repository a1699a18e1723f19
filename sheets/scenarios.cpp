#include "sheets/scenarios.h"

#include <algorithm>
#include <cstring>

#include "analysis/analysis_hooks.h"
#include "common/file_io.h"
#include "common/sjis_text.h"
#include "common/app_globals.h"

ScenarioTable gScenarioTable = {kScenarioTableVersion, {}};

void ClearScenarioTable() {
  gScenarioTable = ScenarioTable{};
  gScenarioTable.version = kScenarioTableVersion;
}

int gScenarioFileKeptBy = 0;

namespace {

// What a load found: a file of another size or version is damaged.
LoadedFile ReadScenarioFile(ScenarioTable* read, int* error) {
  uint32_t bytes = 0;
  *error = LoadFileToBufferEx(kScenarioFileName, read, sizeof *read, &bytes);
  const LoadedFile outcome = ClassifyLoadError(*error);
  if (outcome != LoadedFile::kTaken) return outcome;
  if (bytes == 0) return LoadedFile::kMissing;
  if (bytes != sizeof *read || read->version != kScenarioTableVersion) return LoadedFile::kDamaged;
  return LoadedFile::kTaken;
}

}  // namespace

void LoadScenarioTable() {
  ScenarioTable read{};
  int error = 0;
  MakeDataFolderCurrent();
  const LoadedFile outcome = ReadScenarioFile(&read, &error);
  // A damaged file goes out of the way, so that the next save cannot replace it.
  gScenarioFileKeptBy = KeepErrorAfterLoad(kScenarioFileName, outcome, error);
  if (outcome != LoadedFile::kTaken) {
    ClearScenarioTable();
    return;
  }
  for (ScenarioRecord& record : read.records) TerminateTextField(record.name, kScenarioNameSize);
  gScenarioTable = read;
}

int SaveScenarioTable() {
  if (gScenarioFileKeptBy != 0) return gScenarioFileKeptBy;
  MakeDataFolderCurrent();
  return SaveBufferToFile(kScenarioFileName, &gScenarioTable, sizeof gScenarioTable);
}

// The simulator will set the flags from the groups; nothing to do before it exists.
void ComputeScenarioValidFlags() {}

namespace {

void ClearMarks(ScenarioMarkBuffer* marks, int count) {
  marks->count = static_cast<uint32_t>(count);
  std::memset(marks->marks, 0, static_cast<size_t>(count));
}

void ClearValues(IntSeries* values, int count) {
  values->count = count;
  std::memset(values->values, 0, sizeof(int32_t) * static_cast<size_t>(count));
}

}  // namespace

// Until the simulator exists: no position on any bar of the daily series.
void SimulateScenariosForStock(StockCode /*code*/, ChartSeriesSet* context) {
  const int count = std::clamp<int32_t>(context->periods[0].bars->count, 0, kMaxBars);
  for (int slot = 0; slot < kScenarioSlots; ++slot) {
    ClearMarks(context->fileMarks[slot], count);
    ClearMarks(context->tableMarks[slot], count);
    ClearValues(context->fileValues[slot], count);
    ClearValues(context->tableValues[slot], count);
  }
}

namespace {

const ScenarioRecord* TableScenarios() { return gScenarioTable.records; }

}  // namespace

void InstallScenarioHooks() {
  gAnalysisHooks.simulateScenarios = SimulateScenariosForStock;
  gAnalysisHooks.tableScenarios = TableScenarios;
}
