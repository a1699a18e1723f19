// A newcomer's trend line in the real program on a copy of the sample
// database: drawn with the mouse in the new-line mode (Ctrl+T), moved by its
// body, locked and made a monitoring line by the commands of its pop-up,
// deleted with Del, brought back with Ctrl+Z and found again after a
// restart, both in tline.dat and on the screen.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "common/command_ids.h"
#include "records/trend_line_record.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_hand.h"
#include "tests/win/program_runner.h"

namespace {

// The program starts on the white-ground built-in palette.
constexpr COLORREF kSelection = RGB(255, 128, 0), kTrendLine = RGB(0, 0, 0);
constexpr size_t kTableBytes = 8 + size_t{kMaxTrendLines} * sizeof(TrendLine);

struct SavedLines {
  int32_t count = -1;
  TrendLine last{};  // the newest line
};

SavedLines ReadSavedLines(const std::wstring& folder) {
  const auto bytes = ReadFileBytes(folder + L"tline.dat");
  SavedLines saved;
  if (bytes.size() != kTableBytes) return saved;
  memcpy(&saved.count, bytes.data(), sizeof saved.count);
  if (saved.count > 0) memcpy(&saved.last, &bytes[8 + (saved.count - 1) * sizeof(TrendLine)], sizeof(TrendLine));
  return saved;
}

// The selected pane's frame: the only thing of the selection colour before a line is drawn.
RECT SelectedPaneFrame(const Canvas& picture) {
  RECT frame = {picture.width(), picture.height(), 0, 0};
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.At(x, y) == kSelection)
        frame = {std::min(frame.left, LONG{x}), std::min(frame.top, LONG{y}), std::max(frame.right, LONG{x}),
                 std::max(frame.bottom, LONG{y})};
  return frame;
}

// Of 20 points evenly along the inner four fifths of from..to (a drawn end
// sits on its bar's middle), how many have a pixel of `color` at most 3
// pixels above or below, one that `before` does not show.
int PointsOnPath(const Canvas& picture, POINT from, POINT to, COLORREF color, const Canvas* before = nullptr) {
  int found = 0;
  for (int i = 0; i < 20; ++i) {
    const POINT p = Between(from, to, 0.1 + 0.8 * i / 19);
    bool hit = false;
    for (int dy = -3; dy <= 3 && !hit; ++dy)
      hit = picture.At(p.x, p.y + dy) == color && (before == nullptr || before->At(p.x, p.y + dy) != color);
    found += hit;
  }
  return found;
}

TEST(TrendLineFlowTest, ALineDrawnMovedLockedDeletedAndRestoredIsThereAfterARestart) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-line-flow");
  ASSERT_FALSE(folder.empty());
  const int32_t linesBefore = ReadSavedLines(folder).count;
  const CursorKept cursor;
  RunningProgram program;
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand hand(program.window);
  const RECT pane = SelectedPaneFrame(*hand.Picture(L"line-flow-0-start.bmp"));
  const bool paneFound = pane.right - pane.left > 400 && pane.bottom - pane.top > 200;
  if (!paneFound) CloseProgram(program);
  ASSERT_TRUE(paneFound) << "no price pane selected";
  // In the empty upper part of the price pane, above the candles.
  const auto at = [&pane](double fx, double fy) {
    return POINT{pane.left + static_cast<LONG>((pane.right - pane.left) * fx),
                 pane.top + static_cast<LONG>((pane.bottom - pane.top) * fy)};
  };
  const POINT from = at(0.12, 0.17), to = at(0.45, 0.32), by = {-60, 50};

  hand.Keys({VK_CONTROL}, 'T');  // the new-line mode: a drag anywhere draws
  hand.Drag(from, to);
  hand.Keys({VK_CONTROL}, 'T');
  const SavedLines drawn = ReadSavedLines(folder);
  EXPECT_EQ(Row(drawn.count, drawn.last.marked, drawn.last.paneKind), Row(linesBefore + 1, 1, 0));
  EXPECT_LT(drawn.last.date1, drawn.last.date2);
  EXPECT_GT(drawn.last.value1, drawn.last.value2) << "drawn downwards";
  EXPECT_GE(PointsOnPath(*hand.Picture(L"line-flow-1-drawn.bmp"), from, to, kSelection), 18);

  hand.Drag(Between(from, to, 0.5), Shifted(Between(from, to, 0.5), by));
  const SavedLines moved = ReadSavedLines(folder);
  EXPECT_EQ(moved.count, drawn.count);
  EXPECT_EQ(Row(moved.last.date1 < drawn.last.date1, moved.last.value1 < drawn.last.value1,
                moved.last.value1 - moved.last.value2),
            Row(true, true, drawn.last.value1 - drawn.last.value2))
      << "left and down, the slope kept";
  const POINT movedFrom = Shifted(from, by), movedTo = Shifted(to, by);
  const auto movedPicture = hand.Picture(L"line-flow-2-moved.bmp");
  EXPECT_EQ(Row(PointsOnPath(*movedPicture, movedFrom, movedTo, kSelection) >= 18,
                PointsOnPath(*movedPicture, from, to, kSelection)),
            Row(true, 0));

  hand.Command(IDM_TLINE_LOCK);
  hand.Command(IDM_TLINE_MONITOR_LOWER);
  hand.Drag(Between(movedFrom, movedTo, 0.5), Shifted(Between(movedFrom, movedTo, 0.5), by));
  const SavedLines locked = ReadSavedLines(folder);
  EXPECT_EQ(Row(locked.last.locked, locked.last.monitorKind, locked.last.date1, locked.last.value1),
            Row(1, int32_t{kMonitorLower}, moved.last.date1, moved.last.value1))
      << "a locked line stays where it is";
  hand.Picture(L"line-flow-3-locked-monitoring.bmp");

  hand.Keys({}, VK_DELETE);
  EXPECT_EQ(ReadSavedLines(folder).count, linesBefore);
  const auto deleted = hand.Picture(L"line-flow-4-deleted.bmp");
  EXPECT_EQ(PointsOnPath(*deleted, movedFrom, movedTo, kSelection), 0);

  hand.Keys({VK_CONTROL}, 'Z');
  const SavedLines restored = ReadSavedLines(folder);
  EXPECT_EQ(Row(restored.count, restored.last.locked, restored.last.date1, restored.last.value2),
            Row(locked.count, 1, locked.last.date1, locked.last.value2));
  EXPECT_GE(PointsOnPath(*hand.Picture(L"line-flow-5-restored.bmp"), movedFrom, movedTo, kSelection), 18);

  hand.Click(at(0.3, 0.9));  // away from the line: it is no longer selected
  EXPECT_EQ(CloseProgram(program), 0u);
  const SavedLines closed = ReadSavedLines(folder);
  EXPECT_EQ(Row(closed.count, closed.last.marked, closed.last.locked, closed.last.monitorKind, closed.last.date2,
                closed.last.value2),
            Row(restored.count, 0, 1, int32_t{kMonitorLower}, restored.last.date2, restored.last.value2));
  EXPECT_EQ(ReadFileBytes(folder + L"BACKUP\\tline01.dat"), ReadFileBytes(folder + L"tline.dat"));

  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand again(program.window);
  EXPECT_GE(PointsOnPath(*again.Picture(L"line-flow-6-restarted.bmp"), movedFrom, movedTo, kTrendLine, deleted.get()),
            18);
  EXPECT_EQ(CloseProgram(program), 0u);
}

}  // namespace
