#pragma once
// The backup pop-up, the folder browser and the shell's folder window.

// Puts them into gBackupWindowHooks.
void InstallBackupWindows();
// The pop-up while it is open (for tests), else null.
void* BackupPopupWindow();
