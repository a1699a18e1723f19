#include "net/master_lists.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/message_boxes.h"
#include "common/packed_date.h"
#include "common/sjis_text.h"
#include "common/text_fields.h"
#include "data/daily_cache.h"
#include "data/price_archives.h"
#include "net/online_services.h"
#include "records/settings_block.h"

namespace {

constexpr char kPrevFolder[] = "PrevProcessedData";
constexpr char kStockInfoKind[] = "cdvs";
constexpr int kFieldSize = 256;
constexpr double kMaxShares = 10000.0;
constexpr PackedDate kEarliestPriceDate = MakePackedDate(2002, 6, 1);
constexpr uint16_t kIndexMarketId = 6;
constexpr uint16_t kIndexMarketFlags = 0x80;
constexpr int kStrChooseStockInfoFile = 183;
constexpr char kSaveTitle[] = "where do you want to save file to?";
constexpr char kTextFilter[] = "*.txt\0*.txt\0";
constexpr char kZipFilter[] = "Zip Files (*.ZIP)\0*.ZIP\0";
constexpr char kVendorTempZip[] = "vqtmp.zip";
constexpr char kOutOfMemoryText[] = "メモリ不足で作業が続行できません。";
constexpr char kNoKenReadText[] =
    "選んだファイルから分割情報を1件も読み取れなかったため、BASEDATA\\ken.datは変更していません。";
constexpr char kNoStockReadText[] =
    "選んだファイルから銘柄情報を1件も読み取れなかったため、BASEDATA\\stockinf.datは変更していません。";
constexpr char kNoPriceTableText[] = "ナルビスタルから最終取引日の価格表が入手できませんでした。";
constexpr char kKenTextHeader[] =
    "年,月,日,コード,分割後の株数（例：１株→２株の場合は 2 ／減資２株→１株の場合は0.5）\r\n";
constexpr char kStockMasterTextHeader[] = "コード,名前,よみがな,ティル呼称,代表市場,上場市場,業種コード,取引単位\r\n";
constexpr MasterListNames kNewkenNames = {"分割情報リスト(newken.txt)", "現在の分割情報にある銘柄",
                                          "分割情報(BASEDATA\\ken.dat)"};
constexpr MasterListNames kPinfoNames = {"銘柄情報リスト(pinfo.txt)", "現在の銘柄", "銘柄情報(BASEDATA\\stockinf.dat)"};

// Market tags of the lists, by market id 1..12.
constexpr const char* kMarketTags[] = {"tp", "ts", "tg", "t", "n", "i", "t1", "t2", "m", "q", "o", "j"};

// ---- Lines --------------------------------------------------------------

// The CR-converted copy of a list, which is also what "PrevProcessedData\" keeps.
std::string ConvertedCopy(const char* text, int length) {
  std::string copy(text, static_cast<size_t>(std::max(length, 0)));
  ConvertLfToCr(copy.data(), static_cast<int>(copy.size()));
  return copy;
}

// Calls fn(start, end) for every non-empty line of a CR-converted text.
template <typename Fn>
void ForEachLine(const std::string& text, Fn fn) {
  const int length = static_cast<int>(text.size());
  int start = 0;
  while (start < length) {
    const void* found = memchr(text.data() + start, '\r', static_cast<size_t>(length - start));
    const int end = found != nullptr ? static_cast<int>(static_cast<const char*>(found) - text.data()) : length;
    if (end > start) fn(start, end);
    start = end + 1;
  }
}

bool StartsWithDigit(const std::string& text, int start) { return IsDigitChar(static_cast<uint8_t>(text[start])); }

// 0 for what is no date, so that no list stores one.
PackedDate DateFromParts(int year, int month, int day) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  return MakePackedDate(year, month, day);
}

PackedDate DateFromNumber(int number) { return DateFromParts(number / 10000, number / 100 % 100, number % 100); }

// 0 when the tag is not one of the lists' market tags.
int MarketIdOfTag(const char* tag) {
  for (int i = 0; i < static_cast<int>(std::size(kMarketTags)); ++i)
    if (strcmp(tag, kMarketTags[i]) == 0) return i + 1;
  return 0;
}

// ---- Applied-list copies --------------------------------------------------

bool SameAsPrevious(const char* prevPath, const std::string& text) {
  if (GetFileSizeByName(prevPath) != static_cast<int64_t>(text.size())) return false;
  uint32_t size = 0;
  char* previous = LoadFileToMemory(prevPath, &size, 1);
  if (previous == nullptr) return false;
  const bool same = size == text.size() && memcmp(previous, text.data(), size) == 0;
  FreeBlock(previous);
  return same;
}

void KeepAppliedCopy(const char* prevPath, const std::string& text) {
  MakeDataFolderCurrent();
  PlatformCreateFolder(kPrevFolder);
  SaveBufferToFile(prevPath, text.data(), static_cast<uint32_t>(text.size()));
}

// The list applied last time, which is not applied again unless forced.
bool IsUnchangedList(const std::string& converted, const char* prevPath, int force) {
  MakeDataFolderCurrent();
  return force == 0 && SameAsPrevious(prevPath, converted);
}

void ShowListMessage(const std::string& text) {
  PlatformMessageBox(gMainWnd, text.c_str(), gAppTitle, kMbOk | kMbIconExclamation);
}

// False, after telling the user, when the list is refused.
bool PassesListChecks(const MasterListNames& names, const ListVerdict& verdict) {
  if (verdict.refusal == ListRefusal::kNone) return true;
  ShowListMessage(DescribeListRefusal(names, verdict));
  return false;
}

// Copies the file a list replaces into "PrevProcessedData\", so that the list
// can be undone by hand. False, after telling the user, when the copy could
// not be made; a file that is not there yet needs none.
bool CopyFileAside(const char* path, const char* asidePath, const MasterListNames& names) {
  MakeDataFolderCurrent();
  if (GetFileSizeByName(path) < 0) return true;
  int error = PlatformCreateFolder(kPrevFolder);
  uint32_t size = 0;
  char* bytes = error == 0 ? LoadFileToMemory(path, &size, 1) : nullptr;
  if (error == 0) error = bytes != nullptr ? SaveBufferToFile(asidePath, bytes, size) : kErrorReadFault;
  FreeBlock(bytes);
  if (error == 0) return true;
  ShowListMessage(DescribeFailedCopyAside(names, asidePath, error));
  return false;
}

// ---- newken.txt -----------------------------------------------------------

// One line: YYYYMMDD, code, shares after the split for one before.
bool ReadNewkenLine(const std::string& text, int start, int end, KenRecord* record) {
  int position = start;
  const PackedDate date = DateFromNumber(ReadCsvInt(text.data(), end, &position));
  const StockCode code = ReadCsvCode(text.data(), end, &position);
  const double shares = ReadCsvDouble(text.data(), end, &position);
  int32_t ratio = 0;
  if (date == 0 || !IsStockCodeInRange(code) || !SharesToKenRatio(shares, &ratio)) return false;
  *record = KenRecord{date, code, ratio};
  return true;
}

void MarkAnalysisStale() {
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
}

// ---- pinfo.txt --------------------------------------------------------------

struct PinfoLine {
  StockCode code;
  int marketId;
};

// The code and market of a line; a market id of 0 when the line is not one of the list's.
PinfoLine ReadPinfoHead(const std::string& text, int end, int* position) {
  const StockCode code = GetCanonicalIndexCode(ReadCsvStockCode(text.data(), end, position));
  char tag[kFieldSize];
  ReadCsvField(text.data(), end, position, tag, sizeof tag);
  return {code, IsStockCodeInRange(code) ? MarketIdOfTag(tag) : 0};
}

void ReadTextField(const std::string& text, int end, int* position, char* out, int size) {
  char field[kFieldSize];
  ReadCsvField(text.data(), end, position, field, sizeof field);
  CopySjisText(out, field, size);
}

// The stock of a "cdvs" line; the market flags are set once the whole list is read.
void ReadStockInfoRecord(const std::string& text, int end, int* position, const PinfoLine& head,
                         StockMasterRecord* record) {
  *record = StockMasterRecord{};
  record->code = head.code;
  ReadTextField(text, end, position, record->reading, sizeof record->reading);
  ReadTextField(text, end, position, record->name, sizeof record->name);
  ReadTextField(text, end, position, record->shortName, sizeof record->shortName);
  record->marketId = static_cast<uint16_t>(head.marketId);
  record->sectorCode = static_cast<uint16_t>(ReadCsvInt(text.data(), end, position));
  ReadCsvInt(text.data(), end, position);  // not used
  record->tradingUnit = static_cast<int16_t>(ReadCsvInt(text.data(), end, position));
}

// The next price update downloads again from the day the previous list was
// applied. A first list has no such day: the stored prices stand.
void MovePriceDateBackToPreviousList(PackedDate previousListDate) {
  if (previousListDate == 0 || gLastPriceDate <= previousListDate) return;
  gLastPriceDate = PackedYear(previousListDate) < 2002 ? kEarliestPriceDate : previousListDate;
}

// ---- Tools ------------------------------------------------------------------

void ShowOutOfMemory() { PlatformMessageBox(gMainWnd, kOutOfMemoryText, gAppTitle, kMbOk); }

// The save dialog of the exports, then the text; a failure is reported.
void SaveTextAs(const char* defaultName, const std::string& text) {
  char path[kMaxPath];
  snprintf(path, sizeof path, "%s", defaultName);
  if (!ShowSaveFileDialog(gInstance, gMainWnd, kSaveTitle, path, nullptr, kTextFilter)) return;
  const int error = SaveBufferToFile(path, text.data(), static_cast<uint32_t>(text.size()));
  if (error != 0) ShowErrorMessage(gMainWnd, error);
}

// An open dialog for "*.txt" and the whole file; null when cancelled or unreadable.
char* AskForTextFile(uint32_t* size) {
  char path[kMaxPath] = "";
  if (!PromptOpenFileWithTitle(gMainWnd, nullptr, path, kTextFilter)) return nullptr;
  return LoadFileToMemory(path, size, 0);
}

int WriteStockMasterFile(const StockMasterFile& master) {
  MakeDataFolderCurrent();
  return SaveBufferToFile(kStockMasterPath, &master, sizeof master);
}

// The vendor's price table of the last price date (the first member of its
// archive); null after telling the user when it cannot be had.
char* DownloadLastPriceTable(uint32_t* size) {
  char path[64];
  const PackedDate date = gLastPriceDate;
  snprintf(path, sizeof path, "/data/%d/%d%02d%02d.zip", PackedYear(date), PackedYear(date), PackedMonth(date),
           PackedDay(date));
  uint32_t bodySize = 0;
  unsigned long errorNumber = 0;
  const char* body = Vendor1HttpGet("", "", path, &bodySize, &errorNumber);
  char* table = nullptr;
  if (body != nullptr && bodySize > 0) {
    MakeDataFolderCurrent();
    if (SaveBufferToFile(kVendorTempZip, body, bodySize) == 0)
      table = LoadPriceArchiveText(kVendorTempZip, nullptr, 0, size);
    PlatformDeleteFile(kVendorTempZip);
  }
  if (table != nullptr && *size > 0) return table;
  FreeBlock(table);
  std::string text = std::string(kNoPriceTableText) + "\r\n\r\n";
  if (errorNumber > 0) {
    char number[320];
    FormatErrorNumber(number, sizeof number, errorNumber);
    text += number;
  }
  PlatformMessageBox(gMainWnd, text.c_str(), gAppTitle, kMbOk);
  return nullptr;
}

void MarkIndexRecords(StockMasterFile* master) {
  for (int i = 0; i < master->count; ++i) {
    StockMasterRecord& record = master->records[i];
    for (int index = 0; index < 3; ++index) {
      if (record.code != gCanonicalIndexCodes[index]) continue;
      record.marketId = kIndexMarketId;
      record.marketFlags = kIndexMarketFlags;
    }
  }
}

// Fills the master from a stock-information file the user picks and the price table.
bool FillMasterFromChosenFile(StockMasterFile* master, const char* priceTable, uint32_t priceTableSize) {
  char path[kMaxPath] = "";
  if (!PromptOpenFile(gInstance, gMainWnd, kStrChooseStockInfoFile, path, kZipFilter)) return false;
  uint32_t size = 0;
  char* info = LoadPriceArchiveText(path, nullptr, 0, &size);
  if (info == nullptr) return false;
  const int filled = RefreshStockMasterFromQuoteSite(master, info, size, priceTable, priceTableSize);
  FreeBlock(info);
  return filled != 0;
}

}  // namespace

int CountListLines(const char* text, int length) {
  if (text == nullptr) return 0;
  int lines = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= length || text[i + 1] != '\n'))) ++lines;
  }
  const bool unterminated = length > 0 && text[length - 1] != '\r' && text[length - 1] != '\n';
  return lines + (unterminated ? 1 : 0);
}

bool SharesToKenRatio(double shares, int32_t* ratio) {
  if (!(shares > 0.0 && shares < kMaxShares)) return false;
  // Rounded: 1.2 is stored a little below itself, and truncation would give 19.
  const long factor = std::lround(shares * 100.0);
  if (factor < 1) return false;
  *ratio = static_cast<int32_t>(factor - 100);
  return true;
}

int ReadNewkenList(const std::string& converted, KenTable* table) {
  table->tag = kKenTag;
  table->count = 0;
  int entries = 0;
  KenRecord record{};
  ForEachLine(converted, [&](int start, int end) {
    if (!StartsWithDigit(converted, start) || !ReadNewkenLine(converted, start, end, &record)) return;
    ++entries;
    if (table->count < kMaxKenRecords) table->records[table->count++] = record;
  });
  return entries;
}

int ReadPinfoList(const std::string& converted, StockMasterFile* master) {
  master->count = 0;
  std::unordered_map<StockCode, int> recordOf;
  std::unordered_map<StockCode, uint16_t> marketsOf;
  int lines = 0;
  ForEachLine(converted, [&](int start, int end) {
    int position = start;
    const PinfoLine head = ReadPinfoHead(converted, end, &position);
    if (head.marketId == 0) return;
    ++lines;
    // Every line, "cdvs" or not, adds its market to the stock's listed markets.
    marketsOf[head.code] |= GetMarketFlagFromId(head.marketId);
    char kind[kFieldSize];
    ReadCsvField(converted.data(), end, &position, kind, sizeof kind);
    if (strcmp(kind, kStockInfoKind) != 0) return;
    const auto [found, added] = recordOf.try_emplace(head.code, master->count);
    if (added && master->count >= kMaxStocks) {
      recordOf.erase(found);
      return;
    }
    if (added) ++master->count;
    ReadStockInfoRecord(converted, end, &position, head, &master->records[found->second]);
  });
  for (int i = 0; i < master->count; ++i) master->records[i].marketFlags = marketsOf[master->records[i].code];
  return lines;
}

int ApplyNewkenList(const char* text, int length, int force) {
  if (text == nullptr || length < 0) return 0;
  const std::string converted = ConvertedCopy(text, length);
  if (IsUnchangedList(converted, kPrevKenListPath, force)) return 0;
  auto* table = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  if (table == nullptr) {
    PlayWarningBeep();
    return 0;
  }
  const int lines = ReadNewkenList(converted, table);
  if (!PassesListChecks(kNewkenNames, CheckNewkenList(lines, CountListLines(text, length), *table, gKenTable)) ||
      !CopyFileAside(kKenFilePath, kKenBackupPath, kNewkenNames)) {
    FreeBlock(table);
    return 0;
  }
  KenTable* previous = gKenTable;
  gKenTable = table;
  const int error = SaveKenFile();
  if (error != 0) {
    gKenTable = previous;
    FreeBlock(table);
    ShowErrorMessage(gMainWnd, error);
    return 0;
  }
  FreeBlock(previous);
  MarkAnalysisStale();
  gKenUpdateDate = GetTodayPacked();
  KeepAppliedCopy(kPrevKenListPath, converted);
  return 1;
}

int ApplyPinfoList(const char* text, int length, int force) {
  if (text == nullptr || length < 0) return 0;
  const std::string converted = ConvertedCopy(text, length);
  if (IsUnchangedList(converted, kPrevPinfoListPath, force)) return 0;
  std::unique_ptr<StockMasterFile, void (*)(void*)> master(
      static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile))), FreeBlock);
  if (master == nullptr) {
    ShowOutOfMemory();
    return 0;
  }
  const int lines = ReadPinfoList(converted, master.get());
  if (!PassesListChecks(kPinfoNames, CheckPinfoList(lines, CountListLines(text, length), *master, gStockTable)))
    return 0;
  // The merge moves stocks, which unwritten cache entries forbid: the cache is
  // written first (a failed write has been reported), so that once the new
  // file is written the merge cannot fail.
  if (!FlushAndFreeDailyCache() || !CopyFileAside(kStockMasterPath, kStockMasterBackupPath, kPinfoNames)) return 0;
  const int error = WriteStockMasterFile(*master);
  if (error != 0) {
    ShowErrorMessage(gMainWnd, error);
    return 0;
  }
  if (!MergeStockMaster(*master)) return 0;
  MovePriceDateBackToPreviousList(gPinfoUpdateDate);
  MarkAnalysisStale();
  gPinfoUpdateDate = GetTodayPacked();
  ResetLiveQuoteCounters();
  KeepAppliedCopy(kPrevPinfoListPath, converted);
  return 1;
}

void ApplyNewDataFolderLists(int* kenResult, int* pinfoResult, int force) {
  struct ListFile {
    const char* path;
    int (*apply)(const char*, int, int);
    int* result;
  };
  const ListFile lists[] = {{kNewKenListPath, ApplyNewkenList, kenResult},
                            {kPinfoListPath, ApplyPinfoList, pinfoResult}};
  for (const ListFile& list : lists) {
    *list.result = 0;
    MakeDataFolderCurrent();
    const int64_t fileSize = GetFileSizeByName(list.path);
    if (fileSize < 0) continue;
    // An empty list is a broken download too, and is refused as one.
    uint32_t size = 0;
    char* text = fileSize > 0 ? LoadFileToMemory(list.path, &size, 0) : nullptr;
    if (fileSize > 0 && text == nullptr) continue;  // the read error has been shown
    *list.result = list.apply(text != nullptr ? text : "", static_cast<int>(size), force);
    FreeBlock(text);
  }
}

void ClearNewDataFolder() {
  MakeDataFolderCurrent();
  PlatformCreateFolder("NEWDATA2026");
  DeleteAllFilesInFolder(kNewDataFolder);
}

void DeleteAllFilesInFolder(const char* folder) {
  std::vector<std::string> files;
  PlatformListFolder(
      folder,
      [](void* context, const char* name, bool isFolder) {
        if (!isFolder) static_cast<std::vector<std::string>*>(context)->push_back(name);
      },
      &files);
  for (const std::string& name : files) PlatformDeleteFile((std::string(folder) + name).c_str());
}

std::string FormatKenText(const KenTable& table) {
  std::string text = kKenTextHeader;
  const int count = std::clamp(table.count, 0, kMaxKenRecords);
  for (int i = 0; i < count; ++i) {
    const KenRecord& record = table.records[i];
    const int factor = record.ratio + 100;
    char code[5];
    char line[96];
    snprintf(line, sizeof line, "%d,%d,%d,%s,%s%d.%02d\r\n", PackedYear(record.exDate), PackedMonth(record.exDate),
             PackedDay(record.exDate), CodeToString(record.code, code), factor < 0 ? "-" : "", std::abs(factor) / 100,
             std::abs(factor) % 100);
    text += line;
  }
  return text;
}

int ParseKenText(const char* text, int length, KenTable* table) {
  const std::string converted = ConvertedCopy(text, length);
  table->tag = kKenTag;
  table->count = 0;
  ForEachLine(converted, [&](int start, int end) {
    if (table->count >= kMaxKenRecords || !StartsWithDigit(converted, start)) return;
    int position = start;
    const int year = ReadCsvInt(converted.data(), end, &position);
    const int month = ReadCsvInt(converted.data(), end, &position);
    const int day = ReadCsvInt(converted.data(), end, &position);
    const StockCode code = ReadCsvCode(converted.data(), end, &position);
    const PackedDate date = DateFromParts(year, month, day);
    int32_t ratio = 0;
    if (date == 0 || !IsStockCodeInRange(code) ||
        !SharesToKenRatio(ReadCsvDouble(converted.data(), end, &position), &ratio))
      return;
    table->records[table->count++] = KenRecord{date, code, ratio};
  });
  return table->count;
}

std::string FormatStockMasterText(const StockMasterFile& master) {
  std::string text = kStockMasterTextHeader;
  const int count = std::clamp(master.count, 0, kMaxStocks);
  for (int i = 0; i < count; ++i) {
    StockMasterRecord record = master.records[i];
    RepairStockMasterRecord(record);
    char code[5];
    char line[256];
    snprintf(line, sizeof line, "%s,%s,%s,%s,%d,%d,%d,%d\r\n", CodeToString(record.code, code), record.name,
             record.reading, record.shortName, record.marketId, record.marketFlags, record.sectorCode,
             record.tradingUnit);
    text += line;
  }
  return text;
}

void ExportKenText() {
  if (gKenTable == nullptr) return;
  SaveTextAs("ken.txt", FormatKenText(*gKenTable));
}

void ImportKenText() {
  uint32_t size = 0;
  char* text = AskForTextFile(&size);
  if (text == nullptr) return;
  auto* table = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  if (table == nullptr) {
    FreeBlock(text);
    PlayWarningBeep();
    return;
  }
  const int read = ParseKenText(text, static_cast<int>(size), table);
  FreeBlock(text);
  if (read == 0) {
    FreeBlock(table);
    ShowListMessage(kNoKenReadText);
    return;
  }
  FreeBlock(gKenTable);
  gKenTable = table;
  const int error = SaveKenFile();
  if (error != 0) ShowErrorMessage(gMainWnd, error);
}

void ExportStockMasterText() {
  std::unique_ptr<StockMasterFile, void (*)(void*)> master(
      static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile))), FreeBlock);
  if (master == nullptr) {
    PlayWarningBeep();
    return;
  }
  MakeDataFolderCurrent();
  if (LoadFileToBuffer(kStockMasterPath, master.get(), sizeof(StockMasterFile)) != 0) {
    PlayWarningBeep();
    return;
  }
  NormalizeStockMasterCodes(*master);
  SaveTextAs("stockinf.txt", FormatStockMasterText(*master));
}

void ImportStockMasterText() {
  uint32_t size = 0;
  char* text = AskForTextFile(&size);
  if (text == nullptr) return;
  std::unique_ptr<StockMasterFile, void (*)(void*)> master(
      static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile))), FreeBlock);
  if (master != nullptr) UpdateStockMasterFromCsv(master.get(), text, static_cast<int>(size));
  FreeBlock(text);
  if (master == nullptr) {
    PlayWarningBeep();
    return;
  }
  if (master->count == 0) {
    ShowListMessage(kNoStockReadText);
    return;
  }
  NormalizeStockMasterCodes(*master);
  if (WriteStockMasterFile(*master) != 0) PlayWarningBeep();
}

void CreateStockMasterFromVendor() {
  std::unique_ptr<StockMasterFile, void (*)(void*)> master(
      static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile))), FreeBlock);
  if (master == nullptr) {
    PlayWarningBeep();
    return;
  }
  uint32_t tableSize = 0;
  char* priceTable = DownloadLastPriceTable(&tableSize);
  if (priceTable == nullptr) return;
  const bool filled = FillMasterFromChosenFile(master.get(), priceTable, tableSize);
  FreeBlock(priceTable);
  if (!filled) return;
  MarkIndexRecords(master.get());
  if (WriteStockMasterFile(*master) != 0) {
    PlayWarningBeep();
    return;
  }
  LoadStockMaster();
}
