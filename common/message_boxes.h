#pragma once
// Message boxes from string-table texts and the save-file dialog.
#include "platform/platform.h"

// Title id 0 means the application title. Returns the button pressed.
int MessageBoxFromStrings(WindowHandle owner, int titleStringId, int textStringId, unsigned flags);
// `path` (260 bytes) and `fileTitle` (259 bytes, may be null) receive the choice.
bool ShowSaveFileDialog(ModuleHandle instance, WindowHandle owner, const char* title, char* path, char* fileTitle,
                        const char* filter);
