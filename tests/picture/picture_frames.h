// Small hand-made frames and helpers shared by the picture tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "picture/cell_picture.h"

using Grid = std::vector<CHAR_INFO>;

// Every cell a plain light gray block, as the background is between grid lines.
inline Grid PlainGrid() {
    CHAR_INFO plain{};
    plain.Char.AsciiChar = static_cast<CHAR>(GlyphFull);
    plain.Attributes = AttrGray;
    return Grid(CellCount, plain);
}

inline void SetCell(Grid& grid, int i, int j, unsigned char glyph, WORD attr) {
    CHAR_INFO& cell = grid[static_cast<std::size_t>(j * ScreenColumns + i)];
    cell.Char.AsciiChar = static_cast<CHAR>(glyph);
    cell.Attributes = attr;
}

// A distinct frame for each column: one red cell on the plain background.
inline Grid RedCellAt(int i) {
    Grid grid = PlainGrid();
    SetCell(grid, i, 10, GlyphFull, AttrRed);
    return grid;
}

inline uint8_t PixelAt(const std::vector<uint8_t>& pixels, int x, int y) {
    return pixels[static_cast<std::size_t>(y * PictureWidth + x)];
}

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "zorvendale-picture-" + name;
}

constexpr Rgb Gray{0xC0, 0xC0, 0xC0};
constexpr Rgb Magenta{0x80, 0x00, 0x80};

inline bool operator==(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
