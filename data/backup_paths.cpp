#include "data/backup_paths.h"

#include <cstdio>
#include <cstring>

#include "common/file_io.h"
#include "data/daily_files.h"

char gBackupRootFolder[kBackupPathSize] = "";

// Backups are named by the local time they were made, so the newest has the
// greatest name.
bool IsBackupFolderName(const char* name) {
  if (std::strlen(name) != kBackupStampLength) return false;
  for (int i = 0; i < kBackupStampLength; ++i) {
    const char c = name[i];
    if (i == 8 ? c != '_' : (c < '0' || c > '9')) return false;
  }
  return true;
}

namespace {

constexpr int kStampLength = kBackupStampLength;

void KeepNewestBackupName(void* context, const char* name, bool isFolder) {
  auto* newest = static_cast<char*>(context);
  if (isFolder && IsBackupFolderName(name) && std::strcmp(name, newest) > 0) {
    std::snprintf(newest, kStampLength + 1, "%s", name);
  }
}

}  // namespace

bool FindBackupDailyFile(StockCode code, char* path, int size) {
  if (gBackupRootFolder[0] == 0 || size <= 0) return false;
  char newest[kStampLength + 1] = "";
  if (PlatformListFolder(gBackupRootFolder, KeepNewestBackupName, newest) != 0 || newest[0] == 0) return false;
  char folder[kBackupPathSize * 2];
  std::snprintf(folder, sizeof folder, "%s\\%s\\%s", gBackupRootFolder, newest, kDailyFolder);
  char text[5];
  char candidate[kBackupPathSize * 2];
  const int length = std::snprintf(candidate, sizeof candidate, "%s\\%s", folder, CodeToString(code, text));
  if (length >= size || GetFileSizeByName(candidate) < 0) return false;
  std::memcpy(path, candidate, static_cast<size_t>(length) + 1);
  return true;
}
