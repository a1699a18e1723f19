#pragma once
// The colour slots of the chart palette (gPaletteColors), in the order the
// colour dialog lists them. A group of lines takes consecutive slots from
// its first one.

constexpr int kPaletteColorCount = 80;

enum PaletteSlot : int {
  kColorBackground = 0,
  kColorScale = 1,
  kColorRising = 2,  // candles
  kColorFalling = 3,
  kColorVolumeBars = 4,
  kColorNumberEven = 5,  // number texts: unchanged, and the pane labels
  kColorNumberUp = 6,
  kColorNumberDown = 7,
  kColorSelection = 8,
  kColorMeasureLine = 9,
  kColorTrendLine = 10,
  kColorMonitorLine = 11,
  kColorIchimokuBase = 12,
  kColorIchimokuConversion = 13,
  kColorIchimokuSpanA = 14,
  kColorIchimokuSpanB = 15,
  kColorIchimokuLagging = 16,
  kColorCloud = 17,
  kColorCloudAlone = 18,      // the cloud drawn without the Ichimoku lines
  kColorCloseAverage0 = 19,   // 19-24
  kColorVolumeAverage0 = 25,  // 25-26
  kColorRsi0 = 27,            // 27-29
  kColorRci0 = 30,            // 30-32
  kColorDeviation0 = 33,      // 33-35
  kColorStochD = 36,
  kColorStochSD = 37,
  kColorMacd = 38,
  kColorMacdSignal = 39,
  kColorPlusDi = 40,
  kColorMinusDi = 41,
  kColorAdx = 42,
  kColorSroc = 43,
  kColorPsychological0 = 44,  // 44-46
  kColorObv = 47,
  kColorObvEma = 48,
  kColorLongSellBackground = 49,  // signal strip rows and trade-mark columns
  kColorShortSellBackground = 50,
  kColorShortBuyBackground = 51,
  kColorLongBuyBackground = 52,
  kColorLongSellMark = 53,  // signal triangles and trade-mark lines
  kColorShortSellMark = 54,
  kColorShortBuyMark = 55,
  kColorLongBuyMark = 56,
  kColorForecastBackground = 57,
  kColorBollingerCentre = 58,
  kColorSigma1 = 59,  // the ±1σ bands
  kColorSigma2 = 60,
  kColorSigma3 = 61,
  kColorSarFalling = 62,
  kColorSarRising = 63,
  kColorVolumeRatio = 64,
  kColorAdvanceDecline = 65,
  kColorCloudInverted = 66,  // where span A is not above span B
  kColorCloudAloneInverted = 67,
  kColorScenarioShortHeld = 68,
  kColorScenarioLongHeld = 69,
  kColorLongExit = 70,
  kColorShortExit = 71,
  kColorLongLossCut = 72,
  kColorShortLossCut = 73,
  kColorSpare0 = 74,  // 74-79: no swatch, zero in the built-in palettes
};
