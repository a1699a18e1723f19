// A newcomer's memo in the real program on a copy of the sample database:
// made with Ctrl+U on a clicked pane, written, coloured and given its arrow
// in the editor (double-click), its box and then its arrow tip dragged, a
// custom size chosen from its pop-up, deleted with Del, brought back with
// Ctrl+Z and found again after a restart, on the screen and in memo.dat
// beside the distributed samples; then deleting everything asks first.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

std::vector<Memo> ReadSavedMemos(const std::wstring& folder) {
  const auto bytes = ReadFileBytes(folder + L"memo.dat");
  MemoFileHeader header{};
  if (bytes.size() < sizeof header) return {};
  memcpy(&header, bytes.data(), sizeof header);
  if (header.count < 0 || bytes.size() != sizeof header + sizeof(Memo) * static_cast<size_t>(header.count)) return {};
  std::vector<Memo> memos(static_cast<size_t>(header.count));
  memcpy(memos.data(), bytes.data() + sizeof header, sizeof(Memo) * memos.size());
  return memos;
}

int32_t SavedTrendLineCount(const std::wstring& folder) {
  const auto bytes = ReadFileBytes(folder + L"tline.dat");
  int32_t count = -1;
  if (bytes.size() >= sizeof count) memcpy(&count, bytes.data(), sizeof count);
  return count;
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
  const std::vector<Memo> samples = ReadSavedMemos(folder + L"DEFAULTDATA\\");
  ASSERT_EQ(samples.size(), 2u);
  ASSERT_TRUE(ReadFileBytes(folder + L"memo.dat").empty()) << "a new user has no memo.dat";
  ASSERT_GT(SavedTrendLineCount(folder), 0);
  const size_t memosBefore = samples.size();
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
  EXPECT_TRUE(ReadFileBytes(folder + L"memo.dat").empty()) << "a new memo reaches the disk at exit";

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
  const std::vector<Memo> edited = ReadSavedMemos(folder);  // a text edit saves at once
  ASSERT_EQ(edited.size(), memosBefore + 1);
  EXPECT_EQ(Row(edited.back().color, edited.back().arrowHidden), Row(kRedIndex, 0));
  EXPECT_STREQ(edited.back().text, "決算 5/12");
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
  const std::vector<Memo> closed = ReadSavedMemos(folder);
  ASSERT_EQ(closed.size(), memosBefore + 1);
  for (size_t i = 0; i < memosBefore; ++i) {
    EXPECT_EQ(Row(closed[i].sample, closed[i].code, closed[i].date, closed[i].value),
              Row(1, samples[i].code, samples[i].date, samples[i].value))
        << i;
    EXPECT_STREQ(closed[i].text, samples[i].text);
  }
  EXPECT_EQ(Row(closed.back().sample, closed.back().color, closed.back().customSize, closed.back().sizeChoice),
            Row(0, kRedIndex, 1, 1));
  EXPECT_STREQ(closed.back().text, "決算 5/12");
  EXPECT_NE(closed.back().date, edited.back().date) << "the tip moved the anchor";
  EXPECT_EQ(ReadFileBytes(folder + L"BACKUP\\memo01.dat"), ReadFileBytes(folder + L"memo.dat"));

  ASSERT_TRUE(StartAtFixedSize(folder, program));
  const Hand again(program.window);
  EXPECT_GT(again.Picture(L"memo-flow-9-restarted.bmp")->Count(inside, kRed), 20);

  // Deleting everything asks first; the lines' file follows at once, memo.dat at exit.
  PostMessageW(program.window, WM_COMMAND, IDM_DELETE_ALL_MEMOS_AND_LINES, 0);
  const HWND question = WaitForDialogWithControl(program.process, 0xFFFF);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(ControlText(question, 0xFFFF), SjisToWide("メモとトレンドラインをすべて削除してもよろしいですか？"));
  EXPECT_EQ(WindowTitle(question), SjisToWide("確認"));
  PostMessageW(question, WM_COMMAND, IDYES, 0);
  again.Settle(100);
  EXPECT_EQ(SavedTrendLineCount(folder), 0);
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_TRUE(ReadSavedMemos(folder).empty());
  EXPECT_EQ(ReadFileBytes(folder + L"memo.dat").size(), sizeof(MemoFileHeader));
}

}  // namespace
