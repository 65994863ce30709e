// Paints the frame's 60 by 40 console cells from the scene: ball, shadow and gridded background.
// Platform-free and without I/O.
#pragma once

#include "animation/scene.h"
#include "platform/win_types.h"

constexpr int CellCount = ScreenColumns * ScreenRows;

// Code page 437 character codes.
constexpr unsigned char GlyphFull = 0xDB;
constexpr unsigned char GlyphShade = 0xB1;
constexpr unsigned char GlyphCross = 0xC5;
constexpr unsigned char GlyphHorizontal = 0xC4;
constexpr unsigned char GlyphVertical = 0xB3;

constexpr WORD AttrGray = BACKGROUND_RED | BACKGROUND_GREEN | BACKGROUND_BLUE | FOREGROUND_RED |
                          FOREGROUND_GREEN | FOREGROUND_BLUE;
constexpr WORD AttrWhite = 0xFF;
constexpr WORD AttrRed =
    BACKGROUND_RED | BACKGROUND_INTENSITY | FOREGROUND_RED | FOREGROUND_INTENSITY;
constexpr WORD AttrDarkRed = BACKGROUND_RED | FOREGROUND_RED;
constexpr WORD AttrGrid =
    BACKGROUND_RED | BACKGROUND_GREEN | BACKGROUND_BLUE | FOREGROUND_RED | FOREGROUND_BLUE;

constexpr int CheckerPeriod = 4;
constexpr int CheckerTilt = 10;
constexpr double HighlightShift = 0.25;
constexpr double ShadowShiftX = 4.0;
constexpr double ShadowShiftY = 1.0;
constexpr int GridSpacing = 4;

// Squared distance from (ax, ay) to (bx, by), every step rounded to float.
float DistSq(float ax, float ay, float bx, float by);

// True when the point lies strictly inside the circle of radius r about (cx, cy).
bool InCircle(float px, float py, float cx, float cy, float r);

// Writes the character and attribute of all CellCount cells of grid (row-major, cell (i, j) at
// j * ScreenColumns + i). Never writes the upper byte of a cell's character union.
void PaintFrame(const Scene& scene, int phase, CHAR_INFO* grid);
