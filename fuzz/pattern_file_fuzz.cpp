// Imports arbitrary bytes as a screen-pattern file through the open dialog.
// Whatever the file holds, the patterns afterwards are either unchanged or
// all within their ranges, and the program shows pattern 0 after an import.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "chart/chart_selection.h"
#include "chart/pattern_file.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "shell/settings.h"

namespace {

std::string gFolder;

void PrepareFolder() {
  gFolder = EnterScratchDataFolder();
  InitAppTexts();
}

// A file of the default patterns with a few bytes changed at input-chosen places.
std::vector<uint8_t> PatchedValidFile(const uint8_t* data, size_t size) {
  ScreenPatternFile file{};
  file.tag = kScreenPatternFileTag;
  memcpy(file.patterns, gScreenPatterns, sizeof file.patterns);
  memcpy(file.paneHeights, gPaneHeights, sizeof file.paneHeights);
  std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(&file),
                             reinterpret_cast<const uint8_t*>(&file) + sizeof file);
  if (size > 1 && data[1] % 2 != 0) bytes.resize(kOldScreenPatternFileSize);
  // A few changes, so that many files stay importable.
  const size_t end = size < 2 + 3 * 4 ? size : 2 + 3 * 4;
  for (size_t i = 2; i + 2 < end; i += 3) {
    const size_t offset = (size_t{data[i]} << 8 | data[i + 1]) % bytes.size();
    bytes[offset] = data[i + 2];
  }
  return bytes;
}

// The first byte picks the shape: raw bytes, a tagged file of either size
// holding the input, or a valid file with bytes changed.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const int shape = data[0] % 4;
  if (shape == 0) return std::vector<uint8_t>(data + 1, data + size);
  if (shape == 3) return PatchedValidFile(data, size);
  const uint32_t header[2] = {kScreenPatternFileTag, 0};
  std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(header), reinterpret_cast<const uint8_t*>(header) + 8);
  bytes.insert(bytes.end(), data + 1, data + size);
  bytes.resize(shape == 1 ? sizeof(ScreenPatternFile) : kOldScreenPatternFileSize, data[size - 1]);
  return bytes;
}

void CheckPatternsUsable() {
  Check(gCurrentPattern >= 0 && gCurrentPattern < kScreenPatternCount);
  for (int n = 0; n < kScreenPatternCount; ++n) {
    ScreenPattern copy = gScreenPatterns[n];
    Check(ValidateScreenPattern(copy, n, false));
    Check(memcmp(&copy, &gScreenPatterns[n], sizeof copy) == 0);  // nothing left to convert
  }
  for (uint16_t height : gPaneHeights) Check(height != 0 && height <= kMaxPaneHeight);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (PrepareFolder(), true);
  (void)prepared;
  SetDefaultSettings();
  gCurrentPattern = 5;
  const SettingsBlock before = gSettings;
  {
    std::ofstream out(gFolder + "in.dat", std::ios::binary | std::ios::trunc);
    const std::vector<uint8_t> bytes = ShapeInput(data, size);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  QueueFileDialogAnswer(gFolder + "in.dat");
  const int imported = ImportScreenPatterns();
  TakeRecordedMessageBoxes();
  TakeRecordedFileDialogs();
  if (imported == 0) {
    Check(memcmp(&gSettings, &before, sizeof before) == 0);
  } else {
    Check(gCurrentPattern == 0);
    Check(gSelectedChart >= 0 && gSelectedChart < gScreenPatterns[0].chartCount);
    CheckPatternsUsable();
  }
  return 0;
}
