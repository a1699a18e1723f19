#pragma once
// WM_COMMAND, WM_SYSCOMMAND and WM_NOTIFY of the main window: the dispatcher
// first, then the notifications of the chart lists and the toolbar, and the
// commands that need the window's own dialogs.
#include <windows.h>

LRESULT OnMainWindowCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainWindowSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainWindowNotify(HWND hwnd, LPARAM lParam);

// Installs the window-side commands into the dispatcher; undone by StopMainWindowCommands.
void StartMainWindowCommands();
void StopMainWindowCommands();

// Dialog 194: renames the current screen pattern; true when renamed.
bool RenameScreenPattern(HWND owner);
// Dialog 270: the stocks whose names hold `text`, starting after stock index
// `currentIndex`; the chosen stock's index, or -1 when cancelled.
int ChooseStockFromList(HWND owner, const char* text, int currentIndex);
