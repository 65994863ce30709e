// Turns a frame's console cells into pixels the way a console with an 8 by 16 font shows them: the
// browser page's canvas, and the replay tool's pictures. Only the glyphs the animation uses are
// drawn; every other character, letters included, shows as its cell's background colour.
#pragma once

#include <cstdint>
#include <vector>

#include "animation/raster.h"

constexpr int CellWidthPx = 8;
constexpr int CellHeightPx = 16;
constexpr int PictureWidth = ScreenColumns * CellWidthPx;
constexpr int PictureHeight = ScreenRows * CellHeightPx;
constexpr int PaletteSize = 16;

// Box-drawing strokes are one pixel wide. A cell has an even number of pixel rows and columns, so
// there is no true middle; the strokes take the lower and the right of the two middle pixels.
constexpr int LineRowPx = CellHeightPx / 2;
constexpr int LineColumnPx = CellWidthPx / 2;

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

// The console's sixteen colours, in the order of the attribute's colour indices.
extern const Rgb ConsolePalette[PaletteSize];

// Palette index of pixel (px, py), counted from the cell's top-left corner, of a cell holding
// the character glyph with the colour attribute attr.
uint8_t CellPixel(unsigned char glyph, WORD attr, int px, int py);

// Palette indices of the whole frame, PictureWidth by PictureHeight, row-major.
std::vector<uint8_t> RenderFrame(const CHAR_INFO* grid);

constexpr int RgbaBytes = 4;

// Draws cell (column, row) into a whole frame of PictureWidth by PictureHeight RGBA pixels, opaque,
// so that a frame can be brought up to date one changed cell at a time.
void DrawCellRgba(const CHAR_INFO& cell, int column, int row, uint8_t* frame);
