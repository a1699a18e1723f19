#include "chart/memo_store.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "analysis/trend_line_store.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/named_colors.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/file_io.h"

MemoTable gMemos = {};
Memo gUndoMemo = {};
int gMemoTextHeight = 16;

namespace {

constexpr char kNoMemoryText[] = "メモリに空きがなく、新規メモを作れませんでした。";
constexpr char kDeleteAllText[] = "メモとトレンドラインをすべて削除してもよろしいですか？";
constexpr char kConfirmTitle[] = "確認";
constexpr int32_t kNewMemoOffset = 16;
constexpr int32_t kNewMemoWidth = 128;
constexpr int32_t kNewMemoPadding = 4;

// Room for one more record: the block grows by half at least, so that many
// copies in a row do not copy the table each time.
bool MakeRoomForOneMore() {
  const int count = MemoCount();
  if (count < gMemos.capacity) return true;
  if (count >= kMaxMemos) return false;
  const int capacity = std::min(kMaxMemos, count + 1 + count / 2);
  auto* block =
      static_cast<uint8_t*>(AllocBlock(sizeof(MemoFileHeader) + sizeof(Memo) * static_cast<size_t>(capacity)));
  if (block == nullptr) return false;
  memcpy(block, gMemos.header, sizeof(MemoFileHeader) + sizeof(Memo) * static_cast<size_t>(count));
  FreeBlock(gMemos.header);
  gMemos.header = reinterpret_cast<MemoFileHeader*>(block);
  gMemos.memos = reinterpret_cast<Memo*>(block + sizeof(MemoFileHeader));
  gMemos.capacity = capacity;
  return true;
}

// Appends `memo` and selects it; -1, after a message, when memory is short.
// A copy: the memo may be one of the table's, which growing moves.
int AppendMemo(const Memo memo) {
  if (gMemos.header == nullptr || !MakeRoomForOneMore()) {
    PlatformMessageBox(gMainWnd, kNoMemoryText, gAppTitle, kMbOk);
    return -1;
  }
  const int index = gMemos.header->count++;
  gMemos.memos[index] = memo;
  MarkMemosChanged();
  SelectMemo(index);
  return index;
}

ChartView* SelectedViewAndPane(int* pane) {
  if (gSelectedChart < 0 || gSelectedChart >= ShownChartCount()) return nullptr;
  ChartView& view = CurrentScreenPattern().views[gSelectedChart];
  const int paneCount = std::clamp(view.paneCount, 0, kMaxPanesPerChart);
  *pane = gSelectedPane;
  return gSelectedPane >= 0 && gSelectedPane < paneCount ? &view : nullptr;
}

}  // namespace

bool CanAddMemo() {
  int pane = -1;
  return SelectedViewAndPane(&pane) != nullptr;
}

void FindNewMemoAnchor(const ChartView& view, const ChartContext& context, int pane, int cursorBar, int32_t cursorValue,
                       uint32_t* date, int32_t* value) {
  const int64_t last = GetViewLastBar(view, context);
  const int64_t visible = context.geometry.visibleBars;
  const PaneRecord& record = context.panes[pane];
  const bool cursorShown = cursorBar >= 0 && cursorBar >= last - visible && cursorBar <= last;
  if (cursorShown && cursorValue >= record.minValue && cursorValue <= record.maxValue) {
    *date = DateOfBarIndex(view, context, cursorBar);
    *value = cursorValue;
    return;
  }
  *date =
      DateOfBarIndex(view, context, static_cast<int>(std::clamp<int64_t>(last - visible / 2, INT32_MIN, INT32_MAX)));
  *value = static_cast<int32_t>((int64_t{record.minValue} + record.maxValue) / 2);
}

Memo MakeNewMemo(uint32_t code, int paneKind, int period, uint32_t date, int32_t value, int textHeight,
                 const MemoFileHeader& header) {
  Memo memo{};
  memo.code = code;
  memo.paneKind = static_cast<int16_t>(paneKind);
  memo.period = period;
  memo.date = date;
  memo.value = value;
  memo.boxOffsetX = kNewMemoOffset;
  memo.boxOffsetY = kNewMemoOffset;
  memo.boxRight = kNewMemoWidth;
  memo.boxBottom = textHeight + kNewMemoPadding;
  memcpy(memo.text, kNewMemoText, sizeof kNewMemoText);
  memo.color = FindBlackColorIndex();
  memo.arrowHidden = 1;
  std::copy_n(header.fontHeights, kMemoSizeChoiceCount, memo.fontHeights);
  std::copy_n(header.lineSpacings, kMemoSizeChoiceCount, memo.lineSpacings);
  return memo;
}

int AddNewMemo(int textHeight) {
  int pane = -1;
  const ChartView* view = SelectedViewAndPane(&pane);
  if (view == nullptr || gMemos.header == nullptr) return -1;
  // Memos show on series of two bars and more: one made on less is never seen.
  const BarSeries* bars = GetViewBarSeries(*view, gChartContexts[gSelectedChart]);
  if (bars == nullptr || bars->count < 2) return -1;
  uint32_t date = 0;
  int32_t value = 0;
  FindNewMemoAnchor(*view, gChartContexts[gSelectedChart], pane, gCursorBar, gCursorValue, &date, &value);
  return AppendMemo(MakeNewMemo(view->stockCode, static_cast<int>(view->paneKinds[pane]), GetViewPeriod(*view), date,
                                value, textHeight, *gMemos.header));
}

int DuplicateMemo(int index) {
  const Memo* memo = MemoAt(index);
  return memo != nullptr ? AppendMemo(*memo) : -1;
}

void SelectMemo(int index) {
  for (int i = 0; i < MemoCount(); ++i) gMemos.memos[i].selected = i == index ? 1 : 0;
  InvalidateAllCharts();
}

bool HasSelectedMemo() {
  for (int i = 0; i < MemoCount(); ++i) {
    if (gMemos.memos[i].selected != 0) return true;
  }
  return false;
}

int RemoveSelectedMemos() {
  const int count = MemoCount();
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const Memo& memo = gMemos.memos[i];
    if (memo.selected != 0) {
      gUndoMemo = memo;
      continue;
    }
    if (kept != i) gMemos.memos[kept] = memo;
    ++kept;
  }
  if (kept == count) return 0;
  gMemos.header->count = kept;
  gUndoKind = kUndoMemos;
  MarkMemosChanged();
  InvalidateAllCharts();
  return 1;
}

int RestoreRemovedMemo() {
  gUndoKind = kUndoNothing;
  return AppendMemo(gUndoMemo) >= 0 ? 1 : 0;
}

void DeleteAllMemosAndTrendLines() {
  if (PlatformMessageBox(gMainWnd, kDeleteAllText, kConfirmTitle, kMbYesNo | kMbIconQuestion | kMbDefButton2) !=
      kIdYes) {
    return;
  }
  if (gMemos.header != nullptr && gMemos.header->count != 0) {
    gMemos.header->count = 0;
    MarkMemosChanged();
  }
  // Through the deletion so that the file, the groups, the notices and the order list follow.
  if (gTrendLines != nullptr) MarkEarliestEndingTrendLines(gTrendLines, kMaxTrendLines);
  DeleteMarkedTrendLines(1);
  gUndoKind = kUndoNothing;
  InvalidateAllCharts();
}
