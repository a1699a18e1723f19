#include "analysis/signal_file_editor.h"

#include <algorithm>
#include <cstring>

#include "analysis/condition_items.h"
#include "analysis/group_move_copy.h"
#include "analysis/series_use_flags.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/sjis_text.h"

namespace {

void ClearCopyMarks(SignalFileEditor& editor) {
  std::fill(std::begin(editor.groupSlots), std::end(editor.groupSlots), int16_t{-1});
  std::fill(std::begin(editor.scenarioSlots), std::end(editor.scenarioSlots), int16_t{-1});
}

int SignalCount(const SignalFileEditor& editor) {
  return std::clamp(editor.image.definitionCount, 0, kMaxSignalDefinitions);
}

int ScenarioCount(const SignalFileEditor& editor) { return std::clamp(editor.image.scenarioCount, 0, kScenarioSlots); }

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

// A reference after slot `removed` went: -1 for it, one less above it.
int32_t RenumberedReference(int32_t reference, int removed) {
  if (reference == removed) return -1;
  return reference > removed ? reference - 1 : reference;
}

// Marks that named `removed` name nothing; those above it move down with their slots.
template <size_t N>
void RenumberMarks(int16_t (&marks)[N], int removed) {
  for (int16_t& mark : marks) mark = static_cast<int16_t>(RenumberedReference(mark, removed));
}

// Slot `slot` of the first `count` goes: later ones move down, the freed
// last one is cleared, and the marks follow.
template <typename Record, size_t N>
void RemoveSlot(Record* records, int count, int slot, int32_t* storedCount, int16_t (&marks)[N]) {
  std::copy(records + slot + 1, records + count, records + slot);
  records[count - 1] = Record{};
  *storedCount = count - 1;
  RenumberMarks(marks, slot);
}

bool LostSignal(const ScenarioRecord& scenario) {
  return scenario.entrySignal < 0 || (scenario.useExit != 0 && scenario.exitSignal < 0) ||
         (scenario.useLossCut != 0 && scenario.lossCutSignal < 0);
}

struct TermFlags {
  int16_t code;
  uint8_t monitor;  // bits: date, upper, lower
  uint8_t signal;   // bits: short buy, long buy, short sell, long sell
};

constexpr TermFlags kTermFlags[] = {
    {kItemAnyMonitoringLine, 7, 0},   {kItemDateMonitoringLine, 1, 0}, {kItemUpperMonitoringLine, 2, 0},
    {kItemLowerMonitoringLine, 4, 0}, {kItemAnySignal, 0, 15},         {kItemSignalKind1, 0, 1},
    {kItemSignalKind1 - 1, 0, 2},     {kItemSignalKind1 - 2, 0, 4},    {kItemSignalKind1 - 3, 0, 8},
};

bool IsSpecialTermCode(int code) {
  return IsMonitoringItemCode(code) || IsSignalItemCode(code) || code == kItemScenario;
}

}  // namespace

void ResetSignalFileEditor(SignalFileEditor& editor, const IndicatorParameterSet (&params)[3]) {
  editor.image = SignalSettingsFile{};
  editor.image.tag = kSignalSettingsTag;
  std::memcpy(editor.image.params, params, sizeof editor.image.params);
  editor.image.itemBase = kSignalItemBase;
  editor.image.programVersion = gProgramVersion;
  ClearCopyMarks(editor);
}

bool IsSignalGroup(const GroupRecord& group) { return group.automatic != 0 && group.signalKind != kSignalNone; }

std::vector<int> ListSignalGroups(const GroupTable& table) {
  std::vector<int> groups;
  for (int g = 0; g < kGroupCount; ++g) {
    if (IsSignalGroup(table.groups[g])) groups.push_back(g);
  }
  return groups;
}

std::vector<int> ListValidScenarios(const ScenarioTable& scenarios) {
  std::vector<int> list;
  for (int s = 0; s < kScenarioSlots; ++s) {
    if (scenarios.records[s].valid != 0) list.push_back(s);
  }
  return list;
}

int CopyGroupSignalToFile(SignalFileEditor& editor, const GroupTable& table, int g) {
  if (!IsGroupIndex(g) || !IsSignalGroup(table.groups[g]) || editor.groupSlots[g] >= 0) return -1;
  const int slot = SignalCount(editor);
  if (slot >= kMaxSignalDefinitions) return -1;
  const GroupRecord& group = table.groups[g];
  SignalDefinition& definition = editor.image.definitions[slot];
  definition = SignalDefinition{};
  CopySjisText(definition.name, group.name, sizeof definition.name);
  definition.marketMask = group.marketMask;
  definition.termCount = static_cast<int16_t>(std::clamp(static_cast<int>(group.termCount), 0, kMaxConditionTerms));
  std::memcpy(definition.terms, group.terms, sizeof definition.terms);
  definition.kind = group.signalKind;
  editor.groupSlots[g] = static_cast<int16_t>(slot);
  editor.image.definitionCount = slot + 1;
  return slot;
}

int GetFileSignalSlotForGroup(SignalFileEditor& editor, const GroupTable& table, int g) {
  if (!IsGroupIndex(g) || !IsSignalGroup(table.groups[g])) return -1;
  if (editor.groupSlots[g] >= 0) return editor.groupSlots[g];
  return CopyGroupSignalToFile(editor, table, g);
}

bool CopyScenarioToFile(SignalFileEditor& editor, const GroupTable& table, const ScenarioTable& scenarios, int s) {
  if (s < 0 || s >= kScenarioSlots || scenarios.records[s].valid == 0 || editor.scenarioSlots[s] >= 0) return false;
  const int slot = ScenarioCount(editor);
  if (slot >= kMaxEditorScenarios) return false;
  // Built apart: a refused copy leaves the file's slot as it was.
  ScenarioRecord scenario = scenarios.records[s];
  scenario.entrySignal = GetFileSignalSlotForGroup(editor, table, scenario.entrySignal);
  if (scenario.useExit != 0) scenario.exitSignal = GetFileSignalSlotForGroup(editor, table, scenario.exitSignal);
  if (scenario.useLossCut != 0)
    scenario.lossCutSignal = GetFileSignalSlotForGroup(editor, table, scenario.lossCutSignal);
  if (LostSignal(scenario)) return false;
  editor.image.scenarios[slot] = scenario;
  editor.scenarioSlots[s] = static_cast<int16_t>(slot);
  editor.image.scenarioCount = slot + 1;
  return true;
}

bool DeleteFileSignal(SignalFileEditor& editor, int slot) {
  const int count = SignalCount(editor);
  if (slot < 0 || slot >= count) return false;
  RemoveSlot(editor.image.definitions, count, slot, &editor.image.definitionCount, editor.groupSlots);
  const int scenarios = ScenarioCount(editor);
  for (int s = 0; s < scenarios; ++s) {
    ScenarioRecord& scenario = editor.image.scenarios[s];
    scenario.entrySignal = RenumberedReference(scenario.entrySignal, slot);
    scenario.exitSignal = RenumberedReference(scenario.exitSignal, slot);
    scenario.lossCutSignal = RenumberedReference(scenario.lossCutSignal, slot);
  }
  for (int s = scenarios - 1; s >= 0; --s) {
    if (LostSignal(editor.image.scenarios[s])) DeleteFileScenario(editor, s);
  }
  return true;
}

bool DeleteFileScenario(SignalFileEditor& editor, int slot) {
  const int count = ScenarioCount(editor);
  if (slot < 0 || slot >= count) return false;
  RemoveSlot(editor.image.scenarios, count, slot, &editor.image.scenarioCount, editor.scenarioSlots);
  return true;
}

int ImportSignalFileIntoEditor(SignalFileEditor& editor, const char* path) {
  const int result = ReadSignalSettingsFile(path, &editor.image);
  if (result != 0) return result;
  ClearCopyMarks(editor);
  editor.loaded = true;
  return 0;
}

void PrepareSignalFileForSaving(SignalFileEditor& editor, const char* description) {
  SignalSettingsFile& image = editor.image;
  image.tag = kSignalSettingsTag;
  std::memset(image.description, 0, sizeof image.description);
  CopySjisText(image.description, description, kEditorDescriptionLength + 1);
  ComputeSignalFileSeriesUse(image);
  image.itemBase = kSignalItemBase;
  image.programVersion = gProgramVersion;
}

int SaveSignalFileImage(SignalFileEditor& editor, const char* description, const char* path) {
  PrepareSignalFileForSaving(editor, description);
  return SaveBufferToFile(path, &editor.image, sizeof editor.image);
}

GroupCopyRefusal CheckFileSignalToGroup(const SignalFileEditor& editor, const GroupTable& table, int slot, int g) {
  if (slot < 0 || slot >= SignalCount(editor)) return GroupCopyRefusal::kNoSignal;
  if (!IsGroupIndex(g) || table.groups[g].automatic != 0) return GroupCopyRefusal::kNotManual;
  if (IsGroupNamedByTerms(table, g, g)) return GroupCopyRefusal::kNamedByTerm;
  return GroupCopyRefusal::kNone;
}

void CopyFileSignalToGroup(const SignalFileEditor& editor, GroupTable& table, int slot, int g) {
  const SignalDefinition& definition = editor.image.definitions[slot];
  GroupRecord& group = table.groups[g];
  std::memset(group.name, 0, sizeof group.name);
  CopySjisText(group.name, definition.name, sizeof group.name);
  group.marketMask = definition.marketMask;
  group.termCount = static_cast<int16_t>(std::clamp(static_cast<int>(definition.termCount), 0, kMaxConditionTerms));
  std::memcpy(group.terms, definition.terms, sizeof group.terms);
  group.signalKind = definition.kind;
  group.automatic = 1;
  DeriveGroupFlagsFromTerms(group);
}

void DeriveGroupFlagsFromTerms(GroupRecord& group) {
  int32_t* monitor[] = {&group.monitorDateLines, &group.monitorUpperLines, &group.monitorLowerLines};
  int32_t* signal[] = {&group.signalShortBuy, &group.signalLongBuy, &group.signalShortSell, &group.signalLongSell};
  for (int32_t* flag : monitor) *flag = 0;
  for (int32_t* flag : signal) *flag = 0;
  if (group.automatic == 0) return;
  const int terms = std::clamp(static_cast<int>(group.termCount), 0, kMaxConditionTerms);
  for (int t = 0; t < terms; ++t) {
    const int code = group.terms[t].left;
    if (!IsSpecialTermCode(code)) continue;
    group.signalKind = kSignalNone;
    for (const TermFlags& flags : kTermFlags) {
      if (flags.code != code) continue;
      for (int k = 0; k < 3; ++k)
        if ((flags.monitor >> k & 1) != 0) *monitor[k] = 1;
      for (int k = 0; k < 4; ++k)
        if ((flags.signal >> k & 1) != 0) *signal[k] = 1;
    }
  }
}
