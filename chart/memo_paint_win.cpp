// Painting chart memos: layout kept until the text or font changes, outlined lines, frame and arrow.
#include "chart/memo_paint_win.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "chart/memo_store.h"
#include "chart/memo_style.h"
#include "chart/named_colors.h"
#include "chart/paint_tools_win.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"

namespace {

// Fonts of the custom heights, made on first use.
struct MemoFont {
  HFONT font;
  int textHeight;
};
std::array<MemoFont, kMaxMemoFontHeight + 1> gCustomFonts = {};
// Raised whenever the fonts go, so that every kept layout is measured again.
int gFontGeneration = 1;

struct LaidOutLine {
  std::wstring text;
  SIZE size;
};

// A memo's text as last measured, and with what.
struct KeptLayout {
  int generation = 0;
  int fontHeight = 0;  // 0: the default memo font
  char text[kMemoTextBytes] = {};
  std::vector<LaidOutLine> lines;
  std::vector<int> widths;
};
std::vector<KeptLayout> gLayouts;  // by memo index

int DefaultSpacing() { return std::clamp<int>(gMemoLineSpacing, 0, kMaxMemoLineSpacing); }

MemoFont CustomFont(HDC dc, int height) {
  MemoFont& kept = gCustomFonts[static_cast<size_t>(height)];
  if (kept.font == nullptr) {
    kept.font = CreateMemoFont(height);
    TEXTMETRICW metrics{};
    const HGDIOBJ old = SelectObject(dc, kept.font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    kept.textHeight = metrics.tmHeight;
  }
  return kept;
}

// The lines of the memo's text in the DC's font, measured again only when
// the text or the font changed.
const KeptLayout& LayOutText(HDC dc, int index, const Memo& memo, int fontHeight) {
  if (gLayouts.size() <= static_cast<size_t>(index)) gLayouts.resize(static_cast<size_t>(index) + 1);
  KeptLayout& kept = gLayouts[static_cast<size_t>(index)];
  if (kept.generation == gFontGeneration && kept.fontHeight == fontHeight &&
      strncmp(kept.text, memo.text, kMemoTextBytes) == 0) {
    return kept;
  }
  kept.generation = gFontGeneration;
  kept.fontHeight = fontHeight;
  strncpy(kept.text, memo.text, kMemoTextBytes);
  std::vector<MemoTextLine> lines;
  SplitMemoText(memo.text, kMemoTextBytes, &lines);
  kept.lines.clear();
  kept.widths.clear();
  for (const MemoTextLine& line : lines) {
    LaidOutLine out{SjisToWide(memo.text + line.start, line.length), {}};
    GetTextExtentPoint32W(dc, out.text.c_str(), static_cast<int>(out.text.size()), &out.size);
    kept.widths.push_back(out.size.cx);
    kept.lines.push_back(std::move(out));
  }
  return kept;
}

void DrawMemoArrow(HDC dc, const Rect& frame, int x, int y, COLORREF color) {
  const MemoArrow arrow = GetMemoArrow(frame, x, y);
  SelectObject(dc, CachedPen(PS_SOLID, 1, color));
  SelectObject(dc, CachedBrush(color));
  MoveToEx(dc, arrow.startX, arrow.startY, nullptr);
  LineTo(dc, x, y);
  const POINT head[3] = {
      {arrow.headX[0], arrow.headY[0]}, {arrow.headX[1], arrow.headY[1]}, {arrow.headX[2], arrow.headY[2]}};
  Polygon(dc, head, 3);
}

void DrawOutlinedLine(HDC dc, const LaidOutLine& line, int x, int y, COLORREF color, COLORREF background) {
  if (line.text.empty() || DrawKeptOutlinedText(dc, line.text, line.size, x, y, color, background)) return;
  static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  const int length = static_cast<int>(line.text.size());
  SetTextColor(dc, background);
  for (const POINT& offset : kOffsets)
    ExtTextOutW(dc, x + offset.x, y + offset.y, 0, nullptr, line.text.c_str(), length, nullptr);
  SetTextColor(dc, color);
  ExtTextOutW(dc, x, y, 0, nullptr, line.text.c_str(), length, nullptr);
}

// Everything a memo's painting may touch: its frame and the arrow to its anchor.
bool MemoMeetsClip(HDC dc, const Rect& frame, int x, int y, bool arrow) {
  RECT area = ToWinRect(frame);
  if (arrow) {
    const RECT tip = {x - kMemoTipReach, y - kMemoTipReach, x + kMemoTipReach + 1, y + kMemoTipReach + 1};
    UnionRect(&area, &area, &tip);
  }
  return RectVisible(dc, &area) != 0;
}

void DrawMemo(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last, int index) {
  Memo& memo = gMemos.memos[index];
  int textHeight = gMemoTextMetrics.tmHeight;
  int spacing = DefaultSpacing();
  int fontHeight = 0;
  COLORREF color = gNamedColors[std::clamp(memo.color, 0, kNamedColorCount - 1)].color;
  const COLORREF background = PaletteColor(kColorBackground);
  if (memo.customSize == 1) {
    RepairMemoFontSizes(&memo, *gMemos.header, std::clamp<int>(gMemoFontSize, 1, kMaxMemoFontHeight), spacing);
    const MemoFontSize size = ChosenMemoFontSize(memo);
    const MemoFont font = CustomFont(dc, size.height);
    SelectObject(dc, font.font);
    textHeight = font.textHeight;
    spacing = size.spacing;
    fontHeight = size.height;
    if (IsFadedMemoHeight(size.height)) color = FadeMemoColor(color, background);
  }
  const int lineHeight = textHeight + spacing;
  const int pad = spacing / 2;
  const MemoShape at = MemoShapeOnPane(view, context, pane, memo, last);
  const KeptLayout& layout = LayOutText(dc, index, memo, fontHeight);
  const Rect box = LayOutMemoBox(at.box.left, at.box.top, layout.widths, lineHeight, pad);
  memo.boxLeft = box.left;
  memo.boxTop = box.top;
  memo.boxRight = box.right;
  memo.boxBottom = box.bottom;
  const Rect frame = MemoFrame(box);
  const bool selected = memo.selected != 0;
  if (MemoMeetsClip(dc, frame, at.anchorX, at.anchorY, at.arrowShown)) {
    if (at.arrowShown)
      DrawMemoArrow(dc, frame, at.anchorX, at.anchorY, selected ? PaletteColor(kColorSelection) : color);
    const RECT frameRect = ToWinRect(frame);
    if (selected) {
      FillRect(dc, &frameRect, CachedBrush(background));
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, background);
      SetTextColor(dc, color);
    }
    for (size_t k = 0; k < layout.lines.size(); ++k) {
      const LaidOutLine& line = layout.lines[k];
      const int x = box.left + pad;
      const int y = static_cast<int>(
          std::clamp<int64_t>(int64_t{box.top} + pad + static_cast<int64_t>(k) * lineHeight, INT32_MIN, INT32_MAX));
      if (selected) {
        ExtTextOutW(dc, x, y, 0, nullptr, line.text.c_str(), static_cast<int>(line.text.size()), nullptr);
      } else {
        DrawOutlinedLine(dc, line, x, y, color, background);
      }
    }
    SetBkMode(dc, TRANSPARENT);
    FrameRect(dc, &frameRect, CachedBrush(selected ? PaletteColor(kColorSelection) : color));
  }
  if (fontHeight != 0) SelectObject(dc, gMemoFont);
}

}  // namespace

void DrawPaneMemos(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last,
                   const ChartMemoSet& set) {
  if (pane < 0 || pane >= std::min<int>(view.paneCount, kMaxPanesPerChart) || set.memos.empty()) return;
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  const auto shown = [&](int index) { return PaneShowsMemo(set, gMemos.memos[index], paneKind); };
  // Nothing to draw: the DC is left alone.
  if (std::none_of(set.memos.begin(), set.memos.end(), shown)) return;
  const SavedPaneDc saved(dc, ToWinRect(context.panes[pane].pane), gMemoFont);
  for (const int index : set.memos) {
    if (shown(index)) DrawMemo(dc, view, context, pane, last, index);
  }
}

void FreeMemoPaintResources() {
  for (MemoFont& kept : gCustomFonts) {
    if (kept.font != nullptr) DeleteObject(kept.font);
    kept = {};
  }
  gLayouts.clear();
  ++gFontGeneration;
}
