#include "window/window_hooks.h"

WindowHooks gWindowHooks = {};

int RunMainCommand(WindowHandle window, int commandId) {
  return gWindowHooks.onMainCommand != nullptr ? gWindowHooks.onMainCommand(window, commandId) : 0;
}

void UpdateMainMenuStates() {
  if (gWindowHooks.refreshMenuStates != nullptr) gWindowHooks.refreshMenuStates();
}
