// The 32-bit Windows program's own 64-bit division and multiplication (the GCC names, and those
// of the Microsoft toolchain's conventions), checked against the host's: the same sources,
// compiled here, where the compiler divides and multiplies in hardware and never calls them.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/windows/msvc_runtime.h"

extern "C" {
uint64_t __udivdi3(uint64_t dividend, uint64_t divisor);
uint64_t __umoddi3(uint64_t dividend, uint64_t divisor);
}

namespace {

constexpr uint64_t Max = UINT64_MAX;
constexpr uint64_t Top = uint64_t{1} << 63;

void ExpectDivides(uint64_t dividend, uint64_t divisor) {
    SCOPED_TRACE(testing::Message() << dividend << " / " << divisor);
    uint64_t remainder = ~uint64_t{0};
    EXPECT_EQ(__udivmoddi4(dividend, divisor, &remainder), dividend / divisor);
    EXPECT_EQ(remainder, dividend % divisor);
    EXPECT_EQ(__udivmoddi4(dividend, divisor, nullptr), dividend / divisor);
    EXPECT_EQ(__udivdi3(dividend, divisor), dividend / divisor);
    EXPECT_EQ(__umoddi3(dividend, divisor), dividend % divisor);
    EXPECT_EQ(ZorvendaleUnsignedDivide(dividend, divisor), dividend / divisor);
    EXPECT_EQ(ZorvendaleUnsignedRemainder(dividend, divisor), dividend % divisor);
    // The same operands as factors, wrapping as the hardware's product does.
    EXPECT_EQ(ZorvendaleMultiply(dividend, divisor), dividend * divisor);
}

uint64_t Next(uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

TEST(Divide64, Extremes) {
    const uint64_t values[] = {0,
                               1,
                               2,
                               3,
                               999,
                               1000,
                               0xFFFFFFFF,
                               uint64_t{1} << 32,
                               (uint64_t{1} << 32) + 1,
                               Top - 1,
                               Top,
                               Top + 1,
                               Max - 1,
                               Max};
    for (uint64_t dividend : values) {
        for (uint64_t divisor : values) {
            if (divisor != 0) {
                ExpectDivides(dividend, divisor);
            }
        }
    }
}

// Divisors at or above 2^63, where the quotient is 0 or 1 and the remainder nearly as wide as the
// dividend.
TEST(Divide64, DivisorsWithTheTopBitSet) {
    ExpectDivides(Max, Top + 1);
    ExpectDivides(Max, Max - 1);
    ExpectDivides(Top + (Top >> 1), Top + 3);
    ExpectDivides(Top - 1, Top + 1);
}

// What the clock divides: counter ticks by a counter frequency, and the rest times 1000.
TEST(Divide64, ClockReadings) {
    const uint64_t frequencies[] = {1000, 3'579'545, 10'000'000, 1'000'000'000, Max / 1000 + 1};
    for (uint64_t frequency : frequencies) {
        for (uint64_t ticks :
             {uint64_t{0}, frequency - 1, frequency, uint64_t{123'456'789'012}, Max}) {
            ExpectDivides(ticks, frequency);
            ExpectDivides((ticks % frequency) * 1000, frequency);
        }
        ExpectDivides(Max, frequency / 1000);
    }
}

TEST(Divide64, RandomOperandsOfEveryWidth) {
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int dividendBits = 1; dividendBits <= 64; ++dividendBits) {
        for (int divisorBits = 1; divisorBits <= 64; ++divisorBits) {
            const uint64_t dividend = Next(state) >> (64 - dividendBits);
            const uint64_t divisor = (Next(state) >> (64 - divisorBits)) | 1;
            ExpectDivides(dividend, divisor);
        }
    }
}

} // namespace
