#include "analysis/trend_line_store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <vector>

#include "analysis/analysis_hooks.h"
#include "analysis/group_lists.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/message_boxes.h"
#include "common/stock_code.h"
#include "common/string_ids.h"
#include "records/screen_pattern_record.h"
#include "records/settings_block.h"

TrendLineTable* gTrendLines = nullptr;
TrendLineTable* gTrendLinesUndo = nullptr;
int gSelectedTrendLine = -1;
int gTrendLineBeingDrawn = 0;

const char* const kTrendLineBackupPaths[kTrendLineBackupCount] = {"BACKUP\\tline01.dat", "BACKUP\\tline02.dat",
                                                                  "BACKUP\\tline03.dat"};

namespace {

constexpr char kBackupFolder[] = "BACKUP";
constexpr int kAsidePathSize = 260;
constexpr int32_t kDefaultWidth = 2;
constexpr int32_t kMaxWidth = 3;
constexpr int32_t kLastPeriod = 2;  // monthly
constexpr int kMaxTrackerStep = 10;
// Of an older record, the fields up to the label side are laid out as now.
constexpr size_t kOldRecordSharedBytes = offsetof(TrendLine, buyRole);

// Set when start-up took the table from a backup or the defaults; the first
// save clears it.
bool gExitSaveHeld = false;

enum class TrendLineRead { kLoaded, kAbsent, kUnreadable, kDamaged };

int CountOf(const TrendLineTable& table) { return std::clamp(table.count, 0, kMaxTrendLines); }

template <typename T>
void KeepWithin(T& value, T low, T high, T fallback) {
  if (value < low || value > high) value = fallback;
}

// Values read from a file index text and colour tables and the tracker's
// ladder: each is brought into its range before anything uses it.
void BringLineIntoRange(TrendLine& line) {
  if (line.width == 0) line.width = kDefaultWidth;
  line.width = std::clamp(line.width, 1, kMaxWidth);
  if (line.paneKind < 0 || line.paneKind >= kPaneKindCount) {
    // No pane shows it any more; as a plain price line it can at least be seen and deleted.
    line.paneKind = kPaneCandles;
    line.monitorKind = kMonitorNone;
  }
  KeepWithin(line.period, 0, kLastPeriod, 0);
  line.marked = line.marked != 0 ? 1 : 0;
  KeepWithin<int32_t>(line.monitorKind, kMonitorNone, kMonitorDate, kMonitorNone);
  KeepWithin<int32_t>(line.labelSide, kLabelBothSides, kLabelNone, kLabelRight);
  KeepWithin<int32_t>(line.buyRole, kTrackerStopLossLine, kMaxTrackerStep, 0);
  KeepWithin<int32_t>(line.shortRole, kTrackerStopLossLine, kMaxTrackerStep, 0);
  KeepWithin<uint8_t>(line.autoOrderState, kAutoOrderNone, kAutoOrderLocked, kAutoOrderNone);
}

// Files of older versions hold plain numbers; the first line tells.
void ConvertNumericCodes(TrendLineTable& table) {
  const int count = CountOf(table);
  if (count == 0 || !CodeLess(table.lines[0].code, gMinStockCode)) return;
  for (int i = 0; i < count; ++i) table.lines[i].code = NumberToCode(static_cast<int32_t>(table.lines[i].code));
}

// Records past the count are unused: zero, as every save leaves them.
void FinishReadTable(TrendLineTable& table) {
  const int count = CountOf(table);
  memset(&table.lines[count], 0, sizeof(TrendLine) * static_cast<size_t>(kMaxTrendLines - count));
  ConvertNumericCodes(table);
  int marked = 0;
  for (int i = 0; i < count; ++i) {
    BringLineIntoRange(table.lines[i]);
    marked += table.lines[i].marked;
  }
  table.markedCount = marked;
}

// The whole file, up to one byte more than the largest accepted size.
TrendLineRead ReadTrendLineFile(const char* path, TrendLineTable* table) {
  constexpr uint32_t kCapacity = sizeof(TrendLineTable) + 1;
  auto* block = static_cast<uint8_t*>(AllocBlock(kCapacity));
  if (block == nullptr) return TrendLineRead::kUnreadable;
  uint32_t read = 0;
  const int error = LoadFileToBufferEx(path, block, kCapacity, &read);
  TrendLineRead result = TrendLineRead::kLoaded;
  if (error == kErrorFileNotFound || error == kErrorPathNotFound || (error == 0 && read == 0)) {
    result = TrendLineRead::kAbsent;
  } else if (error == kFileTooLarge) {
    result = TrendLineRead::kDamaged;
  } else if (error != 0) {
    result = TrendLineRead::kUnreadable;  // held by another program, say: not damaged
  } else if (!ReadTrendLineImage(block, read, table)) {
    result = TrendLineRead::kDamaged;
  }
  FreeBlock(block);
  return result;
}

// The program's own files: a damaged one is moved away so that no later
// load, save or rotation takes it again; one that cannot be moved is only refused.
TrendLineRead ReadOwnTrendLineFile(const char* path) {
  const TrendLineRead result = ReadTrendLineFile(path, gTrendLines);
  if (result == TrendLineRead::kDamaged) {
    char aside[kAsidePathSize];
    SetDamagedFileAside(path, aside, sizeof aside);
  }
  return result;
}

bool LoadFirstUsableBackup() {
  for (const char* backup : kTrendLineBackupPaths) {
    if (ReadOwnTrendLineFile(backup) == TrendLineRead::kLoaded) return true;
  }
  return false;
}

void LoadDefaultTable() {
  if (ReadTrendLineFile(kDefaultTrendLineFilePath, gTrendLines) != TrendLineRead::kLoaded) {
    memset(gTrendLines, 0, sizeof(TrendLineTable));
    return;
  }
  for (int i = 0; i < CountOf(*gTrendLines); ++i) gTrendLines->lines[i].fromDefaults = 1;
}

// Newest first: tline01 is this table, the older copies move one place down.
int RotateTrendLineBackups(const TrendLineTable& table) {
  return RotateBackupCopies(kBackupFolder, kTrendLineBackupPaths, kTrendLineBackupCount, &table, sizeof table);
}

void EvaluateLineSilently(int index) {
  if (gAnalysisHooks.evaluateMonitorLine != nullptr) gAnalysisHooks.evaluateMonitorLine(index, 0, 0);
}

void NotifyLinesChanged() {
  if (gAnalysisHooks.trendLinesChanged != nullptr) gAnalysisHooks.trendLinesChanged();
}

void NotifyAutoOrderList() {
  if (gAnalysisHooks.fillAutoOrderList != nullptr) gAnalysisHooks.fillAutoOrderList();
}

// Every change ends here: saved, then shown.
void SaveAndShowChange() {
  SaveTrendLines();
  NotifyLinesChanged();
}

TrendLine* SelectedLine() {
  return IsTrendLineIndex(gSelectedTrendLine) ? &gTrendLines->lines[gSelectedTrendLine] : nullptr;
}

// ---- Deleting --------------------------------------------------------------------

// Where each original step number of one stock's side ends up. Deleting the
// line of step n lowers every step above n by one, in table order; lines of
// the same original step always move together, so a map of the ten step
// numbers follows the whole walk.
using StepMap = std::array<int32_t, kMaxTrackerStep + 1>;

StepMap IdentityStepMap() {
  StepMap map;
  std::iota(map.begin(), map.end(), 0);
  return map;
}

bool IsStep(int32_t role) { return role >= 1 && role <= kMaxTrackerStep; }

void ApplyStepDeletion(StepMap& map, int32_t role) {
  if (!IsStep(role)) return;
  const int32_t deleted = map[static_cast<size_t>(role)];
  for (int32_t& step : map) {
    if (step > deleted) --step;
  }
}

int32_t MappedStep(const StepMap& map, int32_t role) { return IsStep(role) ? map[static_cast<size_t>(role)] : role; }

// The stocks that lose a step line, sorted, each once.
std::vector<StockCode> StocksLosingSteps(const TrendLineTable& table, int count) {
  std::vector<StockCode> codes;
  for (int i = 0; i < count; ++i) {
    const TrendLine& line = table.lines[i];
    if (line.marked != 0 && (IsStep(line.buyRole) || IsStep(line.shortRole))) codes.push_back(line.code);
  }
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

void RenumberTrackerSteps(TrendLineTable& table, int count) {
  const std::vector<StockCode> codes = StocksLosingSteps(table, count);
  if (codes.empty()) return;
  std::vector<StepMap> buyMaps(codes.size(), IdentityStepMap());
  std::vector<StepMap> shortMaps(codes.size(), IdentityStepMap());
  const auto stockOf = [&codes](StockCode code) {
    const auto at = std::lower_bound(codes.begin(), codes.end(), code);
    return at != codes.end() && *at == code ? at - codes.begin() : -1;
  };
  for (int i = 0; i < count; ++i) {
    const TrendLine& line = table.lines[i];
    const auto k = line.marked != 0 ? stockOf(line.code) : -1;
    if (k < 0) continue;
    ApplyStepDeletion(buyMaps[static_cast<size_t>(k)], line.buyRole);
    ApplyStepDeletion(shortMaps[static_cast<size_t>(k)], line.shortRole);
  }
  for (int i = 0; i < count; ++i) {
    TrendLine& line = table.lines[i];
    const auto k = line.marked == 0 ? stockOf(line.code) : -1;
    if (k < 0) continue;
    line.buyRole = MappedStep(buyMaps[static_cast<size_t>(k)], line.buyRole);
    line.shortRole = MappedStep(shortMaps[static_cast<size_t>(k)], line.shortRole);
  }
}

// Keeps the unmarked lines in their order; `newIndex` gets where each went (-1: removed).
int CompactUnmarkedLines(TrendLineTable& table, int count, int32_t* newIndex) {
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const TrendLine& line = table.lines[i];
    if (line.marked != 0) {
      newIndex[i] = -1;
      continue;
    }
    if (kept != i) table.lines[kept] = line;
    newIndex[i] = kept++;
  }
  memset(&table.lines[kept], 0, sizeof(TrendLine) * static_cast<size_t>(count - kept));
  table.count = kept;
  table.markedCount = 0;
  return count - kept;
}

std::vector<StockCode> MarkedLineStocks(const TrendLineTable& table) {
  std::vector<StockCode> codes;
  for (int i = 0; i < CountOf(table); ++i) {
    if (table.lines[i].marked != 0) codes.push_back(table.lines[i].code);
  }
  return codes;
}

// Monitoring lines feed the group conditions: each stock once.
void UpdateGroupsOfStocks(std::vector<StockCode>& codes) {
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  for (const StockCode code : codes) UpdateGroupBitsForStock(code);
}

PackedDate LaterDate(const TrendLine& line) { return std::max(line.date1, line.date2); }

}  // namespace

bool AllocTrendLineTables() {
  if (gTrendLines == nullptr) gTrendLines = static_cast<TrendLineTable*>(AllocBlock(sizeof(TrendLineTable)));
  if (gTrendLinesUndo == nullptr) gTrendLinesUndo = static_cast<TrendLineTable*>(AllocBlock(sizeof(TrendLineTable)));
  return gTrendLines != nullptr && gTrendLinesUndo != nullptr;
}

void FreeTrendLineTables() {
  FreeBlock(gTrendLines);
  FreeBlock(gTrendLinesUndo);
  gTrendLines = nullptr;
  gTrendLinesUndo = nullptr;
}

bool LoadTrendLines() {
  if (!AllocTrendLineTables()) return false;
  memset(gTrendLines, 0, sizeof(TrendLineTable));
  memset(gTrendLinesUndo, 0, sizeof(TrendLineTable));
  gSelectedTrendLine = -1;
  gTrendLineBeingDrawn = 0;
  MakeDataFolderCurrent();
  const TrendLineRead main = ReadOwnTrendLineFile(kTrendLineFileName);
  gExitSaveHeld = main != TrendLineRead::kLoaded;
  // Without any file this is a first start: the table stays empty.
  if (gExitSaveHeld && !LoadFirstUsableBackup() && main != TrendLineRead::kAbsent) LoadDefaultTable();
  if (gSettings.newTrendLineWidth == 0) gSettings.newTrendLineWidth = kDefaultWidth;
  return true;
}

namespace {

// Writes "tline.dat" and rotates the backups; 0 or the first error. A failed
// write of "tline.dat" itself is shown when `tell` is set.
int WriteTrendLineFile(bool tell) {
  if (gTrendLines == nullptr) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  // Without a new tline.dat the backups stay as they are: they still hold the older good copies.
  const int error = SaveBufferToFile(kTrendLineFileName, gTrendLines, sizeof(TrendLineTable));
  if (error != 0) {
    if (tell) ShowErrorMessage(gMainWnd, error);
    return error;
  }
  gExitSaveHeld = false;
  return RotateTrendLineBackups(*gTrendLines);
}

}  // namespace

int SaveTrendLines() { return WriteTrendLineFile(true); }

int SaveTrendLinesAtExit() { return gExitSaveHeld ? 0 : WriteTrendLineFile(false); }

bool ReadTrendLineImage(const uint8_t* bytes, size_t size, TrendLineTable* table) {
  memset(table, 0, sizeof(TrendLineTable));
  if (size == sizeof(TrendLineTable)) {
    memcpy(table, bytes, size);
  } else if (size == kOldTrendLineFileBytes) {
    ConvertOldTrendLineTable(bytes, table);
  } else {
    return false;
  }
  if (table->count < 0 || table->count > kMaxTrendLines) {
    memset(table, 0, sizeof(TrendLineTable));
    return false;
  }
  FinishReadTable(*table);
  return true;
}

void ConvertOldTrendLineTable(const uint8_t* oldImage, TrendLineTable* table) {
  memset(table, 0, sizeof(TrendLineTable));
  memcpy(&table->count, oldImage, sizeof table->count);
  memcpy(&table->markedCount, oldImage + sizeof table->count, sizeof table->markedCount);
  const uint8_t* record = oldImage + offsetof(TrendLineTable, lines);
  const int count = CountOf(*table);
  for (int i = 0; i < kMaxTrendLines; ++i, record += kOldTrendLineBytes) {
    TrendLine& line = table->lines[i];
    memcpy(&line, record, kOldRecordSharedBytes);
    line.reserved22[0] = line.reserved22[1] = 0;
    // The older word at 40 meant something else; converted lines notify as new ones do.
    line.notifyWhenReached = i < count ? 1 : 0;
  }
}

void SetDefaultTrendLineWidths(TrendLineTable* table) {
  for (TrendLine& line : table->lines) {
    if (line.width == 0) line.width = kDefaultWidth;
  }
}

bool IsTrendLineIndex(int index) { return gTrendLines != nullptr && index >= 0 && index < CountOf(*gTrendLines); }

void MarkTrendLine(int index, int keep) {
  if (gTrendLines == nullptr) return;
  if (keep == 0) {
    for (TrendLine& line : gTrendLines->lines) line.marked = 0;
    gTrendLines->markedCount = 0;
  }
  if (!IsTrendLineIndex(index) || gTrendLines->lines[index].marked != 0) return;
  gTrendLines->lines[index].marked = 1;
  ++gTrendLines->markedCount;
}

int CompactMarkedTrendLines(TrendLineTable* table, int32_t* newIndexOfOld) {
  const int count = CountOf(*table);
  RenumberTrackerSteps(*table, count);
  return CompactUnmarkedLines(*table, count, newIndexOfOld);
}

void MarkEarliestEndingTrendLines(TrendLineTable* table, int n) {
  const int count = CountOf(*table);
  for (TrendLine& line : table->lines) line.marked = 0;
  n = std::clamp(n, 0, count);
  if (n > 0 && n < count) {
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    const auto endsEarlier = [table](int a, int b) {
      const PackedDate da = LaterDate(table->lines[a]), db = LaterDate(table->lines[b]);
      return da < db || (da == db && a > b);
    };
    std::nth_element(order.begin(), order.begin() + n, order.end(), endsEarlier);
    for (int k = 0; k < n; ++k) table->lines[order[static_cast<size_t>(k)]].marked = 1;
  } else {
    for (int i = 0; i < n; ++i) table->lines[i].marked = 1;
  }
  table->markedCount = n;
}

int DeleteMarkedTrendLines(int updateGroups) {
  if (gTrendLines == nullptr || gTrendLinesUndo == nullptr) return 0;
  const int count = CountOf(*gTrendLines);
  std::vector<StockCode> removedCodes = MarkedLineStocks(*gTrendLines);
  // The undo copy keeps the last deletion that removed something.
  if (!removedCodes.empty()) memcpy(gTrendLinesUndo, gTrendLines, sizeof(TrendLineTable));
  static std::array<int32_t, kMaxTrendLines> newIndex;
  const int removed = CompactMarkedTrendLines(gTrendLines, newIndex.data());
  if (removed > 0) {
    gSelectedTrendLine = -1;
    if (gAnalysisHooks.trendLinesRenumbered != nullptr) gAnalysisHooks.trendLinesRenumbered(newIndex.data(), count);
    if (updateGroups != 0) UpdateGroupsOfStocks(removedCodes);
  }
  SaveTrendLines();
  if (removed > 0) {
    gUndoKind = kUndoTrendLines;
    NotifyLinesChanged();
  }
  NotifyAutoOrderList();
  return removed > 0 ? 1 : 0;
}

int TrimTrendLines(int n) {
  if (gTrendLines == nullptr) return 0;
  // n at or above the count takes every line the same way: undo, marks and lists stay consistent.
  MarkEarliestEndingTrendLines(gTrendLines, n);
  return DeleteMarkedTrendLines(0);
}

int UndoTrendLineDeletion() {
  if (gTrendLines == nullptr || gTrendLinesUndo == nullptr) return 0;
  TrendLineTable& table = *gTrendLines;
  const TrendLineTable& undo = *gTrendLinesUndo;
  MarkTrendLine(-1, 0);
  for (int i = 0; i < CountOf(undo); ++i) {
    if (undo.lines[i].marked == 0) continue;
    if (table.count >= kMaxTrendLines) {
      MessageBoxFromStrings(gMainWnd, kStrErrorTitle, kStrTrendLineUndoTooMany, kMbOk | kMbIconStop);
      break;
    }
    table.lines[table.count++] = undo.lines[i];
    ++table.markedCount;
  }
  gUndoKind = kUndoNothing;
  SaveAndShowChange();
  NotifyAutoOrderList();
  return 1;
}

void ToggleTrendLineLock() {
  TrendLine* line = SelectedLine();
  if (line == nullptr) return;
  line->locked = line->locked != 0 ? 0 : 1;
  SaveAndShowChange();
}

void SetMonitorKind(int index, int kind) {
  if (!IsTrendLineIndex(index) || kind < kMonitorNone || kind > kMonitorDate) return;
  TrendLine& line = gTrendLines->lines[index];
  if (line.monitorKind == kind) return;
  line.monitorKind = kind;
  EvaluateLineSilently(index);
  SaveAndShowChange();
}

void SetTrendLineValueLabelSide(int side) {
  TrendLine* line = SelectedLine();
  if (line == nullptr || side < kLabelBothSides || side > kLabelNone || line->labelSide == side) return;
  line->labelSide = side;
  EvaluateLineSilently(gSelectedTrendLine);
  SaveAndShowChange();
}

void SetTrendLineWidth(int width) {
  if (width < 1 || width > kMaxWidth) return;
  gSettings.newTrendLineWidth = width;
  TrendLine* line = SelectedLine();
  if (line == nullptr) return;
  line->width = width;
  SaveAndShowChange();
}

void ToggleTrendLineNotice() {
  TrendLine* line = SelectedLine();
  if (line == nullptr) return;
  line->notifyWhenReached = line->notifyWhenReached != 0 ? 0 : 1;
  SaveAndShowChange();
}

void SetTrendLineValue(int index, int32_t value) {
  if (!IsTrendLineIndex(index)) return;
  TrendLine& line = gTrendLines->lines[index];
  line.value1 = value;
  line.value2 = value;
  EvaluateLineSilently(index);
  SaveAndShowChange();
}

TrendLine NewTrendLine(uint32_t code, uint32_t date1, int32_t value1, uint32_t date2, int32_t value2) {
  TrendLine line{};
  line.code = code;
  line.date1 = date1;
  line.value1 = value1;
  line.date2 = date2;
  line.value2 = value2;
  line.width = 2;
  line.notifyWhenReached = 1;
  line.labelSide = kLabelRight;
  return line;
}
