#pragma once
// Condition items offered in a combo box or a pop-up menu: the entry at a
// position maps back to its item code.
#include <windows.h>

#include <vector>

#include "analysis/condition_items.h"

struct ConditionItemList {
  HWND combo;                            // names added with CB_ADDSTRING, or
  HMENU menu;                            // string items with command id IDM_SORT_ITEM_FIRST + position
  std::vector<ConditionItemCode> codes;  // by position
};

// Adds one item, named with the chart parameters of the settings.
void AddItemToList(ConditionItemList* list, int code);
// Every left-hand item in display order.
void FillConditionItemList(ConditionItemList* list);
// The items comparable with the left-hand item of `slot` and `index`.
void FillComparableItemList(int slot, int index, ConditionItemList* list, bool includeSelf);
// The code at a position, or kItemConstant when there is none.
int ItemCodeAt(const ConditionItemList& list, int position);
