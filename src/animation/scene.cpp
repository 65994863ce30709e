#include "animation/scene.h"

// Every expression is evaluated in double and rounded to float only where a float is stored: the
// last bits of the motion depend on it.

namespace {

constexpr double FloorOffset = (ScreenRows - FloorRow) / 2;

double D(float v) {
    return static_cast<double>(v);
}

bool TouchesLeftWall(const Scene& s) {
    return D(s.x) - D(s.radius) < 0.0;
}

bool TouchesRightWall(const Scene& s) {
    return D(s.x) + D(s.radius) >= ScreenColumns;
}

bool TouchesFloor(const Scene& s) {
    return (D(s.radius) + D(s.y)) + FloorOffset >= ScreenRows;
}

} // namespace

void InitScene(Scene& scene) {
    scene.x = 10.0f;
    scene.y = 10.0f;
    scene.radius = 8.0f;
    scene.vx = 1.0f;
    scene.vy = 1.0f;
    scene.movingRight = 1;
    scene.prevMs = 0;
    scene.litRadiusSq = static_cast<float>(D(scene.radius) * D(scene.radius) - 1.0);
}

MotionResult AdvanceScene(Scene& s, uint32_t nowMs) {
    MotionResult result{false, 0};
    const int basePhase = static_cast<int>((s.prevMs / PhaseMs) % 4);
    const float elapsed = static_cast<float>(static_cast<uint32_t>(nowMs - s.prevMs));
    const float step = static_cast<float>(D(elapsed) / StepMs);

    s.x = static_cast<float>(D(s.x) + D(s.vx) * D(step));
    s.y = static_cast<float>(D(s.y) + D(s.vy) * D(step));

    if (TouchesLeftWall(s) || TouchesRightWall(s)) {
        s.vx = -s.vx;
        s.movingRight = !s.movingRight;
    }
    if (TouchesFloor(s)) {
        s.vy = -s.vy;
        result.floorBounce = true;
    }
    if (D(s.radius) > D(s.x)) {
        s.x = s.radius;
    } else if (TouchesRightWall(s)) {
        s.x = static_cast<float>(ScreenColumns - D(s.radius));
    }
    result.phase = s.movingRight ? basePhase : -basePhase;

    s.vy = static_cast<float>(D(s.vy) + D(step) * D(Gravity));
    if (s.vy == 0.0f) {
        s.y = s.radius; // a stalled ball restarts from the top of the screen
    }
    s.prevMs = nowMs;
    return result;
}
