#pragma once
// The stock search box over the selected chart.
#include <windows.h>

constexpr int kSearchBoxId = 700;  // the search EDIT, a child of the main window

// The search EDIT, subclassed the first time it is needed; null when the window has none.
HWND SearchBoxWindow();
// Shows the box over `chart` (when hidden) and hands it the typed character.
void OpenSearchBox(int chart, WPARAM character, LPARAM lParam);
// The box gets its own procedure back (the main window goes).
void RestoreSearchBoxProc();
// True while the keyboard focus is in the search box (Esc, Del and Ctrl+Z
// then belong to it, not to the charts).
bool IsSearchBoxFocused();
void HideSearchBox();
