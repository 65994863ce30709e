#include "frame_png.h"

#include <png.h>

#include <cstring>

#include "picture/cell_picture.h"

namespace {

// Each palette entry as libpng's colour-map expects it: three bytes, red first.
void FillColourMap(png_byte* map) {
    for (int k = 0; k < PaletteSize; ++k) {
        map[3 * k] = ConsolePalette[k].r;
        map[3 * k + 1] = ConsolePalette[k].g;
        map[3 * k + 2] = ConsolePalette[k].b;
    }
}

} // namespace

bool WriteFramePng(const CHAR_INFO* grid, const std::string& path) {
    const std::vector<uint8_t> pixels = RenderFrame(grid);
    png_byte colourMap[3 * PaletteSize];
    FillColourMap(colourMap);

    // The simplified interface reports errors through its result rather than by longjmp, which
    // would skip the destructors here.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = PictureWidth;
    image.height = PictureHeight;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = PaletteSize;
    const int written =
        png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), PictureWidth, colourMap);
    png_image_free(&image);
    return written != 0;
}
