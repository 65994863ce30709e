// A second, deliberately plain rendering of the ball's motion and of the frame painting, written
// without looking at the production code. Every arithmetic step is spelled out on its own line
// with explicit casts, so that a reviewer can check each rounding against the documented rules.
// It shares no code with src/animation: only its own types and constants.
#pragma once

#include <cstdint>

namespace ref {

constexpr int Columns = 60;
constexpr int Rows = 40;
constexpr int Cells = Columns * Rows;

constexpr unsigned char Full = 219;
constexpr unsigned char Shade = 177;
constexpr unsigned char Cross = 197;
constexpr unsigned char Horizontal = 196;
constexpr unsigned char Vertical = 179;

constexpr std::uint16_t Gray = 0x77;
constexpr std::uint16_t White = 0xFF;
constexpr std::uint16_t Red = 0xCC;
constexpr std::uint16_t DarkRed = 0x44;
constexpr std::uint16_t Grid = 0x75;

struct Ball {
    float x;
    float y;
    float radius;
    float vx;
    float vy;
    int movingRight;
    std::uint32_t prevMs;
    float litRadiusSq;
};

struct Step {
    bool floorBounce;
    int phase;
};

struct Cell {
    unsigned char glyph;
    std::uint16_t attr;
};

// The starting state, lit disc included.
Ball RefStart();

// The lit disc's squared radius for a given ball radius.
float RefLitRadiusSq(float radius);

// One frame of motion for the clock reading nowMs.
Step RefAdvance(Ball& ball, std::uint32_t nowMs);

float RefDistSq(float ax, float ay, float bx, float by);
bool RefInCircle(float px, float py, float cx, float cy, float r);

// Paints all cells, row-major (cell (i, j) at j * Columns + i).
void RefPaint(const Ball& ball, int phase, Cell* cells);

// The checker colour the painter's running toggle holds when it reaches cell (i, j).
bool RefCheckerWhite(int i, int j, int phase);

} // namespace ref
