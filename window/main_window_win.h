#pragma once
#include <windows.h>

// Registers the main window class (name gMainClassName); false on failure.
bool RegisterWindowClasses(HINSTANCE instance);
// Creates the main window (gMainWnd) at the saved placement; null on failure.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);
void UpdateMainWindowTitle();
