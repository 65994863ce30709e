#include <cstddef>

#include "animation/raster.h"
#include "animation/scene.h"
#include "picture_frames.h"

namespace {

// Attribute with distinct foreground (yellow) and background (blue) so every pixel tells which.
constexpr WORD Fg = 14;
constexpr WORD Bg = 1;
constexpr WORD TwoColours = Bg << 4 | Fg;

int CountForeground(unsigned char glyph) {
    int count = 0;
    for (int py = 0; py < CellHeightPx; ++py) {
        for (int px = 0; px < CellWidthPx; ++px) {
            count += CellPixel(glyph, TwoColours, px, py) == Fg ? 1 : 0;
        }
    }
    return count;
}

TEST(PictureCells, AttributeColoursComeFromTheConsolePalette) {
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphFull, AttrGray, 0, 0)], Gray);
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphFull, AttrRed, 3, 3)], (Rgb{0xFF, 0x00, 0x00}));
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphFull, AttrDarkRed, 3, 3)], (Rgb{0x80, 0x00, 0x00}));
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphFull, AttrWhite, 7, 15)], (Rgb{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphHorizontal, AttrGrid, 0, LineRowPx)], Magenta);
    EXPECT_EQ(ConsolePalette[CellPixel(GlyphHorizontal, AttrGrid, 0, 0)], Gray);
}

TEST(PictureCells, FullBlockFillsTheCellWithTheForeground) {
    EXPECT_EQ(CountForeground(GlyphFull), CellWidthPx * CellHeightPx);
}

TEST(PictureCells, ShadeIsAnEvenCheckerboardOfForegroundAndBackground) {
    EXPECT_EQ(CountForeground(GlyphShade), CellWidthPx * CellHeightPx / 2);
    for (int py = 0; py < CellHeightPx; ++py) {
        for (int px = 0; px + 1 < CellWidthPx; ++px) {
            EXPECT_NE(CellPixel(GlyphShade, TwoColours, px, py),
                      CellPixel(GlyphShade, TwoColours, px + 1, py));
        }
    }
    for (int py = 0; py + 1 < CellHeightPx; ++py) {
        EXPECT_NE(CellPixel(GlyphShade, TwoColours, 2, py),
                  CellPixel(GlyphShade, TwoColours, 2, py + 1));
    }
}

TEST(PictureCells, LineGlyphsAreOnePixelStrokesThroughTheMiddle) {
    EXPECT_EQ(LineRowPx, 8);
    EXPECT_EQ(LineColumnPx, 4);
    EXPECT_EQ(CountForeground(GlyphHorizontal), CellWidthPx);
    EXPECT_EQ(CountForeground(GlyphVertical), CellHeightPx);
    EXPECT_EQ(CountForeground(GlyphCross), CellWidthPx + CellHeightPx - 1);
    for (int px = 0; px < CellWidthPx; ++px) {
        EXPECT_EQ(CellPixel(GlyphHorizontal, TwoColours, px, 8), Fg);
        EXPECT_EQ(CellPixel(GlyphCross, TwoColours, px, 8), Fg);
    }
    for (int py = 0; py < CellHeightPx; ++py) {
        EXPECT_EQ(CellPixel(GlyphVertical, TwoColours, 4, py), Fg);
        EXPECT_EQ(CellPixel(GlyphCross, TwoColours, 4, py), Fg);
    }
}

TEST(PictureCells, OtherCharactersShowOnlyTheBackground) {
    const unsigned char others[] = {' ', 'A', 0x00, 0xB0};
    for (unsigned char glyph : others) {
        EXPECT_EQ(CountForeground(glyph), 0) << "character " << int{glyph};
    }
}

TEST(PictureFrame, CoversTheScreenAtEightBySixteenPixelsACell) {
    EXPECT_EQ(PictureWidth, 480);
    EXPECT_EQ(PictureHeight, 640);
    EXPECT_EQ(RenderFrame(PlainGrid().data()).size(), std::size_t{480 * 640});
}

TEST(PictureFrame, PutsCellIJAtColumnIAndRowJ) {
    Grid grid = PlainGrid();
    SetCell(grid, 1, 0, GlyphFull, AttrRed);
    SetCell(grid, 59, 39, GlyphFull, AttrWhite);
    const std::vector<uint8_t> pixels = RenderFrame(grid.data());
    EXPECT_EQ(PixelAt(pixels, 8, 0), 12);
    EXPECT_EQ(PixelAt(pixels, 15, 15), 12);
    EXPECT_EQ(PixelAt(pixels, 7, 0), 7);
    EXPECT_EQ(PixelAt(pixels, 16, 0), 7);
    EXPECT_EQ(PixelAt(pixels, 8, 16), 7);
    EXPECT_EQ(PixelAt(pixels, 472, 624), 15);
    EXPECT_EQ(PixelAt(pixels, 479, 639), 15);
    EXPECT_EQ(PixelAt(pixels, 471, 639), 7);
}

TEST(PictureFrame, ShadeDitherRunsOnAcrossNeighbouringCells) {
    Grid grid = PlainGrid();
    SetCell(grid, 3, 2, GlyphShade, AttrGrid);
    SetCell(grid, 4, 2, GlyphShade, AttrGrid);
    SetCell(grid, 3, 3, GlyphShade, AttrGrid);
    const std::vector<uint8_t> pixels = RenderFrame(grid.data());
    EXPECT_NE(PixelAt(pixels, 31, 40), PixelAt(pixels, 32, 40));
    EXPECT_NE(PixelAt(pixels, 30, 47), PixelAt(pixels, 30, 48));
}

TEST(PictureFrame, PaintedBackgroundShowsMagentaGridLinesOnGray) {
    Scene scene;
    InitScene(scene);
    Grid grid(CellCount);
    PaintFrame(scene, 0, grid.data());
    const std::vector<uint8_t> pixels = RenderFrame(grid.data());
    auto colour = [&](int x, int y) { return ConsolePalette[PixelAt(pixels, x, y)]; };
    // Cell (45, 4) lies on a horizontal grid line, far from the ball and its shadow.
    EXPECT_EQ(colour(45 * 8 + 2, 4 * 16 + 8), Magenta);
    EXPECT_EQ(colour(45 * 8 + 2, 4 * 16 + 7), Gray);
    EXPECT_EQ(colour(45 * 8 + 2, 4 * 16 + 9), Gray);
    // Cell (44, 5) is a vertical line; (45, 5) is plain.
    EXPECT_EQ(colour(44 * 8 + 4, 5 * 16 + 1), Magenta);
    EXPECT_EQ(colour(44 * 8 + 3, 5 * 16 + 1), Gray);
    EXPECT_EQ(colour(45 * 8 + 4, 5 * 16 + 8), Gray);
    // The border is plain although column 0 would be a grid line.
    EXPECT_EQ(colour(4, 4 * 16 + 8), Gray);
}

} // namespace
