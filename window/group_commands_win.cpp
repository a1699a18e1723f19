#include "window/group_commands_win.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "analysis/group_edits.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_lists_win.h"
#include "window/chart_windows.h"
#include "window/condition_item_lists_win.h"
#include "window/dialog_helpers_win.h"
#include "window/group_settings_dialog_win.h"
#include "window/stock_search_box.h"

namespace {

constexpr char kCopiedText[] = "グループのリストをクリップボードにコピーしました。";
constexpr char kImportQuestion[] =
    "インポートしたい銘柄コードのリストが入ったテキストファイルを選択してください。\n"
    "グループの内容が完全に入れ替わります。\n続行しますか？";
constexpr char kGroupFullText[] = "グループの銘柄数が上限に達しているため、これ以上銘柄を追加できません。";
constexpr char kTextFileFilter[] = "テキストファイル (*.txt)\0*.txt\0";
constexpr int kSortMenuColumn = 31;  // items per column of the long sort-key menu

int ShownChart() { return gSelectedChart >= 0 && gSelectedChart < ShownChartCount() ? gSelectedChart : -1; }

// The group the selected chart shows; -1 without a selected chart.
int ShownGroup() {
  const int chart = ShownChart();
  if (chart < 0 || gGroupTable == nullptr) return -1;
  const int g = CurrentScreenPattern().views[chart].groupIndex;
  return g >= 0 && g < kGroupCount ? g : -1;
}

int Ask(HWND owner, const char* text, unsigned flags) { return PlatformMessageBox(owner, text, gAppTitle, flags); }

void AddChartStockToGroup() {
  const int g = ShownGroup();
  if (g >= 0) AddStockToGroup(CurrentScreenPattern().views[gSelectedChart].stockCode, g);
}

void RemoveSelectedStockFromGroup() {
  const int g = ShownGroup();
  if (g < 0) return;
  const HWND list = static_cast<HWND>(gChartWindows[gSelectedChart].stockList);
  const int row = list != nullptr ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
  if (RemoveGroupMember(*gGroupTable, g, row)) RefreshGroupListWindows(g);
}

void ClearCurrentGroup() {
  const int g = ShownGroup();
  if (g < 0) return;
  ClearGroupMembers(*gGroupTable, g);
  RefreshGroupListWindows(g);
}

void SetGroupSortOrder(int order) {
  const int g = ShownGroup();
  if (g >= 0 && SetGroupSortOrderOf(*gGroupTable, g, order)) RefreshGroupListWindows(g);
}

void SetGroupSortItem(int position) {
  const std::vector<ConditionItemCode> items = GetConditionItemList();
  const int g = ShownGroup();
  if (g < 0 || position < 0 || position >= static_cast<int>(items.size())) return;
  if (SetGroupSortItemOf(*gGroupTable, g, items[static_cast<size_t>(position)])) RefreshGroupListWindows(g);
}

struct ClipboardChoice {
  bool withNames;
  bool withMark;
};

INT_PTR CALLBACK ClipboardLayoutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CheckRadioButton(dialog, IDC_CLIPBOARD_CODES_ONLY, IDC_CLIPBOARD_WITH_NAMES,
                     gClipboardWithNames != 0 ? IDC_CLIPBOARD_WITH_NAMES : IDC_CLIPBOARD_CODES_ONLY);
    CheckDlgButton(dialog, IDC_CLIPBOARD_WITH_MARK, gClipboardWithMark != 0 ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    gClipboardWithNames = IsDlgButtonChecked(dialog, IDC_CLIPBOARD_WITH_NAMES) == BST_CHECKED ? 1 : 0;
    gClipboardWithMark = IsDlgButtonChecked(dialog, IDC_CLIPBOARD_WITH_MARK) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

// The text as CF_TEXT in a new movable block, the clipboard emptied first.
bool PutTextOnClipboard(HWND owner, const std::string& text) {
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block == nullptr) return false;
  void* bytes = GlobalLock(block);
  if (bytes == nullptr) {
    GlobalFree(block);
    return false;
  }
  memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool put = SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  if (!put) GlobalFree(block);
  return put;
}

}  // namespace

// The sub-menu (at any depth) that holds a command; null when none does.
HMENU FindSubMenuWithCommand(HMENU menu, int command) {
  if (menu == nullptr) return nullptr;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const HMENU sub = GetSubMenu(menu, i);
    if (sub == nullptr) continue;
    if (GetMenuState(sub, static_cast<UINT>(command), MF_BYCOMMAND) != static_cast<UINT>(-1)) {
      for (int j = 0; j < GetMenuItemCount(sub); ++j) {
        if (GetMenuItemID(sub, j) == static_cast<UINT>(command)) return sub;
      }
      return FindSubMenuWithCommand(sub, command);
    }
  }
  return nullptr;
}

bool RefuseWhileGroupsEdited(HWND owner) {
  if (gGroupEditBusy == 0) return false;
  MessageBoxFromStrings(owner, 0, kStrGroupEditBusy, kMbOk | kMbIconExclamation);
  return true;
}

bool CopyGroupListToClipboard(HWND owner) {
  const int g = ShownGroup();
  if (g < 0) return false;
  const INT_PTR chosen =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GROUP_CLIPBOARD), owner, ClipboardLayoutProc, 0);
  if (chosen != IDOK) return false;
  const std::string text = BuildGroupClipboardText(*gGroupTable, g, gClipboardWithNames != 0, gClipboardWithMark != 0);
  if (!PutTextOnClipboard(owner, text)) return false;
  Ask(owner, kCopiedText, kMbOk | kMbIconInformation);
  return true;
}

bool ImportGroupFromTextFile(HWND owner) {
  const int g = ShownGroup();
  if (g < 0 || Ask(owner, kImportQuestion, kMbYesNo | kMbIconQuestion) != kIdYes) return false;
  uint32_t size = 0;
  char* text =
      PromptOpenAndLoadFile(GetModuleHandleW(nullptr), owner, kStrOpenGroupCodeListPrompt, &size, kTextFileFilter);
  if (text == nullptr) return false;
  const GroupImportResult result = ImportGroupCodes(*gGroupTable, g, text, size, ParseStockCodeText);
  FreeBlock(text);
  RefreshGroupListWindows(g);
  if (result.limitReached) Ask(owner, kGroupFullText, kMbOk | kMbIconExclamation);
  return true;
}

int RunGroupCommand(HWND owner, int commandId) {
  const bool sortKey = commandId >= IDM_SORT_ITEM_FIRST && commandId < IDM_LIST_TO_GROUP_FIRST;
  const bool edit = sortKey || (commandId >= IDM_GROUP_ADD_CHART_STOCK && commandId <= IDM_GROUP_SETTINGS);
  if (!edit) return 0;
  // The copy leaves the groups as they are; every other command edits them.
  if (commandId != IDM_GROUP_COPY_TO_CLIPBOARD && RefuseWhileGroupsEdited(owner)) return 1;
  if (sortKey) {
    SetGroupSortItem(commandId - IDM_SORT_ITEM_FIRST);
    return 1;
  }
  switch (commandId) {
    case IDM_GROUP_ADD_CHART_STOCK: AddChartStockToGroup(); break;
    case IDM_GROUP_REMOVE_STOCK: RemoveSelectedStockFromGroup(); break;
    case IDM_GROUP_CLEAR: ClearCurrentGroup(); break;
    case IDM_GROUP_SORT_ASCENDING: SetGroupSortOrder(0); break;
    case IDM_GROUP_SORT_DESCENDING: SetGroupSortOrder(1); break;
    case IDM_GROUP_COPY_TO_CLIPBOARD: CopyGroupListToClipboard(owner); break;
    case IDM_GROUP_IMPORT_TEXT: ImportGroupFromTextFile(owner); break;
    case IDM_GROUP_SETTINGS: OpenGroupSettingsDialog(owner); break;
    default: break;
  }
  return 1;
}

void UpdateGroupMenuItems(HMENU menu) {
  if (menu == nullptr) return;
  const int g = ShownGroup();
  const GroupRecord* group = g >= 0 ? &gGroupTable->groups[g] : nullptr;
  for (int command = IDM_GROUP_ADD_CHART_STOCK; command <= IDM_GROUP_SETTINGS; ++command) {
    EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (group != nullptr ? MF_ENABLED : MF_GRAYED));
  }
  const auto check = [menu](int command, bool checked) {
    CheckMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  };
  check(IDM_GROUP_SORT_ASCENDING, group != nullptr && group->sortOrder == 0);
  check(IDM_GROUP_SORT_DESCENDING, group != nullptr && group->sortOrder != 0);
  // By position in the menu's own sort-key sub-menu: a search by command through every menu would be slow.
  const HMENU sortKeys = FindSubMenuWithCommand(menu, IDM_SORT_ITEM_FIRST);
  const std::vector<ConditionItemCode> items = GetConditionItemList();
  for (int n = 0; sortKeys != nullptr && n < std::min<int>(GetMenuItemCount(sortKeys), items.size()); ++n) {
    const bool sortedBy = group != nullptr && group->sortItem == items[static_cast<size_t>(n)];
    CheckMenuItem(sortKeys, static_cast<UINT>(n), MF_BYPOSITION | (sortedBy ? MF_CHECKED : MF_UNCHECKED));
  }
}

void FillSortItemMenu(HMENU menu) {
  if (menu == nullptr) return;
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  ConditionItemList list{nullptr, menu, {}};
  FillConditionItemList(&list);
  // A long menu breaks into columns instead of running off the screen.
  for (int n = kSortMenuColumn; n < GetMenuItemCount(menu); n += kSortMenuColumn) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    item.fType = MFT_STRING | MFT_MENUBARBREAK;
    SetMenuItemInfoW(menu, static_cast<UINT>(n), TRUE, &item);
  }
}
