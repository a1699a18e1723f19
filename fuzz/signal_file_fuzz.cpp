// Loads arbitrary bytes as a signal-settings file. A refused file leaves the
// image in use and the file as they were; a loaded one has its counts within
// the records, the current item base, only known item codes in its terms,
// every text ended within its field, and loads back unchanged once written
// as it is.
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/signal_settings.h"
#include "fuzz/fuzz_support.h"
#include "records/settings_block.h"

namespace {

constexpr char kFilePath[] = "PLUGIN\\fuzz.dat";
constexpr char kPosixFilePath[] = "PLUGIN/fuzz.dat";
constexpr char kAgainPath[] = "PLUGIN\\again.dat";
constexpr char kPosixAgainPath[] = "PLUGIN/again.dat";
constexpr size_t kFileSizes[] = {sizeof(SignalSettingsFile), kSignalFileSizeWithoutVersion,
                                 kSignalFileSizeWithoutScenarios};
constexpr size_t kPatchBytes = 4;  // offset (2 bytes, big-endian), then the 2 bytes written there

// A file that loads: every kind of operand in its terms, scenarios in use.
SignalSettingsFile SoundFile() {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  file.definitionCount = 3;
  const ConditionTerm terms[] = {
      {MakeItemCode(kSlotDaily, kItemClose), kOpGreater, kItemConstant, 0, 500.0},
      {MakeItemCode(kSlotPreviousMonth, 90), kOpLess, MakeItemCode(kSlotWeekly, 3), 0, 0.0},
      {kItemStockCode, kOpEqual, kItemConstant, 0, 1301.0},
      {kItemGroupFirst, kOpMemberOf, 0, 0, 0.0},
      {kItemUpperMonitoringLine, kOpLineReached, 0, 0, 0.0},
      {kItemSignalKind9, kOpBuySide, 0, 0, 0.0},
      {kItemScenario, kOpSellSide, 0, 0, 0.0},
  };
  for (int d = 0; d < file.definitionCount; ++d) {
    SignalDefinition& definition = file.definitions[d];
    definition.termCount = static_cast<int16_t>(std::size(terms) - d);
    std::copy(std::begin(terms) + d, std::end(terms), definition.terms);
  }
  file.programVersion = 0x15000000;
  file.itemBase = kSignalItemBase;
  file.scenarioCount = 2;
  file.scenarios[0].valid = file.scenarios[1].valid = 1;
  return file;
}

// The first byte picks the shape, the second the size: raw bytes; a tagged
// file holding the input after its tag; or the sound file with the input's
// patches, which reach the counts, codes and base far more often.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size < 2) return {};
  if (data[0] % 3 == 0) return std::vector<uint8_t>(data + 2, data + size);
  std::vector<uint8_t> bytes(sizeof(SignalSettingsFile));
  if (data[0] % 3 == 1) {
    std::memcpy(bytes.data() + 4, data + 2, std::min(size - 2, bytes.size() - 4));
    std::memcpy(bytes.data(), &kSignalSettingsTag, 4);
  } else {
    const SignalSettingsFile file = SoundFile();
    std::memcpy(bytes.data(), &file, sizeof file);
    for (size_t i = 2; i + kPatchBytes <= size; i += kPatchBytes) {
      const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % (bytes.size() - 1);
      bytes[at] = data[i + 2];
      bytes[at + 1] = data[i + 3];
    }
  }
  bytes.resize(kFileSizes[data[1] % std::size(kFileSizes)]);
  return bytes;
}

void CheckImage(const SignalSettingsFile& file) {
  Check(file.tag == kSignalSettingsTag && file.itemBase == kSignalItemBase);
  Check(std::memchr(file.description, 0, sizeof file.description) != nullptr);
  for (const SignalDefinition& definition : file.definitions)
    Check(std::memchr(definition.name, 0, sizeof definition.name) != nullptr);
  for (const ScenarioRecord& scenario : file.scenarios)
    Check(std::memchr(scenario.name, 0, sizeof scenario.name) != nullptr);
  Check(file.definitionCount >= 0 && file.definitionCount <= kMaxSignalDefinitions);
  Check(file.scenarioCount >= 0 && file.scenarioCount <= kScenarioSlots);
  for (int d = 0; d < file.definitionCount; ++d) {
    const SignalDefinition& definition = file.definitions[d];
    Check(definition.termCount >= 0 && definition.termCount <= kMaxConditionTerms);
    for (int t = 0; t < definition.termCount; ++t) {
      const ConditionTerm& term = definition.terms[t];
      Check(IsKnownItemCode(term.left));
      if (IsSlotItemCode(term.left) || term.left == kItemStockCode) Check(IsKnownItemCode(term.right));
    }
  }
}

bool Prepare() {
  EnterScratchDataFolder();
  return mkdir("PLUGIN", 0777) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  Check(prepared);
  const std::vector<uint8_t> bytes = ShapeInput(data, size);
  WriteFile(kPosixFilePath, bytes.data(), bytes.size());
  const SignalSettingsFile before = gSignalSettingsImage;
  std::snprintf(gSignalFileName, sizeof gSignalFileName, "%s", kFilePath);
  const int result = ReloadSignalSettingsFile();
  Check(ReadFile(kPosixFilePath) == bytes);
  if (result != 0) {
    Check(std::memcmp(&before, &gSignalSettingsImage, sizeof before) == 0);
    return 0;
  }
  Check(IsValidSignalSettingsFile(kFilePath) && gSignalSettings == &gSignalSettingsImage);
  const SignalSettingsFile loaded = gSignalSettingsImage;
  CheckImage(loaded);
  // A current file at the current base is taken byte for byte, but for
  // texts that did not end within their fields.
  if (bytes.size() == sizeof loaded &&
      std::memcmp(bytes.data() + offsetof(SignalSettingsFile, itemBase), &kSignalItemBase, 4) == 0) {
    SignalSettingsFile expected;
    std::memcpy(&expected, bytes.data(), sizeof expected);
    TerminateSignalFileTexts(expected);
    Check(std::memcmp(&expected, &loaded, sizeof loaded) == 0);
  }

  WriteFile(kPosixAgainPath, &loaded, sizeof loaded);
  std::snprintf(gSignalFileName, sizeof gSignalFileName, "%s", kAgainPath);
  Check(ReloadSignalSettingsFile() == 0);
  Check(std::memcmp(&loaded, &gSignalSettingsImage, sizeof loaded) == 0);
  return 0;
}
