#include "chart/memo_hooks.h"

#include <algorithm>

#include "chart/chart_loading.h"
#include "chart/memo_store.h"
#include "chart/memo_view.h"
#include "chart/screen_pattern.h"

MemoHooks gMemoHooks = {};

namespace {

void DeselectEveryMemo() { SelectMemo(-1); }

int HitTestShownMemos(int chart, int pane, int x, int y, MemoPart* part) {
  if (chart < 0 || chart >= ShownChartCount()) return -1;
  return HitTestMemos(CurrentScreenPattern().views[chart], gChartContexts[chart], pane, x, y, part);
}

void DragGrabbedMemo(const DragPoint& point) { DragMemoTo(point); }

bool GetMemoPopupState(int index, MemoPopupState* state) {
  const Memo* memo = MemoAt(index);
  if (memo == nullptr) return false;
  state->arrowShown = memo->arrowHidden != 1;
  state->customSize = memo->customSize == 1;
  state->sizeIndex = std::clamp(memo->sizeChoice, 0, kMemoSizeChoiceCount - 1);
  return true;
}

}  // namespace

void InstallMemoHooks() {
  gMemoHooks.duplicate = DuplicateMemo;
  gMemoHooks.selectOnly = SelectMemo;
  gMemoHooks.deselectAll = DeselectEveryMemo;
  gMemoHooks.deleteSelected = RemoveSelectedMemos;
  gMemoHooks.undoDeletion = RestoreRemovedMemo;
  gMemoHooks.anySelected = HasSelectedMemo;
  gMemoHooks.hitTest = HitTestShownMemos;
  gMemoHooks.beginDrag = BeginMemoDrag;
  gMemoHooks.dragTo = DragGrabbedMemo;
  gMemoHooks.endDrag = EndMemoDrag;
  gMemoHooks.popupState = GetMemoPopupState;
}
