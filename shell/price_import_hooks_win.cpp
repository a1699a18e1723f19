#include "shell/price_import_hooks_win.h"

#include <windows.h>

#include "analysis/price_import.h"
#include "data/price_archives.h"
#include "window/chart_lists_win.h"

namespace {

int DriveTypeOf(char letter) {
  const char root[4] = {letter, ':', '\\', 0};
  return static_cast<int>(GetDriveTypeA(root));
}

}  // namespace

void InstallPriceImportWinHooks() {
  gPriceDiscHooks.driveType = DriveTypeOf;
  gPriceImportHooks.refreshStockLists = RefreshChartStockLists;
}
