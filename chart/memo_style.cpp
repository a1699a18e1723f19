// Memo sizes, arrows, the editor's counter and what its OK keeps.
#include "chart/memo_style.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "chart/chart_loading.h"
#include "chart/memo_store.h"
#include "chart/memo_view.h"
#include "common/sjis_text.h"
#include "records/settings_block.h"

namespace {

bool IsHeightInRange(int32_t h) { return h >= kMinMemoFontHeight && h <= kMaxMemoFontHeight; }
bool IsSpacingInRange(int32_t s) { return s >= 0 && s <= kMaxMemoLineSpacing; }

void RepairChoice(Memo* memo, int k, int32_t height, int32_t spacing) {
  if (IsHeightInRange(memo->fontHeights[k]) && IsSpacingInRange(memo->lineSpacings[k])) return;
  memo->fontHeights[k] = height;
  memo->lineSpacings[k] = spacing;
}

void RepairChoices(Memo* memo, const MemoFileHeader& header, int defaultHeight, int defaultSpacing) {
  RepairChoice(memo, 0, defaultHeight, defaultSpacing);
  for (int k = 1; k < kMemoSizeChoiceCount; ++k) RepairChoice(memo, k, header.fontHeights[k], header.lineSpacings[k]);
}

template <typename Change>
void ChangeSelectedMemos(Change change) {
  bool changed = false;
  for (int i = 0; i < MemoCount(); ++i) {
    if (gMemos.memos[i].selected == 0) continue;
    change(i);
    changed = true;
  }
  if (changed) MarkMemosChanged();
  InvalidateAllCharts();
}

int DefaultMemoHeight() { return std::clamp<int>(gMemoFontSize, kMinMemoFontHeight, kMaxMemoFontHeight); }
int DefaultMemoSpacing() { return std::clamp<int>(gMemoLineSpacing, 0, kMaxMemoLineSpacing); }

}  // namespace

void RepairMemoFontSizes(Memo* memo, const MemoFileHeader& header, int defaultHeight, int defaultSpacing) {
  RepairChoices(memo, header, defaultHeight, defaultSpacing);
  memo->sizeChoice = std::clamp(memo->sizeChoice, 0, kMemoSizeChoiceCount - 1);
}

MemoFontSize ChosenMemoFontSize(const Memo& memo) {
  const int k = std::clamp(memo.sizeChoice, 0, kMemoSizeChoiceCount - 1);
  return {std::clamp(memo.fontHeights[k], kMinMemoFontHeight, kMaxMemoFontHeight),
          std::clamp(memo.lineSpacings[k], 0, kMaxMemoLineSpacing)};
}

void PrepareMemoForEditing(Memo* memo, const MemoFileHeader& header, int defaultHeight, int defaultSpacing) {
  if (memo->arrowHidden != 0 && memo->arrowHidden != 1) memo->arrowHidden = 0;
  if (memo->customSize != 0 && memo->customSize != 1) {
    memo->customSize = 0;
    memo->fontHeights[0] = defaultHeight;
    memo->lineSpacings[0] = defaultSpacing;
  } else {
    RepairChoices(memo, header, defaultHeight, defaultSpacing);
  }
  memo->sizeChoice = std::clamp(memo->sizeChoice, 0, kMemoSizeChoiceCount - 1);
}

bool FormatMemoByteCounter(int length, char* out, size_t size) {
  const int remaining = kMemoTextLimit - length;
  snprintf(out, size, "文字: %d bytes\n残り: %d bytes", length, remaining);
  return remaining < 0;
}

void SetSelectedMemosFontSize(int choice) {
  if (gMemos.header == nullptr) return;
  const MemoFileHeader& header = *gMemos.header;
  ChangeSelectedMemos([&](int i) {
    Memo& memo = gMemos.memos[i];
    memo.sizeChoice = choice;
    if (memo.customSize != 1) memo.customSize = 1;
    RepairMemoFontSizes(&memo, header, DefaultMemoHeight(), DefaultMemoSpacing());
  });
}

void ResetSelectedMemosFontSize() {
  ChangeSelectedMemos([](int i) { gMemos.memos[i].customSize = 0; });
}

void ToggleSelectedMemoArrows() {
  ChangeSelectedMemos([](int i) {
    gMemos.memos[i].arrowHidden = gMemos.memos[i].arrowHidden == 1 ? 0 : 1;
    ReanchorMemoToBox(i);
  });
}

int FirstSelectedMemo() {
  for (int i = 0; i < MemoCount(); ++i) {
    if (gMemos.memos[i].selected != 0) return i;
  }
  return -1;
}

bool ApplyMemoEdit(int index, const Memo& edited, const char* typed) {
  Memo* memo = MemoAt(index);
  if (memo == nullptr || gMemos.header == nullptr || typed == nullptr || typed[0] == '\0') return false;
  const bool arrowWasShown = memo->arrowHidden != 1;
  *memo = edited;
  CopySjisText(memo->text, typed, kMemoTextBytes);
  if (memo->customSize == 1) {
    std::copy_n(memo->fontHeights, kMemoSizeChoiceCount, gMemos.header->fontHeights);
    std::copy_n(memo->lineSpacings, kMemoSizeChoiceCount, gMemos.header->lineSpacings);
  }
  MarkMemosChanged();
  InvalidateAllCharts();
  if (arrowWasShown && memo->arrowHidden == 1) {
    ReanchorMemoToBox(index);
    InvalidateAllCharts();
  }
  SaveMemoFile();
  return true;
}
