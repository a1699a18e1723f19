#include "shell/price_update.h"

#include <cstdio>
#include <memory>

#include "analysis/indicator_refresh.h"
#include "analysis/line_monitoring.h"
#include "chart/chart_loading.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "net/master_lists.h"
#include "net/online_services.h"
#include "records/settings_block.h"
#include "sheets/scenarios.h"
#include "sheets/sheet_services.h"

PriceUpdateServices gPriceUpdateServices = {
    RunOnlineUpdate,
    CloseAllStockSheets,
    DownloadStockInfoFiles,
    DownloadSellerMasterLists,
    DownloadNewPriceFiles,
    ShowDataSourceDialog,
    ImportDownloadedZips,
    BrokerDownloadTodayPrices,
    ExportRobotLinkFiles,
    RecomputeIndicatorsAndGroups,
    nullptr,
    nullptr,
    nullptr,
};

namespace {

constexpr int kDataSourceBroker = 2;
constexpr int kDownloadDone = 0;
constexpr int kDownloadRefused = 1;
constexpr int kFlushesShownInProgress = 11;
constexpr PackedDate kEarliestPriceDate = MakePackedDate(2002, 6, 1);
constexpr char kNewMark[] = "* new *";
constexpr char kSheetsStayOpenText[] = "閉じられないウインドウがあったので、オンラインアップデートを中止します。";
constexpr char kContinueQuestion[] = "最新株価の取得作業を続行しますか？";
constexpr char kGen2RefusedText[] =
    "ナルビスタル２へのアクセスが拒否されました。正しいIDと、パスワードを入力してください。"
    "また、ナルビスタル２のHPで株価ダウンロード権が有効であることを確認してください。";
constexpr char kGen2RefusedTitle[] = "ナルビスタル2のサーバーチェック";
constexpr char kGen1RefusedText[] =
    "ナルビスタルへのアクセスが拒否されました。正しいメールアドレスとパスワードを入力してください。"
    "また、ナルビスタルのＨＰで、アクセス権を確認してください。";
constexpr char kGen1RefusedTitle[] = "ナルビスタルのサーバーチェック";
constexpr char kLinkFilesWrittenText[] = "ゼムタへの連動情報を出力しました。";

// How the price step of an update ended.
enum class PriceStep {
  kNew,         // new prices reached the files
  kNothingNew,  // nothing to import: the closing dialog still shows the dates
  kStopped,     // cancelled or failed: the user has been told, no closing dialog
};

const PriceUpdateServices& Services() { return gPriceUpdateServices; }

int ShowBox(const char* text, const char* title, unsigned flags) {
  return PlatformMessageBox(gMainWnd, text, title, flags);
}

// Writes the daily cache before the program ends for its update.
void FlushBeforeProgramUpdate() {
  if (CountDirtyDailyCacheEntries() < kFlushesShownInProgress) {
    FlushDailyCache();
    return;
  }
  BeginProgress(gMainWnd, 0, kStrAppTitle, 1);
  FlushDailyCache();
  EndProgress();
}

// False when the update goes no further: the program closes for its own
// update, or the user chose not to go on.
bool RunProgramUpdateStep() {
  Services().runOnlineUpdate();
  if (gUpdateReady == 0) return true;
  if (Services().closeAllStockSheets() != 0) {
    FlushBeforeProgramUpdate();
    if (Services().closeMainWindow != nullptr) Services().closeMainWindow();
    return false;
  }
  gUpdateReady = 0;
  ShowBox(kSheetsStayOpenText, gAppTitle, kMbOk);
  return ShowBox(kContinueQuestion, gAppTitle, kMbOkCancel) != kIdCancel;
}

void StopBrokerWorkers() {
  if (gRealTimeRunning != 0) BrokerStopRealTimeReceive();
  if (gPastPriceRunning != 0) BrokerStopPastPriceFetch();
}

PriceStep ImportArchives() {
  if (gOrderLinkOn != 0) OrderLinkToggle();
  if (gRealTimeReceiveOn != 0) BrokerToggleRealTimeReceive();
  switch (Services().importDownloadedZips(1)) {
    case kImportDone: return PriceStep::kNew;
    case kImportNothingNew: return PriceStep::kNothingNew;
    default: return PriceStep::kStopped;  // a cancel says nothing more; a failure has shown its message
  }
}

// True when the user set the account again and the download is to be retried.
bool AskForAccountAfterRefusal() {
  if (gVendorGen2On != 0) {
    ShowBox(kGen2RefusedText, kGen2RefusedTitle, kMbOk);
  } else {
    ShowBox(kGen1RefusedText, kGen1RefusedTitle, kMbOk);
  }
  return Services().showDataSourceDialog(0) != 0;
}

PriceStep RunVendorPrices() {
  for (;;) {
    int files = 0;
    const int result = Services().downloadNewPriceFiles(&files);
    if (result == kDownloadDone) return files > 0 ? ImportArchives() : PriceStep::kNothingNew;
    if (result != kDownloadRefused || !AskForAccountAfterRefusal()) return PriceStep::kStopped;
  }
}

PriceStep RunBrokerPrices() {
  if (gBrokerLoginFailed != 0) {
    EndProgress();
    return PriceStep::kStopped;
  }
  if (gRealTimeReceiveOn != 0) {
    BrokerStopRealTimeReceive();
    gRealTimeReceiveOn = 0;
    if (gPastPriceRunning != 0) BrokerStopPastPriceFetch();
  }
  int stocks = 0;
  Services().brokerDownloadTodayPrices(&stocks);
  // Only stocks that got today's bar count as new, not every stock that has bars.
  PriceStep step = PriceStep::kNothingNew;
  if (stocks > 0) {
    step = Services().recomputeIndicatorsAndGroups() ? PriceStep::kNew : PriceStep::kStopped;
    if (step == PriceStep::kNew) EvaluateAllMonitorLines();
  }
  if (gPastPriceAutoFetchOn != 0) BrokerStartPastPriceFetch();
  return step;
}

void ShowUpdateResult(bool pricesNew, bool stockInfoNew, bool kenListNew) {
  UpdateResultLines result = {};
  FormatResultLine(gLastPriceDate, pricesNew, result.lines[0], kResultLineSize);
  FormatResultLine(gPinfoUpdateDate, stockInfoNew, result.lines[1], kResultLineSize);
  FormatResultLine(gKenUpdateDate, kenListNew, result.lines[2], kResultLineSize);
  const int button = Services().showResultDialog != nullptr ? Services().showResultDialog(result) : kResultButtonOk;
  if (button == kResultButtonLinkFiles && Services().exportRobotLinkFiles() == 1)
    ShowBox(kLinkFilesWrittenText, gAppTitle, kMbOk);
}

using ListFetch = void (*)(int* kenListNew, int* stockInfoNew);

void FetchListsAsStockInfoCommand(int* kenListNew, int* stockInfoNew) {
  Services().downloadStockInfoFiles(kenListNew, stockInfoNew, 1);
}

void FetchListsFromSupportServer(int* kenListNew, int* stockInfoNew) {
  Services().downloadSellerMasterLists(kenListNew, stockInfoNew);
  ApplyNewDataFolderLists(kenListNew, stockInfoNew, 0);
}

// The lists with the broker's workers paused around the fetch.
void RunStockInfoCommand(ListFetch fetch, bool showResult) {
  const bool realTime = gRealTimeRunning != 0, pastPrice = gPastPriceRunning != 0;
  if (realTime) BrokerStopRealTimeReceive();
  if (pastPrice) BrokerStopPastPriceFetch();
  int kenListNew = 0, stockInfoNew = 0;
  fetch(&kenListNew, &stockInfoNew);
  if (pastPrice) BrokerStartPastPriceFetch();
  if (realTime) BrokerStartRealTimeReceive();
  if (!showResult || !Services().recomputeIndicatorsAndGroups()) return;
  ShowUpdateResult(false, stockInfoNew != 0, kenListNew != 0);
}

// The reference index's stored bars, never cut back by time-back mode.
PackedDate LastStoredPriceDate() {
  auto series = std::make_unique<BarSeries>();
  GetDailyBarsForUpdate(gReferenceIndexCode, series.get());
  return series->count > 0 ? series->bars[series->count - 1].date : kEarliestPriceDate;
}

void RunWithWaitCursor(void (*command)()) {
  if (Services().showWaitCursor != nullptr) Services().showWaitCursor(true);
  command();
  if (Services().showWaitCursor != nullptr) Services().showWaitCursor(false);
}

void UpdateStockInfoCommand() { UpdateStockInfoOnly(1); }

}  // namespace

PackedDate ThreeMonthsBackStart(PackedDate today) {
  int year = PackedYear(today), month = PackedMonth(today) - 3;
  if (month < 1) {
    month += 12;
    --year;
  }
  return MakePackedDate(year, month, 1);
}

PackedDate TwentyYearsBackStart(PackedDate today) {
  return MakePackedDate(PackedYear(today) - 20, PackedMonth(today), 1);
}

void FormatResultLine(PackedDate date, bool isNew, char* out, int size) {
  snprintf(out, static_cast<size_t>(size), "%d/%d/%d  %s", PackedYear(date), PackedMonth(date), PackedDay(date),
           isNew ? kNewMark : "");
}

bool AnyScenarioWritesLinkFiles() {
  for (const ScenarioRecord& record : gScenarioTable.records)
    if ((record.flags & kScenarioLinkFlag) != 0) return true;
  return false;
}

void UpdateLatestPrices() {
  if (!RunProgramUpdateStep()) return;
  gBrokerLoginFailed = 0;
  gPriceUpdateRunning = 1;
  const bool broker = gDataSource == kDataSourceBroker;
  if (broker) StopBrokerWorkers();
  int kenListNew = 0, stockInfoNew = 0;
  Services().downloadStockInfoFiles(&kenListNew, &stockInfoNew, 0);
  const PriceStep prices = broker ? RunBrokerPrices() : RunVendorPrices();
  gPriceUpdateRunning = 0;
  if (prices == PriceStep::kStopped) return;
  ShowUpdateResult(prices == PriceStep::kNew, stockInfoNew != 0, kenListNew != 0);
}

int DownloadAndImportPrices(int* fileCount) {
  const int result = Services().downloadNewPriceFiles(fileCount);
  if (result == kDownloadDone && *fileCount > 0) ImportArchives();
  return result;
}

// The lists come with the update itself: fetching them first as well would
// download and apply them twice.
void UpdatePricesFromThreeMonthsAgo() {
  gLastPriceDate = ThreeMonthsBackStart(GetTodayPacked());
  UpdateLatestPrices();
}

void UpdatePricesFromTwentyYearsAgo() {
  gLastPriceDate = TwentyYearsBackStart(GetTodayPacked());
  UpdateLatestPrices();
}

void UpdateStockInfoOnly(int showResult) { RunStockInfoCommand(FetchListsAsStockInfoCommand, showResult != 0); }

void UpdateStockInfoFromSupportServer() { RunStockInfoCommand(FetchListsFromSupportServer, true); }

void ReloadMasterData() {
  LoadKenFile();
  LoadStockMaster();
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  FlushAndFreeDailyCache();
  gLastPriceDate = LastStoredPriceDate();
  Services().recomputeIndicatorsAndGroups();
  InvalidateAllCharts();
}

int RunPriceUpdateCommand(int commandId) {
  switch (commandId) {
    case IDM_PRICE_DOWNLOAD:
    case IDM_RELOAD_THREE_MONTHS:
    case IDM_RELOAD_TWENTY_YEARS:
    case IDM_STOCK_INFO_DOWNLOAD: break;
    case IDM_KEN_TO_TEXT: ExportKenText(); return 1;
    case IDM_TEXT_TO_KEN: ImportKenText(); return 1;
    case IDM_MASTER_TO_TEXT: ExportStockMasterText(); return 1;
    case IDM_TEXT_TO_MASTER: ImportStockMasterText(); return 1;
    case IDM_CREATE_MASTER: CreateStockMasterFromVendor(); return 1;
    default: return 0;
  }
  // The time-back tables are no place for new prices or a new master.
  if (gTimeBackMode != 0) return 1;
  switch (commandId) {
    case IDM_PRICE_DOWNLOAD: RunWithWaitCursor(UpdateLatestPrices); break;
    case IDM_RELOAD_THREE_MONTHS: RunWithWaitCursor(UpdatePricesFromThreeMonthsAgo); break;
    case IDM_RELOAD_TWENTY_YEARS: RunWithWaitCursor(UpdatePricesFromTwentyYearsAgo); break;
    default: RunWithWaitCursor(UpdateStockInfoCommand); break;
  }
  return 1;
}
