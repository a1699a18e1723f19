// A stock entering and leaving an automatic group shown by two charts: the
// list boxes take one row in or out, keep their top row and keep the
// selection on the stock it was on.
#include "tests/win/main_window_fixture.h"

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "window/chart_lists_win.h"

namespace {

constexpr int kGroup = 100;
const ConditionItemCode kFlagItem = MakeItemCode(kSlotDaily, kItemUnused0);

HWND List(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }

int Send(HWND list, UINT message) { return static_cast<int>(SendMessageW(list, message, 0, 0)); }

class GroupListRowsTest : public MainWindowInputTest {
 protected:
  void SetUp() override {
    MainWindowInputTest::SetUp();
    savedGroup_ = gGroupTable->groups[kGroup];
    savedPattern_ = CurrentScreenPattern();
    GroupRecord& group = gGroupTable->groups[kGroup];
    group.automatic = 1;
    group.marketMask = 0xFFFF;
    group.sortItem = kSortByStockCode;
    group.termCount = 1;
    group.terms[0] = {kFlagItem, kOpGreater, kOperandConstant, 0, 0.5};
    for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, i % 2 == 0);
    RunExtractionForGroup(*gGroupTable, kGroup);
    for (int chart = 0; chart < 2; ++chart) {
      CurrentScreenPattern().views[chart].groupIndex = kGroup;
      RefillChartLists(chart);
    }
  }
  void TearDown() override {
    for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, false);
    gGroupTable->groups[kGroup] = savedGroup_;
    CurrentScreenPattern() = savedPattern_;
    for (int chart = 0; chart < 3; ++chart) RefillChartLists(chart);
  }
  static void SetFlag(int stockIndex, bool on) {
    gStockTable->records[stockIndex].snapshots[kSlotDaily].values[kItemUnused0] = on ? 1 : 0;
  }
  // Rows equal to the group's member rows, the top row and the selected stock as before.
  static void ExpectListFollowsGroup(int chart, int top, StockCode selected) {
    const HWND list = List(chart);
    const GroupRecord& group = gGroupTable->groups[kGroup];
    ASSERT_EQ(Send(list, LB_GETCOUNT), group.memberCount) << chart;
    for (int row = 0; row < group.memberCount; ++row) {
      char expected[160];
      FormatGroupMemberRow(*gGroupTable, kGroup, group.members[row], expected, sizeof expected);
      wchar_t text[160] = L"";
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
      ASSERT_EQ(WideToSjis(text), std::string(expected)) << chart << " row " << row;
    }
    EXPECT_EQ(Send(list, LB_GETTOPINDEX), top) << chart;
    const int row = Send(list, LB_GETCURSEL);
    ASSERT_GE(row, 0) << chart;
    EXPECT_EQ(group.members[row], selected) << chart;
  }

  GroupRecord savedGroup_;
  ScreenPattern savedPattern_;
};

TEST_F(GroupListRowsTest, AStockEntersAndLeavesWithTheListsTopRowAndSelectionKept) {
  const GroupRecord& group = gGroupTable->groups[kGroup];
  ASSERT_GE(group.memberCount, 12);
  SendMessageW(List(0), LB_SETTOPINDEX, 4, 0);
  SendMessageW(List(0), LB_SETCURSEL, 6, 0);
  SendMessageW(List(1), LB_SETCURSEL, 0, 0);
  const int top = Send(List(0), LB_GETTOPINDEX);
  ASSERT_GT(top, 0) << "the list scrolls";
  const StockCode selected[2] = {group.members[6], group.members[0]};

  // Stock 1 comes in at row 1, above chart 0's top row and below chart 1's selection.
  SetFlag(1, true);
  UpdateGroupBitsForStock(SampleCode(1));
  EXPECT_EQ(group.members[1], SampleCode(1));
  for (int chart = 0; chart < 2; ++chart) ExpectListFollowsGroup(chart, chart == 0 ? top : 0, selected[chart]);
  SaveWindowPicture(window_, ArtifactsFolder() + L"group-list-row-inserted.bmp");

  SetFlag(1, false);
  UpdateGroupBitsForStock(SampleCode(1));
  EXPECT_NE(group.members[1], SampleCode(1));
  for (int chart = 0; chart < 2; ++chart) ExpectListFollowsGroup(chart, chart == 0 ? top : 0, selected[chart]);
}

}  // namespace
