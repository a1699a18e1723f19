#include "net/master_list_checks.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMinMasterStocks = 5;  // what MergeStockMaster takes
constexpr int kReasonSize = 256;
constexpr int kMessageSize = 768;

struct LeftOut {
  int held;     // distinct codes held now
  int missing;  // of them, those the list lacks
};

LeftOut CountLeftOut(std::vector<StockCode> held, std::vector<StockCode> next) {
  std::sort(held.begin(), held.end());
  held.erase(std::unique(held.begin(), held.end()), held.end());
  std::sort(next.begin(), next.end());
  const auto missing = std::count_if(held.begin(), held.end(), [&next](StockCode code) {
    return !std::binary_search(next.begin(), next.end(), code);
  });
  return {static_cast<int>(held.size()), static_cast<int>(missing)};
}

// Exactly half left out is still taken: a list may shed that many in a big reorganisation.
ListVerdict VerdictOnLeftOut(const LeftOut& leftOut) {
  if (2 * leftOut.missing <= leftOut.held) return {};
  return {ListRefusal::kStocksLeftOut, leftOut.missing, leftOut.held};
}

// The codes of the first `count` records (bounded by `limit`), as `codeOf` gives them.
template <typename Record, typename CodeOf>
std::vector<StockCode> CodesOf(const Record* records, int count, int limit, CodeOf codeOf) {
  std::vector<StockCode> codes;
  const int bounded = std::clamp(count, 0, limit);
  codes.reserve(static_cast<size_t>(bounded));
  for (int i = 0; i < bounded; ++i) codes.push_back(codeOf(records[i]));
  return codes;
}

std::vector<StockCode> KenCodes(const KenTable& table) {
  return CodesOf(table.records, table.count, kMaxKenRecords, [](const KenRecord& r) { return r.code; });
}

std::vector<StockCode> MasterCodes(const StockMasterFile& master) {
  return CodesOf(master.records, master.count, kMaxStocks, [](const StockMasterRecord& r) { return r.code; });
}

std::vector<StockCode> TableCodes(const StockTable& table) {
  return CodesOf(table.records, table.count, kMaxStocks, [](const StockRecord& r) { return r.master.code; });
}

bool IsUsableMaster(const StockMasterFile& master) {
  return master.count >= kMinMasterStocks && master.count <= kMaxStocks && IsStockCodeInRange(master.records[0].code) &&
         IsStockCodeInRange(master.records[master.count - 1].code);
}

bool HoldsReferenceIndex(const StockMasterFile& master) {
  const StockMasterRecord* end = master.records + std::clamp(master.count, 0, kMaxStocks);
  return std::any_of(master.records, end,
                     [](const StockMasterRecord& record) { return record.code == gReferenceIndexCode; });
}

}  // namespace

ListVerdict CheckNewkenList(int lines, int fileLines, const KenTable& next, const KenTable* current) {
  if (lines < kMinMasterListLines) return {ListRefusal::kTooFewLines, lines, fileLines};
  if (current == nullptr) return {};
  return VerdictOnLeftOut(CountLeftOut(KenCodes(*current), KenCodes(next)));
}

ListVerdict CheckPinfoList(int lines, int fileLines, const StockMasterFile& next, const StockTable* table) {
  if (lines < kMinMasterListLines) return {ListRefusal::kTooFewLines, lines, fileLines};
  if (!IsUsableMaster(next)) return {ListRefusal::kTooFewStocks, std::clamp(next.count, 0, kMaxStocks), 0};
  if (!HoldsReferenceIndex(next)) return {ListRefusal::kNoReferenceIndex, 0, 0};
  if (table == nullptr) return {};
  return VerdictOnLeftOut(CountLeftOut(TableCodes(*table), MasterCodes(next)));
}

std::string DescribeListRefusal(const MasterListNames& names, const ListVerdict& verdict) {
  char reason[kReasonSize] = "";
  switch (verdict.refusal) {
    case ListRefusal::kNone: return "";
    case ListRefusal::kTooFewLines:
      snprintf(reason, sizeof reason, "全%d行のうち、読み取れる行が%d行しかありません（%d行以上必要です）。",
               verdict.of, verdict.count, kMinMasterListLines);
      break;
    case ListRefusal::kTooFewStocks:
      snprintf(reason, sizeof reason, "読み取れた銘柄が%d件しかありません。", verdict.count);
      break;
    case ListRefusal::kNoReferenceIndex: snprintf(reason, sizeof reason, "基準の指数(1001)がありません。"); break;
    case ListRefusal::kStocksLeftOut:
      snprintf(reason, sizeof reason, "%s%d件のうち%d件がリストにありません。", names.held, verdict.of, verdict.count);
      break;
  }
  char text[kMessageSize];
  snprintf(text, sizeof text, "%sが壊れているため、適用しませんでした。\r\n%s\r\n%sは変更していません。", names.list,
           reason, names.target);
  return text;
}

std::string DescribeFailedCopyAside(const MasterListNames& names, const char* asidePath, int error) {
  char text[kMessageSize];
  snprintf(text, sizeof text,
           "%sを適用する前に、%sの控えを%sに保存できませんでした（エラー番号 %d）。\r\n"
           "このリストは適用せず、%sは変更していません。",
           names.list, names.target, asidePath, error, names.target);
  return text;
}
