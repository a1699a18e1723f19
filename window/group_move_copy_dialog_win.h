#pragma once
// The group move/copy dialog on the edit copy of the group table.
#include <windows.h>

// Refused while another group dialog or the simulator's parameters are open
// (said in a message) and in time-back mode (a beep: the menu grays it).
// Otherwise dialog 201 on a copy of the live table; OK makes the copy live,
// keeps what names a group by index on its group, saves "grp.dat" once,
// rebuilds the group menus and refills and repaints the charts. True on OK.
bool ShowGroupMoveCopyDialog(HWND owner);
