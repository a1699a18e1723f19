#pragma once
// The chart memos of every stock: one table in memory that is the image of
// "memo.dat", its three rotating backups, the one-memo undo, and adding,
// selecting and deleting memos. Memo changes reach the disk at exit; a text
// edit saves at once.
#include <cstddef>
#include <cstdint>

#include "analysis/trend_line_store.h"
#include "records/memo_record.h"

struct ChartView;
struct ChartContext;

constexpr char kMemoFileName[] = "memo.dat";
constexpr char kDefaultMemoFilePath[] = "DEFAULTDATA\\memo.dat";
constexpr int kMemoBackupCount = 3;
extern const char* const kMemoBackupPaths[kMemoBackupCount];  // "BACKUP\memo01.dat" newest first

// Far more than anyone pins, and small enough that a file's size always
// fits 32 bits; a file claiming more is damaged.
constexpr int kMaxMemos = 100000;

// What a new table's three size choices start with.
constexpr int32_t kDefaultMemoFontHeights[kMemoSizeChoiceCount] = {8, 16, 24};
constexpr int32_t kDefaultMemoLineSpacings[kMemoSizeChoiceCount] = {0, 6, 8};

// The text of a memo made by the new-memo command.
constexpr char kNewMemoText[] = "●●●新規メモ●●●";

// The memory image of "memo.dat": the header, then header->count records in
// creation order, in one block with room for `capacity` records. Removing
// memos only lowers the count.
struct MemoTable {
  MemoFileHeader* header;  // null until loaded
  Memo* memos;             // right behind the header
  int capacity;
};

extern MemoTable gMemos;
extern Memo gUndoMemo;  // the last memo deleted; valid while gUndoKind is kUndoMemos

inline int MemoCount() { return gMemos.header != nullptr ? gMemos.header->count : 0; }
inline bool IsMemoIndex(int index) { return index >= 0 && index < MemoCount(); }
// Null when `index` names no memo.
inline Memo* MemoAt(int index) { return IsMemoIndex(index) ? &gMemos.memos[index] : nullptr; }

// Memos of kind `memoKind` show on a pane of kind `paneKind` by the trend
// lines' rule: the two price panes share theirs, every other pane has its own.
constexpr bool MemoFitsPaneKind(int paneKind, int memoKind) { return TrendLineFitsPane(paneKind, memoKind); }

// Every change to the memos other than a text edit (which saves at once)
// calls this, a drag or a style command included: a table that start-up took
// from a backup or the defaults is then written at exit.
void MarkMemosChanged();

// ---- The file ----------------------------------------------------------------------

// Start-up, after the trend lines: "memo.dat", else the first usable backup,
// else the defaults (their memos marked as samples). A damaged file is set
// aside (SetDamagedFileAside); a table taken from a backup or the defaults
// is not written until something changes it. With no file at all an empty
// table is created and written. False only when memory is short.
bool LoadMemoFile();
// Writes "memo.dat" (scratch bytes zeroed), then rotates the backups: memo01
// is this table, the older ones move down one place. Without a new
// "memo.dat" the backups stay as they are. 0 or the first error; a failed
// write is told in the error box.
int SaveMemoFile();
// The save at shut-down, telling nothing (the exit names every file it
// could not write at once); skipped while nothing has changed the memos
// since they were read or last saved, or since start-up took them from a
// backup or the defaults in place of a damaged or held "memo.dat".
int SaveMemoFileAtExit();
void FreeMemoTable(MemoTable* table);

// A file image (640- or 348-byte records) as a new table in `table`: the
// older records converted, plain stock numbers made codes, text terminated,
// colours and sizes brought into range. `sample` marks every memo as one of
// the distributed samples. False, with `table` left empty, for a bad header,
// a size that does not hold the count's records, or short memory.
bool ConvertMemoFile(const uint8_t* bytes, size_t size, bool sample, MemoTable* table);
// An empty table with the default size choices and room for one record.
bool CreateEmptyMemoTable(MemoTable* table);

// ---- Editing -----------------------------------------------------------------------

// The memo font's line height, measured by the window side: a new memo's box
// is one line high.
extern int gMemoTextHeight;

// Whether a chart and one of its panes are selected, as the new-memo command needs.
bool CanAddMemo();

// A new memo as the new-memo command makes it: the box 16 pixels right of and
// below the anchor, one line of `textHeight` high, black, without arrow, the
// size choices of `header`.
Memo MakeNewMemo(uint32_t code, int paneKind, int period, uint32_t date, int32_t value, int textHeight,
                 const MemoFileHeader& header);
// Where a new memo of pane `pane` is pinned: at the cursor when it is on one
// of the shown bars and inside the pane's value range, else half a screen
// left of the last bar, at the middle of the range.
void FindNewMemoAnchor(const ChartView& view, const ChartContext& context, int pane, int cursorBar, int32_t cursorValue,
                       uint32_t* date, int32_t* value);
// The new-memo command on the selected chart and pane; `textHeight` is the
// memo font's line height. The index of the new memo (selected), -1 when
// none was made (nothing selected, or memory short: a message says so).
int AddNewMemo(int textHeight);
// A copy of memo `index` at the end, selected; -1 when none was made.
int DuplicateMemo(int index);
// Selects memo `index` only; -1 deselects all. Redraws the charts.
void SelectMemo(int index);
bool HasSelectedMemo();
// Removes the selected memos, the last of them kept for undo (gUndoKind
// becomes kUndoMemos). 1 when a memo went.
int RemoveSelectedMemos();
// Appends the memo the last deletion kept, selected; gUndoKind becomes
// kUndoNothing. 1 when it came back.
int RestoreRemovedMemo();
// Asks first; on Yes every memo and every trend line goes, with no undo.
void DeleteAllMemosAndTrendLines();
