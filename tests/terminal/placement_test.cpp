// Where the console's window lies on terminals of various sizes, and in what form.
#include "platform/linux/encoding/placement.h"

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

TEST(Layout, FormFollowsTheTerminalsSizeAndWhetherItDrawsHalfBlocks) {
    struct Case {
        TerminalSize terminal;
        Layout withHalfBlocks, without;
    };
    constexpr Layout C = Layout::Cells, H = Layout::HalfBlocks, N = Layout::Notice;
    const Case cases[] = {{{80, 45}, C, C}, {{60, 40}, C, C},  {{80, 24}, H, C}, {{60, 39}, H, C},
                          {{60, 20}, H, C}, {{200, 20}, H, C}, {{59, 40}, N, N}, {{60, 19}, N, N},
                          {{50, 45}, N, N}, {{50, 15}, N, N},  {{0, 0}, N, N}};
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseLayout(60, 40, c.terminal, true), c.withHalfBlocks)
            << c.terminal.columns << "x" << c.terminal.rows;
        EXPECT_EQ(ChooseLayout(60, 40, c.terminal, false), c.without)
            << c.terminal.columns << "x" << c.terminal.rows;
    }
}

TEST(Layout, SmallestTerminalHoldsEveryColumnAndHalfTheRowsRoundedUp) {
    EXPECT_EQ(SmallestTerminal(60, 40), (TerminalSize{60, 20}));
    EXPECT_EQ(SmallestTerminal(60, 41), (TerminalSize{60, 21}));
    EXPECT_EQ(SmallestTerminal(3, 1), (TerminalSize{3, 1}));
    // A window of one row fits whole wherever it fits at all.
    EXPECT_EQ(ChooseLayout(3, 1, {3, 1}, true), Layout::Cells);
}

} // namespace
