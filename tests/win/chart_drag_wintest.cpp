// Trend lines drawn and moved with the mouse in a main window made in this
// process over the sample database, through posted presses, moves and
// releases: the record a drawn line gets, a moved line, a tracker step kept
// horizontal, the pop-up of a right press on a line and the value dialog of
// a double-click. The painter draws the lines; these tests read the records.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "chart/trend_line_mouse.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "shell/settings.h"
#include "analysis/group_store.h"
#include "window/chart_popups_win.h"
#include "window/drag_cursor_win.h"
#include "window/drag_modes.h"
#include "window/main_window_win.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/program_runner.h"
#include "tools/sample_db/series_digest.h"

namespace {

constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU

class ChartDragWinTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-drag") || !LoadGroupsAtStartup() || !AllocTrendLineTables()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 1;
    pattern.views[0] = MakeChartView(gStockTable->records[5].master.code, 0, {{kPaneCandles, PaneLineFlags(2)}});
    if (!ShowMainWindow(1000, 700)) return;
    SetChartScrollPos(0, GetChartEndBarIndex(0) - 60, 1);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    gTrendLines->count = 0;
    gTrendLines->markedCount = 0;
    gNewTrendLineMode = false;
    SetKeys(false, false);
    SetForegroundWindow(window_);
  }
  static void SetKeys(bool shift, bool ctrl) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  static void Post(UINT message, WPARAM wParam, POINT p) {
    PostMessageW(window_, message, wParam, MAKELPARAM(p.x, p.y));
    PumpFor(40);
  }
  // A press at `from`, moves in four steps to `to` and the release there.
  static void Drag(POINT from, POINT to, WPARAM keys = 0) {
    Post(WM_MOUSEMOVE, keys, from);
    Post(WM_LBUTTONDOWN, MK_LBUTTON | keys, from);
    for (int i = 1; i <= 4; ++i)
      Post(WM_MOUSEMOVE, MK_LBUTTON | keys, {from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4});
    Post(WM_LBUTTONUP, keys, to);
  }
  static const ChartView& View() { return CurrentScreenPattern().views[0]; }
  static const ChartContext& Context() { return gChartContexts[0]; }
  // The bar's date and the value the cross-hair takes at a point.
  static std::pair<PackedDate, int32_t> DateAndValueAt(POINT p) {
    int x = p.x;
    int y = p.y;
    int bar = 0;
    int32_t value = 0;
    EXPECT_EQ(GetCursorBarAndValue(&View(), &Context(), 0, &x, &y, &bar, &value), 1);
    return {DateOfBarIndex(View(), Context(), bar), value};
  }
  // The screen point of a date and value on the price pane.
  static POINT PointOf(PackedDate date, int32_t value) {
    return {DateToPaneX(View(), Context(), date, GetViewLastBar(View(), Context())),
            PaneValueToY(View(), Context(), 0, value)};
  }
  static POINT Middle(const TrendLine& line) {
    const POINT a = PointOf(line.date1, line.value1);
    const POINT b = PointOf(line.date2, line.value2);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
  }
  static POINT PlotPoint(double fx, double fy) {
    const Rect& plot = Context().panes[0].plot;
    return {plot.left + static_cast<int>((plot.right - plot.left) * fx),
            plot.top + static_cast<int>((plot.bottom - plot.top) * fy)};
  }
  // A line between two points of the plot, as the table holds it.
  static TrendLine& AddLine(POINT a, POINT b) {
    const auto [date1, value1] = DateAndValueAt(a);
    const auto [date2, value2] = DateAndValueAt(b);
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = NewTrendLine(View().stockCode, date1, value1, date2, value2);
    return line;
  }
};

TEST_F(ChartDragWinTest, ADrawnLineGoesWhereTheMouseWentAndAPlainDragWithoutCtrlIsDropped) {
  const POINT from = PlotPoint(0.4, 0.3);
  const POINT to = PlotPoint(0.7, 0.6);
  Drag(from, to);
  EXPECT_EQ(Row(gTrendLines->count, gDragMode, gTrendLineBeingDrawn), Row(0, kDragNone, 0)) << "no Ctrl: dropped";
  gNewTrendLineMode = true;
  Drag(from, to);
  ASSERT_EQ(gTrendLines->count, 1);
  const TrendLine& line = gTrendLines->lines[0];
  const auto [date1, value1] = DateAndValueAt(from);
  const auto [date2, value2] = DateAndValueAt(to);
  EXPECT_EQ(Row(line.date1, line.value1, line.date2, line.value2, line.marked, line.code),
            Row(date1, value1, date2, value2, 1, View().stockCode));
  EXPECT_EQ(Row(gRubberBandLine, gHighlightedTrendLine, gSelectedTrendLine), Row(false, -1, 0));
  SaveWindowPicture(window_, L"drag-new-line.bmp");
}

TEST_F(ChartDragWinTest, AMovedLineShiftsByTheBarsAndTheValueOfTheMove) {
  const TrendLine before = AddLine(PlotPoint(0.3, 0.3), PlotPoint(0.6, 0.5));
  const POINT press = Middle(before);
  const int spacing = Context().geometry.barSpacing;
  const POINT to = {press.x + 3 * spacing + spacing / 2, press.y + 40};
  const int32_t dValue = DateAndValueAt(to).second - DateAndValueAt(press).second;
  // The cursor tells what a press would grab.
  const auto cursorAt = [](POINT p) {
    Post(WM_MOUSEMOVE, 0, p);
    return ChosenCursorShape();
  };
  gTrendLines->lines[0].locked = 1;
  const CursorShape locked = cursorAt(press);
  gTrendLines->lines[0].locked = 0;
  EXPECT_EQ(Row(cursorAt(press), cursorAt(PointOf(before.date1, before.value1)), cursorAt(PlotPoint(0.9, 0.9)), locked),
            Row(kCursorHand, kCursorLineEnd, kCursorCross, kCursorArrow));
  Drag(press, to);
  const TrendLine& line = gTrendLines->lines[0];
  const int bar1 = DateToBarIndex(View(), Context(), before.date1);
  const int bar2 = DateToBarIndex(View(), Context(), before.date2);
  EXPECT_EQ(Row(line.date1, line.date2, line.value1, line.value2),
            Row(DateOfBarIndex(View(), Context(), bar1 + 3), DateOfBarIndex(View(), Context(), bar2 + 3),
                before.value1 + dValue, before.value2 + dValue));
  SaveWindowPicture(window_, L"drag-moved-line.bmp");
}

TEST_F(ChartDragWinTest, ATrackerStepsEndStaysHorizontalOnTheTickAndShiftHoldsAPlainLinesLevel) {
  TrendLine& step = AddLine(PlotPoint(0.3, 0.5), PlotPoint(0.6, 0.5));
  step.buyRole = 1;
  step.buyShares = 100;
  const TrendLine before = step;
  const POINT end = PointOf(step.date2, step.value2);
  const POINT to = {end.x + 15, end.y - 50};
  Drag(end, to);
  const int stock = FindStockIndexByCode(View().stockCode);
  const int32_t wanted =
      RoundToNearestTick(stock, before.value2 + DateAndValueAt(to).second - DateAndValueAt(end).second);
  EXPECT_EQ(Row(step.value1, step.value2), Row(wanted, wanted));
  SaveWindowPicture(window_, L"drag-tracker-step.bmp");
  TrendLine& plain = AddLine(PlotPoint(0.3, 0.7), PlotPoint(0.5, 0.8));
  const TrendLine plainBefore = plain;
  Drag(PointOf(plain.date2, plain.value2), {PointOf(plain.date2, plain.value2).x + 60, PlotPoint(0, 0.75).y}, MK_SHIFT);
  EXPECT_EQ(Row(plain.value1, plain.value2, plain.date1),
            Row(plainBefore.value1, plainBefore.value1, plainBefore.date1))
      << "mostly sideways with Shift: level with the other end";
}

TEST_F(ChartDragWinTest, AMoveRepaintsOnlyThePanesOfTheLinesKindAndLeavesThePictureOfAWholeRepaint) {
  ChartView& view = CurrentScreenPattern().views[0];
  const ChartView saved = view;
  view = MakeChartView(view.stockCode, 0, {{kPaneCandles, PaneLineFlags(2)}, {kPaneIchimoku, 0}, {kPaneRsi, 1}});
  InvalidateAllCharts();
  UpdateWindow(window_);
  const TrendLine line = AddLine(PlotPoint(0.3, 0.3), PlotPoint(0.6, 0.5));
  const POINT press = Middle(line);
  Post(WM_MOUSEMOVE, 0, press);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, press);
  Post(WM_MOUSEMOVE, MK_LBUTTON, {press.x + 20, press.y + 10});
  SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x + 30, press.y + 25));
  const HRGN update = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(window_, update, FALSE);
  RECT box{};
  GetRgnBox(update, &box);
  const Rect& candles = Context().panes[0].pane;
  const Rect& ichimoku = Context().panes[1].pane;
  const Rect& third = Context().panes[2].pane;
  const RECT rsi = {third.left, third.top, third.right, third.bottom};
  EXPECT_EQ(Row(box.left, box.top, box.right, box.bottom, RectInRegion(update, &rsi)),
            Row(candles.left, candles.top, ichimoku.right, ichimoku.bottom, FALSE));
  DeleteObject(update);
  UpdateWindow(window_);
  const auto moved = ScreenPicture(window_);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const auto whole = ScreenPicture(window_);
  EXPECT_EQ(moved->CountDifferences(*whole, whole->Whole()), 0);
  Post(WM_LBUTTONUP, 0, {press.x + 30, press.y + 25});
  view = saved;
  InvalidateAllCharts();
  UpdateWindow(window_);
}

// Opens what a message opens and, from another thread, reads the menu or
// dialog that comes and closes it again.
template <typename Read>
bool AnswerWhat(UINT message, POINT p, const wchar_t* className, const wchar_t* title, Read read) {
  bool found = false;
  std::thread answer([&] {
    for (int i = 0; i < 200 && !found; ++i, Sleep(20)) {
      const HWND window = FindWindowW(className, title);
      if (window == nullptr || !IsWindowVisible(window)) continue;
      read(window);
      found = true;
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
  });
  PostMessageW(static_cast<HWND>(gMainWnd), message, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PumpFor(400);
  answer.join();
  PumpFor(100);
  return found;
}

TEST_F(ChartDragWinTest, ARightPressOnALineOffersTheLineMenuAndADoubleClickOnALevelLineItsValue) {
  TrendLine& line = AddLine(PlotPoint(0.3, 0.5), PlotPoint(0.6, 0.5));
  const POINT middle = Middle(line);
  HMENU shown = nullptr;
  EXPECT_TRUE(AnswerWhat(WM_RBUTTONDOWN, middle, L"#32768", nullptr, [&](HWND menu) {
    shown = reinterpret_cast<HMENU>(SendMessageW(menu, kMenuGetHandle, 0, 0));
  }));
  EXPECT_EQ(Row(gSelectedTrendLine, GetMenuState(shown, IDM_TLINE_MONITOR_LOWER, MF_BYCOMMAND) != UINT(-1)),
            Row(0, true));
  EXPECT_TRUE(AnswerWhat(WM_RBUTTONDOWN, PlotPoint(0.2, 0.1), L"#32768", nullptr, [&](HWND menu) {
    shown = reinterpret_cast<HMENU>(SendMessageW(menu, kMenuGetHandle, 0, 0));
  }));
  EXPECT_EQ(Row(gSelectedTrendLine, shown == ChartPopupMenu()), Row(-1, true));
  EXPECT_TRUE(AnswerWhat(WM_LBUTTONDBLCLK, middle, L"#32770", L"トレンドラインの値を変更", [](HWND) {}));
  EXPECT_EQ(gSelectedTrendLine, 0);
}

}  // namespace

namespace {

// Closes the message box and then the clean-up dialog that a full store
// brings, from another thread; gives the message's text.
std::wstring AnswerStoreFull(POINT p) {
  std::wstring text;
  std::thread answer([&] {
    for (int i = 0; i < 300; ++i, Sleep(20)) {
      const HWND dialog = FindWindowW(L"#32770", nullptr);
      if (dialog == nullptr || !IsWindowVisible(dialog)) continue;
      wchar_t title[64] = L"";
      GetWindowTextW(dialog, title, 64);
      const bool cleanup = std::wstring(title) == L"トレンドラインの整理";
      if (!cleanup) {
        // The box can be found before its text is in place: answer it once read.
        wchar_t message[256] = L"";
        GetWindowTextW(GetDlgItem(dialog, 0xFFFF), message, 256);
        if (message[0] == 0) continue;
        text = message;
      }
      PostMessageW(dialog, WM_COMMAND, cleanup ? IDCANCEL : IDOK, 0);
      if (cleanup) return;
      Sleep(100);
    }
  });
  PostMessageW(static_cast<HWND>(gMainWnd), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(p.x, p.y));
  PumpFor(600);
  answer.join();
  PostMessageW(static_cast<HWND>(gMainWnd), WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(p.x, p.y));
  PumpFor(100);
  return text;
}

}  // namespace

TEST_F(ChartDragWinTest, ACtrlPressDragsAnUnlockedCopyAndWithTheStoreFullTellsTheUserAndCopiesNothing) {
  TrendLine& line = AddLine(PlotPoint(0.3, 0.3), PlotPoint(0.6, 0.5));
  line.locked = 1;
  line.buyRole = 1;
  line.buyShares = 100;
  const TrendLine original = line;
  const POINT from = Middle(original);
  SetKeys(false, true);
  Drag(from, {from.x, from.y + 30}, MK_CONTROL);
  SetKeys(false, false);
  ASSERT_EQ(gTrendLines->count, 2);
  const TrendLine& copy = gTrendLines->lines[1];
  EXPECT_EQ(Row(line.value1, line.marked, copy.locked, copy.buyRole, copy.marked, copy.date1),
            Row(original.value1, 0, 0, 0, 1, original.date1));
  EXPECT_LT(copy.value1, original.value1) << "the copy went down with the mouse";
  for (int i = gTrendLines->count; i < kMaxTrendLines; ++i) gTrendLines->lines[i] = line;
  gTrendLines->count = kMaxTrendLines;
  SetKeys(false, true);
  const std::wstring text = AnswerStoreFull(from);
  SetKeys(false, false);
  EXPECT_NE(text.find(L"１万本"), std::wstring::npos) << WideToSjis(text.c_str());
  EXPECT_EQ(Row(gTrendLines->count, gDragMode), Row(kMaxTrendLines, kDragNone));
}
