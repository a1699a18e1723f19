#pragma once
// The signal-settings file: its own indicator parameters, which series its
// signal definitions need, the definitions and the back-test scenarios.
#include <cstddef>
#include <cstdint>

#include "analysis/condition_term.h"
#include "analysis/indicator_params.h"
#include "records/scenario_record.h"

constexpr uint32_t kSignalSettingsTag = 0x03160002;
constexpr int kSeriesUseFlagCount = 45;
constexpr int kMaxSignalDefinitions = 12;
constexpr int kSignalDescriptionSize = 512;
constexpr int kSignalNameSize = 64;

// Entries of SeriesUseFlags: one indicator series group (or line) each.
enum SeriesUseEntry : int {
  kUsePriceAverage0 = 0,   // 0-5
  kUseVolumeAverage0 = 6,  // 6-7
  kUseRsi0 = 8,            // 8-10
  kUseRci0 = 11,           // 11-13
  kUseDeviation0 = 14,     // 14-16
  kUseStochastics = 17,
  kUseMacd = 18,
  kUseDmi = 19,
  kUseSroc = 20,
  kUsePsychological0 = 21,  // 21-23
  kUseObv = 24,
  kUseBollinger = 25,
  kUseParabolic = 26,
  kUseVolumeRatio = 27,
  kUseAdvanceDecline = 28,
  kUsePriceRange0 = 29,  // 29-34
};

// Flag k = 1: series group k must be computed for one bar period.
struct SeriesUseFlags {
  int32_t flags[kSeriesUseFlagCount];
};
static_assert(sizeof(SeriesUseFlags) == 180, "SeriesUseFlags is 180 bytes");

struct SignalDefinition {
  char name[kSignalNameSize];
  uint16_t marketMask;
  int16_t termCount;  // 0..20
  uint8_t reserved68[4];
  ConditionTerm terms[kMaxConditionTerms];
  int32_t kind;  // SignalKind
  uint8_t reserved396[4];
};
static_assert(sizeof(SignalDefinition) == 400, "SignalDefinition is 400 bytes");
static_assert(offsetof(SignalDefinition, marketMask) == 64);
static_assert(offsetof(SignalDefinition, termCount) == 66);
static_assert(offsetof(SignalDefinition, terms) == 72);
static_assert(offsetof(SignalDefinition, kind) == 392);

struct SignalSettingsFile {
  uint32_t tag;  // kSignalSettingsTag
  char description[kSignalDescriptionSize];
  IndicatorParameterSet params[3];  // daily, weekly, monthly
  uint8_t reserved846[2];
  SeriesUseFlags useFlags[3];  // daily, weekly, monthly
  int32_t definitionCount;     // 0..12
  SignalDefinition definitions[kMaxSignalDefinitions];
  uint32_t programVersion;
  uint32_t itemBase;
  int32_t scenarioCount;
  int32_t scenarioSet;
  ScenarioRecord scenarios[kScenarioSlots];
};
static_assert(sizeof(SignalSettingsFile) == 9856, "a signal-settings file is 9856 bytes");
static_assert(offsetof(SignalSettingsFile, description) == 4);
static_assert(offsetof(SignalSettingsFile, params) == 516);
static_assert(offsetof(SignalSettingsFile, useFlags) == 848);
static_assert(offsetof(SignalSettingsFile, definitionCount) == 1388);
static_assert(offsetof(SignalSettingsFile, definitions) == 1392);
static_assert(offsetof(SignalSettingsFile, programVersion) == 6192);
static_assert(offsetof(SignalSettingsFile, itemBase) == 6196);
static_assert(offsetof(SignalSettingsFile, scenarioCount) == 6200);
static_assert(offsetof(SignalSettingsFile, scenarioSet) == 6204);
static_assert(offsetof(SignalSettingsFile, scenarios) == 6208);

// The loaded signal file; null when none is loaded.
extern SignalSettingsFile* gSignalSettings;
