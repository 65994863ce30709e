// The painted frame: squared distances, the checker pattern, the ball, shadow and background
// layers, and what PaintFrame may and may not write.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "animation_test_support.h"

namespace {

using animtest::AttrAt;
using animtest::GlyphAt;
using animtest::Grid;
using animtest::Paint;
using animtest::SceneAt;

// The checker colour of every row of column i, read off lit ball cells: a ball centred at
// (i + 2, j + 2) puts the lit disc's centre on (i, j), and a lit cell is AttrWhite or AttrRed.
std::string ColumnColours(int i, int phase) {
    std::string colours(ScreenRows, '?');
    for (int j = 0; j < ScreenRows; ++j) {
        if (colours[static_cast<std::size_t>(j)] != '?') {
            continue;
        }
        Grid grid = Paint(SceneAt(static_cast<float>(i + 2), static_cast<float>(j + 2)), phase);
        for (int k = 0; k < ScreenRows; ++k) {
            WORD attr = AttrAt(grid, i, k);
            if (attr == AttrWhite) {
                colours[static_cast<std::size_t>(k)] = 'W';
            } else if (attr == AttrRed) {
                colours[static_cast<std::size_t>(k)] = 'R';
            }
        }
    }
    return colours;
}

std::string Opposite(std::string colours) {
    for (char& c : colours) {
        c = c == 'W' ? 'R' : (c == 'R' ? 'W' : c);
    }
    return colours;
}

Grid BallOutOfSight() {
    return Paint(SceneAt(-100.0f, -100.0f), 0);
}

TEST(DistSq, SquaresAndSumsTheOffsets) {
    EXPECT_EQ(DistSq(0.0f, 0.0f, 3.0f, 4.0f), 25.0f);
    EXPECT_EQ(DistSq(3.0f, 4.0f, 0.0f, 0.0f), 25.0f);
    EXPECT_EQ(DistSq(30.0f, 20.0f, 22.0f, 20.0f), 64.0f);
    EXPECT_EQ(DistSq(-1.5f, 2.0f, 1.0f, -0.5f), 12.5f);
}

TEST(DistSq, RoundsEachSquareAndTheSum) {
    // 4097^2 = 16785409 lies halfway between two floats and rounds to 16785408 (even); adding 1
    // again lands halfway and stays there. Rounding only the final sum would give 16785410.
    EXPECT_EQ(DistSq(0.0f, 0.0f, 4097.0f, 1.0f), 16785408.0f);
}

TEST(DistSq, RoundsTheOffsetsBeforeSquaring) {
    // 2^24 - (-1) = 2^24 + 1 rounds to 2^24 (even), whose square is exactly 2^48. Squaring the
    // unrounded offset would give 2^48 + 2^25 after rounding.
    EXPECT_EQ(DistSq(-1.0f, 0.0f, 16777216.0f, 0.0f), 281474976710656.0f);
}

TEST(InCircle, PointsOnTheCircleAreOutside) {
    EXPECT_FALSE(InCircle(22.0f, 20.0f, 30.0f, 20.0f, 8.0f));
    EXPECT_FALSE(InCircle(30.0f, 28.0f, 30.0f, 20.0f, 8.0f));
    EXPECT_TRUE(InCircle(std::nextafter(22.0f, 30.0f), 20.0f, 30.0f, 20.0f, 8.0f));
    EXPECT_TRUE(InCircle(30.0f, 20.0f, 30.0f, 20.0f, 8.0f));
    EXPECT_FALSE(InCircle(0.0f, 0.0f, 0.0f, 0.0f, 0.0f));
}

TEST(InCircle, UsesTheRoundedSquareOfTheRadius) {
    // Exactly, 4096.5^2 + 64^2 = 16785408.25 < 4097^2 = 16785409: geometrically inside. In floats
    // the squared distance is 16781312 + 4096 = 16785408 and r * r rounds to 16785408 (even), so
    // the strict test fails.
    EXPECT_FALSE(InCircle(4096.5f, 64.0f, 0.0f, 0.0f, 4097.0f));
    EXPECT_TRUE(InCircle(4096.0f, 64.0f, 0.0f, 0.0f, 4097.0f));
}

TEST(Checkers, PhaseZeroColumns) {
    const std::string column0 = "RRRRWWWWRRRRWWWWRRRRWWWWRRRRWWWWRRRRWWWW";
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(ColumnColours(i, 0), column0) << "column " << i;
    }
    for (int i = 4; i <= 7; ++i) {
        EXPECT_EQ(ColumnColours(i, 0), Opposite(column0)) << "column " << i;
    }
    const std::string column10 = "WRRRRWWWWRRRRWWWWRRRRWWWWRRRRWWWWRRRRWWW";
    EXPECT_EQ(ColumnColours(10, 0), column10);
    EXPECT_EQ(ColumnColours(11, 0), column10);
}

TEST(Checkers, PhaseOneMovesBoundariesLeftAndUp) {
    std::string column0 = ColumnColours(0, 1);
    EXPECT_EQ(column0.substr(0, 7), "RRRWWWW");
    EXPECT_EQ(column0, "RRRWWWWRRRRWWWWRRRRWWWWRRRRWWWWRRRRWWWWR");

    std::string column3 = ColumnColours(3, 1);
    EXPECT_EQ(ColumnColours(2, 1), Opposite(column3));
    EXPECT_EQ(ColumnColours(4, 1), column3);
    EXPECT_EQ(ColumnColours(5, 1), column3);
    EXPECT_EQ(ColumnColours(6, 1), column3);
    EXPECT_EQ(ColumnColours(7, 1), Opposite(column3));
}

class BallAtThirtyTwenty : public ::testing::Test {
  protected:
    Scene scene = SceneAt(30.0f, 20.0f);
};

TEST_F(BallAtThirtyTwenty, CentreCellFollowsThePhase) {
    Grid phase0 = Paint(scene, 0);
    EXPECT_EQ(GlyphAt(phase0, 30, 20), GlyphFull);
    EXPECT_EQ(AttrAt(phase0, 30, 20), AttrWhite);
    for (int phase : {1, -3}) {
        Grid grid = Paint(scene, phase);
        EXPECT_EQ(GlyphAt(grid, 30, 20), GlyphFull) << "phase " << phase;
        EXPECT_EQ(AttrAt(grid, 30, 20), AttrRed) << "phase " << phase;
    }
}

TEST_F(BallAtThirtyTwenty, CellsExactlyOneRadiusAwayAreNotBall) {
    Grid grid = Paint(scene, 0);
    EXPECT_EQ(GlyphAt(grid, 22, 20), GlyphHorizontal);
    EXPECT_EQ(AttrAt(grid, 22, 20), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 38, 20), GlyphShade);
    EXPECT_EQ(AttrAt(grid, 38, 20), AttrGrid);
}

TEST_F(BallAtThirtyTwenty, UnlitCrescentKeepsTheCheckerColour) {
    Grid phase0 = Paint(scene, 0);
    EXPECT_EQ(GlyphAt(phase0, 36, 25), GlyphFull);
    EXPECT_EQ(AttrAt(phase0, 36, 25), AttrDarkRed);
    Grid phase1 = Paint(scene, 1);
    EXPECT_EQ(GlyphAt(phase1, 36, 25), GlyphFull);
    EXPECT_EQ(AttrAt(phase1, 36, 25), AttrGray);
}

TEST_F(BallAtThirtyTwenty, ShadowAboveTheBallAndGridBeyondIt) {
    Grid grid = Paint(scene, 0);
    EXPECT_EQ(GlyphAt(grid, 34, 12), GlyphShade);
    EXPECT_EQ(AttrAt(grid, 34, 12), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 40, 12), GlyphCross);
    EXPECT_EQ(AttrAt(grid, 40, 12), AttrGrid);
}

TEST(Background, GridLinesAndPlainCells) {
    Grid grid = BallOutOfSight();
    EXPECT_EQ(GlyphAt(grid, 4, 4), GlyphCross);
    EXPECT_EQ(AttrAt(grid, 4, 4), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 5, 4), GlyphHorizontal);
    EXPECT_EQ(AttrAt(grid, 5, 4), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 4, 5), GlyphVertical);
    EXPECT_EQ(AttrAt(grid, 4, 5), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 5, 5), GlyphFull);
    EXPECT_EQ(AttrAt(grid, 5, 5), AttrGray);
    // Row 34 is above the floor band and not a multiple of 4; row 32 is a grid row.
    EXPECT_EQ(GlyphAt(grid, 9, 34), GlyphFull);
    EXPECT_EQ(AttrAt(grid, 9, 34), AttrGray);
    EXPECT_EQ(GlyphAt(grid, 9, 32), GlyphHorizontal);
    EXPECT_EQ(AttrAt(grid, 9, 32), AttrGrid);
}

TEST(Background, BorderIsPlainEverywhere) {
    Grid grid = BallOutOfSight();
    for (int i = 0; i < ScreenColumns; ++i) {
        for (int j : {0, ScreenRows - 1}) {
            EXPECT_EQ(GlyphAt(grid, i, j), GlyphFull) << "cell " << i << ", " << j;
            EXPECT_EQ(AttrAt(grid, i, j), AttrGray) << "cell " << i << ", " << j;
        }
    }
    for (int j = 0; j < ScreenRows; ++j) {
        for (int i : {0, ScreenColumns - 1}) {
            EXPECT_EQ(GlyphAt(grid, i, j), GlyphFull) << "cell " << i << ", " << j;
            EXPECT_EQ(AttrAt(grid, i, j), AttrGray) << "cell " << i << ", " << j;
        }
    }
}

TEST(Background, FloorBandRowsAreAllLines) {
    Grid grid = BallOutOfSight();
    for (int j = 35; j <= 38; ++j) {
        for (int i = 1; i <= 58; ++i) {
            unsigned char expected = i % 4 == 0 ? GlyphCross : GlyphHorizontal;
            EXPECT_EQ(GlyphAt(grid, i, j), expected) << "cell " << i << ", " << j;
            EXPECT_EQ(AttrAt(grid, i, j), AttrGrid) << "cell " << i << ", " << j;
        }
    }
    EXPECT_EQ(GlyphAt(grid, 8, 36), GlyphCross);
    EXPECT_EQ(GlyphAt(grid, 9, 36), GlyphHorizontal);
}

TEST(Layers, BallCoversShadowAndShadowCoversGridAndBorder) {
    // Ball at (10, 5); its shadow's centre is (14, 4).
    Grid grid = Paint(SceneAt(10.0f, 5.0f), 0);
    // (12, 5) lies in both discs.
    EXPECT_EQ(GlyphAt(grid, 12, 5), GlyphFull);
    WORD ballAttr = AttrAt(grid, 12, 5);
    EXPECT_TRUE(ballAttr == AttrWhite || ballAttr == AttrRed) << std::hex << ballAttr;
    // (20, 0) is border, (20, 4) a grid crossing; both only in the shadow.
    EXPECT_EQ(GlyphAt(grid, 20, 0), GlyphShade);
    EXPECT_EQ(AttrAt(grid, 20, 0), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 20, 4), GlyphShade);
    EXPECT_EQ(AttrAt(grid, 20, 4), AttrGrid);
    // The ball's own cells on the border row show the ball.
    EXPECT_EQ(GlyphAt(grid, 10, 0), GlyphFull);
    EXPECT_NE(AttrAt(grid, 10, 0), AttrGrid);
}

TEST(Phases, FourApartPaintTheSameFrame) {
    const Scene scenes[] = {SceneAt(30.0f, 20.0f), SceneAt(12.25f, 7.75f), SceneAt(51.999f, 33.1f),
                            SceneAt(8.0f, 38.5f)};
    for (const Scene& scene : scenes) {
        for (int phase = -3; phase <= -1; ++phase) {
            Grid a = Paint(scene, phase);
            Grid b = Paint(scene, phase + 4);
            EXPECT_TRUE(animtest::SameGrid(a, b)) << animtest::Describe(scene, phase);
        }
    }
}

TEST(Phases, NeighbouringPhasesDiffer) {
    Scene scene = SceneAt(30.0f, 20.0f);
    for (int phase = -3; phase < 3; ++phase) {
        Grid a = Paint(scene, phase);
        Grid b = Paint(scene, phase + 1);
        EXPECT_FALSE(animtest::SameGrid(a, b)) << "phase " << phase;
    }
}

TEST(PaintFrame, WritesEveryCellButNeverTheUpperCharacterByte) {
    const Scene scene = SceneAt(30.0f, 20.0f);
    for (unsigned char fill :
         {static_cast<unsigned char>(0xA5), static_cast<unsigned char>(0x5A)}) {
        Grid grid = Paint(scene, 2, fill);
        for (std::size_t k = 0; k < grid.size(); ++k) {
            unsigned char bytes[sizeof(CHAR_INFO)];
            std::memcpy(bytes, &grid[k], sizeof(bytes));
            // AsciiChar is the union's first byte; its second byte must keep the fill.
            ASSERT_EQ(bytes[1], fill) << "cell " << k;
            ASSERT_TRUE(animtest::IsAllowedPair(bytes[0], grid[k].Attributes))
                << "cell " << k << " left unpainted or painted wrongly";
        }
    }
}

TEST(PaintFrame, EdgeCellsFollowTheRoundedSquaredDistance) {
    // Ball at (30 - 2^-19, 20.0054): for cell (22, 20) dx^2 rounds to 64 - 2^-15 and dy^2 is just
    // under 2^-15, so the exact squared distance is a hair below 64 but its float sum is 64: the
    // cell is outside the ball and shows the grid line.
    Grid grid = Paint(SceneAt(std::nextafter(30.0f, 0.0f), 20.0054f), 0);
    EXPECT_EQ(GlyphAt(grid, 22, 20), GlyphHorizontal);
    EXPECT_EQ(AttrAt(grid, 22, 20), AttrGrid);
    EXPECT_EQ(GlyphAt(grid, 23, 20), GlyphFull);
}

TEST(PaintFrame, OnlyTheEightPairsOccurOverALongRun) {
    std::set<std::pair<int, int>> seen;
    for (std::uint32_t interval : {80u, 17u}) {
        Scene scene{};
        InitScene(scene);
        for (std::uint32_t n = 1; n <= 450; ++n) {
            MotionResult result = AdvanceScene(scene, n * interval);
            Grid grid = Paint(scene, result.phase, 0xEE);
            for (const CHAR_INFO& cell : grid) {
                unsigned char glyph = static_cast<unsigned char>(cell.Char.AsciiChar);
                std::pair<int, int> pair{glyph, cell.Attributes};
                if (seen.count(pair) == 0) {
                    ASSERT_TRUE(animtest::IsAllowedPair(glyph, cell.Attributes))
                        << "frame " << n << " glyph " << +glyph << " attr " << cell.Attributes;
                    seen.insert(pair);
                }
            }
        }
    }
    EXPECT_EQ(seen.size(), 8u);
}

} // namespace
