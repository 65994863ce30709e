// The frame encoder on terminals smaller than the window: at half height, two window rows to each
// upper half block, and below that a notice of the size it needs; each chosen afresh when the size
// changes, with nothing left over from the form before.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "frame_encoder_fixture.h"

namespace {

class FrameEncoderSizes : public FrameEncoder {
  protected:
    void Scribble(std::mt19937& random, int changes) {
        for (int k = 0; k < changes; ++k) {
            At(buffer, static_cast<int>(random() % 60), static_cast<int>(random() % 40)) =
                PictureCells[random() % std::size(PictureCells)];
        }
    }
};

TEST_F(FrameEncoderSizes, HalfBlockTakesTheUpperCellsColourOnTheLowerOnes) {
    Start(1, 2, Red, 1, 1);
    At(buffer, 0, 1) = Shade;
    // Bright red over the shade's magenta foreground.
    EXPECT_EQ(Frame(), "\x1b[0m\x1b(B\x1b[2J\x1b[1;1H\x1b[91;45m\u2580");

    Start(1, 2, Red, 1, 1, Utf8Direct);
    At(buffer, 0, 1) = Shade;
    // The shade's magenta (128, 0, 128) and light gray (192, 192, 192), averaged.
    EXPECT_EQ(Frame(), "\x1b[0m\x1b(B\x1b[2J\x1b[1;1H\x1b[38;2;255;0;0;48;2;160;96;160m\u2580");
}

TEST_F(FrameEncoderSizes, EachGlyphGivesItsHalfTheColourItMostlyCovers) {
    for (const TerminalStyle chosen : {Utf8Indexed, Utf8Direct}) {
        Start(60, 40, Plain, 80, 24, chosen);
        const ConsoleCell upper[] = {Lit, Cross, Across, Down, Letter, Shade, Space, DimShade};
        const ConsoleCell lower[] = {Shade, Red, DarkRed, Space, Plain, Lit, Shade, Down};
        for (int i = 0; i < static_cast<int>(std::size(upper)); ++i) {
            At(buffer, i, 6) = upper[i];
            At(buffer, i, 7) = lower[i];
        }
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
        // Window rows 6 and 7 are terminal row 3 + 2, from column 10 on.
        const uint32_t magenta = chosen.directColour ? DirectBit | 0x800080 : 5;
        const uint32_t shade = chosen.directColour ? DirectBit | 0xA060A0 : 5;
        const uint32_t cyan = chosen.directColour ? DirectBit | 0x008080 : 6;
        EXPECT_EQ(CellAt(terminal, 10, 5),
                  (ModelCell{HalfBlockGlyph, ExpectedColour(15, chosen), shade}));
        EXPECT_EQ(CellAt(terminal, 11, 5).foreground, magenta);
        EXPECT_EQ(CellAt(terminal, 13, 5).background, cyan);
        EXPECT_EQ(CellAt(terminal, 15, 5),
                  (ModelCell{HalfBlockGlyph, shade, ExpectedColour(15, chosen)}));
        EXPECT_EQ(CellAt(terminal, 16, 5), (ModelCell{HalfBlockGlyph, cyan, shade}));
        // Dark gray and white: 0x80 + 0xFF is 0x17F, halved and rounded down 0xBF.
        EXPECT_EQ(CellAt(terminal, 17, 5).foreground,
                  chosen.directColour ? DirectBit | 0xBFBFBF : 8);
    }
}

TEST_F(FrameEncoderSizes, OnlyTerminalCellsWhoseColoursChangeAreSent) {
    for (const TerminalStyle chosen : {Utf8Indexed, Utf8Direct}) {
        Start(60, 40, Plain, 80, 24, chosen);
        At(buffer, 4, 4) = Cross;
        Frame();
        EXPECT_EQ(Frame(), "");
        EXPECT_EQ(Frame(true), "");
        // Another glyph of the same colour looks the same at half height.
        At(buffer, 4, 4) = Across;
        EXPECT_EQ(Frame(), "");
        At(buffer, 4, 5) = Lit;
        // Window rows 4 and 5 are terminal row 2 + 2, column 4 is terminal column 14. The whole
        // frame, drawn colour by colour, left the pen one cell to the right in the cell's
        // foreground in 16 colours, and elsewhere in direct colour.
        EXPECT_EQ(Frame(), chosen.directColour
                               ? "\x1b[5;15H\x1b[38;2;128;0;128;48;2;255;255;255m\u2580"
                               : "\x1b[D\x1b[107m\u2580");
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    }
}

TEST_F(FrameEncoderSizes, OddLastRowHasTheEmptyConsoleBelowIt) {
    Start(2, 3, Lit, 2, 2);
    Frame();
    ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    EXPECT_EQ(CellAt(terminal, 1, 1), (ModelCell{HalfBlockGlyph, 15, 0}));
}

TEST_F(FrameEncoderSizes, NoticeNamesBothSizesCentredAndBrokenBetweenWordsToTheWidth) {
    Start(60, 40, Plain, 100, 19);
    Frame();
    ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    EXPECT_EQ(RowText(terminal, 9), std::string(18, ' ') +
                                        "Zorvendale needs a terminal of at least 60 by 20 (now "
                                        "100 by 19)" +
                                        std::string(18, ' '));
    EXPECT_EQ(CellAt(terminal, 18, 9), (ModelCell{U'Z', DefaultColour, DefaultColour}));

    ResizeKeepingContent(50, 15);
    ForgetImage(image);
    Frame(true);
    ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    EXPECT_EQ(RowText(terminal, 6), " Zorvendale needs a terminal of at least 60 by 20 ");
    EXPECT_EQ(RowText(terminal, 7), std::string(18, ' ') + "(now 50 by 15)" + std::string(18, ' '));
    EXPECT_EQ(terminal.row, 6);
    EXPECT_EQ(terminal.column, 1);

    // Too narrow for its longest word, the notice cuts the word.
    ResizeKeepingContent(6, 20);
    ForgetImage(image);
    Frame();
    ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    EXPECT_EQ(RowText(terminal, 3), "      ");
    EXPECT_EQ(RowText(terminal, 4), "Zorven");
    EXPECT_EQ(RowText(terminal, 5), " dale ");
    EXPECT_EQ(RowText(terminal, 15), "by 20)");
    EXPECT_EQ(RowText(terminal, 16), "      ");

    // The picture goes on changing; the notice sends nothing for it.
    At(buffer, 3, 3) = Red;
    EXPECT_EQ(Frame(), "");
}

// Each size's form, checked against the table as well as drawn: resizing in every direction
// between the forms, with the terminal keeping what it showed before, as a real one does.
class FrameEncoderResizes : public FrameEncoderSizes,
                            public ::testing::WithParamInterface<TerminalStyle> {};

TEST_P(FrameEncoderResizes, EachSizeShowsItsFormWithNothingLeftOver) {
    struct Step {
        int columns, rows;
        Shown utf8, dec;
    };
    constexpr Shown C = Shown::Cells, H = Shown::HalfHeight, N = Shown::Notice;
    const Step steps[] = {{80, 45, C, C},  {80, 24, H, C}, {50, 15, N, N},  {80, 45, C, C},
                          {60, 20, H, C},  {60, 19, N, N}, {59, 40, N, N},  {50, 45, N, N},
                          {60, 39, H, C},  {60, 40, C, C}, {100, 30, H, C}, {80, 24, H, C},
                          {80, 24, H, C},  {40, 10, N, N}, {120, 60, C, C}, {61, 21, H, C},
                          {200, 19, N, N}, {60, 20, H, C}, {80, 45, C, C}};
    std::mt19937 random(20261209);
    Start(60, 40, Plain, 80, 45, GetParam());
    Frame();
    bool forget = false;
    for (const Step& step : steps) {
        ResizeKeepingContent(step.columns, step.rows);
        // The console forgets the screen on every resize; without that the new size alone must
        // redraw it.
        if (forget) {
            ForgetImage(image);
        }
        forget = !forget;
        Scribble(random, 30);
        Frame();
        const std::string label = std::to_string(step.columns) + "x" + std::to_string(step.rows);
        ASSERT_EQ(ExpectedShown(), style.utf8 ? step.utf8 : step.dec) << label;
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow()) << label;
        Scribble(random, 30);
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow()) << label << ", next frame";
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, FrameEncoderResizes,
                         ::testing::Values(Utf8Indexed, Utf8Direct, DecIndexed, DecDirect));

// Many frames of random changes on one terminal size: each shows the window in its form, and
// draws exactly the terminal cells that change.
class FrameEncoderSizesRandom
    : public FrameEncoderSizes,
      public ::testing::WithParamInterface<std::tuple<TerminalStyle, TerminalSize>> {};

TEST_P(FrameEncoderSizesRandom, TerminalKeepsInStepWithTheWindow) {
    const auto [chosen, terminalSize] = GetParam();
    std::mt19937 random(20261210);
    Start(60, 40, Plain, terminalSize.columns, terminalSize.rows, chosen);
    Frame();
    for (int frame = 0; frame < 200; ++frame) {
        const std::vector<ModelCell> before = ExpectedScreen();
        Scribble(random, std::uniform_int_distribution<int>(0, 40)(random));
        const std::vector<ModelCell> after = ExpectedScreen();
        int changes = 0;
        for (size_t at = 0; at < after.size(); ++at) {
            changes += before[at] == after[at] ? 0 : 1;
        }
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow()) << "frame " << frame;
        ASSERT_EQ(terminal.glyphsDrawn, changes) << "frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(HalfHeightAndCut, FrameEncoderSizesRandom,
                         ::testing::Values(std::make_tuple(Utf8Indexed, TerminalSize{80, 24}),
                                           std::make_tuple(Utf8Direct, TerminalSize{80, 24}),
                                           std::make_tuple(Utf8Direct, TerminalSize{61, 20}),
                                           std::make_tuple(DecIndexed, TerminalSize{80, 24}),
                                           std::make_tuple(DecDirect, TerminalSize{70, 39})));

} // namespace
