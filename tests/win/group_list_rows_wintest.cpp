// A stock entering and leaving an automatic group shown by two charts: the
// list boxes take one row in or out, keep their top row and keep the
// selection on the stock it was on.
#include "tests/win/main_window_fixture.h"

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "window/chart_lists_win.h"

namespace {

using GroupListRowsTest = MainWindowInputTest;

HWND List(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }
int Send(int chart, UINT message) { return static_cast<int>(SendMessageW(List(chart), message, 0, 0)); }
void SetFlag(int stockIndex, bool on) {
  gStockTable->records[stockIndex].snapshots[kSlotDaily].values[kItemUnused0] = on ? 1 : 0;
}

TEST_F(GroupListRowsTest, AStockEntersAndLeavesWithTheListsTopRowAndSelectionKept) {
  constexpr int kGroup = 100;  // stocks whose unused daily item is set
  GroupRecord& group = gGroupTable->groups[kGroup];
  const GroupRecord savedGroup = group;
  const ScreenPattern savedPattern = CurrentScreenPattern();
  group.automatic = 1;
  group.marketMask = 0xFFFF;
  group.sortItem = kSortByStockCode;
  group.termCount = 1;
  group.terms[0] = {MakeItemCode(kSlotDaily, kItemUnused0), kOpGreater, kOperandConstant, 0, 0.5};
  for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, i % 2 == 0);
  RunExtractionForGroup(*gGroupTable, kGroup);
  for (int chart = 0; chart < 2; ++chart) {
    CurrentScreenPattern().views[chart].groupIndex = kGroup;
    RefillChartLists(chart);
  }
  SendMessageW(List(0), LB_SETTOPINDEX, 4, 0);
  SendMessageW(List(0), LB_SETCURSEL, 6, 0);
  SendMessageW(List(1), LB_SETCURSEL, 3, 0);
  const int top = Send(0, LB_GETTOPINDEX);
  ASSERT_GT(top, 0) << "the list scrolls";
  const StockCode selected[2] = {group.members[6], group.members[3]};

  // Stock 1 comes in at row 1, above chart 0's top row and both selections; then it goes.
  for (const bool on : {true, false}) {
    SetFlag(1, on);
    UpdateGroupBitsForStock(SampleCode(1));
    EXPECT_EQ(group.members[1] == SampleCode(1), on);
    for (int chart = 0; chart < 2; ++chart) {
      ASSERT_EQ(Send(chart, LB_GETCOUNT), group.memberCount) << chart;
      for (int row = 0; row < group.memberCount; ++row) {
        char expected[160];
        FormatGroupMemberRow(*gGroupTable, kGroup, group.members[row], expected, sizeof expected);
        wchar_t text[160] = L"";
        SendMessageW(List(chart), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        ASSERT_EQ(WideToSjis(text), std::string(expected)) << chart << " row " << row;
      }
      EXPECT_EQ(Send(chart, LB_GETTOPINDEX), chart == 0 ? top : 0) << chart;
      const int row = Send(chart, LB_GETCURSEL);
      EXPECT_TRUE(row >= 0 && group.members[row] == selected[chart]) << chart;
    }
    if (on) SaveWindowPicture(window_, ArtifactsFolder() + L"group-list-row-inserted.bmp");
  }
  for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, false);
  group = savedGroup;
  CurrentScreenPattern() = savedPattern;
  for (int chart = 0; chart < 3; ++chart) RefillChartLists(chart);
}

}  // namespace
