#pragma once
// Back-test scenarios as stored: the records of "scenario.dat", also the
// scenario slots of a signal-settings file.
#include <cstddef>
#include <cstdint>

constexpr int kScenarioSlots = 16;
constexpr int kScenarioNameSize = 64;

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

constexpr uint32_t kScenarioTableVersion = 1;

struct ScenarioTable {
  uint32_t version;  // kScenarioTableVersion
  ScenarioRecord records[kScenarioSlots];
};
static_assert(sizeof(ScenarioTable) == 3652, "scenario.dat is 3652 bytes");
