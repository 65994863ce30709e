// The terminal program's pace, run against the real front end on a simulated machine whose counter
// takes the pacer's turns as the Linux counter does: every millisecond reading reaches the loop
// once, in order, its frame the model's and its play at the model's bounce; the terminal is updated
// about 60 times a second with the latest frame due, and the loop idles in between.
#include "program_run.h"

#include "animation/raster.h"
#include "animation/scene.h"
#include "platform/linux/clock/pacer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

using record::state;

namespace {

constexpr int64_t Ms = PacerNanosecondsPerMs;
constexpr int64_t Second = 1000 * Ms;
constexpr int64_t Interval = UpdateNanoseconds;

// A machine whose passes cost time: passTime tells what a pass costs, given whether it made a
// frame; idleLength how long an idle asked for lasts (late, or cut short by a key or a signal).
struct Machine {
    std::mt19937_64 random{9};
    int64_t start = 0x1'2345'6789LL; // any start; the clock counts from its first read
    int64_t now = start;
    Pacer pacer{};
    bool framed = false; // a frame was presented since the last read
    int64_t reads = 0;
    int64_t idles = 0;
    int64_t idlesLeft = -1;     // stops the run at 0; -1 never
    int64_t handed = -1;        // the last reading handed out
    int64_t presented = -1;     // the reading of the last frame written to the console
    std::vector<int64_t> shown; // the reading of the frame each update sent the terminal
    std::function<int64_t(bool framed)> passTime;
    std::function<int64_t(int64_t idle)> idleLength;

    int64_t Read() {
        if (reads++ > 0) {
            now += passTime(framed);
        }
        framed = false;
        for (;;) {
            const PacerTurn turn = TakeTurn(pacer, now);
            if (turn.update && presented >= 0 && (shown.empty() || presented != shown.back())) {
                shown.push_back(presented);
            }
            if (turn.reading >= 0) {
                handed = turn.reading;
                return handed;
            }
            if (idlesLeft-- == 0) {
                throw record::Stop{};
            }
            now += idleLength(turn.idle);
            ++idles;
        }
    }

    int64_t Between(int64_t low, int64_t high) {
        return low + static_cast<int64_t>(random() % static_cast<uint64_t>(high - low + 1));
    }

    template <typename Count> double PerSecond(Count count) const {
        return static_cast<double>(count) * Second / static_cast<double>(now - start);
    }
};

class Idle : public ::testing::Test {
  protected:
    void SetUp() override { record::Reset(); }
    void TearDown() override { record::Reset(); }

    // Runs the program on the machine until it has been handed the reading last (or the machine
    // stops it), checking that the readings come 0, 1, 2, ... each once, every frame against the
    // model's for its reading, and that a play comes with the frame of each bounce and no other.
    static void Run(Machine& machine, int64_t last) {
        state.frequency = 1000;
        state.logLoopCalls = false;
        state.nextCounter = [&] { return machine.Read(); };
        Scene scene;
        InitScene(scene);
        CHAR_INFO expected[CellCount] = {};
        size_t plays = 0;
        state.onWrite = [&](const record::ConsoleWrite& write) {
            const int64_t reading = machine.handed;
            const MotionResult motion = AdvanceScene(scene, static_cast<uint32_t>(reading));
            PaintFrame(scene, motion.phase, expected);
            const bool played = state.plays > plays;
            plays = state.plays;
            bool same = true;
            for (int c = 0; c < CellCount; ++c) {
                const CHAR_INFO& got = write.cells[static_cast<size_t>(c)];
                same = same && got.Char.AsciiChar == expected[c].Char.AsciiChar &&
                       got.Attributes == expected[c].Attributes;
            }
            // The first fault ends the run: every frame after it would differ too.
            if (reading != machine.presented + 1 || played != motion.floorBounce || !same) {
                ADD_FAILURE() << "reading " << reading << " after " << machine.presented
                              << (played != motion.floorBounce ? ": not played as the model" : "")
                              << (same ? "" : ": not the model's frame");
                throw record::Stop{};
            }
            machine.presented = reading;
            machine.framed = true;
            if (reading >= last) {
                throw record::Stop{};
            }
        };
        ASSERT_TRUE(RunProgram().stopped);
    }
};

TEST_F(Idle, AFastMachineIdlesBetweenUpdatesThatShowTheLatestReadingSixtyTimesASecond) {
    Machine machine;
    machine.passTime = [&](bool framed) {
        return framed ? machine.Between(2'000, 80'000) : machine.Between(100, 1'000);
    };
    machine.idleLength = [&](int64_t idle) { return idle + machine.Between(0, 3 * Ms / 2); };
    Run(machine, 20'000);
    EXPECT_NEAR(machine.PerSecond(machine.idles), 60, 0.5);
    EXPECT_NEAR(machine.PerSecond(machine.shown.size()), 60, 0.5);
    EXPECT_EQ(machine.reads, 1 + 20'001); // a reading for every pass after the origin: no spinning
}

TEST_F(Idle, IdlesCutShortByKeysOrSignalsNeverCostAFrame) {
    Machine machine;
    machine.passTime = [&](bool framed) {
        return framed ? machine.Between(1'000, 90'000) : machine.Between(100, 1'000);
    };
    machine.idleLength = [&](int64_t idle) {
        return machine.random() % 4 == 0 ? machine.Between(0, idle - 1) : idle;
    };
    Run(machine, 5'000);
}

// Frames that take longer than a millisecond: no idle, every reading in turn, the animation
// slowed to the machine's pace; the terminal still updated more than 50 times a second.
TEST_F(Idle, ASlowMachineNeverIdlesAndStillUpdatesTheTerminalAtThePace) {
    Machine machine;
    machine.passTime = [&](bool framed) {
        return framed ? machine.Between(1'200'000, 4'000'000) : machine.Between(100, 1'000);
    };
    machine.idleLength = [](int64_t idle) { return idle; };
    Run(machine, 5'000);
    EXPECT_EQ(machine.idles, 0);
    EXPECT_GT(machine.PerSecond(machine.shown.size()), 50);
}

TEST_F(Idle, AStoppedClockShowsItsOneReadingOnceAndIdlesAnIntervalAtATime) {
    Machine machine;
    std::vector<int64_t> asked;
    machine.passTime = [](bool) { return 0; };
    machine.idleLength = [&](int64_t idle) {
        asked.push_back(idle);
        return 0; // the clock never moves, however long the idle
    };
    machine.idlesLeft = 1'000;
    Run(machine, 1);
    EXPECT_EQ(state.writes, 1u);
    EXPECT_EQ(machine.shown, std::vector<int64_t>{0}); // at once, before the first idle
    EXPECT_EQ(asked, std::vector<int64_t>(1'000, Interval));
}

// The pacer's turns on a clock set by hand, from its first read on: one row per read, with the
// reading handed out (-1 for none), whether the terminal is to be updated, and the idle asked. (The
// beat kept through late wake-ups, and updates on a slow machine, are the runs' to check.)
TEST(Pacer, HandsOutEachReadingDueThenIdlesToTheNextUpdate) {
    struct Turn {
        int64_t now, reading;
        bool update;
        int64_t idle;
    };
    constexpr int64_t S = 5 * Second;
    constexpr int64_t Stall = S + 3 * Second;
    std::vector<Turn> turns = {
        {S, 0, false, 0},                            // the clock's origin
        {S + 100'000, 0, false, 0},                  // the first frame's reading
        {S + 300'000, -1, true, Interval - 300'000}, // caught up: update, idle to the beat
    };
    const int64_t early = S + 5 * Ms + 10; // a signal cut the idle short
    for (int64_t r = 1; r <= 5; ++r) {
        turns.push_back({early, r, false, 0});
    }
    turns.push_back({early, -1, true, S + Interval - early}); // the same beat
    // Three seconds on: 250 readings, the rest dropped; the missed beat is kept at once (nothing
    // new to show yet), and the beat starts again from there.
    for (int64_t r = 6; r <= 5 + BacklogMs; ++r) {
        turns.push_back({Stall, r, r == 6, 0});
    }
    turns.push_back({Stall, -1, true, Interval});
    turns.push_back({Stall + Interval, 256, false, 0}); // reading 255 fell due at the stall

    Pacer pacer{};
    for (size_t k = 0; k < turns.size(); ++k) {
        const PacerTurn turn = TakeTurn(pacer, turns[k].now);
        ASSERT_EQ(turn.reading, turns[k].reading) << "turn " << k;
        ASSERT_EQ(turn.update, turns[k].update) << "turn " << k;
        if (turn.reading < 0) {
            ASSERT_EQ(turn.idle, turns[k].idle) << "turn " << k;
        }
    }
}

} // namespace
