// The console on the canvas: the cells drawn as the replay tool draws them, shown only when
// written, written as the A call writes them.
#include "frame_picture.h"
#include "platform/web/layer.h"
#include "platform/win_api.h"
#include "web/page_stand_in.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class WebConsole : public ::testing::Test {
  protected:
    void SetUp() override {
        page::Reset();
        ASSERT_TRUE(AllocConsole());
        console = GetStdHandle(STD_OUTPUT_HANDLE);
        ASSERT_NE(console, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { FreeConsole(); }

    // The console's cells as the page last got them.
    const CHAR_INFO* ShownCells() const {
        return reinterpret_cast<const CHAR_INFO*>(page::state.frames.back().cells.data());
    }

    HANDLE console = nullptr;
};

std::vector<CHAR_INFO> Cells(int count, unsigned char glyph, WORD attr) {
    CHAR_INFO cell{};
    cell.Char.AsciiChar = static_cast<CHAR>(glyph);
    cell.Attributes = attr;
    return std::vector<CHAR_INFO>(static_cast<size_t>(count), cell);
}

} // namespace

TEST_F(WebConsole, ShowsTheWrittenCellsInTheReplayToolsPixelsOnlyOncePerChange) {
    std::vector<CHAR_INFO> grid = Cells(CellCount, GlyphFull, AttrGray);
    grid[5 * ScreenColumns + 7].Char.AsciiChar = static_cast<CHAR>(GlyphCross);
    grid[5 * ScreenColumns + 7].Attributes = AttrGrid;
    grid[30 * ScreenColumns + 40].Char.AsciiChar = static_cast<CHAR>(GlyphShade);
    grid[30 * ScreenColumns + 40].Attributes = AttrRed;
    std::vector<CHAR_INFO> clean = grid;
    for (CHAR_INFO& cell : grid) {
        // Whatever the caller's memory held beside the 8-bit character.
        reinterpret_cast<unsigned char*>(&cell.Char)[1] = 0xAB;
    }
    SMALL_RECT region{0, 0, ScreenColumns - 1, ScreenRows - 1};
    ASSERT_TRUE(
        WriteConsoleOutputA(console, grid.data(), {ScreenColumns, ScreenRows}, {0, 0}, &region));
    ShowConsole();
    ShowConsole();
    ASSERT_EQ(page::state.frames.size(), 1u);

    const std::vector<uint8_t> indices = RenderFrame(clean.data());
    const std::vector<uint8_t>& rgba = page::state.frames[0].rgba;
    ASSERT_EQ(rgba.size(), indices.size() * 4);
    for (size_t k = 0; k < indices.size(); ++k) {
        const Rgb colour = ConsolePalette[indices[k]];
        ASSERT_EQ(rgba[4 * k], colour.r) << k;
        ASSERT_EQ(rgba[4 * k + 1], colour.g) << k;
        ASSERT_EQ(rgba[4 * k + 2], colour.b) << k;
        ASSERT_EQ(rgba[4 * k + 3], 0xFF) << k;
    }
    // The cells as the replay tool hashes them: character, 0, attribute.
    EXPECT_EQ(page::state.frames[0].cells,
              std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(clean.data()),
                                   reinterpret_cast<const uint8_t*>(clean.data() + CellCount)));
}

TEST_F(WebConsole, ClipsAWriteToTheConsoleAndToTheCallersBuffer) {
    std::vector<CHAR_INFO> blank = Cells(CellCount, ' ', 0);
    SMALL_RECT whole{0, 0, ScreenColumns - 1, ScreenRows - 1};
    ASSERT_TRUE(
        WriteConsoleOutputA(console, blank.data(), {ScreenColumns, ScreenRows}, {0, 0}, &whole));
    // A 10 by 4 buffer, each cell's character its own index.
    std::vector<CHAR_INFO> buffer = Cells(40, 0, 0x07);
    for (int k = 0; k < 40; ++k) {
        buffer[static_cast<size_t>(k)].Char.AsciiChar = static_cast<CHAR>(k + 1);
    }
    SMALL_RECT corner{55, 37, 70, 45}; // past the console's right and bottom edges
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {1, 0}, &corner));
    EXPECT_EQ(corner.Left, 55);
    EXPECT_EQ(corner.Top, 37);
    EXPECT_EQ(corner.Right, 59);
    EXPECT_EQ(corner.Bottom, 39);
    SMALL_RECT left{-3, 0, 2, 0}; // past the left edge: the buffer's cells move with it
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {0, 3}, &left));
    EXPECT_EQ(left.Left, 0);
    EXPECT_EQ(left.Right, 2);
    SMALL_RECT beyond{3, 0, 20, 0}; // wider than what the buffer has from its cell 8
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {8, 1}, &beyond));
    EXPECT_EQ(beyond.Right, 4);
    SMALL_RECT before{10, 1, 13, 1}; // the cells before the buffer's start are not read
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {-2, 0}, &before));
    EXPECT_EQ(before.Left, 12);
    EXPECT_EQ(before.Right, 13);
    ShowConsole();

    const CHAR_INFO* cells = ShownCells();
    auto at = [cells](int x, int y) {
        return static_cast<int>(cells[y * ScreenColumns + x].Char.AsciiChar);
    };
    EXPECT_EQ(at(55, 37), 2);  // buffer (1, 0)
    EXPECT_EQ(at(59, 37), 6);  // buffer (5, 0)
    EXPECT_EQ(at(59, 39), 26); // buffer (5, 2)
    EXPECT_EQ(at(54, 37), ' ');
    EXPECT_EQ(at(0, 0), 34); // buffer (3, 3): three columns were cut off on the left
    EXPECT_EQ(at(2, 0), 36);
    EXPECT_EQ(at(3, 0), 19); // buffer (8, 1)
    EXPECT_EQ(at(4, 0), 20); // buffer (9, 1), its row's last cell
    EXPECT_EQ(at(5, 0), ' ');
    EXPECT_EQ(at(11, 1), ' ');
    EXPECT_EQ(at(12, 1), 1); // buffer (0, 0)
    EXPECT_EQ(at(13, 1), 2);
}

TEST_F(WebConsole, TakesOnlyTheWholeSixtyByFortyWindowAndSetsThePagesTitle) {
    EXPECT_TRUE(SetConsoleTitleA("Zorvendale"));
    EXPECT_EQ(page::state.title, "Zorvendale");
    EXPECT_TRUE(SetConsoleScreenBufferSize(console, {ScreenColumns, ScreenRows}));
    EXPECT_FALSE(SetConsoleScreenBufferSize(console, {80, 25}));
    SMALL_RECT whole{0, 0, ScreenColumns - 1, ScreenRows - 1};
    SMALL_RECT part{0, 0, 39, 24};
    EXPECT_TRUE(SetConsoleWindowInfo(console, TRUE, &whole));
    EXPECT_FALSE(SetConsoleWindowInfo(console, TRUE, &part));
    EXPECT_TRUE(SetConsoleDisplayMode(console, CONSOLE_WINDOWED_MODE, nullptr));
    EXPECT_FALSE(SetConsoleDisplayMode(console, 1, nullptr));
    const CONSOLE_CURSOR_INFO hidden{1, FALSE};
    const CONSOLE_CURSOR_INFO sizeless{0, FALSE};
    EXPECT_TRUE(SetConsoleCursorInfo(console, &hidden));
    EXPECT_FALSE(SetConsoleCursorInfo(console, &sizeless));
    EXPECT_FALSE(AllocConsole()); // one console
    ASSERT_TRUE(FreeConsole());
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SetConsoleTitleA("Zorvendale"));
    ASSERT_TRUE(AllocConsole()); // for TearDown
}
