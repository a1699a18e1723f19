#include "net/online_services.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "common/app_globals.h"
#include "common/sjis_text.h"
#include "common/text_fields.h"
#include "net/master_lists.h"
#include "platform/platform.h"
#include "records/settings_block.h"

int gUpdateReady = 0;
int gRealTimeRunning = 0;
int gPastPriceRunning = 0;
int gBrokerLoginFailed = 0;
PackedDate gNewestQuoteDate = 0;
int gQuoteStockCounts[kQuoteCounterCount] = {};
int gQuoteLastSeenIndexes[kQuoteLastSeenCount] = {-1, -1, -1, -1};
int gQuoteCompanionRunning = 0;

namespace {

constexpr unsigned long kNetErrorCannotConnect = 12029;
constexpr int kIndexWeightListMinimum = 400;
constexpr int kFieldSize = 256;
constexpr int kErrorTextSize = 256;

void LookUpNetErrorText(unsigned long number, char* out, size_t size) {
  out[0] = 0;
  if (number == kNetErrorCannotConnect) {
    snprintf(out, size, "%s", "サーバーに接続できませんでした。");
  } else if (number > static_cast<unsigned long>(INT32_MAX) ||
             !PlatformGetErrorText(static_cast<int>(number), out, size)) {
    out[0] = 0;
  }
}

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

// ---- stockinf.txt lines ----

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

int FindLineEnd(const char* text, int length, int start) {
  int end = start;
  while (end < length && !IsLineEnd(text[end])) ++end;
  return end;
}

// A text field cut to the record's size without splitting a two-byte character.
void ReadTextField(const char* line, int end, int* position, char* out, int outSize) {
  char field[kFieldSize];
  ReadCsvField(line, end, position, field, sizeof field);
  CopySjisText(out, field, outSize);
}

// Reads the fields after the code; `end` is the line's end, so no field runs on.
void ReadMasterFields(const char* text, int end, int* position, StockMasterRecord* record) {
  ReadTextField(text, end, position, record->name, sizeof record->name);
  ReadTextField(text, end, position, record->reading, sizeof record->reading);
  ReadTextField(text, end, position, record->shortName, sizeof record->shortName);
  record->marketId = static_cast<uint16_t>(ReadCsvInt(text, end, position));
  record->marketFlags = static_cast<uint16_t>(ReadCsvInt(text, end, position));
  record->sectorCode = static_cast<uint16_t>(ReadCsvInt(text, end, position));
  record->tradingUnit = static_cast<int16_t>(ReadCsvInt(text, end, position));
}

StockMasterRecord* FindOrAppendMasterRecord(StockMasterFile* master, StockCode code) {
  for (int32_t i = 0; i < master->count; ++i) {
    if (master->records[i].code == code) return &master->records[i];
  }
  if (master->count >= kMaxStocks) return nullptr;
  StockMasterRecord* record = &master->records[master->count++];
  *record = StockMasterRecord{};
  return record;
}

void ApplyMasterLine(StockMasterFile* master, const char* text, int start, int end) {
  int position = start;
  const StockCode code = ReadCsvCode(text, end, &position);
  if (!IsStockCodeInRange(code)) return;
  StockMasterRecord* record = FindOrAppendMasterRecord(master, code);
  if (record == nullptr) return;
  StockMasterRecord updated = {};
  updated.code = code;
  ReadMasterFields(text, end, &position, &updated);
  // Stored as the table would hold it, so that the file exports as it reads.
  RepairStockMasterRecord(updated);
  *record = updated;
}

}  // namespace

// ---- Program update ----

void RunOnlineUpdate() { gUpdateReady = 0; }

// ---- Downloads and lists ----

// Nothing is fetched: lists put into "NEWDATA2026\" by hand are applied.
// The stock-information commands apply them even when unchanged.
void DownloadStockInfoFiles(int* kenListNew, int* stockInfoNew, int mode) {
  ApplyNewDataFolderLists(kenListNew, stockInfoNew, mode);
}

void DownloadSellerMasterLists(int* kenListNew, int* stockInfoNew) {
  *kenListNew = 0;
  *stockInfoNew = 0;
}

// Leaves "TMPDOWN\" as it is, so that archives put there by hand are imported.
int DownloadNewPriceFiles(int* fileCount) {
  *fileCount = 0;
  MakeDataFolderCurrent();
  PlatformListFolder(
      "TMPDOWN\\",
      [](void* context, const char* name, bool isFolder) {
        const size_t length = strlen(name);
        if (!isFolder && length > 4 && EqualsIgnoringCase(name + length - 4, ".zip")) ++*static_cast<int*>(context);
      },
      fileCount);
  return 0;
}

int ShowDataSourceDialog(int) { return 0; }

char* Vendor1HttpGet(const char*, const char*, const char*, uint32_t* size, unsigned long* errorNumber) {
  if (size != nullptr) *size = 0;
  if (errorNumber != nullptr) *errorNumber = kNetErrorCannotConnect;
  return nullptr;
}

void FormatErrorNumber(char* out, int size, unsigned long errorNumber) {
  if (out == nullptr || size <= 0) return;
  char reason[kErrorTextSize];
  LookUpNetErrorText(errorNumber, reason, sizeof reason);
  char text[kErrorTextSize + 64];
  snprintf(text, sizeof text, "エラー番号 %lu（%s）", errorNumber, reason);
  CopySjisText(out, text, size);
}

int RefreshStockMasterFromQuoteSite(StockMasterFile*, const char*, uint32_t, const char*, uint32_t) { return 0; }

void UpdateStockMasterFromCsv(StockMasterFile* master, const char* text, int length) {
  if (master == nullptr || text == nullptr || length <= 0) return;
  master->count = std::clamp(master->count, 0, kMaxStocks);
  int start = 0;
  while (start < length) {
    const int end = FindLineEnd(text, length, start);
    if (end > start) ApplyMasterLine(master, text, start, end);
    start = end + 1;
  }
}

void ApplyIndexWeightList(const StockCode* codes, int count) {
  if (gStockTable == nullptr || codes == nullptr || count <= kIndexWeightListMinimum) return;
  const int stocks = std::clamp(gStockTable->count, 0, kMaxStocks);
  for (int i = 0; i < stocks; ++i) gStockTable->records[i].flags &= ~kStockFlagIndexWeight;
  for (int i = 0; i < count; ++i) {
    const int index = FindStockIndexByCode(codes[i]);
    if (index >= 0 && index < stocks) gStockTable->records[index].flags |= kStockFlagIndexWeight;
  }
}

// ---- Broker workers: no broker connection in this build ----

void BrokerToggleRealTimeReceive() { gRealTimeReceiveOn = 0; }
void BrokerStopRealTimeReceive() { gRealTimeRunning = 0; }
void BrokerStartRealTimeReceive() {}
void BrokerStopPastPriceFetch() { gPastPriceRunning = 0; }
void BrokerStartPastPriceFetch() {}
void BrokerShutdownClient() { gRealTimeRunning = 0; }

void BrokerDownloadTodayPrices(int* stockCount) { *stockCount = 0; }

void BrokerUpdateRealTimeStatusText() {}

// ---- Spreadsheet order link and live quotes ----

// The link cannot be opened here, so it can only be switched off.
void OrderLinkToggle() { gOrderLinkOn = 0; }
void OrderLinkStop() {}
void StopQuoteFeed() {}

void ResetLiveQuoteState() {
  gNewestQuoteDate = 0;
  ResetLiveQuoteCounters();
  for (int& index : gQuoteLastSeenIndexes) index = -1;
  gQuoteCompanionRunning = 0;
}

void ResetLiveQuoteCounters() {
  for (int& count : gQuoteStockCounts) count = 0;
}
