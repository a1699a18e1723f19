#pragma once
// The signal-file chooser: which file of the signal folder is in use.
#include <windows.h>

// Dialog 187, modal. A double click stars a file; OK on another file than
// the one in use loads it (a warning beep when it cannot be, and no file is
// in use then), marks everything for recomputation, offers it and repaints.
// False when nothing changed.
bool RunSignalFileChooser(HWND owner);
