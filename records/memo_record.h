#pragma once
// Chart memos as stored: the 640-byte record, the 32-byte header of
// "memo.dat" in front of them, and the older file's 348-byte record.
#include <cstddef>
#include <cstdint>

constexpr int kMemoTextBytes = 512;  // at most 511 bytes and the terminating zero
constexpr int kMemoSizeChoiceCount = 3;
constexpr int32_t kMemoRecordBytes = 640;
constexpr int32_t kOldMemoRecordBytes = 348;

// Limits of a size choice: the font height and the extra line spacing in pixels.
constexpr int32_t kMinMemoFontHeight = 1;
constexpr int32_t kMaxMemoFontHeight = 32;
constexpr int32_t kMaxMemoLineSpacing = 32;

struct Memo {
  uint32_t code;  // StockCode
  int16_t paneKind;
  uint8_t reserved6[2];
  int32_t period;      // 0 daily, 1 weekly, 2 monthly
  uint32_t date;       // anchor date, PackedDate
  int32_t value;       // anchor value, in the pane's units
  int32_t boxOffsetX;  // box left minus anchor x, pixels
  int32_t boxOffsetY;  // box top minus anchor y, pixels
  int32_t selected;
  // The box as last laid out; between layouts only its size counts.
  int32_t boxLeft;
  int32_t boxTop;
  int32_t boxRight;
  int32_t boxBottom;
  char text[kMemoTextBytes];  // Shift-JIS, lines end at '\n'
  int32_t color;              // index into gNamedColors
  int32_t arrowHidden;        // 1: no arrow; any other value: arrow shown
  int32_t customSize;         // 1: the size choice below applies
  int32_t sizeChoice;         // 0..2
  int32_t fontHeights[kMemoSizeChoiceCount];
  int32_t lineSpacings[kMemoSizeChoiceCount];
  int32_t sample;       // came from the distributed default memo file
  uint8_t scratch[36];  // run-time only, written as zero
};
static_assert(sizeof(Memo) == kMemoRecordBytes, "Memo is 640 bytes");
static_assert(offsetof(Memo, paneKind) == 4);
static_assert(offsetof(Memo, period) == 8);
static_assert(offsetof(Memo, date) == 12);
static_assert(offsetof(Memo, value) == 16);
static_assert(offsetof(Memo, boxOffsetX) == 20);
static_assert(offsetof(Memo, selected) == 28);
static_assert(offsetof(Memo, boxLeft) == 32);
static_assert(offsetof(Memo, text) == 48);
static_assert(offsetof(Memo, color) == 560);
static_assert(offsetof(Memo, arrowHidden) == 564);
static_assert(offsetof(Memo, customSize) == 568);
static_assert(offsetof(Memo, sizeChoice) == 572);
static_assert(offsetof(Memo, fontHeights) == 576);
static_assert(offsetof(Memo, lineSpacings) == 588);
static_assert(offsetof(Memo, sample) == 600);
static_assert(offsetof(Memo, scratch) == 604);

// The front of "memo.dat"; `count` records follow it. The heights and
// spacings are what a new memo's three size choices start with.
struct MemoFileHeader {
  int32_t count;
  int32_t recordSize;  // kMemoRecordBytes; kOldMemoRecordBytes in the older file
  int32_t fontHeights[kMemoSizeChoiceCount];
  int32_t lineSpacings[kMemoSizeChoiceCount];
};
static_assert(sizeof(MemoFileHeader) == 32, "the memo file header is 32 bytes");
static_assert(offsetof(MemoFileHeader, fontHeights) == 8);
static_assert(offsetof(MemoFileHeader, lineSpacings) == 20);

// The older file: count and record size, then `count` records of 348 bytes.
struct OldMemoFileHeader {
  int32_t count;
  int32_t recordSize;
};
static_assert(sizeof(OldMemoFileHeader) == 8);

// Its first 48 bytes are laid out as in Memo.
constexpr size_t kOldMemoSharedBytes = offsetof(Memo, text);
constexpr int kOldMemoTextBytes = 256;

struct OldMemo {
  uint8_t shared[kOldMemoSharedBytes];
  char text[kOldMemoTextBytes];
  int32_t color;
  int32_t customSize;  // 0 or 1; any other value: none
  int16_t fontHeight;
  int16_t lineSpacing;
  uint8_t unused316[28];
  int32_t arrowHidden;
};
static_assert(sizeof(OldMemo) == kOldMemoRecordBytes, "OldMemo is 348 bytes");
static_assert(offsetof(OldMemo, text) == 48);
static_assert(offsetof(OldMemo, color) == 304);
static_assert(offsetof(OldMemo, customSize) == 308);
static_assert(offsetof(OldMemo, fontHeight) == 312);
static_assert(offsetof(OldMemo, lineSpacing) == 314);
static_assert(offsetof(OldMemo, arrowHidden) == 344);
