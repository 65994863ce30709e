// The frame encoder, checked by what its bytes leave on a model terminal: the window's cells where
// the window is placed, nothing off the screen, and nothing sent for cells that did not change.
#include "platform/linux/frame_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "model_terminal.h"

namespace {

constexpr ConsoleCell Plain = {0xDB, 0x77};
constexpr ConsoleCell Lit = {0xDB, 0xFF};
constexpr ConsoleCell Red = {0xDB, 0xCC};
constexpr ConsoleCell DarkRed = {0xDB, 0x44};
constexpr ConsoleCell Shade = {0xB1, 0x75};
constexpr ConsoleCell Cross = {0xC5, 0x75};
constexpr ConsoleCell Across = {0xC4, 0x75};
constexpr ConsoleCell Down = {0xB3, 0x75};
constexpr ConsoleCell Letter = {'a', 0x1E};
constexpr ConsoleCell PictureCells[] = {Plain, Lit,    Red,  DarkRed, Shade,
                                        Cross, Across, Down, Letter};

constexpr TerminalStyle Utf8Indexed = {true, false};
constexpr TerminalStyle Utf8Direct = {true, true};
constexpr TerminalStyle DecIndexed = {false, false};
constexpr TerminalStyle DecDirect = {false, true};

// A console colour index (blue 1, green 2, red 4, bright 8) as a terminal number (red 1, green 2,
// blue 4, bright 8), and as the classic console palette.
constexpr uint32_t TerminalNumber[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
constexpr uint32_t Palette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

uint32_t ExpectedColour(int index, const TerminalStyle& style) {
    return style.directColour ? DirectBit | Palette[index] : TerminalNumber[index];
}

char32_t ExpectedGlyph(unsigned char code) {
    switch (code) {
    case 0xDB:
        return U'\u2588';
    case 0xB1:
        return U'\u2592';
    case 0xC5:
        return U'\u253C';
    case 0xC4:
        return U'\u2500';
    case 0xB3:
        return U'\u2502';
    default:
        return code;
    }
}

// Without UTF-8 a full block is drawn as a space on its own colour.
ModelCell ExpectedCell(ConsoleCell cell, const TerminalStyle& style) {
    const uint32_t foreground = ExpectedColour(cell.colours & 15, style);
    if (!style.utf8 && cell.code == 0xDB) {
        return {U' ', foreground, foreground};
    }
    return {ExpectedGlyph(cell.code), foreground, ExpectedColour(cell.colours >> 4, style)};
}

ScreenBuffer MakeBuffer(int columns, int rows, ConsoleCell fill) {
    ScreenBuffer buffer;
    buffer.size = {static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
    buffer.window = {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
    buffer.cells.assign(static_cast<size_t>(columns * rows), fill);
    return buffer;
}

ConsoleCell& At(ScreenBuffer& buffer, int column, int row) {
    return buffer.cells[static_cast<size_t>(row * buffer.size.X + column)];
}

class FrameEncoder : public ::testing::Test {
  protected:
    void Start(int columns, int rows, ConsoleCell fill, int terminalColumns, int terminalRows,
               TerminalStyle chosen = Utf8Indexed) {
        buffer = MakeBuffer(columns, rows, fill);
        style = chosen;
        Resize(terminalColumns, terminalRows);
        image = {};
        ForgetImage(image);
    }

    // A new terminal size; its content is kept only where the encoder is told nothing.
    void Resize(int columns, int rows) {
        terminal = MakeModelTerminal(columns, rows);
        size = {columns, rows};
    }

    std::string Frame(bool cursorVisible = false) {
        std::string out;
        EncodeFrame(buffer, style, size, cursorVisible, image, out);
        terminal.glyphsDrawn = 0;
        Feed(terminal, out);
        EXPECT_TRUE(terminal.faults.empty()) << terminal.faults.front();
        return out;
    }

    // The window shown centred or cut, every other cell untouched.
    void ExpectShowsWindow() {
        const SMALL_RECT& window = buffer.window;
        const int columns = window.Right - window.Left + 1;
        const int rows = window.Bottom - window.Top + 1;
        const int left = std::max(0, (size.columns - columns) / 2);
        const int top = std::max(0, (size.rows - rows) / 2);
        for (int row = 0; row < size.rows; ++row) {
            for (int column = 0; column < size.columns; ++column) {
                const int i = column - left;
                const int j = row - top;
                const bool inside = i >= 0 && i < columns && j >= 0 && j < rows;
                const ModelCell expected =
                    inside ? ExpectedCell(At(buffer, window.Left + i, window.Top + j), style)
                           : ModelCell{U' ', DefaultColour, DefaultColour};
                ASSERT_EQ(CellAt(terminal, column, row), expected)
                    << "terminal cell " << column << "," << row;
            }
        }
    }

    ScreenBuffer buffer;
    TerminalStyle style;
    TerminalSize size;
    TerminalImage image;
    ModelTerminal terminal;
};

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
    // The window starts at terminal column 2, row 1; the background stays light gray.
    EXPECT_EQ(Frame(), "\x1b[3;5H\x1b[35m\u2592");
}

TEST_F(FrameEncoder, ChangesOnOneRowShareTheMovesAndColours) {
    Start(8, 1, Plain, 8, 1);
    Frame();
    At(buffer, 1, 0) = Cross;
    At(buffer, 2, 0) = Across;
    At(buffer, 5, 0) = Down;
    EXPECT_EQ(Frame(), "\x1b[1;2H\x1b[35m\u253C\u2500\x1b[2C\u2502");
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
    // Cells of the window that differ from before and lie on the terminal.
    int VisibleChanges(const std::vector<ConsoleCell>& before) const {
        int count = 0;
        for (int row = 0; row < std::min(40, size.rows); ++row) {
            for (int column = 0; column < std::min(60, size.columns); ++column) {
                const size_t at = static_cast<size_t>(row * 60 + column);
                count += before[at] == buffer.cells[at] ? 0 : 1;
            }
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
        const std::vector<ConsoleCell> before = buffer.cells;
        const int changes = std::uniform_int_distribution<int>(0, 40)(random);
        for (int k = 0; k < changes; ++k) {
            At(buffer, static_cast<int>(random() % 60), static_cast<int>(random() % 40)) =
                PictureCells[random() % std::size(PictureCells)];
        }
        const bool resized = random() % 40 == 0;
        if (resized) {
            // As the console does on SIGWINCH: the size may even be the same again.
            Resize(40 + static_cast<int>(random() % 50), 20 + static_cast<int>(random() % 30));
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

} // namespace
