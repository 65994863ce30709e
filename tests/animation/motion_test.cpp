// Motion of the ball: the steady-interval series, bounces, gravity, the stall reset, clock wrap
// and the spin phase.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "animation_test_support.h"

namespace {

using animtest::Bits;
using animtest::SceneAt;

struct Frame {
    MotionResult result;
    Scene scene;
};

// frames[0] is the start-up scene; frames[n] is the state after the n-th frame, the n-th reading
// being n * intervalMs.
std::vector<Frame> RunSteady(std::uint32_t intervalMs, int count) {
    std::vector<Frame> frames;
    frames.reserve(static_cast<std::size_t>(count) + 1);
    Scene scene{};
    InitScene(scene);
    frames.push_back(Frame{MotionResult{false, 0}, scene});
    for (int n = 1; n <= count; ++n) {
        MotionResult result = AdvanceScene(scene, static_cast<std::uint32_t>(n) * intervalMs);
        frames.push_back(Frame{result, scene});
    }
    return frames;
}

// The highest points reached after each floor bounce: the frames in which gravity turns the
// rising velocity round; the ball moved with the old, upward velocity in that frame.
std::vector<float> ReboundPeaks(const std::vector<Frame>& frames) {
    std::vector<float> peaks;
    for (std::size_t n = 1; n < frames.size(); ++n) {
        if (frames[n - 1].scene.vy < 0.0f && frames[n].scene.vy >= 0.0f) {
            peaks.push_back(frames[n].scene.y);
        }
    }
    return peaks;
}

bool AnyBallCellInPicture(const Scene& scene) {
    for (int j = 0; j < ScreenRows; ++j) {
        for (int i = 0; i < ScreenColumns; ++i) {
            if (InCircle(static_cast<float>(i), static_cast<float>(j), scene.x, scene.y,
                         scene.radius)) {
                return true;
            }
        }
    }
    return false;
}

// The frame from which every frame reports a floor bounce, or 0 when the last frame does not.
int StartOfFinalBounceRun(const std::vector<Frame>& frames) {
    int start = 0;
    for (std::size_t n = 1; n < frames.size(); ++n) {
        if (!frames[n].result.floorBounce) {
            start = 0;
        } else if (start == 0) {
            start = static_cast<int>(n);
        }
    }
    return start;
}

// The first frame in which the top of the ball lies below the picture's bottom edge (row 39's
// cells reach down to 39.5), or 0.
int FirstFrameBelowPicture(const std::vector<Frame>& frames) {
    for (std::size_t n = 1; n < frames.size(); ++n) {
        const Scene& s = frames[n].scene;
        if (static_cast<double>(s.y) - static_cast<double>(s.radius) > 39.5) {
            return static_cast<int>(n);
        }
    }
    return 0;
}

TEST(SceneStart, HoldsTheStartingValues) {
    Scene scene{};
    InitScene(scene);
    EXPECT_EQ(scene.x, 10.0f);
    EXPECT_EQ(scene.y, 10.0f);
    EXPECT_EQ(scene.radius, 8.0f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_EQ(scene.vy, 1.0f);
    EXPECT_NE(scene.movingRight, 0);
    EXPECT_EQ(scene.prevMs, 0u);
    EXPECT_EQ(scene.litRadiusSq, 63.0f);
}

TEST(SteadyEightyMs, FirstFrameMovesOneUnitAndAddsGravity) {
    Scene scene{};
    InitScene(scene);
    MotionResult result = AdvanceScene(scene, 80);
    EXPECT_EQ(scene.x, 11.0f);
    EXPECT_EQ(scene.y, 11.0f);
    EXPECT_EQ(scene.vy, 1.2f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_EQ(scene.prevMs, 80u);
    EXPECT_FALSE(result.floorBounce);
    EXPECT_EQ(result.phase, 0);
}

TEST(SteadyEightyMs, FirstFloorAndWallBounces) {
    std::vector<Frame> frames = RunSteady(80, 42);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_FALSE(frames[static_cast<std::size_t>(n)].result.floorBounce) << "frame " << n;
    }
    EXPECT_TRUE(frames[10].result.floorBounce);
    EXPECT_LT(frames[10].scene.vy, 0.0f);

    for (int n = 1; n <= 41; ++n) {
        const Scene& s = frames[static_cast<std::size_t>(n)].scene;
        ASSERT_EQ(s.vx, 1.0f) << "frame " << n;
        ASSERT_NE(s.movingRight, 0) << "frame " << n;
        ASSERT_EQ(s.x, static_cast<float>(10 + n)) << "frame " << n;
    }
    const Scene& wall = frames[42].scene;
    EXPECT_EQ(wall.x, 52.0f);
    EXPECT_EQ(wall.vx, -1.0f);
    EXPECT_EQ(wall.movingRight, 0);
}

TEST(SteadyEightyMs, VelocityNearZeroIsNotAStall) {
    std::vector<Frame> frames = RunSteady(80, 24);
    const Scene& s = frames[23].scene;
    EXPECT_NEAR(s.vy, -0.00000003, 0.000000005);
    EXPECT_NE(s.vy, 0.0f);
    EXPECT_NEAR(s.y, 10.8, 0.001); // the top of the first rebound, not a jump to the radius
    // Gravity carries on from the tiny value: no jump to the top of the screen.
    EXPECT_NEAR(frames[24].scene.vy, 0.2, 0.0001);
    EXPECT_NEAR(frames[24].scene.y, 10.8, 0.001);
}

TEST(SteadyEightyMs, ReboundsPeakLowerEachTime) {
    std::vector<Frame> frames = RunSteady(80, 204);
    std::vector<float> peaks = ReboundPeaks(frames);
    ASSERT_GE(peaks.size(), 4u);
    EXPECT_NEAR(peaks[0], 10.8, 0.05);
    EXPECT_NEAR(peaks[1], 13.4, 0.05);
    EXPECT_NEAR(peaks[2], 15.8, 0.05);
    EXPECT_NEAR(peaks[3], 18.0, 0.05);
    for (std::size_t k = 1; k < peaks.size(); ++k) {
        EXPECT_GT(peaks[k], peaks[k - 1]) << "rebound " << k;
    }
}

TEST(SteadyEightyMs, SettlesOnTheFloorThenSinksOutOfPicture) {
    std::vector<Frame> frames = RunSteady(80, 400);
    EXPECT_FALSE(frames[204].result.floorBounce);
    for (std::size_t n = 205; n <= 400; ++n) {
        ASSERT_TRUE(frames[n].result.floorBounce) << "frame " << n;
    }
    for (std::size_t n = 206; n + 2 <= 400; n += 2) {
        // vy after the frame alternates: about 0.2 and about 0.
        EXPECT_NEAR(frames[n].scene.vy, 0.2, 0.0001) << "frame " << n;
        EXPECT_NEAR(frames[n + 1].scene.vy, 0.0, 0.0001) << "frame " << n + 1;
        EXPECT_NEAR(frames[n + 2].scene.y - frames[n].scene.y, 0.2, 0.0001) << "frame " << n;
    }
    EXPECT_EQ(FirstFrameBelowPicture(frames), 391);
    EXPECT_FALSE(AnyBallCellInPicture(frames[391].scene));
    EXPECT_TRUE(AnyBallCellInPicture(frames[300].scene));
}

TEST(SteadySeventeenMs, BouncesAndWallHit) {
    std::vector<Frame> frames = RunSteady(17, 198);
    for (std::size_t n = 1; n <= 198; ++n) {
        bool expected = n == 46 || n == 182;
        EXPECT_EQ(frames[n].result.floorBounce, expected) << "frame " << n;
    }
    for (std::size_t n = 1; n <= 197; ++n) {
        ASSERT_EQ(frames[n].scene.vx, 1.0f) << "frame " << n;
    }
    EXPECT_EQ(frames[198].scene.vx, -1.0f);
    EXPECT_EQ(frames[198].scene.movingRight, 0);
    EXPECT_EQ(frames[198].scene.x, 52.0f);
    EXPECT_GT(static_cast<double>(frames[197].scene.x) + 17.0 / 80.0, 52.0); // really clamped
}

TEST(SteadySeventeenMs, FirstReboundRisesAboveTheStartThenTheyDecline) {
    std::vector<Frame> frames = RunSteady(17, 600);
    std::vector<float> peaks = ReboundPeaks(frames);
    ASSERT_GE(peaks.size(), 3u);
    EXPECT_NEAR(peaks[0], 8.2, 0.05);
    EXPECT_NEAR(peaks[1], 8.8, 0.05);
    EXPECT_NEAR(peaks[2], 9.4, 0.05);
    EXPECT_LT(peaks[0], 10.0f); // above the starting height (rows grow downwards)
}

TEST(SteadySeventeenMs, LongRunSettlesAndSinks) {
    std::vector<Frame> frames = RunSteady(17, 9000);
    int settled = StartOfFinalBounceRun(frames);
    EXPECT_NEAR(settled * 17 / 1000.0, 78.0, 1.0);
    int below = FirstFrameBelowPicture(frames);
    ASSERT_GT(below, 0);
    EXPECT_NEAR(below * 17 / 1000.0, 147.0, 1.0);
}

TEST(SteadyTwoMs, HeightIsLostSlowly) {
    std::vector<Frame> frames = RunSteady(2, 60000); // two minutes
    std::vector<float> peaks = ReboundPeaks(frames);
    ASSERT_GE(peaks.size(), 2u);
    EXPECT_NEAR(peaks.front(), 7.6, 0.05);
    EXPECT_NEAR(peaks.back(), 11.0, 0.5);
}

TEST(ZeroElapsed, MovesNothingAndAddsNoGravity) {
    Scene scene = SceneAt(30.0f, 15.0f);
    scene.vy = -0.7f;
    scene.prevMs = 1234;
    Scene before = scene;
    MotionResult result = AdvanceScene(scene, 1234);
    EXPECT_FALSE(result.floorBounce);
    EXPECT_EQ(Bits(scene.x), Bits(before.x));
    EXPECT_EQ(Bits(scene.y), Bits(before.y));
    EXPECT_EQ(Bits(scene.vx), Bits(before.vx));
    EXPECT_EQ(Bits(scene.vy), Bits(before.vy));
    EXPECT_EQ(scene.movingRight, before.movingRight);
}

TEST(ZeroElapsed, BallAgainstRightWallBouncesAgain) {
    std::vector<Frame> frames = RunSteady(80, 42);
    Scene scene = frames[42].scene; // just bounced: x + radius is exactly 60
    ASSERT_EQ(scene.x + scene.radius, 60.0f);
    AdvanceScene(scene, scene.prevMs);
    EXPECT_EQ(scene.x, 52.0f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_NE(scene.movingRight, 0);
    AdvanceScene(scene, scene.prevMs);
    EXPECT_EQ(scene.x, 52.0f);
    EXPECT_EQ(scene.vx, -1.0f);
    EXPECT_EQ(scene.movingRight, 0);
}

TEST(ZeroElapsed, BallAgainstLeftWallDoesNotBounceAgain) {
    Scene scene = SceneAt(8.0f, 15.0f); // x - radius is exactly 0: not past the wall
    scene.vx = 1.0f;
    scene.movingRight = 1;
    scene.prevMs = 500;
    AdvanceScene(scene, 500);
    EXPECT_EQ(scene.x, 8.0f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_NE(scene.movingRight, 0);
}

TEST(FloorBounce, ContinuesWhileTheBallStaysBeyondTheLine) {
    Scene scene = SceneAt(30.0f, 29.0f); // (8 + 29) + 3 is exactly 40
    scene.vy = 0.5f;
    MotionResult first = AdvanceScene(scene, 0);
    EXPECT_TRUE(first.floorBounce);
    EXPECT_EQ(scene.vy, -0.5f);
    MotionResult second = AdvanceScene(scene, 0);
    EXPECT_TRUE(second.floorBounce);
    EXPECT_EQ(scene.vy, 0.5f);
    EXPECT_EQ(scene.y, 29.0f); // never moved or clamped by a bounce
}

TEST(FloorBounce, ComparesTheUnroundedLowerEdge) {
    // 8 + (29 - 2^-19) is not a float; rounded it would become 37 and reach the line.
    Scene scene = SceneAt(30.0f, std::nextafter(29.0f, 0.0f));
    scene.vy = 0.5f;
    MotionResult result = AdvanceScene(scene, 0);
    EXPECT_FALSE(result.floorBounce);
    EXPECT_EQ(scene.vy, 0.5f);
}

TEST(WallBounce, ClampsAgainstTheWallCrossed) {
    Scene left = SceneAt(8.5f, 15.0f);
    left.vx = -1.0f;
    left.movingRight = 0;
    AdvanceScene(left, 80); // reaches 7.5
    EXPECT_EQ(left.x, 8.0f);
    EXPECT_EQ(left.vx, 1.0f);
    EXPECT_NE(left.movingRight, 0);

    Scene touching = SceneAt(9.0f, 15.0f);
    touching.vx = -1.0f;
    touching.movingRight = 0;
    AdvanceScene(touching, 80); // reaches 8 exactly: touching is not crossing on the left
    EXPECT_EQ(touching.x, 8.0f);
    EXPECT_EQ(touching.vx, -1.0f);
    EXPECT_EQ(touching.movingRight, 0);

    Scene right = SceneAt(51.5f, 15.0f);
    AdvanceScene(right, 80); // reaches 52.5
    EXPECT_EQ(right.x, 52.0f);
    EXPECT_EQ(right.vx, -1.0f);
    EXPECT_EQ(right.movingRight, 0);
}

TEST(WallBounce, TogglesTheDirectionFlagWhateverTheVelocitySign) {
    // A flag that disagrees with vx stays disagreeing: it is toggled, never derived.
    Scene right = SceneAt(51.5f, 15.0f);
    right.movingRight = 0;
    AdvanceScene(right, 80);
    EXPECT_EQ(right.vx, -1.0f);
    EXPECT_NE(right.movingRight, 0);

    Scene left = SceneAt(8.5f, 15.0f);
    left.vx = -1.0f;
    left.movingRight = 1;
    AdvanceScene(left, 80);
    EXPECT_EQ(left.vx, 1.0f);
    EXPECT_EQ(left.movingRight, 0);
}

TEST(StallReset, VelocityExactlyZeroPutsTheBallAtTheTop) {
    Scene scene = SceneAt(30.0f, 15.0f);
    scene.vy = -0.2f; // one 80 ms step of gravity cancels it exactly
    MotionResult result = AdvanceScene(scene, 80);
    EXPECT_FALSE(result.floorBounce);
    EXPECT_EQ(Bits(scene.vy), Bits(0.0f));
    EXPECT_EQ(scene.y, 8.0f);
    EXPECT_EQ(scene.x, 31.0f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_NE(scene.movingRight, 0);
    EXPECT_EQ(scene.prevMs, 80u);
}

TEST(StallReset, FloorBounceThatCancelsGravityAlsoResets) {
    Scene scene = SceneAt(30.0f, 30.0f);
    scene.vy = 0.2f;
    MotionResult result = AdvanceScene(scene, 80); // y 30.2, bounced to -0.2, then +0.2
    EXPECT_TRUE(result.floorBounce);
    EXPECT_EQ(scene.vy, 0.0f);
    EXPECT_EQ(scene.y, 8.0f);
}

TEST(StallReset, NearlyZeroIsNotZero) {
    Scene scene = SceneAt(30.0f, 15.0f);
    scene.vy = std::nextafter(-0.2f, -1.0f);
    AdvanceScene(scene, 80);
    EXPECT_NE(scene.vy, 0.0f);
    EXPECT_NEAR(scene.y, 14.8, 0.00001);
}

TEST(ClockWrap, ReadingBelowThePreviousOneIsAHugeStep) {
    std::vector<Frame> frames = RunSteady(80, 30); // falling again after the first rebound
    Scene scene = frames[30].scene;
    ASSERT_GT(scene.vy, 0.0f);
    ASSERT_EQ(scene.prevMs, 2400u);
    MotionResult wrap = AdvanceScene(scene, 1000);
    EXPECT_TRUE(wrap.floorBounce);
    EXPECT_EQ(scene.x, 52.0f); // thrown far right, then against the right wall
    EXPECT_EQ(scene.vx, -1.0f);
    EXPECT_EQ(scene.movingRight, 0);
    EXPECT_GT(scene.y, 1.0e6f);
    EXPECT_GT(scene.vy, 1.0e6f);
    EXPECT_EQ(wrap.phase, 0); // 2400 / 100 = 24, a multiple of 4
    EXPECT_EQ(scene.prevMs, 1000u);
    for (std::uint32_t n = 1; n <= 100; ++n) {
        MotionResult after = AdvanceScene(scene, 1000 + 17 * n);
        ASSERT_TRUE(after.floorBounce) << "frame " << n << " after the wrap";
    }
}

TEST(ClockWrap, MovingLeftEndsAgainstTheLeftWall) {
    std::vector<Frame> frames = RunSteady(80, 50); // past the first wall bounce
    Scene scene = frames[50].scene;
    ASSERT_EQ(scene.vx, -1.0f);
    AdvanceScene(scene, 3);
    EXPECT_EQ(scene.x, 8.0f);
    EXPECT_EQ(scene.vx, 1.0f);
    EXPECT_NE(scene.movingRight, 0);
}

TEST(SpinPhase, FollowsThePreviousReadingAndTheDirectionFlag) {
    struct Case {
        std::uint32_t prevMs;
        int magnitude;
    };
    const Case cases[] = {{0, 0},    {99, 0},          {100, 1},        {199, 1}, {200, 2},
                          {299, 2},  {300, 3},         {399, 3},        {400, 0}, {499, 0},
                          {4300, 3}, {4294967295u, 0}, {4294967195u, 3}};
    for (const Case& c : cases) {
        for (int right = 0; right <= 1; ++right) {
            Scene scene = SceneAt(30.0f, 15.0f);
            scene.prevMs = c.prevMs;
            scene.movingRight = right;
            MotionResult result = AdvanceScene(scene, c.prevMs);
            EXPECT_EQ(result.phase, right != 0 ? c.magnitude : -c.magnitude)
                << "prevMs " << c.prevMs << " movingRight " << right;
        }
    }
}

TEST(SpinPhase, ComesFromThePreviousReadingNotTheCurrentOne) {
    Scene scene{};
    InitScene(scene);
    EXPECT_EQ(AdvanceScene(scene, 350).phase, 0); // first frame: prevMs is 0
    EXPECT_EQ(AdvanceScene(scene, 420).phase, 3);
    EXPECT_EQ(AdvanceScene(scene, 510).phase, 0);
}

TEST(SpinPhase, TurnsNegativeAfterTheFirstWallBounce) {
    std::vector<Frame> frames = RunSteady(80, 45);
    // Frame n's phase comes from the reading (n - 1) * 80, i.e. (n - 1) * 0.8 phases.
    EXPECT_EQ(frames[40].result.phase, 3);  // 3120 ms
    EXPECT_EQ(frames[41].result.phase, 0);  // 3200 ms
    EXPECT_EQ(frames[43].result.phase, -1); // 3360 ms, moving left since frame 42
    EXPECT_EQ(frames[45].result.phase, -3); // 3520 ms
}

TEST(Invariants, RadiusAndHorizontalSpeedNeverChange) {
    std::mt19937 rng(20240611u);
    std::uniform_int_distribution<std::uint32_t> interval(0, 200);
    Scene scene{};
    InitScene(scene);
    std::uint32_t now = 0;
    for (int n = 0; n < 20000; ++n) {
        now += interval(rng);
        MotionResult result = AdvanceScene(scene, now);
        ASSERT_EQ(scene.radius, 8.0f);
        ASSERT_EQ(std::fabs(scene.vx), 1.0f);
        ASSERT_EQ(scene.litRadiusSq, 63.0f);
        ASSERT_GE(result.phase, -3);
        ASSERT_LE(result.phase, 3);
        ASSERT_GE(scene.x, 8.0f);
        ASSERT_LE(scene.x, 52.0f);
        if (scene.vy == 0.0f) {
            ASSERT_EQ(scene.y, 8.0f);
        }
    }
}

} // namespace
