#pragma once
// The averaging-down tracker on the screen: the step dialog and the
// tracker's sub-menu of the trend-line pop-up.
#include <windows.h>

struct StepDialog;

// Dialog 1524, modal; a StepDialogResult. Only one exists at a time: while it
// is open another request brings it to the front (with a message when it is
// for another line) and is cancelled.
int RunPellomaticStepDialog(StepDialog* dialog);
// The entries' texts, checks and greying for the line; false when the line
// takes no part in the tracker (the caller then greys the whole sub-menu).
bool PreparePellomaticSubMenu(HMENU menu, int line);
