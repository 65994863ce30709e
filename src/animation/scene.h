// The animated world: the ball, its velocity and the frame timing, advanced once per frame from
// the millisecond clock. Platform-free and without I/O.
#pragma once

#include <cstdint>

constexpr int ScreenColumns = 60;
constexpr int ScreenRows = 40;
constexpr int FloorRow = 34;
constexpr double StepMs = 80.0;
constexpr float Gravity = 0.2f;
constexpr uint32_t PhaseMs = 100;

struct Scene {
    float x;
    float y;
    float radius;
    float vx;
    float vy;
    int movingRight;
    uint32_t prevMs;
    float litRadiusSq;
};

struct MotionResult {
    bool floorBounce;
    int phase; // -3..3; its sign follows movingRight
};

// Gives the scene its starting values. The main routine and the replay tool call it once, before
// the first AdvanceScene.
void InitScene(Scene& scene);

// Moves the ball by the time since the previous reading, bounces it off the walls and the floor,
// applies gravity and reports the frame's spin phase. Called once per frame with the clock
// reading taken at the top of the frame.
MotionResult AdvanceScene(Scene& scene, uint32_t nowMs);
