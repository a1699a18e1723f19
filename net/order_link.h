#pragma once
// The spreadsheet order link.
#include "platform/platform.h"

// 1 while the link's receive mailslot is open.
extern int gOrderLinkOpen;

// The auto-order switch and its modeless status dialog (null when not shown).
extern int gAutoOrderEnabled;
extern WindowHandle gAutoOrderStatusDlg;
