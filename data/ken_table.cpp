#include "data/ken_table.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "data/data_hooks.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "data/zip_member.h"
#include "common/app_globals.h"
#include "records/settings_block.h"
#include "data/bar_repair.h"

KenTable* gKenTable = nullptr;

namespace {

constexpr uint32_t kKenHeaderBytes = 8;
constexpr uint32_t kKenRecordBytes = 12;
constexpr int kNoKenFileError = -1;  // no system text: the box shows the number
constexpr int kStrChooseFileTitle = 183;
constexpr char kKenImportFilter[] =
    "KENRI FILE\0ken.dat;ken.zip\0Zip Files (*.ZIP)\0*.zip\0Data Files (*.DAT)\0*.dat\0"
    "All Files (*.*)\0*.*\0";
constexpr char kKenReadErrorText[] = "権利落ちファイル(ken.dat)が読み込めませんでした(リードエラー)。";
constexpr char kKenFormatErrorText[] = "権利落ちファイルの形式が正しくありません。";

constexpr StockCode PackCodeText(const char (&text)[5]) {
  return StockCode{static_cast<uint8_t>(text[0])} << 24 | StockCode{static_cast<uint8_t>(text[1])} << 16 |
         StockCode{static_cast<uint8_t>(text[2])} << 8 | StockCode{static_cast<uint8_t>(text[3])};
}

// Consolidations whose factor is below 1, which the ratio field cannot hold.
struct FactorCorrection {
  StockCode code;
  PackedDate exDate;
  double factor;
};
constexpr FactorCorrection kFactorCorrections[] = {
    {PackCodeText("4830"), MakePackedDate(2004, 11, 8), 0.1},
    {PackCodeText("8308"), MakePackedDate(2005, 8, 2), 0.1},
    {PackCodeText("7470"), MakePackedDate(2005, 1, 13), 0.01},
    {PackCodeText("2342"), MakePackedDate(2006, 9, 30), 0.1},
};

uint32_t ReadU32(const char* p) {
  uint32_t value;
  memcpy(&value, p, sizeof value);
  return value;
}

int32_t ReadI32(const char* p) {
  int32_t value;
  memcpy(&value, p, sizeof value);
  return value;
}

int16_t ReadI16(const char* p) {
  int16_t value;
  memcpy(&value, p, sizeof value);
  return value;
}

// The stored count, but never more records than the table or the bytes hold.
int32_t BoundKenCount(int32_t count, uint64_t bytes) {
  if (count <= 0 || bytes < kKenHeaderBytes) return 0;
  const uint64_t held = std::min<uint64_t>((bytes - kKenHeaderBytes) / kKenRecordBytes, kMaxKenRecords);
  return static_cast<int32_t>(std::min<uint64_t>(static_cast<uint64_t>(count), held));
}

// Old records hold a plain 16-bit number where the code goes.
void ConvertOldKenImage(const char* data, uint32_t size, KenTable* table) {
  const int32_t count = BoundKenCount(size >= kKenHeaderBytes ? ReadI32(data + 4) : 0, size);
  for (int32_t i = 0; i < count; ++i) {
    const char* record = data + kKenHeaderBytes + kKenRecordBytes * static_cast<uint32_t>(i);
    table->records[i].exDate = ReadU32(record);
    table->records[i].code = static_cast<StockCode>(static_cast<int32_t>(ReadI16(record + 4)));
    table->records[i].ratio = ReadI32(record + 8);
  }
  table->tag = kKenTag;
  table->count = count;
}

void CopyKenImage(const char* data, uint32_t size, KenTable* table) {
  const uint32_t bytes = std::min<uint32_t>(size, sizeof(KenTable));
  memcpy(table, data, bytes);
  table->tag = kKenTag;
  table->count = BoundKenCount(bytes >= kKenHeaderBytes ? table->count : 0, bytes);
}

void ConvertNumericKenCodes(KenTable* table) {
  if (table->count < 1 || !CodeLess(table->records[0].code, gMinStockCode)) return;
  for (int32_t i = 0; i < table->count; ++i) {
    KenRecord& record = table->records[i];
    record.code = NumberToCode(static_cast<int32_t>(record.code));
  }
}

bool IsKenTag(uint32_t tag) { return tag == kKenTag || tag == kOldKenTag; }

// Fills the table from a file image of either format.
void InstallKenImage(const char* data, uint32_t size, KenTable* table) {
  if (ReadU32(data) == kOldKenTag) {
    ConvertOldKenImage(data, size, table);
  } else {
    CopyKenImage(data, size, table);
  }
  ConvertNumericKenCodes(table);
}

// 0, or the error code for the box.
int ReadKenFile(KenTable* table) {
  const uint32_t tag = ReadFileMagic(kKenFilePath);
  if (tag == kKenTag) {
    uint32_t read = 0;
    const int error = LoadFileToBufferEx(kKenFilePath, table, sizeof(KenTable), &read);
    if (error != 0) return error;
    table->tag = kKenTag;
    table->count = BoundKenCount(table->count, read);
    return 0;
  }
  if (tag != kOldKenTag) return kNoKenFileError;
  uint32_t size = 0;
  char* data = LoadFileToMemory(kKenFilePath, &size, 0);
  if (data == nullptr) return kNoKenFileError;
  const bool sameTag = size >= sizeof tag && ReadU32(data) == kOldKenTag;
  if (sameTag) ConvertOldKenImage(data, size, table);
  FreeBlock(data);
  return sameTag ? 0 : kNoKenFileError;
}

void ShowKenReadError(int error) {
  ReportDataMessage(kKenReadErrorText, gAppTitle, kMbOk);
  ReportDataError(error);
}

// A conversion toward zero that holds at the ends of the 32-bit range.
int32_t TruncateToInt32(double value) {
  if (value != value) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int32_t>(value);
}

double SplitFactor(const KenRecord& record) {
  for (const FactorCorrection& correction : kFactorCorrections) {
    if (correction.code == record.code && correction.exDate == record.exDate) return correction.factor;
  }
  return static_cast<double>(record.ratio) + 100.0;
}

// First bar on or after the date that traded; -1 when none.
int FindSplitBoundary(const BarSeries& series, int count, PackedDate exDate) {
  for (int i = 0; i < count; ++i) {
    if (series.bars[i].date >= exDate && series.bars[i].volume != 0) return i;
  }
  return -1;
}

void ScaleBarsBefore(BarSeries* out, int boundary, double factor) {
  for (int i = 0; i < boundary; ++i) {
    PriceBar& bar = out->bars[i];
    bar.open = TruncateToInt32(bar.open * 100.0 / factor);
    bar.high = TruncateToInt32(bar.high * 100.0 / factor);
    bar.low = TruncateToInt32(bar.low * 100.0 / factor);
    bar.close = TruncateToInt32(bar.close * 100.0 / factor);
    bar.volume = TruncateToInt32(bar.volume * factor / 100.0);
  }
}

// The table to import into, made when loading could not allocate one.
KenTable* EnsureKenTable() {
  if (gKenTable == nullptr) gKenTable = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  if (gKenTable == nullptr) PlayWarningBeep();
  return gKenTable;
}

}  // namespace

void LoadKenFile() {
  auto* table = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  FreeBlock(gKenTable);
  gKenTable = table;
  if (table == nullptr) {
    PlayWarningBeep();
    return;
  }
  table->tag = kKenTag;
  table->count = 0;
  MakeDataFolderCurrent();
  const int error = ReadKenFile(table);
  if (error != 0) {
    table->tag = kKenTag;
    table->count = 0;
    ShowKenReadError(error);
    return;
  }
  ConvertNumericKenCodes(table);
}

int SaveKenFile() {
  if (gKenTable == nullptr) return 0;
  MakeDataFolderCurrent();
  gKenTable->tag = kKenTag;
  const int32_t count = std::clamp(gKenTable->count, 0, kMaxKenRecords);
  return SaveBufferToFile(kKenFilePath, gKenTable, kKenHeaderBytes + kKenRecordBytes * static_cast<uint32_t>(count));
}

void AdjustBarsForSplits(const BarSeries& source, BarSeries* out) {
  const int count = std::clamp(source.count, 0, kMaxBars);
  if (out != &source) {
    out->code = source.code;
    memcpy(out->bars, source.bars, sizeof(PriceBar) * static_cast<size_t>(count));
  }
  out->count = count;
  if (gKenTable == nullptr) return;
  const int records = std::clamp(gKenTable->count, 0, kMaxKenRecords);
  for (int r = 0; r < records; ++r) {
    const KenRecord& record = gKenTable->records[r];
    if (record.code != source.code) continue;
    const int boundary = FindSplitBoundary(source, count, record.exDate);
    const double factor = SplitFactor(record);
    if (boundary < 0 || factor <= 0.0) continue;
    ScaleBarsBefore(out, boundary, factor);
  }
  RaisePricesToOne(out);
}

void ImportKenFile() {
  char path[kMaxPath];
  if (!PromptOpenFile(gInstance, gMainWnd, kStrChooseFileTitle, path, kKenImportFilter)) return;
  uint32_t size = 0;
  char* data = LoadFirstZipMember(path, &size);
  if (data == nullptr) data = LoadFileToMemory(path, &size, 0);
  if (data == nullptr) return;
  if (size < sizeof(uint32_t) || !IsKenTag(ReadU32(data))) {
    FreeBlock(data);
    ReportDataMessage(kKenFormatErrorText, gAppTitle, kMbOk | kMbIconExclamation);
    return;
  }
  KenTable* table = EnsureKenTable();
  if (table != nullptr) InstallKenImage(data, size, table);
  FreeBlock(data);
  if (table == nullptr) return;
  const int error = SaveKenFile();
  if (error != 0) ReportDataError(error);
}
