// The frame encoder, checked by what its bytes leave on a model terminal: the window's cells where
// the window is placed, nothing off the screen, and nothing sent for cells that did not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "animation/raster.h"
#include "animation/scene.h"
#include "frame_encoder_fixture.h"

namespace {

TEST_F(FrameEncoder, FirstFrameClearsAndDrawsEveryCell) {
    Start(2, 1, Plain, 2, 1);
    At(buffer, 0, 0) = {'A', 0x07};
    At(buffer, 1, 0) = Shade;
    EXPECT_EQ(Frame(), "\x1b[0m\x1b(B\x1b[2J"
                       "\x1b[1;1H\x1b[37;40mA"
                       "\x1b[35;47m\u2592");
}

TEST_F(FrameEncoder, UnchangedFrameSendsNothing) {
    Start(60, 40, Plain, 80, 45);
    Frame();
    EXPECT_EQ(Frame(), "");
    EXPECT_EQ(Frame(true), "");
}

TEST_F(FrameEncoder, ChangedCellSendsOnlyItsPositionColourAndGlyph) {
    Start(4, 2, Plain, 8, 4);
    Frame();
    At(buffer, 2, 1) = Shade;
    // The window starts at terminal column 2, row 1; the background stays light gray. The pen is
    // still on the window's last row, two cells to the right.
    EXPECT_EQ(Frame(), "\x1b[2D\x1b[35m\u2592");
}

TEST_F(FrameEncoder, ChangesOnOneRowShareTheMovesAndColours) {
    Start(8, 1, Plain, 8, 1);
    Frame();
    At(buffer, 1, 0) = Cross;
    At(buffer, 2, 0) = Across;
    At(buffer, 5, 0) = Down;
    EXPECT_EQ(Frame(), "\x1b[2G\x1b[35m\u253C\u2500\x1b[2C\u2502");
}

// Each change after the last, from where the pen was left: the shortest of an absolute position and
// a move up or down, then across or to a column; on a tie across, the relative move.
TEST_F(FrameEncoder, EachMoveIsTheShortestThatGetsThere) {
    struct Step {
        int column, row;
        ConsoleCell cell;
        const char* bytes;
    };
    const Step steps[] = {
        // The whole frame left the pen past the last column, where the cursor stays put.
        {3, 11, Shade, "\x1b[4G\x1b[35m\u2592"},
        {1, 11, Cross, "\x1b[3D\u253C"},
        {2, 10, Across, "\x1b[A\u2500"},
        {15, 2, Down, "\x1b[3;16H\u2502"}, // "\x1b[8A\x1b[12C" is longer
        {16, 3, Cross, "\x1b[B\u253C"},
        {6, 3, Across, "\x1b[7G\u2500"}, // shorter than "\x1b[11D"
        {7, 9, Down, "\x1b[6B\u2502"},
        {19, 0, Cross, "\x1b[1;20H\u253C"},
        // Past the last column again: the cursor stayed in it, but only an absolute column is
        // trusted from there.
        {18, 0, Across, "\x1b[19G\u2500"},
    };
    Start(20, 12, Plain, 20, 12);
    Frame();
    for (const Step& step : steps) {
        At(buffer, step.column, step.row) = step.cell;
        EXPECT_EQ(Frame(), step.bytes) << "to column " << step.column << ", row " << step.row;
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    }
}

// The colours cheapest to set from those in force first, each with all of its cells in row order,
// rather than a colour change at every other cell.
TEST_F(FrameEncoder, ChangesAreDrawnColourByColour) {
    Start(7, 2, Plain, 7, 2);
    Frame();
    const ConsoleCell row[] = {Red, Lit, Red, Lit, Red, Plain, Shade};
    for (int column = 0; column < 7; ++column) {
        At(buffer, column, 0) = row[column];
    }
    // The pen is light gray, so the shade's magenta, one number, goes first.
    EXPECT_EQ(Frame(), "\x1b[1;7H\x1b[35m\u2592"
                       "\x1b[1G\x1b[91;101m \x1b[C \x1b[C "
                       "\x1b[4D\x1b[97;107m \x1b[C ");
    ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    for (const TerminalStyle chosen : {Utf8Direct, DecIndexed, DecDirect}) {
        Start(7, 2, Plain, 7, 2, chosen);
        Frame();
        for (int column = 0; column < 7; ++column) {
            At(buffer, column, 1) = row[column];
        }
        const std::string bytes = Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
        // Three colours set, once each.
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 'm'), 3) << bytes;
    }
}

TEST_F(FrameEncoder, DirectColourUsesTheClassicPalette) {
    Start(1, 1, {'x', 0x07}, 1, 1, Utf8Direct);
    EXPECT_EQ(Frame(), "\x1b[0m\x1b(B\x1b[2J\x1b[1;1H\x1b[38;2;192;192;192;48;2;0;0;0mx");
}

TEST_F(FrameEncoder, WithoutUtf8BlocksAreFilledAndLinesUseTheLineSet) {
    Start(3, 1, Plain, 3, 1, DecIndexed);
    At(buffer, 1, 0) = Across;
    At(buffer, 2, 0) = {'a', 0x07};
    EXPECT_EQ(Frame(), "\x1b[0m\x1b(B\x1b[2J\x1b[1;1H\x1b[37;47m \x1b[35m\x1b(0q"
                       "\x1b[37;40m\x1b(Ba");
}

// In the picture, cells of one foreground have one background too: the random frames below never
// change a background alone.
TEST_F(FrameEncoder, AChangeOfBackgroundAloneIsSent) {
    constexpr ConsoleCell ShadeOnBlue = {0xB1, 0x15};
    for (const TerminalStyle chosen : {Utf8Indexed, Utf8Direct, DecIndexed, DecDirect}) {
        SCOPED_TRACE(testing::Message()
                     << "utf8 " << chosen.utf8 << ", direct colour " << chosen.directColour);
        Start(3, 1, Shade, 3, 1, chosen);
        At(buffer, 1, 0) = ShadeOnBlue;
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
        At(buffer, 0, 0) = ShadeOnBlue;
        At(buffer, 1, 0) = Shade;
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow());
    }
}

TEST_F(FrameEncoder, LargerTerminalShowsTheWindowCentred) {
    Start(60, 40, Plain, 80, 45);
    At(buffer, 0, 0) = Red;
    At(buffer, 59, 39) = Lit;
    Frame();
    ExpectShowsWindow();
    EXPECT_EQ(CellAt(terminal, 10, 2), ExpectedCell(Red, style));
    EXPECT_EQ(CellAt(terminal, 69, 41), ExpectedCell(Lit, style));
}

TEST_F(FrameEncoder, ExactFitFillsTheLastCellWithoutLeavingTheScreen) {
    Start(60, 40, Plain, 60, 40);
    At(buffer, 59, 39) = DarkRed;
    Frame();
    ExpectShowsWindow();
    At(buffer, 59, 39) = Red;
    Frame();
    ExpectShowsWindow();
}

TEST_F(FrameEncoder, NewTerminalSizeRedrawsWhole) {
    Start(60, 40, Plain, 80, 45);
    Frame();
    Resize(70, 42);
    const std::string bytes = Frame();
    EXPECT_EQ(bytes.rfind("\x1b[0m\x1b(B\x1b[2J", 0), 0u);
    ExpectShowsWindow();
}

TEST_F(FrameEncoder, ShowsTheBuffersWindowWhereverItLies) {
    Start(10, 6, Plain, 4, 2);
    buffer.window = {3, 2, 6, 3};
    At(buffer, 3, 2) = Red;
    At(buffer, 6, 3) = Lit;
    At(buffer, 2, 2) = DarkRed; // left of the window: never shown
    Frame();
    ExpectShowsWindow();
}

TEST_F(FrameEncoder, VisibleCursorIsLeftOnTheWindowsFirstCell) {
    Start(4, 2, Plain, 8, 4);
    const std::string bytes = Frame(true);
    const std::string home = "\x1b[2;3H";
    EXPECT_EQ(bytes.substr(bytes.size() - home.size()), home);
    EXPECT_EQ(terminal.row, 1);
    EXPECT_EQ(terminal.column, 2);
}

class FrameEncoderRandom : public FrameEncoder,
                           public ::testing::WithParamInterface<TerminalStyle> {
  protected:
    // Terminal cells that should change, whatever the terminal shows the window as.
    int VisibleChanges(const std::vector<ModelCell>& before) const {
        const std::vector<ModelCell> after = ExpectedScreen();
        int count = 0;
        for (size_t at = 0; at < after.size(); ++at) {
            count += before[at] == after[at] ? 0 : 1;
        }
        return count;
    }
};

// Many frames of random changes, now and then a new terminal size: after every frame the terminal
// shows the window, and a frame that is not whole draws exactly the cells that changed.

TEST_P(FrameEncoderRandom, TerminalKeepsInStepWithTheWindow) {
    std::mt19937 random(20261208);
    Start(60, 40, Plain, 80, 45, GetParam());
    Frame();
    for (int frame = 0; frame < 300; ++frame) {
        const std::vector<ModelCell> before = ExpectedScreen();
        const int changes = std::uniform_int_distribution<int>(0, 40)(random);
        for (int k = 0; k < changes; ++k) {
            At(buffer, static_cast<int>(random() % 60), static_cast<int>(random() % 40)) =
                PictureCells[random() % std::size(PictureCells)];
        }
        const bool resized = random() % 40 == 0;
        if (resized) {
            // As the console does on SIGWINCH: the size may even be the same again.
            ResizeKeepingContent(40 + static_cast<int>(random() % 50),
                                 20 + static_cast<int>(random() % 30));
            ForgetImage(image);
        }
        Frame();
        ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow()) << "frame " << frame;
        if (!resized) {
            EXPECT_EQ(terminal.glyphsDrawn, VisibleChanges(before)) << "frame " << frame;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, FrameEncoderRandom,
                         ::testing::Values(Utf8Indexed, Utf8Direct, DecIndexed, DecDirect));

// The animation's own changes, as the program sends them at 60 updates a second: after every
// update the terminal shows that update's frame whole, cell for cell and at half height.
TEST_P(FrameEncoderRandom, EveryUpdateOfTheAnimationShowsItsFrame) {
    for (const TerminalSize terminalSize : {TerminalSize{80, 45}, TerminalSize{80, 24}}) {
        Start(ScreenColumns, ScreenRows, Plain, terminalSize.columns, terminalSize.rows,
              GetParam());
        Scene scene;
        InitScene(scene);
        static CHAR_INFO grid[CellCount];
        for (int nowMs = 0, updates = 0; nowMs < 4000; ++nowMs) {
            PaintFrame(scene, AdvanceScene(scene, nowMs).phase, grid);
            if (nowMs * 60 / 1000 < updates) {
                continue;
            }
            ++updates;
            SMALL_RECT region = {0, 0, ScreenColumns - 1, ScreenRows - 1};
            WriteCells(buffer, grid, {ScreenColumns, ScreenRows}, {0, 0}, region);
            Frame();
            ASSERT_NO_FATAL_FAILURE(ExpectShowsWindow())
                << terminalSize.columns << "x" << terminalSize.rows << " at " << nowMs << " ms";
        }
    }
}

} // namespace
