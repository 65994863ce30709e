// Console colours as terminal colours: the reordered bits of the 16 colours, and the classic
// palette in direct colour.
#include "platform/linux/colour.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Parameters(int index, bool background, bool direct) {
    std::string out;
    AppendColour(out, index, background, direct);
    return out;
}

TEST(Colour, ConsoleBlueAndRedSwapPlacesOnTheTerminal) {
    EXPECT_EQ(AnsiColour(0), 0); // black
    EXPECT_EQ(AnsiColour(1), 4); // blue
    EXPECT_EQ(AnsiColour(2), 2); // green
    EXPECT_EQ(AnsiColour(3), 6); // cyan
    EXPECT_EQ(AnsiColour(4), 1); // red
    EXPECT_EQ(AnsiColour(5), 5); // magenta
    EXPECT_EQ(AnsiColour(6), 3); // yellow
    EXPECT_EQ(AnsiColour(7), 7); // light gray
    EXPECT_EQ(AnsiColour(8), 8); // dark gray
    EXPECT_EQ(AnsiColour(9), 12);
    EXPECT_EQ(AnsiColour(12), 9);
    EXPECT_EQ(AnsiColour(15), 15);
}

TEST(Colour, EveryConsoleColourHasItsOwnTerminalColour) {
    std::set<int> seen;
    for (int index = 0; index < 16; ++index) {
        seen.insert(AnsiColour(index));
    }
    EXPECT_EQ(seen.size(), 16u);
}

TEST(Colour, ClassicPaletteOfThePicturesColours) {
    EXPECT_EQ(ClassicRgb(0x7), 0xC0C0C0u);
    EXPECT_EQ(ClassicRgb(0xF), 0xFFFFFFu);
    EXPECT_EQ(ClassicRgb(0xC), 0xFF0000u);
    EXPECT_EQ(ClassicRgb(0x4), 0x800000u);
    EXPECT_EQ(ClassicRgb(0x5), 0x800080u);
    EXPECT_EQ(ClassicRgb(0x1), 0x000080u);
    EXPECT_EQ(ClassicRgb(0x8), 0x808080u);
    EXPECT_EQ(ClassicRgb(0x0), 0x000000u);
}

TEST(Colour, IndexedParametersPickNormalOrBrightCodes) {
    EXPECT_EQ(Parameters(5, false, false), "35");
    EXPECT_EQ(Parameters(7, true, false), "47");
    EXPECT_EQ(Parameters(12, false, false), "91");
    EXPECT_EQ(Parameters(15, true, false), "107");
    EXPECT_EQ(Parameters(0, true, false), "40");
}

TEST(Colour, DirectParametersSpellOutThePalette) {
    EXPECT_EQ(Parameters(5, false, true), "38;2;128;0;128");
    EXPECT_EQ(Parameters(7, true, true), "48;2;192;192;192");
    EXPECT_EQ(Parameters(0, false, true), "38;2;0;0;0");
}

TEST(Colour, NumbersInDecimal) {
    std::string out;
    AppendNumber(out, 0);
    out += ',';
    AppendNumber(out, 907);
    out += ',';
    AppendNumber(out, 4294967295u);
    EXPECT_EQ(out, "0,907,4294967295");
}

} // namespace
