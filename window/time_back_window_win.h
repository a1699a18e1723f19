#pragma once
// The time-back window: a small captioned child of the main window with the
// chosen day, a scroll bar over the trading calendar and the recomputation
// button. Dragged by its client area or caption, kept inside the main
// window and against its right or bottom edge once dropped there.
#include <windows.h>

#include <string>

// The class name, from the string table.
std::wstring TimeBackWindowClassName();
LRESULT CALLBACK TimeBackWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// At main-window creation: made hidden, shown when the mode is on.
void CreateTimeBackWindow(HWND mainWnd);
// The main window is going: the window goes with it and the mode stays.
void DetachTimeBackWindow();
// After a main-window size change: a docked window follows its edge.
void RepositionTimeBackWindow(bool keepFree);
