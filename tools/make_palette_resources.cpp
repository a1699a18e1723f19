// Writes the built-in palettes' resource images (resources/palette_<id>.pal)
// from the program's tables; a native test holds the committed files to them.
//   make_palette_resources RESOURCES_FOLDER
#include <cstdio>
#include <string>

#include "chart/palette.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_palette_resources RESOURCES_FOLDER\n");
    return 2;
  }
  for (int index = 0; index < kBuiltinPaletteCount; ++index) {
    const std::string path =
        std::string(argv[1]) + "/palette_" + std::to_string(kBuiltinPaletteResourceIds[index]) + ".pal";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr ||
        std::fwrite(GetBuiltinPaletteTable(index), 1, kPaletteImageSize, file) != kPaletteImageSize) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      if (file != nullptr) std::fclose(file);
      return 1;
    }
    std::fclose(file);
  }
  return 0;
}
