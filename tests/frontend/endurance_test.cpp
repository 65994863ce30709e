// Two simulated days of the real frame loop with irregular frame times and stalls: every frame
// is the picture of the true elapsed time, and only the picture's eight cell kinds ever appear.
#include "program_run.h"

#include "animation/raster.h"
#include "animation/scene.h"

#include <gtest/gtest.h>

#include <random>

using record::state;

namespace {

constexpr int64_t TicksPerMs = 10'000;
constexpr int64_t SimulatedMs = 48LL * 3600 * 1000;

bool IsPictureCell(const CHAR_INFO& cell) {
    const auto glyph = static_cast<unsigned char>(cell.Char.AsciiChar);
    if (glyph == GlyphFull) {
        return cell.Attributes == AttrGray || cell.Attributes == AttrWhite ||
               cell.Attributes == AttrRed || cell.Attributes == AttrDarkRed;
    }
    return (glyph == GlyphShade || glyph == GlyphCross || glyph == GlyphHorizontal ||
            glyph == GlyphVertical) &&
           cell.Attributes == AttrGrid;
}

TEST(Endurance, TwoSimulatedDaysOfIrregularFramesStayTrueToTheClock) {
    record::Reset();
    std::mt19937_64 random(2026);
    const int64_t base = 0xFFFF0000LL; // the counter's low half wraps soon after the start
    int64_t counter = base;
    bool started = false;
    state.logLoopCalls = false;
    state.nextCounter = [&] {
        if (started) {
            // Mostly 0 to 50 ms between passes; one pass in eight stalls for 2 to 60 s, which
            // brings two days within reach of a test run.
            const bool stall = random() % 8 == 0;
            counter += stall ? static_cast<int64_t>(2000 + random() % 58'000) * TicksPerMs
                             : static_cast<int64_t>(random() % (50 * TicksPerMs + 1));
        }
        started = true;
        return counter;
    };

    Scene scene;
    InitScene(scene);
    CHAR_INFO expected[CellCount] = {};
    uint32_t lastMs = 0;
    int64_t frames = 0;
    int64_t mismatches = 0;
    state.onWrite = [&](const record::ConsoleWrite& write) {
        const auto nowMs = static_cast<uint32_t>((counter - base) / TicksPerMs);
        EXPECT_TRUE(frames == 0 || nowMs != lastMs) << "a second frame for one reading";
        lastMs = nowMs;
        ++frames;
        const MotionResult motion = AdvanceScene(scene, nowMs);
        PaintFrame(scene, motion.phase, expected);
        for (int c = 0; c < CellCount; ++c) {
            const CHAR_INFO& got = write.cells[static_cast<size_t>(c)];
            mismatches += !IsPictureCell(got) || got.Attributes != expected[c].Attributes ||
                          got.Char.AsciiChar != expected[c].Char.AsciiChar;
        }
        if (counter - base >= SimulatedMs * TicksPerMs) {
            throw record::Stop{};
        }
    };

    ASSERT_TRUE(RunProgram().stopped);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(frames, 40'000);
    EXPECT_GE(lastMs, SimulatedMs);
    record::Reset();
}

} // namespace
