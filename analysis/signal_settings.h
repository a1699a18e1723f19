#pragma once
// The signal-settings file: its own indicator parameters, which series its
// signal definitions need, the definitions and the back-test scenarios.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/condition_term.h"
#include "analysis/indicator_params.h"
#include "records/scenario_record.h"

constexpr uint32_t kSignalSettingsTag = 0x03160002;
constexpr int kSeriesUseFlagCount = 45;
constexpr int kMaxSignalDefinitions = 12;
constexpr int kSignalDescriptionSize = 512;
constexpr int kSignalNameSize = 64;
constexpr uint32_t kSignalItemBase = 91;     // slot base of the item codes in the current format
constexpr uint32_t kOldSignalItemBase = 50;  // that of files without a base field
// Signal files live in this folder of the data folder.
constexpr char kSignalFolder[] = "PLUGIN\\";

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
  uint32_t itemBase;      // kSignalItemBase
  int32_t scenarioCount;  // 0..16
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

// Older files end before the version field, or before the scenarios.
constexpr int64_t kSignalFileSizeWithoutVersion = offsetof(SignalSettingsFile, programVersion);
constexpr int64_t kSignalFileSizeWithoutScenarios = offsetof(SignalSettingsFile, scenarioCount);

// The image of the loaded signal file, cleared when none is loaded.
extern SignalSettingsFile gSignalSettingsImage;
// The signal file in use: gSignalSettingsImage unless a tool points it at
// an image of its own; null or no definitions means no signal file.
extern SignalSettingsFile* gSignalSettings;

// A signal file of one of the three sizes, with the tag and sound counts,
// item codes and base, converted to the current layout into `image` with
// every text ended within its field: 0, -1 for a file that is not a sound
// signal file, or a read error. On failure `image` stays as it was. The one
// rule for every signal file: the folder's list, the chooser, start-up and
// the editor's import all read through it.
int ReadSignalSettingsFile(const char* path, SignalSettingsFile* image);
// The description and every name ended within its field (cut at a whole
// character).
void TerminateSignalFileTexts(SignalSettingsFile& file);
// A file that ReadSignalSettingsFile takes (path relative to the data folder).
bool IsValidSignalSettingsFile(const char* path);
// Loads the file named by gSignalFileName into gSignalSettingsImage: 0, -1
// for a file that is not a sound signal file, or a read error. On failure
// the image stays as it was.
int ReloadSignalSettingsFile();
// At start-up: the saved file, else the first loadable one of the folder,
// else none (name and image cleared).
void LoadFirstSignalSettingsFile();
// Makes a file of the folder the loaded one; when it cannot be loaded no
// signal file stays loaded at all.
bool ChooseSignalSettingsFile(const char* name);
// The names of the valid files of the folder, in directory order.
void ListSignalSettingsFiles(std::vector<std::string>* names);
