#pragma once
// The analysis-parameter sheet (options menu): fifteen pages, one per
// indicator family, editing the daily, weekly and monthly parameter sets and
// the colours of their lines on the settings' edit copy.
#include <windows.h>

// Runs the modal sheet over `owner` on the edit copy; true when it ended with
// OK, which alone makes the edited parameters, colours and start page live.
bool ShowAnalysisParameterSheet(HWND owner);
// The menu command: the sheet, then what its result needs: the charts
// recomputed and the group menus rebuilt after a parameter change, the charts
// repainted after a colour change, and the all-stock recomputation offered.
void RunAnalysisParameterCommand(HWND owner);
