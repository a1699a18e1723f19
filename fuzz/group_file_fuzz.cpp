// Loads arbitrary bytes as "grp.dat" in each of the sizes the loader knows.
// A refused file leaves the table and the file as they were; in a loaded one
// counts, terms and names are within their records, the item base current,
// and a table the loader wrote must load back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "analysis/group_store.h"
#include "common/file_io.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix_recorder.h"

namespace {

constexpr size_t kFileSizes[] = {472640, 472648, 742728, 918728, 1798728, sizeof(GroupTable)};
constexpr size_t kHeaderBytes = 8;  // none in the first size
constexpr uint8_t kOptionPlaceOnce = 0x80;

// The first byte picks the size and how the other bytes fill the file:
// repeated over all of it, or once after the header of an otherwise empty
// file, which is far more often one the loader uses.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const size_t layout = data[0] % 6;
  std::vector<uint8_t> bytes(kFileSizes[layout]);
  if (size == 1) return bytes;
  if ((data[0] & kOptionPlaceOnce) != 0) {
    const size_t at = layout == 0 ? 0 : kHeaderBytes;
    std::memcpy(&bytes[at], data + 1, std::min(size - 1, bytes.size() - at));
    return bytes;
  }
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = data[1 + i % (size - 1)];
  return bytes;
}

void CheckTable(const GroupTable& table) {
  Check(table.itemBase == kGroupItemBase);
  for (const GroupRecord& group : table.groups) {
    Check(group.memberCount >= 0 && group.memberCount <= kMaxGroupMembers);
    Check(group.termCount >= 0 && group.termCount <= kMaxConditionTerms);
    Check(std::memchr(group.name, 0, sizeof group.name) != nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), EnterScratchDataFolder(), AllocGroupTables());
  Check(prepared);
  const std::vector<uint8_t> bytes = ShapeInput(data, size);
  if (bytes.empty()) return 0;
  WriteFile(kGroupFileName, bytes.data(), bytes.size());
  static std::unique_ptr<GroupTable> loaded(new GroupTable());
  std::memcpy(loaded.get(), gGroupTable, sizeof(GroupTable));
  const bool refused = LoadGroupFile(kGroupFileName) != 0;
  TakeRecordedMessageBoxes();
  if (refused) {
    Check(std::memcmp(loaded.get(), gGroupTable, sizeof(GroupTable)) == 0);
    Check(ReadFile(kGroupFileName) == bytes);
    return 0;
  }
  CheckTable(*gGroupTable);

  std::memcpy(loaded.get(), gGroupTable, sizeof(GroupTable));
  WriteFile("again.dat", gGroupTable, sizeof(GroupTable));
  Check(LoadGroupFile("again.dat") == 0);
  // Old plain-number codes and old user names were converted on the first
  // load already, so the second load changes nothing.
  Check(std::memcmp(loaded.get(), gGroupTable, sizeof(GroupTable)) == 0);
  return 0;
}
