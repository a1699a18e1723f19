#pragma once
// The memo style commands and the rules of the memo editor, without a
// device: custom font sizes and their repair, arrows switched with the
// anchor moved to the box, the editor's byte counter and what its OK keeps.
#include <cstddef>
#include <cstdint>

#include "records/memo_record.h"

constexpr int kMemoTextLimit = kMemoTextBytes - 1;  // 511 bytes of Shift-JIS

// The height and extra line spacing a memo is drawn with.
struct MemoFontSize {
  int height, spacing;
};

// The memo's three size choices brought into range: choice 1 from the
// default memo font size and spacing, choices 2 and 3 from the table's
// defaults, each only when its height lies outside 1..32 or its spacing
// outside 0..32; the choice kept within 0..2.
void RepairMemoFontSizes(Memo* memo, const MemoFileHeader& header, int defaultHeight, int defaultSpacing);
// The chosen pair, within 1..32 and 0..32 whatever the table holds.
MemoFontSize ChosenMemoFontSize(const Memo& memo);
// What the editor opens with: an arrow switch other than 0 or 1 reads 0; a
// custom-size switch other than 0 or 1 reads 0, with choice 1 from the
// defaults; otherwise the choices repaired as above.
void PrepareMemoForEditing(Memo* memo, const MemoFileHeader& header, int defaultHeight, int defaultSpacing);

// The editor's counter: "文字: n bytes\n残り: m bytes", and whether the
// text is too long (the counter then turns red).
bool FormatMemoByteCounter(int length, char* out, size_t size);

// ---- Commands on the selected memos (all charts redrawn) ----------------------------

// Custom size `choice` (0..2) on every selected memo; a memo that had none is
// switched on with its sizes repaired.
void SetSelectedMemosFontSize(int choice);
void ResetSelectedMemosFontSize();
// Arrows on or off, each memo re-anchored to its box either way.
void ToggleSelectedMemoArrows();
// The first selected memo, -1 when none is.
int FirstSelectedMemo();

// The editor's OK: `typed` (Shift-JIS) cut to 511 bytes on a whole
// character; with custom size on, the edited sizes become the table's
// defaults; a memo whose arrow the edit turned off is re-anchored to its
// box; the file is saved. False (nothing changes) for an empty text.
bool ApplyMemoEdit(int index, const Memo& edited, const char* typed);
