#pragma once
// The trend-line dialogs: typing a line's value (dialog 188) and removing
// the oldest lines when the store is full (dialog 264).
#include <windows.h>

// Dialog 188 for gSelectedTrendLine; true when the line took a new value.
bool EditTrendLineValue(HWND owner);
// Dialog 264: the number of oldest lines to remove; true when some went.
bool ShowTrendLineCleanupDialog(HWND owner);
// The store holds 10000 lines: the message that no more can be drawn, then dialog 264.
void ShowTrendLineStoreFull(HWND owner);
