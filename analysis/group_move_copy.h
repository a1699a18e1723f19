#pragma once
// Reordering the groups of the edit copy and copying one group's conditions
// or members onto another, with everything that names a group by its index
// kept on the same group when the edit copy becomes the live table.
#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/group_store.h"
#include "records/scenario_record.h"
#include "records/screen_pattern_record.h"

// The edit copy's changes since it was taken from the live table: where
// each group came from, and which groups' member lists were rewritten.
struct GroupEditChanges {
  std::array<int16_t, kGroupCount> origin;  // live index of the group now at each place
  std::array<bool, kGroupCount> listChanged;
};
void ResetGroupEditChanges(GroupEditChanges* changes);

// Whether a term of any group but `except` (-1: none) is on membership of g.
bool IsGroupNamedByTerms(const GroupTable& table, int g, int except);

enum class GroupMoveResult { kMoved, kNoPlace, kNamedGroupOutOfReach };
// Group g changes place with the one above (step -1) or below (step +1),
// through `scratch`; membership terms of every group follow the two. A move
// that would put a group named by a membership term past group 99, where no
// code names it, is refused.
GroupMoveResult MoveGroupRecord(GroupTable& table, GroupRecord* scratch, int g, int step, GroupEditChanges* changes);

enum class GroupCopyResult { kCopied, kSameGroup, kDestinationAutomatic, kDestinationNamed };
// The source record over the destination, which keeps its name and name
// colour; an automatic result is extracted again. Refused when the copy
// would make automatic a group that another group's membership term names.
GroupCopyResult CopyGroupConditions(GroupTable& table, int source, int destination, GroupEditChanges* changes);
// Member count, codes, sort item and order; refused onto an automatic group.
GroupCopyResult CopyGroupMembers(GroupTable& table, int source, int destination, GroupEditChanges* changes);

// "自動抽出：オン\r抽出条件数：n\r抽出銘柄数：m" or "自動抽出：オフ\r登録銘柄数：m".
void FormatGroupExtractionSummary(const GroupRecord& group, char* text, size_t size);

// What names a group by index outside the group table.
struct GroupIndexReferences {
  ScenarioRecord* scenarios;  // entry, exit and loss-cut groups
  int scenarioCount;
  ScreenPattern* patterns;  // every view's group
  int patternCount;
  uint16_t* monitoredGroup;  // 65535: none
};
// After the edit copy became the live table: the references follow their
// groups to the new places, and each stock's membership bits with them
// (those of rewritten lists are set from the lists).
void ApplyGroupEditChanges(const GroupEditChanges& changes, const GroupIndexReferences& references);
