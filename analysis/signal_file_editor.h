#pragma once
// The signal-settings file editor's image and its operations: signals of
// automatic groups and back-test scenarios copied in, deleted with their
// references fixed up, a file read in, a file signal copied into a manual
// group, and the image prepared for saving.
#include <cstdint>
#include <vector>

#include "analysis/group_store.h"
#include "analysis/indicator_params.h"
#include "analysis/signal_settings.h"
#include "records/scenario_record.h"

// A file holds at most this many scenarios copied by the editor.
constexpr int kMaxEditorScenarios = 12;
// The description the editor stores, in bytes without its end.
constexpr int kEditorDescriptionLength = 509;

struct SignalFileEditor {
  SignalSettingsFile image;
  int16_t groupSlots[kGroupCount];        // file signal copied from group g; -1 none
  int16_t scenarioSlots[kScenarioSlots];  // file scenario copied from scenario s; -1 none
  bool loaded;                            // a file was opened into the image
};

// A cleared image with the tag, the given parameters, item base 91 and the
// program's version; nothing marked as copied.
void ResetSignalFileEditor(SignalFileEditor& editor, const IndicatorParameterSet (&params)[3]);

// The groups whose signal can be copied (automatic, with a signal kind) and
// the scenarios in use, in table order.
bool IsSignalGroup(const GroupRecord& group);
std::vector<int> ListSignalGroups(const GroupTable& table);
std::vector<int> ListValidScenarios(const ScenarioTable& scenarios);

// Group g's signal as the next file signal: its slot, or -1 when g is no
// signal group, was copied already or the file is full.
int CopyGroupSignalToFile(SignalFileEditor& editor, const GroupTable& table, int g);
// The file slot of group g's signal, copied first when needed; -1 when none.
int GetFileSignalSlotForGroup(SignalFileEditor& editor, const GroupTable& table, int g);
// Scenario s as the next file scenario, its group references turned into
// file slots (the exits only when used); false when refused, the slot then
// left empty (signals copied on the way stay).
bool CopyScenarioToFile(SignalFileEditor& editor, const GroupTable& table, const ScenarioTable& scenarios, int s);

// Removes file signal `slot`: later ones move down, every reference to them
// follows (disabled exits too, so that enabling one later names the same
// signal), and the scenarios that lose their entry or a used exit go.
bool DeleteFileSignal(SignalFileEditor& editor, int slot);
bool DeleteFileScenario(SignalFileEditor& editor, int slot);

// Reads a signal file into the image (ReadSignalSettingsFile): 0, -1 for a
// file that is not a sound signal file, or a read error; refused, nothing of
// the editor changes. Read, nothing counts as copied any more: the marks
// named slots of the image before.
int ImportSignalFileIntoEditor(SignalFileEditor& editor, const char* path);

// The image as it is saved: the tag, the description (cut at a whole
// character), the series its signals need, item base 91, the version.
void PrepareSignalFileForSaving(SignalFileEditor& editor, const char* description);
// Prepares and writes the image: 0 or the file error.
int SaveSignalFileImage(SignalFileEditor& editor, const char* description, const char* path);

// Why a file signal may not go into group g.
enum class GroupCopyRefusal { kNone, kNoSignal, kNotManual, kNamedByTerm };
GroupCopyRefusal CheckFileSignalToGroup(const SignalFileEditor& editor, const GroupTable& table, int slot, int g);
// Group g takes the file signal's name, markets, terms and kind and becomes
// automatic (the caller checked it and extracts it afterwards).
void CopyFileSignalToGroup(const SignalFileEditor& editor, GroupTable& table, int slot, int g);

// The monitoring and signal flags of a group from its special terms (only
// an automatic group has any); such terms also take the signal kind away.
void DeriveGroupFlagsFromTerms(GroupRecord& group);
