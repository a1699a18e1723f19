#pragma once
// The 16 named colours offered in colour lists (the memo editor's), in
// their list order.
#include "records/settings_block.h"

constexpr int kNamedColorCount = 16;

struct NamedColor {
  const char* name;
  ColorRef color;
};

extern const NamedColor gNamedColors[kNamedColorCount];

// The first entry named black (in any of its three spellings); 0 when none.
int FindBlackColorIndex(const NamedColor* colors, int count);
inline int FindBlackColorIndex() { return FindBlackColorIndex(gNamedColors, kNamedColorCount); }
