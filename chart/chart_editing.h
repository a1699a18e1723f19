#pragma once
// Editing the charts of the current pattern: panes added, removed and moved,
// pane flag bits, charts added and removed, and the display switches of the
// view menu. Everything works on the current pattern's views and the
// selection; the window side lays out and repaints through gChartHooks.

// What the window side does after an edit; any of them may be null.
// Pane moves of the pane pop-up menu.
enum PaneMove : int { kPaneToTop = 0, kPaneUp = 1, kPaneDown = 2, kPaneToBottom = 3 };

// The pane kind a menu or toolbar command toggles; -1 for other commands.
int PaneKindOfCommand(int command);
// The slot of pane kind `kind` in the selected chart; -1 when it has none.
int FindPaneByKind(int kind);
// Shows or hides pane kind `kind` in the selected chart: a shown kind is
// removed, else a pane is inserted below the selected one (at most 12; a
// message says so). 1 when a pane was inserted.
int ToggleChartPane(int kind);
void RemoveSelectedPane();
void MoveSelectedPane(PaneMove move);
// One more pane slot at the bottom of the selected chart, selected.
void AddPaneSlot();
// Flips bit n (mod 32) of the selected pane's flag word; the chart's scales
// follow, and the chart and the detail list are repainted.
void TogglePaneFlagBit(int n);

// A third chart at most: a copy of the selected view (or of the last one)
// without its links.
void AddChart();
// Removes the selected chart when two or more are shown; its view is kept,
// unshown, in the last slot.
void RemoveSelectedChart();
// Reloads every chart, keeps the selection among the shown charts, lays out and paints.
void ClampSelectedChart();

// Del: the selected memos, then the marked trend lines (saved), repainted.
void DeleteSelectedObjects();
// Ctrl+Z: brings back what the last deletion removed, trend lines marked.
void UndoLastDeletion();
// Flips bit n (mod 32) of the selected trend line's watched lines; a line
// always watches one at least (a beep says so). Judged again without a notice.
void ToggleWatchedLineBit(int n);
// Ctrl+T: every press on a pane draws a new line while it is on.
void ToggleNewTrendLineMode();

// One idle step: the memberships of the oldest stock a live quote queued,
// or everything recomputed after the queue overflowed. Nothing while a
// group list is dropped down, since its rows would move under the user.
void ProcessPendingGroupUpdates(bool groupListDropped);

// The display switches of the view menu (commands 32827, 32828, 32835,
// 32857, 32878, 33031, 33032, 33087, 33140..33142) and the line options of
// the options menu (33147, 33151); false for other ids.
bool ToggleDisplaySwitch(int command);
// Whether a display switch is on, for the menu's check marks; false for other ids.
bool IsDisplaySwitchOn(int command);
