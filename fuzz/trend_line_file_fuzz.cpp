// Reads arbitrary bytes as "tline.dat" in each size the loader accepts (the
// current one and the older 76-byte records) and, now and then, in a size it
// refuses. A refused image leaves an empty table; in a read one every value
// that indexes a table is in its range, the marked count matches the marks,
// unused records are zero, and the table as written reads back unchanged.
// Every 32nd input also goes through the file itself: a refused file is set
// aside and the empty table is not written back.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "analysis/trend_line_store.h"
#include "common/file_io.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix_recorder.h"
#include "records/screen_pattern_record.h"

namespace {

constexpr size_t kHeaderBytes = 8;
constexpr uint8_t kOptionPlaceOnce = 0x80;
constexpr uint8_t kOptionOtherSize = 0x40;
constexpr uint8_t kOptionThroughFile = 0x1F;  // all five low bits set: one input in 32

// The first byte picks the size and how the other bytes fill the file:
// repeated over all of it, or once from the start of an otherwise empty one,
// where the header's count is most often one the loader takes.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const uint8_t option = data[0];
  if ((option & kOptionOtherSize) != 0 && (option & kOptionPlaceOnce) == 0)
    return std::vector<uint8_t>(data + 1, data + size);
  const size_t bytes = (option & 1) != 0 ? sizeof(TrendLineTable) : kOldTrendLineFileBytes;
  std::vector<uint8_t> image(bytes);
  if (size == 1) return image;
  if ((option & kOptionPlaceOnce) != 0) {
    std::memcpy(image.data(), data + 1, std::min(size - 1, bytes));
    return image;
  }
  for (size_t i = 0; i < bytes; ++i) image[i] = data[1 + i % (size - 1)];
  return image;
}

template <typename T>
bool Within(T value, T low, T high) {
  return value >= low && value <= high;
}

void CheckTable(const TrendLineTable& table) {
  Check(Within(table.count, 0, kMaxTrendLines));
  int marked = 0;
  for (int i = 0; i < table.count; ++i) {
    const TrendLine& line = table.lines[i];
    Check(Within(line.width, 1, 3) && Within<int>(line.paneKind, 0, kPaneKindCount - 1) && Within(line.period, 0, 2));
    Check(Within(line.marked, 0, 1) && Within<int32_t>(line.monitorKind, kMonitorNone, kMonitorDate));
    Check(Within<int32_t>(line.labelSide, kLabelBothSides, kLabelNone));
    Check(Within(line.buyRole, -2, 10) && Within(line.shortRole, -2, 10));
    Check(Within<int>(line.autoOrderState, kAutoOrderNone, kAutoOrderLocked));
    marked += line.marked;
  }
  Check(table.markedCount == marked);
  static const TrendLine kUnused{};
  for (int i = table.count; i < kMaxTrendLines; ++i) Check(std::memcmp(&table.lines[i], &kUnused, sizeof kUnused) == 0);
}

bool IsEmpty(const TrendLineTable& table) {
  static const auto empty = std::make_unique<TrendLineTable>();
  return std::memcmp(&table, empty.get(), sizeof table) == 0;
}

void LoadThroughFile(const std::vector<uint8_t>& bytes, const TrendLineTable& read, bool accepted) {
  // Nothing of the inputs before: no backup to fall back to, no file set aside.
  std::error_code ignored;
  std::filesystem::remove("tline.dat.damaged", ignored);
  std::filesystem::remove_all("BACKUP", ignored);
  WriteFile(kTrendLineFileName, bytes.data(), bytes.size());
  Check(LoadTrendLines());
  Check(std::memcmp(gTrendLines, &read, sizeof read) == 0);
  Check(ReadFile(kTrendLineFileName).empty() != accepted);  // refused: moved aside
  Check(SaveTrendLinesAtExit() == 0 && ReadFile(kTrendLineFileName).empty() != accepted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), EnterScratchDataFolder(), AllocTrendLineTables());
  Check(prepared);
  const std::vector<uint8_t> bytes = ShapeInput(data, size);
  if (bytes.empty()) return 0;
  static const auto table = std::make_unique<TrendLineTable>();
  static const auto again = std::make_unique<TrendLineTable>();
  const bool accepted = ReadTrendLineImage(bytes.data(), bytes.size(), table.get());
  int32_t count = -1;
  if (bytes.size() >= sizeof count) std::memcpy(&count, bytes.data(), sizeof count);
  const bool knownSize = bytes.size() == sizeof(TrendLineTable) || bytes.size() == kOldTrendLineFileBytes;
  Check(accepted == (knownSize && Within(count, 0, kMaxTrendLines)));
  if (!accepted) {
    Check(IsEmpty(*table));
  } else {
    CheckTable(*table);
    Check(ReadTrendLineImage(reinterpret_cast<const uint8_t*>(table.get()), sizeof(TrendLineTable), again.get()));
    Check(std::memcmp(table.get(), again.get(), sizeof(TrendLineTable)) == 0);
  }
  if ((data[0] & kOptionThroughFile) == kOptionThroughFile) LoadThroughFile(bytes, *table, accepted);
  TakeRecordedMessageBoxes();
  return 0;
}
