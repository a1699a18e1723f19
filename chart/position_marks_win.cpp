// Painting trend lines and the tracker's ladder over a pane.

#include "chart/position_marks_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/position_tracker.h"
#include "analysis/trend_line_store.h"
#include "chart/blink_phase.h"
#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/draw_primitives_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "chart/paint_tools_win.h"
#include "chart/segment_clip.h"
#include "chart/trend_line_mouse.h"
#include "net/order_link.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"

namespace {

constexpr int kLabelGap = 4;        // between a line's end and its label
constexpr int kProfitGapAbove = 3;  // from the line up to a profit text's bottom
constexpr int kProfitGapBelow = 4;  // from the line down to a profit text's top
constexpr int kTrailNear = 3;       // the two rows of live trails, past half the width
constexpr int kTrailFar = 7;

// Pens and brushes of one call: made on first use, deleted when it ends
// (after the DC has its own objects back).
class MarkObjects {
 public:
  MarkObjects() = default;
  MarkObjects(const MarkObjects&) = delete;
  MarkObjects& operator=(const MarkObjects&) = delete;
  ~MarkObjects() {
    for (const Entry& e : entries_) DeleteObject(e.object);
  }
  // Geometric, solid, square-ended.
  HPEN LinePen(int slot, int width) { return static_cast<HPEN>(Find(kLinePen, slot, width)); }
  HPEN ThinPen(int slot) { return static_cast<HPEN>(Find(kThinPen, slot, 1)); }
  HBRUSH Brush(int slot) { return static_cast<HBRUSH>(Find(kBrush, slot, 0)); }

 private:
  enum Kind { kLinePen, kThinPen, kBrush };
  struct Entry {
    Kind kind;
    int slot, width;
    HGDIOBJ object;
  };
  HGDIOBJ Find(Kind kind, int slot, int width) {
    for (const Entry& e : entries_)
      if (e.kind == kind && e.slot == slot && e.width == width) return e.object;
    HGDIOBJ object = nullptr;
    if (kind == kLinePen) object = CreatePalettePen(width, slot);
    if (kind == kThinPen) object = CreatePen(PS_SOLID, 1, PaletteColor(slot));
    if (kind == kBrush) object = CreateSolidBrush(PaletteColor(slot));
    if (object != nullptr) entries_.push_back({kind, slot, width, object});
    return object != nullptr ? object : GetStockObject(kind == kBrush ? NULL_BRUSH : BLACK_PEN);
  }
  std::vector<Entry> entries_;
};

// A line's ends on the screen, (x1, y1) the earlier-dated one.
struct ScreenLine {
  int x1, y1, x2, y2;
};

struct StepOne {
  int line = -1;
  int x1 = 0, x2 = 0;
};

// What one pane's painting works with.
struct PaneMarks {
  HDC dc;
  const ChartView& view;
  const ChartContext& context;
  int pane;
  int paneKind;
  bool pricePane;
  int last;
  const ChartLineSet& set;
  bool autoOrderOn;
  MarkObjects& objects;
  StepOne buyStepOne{}, shortStepOne{};
  int highlighted = -1;
  ScreenLine highlightedAt{};
};

ScreenLine ToScreen(const PaneMarks& m, const TrendLine& line) {
  const bool firstIsEarlier = line.date1 <= line.date2;
  const PackedDate early = firstIsEarlier ? line.date1 : line.date2;
  const PackedDate late = firstIsEarlier ? line.date2 : line.date1;
  const int32_t earlyValue = firstIsEarlier ? line.value1 : line.value2;
  const int32_t lateValue = firstIsEarlier ? line.value2 : line.value1;
  return {DateToPaneX(m.view, m.context, early, m.last), PaneValueToY(m.view, m.context, m.pane, earlyValue),
          DateToPaneX(m.view, m.context, late, m.last), PaneValueToY(m.view, m.context, m.pane, lateValue)};
}

// A text as the DC's font shows it.
struct MarkText {
  std::wstring wide;
  SIZE size;
};

MarkText PrepareText(HDC dc, const char* text) {
  MarkText t{SjisToWide(text), {}};
  GetTextExtentPoint32W(dc, t.wide.c_str(), static_cast<int>(t.wide.size()), &t.size);
  return t;
}

// The outlined text of DrawOutlinedText with its top-left corner at (x, y),
// drawn straight: a chart may carry hundreds of labels, and laying each pass
// out again doubles their cost. A label seen before is copied as a picture.
void DrawOutlinedAt(HDC dc, const MarkText& text, int x, int y, int slot) {
  if (DrawKeptOutlinedText(dc, text.wide, text.size, x, y, PaletteColor(slot), PaletteColor(kColorBackground))) return;
  static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  const int length = static_cast<int>(text.wide.size());
  SetTextColor(dc, PaletteColor(kColorBackground));
  for (const POINT& offset : kOffsets)
    ExtTextOutW(dc, x + offset.x, y + offset.y, 0, nullptr, text.wide.c_str(), length, nullptr);
  SetTextColor(dc, PaletteColor(slot));
  ExtTextOutW(dc, x, y, 0, nullptr, text.wide.c_str(), length, nullptr);
}

// How far beside a line its pen, live trails and handles reach.
int MarkReach(int width) { return width + kTrailFar + width / 2 + 2; }

void DrawSegment(PaneMarks& m, PixelPoint from, PixelPoint to, int slot, int width) {
  SelectObject(m.dc, m.objects.LinePen(slot, width));
  MoveToEx(m.dc, from.x, from.y, nullptr);
  LineTo(m.dc, to.x, to.y);
}

// Two rows of crosses beside a live line: below a lower limit, above an
// upper one, right of a date line. Only the crosses on the pane are drawn,
// each where the whole row has it.
void DrawLiveTrails(PaneMarks& m, const TrendLine& line, const ScreenLine& s, int slot, int width) {
  SelectObject(m.dc, m.objects.ThinPen(slot));
  const RECT pane = ToWinRect(m.context.panes[m.pane].pane);
  for (const int distance : {kTrailNear + width / 2, kTrailFar + width / 2}) {
    int dx = 0, dy = 0;
    if (line.monitorKind == kMonitorLower) dy = distance;
    if (line.monitorKind == kMonitorUpper) dy = -distance;
    if (line.monitorKind == kMonitorDate) dx = distance;
    DrawCrossTrailWithin(m.dc, s.x1 + dx, s.y1 + dy, s.x2 + dx, s.y2 + dy, pane);
  }
}

// Squares round both ends: filled in the selection colour on a marked line;
// a locked line always shows them, outlined, in its own colour unless marked.
void DrawHandles(PaneMarks& m, const TrendLine& line, const ScreenLine& s, int slot, int width) {
  const bool locked = line.locked != 0;
  if (!locked && line.marked == 0) return;
  const int fill = line.marked != 0 ? kColorSelection : slot;
  const int half = width + 2;
  SelectObject(m.dc, m.objects.ThinPen(kColorNumberEven));
  SelectObject(m.dc, m.objects.Brush(fill));
  for (const POINT end : {POINT{s.x1, s.y1}, POINT{s.x2, s.y2}}) {
    const RECT square = {end.x - half, end.y - half, end.x + half + 1, end.y + half + 1};
    if (locked) {
      Rectangle(m.dc, square.left, square.top, square.right, square.bottom);
    } else {
      FillRect(m.dc, &square, m.objects.Brush(fill));
    }
  }
}

void RememberStepOne(PaneMarks& m, const TrendLine& line, int index, const ScreenLine& s) {
  if (line.buyRole == 1) m.buyStepOne = {index, s.x1, s.x2};
  if (line.shortRole == 1) m.shortStepOne = {index, s.x1, s.x2};
}

const Rect& PaneRect(const PaneMarks& m) { return m.context.panes[m.pane].pane; }

// A label beside the point (anchorX, anchorY) of its line, kept inside the
// pane while that point is on it.
void DrawLabelBeside(PaneMarks& m, const MarkText& text, int anchorX, int anchorY, PixelPoint at, int slot) {
  const Rect r = PlaceMarkLabel(PaneRect(m), anchorX, anchorY, at, text.size.cx, text.size.cy);
  DrawOutlinedAt(m.dc, text, r.left, r.top, slot);
}

void DrawValueLabel(PaneMarks& m, const TrendLine& line, const ScreenLine& s, bool live, int slot, int width) {
  if (line.labelSide == kLabelNone) return;
  char text[kMarkTextSize];
  FormatLineValueLabel(line, m.paneKind, live, m.autoOrderOn, gPellomaticSummary, text, sizeof text);
  const MarkText label = PrepareText(m.dc, text);
  const int top = s.y2 - label.size.cy / 2;  // centred in its box of 4 more pixels above and below
  if (line.labelSide == kLabelBothSides || line.labelSide == kLabelRight) {
    DrawLabelBeside(m, label, s.x2, s.y2, {s.x2 + width + kLabelGap, top}, slot);
  }
  if (line.labelSide == kLabelBothSides || line.labelSide == kLabelLeft) {
    DrawLabelBeside(m, label, s.x1, s.y1, {s.x1 - kLabelGap - label.size.cx, top}, slot);
  }
}

void DrawProfitText(PaneMarks& m, const TrendLine& line, const ScreenLine& s, int slot) {
  char text[kMarkTextSize];
  const ProfitPlace place = FormatProfitText(line, gPellomaticSummary, text, sizeof text);
  if (place == ProfitPlace::kNone) return;
  const MarkText profit = PrepareText(m.dc, text);
  const int midX = (s.x1 + s.x2) / 2, midY = (s.y1 + s.y2) / 2;
  const int top = place == ProfitPlace::kAbove ? midY - kProfitGapAbove - profit.size.cy : midY + kProfitGapBelow;
  DrawLabelBeside(m, profit, midX, midY, {midX - profit.size.cx / 2, top}, slot);
}

void DrawVerticalLineDate(PaneMarks& m, const TrendLine& line, const ScreenLine& s) {
  char text[kMarkTextSize];
  FormatVerticalLineDate(line, text, sizeof text);
  const MarkText date = PrepareText(m.dc, text);
  const Rect r = PlaceVerticalLineDate(PaneRect(m), s.x1, std::min(s.y1, s.y2), std::max(s.y1, s.y2),
                                       line.value1 < line.value2, date.size.cx, date.size.cy);
  DrawOutlinedAt(m.dc, date, r.left, r.top, kColorNumberEven);
}

void DrawMeasuringText(PaneMarks& m) {
  const TrendLine* line = ChartSetLine(m.highlighted);
  if (line == nullptr) return;
  const int viewLast = GetViewLastBar(m.view, m.context);
  const int spacing = std::max<int>(m.context.geometry.barSpacing, 1);
  const int bars =
      (DateToPaneX(m.view, m.context, line->date2, viewLast) - DateToPaneX(m.view, m.context, line->date1, viewLast)) /
      spacing;
  char text[kMarkTextSize];
  FormatMeasuringText(*line, m.paneKind, m.set.period, bars, text, sizeof text);
  if (text[0] == '\0') return;
  const SIZE size = PrepareText(m.dc, text).size;
  const ScreenLine& s = m.highlightedAt;
  const Rect r = PlaceMeasuringText(m.context.panes[m.pane].pane, *line, s.x1, s.y1, s.x2, s.y2, size.cx, size.cy);
  DrawTextOnBackground(m.dc, text, -1, ToWinRect(r), DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawAverageLine(PaneMarks& m, const PellomaticSideSummary& side, const StepOne& step, const char* name) {
  int64_t price = 0;
  if (side.stepCount <= 1 || step.line < 0 || !AveragePrice(side, &price)) return;
  DrawPositionLevelLine(m.dc, m.view, m.context, m.pane, price, side.totalShares, name, step.line, step.x2, step.x1);
}

void PaintLine(PaneMarks& m, int index) {
  const TrendLine* line = ChartSetLine(index);
  if (line == nullptr || !PaneShowsLine(m.set, *line, m.paneKind)) return;
  const ScreenLine s = ToScreen(m, *line);
  const bool vertical = s.x1 == s.x2;
  const bool live = IsLiveMonitorLine(*line, vertical, m.set.stockLastDate);
  if (IsHiddenByBlink(*line, m.pricePane, live, m.autoOrderOn, gBlinkPhase)) return;
  const bool counted = index < std::clamp(gTrendLines->count, 0, kMaxTrendLines);
  const LineMarkColors colors = GetLineMarkColors(*line, !counted && gRubberBandLine, live);
  const int width = ShownLineWidth(*line);
  // A line far longer than its pane is drawn as far as it shows there.
  PixelPoint from{}, to{};
  if (GetDrawnSegment(m.context.panes[m.pane].pane, MarkReach(width), {s.x1, s.y1}, {s.x2, s.y2}, &from, &to)) {
    DrawSegment(m, from, to, colors.line, width);
    if (live) DrawLiveTrails(m, *line, s, colors.line, width);
    if (counted) DrawHandles(m, *line, s, colors.line, width);
  }
  if (line->value1 == line->value2) {
    if (m.pricePane) RememberStepOne(m, *line, index, s);
    DrawValueLabel(m, *line, s, live, colors.label, width);
    if (m.pricePane && gSettings.showProfitOnClosingLine != 0) DrawProfitText(m, *line, s, colors.label);
  }
  if (vertical) DrawVerticalLineDate(m, *line, s);
  if (index == gHighlightedTrendLine) {
    m.highlighted = index;
    m.highlightedAt = s;
  }
}

// Every mark of a pane, the average lines too, belongs to a line it shows.
bool AnyLineShows(const ChartLineSet& set, int paneKind) {
  for (int k = 0; k < set.count; ++k) {
    const TrendLine* line = ChartSetLine(set.lines[static_cast<size_t>(k)]);
    if (line != nullptr && PaneShowsLine(set, *line, paneKind)) return true;
  }
  return false;
}

}  // namespace

void PaintPositionMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last,
                        const ChartLineSet& lines) {
  if (pane < 0 || pane >= std::min<int>(view.paneCount, kMaxPanesPerChart) || !lines.usable || lines.count == 0) {
    return;
  }
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  CollectPellomaticLinesAmong(lines.code, lines.lines.data(), lines.count);
  // Nothing to draw: the DC is left alone.
  if (!AnyLineShows(lines, paneKind)) return;
  MarkObjects objects;  // outlives the saved state: deleted only once deselected
  const SavedPaneDc saved(dc, ToWinRect(context.panes[pane].pane), gChartFixedFont);
  const bool pricePane = paneKind == kPaneCandles || paneKind == kPaneIchimoku;
  PaneMarks m{dc, view, context, pane, paneKind, pricePane, last, lines, gAutoOrderEnabled != 0, objects};
  for (int k = 0; k < lines.count; ++k) PaintLine(m, lines.lines[static_cast<size_t>(k)]);
  if (m.highlighted >= 0) DrawMeasuringText(m);
  if (pricePane && gSettings.showAverageLine != 0) {
    DrawAverageLine(m, gPellomaticSummary.buySide, m.buyStepOne, "買平均");
    DrawAverageLine(m, gPellomaticSummary.shortSide, m.shortStepOne, "売平均");
  }
}

void PaintPositionMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  static ChartLineSet lines;  // painting runs on the main thread only
  CollectChartLines(view, context, first, last, &lines);
  PaintPositionMarks(dc, view, context, pane, last, lines);
}
