// A newcomer's detail display in the real program on a copy of the sample
// database: the list column beside the charts fills and follows the mouse
// over the bars; Ctrl+Space swaps it for the detail window, which starts
// against the right edge, can be dragged away and docked again, stays docked
// when the main window grows, and gives way to the list again with Space.
// The close box ends the window for good; closing the main window does not.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/command_ids.h"
#include "records/settings_block.h"
#include "tests/support/row.h"
#include "tests/win/program_hand.h"

namespace {

constexpr wchar_t kDetailClass[] = L"VQNUMCHILDWINDCLASSNAME";

HWND DetailWindowOf(HWND main) { return FindWindowExW(main, nullptr, kDetailClass, nullptr); }

bool IsShown(HWND hwnd) { return hwnd != nullptr && IsWindowVisible(hwnd); }

// A rectangle of the main window's client, in the coordinates of its pictures.
RECT ClientPart(HWND main, int left, int top, int right, int bottom) {
  RECT frame;
  GetWindowRect(main, &frame);
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  const int dx = origin.x - frame.left, dy = origin.y - frame.top;
  return {left + dx, top + dy, right + dx, bottom + dy};
}

RECT ClientRectOf(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client;
}

// The detail window's outer rectangle in the main window's client coordinates.
RECT DetailRectInMain(HWND main, HWND detail) {
  RECT rect;
  GetWindowRect(detail, &rect);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Text pixels: anything darker than mid-grey on the white ground.
int DarkPixels(const Canvas& picture, const RECT& area) {
  return picture.Count(area, [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128; });
}

int SavedDetailWindowShown(const std::wstring& folder) {
  return FromSavedSettings(folder, [] { return gShowDetailWindow; });
}

TEST(DetailFlowTest, TheListFollowsTheMouseAndCtrlSpaceSwapsItForADockedDraggableWindow) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-detail-flow");
  ASSERT_FALSE(folder.empty());
  const CursorKept cursor;
  RunningProgram program;
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand hand(program.window);
  const RECT client = ClientRectOf(program.window);
  // The list's column at the right edge, below the toolbar and above the status bar.
  const RECT column = ClientPart(program.window, client.right - 60, 60, client.right - 6, client.bottom - 60);
  const auto start = hand.Picture(L"detail-flow-0-list.bmp");
  EXPECT_GT(DarkPixels(*start, column), 200) << "the list column shows its rows";

  // Over two bars of the price pane the rows differ.
  const POINT left = {client.right * 3 / 10, client.bottom * 3 / 10};
  const POINT right = {client.right * 5 / 10, client.bottom * 3 / 10};
  hand.Mouse(WM_MOUSEMOVE, 0, Shifted(left, {0, 40}));
  const auto first = hand.Picture(L"detail-flow-1-over-a-bar.bmp");
  hand.Mouse(WM_MOUSEMOVE, 0, Shifted(right, {0, 40}));
  const auto second = hand.Picture(L"detail-flow-2-over-another-bar.bmp");
  EXPECT_GT(first->CountDifferences(*second, column), 50) << "the list follows the mouse";
  EXPECT_GT(first->CountDifferences(*start, column), 50);

  // Ctrl+Space: the window instead of the list, against the right edge.
  hand.Keys({VK_CONTROL}, VK_SPACE);
  const HWND detail = DetailWindowOf(program.window);
  ASSERT_TRUE(IsShown(detail)) << "Ctrl+Space shows the detail window";
  const auto window = hand.Picture(L"detail-flow-3-window.bmp");
  RECT rect = DetailRectInMain(program.window, detail);
  EXPECT_EQ(rect.right, client.right) << "docked at the right edge";
  EXPECT_GE(rect.bottom - rect.top, 60);
  EXPECT_FALSE(WindowTitle(detail).empty());
  EXPECT_GT(first->CountDifferences(*window, column), 200) << "the charts take the list's column";

  // Dragged away from the edge, then beyond it: docked again, and kept there when the window grows.
  DragChildWindow(hand, detail, {-300, 100});
  const RECT away = DetailRectInMain(program.window, detail);
  EXPECT_EQ(Row(away.left, away.top), Row(rect.left - 300, rect.top + 100));
  hand.Picture(L"detail-flow-4-dragged.bmp");
  DragChildWindow(hand, detail, {500, 0});
  rect = DetailRectInMain(program.window, detail);
  EXPECT_EQ(rect.right, client.right) << "dragged beyond the edge: docked there";
  SetWindowPos(program.window, nullptr, 0, 0, 1100, 700, SWP_NOMOVE | SWP_NOZORDER);
  hand.Settle();
  EXPECT_EQ(DetailRectInMain(program.window, detail).right, ClientRectOf(program.window).right)
      << "a docked window follows its edge";
  hand.Picture(L"detail-flow-5-docked-after-resize.bmp");

  // Space: the list is back and the window hidden.
  hand.Keys({}, VK_SPACE);
  EXPECT_FALSE(IsShown(DetailWindowOf(program.window)));
  const RECT wideColumn = ClientPart(program.window, ClientRectOf(program.window).right - 60, 60,
                                     ClientRectOf(program.window).right - 6, client.bottom - 60);
  EXPECT_GT(DarkPixels(*hand.Picture(L"detail-flow-6-list-again.bmp"), wideColumn), 200);

  // Closing the main window keeps the window for the next start ...
  hand.Keys({VK_CONTROL}, VK_SPACE);
  ASSERT_TRUE(IsShown(DetailWindowOf(program.window)));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(SavedDetailWindowShown(folder), 1);
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand again(program.window);
  again.Settle(300);
  ASSERT_TRUE(IsShown(DetailWindowOf(program.window))) << "shown again at the next start";
  again.Picture(L"detail-flow-7-restarted.bmp");
  // ... its close box ends it.
  PostMessageW(DetailWindowOf(program.window), WM_SYSCOMMAND, SC_CLOSE, 0);
  again.Settle();
  EXPECT_FALSE(IsShown(DetailWindowOf(program.window)));
  again.Keys({VK_CONTROL}, VK_SPACE);  // made again when asked for
  EXPECT_TRUE(IsShown(DetailWindowOf(program.window)));
  PostMessageW(DetailWindowOf(program.window), WM_SYSCOMMAND, SC_CLOSE, 0);
  again.Settle();
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(SavedDetailWindowShown(folder), 0);
  RemoveFolderTree(folder);
}

}  // namespace
