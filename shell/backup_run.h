#pragma once
// The backup commands, the restore the maintenance commands and the first run
// use, and the silent monthly backup at exit. While a backup or restore runs,
// the program's windows are disabled and commands dropped, as under the
// progress dialog.
#include "data/backups.h"

// The pop-up that shows a backup's or restore's progress, and the folder
// browser of the first-run offer; installed by the Windows side, faked by
// tests. Null members do nothing (no pop-up; the browser cancels).
struct BackupWindowHooks {
  void (*openProgress)(bool restoring);
  void (*setProgress)(int position, int range, const char* text);
  void (*closeProgress)();
  // A chosen folder in `path` (260 bytes); false when cancelled.
  bool (*browseForFolder)(const char* prompt, char* path);
  // Opens the folder in the shell; false when the shell refused.
  bool (*openFolder)(const char* path);
};
extern BackupWindowHooks gBackupWindowHooks;

// What a restore asks of the rest of the program; tests put fakes in.
struct BackupServices {
  void (*reloadMasterData)();
  void (*stopPastPriceWorker)();
};
extern BackupServices gBackupServices;

// True while a backup or restore runs (commands are dropped meanwhile).
bool IsBackupRunning();

// Command "株価バックアップを実行する" and the monthly backup at exit; 0 on
// success. Unless silent, the user is told the outcome.
int RunBackup(bool silent);
// Restores the backup (a name under the root or a full path) into the data
// folder with the pop-up: the cache flushed and freed and the past-price
// worker stopped first, the master data reloaded and the stock table written
// after. 0 on success; 1 when it failed or the name is empty (the user is
// told; a failed copy or swap in `failureText` when given).
int RestoreBackupWithProgress(const char* backupFolder, const char* failureText = nullptr);
// At the first run: restores the newest backup (or one the user picks) after
// asking when "DAY" already holds price files. 0 when a backup was restored.
int OfferRestoreAtFirstRun();
// True when this is a first run: no "stock.dat" or no price file in "DAY".
bool IsFirstRunForRestore();
// At start, before anything of the data folder is read: puts back the live
// folders of a restore that a kill cut short and throws its copies away.
void UndoInterruptedRestoreAtStart();
// Once the main window is up: after a restore that was cut short, tells so
// and offers the restore again; else the offer of a first run. 0 when a
// backup was restored.
int OfferRestoreAtStart(bool firstRun);
// Command "株価バックアップフォルダを表示する".
bool OpenBackupFolder();
// At exit, after the cache is flushed: the silent backup once a calendar
// month (the date at offset 480 of "velqo_p2.dat"), when the daily series of
// "1001" holds at least 20 bars; the date is recorded only after a complete
// backup. True when a backup was made.
bool RunMonthlyBackupAtExit();
// Routes 33165 and 33166; non-zero when it took the id.
int RunBackupCommand(int commandId);
