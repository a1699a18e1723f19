// Applies arbitrary texts as the downloaded lists "newken.txt" and
// "pinfo.txt" to a small database, and reads them as the developer menu's
// "ken.txt" and "stockinf.txt". A refused list must leave every file of the
// data folder as it was, byte for byte, and say so in one message naming the
// list. An applied one must change only its own file, keep the file it
// replaced and itself in "PrevProcessedData\", not be applied again, and
// what it stored must export to text and import again unchanged. The texts
// read as ken.txt or stockinf.txt must do the same.
//
// Input: one byte of options, then the text. A list needs 4000 lines that
// read, and reading and writing whole lists is slow: one input in 32 (by a
// hash of all its bytes, so that mutants of any input get there) has lines
// added up to a whole list, listing the stocks held or not. The others are
// refused for their few lines, and what they read must still export and
// import unchanged.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/packed_date.h"
#include "common/text_fields.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "fuzz/fuzz_support.h"
#include "net/master_lists.h"
#include "net/online_services.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"

namespace {

enum class Mode { kNewkenList, kPinfoList, kKenText, kStockMasterText };
constexpr uint8_t kOptionModeMask = 0x03;
constexpr uint8_t kOptionFillHeld = 0x04;  // the lines added list the stocks held (else a stock not held)
constexpr uint8_t kOptionThroughFolder = 0x08;
constexpr uint8_t kOptionForced = 0x10;

constexpr int kHeldStocks = 8;       // 1001, then 1301..1307
constexpr int kHeldSplitStocks = 4;  // 1301..1304
constexpr PackedDate kLastPriceDate = MakePackedDate(2024, 5, 10);
constexpr PackedDate kListDate = MakePackedDate(2024, 5, 1);

using Files = std::map<std::string, std::vector<uint8_t>>;

struct Baseline {
  Files files;
  std::vector<uint8_t> kenTable;  // gKenTable's used bytes
  std::vector<StockMasterRecord> table;
  std::unique_ptr<StockMasterFile> master;
  std::string fillerHeld[2], fillerOther[2];  // newken, pinfo
};
Baseline gBase;
std::string gFolder;

std::vector<uint8_t> BytesOf(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

std::vector<uint8_t> BytesOf(const std::string& text) { return BytesOf(text.data(), text.size()); }

Files FolderFiles() {
  Files files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(gFolder)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    files[path.substr(gFolder.size())] = ReadFile(path.c_str());
  }
  return files;
}

std::vector<uint8_t> KenTableBytes() {
  return BytesOf(gKenTable, 8 + sizeof(KenRecord) * static_cast<size_t>(gKenTable->count));
}

std::vector<StockMasterRecord> TableMasters() {
  std::vector<StockMasterRecord> masters;
  for (int i = 0; i < gStockTable->count; ++i) masters.push_back(gStockTable->records[i].master);
  return masters;
}

bool SameRecords(const std::vector<StockMasterRecord>& a, const std::vector<StockMasterRecord>& b) {
  return a.size() == b.size() && (a.empty() || memcmp(a.data(), b.data(), sizeof(StockMasterRecord) * a.size()) == 0);
}

StockCode HeldCode(int i) { return NumberToCode(i == 0 ? 1001 : 1300 + i); }

// Lines up to a whole list: split entries or stock lines of the held stocks, or of 9999.
std::string Filler(bool pinfo, bool held, const char* end) {
  std::string text;
  for (int i = 0; i < kMinMasterListLines; ++i) {
    const int slot = held ? i % (pinfo ? kHeldStocks : kHeldSplitStocks) + (pinfo ? 0 : 1) : -1;
    const std::string code = slot < 0 ? "9999" : CodeToString(HeldCode(slot));
    if (pinfo) {
      text += code + (held && i < kHeldStocks ? ",tp,cdvs,a,b,c,1,x,100" : ",ts,kb,,,,,,");
    } else {
      text += "2020010" + std::to_string(1 + i % 9) + "," + code + ",2";
    }
    text += end;
  }
  return text;
}

void ResetState() {
  std::filesystem::remove_all(gFolder + "PrevProcessedData");
  std::filesystem::remove_all(gFolder + "NEWDATA2026");
  for (const auto& [path, bytes] : gBase.files) WriteFile((gFolder + path).c_str(), bytes.data(), bytes.size());
  gStockTable->count = 0;
  Check(MergeStockMaster(*gBase.master));
  memcpy(gKenTable, gBase.kenTable.data(), gBase.kenTable.size());
  gLastPriceDate = kLastPriceDate;
  gPinfoUpdateDate = kListDate;
  gKenUpdateDate = kListDate;
  TakeRecordedMessageBoxes();
}

void MakeBaseline() {
  gFolder = EnterScratchDataFolder();
  std::filesystem::create_directory(gFolder + "BASEDATA");
  Check(AllocateStockTable());
  gBase.master.reset(new StockMasterFile());
  for (int i = 0; i < kHeldStocks; ++i) gBase.master->records[gBase.master->count++].code = HeldCode(i);
  gKenTable = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  gKenTable->tag = kKenTag;
  for (int i = 1; i <= kHeldSplitStocks; ++i)
    gKenTable->records[gKenTable->count++] = KenRecord{MakePackedDate(2020, 1, i), HeldCode(i), 100};
  gBase.kenTable = KenTableBytes();
  gBase.files["BASEDATA/ken.dat"] = gBase.kenTable;
  gBase.files["BASEDATA/stockinf.dat"] = BytesOf(gBase.master.get(), 4 + sizeof(StockMasterRecord) * kHeldStocks);
  ResetState();
  gBase.table = TableMasters();
  for (int pinfo = 0; pinfo < 2; ++pinfo) {
    gBase.fillerHeld[pinfo] = Filler(pinfo != 0, true, "\r\n");
    gBase.fillerOther[pinfo] = Filler(pinfo != 0, false, "\n");
  }
}

// ken.dat as the table would save it.
std::vector<uint8_t> KenFileOf(const KenTable& table) { return BytesOf(&table, 8 + 12 * size_t(table.count)); }

void CheckKenRecords(const KenTable& table) {
  Check(table.count >= 0 && table.count <= kMaxKenRecords);
  for (int i = 0; i < table.count; ++i) {
    const KenRecord& record = table.records[i];
    Check(record.ratio > -100 && IsStockCodeInRange(record.code));
    Check(PackedYear(record.exDate) >= 1900 && PackedMonth(record.exDate) >= 1 && PackedMonth(record.exDate) <= 12);
  }
}

// ken table -> ken.txt -> ken table gives the same table.
void CheckKenRoundTrip(const KenTable& table) {
  CheckKenRecords(table);
  static std::unique_ptr<KenTable> again(new KenTable());
  const std::string text = FormatKenText(table);
  ParseKenText(text.data(), static_cast<int>(text.size()), again.get());
  Check(KenFileOf(*again) == KenFileOf(table));
}

// master -> stockinf.txt -> master gives the same records.
void CheckMasterRoundTrip(const StockMasterFile& master) {
  static std::unique_ptr<StockMasterFile> again(new StockMasterFile());
  again->count = 0;
  const std::string text = FormatStockMasterText(master);
  UpdateStockMasterFromCsv(again.get(), text.data(), static_cast<int>(text.size()));
  Check(again->count == master.count);
  Check(memcmp(again->records, master.records, sizeof(StockMasterRecord) * size_t(master.count)) == 0);
}

// The text followed by lines up to a whole list.
std::string WholeListText(bool pinfo, const uint8_t* data, size_t size, bool fillHeld) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text += "\r\n";
  text += fillHeld ? gBase.fillerHeld[pinfo ? 1 : 0] : gBase.fillerOther[pinfo ? 1 : 0];
  return text;
}

int ApplyList(bool pinfo, const std::string& text, uint8_t options, Files* expected) {
  const int force = (options & kOptionForced) != 0 ? 1 : 0;
  if ((options & kOptionThroughFolder) == 0)
    return (pinfo ? ApplyPinfoList : ApplyNewkenList)(text.data(), static_cast<int>(text.size()), force);
  std::filesystem::create_directory(gFolder + "NEWDATA2026");
  const char* name = pinfo ? "NEWDATA2026/pinfo.txt" : "NEWDATA2026/newken.txt";
  WriteFile((gFolder + name).c_str(), text.data(), text.size());
  (*expected)[name] = BytesOf(text);
  int kenResult = -1, pinfoResult = -1;
  ApplyNewDataFolderLists(&kenResult, &pinfoResult, force);
  Check((pinfo ? kenResult : pinfoResult) == 0);
  return pinfo ? pinfoResult : kenResult;
}

void CheckRefused(bool pinfo, const Files& expected) {
  const auto boxes = TakeRecordedMessageBoxes();
  Check(boxes.size() == 1 && boxes[0].text.find(pinfo ? "(pinfo.txt)" : "(newken.txt)") != std::string::npos);
  Check(FolderFiles() == expected);
  Check(SameRecords(TableMasters(), gBase.table) && KenTableBytes() == gBase.kenTable);
  Check(gLastPriceDate == kLastPriceDate && gPinfoUpdateDate == kListDate && gKenUpdateDate == kListDate);
}

// Of the stocks held, those the table still has: at least half, and the index.
void CheckHeldStocksKept() {
  int kept = 0;
  for (int i = 0; i < kHeldStocks; ++i) kept += FindStockIndexByCode(HeldCode(i)) >= 0 ? 1 : 0;
  Check(2 * kept >= kHeldStocks && FindStockIndexByCode(gReferenceIndexCode) >= 0);
}

void CheckApplied(bool pinfo, const std::string& text, Files expected) {
  Check(TakeRecordedMessageBoxes().empty());
  std::string converted = text;
  ConvertLfToCr(converted.data(), static_cast<int>(converted.size()));
  const std::string file = pinfo ? "BASEDATA/stockinf.dat" : "BASEDATA/ken.dat";
  const Files now = FolderFiles();
  expected[pinfo ? "PrevProcessedData/stockinf.dat.bak" : "PrevProcessedData/ken.dat.bak"] = gBase.files[file];
  expected[pinfo ? "PrevProcessedData/pinfo.txt" : "PrevProcessedData/ken.txt"] = BytesOf(converted);
  expected[file] = now.count(file) != 0 ? now.at(file) : std::vector<uint8_t>();
  Check(now == expected);
  if (pinfo) {
    const std::vector<uint8_t>& image = now.at(file);
    Check(image.size() == sizeof(StockMasterFile));
    static std::unique_ptr<StockMasterFile> master(new StockMasterFile());
    memcpy(master.get(), image.data(), image.size());
    CheckMasterRoundTrip(*master);
    CheckHeldStocksKept();
  } else {
    Check(expected[file] == KenTableBytes());
    CheckKenRoundTrip(*gKenTable);
  }
  // Applied once, not again.
  Check((pinfo ? ApplyPinfoList : ApplyNewkenList)(text.data(), static_cast<int>(text.size()), 0) == 0);
  Check(TakeRecordedMessageBoxes().empty() && FolderFiles() == now);
}

// A list through the whole path: its files, the table and the dates.
void RunWholeList(bool pinfo, const std::string& text, uint8_t options) {
  Files expected = gBase.files;
  const int applied = ApplyList(pinfo, text, options, &expected);
  Check(applied == 0 || applied == 1);
  if (applied == 0) {
    CheckRefused(pinfo, expected);
  } else {
    CheckApplied(pinfo, text, expected);
  }
  if (applied != 0 || (options & kOptionThroughFolder) != 0) ResetState();
}

// A short list, refused for its lines; what it reads exports and imports unchanged.
void RunShortList(bool pinfo, const uint8_t* data, size_t size, uint8_t options) {
  std::string converted(reinterpret_cast<const char*>(data), size);
  RunWholeList(pinfo, converted, options);
  ConvertLfToCr(converted.data(), static_cast<int>(converted.size()));
  if (pinfo) {
    static std::unique_ptr<StockMasterFile> master(new StockMasterFile());
    ReadPinfoList(converted, master.get());
    CheckMasterRoundTrip(*master);
  } else {
    static std::unique_ptr<KenTable> table(new KenTable());
    ReadNewkenList(converted, table.get());
    CheckKenRoundTrip(*table);
  }
}

void RunList(bool pinfo, const uint8_t* data, size_t size, uint8_t options, bool whole) {
  if (!whole) return RunShortList(pinfo, data, size, options);
  RunWholeList(pinfo, WholeListText(pinfo, data, size, (options & kOptionFillHeld) != 0), options);
}

void RunKenText(const uint8_t* data, size_t size) {
  static std::unique_ptr<KenTable> table(new KenTable());
  ParseKenText(reinterpret_cast<const char*>(data), static_cast<int>(size), table.get());
  CheckKenRoundTrip(*table);
}

void RunStockMasterText(const uint8_t* data, size_t size) {
  static std::unique_ptr<StockMasterFile> master(new StockMasterFile());
  master->count = 0;
  UpdateStockMasterFromCsv(master.get(), reinterpret_cast<const char*>(data), static_cast<int>(size));
  CheckMasterRoundTrip(*master);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), MakeBaseline(), true);
  (void)prepared;
  if (size == 0) return 0;
  const uint8_t options = data[0];
  const bool whole = IsOneInThirtyTwo(data, size);
  switch (static_cast<Mode>(options & kOptionModeMask)) {
    case Mode::kNewkenList: RunList(false, data + 1, size - 1, options, whole); break;
    case Mode::kPinfoList: RunList(true, data + 1, size - 1, options, whole); break;
    case Mode::kKenText: RunKenText(data + 1, size - 1); break;
    case Mode::kStockMasterText: RunStockMasterText(data + 1, size - 1); break;
  }
  return 0;
}
