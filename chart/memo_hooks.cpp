#include "chart/memo_hooks.h"

#include "chart/memo_store.h"

MemoHooks gMemoHooks = {};

namespace {

void DeselectEveryMemo() { SelectMemo(-1); }

}  // namespace

void InstallMemoHooks() {
  gMemoHooks.duplicate = DuplicateMemo;
  gMemoHooks.selectOnly = SelectMemo;
  gMemoHooks.deselectAll = DeselectEveryMemo;
  gMemoHooks.deleteSelected = RemoveSelectedMemos;
  gMemoHooks.undoDeletion = RestoreRemovedMemo;
  gMemoHooks.anySelected = HasSelectedMemo;
}
