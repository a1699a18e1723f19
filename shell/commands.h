#pragma once
// The main command dispatcher and the menu states.
#include "platform/platform.h"

// Routes a main-window command; non-zero when it was handled. Commands are
// dropped while the progress dialog is open.
int OnMainCommand(WindowHandle window, int commandId);
// Refreshes texts, checks and enable states of the menus and the toolbar.
void UpdateMenuStates();

// Set by the main window: the Windows side of UpdateMenuStates (menu checks,
// toolbar buttons). Null while there is no main window.
extern void (*gMenuStatesHook)();
// Set by the main window: the commands that need its windows (dialogs, list
// selections, window sizes), tried after every other family; non-zero when it
// took the id. Null while there is no main window.
extern int (*gWindowCommandHook)(WindowHandle window, int commandId);
