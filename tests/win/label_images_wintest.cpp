// Texts kept as pictures: an outlined label has the pixels of its five text
// passes over any ground, and smoothed glyphs are left to the texts.

#include <gtest/gtest.h>

#include <string>

#include "chart/label_images_win.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"

namespace {

constexpr int kWidth = 240, kHeight = 40;
constexpr COLORREF kText = RGB(200, 0, 200);
constexpr COLORREF kOutline = RGB(245, 245, 245);

// Stripes of two colours under the label, so that a pixel left alone shows.
void PaintStripes(Canvas* canvas) {
  for (int x = 0; x < kWidth; x += 6) canvas->Fill({x, 0, x + 3, kHeight}, RGB(30, 90, 160));
}

HFONT LabelFont(BYTE quality, int height = 12) {
  return CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, quality, FIXED_PITCH, nullptr);
}

struct Drawn {
  bool kept;
  int differences;
};

// The label drawn through the kept pictures (made when seen again) and by the five passes.
Drawn DrawBothWays(HFONT font, const std::wstring& text) {
  Canvas kept(kWidth, kHeight), direct(kWidth, kHeight);
  bool usable = false;
  for (Canvas* canvas : {&kept, &direct}) {
    PaintStripes(canvas);
    SelectObject(canvas->dc(), font);
    SetBkMode(canvas->dc(), TRANSPARENT);
  }
  SIZE size{};
  GetTextExtentPoint32W(kept.dc(), text.c_str(), static_cast<int>(text.size()), &size);
  for (int i = 0; i < 3 && !usable; ++i) usable = DrawKeptOutlinedText(kept.dc(), text, size, 20, 12, kText, kOutline);
  static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  SetTextColor(direct.dc(), kOutline);
  for (const POINT& o : kOffsets)
    ExtTextOutW(direct.dc(), 20 + o.x, 12 + o.y, 0, nullptr, text.c_str(), static_cast<int>(text.size()), nullptr);
  SetTextColor(direct.dc(), kText);
  ExtTextOutW(direct.dc(), 20, 12, 0, nullptr, text.c_str(), static_cast<int>(text.size()), nullptr);
  for (Canvas* canvas : {&kept, &direct}) SelectObject(canvas->dc(), GetStockObject(SYSTEM_FONT));
  return {usable, usable ? kept.CountDifferences(direct, kept.Whole()) : -1};
}

TEST(LabelImagesWinTest, AKeptLabelHasThePixelsOfItsTextsAndSmoothedGlyphsAreLeftToThem) {
  const HFONT plain = LabelFont(NONANTIALIASED_QUALITY);
  const HFONT smooth = LabelFont(ANTIALIASED_QUALITY, 24);  // smaller sizes come from the face's bitmaps
  const Drawn sharp = DrawBothWays(plain, L"1,234 買1(100株)");
  const Drawn smoothed = DrawBothWays(smooth, L"1,234 買1(100株)");
  EXPECT_EQ(Row(sharp.kept, sharp.differences, smoothed.kept), Row(true, 0, false));
  FreeLabelImages();
  DeleteObject(plain);
  DeleteObject(smooth);
}

}  // namespace
