#include "frontend/main.h"

#include "animation/raster.h"
#include "animation/scene.h"
#include "frontend/clock.h"
#include "frontend/console.h"
#include "sound/bounce_sound.h"

namespace {

Scene scene;
bool framed;       // a frame has been shown
uint32_t framedMs; // the clock reading of the last frame shown

} // namespace

void ReleaseAll() {
    ReleaseSound();
    ReleaseConsole();
}

void RunFramePass() {
    const uint32_t nowMs = ClockMs();
    // Many passes can fall within one millisecond; advancing on each would run the floor test
    // again with nothing moved and flip the ball's direction back and forth while it touches the
    // floor. So the picture moves at most once per reading.
    if (framed && nowMs == framedMs) {
        return;
    }
    framed = true;
    framedMs = nowMs;
    const MotionResult motion = AdvanceScene(scene, nowMs);
    if (motion.floorBounce) {
        PlayBounce();
    }
    PaintFrame(scene, motion.phase, cellGrid);
    PresentFrame(cellGrid);
}

int ZorvendaleMain() {
    InitScene(scene);
    framed = false;
    if (!StartConsole() || !StartSound()) {
        ReleaseAll();
        return 1;
    }
    StartClock();
    for (;;) {
        RunFramePass();
    }
}
