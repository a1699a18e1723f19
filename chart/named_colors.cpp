#include "chart/named_colors.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

}  // namespace

const NamedColor gNamedColors[kNamedColorCount] = {
    {"Black", Rgb(0, 0, 0)},           {"Gray", Rgb(128, 128, 128)},  {"DarkGray", Rgb(169, 169, 169)},
    {"LightGrey", Rgb(211, 211, 211)}, {"White", Rgb(255, 255, 255)}, {"Maroon", Rgb(128, 0, 0)},
    {"Red", Rgb(255, 0, 0)},           {"Olive", Rgb(128, 128, 0)},   {"Yellow", Rgb(255, 255, 0)},
    {"Lime", Rgb(0, 255, 0)},          {"Green", Rgb(0, 128, 0)},     {"Teal", Rgb(0, 128, 128)},
    {"Cyan", Rgb(0, 255, 255)},        {"Blue", Rgb(0, 0, 255)},      {"Purple", Rgb(128, 0, 128)},
    {"Magenta", Rgb(255, 0, 255)},
};

int FindBlackColorIndex(const NamedColor* colors, int count) {
  for (int i = 0; i < count; ++i)
    for (const char* spelling : {"black", "Black", "BLACK"})
      if (strcmp(colors[i].name, spelling) == 0) return i;
  return 0;
}
