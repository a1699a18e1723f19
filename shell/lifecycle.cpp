#include "shell/lifecycle.h"

#include "shell/app_globals.h"
#include "shell/settings.h"

bool LoadEverythingAtStart() {
  InitAppTexts();
  ChooseDataFolder();
  if (MakeDataFolderCurrent() != 0) return false;
  LoadSettings();
  return true;
}

// Nothing runs here yet: the cursor tracking, the queued group updates and the
// write-back of changed daily files (once kIdleFlushDelayMs have passed since
// the last input) join as their stores arrive.
void RunIdleSteps(uint32_t) {}

void SaveEverythingAtExit() {
  MakeDataFolderCurrent();
  SaveSettings();
}
