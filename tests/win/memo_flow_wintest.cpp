// A newcomer's memo in the real program on a copy of the sample database:
// made with Ctrl+U on a clicked pane, written, coloured and given its arrow
// in the editor (double-click), its box and then its arrow tip dragged, a
// custom size chosen from its pop-up, deleted with Del, brought back with
// Ctrl+Z and found again after a restart, on the screen and in memo.dat.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/memo_record.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/program_hand.h"

namespace {

// The program starts on the white-ground built-in palette.
constexpr COLORREF kSelection = RGB(255, 128, 0), kRed = RGB(255, 0, 0);
constexpr int kRedIndex = 6;  // of the named colours

struct SavedMemos {
  int32_t count = -1;
  Memo last{};
};

SavedMemos ReadSavedMemos(const std::wstring& folder) {
  const auto bytes = ReadFileBytes(folder + L"memo.dat");
  SavedMemos saved;
  if (bytes.size() < sizeof(MemoFileHeader)) return saved;
  memcpy(&saved.count, bytes.data(), sizeof saved.count);
  if (saved.count <= 0 || bytes.size() != sizeof(MemoFileHeader) + sizeof(Memo) * saved.count) return saved;
  memcpy(&saved.last, &bytes[sizeof(MemoFileHeader) + (saved.count - 1) * sizeof(Memo)], sizeof(Memo));
  return saved;
}

// The bounds of the pixels of `color` inside `area`; empty when there are none.
RECT InkBounds(const Canvas& picture, const RECT& area, COLORREF color) {
  RECT bounds = {area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (picture.At(x, y) == color)
        bounds = {std::min(bounds.left, LONG{x}), std::min(bounds.top, LONG{y}), std::max(bounds.right, LONG{x + 1}),
                  std::max(bounds.bottom, LONG{y + 1})};
  return bounds;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(MemoFlowTest, AMemoWrittenColouredDraggedSizedDeletedAndRestoredIsThereAfterARestart) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-memo-flow");
  ASSERT_FALSE(folder.empty());
  // A first start takes the distributed samples.
  const int32_t memosBefore = std::max(0, ReadSavedMemos(folder + L"DEFAULTDATA\\").count);
  const CursorKept cursor;
  RunningProgram program;
  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand hand(program.window);
  const auto start = hand.Picture(L"memo-flow-0-start.bmp");
  // The selected price pane's frame is the only thing of the selection colour.
  const RECT pane = InkBounds(*start, start->Whole(), kSelection);
  const bool paneFound = pane.right - pane.left > 400 && pane.bottom - pane.top > 200;
  if (!paneFound) CloseProgram(program);
  ASSERT_TRUE(paneFound) << "no price pane selected";
  const RECT inside = {pane.left + 3, pane.top + 3, pane.right - 3, pane.bottom - 3};
  const auto at = [&pane](double fx, double fy) {
    return POINT{pane.left + static_cast<LONG>((pane.right - pane.left) * fx),
                 pane.top + static_cast<LONG>((pane.bottom - pane.top) * fy)};
  };

  // A click on the pane puts the cursor on a bar (a right click: a left one
  // selects the pane alone), Ctrl+U: the new memo there, selected, framed in
  // the selection colour, its box 16 pixels right of and below the cursor.
  const POINT cursorAt = at(0.3, 0.3);
  hand.Mouse(WM_MOUSEMOVE, 0, cursorAt);
  hand.Mouse(WM_RBUTTONDOWN, MK_RBUTTON, cursorAt);
  hand.Keys({}, VK_ESCAPE);  // the chart's pop-up
  hand.Mouse(WM_RBUTTONUP, 0, cursorAt);
  hand.Keys({VK_CONTROL}, 'U');
  const auto made = hand.Picture(L"memo-flow-1-new.bmp");
  const RECT frame = InkBounds(*made, inside, kSelection);
  ASSERT_FALSE(IsEmpty(frame)) << "no new memo shown";
  EXPECT_GT(frame.right - frame.left, 60) << "room for ●●●新規メモ●●●";
  EXPECT_LE(std::abs(frame.left + 3 - 16 - cursorAt.x), 6) << "on the cursor's bar";
  EXPECT_LE(std::abs(frame.top + 3 - 16 - cursorAt.y), 3) << "at the cursor's price";

  // Double-click: the editor. "決算 5/12", Red, the arrow shown, OK.
  hand.DoubleClick(Centre(frame));
  const HWND editor = WaitForDialogWithControl(program.process, IDC_MEMO_BYTES);
  ASSERT_NE(editor, nullptr) << "no editor";
  SendDlgItemMessageW(editor, IDC_MEMO_TEXT, EM_SETSEL, 0, -1);
  SendDlgItemMessageW(editor, IDC_MEMO_TEXT, EM_REPLACESEL, TRUE,
                      reinterpret_cast<LPARAM>(SjisToWide("決算 5/12").c_str()));
  SendDlgItemMessageW(editor, IDC_MEMO_COLOR, CB_SETCURSEL, kRedIndex, 0);
  SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_MEMO_COLOR, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_MEMO_COLOR)));
  SendDlgItemMessageW(editor, IDC_MEMO_ARROW, BM_CLICK, 0, 0);
  Sleep(200);
  SaveWindowPicture(editor, L"memo-flow-2-editor.bmp");
  PostMessageW(editor, WM_COMMAND, IDOK, 0);
  hand.Settle(100);
  const SavedMemos edited = ReadSavedMemos(folder);  // a text edit saves at once
  EXPECT_EQ(Row(edited.count, edited.last.color, edited.last.arrowHidden), Row(memosBefore + 1, kRedIndex, 0));
  EXPECT_STREQ(edited.last.text, "決算 5/12");
  const auto written = hand.Picture(L"memo-flow-3-written.bmp");
  const RECT box = InkBounds(*written, inside, kSelection);
  ASSERT_FALSE(IsEmpty(box));
  EXPECT_GT(written->Count(box, kRed), 20) << "the text in red";

  // The box dragged right and down; the arrow tip (where the memo was made) then dragged left.
  const POINT by = {80, 60};
  const RECT writtenBox = InkBounds(*written, {box.left, box.top, box.right, box.bottom}, kRed);
  hand.Drag(Centre(writtenBox), Shifted(Centre(writtenBox), by));
  const auto boxMoved = hand.Picture(L"memo-flow-4-box-moved.bmp");
  const RECT movedInk = InkBounds(*boxMoved, inside, kRed);
  EXPECT_EQ(Row(movedInk.left - writtenBox.left, movedInk.top - writtenBox.top), Row(by.x, by.y))
      << "the text moved with the box";
  const POINT tip = {frame.left + 3 - 16,
                     frame.top + 3 - 16};  // a new box lies 16 pixels right of and below its anchor
  hand.Drag(tip, Shifted(tip, {-90, 40}));
  const auto tipMoved = hand.Picture(L"memo-flow-5-tip-moved.bmp");
  EXPECT_EQ(Row(InkBounds(*tipMoved, inside, kRed).left, InkBounds(*tipMoved, inside, kRed).top),
            Row(movedInk.left, movedInk.top))
      << "the box stays where it is";
  EXPECT_GT(tipMoved->Count({tip.x - 100, tip.y + 30, tip.x - 80, tip.y + 50}, kSelection), 4)
      << "the arrow reaches the new tip";

  // Right-click on the memo: its pop-up; "カスタムフォントサイズー２" (the fifth item).
  const POINT onText = Centre(InkBounds(*tipMoved, inside, kRed));
  hand.Mouse(WM_RBUTTONDOWN, MK_RBUTTON, onText);
  for (int i = 0; i < 5; ++i) hand.Keys({}, VK_DOWN);
  hand.Keys({}, VK_RETURN);
  hand.Mouse(WM_RBUTTONUP, 0, onText);
  hand.Picture(L"memo-flow-6-size-2.bmp");

  hand.Keys({}, VK_DELETE);
  const auto deleted = hand.Picture(L"memo-flow-7-deleted.bmp");
  EXPECT_EQ(deleted->Count(inside, kRed), 0);
  hand.Keys({VK_CONTROL}, 'Z');
  const auto restored = hand.Picture(L"memo-flow-8-restored.bmp");
  EXPECT_GT(restored->Count(inside, kRed), 20);

  EXPECT_EQ(CloseProgram(program), 0u);
  const SavedMemos closed = ReadSavedMemos(folder);
  EXPECT_EQ(Row(closed.count, closed.last.color, closed.last.customSize, closed.last.sizeChoice),
            Row(memosBefore + 1, kRedIndex, 1, 1));
  EXPECT_STREQ(closed.last.text, "決算 5/12");
  EXPECT_NE(closed.last.date, edited.last.date) << "the tip moved the anchor";

  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand again(program.window);
  EXPECT_GT(again.Picture(L"memo-flow-9-restarted.bmp")->Count(inside, kRed), 20);
  EXPECT_EQ(CloseProgram(program), 0u);
}

}  // namespace
