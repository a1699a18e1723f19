#pragma once
// What the chart painters share: palette colours, rectangles, pens and the
// numbers of the pane being painted.
#include <windows.h>

#include <string>
#include <vector>

#include "chart/chart_context.h"
#include "chart/pane_pixels.h"
#include "chart/screen_pattern.h"

RECT ToWinRect(const Rect& r);
// Where a right-aligned scale label is drawn in the fixed chart font: its label
// rectangle, or, for a text wider than that (a pane of huge values), one
// moved right into the pane instead of cut at the pane's left edge.
RECT ScaleLabelRect(HDC dc, const std::wstring& text, const Rect& label, const Rect& pane);
// The width of a Shift-JIS text in the font selected into `dc` (an HDC).
int MeasureDcText(void* dc, const char* text);
COLORREF PaletteColor(int slot);
// A solid pen of a palette colour; width 1 means the chart line width.
HPEN CreateChartLinePen(int colorSlot, int width);
// The width CreateChartLinePen gives a line of `width`.
int ChartLineWidth(int width);

// Pens and brushes kept while charts are painted, one per colour, width and
// style; the caller neither deletes them nor keeps them past the paint.
// FreePaintObjectCache deletes them all (none may be selected into a DC).
HPEN CachedPen(int style, int width, COLORREF color);
HBRUSH CachedBrush(COLORREF color);
// The chart line pen of CreateChartLinePen, from the cache.
HPEN CachedChartLinePen(int colorSlot, int width);
void FreePaintObjectCache();

// Polyline in the selected pen of `penWidth` pixels. A wide line is drawn in
// short pieces that share their end points: the pieces' round ends cover
// exactly what the round joins did, while the cost of a wide line grows with
// the square of its length under Wine. A metafile keeps one call.
void DrawChartPolyline(HDC dc, const POINT* points, int count, int penWidth);
// The same from the painters' own points, which go straight into the bitmap.
void DrawChartPolyline(HDC dc, const PixelPoint* points, int count, int penWidth);
// A chart line of `colorSlot` and `width` (the line setting applied) inside
// `clip` and the DC's clip, set straight into the pixels with no pen or clip
// region selected; false, with nothing drawn, where the DC does not allow it.
bool DrawChartLineOnCanvas(HDC dc, const RECT& clip, const PixelPoint* points, int count, int colorSlot, int width);

// Rectangles of one colour, filled straight into the bitmap when it allows.
// Through the system, those one pixel wide or high are drawn in one call as
// one-pixel lines, which cover the same pixels as a fill of each and cost a
// fraction of a fill call each under Wine; the others are filled.
class RectBatch {
 public:
  void Add(const RECT& rect);
  // Fills what was added and empties the batch.
  void Fill(HDC dc, COLORREF color);

 private:
  void FillThroughDc(HDC dc, COLORREF color);

  std::vector<POINT> points_;
  std::vector<DWORD> counts_;
  std::vector<RECT> rects_;
};

// Clips to `rect` unless the clip is already exactly that rectangle.
struct ClipScope {
  bool pushed;
  HRGN saved;
};
ClipScope PushClipUnlessSame(HDC dc, const RECT& rect);
void PopClipScope(HDC dc, const ClipScope& scope);

// The DC as a painter of marks over a pane found it: font, pen, brush,
// colours, mode, alignment and clip. Selects `font`, transparent text from the
// top-left corner and the clip `clip` (within the earlier one) until it ends.
class SavedPaneDc {
 public:
  SavedPaneDc(HDC dc, const RECT& clip, HFONT font);
  SavedPaneDc(const SavedPaneDc&) = delete;
  SavedPaneDc& operator=(const SavedPaneDc&) = delete;
  ~SavedPaneDc();

 private:
  HDC dc_;
  HGDIOBJ font_, pen_, brush_;
  COLORREF textColor_, backColor_;
  int mode_;
  UINT align_;
  HRGN clip_;
};

// Index of a main-window chart's context (0..2); -1 for any other context.
int ChartSlotOf(const ChartContext& context);

// The numbers a pane painter works with.
struct PaneFrame {
  const PaneRecord* record;
  const PeriodSeriesBlock* block;
  const BarSeries* bars;  // the view's display series; null when not loaded
  int count;              // its bars
  bool logScale;
  int barWidth;  // w
  int spacing;   // p
  int lastBar;   // the right-most bar of the view
};

// False when the pane index is out of range or the context holds no bars.
bool GetPaneFrame(const ChartView& view, const ChartContext& context, int pane, PaneFrame* frame);
inline int BarX(const PaneFrame& frame, int last, int bar) {
  return BarCentreX(frame.record->plot.right, frame.spacing, last, bar);
}
// The bar's body column (x - w/2 .. x - w/2 + w) over the height of `area`.
RECT BarColumn(const PaneFrame& frame, int last, int bar, const RECT& area);

// The volume cloud's grey brushes (built on first use).
void FreeVolumeCloudBrushes();
// The clouds the main-window charts keep between paints.
void FreeKeptVolumeClouds();
