#include "chart/pattern_file.h"

#include <cstring>

#include "chart/chart_hooks.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/string_ids.h"
#include "common/app_globals.h"
#include "records/settings_block.h"
#include "common/message_boxes.h"

static_assert(kPatternFilePaneHeights == kPaneHeightCount);

namespace {

// One entry; the literal's own terminator closes the list.
constexpr char kPatternFileFilter[] = "(*.dat)\0*.dat\0";

int RefusePatternFile() {
  MessageBoxFromStrings(gMainWnd, 0, kStrNotPatternFile, kMbOk | kMbIconExclamation);
  return 0;
}

// Pane heights a file of this size holds; -1 for any other size.
int PaneHeightsInFile(uint32_t size) {
  if (size == sizeof(ScreenPatternFile)) return kPatternFilePaneHeights;
  if (size == kOldScreenPatternFileSize) return kOldPatternFilePaneHeights;
  return -1;
}

bool ArePatternsUsable(ScreenPatternFile& file) {
  bool usable = true;
  for (int n = 0; n < kScreenPatternCount; ++n) usable = ValidateScreenPattern(file.patterns[n], n, false) && usable;
  return usable;
}

}  // namespace

int ExportScreenPatterns() {
  char path[kMaxPath];
  if (!PromptSaveFile(gInstance, gMainWnd, kStrSavePatternFilePrompt, path, kPatternFileFilter)) return 0;
  ScreenPatternFile file{};
  file.tag = kScreenPatternFileTag;
  memcpy(file.patterns, gScreenPatterns, sizeof file.patterns);
  memcpy(file.paneHeights, gPaneHeights, sizeof file.paneHeights);
  const int error = SaveBufferToFile(path, &file, sizeof file);
  if (error != 0) {
    ShowErrorMessage(gMainWnd, error);
    return 0;
  }
  return 1;
}

int ImportScreenPatterns() {
  char path[kMaxPath];
  if (!PromptOpenFile(gInstance, gMainWnd, kStrOpenPatternFilePrompt, path, kPatternFileFilter)) return 0;
  ScreenPatternFile file{};
  uint32_t size = 0;
  const int error = LoadFileToBufferEx(path, &file, sizeof file, &size);
  if (error == kFileTooLarge) return RefusePatternFile();
  if (error != 0) {
    ShowErrorMessage(gMainWnd, error);
    return 0;
  }
  const int heights = PaneHeightsInFile(size);
  if (heights < 0 || file.tag != kScreenPatternFileTag || file.reserved != 0) return RefusePatternFile();
  if (!ArePatternsUsable(file)) return RefusePatternFile();

  BringPaneHeightsIntoRange(file.paneHeights, heights);
  memcpy(gScreenPatterns, file.patterns, sizeof file.patterns);
  memcpy(gPaneHeights, file.paneHeights, static_cast<size_t>(heights) * sizeof file.paneHeights[0]);
  if (gChartHooks.patternNamesChanged != nullptr) gChartHooks.patternNamesChanged();
  SwitchScreenPattern(0, 1);
  return 1;
}
