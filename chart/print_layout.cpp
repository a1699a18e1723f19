#include "chart/print_layout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/app_globals.h"
#include "common/sjis_text.h"
#include "data/stock_table.h"

namespace {

// value × numerator / denominator without overflow; truncated like the printer's pixels.
int32_t ScaleInt64(int64_t value, int64_t numerator, int64_t denominator) {
  return static_cast<int32_t>(value * numerator / denominator);
}

void AppendBounded(std::string* out, const char* text, size_t size) { out->append(text, strnlen(text, size)); }

}  // namespace

Rect PrintableArea(const PageSetupImage& p, int horzRes, int vertRes) {
  Rect area = {0, 0, horzRes, vertRes};
  if (p.paperWidth <= 0 || p.paperHeight <= 0) return area;
  area.left = ScaleInt64(p.marginLeft, horzRes, p.paperWidth);
  area.top = ScaleInt64(p.marginTop, vertRes, p.paperHeight);
  area.right = horzRes - ScaleInt64(p.marginRight, horzRes, p.paperWidth);
  area.bottom = vertRes - ScaleInt64(p.marginBottom, vertRes, p.paperHeight);
  return area;
}

bool FitPictureInArea(int64_t frameWidth, int64_t frameHeight, const Rect& area, Rect* target) {
  const int64_t width = static_cast<int64_t>(area.right) - area.left;
  const int64_t height = static_cast<int64_t>(area.bottom) - area.top;
  if (frameWidth <= 0 || frameHeight <= 0 || width <= 0 || height <= 0) return false;
  // The side that needs the larger reduction fills the area.
  Rect fitted = {0, 0, 0, 0};
  if (frameWidth * height >= frameHeight * width) {
    fitted.right = static_cast<int32_t>(width);
    fitted.bottom = static_cast<int32_t>(std::max<int64_t>(1, frameHeight * width / frameWidth));
  } else {
    fitted.right = static_cast<int32_t>(std::max<int64_t>(1, frameWidth * height / frameHeight));
    fitted.bottom = static_cast<int32_t>(height);
  }
  CenterRectInRect(area, &fitted);
  *target = fitted;
  return true;
}

void BuildPrintJobName(const char* menuText, const PrintJobChart* charts, int count, char* out, int size) {
  if (size <= 0) return;
  std::string name;
  for (const char* c = menuText; *c != '\0' && static_cast<uint8_t>(*c) >= 0x20; ++c) name += *c;
  name += "【";
  for (int i = 0; i < count; ++i) {
    const PrintJobChart& chart = charts[i];
    AppendBounded(&name, chart.code, 4);
    name += ' ';
    AppendBounded(&name, chart.name, static_cast<size_t>(std::max(chart.nameSize, 0)));
    name += " (";
    AppendBounded(&name, chart.period, sizeof gPeriodNames[0]);
    name += ") - ";
    AppendBounded(&name, chart.market, kMarketNameSize);
    name += " -";
  }
  name += "】";
  CopySjisText(out, name.c_str(), size);
}

void BuildPatternJobName(const char* menuText, const ScreenPattern& pattern, char* out, int size) {
  PrintJobChart charts[kMaxChartsPerPattern];
  char codes[kMaxChartsPerPattern][5];
  int count = 0;
  const int shown = std::clamp(pattern.chartCount, 0, kMaxChartsPerPattern);
  for (int i = 0; i < shown; ++i) {
    const int index = FindStockIndexByCode(pattern.views[i].stockCode);
    if (gStockTable == nullptr || index < 0 || index >= gStockTable->count) continue;
    const StockMasterRecord& master = gStockTable->records[index].master;
    const int period = std::clamp(static_cast<int>(pattern.views[i].period), 0, 2);
    const int market = master.marketId < kMarketNameCount ? master.marketId : 0;
    charts[count++] = {CodeToString(master.code, codes[i]), master.name, static_cast<int>(sizeof master.name),
                       gPeriodNames[period], gMarketNames[market]};
  }
  BuildPrintJobName(menuText, charts, count, out, size);
}
