#pragma once
// Dialog 186: a signal-settings file built from the live groups and
// scenarios, opened, edited and saved for distribution.
#include <windows.h>

// Command 32901: the editor over `owner` on a fresh image; a warning beep
// and nothing more when its memory cannot be had.
void OpenSignalFileEditor(HWND owner);
