#pragma once
// What the colour dialog shows: the label of each palette entry that has a
// swatch (0-73) and its five pages of entries.
constexpr int kColorPageCount = 5;
constexpr int kSwatchEntryCount = 74;  // entries 74-79 have no swatch
constexpr int kMaxColorPageEntries = 21;

struct ColorPage {
  const char* title;
  int count;
  int entries[kMaxColorPageEntries];
};

extern const ColorPage gColorPages[kColorPageCount];

// The label shown beside the swatch of palette entry `entry`; "" for none.
const char* GetPaletteEntryLabel(int entry);
// The page showing entry `entry`; -1 for none.
int FindColorPageOfEntry(int entry);
