// The console's screen buffer: WriteConsoleOutputA's rectangle rules, and the window and buffer
// size rules of the set-up calls.
#include "platform/linux/encoding/screen_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A source block whose every cell tells where it came from: code = column, colours = row.
std::vector<CHAR_INFO> NumberedBlock(int columns, int rows) {
    std::vector<CHAR_INFO> block(static_cast<size_t>(columns * rows));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            CHAR_INFO& cell = block[static_cast<size_t>(row * columns + column)];
            cell.Char.UnicodeChar = 0;
            cell.Char.AsciiChar = static_cast<CHAR>(column);
            cell.Attributes = static_cast<WORD>(row);
        }
    }
    return block;
}

ScreenBuffer SixtyByForty() {
    ScreenBuffer buffer;
    ResetScreenBuffer(buffer);
    EXPECT_TRUE(PlaceWindow(buffer, true, {0, 0, 59, 39}));
    EXPECT_TRUE(ResizeScreenBuffer(buffer, {60, 40}));
    return buffer;
}

ConsoleCell At(const ScreenBuffer& buffer, int column, int row) {
    return buffer.cells[static_cast<size_t>(row * buffer.size.X + column)];
}

void ExpectRect(const SMALL_RECT& rect, int left, int top, int right, int bottom) {
    EXPECT_EQ(rect.Left, left);
    EXPECT_EQ(rect.Top, top);
    EXPECT_EQ(rect.Right, right);
    EXPECT_EQ(rect.Bottom, bottom);
}

TEST(ScreenBufferSetUp, NewConsoleIsBlankWithRoomForTheProgramsWindow) {
    ScreenBuffer buffer;
    ResetScreenBuffer(buffer);
    EXPECT_GE(buffer.size.X, 60);
    EXPECT_GE(buffer.size.Y, 40);
    EXPECT_EQ(buffer.cells.size(), static_cast<size_t>(buffer.size.X * buffer.size.Y));
    for (const ConsoleCell& cell : buffer.cells) {
        ASSERT_EQ(cell, BlankCell);
    }
}

TEST(ScreenBufferSetUp, WindowThenBufferGivesSixtyByForty) {
    const ScreenBuffer buffer = SixtyByForty();
    EXPECT_EQ(buffer.size.X, 60);
    EXPECT_EQ(buffer.size.Y, 40);
    ExpectRect(buffer.window, 0, 0, 59, 39);
    EXPECT_EQ(buffer.cells.size(), 2400u);
}

TEST(ScreenBufferSetUp, BufferNeverSmallerThanItsWindowNorOversized) {
    ScreenBuffer buffer = SixtyByForty();
    EXPECT_FALSE(ResizeScreenBuffer(buffer, {59, 40}));
    EXPECT_FALSE(ResizeScreenBuffer(buffer, {60, 39}));
    EXPECT_FALSE(ResizeScreenBuffer(buffer, {32767, 32767}));
    EXPECT_EQ(buffer.size.X, 60);
    EXPECT_EQ(buffer.cells.size(), 2400u);
}

TEST(ScreenBufferSetUp, ResizeKeepsCellsAndPullsTheWindowIn) {
    ScreenBuffer buffer;
    ResetScreenBuffer(buffer);
    ASSERT_TRUE(PlaceWindow(buffer, true, {10, 100, 19, 109}));
    buffer.cells[static_cast<size_t>(5 * buffer.size.X + 7)] = {'k', 0x1F};
    ASSERT_TRUE(ResizeScreenBuffer(buffer, {15, 50}));
    EXPECT_EQ(At(buffer, 7, 5), (ConsoleCell{'k', 0x1F}));
    EXPECT_EQ(At(buffer, 14, 49), BlankCell);
    ExpectRect(buffer.window, 5, 40, 14, 49);
}

TEST(ScreenBufferSetUp, WindowMustLieInsideTheBuffer) {
    ScreenBuffer buffer = SixtyByForty();
    EXPECT_FALSE(PlaceWindow(buffer, true, {0, 0, 60, 39}));
    EXPECT_FALSE(PlaceWindow(buffer, true, {-1, 0, 58, 39}));
    EXPECT_FALSE(PlaceWindow(buffer, true, {5, 5, 4, 10}));
    ExpectRect(buffer.window, 0, 0, 59, 39);
}

TEST(ScreenBufferSetUp, RelativeWindowMovesEachCorner) {
    ScreenBuffer buffer = SixtyByForty();
    ASSERT_TRUE(PlaceWindow(buffer, false, {2, 3, -1, -4}));
    ExpectRect(buffer.window, 2, 3, 58, 35);
    EXPECT_FALSE(PlaceWindow(buffer, false, {0, 0, 2, 0}));
}

TEST(WriteCells, WholeGridFillsTheBufferAndKeepsTheRegion) {
    ScreenBuffer buffer = SixtyByForty();
    std::vector<CHAR_INFO> grid = NumberedBlock(60, 40);
    grid[61].Char.AsciiChar = static_cast<CHAR>(0xDB);
    grid[61].Attributes = 0x8075; // a high bit the terminal can't show
    SMALL_RECT region = {0, 0, 59, 39};
    WriteCells(buffer, grid.data(), {60, 40}, {0, 0}, region);
    ExpectRect(region, 0, 0, 59, 39);
    EXPECT_EQ(At(buffer, 1, 1), (ConsoleCell{0xDB, 0x75}));
    EXPECT_EQ(At(buffer, 59, 39), (ConsoleCell{59, 39}));
    EXPECT_EQ(At(buffer, 30, 0), (ConsoleCell{30, 0}));
}

TEST(WriteCells, RegionPastTheBufferIsCutAndReported) {
    ScreenBuffer buffer = SixtyByForty();
    const std::vector<CHAR_INFO> block = NumberedBlock(20, 20);
    SMALL_RECT region = {50, 30, 69, 49};
    WriteCells(buffer, block.data(), {20, 20}, {0, 0}, region);
    ExpectRect(region, 50, 30, 59, 39);
    EXPECT_EQ(At(buffer, 50, 30), (ConsoleCell{0, 0}));
    EXPECT_EQ(At(buffer, 59, 39), (ConsoleCell{9, 9}));
}

TEST(WriteCells, RegionBeforeTheBufferSkipsTheSourceToMatch) {
    ScreenBuffer buffer = SixtyByForty();
    const std::vector<CHAR_INFO> block = NumberedBlock(10, 10);
    SMALL_RECT region = {-3, -2, 6, 7};
    WriteCells(buffer, block.data(), {10, 10}, {0, 0}, region);
    ExpectRect(region, 0, 0, 6, 7);
    EXPECT_EQ(At(buffer, 0, 0), (ConsoleCell{3, 2}));
    EXPECT_EQ(At(buffer, 6, 7), (ConsoleCell{9, 9}));
    EXPECT_EQ(At(buffer, 7, 0), BlankCell);
}

TEST(WriteCells, SourceCornerAndSourceEndLimitTheBlock) {
    ScreenBuffer buffer = SixtyByForty();
    const std::vector<CHAR_INFO> block = NumberedBlock(10, 10);
    SMALL_RECT region = {20, 20, 29, 29};
    WriteCells(buffer, block.data(), {10, 10}, {8, 7}, region);
    ExpectRect(region, 20, 20, 21, 22);
    EXPECT_EQ(At(buffer, 20, 20), (ConsoleCell{8, 7}));
    EXPECT_EQ(At(buffer, 21, 22), (ConsoleCell{9, 9}));
    EXPECT_EQ(At(buffer, 22, 20), BlankCell);
}

TEST(WriteCells, NothingToWriteLeavesAnEmptyRegion) {
    ScreenBuffer buffer = SixtyByForty();
    const std::vector<CHAR_INFO> block = NumberedBlock(4, 4);
    const std::vector<ConsoleCell> before = buffer.cells;
    SMALL_RECT outside = {70, 0, 73, 3};
    WriteCells(buffer, block.data(), {4, 4}, {0, 0}, outside);
    EXPECT_LT(outside.Right, outside.Left);
    SMALL_RECT pastSource = {0, 0, 3, 3};
    WriteCells(buffer, block.data(), {4, 4}, {4, 0}, pastSource);
    EXPECT_LT(pastSource.Right, pastSource.Left);
    SMALL_RECT inverted = {5, 5, 4, 6};
    WriteCells(buffer, block.data(), {4, 4}, {0, 0}, inverted);
    EXPECT_LT(inverted.Right, inverted.Left);
    EXPECT_EQ(buffer.cells, before);
}

} // namespace
