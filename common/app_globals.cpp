#include "common/app_globals.h"

#include <cstdio>
#include <cstring>

#include "common/stock_code.h"
#include "common/string_ids.h"

const uint32_t gProgramVersion = 0x16000000;  // 22.0.0.0
WindowHandle gMainWnd = nullptr;
ModuleHandle gInstance = nullptr;
char gDataFolder[kMaxPath] = "";
char gAppTitle[64] = "";
char gMainClassName[64] = "";
char gMarketNames[kMarketNameCount][kMarketNameSize] = {};
char gPeriodNames[3][16] = {};
char gYearUnitText[8] = "年";
uint32_t gLastInputTick = 0;
int gUndoKind = kUndoNothing;

void InitAppTexts() {
  InitStockCodeGlobals();
  PlatformLoadString(kStrAppTitle, gAppTitle, sizeof gAppTitle);
  PlatformLoadString(kStrMainClassName, gMainClassName, sizeof gMainClassName);
  for (int i = 0; i < kMarketNameCount; ++i)
    PlatformLoadString(kStrMarketNameFirst + i, gMarketNames[i], kMarketNameSize);
  for (int i = 0; i < 3; ++i) PlatformLoadString(kStrPeriodNameFirst + i, gPeriodNames[i], sizeof gPeriodNames[i]);
  PlatformLoadString(kStrYearUnit, gYearUnitText, sizeof gYearUnitText);
}

int MakeDataFolderCurrent() { return PlatformSetCurrentFolder(gDataFolder); }

bool IsInputIdleFor(uint32_t now, uint32_t milliseconds) {
  return static_cast<uint32_t>(now - gLastInputTick) >= milliseconds;
}
