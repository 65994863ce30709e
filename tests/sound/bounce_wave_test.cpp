// The bounce sound's samples, exact to the byte, and the integer rounding beneath them.
#include "sound/bounce_wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

TEST(BounceWave, StartsWithFourteenLoudBytesThenStaysSilent) {
    unsigned char wave[WaveBytes];
    BuildBounceWave(wave);
    const unsigned char head[] = {128, 191, 104, 219, 30, 225, 122, 232,
                                  200, 128, 240, 160, 32, 224, 0};
    for (unsigned i = 0; i < sizeof head; ++i) {
        EXPECT_EQ(wave[i], head[i]) << "byte " << i;
    }
    for (unsigned i = sizeof head; i < WaveBytes; ++i) {
        ASSERT_EQ(wave[i], 128) << "byte " << i;
    }
}

TEST(BounceWave, WritesEveryByteOfTheBuffer) {
    unsigned char a[WaveBytes];
    unsigned char b[WaveBytes];
    std::memset(a, 0x00, sizeof a);
    std::memset(b, 0xFF, sizeof b);
    BuildBounceWave(a);
    BuildBounceWave(b);
    EXPECT_EQ(std::memcmp(a, b, WaveBytes), 0);
}

TEST(FastSin, IsZeroAtZeroAndFarOutOfRangeAtEight) {
    EXPECT_EQ(FastSin(0.0f), 0.0f);
    EXPECT_NEAR(FastSin(8.0f), -68.0f, 1.0f);
    // Near its intended range it does approximate the sine.
    EXPECT_NEAR(FastSin(1.5707964f), 1.0f, 0.002f);
    EXPECT_NEAR(FastSin(-0.5f), std::sin(-0.5f), 0.002f);
}

TEST(FastSin, RoundsToFloatAfterEachOfItsTwoSteps) {
    // Recomputed with every step in double, rounded only where the formula says.
    for (float x : {0.1f, 1.0f, 2.5f, -3.0f, 8.0f, 16.0f, 1000.0f}) {
        const double xd = x;
        const float y = static_cast<float>(static_cast<double>(1.2732395f) * xd -
                                           (xd * static_cast<double>(0.4052847f)) * std::fabs(xd));
        const double yd = y;
        const float expected =
            static_cast<float>(yd + (yd * std::fabs(yd) - yd) * static_cast<double>(0.225f));
        EXPECT_EQ(FastSin(x), expected) << x;
    }
}

TEST(FloorByHalving, GivesTheFloorForOrdinaryValues) {
    EXPECT_EQ(FloorByHalving(0.0f), 0);
    EXPECT_EQ(FloorByHalving(-0.0f), 0);
    EXPECT_EQ(FloorByHalving(0.75f), 0);
    EXPECT_EQ(FloorByHalving(1.0f), 1);
    EXPECT_EQ(FloorByHalving(63.9f), 63);
    EXPECT_EQ(FloorByHalving(-0.25f), -1);
    EXPECT_EQ(FloorByHalving(-1.0f), -1);
    EXPECT_EQ(FloorByHalving(-127.0f), -127);
    EXPECT_EQ(FloorByHalving(-126.5f), -127);
}

TEST(FloorByHalving, BreaksTiesTowardsTheEvenInteger) {
    // 2v - 0.5 lands exactly halfway at v = k + 0.5: 2k + 0.5 rounds to the even 2k, giving k.
    EXPECT_EQ(FloorByHalving(0.5f), 0);
    EXPECT_EQ(FloorByHalving(1.5f), 1);
    EXPECT_EQ(FloorByHalving(-0.5f), -1);
    EXPECT_EQ(FloorByHalving(-1.5f), -2);
    // At v = k + 0.25, 2v - 0.5 is the whole 2k: no rounding at all.
    EXPECT_EQ(FloorByHalving(3.25f), 3);
    EXPECT_EQ(FloorByHalving(-3.75f), -4);
}

TEST(FloorByHalving, OutOfThe32BitRangeGivesMinus2To30) {
    const int outside = -(1 << 30);
    EXPECT_EQ(FloorByHalving(1.0e10f), outside);
    EXPECT_EQ(FloorByHalving(-1.0e10f), outside);
    EXPECT_EQ(FloorByHalving(1073741824.0f), outside);  // 2v - 0.5 rounds to 2^31
    EXPECT_EQ(FloorByHalving(-1073741824.0f), outside); // -2^31 - 0.5 ties to even -2^31
    EXPECT_EQ(FloorByHalving(std::numeric_limits<float>::infinity()), outside);
    EXPECT_EQ(FloorByHalving(std::numeric_limits<float>::quiet_NaN()), outside);
    EXPECT_EQ(FloorByHalving(1073741760.0f), 1073741760); // the largest float still inside
}

TEST(FloorByHalving, HugeMultiplesOf256LeaveTheSilentByte) {
    // Values like these fill the buffer past its first bytes: n + 128 keeps low byte 128.
    unsigned char wave[WaveBytes];
    BuildBounceWave(wave);
    const float v = static_cast<float>(127.0 * static_cast<double>(FastSin(8.0f * 20)));
    EXPECT_EQ((FloorByHalving(v) + 128) & 0xFF, 128);
    EXPECT_EQ(wave[20], 128);
}

} // namespace
