// Reads arbitrary bytes as "tline.dat" in each size the loader accepts (the
// current one and the older 76-byte records) and, now and then, in a size it
// refuses. A refused image leaves an empty table; in a read one every value
// that indexes a table is in its range, the marked count matches the marks,
// unused records are zero, and the table as written reads back unchanged.
// One input in 32 also goes through the file itself: a refused file is set
// aside and the empty table is not written back.
#include <algorithm>
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

constexpr uint8_t kOptionPlaceOnce = 0x80;
constexpr uint8_t kOptionOtherSize = 0x40;

struct Image {
  const uint8_t* bytes;
  size_t size;
};

// The first byte picks the size and how the other bytes fill the file:
// repeated over all of it, or once from the start of an otherwise empty one,
// where the header's count is most often one the loader takes. The two
// accepted sizes are shaped in blocks of exactly their size, kept from one
// input to the next.
Image ShapeInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> other;
  static std::vector<uint8_t> current(sizeof(TrendLineTable));
  static std::vector<uint8_t> old(kOldTrendLineFileBytes);
  if (size == 0) return {nullptr, 0};
  const uint8_t option = data[0];
  if ((option & kOptionOtherSize) != 0 && (option & kOptionPlaceOnce) == 0) {
    other.assign(data + 1, data + size);
    return {other.data(), other.size()};
  }
  std::vector<uint8_t>& image = (option & 1) != 0 ? current : old;
  if ((option & kOptionPlaceOnce) != 0) {
    const size_t placed = std::min(size - 1, image.size());
    std::memcpy(image.data(), data + 1, placed);
    std::memset(image.data() + placed, 0, image.size() - placed);
  } else {
    FillRepeating(image.data(), image.size(), data + 1, size - 1);
  }
  return {image.data(), image.size()};
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

void LoadThroughFile(const Image& bytes, const TrendLineTable& read, bool accepted) {
  // Nothing of the inputs before: no backup to fall back to, no file set aside.
  std::error_code ignored;
  std::filesystem::remove("tline.dat.damaged", ignored);
  std::filesystem::remove_all("BACKUP", ignored);
  WriteFile(kTrendLineFileName, bytes.bytes, bytes.size);
  Check(LoadTrendLines());
  Check(std::memcmp(gTrendLines, &read, sizeof read) == 0);
  Check(HoldsBytes(kTrendLineFileName) == accepted);  // refused: moved aside
  Check(SaveTrendLinesAtExit() == 0 && HoldsBytes(kTrendLineFileName) == accepted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), EnterScratchDataFolder(), AllocTrendLineTables());
  Check(prepared);
  const Image bytes = ShapeInput(data, size);
  if (bytes.size == 0) return 0;
  static const auto table = std::make_unique<TrendLineTable>();
  static const auto again = std::make_unique<TrendLineTable>();
  const bool accepted = ReadTrendLineImage(bytes.bytes, bytes.size, table.get());
  int32_t count = -1;
  if (bytes.size >= sizeof count) std::memcpy(&count, bytes.bytes, sizeof count);
  const bool knownSize = bytes.size == sizeof(TrendLineTable) || bytes.size == kOldTrendLineFileBytes;
  Check(accepted == (knownSize && Within(count, 0, kMaxTrendLines)));
  if (!accepted) {
    Check(IsEmpty(*table));
  } else {
    CheckTable(*table);
    Check(ReadTrendLineImage(reinterpret_cast<const uint8_t*>(table.get()), sizeof(TrendLineTable), again.get()));
    Check(std::memcmp(table.get(), again.get(), sizeof(TrendLineTable)) == 0);
  }
  if (IsOneInThirtyTwo(data, size)) LoadThroughFile(bytes, *table, accepted);
  TakeRecordedMessageBoxes();
  return 0;
}
