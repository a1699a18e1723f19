#pragma once
// The screen-pattern file (commands 32934 and 32935): a tag, the twelve
// patterns and the relative pane heights; the current pattern is not stored.
#include <cstdint>

#include "chart/screen_pattern.h"

constexpr uint32_t kScreenPatternFileTag = 0x03160003;
constexpr int kPatternFilePaneHeights = 20;
constexpr int kOldPatternFilePaneHeights = 12;

struct ScreenPatternFile {
  uint32_t tag;
  uint32_t reserved;  // 0
  ScreenPattern patterns[kScreenPatternCount];
  uint16_t paneHeights[kPatternFilePaneHeights];
};
static_assert(sizeof(ScreenPatternFile) == 5232, "the pattern file has 5232 bytes");
// Older files end after the first 12 pane heights.
constexpr uint32_t kOldScreenPatternFileSize =
    sizeof(ScreenPatternFile) - (kPatternFilePaneHeights - kOldPatternFilePaneHeights) * sizeof(uint16_t);
static_assert(kOldScreenPatternFileSize == 5216);

// Asks for a file name and writes the patterns and pane heights. 1 when written.
int ExportScreenPatterns();
// Asks for a file and, when every record in it is usable, replaces the
// patterns and pane heights and shows pattern 0. 1 when imported; a file of
// another kind or with values out of range changes nothing.
int ImportScreenPatterns();
