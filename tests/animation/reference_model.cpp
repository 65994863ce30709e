#include "reference_model.h"

namespace ref {

namespace {

constexpr double StepUnitMs = 80.0;
constexpr float GravityPerStep = 0.2f;
constexpr std::uint32_t MsPerPhase = 100;
constexpr double RightWall = 60.0;
constexpr double FloorLimit = 40.0;
// (40 - 34) / 2 in integer arithmetic.
constexpr double FloorOffset = 3.0;

// A remainder test that does not care how the language signs remainders of negative numbers.
bool MultipleOfFour(int n) {
    int r = n % 4;
    return r == 0;
}

} // namespace

float RefLitRadiusSq(float radius) {
    double r = static_cast<double>(radius);
    double value = r * r - 1.0;
    return static_cast<float>(value);
}

Ball RefStart() {
    Ball ball{};
    ball.x = 10.0f;
    ball.y = 10.0f;
    ball.radius = 8.0f;
    ball.vx = 1.0f;
    ball.vy = 1.0f;
    ball.movingRight = 1;
    ball.prevMs = 0;
    ball.litRadiusSq = RefLitRadiusSq(ball.radius);
    return ball;
}

Step RefAdvance(Ball& ball, std::uint32_t nowMs) {
    Step result{};

    // Base phase, from the previous reading.
    std::uint32_t p = (ball.prevMs / MsPerPhase) % 4u;

    // Elapsed milliseconds, wrapping modulo 2^32, then to float.
    std::uint32_t elapsed = nowMs - ball.prevMs;
    float e = static_cast<float>(elapsed);

    // Step in 80 ms units.
    double stepExact = static_cast<double>(e) / StepUnitMs;
    float s = static_cast<float>(stepExact);

    // Position with the velocities from the start of the frame.
    double oldVx = static_cast<double>(ball.vx);
    double oldVy = static_cast<double>(ball.vy);
    double newX = static_cast<double>(ball.x) + oldVx * static_cast<double>(s);
    double newY = static_cast<double>(ball.y) + oldVy * static_cast<double>(s);
    ball.x = static_cast<float>(newX);
    ball.y = static_cast<float>(newY);

    double x = static_cast<double>(ball.x);
    double y = static_cast<double>(ball.y);
    double r = static_cast<double>(ball.radius);

    // Walls.
    bool leftHit = (x - r) < 0.0;
    bool rightHit = (x + r) >= RightWall;
    if (leftHit || rightHit) {
        ball.vx = -ball.vx;
        if (ball.movingRight != 0) {
            ball.movingRight = 0;
        } else {
            ball.movingRight = 1;
        }
    }

    // Floor.
    double lowerEdge = (r + y) + FloorOffset;
    if (lowerEdge >= FloorLimit) {
        ball.vy = -ball.vy;
        result.floorBounce = true;
    }

    // Clamp against the wall crossed.
    if (r > x) {
        ball.x = ball.radius;
    } else if (x + r >= RightWall) {
        double against = RightWall - r;
        ball.x = static_cast<float>(against);
    }

    // Signed phase.
    int magnitude = static_cast<int>(p);
    if (ball.movingRight != 0) {
        result.phase = magnitude;
    } else {
        result.phase = -magnitude;
    }

    // Gravity, after the floor's sign change.
    double pull = static_cast<double>(s) * static_cast<double>(GravityPerStep);
    double newVy = static_cast<double>(ball.vy) + pull;
    ball.vy = static_cast<float>(newVy);

    // Stall reset.
    if (ball.vy == 0.0f) {
        ball.y = ball.radius;
    }

    ball.prevMs = nowMs;
    return result;
}

float RefDistSq(float ax, float ay, float bx, float by) {
    float dx = static_cast<float>(static_cast<double>(bx) - static_cast<double>(ax));
    float dy = static_cast<float>(static_cast<double>(by) - static_cast<double>(ay));
    float dx2 = static_cast<float>(static_cast<double>(dx) * static_cast<double>(dx));
    float dy2 = static_cast<float>(static_cast<double>(dy) * static_cast<double>(dy));
    float sum = static_cast<float>(static_cast<double>(dx2) + static_cast<double>(dy2));
    return sum;
}

bool RefInCircle(float px, float py, float cx, float cy, float r) {
    float rr = static_cast<float>(static_cast<double>(r) * static_cast<double>(r));
    float d = RefDistSq(px, py, cx, cy);
    return rr > d;
}

namespace {

Cell Background(int i, int j) {
    const int spacing = 4;
    int rowSpacing = spacing;
    if (j > 34) {
        rowSpacing = spacing / 4;
    }
    if (i <= 0 || j <= 0 || i >= 59 || j >= 39) {
        return Cell{Full, Gray};
    }
    int a = i % spacing;
    int b = j % rowSpacing;
    if (a != 0 && b != 0) {
        return Cell{Full, Gray};
    }
    if (a == b) {
        return Cell{Cross, Grid};
    }
    if (a != 0) {
        return Cell{Horizontal, Grid};
    }
    return Cell{Vertical, Grid};
}

} // namespace

void RefPaint(const Ball& ball, int phase, Cell* cells) {
    double r = static_cast<double>(ball.radius);
    float litX = static_cast<float>(static_cast<double>(ball.x) - r * 0.25);
    float litY = static_cast<float>(static_cast<double>(ball.y) - r * 0.25);
    float shadowX = static_cast<float>(static_cast<double>(ball.x) + 4.0);
    float shadowY = static_cast<float>(static_cast<double>(ball.y) - 1.0);

    bool white = false;
    for (int i = 0; i < Columns; ++i) {
        if (MultipleOfFour(i + phase)) {
            white = !white;
        }
        for (int j = 0; j < Rows; ++j) {
            if (MultipleOfFour(j + phase - i / 10)) {
                white = !white;
            }
            float px = static_cast<float>(i);
            float py = static_cast<float>(j);
            Cell cell{};
            if (RefInCircle(px, py, ball.x, ball.y, ball.radius)) {
                float d = RefDistSq(px, py, litX, litY);
                bool lit = ball.litRadiusSq > d;
                cell.glyph = Full;
                if (white) {
                    cell.attr = lit ? White : Gray;
                } else {
                    cell.attr = lit ? Red : DarkRed;
                }
            } else if (RefInCircle(px, py, shadowX, shadowY, ball.radius)) {
                cell.glyph = Shade;
                cell.attr = Grid;
            } else {
                cell = Background(i, j);
            }
            cells[j * Columns + i] = cell;
        }
    }
}

bool RefCheckerWhite(int column, int row, int phase) {
    bool white = false;
    for (int i = 0; i <= column; ++i) {
        if (MultipleOfFour(i + phase)) {
            white = !white;
        }
        int lastRow = (i == column) ? row : Rows - 1;
        for (int j = 0; j <= lastRow; ++j) {
            if (MultipleOfFour(j + phase - i / 10)) {
                white = !white;
            }
        }
    }
    return white;
}

} // namespace ref
