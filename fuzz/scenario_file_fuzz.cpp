// Loads arbitrary bytes as "scenario.dat". Whatever the file holds, the table
// afterwards has the current version and every name ends within its field in
// a whole character; a file the program could have written is taken byte for
// byte; any other is refused, leaving the empty table, and set aside so that
// no later save replaces it; and the table as saved loads back unchanged and
// (one input in 32, through the crash-safe save) saves again byte for byte.
//
// Input: one byte choosing how the file is made: 0 and 1 a sound table with
// the input's patches (four bytes each: a big-endian offset and the two bytes
// written there), 2 the input repeated over the table's size, 3 the input as
// the file's bytes (no file when there are none).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/app_globals.h"
#include "fuzz/fuzz_support.h"
#include "sheets/scenarios.h"

namespace {

constexpr size_t kPatchBytes = 4;
constexpr char kSetAsidePath[] = "scenario.dat.damaged";

// Something in every field the callers read, and names up to the last byte.
ScenarioTable SoundTable() {
  ScenarioTable table{};
  table.version = kScenarioTableVersion;
  for (int i = 0; i < kScenarioSlots; ++i) {
    ScenarioRecord& record = table.records[i];
    std::snprintf(record.name, sizeof record.name, "scenario %d", i);
    record.valid = i % 2;
    record.entrySignal = i + 3;
    record.useExit = 1;
    record.exitSignal = i;
    record.flags = kScenarioLinkFlag;
  }
  std::memset(table.records[7].name, 'N', sizeof table.records[7].name - 1);
  return table;
}

const std::vector<uint8_t>& SoundImage() {
  static const ScenarioTable table = SoundTable();
  static const std::vector<uint8_t> image(reinterpret_cast<const uint8_t*>(&table),
                                          reinterpret_cast<const uint8_t*>(&table) + sizeof table);
  return image;
}

struct FileImage {
  bool present;
  std::vector<uint8_t> bytes;
};

FileImage ShapeInput(const uint8_t* data, size_t size) {
  const int shape = data[0] & 3;
  data += 1;
  size -= 1;
  FileImage file{true, {}};
  if (shape < 2) {
    file.bytes = SoundImage();
    for (size_t i = 0; i + kPatchBytes <= size; i += kPatchBytes) {
      const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % (sizeof(ScenarioTable) - 1);
      file.bytes[at] = data[i + 2];
      file.bytes[at + 1] = data[i + 3];
    }
  } else if (shape == 2) {
    file.bytes.resize(sizeof(ScenarioTable));
    FillRepeating(file.bytes.data(), file.bytes.size(), data, size);
  } else {
    file.present = size > 0;
    file.bytes.assign(data, data + size);
  }
  return file;
}

bool IsUsable(const ScenarioTable& table) {
  if (table.version != kScenarioTableVersion) return false;
  for (const ScenarioRecord& record : table.records) {
    if (!EndsInWholeCharacter(record.name, sizeof record.name)) return false;
  }
  return true;
}

bool IsEmpty(const ScenarioTable& table) {
  ScenarioTable empty{};
  empty.version = kScenarioTableVersion;
  return std::memcmp(&table, &empty, sizeof empty) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (EnterScratchDataFolder(), true);
  (void)prepared;
  if (size == 0) return 0;
  const FileImage file = ShapeInput(data, size);
  std::error_code ignored;
  std::filesystem::remove(kScenarioFileName, ignored);
  std::filesystem::remove(kSetAsidePath, ignored);
  if (file.present) WriteFile(kScenarioFileName, file.bytes.data(), file.bytes.size());
  std::memset(&gScenarioTable, 0x5C, sizeof gScenarioTable);  // whatever the table held before
  LoadScenarioTable();
  Check(IsUsable(gScenarioTable));
  const bool fullSize = file.present && file.bytes.size() == sizeof(ScenarioTable);
  const auto* image = reinterpret_cast<const ScenarioTable*>(file.bytes.data());
  if (fullSize && IsUsable(*image)) {
    Check(std::memcmp(&gScenarioTable, image, sizeof *image) == 0);
  } else if (!fullSize || image->version != kScenarioTableVersion) {
    Check(IsEmpty(gScenarioTable));
    // Refused: kept beside for a look, never replaced by a save.
    Check(FileHolds(kSetAsidePath, file.bytes.data(), file.bytes.size()) == file.present);
  }

  // The crash-safe saves cost far more than the rest: one input in 32 goes
  // through them, the others write the table's bytes as the save does.
  const ScenarioTable loaded = gScenarioTable;
  const bool throughSaves = IsOneInThirtyTwo(data, size);
  if (throughSaves) {
    Check(SaveScenarioTable() == 0);
  } else {
    WriteFile(kScenarioFileName, &gScenarioTable, sizeof gScenarioTable);
  }
  const std::vector<uint8_t> saved = ReadFile(kScenarioFileName);
  std::memset(&gScenarioTable, 0x5C, sizeof gScenarioTable);
  LoadScenarioTable();
  Check(std::memcmp(&gScenarioTable, &loaded, sizeof loaded) == 0);
  if (throughSaves) Check(SaveScenarioTable() == 0 && ReadFile(kScenarioFileName) == saved);
  return 0;
}
