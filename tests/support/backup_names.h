#pragma once
// The backups FindLatestBackup lists, newest first, for tests.
#include <string>
#include <vector>

#include "data/backups.h"

inline std::vector<std::string> ListedBackups() {
  BackupList list{};
  FindLatestBackup(&list);
  std::vector<std::string> names;
  for (int i = 0; i < list.count; ++i) names.push_back(list.entries[i].name);
  FreeBackupBuffer(&list);
  return names;
}
