// How long one frame of motion and one frame of painting take.
#include "animation/raster.h"
#include "animation/scene.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AdvanceScene(benchmark::State& state) {
    Scene scene;
    InitScene(scene);
    uint32_t nowMs = 0;
    for (auto _ : state) {
        nowMs += 17;
        benchmark::DoNotOptimize(AdvanceScene(scene, nowMs));
        if (scene.y > 60.0f) { // keep the ball in the picture's range
            InitScene(scene);
            scene.prevMs = nowMs;
        }
    }
}
BENCHMARK(BM_AdvanceScene);

void BM_PaintFrame(benchmark::State& state) {
    Scene scene;
    InitScene(scene);
    CHAR_INFO grid[CellCount] = {};
    uint32_t nowMs = 0;
    for (auto _ : state) {
        nowMs += 17;
        const MotionResult motion = AdvanceScene(scene, nowMs);
        PaintFrame(scene, motion.phase, grid);
        benchmark::DoNotOptimize(grid);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintFrame);

} // namespace

BENCHMARK_MAIN();
