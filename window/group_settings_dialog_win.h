#pragma once
// The group settings dialog: every group edited in the edit copy, applied to
// the live table on OK (saved once then), thrown away on Cancel; and the
// renaming of a group in the edit copy.
#include <windows.h>

// Refused while the groups are edited elsewhere, and without a selected
// chart; true when the dialog ended with OK and its edits were applied.
bool OpenGroupSettingsDialog(HWND owner);
// Dialog 162 on group g of the edit copy; true when renamed.
bool RenameEditedGroupDialog(HWND owner, int g);
