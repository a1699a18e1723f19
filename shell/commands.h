#pragma once
// The main command dispatcher and the menu states.
#include "platform/platform.h"

// Routes a main-window command; non-zero when it was handled. Commands are
// dropped while the progress dialog is open.
int OnMainCommand(WindowHandle window, int commandId);
// Refreshes texts, checks and enable states of the menus and the toolbar.
void UpdateMenuStates();
