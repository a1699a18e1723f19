// Condition items in a real combo box and pop-up menu.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "tests/support/global_state.h"
#include "window/condition_item_lists_win.h"

namespace {

std::string ComboText(HWND combo, int position) {
  wchar_t text[160] = L"";
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text));
  return WideToSjis(text);
}

std::string MenuText(HMENU menu, UINT id) {
  wchar_t text[160] = L"";
  GetMenuStringW(menu, id, text, 160, MF_BYCOMMAND);
  return WideToSjis(text);
}

TEST(ConditionItemListsWin, PositionsMapBackToCodesInComboAndMenu) {
  ScopedGlobalState globals;
  HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(combo, nullptr);
  ConditionItemList comboList{combo, nullptr, {}};
  FillConditionItemList(&comboList);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 427);
  EXPECT_EQ(ComboText(combo, 0), "銘柄コード");
  EXPECT_EQ(ComboText(combo, 1), "本日の株価");
  EXPECT_EQ(ItemCodeAt(comboList, 72), 91);
  EXPECT_EQ(ItemCodeAt(comboList, 427), kItemConstant);
  DestroyWindow(combo);

  HMENU menu = CreatePopupMenu();
  ConditionItemList menuList{nullptr, menu, {}};
  FillComparableItemList(kSlotPreviousWeek, kItemLaggingLine, &menuList, true);
  EXPECT_EQ(GetMenuItemCount(menu), 5);
  EXPECT_EQ(MenuText(menu, IDM_SORT_ITEM_FIRST + 0), "先週の株価");
  EXPECT_EQ(ItemCodeAt(menuList, 4), 3 * 91 + 49);
  DestroyMenu(menu);
}

}  // namespace
