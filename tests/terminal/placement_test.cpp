// Where the console's window lies on terminals of various sizes.
#include "platform/linux/placement.h"

#include <gtest/gtest.h>

namespace {

TEST(Placement, CentredInALargerTerminal) {
    const Placement p = PlaceView(60, 40, {80, 45});
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 2);
    EXPECT_EQ(p.columns, 60);
    EXPECT_EQ(p.rows, 40);
}

TEST(Placement, OddRoomLeavesTheExtraCellAfterTheWindow) {
    const Placement p = PlaceView(60, 40, {63, 41});
    EXPECT_EQ(p.left, 1);
    EXPECT_EQ(p.top, 0);
}

TEST(Placement, ExactFitFillsTheTerminal) {
    const Placement p = PlaceView(60, 40, {60, 40});
    EXPECT_EQ(p, (Placement{{60, 40}, 0, 0, 60, 40}));
}

TEST(Placement, SmallerTerminalCutsTheRightAndBottom) {
    const Placement p = PlaceView(60, 40, {50, 30});
    EXPECT_EQ(p, (Placement{{50, 30}, 0, 0, 50, 30}));
}

TEST(Placement, EachAxisOnItsOwn) {
    const Placement p = PlaceView(60, 40, {100, 20});
    EXPECT_EQ(p, (Placement{{100, 20}, 20, 0, 60, 20}));
}

TEST(Placement, NoRoomShowsNothing) {
    const Placement p = PlaceView(60, 40, {0, -3});
    EXPECT_EQ(p.columns, 0);
    EXPECT_EQ(p.rows, 0);
}

} // namespace
