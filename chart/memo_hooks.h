#pragma once
// What the chart and window code asks of the chart memos. The memo store
// fills these at start-up; until then no memo is ever found under the mouse,
// so no memo drag, pop-up, editor or deletion starts. A null member does
// nothing; use the wrappers below.
#include <cstdint>

// The part of a memo a point lies on.
enum MemoPart : int { kMemoBox = 0, kMemoArrowTip = 1, kMemoWhole = 2 };

// Check marks of the memo pop-up menu.
struct MemoPopupState {
  bool arrowShown;
  bool customSize;
  int sizeIndex;  // 0..2 while customSize
};

struct MemoHooks {
  // The memo under (x, y) in pane `pane` of chart `chart`, -1 when none.
  int (*hitTest)(int chart, int pane, int x, int y, MemoPart* part);
  int (*duplicate)(int memo);  // Ctrl-press: index of the copy, -1 when none was made
  void (*selectOnly)(int memo);
  void (*deselectAll)();
  // A drag of `part` of `memo` starts at (x, y); moves follow; the end saves.
  void (*beginDrag)(int memo, MemoPart part, int chart, int pane, int x, int y);
  void (*dragTo)(int x, int y);
  void (*endDrag)();
  int (*deleteSelected)();           // 1 when a memo went (the undo then restores it)
  int (*undoDeletion)();             // 1 when a memo came back
  int (*editAtPoint)(int x, int y);  // double-click: 1 when an editor opened
  bool (*popupState)(int memo, MemoPopupState* state);
  bool (*anySelected)();  // for the menus: whether Del has a memo to delete
};

extern MemoHooks gMemoHooks;

// Fills gMemoHooks with the memo store's operations; called once at start-up.
void InstallMemoHooks();

inline int HitTestMemoAt(int chart, int pane, int x, int y, MemoPart* part) {
  return gMemoHooks.hitTest != nullptr ? gMemoHooks.hitTest(chart, pane, x, y, part) : -1;
}
inline void DeselectAllMemos() {
  if (gMemoHooks.deselectAll != nullptr) gMemoHooks.deselectAll();
}
inline bool IsAnyMemoSelected() { return gMemoHooks.anySelected != nullptr && gMemoHooks.anySelected(); }
inline int DeleteSelectedMemos() { return gMemoHooks.deleteSelected != nullptr ? gMemoHooks.deleteSelected() : 0; }
inline int UndoMemoDeletion() { return gMemoHooks.undoDeletion != nullptr ? gMemoHooks.undoDeletion() : 0; }
inline int EditMemoAtPoint(int x, int y) {
  return gMemoHooks.editAtPoint != nullptr ? gMemoHooks.editAtPoint(x, y) : 0;
}
