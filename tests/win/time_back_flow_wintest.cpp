// A newcomer's time-back session in the real program on a copy of the sample
// database: Ctrl+B shows the window at the last trading day, Page Up and a
// page of the scroll bar move the day back, the button recomputes on the
// past data, the window is dragged and docked, the mode outlives a restart
// with its day and place, and the close box ends it. The live files are then
// those of a run that stayed on the live day.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "records/settings_block.h"
#include "tests/support/row.h"
#include "tests/win/program_hand.h"

namespace {

constexpr wchar_t kTimeBackClass[] = L"VQTBACKCHILDWINDCLASSNAME";
constexpr int kLabelId = 100;
constexpr int kScrollBarId = 200;
constexpr int kButtonId = 300;
constexpr int kChartScrollBarId = 100;  // of chart 0; each next chart's is 4 on
constexpr const wchar_t* kLiveFiles[] = {L"stock.dat", L"grp.dat",   L"adr_d.dat",
                                         L"adr_w.dat", L"adr_m.dat", L"tline.dat"};

HWND TimeBackWindowOf(HWND main) { return FindWindowExW(main, nullptr, kTimeBackClass, nullptr); }

bool IsShown(HWND hwnd) { return hwnd != nullptr && IsWindowVisible(hwnd); }

std::wstring DayText(HWND main) { return ControlText(TimeBackWindowOf(main), kLabelId); }

RECT RectInMain(HWND main, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int ClientWidth(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client.right;
}

// A left click at the middle of `control`, through the system's input.
void ClickThroughInput(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

std::vector<std::vector<unsigned char>> LiveFiles(const std::wstring& folder) {
  std::vector<std::vector<unsigned char>> files;
  for (const wchar_t* name : kLiveFiles) files.push_back(ReadFileBytes(folder + name));
  return files;
}

// What a run leaves that only enters and leaves the mode at once: leaving
// judges the monitoring lines on the live bars, as a price update would,
// where the sample's own file holds flags never judged.
std::vector<std::vector<unsigned char>> FilesOfALiveRun() {
  const std::wstring folder = CopySample(L"velqo-time-back-live");
  RunningProgram program;
  if (folder.empty() || !StartAtFixedSize(folder, program)) return {};
  const Hand hand(program.window);
  hand.Keys({VK_CONTROL}, 'B');
  hand.Keys({VK_CONTROL}, 'B');
  CloseProgram(program);
  auto files = LiveFiles(folder);
  RemoveFolderTree(folder);
  return files;
}

void Scroll(const Hand& hand, HWND window, WORD code) {
  PostMessageW(window, WM_HSCROLL, code, reinterpret_cast<LPARAM>(GetDlgItem(window, kScrollBarId)));
  hand.Settle();
}

int ScrollPos(HWND window) { return GetScrollPos(GetDlgItem(window, kScrollBarId), SB_CTL); }

// Pixels of the window's left margin, beside its scroll bar and button, that
// are not its own face colour: what a list below it painted over it.
int ForeignPixelsInMargin(const Canvas& picture, HWND main, HWND window) {
  RECT frame;
  GetWindowRect(main, &frame);
  RECT bar;
  GetWindowRect(GetDlgItem(window, kScrollBarId), &bar);
  RECT client;
  GetClientRect(window, &client);
  POINT bottom = {0, client.bottom};
  ClientToScreen(window, &bottom);
  const RECT margin = {bar.left - 7 - frame.left, bar.top - frame.top, bar.left - 1 - frame.left, bottom.y - frame.top};
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return picture.Count(margin, [face](COLORREF c) { return c != face; });
}

// The shown scroll bars, the time-back window's last, as rectangles of the
// main window's pictures.
std::vector<RECT> ScrollBarRects(HWND main) {
  std::vector<HWND> bars;
  for (int chart = 0; chart < 3; ++chart) bars.push_back(GetDlgItem(main, kChartScrollBarId + 4 * chart));
  bars.push_back(GetDlgItem(TimeBackWindowOf(main), kScrollBarId));
  RECT frame;
  GetWindowRect(main, &frame);
  std::vector<RECT> rects;
  for (HWND bar : bars) {
    if (!IsShown(bar)) continue;
    RECT rect;
    GetWindowRect(bar, &rect);
    OffsetRect(&rect, -frame.left, -frame.top);
    rects.push_back(rect);
  }
  return rects;
}

TEST(TimeBackFlowTest, CtrlBStepsBackRecomputesOutlivesARestartAndLeavesTheLiveFilesAsOnTheLiveDay) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const auto liveRun = FilesOfALiveRun();
  ASSERT_EQ(liveRun.size(), std::size(kLiveFiles));
  const std::wstring folder = CopySample(L"velqo-time-back-flow");
  ASSERT_FALSE(folder.empty());
  const CursorKept cursor;
  RunningProgram program;
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand hand(program.window);
  const auto live = hand.Picture(L"time-back-0-live.bmp");
  EXPECT_FALSE(IsShown(TimeBackWindowOf(program.window)));

  // Ctrl+B: the window at the last trading day, the button off while the indicators are current.
  hand.Keys({VK_CONTROL}, 'B');
  HWND window = TimeBackWindowOf(program.window);
  ASSERT_TRUE(IsShown(window)) << "Ctrl+B shows the time-back window";
  const std::wstring lastDay = DayText(program.window);
  EXPECT_NE(lastDay.find(L"年"), std::wstring::npos);
  const int last = ScrollPos(window);
  EXPECT_GT(last, 20);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kButtonId)));
  RECT rect = RectInMain(program.window, window);
  EXPECT_EQ(rect.right - rect.left, 204);
  const auto entered = hand.Picture(L"time-back-1-entered.bmp");
  EXPECT_EQ(ForeignPixelsInMargin(*entered, program.window, window), 0) << "the stock list stays below the window";

  // Page Up: one trading day back; the charts lose their last bar and the button asks for a recomputation.
  hand.Keys({}, VK_PRIOR);
  EXPECT_EQ(ScrollPos(window), last - 1);
  EXPECT_NE(DayText(program.window), lastDay);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kButtonId)));
  const auto dayBack = hand.Picture(L"time-back-2-one-day-back.bmp");
  EXPECT_GT(live->CountDifferences(*dayBack, {0, 60, 900, 600}), 20) << "the charts show the day before";
  // A page left: twenty days back; a page right from there stops at the last day.
  Scroll(hand, window, SB_PAGELEFT);
  EXPECT_EQ(ScrollPos(window), last - 21);
  const auto pageBack = hand.Picture(L"time-back-3-twenty-days-back.bmp");
  // A scroll bar is repainted only when its thumb moved: each shows what a repaint of the whole window draws.
  RedrawWindow(program.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  const auto repainted = hand.Picture(L"time-back-3-repainted.bmp");
  for (const RECT& bar : ScrollBarRects(program.window)) {
    EXPECT_GT(entered->CountDifferences(*pageBack, bar), 0) << "a thumb moved at " << bar.left << "," << bar.top;
    EXPECT_EQ(pageBack->CountDifferences(*repainted, bar), 0) << "the bar at " << bar.left << "," << bar.top;
  }
  Scroll(hand, window, SB_PAGERIGHT);
  Scroll(hand, window, SB_PAGERIGHT);
  EXPECT_EQ(ScrollPos(window), last);
  Scroll(hand, window, SB_PAGELEFT);
  const std::wstring pastDay = DayText(program.window);

  // The button, clicked through the system's input: every stock, the breadth
  // and the groups on that day's data, under the progress dialog. It then
  // looks off, as a repaint of its own draws it.
  const HWND button = GetDlgItem(window, kButtonId);
  ClickThroughInput(button);
  hand.Settle(500);
  EXPECT_FALSE(IsWindowEnabled(button)) << "recomputed for the chosen day";
  const auto recomputed = hand.Picture(L"time-back-4-recomputed.bmp");
  RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const auto buttonRepainted = hand.Picture(L"time-back-4-button-repainted.bmp");
  RECT face;
  GetWindowRect(button, &face);
  RECT frame;
  GetWindowRect(program.window, &frame);
  OffsetRect(&face, -frame.left, -frame.top);
  EXPECT_EQ(recomputed->CountDifferences(*buttonRepainted, face), 0) << "the button shows itself off";

  // Dragged left, then beyond the right edge: docked there.
  rect = RectInMain(program.window, window);
  DragChildWindow(hand, window, {-200, 80});
  const RECT away = RectInMain(program.window, window);
  EXPECT_EQ(Row(away.left, away.top), Row(std::max<LONG>(rect.left - 200, 0), rect.top + 80));
  DragChildWindow(hand, window, {2000, 0});
  EXPECT_EQ(RectInMain(program.window, window).right, ClientWidth(program.window)) << "docked at the right edge";
  const RECT docked = RectInMain(program.window, window);
  hand.Picture(L"time-back-5-docked.bmp");

  // A restart keeps the mode, the day and the place.
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(FromSavedSettings(folder, [] { return gTimeBackMode; }), 1);
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand again(program.window);
  again.Settle(300);
  window = TimeBackWindowOf(program.window);
  ASSERT_TRUE(IsShown(window)) << "shown again at the next start";
  EXPECT_EQ(DayText(program.window), pastDay);
  const RECT restarted = RectInMain(program.window, window);
  EXPECT_EQ(Row(restarted.right, restarted.top), Row(docked.right, docked.top));
  again.Picture(L"time-back-6-restarted.bmp");

  // The close box leaves the mode: the live day again.
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  again.Settle(300);
  EXPECT_FALSE(IsShown(TimeBackWindowOf(program.window)));
  again.Picture(L"time-back-7-left.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(FromSavedSettings(folder, [] { return gTimeBackMode; }), 0);
  const auto files = LiveFiles(folder);
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_TRUE(files[i] == liveRun[i]) << "as a run on the live day: "
                                        << std::string(kLiveFiles[i], kLiveFiles[i] + wcslen(kLiveFiles[i]));
  RemoveFolderTree(folder);
}

// A stock.dat the program cannot replace (held open by another program) is
// no live table to come back to: Ctrl+B then says so once and the mode stays off.
TEST(TimeBackFlowTest, AStockFileThatCannotBeWrittenKeepsTheModeOffWithAMessage) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-time-back-locked");
  ASSERT_FALSE(folder.empty());
  const CursorKept cursor;
  RunningProgram program;
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand hand(program.window);
  hand.Settle(300);
  const HANDLE held = CreateFileW((folder + L"stock.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  hand.Keys({VK_CONTROL}, 'B');
  HWND box = nullptr;
  for (int i = 0; i < 600 && box == nullptr; ++i) {
    box = MessageBoxOf(program.process);
    if (box == nullptr) Sleep(50);
  }
  CloseHandle(held);
  ASSERT_NE(box, nullptr) << "the refusal is said";
  EXPECT_NE(ControlText(box, 0xFFFF).find(L"タイムバックモードに入りません"), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  hand.Settle(300);
  EXPECT_EQ(MessageBoxOf(program.process), nullptr) << "said once";
  EXPECT_FALSE(IsShown(TimeBackWindowOf(program.window)));
  hand.Picture(L"time-back-8-refused.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(FromSavedSettings(folder, [] { return gTimeBackMode; }), 0);
  RemoveFolderTree(folder);
}

}  // namespace
