#include "shell/backup_run.h"

#include <cstdio>
#include <string>

#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/command_ids.h"
#include "common/packed_date.h"
#include "common/progress.h"
#include "data/daily_cache.h"
#include "data/data_hooks.h"
#include "data/daily_files.h"
#include "data/stock_table.h"
#include "net/online_services.h"
#include "records/settings_block.h"
#include "shell/price_update.h"
#include "shell/settings.h"

BackupWindowHooks gBackupWindowHooks = {};

namespace {

constexpr int kMinBarsForMonthlyBackup = 20;
constexpr uint32_t kPruneDelayMs = 500;
constexpr uint32_t kResultDelayMs = 1000;

constexpr uint32_t kPauseSliceMs = 50;

bool gBackupRunning = false;
bool gRestoreCutShort = false;  // found by this start, told with the offer

constexpr char kRestoreFailed[] = "バックアップからのリストアに失敗しました。";
constexpr char kPricesUnchanged[] = "株価データは元のままです。";
constexpr char kRestoreCutShort[] =
    "前回のバックアップからの復旧は途中で中断されたため、行われていません。\n"
    "株価データは復旧前のままです。";

// The pop-up keeps repainting through the pauses that let the user read it.
void PausePumping(uint32_t milliseconds) {
  for (uint32_t waited = 0; waited < milliseconds; waited += kPauseSliceMs) {
    PlatformSleep(kPauseSliceMs);
    PlatformPumpMessages();
  }
}

void ShowPopupProgress(void*, int position, int range, const char* text) {
  if (gBackupWindowHooks.setProgress != nullptr) gBackupWindowHooks.setProgress(position, range, text);
}

constexpr BackupProgress kPopupProgress = {ShowPopupProgress, nullptr};

// The pop-up for the length of a job; commands are dropped meanwhile.
struct PopupScope {
  explicit PopupScope(bool restoring) {
    gBackupRunning = true;
    if (gBackupWindowHooks.openProgress != nullptr) gBackupWindowHooks.openProgress(restoring);
    ShowPopupProgress(nullptr, 0, 100, "準備中...");
  }
  ~PopupScope() {
    if (gBackupWindowHooks.closeProgress != nullptr) gBackupWindowHooks.closeProgress();
    gBackupRunning = false;
  }
  PopupScope(const PopupScope&) = delete;
  PopupScope& operator=(const PopupScope&) = delete;
};

// Boxes belong to the pop-up while it is open, else to a usable main window.
int AskUser(const char* text, const char* title, unsigned flags) {
  WindowHandle owner = gProgressDlg != nullptr ? gProgressDlg : gMainWnd;
  if (!PlatformIsUsableOwner(owner)) owner = nullptr;
  return PlatformMessageBox(owner, text, title, flags);
}

bool DailyFolderHoldsPriceFiles() {
  char folder[kMaxPath * 2];
  std::snprintf(folder, sizeof folder, "%s%s", gDataFolder, kDailyFolder);
  return PlatformFolderHoldsAnyFile(folder);
}

// A restore over price files already there replaces them: the user decides.
bool MayReplaceDailyFolder() {
  if (!DailyFolderHoldsPriceFiles()) return true;
  return AskUser("株価データフォルダ（DAY）には既に株価データがあります。\nバックアップの内容で置き換えますか？",
                 "確認", kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes;
}

// Lets the user pick a folder holding "DAY" and "BASEDATA"; false when cancelled.
bool PickBackupFolder(char* path) {
  for (;;) {
    path[0] = 0;
    if (gBackupWindowHooks.browseForFolder == nullptr ||
        !gBackupWindowHooks.browseForFolder(
            "バックアップフォルダを選択してください\n"
            "過去のバックアップデータをお持ちでない場合は「キャンセル」を選択してください",
            path)) {
      return false;
    }
    if (IsBackupFolder(path)) return true;
    AskUser(
        "選択されたフォルダは有効なバックアップフォルダではありません。\n"
        "バックアップフォルダにはDAYとBASEDATAフォルダが含まれている必要があります。",
        "エラー", kMbOk | kMbIconStop);
  }
}

void StopPastPriceWorker() {
  if (gPastPriceRunning != 0) BrokerStopPastPriceFetch();
}

}  // namespace

BackupServices gBackupServices = {ReloadMasterData, StopPastPriceWorker};

bool IsBackupRunning() { return gBackupRunning; }

int RunBackup(bool silent) {
  bool complete = false;
  {
    PopupScope popup(false);
    complete = CreateBackup(gDataFolder, nullptr, 0, kPopupProgress);
    if (complete) {
      PausePumping(kPruneDelayMs);
      if (!PruneBackups(kBackupDayLimit, kBackupKeepCount, kPopupProgress)) {
        ShowPopupProgress(nullptr, 0, 100, "警告: クリーンアップに失敗しました");
      }
    } else {
      ShowPopupProgress(nullptr, 0, 100, "エラー: バックアップ作成に失敗しました");
    }
    if (!silent) {
      PausePumping(kResultDelayMs);
      if (complete) {
        AskUser("バックアップが正常に完了しました。", "完了", kMbOk | kMbIconInformation);
      } else {
        AskUser("バックアップ中にエラーが発生しました。", "エラー", kMbOk | kMbIconStop);
      }
    }
  }
  return complete ? 0 : 1;
}

int RestoreBackupWithProgress(const char* backupFolder, const char* failureText) {
  if (backupFolder == nullptr || backupFolder[0] == 0) return 1;
  // Dirty cached series would be written over the restored files later.
  if (!FlushAndFreeDailyCache()) {
    AskUser("保存できない株価データがあるため、リストアを中止しました。", "エラー", kMbOk | kMbIconStop);
    return 1;
  }
  if (gBackupServices.stopPastPriceWorker != nullptr) gBackupServices.stopPastPriceWorker();
  bool restored = false;
  {
    PopupScope popup(true);
    restored = RestoreBackup(backupFolder, gDataFolder, kPopupProgress);
    PausePumping(kResultDelayMs);
  }
  if (!restored) {
    const std::string text =
        std::string(failureText != nullptr ? failureText : kRestoreFailed) + "\n" + kPricesUnchanged;
    AskUser(text.c_str(), "エラー", kMbOk | kMbIconStop);
    return 1;
  }
  if (gBackupServices.reloadMasterData != nullptr) gBackupServices.reloadMasterData();
  // The restore removed the old table's file; until this one is written a
  // kill leaves the table to be rebuilt from the restored folders.
  if (!IsUnreadStockFileKept()) {
    if (const int error = SaveStockTable(0)) ReportDataError(error);
  }
  return 0;
}

bool IsFirstRunForRestore() {
  char path[kMaxPath * 2];
  std::snprintf(path, sizeof path, "%s%s", gDataFolder, kStockTableFileName);
  return GetFileSizeByName(path) < 0 || !DailyFolderHoldsPriceFiles();
}

int OfferRestoreAtFirstRun() {
  BackupList list{};
  std::string chosen;
  if (FindLatestBackup(&list) > 0) chosen = list.entries[0].name;
  FreeBackupBuffer(&list);
  if (chosen.empty()) {
    if (AskUser("過去のバックアップデータから長期株価の読み取りを行いますか？\n"
                "過去のバックアップデータをお持ちでない場合は「いいえ」を選択してください。",
                "お問い合わせ", kMbYesNo | kMbIconQuestion) != kIdYes) {
      return 1;
    }
    char path[kBackupPathSize];
    if (!PickBackupFolder(path)) return 1;
    chosen = path;
  }
  if (!MayReplaceDailyFolder()) return 1;
  return RestoreBackupWithProgress(chosen.c_str());
}

void UndoInterruptedRestoreAtStart() { gRestoreCutShort = UndoInterruptedRestore(gDataFolder); }

int OfferRestoreAtStart(bool firstRun) {
  if (gRestoreCutShort) {
    gRestoreCutShort = false;
    AskUser(kRestoreCutShort, "確認", kMbOk | kMbIconExclamation);
  } else if (!firstRun) {
    return 1;
  }
  return OfferRestoreAtFirstRun();
}

bool OpenBackupFolder() {
  char root[kBackupPathSize];
  if (!GetBackupRoot(root, sizeof root)) return false;
  return gBackupWindowHooks.openFolder != nullptr && gBackupWindowHooks.openFolder(root);
}

bool RunMonthlyBackupAtExit() {
  const PackedDate today = GetTodayPacked();
  const int recorded = gSettingsP2.lastMonthlyBackupDate;
  if (recorded / 10000 == PackedYear(today) && recorded / 100 % 100 == PackedMonth(today)) return false;
  char root[kBackupPathSize];
  if (!GetBackupRootPath(root, sizeof root)) return false;
  // Read past the cache (flushed by now) and quietly: an error box at exit
  // would hold the closing program.
  static BarSeries reference;
  if (LoadDailyFileWithoutWaiting(StringToCode("1001"), &reference) != 0) return false;
  if (reference.count < kMinBarsForMonthlyBackup) return false;
  if (RunBackup(true) != 0) return false;
  gSettingsP2.lastMonthlyBackupDate = PackedYear(today) * 10000 + PackedMonth(today) * 100 + PackedDay(today);
  SaveSettingsP2();
  return true;
}

int RunBackupCommand(int commandId) {
  switch (commandId) {
    case IDM_RUN_BACKUP: RunBackup(false); return 1;
    case IDM_OPEN_BACKUP_FOLDER: OpenBackupFolder(); return 1;
    default: return 0;
  }
}
