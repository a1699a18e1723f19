#include "window/condition_item_lists_win.h"

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/settings_block.h"

void AddItemToList(ConditionItemList* list, int code) {
  char name[160];
  GetConditionItemName(gIndicatorParams, code, name, sizeof name);
  const std::wstring wide = SjisToWide(name);
  const int position = static_cast<int>(list->codes.size());
  if (list->combo != nullptr) {
    SendMessageW(list->combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  } else if (list->menu != nullptr) {
    AppendMenuW(list->menu, MF_STRING, static_cast<UINT_PTR>(IDM_SORT_ITEM_FIRST + position), wide.c_str());
  }
  list->codes.push_back(static_cast<ConditionItemCode>(code));
}

void FillConditionItemList(ConditionItemList* list) {
  for (const ConditionItemCode code : GetConditionItemList()) AddItemToList(list, code);
}

void FillComparableItemList(int slot, int index, ConditionItemList* list, bool includeSelf) {
  for (const ConditionItemCode code : GetComparableItemList(MakeItemCode(slot, index), includeSelf)) {
    AddItemToList(list, code);
  }
}

int ItemCodeAt(const ConditionItemList& list, int position) {
  if (position < 0 || position >= static_cast<int>(list.codes.size())) return kItemConstant;
  return list.codes[static_cast<size_t>(position)];
}
