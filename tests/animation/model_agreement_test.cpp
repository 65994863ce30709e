// The production motion and painting against the plain reference model, bit for bit: scene fields
// compared as float bit patterns, frames compared as whole cell grids.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "animation_test_support.h"

namespace {

using animtest::Bits;
using animtest::Grid;
using animtest::SameGrid;
using animtest::SameScene;

::testing::AssertionResult SamePaint(const Scene& scene, int phase) {
    Grid got = animtest::Paint(scene, phase);
    Grid want = animtest::RefPaintAsGrid(animtest::ToRef(scene), phase);
    ::testing::AssertionResult same = SameGrid(got, want);
    if (!same) {
        same << "; " << animtest::Describe(scene, phase);
    }
    return same;
}

// Advances both, compares the results and the states, and the frames when paint is set.
::testing::AssertionResult StepBoth(Scene& scene, ref::Ball& ball, std::uint32_t nowMs,
                                    bool paint) {
    MotionResult got = AdvanceScene(scene, nowMs);
    ref::Step want = ref::RefAdvance(ball, nowMs);
    if (got.floorBounce != want.floorBounce || got.phase != want.phase) {
        return ::testing::AssertionFailure()
               << "result differs at reading " << nowMs << ": floorBounce " << got.floorBounce
               << " phase " << got.phase << " (got), floorBounce " << want.floorBounce << " phase "
               << want.phase << " (model)";
    }
    ::testing::AssertionResult same = SameScene(scene, ball);
    if (!same) {
        return same << " after reading " << nowMs;
    }
    if (paint) {
        return SamePaint(scene, got.phase);
    }
    return ::testing::AssertionSuccess();
}

void RunSteady(std::uint32_t intervalMs, int frames, int paintEvery) {
    Scene scene{};
    InitScene(scene);
    ref::Ball ball = ref::RefStart();
    ASSERT_TRUE(SameScene(scene, ball));
    for (int n = 1; n <= frames; ++n) {
        std::uint32_t now = static_cast<std::uint32_t>(n) * intervalMs;
        ASSERT_TRUE(StepBoth(scene, ball, now, n % paintEvery == 0))
            << "interval " << intervalMs << " ms, frame " << n;
    }
}

TEST(ModelAgreement, StartingScene) {
    Scene scene{};
    InitScene(scene);
    EXPECT_TRUE(SameScene(scene, ref::RefStart()));
}

TEST(ModelAgreement, SteadyEightyMs) {
    RunSteady(80, 1000, 1);
}

TEST(ModelAgreement, SteadySeventeenMs) {
    RunSteady(17, 10000, 10);
}

TEST(ModelAgreement, SteadyTwoMs) {
    RunSteady(2, 70000, 100);
}

TEST(ModelAgreement, OtherSteadyIntervals) {
    for (std::uint32_t interval : {1u, 3u, 7u, 16u, 33u, 50u, 100u, 160u, 999u}) {
        RunSteady(interval, 3000, 60);
    }
}

TEST(ModelAgreement, RandomIntervals) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<std::uint32_t> interval(0, 200);
        Scene scene{};
        InitScene(scene);
        ref::Ball ball = ref::RefStart();
        std::uint32_t now = 0;
        for (int n = 1; n <= 20000; ++n) {
            now += interval(rng);
            ASSERT_TRUE(StepBoth(scene, ball, now, n % 40 == 0))
                << "seed " << seed << " frame " << n;
        }
    }
}

// Readings that jump far ahead, go down a little, repeat, or wrap; from random starting states.
TEST(ModelAgreement, LongGapsAndReadingsThatGoDown) {
    std::mt19937 rng(77u);
    std::uniform_int_distribution<std::uint32_t> any;
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int run = 0; run < 40; ++run) {
        Scene scene{};
        InitScene(scene);
        if (run > 0) {
            scene.x = 8.0f + 44.0f * unit(rng);
            scene.y = -20.0f + 70.0f * unit(rng);
            scene.vx = pick(rng) < 50 ? 1.0f : -1.0f;
            scene.vy = -4.0f + 8.0f * unit(rng);
            scene.movingRight = pick(rng) < 50 ? 1 : 0;
            scene.prevMs = any(rng);
        }
        ref::Ball ball = animtest::ToRef(scene);
        std::uint32_t now = scene.prevMs;
        for (int n = 1; n <= 400; ++n) {
            int kind = pick(rng);
            if (kind < 5) {
                now = any(rng); // anything, including a wrap
            } else if (kind < 15) {
                now -= 1 + any(rng) % 5000; // goes down: read as nearly 2^32 ms
            } else if (kind < 20) {
                // unchanged: zero elapsed
            } else if (kind < 25) {
                now += 100000 + any(rng) % 100000000;
            } else {
                now += any(rng) % 200;
            }
            ASSERT_TRUE(StepBoth(scene, ball, now, n % 4 == 0)) << "run " << run << " frame " << n;
        }
    }
}

TEST(ModelAgreement, StallResetAndExactBounceEdges) {
    // States placed exactly on the bounce and stall conditions, advanced by a few set steps.
    const float xs[] = {8.0f,  std::nextafter(8.0f, 0.0f),  std::nextafter(8.0f, 9.0f),
                        52.0f, std::nextafter(52.0f, 0.0f), std::nextafter(52.0f, 60.0f),
                        30.0f};
    const float ys[] = {
        29.0f, std::nextafter(29.0f, 0.0f), std::nextafter(29.0f, 40.0f), 8.0f, 10.0f, -3.0f};
    const float vys[] = {0.2f, -0.2f, 0.0f,    -0.0f, std::nextafter(-0.2f, 0.0f),
                         1.0f, -2.6f, -0.0425f};
    const std::uint32_t elapsed[] = {0, 1, 17, 80, 160, 4294967295u};
    for (float x : xs) {
        for (float y : ys) {
            for (float vy : vys) {
                for (std::uint32_t e : elapsed) {
                    for (int right = 0; right <= 1; ++right) {
                        Scene scene = animtest::SceneAt(x, y);
                        scene.vy = vy;
                        scene.vx = right != 0 ? 1.0f : -1.0f;
                        scene.movingRight = right;
                        scene.prevMs = 250;
                        ref::Ball ball = animtest::ToRef(scene);
                        ASSERT_TRUE(StepBoth(scene, ball, 250 + e, false))
                            << "x " << x << " y " << y << " vy " << vy << " elapsed " << e;
                        ASSERT_TRUE(StepBoth(scene, ball, 250 + e, false));
                    }
                }
            }
        }
    }
}

TEST(ModelAgreement, DistancesAndCircleTests) {
    std::mt19937 rng(5u);
    std::uniform_real_distribution<float> wide(-70.0f, 70.0f);
    std::uniform_int_distribution<int> cell(-10, 70);
    std::uniform_int_distribution<int> quarter(-280, 280);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int k = 0; k < 200000; ++k) {
        float v[5];
        for (float& value : v) {
            switch (k % 4) {
            case 0:
                value = wide(rng);
                break;
            case 1:
                value = static_cast<float>(cell(rng));
                break;
            case 2:
                value = static_cast<float>(quarter(rng)) * 0.25f;
                break;
            default: {
                float candidate = std::bit_cast<float>(bits(rng));
                value = std::isfinite(candidate) ? candidate : 1.0f;
            }
            }
        }
        ASSERT_EQ(Bits(DistSq(v[0], v[1], v[2], v[3])),
                  Bits(ref::RefDistSq(v[0], v[1], v[2], v[3])))
            << v[0] << " " << v[1] << " " << v[2] << " " << v[3];
        ASSERT_EQ(InCircle(v[0], v[1], v[2], v[3], v[4]),
                  ref::RefInCircle(v[0], v[1], v[2], v[3], v[4]))
            << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << " " << v[4];
    }
}

// True when cell (i, j) is decided differently by a test on the rounded sum of its two squared
// gaps (as painted) and by one on their exact sum: the cell's exact squared distance lies less
// than half a float step below limit.
bool SumRoundingDecides(int i, int j, float cx, float cy, float limit) {
    float dx = static_cast<float>(static_cast<double>(cx) - static_cast<double>(i));
    float dy = static_cast<float>(static_cast<double>(cy) - static_cast<double>(j));
    float dx2 = static_cast<float>(static_cast<double>(dx) * static_cast<double>(dx));
    float dy2 = static_cast<float>(static_cast<double>(dy) * static_cast<double>(dy));
    double exact = static_cast<double>(dx2) + static_cast<double>(dy2);
    return (limit > static_cast<float>(exact)) != (static_cast<double>(limit) > exact);
}

// A disc centre up and to the left of cell (i, j) that puts the cell in that half-step band of a
// disc with squared radius limit, found by walking cy one float at a time.
std::optional<std::pair<float, float>> EdgeCentre(int i, int j, float limit, double dyStart) {
    double dxStart = std::sqrt(static_cast<double>(limit) - dyStart * dyStart);
    float cx = static_cast<float>(i - dxStart);
    // Start a little inside the band's near side and walk outwards through it.
    float cy = static_cast<float>(j - dyStart * 0.999);
    for (int k = 0; k < 2000; ++k) {
        if (SumRoundingDecides(i, j, cx, cy, limit)) {
            return std::make_pair(cx, cy);
        }
        cy = std::nextafter(cy, static_cast<float>(j - 1)); // widens dy, raising the sum
    }
    return std::nullopt;
}

// Scenes whose ball, lit disc or shadow passes exactly through the rounding band at some cell:
// the cells where painting from precomputed squared gaps could most easily go wrong.
TEST(ModelAgreement, CellsInTheRoundingBandOfEachDisc) {
    std::mt19937 rng(31u);
    std::uniform_int_distribution<int> column(10, 50);
    std::uniform_int_distribution<int> row(10, 30);
    std::uniform_real_distribution<double> dy(0.01, 0.45);
    std::uniform_int_distribution<int> phase(-3, 3);
    enum Disc { Ball, Lit, Shadow };
    for (Disc disc : {Ball, Lit, Shadow}) {
        int found = 0;
        for (int attempt = 0; attempt < 200; ++attempt) {
            float limit = disc == Lit ? 63.0f : 64.0f;
            std::optional<std::pair<float, float>> centre =
                EdgeCentre(column(rng), row(rng), limit, dy(rng));
            if (!centre) {
                continue;
            }
            auto [cx, cy] = *centre;
            // The ball's centre that puts this disc's centre at (cx, cy).
            double offsetX = disc == Lit ? 2.0 : (disc == Shadow ? -4.0 : 0.0);
            double offsetY = disc == Lit ? 2.0 : (disc == Shadow ? 1.0 : 0.0);
            Scene scene = animtest::SceneAt(static_cast<float>(cx + offsetX),
                                            static_cast<float>(cy + offsetY));
            if (static_cast<float>(scene.x - offsetX) != cx ||
                static_cast<float>(scene.y - offsetY) != cy) {
                continue; // the shift itself rounds: not the centre wanted
            }
            ++found;
            ASSERT_TRUE(SamePaint(scene, phase(rng))) << "disc " << disc;
        }
        EXPECT_GE(found, 150) << "disc " << disc;
    }
}

// Whole-number centres put cells exactly one radius from the ball's and the shadow's centres.
TEST(ModelAgreement, WholeNumberCentres) {
    int phase = -3;
    for (int y = -9; y <= 48; ++y) {
        for (int x = -9; x <= 68; x += 2) {
            Scene scene = animtest::SceneAt(static_cast<float>(x), static_cast<float>(y));
            ASSERT_TRUE(SamePaint(scene, phase));
            phase = phase == 3 ? -3 : phase + 1;
        }
    }
}

float RandomCoordinate(std::mt19937& rng, float low, float high) {
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_real_distribution<float> span(low, high);
    float base = span(rng);
    switch (kind(rng)) {
    case 0:
        return std::round(base);
    case 1:
        return std::round(base * 2.0f) / 2.0f;
    case 2:
        return std::round(base * 8.0f) / 8.0f;
    case 3:
        return std::nextafter(std::round(base), base < std::round(base) ? low : high);
    case 4:
        // One tenth steps, as the motion produces: not exactly representable.
        return static_cast<float>(std::round(static_cast<double>(base) * 10.0) / 10.0);
    default:
        return base;
    }
}

TEST(ModelAgreement, RandomScenesAtEveryPhase) {
    std::mt19937 rng(2024u);
    for (int k = 0; k < 120; ++k) {
        Scene scene = animtest::SceneAt(RandomCoordinate(rng, -12.0f, 72.0f),
                                        RandomCoordinate(rng, -12.0f, 52.0f));
        for (int phase = -3; phase <= 3; ++phase) {
            ASSERT_TRUE(SamePaint(scene, phase));
        }
    }
}

TEST(ModelAgreement, OtherRadiiAndFarAwayBalls) {
    std::mt19937 rng(99u);
    const float radii[] = {0.0f, 0.5f, 1.0f, 3.0f, 7.99f, 12.5f, 30.0f, 100.0f};
    int phase = 0;
    for (float radius : radii) {
        for (int k = 0; k < 6; ++k) {
            Scene scene = animtest::SceneAt(RandomCoordinate(rng, -20.0f, 80.0f),
                                            RandomCoordinate(rng, -20.0f, 60.0f));
            scene.radius = radius;
            scene.litRadiusSq = ref::RefLitRadiusSq(radius);
            ASSERT_TRUE(SamePaint(scene, phase));
            phase = phase == 3 ? -3 : phase + 1;
        }
    }
    // Far-off centres whose shifted shadow and lit centres need rounding.
    const float far[] = {1.0e8f, -1.0e8f, 16777215.0f, -16777217.0f, 3.0e38f};
    for (float y : far) {
        for (float x : {8.0f, 52.0f}) {
            ASSERT_TRUE(SamePaint(animtest::SceneAt(x, y), 1));
        }
    }
}

} // namespace
