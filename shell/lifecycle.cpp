#include "shell/lifecycle.h"

#include "analysis/group_store.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "data/trading_calendar.h"
#include "shell/app_globals.h"
#include "shell/settings.h"

namespace {

// The big tables live from start-up to exit; without them there is no program.
bool AllocateBigTables() { return CreateDailyCache() && AllocateStockTable(); }

}  // namespace

bool LoadEverythingAtStart() {
  InitAppTexts();
  ChooseDataFolder();
  if (MakeDataFolderCurrent() != 0) return false;
  if (!AllocateBigTables()) return false;
  LoadSettings();
  if (!LoadStockTable()) return false;
  LoadKenFile();
  if (!LoadGroupsAtStartup()) return false;
  if (gTimeBackMode != 0) LoadTradingCalendar();
  return true;
}

// Changed daily files go back to disk only once the user has left the
// program alone for a while, one file per pass. With nothing to do the loop
// sleeps until input comes, so an idle program costs no processor time.
uint32_t RunIdleSteps(uint32_t now) {
  if (!IsInputIdleFor(now, kIdleFlushDelayMs)) return kIdleFlushDelayMs - (now - gLastInputTick);
  return FlushNextDirtyDailyCacheEntry() ? 1 : kIdleWaitForever;
}

void SaveEverythingAtExit() {
  MakeDataFolderCurrent();
  FlushDailyCache();
  SaveStockTable(0);
  SaveGroupFile(0);
  SaveSettings();
}
