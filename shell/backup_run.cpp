#include "shell/backup_run.h"

BackupWindowHooks gBackupWindowHooks = {};

bool IsBackupRunning() { return false; }
int RunBackup(bool) { return 1; }
int RestoreBackupWithProgress(const char*) { return 1; }
int OfferRestoreAtFirstRun() { return 1; }
bool IsFirstRunForRestore() { return false; }
bool OpenBackupFolder() { return false; }
bool RunMonthlyBackupAtExit() { return false; }
int RunBackupCommand(int) { return 0; }
