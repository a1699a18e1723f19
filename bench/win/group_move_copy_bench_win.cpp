// Group move/copy benchmark, to be run under Wine: 5000 stocks in memory and
// 124 automatic groups of 20 terms (one on membership of another group),
// each holding about two thirds of the stocks. Each round opens dialog 201,
// moves group 30 up and presses OK; the time from OK to the dialog's return
// holds the copy made live, the references and bits following, the save of
// "grp.dat" with its backups and the group menus. The in-memory part alone
// is timed beside it. Prints the median, lowest and highest of each.
//
//   velqo_movecopy_bench.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "analysis/group_move_copy.h"
#include "analysis/group_store.h"
#include "bench/group_bench_stocks.h"
#include "bench/win/bench_clock_win.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "shell/settings.h"
#include "window/group_move_copy_dialog_win.h"

namespace {

constexpr int kRounds = 15;
constexpr int kMovedGroup = 30;

void DefineGroup(GroupRecord& group, int g) {
  group = GroupRecord{};
  snprintf(group.name, sizeof group.name, "抽出%d", g);
  group.automatic = 1;
  group.marketMask = 0xFFFF;
  group.sortItem = kSortByStockCode;
  group.termCount = kMaxConditionTerms;
  for (int t = 0; t < kMaxConditionTerms - 1; ++t) {
    group.terms[t] = {MakeItemCode(t % 6, 2 + (g + t) % 20), kOpGreaterOrEqual, kItemConstant, 0, 0.5};
  }
  group.terms[kMaxConditionTerms - 1] = {static_cast<int16_t>(kItemGroupFirst + (g + 61) % 100), kOpNotMemberOf,
                                         kItemConstant, 0, 0};
  for (int i = 0; i < kMaxStocks; ++i) {
    if ((i * 7 + g) % 3 != 0) group.members[group.memberCount++] = BenchCode(i);
  }
}

void Prepare(const std::string& folder) {
  InitAppTexts();
  InitStockCodeGlobals();
  SetDefaultSettings();
  snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.c_str());
  CreateDirectoryW(SjisToWide((folder + "\\BACKUP").c_str()).c_str(), nullptr);
  if (!AllocateStockTable() || !AllocGroupTables()) std::abort();
  FillGroupBenchStocks();
  for (int g = 0; g < kGroupCount; ++g) DefineGroup(gGroupTable->groups[g], g);
  RebuildGroupMemberBits();
  for (int s = 0; s < kScenarioSlots; ++s) {
    ScenarioRecord& scenario = gScenarioTable.records[s];
    scenario.valid = 1;
    scenario.entrySignal = 25 + s;
    scenario.useExit = 1;
    scenario.exitSignal = 40 + s;
  }
}

// Presses group 30's ↑ and then OK on the dialog that shows; the time of OK.
double MoveAndPressOk() {
  double pressed = 0;
  std::thread driver([&] {
    HWND dialog = nullptr;
    while ((dialog = FindWindowW(L"#32770", SjisToWide("グループの移動とコピー...").c_str())) == nullptr) Sleep(5);
    Sleep(50);
    const HWND list = GetDlgItem(dialog, IDC_MOVECOPY_SOURCE);
    SendMessageW(list, LB_SETCURSEL, kMovedGroup, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_MOVECOPY_SOURCE, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    SendMessageW(GetDlgItem(dialog, IDC_MOVECOPY_UP), BM_CLICK, 0, 0);
    pressed = NowMs();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const bool ok = ShowGroupMoveCopyDialog(nullptr);
  const double returned = NowMs();
  driver.join();
  return ok ? returned - pressed : -1;
}

double ApplyInMemory() {
  memcpy(gGroupTableEdit, gGroupTable, sizeof(GroupTable));
  GroupEditChanges changes;
  ResetGroupEditChanges(&changes);
  MoveGroupRecord(*gGroupTableEdit, gGroupScratchRecord, kMovedGroup, -1, &changes);
  const double start = NowMs();
  memcpy(gGroupTable, gGroupTableEdit, sizeof(GroupTable));
  ApplyGroupEditChanges(changes, {gScenarioTable.records, kScenarioSlots, gSettings.screenPatterns, kScreenPatternCount,
                                  &gSettings.monitoredGroup});
  return NowMs() - start;
}

void Print(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("%-44s median %6.2f ms  (lowest %6.2f, highest %6.2f)\n", what, times[times.size() / 2], times.front(),
              times.back());
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"velqo-movecopy-bench";
  CreateDirectoryW(folder.c_str(), nullptr);
  Prepare(WideToSjis(folder.c_str()));
  int64_t members = 0;
  for (const GroupRecord& group : gGroupTable->groups) members += group.memberCount;
  std::printf("%d stocks, %d groups of %d terms, %lld members\n", kMaxStocks, kGroupCount, kMaxConditionTerms,
              static_cast<long long>(members));
  std::vector<double> dialog, memory, save;
  for (int round = 0; round < kRounds; ++round) {
    dialog.push_back(MoveAndPressOk());
    memory.push_back(ApplyInMemory());
    const double start = NowMs();
    SaveGroupFile(0);
    save.push_back(NowMs() - start);
  }
  Print("OK of 201 after a move (save included)", dialog);
  Print("made live, references and bits (in memory)", memory);
  Print("the save of grp.dat and its backups alone", save);
  for (const wchar_t* name : {L"\\grp.dat", L"\\BACKUP\\grp01.dat", L"\\BACKUP\\grp02.dat", L"\\BACKUP\\grp03.dat"}) {
    DeleteFileW((folder + name).c_str());
  }
  RemoveDirectoryW((folder + L"\\BACKUP").c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
