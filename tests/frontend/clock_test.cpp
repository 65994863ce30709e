// The millisecond clock: whole milliseconds from the full 64-bit counter, for any frequency.
#include "frontend/clock.h"
#include "platform/record/record.h"

#include <gtest/gtest.h>

#include <random>

using record::state;

namespace {

// ticks * 1000 / frequency, to the last bit of its low 64, by long division of the whole product:
// 32-bit targets have no 128-bit integer to work it out in.
uint64_t ExactMs(uint64_t ticks, uint64_t frequency) {
    const uint64_t lowPart = (ticks & 0xffffffffU) * 1000;
    const uint64_t highPart = (ticks >> 32) * 1000;
    const uint64_t low = lowPart + (highPart << 32);
    const uint64_t high = (highPart >> 32) + (low < lowPart ? 1 : 0);
    uint64_t quotient = 0;
    uint64_t remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const bool carried = remainder >> 63 != 0;
        remainder = remainder << 1 | ((bit >= 64 ? high >> (bit - 64) : low >> bit) & 1);
        quotient <<= 1;
        if (carried || remainder >= frequency) {
            remainder -= frequency;
            quotient |= 1;
        }
    }
    return quotient;
}

class Clock : public ::testing::Test {
  protected:
    void SetUp() override { record::Reset(); }
    void TearDown() override { record::Reset(); }

    // Starts the clock with the counter at base ticks.
    static void StartAt(int64_t frequency, int64_t base) {
        state.frequency = frequency;
        state.counter = base;
        ASSERT_EQ(StartClock(), 0);
    }
    static uint32_t ReadAt(int64_t counter) {
        state.counter = counter;
        return ClockMs();
    }
};

TEST_F(Clock, TruncatesToWholeMilliseconds) {
    StartAt(10'000'000, 5);
    EXPECT_EQ(ReadAt(5), 0u);
    EXPECT_EQ(ReadAt(5 + 1'239'999), 123u); // one tick short of 124 ms
    EXPECT_EQ(ReadAt(5 + 1'240'000), 124u);
}

TEST_F(Clock, KeepsCountingAcrossEvery2To32TickBoundary) {
    // The low half of the counter wraps about every 429 s at 10 MHz; the reading must not.
    const int64_t base = 0xFFFFFF00LL;
    StartAt(10'000'000, base);
    EXPECT_EQ(ReadAt(base + 0x100 + 10'000), 1u); // low half just past zero
    const int64_t hours = 3;
    uint32_t previous = 0;
    for (int64_t ms = 0; ms <= hours * 3'600'000; ms += 997) {
        const uint32_t now = ReadAt(base + ms * 10'000);
        ASSERT_EQ(now, static_cast<uint32_t>(ms));
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST_F(Clock, WrapsOnlyAt2To32Milliseconds) {
    StartAt(1000, 0); // a tick per millisecond makes 2^32 ms reachable
    EXPECT_EQ(ReadAt(0xFFFFFFFFLL), 0xFFFFFFFFu);
    EXPECT_EQ(ReadAt(0x100000000LL), 0u);
    EXPECT_EQ(ReadAt(0x100000005LL), 5u);
}

TEST_F(Clock, HandlesFrequenciesBelowOneTickPerMillisecond) {
    StartAt(999, 0);
    EXPECT_EQ(ReadAt(1), 1u); // 1.001 ms
    EXPECT_EQ(ReadAt(999), 1000u);
    StartAt(1, 0);
    EXPECT_EQ(ReadAt(7), 7000u);
}

TEST_F(Clock, UsesTheHighHalfOfTheFrequency) {
    StartAt(0x100000000LL + 1000, 0); // low half alone would say 1000 ticks per second
    EXPECT_EQ(ReadAt(0x100000000LL + 1000), 1000u);
}

TEST_F(Clock, ConvertsExactlyForAnyFrequency) {
    std::mt19937_64 random(7);
    for (int k = 0; k < 100'000; ++k) {
        const uint64_t frequency = 1 + random() % (k % 2 ? 100'000'000ULL : UINT64_MAX / 1000);
        const uint64_t ticks = random() >> (random() % 64);
        ASSERT_EQ(TicksToMs(ticks, frequency), ExactMs(ticks, frequency))
            << ticks << " ticks at " << frequency;
    }
    // Above UINT64_MAX / 1000 ticks per second a tick is far below a microsecond, and the rate's
    // last three digits are dropped rather than overflow.
    EXPECT_EQ(TicksToMs(UINT64_MAX, UINT64_MAX), 1000u);
    EXPECT_EQ(TicksToMs(UINT64_MAX / 4, UINT64_MAX), 250u);
}

TEST_F(Clock, UnreadableFrequencyIsReportedAndTakenAs10MHz) {
    state.failing = {record::Call::QueryPerformanceFrequency};
    state.counter = 77;
    EXPECT_EQ(StartClock(), 1);
    EXPECT_EQ(ReadAt(77 + 20'000), 2u);
    record::Reset();
    state.frequency = 0;
    EXPECT_EQ(StartClock(), 1);
    EXPECT_EQ(ReadAt(30'000), 3u);
}

} // namespace
