#include "picture/cell_picture.h"

#include <cstddef>

const Rgb ConsolePalette[PaletteSize] = {
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0x80}, {0x00, 0x80, 0x00}, {0x00, 0x80, 0x80},
    {0x80, 0x00, 0x00}, {0x80, 0x00, 0x80}, {0x80, 0x80, 0x00}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0xFF},
    {0xFF, 0x00, 0x00}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0xFF, 0xFF},
};

namespace {

bool GlyphInks(unsigned char glyph, int px, int py) {
    switch (glyph) {
    case GlyphFull:
        return true;
    case GlyphShade:
        // Cells have even sides, so the dither continues seamlessly from cell to cell.
        return (px + py) % 2 == 0;
    case GlyphHorizontal:
        return py == LineRowPx;
    case GlyphVertical:
        return px == LineColumnPx;
    case GlyphCross:
        return py == LineRowPx || px == LineColumnPx;
    default:
        return false;
    }
}

} // namespace

uint8_t CellPixel(unsigned char glyph, WORD attr, int px, int py) {
    const unsigned colour = GlyphInks(glyph, px, py) ? attr : attr >> 4u;
    return static_cast<uint8_t>(colour & 0x0Fu);
}

std::vector<uint8_t> RenderFrame(const CHAR_INFO* grid) {
    std::vector<uint8_t> pixels(static_cast<std::size_t>(PictureWidth) * PictureHeight);
    for (int y = 0; y < PictureHeight; ++y) {
        for (int x = 0; x < PictureWidth; ++x) {
            const CHAR_INFO& cell = grid[(y / CellHeightPx) * ScreenColumns + x / CellWidthPx];
            pixels[static_cast<std::size_t>(y) * PictureWidth + static_cast<std::size_t>(x)] =
                CellPixel(static_cast<unsigned char>(cell.Char.AsciiChar), cell.Attributes,
                          x % CellWidthPx, y % CellHeightPx);
        }
    }
    return pixels;
}

void DrawCellRgba(const CHAR_INFO& cell, int column, int row, uint8_t* frame) {
    const auto glyph = static_cast<unsigned char>(cell.Char.AsciiChar);
    for (int py = 0; py < CellHeightPx; ++py) {
        const std::size_t line = static_cast<std::size_t>(row * CellHeightPx + py) * PictureWidth;
        uint8_t* pixel =
            frame + (line + static_cast<std::size_t>(column * CellWidthPx)) * RgbaBytes;
        for (int px = 0; px < CellWidthPx; ++px, pixel += RgbaBytes) {
            const Rgb& colour = ConsolePalette[CellPixel(glyph, cell.Attributes, px, py)];
            pixel[0] = colour.r;
            pixel[1] = colour.g;
            pixel[2] = colour.b;
            pixel[3] = 0xFF;
        }
    }
}
