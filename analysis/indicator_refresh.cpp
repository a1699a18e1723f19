#include "analysis/indicator_refresh.h"

#include "analysis/analysis_hooks.h"
#include "analysis/group_lists.h"
#include "analysis/market_breadth.h"
#include "analysis/recompute_pool.h"
#include "common/app_globals.h"
#include "common/message_boxes.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "records/settings_block.h"
#include "records/table_limits.h"

namespace {

constexpr int kRefreshSteps = 2;  // the stocks, then the groups

void RefreshAllGroupLists() {
  if (gAnalysisHooks.refreshGroupLists == nullptr) return;
  for (int g = 0; g < kGroupCount; ++g) gAnalysisHooks.refreshGroupLists(g);
}

// The extraction rebuilds what the indicators feed; stopped half-way, the
// groups and the flag asking for the whole refresh stay as they were.
bool ExtractGroups() {
  if (RecomputeGroupMemberships()) return true;
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  return false;
}

}  // namespace

bool RecomputeIndicatorsAndGroups() {
  BeginProgress(gMainWnd, 1, kStrAppTitle, kRefreshSteps);
  // The store is made on first use: reading the index at start-up would
  // report a damaged index file before the main window exists.
  InitMarketBreadth();
  ResetMarketBreadthCounters();
  const bool computed = RecomputeAllStocks(kRecomputeAllStocks) == RecomputeOutcome::kCompleted;
  FinishMarketBreadth(computed);
  const bool completed = computed && ExtractGroups();
  EndProgress();
  RefreshAllGroupLists();
  return completed;
}

bool AskRecomputeAllIndicators() {
  if (gRecomputeNeeded == 0) return false;
  if (MessageBoxFromStrings(gMainWnd, kStrNotice, kStrRecomputeAllQuestion, kMbOkCancel) != kIdOk) return false;
  RecomputeIndicatorsAndGroups();
  return true;
}
