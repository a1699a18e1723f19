// Loads arbitrary bytes as a "grp.dat" image in each of the sizes the loader
// knows. In a loaded table counts, terms and names are within their records,
// the item base is current, and the table as written loads back unchanged.
// One input in 32 also goes through the file at start-up: a loaded file is
// used as the image was (and written back when converted), a damaged one is
// set aside, and either refusal leaves the default groups in the file and
// the backups.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "analysis/group_store.h"
#include "common/file_io.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix_recorder.h"

namespace {

constexpr size_t kFileSizes[] = {472640, 472648, 742728, 918728, 1798728, sizeof(GroupTable)};
constexpr size_t kLayoutCount = sizeof kFileSizes / sizeof kFileSizes[0];
constexpr size_t kHeaderBytes = 8;  // none in the first size
constexpr uint8_t kOptionPlaceOnce = 0x80;
constexpr char kSetAsidePath[] = "grp.dat.damaged";
constexpr const char* kBackupPaths[] = {"BACKUP/grp01.dat", "BACKUP/grp02.dat", "BACKUP/grp03.dat"};

struct Image {
  const uint8_t* bytes;
  size_t size;
};

// The first byte picks the size and how the other bytes fill the file:
// repeated over all of it, or once after the header of an otherwise empty
// file, which is far more often one the loader uses. Each size is shaped in a
// block of exactly that size, kept from one input to the next.
Image ShapeInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> images[kLayoutCount];
  if (size == 0) return {nullptr, 0};
  const size_t layout = data[0] % kLayoutCount;
  std::vector<uint8_t>& image = images[layout];
  image.resize(kFileSizes[layout]);
  if ((data[0] & kOptionPlaceOnce) != 0) {
    const size_t at = layout == 0 ? 0 : kHeaderBytes;
    const size_t placed = std::min(size - 1, image.size() - at);
    std::memset(image.data(), 0, at);
    std::memcpy(image.data() + at, data + 1, placed);
    std::memset(image.data() + at + placed, 0, image.size() - at - placed);
  } else {
    FillRepeating(image.data(), image.size(), data + 1, size - 1);
  }
  return {image.data(), image.size()};
}

void CheckTable(const GroupTable& table) {
  Check(table.itemBase == kGroupItemBase);
  for (const GroupRecord& group : table.groups) {
    Check(group.memberCount >= 0 && group.memberCount <= kMaxGroupMembers);
    Check(group.termCount >= 0 && group.termCount <= kMaxConditionTerms);
    Check(std::memchr(group.name, 0, sizeof group.name) != nullptr);
  }
}

// Start-up with the input as grp.dat, no backup and nothing set aside before.
void LoadThroughFile(const Image& bytes, GroupImageRead read, const GroupTable& loaded, const GroupTable& currentForm) {
  std::error_code ignored;
  std::filesystem::remove(kSetAsidePath, ignored);
  std::filesystem::remove_all("BACKUP", ignored);
  WriteFile(kGroupFileName, bytes.bytes, bytes.size);
  Check(LoadGroupsAtStartup());
  Check(HoldsBytes(kSetAsidePath) == (read == GroupImageRead::kDamaged));
  switch (read) {
    case GroupImageRead::kLoaded:
      Check(std::memcmp(gGroupTable, &loaded, sizeof loaded) == 0);
      Check(FileHolds(kGroupFileName, bytes.bytes, bytes.size));
      break;
    case GroupImageRead::kConverted:
      Check(std::memcmp(gGroupTable, &loaded, sizeof loaded) == 0);
      Check(FileHolds(kGroupFileName, &currentForm, sizeof currentForm));
      break;
    case GroupImageRead::kDamaged: Check(FileHolds(kSetAsidePath, bytes.bytes, bytes.size)); [[fallthrough]];
    case GroupImageRead::kUnknownSize:
      // The defaults, written as grp.dat and all three backups.
      CheckTable(*gGroupTable);
      Check(FileHolds(kGroupFileName, gGroupTable, sizeof(GroupTable)));
      for (const char* backup : kBackupPaths) Check(FileHolds(backup, gGroupTable, sizeof(GroupTable)));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), EnterScratchDataFolder(), AllocGroupTables());
  Check(prepared);
  const Image bytes = ShapeInput(data, size);
  if (bytes.size == 0) return 0;
  static const auto table = std::make_unique<GroupTable>();
  static const auto currentForm = std::make_unique<GroupTable>();
  static const auto again = std::make_unique<GroupTable>();
  const GroupImageRead read = LoadGroupImage(bytes.bytes, bytes.size, table.get(), currentForm.get());
  Check(read != GroupImageRead::kUnknownSize);
  if (read == GroupImageRead::kLoaded || read == GroupImageRead::kConverted) {
    // Only the current size is taken as it is.
    Check((read == GroupImageRead::kLoaded) <= (bytes.size == sizeof(GroupTable)));
    CheckTable(*table);
    // Old plain-number codes and old user names were converted on the first
    // load already, so the second load changes nothing.
    const auto* image = reinterpret_cast<const uint8_t*>(table.get());
    Check(LoadGroupImage(image, sizeof(GroupTable), again.get(), nullptr) == GroupImageRead::kLoaded);
    Check(std::memcmp(table.get(), again.get(), sizeof(GroupTable)) == 0);
  }
  if (IsOneInThirtyTwo(data, size)) LoadThroughFile(bytes, read, *table, *currentForm);
  TakeRecordedMessageBoxes();
  return 0;
}
