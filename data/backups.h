#pragma once
// Dated copies of the price database ("DAY" and "BASEDATA" of the data folder)
// under "<Documents>\Mirastovelkin22\Backups\YYYYMMDD_HHMMSS": making one,
// keeping the newest few, and putting one back. Backups are ordered by the
// time in their names (creation times change when Documents is copied); only
// folders named YYYYMMDD_HHMMSS count as backups. The daily writes' temporary
// folder is never copied either way.
#include <cstdint>

#include "data/backup_paths.h"

// The user's Documents folder (Shift-JIS, no trailing separator needed);
// false when it cannot be determined. Start-up leaves the platform's one in
// place; tests put a temporary folder in its stead.
using DocumentsFolderFn = bool (*)(char* out, int size);
extern DocumentsFolderFn gGetDocumentsFolder;

// Progress of a copy, delete or restore: position out of range, and a line of
// text (Shift-JIS). Steps report per file (files done, files in all) and per
// phase (0..100). Null fn: nothing shown.
struct BackupProgress {
  void (*fn)(void* context, int position, int range, const char* text);
  void* context;
};

struct BackupEntry {
  char name[kBackupPathSize];  // YYYYMMDD_HHMMSS
};

// Backups, newest first by the time in their names; free with FreeBackupBuffer.
struct BackupList {
  BackupEntry* entries;
  int count;
  int capacity;
};

constexpr int kBackupKeepCount = 2;
constexpr int kBackupDayLimit = 30;

// The backup root, made with its missing parents; false when there is no
// Documents folder or the root cannot be made (an existing one is fine).
bool GetBackupRoot(char* out, int size);
// The backup root's path only, nothing made (start-up's setting of
// gBackupRootFolder); false when there is no Documents folder.
bool GetBackupRootPath(char* out, int size);
// Sets gBackupRootFolder from the Documents folder, creating nothing.
void SetBackupRootFolderAtStartup();

// Number of backups in `list` (newest first); 0 and an empty list when the
// root cannot be listed or holds none.
int FindLatestBackup(BackupList* list);
void FreeBackupBuffer(BackupList* list);

// Makes a new dated backup of the data folder's "DAY" and "BASEDATA".
// A backup with any failed copy is no backup: its folder is removed again.
// True when complete; the new folder's path goes to `outPath` when given.
bool CreateBackup(const char* dataFolder, char* outPath, int outSize, const BackupProgress& progress);
// Deletes the oldest backups (by name) until `keepCount` remain; folders not
// named as backups are left alone. False when a deletion failed.
bool PruneBackups(int dayLimit, int keepCount, const BackupProgress& progress);
// Puts the backup's "DAY" and "BASEDATA" in place of the target data folder's:
// copied beside the live folders first and swapped in only when every copy
// succeeded, so that a failure leaves the live folders as they were. The
// stock table file, made from the live folders, is removed just before the
// swap: after a kill it is rebuilt from whichever folders are in place.
// `backupFolder` is a name under the root, or a full path (drive colon or
// leading backslash) used as given. True on success.
bool RestoreBackup(const char* backupFolder, const char* targetDataFolder, const BackupProgress& progress);
// At start, before anything of the data folder is read. A restore cut short
// leaves its copies (".restore") and maybe live folders stepped aside: these
// are put back and the copies thrown away; true when a restore had been cut
// short. What a completed restore stepped aside is removed.
bool UndoInterruptedRestore(const char* targetDataFolder);
// True when the folder holds both a "DAY" and a "BASEDATA" folder.
bool IsBackupFolder(const char* folder);

// Tree helpers (Shift-JIS paths, '\' separators).
int CountFilesInTree(const char* folder);
// Makes the target (an existing one is fine) and copies every file,
// overwriting, and every subfolder; false at the first failure.
bool CopyFolderTree(const char* source, const char* target, const BackupProgress& progress, int* done, int total);
// Deletes every file and subfolder, then the folder; false at the first failure.
bool DeleteFolderTreeWithProgress(const char* folder, const BackupProgress& progress);
