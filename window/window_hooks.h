#pragma once
// Between the main window and the shell above it. The shell hands in its
// command dispatcher and its saves at start-up; the window offers its menu
// refresh and its own commands while it exists. Null members do nothing.
#include "platform/platform.h"

struct WindowHooks {
  // Set by the shell.
  int (*onMainCommand)(WindowHandle window, int commandId);  // non-zero when handled
  void (*saveEverythingAtExit)();
  // Set by the main window while it exists.
  void (*refreshMenuStates)();                                  // menu checks, toolbar buttons
  int (*runWindowCommand)(WindowHandle window, int commandId);  // dialogs, list selections, window sizes
};

extern WindowHooks gWindowHooks;

// The main menu command dispatcher; 0 when it did not take the id.
int RunMainCommand(WindowHandle window, int commandId);
// Refreshes the menu and toolbar states while the window exists.
void UpdateMainMenuStates();
