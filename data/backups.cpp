#include "data/backups.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/packed_date.h"
#include "data/daily_files.h"
#include "data/stock_table.h"
#include "platform/platform.h"

namespace {

constexpr char kBasicDataFolder[] = "BASEDATA";
constexpr char kRootUnderDocuments[] = "Mirastovelkin22\\Backups";
// Restored copies wait beside the live folders; the live ones step aside
// while the copies take their names.
constexpr char kIncomingSuffix[] = ".restore";
constexpr char kOutgoingSuffix[] = ".old";
constexpr const char* kSwappedFolders[] = {kDailyFolder, kBasicDataFolder};

bool GetPlatformDocumentsFolder(char* out, int size) {
  return size > 0 && PlatformGetDocumentsFolder(out, static_cast<size_t>(size));
}

void Report(const BackupProgress& progress, int position, int range, const char* text) {
  if (progress.fn != nullptr) progress.fn(progress.context, position, range, text);
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

std::string Join(const std::string& folder, const char* name) { return WithoutTrailingSeparator(folder) + '\\' + name; }

bool FolderExists(const std::string& path) {
  return PlatformListFolder(
             path.c_str(), [](void*, const char*, bool) {}, nullptr) == 0;
}

bool CopyOut(const std::string& text, char* out, int size) {
  if (out == nullptr || size <= 0 || text.size() + 1 > static_cast<size_t>(size)) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

struct Entry {
  std::string name;
  bool isFolder;
};

void CollectEntry(void* context, const char* name, bool isFolder) {
  static_cast<std::vector<Entry>*>(context)->push_back({name, isFolder});
}

bool ListEntries(const std::string& folder, std::vector<Entry>* entries) {
  return PlatformListFolder(folder.c_str(), CollectEntry, entries) == 0;
}

void CollectBackupName(void* context, const char* name, bool isFolder) {
  if (isFolder && IsBackupFolderName(name)) static_cast<std::vector<std::string>*>(context)->push_back(name);
}

// The root's backups, oldest first by the time in their names.
bool ListBackupNames(const std::string& root, std::vector<std::string>* names) {
  if (PlatformListFolder(root.c_str(), CollectBackupName, names) != 0) return false;
  std::sort(names->begin(), names->end());
  return true;
}

std::string MakeStampName() {
  const PackedDate today = GetTodayPacked();
  const uint32_t now = GetNowPackedTime();
  char name[32];
  std::snprintf(name, sizeof name, "%04d%02d%02d_%02d%02d%02d", PackedYear(today), PackedMonth(today), PackedDay(today),
                static_cast<int>(now >> 16), static_cast<int>((now >> 8) & 0xFF), static_cast<int>(now & 0xFF));
  return name;
}

// Whole days from the date in a backup's name to today.
int BackupAgeInDays(const std::string& name) {
  const int year = std::atoi(name.substr(0, 4).c_str());
  const int month = std::atoi(name.substr(4, 2).c_str());
  const int day = std::atoi(name.substr(6, 2).c_str());
  return static_cast<int>(PackedDateToDays(GetTodayPacked()) - PackedDateToDays(MakePackedDate(year, month, day)));
}

bool IsFullPath(const char* path) { return std::strchr(path, ':') != nullptr || path[0] == '\\' || path[0] == '/'; }

// Per-file progress of a copy or delete, as one share of a phase's band.
struct TreeProgress {
  const BackupProgress* outer;
  int* done;
  int total;
  const char* format;
};

void ReportFile(const TreeProgress& tree, const std::string& name) {
  ++*tree.done;
  char text[kBackupPathSize + 32];
  std::snprintf(text, sizeof text, tree.format, name.c_str());
  Report(*tree.outer, *tree.done, std::max(tree.total, *tree.done), text);
}

bool CopyTree(const std::string& source, const std::string& target, const TreeProgress& tree) {
  std::vector<Entry> entries;
  if (!ListEntries(source, &entries) || PlatformCreateFolder(target.c_str()) != 0) return false;
  for (const Entry& entry : entries) {
    const std::string from = Join(source, entry.name.c_str());
    const std::string to = Join(target, entry.name.c_str());
    if (entry.isFolder) {
      if (!CopyTree(from, to, tree)) return false;
      continue;
    }
    if (PlatformCopyFile(from.c_str(), to.c_str()) != 0) return false;
    ReportFile(tree, entry.name);
  }
  return true;
}

bool DeleteTree(const std::string& folder, const TreeProgress& tree) {
  std::vector<Entry> entries;
  if (!ListEntries(folder, &entries)) return false;
  for (const Entry& entry : entries) {
    const std::string path = Join(folder, entry.name.c_str());
    if (entry.isFolder) {
      if (!DeleteTree(path, tree)) return false;
      continue;
    }
    if (PlatformDeleteFile(path.c_str()) != 0) return false;
    ReportFile(tree, entry.name);
  }
  return PlatformRemoveFolder(folder.c_str()) == 0;
}

struct CountState {
  std::string folder;
  int count;
};

void CountFiles(void* context, const char* name, bool isFolder) {
  auto* state = static_cast<CountState*>(context);
  if (!isFolder) {
    ++state->count;
    return;
  }
  CountState inner{Join(state->folder, name), 0};
  PlatformListFolder(inner.folder.c_str(), CountFiles, &inner);
  state->count += inner.count;
}

// Leftovers of an interrupted restore, and the replaced folders, are thrown
// away file by file with progress (thousands of files); a missing one is fine.
bool RemoveIfPresent(const std::string& folder, const BackupProgress& progress) {
  return !FolderExists(folder) || DeleteFolderTreeWithProgress(folder.c_str(), progress);
}

// The stock table of the live folders would not match the restored ones.
// One kept unread for the user is never read, and stays.
bool RemoveStockTableFile(const std::string& target) {
  const std::string path = Join(target, kStockTableFileName);
  return IsUnreadStockFileKept() || GetFileSizeByName(path.c_str()) < 0 || PlatformDeleteFile(path.c_str()) == 0;
}

// Puts the staged folders in place of the live ones, all or none.
bool SwapInRestoredFolders(const std::string& target, const BackupProgress& progress) {
  if (!RemoveStockTableFile(target)) return false;
  int stepsDone = 0;  // two steps per folder: live aside, staged in
  bool hadLive[2] = {false, false};
  bool ok = true;
  for (int i = 0; i < 2 && ok; ++i) {
    const std::string live = Join(target, kSwappedFolders[i]);
    hadLive[i] = FolderExists(live);
    ok = !hadLive[i] || PlatformRenameFolder(live.c_str(), (live + kOutgoingSuffix).c_str()) == 0;
    if (!ok) break;
    ++stepsDone;
    ok = PlatformRenameFolder((live + kIncomingSuffix).c_str(), live.c_str()) == 0;
    if (ok) ++stepsDone;
  }
  if (!ok) {
    for (int step = stepsDone - 1; step >= 0; --step) {
      const std::string live = Join(target, kSwappedFolders[step / 2]);
      if (step % 2 == 1) {
        PlatformRenameFolder(live.c_str(), (live + kIncomingSuffix).c_str());
      } else if (hadLive[step / 2]) {
        PlatformRenameFolder((live + kOutgoingSuffix).c_str(), live.c_str());
      }
    }
    return false;
  }
  for (const char* name : kSwappedFolders) RemoveIfPresent(Join(target, name) + kOutgoingSuffix, progress);
  return true;
}

}  // namespace

DocumentsFolderFn gGetDocumentsFolder = GetPlatformDocumentsFolder;

bool GetBackupRootPath(char* out, int size) {
  char documents[kBackupPathSize] = "";
  if (gGetDocumentsFolder == nullptr || !gGetDocumentsFolder(documents, sizeof documents) || documents[0] == 0) {
    return false;
  }
  return CopyOut(Join(documents, kRootUnderDocuments), out, size);
}

bool GetBackupRoot(char* out, int size) {
  char documents[kBackupPathSize] = "";
  if (gGetDocumentsFolder == nullptr || !gGetDocumentsFolder(documents, sizeof documents) || documents[0] == 0) {
    return false;
  }
  const std::string base = WithoutTrailingSeparator(documents);
  const std::string parent = Join(base, "Mirastovelkin22");
  const std::string root = Join(parent, "Backups");
  if (PlatformCreateFolder(base.c_str()) != 0 || PlatformCreateFolder(parent.c_str()) != 0 ||
      PlatformCreateFolder(root.c_str()) != 0) {
    return false;
  }
  return CopyOut(root, out, size);
}

void SetBackupRootFolderAtStartup() {
  if (!GetBackupRootPath(gBackupRootFolder, sizeof gBackupRootFolder)) gBackupRootFolder[0] = 0;
}

int FindLatestBackup(BackupList* list) {
  *list = BackupList{};
  char root[kBackupPathSize];
  std::vector<std::string> names;
  if (!GetBackupRootPath(root, sizeof root) || !ListBackupNames(root, &names) || names.empty()) return 0;
  const int count = static_cast<int>(names.size());
  list->entries = new BackupEntry[static_cast<size_t>(count)]();
  list->capacity = count;
  for (int i = 0; i < count; ++i) {
    std::snprintf(list->entries[i].name, sizeof list->entries[i].name, "%s",
                  names[static_cast<size_t>(count - 1 - i)].c_str());
  }
  list->count = count;
  return count;
}

void FreeBackupBuffer(BackupList* list) {
  delete[] list->entries;
  *list = BackupList{};
}

int CountFilesInTree(const char* folder) {
  CountState state{WithoutTrailingSeparator(folder), 0};
  PlatformListFolder(state.folder.c_str(), CountFiles, &state);
  return state.count;
}

bool CopyFolderTree(const char* source, const char* target, const BackupProgress& progress, int* done, int total) {
  int ownDone = 0;
  const TreeProgress tree{&progress, done != nullptr ? done : &ownDone, total, "コピー中: %s"};
  return CopyTree(WithoutTrailingSeparator(source), WithoutTrailingSeparator(target), tree);
}

bool DeleteFolderTreeWithProgress(const char* folder, const BackupProgress& progress) {
  int done = 0;
  const TreeProgress tree{&progress, &done, CountFilesInTree(folder), "削除中: %s"};
  return DeleteTree(WithoutTrailingSeparator(folder), tree);
}

bool UndoInterruptedRestore(const char* targetDataFolder) {
  const std::string target = WithoutTrailingSeparator(targetDataFolder);
  const BackupProgress quiet{};
  bool cutShort = false;
  for (const char* name : kSwappedFolders) cutShort = cutShort || FolderExists(Join(target, name) + kIncomingSuffix);
  if (!cutShort) {
    for (const char* name : kSwappedFolders) RemoveIfPresent(Join(target, name) + kOutgoingSuffix, quiet);
    return false;
  }
  // A live folder stepped aside comes back; a copy that had taken its name
  // goes with the other copies. The copies stay while any folder could not
  // be put back.
  bool putBack = true;
  for (const char* name : kSwappedFolders) {
    const std::string live = Join(target, name);
    const std::string incoming = live + kIncomingSuffix;
    const std::string aside = live + kOutgoingSuffix;
    if (!FolderExists(aside)) continue;
    if (FolderExists(live) &&
        !(RemoveIfPresent(incoming, quiet) && PlatformRenameFolder(live.c_str(), incoming.c_str()) == 0)) {
      putBack = false;
      continue;
    }
    putBack = PlatformRenameFolder(aside.c_str(), live.c_str()) == 0 && putBack;
  }
  if (putBack) {
    for (const char* name : kSwappedFolders) RemoveIfPresent(Join(target, name) + kIncomingSuffix, quiet);
  }
  return true;
}

bool IsBackupFolder(const char* folder) {
  return FolderExists(Join(folder, kDailyFolder)) && FolderExists(Join(folder, kBasicDataFolder));
}

bool CreateBackup(const char* dataFolder, char* outPath, int outSize, const BackupProgress& progress) {
  Report(progress, 0, 100, "バックアップフォルダを準備中...");
  char root[kBackupPathSize];
  if (!GetBackupRoot(root, sizeof root)) return false;
  const std::string folder = Join(root, MakeStampName().c_str());
  // Two backups within one second would share a folder: the second fails.
  if (FolderExists(folder) || PlatformCreateFolder(folder.c_str()) != 0) return false;
  Report(progress, 10, 100, "ファイル数を計算中...");
  const std::string data = WithoutTrailingSeparator(dataFolder);
  const int total =
      CountFilesInTree(Join(data, kDailyFolder).c_str()) + CountFilesInTree(Join(data, kBasicDataFolder).c_str());
  int done = 0;
  Report(progress, 20, 100, "DAYフォルダをコピー中...");
  bool ok =
      CopyFolderTree(Join(data, kDailyFolder).c_str(), Join(folder, kDailyFolder).c_str(), progress, &done, total);
  if (!ok) Report(progress, 0, 100, "警告: DAYフォルダのコピーに失敗しました");
  if (ok) {
    Report(progress, 60, 100, "BASEDATAフォルダをコピー中...");
    ok = CopyFolderTree(Join(data, kBasicDataFolder).c_str(), Join(folder, kBasicDataFolder).c_str(), progress, &done,
                        total);
    if (!ok) Report(progress, 0, 100, "警告: BASEDATAフォルダのコピーに失敗しました");
  }
  // An incomplete copy must never pass for the newest backup.
  if (!ok) {
    DeleteDirectoryTree((folder + '\\').c_str(), 1);
    return false;
  }
  Report(progress, 100, 100, "バックアップ完了！");
  if (outPath != nullptr && outSize >= kBackupPathSize) CopyOut(folder, outPath, outSize);
  return true;
}

bool PruneBackups(int /*dayLimit*/, int keepCount, const BackupProgress& progress) {
  Report(progress, 0, 100, "クリーンアップを開始...");
  char root[kBackupPathSize];
  if (!GetBackupRootPath(root, sizeof root)) return false;
  Report(progress, 10, 100, "バックアップ数を確認中...");
  std::vector<std::string> names;
  if (!ListBackupNames(root, &names)) return false;
  if (names.empty()) {
    Report(progress, 100, 100, "削除するバックアップはありません");
    return true;
  }
  const int n = static_cast<int>(names.size());
  int remaining = n;
  int deleted = 0;
  bool allDeleted = true;
  for (int k = 0; k < n && remaining > keepCount; ++k) {
    const std::string& name = names[static_cast<size_t>(k)];
    char text[kBackupPathSize + 64];
    std::snprintf(text, sizeof text, "削除中: %s (%d日前)", name.c_str(), BackupAgeInDays(name));
    Report(progress, 20 + 80 * (k + 1) / n, 100, text);
    if (!DeleteFolderTreeWithProgress(Join(root, name.c_str()).c_str(), progress)) {
      std::snprintf(text, sizeof text, "警告: %s の削除に失敗しました", name.c_str());
      Report(progress, 0, 100, text);
      allDeleted = false;
      continue;
    }
    --remaining;
    ++deleted;
  }
  char text[64];
  std::snprintf(text, sizeof text, "クリーンアップ完了 (%d個削除)", deleted);
  Report(progress, 100, 100, text);
  return allDeleted;
}

bool RestoreBackup(const char* backupFolder, const char* targetDataFolder, const BackupProgress& progress) {
  Report(progress, 0, 100, "リストアの準備中...");
  std::string source;
  if (backupFolder != nullptr && IsFullPath(backupFolder)) {
    source = WithoutTrailingSeparator(backupFolder);
  } else if (backupFolder != nullptr && backupFolder[0] != 0) {
    char root[kBackupPathSize];
    if (GetBackupRootPath(root, sizeof root)) source = Join(root, backupFolder);
  }
  if (source.empty() || !IsBackupFolder(source.c_str())) {
    Report(progress, 0, 100, "エラー: バックアップが見つかりません");
    return false;
  }
  Report(progress, 10, 100, "ファイル数を計算中...");
  const int total =
      CountFilesInTree(Join(source, kDailyFolder).c_str()) + CountFilesInTree(Join(source, kBasicDataFolder).c_str());
  const std::string target = WithoutTrailingSeparator(targetDataFolder);
  const std::string dailyIn = Join(target, kDailyFolder) + kIncomingSuffix;
  const std::string basicIn = Join(target, kBasicDataFolder) + kIncomingSuffix;
  Report(progress, 20, 100, "既存データを削除中...");
  bool ok = RemoveIfPresent(dailyIn, progress) && RemoveIfPresent(basicIn, progress) &&
            RemoveIfPresent(Join(target, kDailyFolder) + kOutgoingSuffix, progress) &&
            RemoveIfPresent(Join(target, kBasicDataFolder) + kOutgoingSuffix, progress);
  int done = 0;
  if (ok) {
    Report(progress, 40, 100, "DAYフォルダをリストア中...");
    ok = CopyFolderTree(Join(source, kDailyFolder).c_str(), dailyIn.c_str(), progress, &done, total);
  }
  if (ok) {
    Report(progress, 70, 100, "BASEDATAフォルダをリストア中...");
    ok = CopyFolderTree(Join(source, kBasicDataFolder).c_str(), basicIn.c_str(), progress, &done, total);
  }
  ok = ok && SwapInRestoredFolders(target, progress);
  if (!ok) {
    RemoveIfPresent(dailyIn, progress);
    RemoveIfPresent(basicIn, progress);
    Report(progress, 0, 100, "エラー: リストアに失敗しました");
    return false;
  }
  Report(progress, 100, 100, "リストア完了！");
  return true;
}
