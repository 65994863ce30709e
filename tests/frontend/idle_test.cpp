// The terminal program's idling between millisecond readings, run against the real front end on a
// simulated machine: it keeps one frame per reading, never changes a reading the scene is advanced
// with, and leaves the loop at most a couple of passes per millisecond instead of spinning.
#include "program_run.h"

#include "animation/raster.h"
#include "animation/scene.h"
#include "platform/linux/pacer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

using record::state;

namespace {

constexpr int64_t TicksPerMs = PacerTicksPerMs;

// A machine whose passes cost time: a pass that made a frame costs frameTicks, any other pass
// emptyTicks; an idle ends wakeTicks late, or part-way through when a key or signal comes.
struct Machine {
    std::mt19937_64 random{9};
    int64_t now = 0x1'2345'6789LL; // any start; the clock counts from its first read
    int64_t base = -1;
    Pacer pacer{};
    bool framed = false; // a frame was presented since the last read
    int64_t reads = 0;
    int64_t idles = 0;
    int64_t idleTicks = 0;
    std::vector<uint32_t> frameReadings;
    std::function<int64_t(bool framed)> passTicks;
    std::function<int64_t(int64_t idle)> idleLength;

    int64_t Read() {
        if (reads++ > 0) {
            now += passTicks(framed);
        }
        framed = false;
        const int64_t idle = IdleBefore(pacer, now);
        if (idle > 0) {
            const int64_t slept = idleLength(idle);
            now += slept;
            idleTicks += slept;
            ++idles;
        }
        NoteRead(pacer, now);
        if (base < 0) {
            base = now;
        }
        return now;
    }
};

class Idle : public ::testing::Test {
  protected:
    void SetUp() override { record::Reset(); }
    void TearDown() override { record::Reset(); }

    // Runs the program on the machine until the clock has run for ms milliseconds, checking every
    // frame against a replay of the reading the simulated clock gave for it.
    void Run(Machine& machine, int64_t ms) {
        state.logLoopCalls = false;
        state.nextCounter = [&] { return machine.Read(); };
        Scene scene;
        InitScene(scene);
        CHAR_INFO expected[CellCount] = {};
        state.onWrite = [&](const record::ConsoleWrite& write) {
            const auto reading = static_cast<uint32_t>((machine.now - machine.base) / TicksPerMs);
            ASSERT_TRUE(machine.frameReadings.empty() || reading != machine.frameReadings.back())
                << "a second frame for reading " << reading;
            machine.frameReadings.push_back(reading);
            machine.framed = true;
            const MotionResult motion = AdvanceScene(scene, reading);
            PaintFrame(scene, motion.phase, expected);
            for (int c = 0; c < CellCount; ++c) {
                const CHAR_INFO& got = write.cells[static_cast<size_t>(c)];
                ASSERT_EQ(got.Char.AsciiChar, expected[c].Char.AsciiChar) << "reading " << reading;
                ASSERT_EQ(got.Attributes, expected[c].Attributes) << "reading " << reading;
            }
            if (machine.now - machine.base >= ms * TicksPerMs) {
                throw record::Stop{};
            }
        };
        ASSERT_TRUE(RunProgram().stopped);
    }

    static int64_t Between(Machine& machine, int64_t low, int64_t high) {
        return low + static_cast<int64_t>(machine.random() % static_cast<uint64_t>(high - low + 1));
    }
};

TEST_F(Idle, AFastMachineShowsEveryMillisecondOnceAndIdlesInBetween) {
    Machine machine;
    machine.passTicks = [&](bool framed) {
        return framed ? Between(machine, 200, 8'000) : Between(machine, 1, 10);
    };
    machine.idleLength = [&](int64_t idle) { return idle + Between(machine, 0, 1'500); };
    Run(machine, 10'000);

    // Reading 0 and then every millisecond after it, each exactly once.
    const std::vector<uint32_t>& readings = machine.frameReadings;
    ASSERT_GE(readings.size(), 10'000u);
    for (size_t k = 0; k < readings.size(); ++k) {
        ASSERT_EQ(readings[k], k);
    }
    // A frame read, one read to find the millisecond unchanged, then the idle: no spinning.
    EXPECT_LE(machine.reads, 3 * static_cast<int64_t>(readings.size()));
    EXPECT_GT(machine.idleTicks, 10'000 * TicksPerMs / 10);
}

TEST_F(Idle, IdlesCutShortByKeysOrSignalsNeverCostAFrame) {
    Machine machine;
    machine.passTicks = [&](bool framed) {
        return framed ? Between(machine, 100, 9'000) : Between(machine, 1, 10);
    };
    machine.idleLength = [&](int64_t idle) {
        return machine.random() % 4 == 0 ? Between(machine, 0, idle - 1) : idle;
    };
    Run(machine, 5'000);
    const std::vector<uint32_t>& readings = machine.frameReadings;
    ASSERT_GE(readings.size(), 5'000u);
    for (size_t k = 0; k < readings.size(); ++k) {
        ASSERT_EQ(readings[k], k);
    }
}

TEST_F(Idle, ASlowMachineNeverIdles) {
    Machine machine;
    machine.passTicks = [&](bool framed) {
        return framed ? Between(machine, 10'001, 40'000) : Between(machine, 1, 10);
    };
    machine.idleLength = [](int64_t idle) { return idle; };
    Run(machine, 20'000);
    EXPECT_EQ(machine.idles, 0);
    EXPECT_EQ(machine.reads, static_cast<int64_t>(machine.frameReadings.size()) + 1);
    EXPECT_GT(machine.frameReadings.size(), 20'000u / 4);
}

TEST_F(Idle, AStoppedClockShowsItsOneReadingOnceAndIdlesEachMillisecondAfter) {
    Machine machine;
    machine.passTicks = [](bool) { return 0; };
    machine.idleLength = [](int64_t) { return 0; }; // the clock never moves, however long the idle
    state.counterReadsLeft = 1'000;
    state.logLoopCalls = false;
    state.nextCounter = [&] { return machine.Read(); };
    state.onWrite = [&](const record::ConsoleWrite&) { machine.frameReadings.push_back(0); };
    ASSERT_TRUE(RunProgram().stopped);
    EXPECT_EQ(machine.frameReadings.size(), 1u);
    EXPECT_EQ(machine.idles, 1'000 - 2); // all but the clock's origin and the first frame's read
}

TEST(Pacer, IdlesToTheNextMillisecondOfTheFirstReadOnceOneIsReadTwice) {
    Pacer pacer{};
    EXPECT_EQ(IdleBefore(pacer, 1'234), 0);
    NoteRead(pacer, 1'234);
    EXPECT_EQ(IdleBefore(pacer, 1'240), 0);
    NoteRead(pacer, 1'240);
    EXPECT_EQ(IdleBefore(pacer, 5'000), 1'234 + TicksPerMs - 5'000);
    EXPECT_EQ(IdleBefore(pacer, 1'234 + TicksPerMs), 0); // a new millisecond
    NoteRead(pacer, 1'234 + 3 * TicksPerMs + 7);
    EXPECT_EQ(IdleBefore(pacer, 1'234 + 3 * TicksPerMs + 9), 0);
    NoteRead(pacer, 1'234 + 3 * TicksPerMs + 9);
    EXPECT_EQ(IdleBefore(pacer, 1'234 + 4 * TicksPerMs - 1), 1);
    // A read before the first (a clock set back) is a millisecond of its own.
    EXPECT_EQ(IdleBefore(pacer, 1'000), 0);
}

} // namespace
