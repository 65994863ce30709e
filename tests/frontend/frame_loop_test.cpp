// The frame loop: one whole-grid write per new clock reading, the bounce sound on every reported
// floor bounce, and frames identical to a replay of the same readings.
#include "program_run.h"

#include "animation/raster.h"
#include "animation/scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using record::Call;
using record::state;

namespace {

class FrameLoop : public ::testing::Test {
  protected:
    void SetUp() override { record::Reset(); }
    void TearDown() override { record::Reset(); }

    // Runs the program with a 10 MHz counter that advances stepTicks per read, for reads reads,
    // noting the clock reading behind every counter read.
    static void Run(int64_t stepTicks, int64_t reads) {
        state.counterStep = stepTicks;
        state.counterReadsLeft = reads;
        state.keepWrites = true;
        ASSERT_TRUE(RunProgram().stopped);
    }

    // The readings the loop saw: the counter's value at each read after StartClock's, in ms.
    static std::vector<uint32_t> Readings(int64_t stepTicks, int64_t reads) {
        std::vector<uint32_t> readings;
        for (int64_t k = 1; k < reads; ++k) {
            readings.push_back(static_cast<uint32_t>(k * stepTicks / 10'000));
        }
        return readings;
    }

    static std::vector<uint32_t> Distinct(const std::vector<uint32_t>& readings) {
        std::vector<uint32_t> distinct;
        for (uint32_t r : readings) {
            if (distinct.empty() || distinct.back() != r) {
                distinct.push_back(r);
            }
        }
        return distinct;
    }

    // Checks every kept write against a replay of the readings.
    static void ExpectFramesReplay(const std::vector<uint32_t>& readings) {
        ASSERT_EQ(state.keptWrites.size(), readings.size());
        Scene scene;
        InitScene(scene);
        CHAR_INFO expected[CellCount] = {};
        for (size_t k = 0; k < readings.size(); ++k) {
            const MotionResult motion = AdvanceScene(scene, readings[k]);
            PaintFrame(scene, motion.phase, expected);
            for (int c = 0; c < CellCount; ++c) {
                const CHAR_INFO& got = state.keptWrites[k].cells[static_cast<size_t>(c)];
                ASSERT_EQ(got.Char.AsciiChar, expected[c].Char.AsciiChar) << "frame " << k;
                ASSERT_EQ(got.Attributes, expected[c].Attributes) << "frame " << k;
            }
        }
    }
};

TEST_F(FrameLoop, WritesTheWhole60By40GridOncePerFrameIntoTheSameWindow) {
    Run(30'000, 20);
    ASSERT_EQ(state.keptWrites.size(), 19u);
    for (const record::ConsoleWrite& write : state.keptWrites) {
        EXPECT_EQ(write.bufferSize.X, 60);
        EXPECT_EQ(write.bufferSize.Y, 40);
        EXPECT_EQ(write.bufferCoord.X, 0);
        EXPECT_EQ(write.bufferCoord.Y, 0);
        EXPECT_EQ(write.region, state.keptWrites[0].region); // the record is passed back
        EXPECT_EQ(write.regionIn.Left, 0);
        EXPECT_EQ(write.regionIn.Top, 0);
        EXPECT_EQ(write.regionIn.Right, 59);
        EXPECT_EQ(write.regionIn.Bottom, 39);
    }
}

TEST_F(FrameLoop, SubMillisecondPassesMakeOneFramePerReading) {
    const int64_t step = 400; // 40 us per pass
    const int64_t reads = 100'000;
    Run(step, reads);
    const std::vector<uint32_t> distinct = Distinct(Readings(step, reads));
    ASSERT_EQ(distinct.size(), 4000u);
    ExpectFramesReplay(distinct);
}

TEST_F(FrameLoop, PassesMillisecondsApartAreAllFrames) {
    const int64_t step = 30'000; // 3 ms per pass
    const int64_t reads = 3'000;
    Run(step, reads);
    const std::vector<uint32_t> readings = Readings(step, reads);
    ASSERT_EQ(Distinct(readings).size(), readings.size());
    ExpectFramesReplay(readings);
}

TEST_F(FrameLoop, PlaysTheBounceOnEveryReportedFloorBounceBeforePainting) {
    // 80 ms frames: the ball settles and then reports a bounce on every frame.
    const int64_t step = 800'000;
    const int64_t reads = 400;
    state.logLoopCalls = true;
    Run(step, reads);
    Scene scene;
    InitScene(scene);
    size_t bounces = 0;
    for (uint32_t reading : Readings(step, reads)) {
        bounces += AdvanceScene(scene, reading).floorBounce;
    }
    EXPECT_GT(bounces, 150u);
    EXPECT_EQ(state.plays, bounces);
    // Each play comes between the frame's clock read and its write.
    for (size_t k = 1; k < state.log.size(); ++k) {
        if (state.log[k] == Call::waveOutWrite) {
            EXPECT_EQ(state.log[k - 1], Call::QueryPerformanceCounter);
            ASSERT_LT(k + 1, state.log.size());
            EXPECT_EQ(state.log[k + 1], Call::WriteConsoleOutputA);
        }
    }
}

TEST_F(FrameLoop, ResubmitsTheSamePreparedHeaderEveryTime) {
    Run(800'000, 400);
    const WAVEHDR* prepared = state.waveCalls[0].header;
    size_t writes = 0;
    for (const record::WaveCall& call : state.waveCalls) {
        if (call.call == Call::waveOutWrite) {
            ++writes;
            EXPECT_EQ(call.header, prepared);
            EXPECT_EQ(call.headerSize, sizeof(WAVEHDR));
        }
    }
    EXPECT_EQ(writes, state.plays);
}

} // namespace
