#include "data/backups.h"

#include <cstring>

#include "platform/platform.h"

namespace {

bool GetPlatformDocumentsFolder(char* out, int size) {
  return size > 0 && PlatformGetDocumentsFolder(out, static_cast<size_t>(size));
}

}  // namespace

DocumentsFolderFn gGetDocumentsFolder = GetPlatformDocumentsFolder;

bool GetBackupRoot(char*, int) { return false; }
bool GetBackupRootPath(char*, int) { return false; }
void SetBackupRootFolderAtStartup() {}
int FindLatestBackup(BackupList* list) {
  *list = BackupList{};
  return 0;
}
void FreeBackupBuffer(BackupList* list) {
  delete[] list->entries;
  *list = BackupList{};
}
bool CreateBackup(const char*, char*, int, const BackupProgress&) { return false; }
bool PruneBackups(int, int, const BackupProgress&) { return false; }
bool RestoreBackup(const char*, const char*, const BackupProgress&) { return false; }
bool IsBackupFolder(const char*) { return false; }
int CountFilesInTree(const char*) { return 0; }
bool CopyFolderTree(const char*, const char*, const BackupProgress&, int*, int) { return false; }
bool DeleteFolderTreeWithProgress(const char*, const BackupProgress&) { return false; }
