// Console colours as terminal colours: the reordered bits of the 16 colours, and the classic
// palette in direct colour.
#include "platform/linux/colour.h"

#include <gtest/gtest.h>

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

TEST(Colour, MixesAverageEachChannelRoundedDown) {
    EXPECT_EQ(ColourRgb(MixColours(5, 7)), 0xA060A0u);  // magenta and light gray
    EXPECT_EQ(ColourRgb(MixColours(8, 15)), 0xBFBFBFu); // dark gray and white: 0x17F / 2
    EXPECT_EQ(ColourRgb(MixColours(12, 1)), 0x7F0040u); // red and dark blue
    EXPECT_EQ(MixColours(9, 9), 9);
    EXPECT_EQ(Parameters(MixColours(8, 15), true, true), "48;2;191;191;191");
    // The 16 colours have no mix to show: its first colour stands in.
    EXPECT_EQ(Parameters(MixColours(5, 7), false, false), "35");
}

} // namespace
