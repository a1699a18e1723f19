// Texts kept as pictures: an outlined label has the pixels of its five text
// passes over any ground, and smoothed glyphs are left to the texts.

#include <gtest/gtest.h>

#include <iterator>
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

// Labels set straight into a bitmap's pixels from their kept pictures, in a
// batch or one by one, have the pixels DrawTextW gives them: opaque or not,
// cut by the clip, on bitmaps of either row order, and those that cannot be
// kept drawn as texts.
TEST(LabelImagesWinTest, KeptTextsSetIntoThePixelsAreTheTextsAsDrawn) {
  const HFONT font = LabelFont(NONANTIALIASED_QUALITY);
  const std::wstring texts[] = {L"2024/4", L"2024/10", L"2025年", L"2024/4", L""};
  const KeptTextPlace places[] = {
      {&texts[0], {10, 4, 46, 20}},   {&texts[1], {60, 4, 102, 20}},  {&texts[2], {200, 10, 250, 26}},
      {&texts[3], {-12, 20, 24, 36}}, {&texts[4], {120, 4, 130, 20}},
  };
  const UINT flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
  for (const bool topDown : {true, false}) {
    for (const int mode : {OPAQUE, TRANSPARENT}) {
      Canvas kept(kWidth, kHeight, RGB(255, 255, 255), topDown), direct(kWidth, kHeight, RGB(255, 255, 255), topDown);
      Canvas single(kWidth, kHeight, RGB(255, 255, 255), topDown);
      for (int round = 0; round < 3; ++round) {  // the pictures are made at the second sighting
        for (Canvas* canvas : {&kept, &direct, &single}) {
          canvas->Fill(RGB(255, 255, 255));
          PaintStripes(canvas);
          SelectObject(canvas->dc(), font);
          SetBkMode(canvas->dc(), mode);
          SetBkColor(canvas->dc(), RGB(212, 208, 200));
          SetTextColor(canvas->dc(), RGB(0, 0, 0));
          SelectClipRgn(canvas->dc(), nullptr);
          IntersectClipRect(canvas->dc(), 0, 0, 230, kHeight);  // cuts the third label
        }
        DrawKeptTexts(kept.dc(), places, static_cast<int>(std::size(places)), flags);
        for (const KeptTextPlace& place : places) {
          RECT box = place.rect;
          DrawTextW(direct.dc(), place.text->c_str(), static_cast<int>(place.text->size()), &box, flags);
          DrawKeptText(single.dc(), *place.text, place.rect, flags);
        }
        EXPECT_EQ(Row(kept.CountDifferences(direct, kept.Whole()), single.CountDifferences(direct, kept.Whole())),
                  Row(0, 0))
            << (topDown ? "top-down" : "bottom-up") << " mode " << mode << " round " << round;
      }
      for (Canvas* canvas : {&kept, &direct, &single}) SelectObject(canvas->dc(), GetStockObject(SYSTEM_FONT));
    }
  }
  FreeLabelImages();
  DeleteObject(font);
}

}  // namespace
