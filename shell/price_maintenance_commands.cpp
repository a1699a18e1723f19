#include "shell/price_maintenance_commands.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/indicator_refresh.h"
#include "chart/chart_hooks.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/price_maintenance.h"
#include "data/zip_member.h"
#include "records/settings_block.h"
#include "shell/backup_run.h"

MaintenanceServices gMaintenanceServices = {nullptr, nullptr, nullptr, RecomputeIndicatorsAndGroups};

namespace {

constexpr int kStrChooseStockInfoFile = 183;
constexpr char kMasterFilter[] =
    "STOCKINF FILE\0stockinf.dat;stockinf.zip\0Zip Files (*.ZIP)\0*.zip\0Data Files (*.DAT)\0*.dat\0"
    "All Files (*.*)\0*.*\0";

constexpr char kAskRemoveFuture[] =
    "全銘柄の価格データを精査して、不正なデータを除去します。不正なデータがなければ何もしません。"
    "処理に時間がかかりますが、よろしいですか？";
constexpr char kCheckingFuture[] = "不正データ検査中...";
constexpr char kNothingWrong[] = "不正なデータは見つかりませんでした。";
constexpr char kFutureRemoved[] = "%d件の不正データを発見、除去しました。";
constexpr char kAskDeleteDate[] =
    "全銘柄の価格データから %d年%d月%d日 のレコードを削除します。\r\n\r\nこの操作は元に戻せません。"
    "事前に「株価バックアップを実行する」でバックアップを取っておくことをお勧めします。\r\n\r\nよろしいですか？";
constexpr char kCheckingDate[] = "価格データを検査中...";
constexpr char kDateDeleted[] = "%d銘柄から、合計%d件のレコードを削除しました。";
constexpr char kNoSuchDate[] = "該当するレコードは見つかりませんでした。";
constexpr char kAskGaps[] =
    "全銘柄の価格データを精査して、日足に１ヶ月以上抜けがある銘柄を探します。処理に時間がかかりますが、よろしいですか"
    "？";
constexpr char kCheckingGaps[] = "データ検査中...";
constexpr char kGapFound[] = "%s %s にデカイ日足抜けがあります。";
constexpr char kGapsFound[] = "%d件の不正データを発見しました。";
constexpr char kAskRestore[] =
    "選んだバックアップから株価データを復旧します。\r\n現在の株価データは置き換えられます。\r\n\r\n"
    "この操作は元に戻せません。よろしいですか？";
constexpr char kRestored[] = "株価バックアップからの復旧が完了しました。";
constexpr char kRestoreFailed[] = "復旧に失敗しました。バックアップフォルダの内容をご確認ください。";
constexpr char kRepairStopped[] = "%s\n\nここで処理を中止しました。それまでに直した%d銘柄は保存されています。";

int Ask(const char* text, unsigned icon = 0) {
  return PlatformMessageBox(gMainWnd, text, gAppTitle, kMbOkCancel | icon);
}
void Tell(const char* text, unsigned icon = 0) { PlatformMessageBox(gMainWnd, text, gAppTitle, kMbOk | icon); }

// The new prices everywhere: indicators and groups, then every chart at its newest bar.
void ShowRepairedPrices() {
  if (gRecomputeNeeded != 0 && gMaintenanceServices.recomputeIndicatorsAndGroups != nullptr)
    gMaintenanceServices.recomputeIndicatorsAndGroups();
  if (gMainWnd == nullptr) return;
  ReloadAllChartSeries();
  for (int chart = 0; chart < ShownChartCount(); ++chart) {
    UpdateChartScrollBar(chart);
    SetChartScrollPos(chart, GetChartEndBarIndex(chart), 0);
  }
  if (gChartHooks.layoutCharts != nullptr) gChartHooks.layoutCharts();
  InvalidateAllCharts();
  if (gChartHooks.repaintNow != nullptr) gChartHooks.repaintNow();
}

// A repair stopped by a daily file it could not write: what was written
// shows, and the box tells the failure instead of the result.
void TellRepairStopped(const DailyWriteFailure& failure, int stocksDone) {
  if (stocksDone > 0) ShowRepairedPrices();
  char reason[768];
  FormatDailyWriteFailure(failure, reason, sizeof reason);
  char text[1024];
  snprintf(text, sizeof text, kRepairStopped, reason, stocksDone);
  Tell(text, kMbIconStop);
}

void OpenWalkProgress(const char* text) {
  BeginProgress(gMainWnd, 0, kStrAppTitle, 1);
  SetProgressText2(text);
}

void RemoveFutureDatedBarsAsked() {
  if (Ask(kAskRemoveFuture) == kIdCancel) return;
  OpenWalkProgress(kCheckingFuture);
  DailyWriteFailure failure{};
  const int changed = RemoveFutureBarsFromAllStocks(GetTodayPacked(), &failure);
  EndProgress();
  if (failure.error != 0) {
    TellRepairStopped(failure, changed);
    return;
  }
  if (changed == 0) {
    Tell(kNothingWrong);
    return;
  }
  ShowRepairedPrices();
  char text[128];
  snprintf(text, sizeof text, kFutureRemoved, changed);
  Tell(text);
}

void ReportGap(int index, void*) {
  char text[256];
  snprintf(text, sizeof text, kGapFound, CodeToString(gStockTable->records[index].master.code),
           GetStockNameByIndex(index));
  Tell(text);
}

// The file's first zip member, or the file itself when it is no archive;
// null when unreadable. Its size in *size.
char* ReadMasterFile(const char* path, uint64_t* size) {
  uint32_t memberSize = 0;
  ZipMemberResult result = ZipMemberResult::kUnreadable;
  char* member = ReadFirstZipMember(path, nullptr, 0, &memberSize, &result);
  if (member != nullptr) {
    *size = memberSize;
    return member;
  }
  if (result != ZipMemberResult::kNotZip) return nullptr;
  const int64_t fileSize = GetFileSizeByName(path);
  if (fileSize < 0 || !IsStockMasterFileSize(static_cast<uint64_t>(fileSize))) return nullptr;
  char* bytes = static_cast<char*>(AllocBlock(static_cast<size_t>(fileSize)));
  uint32_t read = 0;
  if (bytes != nullptr && LoadFileToBufferEx(path, bytes, static_cast<uint32_t>(fileSize), &read) == 0 &&
      read == static_cast<uint64_t>(fileSize)) {
    *size = read;
    return bytes;
  }
  FreeBlock(bytes);
  return nullptr;
}

}  // namespace

void RemoveFutureDatedBars() {
  if (gMaintenanceServices.showWaitCursor != nullptr) gMaintenanceServices.showWaitCursor(true);
  RemoveFutureDatedBarsAsked();
  if (gMaintenanceServices.showWaitCursor != nullptr) gMaintenanceServices.showWaitCursor(false);
}

void PromptDeleteBarsAtDate() {
  const PackedDate date = gMaintenanceServices.askDeleteDate != nullptr ? gMaintenanceServices.askDeleteDate() : 0;
  if (date == 0) return;
  char text[512];
  snprintf(text, sizeof text, kAskDeleteDate, PackedYear(date), PackedMonth(date), PackedDay(date));
  if (Ask(text, kMbIconExclamation) == kIdCancel) return;
  OpenWalkProgress(kCheckingDate);
  int stocks = 0;
  DailyWriteFailure failure{};
  const int removed = DeleteBarsOfDateFromAllStocks(date, GetTodayPacked(), &stocks, &failure);
  EndProgress();
  if (failure.error != 0) {
    TellRepairStopped(failure, stocks);
    return;
  }
  if (removed == 0) {
    Tell(kNoSuchDate);
    return;
  }
  ShowRepairedPrices();
  snprintf(text, sizeof text, kDateDeleted, stocks, removed);
  Tell(text);
}

// The restore has flushed and freed the cache, put the folders in place and
// reloaded the master data; the charts still hold the bars they showed.
void ShowRestoredPrices() {
  ShowRepairedPrices();
  Tell(kRestored);
}

void RestoreFromPriceBackup() {
  BackupList list{};
  const int count = FindLatestBackup(&list);
  if (count <= 0) {
    FreeBackupBuffer(&list);
    if (OfferRestoreAtFirstRun() == 0) ShowRestoredPrices();
    return;
  }
  std::vector<const char*> names;
  for (int i = 0; i < count; ++i) names.push_back(list.entries[i].name);
  const int chosen =
      gMaintenanceServices.chooseBackup != nullptr ? gMaintenanceServices.chooseBackup(names.data(), count) : -1;
  char name[kBackupPathSize] = "";
  if (chosen >= 0 && chosen < count) snprintf(name, sizeof name, "%s", list.entries[chosen].name);
  FreeBackupBuffer(&list);
  if (name[0] == 0 || Ask(kAskRestore, kMbIconExclamation) == kIdCancel) return;
  // A failed restore has told the user and left the live folders as they were.
  if (RestoreBackupWithProgress(name, kRestoreFailed) == 0) ShowRestoredPrices();
}

void ReportLongDailyGaps() {
  if (Ask(kAskGaps) == kIdCancel) return;
  OpenWalkProgress(kCheckingGaps);
  const int found = FindStocksWithLongGaps(ReportGap, nullptr);
  EndProgress();
  if (found == 0) {
    Tell(kNothingWrong);
    return;
  }
  char text[128];
  snprintf(text, sizeof text, kGapsFound, found);
  Tell(text);
}

void ImportStockMasterFromFile() {
  char path[kMaxPath] = "";
  if (!PromptOpenFile(gInstance, gMainWnd, kStrChooseStockInfoFile, path, kMasterFilter)) return;
  uint64_t size = 0;
  char* bytes = ReadMasterFile(path, &size);
  if (bytes == nullptr) return;
  std::unique_ptr<StockMasterFile, void (*)(void*)> master(
      static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile))), FreeBlock);
  const bool taken = master != nullptr && CopyStockMasterImage(bytes, size, master.get());
  FreeBlock(bytes);
  if (!taken) return;
  NormalizeStockMasterCodes(*master);
  MergeStockMaster(*master);
}

int RunPriceMaintenanceCommand(int commandId) {
  switch (commandId) {
    case IDM_REMOVE_FUTURE_BARS:
    case IDM_DELETE_BARS_AT_DATE:
    case IDM_RESTORE_PRICE_BACKUP:
    case IDM_APPLY_STOCK_MASTER: break;
    case IDM_REPORT_LONG_GAPS: ReportLongDailyGaps(); return 1;
    default: return 0;
  }
  if (gTimeBackMode != 0) return 1;
  switch (commandId) {
    case IDM_REMOVE_FUTURE_BARS: RemoveFutureDatedBars(); break;
    case IDM_DELETE_BARS_AT_DATE: PromptDeleteBarsAtDate(); break;
    case IDM_RESTORE_PRICE_BACKUP: RestoreFromPriceBackup(); break;
    default: ImportStockMasterFromFile(); break;
  }
  return 1;
}
